#include "support/fakes.h"

#include <algorithm>
#include <cstdio>

#include "link/link_state.h"

namespace qxtest {

std::string LanReply(const void* payload, int size) {
  std::string out(4, '\0');
  const auto n = static_cast<std::uint32_t>(size);
  for (int i = 0; i < 4; ++i) out[static_cast<std::size_t>(i)] = static_cast<char>((n >> (8 * i)) & 0xFF);
  if (size > 0 && payload) out.append(static_cast<const char*>(payload), static_cast<std::size_t>(size));
  return out;
}

std::string LanReply(const std::string& payload) {
  return LanReply(payload.data(), static_cast<int>(payload.size()));
}

std::string LanLine(const std::string& text) { return text + std::string("\r\0", 2); }

std::vector<DWORD>& Sleeps() {
  static std::vector<DWORD> sleeps;
  return sleeps;
}
void RecordSleep(DWORD ms) { Sleeps().push_back(ms); }

std::vector<WindowMessage>& AllMessages() {
  static std::vector<WindowMessage> all;
  return all;
}

LRESULT RecordingWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  messages.push_back({this, message, wParam, lParam});
  AllMessages().push_back({this, message, wParam, lParam});
  if (onMessage) onMessage(message, wParam, lParam);
  return 0;
}

UINT_PTR RecordingWindow::SetTimer(UINT_PTR id, UINT elapseMs, void*) {
  timers.emplace_back(id, elapseMs);
  return id;
}

int ScriptedSocket::Send(const char* data, int length) {
  sent.emplace_back(data, static_cast<std::size_t>(std::max(length, 0)));
  const std::string& line = sent.back();
  const bool query = line.size() >= 3 && line.compare(line.size() - 3, 3, std::string("?\r\0", 3)) == 0;
  if (query && !replies.empty()) {
    inbox += replies.front();
    replies.pop_front();
  }
  return sendResult == -2 ? length : sendResult;
}

int ScriptedSocket::Receive(char* buffer, int length) {
  ++receiveCalls;
  if (length == 0) return 0;
  if (inbox.empty() || length < 0) return -1;
  if (gapsLeft_ > 0) {
    --gapsLeft_;
    return -1;
  }
  std::size_t n = std::min<std::size_t>(inbox.size(), static_cast<std::size_t>(length));
  if (pieceBytes > 0) n = std::min<std::size_t>(n, static_cast<std::size_t>(pieceBytes));
  std::memcpy(buffer, inbox.data(), n);
  inbox.erase(0, n);
  gapsLeft_ = inbox.empty() ? 0 : gapsBetweenPieces;
  return static_cast<int>(n);
}

std::vector<std::string> ScriptedSocket::SentTexts() const {
  std::vector<std::string> texts;
  for (const std::string& s : sent) texts.push_back(s.substr(0, s.find('\r')));
  return texts;
}

std::vector<std::string> ScriptedSocket::SentCommands() const {
  std::vector<std::string> texts;
  for (const std::string& text : SentTexts())
    if (text.rfind(":SETUP:", 0) != 0) texts.push_back(text);
  return texts;
}

int ScriptedUsb::UsbRead(UINT, int phase, int count, BYTE* buffer) {
  calls.push_back("read " + std::to_string(phase) + " " + std::to_string(count));
  if (!readOk || replies.empty()) return 0;
  const std::string& reply = replies.front();
  if (phase == 0) {
    buffer[0] = static_cast<BYTE>(reply.size());
    return 1;
  }
  std::memcpy(buffer, reply.data(), std::min<std::size_t>(reply.size(), static_cast<std::size_t>(count)));
  replies.pop_front();
  return 1;
}

int ScriptedUsb::UsbWriteByte(UINT, BYTE value) {
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", value);
  calls.push_back(std::string("write ") + hex);
  if (acceptBytes == 0) return 0;
  if (acceptBytes > 0) --acceptBytes;
  written += static_cast<char>(value);
  return 1;
}

int ScriptedUsb::UsbRequest(UINT, int code, int param1, int param2, int zero) {
  calls.push_back("request " + std::to_string(code) + " " + std::to_string(param1) + " " +
                  std::to_string(param2) + (zero ? " nonzero" : ""));
  return requestResult(code);
}

int ScriptedUsb::UsbBlockRead(UINT, int size, BYTE* buffer) {
  calls.push_back("block-read " + std::to_string(size));
  return blockRead(size, buffer) ? 1 : 0;
}

int ScriptedUsb::UsbBlockWrite(UINT, int size, const BYTE* buffer) {
  calls.push_back("block-write " + std::to_string(size));
  if (!blockWriteOk) return 0;
  blocksWritten.emplace_back(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(size));
  return 1;
}

void LibraryTest::SetUp() {
  Sleeps().clear();
  AllMessages().clear();
  QxSetSleepHook(&RecordSleep);
  QxSetPanelUsb(&usb);
  setup.Connected = 1;
  setup.InterfaceType = 1;
  QxMsgInit(&main, &setup, &rgn, &pos, &socket);
}

void LibraryTest::TearDown() {
  QxSetSleepHook(nullptr);
  QxSetPanelUsb(nullptr);
  QxMsgInit(nullptr, nullptr, nullptr, nullptr, nullptr);
}

void LibraryTest::ScriptReadBack() {
  socket.Reply(LanReply(dso.Bytes, sizeof dso.Bytes));
  socket.Reply(LanReply(la.Bytes, sizeof la.Bytes));
  socket.Reply(LanReply(alt.Bytes, sizeof alt.Bytes));
}

void LibraryTest::Run(unsigned long cmd, unsigned int ctrl, long value, CWnd* wnd1, CWnd* wnd2) {
  ASSERT_TRUE(QxPostIOCmd(cmd, ctrl, value, wnd1, wnd2, nullptr));
  ASSERT_EQ(GetIOCmd(), static_cast<long>(cmd));
  IOCmdProcess();
}

void LibraryTest::RunInt(unsigned long cmd, unsigned int ctrl, int v, long value) {
  SetMsgVarInt(v);
  Run(cmd, ctrl, value);
}

void LibraryTest::RunFloat(unsigned long cmd, unsigned int ctrl, float v, long value) {
  SetMsgVarfloat(v);
  Run(cmd, ctrl, value);
}

void LibraryTest::RunBool(unsigned long cmd, unsigned int ctrl, bool v, long value) {
  SetMsgVarbool(v);
  Run(cmd, ctrl, value);
}

}  // namespace qxtest
