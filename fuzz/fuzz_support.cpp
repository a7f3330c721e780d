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
