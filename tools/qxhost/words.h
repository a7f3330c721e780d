// The console's words: one table of every word a user types, the controls
// of the instrument and the console's own words alike. A control word names
// its command and control, the slot its number picks (a placeholder such as
// "ch#" in its text), how the typed value becomes the message variable, and
// its help. A new control is one row here and nothing else.
#pragma once

#include <cstdint>
#include <span>

#include "QxMsg.h"

namespace qxhost {

// A word the user may type instead of a number, in the instrument's mixed
// case: all but the lower-case letters is its short form ("AVERage": "aver"
// or "average"; "+GREaterthan": "+gre").
struct Choice {
  const char* word;
  double value;
};

// What a typed number may carry after its SI prefix.
enum class Unit : std::uint8_t { None, Second, Volt, Hertz, SamplesPerSecond, Points };

// The console's own words.
enum class Own : std::uint8_t { None, Show, Blocks, Send, Query, Raw, Init, Window, RecordFile, Help, Quit };

struct Word {
  const char* text;  // "acquire averages", "ch# scale", "show"
  const char* help;
  // A control of the instrument (QX_CMD / QX_CTL below fill these).
  unsigned long cmd = 0;
  const char* cmdName = nullptr;
  unsigned int ctrl = 0;
  const char* ctrlName = nullptr;
  long value = 0;  // the slot value when the text has no placeholder
  QxVarType var = QX_VAR_NONE;
  std::span<const Choice> choices = {};
  bool number = false;  // a number is accepted beside the choices
  Unit unit = Unit::None;
  const char* range = nullptr;  // what the instrument takes, as help prints it
  bool framesAddress = false;   // the slot value is the address of the console's recorded frames
  // A word of the console itself.
  Own own = Own::None;
  const char* usage = nullptr;  // its arguments: "[GROUP]"
};

#define QX_CMD(id) .cmd = id, .cmdName = #id
#define QX_CTL(id) .ctrl = id, .ctrlName = #id

std::span<const Word> Words();

// A slot placeholder in a word's text: the number typed after the prefix
// ("ch2") picks the slot value (number - first), checked against the range.
struct Placeholder {
  const char* token;   // as written in a word's text: "ch#"
  const char* before;  // a literal word the placeholder follows, or nullptr ("alt" of "alt ch#")
  const char* prefix;  // what the user types before the number: "ch"
  int first, last;
  QxSlotKind slot;
  const char* what;  // "channel"
};
std::span<const Placeholder> Placeholders();

// The names of command and control identifiers, for window messages and raw.
const char* CommandName(unsigned long cmd);  // nullptr when unknown
const char* ControlName(unsigned long cmd, unsigned int ctrl);
bool CommandByName(const char* name, unsigned long* cmd);
bool ControlByName(const char* name, unsigned int* ctrl);

// The text of a unit as typed and printed ("s", "Sa/s"); "" for none.
const char* UnitText(Unit unit);

}  // namespace qxhost
