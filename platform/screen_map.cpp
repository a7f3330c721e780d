// Mapping between settings and screen pixels. 8 divisions span a window's
// height, 50 pixels one horizontal division.
#include <algorithm>

#include "QxCommon.h"
#include "convert.h"

namespace {
constexpr int kPixelsPerDivision = 50;
constexpr int kLimitX = 7000;

int CentreY(const CRect& r) { return r.top + r.Height() / 2; }
int HoldX(int x) { return std::clamp(x, -kLimitX, kLimitX); }
int HoldY(int y, const CRect& r) { return std::clamp(y, std::min(r.top, r.bottom), std::max(r.top, r.bottom)); }

// Pixels that `divisions` of vertical travel take in `r`, rounded.
int VerticalPixels(double divisions, const CRect& r) {
  return qx::RoundTo<int>(divisions * r.Height() / 8.0);
}
}  // namespace

CPoint GetVoltOffsetPt(float scale, float offset, CRect rect) {
  const double divisions = static_cast<double>(offset) / scale;
  return CPoint(15, HoldY(qx::TruncateTo<int>(static_cast<double>(CentreY(rect)) - VerticalPixels(divisions, rect)), rect));
}

float GetVoltOffset(float scale, CRect rect, CPoint point) {
  if (rect.Height() == 0) return 0.0f;
  return static_cast<float>(static_cast<double>(CentreY(rect) - point.y) * 8.0 / rect.Height() * scale);
}

CPoint GetTrigLevelPt(float scale, float offset, float level, CRect rect) {
  const double divisions = (static_cast<double>(level) + offset) / scale;
  return CPoint(rect.right - 15,
                HoldY(qx::TruncateTo<int>(static_cast<double>(CentreY(rect)) - VerticalPixels(divisions, rect)), rect));
}

CPoint GetTrigOffsetPt(double scale, double offset, CPoint ref) {
  const int shift = qx::RoundTo<int>(offset / scale * kPixelsPerDivision);
  return CPoint(HoldX(qx::TruncateTo<int>(static_cast<double>(ref.x) - shift)), ref.y);
}

CPoint GetXYTimeOffsetPt(double scale, double offset, CPoint ref) {
  const int shift = qx::RoundTo<int>(offset / scale * kPixelsPerDivision);
  return CPoint(HoldX(qx::TruncateTo<int>(static_cast<double>(ref.x) + shift)), ref.y);
}

CRect GetDelayedRect(double mainScale, double delayedScale, double mainOffset, double delayedOffset,
                     CRect upper, CPoint ref) {
  const double centre = ref.x + static_cast<double>(qx::RoundTo<int>((delayedOffset - mainOffset) / mainScale * kPixelsPerDivision));
  const double half = qx::RoundTo<int>(7.0 * delayedScale / mainScale * kPixelsPerDivision);
  return CRect(HoldX(qx::TruncateTo<int>(centre - half)), upper.top, HoldX(qx::TruncateTo<int>(centre + half)),
               upper.bottom);
}
