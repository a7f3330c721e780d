#include "tracing_link.h"

#include <algorithm>
#include <cstdio>

namespace qxhost {

std::string Printable(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

double PacedWaitMs(const Pacing& pacing, DWORD ms) {
  constexpr double kLibraryReplyWaitMs = 3000;  // 300 looks, 10 ms apart
  if (pacing.socket && pacing.socket->WaitingForReply()) return ms * pacing.timeoutMs / kLibraryReplyWaitMs;
  return pacing.fast ? std::min<double>(ms, 1.0) : ms;
}

namespace {
std::string Stamp(std::chrono::steady_clock::time_point start) {
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  char text[24];
  std::snprintf(text, sizeof text, "[%9.3f] ", s);
  return text;
}

// A reply as the trace shows it: text when it reads as text, else its size.
std::string Reply(const std::string& payload) {
  bool text = true;
  for (unsigned char c : payload) text = text && c >= 0x20 && c < 0x7F;
  if (text) return "\"" + payload + "\"";
  return "(" + std::to_string(payload.size()) + "-byte block)";
}

// The command text of a line as the library frames it: up to its "\r".
std::string LineText(const char* data, int length) {
  std::string line(data, static_cast<std::size_t>(length > 0 ? length : 0));
  const std::size_t end = line.find('\r');
  return end == std::string::npos ? line : line.substr(0, end);
}
}  // namespace

// A command line shows at every level but Off; the rest only in full.
void TracingSocket::Trace(const std::string& text, bool command) {
  if (level_ == TraceLevel::Full)
    print_(Stamp(start_) + text);
  else if (command && level_ == TraceLevel::Commands)
    print_(text);
}

// A reply counts as answered once its length prefix came, even if the library
// read only part of its payload.
void TracingSocket::CountUnanswered() {
  if (!awaitingReply_ || prefixBytes_ == 4) return;
  ++health_.unansweredQueries;
  if (setupQuery_) ++health_.unansweredSetupQueries;
  awaitingReply_ = false;
}

int TracingSocket::Send(const char* data, int length) {
  CountUnanswered();
  const std::string text = LineText(data, length);
  awaitingReply_ = !text.empty() && text.back() == '?';
  setupQuery_ = text.rfind(":SETUP:", 0) == 0;
  looked_ = false;
  prefixBytes_ = 0;
  prefix_.clear();
  payloadLeft_ = 0;
  payload_.clear();
  Trace("-> " + Printable(text), !awaitingReply_);
  const int sent = inner_.Send(data, length);
  if (sent != length) {
    ++health_.failedSends;
    Trace("-> (send failed)", true);
  } else if (!awaitingReply_) {
    sent_.push_back(text);
  }
  return sent;
}

int TracingSocket::Receive(char* buffer, int length) {
  const int n = inner_.Receive(buffer, length);
  looked_ = true;
  if (n <= 0) return n;
  std::string got(buffer, static_cast<std::size_t>(n));
  if (!awaitingReply_) {
    Trace("<- (" + std::to_string(n) + " stale bytes discarded)");
    return n;
  }
  // The length prefix first, then its payload.
  std::size_t used = 0;
  while (prefixBytes_ < 4 && used < got.size()) {
    prefix_ += got[used++];
    ++prefixBytes_;
    if (prefixBytes_ == 4) {
      std::int32_t announced = 0;
      for (int i = 3; i >= 0; --i)
        announced =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(announced) << 8 |
                                      static_cast<unsigned char>(prefix_[static_cast<std::size_t>(i)]));
      payloadLeft_ = announced_ = announced;
      if (payloadLeft_ <= 0) {
        Trace("<- (empty reply, length " + std::to_string(payloadLeft_) + ")");
        awaitingReply_ = false;
      }
    }
  }
  if (used < got.size() && payloadLeft_ > 0) {
    payload_ += got.substr(used);
    payloadLeft_ -= static_cast<long long>(got.size() - used);
    if (payloadLeft_ <= 0) {
      Trace("<- " + Reply(payload_));
      awaitingReply_ = false;
    }
  }
  return n;
}

LinkHealth TracingSocket::TakeHealth() {
  CountUnanswered();
  LinkHealth h = health_;
  health_ = {};
  return h;
}

void TracingUsb::Trace(const std::string& text, bool command) {
  if (level_ == TraceLevel::Full)
    print_(Stamp(start_) + text);
  else if (command && level_ == TraceLevel::Commands)
    print_(text);
}

int TracingUsb::UsbWriteByte(UINT device, BYTE value) {
  const int ok = inner_.UsbWriteByte(device, value);
  if (value == '\r') {
    const bool command = line_.empty() || line_.back() != '?';
    Trace("-> " + Printable(line_), command);
    if (command && ok) sent_.push_back(line_);
    line_.clear();
  } else {
    line_ += static_cast<char>(value);
  }
  return ok;
}

int TracingUsb::UsbRead(UINT device, int phase, int count, BYTE* buffer) {
  const int ok = inner_.UsbRead(device, phase, count, buffer);
  if (ok && phase == 1 && count > 0)
    Trace("<- " + Reply(std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(count))));
  return ok;
}

int TracingUsb::UsbRequest(UINT device, int code, int param1, int param2, int zero) {
  const int result = inner_.UsbRequest(device, code, param1, param2, zero);
  Trace("-> request " + std::to_string(code) + " (" + std::to_string(param1) + ", " + std::to_string(param2) +
        ") = " + std::to_string(result));
  return result;
}

int TracingUsb::UsbBlockRead(UINT device, int size, BYTE* buffer) {
  const int ok = inner_.UsbBlockRead(device, size, buffer);
  Trace("<- " + std::to_string(size) + "-byte block" + (ok ? "" : " (failed)"));
  return ok;
}

int TracingUsb::UsbBlockWrite(UINT device, int size, const BYTE* buffer) {
  const int ok = inner_.UsbBlockWrite(device, size, buffer);
  Trace("-> " + std::to_string(size) + "-byte block" + (ok ? "" : " (failed)"));
  return ok;
}

}  // namespace qxhost
