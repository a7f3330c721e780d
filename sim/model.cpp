#include "sim/model.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <utility>

#include "convert.h"

namespace qxsim {

namespace dso = L::dso;
namespace la = L::la;
namespace alt = L::alt;

// ---------------------------------------------------------------------------
// Limits
// ---------------------------------------------------------------------------
namespace limits {
namespace {
// The decades the instrument's quantities span, as exact literals: the
// binary exponent of x points at its decade, one comparison either side
// settles it. (pow and log10 cost hundreds of nanoseconds, on every command.)
constexpr int kFirstDecade = -18;
constexpr double kDecades[] = {1e-18, 1e-17, 1e-16, 1e-15, 1e-14, 1e-13, 1e-12, 1e-11, 1e-10, 1e-9,
                               1e-8,  1e-7,  1e-6,  1e-5,  1e-4,  1e-3,  1e-2,  1e-1,  1e0,   1e1,
                               1e2,   1e3,   1e4,   1e5,   1e6,   1e7,   1e8,   1e9,   1e10,  1e11,
                               1e12,  1e13,  1e14,  1e15,  1e16,  1e17,  1e18,  1e19,  1e20};
constexpr int kDecadeCount = static_cast<int>(std::size(kDecades));

// Mantissa in [1, 10) and the decade of x > 0.
struct Decimal {
  double mantissa, decade;
};

// Outside the table's decades.
[[gnu::noinline]] Decimal SplitByLog(double x) {
  double decade = std::pow(10.0, std::floor(std::log10(x)));
  if (x / decade < 1.0)
    decade /= 10.0;
  else if (x / decade >= 10.0)
    decade *= 10.0;
  return {x / decade, decade};
}

// The index of x's decade in kDecades, -1 outside them.
inline int DecadeOf(double x) {
  // floor(log10(2^e)) for the binary exponent e, by 78913 / 2^18 ~ log10(2).
  const int e = static_cast<int>(std::bit_cast<std::uint64_t>(x) >> 52 & 0x7FF) - 1023;
  int k = ((e * 78913) >> 18) - kFirstDecade;
  if (k >= 0 && k + 1 < kDecadeCount) {
    if (x < kDecades[k]) --k;
    if (k >= 0 && x >= kDecades[k + 1]) ++k;
    if (k >= 0 && k + 1 < kDecadeCount && x >= kDecades[k] && x < kDecades[k + 1]) return k;
  }
  return -1;
}

inline Decimal Split(double x) {
  const int k = DecadeOf(x);
  return k >= 0 ? Decimal{x / kDecades[k], kDecades[k]} : SplitByLog(x);
}

// Nearest125's step boundaries are the geometric means of neighbouring steps.
constexpr double kMeans[3] = {1.4142135623730951, 3.1622776601683795, 7.0710678118654755};
constexpr double kSteps[4] = {1, 2, 5, 10};
// For each decade, the least x whose mantissa x / decade reaches each
// boundary: comparing x with it answers what comparing the mantissa would,
// without the division.
using Bounds = std::array<std::array<double, 3>, kDecadeCount>;
const Bounds& MeanBounds() {
  static const Bounds bounds = [] {
    Bounds b;
    for (int k = 0; k < kDecadeCount; ++k)
      for (int j = 0; j < 3; ++j) {
        const double d = kDecades[k];
        double x = kMeans[j] * d;
        while (x / d < kMeans[j]) x = std::nextafter(x, HUGE_VAL);
        while (std::nextafter(x, 0.0) / d >= kMeans[j]) x = std::nextafter(x, 0.0);
        b[static_cast<std::size_t>(k)][static_cast<std::size_t>(j)] = x;
      }
    return b;
  }();
  return bounds;
}
}  // namespace

double Nearest125(double x) {
  if (const int k = DecadeOf(x); k >= 0) {
    const auto& bound = MeanBounds()[static_cast<std::size_t>(k)];
    // Without branches: commands alternating between two steps would mispredict them.
    const int step = (x >= bound[0]) + (x >= bound[1]) + (x >= bound[2]);
    return kSteps[step] * kDecades[k];
  }
  const auto [m, d] = SplitByLog(x);
  if (m < kMeans[0]) return d;
  if (m < kMeans[1]) return 2 * d;
  if (m < kMeans[2]) return 5 * d;
  return 10 * d;
}

double Floor125(double x) {
  const auto [m, d] = Split(x);
  // A tiny tolerance keeps an exact step (computed with rounding noise) on itself.
  constexpr double kTol = 1e-9;
  if (m + kTol >= 5) return 5 * d;
  if (m + kTol >= 2) return 2 * d;
  return d;
}

std::int64_t SnapTimeScalePs(double seconds, std::int64_t lo, std::int64_t hi) {
  if (!(seconds > 0)) return lo;
  const double ps = seconds * static_cast<double>(kPsPerSecond);
  if (ps >= static_cast<double>(hi)) return hi;
  const std::int64_t snapped = qx::RoundTo<std::int64_t>(Nearest125(ps));
  return std::clamp(snapped, lo, hi);
}

std::uint32_t MemoryDepth(bool full, std::int64_t scalePs, bool oneChannel) {
  const std::uint32_t base = full ? kFullDepth : kNormalDepth;
  return oneChannel && scalePs <= kInterleaveMaxScalePs ? 2 * base : base;
}

double RealTimeRate(std::uint32_t depth, std::int64_t scalePs, bool oneChannel) {
  const double maxRate = oneChannel ? kOneChannelRate : kTwoChannelRate;
  const double window = static_cast<double>(scalePs) * kScreenDivs / static_cast<double>(kPsPerSecond);
  return std::min(maxRate, Floor125(depth / window));
}

double EffectiveRate(double realTimeRate, std::uint32_t depth, std::int64_t scalePs, bool equivalentTime) {
  if (!equivalentTime) return realTimeRate;
  const double window = static_cast<double>(scalePs) * kScreenDivs / static_cast<double>(kPsPerSecond);
  return std::max(realTimeRate, std::min(kEquivalentRate, Floor125(depth / window)));
}

std::int64_t MinOffsetPs(std::uint32_t depth, double effectiveRate) {
  return -qx::RoundTo<std::int64_t>((depth / 2) / effectiveRate * static_cast<double>(kPsPerSecond));
}
}  // namespace limits

// ---------------------------------------------------------------------------
// Setups
// ---------------------------------------------------------------------------
namespace {
constexpr std::uint32_t Ip(int a, int b, int c, int d) {
  return static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(b) << 16 |
         static_cast<std::uint32_t>(c) << 8 | static_cast<std::uint32_t>(d);
}
// The interface bytes: self-calibration switch through the MAC address.
constexpr int kInterfaceFirst = dso::SelfCalEnable;
constexpr int kInterfaceEnd = dso::LanMacTail + 3;
}  // namespace

// The factory setup is the same bytes every time: built once, then copied
// (a fuzz input or ":DEFAULT" costs a copy, not the whole derivation).
void Model::FactoryDefault() {
  static const Model factory{FactoryBuild{}};
  dso = factory.dso;
  la = factory.la;
  alt = factory.alt;
  side = factory.side;
  memo_ = factory.memo_;
  stagedDso.reset();
  stagedLa.reset();
  stagedAlt.reset();
}

Model::Model(FactoryBuild) {
  dso.SetU8(dso::RunState, 1);
  for (int ch = 0; ch < 2; ++ch) {
    dso.SetU8(dso::ChanDisplay[ch], ch == 0 ? 1 : 0);
    dso.SetF32(dso::ChanScale[ch], 1.0f);
    dso.SetF32(dso::ChanOffset[ch], 0.0f);
    dso.SetI32(dso::ChanCoupling[ch], 0);   // DC
    dso.SetI32(dso::ChanImpedance[ch], 0);  // 1 Mohm
    dso.SetF32(dso::ChanProbe[ch], 1.0f);
    dso.SetF32(dso::ChanScaleAtStop[ch], 1.0f);
  }
  dso.SetI64(dso::TimeScalePs, 500'000'000);     // 500 us/div
  dso.SetI64(dso::DelayedScalePs, 200'000'000);  // the next step below
  dso.SetI64(dso::TimeScalePsAtStop, 500'000'000);
  dso.SetU16(dso::AcqAveragesExp, 4);  // 16 averages

  dso.SetF32(dso::TrigSensitivity, 0.3f);
  dso.SetF32(dso::TrigHoldoff, 1e-7f);
  dso.SetF32(dso::TrigPulseWidth, 1e-6f);
  dso.SetU16(dso::TrigVideoLine, 1);
  dso.SetF32(dso::TrigSlopeTime, 1e-6f);

  dso.SetU32(dso::LanIp, Ip(192, 0, 2, 10));
  dso.SetU32(dso::LanNetmask, Ip(255, 255, 255, 0));
  dso.SetU32(dso::LanGateway, Ip(192, 0, 2, 1));
  dso.SetI16(dso::LanPort, 5555);
  dso.SetU8(dso::LanMacTail + 0, 0x53);  // "SIM"
  dso.SetU8(dso::LanMacTail + 1, 0x49);
  dso.SetU8(dso::LanMacTail + 2, 0x4D);

  for (int n = 0; n < 16; ++n) {
    la.SetU8(la::LaChanDisplay + n, 1);
    la.SetI32(la::TrigPattern + 4 * n, 2);  // ignored
    la.SetI32(la::TrigDuration + 4 * n, 2);
  }
  la.SetU8(la::LaGroup1, 1);
  la.SetU8(la::LaGroup2, 1);
  la.SetF32(la::LaThreshold, 1.4f);  // TTL
  la.SetF64(la::TrigDurationTime, 1e-6);

  for (int c = 0; c < 2; ++c) {
    alt.SetI64(alt::AltTimeScalePs[c], 500'000'000);
    alt.SetI64(alt::AltTimeScalePsAtStop[c], 500'000'000);
    for (int off : {alt::EdgeSensitivity[c], alt::PulseSensitivity[c], alt::VideoSensitivity[c],
                    alt::SlopeSensitivity[c]})
      alt.SetF32(off, 0.3f);
    for (int off : {alt::EdgeHoldoff[c], alt::PulseHoldoff[c], alt::VideoHoldoff[c], alt::SlopeHoldoff[c]})
      alt.SetF32(off, 1e-7f);
    alt.SetF32(alt::PulseWidth[c], 1e-6f);
    alt.SetF32(alt::SlopeTime[c], 1e-6f);
    alt.SetU16(alt::VideoLine[c], 1);
  }

  side.SetF32(side::FilterUpper[0], 0.25f);
  side.SetF32(side::FilterUpper[1], 0.25f);
  side.SetF32(side::FilterLower[0], 0.05f);
  side.SetF32(side::FilterLower[1], 0.05f);

  Normalize();
  SnapshotAtStop();
}

void Model::DefaultSetup() {
  std::array<std::uint8_t, kInterfaceEnd - kInterfaceFirst> keep;
  std::copy(dso.bytes.begin() + kInterfaceFirst, dso.bytes.begin() + kInterfaceEnd, keep.begin());
  FactoryDefault();
  std::copy(keep.begin(), keep.end(), dso.bytes.begin() + kInterfaceFirst);
}

void Model::Run() {
  dso.SetU8(dso::RunState, 1);
  dso.SetI32(dso::TrigStatus, 0);
}

void Model::Stop() {
  dso.SetU8(dso::RunState, 0);
  dso.SetI32(dso::TrigStatus, 1);
  SnapshotAtStop();
}

// With no signal to measure, AUTO gives the view such a scope settles on:
// an edge trigger at 0 V on the first shown channel, free-running sweep,
// centred traces, main YT timebase, acquisition running.
void Model::Auto() {
  const int source = dso.U8(dso::ChanDisplay[0]) == 0 && dso.U8(dso::ChanDisplay[1]) != 0 ? 1 : 0;
  dso.SetU8(dso::ChanDisplay[source], 1);
  for (int ch = 0; ch < 2; ++ch) dso.SetF32(dso::ChanOffset[ch], 0.0f);
  dso.SetI32(dso::TrigType, 0);
  dso.SetI32(dso::TrigEdgeSource, source);
  dso.SetF32(dso::TrigEdgeLevel, 0.0f);
  dso.SetI32(dso::TrigSweep, 0);
  dso.SetI32(dso::TimeFormat, 0);
  dso.SetU8(dso::DelayedOn, 0);
  dso.SetI64(dso::TimeOffsetPs, 0);
  dso.SetU8(dso::RunState, 1);
  dso.SetI32(dso::TrigStatus, 4);
}

void Model::Startup() {
  if (stagedDso) {
    const std::array<std::uint8_t, 3> mac = {dso.U8(dso::LanMacTail), dso.U8(dso::LanMacTail + 1),
                                             dso.U8(dso::LanMacTail + 2)};
    dso = *stagedDso;
    for (int i = 0; i < 3; ++i) dso.SetU8(dso::LanMacTail + i, mac[static_cast<std::size_t>(i)]);
  }
  if (stagedLa) la = *stagedLa;
  if (stagedAlt) alt = *stagedAlt;
  stagedDso.reset();
  stagedLa.reset();
  stagedAlt.reset();
  Normalize();
}

void Model::SnapshotAtStop() {
  for (int ch = 0; ch < 2; ++ch) {
    const float scale = dso.F32(dso::ChanScale[ch]);
    dso.SetU8(dso::ChanStopWave[ch], dso.U8(dso::ChanDisplay[ch]));
    dso.SetF32(dso::ChanScaleAtStop[ch], scale);
    dso.SetI32(dso::ChanMicroVoltsAtStop[ch], dso.I32(dso::ChanMicroVolts[ch]));
    dso.SetF32(dso::ChanOffsetAtStop[ch], dso.F32(dso::ChanOffset[ch]));
    dso.SetU8(dso::ChanInvertAtStop[ch], dso.U8(dso::ChanInvert[ch]));
  }
  dso.SetI64(dso::TimeOffsetPsAtStop, dso.I64(dso::TimeOffsetPs));
  dso.SetI64(dso::TimeScalePsAtStop, dso.I64(dso::TimeScalePs));
  dso.SetF32(dso::AcqSampleRateAtStop, dso.F32(dso::AcqSampleRate));
  dso.SetF32(dso::AcqSampleRate2AtStop, dso.F32(dso::AcqSampleRate2));
  dso.SetU32(dso::AcqMemDepthAtStop, dso.U32(dso::AcqMemDepth));
  la.SetU8(la::LaEnableAtStop, la.U8(la::LaEnable));
  for (int c = 0; c < 2; ++c) {
    alt.SetI64(alt::AltTimeScalePsAtStop[c], alt.I64(alt::AltTimeScalePs[c]));
    alt.SetI64(alt::AltTimeOffsetPsAtStop[c], alt.I64(alt::AltTimeOffsetPs[c]));
  }
  Normalize();
}

// ---------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------
bool Model::OneChannel() const {
  return (dso.U8(dso::ChanDisplay[0]) != 0) != (dso.U8(dso::ChanDisplay[1]) != 0);
}

float Model::SourceProbe(int source) const {
  return source == 0 || source == 1 ? dso.F32(dso::ChanProbe[source]) : 1.0f;
}

void Model::ChannelLevelRange(int ch, double& lo, double& hi) const {
  const double scale = dso.F32(dso::ChanScale[ch]);
  const double offset = dso.F32(dso::ChanOffset[ch]);
  lo = -limits::kTrigLevelDivs * scale - offset;
  hi = limits::kTrigLevelDivs * scale - offset;
}

void Model::LevelRange(int source, double& lo, double& hi) const {
  switch (source) {
    case 0:
    case 1: ChannelLevelRange(source, lo, hi); return;
    case 2: lo = -limits::kExtLevel, hi = limits::kExtLevel; return;
    case 3: lo = -limits::kExt5Level, hi = limits::kExt5Level; return;
    default: lo = hi = 0.0; return;  // AC line and digital inputs have no level
  }
}

// ---------------------------------------------------------------------------
// Derived fields
// ---------------------------------------------------------------------------
namespace {
// Where range I of `ranges` starts in a memo.
template <std::size_t N>
constexpr int StartOf(const std::array<ByteRange, N>& ranges, std::size_t i) {
  int at = 0;
  for (std::size_t k = 0; k < i; ++k) at += ranges[k].length;
  return at;
}

// Runs `step` unless the ranges hold exactly what it last started from; then
// it puts back what the step produced that time. Exact, whatever the step.
// The ranges are constants, so every comparison and copy has a fixed length.
template <typename Memo, typename Step, std::size_t... I>
void Memoized(Model& m, Memo& memo, Step step, std::index_sequence<I...>) {
  constexpr const auto& kRanges = Memo::kRanges;
  const auto at = [&](auto i) { return m.Bytes(kRanges[i].block) + kRanges[i].offset; };
  const auto holds = [&](const auto& bytes) {
    return ((std::memcmp(at(I), bytes.data() + StartOf(kRanges, I), kRanges[I].length) == 0) && ...);
  };
  const auto take = [&](auto& into) {
    (std::memcpy(into.data() + StartOf(kRanges, I), at(I), kRanges[I].length), ...);
  };
  if (memo.valid && holds(memo.before)) {
    if (memo.changes) (std::memcpy(at(I), memo.after.data() + StartOf(kRanges, I), kRanges[I].length), ...);
    return;
  }
  take(memo.before);
  step();
  take(memo.after);
  memo.changes = memo.before != memo.after;
  memo.valid = true;
}

template <std::size_t N>
bool Reads(const std::array<ByteRange, N>& ranges, const ByteRange& written) {
  for (const ByteRange& r : ranges)
    if (r.block == written.block && r.offset < written.offset + written.length &&
        written.offset < r.offset + r.length)
      return true;
  return false;
}

// Where two steps' ranges share bytes, as places in the first one's memo.
struct Shared {
  int at, length;
};
template <const auto& Mine, const auto& Theirs>
constexpr auto SharedBytes() {
  constexpr auto each = [](auto&& take) {
    int at = 0;
    for (const ByteRange& mine : Mine) {
      for (const ByteRange& r : Theirs) {
        const int lo = std::max(mine.offset, r.offset);
        const int hi = std::min(mine.offset + mine.length, r.offset + r.length);
        if (r.block == mine.block && lo < hi) take(Shared{at + lo - mine.offset, hi - lo});
      }
      at += mine.length;
    }
  };
  constexpr std::size_t kCount = [&] {
    std::size_t n = 0;
    each([&](Shared) { ++n; });
    return n;
  }();
  std::array<Shared, kCount> shared{};
  std::size_t n = 0;
  each([&](Shared s) { shared[n++] = s; });
  return shared;
}

// Whether the step's last run changed bytes that another step's ranges include.
template <typename Memo, typename Other>
bool ChangedWithin(const Memo& memo, const Other&) {
  static constexpr auto kShared = SharedBytes<Memo::kRanges, Other::kRanges>();
  if (!memo.changes) return false;
  for (const Shared& s : kShared)  // a few bytes each: no call to memcmp
    for (int i = s.at; i < s.at + s.length; ++i)
      if (memo.before[static_cast<std::size_t>(i)] != memo.after[static_cast<std::size_t>(i)]) return true;
  return false;
}

// One step of a pass: skipped while at rest and not written into; after a
// run, every other step whose ranges it changed is no longer at rest (a
// later one runs in this pass, an earlier one in the next).
template <typename Memo, typename Step, typename... Others>
void Pass(Model& m, const ByteRange* written, Memo& memo, Step step, Others&... others) {
  if (memo.atRest && written && !Reads(Memo::kRanges, *written)) return;
  Memoized(m, memo, step, std::make_index_sequence<Memo::kRanges.size()>());
  memo.atRest = !memo.changes;
  ((others.atRest = others.atRest && !ChangedWithin(memo, others)), ...);
}
}  // namespace

void Model::Normalize() { Normalize(nullptr); }

void Model::Normalize(const ByteRange& written) { Normalize(&written); }

// Without `written`, every step is looked at.
void Model::Normalize(const ByteRange* written) {
  auto& [ch1, ch2, timebase, alternate] = memo_;
  Pass(
      *this, written, ch1, [&] { NormalizeChannel(0); }, ch2, timebase, alternate);
  Pass(
      *this, written, ch2, [&] { NormalizeChannel(1); }, ch1, timebase, alternate);
  Pass(
      *this, written, timebase, [&] { NormalizeTimebase(); }, ch1, ch2, alternate);
  Pass(
      *this, written, alternate, [&] { NormalizeAlternate(); }, ch1, ch2, timebase);
}

void Model::NormalizeChannel(int ch) {
  double probe = dso.F32(dso::ChanProbe[ch]);
  if (!(probe >= limits::kMinProbe)) probe = std::isnan(probe) || probe <= 0 ? 1.0 : limits::kMinProbe;
  probe = std::min(probe, limits::kMaxProbe);
  dso.SetF32(dso::ChanProbe[ch], static_cast<float>(probe));
  probe = dso.F32(dso::ChanProbe[ch]);

  const ScaleStep& chosen = scaleSteps[static_cast<std::size_t>(ch)];
  double perProbe = dso.F32(dso::ChanScale[ch]) / probe;
  if (chosen.scale == dso.F32(dso::ChanScale[ch]) && chosen.probe == probe) {
    perProbe = chosen.perProbe;
  } else {
    if (!(perProbe > 0)) perProbe = 1.0;
    perProbe = std::clamp(limits::Nearest125(perProbe), limits::kMinVoltsPerDiv, limits::kMaxVoltsPerDiv);
  }
  const float scale = static_cast<float>(perProbe * probe);
  dso.SetF32(dso::ChanScale[ch], scale);

  const double limit = OffsetLimit(perProbe, probe);
  double offset = dso.F32(dso::ChanOffset[ch]);
  offset = std::isnan(offset) ? 0.0 : std::clamp(offset, -limit, limit);
  dso.SetF32(dso::ChanOffset[ch], static_cast<float>(offset));

  dso.SetI32(dso::ChanMicroVolts[ch], qx::TruncateTo<std::int32_t>(scale / probe * 1e6));
  dso.SetI16(dso::ChanOffsetPoints[ch], qx::TruncateTo<std::int16_t>(offset / scale * 25));
  dso.SetI16(dso::ChanOffsetPointsAtStop[ch],
             qx::TruncateTo<std::int16_t>(dso.F32(dso::ChanOffsetAtStop[ch]) / scale * 25));
  dso.SetU32(dso::ChanReserved[ch], 0);
}

void Model::NormalizeTimebase() {
  namespace lim = limits;
  // YT, XY or ROLLING; anything else (from a written block) becomes YT.
  const int format =
      std::clamp(dso.I32(dso::TimeFormat), 0, 2) == dso.I32(dso::TimeFormat) ? dso.I32(dso::TimeFormat) : 0;
  dso.SetI32(dso::TimeFormat, format);
  std::int64_t scale = dso.I64(dso::TimeScalePs);
  scale = lim::SnapTimeScalePs(static_cast<double>(scale) / lim::kPsPerSecond, lim::kMinTimeScalePs,
                               lim::kMaxTimeScalePs);
  if (format == 2) {  // ROLLING: slow sweeps only, no trigger offset, no zoom
    scale = std::max(scale, lim::kRollMinTimeScalePs);
    dso.SetI64(dso::TimeOffsetPs, 0);
  }
  if (format != 0) dso.SetU8(dso::DelayedOn, 0);
  if (format == 1) {  // XY plots CH1 against CH2: both acquired, nothing else shown
    dso.SetU8(dso::ChanDisplay[0], 1);
    dso.SetU8(dso::ChanDisplay[1], 1);
    la.SetU8(la::LaEnable, 0);
  }
  dso.SetI64(dso::TimeScalePs, scale);
  dso.SetF32(dso::TimeScale, static_cast<float>(static_cast<double>(scale) / lim::kPsPerSecond));
  dso.SetU8(dso::RollOn, format == 0 && scale >= lim::kRollOnTimeScalePs ? 1 : 0);

  const bool full = dso.U32(dso::AcqMemFull) != 0;
  const bool etime = dso::EquivalentTime(dso.bytes.data());
  const std::uint32_t depth = lim::MemoryDepth(full, scale, OneChannel());
  const double rate = lim::RealTimeRate(depth, scale, OneChannel());
  const double rate2 = lim::EffectiveRate(rate, depth, scale, etime);
  dso.SetU32(dso::AcqMemFull, full ? 1 : 0);
  dso.SetU32(dso::AcqModeWord, etime ? 1 : 0);
  dso.SetU32(dso::AcqMemDepth, depth);
  dso.SetF32(dso::AcqSampleRate, static_cast<float>(rate));
  dso.SetF32(dso::AcqSampleRate2, static_cast<float>(rate2));
  const int exp = dso::AveragesExponent(dso.bytes.data());
  dso.SetU16(dso::AcqAveragesExp,
             static_cast<std::uint16_t>(std::clamp(exp, lim::kMinAveragesExp, lim::kMaxAveragesExp)));

  const std::int64_t lo = lim::MinOffsetPs(depth, rate2);
  const std::int64_t offset = std::clamp(dso.I64(dso::TimeOffsetPs), lo, lim::kMaxDelayPs);
  dso.SetI64(dso::TimeOffsetPs, offset);
  dso.SetF64(dso::TimeOffset, static_cast<double>(offset) / lim::kPsPerSecond);

  // The delayed window lies inside the main one: never a larger time/div,
  // its centre at most 7 x (main - delayed) from the main offset.
  std::int64_t delayed = dso.I64(dso::DelayedScalePs);
  delayed =
      lim::SnapTimeScalePs(static_cast<double>(delayed) / lim::kPsPerSecond, lim::kMinTimeScalePs, scale);
  const std::int64_t reach = (scale - delayed) * lim::kScreenDivs / 2;
  const std::int64_t delayedOffset =
      std::clamp(dso.I64(dso::DelayedOffsetPs), std::max(lo, offset - reach), offset + reach);
  dso.SetI64(dso::DelayedScalePs, delayed);
  dso.SetF32(dso::DelayedScale, static_cast<float>(static_cast<double>(delayed) / lim::kPsPerSecond));
  dso.SetI64(dso::DelayedOffsetPs, delayedOffset);
  dso.SetF64(dso::DelayedOffset, static_cast<double>(delayedOffset) / lim::kPsPerSecond);

  dso.SetF64(dso::TimeOffsetAtStop,
             static_cast<double>(dso.I64(dso::TimeOffsetPsAtStop)) / lim::kPsPerSecond);
  dso.SetF32(dso::TimeScaleAtStop,
             static_cast<float>(static_cast<double>(dso.I64(dso::TimeScalePsAtStop)) / lim::kPsPerSecond));
}

void Model::NormalizeAlternate() {
  namespace lim = limits;
  const bool full = dso.U32(dso::AcqMemFull) != 0;
  const bool etime = dso::EquivalentTime(dso.bytes.data());
  for (int c = 0; c < 2; ++c) {
    // Each alternate sweep acquires one channel.
    std::int64_t scale = alt.I64(alt::AltTimeScalePs[c]);
    scale = lim::SnapTimeScalePs(static_cast<double>(scale) / lim::kPsPerSecond, lim::kAltMinTimeScalePs,
                                 lim::kAltMaxTimeScalePs);
    const std::uint32_t depth = lim::MemoryDepth(full, scale, true);
    const double rate = lim::RealTimeRate(depth, scale, true);
    const double rate2 = lim::EffectiveRate(rate, depth, scale, etime);
    const std::int64_t offset =
        std::clamp(alt.I64(alt::AltTimeOffsetPs[c]), lim::MinOffsetPs(depth, rate2), lim::kMaxDelayPs);
    alt.SetI64(alt::AltTimeScalePs[c], scale);
    alt.SetF32(alt::AltTimeScale[c], static_cast<float>(static_cast<double>(scale) / lim::kPsPerSecond));
    alt.SetI64(alt::AltTimeOffsetPs[c], offset);
    alt.SetF64(alt::AltTimeOffset[c], static_cast<double>(offset) / lim::kPsPerSecond);
    alt.SetU32(alt::AltMemDepth[c], depth);
    alt.SetU32(alt::AltSampleRate[c], qx::TruncateTo<std::uint32_t>(rate));
    alt.SetF32(alt::AltSampleRate2[c], static_cast<float>(rate2));
    alt.SetF32(
        alt::AltTimeScaleAtStop[c],
        static_cast<float>(static_cast<double>(alt.I64(alt::AltTimeScalePsAtStop[c])) / lim::kPsPerSecond));
    alt.SetF64(alt::AltTimeOffsetAtStop[c],
               static_cast<double>(alt.I64(alt::AltTimeOffsetPsAtStop[c])) / lim::kPsPerSecond);
  }
  const int source = side.I32(side::AltSource);
  side.SetI32(side::AltSource, source == 1 ? 1 : 0);
}

}  // namespace qxsim
