// The simulated instrument's LAN server over loopback TCP: framing of lines
// and replies, lines sent in pieces, bad input followed by good, clients that
// come, leave early or stop reading, the client limit, and each fault.
#if QX_HAVE_SIM
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "QxPlatform.h"
#include "le_bytes.h"
#include "sim/instrument.h"
#include "sim/server.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::string_literals;

// Reads exactly n bytes, or what came within the time bound.
std::string ReadBytes(QxTcpSocket& s, std::size_t n, int timeoutMs = 2000) {
  std::string out;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  char buffer[4096];
  while (out.size() < n && Clock::now() < deadline) {
    const int got = s.Receive(buffer, static_cast<int>(std::min(sizeof buffer, n - out.size())));
    if (got > 0)
      out.append(buffer, static_cast<std::size_t>(got));
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return out;
}

void Send(QxTcpSocket& s, const std::string& bytes) {
  ASSERT_EQ(s.Send(bytes.data(), static_cast<int>(bytes.size())), static_cast<int>(bytes.size()));
}

// The announced length of the next reply (-999 when none came).
std::int32_t ReadPrefix(QxTcpSocket& s) {
  const std::string four = ReadBytes(s, 4);
  return four.size() == 4 ? qx::LoadI32(reinterpret_cast<const std::uint8_t*>(four.data())) : -999;
}

std::string ReadReply(QxTcpSocket& s) {
  const std::int32_t n = ReadPrefix(s);
  return n >= 0 ? ReadBytes(s, static_cast<std::size_t>(n)) : "<no reply>";
}

// One line as the library sends it, and its reply.
std::string Query(QxTcpSocket& s, const std::string& text) {
  Send(s, text + "\r\0"s);
  return ReadReply(s);
}

class SimServerTest : public ::testing::Test {
 protected:
  void SetUp() override { Start({}); }
  void TearDown() override { server_->Stop(); }
  void Start(qxsim::ServerOptions options, qxsim::Server::TraceSink trace = {}) {
    if (server_) server_->Stop();
    server_ = std::make_unique<qxsim::Server>(instrument_, options);
    server_->SetTrace(std::move(trace));
    port_ = server_->Start("127.0.0.1", 0);
    ASSERT_GT(port_, 0) << server_->LastError();
  }
  std::unique_ptr<QxTcpSocket> Client() {
    auto s = std::make_unique<QxTcpSocket>();
    EXPECT_TRUE(s->Connect("127.0.0.1", static_cast<unsigned short>(port_), 1000));
    return s;
  }
  // Waits until the server has closed `n` connections.
  bool WaitClosed(std::uint64_t n) {
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (server_->Stats().closed < n && Clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return server_->Stats().closed >= n;
  }

  qxsim::Instrument instrument_;
  std::unique_ptr<qxsim::Server> server_;
  int port_ = 0;
  const std::string idn_ = instrument_.Execute("*IDN?").value();
};

TEST_F(SimServerTest, EveryLineInPiecesOfEverySize) {
  const auto s = Client();
  const struct {
    std::string line;
    const char* query;  // nullptr: the line is the query
    std::string reply;
  } cases[] = {{":TIMEBASE:SCALE 0.002000000", ":TIM:SCAL?", "0.002"}, {"*IDN?", nullptr, idn_}};
  for (const auto& c : cases) {
    const std::string bytes = c.line + "\r\0"s;
    for (std::size_t piece = 1; piece <= bytes.size(); ++piece) {
      instrument_.FactoryReset();
      for (std::size_t at = 0; at < bytes.size(); at += piece) Send(*s, bytes.substr(at, piece));
      EXPECT_EQ(c.query ? Query(*s, c.query) : ReadReply(*s), c.reply) << c.line << " in pieces of " << piece;
    }
  }
  EXPECT_EQ(instrument_.GetCounters().errors, 0u);
}

TEST_F(SimServerTest, CommandsGarbageAndOverlongLines) {
  const auto s = Client();
  Send(*s, ":CHANNEL1:SCALE 0.200000\r\0"s);  // a command has no reply
  EXPECT_EQ(ReadBytes(*s, 1, 20), "");
  Send(*s, std::string(5000, 'A') + "\r");
  EXPECT_EQ(Query(*s, "*IDN?"), idn_);
  Send(*s, "\x01\x02\xFF garbage :CHANNEL1:SCALE 5\r");
  EXPECT_EQ(Query(*s, ":CHANNEL1:SCALE?"), "0.2");
  EXPECT_EQ(instrument_.GetCounters().overlong, 1u);
  EXPECT_EQ(instrument_.GetCounters().errors, 2u);
}

// While one client stays connected, the server waits in its recv: clients
// that come meanwhile are served at once, and Stop is not held up.
TEST_F(SimServerTest, ClientsComeAndLeaveEarlyWhileOneStays) {
  const auto stays = Client();
  EXPECT_EQ(Query(*stays, "*IDN?"), idn_);
  Send(*Client(), ":CHANNEL1:SCALE 5");  // leaves mid-line: the half line is never run
  std::string unread;
  for (int i = 0; i < 50; ++i) unread += ":SETUP:DSO?\r\0"s;
  Send(*Client(), unread);  // leaves with replies unread
  ASSERT_TRUE(WaitClosed(2));
  for (int i = 0; i < 5; ++i) {
    const auto begin = Clock::now();
    EXPECT_EQ(Query(*Client(), ":CHANNEL1:SCALE?"), "1") << i;
    EXPECT_LT(Clock::now() - begin, std::chrono::milliseconds(100)) << i;
  }
  EXPECT_EQ(Query(*stays, "*IDN?"), idn_);
  EXPECT_EQ(server_->Stats().accepted, 8u);
  const auto begin = Clock::now();
  server_->Stop();
  EXPECT_LT(Clock::now() - begin, std::chrono::milliseconds(100));
}

// A client that floods queries and never reads is cut off at the output
// bound, and meanwhile never holds up a client that reads, even one that
// comes while the flood has the server to itself.
TEST_F(SimServerTest, ClientThatStopsReadingIsDroppedAndDelaysNoOther) {
  Start({.maxPendingBytes = 256 * 1024});
  const auto s = Client();
  std::string burst;
  for (int i = 0; i < 5000; ++i) burst += ":SETUP:DSO?\r\0"s;
  s->Send(burst.data(), static_cast<int>(burst.size()));
  const auto reader = Client();
  Clock::duration worst{};
  for (int i = 0; i < 40 && server_->Stats().dropped == 0; ++i) {
    s->Send(burst.data(), static_cast<int>(burst.size()));
    const auto begin = Clock::now();
    EXPECT_EQ(Query(*reader, ":CHANNEL1:SCALE?"), "1");
    worst = std::max(worst, Clock::now() - begin);
  }
  ASSERT_TRUE(WaitClosed(1));
  EXPECT_EQ(server_->Stats().dropped, 1u);
  EXPECT_LT(worst, std::chrono::milliseconds(100));
}

// Clients that have gone do not count against the limit; one over it is
// refused with a trace line.
TEST_F(SimServerTest, ClosedPeersAreReapedBeforeTheLimitRefuses) {
  std::vector<std::string> lines;
  std::mutex linesMutex;
  Start({.maxClients = 2}, [&](const std::string& line) {
    std::lock_guard lock(linesMutex);
    lines.push_back(line);
  });
  for (int i = 0; i < 30; ++i) Send(*Client(), "*IDN?\r\0"s);  // each leaves at once
  const auto a = Client(), b = Client();
  EXPECT_EQ(Query(*a, "*IDN?"), idn_);
  EXPECT_EQ(Query(*b, "*IDN?"), idn_);
  const auto c = Client();
  EXPECT_EQ(ReadBytes(*c, 1, 200), "");
  EXPECT_EQ(server_->Stats().refused, 1u);
  server_->Stop();
  EXPECT_EQ(
      std::count_if(lines.begin(), lines.end(),
                    [](const std::string& l) { return l.find("refused 127.0.0.1:") != std::string::npos; }),
      1);
}

TEST_F(SimServerTest, FramingAndFaults) {
  const auto s = Client();
  const auto size = static_cast<std::int32_t>(idn_.size());
  const struct {
    qxsim::Faults faults;
    std::int32_t announced;
    int atLeastMs;
  } rows[] = {{{}, size, 0},  // no fault: the prefix announces the payload
              {{.replyDelayMs = 20}, size, 20},
              {{.pieceBytes = 5, .pieceGapMs = 1}, size, (size + 4) / 5 - 1},
              {{.prefixDelta = 10}, size + 10, 0},  // the payload is sent unchanged
              {{.prefixDelta = -100}, size - 100, 0}};
  for (const auto& row : rows) {
    instrument_.SetFaults(row.faults);
    const auto begin = Clock::now();
    Send(*s, "*IDN?\r\0"s);
    EXPECT_EQ(ReadPrefix(*s), row.announced);
    // Of ten bytes more announced, the ten never come.
    const bool more = row.announced > size;
    EXPECT_EQ(ReadBytes(*s, static_cast<std::size_t>(more ? row.announced : size), more ? 50 : 2000), idn_);
    EXPECT_GE(Clock::now() - begin, std::chrono::milliseconds(row.atLeastMs));
  }

  instrument_.SetFaults({.dropAfter = 3});
  const auto d = Client();
  Send(*d, ":RUN\r\0*IDN?\r\0*IDN?\r\0*IDN?\r\0"s);  // the connection ends after the third line
  EXPECT_EQ(ReadReply(*d) + ReadReply(*d), idn_ + idn_);
  ASSERT_TRUE(WaitClosed(1));
  EXPECT_EQ(ReadBytes(*d, 1, 20), "");
  EXPECT_EQ(server_->Stats().dropped, 1u);
}

}  // namespace
#endif
