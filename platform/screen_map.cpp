// Mapping between settings and screen pixels. 8 divisions span a window's
// height, 50 pixels one horizontal division. Arithmetic runs in double and
// 64-bit integers and converts back saturating, so no host rectangle and no
// zero or NaN scale reaches undefined behaviour.
#include <algorithm>
#include <cstdint>

#include "QxCommon.h"
#include "convert.h"

namespace {
constexpr int kPixelsPerDivision = 50;
constexpr int kDivisionsHigh = 8;
constexpr double kHalfDivisionsAcross = 7.0;  // the main window spans 14 divisions
constexpr int kMarkerInset = 15;  // offset markers sit this far inside the left edge, level markers the right
constexpr std::int64_t kLimitX = 7000;

std::int64_t HeightOf(const CRect& r) { return static_cast<std::int64_t>(r.bottom) - r.top; }
std::int64_t CentreY(const CRect& r) { return r.top + HeightOf(r) / 2; }

std::int32_t HoldX(std::int64_t x) { return static_cast<std::int32_t>(std::clamp(x, -kLimitX, kLimitX)); }
std::int32_t HoldX(double x) { return HoldX(qx::TruncateTo<std::int64_t>(x)); }

// cy - round(divisions * H / 8), held between top and bottom.
std::int32_t MarkerY(double divisions, const CRect& r) {
  const std::int64_t rise =
      qx::RoundTo<std::int64_t>(divisions * static_cast<double>(HeightOf(r)) / kDivisionsHigh);
  const std::int64_t y = CentreY(r) - std::clamp<std::int64_t>(rise, INT32_MIN * 2LL, INT32_MAX * 2LL);
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(y, std::min(r.top, r.bottom), std::max(r.top, r.bottom)));
}

// round(offset / scale * 50): the horizontal pixels of a time offset.
std::int64_t HorizontalPixels(double offset, double scale) {
  return qx::RoundTo<std::int64_t>(offset / scale * kPixelsPerDivision);
}
}  // namespace

CPoint GetVoltOffsetPt(float scale, float offset, CRect rect) {
  return CPoint(kMarkerInset, MarkerY(static_cast<double>(offset) / scale, rect));
}

float GetVoltOffset(float scale, CRect rect, CPoint point) {
  const std::int64_t height = HeightOf(rect);
  if (height == 0) return 0.0f;
  return static_cast<float>(static_cast<double>(CentreY(rect) - point.y) * kDivisionsHigh /
                            static_cast<double>(height) * scale);
}

CPoint GetTrigLevelPt(float scale, float offset, float level, CRect rect) {
  return CPoint(HoldX(static_cast<std::int64_t>(rect.right) - kMarkerInset),
                MarkerY((static_cast<double>(level) + offset) / scale, rect));
}

CPoint GetTrigOffsetPt(double scale, double offset, CPoint ref) {
  return CPoint(HoldX(static_cast<double>(ref.x) - static_cast<double>(HorizontalPixels(offset, scale))),
                ref.y);
}

CPoint GetXYTimeOffsetPt(double scale, double offset, CPoint ref) {
  return CPoint(HoldX(static_cast<double>(ref.x) + static_cast<double>(HorizontalPixels(offset, scale))),
                ref.y);
}

CRect GetDelayedRect(double mainScale, double delayedScale, double mainOffset, double delayedOffset,
                     CRect upper, CPoint ref) {
  const double centre = static_cast<double>(ref.x) +
                        static_cast<double>(HorizontalPixels(delayedOffset - mainOffset, mainScale));
  const double half = static_cast<double>(
      qx::RoundTo<std::int64_t>(kHalfDivisionsAcross * delayedScale / mainScale * kPixelsPerDivision));
  return CRect(HoldX(centre - half), upper.top, HoldX(centre + half), upper.bottom);
}
