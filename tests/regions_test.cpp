// Screen regions: the trigger-position reference, the window each marker
// lands in per layout, the height ratios and the digital-channel markers,
// worked out by hand from the window rectangles below.
#include <cmath>

#include "support/fakes.h"

namespace {

class RegionsTest : public qxtest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    rgn.MainWaveRect = CRect(0, 0, 700, 400);   // centre 200, 50 px a division
    rgn.UpperWaveRect = CRect(0, 0, 700, 180);  // centre 90, 22.5 px
    rgn.LowerWaveRect = CRect(0, 200, 700, 400);
    for (int i = 0; i < 4; ++i) setup.MathScale[i] = setup.FFTVrmsScale[i] = setup.FFTDbScale[i] = 1.0f;
    setup.ChanScale[0] = setup.ChanScale[1] = setup.RefScale[2] = 1.0f;
    setup.TimeScale = setup.DelayedScale = 1e-3;
  }
};

TEST_F(RegionsTest, TriggerReferenceFollowsTheTimeFormat) {
  const std::int32_t formats[] = {0, 2, 7};
  const CPoint refs[] = {{366, 13}, {716, 13}, {1, 2}};  // an unknown format leaves it
  for (int i = 0; i < 3; ++i) {
    rgn.TrigMarkRef = CPoint(1, 2);
    setup.TimeFormat = formats[i];
    RebuildRgnSetup();
    EXPECT_EQ(rgn.TrigMarkRef, refs[i]) << formats[i];
  }
}

TEST_F(RegionsTest, SplitLayoutsRecomputeTheRatiosAndLeaveTheMainMarkers) {
  setup.ChanOffset[0] = 1.0f;
  setup.DelayedOn = 1;
  RebuildRgnSetup();
  EXPECT_EQ(rgn.UpperHeightRatio, 22);  // 180 * 50 / 400
  EXPECT_EQ(rgn.LowerHeightRatio, 25);
  EXPECT_EQ(rgn.ChanOffsetPtUpper[0], CPoint(15, 67));  // 90 - round(22.5)
  EXPECT_EQ(rgn.ChanOffsetPtLower[0], CPoint(15, 275));
  EXPECT_EQ(rgn.ChanOffsetPtMain[0], CPoint(0, 0));

  setup.DelayedOn = 0;
  setup.ChanOffset[0] = -1.0f;
  rgn.UpperWaveRect.bottom = 100;
  RebuildRgnSetup();  // single: ratios and split markers stay
  EXPECT_EQ(rgn.UpperHeightRatio, 22);
  EXPECT_EQ(rgn.ChanOffsetPtUpper[0], CPoint(15, 67));
  EXPECT_EQ(rgn.ChanOffsetPtMain[0], CPoint(15, 250));

  rgn.MainWaveRect.bottom = 0;
  setup.DelayedOn = 1;
  RebuildRgnSetup();  // a main window of no height leaves the ratios
  EXPECT_EQ(rgn.UpperHeightRatio, 22);
}

TEST_F(RegionsTest, MathMarkersByLayoutAndOperator) {
  // Slot 0 ADD, slot 1 FFT of CH2 in dB, slot 2 FILTER of CH1, slot 3 FFT of CH1 in Vrms.
  const std::int32_t ops[] = {0, 3, 4, 3};
  for (int i = 0; i < 4; ++i) setup.MathOperator[i] = ops[i];
  setup.FFTSource[1] = setup.FFTVertUnit[1] = 1;
  setup.MathOffset[1] = 2.0f;
  setup.FFTDbOffset[1] = 1.0f;
  setup.FFTVrmsOffset[3] = -1.0f;

  setup.TrigType = TRIG_ALTERNATION;
  RebuildRgnSetup();
  EXPECT_EQ(rgn.MathOffsetPtLower[0], CPoint(15, 300));  // ADD: lower, whatever its sources
  EXPECT_EQ(rgn.MathOffsetPtLower[1], CPoint(15, 275));
  EXPECT_EQ(rgn.MathOffsetPtUpper[2], CPoint(15, 90));
  EXPECT_EQ(rgn.MathOffsetPtUpper[3], CPoint(15, 113));
  EXPECT_EQ(rgn.MathOffsetPtUpper[0], CPoint(0, 0));

  setup.DelayedOn = 1;  // delayed wins; every slot by its math scale
  RebuildRgnSetup();
  EXPECT_EQ(rgn.MathOffsetPtUpper[1], CPoint(15, 45));
  EXPECT_EQ(rgn.MathOffsetPtLower[1], CPoint(15, 250));

  setup.DelayedOn = 0;
  setup.TrigType = TRIG_EDGE;
  setup.MathDisplay[3] = 1;  // a shown spectrum splits the screen
  setup.MathOffset[0] = 1.0f;
  RebuildRgnSetup();
  EXPECT_EQ(rgn.MathOffsetPtLower[3], CPoint(15, 325));
  EXPECT_EQ(rgn.MathOffsetPtUpper[0], CPoint(15, 67));

  setup.RefOffset[2] = 1.0f;
  setup.MathOffset[0] = 0.0f;
  RebuildRefPos();  // references only
  EXPECT_EQ(rgn.RefOffsetPtUpper[2], CPoint(15, 67));
  EXPECT_EQ(rgn.MathOffsetPtUpper[0], CPoint(15, 67));
}

TEST_F(RegionsTest, DigitalMarkerHeldInsideItsWindow) {
  const float positions[] = {0, 1, 5, -4, NAN, 1e30f};
  const std::int32_t ys[] = {200, 150, 0, 400, 200, 0};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(GetLaOffsetPoint(positions[i], CRect(0, 0, 700, 400)), CPoint(15, ys[i])) << positions[i];
}

}  // namespace
