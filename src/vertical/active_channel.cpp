// Which trace the host's controls act on, and which traces were shown when
// the held (stopped) trace was taken.
#include "frame/state.h"

namespace {

bool Shown(const _QX_SETUP& s, std::int32_t trace) {
  if (trace == ACTIVE_CH1 || trace == ACTIVE_CH2) return s.ChanDisplay[trace] == 1;
  if (trace == ACTIVE_LA) return s.LaEnable == 1;
  if (trace >= ACTIVE_MATH1 && trace <= ACTIVE_MATH4) return s.MathDisplay[trace - ACTIVE_MATH1] == 1;
  return false;
}

// When the asked-for trace is not shown, the first shown one in this order
// becomes active.
constexpr _QX_ACTIVE_CHANNEL kFallbackOrder[] = {ACTIVE_CH1,   ACTIVE_CH2,   ACTIVE_MATH1, ACTIVE_MATH2,
                                                 ACTIVE_MATH3, ACTIVE_MATH4, ACTIVE_LA};

}  // namespace

bool SetActiveChannel(_QX_ACTIVE_CHANNEL channel) {
  _QX_SETUP& s = qx::Setup();
  if (Shown(s, channel)) {
    s.ActiveChannel = channel;
    return true;
  }
  for (_QX_ACTIVE_CHANNEL trace : kFallbackOrder) {
    if (Shown(s, trace)) {
      s.ActiveChannel = trace;
      return true;
    }
  }
  s.ActiveChannel = ACTIVE_NONE;
  return false;
}

void SetChanEnabledStop(bool enabled) {
  _QX_SETUP& s = qx::Setup();
  for (int c = 0; c < 2; ++c) s.ChanStopWave[c] = enabled ? s.ChanDisplay[c] : 0;
  for (int i = 0; i < 4; ++i) s.MathDisplayAtStop[i] = enabled ? s.MathDisplay[i] : 0;
  s.LaEnableAtStop = enabled ? s.LaEnable : 0;
}
