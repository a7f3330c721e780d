// Pass/fail test settings.
#include "frame/handlers.h"

namespace qx {

void PassFailHandler(unsigned int, long, MsgVar) {
  // not built yet
}

}  // namespace qx
