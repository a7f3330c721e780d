#include "word_parser.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "numbers.h"

namespace qxhost {
namespace {

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// The number after a placeholder's prefix ("ch2": 2), or -1.
int PlaceholderNumber(const Placeholder& p, std::string_view typed) {
  const std::size_t n = std::strlen(p.prefix);
  if (typed.size() <= n || typed.size() > n + 3 || !SameText(typed.substr(0, n), p.prefix)) return -1;
  int number = 0;
  for (char c : typed.substr(n)) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
    number = number * 10 + (c - '0');
  }
  return number;
}

std::string Lower(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p) out += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
  return out;
}

// A choice's letters before its trailing number ("digital" of "digital12"),
// "" when it has no trailing number or no letters.
std::string Stem(const std::string& choice) {
  const std::size_t digits = choice.find_last_not_of("0123456789") + 1;
  return digits == choice.size() || digits == 0 ? "" : choice.substr(0, digits);
}
int Number(const std::string& choice) { return std::atoi(choice.c_str() + Stem(choice).size()); }

}  // namespace

std::vector<std::string> SplitWords(std::string_view line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    const std::size_t start = i;
    while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    if (i > start) words.emplace_back(line.substr(start, i - start));
  }
  return words;
}

std::vector<std::string> Tokens(const char* text) { return SplitWords(text); }

const Placeholder* PlaceholderOf(const Word& word, std::size_t* token) {
  const std::vector<std::string> tokens = Tokens(word.text);
  for (std::size_t i = 0; i < tokens.size(); ++i)
    for (const Placeholder& p : Placeholders())
      if (tokens[i] == p.token && (!p.before || (i > 0 && tokens[i - 1] == p.before))) {
        if (token) *token = i;
        return &p;
      }
  return nullptr;
}

bool TokenFits(const Word& word, std::size_t index, std::string_view typed) {
  const std::vector<std::string> tokens = Tokens(word.text);
  if (index >= tokens.size()) return false;
  std::size_t slotToken = tokens.size();
  const Placeholder* p = PlaceholderOf(word, &slotToken);
  if (p && index == slotToken) return PlaceholderNumber(*p, typed) >= 0;
  return SameText(tokens[index], typed);
}

Match FindWord(std::span<const std::string> typed, std::span<const Word> words) {
  Match best;
  for (const Word& word : words) {
    const std::size_t tokens = Tokens(word.text).size();
    if (tokens > typed.size() || tokens <= best.used) continue;
    bool match = true;
    for (std::size_t i = 0; i < tokens && match; ++i) match = TokenFits(word, i, typed[i]);
    if (!match) continue;
    std::size_t slotToken = tokens;
    const Placeholder* p = PlaceholderOf(word, &slotToken);
    best = {&word, tokens, p ? PlaceholderNumber(*p, typed[slotToken]) : -1};
  }
  return best;
}

Expected ExpectedAfter(std::span<const std::string> typed, std::span<const Word> words) {
  Expected out;
  for (const Word& word : words) {
    const std::vector<std::string> tokens = Tokens(word.text);
    std::size_t n = 0;
    while (n < typed.size() && n < tokens.size() && TokenFits(word, n, typed[n])) ++n;
    if (n == 0 || n == tokens.size() || n < out.matched) continue;
    if (n > out.matched) out = {n, {}};
    std::size_t slotToken = tokens.size();
    const Placeholder* p = PlaceholderOf(word, &slotToken);
    std::string next = tokens[n];
    if (p && slotToken == n)
      next = p->prefix + std::to_string(p->first) + ".." + p->prefix + std::to_string(p->last);
    if (std::find(out.next.begin(), out.next.end(), next) == out.next.end()) out.next.push_back(next);
  }
  return out;
}

bool SlotValue(const Match& match, long* value, std::string* error) {
  const Placeholder* p = PlaceholderOf(*match.word);
  if (!p) {
    *value = match.word->value;
    return true;
  }
  if (match.number < p->first || match.number > p->last) {
    *error = p->prefix + std::to_string(match.number) + ": the " + p->what + "s are " + p->prefix +
             std::to_string(p->first) + " to " + p->prefix + std::to_string(p->last);
    return false;
  }
  *value = match.number - p->first;
  return true;
}

std::string ShortForm(const char* choice) {
  std::string shortForm;
  for (const char* c = choice; *c; ++c)
    if (!std::islower(static_cast<unsigned char>(*c))) shortForm += *c;
  return shortForm;
}

bool IsChoice(const char* choice, std::string_view typed) {
  return SameText(choice, typed) || SameText(ShortForm(choice), typed);
}

const char* TypeName(QxVarType type) {
  switch (type) {
    case QX_VAR_NONE: return "nothing";
    case QX_VAR_BOOL: return "a flag, 0 or 1";
    case QX_VAR_BYTE: return "a byte, 0 to 255";
    case QX_VAR_INT: return "a 32-bit integer";
    case QX_VAR_UINT: return "an unsigned 32-bit integer";
    case QX_VAR_FLOAT: return "a 32-bit float";
    case QX_VAR_DOUBLE: return "a 64-bit float";
    case QX_VAR_INT64: return "a 64-bit integer";
  }
  return "?";
}

std::string FitError(QxVarType type, double v) {
  double lo = -DBL_MAX, hi = DBL_MAX;
  bool whole = true;
  switch (type) {
    case QX_VAR_NONE: return "";
    case QX_VAR_BOOL: lo = 0, hi = 1; break;
    case QX_VAR_BYTE: lo = 0, hi = 255; break;
    case QX_VAR_INT: lo = -2147483648.0, hi = 2147483647.0; break;
    case QX_VAR_UINT: lo = 0, hi = 4294967295.0; break;
    case QX_VAR_FLOAT: lo = -FLT_MAX, hi = FLT_MAX, whole = false; break;
    case QX_VAR_DOUBLE: whole = false; break;
    case QX_VAR_INT64: lo = -9223372036854775808.0, hi = 9223372036854774784.0; break;
  }
  if (v > hi) return std::string("too large for ") + TypeName(type);
  if (v < lo) return std::string("too small for ") + TypeName(type);
  if (whole && v != std::trunc(v)) return std::string("not a whole number: ") + TypeName(type) + " is wanted";
  return "";
}

Value ParseValue(const Word& word, const std::string& typed) {
  Value out;
  bool chosen = false;
  for (const Choice& c : word.choices)
    if (!chosen && IsChoice(c.word, typed)) out.value = c.value, chosen = true;
  if (!chosen) {
    if (!word.number) {
      out.error = "expected " + Usage(word).substr(std::strlen(word.text) + 1) + ", not \"" + typed + "\"";
      return out;
    }
    const ParsedNumber n = ParseNumber(typed, word.unit);
    if (!n.ok) {
      out.error = "\"" + typed + "\": " + n.error;
      return out;
    }
    out.value = n.value;
  }
  if (std::string why = FitError(word.var, out.value); !why.empty()) {
    out.error = "\"" + typed + "\" is " + why;
    return out;
  }
  out.ok = true;
  return out;
}

std::string Usage(const Word& word) {
  std::string usage = word.text;
  if (word.usage) return usage + " " + word.usage;
  if (word.var == QX_VAR_NONE) return usage;
  std::vector<std::string> choices;
  for (const Choice& c : word.choices) choices.push_back(Lower(c.word));
  std::string value;
  for (std::size_t i = 0; i < choices.size();) {
    // A run of three or more numbered choices of one stem is written first..last.
    std::size_t end = i + 1;
    const std::string stem = Stem(choices[i]);
    while (end < choices.size() && !stem.empty() && Stem(choices[end]) == stem &&
           Number(choices[end]) == Number(choices[end - 1]) + 1)
      ++end;
    value += value.empty() ? "" : "|";
    if (end - i >= 3) {
      value += choices[i] + ".." + choices[end - 1];
    } else {
      end = i + 1;
      value += choices[i];
    }
    i = end;
  }
  if (word.number) value += std::string(value.empty() ? "" : "|") + "NUMBER";
  return usage + " " + value;
}

}  // namespace qxhost
