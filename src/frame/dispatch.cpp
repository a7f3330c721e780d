#include "frame/state.h"
namespace qx {
void Dispatch(unsigned long, MsgVar, unsigned int, long, CWnd*, CWnd*) {}
}
