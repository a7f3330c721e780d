// Analog channels: each control's line, the recorder guard, the probe, the
// display and unit rules, the offset markers by layout, and applying the
// scales and offsets the host dragged.
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "frame/state.h"
#include "support/fakes.h"
#if QX_HAVE_SIM
#include "le_bytes.h"
#include "setup/block_layout.h"
#include "sim/instrument.h"
#include "sim/server.h"
#endif

namespace {

class ChannelTest : public qxtest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    for (int c = 0; c < 2; ++c) {
      setup.ChanProbe[c] = 1.0f;
      setup.ChanScale[c] = 1.0f;
    }
    rgn.MainWaveRect = CRect(0, 0, 700, 400);
    rgn.UpperWaveRect = CRect(0, 0, 700, 200);
    rgn.LowerWaveRect = CRect(0, 200, 700, 400);
    rgn.TrigMarkRef = CPoint(350, 200);
  }
  // The lines sent, without the read-back queries.
  std::vector<std::string> Sent() const {
    std::vector<std::string> lines;
    for (const std::string& text : socket.SentTexts())
      if (text.rfind(":SETUP:", 0) != 0) lines.push_back(text);
    return lines;
  }
};

using Lines = std::vector<std::string>;

TEST_F(ChannelTest, EachControlSendsItsLine) {
  struct Case {
    const char* name;
    unsigned int ctrl;
    long channel;
    void (*set)();
    Lines lines;
  } cases[] = {
      {"scale", CTL_CH_SCALE, 0, [] { SetMsgVarfloat(0.5f); }, {":CHANNEL1:SCALE 0.500000"}},
      {"offset, any nonzero value is CH2",
       CTL_CH_OFFSET,
       7,
       [] { SetMsgVarfloat(0.2f); },
       {":CHANNEL2:OFFSET 0.200000"}},
      {"coupling AC", CTL_CH_COUPLING, 0, [] { SetMsgVarInt(1); }, {":CHANNEL1:COUPLING AC"}},
      {"coupling other is DC", CTL_CH_COUPLING, 0, [] { SetMsgVarInt(5); }, {":CHANNEL1:COUPLING DC"}},
      {"bandwidth limit", CTL_CH_BWLIMIT, 1, [] { SetMsgVarbool(true); }, {":CHANNEL2:BWLIMIT ON"}},
      {"invert", CTL_CH_INVERT, 0, [] { SetMsgVarbool(true); }, {":CHANNEL1:INVERT ON"}},
      {"50 ohm", CTL_CH_IMPEDANCE, 0, [] { SetMsgVarInt(1); }, {":CHANNEL1:INPUT 50OHM"}},
      {"1 Mohm", CTL_CH_IMPEDANCE, 0, [] { SetMsgVarInt(0); }, {":CHANNEL1:INPUT 1MOHM"}},
      {"filter shown",
       CTL_CH_FILTER_DISPLAY,
       0,
       [] { SetMsgVarbool(true); },
       {":CHANNEL1:FILTER:DISPLAY ON"}},
      {"filter upper limit",
       CTL_CH_FILTER_UPPER,
       0,
       [] { SetMsgVarfloat(0.25f); },
       {":CHANNEL1:FILTER:UPLIMIT 0.250000"}},
      {"filter lower limit clamped",
       CTL_CH_FILTER_LOWER,
       1,
       [] { SetMsgVarfloat(0.001f); },
       {":CHANNEL2:FILTER:DOWNLIMIT 0.005000"}},
      {"filter type", CTL_CH_FILTER_TYPE, 1, [] { SetMsgVarInt(2); }, {":CHANNEL2:FILTER:TYPE BANDPASS"}},
      {"filter type without keyword", CTL_CH_FILTER_TYPE, 1, [] { SetMsgVarInt(4); }, {}},
      {"unit stays on the host", CTL_CH_UNIT, 0, [] { SetMsgVarInt(3); }, {}},
      {"display", CTL_CH_DISPLAY, 1, [] { SetMsgVarbool(true); }, {":CHANNEL2:DISPLAY ON"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    socket.sent.clear();
    c.set();
    Run(CMD_CHANNEL, c.ctrl, c.channel);
    EXPECT_EQ(Sent(), c.lines);
  }
  EXPECT_EQ(setup.ChanFilterType[1], 2);
  EXPECT_EQ(setup.ChanFilterLower[1], 0.005f);
}

TEST_F(ChannelTest, WhileRecordingOrPlayingOnlyTheDisplayChanges) {
  for (std::int32_t state : {1, 2, 3}) {
    SCOPED_TRACE(state);
    setup.RecordState = state;
    setup.ErrorText[0] = '\0';
    socket.sent.clear();
    RunFloat(CMD_CHANNEL, CTL_CH_SCALE, 0.5f);
    EXPECT_EQ(setup.ChanScale[0], 1.0f);
    EXPECT_STREQ(setup.ErrorText, "Function not available");
    RunInt(CMD_CHANNEL, CTL_CH_UNIT, 1);
    EXPECT_STREQ(setup.ChanUnitText[0], "");
    SetMsgVarbool(true);
    Run(CMD_CHANNEL, CTL_CH_DISPLAY, 0);
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

  // Alternate trigger: the levels of the alternate source's type.
  setup.TrigType = TRIG_ALTERNATION;
  setup.AltSource = 1;
  setup.AltTrigType[1] = TRIG_SLOPE;
  setup.AltSlopeLevelA[1] = 1.0f;
  setup.AltSlopeLevelB[1] = -1.0f;
  RunFloat(CMD_CHANNEL, CTL_CH_PROBE, 20.0f);  // k = 2, whatever channel
  EXPECT_EQ(setup.AltSlopeLevelA[1], 2.0f);
  EXPECT_EQ(setup.AltSlopeLevelB[1], -2.0f);
  setup.AltSource = 5;  // no alternate channel: no level changes
  RunFloat(CMD_CHANNEL, CTL_CH_PROBE, 40.0f);
  EXPECT_EQ(setup.AltSlopeLevelA[1], 2.0f);
  EXPECT_EQ(setup.ChanScale[0], 20.0f);

  // From a factor of 0 there is no ratio: only the factor is taken.
  setup.ChanProbe[1] = 0.0f;
  RunFloat(CMD_CHANNEL, CTL_CH_PROBE, 10.0f, 1);
  EXPECT_EQ(setup.ChanProbe[1], 10.0f);
  EXPECT_EQ(setup.ChanScale[1], 1.0f);
}

TEST_F(ChannelTest, HidingAChannelUnderAMathTraceStaysOnTheHost) {
  setup.ChanDisplay[0] = setup.ChanDisplay[1] = 1;
  setup.ActiveChannel = ACTIVE_CH2;
  setup.MathDisplay[0] = 1;
  SetMsgVarbool(false);
  Run(CMD_CHANNEL, CTL_CH_DISPLAY, 1);
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(setup.ChanDisplay[1], 0);
  EXPECT_EQ(setup.ActiveChannel, ACTIVE_CH1);
  EXPECT_EQ(setup.TrigLevelShown, 1);  // the trigger source CH1 is shown
  EXPECT_EQ(rgn.RedrawFlag3, 1);

  setup.TimeFormat = 2;  // rolling: no level marker
  SetMsgVarbool(true);
  Run(CMD_CHANNEL, CTL_CH_DISPLAY, 1);
  EXPECT_EQ(setup.TrigLevelShown, 0);
  EXPECT_EQ(setup.ActiveChannel, ACTIVE_CH2);
}

TEST_F(ChannelTest, UnitCodesWithoutTextKeepTheText) {
  setup.Connected = 0;
  setup.MathOperator[0] = 3;  // a spectrum keeps its own unit
  std::strcpy(setup.MathUnitText[0], "dB");
  setup.MathSourceA[1] = 9;  // a source outside the channels is skipped
  std::strcpy(setup.MathUnitText[1], "X");
  for (auto [code, text] : {std::pair{3, "dBV"}, {6, "dBV"}, {-1, "dBV"}, {8, "dBV"}, {7, "U"}, {0, "V"}}) {
    SCOPED_TRACE(code);
    RunInt(CMD_CHANNEL, CTL_CH_UNIT, code);
    EXPECT_EQ(setup.ChanUnit[0], code);
    EXPECT_STREQ(setup.ChanUnitText[0], text);
  }
  EXPECT_STREQ(setup.MathUnitText[0], "dB");
  EXPECT_STREQ(setup.MathUnitText[1], "X");
}

// Offset 1 V at 1 V/div: 50 pixels above the centre of a 400-pixel window, 25 of a 200-pixel one.
TEST_F(ChannelTest, MarkersFollowTheLayoutFirstMatchWins) {
  const CPoint none(0, 0), main(15, 150), upper(15, 75), lower(15, 275);
  struct Case {
    const char* name;
    unsigned int ctrl;
    int ch;
    void (*layout)(_QX_SETUP&);
    CPoint mainPt, upperPt, lowerPt, trigMark;
  } cases[] = {
      {"YT", CTL_CH_OFFSET, 0, [](_QX_SETUP&) {}, main, none, none, none},
      {"delayed: both windows", CTL_CH_SCALE, 1, [](_QX_SETUP& s) { s.DelayedOn = 1; }, none, upper, lower,
       none},
      {"alternate CH2 offset: lower", CTL_CH_OFFSET, 1, [](_QX_SETUP& s) { s.TrigType = TRIG_ALTERNATION; },
       none, none, lower, none},
      {"alternate CH1 scale: main", CTL_CH_SCALE, 0, [](_QX_SETUP& s) { s.TrigType = TRIG_ALTERNATION; },
       main, none, none, none},
      {"FFT split offset: upper", CTL_CH_OFFSET, 1,
       [](_QX_SETUP& s) {
         s.MathDisplay[2] = 1;
         s.MathOperator[2] = 3;
       },
       none, upper, none, none},
      {"XY CH1: horizontal marker", CTL_CH_OFFSET, 0,
       [](_QX_SETUP& s) {
         s.TimeFormat = 1;
         s.DelayedOn = 1;
       },
       none, none, none, CPoint(400, 200)},
      {"held markers: none moves", CTL_CH_SCALE, 0, [](_QX_SETUP& s) { s.HoldMarkers = 1; }, none, none, none,
       none},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    setup = {};
    rgn.ChanOffsetPtMain[c.ch] = rgn.ChanOffsetPtUpper[c.ch] = rgn.ChanOffsetPtLower[c.ch] = none;
    rgn.TrigMarkMain = none;
    setup.ChanProbe[c.ch] = setup.ChanScale[c.ch] = setup.ChanOffset[c.ch] = 1.0f;
    c.layout(setup);
    RunFloat(CMD_CHANNEL, c.ctrl, 1.0f, c.ch);
    EXPECT_EQ(rgn.ChanOffsetPtMain[c.ch], c.mainPt);
    EXPECT_EQ(rgn.ChanOffsetPtUpper[c.ch], c.upperPt);
    EXPECT_EQ(rgn.ChanOffsetPtLower[c.ch], c.lowerPt);
    EXPECT_EQ(rgn.TrigMarkMain, c.trigMark);
  }
}

TEST_F(ChannelTest, ApplySendsChannelsByWindowScaleBeforeOffset) {
  setup.ChanScale[1] = 0.1f;
  setup.ChanOffset[0] = 5.0f;  // within +-40 V at 1 V/div
  setup.ChanOffset[1] = 9.0f;  // beyond +-2 V at 0.1 V/div
  struct Case {
    unsigned int ctrl;
    long value;
    std::int32_t window;
    Lines lines;
  } cases[] = {
      {CTL_APPLY_OFFSETS, 3, 2, {":CHANNEL2:OFFSET 2.000000"}},
      {CTL_APPLY_SCALES,
       0,
       1,
       {":CHANNEL1:SCALE 1.000000", ":CHANNEL1:OFFSET 5.000000", ":CHANNEL2:SCALE 0.100000",
        ":CHANNEL2:OFFSET 2.000000"}},
      {CTL_APPLY_SCALES, 0, 2, {}},
      {CTL_APPLY_SCALES, 0, 4, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.window);
    socket.sent.clear();
    rgn.ActiveWindow = c.window;
    rgn.RedrawFlag4 = 0;
    Run(CMD_APPLY_VIEW, c.ctrl, c.value);
    EXPECT_EQ(Sent(), c.lines);
    EXPECT_EQ(rgn.RedrawFlag4, 1);
    EXPECT_EQ(setup.AutoFlag0, 1);
  }
}

// With the markers held a new scale moves the offset to where the marker stands.
TEST_F(ChannelTest, ApplyScalesWithHeldMarkersTakesTheOffsetFromTheMarker) {
  setup.HoldMarkers = 1;
  setup.ChanScale[0] = 0.5f;
  rgn.ChanOffsetPtMain[0] = CPoint(15, 100);  // two divisions above the centre
  Run(CMD_APPLY_VIEW, CTL_APPLY_SCALES, 0);
  EXPECT_EQ(setup.ChanOffset[0], 1.0f);
  EXPECT_EQ(Sent()[1], ":CHANNEL1:OFFSET 1.000000");
  EXPECT_EQ(rgn.ChanOffsetPtMain[0], CPoint(15, 100));
}

#if QX_HAVE_SIM
// Against the simulated instrument over loopback TCP: it keeps volts/div on
// its 1-2-5 steps times the probe, and the read-back brings that back.
class ChannelSimTest : public qxtest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    const int port = server_.Start("127.0.0.1", 0);
    ASSERT_GT(port, 0) << server_.LastError();
    ASSERT_TRUE(tcp_.Connect("127.0.0.1", static_cast<unsigned short>(port), 1000));
    QxMsgInit(&main, &setup, &rgn, &pos, &tcp_);
    QxSetSleepHook([](DWORD ms) {  // reply waits let the server answer
      qxtest::RecordSleep(ms);
      if (ms <= 10) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
  }
  void TearDown() override {
    LibraryTest::TearDown();
    server_.Stop();
  }
  float BlockF32(int offset) { return qx::LoadF32(instrument_.Block(qxsim::BlockId::Dso).data() + offset); }

  qxsim::Instrument instrument_;
  qxsim::Server server_{instrument_};
  QxTcpSocket tcp_;
};

TEST_F(ChannelSimTest, ScaleAndProbeReachTheInstrumentAndReadBack) {
  namespace dso = qx::layout::dso;
  ASSERT_TRUE(QxInitSystem());
  RunFloat(CMD_CHANNEL, CTL_CH_SCALE, 0.4f);
  EXPECT_EQ(setup.ChanScale[0], 0.5f);
  RunFloat(CMD_CHANNEL, CTL_CH_PROBE, 10.0f);
  EXPECT_EQ(BlockF32(dso::ChanProbe[0]), 10.0f);
  EXPECT_EQ(setup.ChanScale[0], 5.0f);
  RunFloat(CMD_CHANNEL, CTL_CH_SCALE, 4.0f);
  EXPECT_EQ(BlockF32(dso::ChanScale[0]), 5.0f);
  EXPECT_EQ(setup.ChanScale[0], 5.0f);
  EXPECT_EQ(instrument_.GetCounters().errors, 0u);
}
#endif

}  // namespace
