// Command-text joining and the instrument's rounding rules.
//
// Rounding works on decimal digits, not on binary fractions: a value is taken
// as the shortest decimal that reads back as it (what the user typed, so
// 0.0015 and 1.0005 are ties), and the rounded decimal is parsed back, which
// gives the double nearest it at any magnitude.
#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "QxCommon.h"
#include "c_locale.h"

namespace {

// A positive finite value as decimal digits d1 d2 ... dn (d1 != 0, at most
// 17) and the power of ten of d1.
struct Decimal {
  char digits[32];
  int count;
  int exponent;
};

Decimal ShortestDecimal(double magnitude) {
  char text[64];
  const char* end = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific).ptr;
  Decimal d{};
  const char* p = text;
  for (; p < end && *p != 'e'; ++p)
    if (*p != '.') d.digits[d.count++] = *p;
  if (p < end && p[1] == '+') ++p;  // from_chars takes no '+'
  std::from_chars(p + 1, end, d.exponent);
  return d;
}

// The first `count` digits as an integer (count <= 17 fits in 64 bits).
std::int64_t Leading(const Decimal& d, int count) {
  std::int64_t n = 0;
  for (int i = 0; i < count; ++i) n = n * 10 + (d.digits[i] - '0');
  return n;
}

// mantissa * 10^exponent as the double nearest that decimal.
double ToDouble(std::int64_t mantissa, int exponent) {
  char text[48];
  char* p = std::to_chars(text, text + 24, mantissa).ptr;
  *p++ = 'e';
  p = std::to_chars(p, text + sizeof text - 1, exponent).ptr;
  *p = '\0';
  return qx::ParseDouble(text, nullptr);
}

// Geometric midpoints between the steps 1, 2, 5 and 10 of a decade (the
// doubles nearest sqrt(2), sqrt(10), sqrt(50)). A value within kTieSlack of
// a midpoint, relative, counts as on it (a computed midpoint is off by a few
// ulps) and goes upward.
struct ScaleStep {
  double midpointAbove;
  int step;
};
constexpr ScaleStep kScaleSteps[] = {
    {1.4142135623730951, 1},
    {3.1622776601683795, 2},
    {7.0710678118654755, 5},
    {HUGE_VAL, 10},
};
constexpr double kTieSlack = 1e-12;
constexpr double kLargestStep = 1e308;  // 2e308 is beyond the double range

}  // namespace

CString StrConnect(const CString& a, const CString& b, const CString& c, const CString& d, const CString& e) {
  CString joined(a);
  joined += b;
  joined += c;
  joined += d;
  joined += e;
  return joined;
}

double GetValidData(double value, int digits, int exponent) {
  if (value == 0.0 || !std::isfinite(value)) return value;
  digits = std::clamp(digits, 1, 17);          // a double carries no more
  exponent = std::clamp(exponent, -400, 400);  // beyond the double range either way
  const Decimal d = ShortestDecimal(std::fabs(value));
  // Digits kept: `digits`, fewer where the last kept one would weigh less than 10^exponent.
  const int keep = std::min(digits, d.exponent - exponent + 1);
  if (keep >= d.count) return value;  // already on the grid
  if (keep < 0) return 0.0;           // below half the finest step
  const std::int64_t mantissa = Leading(d, keep) + (d.digits[keep] >= '5' ? 1 : 0);  // half away from zero
  if (mantissa == 0) return 0.0;
  double result = ToDouble(mantissa, d.exponent - keep + 1);
  if (std::isinf(result)) result = DBL_MAX;
  return value < 0 ? -result : result;
}

double ValidateScale(double value) {
  if (value == 0.0 || !std::isfinite(value)) return value;
  const Decimal d = ShortestDecimal(std::fabs(value));
  const double m = ToDouble(Leading(d, d.count), 1 - d.count);  // 1 <= m < 10
  int step = 10;
  for (const ScaleStep& s : kScaleSteps) {
    if (m * (1 + kTieSlack) < s.midpointAbove) {
      step = s.step;
      break;
    }
  }
  double result = ToDouble(step, d.exponent);
  if (std::isinf(result)) result = kLargestStep;
  return value < 0 ? -result : result;
}

void GetTimeScaleString(CString& text, double seconds) { text.Format("%.6e", seconds); }

float GetMathScale(int step, float base) {
  static constexpr float kSteps[13] = {0.001f, 0.002f, 0.005f, 0.01f, 0.02f, 0.05f, 0.1f,
                                       0.2f,   0.5f,   1.0f,   2.0f,  5.0f,  10.0f};
  return kSteps[std::clamp(step, 0, 12)] * base;
}
