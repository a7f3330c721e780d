// libFuzzer target: the library's USB paths against a panel the input
// scripts: which bytes are accepted, every request's result, each reply's
// length byte and payload, each block read's bytes and result. The library
// runs queries, commands with read-back, system starts and block transfers.
// Checks: every USB call asks for what its buffer holds, no query result
// beyond one length byte, and a block copy changes only when its block came
// whole.
#include <array>
#include <cstring>
#include <vector>

#include "frame/state.h"
#include "fuzz_support.h"
#include "link/link_state.h"

namespace {

using qx::layout::kBlocks;

bool IsBlockSize(int size) {
  return size == kBlocks[0].size || size == kBlocks[1].size || size == kBlocks[2].size;
}

class ScriptedPanel : public QxPanelUsb {
 public:
  explicit ScriptedPanel(FuzzedDataProvider& in) : in_(in) {}
  int UsbRead(UINT, int phase, int count, BYTE* buffer) override {
    qxfuzz::Check((phase == 0 && count == 1) || (phase == 1 && count >= 0 && count <= 255));
    const std::vector<std::uint8_t> bytes = in_.ConsumeBytes<std::uint8_t>(static_cast<std::size_t>(count));
    if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
    return in_.ConsumeBool() ? 1 : 0;
  }
  int UsbWriteByte(UINT, BYTE) override { return in_.ConsumeIntegralInRange(0, 31) != 0; }
  int UsbRequest(UINT, int, int, int, int zero) override {
    qxfuzz::Check(zero == 0);
    return in_.ConsumeIntegralInRange(-1, 2);
  }
  int UsbBlockRead(UINT, int size, BYTE* buffer) override {
    qxfuzz::Check(IsBlockSize(size));
    const std::vector<std::uint8_t> bytes = in_.ConsumeBytes<std::uint8_t>(static_cast<std::size_t>(size));
    if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
    return in_.ConsumeBool() ? 1 : 0;
  }
  int UsbBlockWrite(UINT, int size, const BYTE* buffer) override {
    qxfuzz::Check(IsBlockSize(size));
    volatile BYTE last = buffer[size - 1];  // the whole block is readable
    (void)last;
    return in_.ConsumeBool() ? 1 : 0;
  }

 private:
  FuzzedDataProvider& in_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  ScriptedPanel panel(in);
  qxfuzz::StartLibrary(nullptr, &panel, true);
  DSO_SETUP dso{};
  _QX_LA_SETUP la{};
  DSO_ALT_SETUP alt{};
  for (int op = 0; op < 32 && in.remaining_bytes() > 0; ++op) {
    switch (in.ConsumeIntegralInRange(0, 6)) {
      case 0: {
        std::vector<BYTE> reply(qx::kReplyBufferBytes);  // exactly the bound: ASan sees any overrun
        qxfuzz::Check(ReadCommand("*IDN?", reply.data()) <= 255);
        break;
      }
      case 1: {
        const auto before = qxfuzz::BlockCopies();
        CString line(in.ConsumeBool() ? ":STOP" : ":RUN");
        SendCommand(&line, qx::Command.ReplyBuffer, true);
        const auto after = qxfuzz::BlockCopies();
        const QxLinkHealth health = QxGetLinkHealth();
        for (int i = 0; i < 3; ++i)
          qxfuzz::Check(before[i] == after[i] || health.ReadBack[i] == QX_BLOCK_WHOLE);
        break;
      }
      case 2: QxInitSystem(); break;
      case 3: QxInitHardware(); break;
      case 4: QxSetFirmwareSetup(); break;
      case 5: QxReadFirmwareSetup(&dso, &la, &alt); break;
      default: QxWriteFirmwareSetup(&dso, &la, &alt); break;
    }
  }
  return 0;
}
