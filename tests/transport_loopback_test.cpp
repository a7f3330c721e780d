// The LAN path once more over a real TCP socket: the exact bytes of a command
// and a query, and a reply whose length prefix arrives in two pieces.
#include <poll.h>

#include <chrono>
#include <string>
#include <thread>

#include "frame/state.h"
#include "link/link_state.h"
#include "support/fakes.h"
#include "support/loopback_peer.h"

namespace {

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

void WriteAll(int fd, const std::string& bytes) { ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

// The 10 ms reply waits really wait a little, so the peer thread gets to
// answer; the pacing pauses are only recorded.
void ShortWait(DWORD ms) {
  qxtest::RecordSleep(ms);
  if (ms == qx::kReplyWaitStepMs) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

class TransportLoopback : public qxtest::LibraryTest {};

TEST_F(TransportLoopback, FramingAndLengthPrefixOnARealSocket) {
  std::string received;
  qxtest::Peer peer([&](int fd) {
    if (!ReadExactly(fd, received, 6) || !ReadExactly(fd, received, 7)) return;
    const std::string reply = qxtest::LanReply("QX,DSO,1");
    WriteAll(fd, reply.substr(0, 2));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    WriteAll(fd, reply.substr(2));
  });
  QxTcpSocket tcp;
  ASSERT_TRUE(tcp.Connect("127.0.0.1", peer.port(), 1000));
  QxMsgInit(&main, &setup, &rgn, &pos, &tcp);
  QxSetSleepHook(&ShortWait);
  BYTE reply[256] = {};
  EXPECT_EQ(WriteCommand(":RUN"), 6);
  EXPECT_EQ(ReadCommand("*IDN?", reply), 8);
  peer.Join();
  EXPECT_EQ(received, std::string(":RUN\r\0*IDN?\r\0", 13));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(reply)), "QX,DSO,1");
  EXPECT_EQ(qx::Link.ReplyLength, 8);
  ASSERT_GE(qxtest::Sleeps().size(), 2u);
  EXPECT_EQ(qxtest::Sleeps()[0], 100u);
  EXPECT_EQ(qxtest::Sleeps()[1], 100u);
}

}  // namespace
