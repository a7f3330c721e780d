// Manual and track cursors. They live on the host only: nothing is sent to
// the instrument. A cursor is kept twice, in divisions in the settings (what
// the readouts use) and as a pixel point in the window it is drawn in (what
// the host draws and drags); this file converts between the two, holds
// cursors inside the screen and decides their window in each layout.
#include <cmath>

#include "convert.h"
#include "frame/handlers.h"
#include "setup/screen_layout.h"

namespace qx {
namespace {

constexpr float kAcrossPerDivision = 0.0714285746f;  // 1/14 of a window's width, in single precision
constexpr float kDownPerDivision = 0.125f;           // 1/8 of its height
constexpr double kDivisionsPerPixel = 0.02;          // 50 pixels a division in the main window
constexpr std::int32_t kCursorLeft = 16;             // the horizontal cursor limits, in pixels
constexpr std::int32_t kCursorRight = 716;
constexpr std::int32_t kLaSource = 6;
constexpr std::int32_t kLastTraceSource = 5;  // CH1, CH2, math slots 0..3

// Cursor point `which` as an index into a window's six cursor points.
int PointIndex(_QX_MOUSE which) { return which - MOUSE_CURSOR_XA; }

// Sources: 0 CH1, 1 CH2, 2..5 math slots, anything else the logic analyzer.
bool IsShown(std::int32_t source) {
  const _QX_SETUP& s = Setup();
  if (source == 0 || source == 1) return s.ChanDisplay[source] != 0;
  if (source >= 2 && source <= kLastTraceSource) return s.MathDisplay[source - 2] != 0;
  return s.LaEnable != 0;
}

bool IsSlotWith(std::int32_t source, std::int32_t op) {
  return source >= 2 && source <= kLastTraceSource && Setup().MathOperator[source - 2] == op;
}

// Under alternate trigger the upper window shows CH1 and what is computed
// from it alone.
bool OnUpperAlternate(std::int32_t source) {
  const _QX_SETUP& s = Setup();
  if (source == 0) return true;
  if (IsSlotWith(source, kOperatorFFT)) return s.FFTSource[source - 2] == 0;
  if (IsSlotWith(source, kOperatorFilter)) return s.MathFilterSource[source - 2] == 0;
  return false;
}

// The window of an X or Y cursor pair tied to `source`.
Window SourceWindow(Layout layout, std::int32_t source) {
  switch (layout) {
    case Layout::Delayed: return Window::Lower;
    case Layout::FFTSplit: return IsSlotWith(source, kOperatorFFT) ? Window::Lower : Window::Upper;
    case Layout::Alternate: return OnUpperAlternate(source) ? Window::Upper : Window::Lower;
    case Layout::Single: break;
  }
  return Window::Main;
}

Window TrackWindow(Layout layout, std::int32_t channel) {
  switch (layout) {
    case Layout::Delayed: return Window::Lower;
    case Layout::FFTSplit: return Window::Upper;
    case Layout::Alternate: return channel == 0 ? Window::Upper : Window::Lower;
    case Layout::Single: break;
  }
  return Window::Main;
}

// X cursors count from the trigger marker of their window; a spectrum's
// from the middle of the window instead.
CPoint XReference(Window w, std::int32_t source) {
  const WindowMarks m = Marks(w);
  if (IsSlotWith(source, kOperatorFFT))
    return CPoint(Hold32(WidthOf(m.rect) / 2 + kTrigMarkInset), m.trigMark.y);
  return m.trigMark;
}

// Y cursors count from their source's offset marker.
CPoint YReference(Window w, std::int32_t source) {
  const WindowMarks m = Marks(w);
  return source < 2 ? m.chan[source] : m.math[source - 2];
}

struct Placement {
  Window window;
  CPoint reference;
};

// Where the X or track cursor `which` lives; false when cursors are off, the
// point is not one of them or its source is out of range.
bool FindXPlacement(_QX_MOUSE which, Placement& p) {
  const _QX_SETUP& s = Setup();
  const Layout layout = CurrentLayout();
  const bool track = which == MOUSE_TRACK_A || which == MOUSE_TRACK_B;
  if (track && s.CursorMode == 2) {
    const std::int32_t channel = which == MOUSE_TRACK_A ? s.TrackSourceA : s.TrackSourceB;
    if (channel != 0 && channel != 1) return false;
    const Window w = TrackWindow(layout, channel);
    p = {w, Marks(w).trigMark};
    return true;
  }
  const bool cursorX = which == MOUSE_CURSOR_XA || which == MOUSE_CURSOR_XB;
  if (!cursorX || (s.CursorMode != 1 && s.CursorMode != 2)) return false;
  if (s.CursorXSource < 0 || s.CursorXSource > kLaSource) return false;
  const Window w = SourceWindow(layout, s.CursorXSource);
  p = {w, XReference(w, s.CursorXSource)};
  return true;
}

float Divisions(std::int64_t pixels) {
  return static_cast<float>(static_cast<double>(pixels) * kDivisionsPerPixel);
}

// Vertical divisions in a window: the main window has 50 pixels a division,
// a split window eight divisions over its height.
void TakeYDivisions(float& field, Window w, std::int64_t rise) {
  if (w == Window::Main) {
    field = Divisions(rise);
    return;
  }
  const std::int64_t height = HeightOf(Marks(w).rect);
  if (height != 0) field = static_cast<float>(static_cast<double>(rise) * 8 / static_cast<double>(height));
}

// XY and ROLLING formats draw the Y cursors in the main window against CH2.
void YDivisionsAgainstCH2() {
  _QX_SETUP& s = Setup();
  const _QX_RGN_SETUP& r = Rgn();
  s.CursorYA = Divisions(static_cast<std::int64_t>(r.ChanOffsetPtMain[1].y) - r.CursorYAPtMain.y);
  s.CursorYB = Divisions(static_cast<std::int64_t>(r.ChanOffsetPtMain[1].y) - r.CursorYBPtMain.y);
}

// The x of cursor point `i` carried from its window `home` to the others
// before the layout changes. Under alternate trigger a cursor of the lower
// window moves up.
void CarryX(int i, Layout layout, Window home) {
  CPoint* main = Marks(Window::Main).cursor[i];
  CPoint* upper = Marks(Window::Upper).cursor[i];
  CPoint* lower = Marks(Window::Lower).cursor[i];
  if (layout == Layout::Alternate && home == Window::Lower) {
    main->x = upper->x;
    upper->x = lower->x;
    return;
  }
  const std::int32_t x = Marks(home).cursor[i]->x;
  for (CPoint* p : {main, upper, lower}) p->x = x;
}

void UpdateCursorShown() {
  const _QX_SETUP& s = Setup();
  _QX_RGN_SETUP& r = Rgn();
  switch (s.CursorMode) {
    case 0: r.CursorShown = 0; break;
    case 1:
      r.CursorShown =
          (s.CursorXOn != 0 || s.CursorYOn != 0) && (IsShown(s.CursorXSource) || IsShown(s.CursorYSource));
      break;
    case 2:
      r.CursorShown =
          (s.TrackAOn != 0 || s.TrackBOn != 0) && (IsShown(s.TrackSourceA) || IsShown(s.TrackSourceB));
      break;
    default: break;
  }
}

// --- The two cursor commands ------------------------------------------------

// A source that is not shown is refused with a message; the rest of the
// control still runs.
void TakeSource(std::int32_t& field, std::int32_t source, std::int32_t last) {
  if (source >= 0 && source <= last && IsShown(source))
    field = source;
  else
    RaiseStatus(Msg::NotAvailable);
}

// A track cursor cannot be switched on over a hidden channel.
void SwitchTrack(Control& c) {
  _QX_SETUP& s = Setup();
  if (c.value != 0 && c.value != 1) return;
  BYTE& on = c.value == 0 ? s.TrackAOn : s.TrackBOn;
  on = c.byte;
  if (on != 0 && !IsShown(c.value == 0 ? s.TrackSourceA : s.TrackSourceB)) {
    RaiseStatus(Msg::NotAvailable);
    on = 0;
  }
}

void UpdateShown(const Control&) { UpdateCursorShown(); }
void RebuildWhenShown(const Control&) {
  if (Rgn().CursorShown) RebuildCursorDiv();
}
void RebuildWhenTrackShown(const Control&) {
  const _QX_SETUP& s = Setup();
  if ((s.TrackAOn != 0 || s.TrackBOn != 0) && Rgn().CursorShown) RebuildCursorDiv();
}

constexpr ControlRow kManualRows[] = {
    {.ctrl = CTL_CURSOR_X_SOURCE,
     .reads = Var::Int,
     .action = [](Control& c) { TakeSource(Setup().CursorXSource, c.i, kLaSource); },
     .after = {UpdateShown, RebuildWhenShown, step::RefreshWave},
     .leave = Leave::Host},
    {.ctrl = CTL_CURSOR_Y_SOURCE,
     .reads = Var::Int,
     .action = [](Control& c) { TakeSource(Setup().CursorYSource, c.i, kLastTraceSource); },
     .after = {UpdateShown, RebuildWhenShown, step::RefreshWave},
     .leave = Leave::Host},
    {.ctrl = CTL_CURSOR_X_POS,
     .reads = Var::Float,
     .action =
         [](Control& c) {
           _QX_SETUP& s = Setup();
           if (c.value == 0) s.CursorXA = ValidateCursorX(c.f, MOUSE_CURSOR_XA);
           if (c.value == 1) s.CursorXB = ValidateCursorX(c.f, MOUSE_CURSOR_XB);
         },
     .after = {step::RefreshWave},
     .leave = Leave::Host},
    {.ctrl = CTL_CURSOR_X_ON,
     .reads = Var::Byte,
     .action = [](Control& c) { Setup().CursorXOn = c.byte; },
     .after = {UpdateShown, RebuildWhenShown, step::RefreshWave},
     .leave = Leave::Host},
    {.ctrl = CTL_CURSOR_Y_POS,
     .reads = Var::Float,
     .action =
         [](Control& c) {
           _QX_SETUP& s = Setup();
           if (c.value == 0)
             s.CursorYA = ValidateCursorY(c.f, MOUSE_CURSOR_YA);
           else
             s.CursorYB = ValidateCursorY(c.f, MOUSE_CURSOR_YB);
         },
     .after = {step::RefreshWave},
     .leave = Leave::Host},
    {.ctrl = CTL_CURSOR_Y_ON,
     .reads = Var::Byte,
     .action = [](Control& c) { Setup().CursorYOn = c.byte; },
     .after = {UpdateShown, RebuildWhenShown},
     .leave = Leave::Host},
};

constexpr ControlRow kTrackRows[] = {
    {.ctrl = CTL_TRACK_A_SOURCE,
     .reads = Var::Int,
     .action = [](Control& c) { TakeSource(Setup().TrackSourceA, c.i, 1); },
     .after = {RebuildWhenShown},
     .leave = Leave::Host},
    {.ctrl = CTL_TRACK_B_SOURCE,
     .reads = Var::Int,
     .action = [](Control& c) { TakeSource(Setup().TrackSourceB, c.i, 1); },
     .after = {RebuildWhenShown},
     .leave = Leave::Host},
    {.ctrl = CTL_TRACK_POS,
     .reads = Var::Float,
     .action =
         [](Control& c) {
           _QX_SETUP& s = Setup();
           if (c.value == 0)
             s.TrackXA = ValidateCursorX(c.f, MOUSE_TRACK_A);
           else
             s.TrackXB = ValidateCursorX(c.f, MOUSE_TRACK_B);
         },
     .after = {step::RefreshWave},
     .leave = Leave::Host},
    {.ctrl = CTL_TRACK_ON,
     .reads = Var::Byte,
     .action = SwitchTrack,
     .after = {UpdateShown, RebuildWhenTrackShown, step::RefreshWave},
     .leave = Leave::Host},
};

}  // namespace

const ControlTable kCursorManualTable = {.cmdId = CMD_CURSOR_MANUAL, .rows = kManualRows};

void CursorManualHandler(unsigned int ctrlId, long value, MsgVar var) {
  RunControl(kCursorManualTable, ctrlId, value, var);
}

const ControlTable kCursorTrackTable = {.cmdId = CMD_CURSOR_TRACK, .rows = kTrackRows};

void CursorTrackHandler(unsigned int ctrlId, long value, MsgVar var) {
  RunControl(kCursorTrackTable, ctrlId, value, var);
}

}  // namespace qx

using qx::Window;

float GetCursorDiv(CPoint reference, CPoint point, CRect window, bool horizontal) {
  if (horizontal)
    return static_cast<float>(static_cast<std::int64_t>(point.x) - reference.x) /
           (static_cast<float>(qx::WidthOf(window)) * qx::kAcrossPerDivision);
  return static_cast<float>(static_cast<std::int64_t>(reference.y) - point.y) /
         (static_cast<float>(qx::HeightOf(window)) * qx::kDownPerDivision);
}

CPoint GetCursorPt(CPoint reference, float divisions, CRect window, bool horizontal) {
  if (horizontal) {
    const float product = static_cast<float>(qx::WidthOf(window)) * divisions * qx::kAcrossPerDivision;
    const float sum = static_cast<float>(reference.x) + product + (product > 0 ? 0.5f : -0.5f);
    if (std::isnan(sum)) return CPoint(0, 0);
    if (sum > 2147483646.0) return CPoint(0x7FFFFFFE, 0);
    if (sum < -2147483647.0) return CPoint(-0x7FFFFFFF, 0);
    return CPoint(static_cast<std::int32_t>(sum), 0);
  }
  const double rise = static_cast<double>(static_cast<float>(qx::HeightOf(window)) * divisions) * 0.125;
  return CPoint(0, qx::Hold32(reference.y - static_cast<std::int64_t>(qx::RoundTo<std::int32_t>(rise))));
}

float ValidateCursorX(float divisions, _QX_MOUSE which) {
  qx::Placement p{};
  if (!qx::FindXPlacement(which, p)) return divisions;
  const CRect& main = qx::Rgn().MainWaveRect;
  const CPoint at = GetCursorPt(p.reference, divisions, main, true);
  CPoint& point = *qx::Marks(p.window).cursor[qx::PointIndex(which)];
  if (at.x >= qx::kCursorRight) {
    point.x = qx::kCursorRight;
    qx::RaiseStatus(qx::Msg::CursorPositionUpper);
    return GetCursorDiv(p.reference, CPoint(qx::kCursorRight, at.y), main, true);
  }
  if (at.x > qx::kCursorLeft) {
    point.x = at.x;
    return divisions;
  }
  point.x = qx::kCursorLeft;
  qx::RaiseStatus(qx::Msg::CursorPositionLower);
  return GetCursorDiv(p.reference, CPoint(qx::kCursorLeft, at.y), main, true);
}

// y grows downward: the bottom edge is the lower limit.
float ValidateCursorY(float divisions, _QX_MOUSE which) {
  const _QX_SETUP& s = qx::Setup();
  const std::int32_t source = s.CursorYSource;
  if (s.CursorMode != 1 && s.CursorMode != 2) return divisions;
  if ((which != MOUSE_CURSOR_YA && which != MOUSE_CURSOR_YB) || source < 0 || source > qx::kLastTraceSource)
    return divisions;
  const Window w = qx::SourceWindow(qx::CurrentLayout(), source);
  const CPoint reference = qx::YReference(w, source);
  const CRect rect = qx::Marks(w).rect;
  const CPoint at = GetCursorPt(reference, divisions, rect, false);
  CPoint& point = *qx::Marks(w).cursor[qx::PointIndex(which)];
  if (at.y >= rect.bottom) {
    point.y = rect.bottom;
    qx::RaiseStatus(qx::Msg::CursorPositionLower);
    return GetCursorDiv(reference, CPoint(at.x, rect.bottom), rect, false);
  }
  if (at.y > rect.top) {
    point.y = at.y;
    return divisions;
  }
  point.y = rect.top;
  qx::RaiseStatus(qx::Msg::CursorPositionUpper);
  return GetCursorDiv(reference, CPoint(at.x, rect.top), rect, false);
}

void RebuildCursorDiv() {
  using namespace qx;
  _QX_SETUP& s = Setup();
  if (s.TimeFormat == 1) {  // XY: everything in the main window
    const _QX_RGN_SETUP& r = Rgn();
    s.CursorXA = Divisions(static_cast<std::int64_t>(r.CursorXAPtMain.x) - r.TrigMarkMain.x);
    s.CursorXB = Divisions(static_cast<std::int64_t>(r.CursorXBPtMain.x) - r.TrigMarkMain.x);
    YDivisionsAgainstCH2();
    return;
  }
  const Layout layout = CurrentLayout();
  const bool rolling = s.TimeFormat == 2;  // the newest sample sits at the right edge
  if (s.CursorXSource >= 0 && s.CursorXSource <= kLaSource) {
    const Window w = SourceWindow(layout, s.CursorXSource);
    const std::int64_t from = rolling ? kCursorRight : XReference(w, s.CursorXSource).x;
    s.CursorXA = Divisions(Marks(w).cursor[0]->x - from);
    s.CursorXB = Divisions(Marks(w).cursor[1]->x - from);
  }
  if (rolling) {
    YDivisionsAgainstCH2();
  } else if (s.CursorYSource >= 0 && s.CursorYSource <= kLastTraceSource) {
    const Window w = SourceWindow(layout, s.CursorYSource);
    const std::int64_t from = YReference(w, s.CursorYSource).y;
    TakeYDivisions(s.CursorYA, w, from - Marks(w).cursor[2]->y);
    TakeYDivisions(s.CursorYB, w, from - Marks(w).cursor[3]->y);
  }
  for (int t = 0; t < 2; ++t) {
    const std::int32_t channel = t == 0 ? s.TrackSourceA : s.TrackSourceB;
    if (channel != 0 && channel != 1) continue;
    const WindowMarks m = Marks(TrackWindow(layout, channel));
    (t == 0 ? s.TrackXA : s.TrackXB) =
        Divisions(static_cast<std::int64_t>(m.cursor[4 + t]->x) - m.trigMark.x);
  }
}

void RebuildCursorPt() {
  using namespace qx;
  const _QX_SETUP& s = Setup();
  const Layout layout = CurrentLayout();
  const std::int32_t source = s.CursorXSource;
  // The analyzer has no place of its own in the alternate layout.
  const bool carriesX =
      source >= 0 && source <= kLaSource && !(layout == Layout::Alternate && source == kLaSource);
  if (carriesX)
    for (int i : {0, 1}) CarryX(i, layout, SourceWindow(layout, source));
  for (int t = 0; t < 2; ++t) {
    const std::int32_t channel = t == 0 ? s.TrackSourceA : s.TrackSourceB;
    if (channel == 0 || channel == 1) CarryX(4 + t, layout, TrackWindow(layout, channel));
  }
}

// The window the timebase handler measures X cursors in; its own rule, kept
// apart from the cursor windows above.
CRect CursorWindowRect(std::int32_t source) {
  using namespace qx;
  const _QX_SETUP& s = Setup();
  const _QX_RGN_SETUP& r = Rgn();
  const bool trace = source >= 0 && source <= kLastTraceSource;
  const bool slot = source >= 2 && source <= kLastTraceSource;
  const bool analyzer = source == kLaSource && s.CursorXOn == 1;
  switch (CurrentLayout()) {
    case Layout::Alternate:
      if (source == 0) return r.UpperWaveRect;
      if (source == 1) return r.LowerWaveRect;
      if (slot)
        return s.MathOperator[source - 2] == kOperatorFFT && s.MathSourceA[source - 2] == 0 ? r.UpperWaveRect
                                                                                            : r.LowerWaveRect;
      break;
    case Layout::FFTSplit:
      if (source == 0 || source == 1 || analyzer) return r.UpperWaveRect;
      if (slot) return IsSlotWith(source, kOperatorFFT) ? r.LowerWaveRect : r.UpperWaveRect;
      break;
    case Layout::Single:
      if (trace || analyzer) return r.MainWaveRect;
      break;
    case Layout::Delayed:
      if (trace || analyzer) return r.LowerWaveRect;
      break;
  }
  return CRect(0, 0, 0, 0);
}
