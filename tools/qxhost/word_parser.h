// Typed words against the word table: which word a line names, the slot
// its placeholder picks, and the value it carries, checked against the
// message variable's type before anything is posted.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "words.h"

namespace qxhost {

std::vector<std::string> SplitWords(std::string_view line);
std::vector<std::string> Tokens(const char* text);  // the words of a word's text

// The placeholder of a word's text and the index of its token; nullptr when none.
const Placeholder* PlaceholderOf(const Word& word, std::size_t* token = nullptr);

struct Match {
  const Word* word = nullptr;
  std::size_t used = 0;  // typed words the word's text took
  int number = -1;       // the number typed with the placeholder ("ch2": 2)
};
// The word of `words` that takes the most leading typed words; no word when none does.
Match FindWord(std::span<const std::string> typed, std::span<const Word> words = Words());

// Token `index` of a word's text against a typed word: the same text, case
// aside, or for a placeholder its prefix and a number.
bool TokenFits(const Word& word, std::size_t index, std::string_view typed);

// What may come next when no word takes the typed words: how many leading
// typed words some word's text begins with, and the tokens that may follow
// them, in table order ("ch1..ch2" for a placeholder).
struct Expected {
  std::size_t matched = 0;
  std::vector<std::string> next;
};
Expected ExpectedAfter(std::span<const std::string> typed, std::span<const Word> words = Words());

// The slot value a match names: its placeholder's number less the first, or
// the word's own value; false, with the reason, when the number is out of range.
bool SlotValue(const Match& match, long* value, std::string* error);

// A choice's short form: what it keeps besides its lower-case letters
// ("AVERage": "AVER", "+GREaterthan": "+GRE", "CHANnel1": "CHAN1").
std::string ShortForm(const char* choice);
// Whether typed text is a choice in its long or short form, case aside.
bool IsChoice(const char* choice, std::string_view typed);

struct Value {
  bool ok = false;
  double value = 0;
  std::string error;
};
// A typed value for a control word: one of its choices, or a number in its unit
// that fits its message variable.
Value ParseValue(const Word& word, const std::string& typed);

// Why `value` cannot be stored as `type`, or "" when it can.
std::string FitError(QxVarType type, double value);
const char* TypeName(QxVarType type);  // "a 32-bit integer"

// The typed form of a word: its text, then its value's choices or NUMBER
// (numbered choices of one stem run together: "digital0..digital15").
std::string Usage(const Word& word);

}  // namespace qxhost
