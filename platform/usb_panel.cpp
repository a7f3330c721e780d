// The host's USB panel: with none installed every USB call fails.
#include "usb_panel.h"

#include "QxPlatform.h"

int QxPanelUsb::UsbRead(UINT, int, int, BYTE*) { return 0; }
int QxPanelUsb::UsbWriteByte(UINT, BYTE) { return 0; }
int QxPanelUsb::UsbRequest(UINT, int, int, int, int) { return 0; }
int QxPanelUsb::UsbBlockRead(UINT, int, BYTE*) { return 0; }
int QxPanelUsb::UsbBlockWrite(UINT, int, const BYTE*) { return 0; }

namespace {
QxPanelUsb g_no_device;
QxPanelUsb* g_device = nullptr;
}  // namespace

void QxSetPanelUsb(QxPanelUsb* device) { g_device = device; }

namespace qx {
QxPanelUsb& PanelUsb() { return g_device ? *g_device : g_no_device; }
}  // namespace qx
