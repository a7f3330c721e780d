// Command-text joining and the instrument's rounding rules.
#include <cmath>

#include "QxCommon.h"

namespace {

// 10^n as the double nearest the decimal (exact for |n| <= 22).
double PowerOfTen(int n) { return n >= 0 ? std::pow(10.0, n) : 1.0 / std::pow(10.0, -n); }

// The decade of |value|: the n with 10^n <= |value| < 10^(n+1).
int DecadeOf(double magnitude) {
  int n = static_cast<int>(std::floor(std::log10(magnitude)));
  if (PowerOfTen(n + 1) <= magnitude) ++n;
  if (PowerOfTen(n) > magnitude) --n;
  return n;
}

// m * 10^n computed so that the result is the double nearest the decimal:
// dividing by an exact power of ten rounds once.
double Decimal(double mantissa, int n) {
  return n >= 0 ? mantissa * std::pow(10.0, n) : mantissa / std::pow(10.0, -n);
}

}  // namespace

CString StrConnect(const CString& a, const CString& b, const CString& c, const CString& d,
                   const CString& e) {
  CString joined(a);
  joined += b;
  joined += c;
  joined += d;
  joined += e;
  return joined;
}

double GetValidData(double value, int digits, int exponent) {
  if (value == 0.0 || !std::isfinite(value)) return value;
  if (digits < 1) digits = 1;
  const double magnitude = std::fabs(value);
  const int step = std::max(DecadeOf(magnitude) - digits + 1, exponent);
  const double scaled = step >= 0 ? magnitude / std::pow(10.0, step) : magnitude * std::pow(10.0, -step);
  const double mantissa = std::floor(scaled + 0.5);  // half away from zero on the magnitude
  const double result = Decimal(mantissa, step);
  return value < 0 ? -result : result;
}

double ValidateScale(double value) {
  if (value == 0.0 || !std::isfinite(value)) return value;
  const double magnitude = std::fabs(value);
  const int decade = DecadeOf(magnitude);
  const double m = magnitude / PowerOfTen(decade);  // 1 <= m < 10 (up to rounding)
  // Geometric midpoints between 1, 2, 5 and 10; a tie goes upward.
  double step;
  if (m < std::sqrt(2.0))
    step = 1;
  else if (m < std::sqrt(10.0))
    step = 2;
  else if (m < std::sqrt(50.0))
    step = 5;
  else
    step = 10;
  const double result = Decimal(step, decade);
  return value < 0 ? -result : result;
}

void GetTimeScaleString(CString& text, double seconds) { text.Format("%.6e", seconds); }

float GetMathScale(int step, float base) {
  static constexpr float kSteps[13] = {0.001f, 0.002f, 0.005f, 0.01f, 0.02f, 0.05f, 0.1f,
                                       0.2f,   0.5f,   1.0f,   2.0f,  5.0f,  10.0f};
  if (step < 0) step = 0;
  if (step > 12) step = 12;
  return kSteps[step] * base;
}
