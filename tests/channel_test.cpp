// Analog channels: lines, recorder guard, probe, display and unit rules,
// offset markers by layout, and applying dragged scales and offsets.
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "frame/control_ids.h"
#include "frame/state.h"
#include "support/fakes.h"
#if QX_HAVE_SIM
#include "support/sim_link.h"
#endif

namespace {

using Lines = std::vector<std::string>;
using Points = std::vector<CPoint>;

class ChannelTest : public qxtest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    setup.ChanProbe[0] = setup.ChanProbe[1] = setup.ChanScale[0] = setup.ChanScale[1] = 1.0f;
    UseStandardWindows();
    rgn.TrigMarkRef = CPoint(350, 200);
  }
  Lines Sent() const { return socket.SentCommands(); }
};

TEST_F(ChannelTest, EachControlSendsItsLine) {
  struct Case {
    unsigned int ctrl;
    long channel;
    void (*set)();
    Lines lines;
  } cases[] = {
      {CTL_CH_OFFSET, 7, [] { SetMsgVarfloat(0.2f); }, {":CHANNEL2:OFFSET 0.200000"}},  // nonzero: CH2
      {CTL_CH_IMPEDANCE, 0, [] { SetMsgVarInt(1); }, {":CHANNEL1:INPUT 50OHM"}},
      {CTL_CH_FILTER_LOWER, 1, [] { SetMsgVarfloat(0.001f); }, {":CHANNEL2:FILTER:DOWNLIMIT 0.005000"}},
      {CTL_CH_FILTER_TYPE, 1, [] { SetMsgVarInt(4); }, {}},  // no keyword: refused
      {CTL_CH_UNIT, 0, [] { SetMsgVarInt(3); }, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ctrl);
    socket.sent.clear();
    c.set();
    Run(CMD_CHANNEL, c.ctrl, c.channel);
    EXPECT_EQ(Sent(), c.lines);
  }
  RunInt(CMD_CHANNEL, CTL_CH_UNIT, 6);  // code 6 has no text: "dBV" of code 3 stays
  EXPECT_STREQ(setup.ChanUnitText[0], "dBV");
}

TEST_F(ChannelTest, WhileRecordingOrPlayingOnlyTheDisplayChanges) {
  for (std::int32_t state : {1, 2, 3}) {
    setup.RecordState = state;
    socket.sent.clear();
    RunFloat(CMD_CHANNEL, CTL_CH_SCALE, 0.5f);
    EXPECT_EQ(setup.ChanScale[0], 1.0f);
    Status("Function not available");
    RunBool(CMD_CHANNEL, CTL_CH_DISPLAY, true);
    EXPECT_EQ(Sent(), Lines{":CHANNEL1:DISPLAY ON"});
  }
}

TEST_F(ChannelTest, ProbeScalesScaleOffsetAndTheCurrentTypesLevels) {
  setup.Connected = 0;
  setup.ChanScale[0] = 0.5f;
  setup.ChanOffset[0] = 0.2f;
  setup.TrigEdgeLevel = 0.3f;
  RunFloat(CMD_CHANNEL, CTL_CH_PROBE, 10.0f);
  EXPECT_EQ(std::string(qx::Command.CmdString), ":CHANNEL1:PROBE 10.000000");
  EXPECT_EQ(setup.ChanScale[0], 5.0f);
  EXPECT_EQ(setup.ChanOffset[0], 2.0f);
  EXPECT_EQ(setup.TrigEdgeLevel, 3.0f);

  setup.TrigType = TRIG_ALTERNATION;  // the alternate source's type, whatever channel
  setup.AltSource = 1;
  setup.AltTrigType[1] = TRIG_SLOPE;
  setup.AltSlopeLevelA[1] = setup.AltSlopeLevelB[1] = 1.0f;
  RunFloat(CMD_CHANNEL, CTL_CH_PROBE, 20.0f);
  EXPECT_EQ(setup.AltSlopeLevelA[1] + setup.AltSlopeLevelB[1], 4.0f);
}

TEST_F(ChannelTest, HidingAChannelUnderAMathTraceStaysOnTheHost) {
  setup.ChanDisplay[0] = setup.ChanDisplay[1] = 1;
  setup.ActiveChannel = ACTIVE_CH2;
  setup.MathDisplay[0] = 1;
  RunBool(CMD_CHANNEL, CTL_CH_DISPLAY, false, 1);
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(setup.ChanDisplay[1], 0);
  EXPECT_EQ(setup.ActiveChannel, ACTIVE_CH1);
  EXPECT_EQ(setup.TrigLevelShown, 1);  // the trigger source CH1 is shown
}

// Offset 1 V at 1 V/div: 50 pixels above the centre of a 400-pixel window, 25 in a 200-pixel one.
TEST_F(ChannelTest, MarkersFollowTheLayoutFirstMatchWins) {
  const CPoint no(0, 0), main(15, 150), upper(15, 75), lower(15, 275);
  struct Case {
    unsigned int ctrl;
    int ch;
    void (*layout)(_QX_SETUP&);
    CPoint mainPt, upperPt, lowerPt, trigMark;
  } cases[] = {
      {CTL_CH_SCALE, 1, [](_QX_SETUP& s) { s.DelayedOn = 1; }, no, upper, lower, no},
      {CTL_CH_OFFSET, 1, [](_QX_SETUP& s) { s.TrigType = TRIG_ALTERNATION; }, no, no, lower, no},
      // The offset-only row.
      {CTL_CH_SCALE, 0, [](_QX_SETUP& s) { s.TrigType = TRIG_ALTERNATION; }, main, no, no, no},
      {CTL_CH_OFFSET, 0, [](_QX_SETUP& s) { s.TimeFormat = s.DelayedOn = 1; }, no, no, no, CPoint(400, 200)},
      {CTL_CH_SCALE, 0, [](_QX_SETUP& s) { s.HoldMarkers = 1; }, no, no, no, no},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    setup = {};
    rgn.ChanOffsetPtMain[c.ch] = rgn.ChanOffsetPtUpper[c.ch] = rgn.ChanOffsetPtLower[c.ch] =
        rgn.TrigMarkMain = no;
    setup.ChanProbe[c.ch] = setup.ChanScale[c.ch] = setup.ChanOffset[c.ch] = 1.0f;
    c.layout(setup);
    RunFloat(CMD_CHANNEL, c.ctrl, 1.0f, c.ch);
    EXPECT_EQ((Points{rgn.ChanOffsetPtMain[c.ch], rgn.ChanOffsetPtUpper[c.ch], rgn.ChanOffsetPtLower[c.ch],
                      rgn.TrigMarkMain}),
              (Points{c.mainPt, c.upperPt, c.lowerPt, c.trigMark}));
  }
}

TEST_F(ChannelTest, ApplySendsChannelsByWindowScaleBeforeOffsetOrFollowsHeldMarkers) {
  setup.ChanScale[1] = 0.1f;
  setup.ChanOffset[0] = 5.0f;  // within +-40 V at 1 V/div
  setup.ChanOffset[1] = 9.0f;  // beyond +-2 V at 0.1 V/div
  const struct {
    unsigned int ctrl;
    long value;
    std::int32_t window;
    Lines lines;
  } cases[] = {
      // clang-format off
      {CTL_APPLY_OFFSETS, 3, 2, {":CHANNEL2:OFFSET 2.000000", ":TIMEBASE:DELAYED:OFFSET 0.000000000"}},
      {CTL_APPLY_SCALES, 0, 1, {":CHANNEL1:SCALE 1.000000", ":CHANNEL1:OFFSET 5.000000", ":CHANNEL2:SCALE 0.100000",
        ":CHANNEL2:OFFSET 2.000000", ":TIMEBASE:SCALE 0.000000000", ":TIMEBASE:OFFSET 0.000000000",
        ":TIMEBASE:DELAYED:SCALE 0.000000000", ":TIMEBASE:DELAYED:OFFSET 0.000000000"}},
      {CTL_APPLY_SCALES, 0, 2, {":TIMEBASE:DELAYED:SCALE 0.000000000", ":TIMEBASE:DELAYED:OFFSET 0.000000000"}},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.window);
    socket.sent.clear();
    rgn.ActiveWindow = c.window;
    rgn.RedrawFlag4 = 0;
    Run(CMD_APPLY_VIEW, c.ctrl, c.value);
    EXPECT_EQ(Sent(), c.lines);
    EXPECT_EQ(rgn.RedrawFlag4, 1);
  }
  // Held markers: the offset follows the marker, two divisions above the centre.
  setup.HoldMarkers = 1;
  setup.ChanScale[0] = 0.5f;
  rgn.ActiveWindow = 0;
  rgn.ChanOffsetPtMain[0] = CPoint(15, 100);
  socket.sent.clear();
  Run(CMD_APPLY_VIEW, CTL_APPLY_SCALES, 0);
  EXPECT_EQ(Sent().at(1), ":CHANNEL1:OFFSET 1.000000");
}

#if QX_HAVE_SIM
using qxtest::SimEndToEnd;

// Over loopback TCP: the instrument keeps volts/div on its 1-2-5 steps per
// unit of its probe factor, and the read-back brings that back.
TEST_F(SimEndToEnd, ChannelScaleAndProbeReachTheInstrument) {
  ASSERT_TRUE(QxInitSystem());
  RunFloat(CMD_CHANNEL, CTL_CH_SCALE, 0.4f);
  EXPECT_EQ(setup.ChanScale[0], 0.5f);
  RunFloat(CMD_CHANNEL, CTL_CH_PROBE, 2.0f);
  RunFloat(CMD_CHANNEL, CTL_CH_SCALE, 0.4f);  // 0.2 V/div at the probe's input
  EXPECT_EQ(setup.ChanScale[0], 0.4f);
  EXPECT_EQ(instrument_.GetCounters().errors, 0u);
}
#endif

}  // namespace
