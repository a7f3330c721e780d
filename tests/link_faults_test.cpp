// The LAN link under faults, against a peer that knows which reply answers
// which query. Time is virtual: every pause of the library moves the peer's
// clock. Each reply of a faulty command may come late (around the 3 s
// bound), in pieces, twice, with a wrong length, not at all, or the peer may
// close. Whatever happens, no block copy ever holds bytes of another reply,
// a read-back called whole holds this command's replies, and the command
// after a faulty one finds the link back in step.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "frame/state.h"
#include "le_bytes.h"
#include "link/link_state.h"
#include "support/fakes.h"
#include "support/loopback_peer.h"

namespace {

using qx::layout::kBlocks;

std::int64_t g_nowMs = 0;
void Advance(DWORD ms) { g_nowMs += ms; }

enum class Fault { None, Late, Pieces, Twice, WrongLength, Lost, Close };
constexpr Fault kFaults[] = {Fault::None,        Fault::Late, Fault::Pieces, Fault::Twice,
                             Fault::WrongLength, Fault::Lost, Fault::Close};

// A block reply's payload is one 4-byte word repeated: the reply's serial and
// its block. The top byte makes the word a negative length, so misread
// bytes never pass for a block's prefix.
std::uint32_t Tag(int serial, int block) {
  return 0xA5000000u | static_cast<std::uint32_t>(serial) << 2 | static_cast<std::uint32_t>(block);
}

class FaultyPeer : public CWinSocket {
 public:
  explicit FaultyPeer(unsigned seed) : rng_(seed) {}

  int Send(const char* data, int length) override {
    if (closed_) return 0;
    const std::string text(data, static_cast<std::size_t>(length));
    for (int b = 0; b < 3; ++b)
      if (text == kBlocks[b].query + std::string("\r\0", 2)) Answer(b);
    return length;
  }

  int Receive(char* buffer, int length) override {
    if (closed_ || length <= 0) return length == 0 ? 0 : -1;
    while (!chunks_.empty() && chunks_.front().due <= g_nowMs) {
      readable_ += chunks_.front().bytes;
      chunks_.erase(chunks_.begin());
    }
    if (readable_.empty()) return -1;
    const std::size_t n = std::min(readable_.size(), static_cast<std::size_t>(length));
    std::memcpy(buffer, readable_.data(), n);
    readable_.erase(0, n);
    return static_cast<int>(n);
  }

  std::vector<Fault> faults;  // for the next replies, in order; then none
  std::vector<int> serials;   // of each block query answered, in order
  bool closed_ = false;

 private:
  struct Chunk {
    std::int64_t due;
    std::string bytes;
  };
  int Draw(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  // A stream keeps its order: nothing overtakes what was sent before it.
  void Queue(std::int64_t due, std::string bytes) {
    due = std::max(due, chunks_.empty() ? due : chunks_.back().due);
    chunks_.push_back({due, std::move(bytes)});
  }

  void Answer(int block) {
    const int serial = static_cast<int>(serials.size());
    serials.push_back(serial);
    const Fault fault = faults.empty() ? Fault::None : faults.front();
    if (!faults.empty()) faults.erase(faults.begin());
    int size = kBlocks[block].size;
    if (fault == Fault::WrongLength) size += Draw(1, 16) * 4 * (Draw(0, 1) ? 1 : -1);
    std::string payload(static_cast<std::size_t>(size), '\0');
    for (int at = 0; at + 4 <= size; at += 4)
      qx::StoreU32(reinterpret_cast<std::uint8_t*>(payload.data()) + at, Tag(serial, block));
    const std::string framed = qxtest::LanReply(payload);
    std::int64_t due = g_nowMs + Draw(0, 50);
    switch (fault) {
      case Fault::Lost: return;
      case Fault::Close: closed_ = true; return;
      case Fault::Late: due = g_nowMs + Draw(2500, 3400); break;
      case Fault::Pieces: {
        const int pieces = Draw(2, 8);
        const std::size_t step = framed.size() / static_cast<std::size_t>(pieces) + 1;
        for (std::size_t at = 0; at < framed.size(); at += step, due += Draw(0, 300))
          Queue(due, framed.substr(at, step));
        return;
      }
      case Fault::Twice: Queue(due, framed); break;
      default: break;
    }
    Queue(due, framed);
  }

  std::mt19937 rng_;
  std::vector<Chunk> chunks_;
  std::string readable_;
};

class LinkFaults : public qxtest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    QxSetSleepHook(&Advance);
  }
  // The serial of the reply a copy holds; -1 when its words disagree or name
  // another block.
  static int Holds(int block) {
    const BYTE* copy = qx::BlockCopy(block);
    const std::uint32_t word = qx::LoadU32(copy);
    for (int at = 0; at < kBlocks[block].size; at += 4)
      if (qx::LoadU32(copy + at) != word) return -1;
    if ((word & 0xFF000003u) != (0xA5000000u | static_cast<std::uint32_t>(block))) return -1;
    return static_cast<int>((word & 0x00FFFFFFu) >> 2);
  }
  // Sends one command with read-back and checks every copy.
  void Command(FaultyPeer& peer, std::vector<int>& held) {
    const std::size_t first = peer.serials.size();
    CString cmd(":RUN");
    SendCommand(&cmd, qx::Command.ReplyBuffer, true);
    const std::size_t asked = peer.serials.size() - first;
    for (int b = 0; b < 3; ++b) {
      const int now = Holds(b);
      ASSERT_TRUE(now == held[b] || (now >= static_cast<int>(first) && b < static_cast<int>(asked) &&
                                     now == static_cast<int>(first) + b))
          << "block " << b << " holds reply " << now;
      held[b] = now;
    }
    if (qx::LastReadBackWhole()) {
      for (int b = 0; b < 3; ++b) ASSERT_EQ(held[b], static_cast<int>(first) + b);
    }
  }
};

TEST_F(LinkFaults, CopiesNeverHoldAnotherReplyAndTheLinkFindsItsStep) {
  std::mt19937 draw(19);
  int faulty = 0, closes = 0;
  for (unsigned trial = 0; trial < 300; ++trial) {
    SCOPED_TRACE(trial);
    FaultyPeer peer(trial);
    QxMsgInit(&main, &setup, &rgn, &pos, &peer);
    qx::Link = qx::LinkState{};
    for (int b = 0; b < 3; ++b) std::memset(qx::BlockCopy(b), 0, static_cast<std::size_t>(kBlocks[b].size));
    std::vector<int> held = {-1, -1, -1};
    for (int i = 0; i < 3; ++i) peer.faults.push_back(kFaults[draw() % std::size(kFaults)]);
    ASSERT_NO_FATAL_FAILURE(Command(peer, held));
    faulty += !qx::LastReadBackWhole();
    if (peer.closed_) {
      // The close is noticed: the next command stops at its own line.
      ++closes;
      const std::int64_t start = g_nowMs;
      ASSERT_NO_FATAL_FAILURE(Command(peer, held));
      EXPECT_LE(g_nowMs - start, 100);
      EXPECT_FALSE(qx::LastReadBackWhole());
      continue;
    }
    ASSERT_NO_FATAL_FAILURE(Command(peer, held));
    EXPECT_TRUE(qx::LastReadBackWhole());
  }
  EXPECT_GT(faulty, 150);  // most trials met a fault
  EXPECT_GT(closes, 20);
}

// An instrument that takes the query and closes without answering: a real
// TCP link sees the close, so neither the reply wait nor the quiet wait
// before the next query runs to its bound. Each 10 ms step really waits
// 1 ms, so the close reaches the socket well within the 300 steps.
int g_replySteps = 0;
void CountStep(DWORD ms) {
  if (ms != qx::kReplyWaitStepMs) return;
  ++g_replySteps;
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST_F(LinkFaults, AQueryInFlightWhenThePeerClosesEndsAtTheClose) {
  qxtest::Peer peer([](int fd) {
    char query[13];
    for (std::size_t got = 0; got < sizeof query;) {
      const ssize_t n = ::recv(fd, query + got, sizeof query - got, 0);
      if (n <= 0) return;
      got += static_cast<std::size_t>(n);
    }
  });
  QxTcpSocket tcp;
  ASSERT_TRUE(tcp.Connect("127.0.0.1", peer.port(), 1000));
  QxMsgInit(&main, &setup, &rgn, &pos, &tcp);
  QxSetSleepHook(&CountStep);
  g_replySteps = 0;
  BYTE reply[256] = {};
  EXPECT_LE(ReadCommand(":SETUP:DSO?", reply), 0);
  EXPECT_LT(g_replySteps, qx::kReplyWaitTries / 2);
  EXPECT_FALSE(tcp.IsConnected());
  g_replySteps = 0;
  EXPECT_LE(ReadCommand("*IDN?", reply), 0);
  EXPECT_EQ(g_replySteps, 0);
}

}  // namespace
