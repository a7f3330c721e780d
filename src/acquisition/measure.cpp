// The measurement list.
#include "frame/handlers.h"

namespace qx {

void MeasureHandler(unsigned int, long, MsgVar) {
  // not built yet
}

}  // namespace qx
