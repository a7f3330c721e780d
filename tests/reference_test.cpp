// Reference waveforms: source choice, the picosecond time model, markers by
// layout, and nothing ever sent.
#include <string>

#include "frame/control_ids.h"
#include "frame/state.h"
#include "support/fakes.h"

namespace {

class ReferenceTest : public qxtest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    UseStandardWindows();
    for (float& scale : setup.RefScale) scale = 1.0f;
  }
  void RunDouble(unsigned ctrl, double v, long r) {
    SetMsgVarDouble(v);
    Run(CMD_REF, ctrl, r);
  }
};

TEST_F(ReferenceTest, SourceMustBeAShownTrace) {
  setup.ChanDisplay[0] = 1;
  setup.MathDisplay[1] = 1;
  setup.MathOperator[1] = 3;
  struct Case {
    int v;
    std::int32_t trigType;
    bool taken;
  } cases[] = {{0, TRIG_EDGE, true},        {3, TRIG_EDGE, true},  {3, TRIG_ALTERNATION, false},
               {0, TRIG_ALTERNATION, true}, {2, TRIG_EDGE, false}, {6, TRIG_EDGE, false},
               {-1, TRIG_EDGE, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.v << " under " << c.trigType);
    setup.RefSource[2] = 9;
    setup.RefOperator[2] = 0;
    setup.TrigType = c.trigType;
    RunInt(CMD_REF, CTL_REF_SOURCE, c.v, 2);
    EXPECT_EQ(setup.RefSource[2], c.taken ? c.v : 9);
    EXPECT_EQ(setup.RefOperator[2], c.taken && c.v >= 2 ? 3 : 0);
    Status(c.taken ? "" : "Function not available");
  }
}

// The validated time plus 0.5, truncated toward zero, whatever the sign.
TEST_F(ReferenceTest, HorizontalOffsetInPicoseconds) {
  RunDouble(CTL_REF_TIME_OFFSET, -0.25, 1);
  EXPECT_EQ(qxtest::Value(setup.RefTimeOffsetPs[1]), -249999999999);
  EXPECT_DOUBLE_EQ(qxtest::Value(setup.RefTimeOffset[1]), -0.249999999999);
  EXPECT_EQ(std::string(qx::Command.CmdString), ":REF:TIME:OFFSET -0.250000");
  RunDouble(CTL_REF_TIME_OFFSET, 0.25, 1);
  EXPECT_EQ(qxtest::Value(setup.RefTimeOffsetPs[1]), 250000000000);
  RunDouble(CTL_REF_TIME_SCALE, 1e-3, 1);
  EXPECT_EQ(qxtest::Value(setup.RefTimeScalePs[1]), 1000000000);
  EXPECT_EQ(std::string(qx::Command.CmdString), ":REF:TIME:SCALE 0.001000");
  EXPECT_TRUE(socket.sent.empty());
}

// A spectrum's horizontal values are hertz: no picoseconds, the offset in
// divisions kept beside it.
TEST_F(ReferenceTest, FftReferenceKeepsHertzAndDivisions) {
  setup.RefSource[0] = 2;
  setup.RefOperator[0] = 3;
  setup.RefTimeScale[0] = 100.0;
  setup.RefTimeOffsetPs[0] = 77;
  RunDouble(CTL_REF_TIME_OFFSET, 250.0, 0);
  EXPECT_DOUBLE_EQ(qxtest::Value(setup.RefTimeOffset[0]), 250.0);
  EXPECT_FLOAT_EQ(setup.RefFFTOffset[0], 2.5f);
  EXPECT_EQ(qxtest::Value(setup.RefTimeOffsetPs[0]), 77);
}

TEST_F(ReferenceTest, MarkersByLayout) {
  // Held marker, single window: the marker stays, the offset follows it.
  setup.ChanDisplay[0] = 1;
  setup.RefSource[0] = 0;
  setup.ChanProbe[0] = 1.0f;
  setup.HoldMarkers = 1;
  rgn.RefOffsetPtMain[0] = CPoint(15, 150);
  RunFloat(CMD_REF, CTL_REF_SCALE, 0.5f, 0);
  EXPECT_EQ(setup.RefScale[0], 0.5f);
  EXPECT_EQ(rgn.RefOffsetPtMain[0], CPoint(15, 150));
  EXPECT_FLOAT_EQ(setup.RefOffset[0], 0.5f);  // 50 px up at 0.5 V per 50 px

  // FFT split: an offset moves an FFT reference's lower marker, others' upper.
  setup.HoldMarkers = 0;
  setup.MathDisplay[0] = 1;
  setup.MathOperator[0] = 3;
  setup.RefSource[1] = 2;
  setup.RefOperator[1] = 3;
  setup.RefSource[2] = 1;
  RunFloat(CMD_REF, CTL_REF_OFFSET, 0.0f, 1);
  RunFloat(CMD_REF, CTL_REF_OFFSET, 0.0f, 2);
  EXPECT_EQ(rgn.RefOffsetPtLower[1], CPoint(15, 300));
  EXPECT_EQ(rgn.RefOffsetPtUpper[1], CPoint(0, 0));
  EXPECT_EQ(rgn.RefOffsetPtUpper[2], CPoint(15, 100));
  EXPECT_EQ(rgn.RefOffsetPtLower[2], CPoint(0, 0));
}

TEST_F(ReferenceTest, DisplayFillAndSnapshot) {
  setup.TimeFormat = 1;
  RunBool(CMD_REF, CTL_REF_DISPLAY, true, 3);
  EXPECT_EQ(setup.RefDisplay[3], 0);
  EXPECT_STREQ(setup.ErrorText, "Function not available at XY mode");
  setup.TimeFormat = 0;
  RunBool(CMD_REF, CTL_REF_DISPLAY, true, 3);
  EXPECT_EQ(setup.RefDisplay[3], 1);
  EXPECT_EQ(std::string(qx::Command.CmdString), ":REF:DISPLAY ON");

  setup.RefTimeScale[3] = 2e-3;
  Run(CMD_REF, CTL_REF_FILLED, 3);
  EXPECT_EQ(setup.RefSaved[3], 1);
  EXPECT_EQ(qxtest::Value(setup.RefTimeScalePs[3]), 2000000000);

  setup.TrigType = TRIG_ALTERNATION;
  setup.RefSource[3] = 1;
  setup.AltSampleRate[1] = 5e8f;
  setup.AcqMemDepthAtStop = 4096;
  Run(CMD_REF, CTL_REF_SNAPSHOT, 3);
  EXPECT_EQ(setup.RefSampleRate[3], 5e8f);
  EXPECT_EQ(setup.RefMemDepth[3], 4096);
  EXPECT_TRUE(socket.sent.empty());
}

}  // namespace
