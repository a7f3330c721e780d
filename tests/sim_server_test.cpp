// The simulated instrument's LAN server over loopback TCP: framing of lines
// and replies, commands split into pieces, bad input followed by good,
// clients that leave early or stop reading, and each fault.
#if QX_HAVE_SIM
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "QxPlatform.h"
#include "le_bytes.h"
#include "sim/instrument.h"
#include "sim/server.h"

namespace {

using Clock = std::chrono::steady_clock;

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

void SendLine(QxTcpSocket& s, const std::string& text) {
  const std::string bytes = text + std::string("\r\0", 2);
  ASSERT_EQ(s.Send(bytes.data(), static_cast<int>(bytes.size())), static_cast<int>(bytes.size()));
}

std::int32_t Prefix(const std::string& four) {
  return four.size() == 4 ? qx::LoadI32(reinterpret_cast<const std::uint8_t*>(four.data())) : -999;
}

std::string ReadReply(QxTcpSocket& s) {
  const std::int32_t n = Prefix(ReadBytes(s, 4));
  return n >= 0 ? ReadBytes(s, static_cast<std::size_t>(n)) : "<no reply>";
}

std::string Query(QxTcpSocket& s, const std::string& text) {
  SendLine(s, text);
  return ReadReply(s);
}

class SimServerTest : public ::testing::Test {
 protected:
  void SetUp() override { Start({}); }
  void TearDown() override { server_->Stop(); }
  void Start(qxsim::ServerOptions options) {
    if (server_) server_->Stop();
    server_ = std::make_unique<qxsim::Server>(instrument_, options);
    port_ = server_->Start("127.0.0.1", 0);
    ASSERT_GT(port_, 0) << server_->LastError();
  }
  void Connect(QxTcpSocket& s) {
    ASSERT_TRUE(s.Connect("127.0.0.1", static_cast<unsigned short>(port_), 1000));
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
};

TEST_F(SimServerTest, RepliesAreLengthPrefixed) {
  QxTcpSocket s;
  Connect(s);
  SendLine(s, "*IDN?");
  const std::string prefix = ReadBytes(s, 4);
  const std::string idn = instrument_.Execute("*IDN?").value();
  EXPECT_EQ(Prefix(prefix), static_cast<std::int32_t>(idn.size()));
  EXPECT_EQ(ReadBytes(s, idn.size()), idn);
  EXPECT_EQ(Query(s, ":SETUP:DSO?").size(), 780u);
  EXPECT_EQ(Query(s, ":SETUP:LA?").size(), 260u);
  EXPECT_EQ(Query(s, ":SETUP:ALT?").size(), 396u);
  SendLine(s, ":CHANNEL1:SCALE 0.200000");  // a command has no reply
  EXPECT_EQ(ReadBytes(s, 1, 20), "");
  for (const char* terminated : {":chan1:scal?\r", ":CHAN1:SCAL?\n", ":CHANNEL1:SCALE?\r\n"}) {
    ASSERT_GT(s.Send(terminated, static_cast<int>(std::strlen(terminated))), 0);
    EXPECT_EQ(ReadReply(s), "0.2") << terminated;
  }
}

TEST_F(SimServerTest, EveryCommandInPiecesOfEverySize) {
  QxTcpSocket s;
  Connect(s);
  const std::string lines[] = {":TIMEBASE:SCALE 0.002000000", ":TRIGGER:EDGE:LEVEL 0.500000",
                               ":ACQUIRE:AVERAGES 16"};
  const char* checks[] = {":TIM:SCAL?", ":TRIG:EDGE:LEV?", ":ACQ:AVER?"};
  const char* expected[] = {"0.002", "0.5", "16"};
  for (int i = 0; i < 3; ++i) {
    const std::string bytes = lines[i] + std::string("\r\0", 2);
    for (std::size_t piece = 1; piece <= bytes.size(); ++piece) {
      instrument_.FactoryReset();
      for (std::size_t at = 0; at < bytes.size(); at += piece) {
        const std::string part = bytes.substr(at, piece);
        ASSERT_EQ(s.Send(part.data(), static_cast<int>(part.size())), static_cast<int>(part.size()));
      }
      EXPECT_EQ(Query(s, checks[i]), expected[i]) << lines[i] << " in pieces of " << piece;
    }
  }
  const std::string query = std::string("*IDN?\r\0", 7);
  for (std::size_t piece = 1; piece <= query.size(); ++piece) {
    for (std::size_t at = 0; at < query.size(); at += piece)
      ASSERT_GT(s.Send(query.data() + at, static_cast<int>(std::min(piece, query.size() - at))), 0);
    EXPECT_EQ(ReadReply(s), instrument_.Execute("*IDN?").value()) << piece;
  }
  EXPECT_EQ(instrument_.GetCounters().errors, 0u);
}

TEST_F(SimServerTest, GarbageAndOverlongLinesThenServed) {
  QxTcpSocket s;
  Connect(s);
  const std::string overlong = std::string(5000, 'A') + "\r";
  ASSERT_GT(s.Send(overlong.data(), static_cast<int>(overlong.size())), 0);
  EXPECT_EQ(Query(s, "*IDN?"), instrument_.Execute("*IDN?").value());
  const std::string garbage = "\x01\x02\xFF garbage :CHANNEL1:SCALE 5\r";
  ASSERT_GT(s.Send(garbage.data(), static_cast<int>(garbage.size())), 0);
  EXPECT_EQ(Query(s, ":CHANNEL1:SCALE?"), "1");
  EXPECT_EQ(instrument_.GetCounters().overlong, 1u);
  EXPECT_EQ(instrument_.GetCounters().errors, 2u);
}

TEST_F(SimServerTest, ClientsOneAfterAnotherAndLeavingEarly) {
  {
    QxTcpSocket s;  // leaves mid-line: the half line is never run
    Connect(s);
    ASSERT_GT(s.Send(":CHANNEL1:SCA", 13), 0);
  }
  {
    QxTcpSocket s;  // leaves with replies unread
    Connect(s);
    for (int i = 0; i < 50; ++i) SendLine(s, ":SETUP:DSO?");
  }
  ASSERT_TRUE(WaitClosed(2));
  for (int i = 0; i < 5; ++i) {
    QxTcpSocket s;
    Connect(s);
    EXPECT_EQ(Query(s, ":CHANNEL1:SCALE?"), "1") << i;
  }
  EXPECT_EQ(server_->Stats().accepted, 7u);
}

TEST_F(SimServerTest, ClientThatStopsReadingIsDropped) {
  Start({.maxPendingBytes = 64 * 1024});
  QxTcpSocket reader;
  Connect(reader);
  QxTcpSocket s;
  Connect(s);
  std::string burst;
  for (int i = 0; i < 500; ++i) burst += std::string(":SETUP:DSO?\r\0", 13);
  for (int i = 0; i < 40 && server_->Stats().dropped == 0; ++i)
    s.Send(burst.data(), static_cast<int>(burst.size()));
  ASSERT_TRUE(WaitClosed(1));
  EXPECT_EQ(server_->Stats().dropped, 1u);
  EXPECT_EQ(Query(reader, ":CHANNEL1:SCALE?"), "1");  // the other client is still served
}

TEST_F(SimServerTest, Faults) {
  QxTcpSocket s;
  Connect(s);
  const std::string idn = instrument_.Execute("*IDN?").value();

  instrument_.SetFaults({.replyDelayMs = 20});
  auto begin = Clock::now();
  EXPECT_EQ(Query(s, "*IDN?"), idn);
  EXPECT_GE(Clock::now() - begin, std::chrono::milliseconds(20));

  instrument_.SetFaults({.pieceBytes = 5, .pieceGapMs = 1});
  begin = Clock::now();
  EXPECT_EQ(Query(s, "*IDN?"), idn);
  EXPECT_GE(Clock::now() - begin, std::chrono::milliseconds((idn.size() + 4) / 5 - 1));

  instrument_.SetFaults({.prefixDelta = 10});
  SendLine(s, "*IDN?");
  EXPECT_EQ(Prefix(ReadBytes(s, 4)), static_cast<std::int32_t>(idn.size() + 10));
  EXPECT_EQ(ReadBytes(s, idn.size() + 10, 50), idn);  // the ten never come
  instrument_.SetFaults({.prefixDelta = -100});
  SendLine(s, "*IDN?");
  EXPECT_EQ(Prefix(ReadBytes(s, 4)), static_cast<std::int32_t>(idn.size()) - 100);
  EXPECT_EQ(ReadBytes(s, idn.size()), idn);

  instrument_.SetFaults({.dropAfter = 3});
  QxTcpSocket d;
  Connect(d);
  SendLine(d, ":RUN");
  EXPECT_EQ(Query(d, "*IDN?"), idn);
  SendLine(d, "*IDN?");
  SendLine(d, "*IDN?");  // after the third command the connection ends
  EXPECT_EQ(ReadReply(d), idn);
  ASSERT_TRUE(WaitClosed(1));
  EXPECT_EQ(ReadBytes(d, 1, 20), "");
  EXPECT_EQ(server_->Stats().dropped, 1u);
}

}  // namespace
#endif
