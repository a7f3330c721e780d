// The console's words for the instrument's controls: one row per control,
// naming the command and control identifiers, the slot value, and how the
// typed value becomes the message variable. A new handler adds its rows here
// and nothing else.
#pragma once

#include <span>

#include "QxMsg.h"

namespace qxhost {

enum class VarType { None, Bool, Int, Uint, Float, Double };

// A word the user may type instead of a number, and the number it stands for.
struct Choice {
  const char* word;
  double value;
};

struct ControlRow {
  const char* words;  // "acquire averages"
  unsigned long cmd;
  unsigned int ctrl;
  long value;  // the slot's value, e.g. a channel index
  VarType var;
  std::span<const Choice> choices;  // accepted words; empty: a number
  bool numberAllowed;               // a number is accepted beside the words
  const char* help;
};

std::span<const ControlRow> ControlRows();

}  // namespace qxhost
