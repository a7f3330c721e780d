// The three setup blocks decoded field by field, as the instrument last sent them.
#pragma once

#include <ostream>

#include "QxMsg.h"

namespace qxhost {

void PrintBlocks(std::ostream& out, const DSO_SETUP& dso, const _QX_LA_SETUP& la, const DSO_ALT_SETUP& alt);

}  // namespace qxhost
