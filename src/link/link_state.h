// What the transport keeps: the LAN reply's length prefix, the library's
// copies of the instrument's three setup blocks, whether the LAN link is in
// step, and the link's health as hosts read it.
#pragma once

#include <cstdint>

#include "QxMsg.h"
#include "setup/block_layout.h"

namespace qx {

constexpr int kDrainBufferBytes = 2 * 1024 * 1024;
constexpr int kReplyWaitTries = 300;  // x 10 ms: a silent instrument gives up after 3 s
constexpr DWORD kReplyWaitStepMs = 10;
// Out of step, the drain ends only after this many silent 10 ms waits in a
// row (half a second), within the reply wait's bound.
constexpr int kQuietTries = 50;

struct LinkState {
  std::int32_t ReplyLength;  // the last LAN reply's length prefix
  BYTE ReplyLengthTail;      // the byte after it, cleared with it
  DSO_SETUP FwDsoSetup;      // what the instrument last reported
  _QX_LA_SETUP FwLaSetup;
  DSO_ALT_SETUP FwAltSetup;
  // A LAN reply timed out, came short or was refused: what is left of it
  // may still arrive, so the next drain waits for quiet.
  bool OutOfStep;
  bool ReadBackWhole;  // the last SendCommand's read-back brought every block whole
  QxLinkHealth Health;
};

extern LinkState Link;

// The library's copy of block i of layout::kBlocks.
inline BYTE* BlockCopy(int i) {
  BYTE* const copies[layout::kBlockCount] = {Link.FwDsoSetup.Bytes, Link.FwLaSetup.Bytes,
                                             Link.FwAltSetup.Bytes};
  return copies[i];
}

// True when the last SendCommand read every block back whole; a read-back
// that did not must not be reconciled, the copies may be stale.
inline bool LastReadBackWhole() { return Link.ReadBackWhole; }

// USB block transfers (request, block, request), used by system start too.
bool UsbBlockRead(int size, BYTE* buffer, int code);
int UsbBlockWrite(const BYTE* buffer, int size, int code);

// The three blocks into the library's copies over the link InterfaceType
// selects, each outcome recorded; USB stops at the first failure. A block is
// taken only whole. True when every block came whole.
bool ReadBlocks(QxBlockOutcome (&outcome)[layout::kBlockCount]);

}  // namespace qx
