#include "fuzz_support.h"

#include "link/link_state.h"

namespace qxfuzz {

namespace {
_QX_SETUP g_setup;
_QX_RGN_SETUP g_rgn;
_QX_POS_SETUP g_pos;
CWnd g_main;
}  // namespace

_QX_SETUP& Setup() { return g_setup; }

std::array<std::vector<BYTE>, 3> BlockCopies() {
  std::array<std::vector<BYTE>, 3> copies;
  for (int i = 0; i < 3; ++i)
    copies[i].assign(qx::BlockCopy(i), qx::BlockCopy(i) + qx::layout::kBlocks[i].size);
  return copies;
}

void StartLibrary(CWinSocket* socket, QxPanelUsb* usb, bool onUsb) {
  g_setup = _QX_SETUP{};
  g_rgn = _QX_RGN_SETUP{};
  g_pos = _QX_POS_SETUP{};
  g_setup.Connected = 1;
  g_setup.InterfaceType = onUsb ? 0 : 1;
  QxSetSleepHook(&NoSleep);
  QxSetPanelUsb(usb);
  QxMsgInit(&g_main, &g_setup, &g_rgn, &g_pos, socket);
  qx::Link = qx::LinkState{};
}

}  // namespace qxfuzz
