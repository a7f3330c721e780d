// Reference waveforms.
#include "frame/handlers.h"

namespace qx {

// not built yet: no controls, so the function sends and changes nothing.
const ControlTable kRefTable = {.cmdId = CMD_REF};

void RefHandler(unsigned int ctrlId, long value, MsgVar var) { RunControl(kRefTable, ctrlId, value, var); }

void RefTimeFromPs() {
  // not built yet
}

void RefTimeToPs() {
  // not built yet
}

}  // namespace qx
