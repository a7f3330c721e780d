// The sixteen-channel logic analyzer: the analyzer itself, each digital
// channel D0..D15, the two groups of eight, the logic threshold, and where
// each digital trace sits on screen.
#include "frame/handlers.h"

namespace qx {
namespace {

constexpr int kChannels = 16;
constexpr int kGroupSize = 8;
constexpr std::int32_t kUserThreshold = 3;
// Fixed thresholds of TTL, CMOS and ECL logic, volts.
constexpr float kThresholds[] = {1.4f, 2.5f, -1.3f};
constexpr const char* kThresholdWords[] = {"TTL", "CMOS", "ECL", "USER"};
constexpr double kLowestPosition = 3.65;  // divisions below the centre
constexpr double kCompactStep = 0.4375;   // divisions between compact traces
constexpr double kCompactGroup2 = 0.5;    // where compact group 2 starts
// The cursor controls that take the cursors off the analyzer when it goes.
constexpr unsigned int kCursorXOn = 0x8A7;
constexpr unsigned int kCursorYOn = 0x8BB;
constexpr std::int32_t kCursorOnAnalyzer = 6;

// The analyzer, its channels and groups cannot change under the alternate
// trigger or in XY; the refusal still lets the empty line go out.
Msg NotUnderAltTriggerOrXY(const Control&) {
  const _QX_SETUP& s = Setup();
  if (s.TrigType == TRIG_ALTERNATION) return Msg::NotAvailableAltTrigger;
  if (s.TimeFormat == 1) return Msg::NotAvailableXY;
  return Allowed;
}

bool AnyChannelShown() {
  BYTE any = 0;
  for (BYTE shown : Setup().LaChanDisplay) any |= shown;
  return any != 0;
}

BYTE GroupComplete(int group) {
  BYTE all = 1;
  for (int n = group * kGroupSize; n < (group + 1) * kGroupSize; ++n) all &= Setup().LaChanDisplay[n];
  return all;
}

void PostBool(unsigned long cmdId, unsigned int ctrlId, bool on) {
  SetMsgVarbool(on);
  QxPostIOCmd(cmdId, ctrlId, 0, nullptr, nullptr, nullptr);
}

// The analyzer follows its channels: switched on by a queued command when a
// channel appears, off (with any cursor measuring it) when the last one goes.
void AnalyzerFollowsChannels() {
  const _QX_SETUP& s = Setup();
  const bool any = AnyChannelShown();
  if (s.LaEnable == 0 && any) {
    PostBool(CMD_DIGITAL, CTL_LA_DISPLAY, true);
  } else if (s.LaEnable == 1 && !any) {
    PostBool(CMD_DIGITAL, CTL_LA_DISPLAY, false);
    if (s.CursorXSource == kCursorOnAnalyzer && s.CursorXOn == 1)
      PostBool(CMD_CURSOR_MANUAL, kCursorXOn, false);
    if (s.CursorYSource == kCursorOnAnalyzer && s.CursorYOn == 1)
      PostBool(CMD_CURSOR_MANUAL, kCursorYOn, false);
  }
}

void SetGroup(Control& c, int group) {
  _QX_SETUP& s = Setup();
  (group == 0 ? s.LaGroup1 : s.LaGroup2) = c.byte;
  for (int n = group * kGroupSize; n < (group + 1) * kGroupSize; ++n)
    s.LaChanDisplay[n] = c.byte == 1 ? 1 : 0;
  AnalyzerFollowsChannels();
  c.arg = c.byte;
}

void PlaceMarker(int n, bool allWindows) {
  const _QX_SETUP& s = Setup();
  _QX_RGN_SETUP& r = Rgn();
  if (allWindows || s.DelayedOn != 1) r.LaOffsetPtMain[n] = GetLaOffsetPoint(s.LaChanPos[n], r.MainWaveRect);
  if (allWindows || s.DelayedOn == 1) {
    r.LaOffsetPtUpper[n] = GetLaOffsetPoint(s.LaChanPos[n], r.UpperWaveRect);
    r.LaOffsetPtLower[n] = GetLaOffsetPoint(s.LaChanPos[n], r.LowerWaveRect);
  }
}

// Wide: each group spreads over eight positions one division apart, both
// groups alike. Compact: group 1 in the lower half, group 2 in the upper.
void DefaultPositions(Control&) {
  _QX_SETUP& s = Setup();
  for (int n = 0; n < kChannels; ++n)
    s.LaChanPos[n] = static_cast<float>(s.LaSize == 0 ? (n % kGroupSize) - kLowestPosition
                                                      : n * kCompactStep - kLowestPosition);
  if (s.LaSize != 0)
    for (int k = 0; k < kGroupSize; ++k)
      s.LaChanPos[kGroupSize + k] = static_cast<float>(k * kCompactStep + kCompactGroup2);
  for (int n = 0; n < kChannels; ++n) PlaceMarker(n, true);
}

constexpr ControlRow kRows[] = {
    {.ctrl = CTL_LA_DISPLAY,
     .reads = Var::Byte,
     .guard = NotUnderAltTriggerOrXY,
     .refusal = Refusal::KeepSend,
     .action =
         [](Control& c) {
           c.arg = Setup().LaEnable = c.byte;
           SetChangeSetting();
           SetActiveChannel(ACTIVE_LA);
         },
     .header = ":DISPLAY",
     .format = Arg::OnOff,
     .after = {step::RedrawFlag3, step::RefreshWave},
     .noReadBackRow = true},
    {.ctrl = CTL_LA_CHANNEL,
     .reads = Var::Byte,
     .slot = Slot::Digital,
     .guard = NotUnderAltTriggerOrXY,
     .refusal = Refusal::KeepSend,
     .action =
         [](Control& c) {
           _QX_SETUP& s = Setup();
           c.arg = s.LaChanDisplay[c.slot] = c.byte;
           AnalyzerFollowsChannels();
           s.LaGroup1 = GroupComplete(0);
           s.LaGroup2 = GroupComplete(1);
         },
     .header = ":TURN",
     .format = Arg::OnOff,
     .after = {step::RedrawFlag3, step::RefreshWave},
     .noReadBackRow = true},
    {.ctrl = CTL_LA_GROUP1,
     .reads = Var::Byte,
     .guard = NotUnderAltTriggerOrXY,
     .refusal = Refusal::KeepSend,
     .action = [](Control& c) { SetGroup(c, 0); },
     .header = ":GROUP1",
     .format = Arg::OnOff,
     .after = {step::RedrawFlag3, step::RefreshWave},
     .noReadBackRow = true},
    {.ctrl = CTL_LA_GROUP2,
     .reads = Var::Byte,
     .guard = NotUnderAltTriggerOrXY,
     .refusal = Refusal::KeepSend,
     .action = [](Control& c) { SetGroup(c, 1); },
     .header = ":GROUP2",
     .format = Arg::OnOff,
     .after = {step::RedrawFlag3, step::RefreshWave},
     .noReadBackRow = true},
    // A type outside the four is stored; the threshold stays and the
    // header goes out with an empty argument.
    {.ctrl = CTL_LA_THRESHOLD_TYPE,
     .reads = Var::Int,
     .action =
         [](Control& c) {
           _QX_SETUP& s = Setup();
           c.arg = s.LaThresholdType = c.i;
           if (c.i >= 0 && c.i < 3) s.LaThreshold = kThresholds[c.i];
           if (c.i == kUserThreshold) s.LaThreshold = s.LaUserThreshold;
         },
     .header = ":THRESHOLD",
     .format = Arg::Words,
     .words = kThresholdWords,
     .noReadBackRow = true},
    // Only a user threshold takes a number; otherwise the empty line goes
    // out and the read-back restores what the instrument holds.
    {.ctrl = CTL_LA_THRESHOLD,
     .reads = Var::Float,
     .action =
         [](Control& c) {
           _QX_SETUP& s = Setup();
           if (s.LaThresholdType != kUserThreshold) return c.Stop(Refusal::KeepSend);
           c.arg = s.LaThreshold = s.LaUserThreshold = ValidateLaUserThresholdLevel(c.f);
         },
     .header = ":THRESHOLD",
     .format = Arg::Fixed6},
    {.ctrl = CTL_LA_USER_THRESHOLD,
     .reads = Var::Float,
     .action = [](Control& c) { Setup().LaUserThreshold = ValidateLaUserThresholdLevel(c.f); }},
    {.ctrl = CTL_LA_POSITION,
     .reads = Var::Float,
     .slot = Slot::Digital,
     .action =
         [](Control& c) {
           Setup().LaChanPos[c.slot] = c.f;
           PlaceMarker(c.slot, false);
         },
     .after = {step::RedrawFlag3, step::ChangeSetting, step::RefreshWave},
     .leave = Leave::Host},
    {.ctrl = CTL_LA_SIZE,
     .reads = Var::Int,
     .action =
         [](Control& c) {
           _QX_SETUP& s = Setup();
           s.LaSize = c.i;
           s.LaTraceSpan = c.i == 0 ? 44.0f : 24.0f;
           s.LaTraceSpanInner = static_cast<std::int32_t>(s.LaTraceSpan - 6.0f);
         },
     .after = {step::RedrawFlag3, step::RefreshWave},
     .leave = Leave::Host},
    {.ctrl = CTL_LA_DEFAULT,
     .action = DefaultPositions,
     .after = {step::RedrawFlag3, step::RefreshWave},
     .leave = Leave::Host},
};

}  // namespace

const ControlTable kDigitalTable = {.cmdId = CMD_DIGITAL, .subsystem = ":LA", .rows = kRows};

void DigitalHandler(unsigned int ctrlId, long value, MsgVar var) {
  RunControl(kDigitalTable, ctrlId, value, var);
}

}  // namespace qx
