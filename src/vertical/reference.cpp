// Reference waveforms: four slots, each a stored copy of a trace with its
// own vertical and horizontal scale and offset. The samples are the host's;
// nothing here reaches the instrument, the texts only stay pending.
#include "convert.h"
#include "frame/handlers.h"

namespace qx {
namespace {

constexpr std::int32_t kFftOperator = 3;
constexpr double kPsPerSecond = 1e12;

// A reference taken from a math slot running an FFT holds a spectrum: its
// horizontal values are hertz, kept directly rather than in picoseconds.
bool IsFftReference(int r) {
  const _QX_SETUP& s = Setup();
  return s.RefSource[r] >= 2 && s.RefSource[r] <= 5 && s.RefOperator[r] == kFftOperator;
}

// Picoseconds of a validated time: +0.5 whatever the sign, then toward zero.
std::int64_t PsOf(double seconds) { return TruncateTo<std::int64_t>(seconds * kPsPerSecond + 0.5); }

void PlaceIn(int r, CRect rect, CPoint& marker) {
  marker = GetVoltOffsetPt(Setup().RefScale[r], Setup().RefOffset[r], rect);
}

void MarkersAfterScale(int r) {
  _QX_RGN_SETUP& g = Rgn();
  if (Setup().DelayedOn == 1) {
    PlaceIn(r, g.UpperWaveRect, g.RefOffsetPtUpper[r]);
    PlaceIn(r, g.LowerWaveRect, g.RefOffsetPtLower[r]);
  } else {
    PlaceIn(r, g.MainWaveRect, g.RefOffsetPtMain[r]);
  }
}

// The marker stays where the user holds it; the offset follows it.
void OffsetFollowsHeldMarker(int r) {
  _QX_SETUP& s = Setup();
  const _QX_RGN_SETUP& g = Rgn();
  const bool delayed = s.DelayedOn == 1;
  s.RefOffset[r] = GetVoltOffset(s.RefScale[r], delayed ? g.UpperWaveRect : g.MainWaveRect,
                                 delayed ? g.RefOffsetPtUpper[r] : g.RefOffsetPtMain[r]);
}

void MarkersAfterOffset(int r) {
  const _QX_SETUP& s = Setup();
  _QX_RGN_SETUP& g = Rgn();
  bool lower = false;
  if (s.DelayedOn == 1) return MarkersAfterScale(r);
  if (s.TrigType == TRIG_ALTERNATION)
    lower = s.RefSource[r] == 1;
  else if (GetFFTSplitScreen())
    lower = IsFftReference(r);
  else
    return PlaceIn(r, g.MainWaveRect, g.RefOffsetPtMain[r]);
  if (lower)
    PlaceIn(r, g.LowerWaveRect, g.RefOffsetPtLower[r]);
  else
    PlaceIn(r, g.UpperWaveRect, g.RefOffsetPtUpper[r]);
}

void ScreenParaWhenSaved(int r) {
  if (Setup().RefSaved[r] == 1) GetRefScreenPara(r);
}

// A shown channel, or a shown math slot outside the alternate trigger.
void ChooseSource(Control& c) {
  _QX_SETUP& s = Setup();
  const std::int32_t v = c.i;
  const bool channel = (v == 0 || v == 1) && s.ChanDisplay[v] == 1;
  const bool math = v >= 2 && v <= 5 && s.MathDisplay[v - 2] == 1 && s.TrigType != TRIG_ALTERNATION;
  if (!channel && !math) return c.Refuse(Msg::NotAvailable);
  if (math) s.RefOperator[c.slot] = s.MathOperator[v - 2];
  s.RefSource[c.slot] = v;
}

void VerticalScale(Control& c) {
  _QX_SETUP& s = Setup();
  const int r = c.slot;
  const std::int32_t source = s.RefSource[r];
  if (source == 0 || source == 1)
    s.RefScale[r] = ValidateCHScale(c.f, s.ChanProbe[source]);
  else if (IsFftReference(r))
    s.RefScale[r] = s.RefFFTVertUnit[r] == 0 ? ValidateFFTVrmsScalef(c.f) : ValidateFFTdBVrmsScale(c.f);
  else if (source >= 2 && source <= 5)
    s.RefScale[r] = ValidateMathScalef(c.f);
  if (s.HoldMarkers == 1)
    OffsetFollowsHeldMarker(r);
  else
    MarkersAfterScale(r);
  c.arg = s.RefScale[r];
}

void HorizontalScale(Control& c) {
  _QX_SETUP& s = Setup();
  const int r = c.slot;
  if (IsFftReference(r)) {
    const float scale = ValidateRefFFTHorizScale(static_cast<float>(c.d),
                                                 static_cast<float>(s.RefTimeScale[r]), r, s.RefFFTZoomCode);
    s.RefTimeScale[r] = scale;
    s.RefTimeOffset[r] = ValidateFFTHorizOffset(s.RefFFTOffset[r] * scale, scale);
  } else {
    s.RefTimeScalePs[r] = PsOf(ValidateRefHorizScale(c.d));
    RefTimeFromPs();
    ScreenParaWhenSaved(r);
  }
  c.arg = s.RefTimeScale[r];
}

void HorizontalOffset(Control& c) {
  _QX_SETUP& s = Setup();
  const int r = c.slot;
  if (IsFftReference(r)) {
    const float scale = static_cast<float>(s.RefTimeScale[r]);
    const float offset = ValidateFFTHorizOffset(static_cast<float>(c.d), scale);
    s.RefTimeOffset[r] = offset;
    s.RefFFTOffset[r] = offset / scale;
  } else {
    s.RefTimeOffsetPs[r] = PsOf(ValidateRefHorizOffset(c.d));
    RefTimeFromPs();
    ScreenParaWhenSaved(r);
  }
  c.arg = s.RefTimeOffset[r];
}

// The host copied a trace and its settings into the slot.
void SlotFilled(Control& c) {
  MarkersAfterScale(c.slot);
  RefTimeToPs();
  GetRefScreenPara(c.slot);
  Setup().RefSaved[c.slot] = 1;
}

// The rate and depth the stored trace was taken with.
void Snapshot(Control& c) {
  _QX_SETUP& s = Setup();
  const int r = c.slot;
  s.RefSampleRate[r] =
      s.TrigType == TRIG_ALTERNATION ? s.AltSampleRate[s.RefSource[r] == 0 ? 0 : 1] : s.AcqSampleRate;
  s.RefMemDepth[r] = static_cast<std::int32_t>(s.AcqMemDepthAtStop);
}

Msg NotInXY(const Control&) { return Setup().TimeFormat == 1 ? Msg::NotAvailableXY : Allowed; }

constexpr ControlRow kRows[] = {
    {.ctrl = CTL_REF_SOURCE,
     .reads = Var::Int,
     .slot = Slot::Ref,
     .action = ChooseSource,
     .leave = Leave::Host},
    {.ctrl = CTL_REF_OPTION,
     .reads = Var::Int,
     .slot = Slot::Ref,
     .action = [](Control& c) { Setup().RefOption[c.slot] = c.i; },
     .leave = Leave::Host},
    {.ctrl = CTL_REF_DISPLAY,
     .reads = Var::Byte,
     .slot = Slot::Ref,
     .guard = NotInXY,
     .action =
         [](Control& c) {
           c.arg = Setup().RefDisplay[c.slot] = c.byte;
           if (c.byte == 1) ScreenParaWhenSaved(c.slot);
         },
     .header = ":DISPLAY",
     .format = Arg::OnOff,
     .after = {step::RedrawFlag3, step::RedrawScreen, step::RefreshWave},
     .leave = Leave::Host},
    {.ctrl = CTL_REF_SCALE,
     .reads = Var::Float,
     .slot = Slot::Ref,
     .action = VerticalScale,
     .header = ":SCALE",
     .format = Arg::Fixed6,
     .after = {step::RedrawScreen, step::RedrawFlag3, step::RefreshWave},
     .leave = Leave::Host},
    {.ctrl = CTL_REF_OFFSET,
     .reads = Var::Float,
     .slot = Slot::Ref,
     .action =
         [](Control& c) {
           _QX_SETUP& s = Setup();
           c.arg = s.RefOffset[c.slot] = ValidateRefVertOffset(s.RefScale[c.slot], c.f);
           MarkersAfterOffset(c.slot);
         },
     .header = ":OFFSET",
     .format = Arg::Fixed6,
     .after = {step::RedrawScreen, step::RedrawFlag3, step::RefreshWave},
     .leave = Leave::Host},
    {.ctrl = CTL_REF_TIME_SCALE,
     .reads = Var::Double,
     .slot = Slot::Ref,
     .action = HorizontalScale,
     .header = ":TIME",
     .leaf = ":SCALE",
     .format = Arg::Fixed6,
     .after = {step::RedrawScreen, step::RefreshWave},
     .leave = Leave::Host},
    {.ctrl = CTL_REF_TIME_OFFSET,
     .reads = Var::Double,
     .slot = Slot::Ref,
     .action = HorizontalOffset,
     .header = ":TIME",
     .leaf = ":OFFSET",
     .format = Arg::Fixed6,
     .after = {step::RefreshWave, step::RedrawScreen},
     .leave = Leave::Host},
    {.ctrl = CTL_REF_FILLED,
     .slot = Slot::Ref,
     .action = SlotFilled,
     .after = {step::RedrawScreen, step::RedrawFlag3, step::RedrawFlag2, step::RefreshWave},
     .leave = Leave::Host},
    {.ctrl = CTL_REF_SNAPSHOT,
     .slot = Slot::Ref,
     .action = Snapshot,
     .after = {step::RedrawScreen, step::RedrawFlag2, step::RedrawFlag3, step::RefreshWave},
     .leave = Leave::Host},
};

}  // namespace

const ControlTable kRefTable = {.cmdId = CMD_REF, .subsystem = ":REF", .rows = kRows};

void RefHandler(unsigned int ctrlId, long value, MsgVar var) { RunControl(kRefTable, ctrlId, value, var); }

// Seconds from picoseconds for every slot but FFT references, whose
// horizontal values are hertz. Scales use the single-precision constant,
// as the instrument does; the product is taken in double and rounded once.
void RefTimeFromPs() {
  _QX_SETUP& s = Setup();
  constexpr double kScaleFactor = static_cast<double>(1e-12f);
  for (int r = 0; r < 4; ++r) {
    if (IsFftReference(r)) continue;
    s.RefTimeOffset[r] = static_cast<double>(s.RefTimeOffsetPs[r]) * 1e-12;
    s.RefTimeOffset2[r] = static_cast<double>(s.RefTimeOffset2Ps[r]) * 1e-12;
    s.RefTimeScale[r] = static_cast<double>(s.RefTimeScalePs[r]) * kScaleFactor;
    s.RefTimeScale2[r] = static_cast<double>(s.RefTimeScale2Ps[r]) * kScaleFactor;
  }
}

// Picoseconds from seconds on all four slots: truncated, no rounding term.
void RefTimeToPs() {
  _QX_SETUP& s = Setup();
  for (int r = 0; r < 4; ++r) {
    s.RefTimeOffsetPs[r] = TruncateTo<std::int64_t>(s.RefTimeOffset[r] * kPsPerSecond);
    s.RefTimeScalePs[r] = TruncateTo<std::int64_t>(s.RefTimeScale[r] * kPsPerSecond);
    s.RefTimeOffset2Ps[r] = TruncateTo<std::int64_t>(s.RefTimeOffset2[r] * kPsPerSecond);
    s.RefTimeScale2Ps[r] = TruncateTo<std::int64_t>(s.RefTimeScale2[r] * kPsPerSecond);
  }
}

}  // namespace qx
