// Trigger: the line each control builds, what it stores, the pattern text,
// the level markers and the exported level queries.
#include <cmath>
#include <cstring>
#include <string>

#include "frame/handlers.h"
#include "le_bytes.h"
#include "support/fakes.h"

#if QX_HAVE_SIM
#include <chrono>
#include <thread>

#include "sim/instrument.h"
#include "sim/server.h"
#endif

namespace {

using qx::Command;

class TriggerTest : public qxtest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    setup.Connected = 0;  // the line is checked where the handler leaves it
    setup.ChanScale[0] = setup.ChanScale[1] = 1.0f;
    setup.ChanDisplay[0] = setup.ChanDisplay[1] = 1;
    for (int i = 0; i < 16; ++i) setup.TrigPattern[i] = setup.TrigDuration[i] = 2;
    base_ = setup;
  }
  void Reset() { setup = base_; }
  std::string Line() const { return std::string(Command.CmdString); }

  _QX_SETUP base_{};
};

// Each case starts from the same records; `prepare` sets the state and the
// message variable.
TEST_F(TriggerTest, EachControlBuildsItsLine) {
  struct Case {
    const char* name;
    unsigned int ctrl;
    long value;
    void (*prepare)(_QX_SETUP&);
    const char* line;
    const char* status;
  } cases[] = {
      // clang-format off
      {"edge level clamped", CTL_EDGE_LEVEL, 0, [](_QX_SETUP&) { SetMsgVarfloat(7.0f); },
       ":TRIGGER:EDGE:LEVEL 6.000000", "Trigger level at upper limit"},
      {"edge level by the edge source under another type", CTL_EDGE_LEVEL, 0,
       [](_QX_SETUP& s) { s.TrigType = TRIG_PULSE, s.TrigEdgeSource = 2; SetMsgVarfloat(5.0f); },
       ":TRIGGER:EDGE:LEVEL 1.200000", "Trigger level at upper limit"},
      {"EXT5 has a fixed window", CTL_PULSE_LEVEL, 0,
       [](_QX_SETUP& s) { s.TrigPulseSource = 3, s.ChanScale[0] = 0.1f; SetMsgVarfloat(-7.0f); },
       ":TRIGGER:PULSE:LEVEL -6.000000", "Trigger level at lower limit"},
      {"AC line level held to 0", CTL_VIDEO_LEVEL, 0,
       [](_QX_SETUP& s) { s.TrigVideoSource = 5; SetMsgVarfloat(0.5f); },
       ":TRIGGER:VIDEO:LEVEL 0.000000", "Trigger level at upper limit"},
      {"slope level by the channel's offset", CTL_SLOPE_LEVELB, 0,
       [](_QX_SETUP& s) { s.TrigSlopeSource = 1, s.ChanOffset[1] = 1.0f; SetMsgVarfloat(5.5f); },
       ":TRIGGER:SLOPE:LEVELB 5.000000", "Trigger level at upper limit"},
      {"coupling under VIDEO has no node", CTL_TRIG_COUPLING, 0,
       [](_QX_SETUP& s) { s.TrigType = TRIG_VIDEO; SetMsgVarInt(1); }, ":TRIGGER:COUPLING AC", ""},
      {"coupling under EDGE", CTL_TRIG_COUPLING, 0, [](_QX_SETUP&) { SetMsgVarInt(1); },
       ":TRIGGER:EDGE:COUPLING AC", ""},
      {"sensitivity under PATTERN", CTL_TRIG_SENSITIVITY, 0,
       [](_QX_SETUP& s) { s.TrigType = TRIG_PATTERN; SetMsgVarfloat(0.5f); }, ":TRIGGER:SENSITIVITY 0.50", ""},
      {"sensitivity under SLOPE", CTL_TRIG_SENSITIVITY, 0,
       [](_QX_SETUP& s) { s.TrigType = TRIG_SLOPE; SetMsgVarfloat(2.0f); }, ":TRIGGER:SLOPE:SENSITIVITY 1.00",
       "Trigger sensitivity at upper limit"},
      {"sweep under DURATION", CTL_TRIG_SWEEP, 0,
       [](_QX_SETUP& s) { s.TrigType = TRIG_DURATION; SetMsgVarInt(2); }, ":TRIGGER:DURATION:SWEEP SINGLE", ""},
      {"sweep under an unknown type", CTL_TRIG_SWEEP, 0,
       [](_QX_SETUP& s) { s.TrigType = 9; SetMsgVarInt(0); }, ":TRIGGER:SWEEP AUTO", ""},
      {"sweep out of its table", CTL_TRIG_SWEEP, 0, [](_QX_SETUP&) { SetMsgVarInt(3); }, ":TRIGGER:EDGE:SWEEP ", ""},
      {"holdoff has no node", CTL_TRIG_HOLDOFF, 0,
       [](_QX_SETUP& s) { s.TrigType = TRIG_SLOPE; SetMsgVarfloat(2e-6f); }, ":TRIGGER:HOLDOFF 0.000002000", ""},
      {"digital source", CTL_EDGE_SOURCE, 0, [](_QX_SETUP&) { SetMsgVarInt(8); },
       ":TRIGGER:EDGE:SOURCE DIGITAL2", ""},
      {"last digital source", CTL_EDGE_SOURCE, 0, [](_QX_SETUP&) { SetMsgVarInt(21); },
       ":TRIGGER:EDGE:SOURCE DIGITAL15", ""},
      {"source 4 has no name", CTL_PULSE_SOURCE, 0, [](_QX_SETUP&) { SetMsgVarInt(4); },
       ":TRIGGER:PULSE:SOURCE ", ""},
      {"negative source", CTL_VIDEO_SOURCE, 0, [](_QX_SETUP&) { SetMsgVarInt(-1); }, ":TRIGGER:VIDEO:SOURCE ", ""},
      {"source above 21", CTL_SLOPE_SOURCE, 0, [](_QX_SETUP&) { SetMsgVarInt(22); }, ":TRIGGER:SLOPE:SOURCE ", ""},
      {"AC line source", CTL_SLOPE_SOURCE, 0, [](_QX_SETUP&) { SetMsgVarInt(5); },
       ":TRIGGER:SLOPE:SOURCE ACLINE", ""},
      {"condition", CTL_PULSE_MODE, 0, [](_QX_SETUP&) { SetMsgVarInt(5); }, ":TRIGGER:PULSE:MODE -EQUAL", ""},
      {"condition out of its table", CTL_SLOPE_MODE, 0, [](_QX_SETUP&) { SetMsgVarInt(6); },
       ":TRIGGER:SLOPE:MODE ", ""},
      {"pulse width as time text", CTL_PULSE_WIDTH, 0, [](_QX_SETUP&) { SetMsgVarDouble(2e-8); },
       ":TRIGGER:PULSE:WIDTH 2.000000e-08", ""},
      {"slope time", CTL_SLOPE_TIME, 0, [](_QX_SETUP&) { SetMsgVarDouble(1e-6); },
       ":TRIGGER:SLOPE:TIME 0.000001000", ""},
      {"video line held to NTSC", CTL_VIDEO_LINE, 0, [](_QX_SETUP&) { SetMsgVarInt(600); },
       ":TRIGGER:VIDEO:LINE 525", ""},
      {"type out of its table", CTL_TRIG_TYPE, 0, [](_QX_SETUP&) { SetMsgVarInt(9); }, ":TRIGGER:MODE ", ""},
      {"duration qualifier", CTL_DURATION_QUALIFIER, 0, [](_QX_SETUP&) { SetMsgVarInt(2); },
       ":TRIGGER:DURATION:QUALIFIER EQUAL", ""},
      {"duration time", CTL_DURATION_TIME, 0, [](_QX_SETUP&) { SetMsgVarDouble(1e-6); },
       ":TRIGGER:DURATION:TIME 1.000000e-06", ""},
      {"0x7c1 as it stands", 0x7C1, 0, [](_QX_SETUP&) {}, ":TRIGGER:TYPE ", ""},
      {"0x7d8: an empty line", 0x7D8, 0, [](_QX_SETUP&) {}, "", ""},
      {"alternate source", CTL_ALT_SOURCE, 0, [](_QX_SETUP&) { SetMsgVarInt(1); },
       ":TRIGGER:ALTERNATION:SOURCE CHANNEL2", ""},
      {"alternate type", CTL_ALT_TYPE, 1, [](_QX_SETUP&) { SetMsgVarInt(3); }, ":TRIGGER:ALTERNATION:TYPE VIDEO", ""},
      {"alternate sensitivity by the channel's type", CTL_ALT_SENSITIVITY, 1,
       [](_QX_SETUP& s) { s.AltTrigType[1] = TRIG_SLOPE; SetMsgVarfloat(0.5f); },
       ":TRIGGER:ALTERNATION:SLOPE:SENSITIVITY 0.500000", ""},
      {"alternate holdoff, unknown type as EDGE", CTL_ALT_HOLDOFF, 0,
       [](_QX_SETUP& s) { s.AltTrigType[0] = 7; SetMsgVarfloat(1e-6f); },
       ":TRIGGER:ALTERNATION:EDGE:HOLDOFF 0.000001000", ""},
      {"alternate coupling under VIDEO", CTL_ALT_COUPLING, 0,
       [](_QX_SETUP& s) { s.AltTrigType[0] = TRIG_VIDEO; SetMsgVarInt(0); }, ":TRIGGER:ALTERNATION:COUPLING DC", ""},
      {"alternate coupling under PULSE", CTL_ALT_COUPLING, 1,
       [](_QX_SETUP& s) { s.AltTrigType[1] = TRIG_PULSE; SetMsgVarInt(3); },
       ":TRIGGER:ALTERNATION:PULSE:COUPLING LF", ""},
      {"alternate video line held to PALSECAM", CTL_ALT_VIDEO_LINE, 1,
       [](_QX_SETUP& s) { s.AltVideoStandard[1] = 1; SetMsgVarInt(700); }, ":TRIGGER:ALTERNATION:VIDEO:LINE 625", ""},
      {"alternate slope time", CTL_ALT_SLOPE_TIME, 0, [](_QX_SETUP&) { SetMsgVarDouble(1e-6); },
       ":TRIGGER:ALTERNATION:SLOPE:TIME 0.00000100", ""},
      {"alternate pulse width", CTL_ALT_PULSE_WIDTH, 1, [](_QX_SETUP&) { SetMsgVarDouble(2e-8); },
       ":TRIGGER:ALTERNATION:PULSE:WIDTH 2.000000e-08", ""},
      {"alternate level A not below B", CTL_ALT_SLOPE_LEVELA, 0,
       [](_QX_SETUP& s) { s.AltSlopeLevelB[0] = 0.5f; SetMsgVarfloat(0.2f); },
       ":TRIGGER:ALTERNATION:SLOPE:LEVELA 0.500000", ""},
      {"alternate level B not above A", CTL_ALT_SLOPE_LEVELB, 1,
       [](_QX_SETUP& s) { s.AltSlopeLevelA[1] = 0.5f; SetMsgVarfloat(0.7f); },
       ":TRIGGER:ALTERNATION:SLOPE:LEVELB 0.500000", ""},
      {"alternate level by its channel, whatever the source", CTL_ALT_EDGE_LEVEL, 1,
       [](_QX_SETUP& s) { s.AltSource = 2, s.ChanScale[1] = 0.1f; SetMsgVarfloat(1.0f); },
       ":TRIGGER:ALTERNATION:EDGE:LEVEL 0.600000", "Trigger level at upper limit"},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    c.prepare(setup);
    Run(CMD_TRIGGER, c.ctrl, c.value);
    EXPECT_EQ(Line(), c.line);
    EXPECT_TRUE(Command.SendFlag);
    EXPECT_STREQ(setup.ErrorText, c.status);
  }
}

TEST_F(TriggerTest, RefusedControlsChangeAndSendNothing) {
  const struct {
    unsigned int ctrl;
    long value;
    void (*set)();
  } cases[] = {
      {CTL_EDGE_LEVEL, 0, [] { SetMsgVarfloat(std::nanf("")); }},
      {CTL_PULSE_WIDTH, 0, [] { SetMsgVarDouble(std::nan("")); }},
      {CTL_PATTERN_BIT, 16, [] { SetMsgVarInt(0); }},
      {CTL_PATTERN_BIT, -1, [] { SetMsgVarInt(0); }},
      {CTL_PATTERN_GROUP, 2, [] { SetMsgVarInt(0); }},
      {CTL_ALT_EDGE_LEVEL, 2, [] { SetMsgVarfloat(0.1f); }},
      {CTL_ALT_TYPE, -1, [] { SetMsgVarInt(1); }},
      {0x7D7, 2, [] { SetMsgVarfloat(1e6f); }},
      {0x722, 0, [] { SetMsgVarInt(1); }},  // no such control
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ctrl);
    c.set();
    Run(CMD_TRIGGER, c.ctrl, c.value);
    EXPECT_FALSE(Command.SendFlag);
    EXPECT_EQ(std::memcmp(&setup, &base_, sizeof setup), 0);
  }
}

TEST_F(TriggerTest, TypeSetsTheLevelMarkerAndTheAlternateScreen) {
  const struct {
    const char* name;
    void (*prepare)(_QX_SETUP&);
    int type;
    BYTE shown, fullScreen;
  } cases[] = {
      {"edge on a hidden channel", [](_QX_SETUP& s) { s.TrigEdgeSource = 1, s.ChanDisplay[1] = 0; },
       TRIG_EDGE, 0, 7},
      {"video on a shown channel", [](_QX_SETUP& s) { s.TrigVideoSource = 1; }, TRIG_VIDEO, 1, 7},
      {"slope on EXT", [](_QX_SETUP& s) { s.TrigSlopeSource = 2; }, TRIG_SLOPE, 0, 7},
      {"pattern", [](_QX_SETUP&) {}, TRIG_PATTERN, 0, 7},
      {"unknown type keeps the marker", [](_QX_SETUP&) {}, 9, 1, 7},
      {"alternation", [](_QX_SETUP&) {}, TRIG_ALTERNATION, 1, 1},
      {"alternation with a spectrum shown", [](_QX_SETUP& s) { s.MathOperator[2] = 3, s.MathDisplay[2] = 1; },
       TRIG_ALTERNATION, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    setup.TrigLevelShown = 1;
    setup.FFTFullScreen = 7;
    setup.DelayedOn = 1;
    setup.LaEnable = 1;
    setup.ChanDisplay[0] = 0;
    c.prepare(setup);
    RunInt(CMD_TRIGGER, CTL_TRIG_TYPE, c.type);
    EXPECT_EQ(setup.TrigType, c.type);
    EXPECT_EQ(setup.TrigLevelShown, c.shown);
    EXPECT_EQ(setup.FFTFullScreen, c.fullScreen);
    const bool alternation = c.type == TRIG_ALTERNATION;
    EXPECT_EQ(setup.DelayedOn, alternation ? 0 : 1);
    EXPECT_EQ(setup.LaEnable, alternation ? 0 : 1);
    EXPECT_EQ(setup.ChanDisplay[0], alternation ? 1 : 0);
    EXPECT_TRUE(rgn.RedrawScreen && rgn.RedrawFlag3 && rgn.RedrawFlag4);
  }
}

// The name decides whether the marker is drawn; the line needs a shown channel.
TEST_F(TriggerTest, SourceSetsMarkerAndLevelLine) {
  const struct {
    int source;
    BYTE display0, shown, lineOn;
  } cases[] = {{0, 0, 1, 0}, {0, 1, 1, 1}, {1, 1, 1, 1}, {2, 1, 0, 0}, {-1, 1, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    Reset();
    setup.ChanDisplay[0] = c.display0;
    rgn.TrigLevelLineOn = 1;
    RunInt(CMD_TRIGGER, CTL_PULSE_SOURCE, c.source);
    EXPECT_EQ(setup.TrigPulseSource, c.source);
    EXPECT_EQ(setup.TrigLevelShown, c.shown);
    EXPECT_EQ(rgn.TrigLevelLineOn, c.lineOn);
  }
}

TEST_F(TriggerTest, PatternTextAndTheArrayInUse) {
  setup.TrigType = TRIG_PATTERN;
  const auto bit = [&](long channel, int code) {
    RunInt(CMD_TRIGGER, CTL_PATTERN_BIT, code, channel);
    return Line();
  };
  bit(0, 0);
  bit(1, 1);
  EXPECT_EQ(bit(2, 3), ":TRIGGER:PATTERN:PATTERN 1,7,2,1");
  EXPECT_EQ(bit(5, 4), ":TRIGGER:PATTERN:PATTERN 1,35,5,0");  // D2 no longer the edge
  EXPECT_EQ(setup.TrigPattern[2], 2);
  EXPECT_EQ(bit(3, 9), ":TRIGGER:PATTERN:PATTERN 1,35,5,0");  // stored, counted as ignored
  EXPECT_EQ(bit(4, -1), ":TRIGGER:PATTERN:PATTERN 1,35,5,0");
  EXPECT_EQ(setup.TrigPattern[3], 9);
  RunInt(CMD_TRIGGER, CTL_PATTERN_GROUP, 0, 1);
  EXPECT_EQ(Line(), ":TRIGGER:PATTERN:PATTERN 65281,65315,5,0");
  // The group keeps other edge channels; the text names the highest.
  RunInt(CMD_TRIGGER, CTL_PATTERN_GROUP, 3, 1);
  EXPECT_EQ(Line(), ":TRIGGER:PATTERN:PATTERN 1,65315,15,1");
  EXPECT_EQ(setup.TrigPattern[5], 4);
  EXPECT_EQ(std::string(Command.QueryString), ":TRIGGER:PATTERN:PATTERN?");

  setup.TrigType = TRIG_DURATION;
  RunInt(CMD_TRIGGER, CTL_PATTERN_GROUP, 0, 1);
  EXPECT_EQ(Line(), ":TRIGGER:DURATION:PATTERN 65280,65280");
  setup.TrigType = TRIG_EDGE;  // edits the duration codes, sends an empty line
  EXPECT_EQ(bit(0, 1), "");
  EXPECT_TRUE(Command.SendFlag);
  EXPECT_EQ(setup.TrigDuration[0], 1);
  EXPECT_EQ(setup.TrigPattern[0], 0);
}

TEST_F(TriggerTest, StandardsKeepTheLineAndSampleRateIsKept) {
  setup.TrigVideoStandard = VIDEO_PALSECAM;
  setup.TrigVideoLine = 600;
  RunInt(CMD_TRIGGER, CTL_VIDEO_STANDARD, VIDEO_NTSC);
  EXPECT_EQ(Line(), ":TRIGGER:VIDEO:STANDARD NTSC");
  EXPECT_EQ(setup.TrigVideoLine, 525);
  setup.AltVideoLine[1] = 600;
  RunInt(CMD_TRIGGER, CTL_ALT_VIDEO_STANDARD, VIDEO_NTSC, 1);
  EXPECT_EQ(setup.AltVideoLine[1], 525);
  RunFloat(CMD_TRIGGER, 0x7D7, 2.5e6f, 1);
  EXPECT_EQ(setup.AltSampleRate[1], 2.5e6f);
  EXPECT_EQ(Line(), ":TRIGGER:TYPE ");
}

// Main levels are tracked changes while running; alternate levels are not.
TEST_F(TriggerTest, OnlyMainLevelsAreTrackedChanges) {
  setup.RunState = 1;
  RunFloat(CMD_TRIGGER, CTL_ALT_EDGE_LEVEL, 0.1f, 0);
  EXPECT_EQ(setup.ChangeSettingPending, 0);
  RunFloat(CMD_TRIGGER, CTL_SLOPE_LEVELA, 0.1f);
  EXPECT_EQ(setup.ChangeSettingPending, 1);
}

TEST_F(TriggerTest, LevelMarkersFollowTheLayout) {
  const CPoint none(-1, -1);
  const struct {
    const char* name;
    void (*prepare)(_QX_SETUP&);
    CPoint main0, main1, upper0, upper1, lower0, lower1;
  } cases[] = {
      {"slope on one screen",
       [](_QX_SETUP& s) { s.TrigType = TRIG_SLOPE, s.TrigSlopeLevelA = 1, s.TrigSlopeLevelB = -2; },
       {685, 150},
       {685, 300},
       none,
       none,
       none,
       none},
      {"delayed: both windows",
       [](_QX_SETUP& s) {
         s.DelayedOn = 1, s.TrigEdgeSource = 1, s.ChanScale[1] = 0.5f, s.ChanOffset[1] = 0.5f;
         s.TrigEdgeLevel = 0.5f;
       },
       none,
       none,
       {685, 50},
       none,
       {685, 250},
       none},
      {"alternation: CH2 shows level B",
       [](_QX_SETUP& s) {
         s.TrigType = TRIG_ALTERNATION, s.AltSource = 1, s.AltEdgeLevel[0] = 2, s.AltEdgeLevel[1] = -1;
       },
       none,
       none,
       none,
       none,
       {685, 325},
       none},
      {"alternation: CH1 slope, A at 0 and B at 1",
       [](_QX_SETUP& s) {
         s.TrigType = TRIG_ALTERNATION, s.AltTrigType[0] = TRIG_SLOPE;
         s.AltSlopeLevelA[0] = 2, s.AltSlopeLevelB[0] = 1;
       },
       none,
       none,
       {685, 50},
       {685, 75},
       none,
       none},
      {"spectrum split",
       [](_QX_SETUP& s) {
         s.TrigType = TRIG_VIDEO, s.TrigVideoLevel = 1, s.MathOperator[0] = 3, s.MathDisplay[0] = 1;
       },
       none,
       none,
       {685, 75},
       none,
       none,
       none},
      {"EXT has no marker", [](_QX_SETUP& s) { s.TrigEdgeSource = 2, s.TrigEdgeLevel = 1; }, none, none, none,
       none, none, none},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    rgn.MainWaveRect = CRect(0, 0, 700, 400);
    rgn.UpperWaveRect = CRect(0, 0, 700, 200);
    rgn.LowerWaveRect = CRect(0, 200, 700, 400);
    for (int i = 0; i < 2; ++i)
      rgn.TrigLevelPtMain[i] = rgn.TrigLevelPtUpper[i] = rgn.TrigLevelPtLower[i] = none;
    c.prepare(setup);
    qx::RebuildTrigLevelMarks();
    EXPECT_EQ(rgn.TrigLevelPtMain[0], c.main0);
    EXPECT_EQ(rgn.TrigLevelPtMain[1], c.main1);
    EXPECT_EQ(rgn.TrigLevelPtUpper[0], c.upper0);
    EXPECT_EQ(rgn.TrigLevelPtUpper[1], c.upper1);
    EXPECT_EQ(rgn.TrigLevelPtLower[0], c.lower0);
    EXPECT_EQ(rgn.TrigLevelPtLower[1], c.lower1);
  }
}

TEST_F(TriggerTest, LevelValueAndUnitOfTheTrigger) {
  const struct {
    const char* name;
    void (*prepare)(_QX_SETUP&);
    _QX_TRIG_TYPE type;
    int which, which2;
    float level;
  } cases[] = {
      {"edge on the AC line", [](_QX_SETUP& s) { s.TrigEdgeSource = 5, s.TrigEdgeLevel = 3; }, TRIG_EDGE, 0,
       0, 0},
      {"edge on EXT", [](_QX_SETUP& s) { s.TrigEdgeSource = 2, s.TrigEdgeLevel = 3; }, TRIG_EDGE, 0, 0, 3},
      {"edge on D1, CMOS", [](_QX_SETUP& s) { s.TrigEdgeSource = 7, s.LaThresholdType = 1; }, TRIG_EDGE, 0, 0,
       2.5f},
      {"edge on D0, user",
       [](_QX_SETUP& s) { s.TrigEdgeSource = 6, s.LaThresholdType = 3, s.LaUserThreshold = 0.7f; }, TRIG_EDGE,
       0, 0, 0.7f},
      {"edge on D0, unknown threshold", [](_QX_SETUP& s) { s.TrigEdgeSource = 6, s.LaThresholdType = 4; },
       TRIG_EDGE, 0, 0, 0},
      {"pulse on the AC line", [](_QX_SETUP& s) { s.TrigPulseSource = 5, s.TrigPulseLevel = 2; }, TRIG_PULSE,
       0, 0, 2},
      {"pulse on D3, ECL", [](_QX_SETUP& s) { s.TrigPulseSource = 9, s.LaThresholdType = 2; }, TRIG_PULSE, 0,
       0, -1.3f},
      {"slope B", [](_QX_SETUP& s) { s.TrigSlopeLevelB = -0.5f; }, TRIG_SLOPE, 1, 0, -0.5f},
      {"slope, neither", [](_QX_SETUP& s) { s.TrigSlopeLevelB = -0.5f; }, TRIG_SLOPE, 2, 0, 0},
      {"alternate slope B by the third argument",
       [](_QX_SETUP& s) { s.AltSource = 1, s.AltTrigType[1] = TRIG_SLOPE, s.AltSlopeLevelB[1] = 0.25f; },
       TRIG_ALTERNATION, 0, 1, 0.25f},
      {"alternate source outside the channels", [](_QX_SETUP& s) { s.AltSource = 2, s.AltEdgeLevel[0] = 1; },
       TRIG_ALTERNATION, 0, 0, 0},
      {"pattern", [](_QX_SETUP& s) { s.TrigEdgeLevel = 1; }, TRIG_PATTERN, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    c.prepare(setup);
    EXPECT_EQ(GetTrigLevelValue(c.type, c.which, c.which2), c.level);
  }
  Reset();
  std::strcpy(setup.ChanUnitText[1], "A");
  const struct {
    int type, source;
    const char* unit;
  } units[] = {{TRIG_VIDEO, 1, "A"}, {TRIG_VIDEO, 3, "V"}, {TRIG_PATTERN, -1, "V"}};
  for (const auto& u : units) {
    setup.TrigType = u.type;
    setup.TrigVideoSource = setup.TrigEdgeSource = u.source;
    EXPECT_EQ(GetTrigSource(), u.source);
    CString unit;
    GetTrigChanUnit(unit);
    EXPECT_EQ(std::string(unit), u.unit);
  }
}

#if QX_HAVE_SIM
// Against the simulated instrument over loopback TCP: the levels the
// instrument applies come back into the records.
void ShortWait(DWORD ms) {
  qxtest::RecordSleep(ms);
  if (ms <= 10) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST_F(TriggerTest, EndToEndLevelsReadBackFromTheInstrument) {
  qxsim::Instrument instrument;
  qxsim::Server server{instrument};
  QxTcpSocket tcp;
  const int port = server.Start("127.0.0.1", 0);
  ASSERT_GT(port, 0) << server.LastError();
  ASSERT_TRUE(tcp.Connect("127.0.0.1", static_cast<unsigned short>(port), 1000));
  QxMsgInit(&main, &setup, &rgn, &pos, &tcp);
  QxSetSleepHook(&ShortWait);
  setup.Connected = 1;
  setup.ChanProbe[0] = setup.ChanProbe[1] = 1.0f;
  instrument.Feed(":CHANNEL1:SCALE 1\r:CHANNEL2:SCALE 0.1\r");

  RunFloat(CMD_TRIGGER, CTL_EDGE_LEVEL, 1.23f);
  EXPECT_EQ(Line(), ":TRIGGER:EDGE:LEVEL 1.230000");
  EXPECT_EQ(setup.TrigEdgeLevel, 1.23f);

  // The records think CH2 is at 1 V/div; the instrument holds the level to
  // its 0.1 V/div and the read-back takes that over.
  RunInt(CMD_TRIGGER, CTL_ALT_SOURCE, 1);
  RunFloat(CMD_TRIGGER, CTL_ALT_EDGE_LEVEL, 0.9f, 1);
  EXPECT_EQ(Line(), ":TRIGGER:ALTERNATION:EDGE:LEVEL 0.900000");
  EXPECT_FLOAT_EQ(setup.AltEdgeLevel[1], 0.6f);
  EXPECT_FLOAT_EQ(qx::LoadF32(instrument.Block(qxsim::BlockId::Alt).data() + 0x118), 0.6f);
  EXPECT_EQ(instrument.GetCounters().errors, 0u);
  QxMsgInit(nullptr, nullptr, nullptr, nullptr, nullptr);
  server.Stop();
}
#endif

}  // namespace
