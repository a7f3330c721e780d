#include "completion.h"

#include <strings.h>

#include <algorithm>
#include <cctype>

#include "field_text.h"
#include "word_parser.h"

namespace qxhost {
namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// A token of a word's text as the user types it: a placeholder becomes its slots.
std::vector<std::string> Typed(const Word& word, std::size_t index) {
  const std::vector<std::string> tokens = Tokens(word.text);
  std::size_t slot = tokens.size();
  const Placeholder* p = PlaceholderOf(word, &slot);
  if (!p || slot != index) return {tokens[index]};
  std::vector<std::string> slots;
  for (int n = p->first; n <= p->last; ++n) slots.push_back(p->prefix + std::to_string(n));
  return slots;
}

bool Fits(const Word& word, const std::vector<std::string>& done) {
  for (std::size_t i = 0; i < done.size(); ++i) {
    const std::vector<std::string> options = Typed(word, i);
    if (std::find(options.begin(), options.end(), Lower(done[i])) == options.end()) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> Complete(std::string_view line, std::span<const Word> words) {
  std::vector<std::string> done = SplitWords(line);
  std::string partial;
  if (!line.empty() && !std::isspace(static_cast<unsigned char>(line.back())) && !done.empty()) {
    partial = done.back();
    done.pop_back();
  }
  if (!done.empty() && Lower(done[0]) == "help") done.erase(done.begin());

  std::vector<std::string> out;
  if (done.size() == 1 && Lower(done[0]) == "show") {
    out = FieldGroups();
  } else {
    for (const Word& w : words) {
      const std::size_t tokens = Tokens(w.text).size();
      if (done.size() > tokens || !Fits(w, done)) continue;
      if (done.size() < tokens) {
        for (std::string& t : Typed(w, done.size())) out.push_back(std::move(t));
      } else {
        for (const Choice& c : w.choices) out.push_back(Lower(c.word));
      }
    }
  }
  std::erase_if(out, [&](const std::string& c) {
    return c.size() < partial.size() || strncasecmp(c.c_str(), partial.c_str(), partial.size()) != 0;
  });
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

}  // namespace qxhost
