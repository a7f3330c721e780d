// Cursors: pixel and division conversions, limits, the window of each cursor
// per layout, and the two cursor commands through the queue, in the host's
// 700 x 400 main window. Positions are worked out by hand.
#include <cmath>
#include <string>

#include "support/fakes.h"

namespace {

class CursorsTest : public qxtest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    rgn.MainWaveRect = CRect(0, 0, 700, 400);
    rgn.UpperWaveRect = CRect(0, 0, 700, 180);
    rgn.LowerWaveRect = CRect(0, 200, 700, 400);
    rgn.TrigMarkMain = CPoint(366, 13);
    rgn.ChanOffsetPtMain[0] = CPoint(15, 200);
    setup.ChanDisplay[0] = 1;
    setup.RunState = 1;  // so that SetRefreshWave raises RefreshWave
  }
};

TEST_F(CursorsTest, PointsFromDivisions) {
  const CRect main(0, 0, 700, 400);
  const struct {
    CPoint ref;
    float divisions;
    bool horizontal;
    CPoint at;
  } cases[] = {
      {{366, 0}, -1.5f, true, {290, 0}},  // 366 - 75 - 0.5
      {{366, 0}, 0.0f, true, {365, 0}},   // a zero product takes -0.5
      {{366, 0}, 1e30f, true, {0x7FFFFFFE, 0}}, {{366, 0}, NAN, true, {0, 0}},
      {{0, 200}, -0.05f, false, {0, 203}},  // 2.5 pixels round away from zero
  };
  for (const auto& c : cases)
    EXPECT_EQ(GetCursorPt(c.ref, c.divisions, main, c.horizontal), c.at)
        << c.divisions << " " << c.horizontal;
}

TEST_F(CursorsTest, PositionsAreHeldBetweenTheCursorLimits) {
  const struct {
    unsigned int ctrl;
    float position, stored;
    int pixel;  // x of the X point, y of the Y point
    const char* status;
  } cases[] = {
      {CTL_CURSOR_X_POS, 7.0f, 7.0f, 716, "Cursor position at upper limit"},
      {CTL_CURSOR_X_POS, -6.98f, -7.0f, 16, "Cursor position at lower limit"},  // pixel 16.5
      {CTL_CURSOR_X_POS, -6.96f, -6.96f, 17, ""},
      {CTL_CURSOR_Y_POS, -4.0f, -4.0f, 400, "Cursor position at lower limit"},  // the bottom edge
      {CTL_CURSOR_Y_POS, 1.0f, 1.0f, 150, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.position);
    rgn.RefreshWave = 0;
    RunFloat(CMD_CURSOR_MANUAL, c.ctrl, c.position, 0);
    const bool x = c.ctrl == CTL_CURSOR_X_POS;
    EXPECT_NEAR(x ? setup.CursorXA : setup.CursorYA, c.stored, 1e-5);
    EXPECT_EQ(x ? rgn.CursorXAPtMain.x : rgn.CursorYAPtMain.y, c.pixel);
    Status(c.status);
    EXPECT_EQ(rgn.RefreshWave, 1);
  }
  RunFloat(CMD_CURSOR_MANUAL, CTL_CURSOR_X_POS, 1.0f, 2);  // neither A nor B
  EXPECT_EQ(setup.CursorXB, 0.0f);
  EXPECT_EQ(rgn.CursorXBPtMain, CPoint(0, 0));  // only the point asked for moves
}

// A refused source keeps its field and the row goes on; track cursors need a
// shown channel; each row raises RefreshWave only where it should.
TEST_F(CursorsTest, SourcesAndSwitches) {
  const struct {
    unsigned long cmd;
    unsigned int ctrl;
    int v;
    long value;
    BYTE laEnable;
    std::int32_t* field;
    int expected;
    bool refreshed;
    const char* status;
  } cases[] = {
      {CMD_CURSOR_MANUAL, CTL_CURSOR_X_SOURCE, 6, 0, 0, &setup.CursorXSource, 0, true,
       "Function not available"},
      {CMD_CURSOR_MANUAL, CTL_CURSOR_X_SOURCE, 6, 0, 1, &setup.CursorXSource, 6, true, ""},
      {CMD_CURSOR_MANUAL, CTL_CURSOR_Y_SOURCE, 6, 0, 1, &setup.CursorYSource, 0, true,
       "Function not available"},
      {CMD_CURSOR_MANUAL, CTL_CURSOR_Y_ON, 0x101, 0, 0, nullptr, 0, false, ""},
      {CMD_CURSOR_TRACK, CTL_TRACK_A_SOURCE, 1, 0, 0, &setup.TrackSourceA, 0, false,
       "Function not available"},
      {CMD_CURSOR_TRACK, CTL_TRACK_ON, 1, 1, 0, nullptr, 0, true, "Function not available"},  // B, CH2 hidden
  };
  setup.TrackSourceB = 1;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ctrl);
    rgn.RefreshWave = 0;
    setup.LaEnable = c.laEnable;
    RunInt(c.cmd, c.ctrl, c.v, c.value);
    EXPECT_EQ(c.field ? *c.field : 0, c.expected);
    EXPECT_EQ(rgn.RefreshWave, c.refreshed ? 1 : 0);
    Status(c.status);
  }
  EXPECT_EQ(setup.CursorYOn, 1);  // the low byte of the flag
  EXPECT_EQ(setup.TrackBOn, 0);
  EXPECT_TRUE(socket.sent.empty());
}

TEST_F(CursorsTest, ShownWhenEitherSourceOfAnOnPairIsShown) {
  setup.CursorXSource = 1;  // hidden; the Y source CH1 is shown
  RunBool(CMD_CURSOR_MANUAL, CTL_CURSOR_X_ON, true);
  EXPECT_EQ(rgn.CursorShown, 1);
  RunBool(CMD_CURSOR_MANUAL, CTL_CURSOR_X_ON, false);
  EXPECT_EQ(rgn.CursorShown, 0);
}

TEST_F(CursorsTest, DivisionsFromTheWindowEachCursorLivesIn) {
  setup.MathDisplay[0] = 1;  // a spectrum in slot 0, split screen
  setup.MathOperator[0] = 3;
  setup.CursorXSource = 2;
  rgn.CursorXAPtLower = CPoint(416, 0);  // a spectrum counts from the middle, 366
  rgn.ChanOffsetPtUpper[0] = CPoint(15, 90);
  rgn.CursorYAPtUpper = CPoint(0, 45);
  rgn.TrigMarkUpper = CPoint(366, 13);
  rgn.TrackAPtUpper = CPoint(316, 0);
  RebuildCursorDiv();
  EXPECT_FLOAT_EQ(setup.CursorXA, 1.0f);
  EXPECT_FLOAT_EQ(setup.CursorYA, 2.0f);  // 45 pixels of 180 over 8 divisions
  EXPECT_FLOAT_EQ(setup.TrackXA, -1.0f);

  setup.TimeFormat = 2;  // ROLLING: X against pixel 716, Y in the main window against CH2
  rgn.ChanOffsetPtMain[1] = CPoint(15, 100);
  rgn.CursorYAPtMain = CPoint(0, 200);
  RebuildCursorDiv();
  EXPECT_FLOAT_EQ(setup.CursorXA, -6.0f);
  EXPECT_FLOAT_EQ(setup.CursorYA, -2.0f);
}

TEST_F(CursorsTest, WindowsAcrossLayouts) {
  setup.CursorXSource = 1;
  setup.TrigType = TRIG_ALTERNATION;  // CH2 lives in the lower window
  rgn.CursorXAPtMain.x = 1, rgn.CursorXAPtUpper.x = 2, rgn.CursorXAPtLower.x = 3;
  RebuildCursorPt();
  EXPECT_EQ(rgn.CursorXAPtMain.x, 2);
  EXPECT_EQ(rgn.CursorXAPtUpper.x, 3);
  EXPECT_EQ(CursorWindowRect(1), rgn.LowerWaveRect);
  setup.DelayedOn = 1;  // the delayed layout wins over alternate trigger
  EXPECT_EQ(CursorWindowRect(0), rgn.LowerWaveRect);
  setup.DelayedOn = 0;
  setup.TrigType = TRIG_EDGE;
  EXPECT_EQ(CursorWindowRect(6), CRect(0, 0, 0, 0));  // the analyzer only with X cursors on
}

}  // namespace
