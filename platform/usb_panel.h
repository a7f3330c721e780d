#pragma once

struct QxPanelUsb;

namespace qx {
// The installed USB device, or one on which every call fails.
QxPanelUsb& PanelUsb();
}  // namespace qx
