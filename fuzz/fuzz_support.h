// What every fuzz target shares: a failed check ends the run as a finding,
// and the library is started over with fresh records before each input.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <vector>

#include "QxMsg.h"

namespace qxfuzz {

inline void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// No wait of the library really waits.
inline void NoSleep(DWORD) {}

// Fresh records, a connected link of the given kind, no pauses, and the
// library's own state (queue, link copies, health) started over.
void StartLibrary(CWinSocket* socket, QxPanelUsb* usb, bool onUsb);

// The library's three block copies as they stand.
std::array<std::vector<BYTE>, 3> BlockCopies();

// The record and the windows the library is handed.
_QX_SETUP& Setup();

}  // namespace qxfuzz
