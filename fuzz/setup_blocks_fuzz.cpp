// libFuzzer target: the translation of the instrument's setup blocks into
// the settings record and back, on arbitrary block bytes (NaN, infinities,
// huge integers, any enumeration value), and the read-back rows that copy
// single fields out of the library's block copies. Nothing may overflow or
// reach undefined behaviour; the record written back and read again settles
// (bit for bit, NaNs included).
#include <cstring>

#include "frame/handlers.h"
#include "fuzz_support.h"
#include "link/link_state.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  qxfuzz::StartLibrary(nullptr, nullptr, false);
  for (int i = 0; i < qx::layout::kBlockCount; ++i) {
    const std::vector<std::uint8_t> bytes =
        in.ConsumeBytes<std::uint8_t>(static_cast<std::size_t>(qx::layout::kBlocks[i].size));
    if (!bytes.empty()) std::memcpy(qx::BlockCopy(i), bytes.data(), bytes.size());
  }
  qx::LinkState& link = qx::Link;
  QxPushSetup(&link.FwDsoSetup, &link.FwLaSetup, &link.FwAltSetup);
  // Written back and read again, the record settles at once: a second round
  // changes nothing (the first may, where the block's seconds disagree with
  // its picoseconds).
  DSO_SETUP dso = link.FwDsoSetup;
  _QX_LA_SETUP la = link.FwLaSetup;
  DSO_ALT_SETUP alt = link.FwAltSetup;
  _QX_SETUP rounds[2];
  for (_QX_SETUP& round : rounds) {
    QxPopSetup(&dso, &la, &alt);
    QxPushSetup(&dso, &la, &alt);
    round = qxfuzz::Setup();
  }
  qxfuzz::Check(std::memcmp(&rounds[0], &rounds[1], sizeof rounds[0]) == 0);

  // Read-back rows for whatever controls and slots the input names.
  while (in.remaining_bytes() >= 3) {
    const auto ctrl = static_cast<unsigned int>(0x400 + in.ConsumeIntegralInRange(0, 0x500));
    qx::ReadBackReconcile(ctrl, in.ConsumeIntegralInRange<long>(-2, 3));
  }
  return 0;
}
