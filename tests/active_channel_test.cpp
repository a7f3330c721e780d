// The active trace and the traces shown at stop, and the math-slot queries.
#include <algorithm>
#include <array>

#include "support/fakes.h"

namespace {

class ActiveChannelTest : public qxtest::LibraryTest {};

// The asked trace when shown, else the first shown of CH1, CH2, MATH1..4, LA;
// only 1 means shown.
TEST_F(ActiveChannelTest, AskedTraceOrFirstShownOrNone) {
  const struct {
    std::array<BYTE, 2> chan;
    std::array<BYTE, 4> math;
    BYTE la;
    int ask, active;
    bool result;
  } rows[] = {
      // clang-format off
      {{0, 1}, {}, 0, ACTIVE_CH2, ACTIVE_CH2, true},     {{1, 0}, {}, 0, ACTIVE_CH2, ACTIVE_CH1, true},
      {{0, 0}, {}, 0, ACTIVE_CH1, ACTIVE_NONE, false},   {{2, 0}, {}, 0, ACTIVE_CH1, ACTIVE_NONE, false},
      {{0, 0}, {0, 0, 1, 0}, 0, ACTIVE_CH1, ACTIVE_MATH3, true},
      {{0, 0}, {0, 1, 0, 0}, 1, ACTIVE_LA, ACTIVE_LA, true},
      {{0, 0}, {1, 0, 0, 0}, 1, ACTIVE_NONE, ACTIVE_MATH1, true},
      {{0, 0}, {}, 1, ACTIVE_MATH1, ACTIVE_LA, true},    {{1, 1}, {}, 0, 3, ACTIVE_CH1, true},
      {{0, 1}, {}, 0, 42, ACTIVE_CH2, true},             {{0, 1}, {}, 0, -1, ACTIVE_CH2, true},
      // clang-format on
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << "ask " << row.ask << ", want " << row.active);
    std::copy(row.chan.begin(), row.chan.end(), setup.ChanDisplay);
    std::copy(row.math.begin(), row.math.end(), setup.MathDisplay);
    setup.LaEnable = row.la;
    setup.ActiveChannel = -5;
    EXPECT_EQ(SetActiveChannel(static_cast<_QX_ACTIVE_CHANNEL>(row.ask)), row.result);
    EXPECT_EQ(setup.ActiveChannel, row.active);
  }
}

TEST_F(ActiveChannelTest, ShownAtStopCopiesOrClears) {
  setup.ChanDisplay[1] = setup.MathDisplay[3] = setup.LaEnable = 1;
  SetChanEnabledStop(true);
  EXPECT_EQ(setup.ChanStopWave[0] * 10 + setup.ChanStopWave[1], 1);
  EXPECT_EQ(setup.MathDisplayAtStop[3], 1);
  EXPECT_EQ(setup.LaEnableAtStop, 1);
  EXPECT_TRUE(GetMathEnabledStop());
  SetChanEnabledStop(false);
  EXPECT_EQ(setup.ChanStopWave[1] + setup.MathDisplayAtStop[3] + setup.LaEnableAtStop, 0);
  EXPECT_FALSE(GetMathEnabledStop());
}

// Only a shown slot counts, and only a shown FFT slot splits the screen when not full.
TEST_F(ActiveChannelTest, MathQueries) {
  const struct {
    std::array<BYTE, 4> shown;
    std::array<int, 4> op;
    BYTE fullScreen;
    bool enabled, fft, split;
  } rows[] = {{{}, {3, 3, 3, 3}, 0, false, false, false},
              {{0, 0, 0, 1}, {}, 0, true, false, false},
              {{0, 0, 1, 0}, {0, 3, 0, 0}, 0, true, false, false},
              {{0, 1, 0, 0}, {0, 3, 0, 0}, 0, true, true, true},
              {{0, 1, 0, 0}, {0, 3, 0, 0}, 1, true, true, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(&row - rows);  // the row's index
    std::copy(row.shown.begin(), row.shown.end(), setup.MathDisplay);
    std::copy(row.op.begin(), row.op.end(), setup.MathOperator);
    setup.FFTFullScreen = row.fullScreen;
    EXPECT_EQ(GetMathEnabled(), row.enabled);
    EXPECT_EQ(GetFFTOperator(), row.fft);
    EXPECT_EQ(GetFFTSplitScreen(), row.split);
  }
}

}  // namespace
