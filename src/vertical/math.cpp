// Math and FFT traces: four host-side slots, each the sum, difference or
// product of the channels, the spectrum of one channel, or a digital filter
// of one. Scales, units and marker points are derived here. The settings
// reach the instrument inside the setup block; the only lines sent from here
// keep the channels a trace needs acquired and take the timebase out of
// delayed mode while a spectrum is shown. The texts of the controls are left
// pending, never sent.
#include <algorithm>
#include <cstring>
#include <type_traits>

#include "frame/command_text.h"
#include "frame/handlers.h"
#include "link/handler_link.h"

namespace qx {
namespace {

constexpr int kMathSlots = static_cast<int>(std::extent_v<decltype(_QX_SETUP::MathDisplay)>);

// MathOperator
constexpr std::int32_t kAdd = 0;
constexpr std::int32_t kSubtract = 1;
constexpr std::int32_t kMultiple = 2;
constexpr std::int32_t kFFT = 3;
constexpr std::int32_t kFilter = 4;

// ChanFilterType
constexpr std::int32_t kLowPass = 0;
constexpr std::int32_t kHighPass = 1;
constexpr std::int32_t kBandPass = 2;
constexpr std::int32_t kBandReject = 3;

constexpr std::int32_t kFormatXY = 1;
constexpr std::int32_t kFormatRolling = 2;

constexpr const char* kOperatorWords[] = {"ADD", "SUBTRACT", "MULTIPLE", "FFT", "FILTER"};
constexpr const char* kChannelWords[] = {"CHANNEL1", "CHANNEL2"};
constexpr const char* kWindowWords[] = {"RECTANGLE", "HANNING", "HAMMING", "BLACKMAN"};

// The zoom factor of FFTZoomCode 1..7.
constexpr double kZoomFactor[] = {10, 5, 2, 1, 0.5, 0.2, 0.1};

// A source as stored (MathSourceA/B, FFTSource): 0 CH1, any other value CH2.
int SourceChannel(std::int32_t source) { return source == 0 ? 0 : 1; }
// The channel a filter takes (MathFilterSource): 1 CH2, any other value CH1.
int FilterChannel(std::int32_t source) { return source == 1 ? 1 : 0; }

bool AltTrigger() { return Setup().TrigType == TRIG_ALTERNATION; }

// --- Units -------------------------------------------------------------------

// A channel's unit text, ended within its field whatever the host left there.
struct UnitText {
  char text[8];
};
UnitText ChannelUnit(int channel) {
  UnitText unit{};
  const char* field = Setup().ChanUnitText[channel];
  std::memcpy(unit.text, field, strnlen(field, sizeof unit.text - 1));
  return unit;
}

// At most seven characters and the NUL.
void StoreUnit(int s, const char* unit) {
  char* field = Setup().MathUnitText[s];
  const std::size_t length = strnlen(unit, sizeof Setup().MathUnitText[s] - 1);
  std::memset(field, 0, sizeof Setup().MathUnitText[s]);
  std::memcpy(field, unit, length);
}

void StoreSourcesUnit(int s) {
  const _QX_SETUP& st = Setup();
  const UnitText a = ChannelUnit(SourceChannel(st.MathSourceA[s]));
  const UnitText b = ChannelUnit(SourceChannel(st.MathSourceB[s]));
  StoreUnit(s, MathUnitFor(a.text, b.text, st.MathOperator[s]));
}

void StoreFilterUnit(int s) { StoreUnit(s, ChannelUnit(FilterChannel(Setup().MathFilterSource[s])).text); }

const char* SpectrumUnit(int s) { return Setup().FFTVertUnit[s] == 0 ? "Vrms" : "dBVrms"; }

// --- Scales ------------------------------------------------------------------

// What a slot's input is scaled by: the product of the probes for a product,
// the filtered channel's probe, or otherwise the larger probe of the sources.
float ScaleBase(int s) {
  const _QX_SETUP& st = Setup();
  const float a = st.ChanProbe[SourceChannel(st.MathSourceA[s])];
  const float b = st.ChanProbe[SourceChannel(st.MathSourceB[s])];
  switch (st.MathOperator[s]) {
    case kMultiple: return a * b;
    case kFilter: return st.ChanProbe[FilterChannel(st.MathFilterSource[s])];
    default: return st.MathSourceA[s] == st.MathSourceB[s] ? a : std::max(a, b);
  }
}

float SpectrumProbe(int s) { return Setup().ChanProbe[SourceChannel(Setup().FFTSource[s])]; }

// The spectrum's horizontal offset keeps its divisions when its scale changes.
void KeepOffsetDivisions(int s) {
  _QX_SETUP& st = Setup();
  st.FFTTimeOffset[s] =
      ValidateFFTHorizOffset(st.FFTTimeOffsetDiv[s] * st.FFTTimeScale[s], st.FFTTimeScale[s]);
}

void FollowTimebase(int s) {
  Setup().FFTTimeScale[s] = FFTHorizScaleFor(s);
  KeepOffsetDivisions(s);
}

// --- Marker points -----------------------------------------------------------

enum class Window { Main, Upper, Lower };

CRect RectOf(Window w) {
  const _QX_RGN_SETUP& r = Rgn();
  return w == Window::Main ? r.MainWaveRect : w == Window::Upper ? r.UpperWaveRect : r.LowerWaveRect;
}

CPoint& MarkerOf(Window w, int s) {
  _QX_RGN_SETUP& r = Rgn();
  return w == Window::Main    ? r.MathOffsetPtMain[s]
         : w == Window::Upper ? r.MathOffsetPtUpper[s]
                              : r.MathOffsetPtLower[s];
}

void Place(Window w, int s, float scale, float offset) {
  MarkerOf(w, s) = GetVoltOffsetPt(scale, offset, RectOf(w));
}

void PlaceTrace(Window w, int s) { Place(w, s, Setup().MathScale[s], Setup().MathOffset[s]); }

// After a new scale: the delayed view shows the trace in both windows. With
// the markers held (scale steps only), the offset follows the marker instead.
void ScaleMarkers(int s, bool honourHold) {
  _QX_SETUP& st = Setup();
  const bool delayed = st.DelayedOn == 1;
  if (honourHold && st.HoldMarkers == 1) {
    const Window w = delayed ? Window::Upper : Window::Main;
    st.MathOffset[s] = GetVoltOffset(st.MathScale[s], RectOf(w), MarkerOf(w, s));
    SetRefreshWave(true);
  } else if (delayed) {
    PlaceTrace(Window::Upper, s);
    PlaceTrace(Window::Lower, s);
  } else {
    PlaceTrace(Window::Main, s);
  }
}

// After a new offset: under the alternate trigger a filter of CH1 sits with
// CH1 in the upper window; beside a split-screen spectrum, in the upper one.
void OffsetMarkers(int s) {
  const _QX_SETUP& st = Setup();
  if (st.DelayedOn == 1) {
    PlaceTrace(Window::Upper, s);
    PlaceTrace(Window::Lower, s);
  } else if (AltTrigger()) {
    const bool withCh1 = st.MathOperator[s] == kFilter && st.MathFilterSource[s] == 0;
    PlaceTrace(withCh1 ? Window::Upper : Window::Lower, s);
  } else {
    PlaceTrace(GetFFTSplitScreen() ? Window::Upper : Window::Main, s);
  }
}

// A spectrum's window: the main one full screen, else the lower one, or under
// the alternate trigger (where the rule asks for it) its source's window.
Window SpectrumWindow(int s, bool bySource) {
  const _QX_SETUP& st = Setup();
  if (st.FFTFullScreen == 1) return Window::Main;
  if (bySource && AltTrigger()) return st.FFTSource[s] == 0 ? Window::Upper : Window::Lower;
  return Window::Lower;
}

// From the pair of the slot's vertical unit.
void SpectrumMarker(int s, bool bySource) {
  const _QX_SETUP& st = Setup();
  const bool vrms = st.FFTVertUnit[s] == 0;
  Place(SpectrumWindow(s, bySource), s, vrms ? st.FFTVrmsScale[s] : st.FFTDbScale[s],
        vrms ? st.FFTVrmsOffset[s] : st.FFTDbOffset[s]);
}

// --- Lines to the instrument ---------------------------------------------------

// A spectrum needs the main timebase.
const CString& MainTimebaseLine() {
  Command.ParamString = "MAIN";
  BuildCommandText(":TIMEBASE", ":MODE");
  return Command.CmdString;
}

void SendChannelDisplay(int channel, bool on) {
  Command.ParamString = OnOff(on);
  BuildCommandText(channel == 0 ? ":CHANNEL1" : ":CHANNEL2", ":DISPLAY");
  SendLine(Command.CmdString);
}

// Channels the user hides stop being acquired once no math trace needs them.
void ReleaseHiddenChannels(bool clearUsb) {
  for (int channel = 0; channel < 2; ++channel) {
    if (Setup().ChanDisplay[channel] != 0) continue;
    SendChannelDisplay(channel, false);
    if (clearUsb) SendLine(":CLEARUSB");
  }
}

// --- Digital filter ------------------------------------------------------------

bool BandType(std::int32_t type) { return type == kBandPass || type == kBandReject; }

void FilterUpper(Control& c) {
  _QX_SETUP& st = Setup();
  float& upper = st.ChanFilterUpper[c.slot];
  upper = ValidateFilterLimit(c.f);
  if (BandType(st.ChanFilterType[c.slot]) && upper <= st.ChanFilterLower[c.slot]) {
    upper = st.ChanFilterLower[c.slot];
    RaiseStatus(Msg::FilterFrequencyLower);
  }
}

void FilterLower(Control& c) {
  _QX_SETUP& st = Setup();
  float& lower = st.ChanFilterLower[c.slot];
  lower = ValidateFilterLimit(c.f);
  if (BandType(st.ChanFilterType[c.slot]) && lower >= st.ChanFilterUpper[c.slot]) {
    lower = st.ChanFilterUpper[c.slot];
    RaiseStatus(Msg::FilterFrequencyUpper);
  }
}

// The limits the new type uses are validated again; a band keeps its upper
// limit above the lower one without a word.
void FilterType(Control& c) {
  _QX_SETUP& st = Setup();
  float& upper = st.ChanFilterUpper[c.slot];
  float& lower = st.ChanFilterLower[c.slot];
  st.ChanFilterType[c.slot] = c.i;
  switch (c.i) {
    case kLowPass: upper = ValidateFilterLimit(upper); break;
    case kHighPass: lower = ValidateFilterLimit(lower); break;
    case kBandPass:
    case kBandReject:
      upper = ValidateFilterLimit(upper);
      lower = ValidateFilterLimit(lower);
      if (upper <= lower) upper = lower;
      break;
    default: break;
  }
}

void FilterSource(Control& c) {
  _QX_SETUP& st = Setup();
  st.MathFilterSourcePrev[c.slot] = st.MathFilterSource[c.slot];
  st.MathFilterSource[c.slot] = c.i;
  StoreFilterUnit(c.slot);
}

// --- Math trace ------------------------------------------------------------------

void ScaleStep(Control& c) {
  _QX_SETUP& st = Setup();
  st.MathScaleIndex[c.slot] = ValidateMathScalen(c.i);
  st.MathScale[c.slot] = GetMathScale(st.MathScaleIndex[c.slot], ScaleBase(c.slot));
  ScaleMarkers(c.slot, true);
  c.arg = st.MathScale[c.slot];
}

// After the channel probes changed; nothing is validated.
void RecomputeAll(Control&) {
  _QX_SETUP& st = Setup();
  for (int i = 0; i < kMathSlots; ++i) {
    if (st.MathOperator[i] == kFFT) {
      st.FFTVrmsScale[i] = GetMathScale(st.FFTVrmsScaleIndex[i], SpectrumProbe(i));
      st.FFTVrmsOffset[i] = GetVoltOffset(st.FFTVrmsScale[i], Rgn().MainWaveRect, Rgn().MathOffsetPtMain[i]);
    } else {
      st.MathScale[i] = GetMathScale(st.MathScaleIndex[i], ScaleBase(i));
      ScaleMarkers(i, true);
    }
  }
}

void Offset(Control& c) {
  _QX_SETUP& st = Setup();
  st.MathOffset[c.slot] = ValidateMathOffset(c.f, st.MathScale[c.slot]);
  OffsetMarkers(c.slot);
  c.arg = st.MathOffset[c.slot];
}

Msg OperatorGuard(const Control& c) {
  return c.i == kFilter && Setup().TimeFormat == kFormatRolling ? Msg::NotAvailable : Allowed;
}

// A spectrum follows the timebase and cannot be shown with the delayed one:
// the instrument goes back to the main timebase and the screen is laid out anew.
void BecomeSpectrum(int s) {
  _QX_SETUP& st = Setup();
  if (AltTrigger()) st.FFTFullScreen = 0;
  FollowTimebase(s);
  if (st.DelayedOn != 1) return;
  SendLineThenOpc(MainTimebaseLine());
  st.DelayedOn = 0;
  st.FFTFullScreen = GetMathEnabled() ? 0 : 1;
  _QX_RGN_SETUP& r = Rgn();
  r.RedrawScreen = 1;
  r.RedrawFlag2 = 1;
  r.RedrawFlag3 = 1;
  r.RedrawFlag4 = 1;
}

void Operator(Control& c) {
  _QX_SETUP& st = Setup();
  const int s = c.slot;
  if ((st.MathOperator[s] == kFFT) != (c.i == kFFT)) Rgn().RedrawScreen = 1;
  st.MathOperator[s] = c.i;
  switch (c.i) {
    case kAdd:
    case kSubtract:
    case kMultiple: StoreSourcesUnit(s); break;
    case kFFT:
      StoreUnit(s, SpectrumUnit(s));
      BecomeSpectrum(s);
      break;
    case kFilter: StoreFilterUnit(s); break;
    default: StoreUnit(s, ""); break;
  }
  if (c.i == kFFT)
    SpectrumMarker(s, true);
  else
    ScaleMarkers(s, false);
  c.arg = c.i;
}

template <std::int32_t (_QX_SETUP::*Field)[4]>
void Source(Control& c) {
  (Setup().*Field)[c.slot] = c.i;
  StoreSourcesUnit(c.slot);
  c.arg = c.i;
}

Msg DisplayGuard(const Control& c) {
  const _QX_SETUP& st = Setup();
  if (st.TimeFormat == kFormatXY) return Msg::NotAvailableXY;
  if (c.byte == 1 && st.TimeFormat == kFormatRolling && st.MathOperator[c.slot] == kFilter)
    return Msg::NotAvailableRolling;
  return Allowed;
}

// A shown trace needs both channels acquired, whatever the user shows; when
// the last trace goes, the hidden channels are released (a second time with
// the instrument's USB queue cleared).
void Display(Control& c) {
  _QX_SETUP& st = Setup();
  _QX_RGN_SETUP& r = Rgn();
  const bool on = c.byte == 1;
  st.MathDisplay[c.slot] = c.byte;
  if (st.DelayedOn == 1 && GetFFTOperator()) {
    SendLine(MainTimebaseLine());
    st.DelayedOn = 0;
  }
  if (r.CursorShown) RebuildCursorPt();
  if (on) {
    SendChannelDisplay(0, true);
    SendChannelDisplay(1, true);
  } else if (!GetMathEnabled()) {
    r.RedrawScreen = 1;
    ReleaseHiddenChannels(false);
  }
  SetActiveChannel(static_cast<_QX_ACTIVE_CHANNEL>(ACTIVE_MATH1 + c.slot));
  r.RedrawScreen = 1;
  if (!GetMathEnabled()) ReleaseHiddenChannels(true);
  c.arg = on;
}

// --- Spectrum ----------------------------------------------------------------------

void SpectrumSource(Control& c) {
  Setup().FFTSource[c.slot] = c.i;
  if (AltTrigger()) FollowTimebase(c.slot);
  c.arg = c.i;
}

// Only a shown spectrum outside the alternate trigger can change its layout;
// the screen is redrawn whenever a trace is shown, refused or not.
void FullScreen(Control& c) {
  const bool allowed = !AltTrigger() && GetFFTOperator();
  if (allowed) {
    if (Rgn().CursorShown) RebuildCursorPt();
    Setup().FFTFullScreen = c.byte;
    RebuildRgnSetup();
  }
  if (GetMathEnabled()) {
    _QX_RGN_SETUP& r = Rgn();
    r.RedrawScreen = 1;
    r.RedrawFlag1 = 1;
    r.RedrawFlag3 = 1;
    r.RedrawFlag2 = 1;
    SetRefreshWave(true);
  }
  if (!allowed) c.Refuse(Msg::NotAvailable);
}

void VertUnit(Control& c) {
  Setup().FFTVertUnit[c.slot] = c.i;
  StoreUnit(c.slot, SpectrumUnit(c.slot));
  SpectrumMarker(c.slot, false);
}

// The marker stays where it is: the offset follows the new scale.
void VrmsScale(Control& c) {
  _QX_SETUP& st = Setup();
  const int s = c.slot;
  st.FFTVrmsScaleIndex[s] = ValidateFFTVrmsScalen(c.i);
  st.FFTVrmsScale[s] = GetMathScale(st.FFTVrmsScaleIndex[s], SpectrumProbe(s));
  const Window w = SpectrumWindow(s, true);
  st.FFTVrmsOffset[s] = GetVoltOffset(st.FFTVrmsScale[s], RectOf(w), MarkerOf(w, s));
  st.FFTVrmsOffset[s] = ValidateFFTVrmsOffset(st.FFTVrmsOffset[s], st.FFTVrmsScale[s]);
  c.arg = st.FFTVrmsScale[s];
}

void VrmsOffset(Control& c) {
  _QX_SETUP& st = Setup();
  st.FFTVrmsOffset[c.slot] = ValidateFFTVrmsOffset(c.f, st.FFTVrmsScale[c.slot]);
  SpectrumMarker(c.slot, true);
  c.arg = st.FFTVrmsOffset[c.slot];
}

// The offset follows the main window's marker.
void DbScale(Control& c) {
  _QX_SETUP& st = Setup();
  const int s = c.slot;
  st.FFTDbScale[s] = ValidateFFTdBVrmsScale(c.f);
  st.FFTDbOffset[s] = GetVoltOffset(st.FFTDbScale[s], Rgn().MainWaveRect, Rgn().MathOffsetPtMain[s]);
  st.FFTDbOffset[s] = ValidateFFTdBVrmsOffset(st.FFTDbOffset[s], st.FFTDbScale[s]);
  c.arg = st.FFTDbScale[s];
}

void DbOffset(Control& c) {
  _QX_SETUP& st = Setup();
  st.FFTDbOffset[c.slot] = ValidateFFTdBVrmsOffset(c.f, st.FFTDbScale[c.slot]);
  SpectrumMarker(c.slot, false);
  c.arg = st.FFTDbOffset[c.slot];
}

void TimeScale(Control& c) {
  _QX_SETUP& st = Setup();
  st.FFTTimeScale[c.slot] = ValidateFFTHorizScale(c.f, c.slot, st.FFTZoomCode);
  KeepOffsetDivisions(c.slot);
  c.arg = st.FFTTimeScale[c.slot];
}

void TimeOffset(Control& c) {
  _QX_SETUP& st = Setup();
  const int s = c.slot;
  st.FFTTimeOffset[s] = ValidateFFTHorizOffset(c.f, st.FFTTimeScale[s]);
  st.FFTTimeOffsetDiv[s] = st.FFTTimeOffset[s] / st.FFTTimeScale[s];
  c.arg = st.FFTTimeOffset[s];
}

void CursorDiv(const Control&) {
  if (Rgn().CursorShown) RebuildCursorDiv();
}

// clang-format off
constexpr ControlRow kRows[] = {
    {.ctrl = 0x48D, .reads = Var::Float, .slot = Slot::Math, .action = FilterUpper,
     .after = {step::RefreshWave}, .leave = Leave::Host},
    {.ctrl = 0x497, .reads = Var::Float, .slot = Slot::Math, .action = FilterLower,
     .after = {step::RefreshWave}, .leave = Leave::Host},
    {.ctrl = 0x4A1, .reads = Var::Int, .slot = Slot::Math, .action = FilterType,
     .after = {step::RefreshWave}, .leave = Leave::Host},
    {.ctrl = 0x4AB, .reads = Var::Int, .slot = Slot::Math, .action = FilterSource,
     .after = {step::RefreshWave, step::RedrawFlag3}, .leave = Leave::Host},
    {.ctrl = 0x4C9, .reads = Var::Int, .slot = Slot::Math, .action = ScaleStep,
     .header = ":MATH", .leaf = ":SCALE", .format = Arg::Fixed6,
     .after = {step::ChangeSetting, step::RedrawFlag3}, .leave = Leave::Host},
    {.ctrl = 0x4CA, .action = RecomputeAll, .leave = Leave::Host},
    {.ctrl = 0x4D3, .reads = Var::Float, .slot = Slot::Math, .action = Offset,
     .header = ":MATH", .leaf = ":OFFSET", .format = Arg::Fixed6,
     .after = {step::ChangeSetting, CursorDiv, step::RefreshWave, step::RedrawFlag3}, .leave = Leave::Host},
    {.ctrl = 0x4DD, .reads = Var::Int, .slot = Slot::Math,
     .action = [](Control& c) { Setup().MathIndex[c.slot] = c.i; }, .leave = Leave::Host},
    {.ctrl = 0x4E7, .reads = Var::Int, .slot = Slot::Math, .guard = OperatorGuard, .action = Operator,
     .header = ":MATH", .leaf = ":OPERATOR", .format = Arg::Words, .words = kOperatorWords,
     .after = {CursorDiv, step::RefreshWave, step::RedrawFlag3}, .leave = Leave::Handler},
    {.ctrl = 0x4E8, .reads = Var::Int, .slot = Slot::Math, .action = Source<&_QX_SETUP::MathSourceA>,
     .header = ":MATH", .leaf = ":SOURCEA", .format = Arg::Words, .words = kChannelWords,
     .after = {CursorDiv, step::RedrawFlag3}, .leave = Leave::Host},
    {.ctrl = 0x4E9, .reads = Var::Int, .slot = Slot::Math, .action = Source<&_QX_SETUP::MathSourceB>,
     .header = ":MATH", .leaf = ":SOURCEB", .format = Arg::Words, .words = kChannelWords,
     .after = {CursorDiv, step::RedrawFlag3}, .leave = Leave::Host},
    {.ctrl = 0x4EA, .reads = Var::Byte, .slot = Slot::Math, .guard = DisplayGuard, .action = Display,
     .header = ":MATH", .leaf = ":DISPLAY", .format = Arg::OnOff,
     .after = {step::RefreshWave, step::RedrawFlag3}, .leave = Leave::Handler},
    {.ctrl = 0x4F1, .reads = Var::Int, .slot = Slot::Math, .action = SpectrumSource,
     .header = ":FFT", .leaf = ":SOURCE", .format = Arg::Words, .words = kChannelWords,
     .after = {CursorDiv, step::RedrawFlag3}, .leave = Leave::Host},
    {.ctrl = 0x4F2, .reads = Var::Int, .slot = Slot::Math,
     .action = [](Control& c) { c.arg = Setup().FFTWindow[c.slot] = c.i; },
     .header = ":FFT", .leaf = ":WINDOW", .format = Arg::Words, .words = kWindowWords, .leave = Leave::Host},
    {.ctrl = 0x4F3, .reads = Var::Byte, .slot = Slot::Math, .action = FullScreen, .leave = Leave::Host},
    {.ctrl = 0x4FA, .reads = Var::Int, .slot = Slot::Math, .action = VertUnit,
     .after = {step::RedrawFlag3, step::RefreshWave}, .leave = Leave::Host},
    {.ctrl = 0x4FB, .reads = Var::Int, .slot = Slot::Math, .action = VrmsScale,
     .header = ":FFT", .leaf = ":VRMS:SCALE", .format = Arg::Fixed6,
     .after = {step::ChangeSetting}, .leave = Leave::Host},
    {.ctrl = 0x505, .reads = Var::Float, .slot = Slot::Math, .action = VrmsOffset,
     .header = ":FFT", .leaf = ":VRMS:OFFSET", .format = Arg::Fixed6,
     .after = {step::ChangeSetting, CursorDiv, step::RedrawFlag3}, .leave = Leave::Host},
    {.ctrl = 0x50F, .reads = Var::Float, .slot = Slot::Math, .action = DbScale,
     .header = ":FFT", .leaf = ":DBVRMS:SCALE", .format = Arg::Fixed6,
     .after = {step::ChangeSetting}, .leave = Leave::Host},
    {.ctrl = 0x519, .reads = Var::Float, .slot = Slot::Math, .action = DbOffset,
     .header = ":FFT", .leaf = ":DBVRMS:OFFSET", .format = Arg::Fixed6,
     .after = {step::ChangeSetting, CursorDiv, step::RedrawFlag3}, .leave = Leave::Host},
    {.ctrl = 0x523, .reads = Var::Float, .slot = Slot::Math, .action = TimeScale,
     .header = ":FFT", .leaf = ":TIME:SCALE", .format = Arg::Fixed6,
     .after = {step::ChangeSetting}, .leave = Leave::Host},
    {.ctrl = 0x52D, .reads = Var::Float, .slot = Slot::Math, .action = TimeOffset,
     .header = ":FFT", .leaf = ":TIME:OFFSET", .format = Arg::Fixed6,
     .after = {step::ChangeSetting, CursorDiv}, .leave = Leave::Host},
    {.ctrl = 0x537, .reads = Var::Byte, .slot = Slot::Math,
     .action = [](Control& c) { c.arg = (Setup().MathInvert[c.slot] = c.byte) == 1; },
     .header = ":MATH", .leaf = ":INVERT", .format = Arg::OnOff, .leave = Leave::Host},
};
// clang-format on

}  // namespace

const ControlTable kMathTable = {.cmdId = CMD_MATH, .rows = kRows};

void MathHandler(unsigned int ctrlId, long value, MsgVar var) { RunControl(kMathTable, ctrlId, value, var); }

const char* MathUnitFor(const char* a, const char* b, std::int32_t op) {
  if (!a || !b) return "";
  switch (op) {
    case kAdd:
    case kSubtract: return std::strcmp(a, b) == 0 ? a : "U";
    case kMultiple: {
      const bool voltsTimesAmps = (std::strcmp(a, "V") == 0 && std::strcmp(b, "A") == 0) ||
                                  (std::strcmp(a, "A") == 0 && std::strcmp(b, "V") == 0);
      return voltsTimesAmps ? "W" : "U";
    }
    default: return "";
  }
}

// The spectrum spans 100 / (20 T) per division at zoom 1, T the time per
// division it analyses (under the alternate trigger its source's own).
float FFTHorizScaleFor(int slot) {
  const _QX_SETUP& s = Setup();
  const bool valid = slot >= 0 && slot < kMathSlots;
  const double t = valid && AltTrigger() ? s.AltTimeScale[SourceChannel(s.FFTSource[slot])] : s.TimeScale;
  const double unit = static_cast<double>(100.0f) / (static_cast<double>(20.0f) * t);
  const std::int32_t code = valid ? s.FFTZoomCode[slot] : 0;
  const double factor = code >= 1 && code <= 7 ? kZoomFactor[code - 1] : 1.0;
  return static_cast<float>(unit * factor);
}

}  // namespace qx
