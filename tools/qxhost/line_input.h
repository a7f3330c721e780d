// Keyboard input with line editing (libedit): tab completion, a history
// kept in a file across sessions, Ctrl-C that clears the line (a second one
// at an empty prompt leaves), Ctrl-D that leaves on a new line.
#pragma once

#include <optional>
#include <string>

struct editline;
struct history;

namespace qxhost {

// What Ctrl-C does: it clears a line with text; at an empty prompt the
// first one tells how to leave and the second leaves.
class Interrupts {
 public:
  enum class Action { ClearLine, Warn, Quit };
  Action OnInterrupt(bool lineEmpty);
  void OnLine() { armed_ = false; }

 private:
  bool armed_ = false;
};

class LineInput {
 public:
  // `historyFile` empty: no history kept between sessions.
  LineInput(const char* program, std::string historyFile);
  ~LineInput();
  LineInput(const LineInput&) = delete;
  LineInput& operator=(const LineInput&) = delete;
  // The next line, or nothing when the user leaves.
  std::optional<std::string> Read();

 private:
  static unsigned char CompleteKey(editline* el, int key);
  static unsigned char InterruptKey(editline* el, int key);

  editline* el_;
  struct history* history_;
  std::string historyFile_;
  Interrupts interrupts_;
  bool left_ = false;
};

// $HOME/.qxhost_history, or "" without a home directory.
std::string DefaultHistoryFile();

}  // namespace qxhost
