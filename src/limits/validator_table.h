// The shape of a value validator: two bounds with their messages, the order
// in which they are tested, and how the accepted value is rounded. The rows
// themselves are the table in validators.cpp; Walk is the one routine that
// runs a row.
#pragma once

#include <cmath>
#include <cstdint>
#include <type_traits>

#include "QxCommon.h"
#include "frame/messages.h"

namespace qx::limits {

// A bound that raises no message.
constexpr Msg kSilent = Msg::Count;

// What a bound's coefficient multiplies: nothing (a constant), or one of the
// two quantities the caller supplies (an argument or a record field).
enum class By : unsigned char { One, X, Y };

// One bound: coef, coef * x + shift, or coef * y + shift, where x, y and
// shift are the caller's.
struct Side {
  double coef;
  By by;
  Msg message;
};

enum class Order : unsigned char {
  Lower,      // lower bound first, then the upper one on the clamped value
  Upper,      // upper bound first, then the lower one on the clamped value
  UpperEnds,  // upper first; a value that crossed it is not tested again
};

enum class RoundKind : unsigned char { None, Digits, Scale, ScaleDigits };

struct Rounding {
  RoundKind kind;
  int digits;
  int exponent;
};
constexpr Rounding kNoRounding{RoundKind::None, 0, 0};
constexpr Rounding kScale{RoundKind::Scale, 0, 0};
constexpr Rounding Digits(int digits, int exponent) { return {RoundKind::Digits, digits, exponent}; }
constexpr Rounding ScaleDigits(int digits, int exponent) {
  return {RoundKind::ScaleDigits, digits, exponent};
}

struct Row {
  int id;  // the row's place in its table, checked where the table is built
  Side lower;
  Side upper;
  Order order;
  Rounding rounding;
};

// The caller's quantities for the bounds of one call.
template <typename T>
struct Terms {
  T x = 1;
  T y = 1;
  T shift = 0;
};

template <typename T>
T BoundOf(const Side& side, const Terms<T>& terms) {
  switch (side.by) {
    case By::X: return static_cast<T>(side.coef) * terms.x + terms.shift;
    case By::Y: return static_cast<T>(side.coef) * terms.y + terms.shift;
    case By::One: break;
  }
  return static_cast<T>(side.coef);
}

inline void Report(Msg message) {
  if (message != kSilent) RaiseStatus(message);
}

template <typename T>
T RoundBy(const Rounding& rounding, T value) {
  if constexpr (std::is_floating_point_v<T>) {
    switch (rounding.kind) {
      case RoundKind::Digits: return static_cast<T>(GetValidData(value, rounding.digits, rounding.exponent));
      case RoundKind::Scale: return static_cast<T>(ValidateScale(value));
      case RoundKind::ScaleDigits:
        return static_cast<T>(GetValidData(ValidateScale(value), rounding.digits, rounding.exponent));
      case RoundKind::None: break;
    }
  }
  return value;
}

// Clamps value into the row's range, bound by bound, raising the message of
// each bound crossed, and rounds the result. Comparisons are strict: a value
// on a bound passes silently. NaN takes the lower bound and its message.
// Arithmetic is in T, so a single-precision value on a single-precision
// bound (0.005f) is on it, not below it.
template <typename T>
T Walk(const Row& row, T value, const Terms<T>& terms = {}) {
  const T lower = BoundOf(row.lower, terms);
  const T upper = BoundOf(row.upper, terms);
  if constexpr (std::is_floating_point_v<T>) {
    if (std::isnan(value)) {
      Report(row.lower.message);
      return RoundBy(row.rounding, lower);
    }
  }
  const auto below = [&] {
    if (!(value < lower)) return false;
    Report(row.lower.message);
    value = lower;
    return true;
  };
  const auto above = [&] {
    if (!(value > upper)) return false;
    Report(row.upper.message);
    value = upper;
    return true;
  };
  switch (row.order) {
    case Order::Lower:
      below();
      above();
      break;
    case Order::Upper:
      above();
      below();
      break;
    case Order::UpperEnds:
      if (!above()) below();
      break;
  }
  return RoundBy(row.rounding, value);
}

}  // namespace qx::limits
