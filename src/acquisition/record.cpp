// Waveform recorder and playback.
#include "frame/handlers.h"

namespace qx {

// not built yet: no controls, so the function sends and changes nothing.
const ControlTable kRecordTable = {.cmdId = CMD_RECORD};

void RecordHandler(unsigned int ctrlId, long value, MsgVar var) { RunControl(kRecordTable, ctrlId, value, var); }

}  // namespace qx
