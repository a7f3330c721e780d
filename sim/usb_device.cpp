#include "sim/usb_device.h"

#include <algorithm>
#include <cstring>

namespace qxsim {

namespace {
constexpr std::size_t kMaxUsbReply = 255;  // the length travels in one byte
// The largest block the device accepts: the DSO block.
constexpr int kMaxBlock = L::dso::kSize;
// Block ids follow the order of the transfer table.
static_assert(static_cast<int>(BlockId::Dso) == 0 && static_cast<int>(BlockId::La) == 1 &&
              static_cast<int>(BlockId::Alt) == 2);
static_assert(L::kBlocks[0].size == BlockSize(BlockId::Dso) && L::kBlocks[1].size == BlockSize(BlockId::La) &&
              L::kBlocks[2].size == BlockSize(BlockId::Alt));
}  // namespace

// ":CLEARUSB", over either link, empties what the device was about to send.
void UsbDevice::DropOutputIfCleared() {
  const std::uint64_t clears = instrument_.UsbClears();
  if (clears == clears_) return;
  clears_ = clears;
  reply_.reset();
  blockOut_.size = -1;
}

int UsbDevice::UsbWriteByte(UINT, BYTE value) {
  std::lock_guard lock(mutex_);
  // The faults are read as a line starts (not on every byte, which would
  // lock the instrument per byte): a fault set between lines applies to the next.
  if (!lines_.Pending()) refuseBytes_ = instrument_.GetFaults().usbRefuseBytes;
  if (refuseBytes_) return 0;
  const char c = static_cast<char>(value);
  lines_.Push(std::string_view(&c, 1), [&](std::string_view line, bool overlong) {
    if (overlong) {
      instrument_.CountOverlong();
      return;
    }
    Outcome outcome = instrument_.Run(line);
    DropOutputIfCleared();
    if (outcome.reply) {
      if (outcome.reply->size() > kMaxUsbReply) outcome.reply->resize(kMaxUsbReply);
      reply_ = std::move(outcome.reply);
    }
  });
  return 1;
}

int UsbDevice::UsbRead(UINT, int phase, int count, BYTE* buffer) {
  std::lock_guard lock(mutex_);
  DropOutputIfCleared();
  if (!reply_ || !buffer || count < 0) return 0;
  if (phase == 0) {
    if (count < 1) return 0;
    buffer[0] = static_cast<BYTE>(reply_->size());
    return 1;
  }
  if (phase != 1) return 0;
  std::memcpy(buffer, reply_->data(), std::min(reply_->size(), static_cast<std::size_t>(count)));
  reply_.reset();
  return 1;
}

int UsbDevice::UsbRequest(UINT, int code, int param1, int param2, int) {
  std::lock_guard lock(mutex_);
  DropOutputIfCleared();
  if (code != 0 && code == instrument_.GetFaults().usbFailRequest) return 0;
  if (code == L::kAnnounceWriteCode) {
    const long size = (static_cast<long>(param1) & 0xFFFF) | (static_cast<long>(param2) & 0xFFFF) << 16;
    if (size <= 0 || size > kMaxBlock) return 0;
    announced_ = static_cast<int>(size);
    blockIn_.size = -1;
    return 1;
  }
  for (int i = 0; i < L::kBlockCount; ++i) {
    const auto id = static_cast<BlockId>(i);
    if (code == L::kBlocks[i].readCode) {
      instrument_.CopyBlock(id, blockOut_.bytes);
      blockOut_.size = L::kBlocks[i].size;
      return 1;
    }
    if (code == L::kBlocks[i].writeCode) {
      if (blockIn_.size != L::kBlocks[i].size) return 0;
      instrument_.StageBlock(id, std::span(blockIn_.bytes).first(static_cast<std::size_t>(blockIn_.size)));
      blockIn_.size = -1;
      return 1;
    }
  }
  return 0;
}

int UsbDevice::UsbBlockRead(UINT, int size, BYTE* buffer) {
  std::lock_guard lock(mutex_);
  DropOutputIfCleared();
  if (instrument_.GetFaults().usbFailBlockRead) return 0;
  if (blockOut_.size < 0 || !buffer || size != blockOut_.size) return 0;
  std::memcpy(buffer, blockOut_.bytes.data(), static_cast<std::size_t>(size));
  blockOut_.size = -1;
  return 1;
}

int UsbDevice::UsbBlockWrite(UINT, int size, const BYTE* buffer) {
  std::lock_guard lock(mutex_);
  if (!buffer || size != announced_) return 0;
  std::memcpy(blockIn_.bytes.data(), buffer, static_cast<std::size_t>(size));
  blockIn_.size = size;
  announced_ = -1;
  return 1;
}

}  // namespace qxsim
