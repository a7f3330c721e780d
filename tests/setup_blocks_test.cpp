// The setup-block translation: a full round trip, the conversions that are
// easy to get wrong, the per-type alternate sub-blocks, and blocks of noise.
// Offsets are written as the instrument documents them, not taken from the
// library's layout header, so a wrong constant there shows up here.
#include <bit>
#include <cstring>
#include <functional>
#include <limits>
#include <random>

#include "le_bytes.h"
#include "support/fakes.h"

namespace {

using qx::LoadF32;
using qx::LoadF64;
using qx::LoadI16;
using qx::LoadI32;
using qx::LoadU16;
using qx::LoadU32;

class SetupBlocksTest : public qxtest::LibraryTest {
 public:
  void Pop() { QxPopSetup(&dso, &la, &alt); }
  void Push() { QxPushSetup(&dso, &la, &alt); }
  BYTE* D(int offset) { return dso.Bytes + offset; }
  BYTE* A(int offset) { return alt.Bytes + offset; }
};

// Every field both translations carry, by the trigger type that decides
// which of them the reader takes.
// clang-format off
#define COMMON_PO(X)                                                                                   \
  /* channels */ X(ChanDisplay) X(ChanScale) X(ChanOffset) X(ChanCoupling) X(ChanImpedance)            \
  X(ChanBWLimit) X(ChanInvert) X(ChanInvertAtStop)                                                     \
  /* timebase, acquisition */ X(DelayedOn) X(TimeFormat) X(TimeOffset) X(TimeOffsetPs) X(TimeScale)    \
  X(TimeScalePs) X(DelayedOffset) X(DelayedOffsetPs) X(DelayedScale) X(DelayedScalePs)                 \
  X(AcqSampleRate) X(AcqSampleRate2) X(TimeOffsetPsAtStop) X(TimeScalePsAtStop) X(AcqSampleRateAtStop) \
  X(AcqSampleRate2AtStop) X(AcqType) X(AcqMode) X(AcqAverages) X(AcqMemDepth) X(AcqMemDepthAtStop)     \
  X(AcqMemFull)                                                                                        \
  /* trigger */ X(TrigType) X(TrigHoldoff) X(TrigEdgeSlope) X(TrigEdgeSource) X(TrigEdgeLevel)         \
  X(TrigPulseWhen) X(TrigPulseWidth) X(TrigPulseSource) X(TrigPulseLevel) X(TrigVideoPolarity)         \
  X(TrigVideoSource) X(TrigVideoSync) X(TrigVideoStandard) X(TrigVideoLine) X(TrigVideoLevel)          \
  X(TrigSlopeWhen) X(TrigSlopeLevelA) X(TrigSlopeLevelB) X(TrigSlopeTime) X(TrigSlopeSource)           \
  /* logic analyzer */ X(LaEnable) X(LaThreshold) X(LaUserThreshold)                                   \
  /* alternate */ X(AltTrigType) X(AltMemDepth) X(AltTimeScalePs) X(AltTimeScale) X(AltTimeOffsetPs)   \
  X(AltTimeOffset) X(AltTimeScalePsAtStop) X(AltTimeScaleAtStop) X(AltTimeOffsetPsAtStop)              \
  X(AltTimeOffsetAtStop) X(AltSampleRate) X(AltSampleRate2) X(AltCoupling) X(AltHoldoff)               \
  X(AltSensitivity) X(AltEdgeLevel) X(AltEdgeSlope) X(AltPulseLevel) X(AltPulseWhen) X(AltPulseWidth)  \
  X(AltVideoPolarity) X(AltVideoSync) X(AltVideoStandard) X(AltVideoLevel) X(AltVideoLine)             \
  X(AltSlopeWhen) X(AltSlopeLevelA) X(AltSlopeLevelB) X(AltSlopeTime)
// clang-format on
#define EDGE_PO(X) X(TrigSweep) X(TrigCoupling) X(TrigSensitivity)
#define PATTERN_PO(X) X(TrigPattern)
#define DURATION_PO(X) X(TrigDuration) X(TrigDurationTime) X(TrigDurationQualifier)

// Distinct values that survive the block's narrower types: floats and
// doubles on quarter steps, 64-bit counts beyond 32 bits.
template <typename T>
T Next(int& n) {
  ++n;
  if constexpr (std::is_floating_point_v<T>) {
    return static_cast<T>(n) + T(0.25);
  } else if constexpr (sizeof(T) == 8) {
    return static_cast<T>(n) * 1'000'000'007LL;
  } else {
    return static_cast<T>(n * 3 + 2);
  }
}

// The record is packed: its fields are read and written by value, never
// through a reference that would assume the type's full alignment.
#define FILL(f)                                                                           \
  [&](auto& s) {                                                                          \
    using T = std::remove_all_extents_t<decltype(s.f)>;                                   \
    if constexpr (std::is_array_v<decltype(s.f)>) {                                       \
      for (std::size_t i = 0; i < std::extent_v<decltype(s.f)>; ++i) s.f[i] = Next<T>(n); \
    } else {                                                                              \
      s.f = Next<T>(n);                                                                   \
    }                                                                                     \
  }(setup);
#define SAME(f)                                                          \
  [&](auto& got, auto& want) {                                           \
    using T = std::remove_all_extents_t<decltype(got.f)>;                \
    if constexpr (std::is_array_v<decltype(got.f)>) {                    \
      for (std::size_t i = 0; i < std::extent_v<decltype(got.f)>; ++i) { \
        const T a = got.f[i], b = want.f[i];                             \
        EXPECT_EQ(a, b) << #f "[" << i << "]";                           \
      }                                                                  \
    } else {                                                             \
      const T a = got.f, b = want.f;                                     \
      EXPECT_EQ(a, b) << #f;                                             \
    }                                                                    \
  }(setup, want);

TEST_F(SetupBlocksTest, PopThenPushKeepsEveryFieldBothWaysCarry) {
  for (int type : {TRIG_EDGE, TRIG_PATTERN, TRIG_DURATION}) {
    SCOPED_TRACE(type);
    int n = 0;
    COMMON_PO(FILL) EDGE_PO(FILL) PATTERN_PO(FILL) DURATION_PO(FILL);
    setup.TrigType = type;
    setup.AcqMode = 0;
    setup.AcqAverages = 64;
    setup.AcqMemFull = 1;
    setup.AltTrigType[0] = TRIG_PULSE;
    setup.AltTrigType[1] = TRIG_SLOPE;
    setup.AltSampleRate[0] = 250000.0f;
    setup.AltSampleRate[1] = 125000.0f;
    const _QX_SETUP want = setup;
    Pop();
    setup = _QX_SETUP{};
    Push();
    COMMON_PO(SAME)
    if (type == TRIG_EDGE) {
      EDGE_PO(SAME)
    }
    if (type == TRIG_PATTERN) {
      PATTERN_PO(SAME)
    }
    if (type == TRIG_DURATION) {
      DURATION_PO(SAME)
    }
    // Derived on the way: seconds at stop from picoseconds, the probe as the writer's 1.0.
    EXPECT_EQ(double{setup.TimeOffsetAtStop}, static_cast<double>(want.TimeOffsetPsAtStop) * 1e-12);
    EXPECT_EQ(setup.ChanProbe[1], 1.0f);
    EXPECT_EQ(setup.ChanOffsetAtStop[1], want.ChanOffset[1]);
  }
}

TEST_F(SetupBlocksTest, PopLeavesTheInstrumentsOwnBytes) {
  std::memset(&dso, 0xA5, sizeof dso);
  std::memset(&la, 0xA5, sizeof la);
  std::memset(&alt, 0xA5, sizeof alt);
  Pop();
  for (int offset : {0x01, 0x0D, 0x2F, 0x47, 0x59, 0x5B, 0x122, 0x1D8, 0x22C, 0x280, 0x281, 0x2F4, 0x2F8,
                     0x2FC, 0x300, 0x306, 0x307, 0x308, 0x30B})
    EXPECT_EQ(dso.Bytes[offset], 0xA5) << std::hex << offset;
  for (int offset : {0x02, 0x11, 0x44, 0x56, 0x67, 0xFC})
    EXPECT_EQ(la.Bytes[offset], 0xA5) << std::hex << offset;
  for (int offset : {0x00, 0x03, 0x50, 0x68, 0x8C, 0x9A, 0xA8, 0xAC, 0x114, 0x12C})
    EXPECT_EQ(alt.Bytes[offset], 0xA5);
}

TEST_F(SetupBlocksTest, PopConversions) {
  setup.ChanScale[0] = 0.5f;
  setup.ChanProbe[0] = 10.0f;
  setup.ChanOffset[0] = -0.3f;
  setup.ChanScale[1] = 0.5f;
  setup.ChanProbe[1] = 1.0f;
  setup.ChanOffset[1] = -0.29f;  // -14.5 points
  setup.ChanOffsetAtStop[1] = 0.2f;
  setup.ChanScaleAtStop[1] = 0.005f;  // 0.00499999989 as stored; the points use the current scale
  setup.TimeOffsetPsAtStop = -2'500'000;
  setup.TimeScalePsAtStop = 1'000'000'000;
  setup.AcqMode = 1;
  setup.TrigVideoLine = 0x12345;
  setup.LanPort = -1;
  Pop();
  EXPECT_EQ(LoadI32(D(0x14)), 50000);
  EXPECT_EQ(LoadI16(D(0x1C)), -15);
  EXPECT_EQ(LoadF32(D(0x28)), 1.0f);
  EXPECT_EQ(LoadI32(D(0x60)), 500000);
  EXPECT_EQ(LoadI16(D(0x68)), -14);
  EXPECT_EQ(LoadI16(D(0x90)), 10);
  EXPECT_EQ(LoadI32(D(0x88)), 5000);
  EXPECT_DOUBLE_EQ(LoadF64(D(0x168)), -2.5e-6);
  EXPECT_EQ(LoadF32(D(0x178)), 1e-3f);
  EXPECT_EQ(LoadU32(D(0x1C4)), 0u);
  EXPECT_EQ(LoadU16(D(0x254)), 0x2345);
  EXPECT_EQ(LoadU16(D(0x304)), 0xFFFF);

  const struct {
    UINT averages;
    int exponent;
  } averages[] = {{1, 0}, {2, 1}, {128, 7}, {256, 8}, {300, 8}, {0, 0}, {0x80000000u, 31}};
  for (const auto& row : averages) {
    setup.AcqAverages = row.averages;
    Pop();
    EXPECT_EQ(LoadU16(D(0x1C8)), row.exponent) << row.averages;
  }
}

TEST_F(SetupBlocksTest, PopSaturatesWhatDoesNotFit) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  setup.ChanScale[0] = 1.0f;
  setup.ChanProbe[0] = 0.0f;  // infinite microvolts
  setup.ChanOffset[0] = -1e30f;
  setup.ChanScale[1] = nan;
  setup.ChanProbe[1] = 1.0f;
  setup.AltSampleRate[0] = 1e12f;
  setup.AltSampleRate[1] = -inf;
  setup.TimeScale = 1e300;
  Pop();
  EXPECT_EQ(LoadI32(D(0x14)), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(LoadI16(D(0x1C)), std::numeric_limits<std::int16_t>::min());
  EXPECT_EQ(LoadI32(D(0x60)), 0);
  EXPECT_EQ(LoadI16(D(0x68)), 0);
  EXPECT_EQ(LoadU32(A(0x44)), 0xFFFFFFFFu);
  EXPECT_EQ(LoadU32(A(0x108)), 0u);
  EXPECT_EQ(LoadF32(D(0x138)), inf);
}

TEST_F(SetupBlocksTest, PushDerivedFields) {
  const struct {
    const char* name;
    std::function<void(SetupBlocksTest&)> block;
    std::function<void(const _QX_SETUP&, const _QX_RGN_SETUP&)> check;
  } rows[] = {
      {"roll at exactly 50 ms/div in YT", [](auto& t) { qx::StoreI64(t.D(0x13C), 50'000'000'000); },
       [](auto& s, auto&) { EXPECT_EQ(s.RollOn, 1); }},
      {"no roll just below",
       [](auto& t) {
         qx::StoreI64(t.D(0x13C), 49'999'999'999);
         *t.D(0x121) = 1;
       },
       [](auto& s, auto&) { EXPECT_EQ(s.RollOn, 0); }},
      {"no roll outside YT",
       [](auto& t) {
         qx::StoreI64(t.D(0x13C), 90'000'000'000);
         qx::StoreI32(t.D(0x124), 2);
       },
       [](auto& s, auto&) { EXPECT_EQ(s.RollOn, 0); }},
      {"delayed scale held to the main one",
       [](auto& t) {
         *t.D(0x120) = 1;
         qx::StoreF32(t.D(0x138), 1e-3f);
         qx::StoreF32(t.D(0x154), 2e-3f);
       },
       [](auto& s, auto&) { EXPECT_EQ(double{s.DelayedScale}, double{1e-3f}); }},
      {"delayed scale kept while delayed is off",
       [](auto& t) {
         qx::StoreF32(t.D(0x138), 1e-3f);
         qx::StoreF32(t.D(0x154), 2e-3f);
       },
       [](auto& s, auto&) { EXPECT_EQ(double{s.DelayedScale}, double{2e-3f}); }},
      {"averages 2^7", [](auto& t) { qx::StoreU16(t.D(0x1C8), 7); },
       [](auto& s, auto&) { EXPECT_EQ(s.AcqAverages, 128u); }},
      {"averages byte above 31", [](auto& t) { qx::StoreU16(t.D(0x1C8), 0x0127); },
       [](auto& s, auto&) { EXPECT_EQ(s.AcqAverages, 128u); }},
      {"mode word 0 is real time", [](auto&) {}, [](auto& s, auto&) { EXPECT_EQ(s.AcqMode, 1); }},
      {"mode word high byte is equivalent time", [](auto& t) { qx::StoreU32(t.D(0x1C4), 0x100); },
       [](auto& s, auto&) { EXPECT_EQ(s.AcqMode, 0); }},
      {"status forced to stopped", [](auto& t) { qx::StoreI32(t.D(0x20C), 4); },
       [](auto& s, auto&) { EXPECT_EQ(s.TrigStatus, 1); }},
      {"CH2 display sits at 0x5A",
       [](auto& t) {
         *t.D(0x58) = 1;
         *t.D(0x5A) = 0;
         qx::StoreI32(t.D(0x224), 1);
       },
       [](auto& s, auto& r) {
         EXPECT_EQ(s.ChanDisplay[1], 0);
         EXPECT_EQ(s.TrigLevelShown, 0);
         EXPECT_EQ(r.TrigLevelLineOn, 0);
       }},
      {"edge on shown CH2",
       [](auto& t) {
         *t.D(0x5A) = 1;
         qx::StoreI32(t.D(0x224), 1);
         qx::StoreI32(t.D(0x210), 2);
       },
       [](auto& s, auto& r) {
         EXPECT_EQ(s.TrigLevelShown, 1);
         EXPECT_EQ(r.TrigLevelLineOn, 1);
         EXPECT_EQ(s.TrigCoupling, 2);
         EXPECT_EQ(s.ActiveChannel, ACTIVE_CH2);
       }},
      {"video from EXT, no coupling",
       [](auto& t) {
         *t.D(0x0C) = 1;
         qx::StoreI32(t.D(0x208), TRIG_VIDEO);
         qx::StoreI32(t.D(0x248), 2);
         qx::StoreI32(t.D(0x210), 2);
         qx::StoreU16(t.D(0x254), 0xFFFF);
       },
       [](auto& s, auto& r) {
         EXPECT_EQ(s.TrigLevelShown, 0);
         EXPECT_EQ(r.TrigLevelLineOn, 0);
         EXPECT_EQ(s.TrigCoupling, 7);
         EXPECT_EQ(s.TrigVideoLine, 0xFFFF);
       }},
      {"pattern hides the level, keeps the line flag",
       [](auto& t) {
         *t.D(0x0C) = 1;
         qx::StoreI32(t.D(0x208), TRIG_PATTERN);
       },
       [](auto& s, auto& r) {
         EXPECT_EQ(s.TrigLevelShown, 0);
         EXPECT_EQ(r.TrigLevelLineOn, 1);
       }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    dso = {};
    setup = {};
    setup.TrigCoupling = 7;
    setup.TrigLevelShown = 1;
    rgn.TrigLevelLineOn = 1;
    row.block(*this);
    Push();
    row.check(setup, rgn);
  }
}

// Coupling, holdoff and sensitivity repeat in the edge, pulse, slope and
// video sub-blocks; the reader takes them from the channel's type only.
TEST_F(SetupBlocksTest, AlternateSubBlocksByType) {
  const struct {
    int type, coupling, holdoff, sensitivity;  // CH1 offsets
  } subBlocks[] = {{0, 0x4C, 0x58, 0x60}, {1, 0x64, 0x70, 0x74}, {2, 0xA4, 0xC4, 0xC0}, {3, -1, 0x9C, 0x94}};
  for (int c = 0; c < 2; ++c) {
    for (const auto& sub : subBlocks) {
      const int shift = c * 0xC4;
      if (sub.coupling >= 0) qx::StoreI32(A(sub.coupling + shift), 10 + sub.type);
      qx::StoreF32(A(sub.holdoff + shift), 20.0f + sub.type);
      qx::StoreF32(A(sub.sensitivity + shift), 30.0f + sub.type);
    }
  }
  for (int type : {0, 1, 2, 3, 7}) {
    SCOPED_TRACE(type);
    qx::StoreI32(A(0x04), type);
    qx::StoreI32(A(0xC8), type);
    for (int c = 0; c < 2; ++c) {
      setup.AltCoupling[c] = -1;
      setup.AltHoldoff[c] = -1;
      setup.AltSensitivity[c] = -1;
    }
    Push();
    for (int c = 0; c < 2; ++c) {
      EXPECT_EQ(setup.AltCoupling[c], type <= 2 ? 10 + type : -1);
      EXPECT_EQ(double{setup.AltHoldoff[c]}, type <= 3 ? 20.0 + type : -1);
      EXPECT_EQ(setup.AltSensitivity[c], type <= 3 ? 30.0f + type : -1);
    }
  }
  // The writer puts the one value into every sub-block of its channel.
  setup.AltCoupling[1] = 5;
  setup.AltHoldoff[1] = 0.5;
  setup.AltSensitivity[1] = 0.25f;
  Pop();
  for (const auto& sub : subBlocks) {
    if (sub.coupling >= 0) {
      EXPECT_EQ(LoadI32(A(sub.coupling + 0xC4)), 5);
    }
    EXPECT_EQ(LoadF32(A(sub.holdoff + 0xC4)), 0.5f);
    EXPECT_EQ(LoadF32(A(sub.sensitivity + 0xC4)), 0.25f);
  }
}

// Noise, NaN and infinite floats and huge counts must push and pop without
// a fault and leave the record's invariants intact.
TEST_F(SetupBlocksTest, RandomBlocksAreSafe) {
  std::mt19937 random(20240601);
  const float specials[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(), 3.4e38f, -1e-45f};
  for (int round = 0; round < 200; ++round) {
    for (BYTE& b : dso.Bytes) b = static_cast<BYTE>(random());
    for (BYTE& b : la.Bytes) b = static_cast<BYTE>(random());
    for (BYTE& b : alt.Bytes) b = static_cast<BYTE>(random());
    for (int i = 0; i + 4 <= 780; i += 4)
      if (random() % 3 == 0) qx::StoreF32(D(i), specials[random() % 5]);
    for (int i = 0; i + 4 <= 396; i += 4)
      if (random() % 3 == 0) qx::StoreF32(A(i), specials[random() % 5]);
    Push();
    EXPECT_EQ(std::popcount(setup.AcqAverages), 1);
    EXPECT_EQ(setup.TrigStatus, 1);
    EXPECT_TRUE(setup.ActiveChannel <= 9);
    BYTE* raw = reinterpret_cast<BYTE*>(&setup);
    for (std::size_t i = 0; i < sizeof setup; ++i) raw[i] = static_cast<BYTE>(random());
    Pop();
  }
}

}  // namespace
