// QxTcpSocket against a loopback peer run by the test: pieces, silence, a
// peer that closes, a port where nothing listens, a large send.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <semaphore>
#include <string>
#include <thread>
#include <vector>

#include "QxPlatform.h"
#include "support/loopback_peer.h"

namespace {

using qxtest::BoundSocket;
using qxtest::Peer;

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
constexpr auto kBound = std::chrono::seconds(2);  // no step of a test waits longer

// Receive until `count` bytes arrived or the bound passed; every call must return at once.
std::string ReceiveSome(QxTcpSocket& s, std::size_t count) {
  std::string got;
  const auto end = Clock::now() + kBound;
  while (got.size() < count && Clock::now() < end) {
    char buffer[4];
    const auto start = Clock::now();
    const int n = s.Receive(buffer, sizeof buffer);
    EXPECT_LT(Clock::now() - start, milliseconds(100)) << "Receive blocked";
    EXPECT_NE(n, 0);
    if (n > 0)
      got.append(buffer, static_cast<std::size_t>(n));
    else
      std::this_thread::sleep_for(milliseconds(1));
  }
  return got;
}

TEST(TcpSocket, PiecesAllArriveAndReceiveNeverBlocks) {
  const std::vector<std::string> pieces = {"ab", "cdefghi", "j", "klmnopqrstuvwxyz"};
  std::counting_semaphore<> next(0);
  Peer peer([&](int fd) {
    for (const std::string& p : pieces) {
      EXPECT_EQ(::send(fd, p.data(), p.size(), MSG_NOSIGNAL), static_cast<ssize_t>(p.size()));
      if (!next.try_acquire_for(kBound)) return;
    }
  });
  QxTcpSocket s;
  ASSERT_TRUE(s.Connect("127.0.0.1", peer.port(), 1000));
  EXPECT_TRUE(s.IsConnected());
  std::string all;
  for (const std::string& p : pieces) {
    all += ReceiveSome(s, p.size());  // a 4-byte buffer: longer pieces come in several reads
    const auto start = Clock::now();
    char c;
    EXPECT_EQ(s.Receive(&c, 1), -1);  // nothing more until the peer's next piece
    EXPECT_LT(Clock::now() - start, milliseconds(100));
    next.release();
  }
  EXPECT_EQ(all, "abcdefghijklmnopqrstuvwxyz");
}

TEST(TcpSocket, SilentPeerReadsAsMinusOneAndZeroBytesAsZero) {
  CWinSocket none;  // the default socket has no link
  char buffer[16];
  EXPECT_EQ(none.Send("x", 1), -1);
  EXPECT_EQ(none.Receive(buffer, 4), -1);
  EXPECT_EQ(none.Receive(buffer, 0), 0);
  std::binary_semaphore done(0);
  Peer peer([&](int) { (void)done.try_acquire_for(kBound); });
  QxTcpSocket s;
  EXPECT_EQ(s.Receive(buffer, 16), -1);  // not connected
  ASSERT_TRUE(s.Connect("127.0.0.1", peer.port(), 1000));
  const auto start = Clock::now();
  EXPECT_EQ(s.Receive(buffer, 16), -1);
  EXPECT_LT(Clock::now() - start, milliseconds(100));
  EXPECT_EQ(s.Receive(buffer, 0), 0);
  EXPECT_EQ(s.Receive(buffer, -1), -1);
  EXPECT_EQ(s.Receive(nullptr, 16), -1);
  done.release();
}

TEST(TcpSocket, ClosedPeerNeverReadsAsZeroAndSendReturnsZeroWithoutSigpipe) {
  auto* previous = ::signal(SIGPIPE, SIG_DFL);  // a SIGPIPE would end the test binary
  Peer peer;                                    // accepts and closes at once
  QxTcpSocket s;
  ASSERT_TRUE(s.Connect("127.0.0.1", peer.port(), 1000));
  peer.Join();
  char buffer[16];
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(s.Receive(buffer, sizeof buffer), -1);
    std::this_thread::sleep_for(milliseconds(1));
  }
  // The close was seen: nothing goes out, at once, and the link says so.
  EXPECT_FALSE(s.IsConnected());
  const auto start = Clock::now();
  EXPECT_EQ(s.Send("x", 1), 0);
  EXPECT_LT(Clock::now() - start, milliseconds(100));
  Peer again;  // a close that no receive has seen yet
  ASSERT_TRUE(s.Connect("127.0.0.1", again.port(), 1000));
  EXPECT_TRUE(s.IsConnected());
  again.Join();
  std::this_thread::sleep_for(milliseconds(20));
  EXPECT_EQ(s.Send("x", 1), 0);
  s.Close();
  EXPECT_FALSE(s.IsConnected());
  EXPECT_EQ(s.Send("x", 1), -1);
  ::signal(SIGPIPE, previous);
}

TEST(TcpSocket, RefusedConnectFailsWellWithinTheTimeout) {
  unsigned short port = 0;
  const int bound = BoundSocket(port);  // taken, but never listening
  QxTcpSocket s;
  const auto start = Clock::now();
  EXPECT_FALSE(s.Connect("127.0.0.1", port, 3000));
  EXPECT_LT(Clock::now() - start, milliseconds(1000));
  EXPECT_FALSE(s.IsConnected());
  EXPECT_FALSE(s.Connect(nullptr, 1, 100));
  ::close(bound);
}

TEST(TcpSocket, LargeSendToASlowReaderDeliversEveryByte) {
  std::string data(4 << 20, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 % 251);
  std::string received;
  Peer peer([&](int fd) {
    std::this_thread::sleep_for(milliseconds(5));  // let the sender fill the window first
    char buffer[16384];
    for (int reads = 1;; ++reads) {
      const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) return;
      received.append(buffer, static_cast<std::size_t>(n));
      if (reads % 32 == 0) std::this_thread::sleep_for(milliseconds(1));
    }
  });
  QxTcpSocket s;
  ASSERT_TRUE(s.Connect("127.0.0.1", peer.port(), 1000));
  EXPECT_EQ(s.Send(data.data(), static_cast<int>(data.size())), static_cast<int>(data.size()));
  EXPECT_EQ(s.Send(data.data(), 0), 0);
  s.Close();
  peer.Join();
  EXPECT_TRUE(received == data) << received.size() << " of " << data.size() << " bytes";
}

}  // namespace
