// Screen regions: every marker point of the current layout.
#include "QxMsg.h"

void RebuildRgnSetup() {
  // not built yet
}
