// Timebase commands. Times arrive in seconds and live in picosecond fields;
// the model snaps time/div to its steps, keeps the delayed window inside the
// main one and holds the offsets in range.
#include <algorithm>

#include "convert.h"
#include "sim/handlers.h"

namespace qxsim::cmd {

namespace dso = L::dso;

// DELAYED needs YT, no alternate trigger, and room below the main time/div.
const char* SetTimebaseMode(Model& m, const Call& call) {
  const int code = MatchWord(call.row.words, call.argument);
  if (code < 0) return call.argument.empty() ? kMissingArgument : kBadArgument;
  if (code == 1 && (m.dso.I32(dso::TimeFormat) != 0 || m.dso.I32(dso::TrigType) == 4 ||
                    m.dso.I64(dso::TimeScalePs) <= limits::kMinTimeScalePs))
    return kConflict;
  m.dso.SetU8(dso::DelayedOn, static_cast<std::uint8_t>(code));
  return nullptr;
}

// Under the alternate trigger only YT is possible.
const char* SetTimeFormat(Model& m, const Call& call) {
  const int code = MatchWord(call.row.words, call.argument);
  if (code < 0) return call.argument.empty() ? kMissingArgument : kBadArgument;
  if (code != 0 && m.dso.I32(dso::TrigType) == 4) return kConflict;
  m.dso.SetI32(dso::TimeFormat, code);
  return nullptr;
}

const char* SetTime(Model& m, const Call& call) {
  const auto seconds = scpi::ParseNumber(call.argument);
  if (!seconds) return call.argument.empty() ? kMissingArgument : kBadArgument;
  const double s = std::clamp(*seconds, call.row.lo, call.row.hi);
  Store(m, call.row.field.block, Address(m, call), L::FieldType::I64,
        static_cast<double>(qx::RoundTo<std::int64_t>(s * static_cast<double>(limits::kPsPerSecond))));
  return nullptr;
}

const char* SetTimeScale(Model& m, const Call& call) {
  const auto seconds = scpi::ParseNumber(call.argument);
  if (seconds && *seconds <= 0) return kBadArgument;
  return SetTime(m, call);
}

std::string QueryTime(const Model& m, const Call& call) {
  const std::uint8_t* p = m.Bytes(call.row.field.block) + Address(m, call);
  return scpi::FormatDouble(static_cast<double>(qx::LoadI64(p)) / static_cast<double>(limits::kPsPerSecond));
}

}  // namespace qxsim::cmd
