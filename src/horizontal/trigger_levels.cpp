// Trigger sources and levels: how a source is named and which window holds
// its level, the level of the trigger in use, and the level markers drawn on
// the waveform windows.
#include <cstdio>
#include <cstring>

#include "frame/handlers.h"
#include "horizontal/trigger_parts.h"

namespace {

using qx::Setup;

// Source codes 0..5; 6..21 are the digital channels D0..D15.
constexpr const char* kSourceNames[] = {"CHANNEL1", "CHANNEL2", "EXT", "EXT5", "", "ACLINE"};
constexpr int kAcLine = 5;
constexpr int kFirstDigital = 6;
constexpr int kLastDigital = 21;

// EXT is read at 0.2 V per division, EXT5 at 1 V; other inputs have no level.
constexpr float kExtScale = 0.2f;
constexpr float kExt5Scale = 1.0f;

bool IsChannel(int code) { return code == 0 || code == 1; }

// The logic threshold the digital inputs switch at, by LaThresholdType:
// TTL, CMOS, ECL, then the user's.
constexpr float kThresholds[] = {1.4f, 2.5f, -1.3f};
constexpr std::int32_t kUserThreshold = 3;

float LogicThreshold() {
  const _QX_SETUP& s = Setup();
  const std::int32_t type = s.LaThresholdType;
  if (type >= 0 && type < kUserThreshold) return kThresholds[type];
  return type == kUserThreshold ? s.LaUserThreshold : 0.0f;
}

// The level of an edge or pulse trigger: digital sources trigger at the
// logic threshold.
float LevelOf(std::int32_t source, float level) { return source >= kFirstDigital ? LogicThreshold() : level; }

// The level pair of the current type, for the markers of `channel` (0 or 1).
// Under the alternate trigger A is CH1's level and B CH2's, except for a
// slope channel, whose A and B are its own two levels.
void GetTrigLevels(float* levelA, float* levelB, int channel) {
  const _QX_SETUP& s = Setup();
  switch (s.TrigType) {
    case TRIG_EDGE: *levelA = s.TrigEdgeLevel; break;
    case TRIG_PULSE: *levelA = s.TrigPulseLevel; break;
    case TRIG_SLOPE:
      *levelA = s.TrigSlopeLevelA;
      *levelB = s.TrigSlopeLevelB;
      break;
    case TRIG_VIDEO: *levelA = s.TrigVideoLevel; break;
    case TRIG_ALTERNATION:
      switch (s.AltTrigType[channel]) {
        case TRIG_EDGE: *levelA = s.AltEdgeLevel[0], *levelB = s.AltEdgeLevel[1]; break;
        case TRIG_PULSE: *levelA = s.AltPulseLevel[0], *levelB = s.AltPulseLevel[1]; break;
        case TRIG_SLOPE: *levelA = s.AltSlopeLevelA[channel], *levelB = s.AltSlopeLevelB[channel]; break;
        case TRIG_VIDEO: *levelA = s.AltVideoLevel[0], *levelB = s.AltVideoLevel[1]; break;
        default: break;
      }
      break;
    default: break;
  }
}

}  // namespace

namespace qx::trigger {

void SourceName(int code, CString& out) {
  out.Empty();
  if (code >= 0 && code < kFirstDigital)
    out = kSourceNames[code];
  else if (code >= kFirstDigital && code <= kLastDigital)
    out.Format("%s%d", "DIGITAL", code - kFirstDigital);
  Setup().TrigLevelShown = IsChannel(code) ? 1 : 0;
}

float SourceScale(int code) {
  if (IsChannel(code)) return Setup().ChanScale[code];
  return code == 2 ? kExtScale : code == 3 ? kExt5Scale : 0.0f;
}

float SourceOffset(int code) { return IsChannel(code) ? Setup().ChanOffset[code] : 0.0f; }

float ValidLevel(float volts, int source) {
  return ValidateTrigLevel(volts, SourceScale(source), SourceOffset(source), source);
}

}  // namespace qx::trigger

namespace qx {

void RebuildTrigLevelMarks() {
  const int s = GetTrigSource();
  if (!IsChannel(s)) return;
  const _QX_SETUP& setup = Setup();
  _QX_RGN_SETUP& rgn = Rgn();
  float a = 0, b = 0;
  GetTrigLevels(&a, &b, s);
  const auto at = [&](float level, const CRect& rect) {
    return GetTrigLevelPt(setup.ChanScale[s], setup.ChanOffset[s], level, rect);
  };
  const bool slope = setup.TrigType == TRIG_SLOPE;
  if (setup.DelayedOn == 1) {
    rgn.TrigLevelPtLower[0] = at(a, rgn.LowerWaveRect);
    rgn.TrigLevelPtUpper[0] = at(a, rgn.UpperWaveRect);
    if (slope) {
      rgn.TrigLevelPtLower[1] = at(b, rgn.LowerWaveRect);
      rgn.TrigLevelPtUpper[1] = at(b, rgn.UpperWaveRect);
    }
  } else if (setup.TrigType == TRIG_ALTERNATION) {
    // CH1 is drawn in the upper window, CH2 in the lower one.
    CPoint* points = s == 1 ? rgn.TrigLevelPtLower : rgn.TrigLevelPtUpper;
    const CRect& rect = s == 1 ? rgn.LowerWaveRect : rgn.UpperWaveRect;
    if (setup.AltTrigType[s] == TRIG_SLOPE) {
      points[0] = at(a, rect);
      points[1] = at(b, rect);
    } else {
      points[0] = at(s == 1 ? b : a, rect);
    }
  } else if (GetFFTSplitScreen()) {
    rgn.TrigLevelPtUpper[0] = at(a, rgn.UpperWaveRect);
    if (slope) rgn.TrigLevelPtUpper[1] = at(b, rgn.UpperWaveRect);
  } else {
    rgn.TrigLevelPtMain[0] = at(a, rgn.MainWaveRect);
    if (slope) rgn.TrigLevelPtMain[1] = at(b, rgn.MainWaveRect);
  }
}

}  // namespace qx

int GetTrigSource() {
  const _QX_SETUP& s = Setup();
  switch (s.TrigType) {
    case TRIG_PULSE: return s.TrigPulseSource;
    case TRIG_SLOPE: return s.TrigSlopeSource;
    case TRIG_VIDEO: return s.TrigVideoSource;
    case TRIG_ALTERNATION: return s.AltSource;
    default: return s.TrigEdgeSource;
  }
}

void GetTrigChanUnit(CString& unit) {
  const int source = GetTrigSource();
  if (!IsChannel(source)) {
    unit = "V";
    return;
  }
  const char* text = Setup().ChanUnitText[source];
  unit = CString(text, static_cast<int>(strnlen(text, sizeof Setup().ChanUnitText[source])));
}

float GetTrigLevelValue(_QX_TRIG_TYPE type, int which, int which2) {
  const _QX_SETUP& s = Setup();
  switch (type) {
    case TRIG_EDGE: return s.TrigEdgeSource == kAcLine ? 0.0f : LevelOf(s.TrigEdgeSource, s.TrigEdgeLevel);
    case TRIG_PULSE: return LevelOf(s.TrigPulseSource, s.TrigPulseLevel);
    case TRIG_SLOPE: return which == 0 ? s.TrigSlopeLevelA : which == 1 ? s.TrigSlopeLevelB : 0.0f;
    case TRIG_VIDEO: return s.TrigVideoLevel;
    case TRIG_ALTERNATION: {
      const int c = s.AltSource;
      if (!IsChannel(c)) return 0.0f;
      switch (s.AltTrigType[c]) {
        case TRIG_EDGE: return s.AltEdgeLevel[c];
        case TRIG_PULSE: return s.AltPulseLevel[c];
        case TRIG_SLOPE:
          return which2 == 0 ? s.AltSlopeLevelA[c] : s.AltSlopeLevelB[c];  // by the third argument
        case TRIG_VIDEO: return s.AltVideoLevel[c];
        default: return 0.0f;
      }
    }
    default: return 0.0f;
  }
}
