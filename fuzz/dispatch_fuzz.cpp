// libFuzzer target: the command queue and the dispatcher on arbitrary posted
// commands: any command and control id, slot value and message variable,
// the instrument answering every setup query with blocks taken from the
// input, so each handler, each line sent and each read-back row runs on
// values no host would choose. Nothing may crash, overflow or hang.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "setup/block_layout.h"

namespace {

using qx::layout::kBlocks;

constexpr unsigned long kCommands[] = {
    CMD_CURSOR_MODE,   CMD_SELFCAL,      CMD_MISC,      CMD_RUN_CONTROL, CMD_CHANNEL, CMD_MATH,
    CMD_REF,           CMD_DIGITAL,      CMD_TIMEBASE,  CMD_TRIGGER,     CMD_ACQUIRE, CMD_DISPLAY,
    CMD_CURSOR_MANUAL, CMD_CURSOR_TRACK, CMD_PASS_FAIL, CMD_RECORD,      CMD_MEASURE, 0xC4C,
    CMD_INTERFACE,     CMD_APPLY_VIEW};

// Answers each setup query with its block, whole, at once.
class BlockPeer : public CWinSocket {
 public:
  std::vector<std::uint8_t> blocks[3];
  int Send(const char* data, int length) override {
    const std::string line(data, static_cast<std::size_t>(length));
    for (int i = 0; i < 3; ++i)
      if (line == kBlocks[i].query + std::string("\r\0", 2)) {
        const auto n = static_cast<std::uint32_t>(blocks[i].size());
        pending_.assign({static_cast<char>(n), static_cast<char>(n >> 8), 0, 0});
        pending_.append(blocks[i].begin(), blocks[i].end());
      }
    return length;
  }
  int Receive(char* buffer, int length) override {
    if (length == 0) return 0;
    if (pending_.empty() || length < 0) return -1;
    const std::size_t n = std::min(pending_.size(), static_cast<std::size_t>(length));
    std::memcpy(buffer, pending_.data(), n);
    pending_.erase(0, n);
    return static_cast<int>(n);
  }

 private:
  std::string pending_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  static BlockPeer peer;
  for (int i = 0; i < 3; ++i) {
    peer.blocks[i] = in.ConsumeBytes<std::uint8_t>(static_cast<std::size_t>(kBlocks[i].size));
    peer.blocks[i].resize(static_cast<std::size_t>(kBlocks[i].size));
  }
  qxfuzz::StartLibrary(&peer, nullptr, false);
  CWnd a, b;
  for (int posted = 0; posted < 24 && in.remaining_bytes() > 0; ++posted) {
    const unsigned long cmd =
        in.ConsumeBool() ? in.PickValueInArray(kCommands) : in.ConsumeIntegral<std::uint32_t>();
    const auto ctrl = in.ConsumeIntegral<std::uint16_t>();
    const auto value = in.ConsumeIntegralInRange<long>(-3, 20);
    SetMsgVarDouble(0);
    if (in.ConsumeBool())
      SetMsgVarDouble(in.ConsumeFloatingPoint<double>());
    else
      SetMsgVarInt(in.ConsumeIntegral<int>());
    QxPostIOCmd(cmd, ctrl, value, in.ConsumeBool() ? &a : nullptr, &b, in.ConsumeBool() ? &a : nullptr);
    if (GetIOCmd() != 0) IOCmdProcess();
  }
  return 0;
}
