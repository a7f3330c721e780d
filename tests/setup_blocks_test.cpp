// The setup-block translation: a full round trip, the conversions that are
// easy to get wrong, the per-type alternate sub-blocks, and blocks of noise.
// Offsets are written as the instrument documents them, not taken from the
// library's layout header, so a wrong constant there shows up here.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "le_bytes.h"
#include "support/fakes.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// A block field: offset, width in bytes of a little-endian integer (kF32: a
// float), value.
constexpr int kF32 = -4;
struct Field {
  int at, bytes;
  double value;
};

void Store(BYTE* block, const Field& f) {
  if (f.bytes == kF32) return qx::StoreF32(block + f.at, static_cast<float>(f.value));
  BYTE le[8];
  qx::StoreI64(le, static_cast<std::int64_t>(f.value));
  std::memcpy(block + f.at, le, f.bytes);
}

class SetupBlocksTest : public qxtest::LibraryTest {
 public:
  void Pop() { QxPopSetup(&dso, &la, &alt); }
  void Push() { QxPushSetup(&dso, &la, &alt); }
};

// Every field both translations carry, by the trigger type that decides
// which of them the reader takes.
// clang-format off
#define COMMON_PO(X) \
  X(ChanDisplay) X(ChanScale) X(ChanOffset) X(ChanCoupling) X(ChanImpedance) X(ChanBWLimit) X(ChanInvert) \
  X(ChanInvertAtStop) X(DelayedOn) X(TimeFormat) X(TimeOffset) X(TimeOffsetPs) X(TimeScale) \
  X(TimeScalePs) X(DelayedOffset) X(DelayedOffsetPs) X(DelayedScale) X(DelayedScalePs) X(AcqSampleRate) \
  X(AcqSampleRate2) X(TimeOffsetPsAtStop) X(TimeScalePsAtStop) X(AcqSampleRateAtStop) \
  X(AcqSampleRate2AtStop) X(AcqType) X(AcqMode) X(AcqAverages) X(AcqMemDepth) X(AcqMemDepthAtStop) \
  X(AcqMemFull) X(TrigType) X(TrigHoldoff) X(TrigEdgeSlope) X(TrigEdgeSource) X(TrigEdgeLevel) \
  X(TrigPulseWhen) X(TrigPulseWidth) X(TrigPulseSource) X(TrigPulseLevel) X(TrigVideoPolarity) \
  X(TrigVideoSource) X(TrigVideoSync) X(TrigVideoStandard) X(TrigVideoLine) X(TrigVideoLevel) \
  X(TrigSlopeWhen) X(TrigSlopeLevelA) X(TrigSlopeLevelB) X(TrigSlopeTime) X(TrigSlopeSource) X(LaEnable) \
  X(LaThreshold) X(LaUserThreshold) X(AltTrigType) X(AltMemDepth) X(AltTimeScalePs) X(AltTimeScale) \
  X(AltTimeOffsetPs) X(AltTimeOffset) X(AltTimeScalePsAtStop) X(AltTimeScaleAtStop) \
  X(AltTimeOffsetPsAtStop) X(AltTimeOffsetAtStop) X(AltSampleRate) X(AltSampleRate2) X(AltCoupling) \
  X(AltHoldoff) X(AltSensitivity) X(AltEdgeLevel) X(AltEdgeSlope) X(AltPulseLevel) X(AltPulseWhen) \
  X(AltPulseWidth) X(AltVideoPolarity) X(AltVideoSync) X(AltVideoStandard) X(AltVideoLevel) \
  X(AltVideoLine) X(AltSlopeWhen) X(AltSlopeLevelA) X(AltSlopeLevelB) X(AltSlopeTime)
#define EDGE_PO(X) X(TrigSweep) X(TrigCoupling) X(TrigSensitivity)
#define PATTERN_PO(X) X(TrigPattern)
#define DURATION_PO(X) X(TrigDuration) X(TrigDurationTime) X(TrigDurationQualifier)
// clang-format on

// Distinct values that survive the block's narrower types: floats and
// doubles on quarter steps, 64-bit counts beyond 32 bits.
template <typename T>
T Next(int& n) {
  ++n;
  if constexpr (std::is_floating_point_v<T>) return static_cast<T>(n) + T(0.25);
  if constexpr (!std::is_floating_point_v<T> && sizeof(T) == 8) return static_cast<T>(n) * 1'000'000'007LL;
  return static_cast<T>(n * 3 + 2);
}

// Fills a field of the packed record with distinct values (no `want`) or
// checks it against `want`, element by element through memcpy: a reference
// to the field would assume the type's full alignment.
template <typename T>
void Visit(_QX_SETUP& s, const _QX_SETUP* want, std::size_t at, std::size_t size, const char* name, int& n) {
  BYTE* got = reinterpret_cast<BYTE*>(&s) + at;
  for (std::size_t i = 0; i < size; i += sizeof(T)) {
    T a = Next<T>(n), b;
    if (!want) {
      std::memcpy(got + i, &a, sizeof a);
      continue;
    }
    std::memcpy(&a, got + i, sizeof a);
    std::memcpy(&b, reinterpret_cast<const BYTE*>(want) + at + i, sizeof b);
    EXPECT_EQ(a, b) << name << "[" << i / sizeof(T) << "]";
  }
}
#define VISIT(f)                                                                                \
  Visit<std::remove_all_extents_t<decltype(_QX_SETUP::f)>>(setup, want, offsetof(_QX_SETUP, f), \
                                                           sizeof(_QX_SETUP::f), #f, n);

TEST_F(SetupBlocksTest, PopThenPushKeepsEveryFieldBothWaysCarry) {
  for (int type : {TRIG_EDGE, TRIG_PATTERN, TRIG_DURATION}) {
    SCOPED_TRACE(type);
    int n = 0;
    const _QX_SETUP* want = nullptr;
    COMMON_PO(VISIT) EDGE_PO(VISIT) PATTERN_PO(VISIT) DURATION_PO(VISIT);
    setup.TrigType = type;
    setup.AcqMode = 0;
    setup.AcqAverages = 64;
    setup.AcqMemFull = 1;
    setup.AltTrigType[0] = TRIG_PULSE;
    setup.AltTrigType[1] = TRIG_SLOPE;
    setup.AltSampleRate[0] = 250000.0f;
    setup.AltSampleRate[1] = 125000.0f;
    const _QX_SETUP before = setup;
    want = &before;
    Pop();
    setup = _QX_SETUP{};
    Push();
    COMMON_PO(VISIT)
    if (type == TRIG_EDGE) [&] { EDGE_PO(VISIT) }();
    if (type == TRIG_PATTERN) [&] { PATTERN_PO(VISIT) }();
    if (type == TRIG_DURATION) [&] { DURATION_PO(VISIT) }();
    // Derived on the way: seconds at stop from picoseconds, the probe as the writer's 1.0.
    EXPECT_EQ(double{setup.TimeOffsetAtStop}, static_cast<double>(before.TimeOffsetPsAtStop) * 1e-12);
    EXPECT_EQ(setup.ChanProbe[1], 1.0f);
    EXPECT_EQ(setup.ChanOffsetAtStop[1], before.ChanOffset[1]);
  }
}

TEST_F(SetupBlocksTest, PopLeavesTheInstrumentsOwnBytes) {
  std::memset(&dso, 0xA5, sizeof dso);
  std::memset(&la, 0xA5, sizeof la);
  std::memset(&alt, 0xA5, sizeof alt);
  Pop();
  for (int at : {0x01, 0x0D, 0x2F, 0x47, 0x59, 0x5B, 0x122, 0x1D8, 0x22C, 0x280, 0x281, 0x2F4, 0x2F8, 0x2FC,
                 0x300, 0x306, 0x307, 0x308, 0x30B})
    EXPECT_EQ(dso.Bytes[at], 0xA5) << "DSO 0x" << std::hex << at;
  for (int at : {0x02, 0x11, 0x44, 0x56, 0x67, 0xFC})
    EXPECT_EQ(la.Bytes[at], 0xA5) << "LA 0x" << std::hex << at;
  for (int at : {0x00, 0x03, 0x50, 0x68, 0x8C, 0x9A, 0xA8, 0xAC, 0x114, 0x12C})
    EXPECT_EQ(alt.Bytes[at], 0xA5) << "ALT 0x" << std::hex << at;
}

// Microvolts and offset points, the picosecond times, the averages as a power
// of two, and values too large for their field: held at the field's ends.
TEST_F(SetupBlocksTest, PopConversionsAndSaturation) {
  setup.ChanScale[0] = setup.ChanScale[1] = 0.5f;
  setup.ChanProbe[0] = 10.0f;
  setup.ChanProbe[1] = 1.0f;
  setup.ChanOffset[0] = -0.3f;
  setup.ChanOffset[1] = -0.29f;  // -14.5 points
  setup.ChanOffsetAtStop[1] = 0.2f;
  setup.ChanScaleAtStop[1] = 0.005f;  // 0.00499999989 as stored; the points use the current scale
  setup.TimeOffsetPsAtStop = -2'500'000;
  setup.TimeScalePsAtStop = 1'000'000'000;
  setup.AcqMode = 1;
  setup.TrigVideoLine = 0x12345;
  setup.LanPort = -1;
  Pop();
  EXPECT_EQ(qx::LoadI32(dso.Bytes + 0x14), 50000);
  EXPECT_EQ(qx::LoadI16(dso.Bytes + 0x1C), -15);
  EXPECT_EQ(qx::LoadF32(dso.Bytes + 0x28), 1.0f);
  EXPECT_EQ(qx::LoadI32(dso.Bytes + 0x60), 500000);
  EXPECT_EQ(qx::LoadI16(dso.Bytes + 0x68), -14);
  EXPECT_EQ(qx::LoadI16(dso.Bytes + 0x90), 10);
  EXPECT_EQ(qx::LoadI32(dso.Bytes + 0x88), 5000);
  EXPECT_DOUBLE_EQ(qx::LoadF64(dso.Bytes + 0x168), -2.5e-6);
  EXPECT_EQ(qx::LoadF32(dso.Bytes + 0x178), 1e-3f);
  EXPECT_EQ(qx::LoadU32(dso.Bytes + 0x1C4), 0u);
  EXPECT_EQ(qx::LoadU16(dso.Bytes + 0x254), 0x2345);
  EXPECT_EQ(qx::LoadU16(dso.Bytes + 0x304), 0xFFFF);
  for (const auto& [averages, exponent] :
       {std::pair{1u, 0}, {2u, 1}, {256u, 8}, {300u, 8}, {0u, 0}, {1u << 31, 31}}) {
    setup.AcqAverages = averages;
    Pop();
    EXPECT_EQ(qx::LoadU16(dso.Bytes + 0x1C8), exponent) << averages;
  }

  setup.ChanScale[0] = 1.0f;
  setup.ChanProbe[0] = 0.0f;  // infinite microvolts
  setup.ChanOffset[0] = -1e30f;
  setup.ChanScale[1] = kNaN;
  setup.AltSampleRate[0] = 1e12f;
  setup.AltSampleRate[1] = -kInf;
  setup.TimeScale = 1e300;
  Pop();
  EXPECT_EQ(qx::LoadI32(dso.Bytes + 0x14), INT32_MAX);
  EXPECT_EQ(qx::LoadI16(dso.Bytes + 0x1C), INT16_MIN);
  EXPECT_EQ(qx::LoadI32(dso.Bytes + 0x60), 0);
  EXPECT_EQ(qx::LoadI16(dso.Bytes + 0x68), 0);
  EXPECT_EQ(qx::LoadF32(dso.Bytes + 0x138), kInf);
  EXPECT_EQ(qx::LoadU32(alt.Bytes + 0x44), 0xFFFFFFFFu);
  EXPECT_EQ(qx::LoadU32(alt.Bytes + 0x108), 0u);
}

// Each row starts from a zero block and a record that shows the trigger level
// with coupling 7, stores its fields into the block and checks what the
// reader derives from them.
TEST_F(SetupBlocksTest, PushDerivedFields) {
  const struct {
    const char* name;
    std::vector<Field> block;
    std::vector<std::pair<std::string, double>> want;
  } rows[] = {
      // clang-format off
      {"roll at exactly 50 ms/div in YT", {{0x13C, 8, 50e9}}, {{"RollOn", 1}}},
      {"no roll just below", {{0x13C, 8, 49'999'999'999}, {0x121, 1, 1}}, {{"RollOn", 0}}},
      {"no roll outside YT", {{0x13C, 8, 90e9}, {0x124, 4, 2}}, {{"RollOn", 0}}},
      {"delayed scale held to the main one", {{0x120, 1, 1}, {0x138, kF32, 1e-3}, {0x154, kF32, 2e-3}},
       {{"DelayedScale", 1e-3f}}},
      {"delayed scale kept while delayed is off", {{0x138, kF32, 1e-3}, {0x154, kF32, 2e-3}},
       {{"DelayedScale", 2e-3f}}},
      {"averages byte above 31", {{0x1C8, 2, 0x127}}, {{"AcqAverages", 128}}},
      {"mode word 0 is real time", {}, {{"AcqMode", 1}}},
      {"mode word high byte is equivalent time", {{0x1C4, 4, 0x100}}, {{"AcqMode", 0}}},
      {"status forced to stopped", {{0x20C, 4, 4}}, {{"TrigStatus", 1}}},
      {"CH2 display sits at 0x5A", {{0x58, 1, 1}, {0x224, 4, 1}},
       {{"ChanDisplay[1]", 0}, {"TrigLevelShown", 0}, {"TrigLevelLineOn", 0}}},
      {"edge on shown CH2", {{0x5A, 1, 1}, {0x224, 4, 1}, {0x210, 4, 2}},
       {{"TrigLevelShown", 1}, {"TrigLevelLineOn", 1}, {"TrigCoupling", 2}, {"ActiveChannel", ACTIVE_CH2}}},
      {"video from EXT, no coupling",
       {{0x0C, 1, 1}, {0x208, 4, TRIG_VIDEO}, {0x248, 4, 2}, {0x210, 4, 2}, {0x254, 2, 0xFFFF}},
       {{"TrigLevelShown", 0}, {"TrigLevelLineOn", 0}, {"TrigCoupling", 7}, {"TrigVideoLine", 0xFFFF}}},
      {"pattern hides the level, keeps the line flag", {{0x0C, 1, 1}, {0x208, 4, TRIG_PATTERN}},
       {{"TrigLevelShown", 0}, {"TrigLevelLineOn", 1}}},
      // clang-format on
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    dso = {};
    for (const Field& f : row.block) Store(dso.Bytes, f);
    setup = {};
    setup.TrigCoupling = 7;
    setup.TrigLevelShown = rgn.TrigLevelLineOn = 1;
    Push();
    // clang-format off
    const std::map<std::string, double> got = {
        {"RollOn", setup.RollOn}, {"DelayedScale", qxtest::Value(setup.DelayedScale)},
        {"AcqMode", setup.AcqMode}, {"AcqAverages", setup.AcqAverages}, {"TrigStatus", setup.TrigStatus},
        {"ChanDisplay[1]", setup.ChanDisplay[1]},
        {"TrigLevelShown", setup.TrigLevelShown}, {"TrigLevelLineOn", rgn.TrigLevelLineOn},
        {"TrigCoupling", setup.TrigCoupling}, {"ActiveChannel", setup.ActiveChannel},
        {"TrigVideoLine", setup.TrigVideoLine}};
    // clang-format on
    for (const auto& [field, value] : row.want) EXPECT_EQ(got.at(field), value) << field;
  }
}

// Coupling, holdoff and sensitivity repeat in the edge, pulse, slope and
// video sub-blocks; the reader takes them from the channel's type only, the
// writer puts its one value into all of them.
TEST_F(SetupBlocksTest, AlternateSubBlocksByType) {
  const struct {
    int type, coupling, holdoff, sensitivity;  // CH1 offsets; CH2's are 0xC4 further
  } subBlocks[] = {{0, 0x4C, 0x58, 0x60}, {1, 0x64, 0x70, 0x74}, {2, 0xA4, 0xC4, 0xC0}, {3, -1, 0x9C, 0x94}};
  for (int shift : {0, 0xC4}) {
    for (const auto& sub : subBlocks) {
      if (sub.coupling >= 0) qx::StoreI32(alt.Bytes + sub.coupling + shift, 10 + sub.type);
      qx::StoreF32(alt.Bytes + sub.holdoff + shift, 20.0f + sub.type);
      qx::StoreF32(alt.Bytes + sub.sensitivity + shift, 30.0f + sub.type);
    }
  }
  for (int type : {0, 1, 2, 3, 7}) {
    SCOPED_TRACE(type);
    qx::StoreI32(alt.Bytes + 0x04, type);
    qx::StoreI32(alt.Bytes + 0xC8, type);
    for (int c = 0; c < 2; ++c) setup.AltCoupling[c] = setup.AltHoldoff[c] = setup.AltSensitivity[c] = -1;
    Push();
    for (int c = 0; c < 2; ++c) {
      EXPECT_EQ(setup.AltCoupling[c], type <= 2 ? 10 + type : -1);
      EXPECT_EQ(double{setup.AltHoldoff[c]}, type <= 3 ? 20.0 + type : -1);
      EXPECT_EQ(setup.AltSensitivity[c], type <= 3 ? 30.0f + type : -1);
    }
  }
  setup.AltCoupling[1] = 5;
  setup.AltHoldoff[1] = 0.5;
  setup.AltSensitivity[1] = 0.25f;
  Pop();
  for (const auto& sub : subBlocks) {
    SCOPED_TRACE(sub.type);
    EXPECT_EQ(sub.coupling < 0 ? 5 : qx::LoadI32(alt.Bytes + sub.coupling + 0xC4), 5);
    EXPECT_EQ(qx::LoadF32(alt.Bytes + sub.holdoff + 0xC4), 0.5f);
    EXPECT_EQ(qx::LoadF32(alt.Bytes + sub.sensitivity + 0xC4), 0.25f);
  }
}

// Noise, NaN and infinite floats and huge counts must push and pop without
// a fault and leave the record's invariants intact.
TEST_F(SetupBlocksTest, RandomBlocksAreSafe) {
  std::mt19937 random(20240601);
  const float specials[] = {kNaN, kInf, -kInf, 3.4e38f, -1e-45f};
  for (int round = 0; round < 200; ++round) {
    for (BYTE& b : dso.Bytes) b = static_cast<BYTE>(random());
    for (BYTE& b : la.Bytes) b = static_cast<BYTE>(random());
    for (BYTE& b : alt.Bytes) b = static_cast<BYTE>(random());
    for (int i = 0; i + 4 <= 780; i += 4)
      if (random() % 3 == 0) qx::StoreF32(dso.Bytes + i, specials[random() % 5]);
    for (int i = 0; i + 4 <= 396; i += 4)
      if (random() % 3 == 0) qx::StoreF32(alt.Bytes + i, specials[random() % 5]);
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
