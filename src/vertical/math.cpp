// Math and FFT traces.
#include "frame/handlers.h"

namespace qx {

void MathHandler(unsigned int, long, MsgVar) {
  // not built yet
}

}  // namespace qx
