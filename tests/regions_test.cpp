// Screen regions: the trigger-position reference, which window each marker
// lands in per layout, the height ratios, and the digital-channel markers.
// Expected points are worked out by hand from the window rectangles below.
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
    setup.ChanScale[0] = setup.ChanScale[1] = 1.0f;
    setup.TimeScale = setup.DelayedScale = 1e-3;
  }
};

TEST_F(RegionsTest, TriggerReferenceFollowsTheTimeFormat) {
  const struct {
    std::int32_t format;
    CPoint ref;
  } cases[] = {{0, {366, 13}}, {1, {366, 13}}, {2, {716, 13}}, {7, {1, 2}}};
  for (const auto& c : cases) {
    rgn.TrigMarkRef = CPoint(1, 2);
    setup.TimeFormat = c.format;
    RebuildRgnSetup();
    EXPECT_EQ(rgn.TrigMarkRef, c.ref) << c.format;
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
  // Slot 0 ADD, slot 1 FFT on CH2 in dB, slot 2 FILTER of CH1, slot 3 FFT in Vrms.
  const std::int32_t ops[] = {0, 3, 4, 3};
  for (int i = 0; i < 4; ++i) setup.MathOperator[i] = ops[i];
  setup.FFTSource[1] = 1;
  setup.FFTVertUnit[1] = 1;
  setup.MathOffset[1] = 2.0f;
  setup.FFTDbOffset[1] = 1.0f;
  setup.FFTVrmsOffset[3] = -1.0f;

  setup.TrigType = TRIG_ALTERNATION;
  RebuildRgnSetup();
  EXPECT_EQ(rgn.MathOffsetPtLower[0], CPoint(15, 300));  // ADD: lower, whatever its sources
  EXPECT_EQ(rgn.MathOffsetPtLower[1], CPoint(15, 275));  // spectrum of CH2, dB pair
  EXPECT_EQ(rgn.MathOffsetPtUpper[2], CPoint(15, 90));   // filter of CH1
  EXPECT_EQ(rgn.MathOffsetPtUpper[3], CPoint(15, 113));  // spectrum of CH1, Vrms pair
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
}

TEST_F(RegionsTest, ReferenceRebuildMovesOnlyReferenceMarkers) {
  setup.RefScale[2] = 1.0f;
  setup.RefOffset[2] = 1.0f;
  setup.ChanOffset[0] = 1.0f;
  RebuildRefPos();
  EXPECT_EQ(rgn.RefOffsetPtMain[2], CPoint(15, 150));
  EXPECT_EQ(rgn.ChanOffsetPtMain[0], CPoint(0, 0));
  EXPECT_EQ(rgn.TrigMarkMain, CPoint(0, 0));
}

TEST_F(RegionsTest, DigitalMarkerHeldInsideItsWindow) {
  const struct {
    float position;
    CPoint at;
  } cases[] = {{0, {15, 200}},  {1, {15, 150}},   {5, {15, 0}},
               {-4, {15, 400}}, {NAN, {15, 200}}, {1e30f, {15, 0}}};
  for (const auto& c : cases)
    EXPECT_EQ(GetLaOffsetPoint(c.position, CRect(0, 0, 700, 400)), c.at) << c.position;
}

}  // namespace
