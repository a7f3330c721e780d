// Waveform recorder and playback.
#include "frame/handlers.h"

namespace qx {

void RecordHandler(unsigned int, long, MsgVar) {
  // not built yet
}

}  // namespace qx
