#include "link/link_state.h"
namespace qx {
LinkState Link;
}
