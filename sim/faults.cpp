#include "sim/faults.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "le_bytes.h"

namespace qxsim {

void AppendLanReply(std::string& out, std::string_view payload, int prefixDelta) {
  const std::int64_t announced = std::clamp<std::int64_t>(
      static_cast<std::int64_t>(payload.size()) + prefixDelta, std::numeric_limits<std::int32_t>::min(),
      std::numeric_limits<std::int32_t>::max());
  const std::size_t at = out.size();
  out.resize(at + 4);
  qx::StoreI32(reinterpret_cast<std::uint8_t*>(out.data() + at), static_cast<std::int32_t>(announced));
  out += payload;
}

std::string FrameLanReply(std::string_view payload, int prefixDelta) {
  std::string out;
  out.reserve(4 + payload.size());
  AppendLanReply(out, payload, prefixDelta);
  return out;
}

}  // namespace qxsim
