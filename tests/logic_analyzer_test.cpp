// The logic analyzer: the lines its controls send, the analyzer following
// its channels through queued commands, groups, thresholds and the marker
// positions of the digital traces.
#include <string>
#include <vector>

#include "frame/control_ids.h"
#include "frame/state.h"
#include "support/fakes.h"

namespace {

using Texts = std::vector<std::string>;

Texts WithReadBack(const std::string& line) { return {line, ":SETUP:DSO?", ":SETUP:LA?", ":SETUP:ALT?"}; }

class LogicAnalyzerTest : public qxtest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    UseStandardWindows();
  }
  // Runs the command and every command it queued, answering each read-back.
  void RunAll(unsigned ctrl, long value, BYTE v) {
    SetMsgVarUINT(v);
    for (int i = 0; i < 4; ++i) ScriptReadBack();
    Run(CMD_DIGITAL, ctrl, value);
    while (GetIOCmd() != 0) {
      queued.push_back(static_cast<unsigned>(qx::Frame.Queue[qx::Frame.ReadIndex].CtrlId));
      IOCmdProcess();
    }
  }
  std::vector<unsigned> queued;
};

TEST_F(LogicAnalyzerTest, AnalyzerFollowsItsChannels) {
  // D3 on with the analyzer off: D3's line now, the analyzer after it.
  RunAll(CTL_LA_CHANNEL, 3, 1);
  Texts expected = WithReadBack(":DIGITAL3:TURN ON");
  expected.insert(expected.end(), {":LA:DISPLAY ON", ":SETUP:DSO?", ":SETUP:LA?", ":SETUP:ALT?"});
  EXPECT_EQ(socket.SentTexts(), expected);
  EXPECT_EQ(queued, (std::vector<unsigned>{CTL_LA_DISPLAY}));
  EXPECT_EQ(setup.LaEnable, 1);
  EXPECT_EQ(setup.ActiveChannel, ACTIVE_LA);

  // The last channel off, X cursor on the analyzer: analyzer off, then cursor off.
  socket.sent.clear();
  queued.clear();
  setup.CursorXSource = 6;
  setup.CursorXOn = 1;
  RunAll(CTL_LA_CHANNEL, 3, 0);
  EXPECT_EQ(socket.SentTexts().front(), ":DIGITAL3:TURN OFF");
  EXPECT_EQ(queued, (std::vector<unsigned>{CTL_LA_DISPLAY, 0x8A7}));
  EXPECT_EQ(setup.LaEnable, 0);
}

TEST_F(LogicAnalyzerTest, GroupsAndTheirChannels) {
  setup.LaEnable = 1;
  RunAll(CTL_LA_GROUP2, 0, 1);
  EXPECT_EQ(socket.SentTexts().front(), ":LA:GROUP2 ON");
  for (int n = 0; n < 16; ++n) EXPECT_EQ(setup.LaChanDisplay[n], n >= 8 ? 1 : 0) << n;
  EXPECT_EQ(setup.LaGroup2, 1);
  EXPECT_EQ(setup.LaGroup1, 0);
  RunAll(CTL_LA_CHANNEL, 9, 0);
  EXPECT_EQ(setup.LaGroup2, 0);
  EXPECT_TRUE(queued.empty());
  RunAll(CTL_LA_GROUP1, 0, 2);  // only 1 shows the group
  EXPECT_EQ(setup.LaChanDisplay[0], 0);
  EXPECT_EQ(setup.LaGroup1, 2);
}

// Under the alternate trigger (even in XY) and in XY the analyzer, its
// channels and groups are refused; the empty line still goes out.
TEST_F(LogicAnalyzerTest, RefusedUnderAlternateTriggerAndXY) {
  struct Case {
    std::int32_t trigType, format;
    const char* status;
  } cases[] = {{TRIG_ALTERNATION, 1, "Function not available at alternate trigger"},
               {TRIG_EDGE, 1, "Function not available at XY mode"}};
  for (const Case& c : cases) {
    for (unsigned ctrl : {CTL_LA_DISPLAY, CTL_LA_CHANNEL, CTL_LA_GROUP1, CTL_LA_GROUP2}) {
      SCOPED_TRACE(testing::Message() << c.status << " " << std::hex << ctrl);
      setup.TrigType = c.trigType;
      setup.TimeFormat = c.format;
      socket.sent.clear();
      queued.clear();
      RunAll(ctrl, 2, 1);
      EXPECT_EQ(socket.SentTexts(), WithReadBack(""));
      EXPECT_STREQ(setup.ErrorText, c.status);
      EXPECT_EQ(setup.LaEnable + setup.LaChanDisplay[2] + setup.LaChanDisplay[0], 0);
    }
  }
}

TEST_F(LogicAnalyzerTest, Thresholds) {
  setup.Connected = 0;  // the handler's own work, without the read-back
  struct Case {
    unsigned ctrl;
    std::int32_t typeBefore;
    int v;  // int for the type, hundredths of a volt for the levels
    const char* line;
    float threshold, user;
  } cases[] = {
      {CTL_LA_THRESHOLD_TYPE, 0, 2, ":LA:THRESHOLD ECL", -1.3f, 0.5f},
      {CTL_LA_THRESHOLD_TYPE, 0, 3, ":LA:THRESHOLD USER", 0.5f, 0.5f},
      {CTL_LA_THRESHOLD_TYPE, 0, 7, ":LA:THRESHOLD ", 9.0f, 0.5f},
      {CTL_LA_THRESHOLD, 3, 123, ":LA:THRESHOLD 1.230000", 1.23f, 1.23f},
      {CTL_LA_THRESHOLD, 0, 123, "", 9.0f, 0.5f},
      {CTL_LA_USER_THRESHOLD, 0, 200, "", 9.0f, 2.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    setup.LaThresholdType = c.typeBefore;
    setup.LaThreshold = 9.0f;
    setup.LaUserThreshold = 0.5f;
    const bool type = c.ctrl == CTL_LA_THRESHOLD_TYPE;
    type ? SetMsgVarInt(c.v) : SetMsgVarfloat(c.v / 100.0f);
    Run(CMD_DIGITAL, c.ctrl);
    EXPECT_EQ(std::string(qx::Command.CmdString), c.line);
    EXPECT_TRUE(qx::Command.SendFlag);
    EXPECT_EQ(setup.LaThresholdType, type ? c.v : c.typeBefore);
    EXPECT_FLOAT_EQ(setup.LaThreshold, c.threshold);
    EXPECT_FLOAT_EQ(setup.LaUserThreshold, c.user);
  }
}

// Positions stay on the host; markers follow in the windows in use.
TEST_F(LogicAnalyzerTest, PositionsSizeAndDefaults) {
  setup.DelayedOn = 1;
  RunFloat(CMD_DIGITAL, CTL_LA_POSITION, 1.0f, 5);
  EXPECT_EQ(setup.LaChanPos[5], 1.0f);
  EXPECT_EQ(rgn.LaOffsetPtUpper[5], CPoint(15, 75));
  EXPECT_EQ(rgn.LaOffsetPtLower[5], CPoint(15, 275));
  EXPECT_EQ(rgn.LaOffsetPtMain[5], CPoint(0, 0));

  RunInt(CMD_DIGITAL, CTL_LA_SIZE, 1);
  EXPECT_EQ(setup.LaTraceSpan, 24.0f);
  EXPECT_EQ(setup.LaTraceSpanInner, 18);
  Run(CMD_DIGITAL, CTL_LA_DEFAULT);
  EXPECT_FLOAT_EQ(setup.LaChanPos[7], -0.5875f);
  EXPECT_FLOAT_EQ(setup.LaChanPos[8], 0.5f);
  EXPECT_FLOAT_EQ(setup.LaChanPos[15], 3.5625f);
  EXPECT_EQ(rgn.LaOffsetPtMain[15], CPoint(15, 22));  // 200 - trunc(400 * 3.5625 / 8)

  RunInt(CMD_DIGITAL, CTL_LA_SIZE, 0);
  EXPECT_EQ(setup.LaTraceSpan, 44.0f);
  EXPECT_EQ(setup.LaTraceSpanInner, 38);
  Run(CMD_DIGITAL, CTL_LA_DEFAULT);
  EXPECT_FLOAT_EQ(setup.LaChanPos[0], -3.65f);
  EXPECT_FLOAT_EQ(setup.LaChanPos[8], -3.65f);
  EXPECT_FLOAT_EQ(setup.LaChanPos[15], 3.35f);
  EXPECT_EQ(rgn.LaOffsetPtLower[0], CPoint(15, 391));  // 300 + trunc(200 * 3.65 / 8)
  EXPECT_TRUE(socket.sent.empty());
}

}  // namespace
