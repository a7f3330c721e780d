#include "sim/scpi.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>

namespace qxsim::scpi {

void LineAssembler::Reset() {
  size_ = 0;
  overflow_ = false;
  afterCr_ = false;
}

namespace {
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Compares the token with the long or the short form of a pattern word.
bool MatchForm(std::string_view pattern, std::string_view token) {
  if (token.empty()) return false;
  if (token.size() == pattern.size()) {
    bool same = true;
    for (std::size_t i = 0; i < pattern.size() && same; ++i) same = Upper(token[i]) == Upper(pattern[i]);
    if (same) return true;
  }
  std::size_t t = 0;
  for (char c : pattern) {
    if (IsLower(c)) continue;
    if (t == token.size() || Upper(token[t]) != c) return false;
    ++t;
  }
  return t == token.size();
}
}  // namespace

bool Split(std::string_view text, Line& out) {
  text = Trim(text);
  // The header ends at the first blank; every character above ' ' is not one.
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* stop = begin;
  while (stop < end && (static_cast<unsigned char>(*stop) > ' ' || (*stop != ' ' && *stop != '\t'))) ++stop;
  out.argument = Trim(std::string_view(stop, static_cast<std::size_t>(end - stop)));
  const char* first = begin;
  const char* last = stop;
  out.query = first < last && last[-1] == '?';
  if (out.query) --last;
  if (first < last && *first == ':') ++first;
  out.header = std::string_view(first, static_cast<std::size_t>(last - first));
  return !out.header.empty();
}

bool MatchKeyword(std::string_view pattern, std::string_view token, int* suffix) {
  if (pattern.empty() || pattern.back() != '#') return MatchForm(pattern, token);
  pattern.remove_suffix(1);
  std::size_t digits = 0;
  while (digits < token.size() && IsDigit(token[token.size() - 1 - digits])) ++digits;
  if (digits == 0 || digits > 2) return false;
  int value = 0;
  for (std::size_t i = token.size() - digits; i < token.size(); ++i) value = value * 10 + (token[i] - '0');
  if (!MatchForm(pattern, token.substr(0, token.size() - digits))) return false;
  if (suffix) *suffix = value;
  return true;
}

namespace {
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A plain decimal ("0.500000", "-12.5") of at most 15 significant digits (an
// integer below 2^53) and at most 22 after the point: both it and the power of
// ten are exact doubles, so one division is correctly rounded, the value
// from_chars reads. Anything else (exponents, long mantissas) is left to it.
std::optional<double> PlainDecimal(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  std::uint64_t digits = 0;  // wraps on a long mantissa, which is then refused
  int significant = 0;
  const char* dot = nullptr;
  const char* const end = text.data() + text.size();
  for (const char* at = text.data(); at < end; ++at) {
    const unsigned digit = static_cast<unsigned char>(*at) - static_cast<unsigned>('0');
    if (digit < 10) {
      digits = digits * 10 + digit;
      significant += digits != 0;  // leading zeros do not count
    } else if (*at == '.' && !dot) {
      dot = at;
    } else {
      return std::nullopt;
    }
  }
  const std::size_t fraction = dot ? static_cast<std::size_t>(end - dot - 1) : 0;
  if (significant > 15 || text.size() == (dot ? 1u : 0u) || fraction >= std::size(kExactPowers))
    return std::nullopt;
  const double value = static_cast<double>(digits) / kExactPowers[fraction];
  return negative ? -value : value;
}
}  // namespace

std::optional<double> ParseNumber(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || !(IsDigit(text.front()) || text.front() == '-' || text.front() == '.'))
    return std::nullopt;
  if (const auto plain = PlainDecimal(text)) return plain;
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<long long> ParseInteger(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string FormatFloat(float value) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

std::string FormatDouble(double value) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

}  // namespace qxsim::scpi
