// The picosecond time model, its seconds views, and the exported helpers
// that keep the delayed window inside the main one and convert for the host.
#include "horizontal/time_model.h"

#include <cmath>
#include <limits>

#include "convert.h"
#include "frame/messages.h"
#include "frame/state.h"

namespace qx {
namespace {

using Limits = std::numeric_limits<std::int64_t>;

// The host's record may hold any picosecond count: sums and differences
// saturate instead of overflowing.
std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
  if (b > 0 && a > Limits::max() - b) return Limits::max();
  if (b < 0 && a < Limits::min() - b) return Limits::min();
  return a + b;
}
std::int64_t SaturatingNegate(std::int64_t a) { return a == Limits::min() ? Limits::max() : -a; }
std::int64_t SaturatingSub(std::int64_t a, std::int64_t b) {
  if (b == Limits::min()) return a >= 0 ? Limits::max() : a - b;
  return SaturatingAdd(a, -b);
}

// How far the delayed window's centre may move from the main offset: the
// screen is 14 divisions wide, so half of it times the scale difference.
constexpr std::int64_t kScreenDivisions = 14;
std::int64_t DelayedReach(std::int64_t mainScale, std::int64_t delayedScale) {
  constexpr std::int64_t kLargest = Limits::max() / kScreenDivisions;
  const std::int64_t difference = SaturatingSub(mainScale, delayedScale);
  if (difference > kLargest) return Limits::max();
  if (difference < -kLargest) return Limits::min();
  return difference * kScreenDivisions / 2;
}

}  // namespace

std::int64_t ToPicoseconds(double seconds, bool negativeRequest) {
  return TruncateTo<std::int64_t>(seconds * 1e12 + (negativeRequest ? -0.5 : 0.5));
}

void SyncTimeBase() {
  _QX_SETUP& s = Setup();
  if (s.TrigType == TRIG_ALTERNATION) {
    for (int c = 0; c < 2; ++c) {
      s.AltTimeOffset[c] = static_cast<double>(s.AltTimeOffsetPs[c]) * kOffsetSecondsPerPs;
      s.AltTimeScale[c] = static_cast<double>(s.AltTimeScalePs[c]) * kScaleSecondsPerPs;
    }
    return;
  }
  // The offset bounds follow the scale just set.
  s.TimeScale = ValidateTimeScale(static_cast<double>(s.TimeScalePs) * kScaleSecondsPerPs);
  s.TimeOffset = ValidateTimeOffset(static_cast<double>(s.TimeOffsetPs) * kOffsetSecondsPerPs);
  if (s.DelayedOn != 1) return;
  s.DelayedScale = ValidateTimeScale(static_cast<double>(s.DelayedScalePs) * kScaleSecondsPerPs);
  s.DelayedOffset = ValidateTimeOffset(static_cast<double>(s.DelayedOffsetPs) * kOffsetSecondsPerPs);
}

void KeepDelayedInsideMain(bool mainChanged) {
  // The record is 4-byte packed: its 64-bit fields are not bound by reference.
  _QX_SETUP& s = Setup();
  std::int64_t mainScale = s.TimeScalePs;
  std::int64_t delayedScale = s.DelayedScalePs;
  std::int64_t delayedOffset = s.DelayedOffsetPs;
  SetTimeBase(mainScale, s.TimeOffsetPs, delayedScale, delayedOffset, mainChanged);
  s.TimeScalePs = mainScale;
  s.DelayedScalePs = delayedScale;
  s.DelayedOffsetPs = delayedOffset;
}

}  // namespace qx

void SetTimeBase(std::int64_t& mainScalePs, std::int64_t mainOffsetPs, std::int64_t& delayedScalePs,
                 std::int64_t& delayedOffsetPs, bool mainChanged) {
  using namespace qx;
  if (mainScalePs < delayedScalePs) {
    if (mainChanged) {
      mainScalePs = ValidateTimeScale64(delayedScalePs);
      RaiseStatus(Msg::TimeDivLower);
    } else {
      delayedScalePs = ValidateTimeScale64(mainScalePs);
      RaiseStatus(Msg::TimeDivUpper);
    }
  }
  const std::int64_t reach = DelayedReach(mainScalePs, delayedScalePs);
  const std::int64_t distance = SaturatingSub(delayedOffsetPs, mainOffsetPs);
  if (distance > reach)
    delayedOffsetPs = SaturatingAdd(mainOffsetPs, reach);
  else if (distance < SaturatingNegate(reach))
    delayedOffsetPs = SaturatingSub(mainOffsetPs, reach);
  delayedOffsetPs = ValidateTimeDelayedOffset64(delayedOffsetPs);
}

double GetDelayedOffset(double scale, double offset, CRect rect, CPoint point) {
  // 0.02 divisions per pixel; the centre is halved toward zero.
  const std::int64_t centre = (static_cast<std::int64_t>(rect.left) + rect.right) / 2;
  const double pixels = static_cast<double>(centre - point.x);
  return ValidateTimeOffset(offset + pixels * scale * 0.02);
}

std::int64_t ConvertToLONG(float value, int digits) {
  const double power = static_cast<double>(
      qx::TruncateTo<std::int64_t>(std::pow(10.0, std::fabs(static_cast<double>(digits)))));
  return qx::TruncateTo<std::int64_t>(static_cast<double>(value) * power + 0.5);
}
