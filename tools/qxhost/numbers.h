// Numbers as a scope user types and reads them: "500u", "1ms", "2k", "0.5",
// "1.2V", "10MHz", "1GSa/s". An SI prefix p n u m k (or K) M G scales by
// 1e-12 .. 1e9 ("m" is milli, "M" mega); the word's own unit may follow and
// no other. Parsing and printing never depend on the process locale.
#pragma once

#include <string>
#include <string_view>

#include "words.h"

namespace qxhost {

struct ParsedNumber {
  bool ok = false;
  double value = 0;
  std::string error;  // why not: "not a number", "\"V\" does not fit this word"
};
ParsedNumber ParseNumber(std::string_view text, Unit unit);

// The value with the SI prefix that leaves 1 to 999.x before the point, and
// the unit: "500 us", "1 GSa/s", "-200 mV", "0 s". `digits` significant
// digits at most, trailing zeros dropped.
std::string FormatSi(double value, const char* unit, int digits);

// The rule as the console's help prints it.
extern const char* const kNumberHelp;

}  // namespace qxhost
