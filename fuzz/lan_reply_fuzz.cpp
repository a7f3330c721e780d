// libFuzzer target: the library's LAN reply path against a peer the input
// scripts. Every Receive takes its fate from the input (nothing yet, the
// next piece of the reply stream, or the end of the link) and the stream
// itself (length prefixes, payloads, lies) is input too; so is what each
// Send returns. The library runs queries, setup reads, commands with
// read-back and system starts. Checks: no result beyond its bound, and a
// block copy changes only when its block came whole.
#include <array>
#include <cstring>
#include <vector>

#include "frame/state.h"
#include "fuzz_support.h"
#include "link/link_state.h"

namespace {

using qx::layout::kBlocks;

class ScriptedPeer : public CWinSocket {
 public:
  explicit ScriptedPeer(FuzzedDataProvider& in) : in_(in) {}
  // Once the input is spent the peer has gone: nothing more waits for it.
  int Send(const char*, int length) override {
    if (closed_ || in_.remaining_bytes() == 0) return 0;
    const int fate = in_.ConsumeIntegralInRange(0, 15);
    return fate == 0 ? 0 : fate == 1 ? -1 : length;
  }
  int Receive(char* buffer, int length) override {
    if (length <= 0) return length == 0 ? 0 : -1;
    if (closed_ || in_.remaining_bytes() == 0) return -1;
    const int fate = in_.ConsumeIntegral<std::uint8_t>();
    if (fate == 0xFF) closed_ = true;
    if (fate < 0x40 || closed_) return -1;
    const std::vector<std::uint8_t> piece = in_.ConsumeBytes<std::uint8_t>(std::min(fate - 0x3F, length));
    if (piece.empty()) return -1;
    std::memcpy(buffer, piece.data(), piece.size());
    return static_cast<int>(piece.size());
  }

 private:
  FuzzedDataProvider& in_;
  bool closed_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  ScriptedPeer peer(in);
  qxfuzz::StartLibrary(&peer, nullptr, false);
  for (int op = 0; op < 32 && in.remaining_bytes() > 0; ++op) {
    const int which = in.ConsumeIntegralInRange(0, 6);
    if (which == 0) {
      std::vector<BYTE> reply(qx::kReplyBufferBytes);  // exactly the bound: ASan sees any overrun
      qxfuzz::Check(ReadCommand("*IDN?", reply.data()) <= qx::kReplyBufferBytes);
    } else if (which <= 3) {
      const auto& block = kBlocks[which - 1];
      std::vector<BYTE> bytes(static_cast<std::size_t>(block.size));
      const int got = ReadSetup(block.query, bytes.data());
      qxfuzz::Check(got <= 0 || got == block.size);
    } else if (which == 4) {
      std::vector<BYTE> reply(qx::kReplyBufferBytes);
      qxfuzz::Check(ReadSetup(":SETUP?", reply.data()) <= qx::kReplyBufferBytes);
    } else if (which == 5) {
      const auto before = qxfuzz::BlockCopies();
      CString line(":RUN");
      SendCommand(&line, qx::Command.ReplyBuffer, true);
      const auto after = qxfuzz::BlockCopies();
      const QxLinkHealth health = QxGetLinkHealth();
      for (int i = 0; i < 3; ++i)
        qxfuzz::Check(before[i] == after[i] || health.ReadBack[i] == QX_BLOCK_WHOLE);
      if (qx::LastReadBackWhole())
        for (QxBlockOutcome outcome : health.ReadBack) qxfuzz::Check(outcome == QX_BLOCK_WHOLE);
    } else {
      QxInitSystem();
    }
  }
  return 0;
}
