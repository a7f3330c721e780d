// The analog channels: volts/div, offset, coupling, probe and the rest.
#include "frame/handlers.h"

namespace qx {

// not built yet: no controls, so the function sends and changes nothing.
const ControlTable kChannelTable = {.cmdId = CMD_CHANNEL};

void ChannelHandler(unsigned int ctrlId, long value, MsgVar var) { RunControl(kChannelTable, ctrlId, value, var); }

void ApplyOffsetsHandler(unsigned int, long) {
  // not built yet
}

void ApplyScalesHandler(unsigned int, long) {
  // not built yet
}

}  // namespace qx
