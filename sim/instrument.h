// The simulated instrument as a library: one model, its command language,
// its counters and its fault settings, safe to share between threads (the
// LAN server, the USB device, a test or a console). No sockets here.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/faults.h"
#include "sim/model.h"
#include "sim/scpi.h"

namespace qxsim {

struct Counters {
  std::uint64_t lines = 0;     // non-empty lines executed or refused
  std::uint64_t commands = 0;  // set commands and actions carried out
  std::uint64_t queries = 0;   // queries answered
  std::uint64_t errors = 0;    // unknown, malformed or refused lines, over-long lines included
  std::uint64_t overlong = 0;  // lines over 4 KiB discarded
  std::uint64_t empty = 0;     // bare terminators, ignored
};

// What one line did: the reply payload of a query, or the reason it was refused.
struct Outcome {
  std::optional<std::string> reply;
  std::string_view error;  // the reason (a fixed text); empty when carried out (or empty)
};

class Instrument {
 public:
  Instrument() = default;
  Instrument(const Instrument&) = delete;
  Instrument& operator=(const Instrument&) = delete;

  // One line without its terminator.
  Outcome Run(std::string_view line);
  // The reply payload of a query; nothing for a command or a refused line.
  std::optional<std::string> Execute(std::string_view line);
  // Bytes as they arrive, terminators included; the replies of the lines
  // completed by them, in order. Uses the instrument's own line assembler.
  std::vector<std::string> Feed(std::string_view bytes);
  // Counts a line the caller's own assembler discarded as over-long.
  void CountOverlong();

  // A copy of a block (BlockSize(id) bytes), and overwriting one (for tests
  // and for a console that loads a setup). Writing re-derives the dependent fields.
  std::vector<std::uint8_t> Block(BlockId id) const;
  // The same bytes into the caller's storage (up to its size), allocating nothing.
  void CopyBlock(BlockId id, std::span<std::uint8_t> into) const;
  void SetBlock(BlockId id, std::span<const std::uint8_t> bytes);
  // A block written over USB, applied by ":STARTUP".
  void StageBlock(BlockId id, std::span<const std::uint8_t> bytes);
  void FactoryReset();

  Counters GetCounters() const;
  std::uint64_t UsbClears() const;

  Faults GetFaults() const;
  void SetFaults(const Faults& faults);

 private:
  Outcome RunLocked(std::string_view line);

  mutable std::mutex mutex_;
  Model model_;
  Counters counters_;
  Faults faults_;
  scpi::LineAssembler assembler_;
};

}  // namespace qxsim
