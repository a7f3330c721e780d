// The timebase: main, delayed, XY and rolling; the picosecond time model.
#include "frame/handlers.h"

namespace qx {

void TimebaseHandler(unsigned int, long, MsgVar) {
  // not built yet
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

}  // namespace qx
