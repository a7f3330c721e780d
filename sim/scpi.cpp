#include "sim/scpi.h"

#include <charconv>
#include <cmath>

namespace qxsim::scpi {

void LineAssembler::Reset() {
  line_.clear();
  overflow_ = false;
  afterCr_ = false;
}

namespace {
bool IsSpace(char c) { return c == ' ' || c == '\t'; }
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

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool Split(std::string_view text, Line& out) {
  out = Line{};
  text = Trim(text);
  std::size_t end = 0;
  while (end < text.size() && !IsSpace(text[end])) ++end;
  std::string_view header = text.substr(0, end);
  out.argument = Trim(text.substr(end));
  if (!header.empty() && header.back() == '?') {
    out.query = true;
    header.remove_suffix(1);
  }
  if (!header.empty() && header.front() == ':') header.remove_prefix(1);
  if (header.empty()) return false;
  while (true) {
    const std::size_t colon = header.find(':');
    const std::string_view keyword = header.substr(0, colon);
    if (keyword.empty() || out.count == Line::kMaxKeywords) return false;
    out.keywords[static_cast<std::size_t>(out.count++)] = keyword;
    if (colon == std::string_view::npos) return true;
    header.remove_prefix(colon + 1);
  }
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

std::optional<double> ParseNumber(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || !(IsDigit(text.front()) || text.front() == '-' || text.front() == '.'))
    return std::nullopt;
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
