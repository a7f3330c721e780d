// The timebase: main, delayed, XY and rolling; the picosecond time model.
#include "frame/handlers.h"

namespace qx {

// not built yet: no controls, so the function sends and changes nothing.
const ControlTable kTimebaseTable = {.cmdId = CMD_TIMEBASE};

void TimebaseHandler(unsigned int ctrlId, long value, MsgVar var) { RunControl(kTimebaseTable, ctrlId, value, var); }

// After the delayed scale changed: the delayed span inside the upper window
// and the lower window's trigger-position marker follow it.
void UpdateDelayedScaleMarks() {
  const _QX_SETUP& s = Setup();
  _QX_RGN_SETUP& r = Rgn();
  r.DelayedRect = GetDelayedRect(s.TimeScale, s.DelayedScale, s.TimeOffset, s.DelayedOffset, r.UpperWaveRect,
                                 r.TrigMarkRef);
  r.TrigMarkLower = GetTrigOffsetPt(s.DelayedScale, s.DelayedOffset, r.TrigMarkRef2);
}

void ApplyTimeBase(unsigned int, long, unsigned int) {
  // not built yet
}

void ApplyDelayedTimeBase(unsigned int, long, unsigned int) {
  // not built yet
}

void ApplyAltTimeBase(unsigned int, int, std::int32_t, unsigned int) {
  // not built yet
}

}  // namespace qx

void SetTimeBase(std::int64_t&, std::int64_t, std::int64_t&, std::int64_t&, bool) {
  // not built yet
}

double GetDelayedOffset(double, double, CRect, CPoint) {
  // not built yet
  return 0;
}

std::int64_t ConvertToLONG(float, int) {
  // not built yet
  return 0;
}
