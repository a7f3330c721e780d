// The console's parts that need no instrument: slot placeholders and their
// bounds, typed values against units and message-variable types, tab
// completion, numbers and fields as printed, Ctrl-C, and the word table's
// own consistency.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "completion.h"
#include "field_text.h"
#include "line_input.h"
#include "numbers.h"
#include "word_parser.h"

namespace qxhost {
namespace {

const Word& Named(const char* text) {
  for (const Word& w : Words())
    if (std::strcmp(w.text, text) == 0) return w;
  ADD_FAILURE() << "no word " << text;
  return Words()[0];
}

template <typename T>
const QxField& FieldOf(const char* name) {
  for (const QxField& f : QxFieldsOf<T>())
    if (std::strcmp(f.name, name) == 0) return f;
  ADD_FAILURE() << "no field " << name;
  return QxFieldsOf<T>()[0];
}

TEST(ConsoleTest, SlotPlaceholdersAndTheirBounds) {
  struct Row {
    const char* line;
    const char* word;  // "": no word
    long slot;         // -1: refused with `error`
    const char* error;
  };
  const Row rows[] = {
      {"ch1 scale 1", "ch# scale", 0, ""},
      {"CH2 SCALE 1", "ch# scale", 1, ""},
      {"ch0 scale 1", "ch# scale", -1, "ch0: the channels are ch1 to ch2"},
      {"ch scale 1", "", 0, ""},
      {"chx scale 1", "", 0, ""},
      {"alt ch2 edge level 0", "alt ch# edge level", 1, ""},
      {"d15 pos 1", "d# pos", 15, ""},
      {"pattern group2 high", "pattern group#", 1, ""},
      {"la group2 on", "la group2", 0, ""},
      {"measure add ch2 3", "measure add ch2", 1, ""},
  };
  for (const Row& r : rows) {
    const std::vector<std::string> typed = SplitWords(r.line);
    const Match m = FindWord(typed);
    ASSERT_EQ(m.word ? m.word->text : "", std::string(r.word)) << r.line;
    if (!m.word) continue;
    long slot = -1;
    std::string error;
    EXPECT_EQ(SlotValue(m, &slot, &error), r.slot >= 0) << r.line;
    EXPECT_EQ(r.slot >= 0 ? slot : -1, r.slot) << r.line;
    EXPECT_EQ(error, r.error) << r.line;
  }
  EXPECT_EQ(PlaceholderOf(Named("ch# scale"))->slot, QX_SLOT_CHANNEL);
  EXPECT_EQ(PlaceholderOf(Named("alt ch# edge level"))->slot, QX_SLOT_ALT_CHANNEL);
}

TEST(ConsoleTest, TypedValues) {
  struct Row {
    const char* word;
    const char* typed;
    double value;       // when accepted
    const char* error;  // a part of the refusal, "" when accepted
  };
  const Row rows[] = {
      {"acquire type", "aver", 1, ""},
      {"acquire type", "PEAKDETECT", 2, ""},
      {"acquire type", "averag", 0, "expected normal|average|peakdetect"},
      {"acquire averages", "4K", 4000, ""},
      {"acquire averages", "+16", 16, ""},
      {"acquire averages", "nan", 0, "not a number"},
      {"acquire memory", "-1", 0, "too small for an unsigned 32-bit integer"},
      {"acquire samplerate", "1ms", 0, "does not fit this word's unit, Sa/s"},
      {"acquire samplerate", "1e39", 0, "too large for a 32-bit float"},
      {"selfcal", "1", 0, "expected on|off"},
      {"pulse mode", "+gre", 0, ""},
      {"pulse mode", "-GREATERTHAN", 3, ""},
      {"pulse mode", "gre", 0, "expected +greaterthan|"},
      {"edge source", "dig15", 21, ""},
  };
  for (const Row& r : rows) {
    const Value v = ParseValue(Named(r.word), r.typed);
    EXPECT_EQ(v.ok, *r.error == '\0') << r.word << " " << r.typed << ": " << v.error;
    if (v.ok) {
      EXPECT_DOUBLE_EQ(v.value, r.value) << r.word << " " << r.typed;
    }
    EXPECT_NE(v.error.find(r.error), std::string::npos) << r.word << " " << r.typed << ": " << v.error;
  }
  EXPECT_EQ(FitError(QX_VAR_INT64, 9.3e18), "too large for a 64-bit integer");
  EXPECT_EQ(FitError(QX_VAR_BYTE, 256), "too large for a byte, 0 to 255");
  EXPECT_EQ(FitError(QX_VAR_DOUBLE, -1e300), "");
  EXPECT_EQ(Usage(Named("edge source")), "edge source channel1|channel2|ext|ext5|acline|digital0..digital15");
}

TEST(ConsoleTest, CompletionCandidates) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Complete("acq"), V{"acquire"});
  EXPECT_EQ(Complete("acquire type "), (V{"average", "normal", "peakdetect"}));
  EXPECT_EQ(Complete("ACQUIRE MODE r"), V{"rtime"});
  EXPECT_EQ(Complete("interface "), (V{"apply", "dhcp", "lan", "usb"}));
  EXPECT_EQ(Complete("show a"), (V{"acquire", "alternate"}));
  EXPECT_EQ(Complete("help acquire m"), (V{"memory", "mode"}));
  EXPECT_EQ(Complete("acquire averages "), V{});
  EXPECT_EQ(Complete("frob "), V{});
  EXPECT_EQ(Complete("c"), (V{"ch1", "ch2", "clear", "cursor"}));
  EXPECT_EQ(Complete("alt "), (V{"ch1", "ch2", "source"}));
  EXPECT_EQ(Complete("ch2 filter "), (V{"lower", "off", "on", "type", "upper"}));
  EXPECT_EQ(Complete("d1").size(), 7u);  // d1, d10 .. d15
  const V all = Complete("");
  for (const char* own : {"acquire", "blocks", "help", "quit", "selfcal", "show"})
    EXPECT_NE(std::find(all.begin(), all.end(), own), all.end()) << own;
}

TEST(ConsoleTest, NumbersAndFieldsAsPrinted) {
  EXPECT_EQ(FormatSi(5.0000002e-4, "s", 7), "500 us");
  EXPECT_EQ(FormatSi(-0.2f, "V", 7), "-200 mV");
  EXPECT_EQ(FormatSi(0, "s", 7), "0 s");

  _QX_SETUP setup{};
  setup.TimeFormat = 7;  // a value with no name of its own
  EXPECT_EQ(FormatEntry(FieldOf<_QX_SETUP>("TimeFormat"), &setup, 0), "7");
}

TEST(ConsoleTest, CtrlCClearsTheLineThenLeavesAtAnEmptyPrompt) {
  using A = Interrupts::Action;
  Interrupts ctrlC;
  EXPECT_EQ(ctrlC.OnInterrupt(false), A::ClearLine);
  EXPECT_EQ(ctrlC.OnInterrupt(true), A::Warn);
  EXPECT_EQ(ctrlC.OnInterrupt(false), A::ClearLine);  // typing again disarms
  EXPECT_EQ(ctrlC.OnInterrupt(true), A::Warn);
  EXPECT_EQ(ctrlC.OnInterrupt(true), A::Quit);
  ctrlC.OnLine();
  EXPECT_EQ(ctrlC.OnInterrupt(true), A::Warn);
}

// Every word is reached by its own text (a placeholder by its first slot),
// every choice fits the word's message variable, and no typed form names
// two choices of one word.
TEST(ConsoleTest, WordTableIsConsistent) {
  for (const Word& w : Words()) {
    std::vector<std::string> typed = SplitWords(w.text);
    std::size_t slot = typed.size();
    if (const Placeholder* p = PlaceholderOf(w, &slot)) typed[slot] = p->prefix + std::to_string(p->first);
    EXPECT_EQ(FindWord(typed).word, &w) << w.text << " is shadowed";
    std::vector<std::string> taken;  // the typed forms of the choices before
    for (const Choice& c : w.choices) {
      EXPECT_EQ(FitError(w.var, c.value), "") << w.text << " " << c.word;
      for (const std::string& other : taken)
        EXPECT_FALSE(IsChoice(c.word, other)) << w.text << ": " << other << " names two choices";
      taken.push_back(c.word);
      taken.push_back(ShortForm(c.word));
    }
    EXPECT_TRUE(w.own == Own::None || w.cmdName == nullptr) << w.text;
  }
}

}  // namespace
}  // namespace qxhost
