// Manual and track cursors.
#include "frame/handlers.h"

namespace qx {

void CursorManualHandler(unsigned int, long, MsgVar) {
  // not built yet
}

void CursorTrackHandler(unsigned int, long, MsgVar) {
  // not built yet
}

}  // namespace qx

void RebuildCursorDiv() {
  // not built yet
}
