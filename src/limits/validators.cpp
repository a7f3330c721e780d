// Value validators: every number a user can change is clamped here into the
// range the instrument accepts, the limit reached is reported as a status
// message, and the result is rounded to a value the instrument represents.
// The bounds are one table; the exported functions are thin entries into it,
// and the few rules that are not a plain range are small functions below it.
#include <cmath>
#include <cstdint>
#include <iterator>
#include <type_traits>

#include "QxMsg.h"
#include "convert.h"
#include "frame/messages.h"
#include "frame/state.h"
#include "limits/validator_table.h"

namespace qx::limits {
namespace {

// Rows in table order.
// clang-format off
enum V : int {
  CHScale, CHOffset, FilterLimit, MathScalef, FFTVrmsScalef, FFTdBVrmsScale, MathOffset, RefVertOffset,
  FFTHorizOffset, LaUserThresholdLevel, WaveIntensity, GridIntensity, PFHorizRange, PFVertRange,
  TrigSensitivity, TrigHoldoff, TrigLevel, RecordInterval, PlaybackInterval,
  TimeScale, RefHorizScale, RefHorizOffset, TrigPulseWidth, TrigSlopeTime, AltTrigHorizScale, TimeOffset,
  MathScalen, FFTVrmsScalen, AcqAvgNumber, TrigVideoLine, RecordEndFrame, RecordCurFrame, PlaybackCurFrm,
  TimeScale64,
  RowCount
};
// clang-format on

using enum Msg;
constexpr By kOne = By::One, kX = By::X, kY = By::Y;
constexpr Order kLower = Order::Lower, kUpper = Order::Upper, kUpperEnds = Order::UpperEnds;

// clang-format off
constexpr Row kRows[] = {
  // row                 lower bound, message                  upper bound, message                  first       rounding
  // Single precision.
  // x = probe
  {CHScale,              {0.002, kX, VoltsDivLower},           {10.0, kX, VoltsDivUpper},            kLower,     Digits(3, -3)},
  // x = k * probe * probe (the offset range)
  {CHOffset,             {-1.0, kX, VoltOffsetLower},          {1.0, kX, VoltOffsetUpper},           kLower,     Digits(3, -3)},
  {FilterLimit,          {0.005, kOne, FilterFrequencyLower},  {0.495, kOne, FilterFrequencyUpper},  kUpper,     Digits(3, -3)},
  {MathScalef,           {0.001, kOne, VoltsDivLower},         {10.0, kOne, VoltsDivUpper},          kUpper,     Digits(3, -3)},
  {FFTVrmsScalef,        {0.002, kOne, VoltsDivLower},         {10.0, kOne, VoltsDivUpper},          kUpper,     kScale},
  {FFTdBVrmsScale,       {1.0, kOne, VoltsDivLower},           {100.0, kOne, VoltsDivUpper},         kUpper,     kScale},
  // x = scale
  {MathOffset,           {-40.0, kX, PositionLower},           {40.0, kX, PositionUpper},            kUpper,     Digits(3, -3)},
  // x = k (the position range)
  {RefVertOffset,        {-1.0, kX, PositionLower},            {1.0, kX, PositionUpper},             kLower,     Digits(3, -3)},
  // x = scale
  {FFTHorizOffset,       {0.0, kOne, TriggerPositionLower},    {10.0, kX, TriggerPositionUpper},     kUpper,     Digits(3, 1)},
  {LaUserThresholdLevel, {-8.0, kOne, ThresholdLevelLower},    {8.0, kOne, ThresholdLevelUpper},     kUpper,     Digits(3, -2)},
  {WaveIntensity,        {0.0, kOne, WaveIntensityLower},      {1.0, kOne, WaveIntensityUpper},      kUpper,     Digits(3, -2)},
  {GridIntensity,        {0.0, kOne, GridIntensityLower},      {1.0, kOne, GridIntensityUpper},      kUpper,     Digits(3, -2)},
  {PFHorizRange,         {0.04, kOne, PfHorizontalLower},      {4.0, kOne, PfHorizontalUpper},       kUpper,     Digits(3, -2)},
  {PFVertRange,          {0.04, kOne, PfVerticalLower},        {4.0, kOne, PfVerticalUpper},         kUpper,     Digits(3, -2)},
  {TrigSensitivity,      {0.1, kOne, TriggerSensitivityLower}, {1.0, kOne, TriggerSensitivityUpper}, kUpper,     Digits(3, -2)},
  {TrigHoldoff,          {1e-7, kOne, TriggerHoldoffLower},    {1.5, kOne, TriggerHoldoffUpper},     kUpper,     Digits(3, -9)},
  // x = scale, shift = -offset (x = 1, shift = 0 for the external input / 5)
  {TrigLevel,            {-6.0, kX, TriggerLevelLower},        {6.0, kX, TriggerLevelUpper},         kUpper,     Digits(3, -4)},
  {RecordInterval,       {0.001, kOne, RecordIntervalLower},   {1000.0, kOne, RecordIntervalUpper},  kUpperEnds, Digits(3, -3)},
  {PlaybackInterval,     {0.001, kOne, PlaybackIntervalLower}, {20.0, kOne, PlaybackIntervalUpper},  kUpperEnds, Digits(3, -3)},

  // Double precision.
  // x = TimeScaleLimit, or 0.0002 in XY format
  {TimeScale,            {1.0, kX, TimeDivLower},              {50.0, kOne, TimeDivUpper},           kUpper,     ScaleDigits(4, -9)},
  // x = TimeScaleLimit
  {RefHorizScale,        {1.0, kX, TimeDivLower},              {50.0, kOne, TimeDivUpper},           kUpper,     ScaleDigits(4, -9)},
  {RefHorizOffset,       {-1.0, kOne, TriggerPositionLower},   {1.0, kOne, TriggerPositionUpper},    kUpper,     Digits(4, -9)},
  {TrigPulseWidth,       {2e-8, kOne, PulseWidthLower},        {10.0, kOne, PulseWidthUpper},        kUpper,     Digits(3, -9)},
  {TrigSlopeTime,        {2e-8, kOne, SlopeTimeLower},         {10.0, kOne, SlopeTimeUpper},         kUpper,     Digits(3, -9)},
  {AltTrigHorizScale,    {5e-9, kOne, kSilent},                {0.02, kOne, kSilent},                kUpper,     ScaleDigits(4, -9)},
  // x = L, y = H of the time-offset rules
  {TimeOffset,           {1.0, kX, TriggerPositionLower},      {1.0, kY, TriggerPositionUpper},      kUpper,     Digits(4, -9)},

  // Integers.
  {MathScalen,           {0, kOne, VoltsDivLower},             {12, kOne, VoltsDivUpper},            kUpperEnds, kNoRounding},
  {FFTVrmsScalen,        {1, kOne, VoltsDivLower},             {12, kOne, VoltsDivUpper},            kUpperEnds, kNoRounding},
  // tested on the count already moved to a power of two
  {AcqAvgNumber,         {2, kOne, AcquireAverageLower},       {256, kOne, AcquireAverageUpper},     kUpper,     kNoRounding},
  // x = lines of the video standard
  {TrigVideoLine,        {1, kOne, kSilent},                   {1, kX, kSilent},                     kUpper,     kNoRounding},
  {RecordEndFrame,       {1, kOne, RecordFramesLower},         {1000, kOne, RecordFramesUpper},      kUpperEnds, kNoRounding},
  // x = RecordEndFrame
  {RecordCurFrame,       {1, kOne, kSilent},                   {1, kX, kSilent},                     kUpper,     kNoRounding},
  // x = PlayStartFrame, y = PlayEndFrame
  {PlaybackCurFrm,       {1, kX, PlaybackFrameLower},          {1, kY, PlaybackFrameUpper},          kUpper,     kNoRounding},

  // Picoseconds. x = TimeScaleLimit in picoseconds, rounded to the nearest
  {TimeScale64,          {1, kX, TimeDivLower},                {50e12, kOne, TimeDivUpper},          kUpper,     kNoRounding},
};
// clang-format on

constexpr bool RowsInOrder() {
  for (int i = 0; i < static_cast<int>(std::size(kRows)); ++i)
    if (kRows[i].id != i) return false;
  return std::size(kRows) == RowCount;
}
static_assert(RowsInOrder(), "one row per validator, in the order of V");

constexpr const Row& RowOf(V id) { return kRows[id]; }

float Run(V id, float value, Terms<float> terms = {}) { return Walk(RowOf(id), value, terms); }
double Run(V id, double value, Terms<double> terms = {}) { return Walk(RowOf(id), value, terms); }
std::int64_t Run(V id, std::int64_t value, Terms<std::int64_t> terms = {}) {
  return Walk(RowOf(id), value, terms);
}

// --- Ranges that depend on the setting ---------------------------------------

// The channel offset range: +-2 V up to 0.2 V/div (per unit of probe
// factor), +-40 V above, both times the probe factor squared (the factor
// enters twice).
float ChannelOffsetSpan(float scale, float probe) {
  const float k = scale <= 0.2f * probe ? 2.0f : 40.0f;
  return k * probe * probe;
}

// The reference position range.
float RefOffsetSpan(float scale) { return scale < 0.2f ? 4.0f : 40.0f; }

constexpr std::int32_t kTrigSourceExtDiv5 = 3;
constexpr int kNtscLines = 525;
constexpr int kPalSecamLines = 625;
constexpr double kXYTimeScaleLimit = 0.0002;
constexpr double kStoppedOffsetSpan = 500.0;

// The time-offset bounds, x = L and y = H, chosen by the roll flag, the
// format and the run state in that order.
Terms<double> TimeOffsetBounds() {
  const _QX_SETUP& s = Setup();
  const auto span = [](double lower, double upper) { return Terms<double>{lower, upper, 0.0}; };
  if (s.RollOn) {
    return s.RunState == 1 ? span(-6.0 * s.TimeScale, 6.0 * s.TimeScale)
                           : span(-kStoppedOffsetSpan, kStoppedOffsetSpan);
  }
  if (s.TimeFormat == 2) {  // ROLLING: a running roll has no room around the trigger point
    return s.RunState == 0 ? span(-14.0 * s.TimeScaleAtStop, 0.0) : span(0.0, 0.0);
  }
  if (s.RunState != 1) return span(-kStoppedOffsetSpan, kStoppedOffsetSpan);
  // Running: back by half the memory; a rate that is not positive (none
  // known yet) gives no memory span, so the stopped range holds instead.
  const double rate = s.AcqSampleRate2;
  const double before = rate > 0.0 ? static_cast<double>(s.AcqMemDepth / 2) / rate : kStoppedOffsetSpan;
  return span(-before, 1.0);
}

// --- FFT horizontal scale -----------------------------------------------------

// The FFT zoom steps: r = value / unit span above (or, in the one marked
// row, at least) `from` snaps to `step` with zoom `code`.
struct ZoomStep {
  float from;
  bool orEqual;
  float step;
  int code;
  Msg message;
  bool Takes(float r) const { return r > from || (orEqual && r == from); }
};
// clang-format off
constexpr ZoomStep kZoomSteps[] = {
    {10.0f, false, 10.0f, 1, TimeDivUpper},
    {5.0f,  false, 10.0f, 1, kSilent},
    {2.0f,  false, 5.0f,  2, kSilent},
    {1.0f,  false, 2.0f,  3, kSilent},
    {0.5f,  false, 1.0f,  4, kSilent},
    {0.2f,  false, 0.5f,  5, kSilent},
    {0.1f,  false, 0.2f,  6, kSilent},
    {0.1f,  true,  0.1f,  7, kSilent},
    {0.0f,  false, 0.1f,  7, TimeDivLower},  // everything else: below 0.1, NaN
};
// clang-format on

// The unit span U recovered from a per-division value: U = current x factor
// of the zoom code (codes 1..7; any other code: 1).
constexpr float kZoomFactor[] = {0.1f, 0.2f, 0.5f, 1.0f, 2.0f, 5.0f, 10.0f};

constexpr int kMathSlots = static_cast<int>(std::extent_v<decltype(_QX_SETUP::FFTSource)>);

bool SlotValid(int slot) { return slot >= 0 && slot < kMathSlots; }

// Snaps value / unit to a zoom step; stores the code when there is a place for it.
float SnapZoom(float value, float unit, int slot, int* zoomCodes) {
  const float r = value / unit;
  const ZoomStep* s = std::begin(kZoomSteps);
  while (s + 1 != std::end(kZoomSteps) && !s->Takes(r)) ++s;
  Report(s->message);
  if (zoomCodes && SlotValid(slot)) zoomCodes[slot] = s->code;
  return s->step * unit;
}

// The time scale an FFT slot analyses: under alternate trigger that of its
// source channel (0 CH1, other CH2); a slot outside the math slots has no
// source, so the main time scale serves.
double FFTTimeScale(int slot) {
  const _QX_SETUP& s = Setup();
  if (s.TrigType != TRIG_ALTERNATION || !SlotValid(slot)) return s.TimeScale;
  return s.AltTimeScale[s.FFTSource[slot] == 0 ? 0 : 1];
}

}  // namespace
}  // namespace qx::limits

using qx::limits::Run;
using qx::limits::Terms;
namespace L = qx::limits;

// --- Single precision ---------------------------------------------------------

float ValidateCHScale(float scale, float probe) { return Run(L::CHScale, scale, {.x = probe}); }
float ValidateRefVertScale(float scale, float probe) { return ValidateCHScale(scale, probe); }
float ValidateCHOffset(float scale, float offset, float probe) {
  return Run(L::CHOffset, offset, {.x = L::ChannelOffsetSpan(scale, probe)});
}
float ValidateFilterLimit(float limit) { return Run(L::FilterLimit, limit); }
float ValidateMathScalef(float scale) { return Run(L::MathScalef, scale); }
float ValidateFFTVrmsScalef(float scale) { return Run(L::FFTVrmsScalef, scale); }
float ValidateFFTdBVrmsScale(float scale) { return Run(L::FFTdBVrmsScale, scale); }
float ValidateMathOffset(float offset, float scale) { return Run(L::MathOffset, offset, {.x = scale}); }
float ValidateFFTVrmsOffset(float offset, float scale) { return ValidateMathOffset(offset, scale); }
float ValidateFFTdBVrmsOffset(float offset, float scale) { return ValidateMathOffset(offset, scale); }
float ValidateRefVertOffset(float scale, float offset) {
  return Run(L::RefVertOffset, offset, {.x = L::RefOffsetSpan(scale)});
}
float ValidateFFTHorizOffset(float position, float scale) {
  return Run(L::FFTHorizOffset, position, {.x = scale});
}
float ValidateLaUserThresholdLevel(float level) { return Run(L::LaUserThresholdLevel, level); }
float ValidateWaveIntensity(float intensity) { return Run(L::WaveIntensity, intensity); }
float ValidateGridIntensity(float intensity) { return Run(L::GridIntensity, intensity); }
float ValidatePFHorizRange(float range) { return Run(L::PFHorizRange, range); }
float ValidatePFVertRange(float range) { return Run(L::PFVertRange, range); }
float ValidateTrigSensitivity(float sensitivity) { return Run(L::TrigSensitivity, sensitivity); }
float ValidateTrigHoldoff(float holdoff) { return Run(L::TrigHoldoff, holdoff); }
float ValidateTrigLevel(float level, float scale, float offset, int source) {
  const Terms<float> terms =
      source == L::kTrigSourceExtDiv5 ? Terms<float>{} : Terms<float>{.x = scale, .shift = -offset};
  return Run(L::TrigLevel, level, terms);
}
float ValidRecordInterval(float interval) { return Run(L::RecordInterval, interval); }
float ValidPlaybackInterval(float interval) { return Run(L::PlaybackInterval, interval); }

float ValidateFFTHorizScale(float value, int slot, int* zoomCodes) {
  const float unit = 100.0f / (static_cast<float>(L::FFTTimeScale(slot)) * 20.0f);
  return L::SnapZoom(value, unit, slot, zoomCodes);
}

float ValidateRefFFTHorizScale(float value, float current, int slot, int* zoomCodes) {
  // Without the codes, or for a slot outside them, there is no zoom to recover.
  if (!zoomCodes || !L::SlotValid(slot)) return current;
  const int code = zoomCodes[slot];
  const float factor = code >= 1 && code <= 7 ? L::kZoomFactor[code - 1] : 1.0f;
  return L::SnapZoom(value, current * factor, slot, zoomCodes);
}

// --- Double precision ---------------------------------------------------------

double ValidateTimeScale(double scale) {
  const _QX_SETUP& s = qx::Setup();
  const double limit = s.TimeFormat == 1 ? L::kXYTimeScaleLimit : static_cast<double>(s.TimeScaleLimit);
  return Run(L::TimeScale, scale, {.x = limit});
}
double ValidateRefHorizScale(double scale) {
  return Run(L::RefHorizScale, scale, {.x = static_cast<double>(qx::Setup().TimeScaleLimit)});
}
double ValidateRefHorizOffset(double offset) { return Run(L::RefHorizOffset, offset); }
double ValidateTrigPulseWidth(double width) { return Run(L::TrigPulseWidth, width); }
double ValidateTrigSlopeTime(double time) { return Run(L::TrigSlopeTime, time); }
double ValidateTrigDurationTime(double time) { return ValidateTrigSlopeTime(time); }
double ValidateAltTrigHorizScale(double scale) { return Run(L::AltTrigHorizScale, scale); }
double ValidateTimeOffset(double offset) { return Run(L::TimeOffset, offset, L::TimeOffsetBounds()); }
double ValidateAltTrigHorizOffset(double /*first*/, double second) { return ValidateTimeOffset(second); }

// --- Integers -----------------------------------------------------------------

int ValidateMathScalen(int index) { return static_cast<int>(Run(L::MathScalen, std::int64_t{index})); }
int ValidateFFTVrmsScalen(int index) { return static_cast<int>(Run(L::FFTVrmsScalen, std::int64_t{index})); }

int ValidateAcqAvgNumber(int count) {
  // The nearest power of two on a log scale; a count below 1 has none and
  // stands below the range.
  std::int64_t rounded = 0;
  if (count >= 1) rounded = std::int64_t{1} << static_cast<int>(std::log2(count) + 0.5);
  return static_cast<int>(Run(L::AcqAvgNumber, rounded));
}

int ValidateTrigVideoLine(int line, int standard) {
  const std::int64_t lines = standard == VIDEO_NTSC ? L::kNtscLines : L::kPalSecamLines;
  return static_cast<int>(Run(L::TrigVideoLine, std::int64_t{line}, {.x = lines}));
}

unsigned ValidRecordEndFrame(unsigned frames) {
  return static_cast<unsigned>(Run(L::RecordEndFrame, std::int64_t{frames}));
}
int ValidRecordCurFrame(int frame) {
  return static_cast<int>(
      Run(L::RecordCurFrame, std::int64_t{frame}, {.x = std::int64_t{qx::Setup().RecordEndFrame}}));
}
int ValidPlaybackCurFrm(int frame) {
  const _QX_SETUP& s = qx::Setup();
  return static_cast<int>(
      Run(L::PlaybackCurFrm, std::int64_t{frame}, {.x = s.PlayStartFrame, .y = s.PlayEndFrame}));
}

// --- Picoseconds --------------------------------------------------------------

std::int64_t ValidateTimeScale64(std::int64_t scalePs) {
  const double limitPs = static_cast<double>(qx::Setup().TimeScaleLimit) * 1e12;
  return Run(L::TimeScale64, scalePs, {.x = qx::RoundTo<std::int64_t>(limitPs)});
}
std::int64_t ValidateTimeDelayedOffset64(std::int64_t offsetPs) { return offsetPs; }
