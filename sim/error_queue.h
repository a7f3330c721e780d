// The instrument's error queue, kept in the SCPI manner: every refused line
// leaves one entry ("-113,\"Undefined header\""), ":SYSTEM:ERROR?" takes the
// oldest ("0,\"No error\"" once empty), "*CLS" empties it. A full queue keeps
// its first entries and turns the last into "Queue overflow".
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qxsim {

class ErrorQueue {
 public:
  static constexpr int kCapacity = 16;

  // Records a refusal by its reason ("undefined header", "bad argument" ...).
  void Push(const char* reason);
  // The oldest entry as the instrument answers it, removed from the queue.
  std::string Pop();
  void Clear() { count_ = 0; }
  int Count() const { return count_; }

 private:
  std::array<std::uint8_t, kCapacity> entries_{};  // indices into the error table
  int count_ = 0;
};

}  // namespace qxsim
