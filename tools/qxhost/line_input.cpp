#include "line_input.h"

#include <histedit.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "completion.h"

namespace qxhost {
namespace {

constexpr int kHistorySize = 1000;

char* Prompt(EditLine*) {
  static char prompt[] = "qx> ";
  return prompt;
}

LineInput* Self(EditLine* el) {
  void* self = nullptr;
  el_get(el, EL_CLIENTDATA, &self);
  return static_cast<LineInput*>(self);
}

}  // namespace

Interrupts::Action Interrupts::OnInterrupt(bool lineEmpty) {
  if (!lineEmpty) {
    armed_ = false;
    return Action::ClearLine;
  }
  if (armed_) return Action::Quit;
  armed_ = true;
  return Action::Warn;
}

std::string DefaultHistoryFile() {
  const char* home = std::getenv("HOME");
  return home && *home ? std::string(home) + "/.qxhost_history" : "";
}

LineInput::LineInput(const char* program, std::string historyFile)
    : el_(el_init(program, stdin, stdout, stderr)),
      history_(history_init()),
      historyFile_(std::move(historyFile)) {
  HistEvent event;
  history(history_, &event, H_SETSIZE, kHistorySize);
  history(history_, &event, H_SETUNIQUE, 1);
  if (!historyFile_.empty()) history(history_, &event, H_LOAD, historyFile_.c_str());
  el_set(el_, EL_CLIENTDATA, this);
  el_set(el_, EL_EDITOR, "emacs");
  el_set(el_, EL_SIGNAL, 1);
  el_set(el_, EL_PROMPT, &Prompt);
  el_set(el_, EL_HIST, history, history_);
  // Ctrl-C reaches the line editor as a key instead of ending the program.
  el_set(el_, EL_SETTY, "-d", "-isig", nullptr);
  el_set(el_, EL_ADDFN, "qx-complete", "complete a word", &LineInput::CompleteKey);
  el_set(el_, EL_ADDFN, "qx-interrupt", "clear the line or leave", &LineInput::InterruptKey);
  el_set(el_, EL_BIND, "^I", "qx-complete", nullptr);
  el_set(el_, EL_BIND, "^C", "qx-interrupt", nullptr);
}

LineInput::~LineInput() {
  el_end(el_);
  history_end(history_);
}

std::optional<std::string> LineInput::Read() {
  int count = 0;
  const char* text = el_gets(el_, &count);
  if (!text || count <= 0) {
    if (!left_) std::fputs("\n", stdout);  // Ctrl-D: the shell's prompt starts on a line of its own
    return std::nullopt;
  }
  interrupts_.OnLine();
  std::string line(text);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  if (line.find_first_not_of(" \t") != std::string::npos) {
    HistEvent event;
    history(history_, &event, H_ENTER, line.c_str());
    if (!historyFile_.empty()) history(history_, &event, H_SAVE, historyFile_.c_str());
  }
  return line;
}

unsigned char LineInput::CompleteKey(EditLine* el, int) {
  const LineInfo* info = el_line(el);
  const std::string before(info->buffer, static_cast<std::size_t>(info->cursor - info->buffer));
  const std::vector<std::string> candidates = Complete(before);
  if (candidates.empty()) return CC_ERROR;
  const std::size_t blank = before.find_last_of(" \t");
  const std::size_t typed = before.size() - (blank == std::string::npos ? 0 : blank + 1);
  std::string common = candidates[0];
  for (const std::string& c : candidates) {
    std::size_t n = 0;
    while (n < common.size() && n < c.size() && common[n] == c[n]) ++n;
    common.resize(n);
  }
  if (candidates.size() == 1) common += ' ';
  if (common.size() > typed) {
    el_insertstr(el, common.substr(typed).c_str());
    return CC_REFRESH;
  }
  std::fputs("\n", stdout);
  for (const std::string& c : candidates) std::printf("%s  ", c.c_str());
  std::fputs("\n", stdout);
  return CC_REDISPLAY;
}

unsigned char LineInput::InterruptKey(EditLine* el, int) {
  LineInput* self = Self(el);
  const LineInfo* info = el_line(el);
  const int length = static_cast<int>(info->lastchar - info->buffer);
  switch (self->interrupts_.OnInterrupt(length == 0)) {
    case Interrupts::Action::ClearLine:
      el_cursor(el, static_cast<int>(info->lastchar - info->cursor));
      el_deletestr(el, length);
      std::fputs("^C\n", stdout);
      return CC_REDISPLAY;
    case Interrupts::Action::Warn:
      std::fputs("^C\n(Ctrl-C again, Ctrl-D or quit leaves)\n", stdout);
      return CC_REDISPLAY;
    case Interrupts::Action::Quit:
      std::fputs("^C\n", stdout);
      self->left_ = true;
      return CC_EOF;
  }
  return CC_NORM;
}

}  // namespace qxhost
