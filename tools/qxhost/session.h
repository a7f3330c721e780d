// One console session: the host's records and windows handed to the library,
// and the commands a user types, turned into posts and run through the queue.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "QxMsg.h"
#include "tracing_link.h"

namespace qxhost {

// The host's main window (700 x 400 waveform area) and a panel window named
// with every command; both remember what the library told them.
class HostWindow : public CWnd {
 public:
  explicit HostWindow(const char* name) : name_(name) {}
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, void* proc) override;
  const char* Name() const { return name_; }

  struct Event {
    const HostWindow* window;
    bool timer;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  static std::vector<Event>& Events();

 private:
  const char* name_;
};

class Session {
 public:
  Session(std::ostream& out, TracingSocket* socket);

  // Hands the records to the library and fills in the host's window layout.
  void Attach(CWinSocket* socket);
  _QX_SETUP& Setup() { return setup_; }

  // Runs one typed line; false when it was not understood (nothing changed).
  bool Execute(const std::string& line);
  bool QuitRequested() const { return quit_; }
  // The instrument stopped taking lines or answering its setup queries.
  bool LinkLost() const { return linkLost_; }

  // Prints what happened since the last report: window messages, status
  // message, changed record fields, link trouble.
  void Report(const _QX_SETUP& before);

 private:
  bool RunControl(const std::vector<std::string>& words);
  bool Show(const std::vector<std::string>& words);
  bool Raw(const std::vector<std::string>& words);
  bool Send(const std::string& rest, bool query);
  void Help(const std::vector<std::string>& words);
  void RunQueue();
  bool Refuse(const std::string& why);

  std::ostream& out_;
  TracingSocket* socket_;
  _QX_SETUP setup_{};
  _QX_RGN_SETUP rgn_{};
  _QX_POS_SETUP pos_{};
  HostWindow main_{"main"};
  HostWindow panel_{"panel"};
  bool quit_ = false;
  bool linkLost_ = false;
};

}  // namespace qxhost
