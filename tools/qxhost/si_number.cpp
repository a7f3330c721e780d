#include "si_number.h"

#include <cmath>
#include <string>

#include "c_locale.h"

namespace qxhost {
namespace {

struct Prefix {
  char symbol;
  double factor;
};
constexpr Prefix kPrefixes[] = {{'p', 1e-12}, {'n', 1e-9}, {'u', 1e-6}, {'m', 1e-3},
                                {'k', 1e3},   {'M', 1e6},  {'G', 1e9}};
constexpr std::string_view kUnits[] = {"s", "V", "Hz"};

bool IsUnit(std::string_view rest) {
  for (std::string_view unit : kUnits)
    if (rest == unit) return true;
  return false;
}

}  // namespace

const char* const kSiNumberHelp =
    "Numbers may carry an SI prefix and a unit: 500u, 1ms, 2k, 0.5V, 10MHz.\n"
    "  p 1e-12   n 1e-9   u 1e-6   m 1e-3 (milli)   k 1e3   M 1e6 (mega)   G 1e9\n"
    "The unit (s, V or Hz) is optional and only read, never converted: 1ms = 1m = 0.001.";

std::optional<double> ParseSiNumber(std::string_view text) {
  const std::string copy(text);
  if (copy.empty() || std::isspace(static_cast<unsigned char>(copy[0]))) return std::nullopt;
  char* end = nullptr;
  const double value = qx::ParseDouble(copy.c_str(), &end);
  if (end == copy.c_str() || !std::isfinite(value)) return std::nullopt;
  std::string_view rest(end);
  double factor = 1.0;
  if (!rest.empty() && !IsUnit(rest)) {
    for (const Prefix& p : kPrefixes) {
      if (rest[0] == p.symbol) {
        factor = p.factor;
        rest.remove_prefix(1);
        break;
      }
    }
    if (factor == 1.0) return std::nullopt;
  }
  if (!rest.empty() && !IsUnit(rest)) return std::nullopt;
  return value * factor;
}

}  // namespace qxhost
