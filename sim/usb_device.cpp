#include "sim/usb_device.h"

#include <algorithm>
#include <cstring>

namespace qxsim {

namespace {
constexpr std::size_t kMaxUsbReply = 255;  // the length travels in one byte
// The largest block the device accepts: the DSO block.
constexpr int kMaxBlock = L::dso::kSize;
}  // namespace

// ":CLEARUSB", over either link, empties what the device was about to send.
void UsbDevice::DropOutputIfCleared() {
  const std::uint64_t clears = instrument_.UsbClears();
  if (clears == clears_) return;
  clears_ = clears;
  reply_.reset();
  blockOut_.reset();
}

int UsbDevice::UsbWriteByte(UINT, BYTE value) {
  std::lock_guard lock(mutex_);
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
  auto take = [&](BlockId id) {
    if (!blockIn_ || static_cast<int>(blockIn_->size()) != BlockSize(id)) return 0;
    instrument_.StageBlock(id, *blockIn_);
    blockIn_.reset();
    return 1;
  };
  switch (code) {
    case kReadDso: blockOut_ = instrument_.Block(BlockId::Dso); return 1;
    case kReadLa: blockOut_ = instrument_.Block(BlockId::La); return 1;
    case kReadAlt: blockOut_ = instrument_.Block(BlockId::Alt); return 1;
    case kAnnounceWrite: {
      const long size = (static_cast<long>(param1) & 0xFFFF) | (static_cast<long>(param2) & 0xFFFF) << 16;
      if (size <= 0 || size > kMaxBlock) return 0;
      announced_ = static_cast<int>(size);
      blockIn_.reset();
      return 1;
    }
    case kWriteDso: return take(BlockId::Dso);
    case kWriteLa: return take(BlockId::La);
    case kWriteAlt: return take(BlockId::Alt);
    default: return 0;
  }
}

int UsbDevice::UsbBlockRead(UINT, int size, BYTE* buffer) {
  std::lock_guard lock(mutex_);
  DropOutputIfCleared();
  if (!blockOut_ || !buffer || size != static_cast<int>(blockOut_->size())) return 0;
  std::memcpy(buffer, blockOut_->data(), blockOut_->size());
  blockOut_.reset();
  return 1;
}

int UsbDevice::UsbBlockWrite(UINT, int size, const BYTE* buffer) {
  std::lock_guard lock(mutex_);
  if (!buffer || size != announced_) return 0;
  blockIn_.emplace(buffer, buffer + size);
  announced_ = -1;
  return 1;
}

}  // namespace qxsim
