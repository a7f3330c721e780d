// Trigger commands beyond plain settings: the type, levels (held to the
// source's window; all but the edge level kept per probe factor), the common
// settings of the alternate trigger, video lines and digital patterns.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "sim/handlers.h"

namespace qxsim::cmd {

namespace dso = L::dso;
namespace alt = L::alt;
namespace la = L::la;

namespace {

int SourceOf(const Model& m, const Call& call) { return m.dso.I32(call.row.aux); }

// A level for the addressed alternate channel, volts at the probe tip, held
// to that channel's window.
const char* AltLevelVolts(const Model& m, const Call& call, double& volts) {
  if (const char* error = Number(call, volts)) return error;
  double lo, hi;
  m.ChannelLevelRange(m.AltChannel(), lo, hi);
  volts = std::clamp(volts, lo, hi);
  return nullptr;
}

float AltProbe(const Model& m) { return m.dso.F32(dso::ChanProbe[m.AltChannel()]); }
}  // namespace

// The alternate trigger acquires CH1 and CH2 in turn on the main YT timebase.
const char* SetTrigMode(Model& m, const Call& call) {
  if (const char* error = GenericSet(m, call)) return error;
  if (m.dso.I32(dso::TrigType) == 4) {
    m.dso.SetU8(dso::ChanDisplay[0], 1);
    m.dso.SetU8(dso::ChanDisplay[1], 1);
    m.la.SetU8(L::la::LaEnable, 0);
    m.dso.SetU8(dso::DelayedOn, 0);
    m.dso.SetI32(dso::TimeFormat, 0);
  }
  return nullptr;
}

const char* SetLevel(Model& m, const Call& call) {
  double v, lo, hi;
  if (const char* error = Number(call, v)) return error;
  m.LevelRange(SourceOf(m, call), lo, hi);
  m.dso.SetF32(call.row.field.offset, static_cast<float>(std::clamp(v, lo, hi)));
  return nullptr;
}

const char* SetProbeLevel(Model& m, const Call& call) {
  double v, lo, hi;
  if (const char* error = Number(call, v)) return error;
  const int source = SourceOf(m, call);
  m.LevelRange(source, lo, hi);
  m.dso.SetF32(call.row.field.offset, static_cast<float>(std::clamp(v, lo, hi) / m.SourceProbe(source)));
  return nullptr;
}

std::string QueryProbeLevel(const Model& m, const Call& call) {
  return scpi::FormatFloat(m.dso.F32(call.row.field.offset) * m.SourceProbe(SourceOf(m, call)));
}

const char* SetAltLevel(Model& m, const Call& call) {
  double volts;
  if (const char* error = AltLevelVolts(m, call, volts)) return error;
  m.alt.SetF32(Address(m, call), static_cast<float>(volts / AltProbe(m)));
  return nullptr;
}

std::string QueryAltLevel(const Model& m, const Call& call) {
  return scpi::FormatFloat(m.alt.F32(Address(m, call)) * AltProbe(m));
}

// Level A of the alternate slope trigger never lies below level B.
const char* SetAltSlopeLevelA(Model& m, const Call& call) {
  if (const char* error = SetAltLevel(m, call)) return error;
  const int a = Address(m, call), b = Address(m, call, call.row.aux);
  m.alt.SetF32(a, std::max(m.alt.F32(a), m.alt.F32(b)));
  return nullptr;
}

const char* SetAltSlopeLevelB(Model& m, const Call& call) {
  if (const char* error = SetAltLevel(m, call)) return error;
  const int b = Address(m, call), a = Address(m, call, call.row.aux);
  m.alt.SetF32(b, std::min(m.alt.F32(a), m.alt.F32(b)));
  return nullptr;
}

// Without a type node the setting is the trigger's own and the addressed
// alternate channel's, in every sub-block that has it.
const char* SetAltCommonCoupling(Model& m, const Call& call) {
  if (const char* error = GenericSet(m, call)) return error;
  const int c = m.AltChannel();
  const std::int32_t coupling = m.dso.I32(dso::TrigCoupling);
  for (int off : {alt::EdgeCoupling[c], alt::PulseCoupling[c], alt::SlopeCoupling[c]})
    m.alt.SetI32(off, coupling);
  return nullptr;
}

const char* SetAltCommonSensitivity(Model& m, const Call& call) {
  if (const char* error = GenericSet(m, call)) return error;
  const int c = m.AltChannel();
  const float sensitivity = m.dso.F32(dso::TrigSensitivity);
  for (int off : {alt::EdgeSensitivity[c], alt::PulseSensitivity[c], alt::VideoSensitivity[c],
                  alt::SlopeSensitivity[c]})
    m.alt.SetF32(off, sensitivity);
  return nullptr;
}

namespace {
int LinesOf(double standard) { return standard == 1 ? limits::kPalLines : limits::kNtscLines; }
}  // namespace

// A new standard keeps the line number inside its frame.
const char* SetVideoStandard(Model& m, const Call& call) {
  if (const char* error = GenericSet(m, call)) return error;
  const BlockId block = call.row.field.block;
  const int line = Address(m, call, call.row.aux);
  const double lines = LinesOf(Load(m, block, Address(m, call), L::FieldType::I32));
  Store(m, block, line, L::FieldType::U16, std::clamp(Load(m, block, line, L::FieldType::U16), 1.0, lines));
  return nullptr;
}

const char* SetVideoLine(Model& m, const Call& call) {
  double v;
  if (const char* error = Number(call, v)) return error;
  const BlockId block = call.row.field.block;
  const double lines = LinesOf(Load(m, block, Address(m, call, call.row.aux), L::FieldType::I32));
  Store(m, block, Address(m, call), L::FieldType::U16, std::clamp(std::round(v), 1.0, lines));
  return nullptr;
}

// "V,M" or "V,M,e,f": value and mask words over D0..D15 (bit i for Di), then
// the edge channel and its flag. Per channel the LA block keeps a code: 0 must
// be 1, 1 must be 0, 2 ignored, 3 / 4 the edge channel with flag 1 / 0.
const char* SetPattern(Model& m, const Call& call) {
  if (call.argument.empty()) return kMissingArgument;
  long long parts[4] = {0, 0, -1, 0};
  int count = 0;
  std::string_view text = call.argument;
  while (count < 4) {
    const std::size_t comma = text.find(',');
    const auto n = scpi::ParseInteger(text.substr(0, comma));
    if (!n) return kBadArgument;
    parts[count++] = *n;
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
    if (count == 4) return kBadArgument;
  }
  if ((count != 2 && count != 4) || parts[0] < 0 || parts[0] > 0xFFFF || parts[1] < 0 || parts[1] > 0xFFFF)
    return kBadArgument;
  if (count == 4 && (parts[2] < 0 || parts[2] > 15 || (parts[3] != 0 && parts[3] != 1))) return kBadArgument;
  for (int i = 0; i < 16; ++i) {
    const bool inMask = (parts[1] >> i) & 1, high = (parts[0] >> i) & 1;
    int code = !inMask ? 2 : high ? 0 : 1;
    if (i == parts[2]) code = parts[3] == 1 ? 3 : 4;
    m.la.SetI32(call.row.aux + 4 * i, code);
  }
  return nullptr;
}

std::string QueryPattern(const Model& m, const Call& call) {
  unsigned value = 0, mask = 0;
  int edge = -1, flag = 0;
  for (int i = 0; i < 16; ++i) {
    const int code = m.la.I32(call.row.aux + 4 * i);
    if (code == 0) value |= 1u << i;
    if (code == 0 || code == 1 || code == 3 || code == 4) mask |= 1u << i;
    if (code == 3 || code == 4) edge = i, flag = code == 3 ? 1 : 0;
  }
  char text[32];
  if (edge >= 0)
    std::snprintf(text, sizeof text, "%u,%u,%d,%d", value, mask, edge, flag);
  else
    std::snprintf(text, sizeof text, "%u,%u", value, mask);
  return text;
}

}  // namespace qxsim::cmd
