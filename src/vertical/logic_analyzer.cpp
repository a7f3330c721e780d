// The sixteen-channel logic analyzer.
#include "frame/handlers.h"

namespace qx {

// not built yet: no controls, so the function sends and changes nothing.
const ControlTable kDigitalTable = {.cmdId = CMD_DIGITAL};

void DigitalHandler(unsigned int ctrlId, long value, MsgVar var) { RunControl(kDigitalTable, ctrlId, value, var); }

}  // namespace qx
