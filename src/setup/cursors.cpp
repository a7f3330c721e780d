// Manual and track cursors.
#include "frame/handlers.h"

namespace qx {

// not built yet: no controls, so the function sends and changes nothing.
const ControlTable kCursorManualTable = {.cmdId = CMD_CURSOR_MANUAL};

void CursorManualHandler(unsigned int ctrlId, long value, MsgVar var) { RunControl(kCursorManualTable, ctrlId, value, var); }

// not built yet: no controls, so the function sends and changes nothing.
const ControlTable kCursorTrackTable = {.cmdId = CMD_CURSOR_TRACK};

void CursorTrackHandler(unsigned int ctrlId, long value, MsgVar var) { RunControl(kCursorTrackTable, ctrlId, value, var); }

}  // namespace qx

void RebuildCursorDiv() {
  // not built yet
}

void RebuildCursorPt() {
  // not built yet
}

CPoint GetCursorPt(CPoint, float, CRect, bool) {
  // not built yet
  return CPoint(0, 0);
}

CRect CursorWindowRect(std::int32_t) {
  // not built yet
  return CRect(0, 0, 0, 0);
}
