// Display settings.
#include "frame/handlers.h"

namespace qx {

// not built yet: no controls, so the function sends and changes nothing.
const ControlTable kDisplayTable = {.cmdId = CMD_DISPLAY};

void DisplayHandler(unsigned int ctrlId, long value, MsgVar var) { RunControl(kDisplayTable, ctrlId, value, var); }

}  // namespace qx
