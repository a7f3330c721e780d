// Queries over the four math slots that drawing and other handlers share.
#include "frame/state.h"

namespace {
constexpr std::int32_t kOperatorFFT = 3;
}  // namespace

bool GetMathEnabled() {
  const _QX_SETUP& s = qx::Setup();
  for (BYTE shown : s.MathDisplay)
    if (shown == 1) return true;
  return false;
}

bool GetMathEnabledStop() {
  const _QX_SETUP& s = qx::Setup();
  for (BYTE shown : s.MathDisplayAtStop)
    if (shown == 1) return true;
  return false;
}

bool GetFFTOperator() {
  const _QX_SETUP& s = qx::Setup();
  for (int i = 0; i < 4; ++i)
    if (s.MathOperator[i] == kOperatorFFT && s.MathDisplay[i] == 1) return true;
  return false;
}

// The screen splits for a spectrum only when it is not drawn full screen.
bool GetFFTSplitScreen() { return GetMathEnabled() && GetFFTOperator() && qx::Setup().FFTFullScreen == 0; }
