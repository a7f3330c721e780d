// A minimal host: hands the library its records and main window, posts a few
// acquire commands, runs the queue, and prints what the library did. With no
// instrument attached nothing is sent; the records and windows still follow.
#include <cstdio>

#include "QxMsg.h"

namespace {
class PrintingWindow : public CWnd {
 public:
  explicit PrintingWindow(const _QX_SETUP& setup) : setup_(setup) {}
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (wParam == CTL_STATUS_MESSAGE)
      std::printf("  status: %s\n", setup_.ErrorText);
    else
      std::printf("  window message 0x%X (control 0x%X, value %ld)\n", message, static_cast<unsigned>(wParam),
                  static_cast<long>(lParam));
    return 0;
  }

 private:
  const _QX_SETUP& setup_;
};
}  // namespace

int main() {
  _QX_SETUP setup{};
  _QX_RGN_SETUP rgn{};
  _QX_POS_SETUP pos{};
  PrintingWindow window(setup);
  CWinSocket noInstrument;
  QxMsgInit(&window, &setup, &rgn, &pos, &noInstrument);

  std::printf("acquire type average\n");
  SetMsgVarInt(1);
  QxPostIOCmd(CMD_ACQUIRE, CTL_ACQ_TYPE, 0, nullptr, nullptr, nullptr);
  std::printf("acquire averages 100, then 1000 (one run: the second post replaces the first)\n");
  SetMsgVarInt(100);
  QxPostIOCmd(CMD_ACQUIRE, CTL_ACQ_AVERAGES, 0, nullptr, nullptr, nullptr);
  SetMsgVarInt(1000);
  QxPostIOCmd(CMD_ACQUIRE, CTL_ACQ_AVERAGES, 0, nullptr, nullptr, nullptr);

  while (GetIOCmd() != 0) IOCmdProcess();
  std::printf("AcqType %d, AcqAverages %u\n", setup.AcqType, setup.AcqAverages);
  return 0;
}
