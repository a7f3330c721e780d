// Screen regions: every marker point of the current layout.
#include "QxMsg.h"

void RebuildRgnSetup() {
  // not built yet
}

void RebuildRefPos() {
  // not built yet
}

CPoint GetLaOffsetPoint(float, CRect) {
  // not built yet
  return CPoint(0, 0);
}
