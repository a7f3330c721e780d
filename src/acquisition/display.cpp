// Display settings.
#include "frame/handlers.h"

namespace qx {

void DisplayHandler(unsigned int, long, MsgVar) {
  // not built yet
}

}  // namespace qx
