// Analog channel commands whose value depends on the probe factor.
#include <algorithm>

#include "sim/handlers.h"

namespace qxsim::cmd {

namespace dso = L::dso;

// Volts/div at the probe tip: the probe-free scale goes to its 1-2-5 step
// between 2 mV and 10 V. The offset keeps its volts within the new range
// (the model re-clamps it).
const char* SetChanScale(Model& m, const Call& call) {
  double v;
  if (const char* error = Number(call, v)) return error;
  if (v <= 0) return kBadArgument;
  const int ch = EntryOf(m, call);
  const double probe = m.dso.F32(dso::ChanProbe[ch]);
  const double perProbe =
      std::clamp(limits::Nearest125(v / probe), limits::kMinVoltsPerDiv, limits::kMaxVoltsPerDiv);
  const float scale = static_cast<float>(perProbe * probe);
  m.dso.SetF32(dso::ChanScale[ch], scale);
  m.scaleSteps[static_cast<std::size_t>(ch)] = {scale, static_cast<float>(probe), perProbe};
  return nullptr;
}

const char* SetChanOffset(Model& m, const Call& call) {
  double v;
  if (const char* error = Number(call, v)) return error;
  const int ch = EntryOf(m, call);
  const double probe = m.dso.F32(dso::ChanProbe[ch]);
  const double limit = Model::OffsetLimit(m.dso.F32(dso::ChanScale[ch]) / probe, probe);
  m.dso.SetF32(dso::ChanOffset[ch], static_cast<float>(std::clamp(v, -limit, limit)));
  return nullptr;
}

// A new probe factor scales what the screen shows: volts/div, offset and an
// edge level on this channel follow it; levels kept per probe stay as they are.
const char* SetChanProbe(Model& m, const Call& call) {
  double v;
  if (const char* error = Number(call, v)) return error;
  if (v <= 0) return kBadArgument;
  const int ch = EntryOf(m, call);
  const double probe = std::clamp(v, limits::kMinProbe, limits::kMaxProbe);
  const double k = probe / m.dso.F32(dso::ChanProbe[ch]);
  m.dso.SetF32(dso::ChanProbe[ch], static_cast<float>(probe));
  m.dso.SetF32(dso::ChanScale[ch], static_cast<float>(m.dso.F32(dso::ChanScale[ch]) * k));
  m.dso.SetF32(dso::ChanOffset[ch], static_cast<float>(m.dso.F32(dso::ChanOffset[ch]) * k));
  if (m.dso.I32(dso::TrigEdgeSource) == ch)
    m.dso.SetF32(dso::TrigEdgeLevel, static_cast<float>(m.dso.F32(dso::TrigEdgeLevel) * k));
  return nullptr;
}

}  // namespace qxsim::cmd
