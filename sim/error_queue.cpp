#include "sim/error_queue.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace qxsim {
namespace {

// The refusal reasons the command language gives, and how the queue reports them.
struct ErrorRow {
  const char* reason;
  int code;
  const char* text;
};
constexpr ErrorRow kErrors[] = {
    {"no error", 0, "No error"},
    {"undefined header", -113, "Undefined header"},
    {"not a query", -113, "Undefined header;not a query"},
    {"query only", -113, "Undefined header;query only"},
    {"unexpected argument", -108, "Parameter not allowed"},
    {"missing argument", -109, "Missing parameter"},
    {"bad argument", -224, "Illegal parameter value"},
    {"settings conflict", -221, "Settings conflict"},
    {"line too long", -363, "Input buffer overrun"},
    {"queue overflow", -350, "Queue overflow"},
    {"command error", -100, "Command error"},
};
constexpr std::uint8_t kOverflow = std::size(kErrors) - 2;
constexpr std::uint8_t kCommandError = std::size(kErrors) - 1;  // any reason the table does not name

std::uint8_t IndexOf(const char* reason) {
  for (std::uint8_t i = 1; i < std::size(kErrors); ++i)
    if (std::strcmp(kErrors[i].reason, reason) == 0) return i;
  return kCommandError;
}

}  // namespace

void ErrorQueue::Push(const char* reason) {
  if (count_ == kCapacity) {
    entries_[kCapacity - 1] = kOverflow;
    return;
  }
  entries_[static_cast<std::size_t>(count_++)] = IndexOf(reason);
}

std::string ErrorQueue::Pop() {
  std::uint8_t index = 0;
  if (count_ > 0) {
    index = entries_[0];
    std::copy(entries_.begin() + 1, entries_.begin() + count_, entries_.begin());
    --count_;
  }
  return std::to_string(kErrors[index].code) + ",\"" + kErrors[index].text + "\"";
}

}  // namespace qxsim
