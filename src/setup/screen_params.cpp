// Screen parameters: which samples are drawn where, and the re-read of the
// timebase and acquisition values the instrument applied.
#include "QxMsg.h"

void GetAcqSaRate() {
  // not built yet
}

void GetTimeScalePara() {
  // not built yet
}

void GetRefScreenPara(int) {
  // not built yet
}
