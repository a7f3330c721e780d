// The timebase: display format (YT, XY, ROLLING), MAIN/DELAYED mode, the main
// and delayed time/div and offset, and the time base the alternate trigger
// keeps per channel; then the appliers of time bases the host edited itself.
#include <algorithm>
#include <limits>

#include "frame/command_text.h"
#include "frame/handlers.h"
#include "horizontal/time_model.h"
#include "link/handler_link.h"

namespace qx {
namespace {

enum Format : std::int32_t { kYT = 0, kXY = 1, kRolling = 2 };
constexpr std::int32_t kOperatorFFT = 3;
constexpr std::int32_t kOperatorFilter = 4;

constexpr std::int64_t kRollOnScalePs = 50'000'000'000;     // YT rolls from 50 ms/div
constexpr std::int64_t kRollingFloorPs = 500'000'000'000;   // ROLLING: 500 ms/div at least
constexpr std::int64_t kXYScaleCeilingPs = 20'000'000'000;  // XY: 20 ms/div at most
constexpr std::int64_t kXYScaleFloorPs = 500'000;           // XY: 500 ns/div at least
constexpr int kMarkRefY = 13;                               // the trigger-position marker's row
constexpr int kMarkRefInset = 16;

constexpr unsigned int kApplyScale = 0x100;
constexpr unsigned int kApplyOffset = 0x1000;

constexpr const char* kModeWords[] = {"MAIN", "DELAYED"};
constexpr const char* kFormatWords[] = {"YT", "XY", "ROLLING"};

// --- Routines the controls share -------------------------------------------

bool Running() { return Setup().RunState == 1; }

// A refusal that also skips the read-back.
void RefuseWithoutReadBack(Control& c, Msg message) {
  Command.ReadBackFlag = false;
  c.Refuse(message);
}

// The trigger-position marker's reference, x from the main window's width.
CPoint MarkRef(std::int64_t x) {
  using Limits = std::numeric_limits<int>;
  return {static_cast<int>(std::clamp<std::int64_t>(x, Limits::min(), Limits::max())), kMarkRefY};
}
std::int64_t MainWaveWidth() {
  const CRect& main = Rgn().MainWaveRect;
  return static_cast<std::int64_t>(main.right) - main.left;
}

void MainTrigMark() {
  const _QX_SETUP& s = Setup();
  Rgn().TrigMarkMain = GetTrigOffsetPt(s.TimeScale, s.TimeOffset, Rgn().TrigMarkRef);
}

// DELAYED: the upper window's marker, the delayed span and the lower marker.
void DelayedSetMarks() {
  const _QX_SETUP& s = Setup();
  _QX_RGN_SETUP& r = Rgn();
  r.TrigMarkUpper = GetTrigOffsetPt(s.TimeScale, s.TimeOffset, r.TrigMarkRef);
  UpdateDelayedScaleMarks();
  r.RedrawScreen = 1;
}

// An alternate-trigger channel's marker: CH1 in the upper window, CH2 in the lower.
void AltTrigMark(int c) {
  const _QX_SETUP& s = Setup();
  _QX_RGN_SETUP& r = Rgn();
  if (c == 0)
    r.TrigMarkUpper = GetTrigOffsetPt(s.AltTimeScale[0], s.AltTimeOffset[0], r.TrigMarkRef);
  else
    r.TrigMarkLower = GetTrigOffsetPt(s.AltTimeScale[1], s.AltTimeOffset[1], r.TrigMarkRef2);
}

// ROLLING: 500 ms/div at least, and the instrument drops the samples it
// holds at once, whatever the new scale.
void FloorRollingScale() {
  _QX_SETUP& s = Setup();
  if (s.TimeScalePs <= kRollingFloorPs) {
    s.TimeScalePs = kRollingFloorPs;
    RaiseStatus(Msg::TimeDivLower);
  }
  SendLine(":CLEARUSB");
}

void ClampXYScale() {
  _QX_SETUP& s = Setup();
  if (s.TimeScalePs >= kXYScaleCeilingPs) {
    s.TimeScalePs = kXYScaleCeilingPs;
    RaiseStatus(Msg::TimeDivUpper);
  }
  if (s.TimeScalePs <= kXYScaleFloorPs) {
    s.TimeScalePs = kXYScaleFloorPs;
    RaiseStatus(Msg::TimeDivLower);
  }
}

bool RollsAt(const _QX_SETUP& s) { return s.TimeFormat == kYT && s.TimeScalePs >= kRollOnScalePs; }

// --- Follow-up steps --------------------------------------------------------

void CursorDivIfShown(const Control&) {
  if (Rgn().CursorShown) RebuildCursorDiv();
}

void RegionsIfOffline(const Control&) {
  if (Setup().Connected == 0) RebuildRgnSetup();
}

// The delayed window only zooms into what was acquired.
void KeepWave(const Control&) { SetRefreshWave(false); }

// Each spectrum keeps its offset in divisions under the new time base.
void FFTHorizontalUpdate(const Control&) {
  _QX_SETUP& s = Setup();
  for (int i = 0; i < 4; ++i) {
    if (s.MathOperator[i] != kOperatorFFT) continue;
    s.FFTTimeScale[i] = FFTHorizScaleFor(i);
    s.FFTTimeOffset[i] = ValidateFFTHorizOffset(s.FFTTimeOffsetDiv[i] * s.FFTTimeScale[i], s.FFTTimeScale[i]);
  }
}

void FFTUpdateAfterYT(const Control& c) {
  if (Setup().TimeFormat == kYT) FFTHorizontalUpdate(c);
}

void ModeRedraw(const Control&) {
  _QX_RGN_SETUP& r = Rgn();
  r.RedrawScreen = r.RedrawFlag2 = r.RedrawFlag3 = r.RedrawFlag4 = 1;
  if (Setup().RollOn == 1)
    r.RefreshWave = 1;
  else
    SetRefreshWave(false);
}

// --- Actions ----------------------------------------------------------------

Msg NotInPlayback(const Control&) { return Setup().RecordState == 2 ? Msg::NotAvailable : Allowed; }

void SetMode(Control& c) {
  _QX_SETUP& s = Setup();
  const Msg refusal = s.TrigType == TRIG_ALTERNATION ? Msg::NotAvailableAltTrigger
                      : GetFFTOperator()             ? Msg::NotAvailableFFT
                      : s.TimeFormat != kYT          ? Msg::NotAvailable
                                                     : Allowed;
  if (refusal != Allowed) {
    RegionsIfOffline(c);
    c.Refuse(refusal, Refusal::KeepSend);  // the empty line still goes out
    return;
  }
  const BYTE mode = c.byte == 1 ? 1 : 0;
  if (Rgn().CursorShown && mode != s.DelayedOn) RebuildCursorPt();
  c.arg = s.DelayedOn = mode;
}

void EnterYT(std::int64_t width) {
  _QX_SETUP& s = Setup();
  _QX_RGN_SETUP& r = Rgn();
  r.TrigMarkRef = MarkRef(width / 2 + kMarkRefInset);
  if (s.DelayedOn == 1) {
    DelayedSetMarks();
  } else {
    MainTrigMark();
    r.ChanOffsetPtMain[0] = GetVoltOffsetPt(s.ChanScale[0], s.ChanOffset[0], r.MainWaveRect);
    RebuildTrigLevelMarks();
  }
  s.RollOn = RollsAt(s) ? 1 : 0;
  s.TrigLevelShown = 1;
}

void EnterRolling(std::int64_t width) {
  _QX_SETUP& s = Setup();
  _QX_RGN_SETUP& r = Rgn();
  s.TimeOffsetPs = 0;
  if (s.TimeScalePs < kRollingFloorPs) {
    s.TimeScalePs = kRollingFloorPs;
    SyncTimeBase();
  }
  r.TrigMarkRef = MarkRef(width + kMarkRefInset);
  for (int i = 0; i < 4; ++i)
    if (s.MathOperator[i] == kOperatorFilter) s.MathDisplay[i] = 0;
  s.DelayedOn = s.RollOn = s.TrigLevelShown = 0;
  r.TrigLevelLineOn = 0;
  r.RedrawScreen = 1;
}

// XY plots CH1 against CH2: both on, every other trace off.
void EnterXY(std::int64_t width) {
  _QX_SETUP& s = Setup();
  _QX_RGN_SETUP& r = Rgn();
  r.TrigMarkRef = MarkRef(width / 2 + kMarkRefInset);
  r.TrigMarkMain = GetXYTimeOffsetPt(s.ChanScale[0], s.ChanOffset[0], r.TrigMarkRef);
  s.ChanDisplay[0] = s.ChanDisplay[1] = 1;
  s.LaEnable = 0;
  for (int i = 0; i < 4; ++i) s.MathDisplay[i] = s.RefDisplay[i] = 0;
  s.TrigLevelShown = s.RollOn = s.DelayedOn = 0;
  r.TrigLevelLineOn = 0;
  r.RedrawScreen = 1;
}

void SetFormat(Control& c) {
  _QX_SETUP& s = Setup();
  _QX_RGN_SETUP& r = Rgn();
  if (s.RunState == 0 && c.i != s.TimeFormat) r.RedrawFlag1 = 1;
  if (s.RunState != 0) r.RefreshWave = 1;
  // Under the alternate trigger only YT; a refused format keeps the present
  // one, whose layout is still rebuilt.
  if (s.TrigType == TRIG_ALTERNATION && c.i != kYT) {
    RaiseStatus(Msg::NotAvailable);
    Command.ReadBackFlag = false;
    Command.SendFlag = false;
  } else {
    s.TimeFormat = c.i;
  }
  const std::int64_t width = MainWaveWidth();
  switch (s.TimeFormat) {
    case kYT: EnterYT(width); break;
    case kXY: EnterXY(width); break;
    case kRolling: EnterRolling(width); break;
    default: break;
  }
  c.arg = s.TimeFormat;
}

void SetMainOffset(Control& c) {
  _QX_SETUP& s = Setup();
  if (s.TimeFormat == kRolling && Running()) {
    s.TimeOffsetPs = 0;
    c.Refuse(Msg::NotAvailableRolling, Refusal::KeepSend);
    return;
  }
  if (s.TimeFormat == kXY) {
    RefuseWithoutReadBack(c, Msg::NotAvailableXY);
    return;
  }
  s.TimeOffsetPs = ToPicoseconds(ValidateTimeOffset(c.d), c.d < 0);
  if (s.DelayedOn == 1) KeepDelayedInsideMain(true);
  SyncTimeBase();
  if (s.DelayedOn == 1)
    DelayedSetMarks();
  else if (GetFFTSplitScreen())
    Rgn().TrigMarkUpper = GetTrigOffsetPt(s.TimeScale, s.TimeOffset, Rgn().TrigMarkRef);
  else
    MainTrigMark();
  c.arg = s.TimeOffset;
}

void SetMainScale(Control& c) {
  _QX_SETUP& s = Setup();
  if (s.RunState == 0 && s.TimeFormat == kXY) {
    RefuseWithoutReadBack(c, Msg::NotAvailableXY);
    return;
  }
  s.TimeScalePs = ToPicoseconds(ValidateTimeScale(c.d), c.d < 0);
  if (s.TimeFormat == kRolling && Running())
    FloorRollingScale();
  else if (s.TimeFormat == kXY)
    ClampXYScale();
  s.RollOn = RollsAt(s) ? 1 : 0;
  if (s.RollOn == 1) Rgn().RefreshWave = Rgn().RedrawFlag3 = 1;
  if (s.DelayedOn == 1) KeepDelayedInsideMain(true);
  SyncTimeBase();
  if (s.DelayedOn == 1)
    DelayedSetMarks();
  else if (s.TimeFormat != kXY)
    MainTrigMark();
  c.arg = s.TimeScale;
}

void SetDelayedOffset(Control& c) {
  _QX_SETUP& s = Setup();
  s.DelayedOffsetPs = ToPicoseconds(ValidateTimeOffset(c.d), c.d < 0);
  KeepDelayedInsideMain(false);
  SyncTimeBase();
  UpdateDelayedScaleMarks();
  c.arg = s.DelayedOffset;
}

void SetDelayedScale(Control& c) {
  _QX_SETUP& s = Setup();
  s.DelayedScalePs = ToPicoseconds(ValidateTimeScale(c.d), c.d < 0);
  KeepDelayedInsideMain(false);
  SyncTimeBase();
  UpdateDelayedScaleMarks();
  c.arg = s.DelayedScale;
}

// The alternate trigger's channel time bases always round half up; their
// seconds views follow only under the alternate trigger.
void SetAltScale(Control& c) {
  _QX_SETUP& s = Setup();
  s.AltTimeScalePs[c.slot] = ToPicoseconds(ValidateAltTrigHorizScale(c.d));
  SyncTimeBase();
  AltTrigMark(c.slot);
  c.arg = s.AltTimeScale[c.slot];
}

void SetAltOffset(Control& c) {
  _QX_SETUP& s = Setup();
  s.AltTimeOffsetPs[c.slot] = ToPicoseconds(ValidateAltTrigHorizOffset(s.AltTimeScale[c.slot], c.d));
  SyncTimeBase();
  AltTrigMark(c.slot);
  c.arg = s.AltTimeOffset[c.slot];
}

constexpr ControlRow kRows[] = {
    {.ctrl = CTL_TIMEBASE_MODE,
     .reads = Var::Byte,
     .guard = NotInPlayback,
     .action = SetMode,
     .header = ":MODE",
     .format = Arg::Words,
     .words = kModeWords,
     .after = {ModeRedraw, step::ChangeSetting, CursorDivIfShown, RegionsIfOffline}},
    {.ctrl = CTL_TIMEBASE_FORMAT,
     .reads = Var::Int,
     .guard = NotInPlayback,
     .action = SetFormat,
     .header = ":FORMAT",
     .format = Arg::Words,
     .words = kFormatWords,
     .after = {CursorDivIfShown, step::RedrawFlag3, step::RedrawFlag4, FFTUpdateAfterYT}},
    {.ctrl = CTL_TIMEBASE_OFFSET,
     .reads = Var::Double,
     .guard = NotInPlayback,
     .action = SetMainOffset,
     .header = ":OFFSET",
     .format = Arg::Fixed9,
     .after = {step::ChangeSetting, CursorDivIfShown, step::RedrawFlag4, step::RefreshWave}},
    {.ctrl = CTL_TIMEBASE_SCALE,
     .reads = Var::Double,
     .guard = NotInPlayback,
     .action = SetMainScale,
     .header = ":SCALE",
     .format = Arg::Fixed9,
     .after = {step::ChangeSetting, step::RedrawFlag4, step::RefreshWave, FFTHorizontalUpdate}},
    {.ctrl = CTL_DELAYED_OFFSET,
     .reads = Var::Double,
     .guard = NotInPlayback,
     .action = SetDelayedOffset,
     .header = ":DELAYED",
     .leaf = ":OFFSET",
     .format = Arg::Fixed9,
     .after = {step::ChangeSetting, CursorDivIfShown, step::RedrawScreen, KeepWave}},
    {.ctrl = CTL_DELAYED_SCALE,
     .reads = Var::Double,
     .guard = NotInPlayback,
     .action = SetDelayedScale,
     .header = ":DELAYED",
     .leaf = ":SCALE",
     .format = Arg::Fixed9,
     .after = {step::ChangeSetting, step::RedrawScreen, KeepWave}},
    {.ctrl = CTL_TIMEBASE_REFRESH,
     .guard = NotInPlayback,
     .action = [](Control&) { RebuildRgnSetup(); },
     .after = {step::RedrawScreen, step::RedrawFlag3, step::ChangeSetting, step::RefreshWave},
     .leave = Leave::Host},
    {.ctrl = CTL_ALT_TIMESCALE,
     .reads = Var::Double,
     .slot = Slot::AltTimebase,
     .guard = NotInPlayback,
     .action = SetAltScale,
     .header = ":TIMESCALE",
     .format = Arg::Fixed9,
     .after = {FFTHorizontalUpdate, step::ChangeSetting, step::RefreshWave}},
    {.ctrl = CTL_ALT_TIMEOFFSET,
     .reads = Var::Double,
     .slot = Slot::AltTimebase,
     .guard = NotInPlayback,
     .action = SetAltOffset,
     .header = ":TIMEOFFSET",
     .format = Arg::Fixed9,
     .after = {step::ChangeSetting, CursorDivIfShown, step::RefreshWave}},
};

// --- Appliers of time bases the host edited in the record -------------------

// Builds one line from the seconds value and sends it at once with read-back;
// the apply controls have no read-back row, so nothing is taken over.
void SendTime(const char* subsystem, const char* header, const char* leaf, double seconds,
              unsigned int ctrlId, long value) {
  Command.ParamString.Format("%0.9f", seconds);
  BuildCommandText(subsystem, header, leaf);
  SendAndReconcile(Command.CmdString, ctrlId, value);
}

// Which alternate-trigger window the host worked in: its marker and prefix.
struct AltWindow {
  std::int32_t window;
  CPoint _QX_RGN_SETUP::*marker;
  CPoint _QX_RGN_SETUP::*ref;
  const char* prefix;
};
constexpr AltWindow kAltWindows[] = {
    {3, &_QX_RGN_SETUP::TrigMarkUpper, &_QX_RGN_SETUP::TrigMarkRef, ":TRIGGER:ALTERNATION:CHANNEL1"},
    {4, &_QX_RGN_SETUP::TrigMarkLower, &_QX_RGN_SETUP::TrigMarkRef2, ":TRIGGER:ALTERNATION:CHANNEL2"},
};

// Any other window moves no marker and sends the line without a prefix.
const char* AltWindowMarkAndPrefix(int c, std::int32_t window) {
  const _QX_SETUP& s = Setup();
  _QX_RGN_SETUP& r = Rgn();
  for (const AltWindow& w : kAltWindows) {
    if (w.window != window) continue;
    r.*w.marker = GetTrigOffsetPt(s.AltTimeScale[c], s.AltTimeOffset[c], r.*w.ref);
    return w.prefix;
  }
  return "";
}

}  // namespace

const ControlTable kTimebaseTable = {.cmdId = CMD_TIMEBASE, .subsystem = ":TIMEBASE", .rows = kRows};

void TimebaseHandler(unsigned int ctrlId, long value, MsgVar var) {
  RunControl(kTimebaseTable, ctrlId, value, var);
}

// After the delayed scale changed: the delayed span inside the upper window
// and the lower window's trigger-position marker follow it.
void UpdateDelayedScaleMarks() {
  const _QX_SETUP& s = Setup();
  _QX_RGN_SETUP& r = Rgn();
  r.DelayedRect = GetDelayedRect(s.TimeScale, s.DelayedScale, s.TimeOffset, s.DelayedOffset, r.UpperWaveRect,
                                 r.TrigMarkRef);
  r.TrigMarkLower = GetTrigOffsetPt(s.DelayedScale, s.DelayedOffset, r.TrigMarkRef2);
}

// The main time base. The delayed window is not kept inside it here.
void ApplyTimeBase(unsigned int ctrlId, long value, unsigned int flags) {
  _QX_SETUP& s = Setup();
  if (flags & kApplyScale) {
    if (s.RunState == 0 && s.TimeFormat == kXY) {
      RaiseStatus(Msg::NotAvailableXY);
      return;
    }
    s.TimeScalePs = ToPicoseconds(ValidateTimeScale(s.TimeScale));
    if (s.TimeFormat == kRolling)
      FloorRollingScale();
    else if (s.TimeFormat == kXY)
      ClampXYScale();
    s.RollOn = RollsAt(s) ? 1 : 0;
    SyncTimeBase();
    MainTrigMark();
    SendTime(":TIMEBASE", ":SCALE", nullptr, s.TimeScale, ctrlId, value);
  }
  if (flags & kApplyOffset) {
    if (s.TimeFormat == kRolling && Running()) {
      s.TimeOffsetPs = 0;
      RaiseStatus(Msg::NotAvailableRolling);
      SetChangeSetting();
      return;
    }
    s.TimeOffsetPs = ToPicoseconds(ValidateTimeOffset(s.TimeOffset));
    SyncTimeBase();
    MainTrigMark();
    SendTime(":TIMEBASE", ":OFFSET", nullptr, s.TimeOffset, ctrlId, value);
  }
  if (Rgn().CursorShown) RebuildCursorDiv();
}

void ApplyDelayedTimeBase(unsigned int ctrlId, long value, unsigned int flags) {
  _QX_SETUP& s = Setup();
  if (flags & kApplyScale) {
    s.DelayedScalePs = ToPicoseconds(ValidateTimeScale(s.DelayedScale));
    KeepDelayedInsideMain(false);
    SyncTimeBase();
    UpdateDelayedScaleMarks();
    SendTime(":TIMEBASE", ":DELAYED", ":SCALE", s.DelayedScale, ctrlId, value);
  }
  if (flags & kApplyOffset) {
    s.DelayedOffsetPs = ToPicoseconds(ValidateTimeOffset(s.DelayedOffset));
    KeepDelayedInsideMain(false);
    SyncTimeBase();
    DelayedSetMarks();
    SendTime(":TIMEBASE", ":DELAYED", ":OFFSET", s.DelayedOffset, ctrlId, value);
  }
  if (Rgn().CursorShown) RebuildCursorDiv();
}

// Channel c's own time base; the window the host worked in picks the marker
// and the line's prefix. The offset rebuilds c's views under any trigger type.
void ApplyAltTimeBase(unsigned int ctrlId, int channel, std::int32_t window, unsigned int flags) {
  if (channel != 0 && channel != 1) return;
  _QX_SETUP& s = Setup();
  const int c = channel;
  if (flags & kApplyScale) {
    s.AltTimeScalePs[c] = ToPicoseconds(ValidateAltTrigHorizScale(s.AltTimeScale[c]));
    SyncTimeBase();
    SendTime(AltWindowMarkAndPrefix(c, window), ":TIMESCALE", nullptr, s.AltTimeScale[c], ctrlId, c);
  }
  if (flags & kApplyOffset) {
    s.AltTimeOffsetPs[c] = ToPicoseconds(ValidateAltTrigHorizOffset(s.AltTimeScale[c], s.AltTimeOffset[c]));
    s.AltTimeOffset[c] = static_cast<double>(s.AltTimeOffsetPs[c]) * kOffsetSecondsPerPs;
    s.AltTimeScale[c] = static_cast<double>(s.AltTimeScalePs[c]) * kScaleSecondsPerPs;
    SendTime(AltWindowMarkAndPrefix(c, window), ":TIMEOFFSET", nullptr, s.AltTimeOffset[c], ctrlId, c);
  }
}

}  // namespace qx
