// Run control: the keys' lines, their order and pacing, and the host-side
// run state; RUN in a rolling display.
#include <string>
#include <vector>

#include "frame/state.h"
#include "support/fakes.h"

namespace {

using Lines = std::vector<std::string>;
using RunControlTest = qxtest::LibraryTest;

// Connected, RUN's lines are followed by the read-back's three queries.
TEST_F(RunControlTest, RunRestartsARollingDisplayAtHalfASecondPerDivision) {
  const Lines rolling = {":CLEARUSB", ":TIMEBASE:OFFSET 0", ":TIMEBASE:SCALE 0.499999998", ":RUN"};
  const struct {
    std::int32_t format;
    std::int64_t scalePs;
    BYTE connected;
    Lines lines;
    std::int64_t scalePsAfter;
  } cases[] = {
      {2, 100'000'000'000, 1, rolling, 500'000'000'000},
      {2, 500'000'000'000, 1, rolling, 500'000'000'000},
      {2, 1'000'000'000'000, 1, {":CLEARUSB", ":TIMEBASE:OFFSET 0", ":RUN"}, 1'000'000'000'000},
      {0, 100'000'000'000, 1, {":CLEARUSB", ":RUN"}, 100'000'000'000},
      {2, 100'000'000'000, 0, {}, 500'000'000'000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    socket.sent.clear();
    rgn = {};
    setup.TimeFormat = c.format;
    setup.TimeScalePs = c.scalePs;
    setup.Connected = c.connected;
    setup.RunState = 0;
    ScriptReadBack();
    Run(CMD_RUN_CONTROL, CTL_RUN);
    socket.replies.clear();
    Lines lines = c.lines;
    if (c.connected) lines.insert(lines.end(), {":SETUP:DSO?", ":SETUP:LA?", ":SETUP:ALT?"});
    EXPECT_EQ(socket.SentTexts(), lines);
    EXPECT_EQ(qxtest::Value(setup.TimeScalePs), c.scalePsAfter);
    EXPECT_EQ(rgn.RedrawFlag1, c.format == 2 ? 1 : 0);
    EXPECT_EQ(setup.RunState, 1);
  }
}

// Each key's one line (no read-back); only AUTO gives up the held traces.
TEST_F(RunControlTest, KeysAndReportedStates) {
  const struct {
    unsigned int ctrl;
    BYTE runState;
    Lines lines;
    BYTE runStateAfter, clearUsb;
    std::int32_t trigStatus;
  } cases[] = {
      {CTL_AUTO, 0, {":AUTO"}, 1, 1, 4}, {CTL_STOP, 1, {":STOP"}, 0, 1, 1},
      {CTL_STOP, 0, {":STOP"}, 0, 0, 1}, {CTL_DEFAULT, 0, {":DEFAULT"}, 1, 1, 7},
      {CTL_RUN_STATE3, 0, {}, 1, 1, 3},  {CTL_CLEAR_COMMAND, 0, {}, 0, 0, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ctrl);
    socket.sent.clear();
    rgn.ClearUsbPending = 0;
    setup.RunState = c.runState;
    setup.TrigStatus = 7;
    setup.MathDisplayAtStop[0] = 1;
    Run(CMD_RUN_CONTROL, c.ctrl);
    EXPECT_EQ(socket.SentTexts(), c.lines);
    EXPECT_EQ(setup.RunState, c.runStateAfter);
    EXPECT_EQ(rgn.ClearUsbPending, c.clearUsb);
    EXPECT_EQ(setup.TrigStatus, c.trigStatus);
    EXPECT_EQ(setup.MathDisplayAtStop[0], c.ctrl == CTL_AUTO ? 0 : 1);
  }
  EXPECT_EQ(qxtest::Sleeps()[0], 10000u);  // the instrument searches for a signal after ":AUTO"
}

}  // namespace
