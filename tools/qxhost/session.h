// One console session: the host's records and windows handed to the library,
// and the lines a user types, turned into posts and run through the queue.
// After each line it keeps what the library did as a Result, prints it, and
// reports any complaint of the instrument from its error queue. Bindings
// read the same Result.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "QxMsg.h"
#include "field_text.h"
#include "tracing_link.h"
#include "word_parser.h"

namespace qxhost {

// A window message the host received, by name.
struct WindowMessage {
  std::string window;   // "main" or "panel"
  std::string message;  // "QX_MSG_NOTIFY", "CMD_ACQUIRE", or its number in hex; a timer's id
  std::string control;  // "CTL_ACQ_TYPE", or its number in hex
  long value = 0;       // the message's value; a timer's period in ms
  bool frames = false;  // the value is the address of the console's record frames
  bool timer = false;   // a timer (re)started rather than a message
  bool status = false;  // the main window told that a status message waits
};

// Why a line failed, from the least to the most serious.
enum class Trouble { Instrument, Refused, NoReply, LinkLost };
struct LineError {
  Trouble trouble;
  std::string text;
};

// What one line did.
struct Result {
  std::vector<std::string> sent;  // command lines that went to the instrument, queries aside
  std::vector<WindowMessage> messages;
  std::string status;                // the status message raised, if any
  _QX_SETUP before{}, after{};       // the settings record around the line
  std::vector<FieldChange> changed;  // its entries that changed, ErrorText aside
  std::optional<std::string> reply;  // a query's reply payload
  std::vector<LineError> errors;     // as printed; Instrument: a line the instrument refused
};

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

// The TYPE word raw takes for a message-variable type ("int").
const char* RawTypeWord(QxVarType type);

class Session {
 public:
  // `socket` is the LAN link being traced, or null on a USB session (whose
  // traced device `usb` gives the lines sent).
  Session(std::ostream& out, std::ostream& err, TracingSocket* socket, int timeoutMs,
          TracingUsb* usb = nullptr);

  // Hands the records to the library and fills in the host's window layout.
  void Attach(CWinSocket* socket);
  _QX_SETUP& Setup() { return setup_; }
  const _QX_RGN_SETUP& Rgn() const { return rgn_; }
  const _QX_POS_SETUP& Pos() const { return pos_; }
  // How long a reply may take, as errors name it.
  void SetTimeout(int ms) { timeoutMs_ = ms; }

  // Asks the instrument for its error queue and empties it; false when it
  // keeps none (refused lines then go unnoticed).
  bool ProbeErrorQueue();
  // Reads the instrument's setup into the records (QxInitSystem) and keeps
  // it as the undo copy; false when the setup could not be read.
  bool Start();

  // Where the next line comes from, for its errors ("demo.qx:3"); "" at the keyboard.
  void SetLocation(std::string where) { location_ = std::move(where); }

  // Runs one typed line; false when the console or the instrument refused
  // it, or a query went unanswered.
  bool Execute(const std::string& line);
  // What the last line did.
  const Result& Last() const { return result_; }
  bool QuitRequested() const { return quit_; }
  // The instrument stopped taking lines or answering its setup queries.
  bool LinkLost() const { return linkLost_; }

 private:
  bool Error(const std::string& message, Trouble trouble = Trouble::Refused);
  bool Control(const Match& match, std::span<const std::string> typed);
  bool Show(std::span<const std::string> args);
  bool Blocks(std::span<const std::string> args);
  bool Send(const std::string& text);
  bool Query(const std::string& text);
  bool Raw(std::span<const std::string> args);
  bool Init();
  bool Window(std::span<const std::string> args);
  bool RecordFile(const std::string& path);
  bool Help(std::span<const std::string> args);
  bool Post(unsigned long cmd, unsigned int ctrl, long value);
  // Completes the Result with what happened since the line began (window
  // messages, status message, changed record fields, lines sent), prints it,
  // and reports link trouble. False on link trouble.
  bool Report();
  void Print() const;
  // The line's read-back went wrong: a setup block did not come back whole.
  bool ReadBackIncomplete() const;
  // Reports every entry of the instrument's error queue; false when there was one.
  bool InstrumentErrors();
  // The library talks to this session's link (interface usb on a LAN session does not).
  bool OnOwnLink() const;
  const char* LinkName(bool lan) const { return lan ? "LAN socket" : "USB link"; }

  std::ostream& out_;
  std::ostream& err_;
  TracingSocket* socket_;
  TracingUsb* usb_;
  const bool lan_;
  int timeoutMs_;
  std::string location_;
  _QX_SETUP setup_{};
  _QX_RGN_SETUP rgn_{};
  _QX_POS_SETUP pos_{};
  HostWindow main_{"main"};
  HostWindow panel_{"panel"};
  // The frames a recording hands to the record file: the console acquires
  // no waveforms, so none.
  QxRecordData frames_{};
  Result result_;
  QxLinkHealth linkBefore_{};  // the link's counts when the line began
  unsigned long posted_ = 0;   // the command of the last post, to name its controls
  bool errorQueue_ = false;
  bool quit_ = false;
  bool linkLost_ = false;
};

}  // namespace qxhost
