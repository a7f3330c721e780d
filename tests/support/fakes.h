// Test doubles for the library's seams: a scripted LAN socket that records
// every Send, a scripted USB panel, windows that record every message, a
// sleep hook that records durations, and a fixture that wires them up.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "QxMsg.h"

namespace qxtest {

// A record field by value. The records are 4-byte packed, so an 8-byte field
// may sit off its natural alignment and must not be bound to a reference
// (as EXPECT_EQ would).
template <typename T>
T Value(T field) {
  return field;
}

// A LAN reply as the instrument frames it: 4-byte little-endian length, payload
// (a null payload gives the length prefix alone, whatever it announces).
std::string LanReply(const std::string& payload);
std::string LanReply(const void* payload, int size);
// The bytes WriteCommand puts on the LAN for a command text.
std::string LanLine(const std::string& text);

// Sleep durations the library asked for.
std::vector<DWORD>& Sleeps();
void RecordSleep(DWORD ms);

// One message received by a RecordingWindow, in the order all windows got them.
struct WindowMessage {
  const CWnd* window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const WindowMessage&) const = default;
};
std::vector<WindowMessage>& AllMessages();

class RecordingWindow : public CWnd {
 public:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, void* proc) override;
  std::vector<WindowMessage> messages;
  std::vector<std::pair<UINT_PTR, UINT>> timers;  // (id, period) of each SetTimer
  std::function<void(UINT, WPARAM, LPARAM)> onMessage;
};

// A socket whose peer is a script. Every Send is recorded. Replies queued
// with Reply() are released one per query line sent ("...?\r\0"); bytes
// queued with Deliver() are readable at once. Receive hands out at most
// `pieceBytes` per call (0: no limit) and, between pieces, answers -1
// `gapsBetweenPieces` times, as a stream socket may.
class ScriptedSocket : public CWinSocket {
 public:
  int Send(const char* data, int length) override;
  int Receive(char* buffer, int length) override;

  void Reply(const std::string& bytes) { replies.push_back(bytes); }
  void Deliver(const std::string& bytes) { inbox.append(bytes); }

  std::vector<std::string> sent;                  // the exact bytes of each Send
  std::vector<std::string> SentTexts() const;     // each Send cut at its first "\r"
  std::vector<std::string> SentCommands() const;  // the same, the read-back's block queries left aside
  std::deque<std::string> replies;
  std::string inbox;
  int pieceBytes = 0;
  int gapsBetweenPieces = 0;
  int sendResult = -2;  // -2: the length sent; otherwise returned as is
  int receiveCalls = 0;

 private:
  int gapsLeft_ = 0;
};

// A USB panel whose device is a script. Every call is logged as text.
class ScriptedUsb : public QxPanelUsb {
 public:
  int UsbRead(UINT device, int phase, int count, BYTE* buffer) override;
  int UsbWriteByte(UINT device, BYTE value) override;
  int UsbRequest(UINT device, int code, int param1, int param2, int zero) override;
  int UsbBlockRead(UINT device, int size, BYTE* buffer) override;
  int UsbBlockWrite(UINT device, int size, const BYTE* buffer) override;

  std::vector<std::string> calls;   // "write 3A", "read 0 1", "request 6 0 0", "block-read 780", ...
  std::string written;              // every byte accepted by UsbWriteByte
  std::deque<std::string> replies;  // query replies: phase 0 gives the length byte, phase 1 the payload
  std::vector<std::string> blocksWritten;
  std::function<int(int code)> requestResult = [](int) { return 1; };
  std::function<bool(int size, BYTE* buffer)> blockRead = [](int, BYTE*) { return true; };
  int acceptBytes = -1;  // how many UsbWriteByte calls succeed (-1: all)
  bool readOk = true;
  bool blockWriteOk = true;
};

// Records, windows, socket and USB panel handed to the library, a recorded
// sleep hook, and a connected LAN link by default.
class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Post one command with the message variable already set, take it, run it.
  void Run(unsigned long cmd, unsigned int ctrl, long value = 0, CWnd* wnd1 = nullptr, CWnd* wnd2 = nullptr);
  void RunInt(unsigned long cmd, unsigned int ctrl, int v, long value = 0);
  void RunFloat(unsigned long cmd, unsigned int ctrl, float v, long value = 0);
  void RunBool(unsigned long cmd, unsigned int ctrl, bool v, long value = 0);
  void UseUsb() { setup.InterfaceType = 0; }
  // The status message raised since the last check, which it then clears.
  void Status(const char* text) {
    EXPECT_STREQ(setup.ErrorText, text);
    setup.ErrorText[0] = '\0';
  }
  // The host's 700 x 400 waveform window, split in two equal halves.
  void UseStandardWindows() {
    rgn.MainWaveRect = CRect(0, 0, 700, 400);
    rgn.UpperWaveRect = CRect(0, 0, 700, 200);
    rgn.LowerWaveRect = CRect(0, 200, 700, 400);
  }
  // Queues the three setup blocks below as the replies to the next three
  // setup queries (the read-back after a command).
  void ScriptReadBack();

  DSO_SETUP dso{};
  _QX_LA_SETUP la{};
  DSO_ALT_SETUP alt{};

  _QX_SETUP setup{};
  _QX_RGN_SETUP rgn{};
  _QX_POS_SETUP pos{};
  RecordingWindow main;
  ScriptedSocket socket;
  ScriptedUsb usb;
};

}  // namespace qxtest
