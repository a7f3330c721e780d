#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "frame/state.h"
#include "link/link_state.h"
#include "support/fakes.h"

namespace {

using qxtest::LanLine;
using qxtest::LanReply;
using qxtest::Sleeps;
using Texts = std::vector<std::string>;

class Transport : public qxtest::LibraryTest {
 protected:
  static long TenMsWaits() { return std::count(Sleeps().begin(), Sleeps().end(), DWORD{10}); }
  Texts UsbCallsBut(const char* skipped) const {
    Texts out;
    for (const std::string& c : usb.calls)
      if (c.rfind(skipped, 0) != 0) out.push_back(c);
    return out;
  }
  void Send(const char* text, bool readBack) {
    CString cmd(text);
    SendCommand(&cmd, qx::Command.ReplyBuffer, readBack);
  }
};

struct Copy {
  BYTE* bytes;
  int size;
};
const Copy kCopies[] = {
    {qx::Link.FwDsoSetup.Bytes, 780}, {qx::Link.FwLaSetup.Bytes, 260}, {qx::Link.FwAltSetup.Bytes, 396}};

const Texts kUsbReadBack = {"request 6 0 0",  "block-read 780", "request 12 0 0",
                            "block-read 260", "request 13 0 0", "block-read 396"};

std::string Bytes(const BYTE* p, int n) { return std::string(reinterpret_cast<const char*>(p), n); }

TEST_F(Transport, LanLineIsTextCarriageReturnNulThenThePause) {
  const struct {
    const char* text;
    DWORD ms;
  } rows[] = {{":RUN", 100},
              {":AUTO", 10000},
              {":AUTOSCALE", 100},
              {":AUTO?", 100},
              {":STOP", 200},
              {":STOPX", 100},
              {":CHANNEL1:SCALE 0.500000", 100},
              {"", 100}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    socket.sent.clear();
    Sleeps().clear();
    EXPECT_EQ(WriteCommand(row.text), static_cast<int>(std::strlen(row.text)) + 2);
    EXPECT_EQ(socket.sent, Texts{LanLine(row.text)});
    EXPECT_EQ(Sleeps(), std::vector<DWORD>{row.ms});
  }
  socket.sent.clear();
  WriteCommand(":RUN");
  EXPECT_EQ(socket.sent, Texts{std::string(":RUN\r\0", 6)});
}

TEST_F(Transport, LanPauseFollowsAFailedSendToo) {
  for (int result : {-1, 0}) {
    Sleeps().clear();
    socket.sendResult = result;
    EXPECT_EQ(WriteCommand(":STOP"), result);
    EXPECT_EQ(Sleeps(), std::vector<DWORD>{200});
  }
}

TEST_F(Transport, UsbLineGoesByteByByteAndStopsAtTheFirstRefusal) {
  UseUsb();
  const struct {
    int accept, result;
    std::size_t calls;
  } rows[] = {{-1, 6, 6}, {3, 3, 4}, {0, 0, 1}};
  for (const auto& row : rows) {
    usb.calls.clear();
    usb.written.clear();
    usb.acceptBytes = row.accept;
    EXPECT_EQ(WriteCommand(":STOP"), row.result);
    EXPECT_EQ(usb.calls.size(), row.calls);
    EXPECT_EQ(usb.written, std::string(":STOP\r").substr(0, row.result));
  }
  EXPECT_TRUE(socket.sent.empty());
  EXPECT_TRUE(Sleeps().empty());
}

TEST_F(Transport, NotConnectedWriteAndSetupReadTouchNoLink) {
  setup.Connected = 0;
  BYTE block[780];
  for (UINT link : {1u, 0u}) {
    setup.InterfaceType = link;
    EXPECT_EQ(WriteCommand(":RUN"), -1);
    EXPECT_EQ(ReadSetup(":SETUP:DSO?", block), -1);
    Send(":RUN", false);
  }
  EXPECT_TRUE(socket.sent.empty());
  EXPECT_TRUE(usb.calls.empty());
  EXPECT_TRUE(Sleeps().empty());
}

TEST_F(Transport, SendCommandGoesOnPastNotConnectedAndStopsOnZero) {
  setup.Connected = 0;
  UseUsb();
  Send(":RUN", true);
  EXPECT_EQ(usb.calls, kUsbReadBack);
  setup.Connected = 1;
  setup.InterfaceType = 1;
  setup.RollOn = 1;
  socket.sendResult = 0;
  Send(":STOP", true);
  EXPECT_EQ(socket.SentTexts(), Texts{":STOP"});
}

TEST_F(Transport, StopIsSentTwiceWhileRolling) {
  const struct {
    BYTE rollOn;
    int timeFormat;
    const char* text;
    std::size_t lines;
  } rows[] = {{0, 0, ":STOP", 1}, {1, 0, ":STOP", 2}, {0, 2, ":STOP", 2},
              {0, 1, ":STOP", 1}, {1, 2, ":RUN", 1},  {1, 2, ":STOP?", 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << +row.rollOn << " " << row.timeFormat << " " << row.text);
    socket.sent.clear();
    setup.RollOn = row.rollOn;
    setup.TimeFormat = row.timeFormat;
    Send(row.text, false);
    EXPECT_EQ(socket.SentTexts(), Texts(row.lines, row.text));
  }
  UseUsb();
  Send(":STOP", false);
  EXPECT_EQ(usb.written, ":STOP\r:STOP\r");
}

// The operation-complete hook is a no-op: SendCommand puts nothing but its own lines on the wire.
TEST_F(Transport, OperationCompleteHookTransfersNothing) {
  EXPECT_EQ(ReadCmdOPC(), 0);
  const Texts lines = {":RUN", ":STOP", ":CHANNEL1:SCALE 0.500000"};
  for (const std::string& text : lines) Send(text.c_str(), false);
  EXPECT_EQ(socket.SentTexts(), lines);
  EXPECT_EQ(Sleeps(), (std::vector<DWORD>{100, 200, 100}));
  EXPECT_EQ(socket.receiveCalls, 0);
}

TEST_F(Transport, LanReadBackFillsTheCopiesInOrder) {
  for (const Copy& c : kCopies) socket.Reply(LanReply(std::string(c.size, static_cast<char>(c.size & 0xFF))));
  Send(":CHANNEL1:SCALE 0.500000", true);
  EXPECT_EQ(socket.SentTexts(),
            (Texts{":CHANNEL1:SCALE 0.500000", ":SETUP:DSO?", ":SETUP:LA?", ":SETUP:ALT?"}));
  for (const Copy& c : kCopies)
    EXPECT_EQ(Bytes(c.bytes, c.size), std::string(c.size, static_cast<char>(c.size & 0xFF)));
}

TEST_F(Transport, SetupReadUsesTheSocketOnUsbToo) {
  UseUsb();
  socket.Reply(LanReply(std::string(260, 'L')));
  EXPECT_EQ(ReadSetup(":SETUP:LA?", qx::Link.FwLaSetup.Bytes), 260);
  EXPECT_EQ(socket.sent, Texts{LanLine(":SETUP:LA?")});
  EXPECT_TRUE(usb.calls.empty());
}

TEST_F(Transport, UsbReadBackStopsAtTheFirstFailure) {
  UseUsb();
  const struct {
    int failCode, failSize, filled;
    long calls;
  } rows[] = {{0, 0, 3, 6}, {6, 0, 0, 1}, {0, 780, 0, 2}, {12, 0, 1, 3}, {0, 396, 2, 6}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.failCode << " " << row.failSize);
    for (const Copy& c : kCopies) std::memset(c.bytes, 0xEE, c.size);
    usb.calls.clear();
    usb.requestResult = [&](int code) { return code == row.failCode ? 0 : 1; };
    usb.blockRead = [&](int size, BYTE* b) {
      if (size == row.failSize) return false;
      std::memset(b, 0x5A, size);
      return true;
    };
    Send(":RUN", true);
    EXPECT_EQ(UsbCallsBut("write"), Texts(kUsbReadBack.begin(), kUsbReadBack.begin() + row.calls));
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(Bytes(kCopies[i].bytes, kCopies[i].size),
                std::string(kCopies[i].size, static_cast<char>(i < row.filled ? 0x5A : 0xEE)))
          << "block " << i;
  }
}

TEST_F(Transport, UsbBlockWriteAnnouncesTheSizeAndNeedsExactlyOneAtTheEnd) {
  UseUsb();
  const BYTE block[780] = {1, 2, 3};
  const struct {
    int announce;
    bool blockOk;
    int final, result;
    long calls;
  } rows[] = {
      {1, true, 1, 1, 3}, {0, true, 1, 0, 1}, {1, false, 1, 0, 2}, {1, true, 2, 0, 3}, {1, true, 0, 0, 3}};
  const Texts all = {"request 2 780 0", "block-write 780", "request 14 0 0"};
  for (const auto& row : rows) {
    usb.calls.clear();
    usb.requestResult = [&](int code) { return code == 2 ? row.announce : row.final; };
    usb.blockWriteOk = row.blockOk;
    EXPECT_EQ(qx::UsbBlockWrite(block, 780, 14), row.result);
    EXPECT_EQ(usb.calls, Texts(all.begin(), all.begin() + row.calls));
  }
  usb.calls.clear();
  const std::vector<BYTE> big(0x12345);
  usb.requestResult = [](int) { return 1; };
  EXPECT_EQ(qx::UsbBlockWrite(big.data(), 0x12345, 15), 1);
  EXPECT_EQ(usb.calls.front(), "request 2 9029 1");  // 0x2345, 0x1
}

TEST_F(Transport, UsbBlockReadNeedsExactlyOneFromItsRequest) {
  UseUsb();
  usb.requestResult = [](int) { return 2; };
  EXPECT_FALSE(qx::UsbBlockRead(260, qx::Link.FwLaSetup.Bytes, 12));
  EXPECT_EQ(usb.calls, Texts{"request 12 0 0"});
  usb.requestResult = [](int) { return 1; };
  usb.blockRead = [](int, BYTE*) { return false; };
  EXPECT_FALSE(qx::UsbBlockRead(260, qx::Link.FwLaSetup.Bytes, 12));
}

// The USB query does not look at Connected.
TEST_F(Transport, UsbQueryZeroesTheReplyAreaThenReadsThePayload) {
  UseUsb();
  setup.Connected = 0;
  usb.replies = {"QX,DSO,1"};
  std::vector<BYTE> reply(300, 0xAA);
  EXPECT_EQ(ReadCommand("*IDN?", reply.data()), 8);
  EXPECT_EQ(usb.written, "*IDN?\r");
  EXPECT_EQ(UsbCallsBut("write"), (Texts{"read 0 1", "read 1 8"}));
  EXPECT_EQ(Bytes(reply.data(), 300), "QX,DSO,1" + std::string(248, '\0') + std::string(44, '\xAA'));
}

TEST_F(Transport, UsbQueryFailures) {
  UseUsb();
  std::vector<BYTE> reply(256, 0xAA);
  usb.replies = {""};  // length byte 0
  EXPECT_EQ(ReadCommand("*IDN?", reply.data()), 0);
  EXPECT_EQ(reply, std::vector<BYTE>(256, 0));
  usb.readOk = false;
  EXPECT_EQ(ReadCommand("*IDN?", reply.data()), 0);
  EXPECT_FALSE(ReadSerial(reply.data()));
  usb.calls.clear();
  usb.acceptBytes = 0;
  EXPECT_EQ(ReadCommand("*IDN?", reply.data()), 0);
  EXPECT_EQ(UsbCallsBut("write"), Texts{});
}

// A query goes out even when not connected; only the drain of stale replies is skipped.
TEST_F(Transport, LanQueryDrainsStaleRepliesOnlyWhenConnected) {
  for (BYTE connected : {1, 0}) {
    setup.Connected = connected;
    socket.sent.clear();
    socket.Deliver(LanReply("old"));
    socket.Reply(LanReply("new"));
    BYTE reply[256] = {};
    EXPECT_EQ(ReadCommand(":INFO:FPGA?", reply), 3);
    EXPECT_EQ(Bytes(reply, 3), connected ? "new" : "old");
    EXPECT_EQ(socket.sent, Texts{LanLine(":INFO:FPGA?")});
    socket.inbox.clear();
    socket.replies.clear();
  }
}

TEST_F(Transport, LanReplyFramingAndBounds) {
  const std::string longer(300, 'x');
  const struct {
    const char* name;
    std::string inbound;
    int piece, gaps, result;
    std::string stored, left;
    long waits;  // 10 ms waits, -1 unchecked
  } rows[] = {
      {"whole", LanReply("QX,1"), 0, 0, 4, "QX,1", "", 0},
      {"zero length", LanReply(""), 0, 0, 4, "", "", 0},
      {"negative length", LanReply(nullptr, -5) + "abc", 0, 0, 4, "", "abc", 0},
      {"longer than the buffer", LanReply(longer), 0, 0, 256, longer.substr(0, 256), longer.substr(256), 0},
      {"more than announced", LanReply("ab") + "zz", 0, 0, 2, "ab", "zz", 0},
      {"silent", "", 0, 0, -1, "", "", 300},
      {"prefix cut short", LanReply("abc").substr(0, 2), 0, 0, -1, "", "", 300},
      {"payload cut short", LanReply("abcdefghij").substr(0, 7), 0, 0, 3, "abc", "", 300},
      {"1-byte pieces with gaps", LanReply("QX,1"), 1, 2, 4, "QX,1", "", -1},
      {"each piece restarts the wait", LanReply("QX,1"), 1, 200, 4, "QX,1", "", -1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Sleeps().clear();
    socket.inbox.clear();
    socket.pieceBytes = row.piece;
    socket.gapsBetweenPieces = row.gaps;
    socket.Reply(row.inbound);
    std::vector<BYTE> reply(1024, 0xAA);
    EXPECT_EQ(ReadCommand("*IDN?", reply.data()), row.result);
    EXPECT_EQ(Bytes(reply.data(), 1024), row.stored + std::string(1024 - row.stored.size(), '\xAA'));
    EXPECT_EQ(socket.inbox, row.left);
    if (row.waits >= 0) {
      EXPECT_EQ(TenMsWaits(), row.waits);
    }
  }
}

TEST_F(Transport, ZeroLengthReadsNoPayload) {
  socket.Reply(LanReply(""));
  BYTE reply[256];
  EXPECT_EQ(ReadCommand("*IDN?", reply), 4);
  EXPECT_EQ(socket.receiveCalls, 2);  // the drain's and the prefix's
}

TEST_F(Transport, RestOfALongReplyIsDrainedBeforeTheNextQuery) {
  socket.Reply(LanReply(std::string(300, 'x')));
  socket.Reply(LanReply("next"));
  BYTE reply[256];
  EXPECT_EQ(ReadCommand("*IDN?", reply), 256);
  EXPECT_EQ(qx::Link.ReplyLength, 300);
  EXPECT_EQ(ReadCommand("*IDN?", reply), 4);
  EXPECT_EQ(Bytes(reply, 4), "next");
  EXPECT_TRUE(socket.inbox.empty());
}

TEST_F(Transport, SetupReadStoresAtMostTheBlockItNames) {
  const struct {
    const char* query;
    int sent, stored;
  } rows[] = {{":SETUP:DSO?", 800, 780}, {":SETUP:LA?", 300, 260}, {":SETUP:ALT?", 400, 396},
              {":SETUP?", 300, 256},     {"*IDN?", 300, 256},      {":SETUP:LA?", 100, 100}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.query);
    socket.inbox.clear();
    socket.Reply(LanReply(std::string(row.sent, 'b')));
    std::vector<BYTE> block(1024, 0);
    EXPECT_EQ(ReadSetup(row.query, block.data()), row.stored);
    EXPECT_EQ(std::count(block.begin(), block.end(), 'b'), row.stored);
    EXPECT_EQ(socket.inbox.size(), static_cast<std::size_t>(row.sent - row.stored));
  }
}

// An instrument that never stops talking: the drain gives up after its bound.
TEST_F(Transport, DrainOfAnEndlessTalkerIsBounded) {
  struct Talker : CWinSocket {
    int Send(const char*, int length) override { return length; }
    int Receive(char* buffer, int length) override {
      drains += length == qx::kDrainBufferBytes;
      buffer[0] = 0;
      return 1;
    }
    int drains = 0;
  } talker;
  QxMsgInit(&main, &setup, &rgn, &pos, &talker);
  BYTE reply[256];
  EXPECT_EQ(ReadCommand("*IDN?", reply), 4);  // a zero prefix
  EXPECT_EQ(talker.drains, 1 + qx::kReplyWaitTries);
}

TEST_F(Transport, IdentityAndFirmwareQueries) {
  BYTE reply[256];
  socket.Reply(LanReply("QX,DSO"));
  EXPECT_TRUE(ReadSerial(reply));
  socket.Reply(LanReply("1.07"));
  EXPECT_TRUE(ReadFPGAVersion(reply));
  EXPECT_EQ(Bytes(reply, 4), "1.07");
  EXPECT_EQ(socket.SentTexts(), (Texts{"*IDN?", ":INFO:FPGA?"}));
}

// --- Over a real TCP socket, against a scripted peer on the loopback ------

bool ReadExactly(int fd, std::string& into, std::size_t n) {
  while (n > 0) {
    pollfd p{fd, POLLIN, 0};
    char buf[64];
    if (::poll(&p, 1, 2000) != 1) return false;
    const ssize_t got = ::recv(fd, buf, std::min(n, sizeof buf), 0);
    if (got <= 0) return false;
    into.append(buf, static_cast<std::size_t>(got));
    n -= static_cast<std::size_t>(got);
  }
  return true;
}

void WriteAll(int fd, const std::string& bytes) {
  ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
}

// The 10 ms reply waits really wait a little, so the peer thread gets to answer;
// the pacing pauses are only recorded.
void ShortWait(DWORD ms) {
  qxtest::RecordSleep(ms);
  if (ms == qx::kReplyWaitStepMs) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

TEST_F(Transport, RealSocketFramingAndLengthPrefix) {
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len), 0);

  std::string received;
  std::thread peer([&] {
    pollfd p{listener, POLLIN, 0};
    if (::poll(&p, 1, 2000) != 1) return;
    const int fd = ::accept(listener, nullptr, nullptr);
    if (fd < 0) return;
    if (ReadExactly(fd, received, 6) && ReadExactly(fd, received, 7)) {
      const std::string reply = LanReply("QX,DSO,1");
      WriteAll(fd, reply.substr(0, 2));  // the prefix in two pieces
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      WriteAll(fd, reply.substr(2));
    }
    ::close(fd);
  });

  QxTcpSocket tcp;
  const bool connected = tcp.Connect("127.0.0.1", ntohs(addr.sin_port), 1000);
  BYTE reply[256] = {};
  if (connected) {
    QxMsgInit(&main, &setup, &rgn, &pos, &tcp);
    QxSetSleepHook(&ShortWait);
    EXPECT_EQ(WriteCommand(":RUN"), 6);
    EXPECT_EQ(ReadCommand("*IDN?", reply), 8);
  }
  peer.join();
  ::close(listener);
  ASSERT_TRUE(connected);
  EXPECT_EQ(received, std::string(":RUN\r\0*IDN?\r\0", 13));
  EXPECT_EQ(Bytes(reply, 8), "QX,DSO,1");
  EXPECT_EQ(qx::Link.ReplyLength, 8);
  EXPECT_EQ(std::vector<DWORD>(Sleeps().begin(), Sleeps().begin() + 2), (std::vector<DWORD>{100, 100}));
}

}  // namespace
