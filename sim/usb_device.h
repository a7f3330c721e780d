// The instrument's USB port as the host's panel library presents it: a
// QxPanelUsb backed by the same instrument as the LAN server. Lines arrive
// byte by byte; a query's reply waits to be read as a length byte (phase 0)
// and a payload (phase 1); setup blocks move with request codes.
// The instrument's USB faults make bytes, requests or block reads fail.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "QxPlatform.h"
#include "sim/instrument.h"

namespace qxsim {

class UsbDevice : public QxPanelUsb {
 public:
  explicit UsbDevice(Instrument& instrument) : instrument_(instrument) {}

  // Request codes (qx::layout::kBlocks): a block read, the announcement of
  // a block write, and the code that takes the written block as DSO, LA or
  // ALT setup. The USB faults of the instrument's Faults apply.
  int UsbRead(UINT device, int phase, int count, BYTE* buffer) override;
  int UsbWriteByte(UINT device, BYTE value) override;
  int UsbRequest(UINT device, int code, int param1, int param2, int zero) override;
  int UsbBlockRead(UINT device, int size, BYTE* buffer) override;
  int UsbBlockWrite(UINT device, int size, const BYTE* buffer) override;

 private:
  void DropOutputIfCleared();

  Instrument& instrument_;
  std::mutex mutex_;
  scpi::LineAssembler lines_;
  std::optional<std::string> reply_;  // the pending reply, at most 255 bytes
  // A block requested for reading and the block written, not yet taken: the
  // first `size` bytes of the buffer, -1 when there is none.
  struct Buffer {
    std::array<std::uint8_t, L::dso::kSize> bytes;  // the largest block
    int size = -1;
  };
  Buffer blockOut_, blockIn_;
  int announced_ = -1;        // size of the block write announced
  bool refuseBytes_ = false;  // the fault as the current line started
  std::uint64_t clears_ = 0;
};

}  // namespace qxsim
