// Math and FFT: scale bases, units, the filter band, and the only lines the
// math controls send (channel display and main timebase).
#include <cstring>
#include <string>
#include <vector>

#include "frame/handlers.h"
#include "support/fakes.h"

namespace {

using Lines = std::vector<std::string>;

constexpr unsigned kFilterUpper = 0x48D, kScaleStep = 0x4C9, kOperator = 0x4E7, kDisplay = 0x4EA;
constexpr int kAdd = 0, kMultiple = 2, kFFT = 3, kFilter = 4;

class MathTest : public qxtest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    rgn.MainWaveRect = {0, 0, 700, 400};
    setup.TimeScale = 1e-3;  // spectrum unit 100 / (20 * 1 ms) = 5000 per division
    setup.ChanProbe[0] = 10;
    setup.ChanProbe[1] = 1;
    std::strcpy(setup.ChanUnitText[0], "V");
    std::strcpy(setup.ChanUnitText[1], "A");
  }
};

TEST_F(MathTest, ScaleBaseAndUnit) {
  struct Case {
    int op, a, b;
    float scale;  // step 9: one unit of the base per division
    const char* unit;
  } cases[] = {
      {kAdd, 0, 1, 10, "U"}, {kMultiple, 0, 1, 10, "W"}, {kMultiple, 0, 0, 100, "U"},
      {kAdd, 1, 1, 1, "A"},  {kFilter, 0, 0, 1, "A"},    {kFFT, 1, 0, 10, "Vrms"},
  };
  setup.MathFilterSource[1] = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    setup.MathSourceA[1] = c.a;
    setup.MathSourceB[1] = c.b;
    RunInt(CMD_MATH, kOperator, c.op, 1);
    RunInt(CMD_MATH, kScaleStep, 9, 1);
    EXPECT_FLOAT_EQ(setup.MathScale[1], c.scale);
    EXPECT_STREQ(setup.MathUnitText[1], c.unit);
  }
  EXPECT_EQ(std::string(qx::Command.CmdString), ":MATH:SCALE 10.000000");  // left pending, never sent
  EXPECT_TRUE(socket.sent.empty());
}

// Showing a trace acquires both channels; hiding the last one releases the
// hidden channels, twice, the second time with the USB queue cleared.
TEST_F(MathTest, DisplayLines) {
  struct Case {
    std::int32_t format;
    BYTE v;
    Lines lines;
    const char* status;
  } cases[] = {
      // clang-format off
      {0, 1, {":CHANNEL1:DISPLAY ON", ":CHANNEL2:DISPLAY ON"}, ""},
      {0, 0, {":CHANNEL1:DISPLAY OFF", ":CHANNEL2:DISPLAY OFF", ":CHANNEL1:DISPLAY OFF", ":CLEARUSB",
              ":CHANNEL2:DISPLAY OFF", ":CLEARUSB"}, ""},
      {1, 1, {}, "Function not available at XY mode"},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    socket.sent.clear();
    setup.TimeFormat = c.format;
    RunInt(CMD_MATH, kDisplay, c.v);
    EXPECT_EQ(socket.SentTexts(), c.lines);
    EXPECT_STREQ(setup.ErrorText, c.status);
  }
  EXPECT_EQ(setup.MathDisplay[0], 0);
}

TEST_F(MathTest, OperatorChangeToSpectrumLeavesTheDelayedTimebase) {
  setup.DelayedOn = 1;
  setup.FFTZoomCode[0] = 2;
  setup.FFTVertUnit[0] = 1;
  RunInt(CMD_MATH, kOperator, kFFT);
  EXPECT_EQ(socket.SentTexts(), Lines{":TIMEBASE:MODE MAIN"});
  EXPECT_EQ(setup.DelayedOn, 0);
  EXPECT_EQ(setup.FFTFullScreen, 1);  // no slot shown
  EXPECT_EQ(std::vector<int>({rgn.RedrawScreen, rgn.RedrawFlag2, rgn.RedrawFlag3, rgn.RedrawFlag4}),
            std::vector<int>({1, 1, 1, 1}));
  EXPECT_FLOAT_EQ(setup.FFTTimeScale[0], 25000);
  EXPECT_EQ(std::memcmp(setup.MathUnitText[0], "dBVrms\0", 8), 0);

  setup.TimeFormat = 2;
  RunInt(CMD_MATH, kOperator, kFilter);
  EXPECT_EQ(setup.MathOperator[0], kFFT);
  EXPECT_STREQ(setup.ErrorText, "Function not available");
}

TEST_F(MathTest, FilterBandKeepsItsLimitsApart) {
  setup.ChanFilterType[1] = 2;  // BANDPASS
  setup.ChanFilterLower[1] = 0.2f;
  RunFloat(CMD_MATH, kFilterUpper, 0.1f, 1);
  EXPECT_FLOAT_EQ(setup.ChanFilterUpper[1], 0.2f);
  EXPECT_STREQ(setup.ErrorText, "Filter frequency at lower limit");
}

}  // namespace
