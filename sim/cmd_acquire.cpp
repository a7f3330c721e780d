// Acquire commands: averages travel as a power of two.
#include <algorithm>
#include <cmath>

#include "sim/handlers.h"

namespace qxsim::cmd {

// The count becomes the nearest power of two on a logarithmic scale, 2 to 256;
// the block keeps its exponent.
const char* SetAverages(Model& m, const Call& call) {
  const auto count = scpi::ParseNumber(call.argument);
  if (!count) return call.argument.empty() ? kMissingArgument : kBadArgument;
  const double exponent = *count >= 1 ? std::floor(std::log2(std::min(*count, 1e9)) + 0.5) : 0.0;
  const int k = std::clamp(static_cast<int>(exponent), limits::kMinAveragesExp, limits::kMaxAveragesExp);
  m.dso.SetU16(call.row.field.offset, static_cast<std::uint16_t>(k));
  return nullptr;
}

std::string QueryAverages(const Model& m, const Call&) {
  return std::to_string(L::dso::Averages(m.dso.bytes.data()));
}

}  // namespace qxsim::cmd
