// Reference waveforms.
#include "frame/handlers.h"

namespace qx {

void RefHandler(unsigned int, long, MsgVar) {
  // not built yet
}

}  // namespace qx
