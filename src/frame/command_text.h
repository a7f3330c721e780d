// The one way every handler builds its command text. A set command is the
// header pieces, one blank and ParamString; its query is the same pieces with
// a question mark: (":ACQUIRE", ":AVERAGES") gives ":ACQUIRE:AVERAGES 16" and
// ":ACQUIRE:AVERAGES?".
#pragma once

#include <cmath>
#include <cstddef>

#include "frame/state.h"

namespace qx {

// CmdString and QueryString from the pieces and the current ParamString.
void BuildCommandText(const char* subsystem, const char* header, const char* leaf = nullptr);
// QueryString only, for a control that sends no set command of its own.
void BuildQueryText(const char* subsystem, const char* header, const char* leaf = nullptr);
// CmdString of a command without argument: the header alone, no blank
// (":RUN"); the transport recognises some of these by their exact text.
void BuildBareCommand(const char* subsystem, const char* header);

// The keyword for a code, or "" for a code outside the list (the command
// then goes out with nothing after the blank).
template <std::size_t N>
const char* Keyword(const char* const (&words)[N], long code) {
  return code >= 0 && static_cast<std::size_t>(code) < N ? words[code] : "";
}

inline const char* OnOff(bool on) { return on ? "ON" : "OFF"; }

// A message variable holding NaN refuses the control: nothing is stored and
// nothing is sent; the windows are still told.
inline bool RefuseNaN(double value) {
  if (!std::isnan(value)) return false;
  Command.SendFlag = false;
  return true;
}

}  // namespace qx
