// libFuzzer target: the simulated instrument's LAN byte path: bytes in pieces
// whose size the first byte chooses, through the line assembler, every reply
// framed with a length prefix that the second byte may make lie. Checks the
// framing and the model's invariants.
#include <string_view>

#include "le_bytes.h"
#include "sim/faults.h"
#include "sim_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  static qxsim::Instrument instrument;
  instrument.FactoryReset();
  const std::size_t chunk = 1 + data[0] % 64;
  const int lie = static_cast<std::int8_t>(data[1]);
  const std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);
  for (std::size_t at = 0; at < bytes.size(); at += chunk) {
    for (const std::string& reply : instrument.Feed(bytes.substr(at, chunk))) {
      const std::string framed = qxsim::FrameLanReply(reply, lie);
      qxfuzz::Check(framed.size() == reply.size() + 4 &&
                    qx::LoadI32(reinterpret_cast<const std::uint8_t*>(framed.data())) ==
                        static_cast<std::int32_t>(reply.size()) + lie);
    }
  }
  qxfuzz::CheckInstrument(instrument);
  return 0;
}
