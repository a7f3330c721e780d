// Run control: AUTO, RUN, STOP, DEFAULT and the reported acquisition states.
#include "frame/handlers.h"

namespace qx {

void RunControlHandler(unsigned int, long, MsgVar) {
  // not built yet
}

}  // namespace qx
