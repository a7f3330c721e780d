// Faults the simulated instrument can inject, for testing a host's
// reliability: on its LAN link late replies, replies in small pieces,
// connections that drop and length prefixes that lie; on its USB port
// refused bytes, failed requests and failed block reads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qxsim {

struct Faults {
  int replyDelayMs = 0;  // wait before each reply
  int pieceBytes = 0;    // send each framed reply in pieces of this many bytes (0: whole)
  int pieceGapMs = 1;    // pause between two pieces
  int dropAfter = 0;     // close the connection after this many commands (0: never)
  int prefixDelta = 0;   // announce this many bytes more (or fewer) than the payload holds
  // The USB port's faults, for the in-process device.
  bool usbRefuseBytes = false;    // every byte written is refused
  bool usbFailBlockRead = false;  // every block read fails
  int usbFailRequest = 0;         // every request with this code fails (0: none)

  bool operator==(const Faults&) const = default;
};

// A LAN reply: 4-byte little-endian length, then the payload. The length
// announced is the payload's plus `prefixDelta` (a signed 32-bit word, so a
// lie may announce a negative length).
std::string FrameLanReply(std::string_view payload, int prefixDelta);
// The same, framed at the end of `out` (a client's buffer of replies due).
void AppendLanReply(std::string& out, std::string_view payload, int prefixDelta);

}  // namespace qxsim
