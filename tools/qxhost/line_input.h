// Keyboard input with line editing and history (libedit).
#pragma once

#include <optional>
#include <string>

namespace qxhost {

class LineInput {
 public:
  explicit LineInput(const char* program);
  ~LineInput();
  LineInput(const LineInput&) = delete;
  LineInput& operator=(const LineInput&) = delete;
  // The next line, or nothing at the end of input.
  std::optional<std::string> Read(const char* prompt);
};

}  // namespace qxhost
