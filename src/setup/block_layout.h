// The instrument's three binary setup blocks, field by field: byte offset,
// width and encoding. The named offsets are what the library (and the
// simulated instrument) read and write through the little-endian helpers;
// the row tables below walk the same names in block order, for decoding and
// for the checks that every field lies inside its block.
//
// Per-channel fields are two-entry arrays, [0] CH1 and [1] CH2, as the
// instrument's documentation prints them side by side.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "le_bytes.h"

namespace qx::layout {

enum class FieldType : unsigned char { U8, U16, I16, I32, U32, I64, F32, F64, U8x3 };

// Which translation uses a field: P block -> record, O record -> block, PO both;
// Lan: interface bytes read by system start directly.
enum class Dir : unsigned char { P, O, PO, Lan };

constexpr int Width(FieldType t) {
  switch (t) {
    case FieldType::U8: return 1;
    case FieldType::U16:
    case FieldType::I16: return 2;
    case FieldType::U8x3: return 3;
    case FieldType::I32:
    case FieldType::U32:
    case FieldType::F32: return 4;
    case FieldType::I64:
    case FieldType::F64: return 8;
  }
  return 0;
}

struct FieldRow {
  const char* name;
  int offset;
  FieldType type;
  Dir dir;
};

// ---------------------------------------------------------------------------
// DSO_SETUP, 780 bytes: channels, timebase, acquisition, trigger, interface.
// Each channel is a 76-byte slice (CH1 from 0x0C, CH2 from 0x58), except the
// CH2 display byte, which sits at 0x5A.
// ---------------------------------------------------------------------------
namespace dso {
constexpr int kSize = 780;

constexpr int RunState = 0x00;
constexpr int ActiveChannel = 0x08;

constexpr int ChanDisplay[2] = {0x0C, 0x5A};
constexpr int ChanScale[2] = {0x10, 0x5C};         // f32 volts/div
constexpr int ChanMicroVolts[2] = {0x14, 0x60};    // i32 scale / probe * 1e6
constexpr int ChanOffset[2] = {0x18, 0x64};        // f32 volts
constexpr int ChanOffsetPoints[2] = {0x1C, 0x68};  // i16 offset / scale * 25
constexpr int ChanCoupling[2] = {0x20, 0x6C};
constexpr int ChanImpedance[2] = {0x24, 0x70};
constexpr int ChanProbe[2] = {0x28, 0x74};  // f32; written as 1.0
constexpr int ChanBWLimit[2] = {0x2C, 0x78};
constexpr int ChanInvert[2] = {0x2E, 0x7A};
constexpr int ChanReserved[2] = {0x30, 0x7C};  // u32, written as 0
constexpr int ChanStopWave[2] = {0x34, 0x80};
constexpr int ChanScaleAtStop[2] = {0x38, 0x84};
constexpr int ChanMicroVoltsAtStop[2] = {0x3C, 0x88};
constexpr int ChanOffsetAtStop[2] = {0x40, 0x8C};
constexpr int ChanOffsetPointsAtStop[2] = {0x44, 0x90};  // with the current scale
constexpr int ChanInvertAtStop[2] = {0x46, 0x92};

constexpr int DelayedOn = 0x120;
constexpr int RollOn = 0x121;
constexpr int TimeFormat = 0x124;
constexpr int TimeOffset = 0x128;       // f64
constexpr int TimeOffsetPs = 0x130;     // i64
constexpr int TimeScale = 0x138;        // f32
constexpr int TimeScalePs = 0x13C;      // i64
constexpr int DelayedOffset = 0x144;    // f64
constexpr int DelayedOffsetPs = 0x14C;  // i64
constexpr int DelayedScale = 0x154;     // f32
constexpr int DelayedScalePs = 0x158;   // i64
constexpr int AcqSampleRate = 0x160;
constexpr int AcqSampleRate2 = 0x164;
constexpr int TimeOffsetAtStop = 0x168;  // f64 seconds
constexpr int TimeOffsetPsAtStop = 0x170;
constexpr int TimeScaleAtStop = 0x178;  // f32 seconds
constexpr int TimeScalePsAtStop = 0x17C;
constexpr int AcqSampleRateAtStop = 0x184;
constexpr int AcqSampleRate2AtStop = 0x188;
constexpr int AcqType = 0x1C0;
constexpr int AcqModeWord = 0x1C4;     // u32: 1 ETIME, 0 RTIME
constexpr int AcqAveragesExp = 0x1C8;  // u16: k for 2^k averages
constexpr int AcqMemDepth = 0x1CC;
constexpr int AcqMemDepthAtStop = 0x1D0;
constexpr int AcqMemFull = 0x1D4;

constexpr int TrigType = 0x208;
constexpr int TrigStatus = 0x20C;
constexpr int TrigCoupling = 0x210;
constexpr int TrigSensitivity = 0x214;
constexpr int TrigHoldoff = 0x218;
constexpr int TrigSweep = 0x21C;
constexpr int TrigEdgeSlope = 0x220;
constexpr int TrigEdgeSource = 0x224;
constexpr int TrigEdgeLevel = 0x228;
constexpr int TrigPulseWhen = 0x230;
constexpr int TrigPulseWidth = 0x234;  // f32
constexpr int TrigPulseSource = 0x238;
constexpr int TrigPulseLevel = 0x23C;
constexpr int TrigVideoPolarity = 0x244;
constexpr int TrigVideoSource = 0x248;
constexpr int TrigVideoSync = 0x24C;
constexpr int TrigVideoStandard = 0x250;
constexpr int TrigVideoLine = 0x254;  // u16
constexpr int TrigVideoLevel = 0x258;
constexpr int TrigSlopeWhen = 0x260;
constexpr int TrigSlopeLevelA = 0x268;
constexpr int TrigSlopeLevelB = 0x270;
constexpr int TrigSlopeTime = 0x278;  // f32
constexpr int TrigSlopeSource = 0x27C;
constexpr int PassFailOn = 0x280;

constexpr int SelfCalEnable = 0x2F4;
constexpr int LanDhcp = 0x2F5;
constexpr int LanIp = 0x2F8;  // u32, first dotted octet most significant
constexpr int LanNetmask = 0x2FC;
constexpr int LanGateway = 0x300;
constexpr int LanPort = 0x304;     // i16
constexpr int LanMacTail = 0x306;  // the last three MAC octets, in order

// Two acquisition fields are read the same way by everyone who reads a block
// (system start, the read-back, the simulated instrument):
// the mode word is set for equivalent time, any nonzero value counting;
inline bool EquivalentTime(const std::uint8_t* block) { return qx::LoadU32(block + AcqModeWord) != 0; }
// the averages exponent k (2^k averages) is the low byte of its word, AND 31.
inline int AveragesExponent(const std::uint8_t* block) { return block[AcqAveragesExp] & 31; }
inline std::uint32_t Averages(const std::uint8_t* block) { return 1u << AveragesExponent(block); }

constexpr FieldRow kRows[] = {
    {"RunState", RunState, FieldType::U8, Dir::O},
    {"ActiveChannel", ActiveChannel, FieldType::I32, Dir::O},
    {"CH1 Display", ChanDisplay[0], FieldType::U8, Dir::PO},
    {"CH1 Scale", ChanScale[0], FieldType::F32, Dir::PO},
    {"CH1 MicroVolts", ChanMicroVolts[0], FieldType::I32, Dir::O},
    {"CH1 Offset", ChanOffset[0], FieldType::F32, Dir::PO},
    {"CH1 OffsetPoints", ChanOffsetPoints[0], FieldType::I16, Dir::O},
    {"CH1 Coupling", ChanCoupling[0], FieldType::I32, Dir::PO},
    {"CH1 Impedance", ChanImpedance[0], FieldType::I32, Dir::PO},
    {"CH1 Probe", ChanProbe[0], FieldType::F32, Dir::PO},
    {"CH1 BWLimit", ChanBWLimit[0], FieldType::U8, Dir::PO},
    {"CH1 Invert", ChanInvert[0], FieldType::U8, Dir::PO},
    {"CH1 Reserved", ChanReserved[0], FieldType::U32, Dir::O},
    {"CH1 StopWave", ChanStopWave[0], FieldType::U8, Dir::O},
    {"CH1 ScaleAtStop", ChanScaleAtStop[0], FieldType::F32, Dir::O},
    {"CH1 MicroVoltsAtStop", ChanMicroVoltsAtStop[0], FieldType::I32, Dir::O},
    {"CH1 OffsetAtStop", ChanOffsetAtStop[0], FieldType::F32, Dir::O},
    {"CH1 OffsetPointsAtStop", ChanOffsetPointsAtStop[0], FieldType::I16, Dir::O},
    {"CH1 InvertAtStop", ChanInvertAtStop[0], FieldType::U8, Dir::PO},
    {"CH2 Display", ChanDisplay[1], FieldType::U8, Dir::PO},
    {"CH2 Scale", ChanScale[1], FieldType::F32, Dir::PO},
    {"CH2 MicroVolts", ChanMicroVolts[1], FieldType::I32, Dir::O},
    {"CH2 Offset", ChanOffset[1], FieldType::F32, Dir::PO},
    {"CH2 OffsetPoints", ChanOffsetPoints[1], FieldType::I16, Dir::O},
    {"CH2 Coupling", ChanCoupling[1], FieldType::I32, Dir::PO},
    {"CH2 Impedance", ChanImpedance[1], FieldType::I32, Dir::PO},
    {"CH2 Probe", ChanProbe[1], FieldType::F32, Dir::PO},
    {"CH2 BWLimit", ChanBWLimit[1], FieldType::U8, Dir::PO},
    {"CH2 Invert", ChanInvert[1], FieldType::U8, Dir::PO},
    {"CH2 Reserved", ChanReserved[1], FieldType::U32, Dir::O},
    {"CH2 StopWave", ChanStopWave[1], FieldType::U8, Dir::O},
    {"CH2 ScaleAtStop", ChanScaleAtStop[1], FieldType::F32, Dir::O},
    {"CH2 MicroVoltsAtStop", ChanMicroVoltsAtStop[1], FieldType::I32, Dir::O},
    {"CH2 OffsetAtStop", ChanOffsetAtStop[1], FieldType::F32, Dir::O},
    {"CH2 OffsetPointsAtStop", ChanOffsetPointsAtStop[1], FieldType::I16, Dir::O},
    {"CH2 InvertAtStop", ChanInvertAtStop[1], FieldType::U8, Dir::PO},
    {"DelayedOn", DelayedOn, FieldType::U8, Dir::PO},
    {"RollOn", RollOn, FieldType::U8, Dir::PO},
    {"TimeFormat", TimeFormat, FieldType::I32, Dir::PO},
    {"TimeOffset", TimeOffset, FieldType::F64, Dir::PO},
    {"TimeOffsetPs", TimeOffsetPs, FieldType::I64, Dir::PO},
    {"TimeScale", TimeScale, FieldType::F32, Dir::PO},
    {"TimeScalePs", TimeScalePs, FieldType::I64, Dir::PO},
    {"DelayedOffset", DelayedOffset, FieldType::F64, Dir::PO},
    {"DelayedOffsetPs", DelayedOffsetPs, FieldType::I64, Dir::PO},
    {"DelayedScale", DelayedScale, FieldType::F32, Dir::PO},
    {"DelayedScalePs", DelayedScalePs, FieldType::I64, Dir::PO},
    {"AcqSampleRate", AcqSampleRate, FieldType::F32, Dir::PO},
    {"AcqSampleRate2", AcqSampleRate2, FieldType::F32, Dir::PO},
    {"TimeOffsetAtStop", TimeOffsetAtStop, FieldType::F64, Dir::PO},
    {"TimeOffsetPsAtStop", TimeOffsetPsAtStop, FieldType::I64, Dir::PO},
    {"TimeScaleAtStop", TimeScaleAtStop, FieldType::F32, Dir::PO},
    {"TimeScalePsAtStop", TimeScalePsAtStop, FieldType::I64, Dir::PO},
    {"AcqSampleRateAtStop", AcqSampleRateAtStop, FieldType::F32, Dir::PO},
    {"AcqSampleRate2AtStop", AcqSampleRate2AtStop, FieldType::F32, Dir::PO},
    {"AcqType", AcqType, FieldType::I32, Dir::PO},
    {"AcqModeWord", AcqModeWord, FieldType::U32, Dir::PO},
    {"AcqAveragesExp", AcqAveragesExp, FieldType::U16, Dir::PO},
    {"AcqMemDepth", AcqMemDepth, FieldType::U32, Dir::PO},
    {"AcqMemDepthAtStop", AcqMemDepthAtStop, FieldType::U32, Dir::PO},
    {"AcqMemFull", AcqMemFull, FieldType::U32, Dir::PO},
    {"TrigType", TrigType, FieldType::I32, Dir::PO},
    {"TrigStatus", TrigStatus, FieldType::I32, Dir::PO},
    {"TrigCoupling", TrigCoupling, FieldType::I32, Dir::PO},
    {"TrigSensitivity", TrigSensitivity, FieldType::F32, Dir::PO},
    {"TrigHoldoff", TrigHoldoff, FieldType::F32, Dir::PO},
    {"TrigSweep", TrigSweep, FieldType::I32, Dir::PO},
    {"TrigEdgeSlope", TrigEdgeSlope, FieldType::I32, Dir::PO},
    {"TrigEdgeSource", TrigEdgeSource, FieldType::I32, Dir::PO},
    {"TrigEdgeLevel", TrigEdgeLevel, FieldType::F32, Dir::PO},
    {"TrigPulseWhen", TrigPulseWhen, FieldType::I32, Dir::PO},
    {"TrigPulseWidth", TrigPulseWidth, FieldType::F32, Dir::PO},
    {"TrigPulseSource", TrigPulseSource, FieldType::I32, Dir::PO},
    {"TrigPulseLevel", TrigPulseLevel, FieldType::F32, Dir::PO},
    {"TrigVideoPolarity", TrigVideoPolarity, FieldType::I32, Dir::PO},
    {"TrigVideoSource", TrigVideoSource, FieldType::I32, Dir::PO},
    {"TrigVideoSync", TrigVideoSync, FieldType::I32, Dir::PO},
    {"TrigVideoStandard", TrigVideoStandard, FieldType::I32, Dir::PO},
    {"TrigVideoLine", TrigVideoLine, FieldType::U16, Dir::PO},
    {"TrigVideoLevel", TrigVideoLevel, FieldType::F32, Dir::PO},
    {"TrigSlopeWhen", TrigSlopeWhen, FieldType::I32, Dir::PO},
    {"TrigSlopeLevelA", TrigSlopeLevelA, FieldType::F32, Dir::PO},
    {"TrigSlopeLevelB", TrigSlopeLevelB, FieldType::F32, Dir::PO},
    {"TrigSlopeTime", TrigSlopeTime, FieldType::F32, Dir::PO},
    {"TrigSlopeSource", TrigSlopeSource, FieldType::I32, Dir::PO},
    {"PassFailOn", PassFailOn, FieldType::U8, Dir::P},
    {"SelfCalEnable", SelfCalEnable, FieldType::U8, Dir::Lan},
    {"LanDhcp", LanDhcp, FieldType::U8, Dir::O},
    {"LanIp", LanIp, FieldType::U32, Dir::Lan},
    {"LanNetmask", LanNetmask, FieldType::U32, Dir::Lan},
    {"LanGateway", LanGateway, FieldType::U32, Dir::Lan},
    {"LanPort", LanPort, FieldType::I16, Dir::O},
    {"LanMacTail", LanMacTail, FieldType::U8x3, Dir::Lan},
};
}  // namespace dso

// ---------------------------------------------------------------------------
// _QX_LA_SETUP, 260 bytes: the logic analyzer and the pattern and duration
// triggers.
// ---------------------------------------------------------------------------
namespace la {
constexpr int kSize = 260;

constexpr int LaEnable = 0x00;
constexpr int LaEnableAtStop = 0x01;
constexpr int LaChanDisplay = 0x02;  // u8[16], D0..D15
constexpr int LaThresholdType = 0x38;
constexpr int LaThreshold = 0x3C;
constexpr int LaUserThreshold = 0x40;
constexpr int LaGroup1 = 0x44;
constexpr int LaGroup2 = 0x56;
constexpr int TrigPattern = 0x68;       // i32[16]
constexpr int TrigDuration = 0xB0;      // i32[16]
constexpr int TrigDurationTime = 0xF0;  // f64
constexpr int TrigDurationQualifier = 0xF8;

constexpr FieldRow kRows[] = {
    {"LaEnable", LaEnable, FieldType::U8, Dir::PO},
    {"LaEnableAtStop", LaEnableAtStop, FieldType::U8, Dir::O},
    {"LaChanDisplay[0]", LaChanDisplay, FieldType::U8, Dir::P},
    {"LaThresholdType", LaThresholdType, FieldType::I32, Dir::O},
    {"LaThreshold", LaThreshold, FieldType::F32, Dir::PO},
    {"LaUserThreshold", LaUserThreshold, FieldType::F32, Dir::PO},
    {"LaGroup1", LaGroup1, FieldType::U8, Dir::P},
    {"LaGroup2", LaGroup2, FieldType::U8, Dir::P},
    {"TrigPattern[0]", TrigPattern, FieldType::I32, Dir::PO},
    {"TrigDuration[0]", TrigDuration, FieldType::I32, Dir::PO},
    {"TrigDurationTime", TrigDurationTime, FieldType::F64, Dir::PO},
    {"TrigDurationQualifier", TrigDurationQualifier, FieldType::I32, Dir::PO},
};
}  // namespace la

// ---------------------------------------------------------------------------
// DSO_ALT_SETUP, 396 bytes: per-channel trigger and timebase of the
// alternate-trigger mode. Two 196-byte slices, CH1 from 0x04, CH2 0xC4 later.
// Coupling, holdoff and sensitivity repeat in each trigger-type sub-block.
// ---------------------------------------------------------------------------
namespace alt {
constexpr int kSize = 396;
constexpr int kChannelStride = 0xC4;

constexpr int AltTrigType[2] = {0x04, 0xC8};
constexpr int AltMemDepth[2] = {0x08, 0xCC};
constexpr int AltTimeScalePs[2] = {0x0C, 0xD0};
constexpr int AltTimeScale[2] = {0x14, 0xD8};  // f32
constexpr int AltTimeOffsetPs[2] = {0x18, 0xDC};
constexpr int AltTimeOffset[2] = {0x20, 0xE4};  // f64
constexpr int AltTimeScalePsAtStop[2] = {0x28, 0xEC};
constexpr int AltTimeScaleAtStop[2] = {0x30, 0xF4};  // f32
constexpr int AltTimeOffsetPsAtStop[2] = {0x34, 0xF8};
constexpr int AltTimeOffsetAtStop[2] = {0x3C, 0x100};  // f64
constexpr int AltSampleRate[2] = {0x44, 0x108};        // u32 whole number
constexpr int AltSampleRate2[2] = {0x48, 0x10C};
// edge sub-block
constexpr int EdgeCoupling[2] = {0x4C, 0x110};
constexpr int EdgeLevel[2] = {0x54, 0x118};
constexpr int EdgeHoldoff[2] = {0x58, 0x11C};
constexpr int EdgeSlope[2] = {0x5C, 0x120};
constexpr int EdgeSensitivity[2] = {0x60, 0x124};
// pulse sub-block
constexpr int PulseCoupling[2] = {0x64, 0x128};
constexpr int PulseLevel[2] = {0x6C, 0x130};
constexpr int PulseHoldoff[2] = {0x70, 0x134};
constexpr int PulseSensitivity[2] = {0x74, 0x138};
constexpr int PulseWhen[2] = {0x78, 0x13C};
constexpr int PulseWidth[2] = {0x7C, 0x140};  // f32
// video sub-block (no coupling)
constexpr int VideoPolarity[2] = {0x80, 0x144};
constexpr int VideoSync[2] = {0x84, 0x148};
constexpr int VideoStandard[2] = {0x88, 0x14C};
constexpr int VideoLevel[2] = {0x90, 0x154};
constexpr int VideoSensitivity[2] = {0x94, 0x158};
constexpr int VideoLine[2] = {0x98, 0x15C};  // u16
constexpr int VideoHoldoff[2] = {0x9C, 0x160};
// slope sub-block
constexpr int SlopeWhen[2] = {0xA0, 0x164};
constexpr int SlopeCoupling[2] = {0xA4, 0x168};
constexpr int SlopeLevelA[2] = {0xB0, 0x174};
constexpr int SlopeLevelB[2] = {0xB8, 0x17C};
constexpr int SlopeTime[2] = {0xBC, 0x180};  // f32
constexpr int SlopeSensitivity[2] = {0xC0, 0x184};
constexpr int SlopeHoldoff[2] = {0xC4, 0x188};

// The trigger-type sub-blocks of a channel repeat coupling, holdoff and
// sensitivity (the video sub-block has no coupling). CH1 offsets; indexed by
// the channel's trigger type, 0 edge to 3 video.
struct SubBlock {
  int coupling;  // -1: none
  int holdoff;   // f32
  int sensitivity;
};
constexpr SubBlock kSubBlocks[] = {
    /* 0 edge  */ {EdgeCoupling[0], EdgeHoldoff[0], EdgeSensitivity[0]},
    /* 1 pulse */ {PulseCoupling[0], PulseHoldoff[0], PulseSensitivity[0]},
    /* 2 slope */ {SlopeCoupling[0], SlopeHoldoff[0], SlopeSensitivity[0]},
    /* 3 video */ {-1, VideoHoldoff[0], VideoSensitivity[0]},
};
static_assert(SlopeCoupling[1] - SlopeCoupling[0] == kChannelStride);
static_assert(VideoHoldoff[1] - VideoHoldoff[0] == kChannelStride);

// CH1 rows; CH2 lies kChannelStride bytes later in every row.
constexpr FieldRow kRows[] = {
    {"AltTrigType", AltTrigType[0], FieldType::I32, Dir::PO},
    {"AltMemDepth", AltMemDepth[0], FieldType::U32, Dir::PO},
    {"AltTimeScalePs", AltTimeScalePs[0], FieldType::I64, Dir::PO},
    {"AltTimeScale", AltTimeScale[0], FieldType::F32, Dir::PO},
    {"AltTimeOffsetPs", AltTimeOffsetPs[0], FieldType::I64, Dir::PO},
    {"AltTimeOffset", AltTimeOffset[0], FieldType::F64, Dir::PO},
    {"AltTimeScalePsAtStop", AltTimeScalePsAtStop[0], FieldType::I64, Dir::PO},
    {"AltTimeScaleAtStop", AltTimeScaleAtStop[0], FieldType::F32, Dir::PO},
    {"AltTimeOffsetPsAtStop", AltTimeOffsetPsAtStop[0], FieldType::I64, Dir::PO},
    {"AltTimeOffsetAtStop", AltTimeOffsetAtStop[0], FieldType::F64, Dir::PO},
    {"AltSampleRate", AltSampleRate[0], FieldType::U32, Dir::PO},
    {"AltSampleRate2", AltSampleRate2[0], FieldType::F32, Dir::PO},
    {"Edge Coupling", EdgeCoupling[0], FieldType::I32, Dir::PO},
    {"Edge Level", EdgeLevel[0], FieldType::F32, Dir::PO},
    {"Edge Holdoff", EdgeHoldoff[0], FieldType::F32, Dir::PO},
    {"Edge Slope", EdgeSlope[0], FieldType::I32, Dir::PO},
    {"Edge Sensitivity", EdgeSensitivity[0], FieldType::F32, Dir::PO},
    {"Pulse Coupling", PulseCoupling[0], FieldType::I32, Dir::PO},
    {"Pulse Level", PulseLevel[0], FieldType::F32, Dir::PO},
    {"Pulse Holdoff", PulseHoldoff[0], FieldType::F32, Dir::PO},
    {"Pulse Sensitivity", PulseSensitivity[0], FieldType::F32, Dir::PO},
    {"Pulse When", PulseWhen[0], FieldType::I32, Dir::PO},
    {"Pulse Width", PulseWidth[0], FieldType::F32, Dir::PO},
    {"Video Polarity", VideoPolarity[0], FieldType::I32, Dir::PO},
    {"Video Sync", VideoSync[0], FieldType::I32, Dir::PO},
    {"Video Standard", VideoStandard[0], FieldType::I32, Dir::PO},
    {"Video Level", VideoLevel[0], FieldType::F32, Dir::PO},
    {"Video Sensitivity", VideoSensitivity[0], FieldType::F32, Dir::PO},
    {"Video Line", VideoLine[0], FieldType::U16, Dir::PO},
    {"Video Holdoff", VideoHoldoff[0], FieldType::F32, Dir::PO},
    {"Slope When", SlopeWhen[0], FieldType::I32, Dir::PO},
    {"Slope Coupling", SlopeCoupling[0], FieldType::I32, Dir::PO},
    {"Slope LevelA", SlopeLevelA[0], FieldType::F32, Dir::PO},
    {"Slope LevelB", SlopeLevelB[0], FieldType::F32, Dir::PO},
    {"Slope Time", SlopeTime[0], FieldType::F32, Dir::PO},
    {"Slope Sensitivity", SlopeSensitivity[0], FieldType::F32, Dir::PO},
    {"Slope Holdoff", SlopeHoldoff[0], FieldType::F32, Dir::PO},
};
}  // namespace alt

// Every row lies inside its block, rows run in ascending offset order, and
// no two rows overlap.
template <std::size_t N>
constexpr bool RowsFit(const FieldRow (&rows)[N], int size) {
  for (std::size_t i = 0; i < N; ++i) {
    if (rows[i].offset < 0 || rows[i].offset + Width(rows[i].type) > size) return false;
    if (i > 0 && rows[i - 1].offset + Width(rows[i - 1].type) > rows[i].offset) return false;
  }
  return true;
}
static_assert(RowsFit(dso::kRows, dso::kSize));
static_assert(RowsFit(la::kRows, la::kSize));
static_assert(RowsFit(alt::kRows, alt::kSize - alt::kChannelStride));
static_assert(alt::SlopeHoldoff[1] + 4 == alt::kSize);

// ---------------------------------------------------------------------------
// How the blocks travel, in the order they always do: the LAN query that
// reads one, its size, and the USB request codes that read and write one. A
// USB block write is announced by request kAnnounceWriteCode with the size.
// ---------------------------------------------------------------------------
struct BlockTransfer {
  const char* query;
  int size;
  int readCode;
  int writeCode;
};
constexpr BlockTransfer kBlocks[] = {
    {":SETUP:DSO?", dso::kSize, 6, 14},
    {":SETUP:LA?", la::kSize, 12, 15},
    {":SETUP:ALT?", alt::kSize, 13, 16},
};
constexpr int kBlockCount = static_cast<int>(std::size(kBlocks));
constexpr int kAnnounceWriteCode = 2;

}  // namespace qx::layout
