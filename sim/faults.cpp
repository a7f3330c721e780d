#include "sim/faults.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "le_bytes.h"

namespace qxsim {

std::string FrameLanReply(std::string_view payload, int prefixDelta) {
  const std::int64_t announced = std::clamp<std::int64_t>(
      static_cast<std::int64_t>(payload.size()) + prefixDelta, std::numeric_limits<std::int32_t>::min(),
      std::numeric_limits<std::int32_t>::max());
  std::string out(4 + payload.size(), '\0');
  qx::StoreI32(reinterpret_cast<std::uint8_t*>(out.data()), static_cast<std::int32_t>(announced));
  std::copy(payload.begin(), payload.end(), out.begin() + 4);
  return out;
}

}  // namespace qxsim
