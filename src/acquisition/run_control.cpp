// Run control: AUTO, RUN, STOP, DEFAULT and the reported acquisition states.
#include "frame/handlers.h"

namespace qx {

// not built yet: no controls, so the function sends and changes nothing.
const ControlTable kRunControlTable = {.cmdId = CMD_RUN_CONTROL};

void RunControlHandler(unsigned int ctrlId, long value, MsgVar var) { RunControl(kRunControlTable, ctrlId, value, var); }

}  // namespace qx
