// Conversions of untrusted floating-point values (a scale from a block, a
// count from a reply) to integers: they saturate at the integer type's range
// and NaN becomes 0, so no value reaches undefined behaviour.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace qx {

// Truncates toward zero, saturating.
template <typename Int>
constexpr Int TruncateTo(double value) {
  if (std::isnan(value)) return 0;
  constexpr double lo = static_cast<double>(std::numeric_limits<Int>::min());
  // The first value above the range: 2^(bits-1) signed, 2^bits unsigned.
  constexpr double hi = std::numeric_limits<Int>::is_signed
                            ? -lo
                            : static_cast<double>(std::numeric_limits<Int>::max() / 2 + 1) * 2.0;
  if (value <= lo) return std::numeric_limits<Int>::min();
  if (value >= hi) return std::numeric_limits<Int>::max();
  return static_cast<Int>(value);
}

// Rounds half away from zero, saturating. std::round is exact; adding 0.5
// would carry 0.49999999999999994 up to 1 and odd integers above 2^52 to even.
template <typename Int>
constexpr Int RoundTo(double value) {
  return TruncateTo<Int>(std::round(value));
}

}  // namespace qx
