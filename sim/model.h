// The simulated instrument's state: the three setup blocks exactly as the
// firmware lays them out, the few settings it keeps outside them, the blocks
// written over USB and waiting for ":STARTUP", and the instrument's own rules
// (time/div and volts/div steps, memory depth, sampling rate, offset ranges)
// that keep the fields of the blocks consistent with each other.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "le_bytes.h"
#include "setup/block_layout.h"
#include "sim/error_queue.h"

namespace qxsim {

namespace L = qx::layout;

enum class BlockId : std::uint8_t { Dso, La, Alt, Side };

// Settings that no setup block carries, kept in a small block of their own
// so the command table addresses them like any block field.
namespace side {
constexpr int FilterDisplay[2] = {0x00, 0x01};  // u8
constexpr int FilterType[2] = {0x04, 0x08};     // i32: LOWPASS, HIGHPASS, BANDPASS, BANDREJECT
constexpr int FilterUpper[2] = {0x0C, 0x10};    // f32, fraction of the sampling rate
constexpr int FilterLower[2] = {0x14, 0x18};    // f32
constexpr int AltSource = 0x1C;                 // i32: 0 CH1, 1 CH2, the alternate channel addressed
constexpr int kSize = 0x20;
}  // namespace side

constexpr int BlockSize(BlockId id) {
  switch (id) {
    case BlockId::Dso: return L::dso::kSize;
    case BlockId::La: return L::la::kSize;
    case BlockId::Alt: return L::alt::kSize;
    case BlockId::Side: return side::kSize;
  }
  return 0;
}

// One block of bytes with typed little-endian access by offset.
template <int N>
struct Block {
  std::array<std::uint8_t, N> bytes{};

  std::uint8_t U8(int off) const { return bytes[At(off, 1)]; }
  std::uint16_t U16(int off) const { return qx::LoadU16(&bytes[At(off, 2)]); }
  std::int16_t I16(int off) const { return qx::LoadI16(&bytes[At(off, 2)]); }
  std::int32_t I32(int off) const { return qx::LoadI32(&bytes[At(off, 4)]); }
  std::uint32_t U32(int off) const { return qx::LoadU32(&bytes[At(off, 4)]); }
  std::int64_t I64(int off) const { return qx::LoadI64(&bytes[At(off, 8)]); }
  float F32(int off) const { return qx::LoadF32(&bytes[At(off, 4)]); }
  double F64(int off) const { return qx::LoadF64(&bytes[At(off, 8)]); }

  void SetU8(int off, std::uint8_t v) { bytes[At(off, 1)] = v; }
  void SetU16(int off, std::uint16_t v) { qx::StoreU16(&bytes[At(off, 2)], v); }
  void SetI16(int off, std::int16_t v) { qx::StoreI16(&bytes[At(off, 2)], v); }
  void SetI32(int off, std::int32_t v) { qx::StoreI32(&bytes[At(off, 4)], v); }
  void SetU32(int off, std::uint32_t v) { qx::StoreU32(&bytes[At(off, 4)], v); }
  void SetI64(int off, std::int64_t v) { qx::StoreI64(&bytes[At(off, 8)], v); }
  void SetF32(int off, float v) { qx::StoreF32(&bytes[At(off, 4)], v); }
  void SetF64(int off, double v) { qx::StoreF64(&bytes[At(off, 8)], v); }

 private:
  // Every offset comes from the layout tables; a wrong one is a bug caught here.
  static std::size_t At(int off, int width) {
    if (off < 0 || off + width > N) __builtin_trap();
    return static_cast<std::size_t>(off);
  }
};

using DsoBlock = Block<L::dso::kSize>;
using LaBlock = Block<L::la::kSize>;
using AltBlock = Block<L::alt::kSize>;
using SideBlock = Block<side::kSize>;

// ---------------------------------------------------------------------------
// The instrument's limits
// ---------------------------------------------------------------------------
namespace limits {
constexpr std::int64_t kPsPerSecond = 1'000'000'000'000;
constexpr std::int64_t kMinTimeScalePs = 2'000;                // 2 ns/div
constexpr std::int64_t kMaxTimeScalePs = 50 * kPsPerSecond;    // 50 s/div
constexpr std::int64_t kRollMinTimeScalePs = 500'000'000'000;  // 500 ms/div in ROLLING
constexpr std::int64_t kRollOnTimeScalePs = 50'000'000'000;    // YT rolls from 50 ms/div
constexpr std::int64_t kAltMinTimeScalePs = 5'000;             // 5 ns/div per alternate channel
constexpr std::int64_t kAltMaxTimeScalePs = 20'000'000'000;    // 20 ms/div
constexpr std::int64_t kMaxDelayPs = 500 * kPsPerSecond;       // trigger point up to 500 s after
constexpr double kMinVoltsPerDiv = 0.002;                      // times the probe factor
constexpr double kMaxVoltsPerDiv = 10.0;
constexpr double kMinProbe = 0.001;
constexpr double kMaxProbe = 1000.0;
constexpr double kSmallScaleOffset = 2.0;   // volts x probe while volts/div / probe <= 0.2
constexpr double kLargeScaleOffset = 40.0;  // volts x probe above
constexpr double kTrigLevelDivs = 6.0;      // the level stays within 6 divisions of the trace
constexpr double kExtLevel = 1.2;           // EXT: 0.2 V/div x 6
constexpr double kExt5Level = 6.0;
constexpr double kMinSensitivity = 0.1, kMaxSensitivity = 1.0;        // divisions
constexpr double kMinHoldoff = 1e-7, kMaxHoldoff = 1.5;               // seconds
constexpr double kMinTimeCondition = 2e-8, kMaxTimeCondition = 10.0;  // pulse width, slope, duration
constexpr double kMinFilter = 0.005, kMaxFilter = 0.495;
constexpr double kMaxUserThreshold = 8.0;
constexpr double kUserThresholdStep = 0.05;
constexpr int kNtscLines = 525, kPalLines = 625;
constexpr int kMinAveragesExp = 1, kMaxAveragesExp = 8;  // 2 to 256 averages

// Memory depth: long memory ("FULL") or normal, doubled when one channel
// alone is acquired at 50 ns/div or faster (the two converters interleave).
constexpr std::int64_t kInterleaveMaxScalePs = 51'000;
constexpr std::uint32_t kNormalDepth = 4096, kFullDepth = 524288;
// Converter rate: 1 GSa/s for one channel, 500 MSa/s each for two;
// equivalent-time sampling reaches 50 GSa/s on a repetitive signal.
constexpr double kOneChannelRate = 1e9, kTwoChannelRate = 5e8, kEquivalentRate = 50e9;
constexpr int kScreenDivs = 14;

// The nearest step of 1-2-5 on a logarithmic scale (ties upward); x > 0.
double Nearest125(double x);
// The largest 1-2-5 step not above x; x > 0.
double Floor125(double x);
// Time/div in picoseconds: the nearest step, held between lo and hi.
std::int64_t SnapTimeScalePs(double seconds, std::int64_t lo, std::int64_t hi);
std::uint32_t MemoryDepth(bool full, std::int64_t scalePs, bool oneChannel);
// Samples per second the converter runs at for a record of `depth` points.
double RealTimeRate(std::uint32_t depth, std::int64_t scalePs, bool oneChannel);
double EffectiveRate(double realTimeRate, std::uint32_t depth, std::int64_t scalePs, bool equivalentTime);
// The earliest trigger position: half the record before the trigger.
std::int64_t MinOffsetPs(std::uint32_t depth, double effectiveRate);
}  // namespace limits

// ---------------------------------------------------------------------------
// The model
// ---------------------------------------------------------------------------

// Each step that normalizes the model reads and writes only the byte ranges
// listed for it here, and is memoized on them: what it last started from and
// produced, so a step whose bytes did not change since (a command usually
// touches one of them) is not computed again.
struct ByteRange {
  BlockId block;
  int offset, length;
};
template <std::size_t N>
constexpr int TotalLength(const std::array<ByteRange, N>& ranges) {
  int n = 0;
  for (const ByteRange& r : ranges) n += r.length;
  return n;
}

constexpr int kChannelSlice = 0x4C;  // a channel's fields, from its display byte (CH1) or 0x58 (CH2)
inline constexpr std::array<ByteRange, 1> kChannel1Ranges = {
    {{BlockId::Dso, L::dso::ChanDisplay[0], kChannelSlice}}};
inline constexpr std::array<ByteRange, 1> kChannel2Ranges = {{{BlockId::Dso, 0x58, kChannelSlice}}};
static_assert(L::dso::ChanDisplay[0] + kChannelSlice == 0x58 &&
              L::dso::ChanInvertAtStop[1] < 0x58 + kChannelSlice);
constexpr int kTimebaseEnd = L::dso::AcqMemFull + 4;  // timebase and acquisition fields: DelayedOn to here
inline constexpr std::array<ByteRange, 4> kTimebaseRanges = {
    {{BlockId::Dso, L::dso::DelayedOn, kTimebaseEnd - L::dso::DelayedOn},
     {BlockId::Dso, L::dso::ChanDisplay[0], 1},
     {BlockId::Dso, L::dso::ChanDisplay[1], 1},
     {BlockId::La, L::la::LaEnable, 1}}};
// Each alternate channel's time base, memory depth and sampling rates.
constexpr int kAltTimebaseBegin = L::alt::AltMemDepth[0], kAltTimebaseEnd = L::alt::AltSampleRate2[0] + 4;
inline constexpr std::array<ByteRange, 5> kAlternateRanges = {
    {{BlockId::Alt, kAltTimebaseBegin, kAltTimebaseEnd - kAltTimebaseBegin},
     {BlockId::Alt, kAltTimebaseBegin + L::alt::kChannelStride, kAltTimebaseEnd - kAltTimebaseBegin},
     {BlockId::Dso, L::dso::AcqMemFull, 4},
     {BlockId::Dso, L::dso::AcqModeWord, 4},
     {BlockId::Side, side::AltSource, 4}}};
static_assert(L::alt::AltTimeScalePs[0] > kAltTimebaseBegin &&
              L::alt::AltTimeOffsetAtStop[0] + 8 <= kAltTimebaseEnd &&
              L::alt::AltSampleRate2[1] - L::alt::AltSampleRate2[0] == L::alt::kChannelStride);

template <const auto& Ranges>
struct StepMemo {
  static constexpr const auto& kRanges = Ranges;
  std::array<std::uint8_t, TotalLength(Ranges)> before{}, after{};
  bool changes = false;  // after differs from before
  bool valid = false;
  // The ranges hold bytes the step leaves as they are: it need not even be
  // looked at until something writes into them.
  bool atRest = false;
};

class Model {
 public:
  Model() { FactoryDefault(); }

  DsoBlock dso;
  LaBlock la;
  AltBlock alt;
  SideBlock side;

  // Blocks written over USB, applied by ":STARTUP".
  std::optional<DsoBlock> stagedDso;
  std::optional<LaBlock> stagedLa;
  std::optional<AltBlock> stagedAlt;
  // The volts/div step ":CHANNEL<n>:SCALE" last chose, with the scale it
  // stored and the probe: snapping that scale again lands on the same step,
  // so the channel's rules take it as it is.
  struct ScaleStep {
    float scale = 0, probe = 0;
    double perProbe = 0;
  };
  std::array<ScaleStep, 2> scaleSteps{};
  // ":CLEARUSB" counts here; the USB device drops its pending output when it changes.
  std::uint64_t usbClears = 0;
  // Refused lines. Reading it (":SYSTEM:ERROR?") takes entries out: the one
  // query that changes the instrument. A default setup leaves it alone.
  mutable ErrorQueue errors;

  std::uint8_t* Bytes(BlockId id) {
    return const_cast<std::uint8_t*>(static_cast<const Model*>(this)->Bytes(id));
  }
  const std::uint8_t* Bytes(BlockId id) const {
    switch (id) {
      case BlockId::Dso: return dso.bytes.data();
      case BlockId::La: return la.bytes.data();
      case BlockId::Alt: return alt.bytes.data();
      case BlockId::Side: return side.bytes.data();
    }
    return nullptr;
  }

  // Everything to the documented factory setup, interface bytes included.
  void FactoryDefault();
  // ":DEFAULT": the factory setup, keeping self-calibration and LAN settings.
  void DefaultSetup();
  void Run();
  void Stop();
  void Auto();
  // ":STARTUP": the staged blocks become the live ones (the MAC stays the
  // instrument's own); then the derived fields are rebuilt.
  void Startup();

  // Re-derives every field that follows from others: the channels' microvolt
  // and point copies, seconds from picoseconds, RollOn, the format's rules,
  // memory depth, sampling rates, and the ranges of the offsets.
  void Normalize();
  // The same, when nothing but `written` changed since the last Normalize:
  // only the steps whose bytes changed run.
  void Normalize(const ByteRange& written);

  // Helpers the command handlers share.
  int AltChannel() const { return side.I32(side::AltSource) == 1 ? 1 : 0; }
  bool OneChannel() const;
  // Probe factor of a trigger source: the channel's for CH1/CH2, else 1.
  float SourceProbe(int source) const;
  // The instrument's range of a trigger level for a source, volts at the tip.
  void LevelRange(int source, double& lo, double& hi) const;
  void ChannelLevelRange(int ch, double& lo, double& hi) const;
  // The offset range of a channel, volts at the tip either way of zero.
  static double OffsetLimit(double voltsPerDivPerProbe, double probe) {
    // The tolerance keeps 0.2 V/div, stored as a float just above it, in the small range.
    const bool small = voltsPerDivPerProbe <= 0.2 * (1 + 1e-6);
    return (small ? limits::kSmallScaleOffset : limits::kLargeScaleOffset) * probe;
  }

 private:
  // Derives the factory setup from zeroed blocks.
  struct FactoryBuild {};
  explicit Model(FactoryBuild);
  void Normalize(const ByteRange* written);
  void NormalizeChannel(int ch);
  void NormalizeTimebase();
  void NormalizeAlternate();

  struct {
    StepMemo<kChannel1Ranges> channel1;
    StepMemo<kChannel2Ranges> channel2;
    StepMemo<kTimebaseRanges> timebase;
    StepMemo<kAlternateRanges> alternate;
  } memo_;
  void SnapshotAtStop();
};

}  // namespace qxsim
