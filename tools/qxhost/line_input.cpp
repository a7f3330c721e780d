#include "line_input.h"

#include <editline/readline.h>

#include <cstdlib>

namespace qxhost {

LineInput::LineInput(const char* program) {
  rl_readline_name = program;
  using_history();
}

LineInput::~LineInput() { clear_history(); }

std::optional<std::string> LineInput::Read(const char* prompt) {
  char* raw = readline(prompt);
  if (!raw) return std::nullopt;
  std::string line(raw);
  std::free(raw);
  if (line.find_first_not_of(" \t") != std::string::npos) add_history(line.c_str());
  return line;
}

}  // namespace qxhost
