// The measurement list.
#include "frame/handlers.h"

namespace qx {

// not built yet: no controls, so the function sends and changes nothing.
const ControlTable kMeasureTable = {.cmdId = CMD_MEASURE};

void MeasureHandler(unsigned int ctrlId, long value, MsgVar var) { RunControl(kMeasureTable, ctrlId, value, var); }

}  // namespace qx
