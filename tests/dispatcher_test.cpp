// The command dispatcher: routing, the end-of-command send, window
// notifications in order, the status-message hand-over, CmdBusy.
#include <string>
#include <vector>

#include "frame/messages.h"
#include "support/fakes.h"

namespace {

using qxtest::AllMessages;
using qxtest::WindowMessage;

const std::vector<std::string> kReadBack = {":SETUP:DSO?", ":SETUP:LA?", ":SETUP:ALT?"};

std::vector<std::string> Then(std::vector<std::string> lines, const std::vector<std::string>& more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

class DispatcherTest : public qxtest::LibraryTest {
 protected:
  qxtest::RecordingWindow wndA, wndB;
};

// What reaches the instrument at the end of a command, by route.
TEST_F(DispatcherTest, SendsOnlyWhereTheRouteSaysAndReadsBack) {
  struct Case {
    const char* name;
    unsigned long cmd;
    unsigned int ctrl;
    int var;
    std::vector<std::string> lines;
  } cases[] = {
      {"self-calibration on", CMD_SELFCAL, 0, 1, Then({":SELFCAL:ENABLE ON"}, kReadBack)},
      {"self-calibration off, any control", CMD_SELFCAL, 0x5, 0, Then({":SELFCAL:ENABLE OFF"}, kReadBack)},
      {"acquire, unknown control", CMD_ACQUIRE, 0x123, 1, {}},
      {"cursor mode", CMD_CURSOR_MODE, CTL_CURSOR_MANUAL, 1, {}},
      {"misc", CMD_MISC, CTL_MISC_CURSOR_TRACK, 1, {}},
      {"interface, unknown control", CMD_INTERFACE, 0x123, 1, {}},
      {"reserved command", 0xC4C, 1, 1, {}},
      {"unknown command", 0x1234, 1, 1, {}},
  };
  for (const Case& c : cases) {
    socket.sent.clear();
    ScriptReadBack();
    SetMsgVarInt(c.var);
    Run(c.cmd, c.ctrl);
    EXPECT_EQ(socket.SentTexts(), c.lines) << c.name;
    if (c.cmd == CMD_SELFCAL) {
      EXPECT_EQ(setup.SelfCalEnable, c.var) << c.name;
    }
    socket.replies.clear();
    socket.inbox.clear();
  }
}

// Not connected throughout: self-calibration, a command that would send,
// keeps its change, sends nothing and still notifies.
TEST_F(DispatcherTest, NotifiesMainWindowThenNamedWindowsThenStatus) {
  struct Case {
    const char* name;
    unsigned long cmd;
    unsigned int ctrl;
    long value;
    bool destroyA, destroyB, raise;
    std::vector<WindowMessage> expected;
  } cases[] = {
      // clang-format off
      {"plain", CMD_ACQUIRE, 0x777, 5, false, false, false,
       {{&main, 0xC35, 0x777, 5}, {&wndA, CMD_ACQUIRE, 0x777, 5}, {&wndB, CMD_ACQUIRE, 0x777, 5}}},
      {"status control skips the main window", CMD_ACQUIRE, CTL_STATUS_MESSAGE, 2, false, false, false,
       {{&wndA, CMD_ACQUIRE, CTL_STATUS_MESSAGE, 2}, {&wndB, CMD_ACQUIRE, CTL_STATUS_MESSAGE, 2}}},
      {"first window tested for life, second not", CMD_ACQUIRE, 0x777, 0, true, true, false,
       {{&main, 0xC35, 0x777, 0}, {&wndB, CMD_ACQUIRE, 0x777, 0}}},
      {"status message last", CMD_ACQUIRE, 0x777, 0, false, false, true,
       {{&main, 0xC35, 0x777, 0}, {&wndA, CMD_ACQUIRE, 0x777, 0}, {&wndB, CMD_ACQUIRE, 0x777, 0},
        {&main, 0xC35, CTL_STATUS_MESSAGE, 0}}},
      {"self-calibration", CMD_SELFCAL, 0, 0, false, false, false,
       {{&main, 0xC35, 0, 0}, {&wndA, CMD_SELFCAL, 0, 0}, {&wndB, CMD_SELFCAL, 0, 0}}},
      // clang-format on
  };
  setup.Connected = 0;
  SetMsgVarbool(true);
  for (const Case& c : cases) {
    qxtest::RecordingWindow a, b;
    if (c.destroyA) a.DestroyWindow();
    if (c.destroyB) b.DestroyWindow();
    AllMessages().clear();
    if (c.raise) SetSystemError("Volts/Div at upper limit");
    Run(c.cmd, c.ctrl, c.value, &a, &b);
    std::vector<WindowMessage> expected = c.expected;
    for (WindowMessage& m : expected) {
      if (m.window == &wndA) m.window = &a;
      if (m.window == &wndB) m.window = &b;
    }
    EXPECT_EQ(AllMessages(), expected) << c.name;
  }
  EXPECT_EQ(setup.SelfCalEnable, 1);
  EXPECT_TRUE(socket.sent.empty());
}

TEST_F(DispatcherTest, CursorModeKeysAndTheirRefusalInXY) {
  struct Case {
    unsigned long cmd;
    unsigned int ctrl;
    int timeFormat, mode;
    BYTE shown;
    bool refused;
  } cases[] = {
      {CMD_CURSOR_MODE, CTL_CURSOR_OFF, 0, 0, 0, false},
      {CMD_CURSOR_MODE, CTL_CURSOR_MANUAL, 1, 1, 1, false},
      {CMD_CURSOR_MODE, CTL_CURSOR_TRACK, 0, 2, 1, false},
      {CMD_CURSOR_MODE, CTL_CURSOR_MODE3, 0, 3, 1, false},
      {CMD_CURSOR_MODE, CTL_CURSOR_TRACK, 1, 7, 0, true},
      {CMD_CURSOR_MODE, 0x999, 0, 7, 0, false},
      {CMD_MISC, CTL_MISC_CURSOR_MANUAL, 0, 1, 1, false},
      {CMD_MISC, CTL_MISC_CURSOR_TRACK, 1, 2, 1, false},
      {CMD_MISC, CTL_MISC_XY_REFUSED, 1, 7, 0, true},
      {CMD_MISC, CTL_MISC_XY_REFUSED, 0, 7, 0, false},
  };
  for (const Case& c : cases) {
    setup.CursorMode = 7;
    setup.TimeFormat = c.timeFormat;
    rgn.CursorShown = 0;
    setup.ErrorText[0] = '\0';
    AllMessages().clear();
    Run(c.cmd, c.ctrl);
    SCOPED_TRACE(testing::Message() << std::hex << c.ctrl);
    EXPECT_EQ(setup.CursorMode, c.mode);
    EXPECT_EQ(rgn.CursorShown, c.shown);
    EXPECT_EQ(std::string(setup.ErrorText), c.refused ? "Function not available at XY mode" : "");
    const UINT notify = c.cmd == CMD_MISC ? 0xC34 : 0xC35;
    std::vector<WindowMessage> expected = {{&main, notify, c.ctrl, 0}};
    if (c.refused) expected.push_back({&main, 0xC35, CTL_STATUS_MESSAGE, 0});
    EXPECT_EQ(AllMessages(), expected);
  }
  EXPECT_TRUE(socket.sent.empty());
}

TEST_F(DispatcherTest, CursorCommandsAndApplyViewSetTheirFlagsFirst) {
  setup.Connected = 0;
  Run(CMD_CURSOR_MANUAL, 0x999);
  EXPECT_EQ(setup.CursorMode, 1);
  Run(CMD_CURSOR_TRACK, 0x999);
  EXPECT_EQ(setup.CursorMode, 2);
  setup.AutoFlag1 = 1;
  Run(CMD_APPLY_VIEW, 0x999);
  EXPECT_EQ(setup.AutoFlag0, 1);
  EXPECT_EQ(setup.AutoFlag1, 0);
}

// Messages raised between commands (a host may call a validator directly):
// the last text, handed over once by the next command after its own
// notification; CmdBusy holds through both.
TEST_F(DispatcherTest, StatusRaisedBetweenCommandsIsHandedOverOnceByTheNext) {
  setup.Connected = 0;
  qx::RaiseStatus(qx::Msg::NotAvailableAltTrigger);
  EXPECT_EQ(ValidateCHScale(20.0f, 1.0f), 10.0f);
  EXPECT_STREQ(setup.ErrorText, "Volts/Div at upper limit");
  EXPECT_EQ(rgn.ErrorPending, 1);
  EXPECT_TRUE(main.messages.empty());
  std::vector<int> busy;
  main.onMessage = [&](UINT, WPARAM, LPARAM) { busy.push_back(rgn.CmdBusy); };
  Run(CMD_CURSOR_MODE, 0x999);
  EXPECT_EQ(main.messages,
            (std::vector<WindowMessage>{{&main, 0xC35, 0x999, 0}, {&main, 0xC35, CTL_STATUS_MESSAGE, 0}}));
  EXPECT_EQ(busy, (std::vector<int>{1, 1}));
  EXPECT_EQ(rgn.CmdBusy, 0);
  EXPECT_EQ(rgn.ErrorPending, 0);
  EXPECT_EQ(rgn.ErrorShown, 1);
  main.messages.clear();
  Run(CMD_ACQUIRE, 0x999);
  EXPECT_EQ(main.messages.size(), 1u);
}

TEST_F(DispatcherTest, SetSystemErrorCopiesExactlyTheMessage) {
  std::memset(setup.ErrorText, 'x', sizeof setup.ErrorText);
  SetSystemError("Record waveforms completed ");
  EXPECT_EQ(std::string(setup.ErrorText), "Record waveforms completed ");
  EXPECT_EQ(setup.ErrorText[28], 'x');  // nothing written behind the NUL
  SetSystemError(CString(std::string(100, 'y').c_str()));
  EXPECT_EQ(std::string(setup.ErrorText).size(), sizeof setup.ErrorText - 1);
}

TEST_F(DispatcherTest, RefreshWaveFollowsRunStateAndHostFlag) {
  struct Case {
    BYTE run, flag, expected;
  } cases[] = {{0, 1, 1}, {0, 0, 0}, {1, 0, 1}, {1, 1, 0}, {2, 0, 1}};
  for (const Case& c : cases) {
    setup.RunState = c.run;
    setup.RefreshFlag = c.flag;
    rgn.RefreshWave = 0;
    SetRefreshWave(false);
    EXPECT_EQ(rgn.RefreshWave, c.expected) << int(c.run) << int(c.flag);
  }
}

}  // namespace
