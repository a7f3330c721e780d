// The console's view of the wire: wrappers around the LAN socket and the USB
// panel that pass every call through. They always print the command lines
// that go to the instrument; with --trace also every query and reply, with
// the time since start. They keep the command lines that went out, and
// notice a link that stopped working: a failed send, or a query left
// unanswered.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "QxPlatform.h"

namespace qxhost {

using TracePrinter = std::function<void(const std::string& line)>;

// What a wrapper prints: nothing, the command lines sent, or everything.
enum class TraceLevel { Off, Commands, Full };

struct LinkHealth {
  int failedSends = 0;
  int unansweredQueries = 0;
  int unansweredSetupQueries = 0;  // of them: the setup blocks every instrument answers
  bool Lost() const { return failedSends > 0 || unansweredSetupQueries > 0; }
};

class TracingSocket : public CWinSocket {
 public:
  TracingSocket(CWinSocket& inner, TracePrinter print, TraceLevel level)
      : inner_(inner), print_(std::move(print)), level_(level) {}
  int Send(const char* data, int length) override;
  int Receive(char* buffer, int length) override;
  LinkHealth TakeHealth();
  // The command lines sent since the last call, queries aside.
  std::vector<std::string> TakeSent() { return std::exchange(sent_, {}); }
  // A query went out and the library looks for its reply, which is not complete.
  bool WaitingForReply() const { return awaitingReply_ && looked_; }
  // The length the last reply announced (its payload may have been read only in part).
  long long LastAnnounced() const { return announced_; }

 private:
  void Trace(const std::string& text, bool command = false);
  CWinSocket& inner_;
  TracePrinter print_;
  TraceLevel level_;
  LinkHealth health_;
  std::vector<std::string> sent_;
  void CountUnanswered();
  bool awaitingReply_ = false;
  bool looked_ = false;  // Receive called since the query went out
  bool setupQuery_ = false;
  long long announced_ = 0;
  int prefixBytes_ = 0;  // of the current reply's length prefix received
  std::string prefix_;
  long long payloadLeft_ = 0;
  std::string payload_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

class TracingUsb : public QxPanelUsb {
 public:
  TracingUsb(QxPanelUsb& inner, TracePrinter print, TraceLevel level)
      : inner_(inner), print_(std::move(print)), level_(level) {}
  int UsbRead(UINT device, int phase, int count, BYTE* buffer) override;
  int UsbWriteByte(UINT device, BYTE value) override;
  int UsbRequest(UINT device, int code, int param1, int param2, int zero) override;
  int UsbBlockRead(UINT device, int size, BYTE* buffer) override;
  int UsbBlockWrite(UINT device, int size, const BYTE* buffer) override;
  std::vector<std::string> TakeSent() { return std::exchange(sent_, {}); }

 private:
  void Trace(const std::string& text, bool command = false);
  QxPanelUsb& inner_;
  TracePrinter print_;
  TraceLevel level_;
  std::string line_;
  std::vector<std::string> sent_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// The library's waits on a traced link. A wait for a reply is stretched or
// shrunk so that the library's 300 looks span `timeoutMs`; the pauses after
// lines are cut to 1 ms when `fast`.
struct Pacing {
  bool fast = false;
  int timeoutMs = 3000;
  const TracingSocket* socket = nullptr;  // null on USB
};
// How long the library's wait of `ms` really lasts, in ms.
double PacedWaitMs(const Pacing& pacing, DWORD ms);

// Bytes as readable text: printable ASCII as is, the rest as \xNN.
std::string Printable(const std::string& bytes);

}  // namespace qxhost
