// Screen regions: the layout of the screen and the point of every marker in
// it. The host sets the window rectangles; everything else is computed here
// from the settings, every marker of the layout whether its trace is shown or
// not, so switching a trace on needs no rebuild.
#include "convert.h"
#include "frame/handlers.h"
#include "setup/screen_layout.h"

namespace qx {
namespace {

using R = _QX_RGN_SETUP;

// The record's fields of each window, in Window order.
struct WindowFields {
  CPoint (R::*chan)[2];
  CPoint (R::*math)[4];
  CPoint (R::*ref)[4];
  CPoint (R::*la)[16];
  CPoint R::*trigMark;
  CPoint R::*cursor[6];
  CRect R::*rect;
};
constexpr WindowFields kWindows[] = {
    {&R::ChanOffsetPtMain,
     &R::MathOffsetPtMain,
     &R::RefOffsetPtMain,
     &R::LaOffsetPtMain,
     &R::TrigMarkMain,
     {&R::CursorXAPtMain, &R::CursorXBPtMain, &R::CursorYAPtMain, &R::CursorYBPtMain, &R::TrackAPtMain,
      &R::TrackBPtMain},
     &R::MainWaveRect},
    {&R::ChanOffsetPtUpper,
     &R::MathOffsetPtUpper,
     &R::RefOffsetPtUpper,
     &R::LaOffsetPtUpper,
     &R::TrigMarkUpper,
     {&R::CursorXAPtUpper, &R::CursorXBPtUpper, &R::CursorYAPtUpper, &R::CursorYBPtUpper, &R::TrackAPtUpper,
      &R::TrackBPtUpper},
     &R::UpperWaveRect},
    {&R::ChanOffsetPtLower,
     &R::MathOffsetPtLower,
     &R::RefOffsetPtLower,
     &R::LaOffsetPtLower,
     &R::TrigMarkLower,
     {&R::CursorXAPtLower, &R::CursorXBPtLower, &R::CursorYAPtLower, &R::CursorYBPtLower, &R::TrackAPtLower,
      &R::TrackBPtLower},
     &R::LowerWaveRect},
};

constexpr std::int32_t kTrigMarkTop = 13;  // the trigger-position reference, below the top
constexpr std::int64_t kRatioUnits = 50;   // height ratios in fiftieths of the main window

const CRect& RectOf(Window w) { return Rgn().*kWindows[static_cast<int>(w)].rect; }

void PlaceChannels(Window w) {
  const _QX_SETUP& s = Setup();
  for (int c = 0; c < 2; ++c) Marks(w).chan[c] = GetVoltOffsetPt(s.ChanScale[c], s.ChanOffset[c], RectOf(w));
}

// A spectrum has its own vertical scale, Vrms or dB, unless the layout draws
// every slot with its math scale.
void PlaceMath(Window w, int slot, bool spectrumScale) {
  const _QX_SETUP& s = Setup();
  const CRect& rect = RectOf(w);
  CPoint& mark = Marks(w).math[slot];
  if (!spectrumScale || s.MathOperator[slot] != kOperatorFFT)
    mark = GetVoltOffsetPt(s.MathScale[slot], s.MathOffset[slot], rect);
  else if (s.FFTVertUnit[slot] == 0)
    mark = GetVoltOffsetPt(s.FFTVrmsScale[slot], s.FFTVrmsOffset[slot], rect);
  else
    mark = GetVoltOffsetPt(s.FFTDbScale[slot], s.FFTDbOffset[slot], rect);
}

void PlaceDigital(Window w) {
  const _QX_SETUP& s = Setup();
  for (int n = 0; n < 16; ++n) Marks(w).la[n] = GetLaOffsetPoint(s.LaChanPos[n], RectOf(w));
}

void PlaceRef(Window w, int r) {
  const _QX_SETUP& s = Setup();
  Marks(w).ref[r] = GetVoltOffsetPt(s.RefScale[r], s.RefOffset[r], RectOf(w));
}

// A reference saved from a spectrum is drawn with the spectra, below.
bool IsSpectrumRef(int r) {
  const _QX_SETUP& s = Setup();
  return s.RefSource[r] >= 2 && s.RefSource[r] <= 5 && s.RefOperator[r] == kOperatorFFT;
}

void PlaceRefs(Layout layout) {
  const _QX_SETUP& s = Setup();
  for (int r = 0; r < 4; ++r) {
    switch (layout) {
      case Layout::Delayed:
        PlaceRef(Window::Upper, r);
        PlaceRef(Window::Lower, r);
        break;
      case Layout::FFTSplit: PlaceRef(IsSpectrumRef(r) ? Window::Lower : Window::Upper, r); break;
      case Layout::Single: PlaceRef(Window::Main, r); break;
      case Layout::Alternate: PlaceRef(s.RefSource[r] == 1 ? Window::Lower : Window::Upper, r); break;
    }
  }
}

// Under alternate trigger each window shows one channel; a math slot goes
// with the channel it is computed from.
Window AlternateMathWindow(int slot) {
  const _QX_SETUP& s = Setup();
  if (s.MathOperator[slot] == kOperatorFFT) return s.FFTSource[slot] == 1 ? Window::Lower : Window::Upper;
  if (s.MathOperator[slot] == kOperatorFilter)
    return s.MathFilterSource[slot] == 0 ? Window::Upper : Window::Lower;
  return Window::Lower;
}

void PlaceTrigMarkRef() {
  _QX_RGN_SETUP& r = Rgn();
  const std::int64_t width = WidthOf(r.MainWaveRect);
  std::int64_t x = 0;
  switch (Setup().TimeFormat) {
    case 0:
    case 1: x = width / 2 + kTrigMarkInset; break;
    case 2: x = width + kTrigMarkInset; break;
    default: return;
  }
  r.TrigMarkRef = CPoint(Hold32(x), kTrigMarkTop);
}

void PlaceHeightRatios() {
  _QX_RGN_SETUP& r = Rgn();
  const std::int64_t main = HeightOf(r.MainWaveRect);
  if (main == 0) return;  // the host has not laid the screen out yet
  r.UpperHeightRatio = Hold32(HeightOf(r.UpperWaveRect) * kRatioUnits / main);
  r.LowerHeightRatio = Hold32(HeightOf(r.LowerWaveRect) * kRatioUnits / main);
}

void RebuildDelayed() {
  const _QX_SETUP& s = Setup();
  _QX_RGN_SETUP& r = Rgn();
  for (Window w : {Window::Upper, Window::Lower}) {
    PlaceChannels(w);
    for (int slot = 0; slot < 4; ++slot) PlaceMath(w, slot, false);
    PlaceDigital(w);
  }
  r.DelayedRect = GetDelayedRect(s.TimeScale, s.DelayedScale, s.TimeOffset, s.DelayedOffset, r.UpperWaveRect,
                                 r.TrigMarkRef);
  r.TrigMarkUpper = GetTrigOffsetPt(s.TimeScale, s.TimeOffset, r.TrigMarkRef);
  r.TrigMarkLower = GetTrigOffsetPt(s.DelayedScale, s.DelayedOffset, r.TrigMarkRef2);
}

void RebuildFFTSplit() {
  const _QX_SETUP& s = Setup();
  _QX_RGN_SETUP& r = Rgn();
  PlaceChannels(Window::Upper);
  for (int slot = 0; slot < 4; ++slot)
    PlaceMath(s.MathOperator[slot] == kOperatorFFT ? Window::Lower : Window::Upper, slot, true);
  PlaceDigital(Window::Upper);
  r.TrigMarkUpper = GetTrigOffsetPt(s.TimeScale, s.TimeOffset, r.TrigMarkRef);
}

void RebuildSingle() {
  const _QX_SETUP& s = Setup();
  _QX_RGN_SETUP& r = Rgn();
  PlaceChannels(Window::Main);
  for (int slot = 0; slot < 4; ++slot) PlaceMath(Window::Main, slot, true);
  PlaceDigital(Window::Main);
  r.TrigMarkMain = s.TimeFormat == 1 ? GetXYTimeOffsetPt(s.ChanScale[0], s.ChanOffset[0], r.TrigMarkRef)
                                     : GetTrigOffsetPt(s.TimeScale, s.TimeOffset, r.TrigMarkRef);
}

void RebuildAlternate() {
  const _QX_SETUP& s = Setup();
  _QX_RGN_SETUP& r = Rgn();
  PlaceChannels(Window::Upper);
  PlaceChannels(Window::Lower);
  for (int slot = 0; slot < 4; ++slot) PlaceMath(AlternateMathWindow(slot), slot, true);
  r.TrigMarkUpper = GetTrigOffsetPt(s.AltTimeScale[0], s.AltTimeOffset[0], r.TrigMarkRef);
  r.TrigMarkLower = GetTrigOffsetPt(s.AltTimeScale[1], s.AltTimeOffset[1], r.TrigMarkRef2);
}

}  // namespace

Layout CurrentLayout() {
  const _QX_SETUP& s = Setup();
  if (s.DelayedOn == 1) return Layout::Delayed;
  if (s.TrigType == TRIG_ALTERNATION) return Layout::Alternate;
  return GetFFTSplitScreen() ? Layout::FFTSplit : Layout::Single;
}

WindowMarks Marks(Window w) {
  _QX_RGN_SETUP& r = Rgn();
  const WindowFields& f = kWindows[static_cast<int>(w)];
  return {r.*f.chan,
          r.*f.math,
          r.*f.ref,
          r.*f.la,
          r.*f.trigMark,
          {&(r.*f.cursor[0]), &(r.*f.cursor[1]), &(r.*f.cursor[2]), &(r.*f.cursor[3]), &(r.*f.cursor[4]),
           &(r.*f.cursor[5])},
          r.*f.rect};
}

}  // namespace qx

void RebuildRgnSetup() {
  using qx::Layout;
  qx::PlaceTrigMarkRef();
  const Layout layout = qx::CurrentLayout();
  switch (layout) {
    case Layout::Delayed: qx::RebuildDelayed(); break;
    case Layout::FFTSplit: qx::RebuildFFTSplit(); break;
    case Layout::Single: qx::RebuildSingle(); break;
    case Layout::Alternate: qx::RebuildAlternate(); break;
  }
  qx::PlaceRefs(layout);
  if (layout != Layout::Single) qx::PlaceHeightRatios();
  if (qx::Setup().TrigLevelShown == 1) qx::RebuildTrigLevelMarks();
}

void RebuildRefPos() { qx::PlaceRefs(qx::CurrentLayout()); }

CPoint GetLaOffsetPoint(float position, CRect rect) {
  constexpr std::int32_t kMarkerX = 15;
  const std::int64_t h = qx::HeightOf(rect);
  // h x position in single precision, then eight divisions to the height in
  // double; a rise past the 32-bit range lands on an edge either way.
  const double rise = static_cast<double>(static_cast<float>(h) * position) * 0.125;
  std::int64_t y = rect.top + h / 2 - qx::TruncateTo<std::int32_t>(rise);
  if (y <= rect.top)
    y = rect.top;
  else if (y >= rect.bottom)
    y = rect.bottom;
  return CPoint(kMarkerX, qx::Hold32(y));
}
