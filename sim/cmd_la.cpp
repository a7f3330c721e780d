// Logic analyzer commands: channels, the two groups of eight, the threshold.
#include <algorithm>
#include <cmath>

#include "sim/handlers.h"

namespace qxsim::cmd {

namespace la = L::la;

namespace {
// A group byte is 1 while all eight of its channels are shown.
void UpdateGroups(Model& m) {
  for (int g = 0; g < 2; ++g) {
    bool all = true;
    for (int n = 8 * g; n < 8 * g + 8; ++n) all = all && m.la.U8(la::LaChanDisplay + n) != 0;
    m.la.SetU8(g == 0 ? la::LaGroup1 : la::LaGroup2, all ? 1 : 0);
  }
}
// The fixed thresholds, volts; USER takes the user threshold.
constexpr float kFixedThreshold[3] = {1.4f, 2.5f, -1.3f};
}  // namespace

const char* SetDigitalTurn(Model& m, const Call& call) {
  if (const char* error = GenericSet(m, call)) return error;
  UpdateGroups(m);
  return nullptr;
}

const char* SetLaGroup(Model& m, const Call& call) {
  if (const char* error = GenericSet(m, call)) return error;
  const int g = call.suffix - 1;
  const std::uint8_t on = m.la.U8(Address(m, call));
  for (int n = 8 * g; n < 8 * g + 8; ++n) m.la.SetU8(la::LaChanDisplay + n, on);
  UpdateGroups(m);
  return nullptr;
}

// TTL, CMOS, ECL or USER; a number sets the user threshold and selects it.
const char* SetThreshold(Model& m, const Call& call) {
  const int type = MatchWord(kThresholds, call.argument);
  if (type >= 0) {
    m.la.SetI32(la::LaThresholdType, type);
    m.la.SetF32(la::LaThreshold, type < 3 ? kFixedThreshold[type] : m.la.F32(la::LaUserThreshold));
    return nullptr;
  }
  const auto volts = scpi::ParseNumber(call.argument);
  if (!volts) return call.argument.empty() ? kMissingArgument : kBadArgument;
  // The threshold DAC moves in 50 mV steps: the nearest step is applied.
  const double held = std::clamp(*volts, -limits::kMaxUserThreshold, limits::kMaxUserThreshold);
  const float user =
      static_cast<float>(std::round(held / limits::kUserThresholdStep) * limits::kUserThresholdStep);
  m.la.SetI32(la::LaThresholdType, 3);
  m.la.SetF32(la::LaUserThreshold, user);
  m.la.SetF32(la::LaThreshold, user);
  return nullptr;
}

// The keyword of a fixed threshold, the user threshold in volts otherwise.
std::string QueryThreshold(const Model& m, const Call&) {
  const int type = m.la.I32(la::LaThresholdType);
  return type >= 0 && type < 3 ? WordOf(kThresholds, type) : scpi::FormatFloat(m.la.F32(la::LaThreshold));
}

}  // namespace qxsim::cmd
