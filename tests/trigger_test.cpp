// Trigger: the line each control builds, what it stores, the pattern text,
// the level markers and the exported level queries.
#include <cstring>
#include <string>
#include <vector>

#include "frame/handlers.h"
#include "support/fakes.h"

#if QX_HAVE_SIM
#include "support/sim_link.h"
#endif

namespace {

using qx::Command;
using Prepare = void (*)(_QX_SETUP&);
using Points = std::vector<CPoint>;

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

// The message variable as a control reads it.
void SetVar(char kind, double v) {
  if (kind == 'i') SetMsgVarInt(static_cast<int>(v));
  if (kind == 'f') SetMsgVarfloat(static_cast<float>(v));
  if (kind == 'd') SetMsgVarDouble(v);
}

// Each case starts from the same records, at 1 V/div; `prepare` sets more.
TEST_F(TriggerTest, EachControlBuildsItsLine) {
  const char *const hi = "Trigger level at upper limit", *const lo = "Trigger level at lower limit";
  const struct {
    unsigned int ctrl;
    long value;
    int type;
    char kind;
    double v;
    Prepare prepare;
    const char *line, *status;
  } cases[] = {
      // clang-format off
      {CTL_EDGE_LEVEL, 0, TRIG_EDGE, 'f', 7, nullptr, ":TRIGGER:EDGE:LEVEL 6.000000", hi},
      // A level follows its own type's source: EXT at 0.2 V/div, EXT5 fixed, the AC line none.
      {CTL_EDGE_LEVEL, 0, TRIG_PULSE, 'f', 5, [](_QX_SETUP& s) { s.TrigEdgeSource = 2; },
       ":TRIGGER:EDGE:LEVEL 1.200000", hi},
      {CTL_PULSE_LEVEL, 0, TRIG_EDGE, 'f', -7, [](_QX_SETUP& s) { s.TrigPulseSource = 3; },
       ":TRIGGER:PULSE:LEVEL -6.000000", lo},
      {CTL_VIDEO_LEVEL, 0, TRIG_EDGE, 'f', 0.5, [](_QX_SETUP& s) { s.TrigVideoSource = 5; },
       ":TRIGGER:VIDEO:LEVEL 0.000000", hi},
      {CTL_SLOPE_LEVELB, 0, TRIG_SLOPE, 'f', 5.5,
      [](_QX_SETUP& s) { s.TrigSlopeSource = 1, s.ChanOffset[1] = 1; }, ":TRIGGER:SLOPE:LEVELB 5.000000", hi},
      {CTL_TRIG_COUPLING, 0, TRIG_VIDEO, 'i', 1, nullptr, ":TRIGGER:COUPLING AC", ""},
      {CTL_TRIG_COUPLING, 0, TRIG_EDGE, 'i', 1, nullptr, ":TRIGGER:EDGE:COUPLING AC", ""},
      {CTL_TRIG_SENSITIVITY, 0, TRIG_PATTERN, 'f', 0.5, nullptr, ":TRIGGER:SENSITIVITY 0.50", ""},
      {CTL_TRIG_SWEEP, 0, TRIG_DURATION, 'i', 2, nullptr, ":TRIGGER:DURATION:SWEEP SINGLE", ""},
      {CTL_TRIG_SWEEP, 0, 9, 'i', 0, nullptr, ":TRIGGER:SWEEP AUTO", ""},
      {CTL_TRIG_HOLDOFF, 0, TRIG_SLOPE, 'f', 2e-6, nullptr, ":TRIGGER:HOLDOFF 0.000002000", ""},
      {CTL_EDGE_SOURCE, 0, TRIG_EDGE, 'i', 8, nullptr, ":TRIGGER:EDGE:SOURCE DIGITAL2", ""},
      {CTL_PULSE_WIDTH, 0, TRIG_EDGE, 'd', 2e-8, nullptr, ":TRIGGER:PULSE:WIDTH 2.000000e-08", ""},
      {CTL_VIDEO_LINE, 0, TRIG_EDGE, 'i', 600, nullptr, ":TRIGGER:VIDEO:LINE 525", ""},
      {0x7C1, 0, TRIG_EDGE, 'i', 0, nullptr, ":TRIGGER:TYPE ", ""},
      {0x7D8, 0, TRIG_EDGE, 'i', 0, nullptr, "", ""},
      {CTL_ALT_SENSITIVITY, 1, TRIG_EDGE, 'f', 0.5, [](_QX_SETUP& s) { s.AltTrigType[1] = TRIG_SLOPE; },
       ":TRIGGER:ALTERNATION:SLOPE:SENSITIVITY 0.500000", ""},
      {CTL_ALT_HOLDOFF, 0, TRIG_EDGE, 'f', 1e-6, [](_QX_SETUP& s) { s.AltTrigType[0] = 7; },
       ":TRIGGER:ALTERNATION:EDGE:HOLDOFF 0.000001000", ""},
      {CTL_ALT_COUPLING, 0, TRIG_EDGE, 'i', 0, [](_QX_SETUP& s) { s.AltTrigType[0] = TRIG_VIDEO; },
       ":TRIGGER:ALTERNATION:COUPLING DC", ""},
      {CTL_ALT_VIDEO_LINE, 1, TRIG_EDGE, 'i', 700, [](_QX_SETUP& s) { s.AltVideoStandard[1] = 1; },
       ":TRIGGER:ALTERNATION:VIDEO:LINE 625", ""},
      {CTL_ALT_SLOPE_TIME, 0, TRIG_EDGE, 'd', 1e-6, nullptr, ":TRIGGER:ALTERNATION:SLOPE:TIME 0.00000100",
       ""},
      {CTL_ALT_SLOPE_LEVELA, 0, TRIG_EDGE, 'f', 0.2, [](_QX_SETUP& s) { s.AltSlopeLevelB[0] = 0.5f; },
       ":TRIGGER:ALTERNATION:SLOPE:LEVELA 0.500000", ""},
      {CTL_ALT_SLOPE_LEVELB, 1, TRIG_EDGE, 'f', 0.7, [](_QX_SETUP& s) { s.AltSlopeLevelA[1] = 0.5f; },
       ":TRIGGER:ALTERNATION:SLOPE:LEVELB 0.500000", ""},
      // An alternate level follows the addressed channel, whatever the source.
      {CTL_ALT_EDGE_LEVEL, 1, TRIG_EDGE, 'f', 1, [](_QX_SETUP& s) { s.AltSource = 2, s.ChanScale[1] = 0.1f; },
       ":TRIGGER:ALTERNATION:EDGE:LEVEL 0.600000", hi},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Reset();
    setup.TrigType = c.type;
    if (c.prepare) c.prepare(setup);
    SetVar(c.kind, c.v);
    Run(CMD_TRIGGER, c.ctrl, c.value);
    EXPECT_EQ(Line(), c.line);
    EXPECT_TRUE(Command.SendFlag);
    EXPECT_STREQ(setup.ErrorText, c.status);
  }
}

TEST_F(TriggerTest, TypeSetsTheLevelMarkerAndTheAlternateScreen) {
  const struct {
    Prepare prepare;
    int type;
    BYTE shown, fullScreen;
  } cases[] = {
      // clang-format off
      {[](_QX_SETUP& s) { s.TrigEdgeSource = 1, s.ChanDisplay[1] = 0; }, TRIG_EDGE, 0, 7},
      {[](_QX_SETUP& s) { s.TrigVideoSource = 1; }, TRIG_VIDEO, 1, 7},
      {[](_QX_SETUP&) {}, TRIG_PATTERN, 0, 7},
      {[](_QX_SETUP&) {}, 9, 1, 7},  // no rule: the marker stays
      {[](_QX_SETUP&) {}, TRIG_ALTERNATION, 1, 1},
      {[](_QX_SETUP& s) { s.MathOperator[2] = 3, s.MathDisplay[2] = 1; }, TRIG_ALTERNATION, 1, 0},  // FFT
      // clang-format on
  };
  for (const auto& c : cases) {
    Reset();
    rgn = _QX_RGN_SETUP{};
    setup.TrigLevelShown = setup.DelayedOn = setup.LaEnable = 1;
    setup.FFTFullScreen = 7;
    setup.ChanDisplay[0] = 0;
    c.prepare(setup);
    RunInt(CMD_TRIGGER, CTL_TRIG_TYPE, c.type);
    EXPECT_EQ(setup.TrigLevelShown, c.shown) << c.type;
    EXPECT_EQ(setup.FFTFullScreen, c.fullScreen) << c.type;
    const bool alternation = c.type == TRIG_ALTERNATION;
    EXPECT_EQ(setup.DelayedOn + setup.LaEnable, alternation ? 0 : 2);
    EXPECT_EQ(setup.ChanDisplay[0], alternation ? 1 : 0);
    EXPECT_TRUE(rgn.RedrawScreen && rgn.RedrawFlag3 && rgn.RedrawFlag4);
  }
}

// The name decides whether the marker is drawn; the line needs a shown channel.
TEST_F(TriggerTest, SourceSetsMarkerAndLevelLine) {
  const struct {
    int source;
    BYTE display0, shown, lineOn;
  } cases[] = {{0, 0, 1, 0}, {0, 1, 1, 1}, {2, 1, 0, 0}, {-1, 1, 0, 0}};
  for (const auto& c : cases) {
    setup.ChanDisplay[0] = c.display0;
    rgn.TrigLevelLineOn = 1;
    RunInt(CMD_TRIGGER, CTL_PULSE_SOURCE, c.source);
    EXPECT_EQ(setup.TrigLevelShown, c.shown) << c.source;
    EXPECT_EQ(rgn.TrigLevelLineOn, c.lineOn) << c.source;
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
  EXPECT_EQ(bit(5, 4), ":TRIGGER:PATTERN:PATTERN 1,35,5,0");  // D2 is no longer the edge
  EXPECT_EQ(setup.TrigPattern[2], 2);
  EXPECT_EQ(bit(4, -1), ":TRIGGER:PATTERN:PATTERN 1,35,5,0");  // stored, counted as ignored
  EXPECT_EQ(setup.TrigPattern[4], -1);
  RunInt(CMD_TRIGGER, CTL_PATTERN_GROUP, 0, 1);
  EXPECT_EQ(Line(), ":TRIGGER:PATTERN:PATTERN 65281,65315,5,0");
  // The group keeps other edge channels; the text names the highest.
  RunInt(CMD_TRIGGER, CTL_PATTERN_GROUP, 3, 1);
  EXPECT_EQ(Line(), ":TRIGGER:PATTERN:PATTERN 1,65315,15,1");
  EXPECT_EQ(setup.TrigPattern[5], 4);

  setup.TrigType = TRIG_DURATION;
  RunInt(CMD_TRIGGER, CTL_PATTERN_GROUP, 0, 1);
  EXPECT_EQ(Line(), ":TRIGGER:DURATION:PATTERN 65280,65280");
  setup.TrigType = TRIG_EDGE;  // edits the duration codes, sends an empty line
  EXPECT_EQ(bit(0, 1), "");
  EXPECT_TRUE(Command.SendFlag);
  EXPECT_EQ(setup.TrigDuration[0], 1);
  EXPECT_EQ(setup.TrigPattern[0], 0);

  // A channel or group outside the array changes and sends nothing.
  const _QX_SETUP before = setup;
  RunInt(CMD_TRIGGER, CTL_PATTERN_BIT, 0, 16);
  EXPECT_FALSE(Command.SendFlag);
  RunInt(CMD_TRIGGER, CTL_PATTERN_GROUP, 0, 2);
  EXPECT_FALSE(Command.SendFlag);
  EXPECT_EQ(std::memcmp(&setup, &before, sizeof setup), 0);
}

TEST_F(TriggerTest, StandardsKeepTheLineAndMainLevelsAreTrackedChanges) {
  setup.TrigVideoStandard = setup.AltVideoStandard[1] = VIDEO_PALSECAM;
  setup.TrigVideoLine = setup.AltVideoLine[1] = 600;
  RunInt(CMD_TRIGGER, CTL_VIDEO_STANDARD, VIDEO_NTSC);
  EXPECT_EQ(Line(), ":TRIGGER:VIDEO:STANDARD NTSC");
  RunInt(CMD_TRIGGER, CTL_ALT_VIDEO_STANDARD, VIDEO_NTSC, 1);
  EXPECT_EQ(setup.TrigVideoLine + setup.AltVideoLine[1], 2 * 525);
  RunFloat(CMD_TRIGGER, 0x7D7, 2.5e6f, 1);
  RunFloat(CMD_TRIGGER, 0x7D7, 1.0f, 2);  // no such channel: refused
  EXPECT_EQ(setup.AltSampleRate[1], 2.5e6f);
  EXPECT_FALSE(Command.SendFlag);

  setup.RunState = 1;  // only then is a change announced
  RunFloat(CMD_TRIGGER, CTL_ALT_EDGE_LEVEL, 0.1f, 0);
  EXPECT_EQ(setup.ChangeSettingPending, 0);
  RunFloat(CMD_TRIGGER, CTL_SLOPE_LEVELA, 0.1f);
  EXPECT_EQ(setup.ChangeSettingPending, 1);
}

// Main 700x400, upper and lower halves: 50 or 25 pixels per volt at 1 V/div.
TEST_F(TriggerTest, LevelMarkersFollowTheLayout) {
  const CPoint no(-1, -1);
  const struct {
    Prepare prepare;
    Points points;  // main 0 and 1, upper 0 and 1, lower 0 and 1
  } cases[] = {
      // clang-format off
      {[](_QX_SETUP& s) { s.TrigType = TRIG_SLOPE, s.TrigSlopeLevelA = 1, s.TrigSlopeLevelB = -2; },
       {{685, 150}, {685, 300}, no, no, no, no}},
      {[](_QX_SETUP& s) { s.DelayedOn = 1, s.TrigEdgeSource = 1;
                          s.ChanScale[1] = s.ChanOffset[1] = s.TrigEdgeLevel = 0.5f; },
       {no, no, {685, 50}, no, {685, 250}, no}},
      // Alternation: CH2 shows level B; a slope channel shows A at 0 and B at 1.
      {[](_QX_SETUP& s) { s.TrigType = 4, s.AltSource = 1, s.AltEdgeLevel[0] = 2, s.AltEdgeLevel[1] = -1; },
       {no, no, no, no, {685, 325}, no}},
      {[](_QX_SETUP& s) { s.TrigType = 4, s.AltTrigType[0] = 2, s.AltSlopeLevelA[0] = 2;
                          s.AltSlopeLevelB[0] = 1; },
       {no, no, {685, 50}, {685, 75}, no, no}},
      {[](_QX_SETUP& s) { s.TrigType = 3, s.TrigVideoLevel = 1, s.MathOperator[0] = 3, s.MathDisplay[0] = 1; },
       {no, no, {685, 75}, no, no, no}},
      {[](_QX_SETUP& s) { s.TrigEdgeSource = 2, s.TrigEdgeLevel = 1; }, {no, no, no, no, no, no}},
      // clang-format on
  };
  for (const auto& c : cases) {
    Reset();
    UseStandardWindows();
    for (int i = 0; i < 2; ++i)
      rgn.TrigLevelPtMain[i] = rgn.TrigLevelPtUpper[i] = rgn.TrigLevelPtLower[i] = no;
    c.prepare(setup);
    qx::RebuildTrigLevelMarks();
    EXPECT_EQ((Points{rgn.TrigLevelPtMain[0], rgn.TrigLevelPtMain[1], rgn.TrigLevelPtUpper[0],
                      rgn.TrigLevelPtUpper[1], rgn.TrigLevelPtLower[0], rgn.TrigLevelPtLower[1]}),
              c.points)
        << &c - cases;
  }
}

TEST_F(TriggerTest, LevelValueAndUnitOfTheTrigger) {
  const struct {
    Prepare prepare;
    _QX_TRIG_TYPE type;
    int which, which2;
    float level;
  } cases[] = {
      // clang-format off
      {[](_QX_SETUP& s) { s.TrigEdgeSource = 5, s.TrigEdgeLevel = 3; }, TRIG_EDGE, 0, 0, 0},
      {[](_QX_SETUP& s) { s.TrigEdgeSource = 7, s.LaThresholdType = 1; }, TRIG_EDGE, 0, 0, 2.5f},
      {[](_QX_SETUP& s) { s.TrigEdgeSource = 6, s.LaThresholdType = 3, s.LaUserThreshold = 0.7f; },
       TRIG_EDGE, 0, 0, 0.7f},
      {[](_QX_SETUP& s) { s.TrigPulseSource = 5, s.TrigPulseLevel = 2; }, TRIG_PULSE, 0, 0, 2},
      {[](_QX_SETUP& s) { s.TrigSlopeLevelB = -0.5f; }, TRIG_SLOPE, 1, 0, -0.5f},
      {[](_QX_SETUP& s) { s.TrigSlopeLevelB = -0.5f; }, TRIG_SLOPE, 2, 0, 0},
      {[](_QX_SETUP& s) { s.AltSource = 1, s.AltTrigType[1] = 2, s.AltSlopeLevelB[1] = 0.25f; },
       TRIG_ALTERNATION, 0, 1, 0.25f},  // by the third argument
      {[](_QX_SETUP& s) { s.AltSource = 2, s.AltEdgeLevel[0] = 1; }, TRIG_ALTERNATION, 0, 0, 0},
      // clang-format on
  };
  for (const auto& c : cases) {
    Reset();
    c.prepare(setup);
    EXPECT_EQ(GetTrigLevelValue(c.type, c.which, c.which2), c.level) << &c - cases;
  }
  std::strcpy(setup.ChanUnitText[1], "A");
  setup.TrigType = TRIG_VIDEO;
  for (const auto& [source, expected] : {std::pair{1, "A"}, {-1, "V"}, {3, "V"}}) {
    setup.TrigVideoSource = source;
    CString unit;
    GetTrigChanUnit(unit);
    EXPECT_EQ(std::string(unit), expected);
  }
}

#if QX_HAVE_SIM
using qxtest::SimEndToEnd;

// Over loopback TCP against the simulated instrument: what the instrument
// applies comes back into the records.
TEST_F(SimEndToEnd, TriggerLevelsReadBackFromTheInstrument) {
  setup.ChanScale[1] = setup.ChanProbe[1] = 1.0f;
  instrument_.Feed(":CHANNEL2:SCALE 0.1\r");

  // The records think CH2 is at 1 V/div; the instrument holds the level to
  // its 0.1 V/div, and the read-back takes that over.
  RunInt(CMD_TRIGGER, CTL_ALT_SOURCE, 1);
  RunFloat(CMD_TRIGGER, CTL_ALT_EDGE_LEVEL, 0.9f, 1);
  EXPECT_FLOAT_EQ(setup.AltEdgeLevel[1], 0.6f);
  EXPECT_EQ(instrument_.GetCounters().errors, 0u);
}
#endif

}  // namespace
