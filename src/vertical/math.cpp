// Math and FFT traces.
#include "frame/handlers.h"

namespace qx {

// not built yet: no controls, so the function sends and changes nothing.
const ControlTable kMathTable = {.cmdId = CMD_MATH};

void MathHandler(unsigned int ctrlId, long value, MsgVar var) { RunControl(kMathTable, ctrlId, value, var); }

const char* MathUnitFor(const char*, const char*, std::int32_t) {
  // not built yet
  return "";
}

float FFTHorizScaleFor(int) {
  // not built yet
  return 0;
}

}  // namespace qx
