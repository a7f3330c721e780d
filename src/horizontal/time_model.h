// The time model: every horizontal quantity is a signed count of
// picoseconds (the master copy) with a view in seconds rebuilt from it.
#pragma once

#include <cstdint>

namespace qx {

// Seconds to picoseconds: times 10^12, half a picosecond added away from
// the request's side (toward minus for a negative request), truncated.
std::int64_t ToPicoseconds(double seconds, bool negativeRequest = false);

// 1e-12 as the instrument's single-precision constant: scales are rebuilt
// with it, offsets with the exact 1e-12.
constexpr double kScaleSecondsPerPs = 9.999999960041972e-13;
constexpr double kOffsetSecondsPerPs = 1e-12;

// Rebuilds the seconds views from the picoseconds, validated, scale first:
// the delayed ones only in DELAYED mode; under the alternate trigger only
// the two channels' own time bases, unvalidated.
void SyncTimeBase();

// SetTimeBase on the record's own fields.
void KeepDelayedInsideMain(bool mainChanged);

}  // namespace qx
