// The trigger: type, sweep, levels and their markers.
#include "frame/handlers.h"

namespace qx {

void TriggerHandler(unsigned int, long, MsgVar) {
  // not built yet
}

void RebuildTrigLevelMarks() {
  // not built yet
}

}  // namespace qx
