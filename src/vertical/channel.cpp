// The analog channels: volts/div, offset, coupling, bandwidth limit, probe,
// display, invert, unit, input impedance and the digital filter, and the
// scales and offsets the host drags on screen and then asks to apply.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "frame/command_text.h"
#include "frame/handlers.h"
#include "link/handler_link.h"

namespace qx {
namespace {

// --- Offset markers ----------------------------------------------------------

// A window and the channel's offset marker in it.
struct MarkerSpot {
  CRect& rect;
  CPoint& point;
};
MarkerSpot MainSpot(int ch) { return {Rgn().MainWaveRect, Rgn().ChanOffsetPtMain[ch]}; }
MarkerSpot UpperSpot(int ch) { return {Rgn().UpperWaveRect, Rgn().ChanOffsetPtUpper[ch]}; }
MarkerSpot LowerSpot(int ch) { return {Rgn().LowerWaveRect, Rgn().ChanOffsetPtLower[ch]}; }
// Alternate trigger: CH1 is drawn in the upper window, CH2 in the lower one.
MarkerSpot AltSpot(int ch) { return ch == 0 ? UpperSpot(0) : LowerSpot(1); }

bool InXY() { return Setup().TimeFormat == 1; }
bool InDelayed() { return Setup().DelayedOn == 1; }
bool InAlternation() { return Setup().TrigType == TRIG_ALTERNATION; }
bool InFFTSplit() { return GetFFTSplitScreen(); }
bool Always() { return true; }

// Where a channel's marker is, by screen layout; the first row that applies
// wins. A scale change skips the rows marked offsetOnly. XY has no window
// marker of its own (spot nullptr): CH1 moves the horizontal marker.
struct MarkerLayout {
  bool (*applies)() = nullptr;
  bool offsetOnly = false;
  MarkerSpot (*spot)(int ch) = nullptr;    // the marker a held offset follows
  MarkerSpot (*second)(int ch) = nullptr;  // a second window showing the channel
};
constexpr MarkerLayout kLayouts[] = {
    {.applies = InXY},
    {.applies = InDelayed, .spot = UpperSpot, .second = LowerSpot},
    {.applies = InAlternation, .offsetOnly = true, .spot = AltSpot},
    {.applies = InFFTSplit, .offsetOnly = true, .spot = UpperSpot},
    {.applies = Always, .spot = MainSpot},
};

const MarkerLayout& LayoutFor(bool scale) {
  for (const MarkerLayout& layout : kLayouts)
    if (!(scale && layout.offsetOnly) && layout.applies()) return layout;
  return kLayouts[std::size(kLayouts) - 1];
}

void Place(MarkerSpot spot, int ch) {
  const _QX_SETUP& s = Setup();
  spot.point = GetVoltOffsetPt(s.ChanScale[ch], s.ChanOffset[ch], spot.rect);
}

// XY: CH1 sets the horizontal position, CH2 the vertical one.
void MoveXYMarker(int ch) {
  const _QX_SETUP& s = Setup();
  _QX_RGN_SETUP& r = Rgn();
  if (ch == 0)
    r.TrigMarkMain = GetXYTimeOffsetPt(s.ChanScale[0], s.ChanOffset[0], r.TrigMarkRef);
  else
    Place(MainSpot(1), 1);
  SetRefreshWave(true);
}

// The channel's marker from its scale and offset, then the trigger-level
// markers that sit on the same vertical scale.
void MoveMarkers(int ch, bool scale) {
  const MarkerLayout& layout = LayoutFor(scale);
  if (!layout.spot) {
    MoveXYMarker(ch);
    return;
  }
  Place(layout.spot(ch), ch);
  if (layout.second) Place(layout.second(ch), ch);
  RebuildTrigLevelMarks();
}

// With the markers held the offset follows the marker under a new scale.
void FollowHeldMarker(int ch) {
  const MarkerLayout& layout = LayoutFor(false);
  if (!layout.spot) return;
  _QX_SETUP& s = Setup();
  const MarkerSpot spot = layout.spot(ch);
  s.ChanOffset[ch] = GetVoltOffset(s.ChanScale[ch], spot.rect, spot.point);
  RebuildTrigLevelMarks();
}

// --- Trigger levels under a new probe factor ---------------------------------

void RescaleAltTrigLevels(float k) {
  _QX_SETUP& s = Setup();
  const std::int32_t a = s.AltSource;
  if (a != 0 && a != 1) return;
  switch (s.AltTrigType[a]) {
    case TRIG_EDGE: s.AltEdgeLevel[a] *= k; break;
    case TRIG_PULSE: s.AltPulseLevel[a] *= k; break;
    case TRIG_SLOPE:
      s.AltSlopeLevelA[a] *= k;
      s.AltSlopeLevelB[a] *= k;
      break;
    case TRIG_VIDEO: s.AltVideoLevel[a] *= k; break;
    default: break;
  }
}

// The levels of the current trigger type, whatever their source.
void RescaleTrigLevels(float k) {
  _QX_SETUP& s = Setup();
  switch (s.TrigType) {
    case TRIG_EDGE: s.TrigEdgeLevel *= k; break;
    case TRIG_PULSE: s.TrigPulseLevel *= k; break;
    case TRIG_SLOPE:
      s.TrigSlopeLevelA *= k;
      s.TrigSlopeLevelB *= k;
      break;
    case TRIG_VIDEO: s.TrigVideoLevel *= k; break;
    case TRIG_ALTERNATION: RescaleAltTrigLevels(k); break;
    default: break;
  }
}

// --- Control actions -----------------------------------------------------------

// While a recording is made or played back only the display may change.
Msg RecorderIdle(const Control&) {
  const std::int32_t state = Setup().RecordState;
  return state >= 1 && state <= 3 ? Msg::NotAvailable : Allowed;
}

// A new probe factor scales what the screen shows: scale, offset and the
// trigger levels follow it as they stand, without validation.
void ChangeProbe(Control& c) {
  _QX_SETUP& s = Setup();
  const float old = s.ChanProbe[c.slot];
  c.arg = s.ChanProbe[c.slot] = c.f;
  if (old == 0) return;  // no ratio to a factor of 0
  const float k = c.f / old;
  if (!std::isfinite(k)) return;
  s.ChanScale[c.slot] *= k;
  s.ChanOffset[c.slot] *= k;
  RescaleTrigLevels(k);
}

void ChangeDisplay(Control& c) {
  _QX_SETUP& s = Setup();
  c.arg = s.ChanDisplay[c.slot] = c.byte;
  // While a math trace is shown the instrument keeps acquiring the channel;
  // the math display switches the instrument's channels itself.
  if (c.byte != 1 && GetMathEnabled()) Command.SendFlag = false;
  SetActiveChannel(static_cast<_QX_ACTIVE_CHANNEL>(c.slot));
  const int source = GetTrigSource();
  s.TrigLevelShown = s.TimeFormat != 2 && (source == 0 || source == 1) && s.ChanDisplay[source] == 1 ? 1 : 0;
}

// Unit codes and their texts; code 6 has none and leaves the text as it is.
constexpr const char* kUnitTexts[] = {"V", "A", "W", "dBV", "dBA", "dBW", nullptr, "U"};

// A text field the host filled, as a NUL-terminated copy.
struct UnitText {
  char text[sizeof _QX_SETUP::ChanUnitText[0] + 1] = {};
};
UnitText ChannelUnit(std::int32_t ch) {
  UnitText unit;
  std::memcpy(unit.text, Setup().ChanUnitText[ch], sizeof unit.text - 1);
  return unit;
}

// The math traces computed from the channels (add, subtract, multiply) carry
// a unit made of their sources' units.
void RebuildMathUnits() {
  _QX_SETUP& s = Setup();
  for (int i = 0; i < 4; ++i) {
    const std::int32_t op = s.MathOperator[i];
    if (op < 0 || op > 2) continue;
    const std::int32_t a = s.MathSourceA[i], b = s.MathSourceB[i];
    if (a < 0 || a > 1 || b < 0 || b > 1) continue;
    const UnitText unitA = ChannelUnit(a), unitB = ChannelUnit(b);
    const char* unit = MathUnitFor(unitA.text, unitB.text, op);
    std::snprintf(s.MathUnitText[i], sizeof s.MathUnitText[i], "%s", unit ? unit : "");
  }
}

void ChangeUnit(Control& c) {
  _QX_SETUP& s = Setup();
  s.ChanUnit[c.slot] = c.i;
  const char* text =
      c.i >= 0 && c.i < static_cast<std::int32_t>(std::size(kUnitTexts)) ? kUnitTexts[c.i] : nullptr;
  if (text) std::strcpy(s.ChanUnitText[c.slot], text);
  RebuildMathUnits();
}

constexpr const char* kFilterTypeWords[] = {"LOWPASS", "HIGHPASS", "BANDPASS", "BANDREJECT"};

// A filter type without a keyword is refused: the instrument could not be
// told, and the record would no longer match it.
void ChangeFilterType(Control& c) {
  if (c.i < 0 || c.i >= static_cast<std::int32_t>(std::size(kFilterTypeWords))) {
    c.Stop();
    return;
  }
  c.arg = Setup().ChanFilterType[c.slot] = c.i;
}

// --- Follow-ups ------------------------------------------------------------------

// With the markers held a new scale only redraws the trace.
void ScaleMarkers(const Control& c) {
  if (Setup().HoldMarkers == 1)
    SetRefreshWave(true);
  else
    MoveMarkers(c.slot, true);
}

void OffsetMarkers(const Control& c) { MoveMarkers(c.slot, false); }

// An inverted trigger source flips its level marker.
void InvertedTriggerSource(const Control& c) {
  if (GetTrigSource() != c.slot) return;
  RebuildTrigLevelMarks();
  Rgn().RedrawFlag3 = 1;
}

void CursorDivisions(const Control&) {
  if (Rgn().CursorShown) RebuildCursorDiv();
}

constexpr const char* kCouplingWords[] = {"DC", "AC"};         // 1: AC
constexpr const char* kImpedanceWords[] = {"1MOHM", "50OHM"};  // 1: 50 ohm

constexpr ControlRow kRows[] = {
    {.ctrl = CTL_CH_SCALE,
     .reads = Var::Float,
     .slot = Slot::Channel,
     .guard = RecorderIdle,
     .action =
         [](Control& c) {
           _QX_SETUP& s = Setup();
           c.arg = s.ChanScale[c.slot] = ValidateCHScale(c.f, s.ChanProbe[c.slot]);
         },
     .header = ":SCALE",
     .format = Arg::Fixed6,
     .after = {ScaleMarkers, step::ChangeSetting, step::RedrawFlag3}},
    {.ctrl = CTL_CH_OFFSET,
     .reads = Var::Float,
     .slot = Slot::Channel,
     .guard = RecorderIdle,
     .action =
         [](Control& c) {
           _QX_SETUP& s = Setup();
           c.arg = s.ChanOffset[c.slot] = ValidateCHOffset(s.ChanScale[c.slot], c.f, s.ChanProbe[c.slot]);
         },
     .header = ":OFFSET",
     .format = Arg::Fixed6,
     .after = {OffsetMarkers, step::ChangeSetting, step::RedrawFlag3}},
    {.ctrl = CTL_CH_COUPLING,
     .reads = Var::Int,
     .slot = Slot::Channel,
     .guard = RecorderIdle,
     .action = [](Control& c) { c.arg = (Setup().ChanCoupling[c.slot] = c.i) == 1; },
     .header = ":COUPLING",
     .format = Arg::Words,
     .words = kCouplingWords},
    {.ctrl = CTL_CH_BWLIMIT,
     .reads = Var::Byte,
     .slot = Slot::Channel,
     .guard = RecorderIdle,
     .action = [](Control& c) { c.arg = Setup().ChanBWLimit[c.slot] = c.byte; },
     .header = ":BWLIMIT",
     .format = Arg::OnOff},
    {.ctrl = CTL_CH_PROBE,
     .reads = Var::Float,
     .slot = Slot::Channel,
     .guard = RecorderIdle,
     .action = ChangeProbe,
     .header = ":PROBE",
     .format = Arg::Fixed6},
    {.ctrl = CTL_CH_DISPLAY,
     .reads = Var::Byte,
     .slot = Slot::Channel,
     .action = ChangeDisplay,
     .header = ":DISPLAY",
     .format = Arg::OnOff,
     .after = {step::ChangeSetting, step::RedrawFlag3}},
    {.ctrl = CTL_CH_INVERT,
     .reads = Var::Byte,
     .slot = Slot::Channel,
     .guard = RecorderIdle,
     .action = [](Control& c) { c.arg = Setup().ChanInvert[c.slot] = c.byte; },
     .header = ":INVERT",
     .format = Arg::OnOff,
     .after = {InvertedTriggerSource}},
    {.ctrl = CTL_CH_UNIT,
     .reads = Var::Int,
     .slot = Slot::Channel,
     .guard = RecorderIdle,
     .action = ChangeUnit,
     .leave = Leave::Host},
    {.ctrl = CTL_CH_IMPEDANCE,
     .reads = Var::Int,
     .slot = Slot::Channel,
     .guard = RecorderIdle,
     .action = [](Control& c) { c.arg = (Setup().ChanImpedance[c.slot] = c.i) == 1; },
     .header = ":INPUT",
     .format = Arg::Words,
     .words = kImpedanceWords},
    {.ctrl = CTL_CH_FILTER_DISPLAY,
     .reads = Var::Byte,
     .slot = Slot::Channel,
     .guard = RecorderIdle,
     .action = [](Control& c) { c.arg = Setup().ChanFilter[c.slot] = c.byte; },
     .header = ":FILTER",
     .leaf = ":DISPLAY",
     .format = Arg::OnOff,
     .noReadBackRow = true},
    {.ctrl = CTL_CH_FILTER_UPPER,
     .reads = Var::Float,
     .slot = Slot::Channel,
     .guard = RecorderIdle,
     .action = [](Control& c) { c.arg = Setup().ChanFilterUpper[c.slot] = ValidateFilterLimit(c.f); },
     .header = ":FILTER",
     .leaf = ":UPLIMIT",
     .format = Arg::Fixed6,
     .noReadBackRow = true},
    {.ctrl = CTL_CH_FILTER_LOWER,
     .reads = Var::Float,
     .slot = Slot::Channel,
     .guard = RecorderIdle,
     .action = [](Control& c) { c.arg = Setup().ChanFilterLower[c.slot] = ValidateFilterLimit(c.f); },
     .header = ":FILTER",
     .leaf = ":DOWNLIMIT",
     .format = Arg::Fixed6,
     .noReadBackRow = true},
    {.ctrl = CTL_CH_FILTER_TYPE,
     .reads = Var::Int,
     .slot = Slot::Channel,
     .guard = RecorderIdle,
     .action = ChangeFilterType,
     .header = ":FILTER",
     .leaf = ":TYPE",
     .format = Arg::Words,
     .words = kFilterTypeWords,
     .noReadBackRow = true},
};

// --- Views the host edited -------------------------------------------------------

constexpr unsigned int kApplyScale = 0x1;
constexpr unsigned int kApplyOffset = 0x10;
constexpr unsigned int kApplyTimeScale = 0x100;
constexpr unsigned int kApplyTimeOffset = 0x1000;

// Sends one channel line with read-back, as the dispatcher would.
void SendChannelLine(unsigned int ctrlId, int ch, const char* header, float value) {
  char buffer[32];
  Command.ParamString.Format("%f", static_cast<double>(value));
  BuildCommandText(SlotPrefix(kChannelTable, Slot::Channel, ch, buffer, sizeof buffer), header);
  SendAndReconcile(Command.CmdString, ctrlId, ch);
}

// Validates and sends the scale and/or offset the host wrote for a channel,
// the scale first.
void ApplyChannelChange(unsigned int ctrlId, int ch, unsigned int flags) {
  _QX_SETUP& s = Setup();
  if (flags & kApplyScale) {
    s.ChanScale[ch] = ValidateCHScale(s.ChanScale[ch], s.ChanProbe[ch]);
    if (s.HoldMarkers == 1)
      FollowHeldMarker(ch);
    else
      MoveMarkers(ch, true);
    SendChannelLine(ctrlId, ch, ":SCALE", s.ChanScale[ch]);
  }
  if (flags & kApplyOffset) {
    s.ChanOffset[ch] = ValidateCHOffset(s.ChanScale[ch], s.ChanOffset[ch], s.ChanProbe[ch]);
    MoveMarkers(ch, false);
    SendChannelLine(ctrlId, ch, ":OFFSET", s.ChanOffset[ch]);
    Rgn().RedrawFlag3 = 1;
  }
}

// What the view of each ActiveWindow shows: the channels, the main and the
// delayed time base, or one channel's alternate-trigger time base.
struct ViewRow {
  std::int32_t window = 0;
  bool channels = false;
  bool mainTime = false;
  bool delayedTime = false;
  int altChannel = -1;  // none
};
constexpr ViewRow kViews[] = {
    {.window = 0, .channels = true, .mainTime = true},                       // main
    {.window = 1, .channels = true, .mainTime = true, .delayedTime = true},  // main, delayed open
    {.window = 2, .delayedTime = true},                                      // delayed
    {.window = 3, .altChannel = 0},                                          // CH1 alternate trigger
    {.window = 4, .altChannel = 1},                                          // CH2 alternate trigger
};

const ViewRow* ViewOfActiveWindow() {
  for (const ViewRow& view : kViews)
    if (view.window == Rgn().ActiveWindow) return &view;
  return nullptr;
}

// The time bases of a view; the alternate one is that of `altChannel`.
void ApplyTimeBases(const ViewRow& view, unsigned int ctrlId, long index, int altChannel,
                    unsigned int flags) {
  if (view.mainTime) ApplyTimeBase(ctrlId, index, flags);
  if (view.mainTime && view.delayedTime) ReadCmdOPC();
  if (view.delayedTime) ApplyDelayedTimeBase(ctrlId, index, flags);
  if (view.altChannel >= 0) ApplyAltTimeBase(ctrlId, altChannel, view.window, flags);
}

}  // namespace

const ControlTable kChannelTable = {.cmdId = CMD_CHANNEL, .rows = kRows, .afterEach = CursorDivisions};

void ChannelHandler(unsigned int ctrlId, long value, MsgVar var) {
  RunControl(kChannelTable, ctrlId, value, var);
}

// The offset of channel `value` was dragged, in the view of ActiveWindow.
void ApplyOffsetsHandler(unsigned int ctrlId, long value) {
  const int ch = value == 0 ? 0 : 1;
  ApplyChannelChange(ctrlId, ch, kApplyOffset);
  if (const ViewRow* view = ViewOfActiveWindow()) ApplyTimeBases(*view, ctrlId, value, ch, kApplyTimeOffset);
  SetChangeSetting();
  SetRefreshWave(true);
  Rgn().RedrawFlag4 = 1;
}

// Scales were changed in the view of ActiveWindow; `value` indexes the time base.
void ApplyScalesHandler(unsigned int ctrlId, long value) {
  if (const ViewRow* view = ViewOfActiveWindow()) {
    if (view->channels)
      for (int ch = 0; ch < 2; ++ch) ApplyChannelChange(ctrlId, ch, kApplyScale | kApplyOffset);
    ApplyTimeBases(*view, ctrlId, value, view->altChannel, kApplyTimeScale | kApplyTimeOffset);
  }
  SetChangeSetting();
  SetRefreshWave(true);
  _QX_RGN_SETUP& r = Rgn();
  r.RedrawFlag3 = 1;
  r.RedrawFlag4 = 1;
  r.RedrawScreen = 1;
}

}  // namespace qx
