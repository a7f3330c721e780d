// The analog channels: volts/div, offset, coupling, probe and the rest.
#include "frame/handlers.h"

namespace qx {

void ChannelHandler(unsigned int, long, MsgVar) {
  // not built yet
}

void ApplyOffsetsHandler(unsigned int, long) {
  // not built yet
}

void ApplyScalesHandler(unsigned int, long) {
  // not built yet
}

}  // namespace qx
