// The command transport against the scripted socket and USB panel: line bytes
// and pacing, the second ":STOP", the read-back and its failures, USB block
// transfers, and LAN replies that lie, stop short or never end.
#include <algorithm>
#include <cstring>
#include <tuple>

#include "frame/state.h"
#include "link/link_state.h"
#include "support/fakes.h"

namespace {

using qxtest::LanLine;
using qxtest::LanReply;
using qxtest::Sleeps;
using Texts = std::vector<std::string>;

const Texts kUsbReadBack = {"request 6 0 0",  "block-read 780", "request 12 0 0",
                            "block-read 260", "request 13 0 0", "block-read 396"};
BYTE* const kCopies[] = {qx::Link.FwDsoSetup.Bytes, qx::Link.FwLaSetup.Bytes, qx::Link.FwAltSetup.Bytes};
constexpr int kCopySizes[] = {780, 260, 396};

std::string Bytes(const BYTE* p, int n) { return std::string(reinterpret_cast<const char*>(p), n); }

class Transport : public qxtest::LibraryTest {
 protected:
  void Fresh() {  // forget what moved so far
    socket.sent.clear();
    socket.inbox.clear();
    socket.replies.clear();
    socket.receiveCalls = socket.pieceBytes = socket.gapsBetweenPieces = 0;
    usb.calls.clear();
    usb.written.clear();
    Sleeps().clear();
    qx::Link.OutOfStep = false;
  }
  Texts UsbTransfers() const {  // every USB call but the byte writes
    Texts out;
    for (const std::string& c : usb.calls)
      if (c.rfind("write", 0) != 0) out.push_back(c);
    return out;
  }
  void Send(const char* text, bool readBack) {
    CString cmd(text);
    SendCommand(&cmd, qx::Command.ReplyBuffer, readBack);
  }
};

// The pause follows every line, by exact text, whatever the socket made of it.
TEST_F(Transport, LanLineIsTextCrNulThenThePause) {
  // text, Send's result (-2: all of it), pause
  const std::tuple<const char*, int, DWORD> rows[] = {
      {":RUN", -2, 100},   {":AUTO", -2, 10000}, {":AUTOSCALE", -2, 100},
      {":AUTO?", -2, 100}, {":STOP", -2, 200},   {":STOPX", -2, 100},
      {"", -2, 100},       {":STOP", -1, 200},   {":STOP", 0, 200}};
  for (const auto& [text, sendResult, ms] : rows) {
    SCOPED_TRACE(testing::Message() << text << " " << sendResult);
    Fresh();
    socket.sendResult = sendResult;
    EXPECT_EQ(WriteCommand(text), sendResult == -2 ? static_cast<int>(std::strlen(text)) + 2 : sendResult);
    EXPECT_EQ(socket.sent, Texts{text + std::string("\r\0", 2)});
    EXPECT_EQ(Sleeps(), std::vector<DWORD>{ms});
  }
}

TEST_F(Transport, UsbLineGoesByteByByteAndStopsAtTheFirstRefusal) {
  UseUsb();
  for (const auto& [accept, result, calls] : {std::tuple{-1, 6, 6u}, {3, 3, 4u}, {0, 0, 1u}}) {
    SCOPED_TRACE(accept);
    Fresh();
    usb.acceptBytes = accept;
    EXPECT_EQ(WriteCommand(":STOP"), result);
    EXPECT_EQ(usb.calls.size(), calls);
    EXPECT_EQ(usb.written, std::string(":STOP\r").substr(0, result));
    EXPECT_TRUE(socket.sent.empty() && Sleeps().empty());
  }
}

// Not connected, nothing touches a link; yet SendCommand goes on past the
// refused write (-1) to the USB read-back.
TEST_F(Transport, NotConnectedWriteAndSetupReadTouchNoLink) {
  setup.Connected = 0;
  BYTE block[780];
  for (UINT link : {1u, 0u}) {
    setup.InterfaceType = link;
    EXPECT_EQ(WriteCommand(":RUN"), -1);
    EXPECT_EQ(ReadSetup(":SETUP:DSO?", block), -1);
    Send(":RUN", false);
  }
  EXPECT_TRUE(socket.sent.empty() && usb.calls.empty() && Sleeps().empty());
  Send(":RUN", true);
  EXPECT_EQ(usb.calls, kUsbReadBack);
}

// The operation-complete hook fetches nothing: only the command's own lines move.
TEST_F(Transport, StopIsSentTwiceWhileRollingAndNothingFollowsAWriteOfNothing) {
  // roll, time format, text, lines
  const std::tuple<BYTE, int, const char*, std::size_t> rows[] = {{0, 0, ":STOP", 1}, {1, 0, ":STOP", 2},
                                                                  {0, 2, ":STOP", 2}, {0, 1, ":STOP", 1},
                                                                  {1, 2, ":RUN", 1},  {1, 2, ":STOP?", 1}};
  for (const auto& [rollOn, timeFormat, text, lines] : rows) {
    SCOPED_TRACE(testing::Message() << +rollOn << " " << timeFormat << " " << text);
    Fresh();
    setup.RollOn = rollOn;
    setup.TimeFormat = timeFormat;
    Send(text, false);
    EXPECT_EQ(socket.SentTexts(), Texts(lines, text));
    EXPECT_EQ(socket.receiveCalls, 0);
  }
  EXPECT_EQ(ReadCmdOPC(), 0);
  Fresh();
  socket.sendResult = 0;
  Send(":STOP", true);
  EXPECT_EQ(socket.SentTexts(), Texts{":STOP"});
  UseUsb();
  Send(":STOP", false);
  EXPECT_EQ(usb.written, ":STOP\r:STOP\r");
}

TEST_F(Transport, LanReadBackFillsTheCopiesInOrder) {
  for (int size : kCopySizes) socket.Reply(LanReply(std::string(size, static_cast<char>(size & 0xFF))));
  Send(":CHANNEL1:SCALE 0.500000", true);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(Bytes(kCopies[i], kCopySizes[i]),
              std::string(kCopySizes[i], static_cast<char>(kCopySizes[i] & 0xFF)));
  EXPECT_TRUE(qx::LastReadBackWhole());
  socket.sendResult = 0;  // a write that cannot go out: no read-back, not whole
  ScriptReadBack();
  Send(":RUN", true);
  EXPECT_FALSE(qx::LastReadBackWhole());
  Fresh();
  socket.sendResult = -2;
  // An LA reply of the wrong length is refused: that copy keeps its bytes and
  // the read-back is not whole.
  socket.Reply(LanReply(std::string(780, 'd')));
  socket.Reply(LanReply(std::string(396, 'l')));
  socket.Reply(LanReply(std::string(396, 'a')));
  Send(":RUN", true);
  EXPECT_EQ(Bytes(kCopies[1], 260), std::string(260, 260 & 0xFF));
  EXPECT_EQ(Bytes(kCopies[2], 396), std::string(396, 'a'));
  const QxLinkHealth health = QxGetLinkHealth();
  EXPECT_EQ(std::vector<int>(health.ReadBack, health.ReadBack + 3),
            (std::vector<int>{QX_BLOCK_WHOLE, QX_BLOCK_FAILED, QX_BLOCK_WHOLE}));
  EXPECT_EQ(health.RefusedReplies, 1u);
  EXPECT_FALSE(qx::LastReadBackWhole());
}

// The block copies after the first failure keep what they held.
TEST_F(Transport, UsbReadBackStopsAtTheFirstFailure) {
  UseUsb();
  // failing request, failing block, blocks read, calls
  const std::tuple<int, int, int, long> rows[] = {
      {0, 0, 3, 6}, {6, 0, 0, 1}, {0, 780, 0, 2}, {12, 0, 1, 3}, {0, 396, 2, 6}};
  for (const auto& [failCode, failSize, filled, calls] : rows) {
    SCOPED_TRACE(testing::Message() << failCode << " " << failSize);
    Fresh();
    for (int i = 0; i < 3; ++i) std::memset(kCopies[i], 0xEE, kCopySizes[i]);
    usb.requestResult = [&](int code) { return code == failCode ? 0 : 1; };
    // A failing read that scribbles first leaves the copy as it was all the same.
    usb.blockRead = [&](int size, BYTE* b) { return std::memset(b, 0x5A, size) && size != failSize; };
    Send(":RUN", true);
    EXPECT_EQ(UsbTransfers(), Texts(kUsbReadBack.begin(), kUsbReadBack.begin() + calls));
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(Bytes(kCopies[i], kCopySizes[i]), std::string(kCopySizes[i], i < filled ? 0x5A : '\xEE'))
          << i;
    const QxLinkHealth health = QxGetLinkHealth();
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(health.ReadBack[i], i < filled    ? QX_BLOCK_WHOLE
                                    : i == filled ? QX_BLOCK_FAILED
                                                  : QX_BLOCK_NOT_READ);
    EXPECT_EQ(qx::LastReadBackWhole(), filled == 3);
  }
  usb.requestResult = [](int) { return 2; };  // only exactly 1 is success
  EXPECT_FALSE(qx::UsbBlockRead(260, qx::Link.FwLaSetup.Bytes, 12));
}

TEST_F(Transport, UsbBlockWriteAnnouncesTheSizeAndNeedsExactlyOneAtTheEnd) {
  UseUsb();
  const BYTE block[780] = {1, 2, 3};
  // announce's result, block ok, final's result, result, calls
  const std::tuple<int, bool, int, int, long> rows[] = {
      {1, true, 1, 1, 3}, {0, true, 1, 0, 1}, {1, false, 1, 0, 2}, {1, true, 2, 0, 3}, {1, true, 0, 0, 3}};
  const Texts all = {"request 2 780 0", "block-write 780", "request 14 0 0"};
  for (const auto& [announce, blockOk, final, result, calls] : rows) {
    SCOPED_TRACE(testing::Message() << announce << " " << blockOk << " " << final);
    Fresh();
    usb.requestResult = [&](int code) { return code == 2 ? announce : final; };
    usb.blockWriteOk = blockOk;
    EXPECT_EQ(qx::UsbBlockWrite(block, 780, 14), result);
    EXPECT_EQ(usb.calls, Texts(all.begin(), all.begin() + calls));
  }
  Fresh();
  const std::vector<BYTE> big(0x12345);
  usb.requestResult = [](int) { return 1; };
  EXPECT_EQ(qx::UsbBlockWrite(big.data(), 0x12345, 15), 1);
  EXPECT_EQ(usb.calls.front(), "request 2 9029 1");  // 0x2345, 0x1
}

// The USB query does not look at Connected; it zeroes the reply area before the payload.
TEST_F(Transport, UsbQueryAndItsFailures) {
  UseUsb();
  setup.Connected = 0;
  usb.replies = {"QX,DSO,1", ""};
  std::vector<BYTE> reply(300, 0xAA);
  EXPECT_EQ(ReadCommand("*IDN?", reply.data()), 8);
  EXPECT_EQ(usb.written, "*IDN?\r");
  EXPECT_EQ(UsbTransfers(), (Texts{"read 0 1", "read 1 8"}));
  EXPECT_EQ(Bytes(reply.data(), 300), "QX,DSO,1" + std::string(248, '\0') + std::string(44, '\xAA'));
  EXPECT_EQ(ReadCommand("*IDN?", reply.data()), 0);  // length byte 0
  EXPECT_EQ(Bytes(reply.data(), 300), std::string(256, '\0') + std::string(44, '\xAA'));
  usb.readOk = false;
  EXPECT_EQ(ReadCommand("*IDN?", reply.data()), 0);
  EXPECT_FALSE(ReadSerial(reply.data()));
  Fresh();
  usb.acceptBytes = 0;
  EXPECT_EQ(ReadCommand("*IDN?", reply.data()), 0);
  EXPECT_EQ(UsbTransfers(), Texts{});
}

// A query goes out even when not connected; only the drain of stale replies is skipped.
TEST_F(Transport, LanQueryDrainsStaleRepliesOnlyWhenConnected) {
  BYTE reply[256] = {};
  for (BYTE connected : {1, 0}) {
    Fresh();
    setup.Connected = connected;
    socket.inbox = LanReply("old");
    socket.replies = {LanReply("new")};
    EXPECT_TRUE(ReadFPGAVersion(reply));
    EXPECT_EQ(Bytes(reply, 3), connected ? "new" : "old");
    EXPECT_EQ(socket.sent, Texts{LanLine(":INFO:FPGA?")});
  }
}

TEST_F(Transport, LanReplyFramingAndBounds) {
  const std::string x300(300, 'x');
  const struct {
    const char* name;
    std::string inbound;
    int piece, gaps, result;
    std::string stored, left;
    long waits;    // 10 ms waits, -1 unchecked
    int receives;  // Receive calls, -1 unchecked
  } rows[] = {
      {"whole", LanReply("QX,1"), 0, 0, 4, "QX,1", "", 0, 3},
      {"zero length reads no payload", LanReply(""), 0, 0, 4, "", "", 0, 2},
      {"negative length", LanReply(nullptr, -5) + "abc", 0, 0, 4, "", "abc", 0, 2},
      {"longer than the buffer", LanReply(x300), 0, 0, 256, x300.substr(0, 256), x300.substr(256), 0, 3},
      {"more than announced", LanReply("ab") + "zz", 0, 0, 2, "ab", "zz", 0, 3},
      {"silent", "", 0, 0, -1, "", "", 300, -1},
      {"prefix cut short", LanReply("abc").substr(0, 2), 0, 0, -1, "", "", 300, -1},
      {"payload cut short", LanReply("abcdefghij").substr(0, 7), 0, 0, 3, "abc", "", 300, -1},
      {"1-byte pieces with gaps", LanReply("QX,1"), 1, 2, 4, "QX,1", "", -1, -1},
      {"zero length in pieces: the last piece's count", LanReply(""), 3, 0, 1, "", "", 1, 3},
      {"3 s is the bound of the whole reply", LanReply("QX,1"), 1, 200, -1, "", LanReply("QX,1").substr(2),
       300, -1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Fresh();
    socket.pieceBytes = row.piece;
    socket.gapsBetweenPieces = row.gaps;
    socket.Reply(row.inbound);
    std::vector<BYTE> reply(1024, 0xAA);
    EXPECT_EQ(ReadCommand("*IDN?", reply.data()), row.result);
    EXPECT_EQ(Bytes(reply.data(), 1024), row.stored + std::string(1024 - row.stored.size(), '\xAA'));
    EXPECT_EQ(socket.inbox, row.left);
    EXPECT_EQ(row.waits < 0 ? -1 : std::count(Sleeps().begin(), Sleeps().end(), DWORD{10}), row.waits);
    EXPECT_EQ(row.receives < 0 ? -1 : socket.receiveCalls, row.receives);
  }
  // The rest of a long reply is drained before the next query.
  Fresh();
  socket.Reply(LanReply(x300));
  socket.Reply(LanReply("next"));
  BYTE reply[256];
  EXPECT_EQ(ReadCommand("*IDN?", reply), 256);
  EXPECT_EQ(qx::Link.ReplyLength, 300);
  EXPECT_EQ(ReadCommand("*IDN?", reply), 4);
  EXPECT_EQ(Bytes(reply, 4), "next");
  EXPECT_TRUE(socket.inbox.empty());
}

// Setup blocks travel over the socket even on USB, and are taken only whole:
// the announced length the block's size and all of it within the bound.
TEST_F(Transport, SetupBlocksAreTakenOnlyWhole) {
  UseUsb();
  // query, length announced, bytes sent, result, bytes stored, refused, short
  const std::tuple<const char*, int, int, int, int, int, int> rows[] = {
      {":SETUP:DSO?", 780, 780, 780, 780, 0, 0}, {":SETUP:DSO?", 800, 800, 0, 0, 1, 0},
      {":SETUP:LA?", 100, 100, 0, 0, 1, 0},      {":SETUP:ALT?", 396, 300, 0, 0, 0, 1},
      {":SETUP:LA?", -4, 0, 0, 0, 1, 0},         {":SETUP?", 300, 300, 256, 256, 0, 0}};
  for (const auto& [query, announced, sent, result, stored, refused, shortened] : rows) {
    SCOPED_TRACE(testing::Message() << query << " " << announced);
    Fresh();
    qx::Link.Health = {};
    socket.Reply(LanReply(nullptr, announced) + std::string(sent, 'b'));
    std::vector<BYTE> block(1024, 0);
    EXPECT_EQ(ReadSetup(query, block.data()), result);
    EXPECT_EQ(std::count(block.begin(), block.end(), 'b'), stored);
    EXPECT_EQ(socket.sent, Texts{LanLine(query)});
    EXPECT_TRUE(usb.calls.empty());
    const QxLinkHealth health = QxGetLinkHealth();
    EXPECT_EQ(health.RefusedReplies, static_cast<DWORD>(refused));
    EXPECT_EQ(health.ShortReplies, static_cast<DWORD>(shortened));
    // What was not taken is drained, until quiet, before the next query.
    EXPECT_EQ(qx::Link.OutOfStep, refused + shortened > 0 || sent > stored);
    socket.Reply(LanReply("next"));
    EXPECT_EQ(ReadSetup(":SETUP?", block.data()), 4);
    EXPECT_EQ(std::string(block.begin(), block.begin() + 4), "next");
  }
}

// A line that cannot go out (the peer has closed) waits for no reply.
TEST_F(Transport, QueryWhoseLineCannotGoOutWaitsForNothing) {
  socket.sendResult = 0;
  BYTE reply[256];
  for (const char* query : {"*IDN?", ":SETUP:DSO?"}) {
    Fresh();
    socket.Reply(LanReply("late"));
    EXPECT_EQ(query[1] == 'S' ? ReadSetup(query, reply) : ReadCommand(query, reply), 0);
    EXPECT_EQ(socket.receiveCalls, 1);  // the drain's look for stale bytes
    EXPECT_EQ(Sleeps(), std::vector<DWORD>{100});
  }
  EXPECT_EQ(QxGetLinkHealth().FailedSends, 2u);
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
  EXPECT_EQ(ReadCommand("*IDN?", reply), 1);  // a zero prefix; its last piece was one byte
  EXPECT_EQ(talker.drains, 1 + qx::kReplyWaitTries);
}

}  // namespace
