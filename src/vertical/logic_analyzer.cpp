// The sixteen-channel logic analyzer.
#include "frame/handlers.h"

namespace qx {

void DigitalHandler(unsigned int, long, MsgVar) {
  // not built yet
}

}  // namespace qx
