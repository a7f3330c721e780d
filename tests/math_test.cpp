// Math and FFT: scale bases, units, marker windows, the filter band, and the
// only lines the math controls send (channel display and main timebase).
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "frame/handlers.h"
#include "support/fakes.h"

namespace {

using Lines = std::vector<std::string>;

constexpr unsigned kFilterUpper = 0x48D, kFilterLower = 0x497, kFilterType = 0x4A1, kScaleStep = 0x4C9,
                   kOffset = 0x4D3, kOperator = 0x4E7, kDisplay = 0x4EA, kFullScreen = 0x4F3,
                   kVertUnit = 0x4FA, kInvert = 0x537;
constexpr int kAdd = 0, kMultiple = 2, kFFT = 3, kFilter = 4;

class MathTest : public qxtest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    rgn.MainWaveRect = {0, 0, 700, 400};
    rgn.UpperWaveRect = {0, 0, 700, 200};
    rgn.LowerWaveRect = {0, 200, 700, 400};
    setup.ChanProbe[0] = setup.ChanProbe[1] = 1;
    std::strcpy(setup.ChanUnitText[0], "V");
    std::strcpy(setup.ChanUnitText[1], "V");
  }
  void RunByte(unsigned ctrl, BYTE v, long slot = 0) {
    SetMsgVarInt(v);
    Run(CMD_MATH, ctrl, slot);
  }
};

TEST_F(MathTest, ScaleBaseFollowsTheOperatorAndTheProbes) {
  struct Case {
    int op, a, b, filterSource;
    float scale;  // step 9: one unit of the base per division
  } cases[] = {
      {kAdd, 0, 1, 0, 10},   {kMultiple, 0, 1, 0, 10}, {kMultiple, 0, 0, 0, 100},
      {kFilter, 0, 0, 1, 1}, {kFFT, 1, 1, 0, 1},       {kAdd, 1, 0, 0, 10},
  };
  setup.ChanProbe[0] = 10;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.op * 100 + c.a * 10 + c.b);
    setup.MathOperator[1] = c.op;
    setup.MathSourceA[1] = c.a;
    setup.MathSourceB[1] = c.b;
    setup.MathFilterSource[1] = c.filterSource;
    RunInt(CMD_MATH, kScaleStep, 9, 1);
    EXPECT_FLOAT_EQ(setup.MathScale[1], c.scale);
  }
  EXPECT_EQ(std::string(qx::Command.CmdString), ":MATH:SCALE 10.000000");  // left pending, never sent
  EXPECT_TRUE(socket.sent.empty());
}

TEST_F(MathTest, UnitOfAResult) {
  struct Case {
    const char *a, *b;
    int op;
    const char* unit;
  } cases[] = {{"V", "V", 0, "V"}, {"A", "A", 1, "A"}, {"V", "A", 0, "U"}, {"V", "A", 2, "W"},
               {"A", "V", 2, "W"}, {"V", "V", 2, "U"}, {"V", "V", 3, ""},  {"V", "V", 4, ""}};
  for (const Case& c : cases) EXPECT_STREQ(qx::MathUnitFor(c.a, c.b, c.op), c.unit) << c.a << c.b << c.op;
}

// Showing a trace acquires both channels; hiding the last one releases the
// hidden channels, twice, the second time with the USB queue cleared.
TEST_F(MathTest, DisplayLines) {
  const Lines off1 = {":CHANNEL1:DISPLAY OFF"}, off2 = {":CHANNEL2:DISPLAY OFF"};
  struct Case {
    const char* name;
    std::int32_t format;
    int op;
    BYTE otherShown, ch1Shown, delayed, v;
    Lines lines;
    const char* status;
    BYTE shownAfter;
  } cases[] = {
      {"on, channels hidden", 0, kAdd, 0, 0, 0, 1, {":CHANNEL1:DISPLAY ON", ":CHANNEL2:DISPLAY ON"}, "", 1},
      {"last off, channels hidden",
       0,
       kAdd,
       0,
       0,
       0,
       0,
       {":CHANNEL1:DISPLAY OFF", ":CHANNEL2:DISPLAY OFF", ":CHANNEL1:DISPLAY OFF", ":CLEARUSB",
        ":CHANNEL2:DISPLAY OFF", ":CLEARUSB"},
       "",
       0},
      {"last off, CH1 shown",
       0,
       kAdd,
       0,
       1,
       0,
       0,
       {":CHANNEL2:DISPLAY OFF", ":CHANNEL2:DISPLAY OFF", ":CLEARUSB"},
       "",
       0},
      {"off, another shown", 0, kAdd, 1, 0, 0, 0, {}, "", 0},
      {"spectrum on, delayed",
       0,
       kFFT,
       0,
       1,
       1,
       1,
       {":TIMEBASE:MODE MAIN", ":CHANNEL1:DISPLAY ON", ":CHANNEL2:DISPLAY ON"},
       "",
       1},
      {"XY refuses off too", 1, kAdd, 0, 0, 0, 0, {}, "Function not available at XY mode", 1},
      {"filter on while rolling", 2, kFilter, 0, 0, 0, 1, {}, "Function not available at rolling mode", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    socket.sent.clear();
    setup.ErrorText[0] = '\0';
    setup.TimeFormat = c.format;
    setup.MathOperator[0] = c.op;
    setup.MathDisplay[0] = c.v == 1 ? 0 : 1;
    setup.MathDisplay[3] = c.otherShown;
    setup.ChanDisplay[0] = c.ch1Shown;
    setup.ChanDisplay[1] = 0;
    setup.DelayedOn = c.delayed;
    RunByte(kDisplay, c.v);
    EXPECT_EQ(socket.SentTexts(), c.lines);
    EXPECT_STREQ(setup.ErrorText, c.status);
    EXPECT_EQ(setup.MathDisplay[0], c.shownAfter);
    EXPECT_EQ(setup.DelayedOn, 0);
  }
  EXPECT_EQ(setup.ActiveChannel, ACTIVE_MATH1);
}

TEST_F(MathTest, OperatorChangeToAndFromSpectrum) {
  setup.DelayedOn = 1;
  setup.TimeScale = 1e-3;  // spectrum unit 100 / (20 * 1 ms) = 5000 per division
  setup.FFTZoomCode[0] = 2;
  setup.FFTVertUnit[0] = 1;
  setup.MathDisplay[0] = 1;
  RunInt(CMD_MATH, kOperator, kFFT);
  EXPECT_EQ(socket.SentTexts(), Lines{":TIMEBASE:MODE MAIN"});
  EXPECT_EQ(setup.DelayedOn, 0);
  EXPECT_EQ(setup.FFTFullScreen, 0);
  EXPECT_EQ(std::vector<int>({rgn.RedrawScreen, rgn.RedrawFlag2, rgn.RedrawFlag3, rgn.RedrawFlag4}),
            std::vector<int>({1, 1, 1, 1}));
  EXPECT_FLOAT_EQ(setup.FFTTimeScale[0], 25000);
  EXPECT_EQ(std::memcmp(setup.MathUnitText[0], "dBVrms\0", 8), 0);
  EXPECT_EQ(std::string(qx::Command.CmdString), ":MATH:OPERATOR FFT");

  socket.sent.clear();
  rgn.RedrawScreen = 0;
  RunInt(CMD_MATH, kOperator, kAdd);
  EXPECT_EQ(rgn.RedrawScreen, 1);
  EXPECT_STREQ(setup.MathUnitText[0], "V");
  EXPECT_TRUE(socket.sent.empty());

  // The unit control reaches the same text.
  RunInt(CMD_MATH, kVertUnit, 0, 2);
  EXPECT_STREQ(setup.MathUnitText[2], "Vrms");

  setup.TimeFormat = 2;
  RunInt(CMD_MATH, kOperator, kFilter);
  EXPECT_EQ(setup.MathOperator[0], kAdd);
  EXPECT_STREQ(setup.ErrorText, "Function not available");
}

TEST_F(MathTest, FilterBandKeepsItsLimitsApart) {
  struct Case {
    unsigned ctrl;
    float v;
    float upper, lower;
    const char* status;
  } cases[] = {
      {kFilterUpper, 0.1f, 0.2f, 0.2f, "Filter frequency at lower limit"},
      {kFilterLower, 0.4f, 0.3f, 0.3f, "Filter frequency at upper limit"},
      {kFilterUpper, 0.3f, 0.3f, 0.2f, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.v);
    setup.ErrorText[0] = '\0';
    setup.ChanFilterType[1] = 2;  // BANDPASS
    setup.ChanFilterUpper[1] = 0.3f;
    setup.ChanFilterLower[1] = 0.2f;
    RunFloat(CMD_MATH, c.ctrl, c.v, 1);
    EXPECT_FLOAT_EQ(setup.ChanFilterUpper[1], c.upper);
    EXPECT_FLOAT_EQ(setup.ChanFilterLower[1], c.lower);
    EXPECT_STREQ(setup.ErrorText, c.status);
  }
  // A band type equalises silently; the limits are validated with their messages.
  setup.ChanFilterUpper[1] = 0.1f;
  setup.ChanFilterLower[1] = 0.2f;
  setup.ErrorText[0] = '\0';
  RunInt(CMD_MATH, kFilterType, 3, 1);
  EXPECT_FLOAT_EQ(setup.ChanFilterUpper[1], 0.2f);
  EXPECT_STREQ(setup.ErrorText, "");
  setup.ChanFilterUpper[1] = 0.9f;
  RunInt(CMD_MATH, kFilterType, 0, 1);
  EXPECT_FLOAT_EQ(setup.ChanFilterUpper[1], 0.495f);
  EXPECT_STREQ(setup.ErrorText, "Filter frequency at upper limit");
}

// Offset 1 V at 1 V/div: the marker is 50 pixels above the centre of the
// main window, 25 above that of the upper or lower one.
TEST_F(MathTest, OffsetMarkerWindow) {
  const CPoint none{0, 0}, main{15, 150}, upper{15, 75}, lower{15, 275};
  struct Case {
    const char* name;
    BYTE delayed;
    std::int32_t trig;
    int op;
    BYTE spectrumShown;
    CPoint wantMain, wantUpper, wantLower;
  } cases[] = {
      {"main", 0, 0, kAdd, 0, main, none, none},
      {"delayed", 1, TRIG_ALTERNATION, kAdd, 0, none, upper, lower},
      {"alternate, filter of CH1", 0, TRIG_ALTERNATION, kFilter, 0, none, upper, none},
      {"alternate", 0, TRIG_ALTERNATION, kAdd, 0, none, none, lower},
      {"beside a split spectrum", 0, 0, kAdd, 1, none, upper, none},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rgn.MathOffsetPtMain[0] = rgn.MathOffsetPtUpper[0] = rgn.MathOffsetPtLower[0] = none;
    setup.DelayedOn = c.delayed;
    setup.TrigType = c.trig;
    setup.MathOperator[0] = c.op;
    setup.MathScale[0] = 1;
    setup.MathOperator[1] = kFFT;
    setup.MathDisplay[1] = c.spectrumShown;
    RunFloat(CMD_MATH, kOffset, 1.0f);
    EXPECT_EQ(rgn.MathOffsetPtMain[0], c.wantMain);
    EXPECT_EQ(rgn.MathOffsetPtUpper[0], c.wantUpper);
    EXPECT_EQ(rgn.MathOffsetPtLower[0], c.wantLower);
  }
}

TEST_F(MathTest, FullScreenOnlyForAShownSpectrum) {
  setup.MathDisplay[0] = 1;
  RunByte(kFullScreen, 1);
  EXPECT_EQ(setup.FFTFullScreen, 0);
  EXPECT_STREQ(setup.ErrorText, "Function not available");
  EXPECT_EQ(rgn.RedrawFlag1, 1);  // redrawn all the same
  setup.MathOperator[0] = kFFT;
  RunByte(kFullScreen, 1);
  EXPECT_EQ(setup.FFTFullScreen, 1);
}

TEST_F(MathTest, BadSlotAndNotANumberChangeNothing) {
  setup.MathDisplay[0] = 1;
  const _QX_SETUP before = setup;
  const _QX_RGN_SETUP rgnBefore = rgn;
  RunByte(kInvert, 1, 4);
  RunByte(kDisplay, 0, -1);
  RunFloat(CMD_MATH, kOffset, std::nanf(""));
  EXPECT_EQ(std::memcmp(&before, &setup, sizeof setup), 0);
  EXPECT_EQ(std::memcmp(&rgnBefore, &rgn, sizeof rgn), 0);
  EXPECT_TRUE(socket.sent.empty());
}

}  // namespace
