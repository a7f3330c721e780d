// The screen's layout (one main window, or an upper and a lower window) and
// the fields each waveform window owns in the geometry record. Markers and
// cursors both decide their window from these.
#pragma once

#include "frame/state.h"

namespace qx {

// First match wins, in this order.
enum class Layout {
  Delayed,    // zoomed timebase: main sweep above, zoomed sweep below
  FFTSplit,   // a spectrum shown split screen
  Single,     // one main window
  Alternate,  // alternate trigger: one channel per window
};
Layout CurrentLayout();

enum class Window { Main, Upper, Lower };

// One window's markers, cursor points and rectangle inside the record.
struct WindowMarks {
  CPoint* chan;  // [2] CH1, CH2
  CPoint* math;  // [4]
  CPoint* ref;   // [4]
  CPoint* la;    // [16] D0..D15
  CPoint& trigMark;
  CPoint* cursor[6];  // by _QX_MOUSE value - MOUSE_CURSOR_XA
  const CRect& rect;
};
WindowMarks Marks(Window w);

// Pixel extents of a host rectangle, wide enough for any host values.
inline std::int64_t WidthOf(const CRect& r) { return static_cast<std::int64_t>(r.right) - r.left; }
inline std::int64_t HeightOf(const CRect& r) { return static_cast<std::int64_t>(r.bottom) - r.top; }
// A pixel or sample index computed wide, held to the 32-bit range.
inline std::int32_t Hold32(std::int64_t v) {
  return static_cast<std::int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
}

// The trigger-position reference sits this far right of the window's centre
// (or, in ROLLING, of its right edge); a spectrum's X cursors count from
// the same place.
constexpr std::int64_t kTrigMarkInset = 16;

// Math slot kinds by their operator.
constexpr std::int32_t kOperatorFFT = 3;
constexpr std::int32_t kOperatorFilter = 4;

}  // namespace qx
