// Posts one command through the installed library and checks what it did.
#include "QxMsg.h"

int main() {
  _QX_SETUP setup{};
  _QX_RGN_SETUP rgn{};
  _QX_POS_SETUP pos{};
  CWnd window;
  CWinSocket socket;
  QxMsgInit(&window, &setup, &rgn, &pos, &socket);
  SetMsgVarInt(100);
  QxPostIOCmd(CMD_ACQUIRE, CTL_ACQ_AVERAGES, 0, nullptr, nullptr, nullptr);
  while (GetIOCmd() != 0) IOCmdProcess();
  return setup.AcqAverages == 128 && StrConnect(":A", ":B", " ", "1", "") == ":A:B 1" ? 0 : 1;
}
