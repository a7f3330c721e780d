// What must hold in the simulated instrument after any input: picosecond
// masters and seconds copies agree, the delayed scale never exceeds the main
// one, volts/div within its range, the memory depth one of the model's.
#pragma once

#include <array>

#include "fuzz_support.h"
#include "sim/instrument.h"

namespace qxfuzz {

// The DSO block as a value, copied without allocating.
using DsoBytes = std::array<std::uint8_t, qx::layout::dso::kSize>;

inline void CheckInstrument(const qxsim::Instrument& in) {
  namespace dso = qx::layout::dso;
  DsoBytes b;
  in.CopyBlock(qxsim::BlockId::Dso, b);
  const std::uint8_t* d = b.data();
  const std::int64_t scale = qx::LoadI64(d + dso::TimeScalePs);
  Check(scale >= qxsim::limits::kMinTimeScalePs && scale <= qxsim::limits::kMaxTimeScalePs);
  Check(qx::LoadF32(d + dso::TimeScale) == static_cast<float>(static_cast<double>(scale) / 1e12));
  Check(qx::LoadF64(d + dso::TimeOffset) == static_cast<double>(qx::LoadI64(d + dso::TimeOffsetPs)) / 1e12);
  Check(qx::LoadI64(d + dso::DelayedScalePs) <= scale);
  for (int ch = 0; ch < 2; ++ch) {
    const double probe = qx::LoadF32(d + dso::ChanProbe[ch]);
    const double volts = qx::LoadF32(d + dso::ChanScale[ch]) / probe;
    Check(probe > 0 && volts >= 0.002 * (1 - 1e-6) && volts <= 10 * (1 + 1e-6));
  }
  const std::uint32_t depth = qx::LoadU32(d + dso::AcqMemDepth);
  Check(depth == 4096 || depth == 8192 || depth == 524288 || depth == 1048576);
}

}  // namespace qxfuzz
