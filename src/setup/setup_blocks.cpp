// Translation between the instrument's three binary setup blocks and the
// host's settings record. QxPushSetup takes the instrument's configuration
// into the record (instrument to host); QxPopSetup fills the blocks from the
// record (host to instrument). Bytes that neither touches keep what the
// instrument last sent: the firmware owns their meaning.
#include <bit>
#include <cstring>
#include <iterator>
#include <limits>

#include "convert.h"
#include "frame/state.h"
#include "le_bytes.h"
#include "setup/block_layout.h"

namespace {

namespace D = qx::layout::dso;
namespace LA = qx::layout::la;
namespace A = qx::layout::alt;
using qx::LoadF32;
using qx::LoadF64;
using qx::LoadI32;
using qx::LoadI64;
using qx::LoadU16;
using qx::LoadU32;
using qx::StoreF32;
using qx::StoreF64;
using qx::StoreI16;
using qx::StoreI32;
using qx::StoreI64;
using qx::StoreU16;
using qx::StoreU32;

// Doubles the block holds as f32 are narrowed by IEEE rounding: a value past
// the float range becomes an infinity, never undefined behaviour.
static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559);
float Narrow(double value) { return static_cast<float>(value); }

constexpr double kPsToSeconds = 1e-12;
constexpr std::int64_t kRollThresholdPs = 50'000'000'000;  // 50 ms per division

// Both conversions run in the record's single precision: the rounding of
// each step usually absorbs the representation error of the stored float: a
// 5 mV/div scale (0.00499999989f) gives 5000 uV, not 4999, before the
// result is truncated toward zero.

// Volts/div with the probe factor removed, in microvolts.
std::int32_t MicroVolts(float scale, float probe) {
  return qx::TruncateTo<std::int32_t>(scale / probe * 1e6f);
}

// An offset in twenty-fifths of a division.
std::int16_t OffsetPoints(float offset, float scale) {
  return qx::TruncateTo<std::int16_t>(offset / scale * 25.0f);
}

// The block holds k for 2^k averages. A count that is not a power of two
// writes the exponent of the largest power of two not above it (300 -> 8,
// i.e. 256); 0 writes 0, a single acquisition.
std::uint16_t AveragesExponent(UINT averages) {
  return averages == 0 ? 0 : static_cast<std::uint16_t>(std::bit_width(averages) - 1);
}

// ---------------------------------------------------------------------------
// Record -> blocks, one line per O or PO row, in block order.
// ---------------------------------------------------------------------------

void PopChannel(const _QX_SETUP& s, BYTE* d, int c) {
  d[D::ChanDisplay[c]] = s.ChanDisplay[c];
  StoreF32(d + D::ChanScale[c], s.ChanScale[c]);
  StoreI32(d + D::ChanMicroVolts[c], MicroVolts(s.ChanScale[c], s.ChanProbe[c]));
  StoreF32(d + D::ChanOffset[c], s.ChanOffset[c]);
  StoreI16(d + D::ChanOffsetPoints[c], OffsetPoints(s.ChanOffset[c], s.ChanScale[c]));
  StoreI32(d + D::ChanCoupling[c], s.ChanCoupling[c]);
  StoreI32(d + D::ChanImpedance[c], s.ChanImpedance[c]);
  StoreF32(d + D::ChanProbe[c], 1.0f);  // the probe factor stays on the host's side
  d[D::ChanBWLimit[c]] = s.ChanBWLimit[c];
  d[D::ChanInvert[c]] = s.ChanInvert[c];
  StoreU32(d + D::ChanReserved[c], 0);
  d[D::ChanStopWave[c]] = s.ChanStopWave[c];
  StoreF32(d + D::ChanScaleAtStop[c], s.ChanScaleAtStop[c]);
  StoreI32(d + D::ChanMicroVoltsAtStop[c], MicroVolts(s.ChanScaleAtStop[c], s.ChanProbe[c]));
  StoreF32(d + D::ChanOffsetAtStop[c], s.ChanOffsetAtStop[c]);
  // Points of the held offset at the current scale, as the instrument draws it.
  StoreI16(d + D::ChanOffsetPointsAtStop[c], OffsetPoints(s.ChanOffsetAtStop[c], s.ChanScale[c]));
  d[D::ChanInvertAtStop[c]] = s.ChanInvertAtStop[c];
}

void PopTimebaseAndAcquisition(const _QX_SETUP& s, BYTE* d) {
  d[D::DelayedOn] = s.DelayedOn;
  d[D::RollOn] = s.RollOn;
  StoreI32(d + D::TimeFormat, s.TimeFormat);
  StoreF64(d + D::TimeOffset, s.TimeOffset);
  StoreI64(d + D::TimeOffsetPs, s.TimeOffsetPs);
  StoreF32(d + D::TimeScale, Narrow(s.TimeScale));
  StoreI64(d + D::TimeScalePs, s.TimeScalePs);
  StoreF64(d + D::DelayedOffset, s.DelayedOffset);
  StoreI64(d + D::DelayedOffsetPs, s.DelayedOffsetPs);
  StoreF32(d + D::DelayedScale, Narrow(s.DelayedScale));
  StoreI64(d + D::DelayedScalePs, s.DelayedScalePs);
  StoreF32(d + D::AcqSampleRate, s.AcqSampleRate);
  StoreF32(d + D::AcqSampleRate2, s.AcqSampleRate2);
  StoreF64(d + D::TimeOffsetAtStop, static_cast<double>(s.TimeOffsetPsAtStop) * kPsToSeconds);
  StoreI64(d + D::TimeOffsetPsAtStop, s.TimeOffsetPsAtStop);
  StoreF32(d + D::TimeScaleAtStop, Narrow(static_cast<double>(s.TimeScalePsAtStop) * kPsToSeconds));
  StoreI64(d + D::TimeScalePsAtStop, s.TimeScalePsAtStop);
  StoreF32(d + D::AcqSampleRateAtStop, s.AcqSampleRateAtStop);
  StoreF32(d + D::AcqSampleRate2AtStop, s.AcqSampleRate2AtStop);
  StoreI32(d + D::AcqType, s.AcqType);
  StoreU32(d + D::AcqModeWord, s.AcqMode == 0 ? 1 : 0);  // the block says ETIME, the record RTIME
  StoreU16(d + D::AcqAveragesExp, AveragesExponent(s.AcqAverages));
  StoreU32(d + D::AcqMemDepth, s.AcqMemDepth);
  StoreU32(d + D::AcqMemDepthAtStop, s.AcqMemDepthAtStop);
  StoreU32(d + D::AcqMemFull, s.AcqMemFull);
}

void PopTrigger(const _QX_SETUP& s, BYTE* d) {
  StoreI32(d + D::TrigType, s.TrigType);
  StoreI32(d + D::TrigStatus, s.TrigStatus);
  StoreI32(d + D::TrigCoupling, s.TrigCoupling);
  StoreF32(d + D::TrigSensitivity, s.TrigSensitivity);
  StoreF32(d + D::TrigHoldoff, s.TrigHoldoff);
  StoreI32(d + D::TrigSweep, s.TrigSweep);
  StoreI32(d + D::TrigEdgeSlope, s.TrigEdgeSlope);
  StoreI32(d + D::TrigEdgeSource, s.TrigEdgeSource);
  StoreF32(d + D::TrigEdgeLevel, s.TrigEdgeLevel);
  StoreI32(d + D::TrigPulseWhen, s.TrigPulseWhen);
  StoreF32(d + D::TrigPulseWidth, Narrow(s.TrigPulseWidth));
  StoreI32(d + D::TrigPulseSource, s.TrigPulseSource);
  StoreF32(d + D::TrigPulseLevel, s.TrigPulseLevel);
  StoreI32(d + D::TrigVideoPolarity, s.TrigVideoPolarity);
  StoreI32(d + D::TrigVideoSource, s.TrigVideoSource);
  StoreI32(d + D::TrigVideoSync, s.TrigVideoSync);
  StoreI32(d + D::TrigVideoStandard, s.TrigVideoStandard);
  StoreU16(d + D::TrigVideoLine, static_cast<std::uint16_t>(s.TrigVideoLine));
  StoreF32(d + D::TrigVideoLevel, s.TrigVideoLevel);
  StoreI32(d + D::TrigSlopeWhen, s.TrigSlopeWhen);
  StoreF32(d + D::TrigSlopeLevelA, s.TrigSlopeLevelA);
  StoreF32(d + D::TrigSlopeLevelB, s.TrigSlopeLevelB);
  StoreF32(d + D::TrigSlopeTime, Narrow(s.TrigSlopeTime));
  StoreI32(d + D::TrigSlopeSource, s.TrigSlopeSource);
}

// Only DHCP and the port travel this way; address, netmask, gateway and MAC
// bytes are the instrument's and stay as read.
void PopInterface(const _QX_SETUP& s, BYTE* d) {
  d[D::LanDhcp] = s.LanDhcp;
  StoreU16(d + D::LanPort, static_cast<std::uint16_t>(s.LanPort));
}

void PopLogicAnalyzer(const _QX_SETUP& s, BYTE* l) {
  l[LA::LaEnable] = s.LaEnable;
  l[LA::LaEnableAtStop] = s.LaEnableAtStop;
  StoreI32(l + LA::LaThresholdType, s.LaThresholdType);
  StoreF32(l + LA::LaThreshold, s.LaThreshold);
  StoreF32(l + LA::LaUserThreshold, s.LaUserThreshold);
  for (int i = 0; i < 16; ++i) StoreI32(l + LA::TrigPattern + 4 * i, s.TrigPattern[i]);
  for (int i = 0; i < 16; ++i) StoreI32(l + LA::TrigDuration + 4 * i, s.TrigDuration[i]);
  StoreF64(l + LA::TrigDurationTime, s.TrigDurationTime);
  StoreI32(l + LA::TrigDurationQualifier, s.TrigDurationQualifier);
}

void PopAltChannel(const _QX_SETUP& s, BYTE* a, int c) {
  StoreI32(a + A::AltTrigType[c], s.AltTrigType[c]);
  StoreU32(a + A::AltMemDepth[c], s.AltMemDepth[c]);
  StoreI64(a + A::AltTimeScalePs[c], s.AltTimeScalePs[c]);
  StoreF32(a + A::AltTimeScale[c], Narrow(s.AltTimeScale[c]));
  StoreI64(a + A::AltTimeOffsetPs[c], s.AltTimeOffsetPs[c]);
  StoreF64(a + A::AltTimeOffset[c], s.AltTimeOffset[c]);
  StoreI64(a + A::AltTimeScalePsAtStop[c], s.AltTimeScalePsAtStop[c]);
  StoreF32(a + A::AltTimeScaleAtStop[c], Narrow(s.AltTimeScaleAtStop[c]));
  StoreI64(a + A::AltTimeOffsetPsAtStop[c], s.AltTimeOffsetPsAtStop[c]);
  StoreF64(a + A::AltTimeOffsetAtStop[c], s.AltTimeOffsetAtStop[c]);
  StoreU32(a + A::AltSampleRate[c], qx::TruncateTo<std::uint32_t>(s.AltSampleRate[c]));
  StoreF32(a + A::AltSampleRate2[c], s.AltSampleRate2[c]);
  StoreF32(a + A::EdgeLevel[c], s.AltEdgeLevel[c]);
  StoreI32(a + A::EdgeSlope[c], s.AltEdgeSlope[c]);
  StoreF32(a + A::PulseLevel[c], s.AltPulseLevel[c]);
  StoreI32(a + A::PulseWhen[c], s.AltPulseWhen[c]);
  StoreF32(a + A::PulseWidth[c], Narrow(s.AltPulseWidth[c]));
  StoreI32(a + A::VideoPolarity[c], s.AltVideoPolarity[c]);
  StoreI32(a + A::VideoSync[c], s.AltVideoSync[c]);
  StoreI32(a + A::VideoStandard[c], s.AltVideoStandard[c]);
  StoreF32(a + A::VideoLevel[c], s.AltVideoLevel[c]);
  StoreU16(a + A::VideoLine[c], s.AltVideoLine[c]);
  StoreI32(a + A::SlopeWhen[c], s.AltSlopeWhen[c]);
  StoreF32(a + A::SlopeLevelA[c], s.AltSlopeLevelA[c]);
  StoreF32(a + A::SlopeLevelB[c], s.AltSlopeLevelB[c]);
  StoreF32(a + A::SlopeTime[c], Narrow(s.AltSlopeTime[c]));
  // The one record value goes into every sub-block that repeats it.
  const int shift = c * A::kChannelStride;
  for (const A::SubBlock& sub : A::kSubBlocks) {
    if (sub.coupling >= 0) StoreI32(a + sub.coupling + shift, s.AltCoupling[c]);
    StoreF32(a + sub.holdoff + shift, Narrow(s.AltHoldoff[c]));
    StoreF32(a + sub.sensitivity + shift, s.AltSensitivity[c]);
  }
}

// ---------------------------------------------------------------------------
// Blocks -> record, in the order the instrument's start-up requires.
// ---------------------------------------------------------------------------

// Step 1: the channel fields the record takes from the block.
void PushChannel(_QX_SETUP& s, const BYTE* d, int c) {
  s.ChanDisplay[c] = d[D::ChanDisplay[c]];
  s.ChanScale[c] = LoadF32(d + D::ChanScale[c]);
  s.ChanOffset[c] = LoadF32(d + D::ChanOffset[c]);
  s.ChanCoupling[c] = LoadI32(d + D::ChanCoupling[c]);
  s.ChanProbe[c] = LoadF32(d + D::ChanProbe[c]);
  s.ChanImpedance[c] = LoadI32(d + D::ChanImpedance[c]);
  s.ChanBWLimit[c] = d[D::ChanBWLimit[c]];
  s.ChanInvert[c] = d[D::ChanInvert[c]];
  s.ChanInvertAtStop[c] = d[D::ChanInvertAtStop[c]];
}

// Steps 3 and 4: timebase, with the delayed scale held inside the main one
// and the roll display derived from the main scale.
void PushTimebase(_QX_SETUP& s, const BYTE* d) {
  s.DelayedOn = d[D::DelayedOn];
  s.RollOn = d[D::RollOn];
  s.TimeFormat = LoadI32(d + D::TimeFormat);
  s.TimeOffset = LoadF64(d + D::TimeOffset);
  s.TimeScale = LoadF32(d + D::TimeScale);
  s.DelayedOffset = LoadF64(d + D::DelayedOffset);
  s.DelayedScale = LoadF32(d + D::DelayedScale);
  if (s.DelayedOn == 1 && s.TimeScale < s.DelayedScale) s.DelayedScale = s.TimeScale;

  s.TimeOffsetAtStop = LoadF64(d + D::TimeOffsetAtStop);
  s.TimeScaleAtStop = LoadF32(d + D::TimeScaleAtStop);
  s.AcqSampleRate = LoadF32(d + D::AcqSampleRate);
  s.AcqSampleRate2 = LoadF32(d + D::AcqSampleRate2);
  s.AcqSampleRateAtStop = LoadF32(d + D::AcqSampleRateAtStop);
  s.AcqSampleRate2AtStop = LoadF32(d + D::AcqSampleRate2AtStop);
  s.TimeScalePs = LoadI64(d + D::TimeScalePs);
  s.RollOn = s.TimeScalePs >= kRollThresholdPs && s.TimeFormat == 0 ? 1 : 0;
  s.TimeOffsetPs = LoadI64(d + D::TimeOffsetPs);
  s.DelayedOffsetPs = LoadI64(d + D::DelayedOffsetPs);
  s.DelayedScalePs = LoadI64(d + D::DelayedScalePs);
  s.TimeOffsetPsAtStop = LoadI64(d + D::TimeOffsetPsAtStop);
  s.TimeScalePsAtStop = LoadI64(d + D::TimeScalePsAtStop);
}

// Step 5.
void PushAcquisition(_QX_SETUP& s, const BYTE* d) {
  s.AcqType = LoadI32(d + D::AcqType);
  s.AcqMode = D::EquivalentTime(d) ? 0 : 1;
  s.DispTypeSaved = s.DispType;
  s.AcqAverages = D::Averages(d);
  s.AcqMemDepth = LoadU32(d + D::AcqMemDepth);
  s.AcqMemDepthAtStop = LoadU32(d + D::AcqMemDepthAtStop);
  s.AcqMemFull = LoadU32(d + D::AcqMemFull) != 0 ? 1 : 0;
}

// Step 6: the settings of every trigger type, whichever is selected.
void PushTriggerFields(_QX_SETUP& s, const BYTE* d) {
  s.TrigType = LoadI32(d + D::TrigType);
  s.TrigStatus = LoadI32(d + D::TrigStatus);
  s.TrigStatus = 1;  // the host starts from a stopped instrument
  s.TrigHoldoff = LoadF32(d + D::TrigHoldoff);
  s.TrigEdgeSlope = LoadI32(d + D::TrigEdgeSlope);
  s.TrigEdgeSource = LoadI32(d + D::TrigEdgeSource);
  s.TrigEdgeLevel = LoadF32(d + D::TrigEdgeLevel);
  s.TrigPulseWhen = LoadI32(d + D::TrigPulseWhen);
  s.TrigPulseWidth = LoadF32(d + D::TrigPulseWidth);
  s.TrigPulseSource = LoadI32(d + D::TrigPulseSource);
  s.TrigPulseLevel = LoadF32(d + D::TrigPulseLevel);
  s.TrigVideoPolarity = LoadI32(d + D::TrigVideoPolarity);
  s.TrigVideoSource = LoadI32(d + D::TrigVideoSource);
  s.TrigVideoSync = LoadI32(d + D::TrigVideoSync);
  s.TrigVideoStandard = LoadI32(d + D::TrigVideoStandard);
  s.TrigVideoLine = LoadU16(d + D::TrigVideoLine);
  s.TrigVideoLevel = LoadF32(d + D::TrigVideoLevel);
  s.TrigSlopeWhen = LoadI32(d + D::TrigSlopeWhen);
  s.TrigSlopeLevelA = LoadF32(d + D::TrigSlopeLevelA);
  s.TrigSlopeLevelB = LoadF32(d + D::TrigSlopeLevelB);
  s.TrigSlopeTime = LoadF32(d + D::TrigSlopeTime);
  s.TrigSlopeSource = LoadI32(d + D::TrigSlopeSource);
}

// Step 7: what depends on the selected trigger type.
void PushTriggerByType(_QX_SETUP& s, _QX_RGN_SETUP& r, const BYTE* d, const BYTE* l) {
  std::int32_t source = -1;
  switch (s.TrigType) {
    case TRIG_EDGE: source = s.TrigEdgeSource; break;
    case TRIG_PULSE: source = s.TrigPulseSource; break;
    case TRIG_SLOPE: source = s.TrigSlopeSource; break;
    case TRIG_VIDEO: source = s.TrigVideoSource; break;
    case TRIG_PATTERN:
      s.TrigLevelShown = 0;
      for (int i = 0; i < 16; ++i) s.TrigPattern[i] = LoadI32(l + LA::TrigPattern + 4 * i);
      return;
    case TRIG_DURATION:
      s.TrigLevelShown = 0;
      for (int i = 0; i < 16; ++i) s.TrigDuration[i] = LoadI32(l + LA::TrigDuration + 4 * i);
      s.TrigDurationQualifier = LoadI32(l + LA::TrigDurationQualifier);
      s.TrigDurationTime = LoadF64(l + LA::TrigDurationTime);
      return;
    default:  // alternation (and any unknown type): the alternate block carries it
      return;
  }
  s.TrigSweep = LoadI32(d + D::TrigSweep);
  if (s.TrigType != TRIG_VIDEO) s.TrigCoupling = LoadI32(d + D::TrigCoupling);
  s.TrigSensitivity = LoadF32(d + D::TrigSensitivity);
  // The level marker is drawn only for a shown analog channel.
  if ((source == 0 || source == 1) && s.ChanDisplay[source] != 0) {
    s.TrigLevelShown = 1;
  } else {
    s.TrigLevelShown = 0;
    r.TrigLevelLineOn = 0;
  }
}

// Step 8.
void PushAltChannel(_QX_SETUP& s, const BYTE* a, int c) {
  s.AltMemDepth[c] = LoadU32(a + A::AltMemDepth[c]);
  s.AltTimeScalePs[c] = LoadI64(a + A::AltTimeScalePs[c]);
  s.AltTimeScale[c] = LoadF32(a + A::AltTimeScale[c]);
  s.AltTimeOffsetPs[c] = LoadI64(a + A::AltTimeOffsetPs[c]);
  s.AltTimeOffset[c] = LoadF64(a + A::AltTimeOffset[c]);
  s.AltTimeScalePsAtStop[c] = LoadI64(a + A::AltTimeScalePsAtStop[c]);
  s.AltTimeScaleAtStop[c] = LoadF32(a + A::AltTimeScaleAtStop[c]);
  s.AltTimeOffsetPsAtStop[c] = LoadI64(a + A::AltTimeOffsetPsAtStop[c]);
  s.AltTimeOffsetAtStop[c] = LoadF64(a + A::AltTimeOffsetAtStop[c]);
  s.AltSampleRate[c] = static_cast<float>(LoadU32(a + A::AltSampleRate[c]));
  s.AltSampleRate2[c] = LoadF32(a + A::AltSampleRate2[c]);
  s.AltEdgeLevel[c] = LoadF32(a + A::EdgeLevel[c]);
  s.AltEdgeSlope[c] = LoadI32(a + A::EdgeSlope[c]);
  s.AltPulseLevel[c] = LoadF32(a + A::PulseLevel[c]);
  s.AltPulseWhen[c] = LoadI32(a + A::PulseWhen[c]);
  s.AltPulseWidth[c] = LoadF32(a + A::PulseWidth[c]);
  s.AltVideoPolarity[c] = LoadI32(a + A::VideoPolarity[c]);
  s.AltVideoSync[c] = LoadI32(a + A::VideoSync[c]);
  s.AltVideoStandard[c] = LoadI32(a + A::VideoStandard[c]);
  s.AltVideoLevel[c] = LoadF32(a + A::VideoLevel[c]);
  s.AltVideoLine[c] = LoadU16(a + A::VideoLine[c]);
  s.AltSlopeWhen[c] = LoadI32(a + A::SlopeWhen[c]);
  s.AltSlopeLevelA[c] = LoadF32(a + A::SlopeLevelA[c]);
  s.AltSlopeLevelB[c] = LoadF32(a + A::SlopeLevelB[c]);
  s.AltSlopeTime[c] = LoadF32(a + A::SlopeTime[c]);

  // The repeated settings count only in the sub-block of the channel's type.
  s.AltTrigType[c] = LoadI32(a + A::AltTrigType[c]);
  const std::int32_t type = s.AltTrigType[c];
  if (type < 0 || type >= static_cast<std::int32_t>(std::size(A::kSubBlocks))) return;
  const A::SubBlock& sub = A::kSubBlocks[type];
  const int shift = c * A::kChannelStride;
  if (sub.coupling >= 0) s.AltCoupling[c] = LoadI32(a + sub.coupling + shift);
  s.AltHoldoff[c] = LoadF32(a + sub.holdoff + shift);
  s.AltSensitivity[c] = LoadF32(a + sub.sensitivity + shift);
}

// Step 9.
void PushLogicAnalyzer(_QX_SETUP& s, const BYTE* l) {
  s.LaEnable = l[LA::LaEnable];
  s.LaThreshold = LoadF32(l + LA::LaThreshold);
  s.LaUserThreshold = LoadF32(l + LA::LaUserThreshold);
  std::memcpy(s.LaChanDisplay, l + LA::LaChanDisplay, sizeof s.LaChanDisplay);
  s.LaGroup1 = l[LA::LaGroup1];
  s.LaGroup2 = l[LA::LaGroup2];
}

}  // namespace

void QxPushSetup(DSO_SETUP* dso, _QX_LA_SETUP* la, DSO_ALT_SETUP* alt) {
  if (!dso || !la || !alt) return;
  _QX_SETUP& s = qx::Setup();
  const BYTE* d = dso->Bytes;
  const BYTE* l = la->Bytes;

  for (int c = 0; c < 2; ++c) PushChannel(s, d, c);
  for (int c = 0; c < 2; ++c) {
    s.ChanScaleAtStop[c] = s.ChanScale[c];
    s.ChanOffsetAtStop[c] = s.ChanOffset[c];
  }
  SetActiveChannel(ACTIVE_CH1);
  s.PassFailOn = d[D::PassFailOn];
  PushTimebase(s, d);
  PushAcquisition(s, d);
  PushTriggerFields(s, d);
  PushTriggerByType(s, qx::Rgn(), d, l);
  for (int c = 0; c < 2; ++c) PushAltChannel(s, alt->Bytes, c);
  PushLogicAnalyzer(s, l);
}

void QxPopSetup(DSO_SETUP* dso, _QX_LA_SETUP* la, DSO_ALT_SETUP* alt) {
  if (!dso || !la || !alt) return;
  const _QX_SETUP& s = qx::Setup();
  BYTE* d = dso->Bytes;

  d[D::RunState] = s.RunState;
  StoreI32(d + D::ActiveChannel, s.ActiveChannel);
  for (int c = 0; c < 2; ++c) PopChannel(s, d, c);
  PopTimebaseAndAcquisition(s, d);
  PopTrigger(s, d);
  PopInterface(s, d);
  PopLogicAnalyzer(s, la->Bytes);
  for (int c = 0; c < 2; ++c) PopAltChannel(s, alt->Bytes, c);
}
