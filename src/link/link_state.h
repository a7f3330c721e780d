// What the transport keeps: the LAN reply's length prefix and the library's
// copies of the instrument's three setup blocks.
#pragma once

#include <cstdint>

#include "QxMsg.h"

namespace qx {

constexpr int kDrainBufferBytes = 2 * 1024 * 1024;
constexpr int kReplyWaitTries = 300;  // x 10 ms: a silent instrument gives up after 3 s
constexpr DWORD kReplyWaitStepMs = 10;

struct LinkState {
  std::int32_t ReplyLength;  // the last LAN reply's length prefix
  BYTE ReplyLengthTail;      // the byte after it, cleared with it
  DSO_SETUP FwDsoSetup;      // what the instrument last reported
  _QX_LA_SETUP FwLaSetup;
  DSO_ALT_SETUP FwAltSetup;
};

extern LinkState Link;

// USB block transfers (request, block, request), used by system start too.
bool UsbBlockRead(int size, BYTE* buffer, int code);
int UsbBlockWrite(const BYTE* buffer, int size, int code);

}  // namespace qx
