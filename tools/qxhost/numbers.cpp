#include "numbers.h"

#include <strings.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace qxhost {
namespace {

struct Prefix {
  char symbol;
  int exponent;
};
constexpr Prefix kPrefixes[] = {{'p', -12}, {'n', -9}, {'u', -6}, {'m', -3},
                                {'k', 3},   {'K', 3},  {'M', 6},  {'G', 9}};
// What FormatSi prints, smallest first.
constexpr Prefix kPrintPrefixes[] = {{'p', -12}, {'n', -9}, {'u', -6}, {'m', -3},
                                     {' ', 0},   {'k', 3},  {'M', 6},  {'G', 9}};

bool IsUnit(std::string_view rest, Unit unit) {
  const char* text = UnitText(unit);
  return unit != Unit::None && rest.size() == std::strlen(text) &&
         strncasecmp(rest.data(), text, rest.size()) == 0;
}

}  // namespace

const char* const kNumberHelp =
    "Numbers may carry an SI prefix and the word's unit: 500u, 1ms, 2k, 0.5V, 1GSa/s.\n"
    "  p 1e-12   n 1e-9   u 1e-6   m 1e-3 (milli)   k or K 1e3   M 1e6 (mega)   G 1e9\n"
    "A unit that does not fit the word is refused (acquire averages 64V); the unit is\n"
    "only read, never converted: 1ms = 1m = 0.001.";

ParsedNumber ParseNumber(std::string_view text, Unit unit) {
  ParsedNumber out;
  double value = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;  // from_chars takes no plus sign
  const auto [end, ec] = std::from_chars(first, last, value);
  if (end == first || (ec != std::errc() && ec != std::errc::result_out_of_range) || !std::isfinite(value)) {
    out.error = "not a number";  // "inf" and "nan" included
    return out;
  }
  if (ec == std::errc::result_out_of_range) {  // from_chars leaves the value: an exponent too far either way
    const std::string_view digits(first, static_cast<std::size_t>(end - first));
    const std::size_t e = digits.find_first_of("eE");
    const bool tiny = e != std::string_view::npos && e + 1 < digits.size() && digits[e + 1] == '-';
    value = tiny ? 0.0 : digits[0] == '-' ? -HUGE_VAL : HUGE_VAL;
  }
  std::string_view rest(end, static_cast<std::size_t>(last - end));
  int exponent = 0;
  if (!rest.empty() && !IsUnit(rest, unit)) {
    for (const Prefix& p : kPrefixes)
      if (rest[0] == p.symbol) {
        exponent = p.exponent;
        rest.remove_prefix(1);
        break;
      }
  }
  if (!rest.empty() && !IsUnit(rest, unit)) {
    out.error = unit == Unit::None
                    ? "\"" + std::string(rest) + "\" does not fit this word, which takes a plain number"
                    : "\"" + std::string(rest) + "\" does not fit this word's unit, " + UnitText(unit);
    return out;
  }
  out.ok = true;
  out.value = value * std::pow(10.0, exponent);
  return out;
}

std::string FormatSi(double value, const char* unit, int digits) {
  if (!std::isfinite(value))
    return std::string(std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf") + " " + unit;
  const Prefix* chosen = &kPrintPrefixes[4];
  if (value != 0) {
    const double magnitude = std::fabs(value);
    for (const Prefix& p : kPrintPrefixes)
      if (magnitude >= std::pow(10.0, p.exponent) * (1 - 1e-12)) chosen = &p;
    if (magnitude < 1e-12) chosen = &kPrintPrefixes[0];
  }
  char text[64];
  std::snprintf(text, sizeof text, "%.*g", digits, value / std::pow(10.0, chosen->exponent));
  std::string out = text;
  out += ' ';
  if (chosen->symbol != ' ') out += chosen->symbol;
  return out + unit;
}

}  // namespace qxhost
