// The trigger: type, sweep, levels and their markers.
#include "frame/handlers.h"

namespace qx {

// not built yet: no controls, so the function sends and changes nothing.
const ControlTable kTriggerTable = {.cmdId = CMD_TRIGGER};

void TriggerHandler(unsigned int ctrlId, long value, MsgVar var) { RunControl(kTriggerTable, ctrlId, value, var); }

void RebuildTrigLevelMarks() {
  // not built yet
}

}  // namespace qx

int GetTrigSource() {
  // not built yet
  return 0;
}

void GetTrigChanUnit(CString&) {
  // not built yet
}

float GetTrigLevelValue(_QX_TRIG_TYPE, int, int) {
  // not built yet
  return 0;
}
