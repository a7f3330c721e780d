// libFuzzer target: arbitrary bytes through the line assembly and the command
// parser, on the LAN path (in chunks the first byte chooses) and on the USB
// path (byte by byte). Whatever arrives, the instrument must not crash, must
// answer within its framing bounds, and must keep its blocks consistent.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sim/instrument.h"
#include "sim/usb_device.h"

namespace {

namespace dso = qx::layout::dso;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// What must hold after any input: picosecond masters and seconds copies agree,
// the delayed scale never exceeds the main one, volts/div within its range,
// the memory depth one of the model's.
void CheckInvariants(const qxsim::Instrument& in) {
  const auto b = in.Block(qxsim::BlockId::Dso);
  const std::uint8_t* d = b.data();
  const std::int64_t scale = qx::LoadI64(d + dso::TimeScalePs);
  Check(scale >= qxsim::limits::kMinTimeScalePs && scale <= qxsim::limits::kMaxTimeScalePs);
  Check(qx::LoadF32(d + dso::TimeScale) == static_cast<float>(static_cast<double>(scale) / 1e12));
  Check(qx::LoadF64(d + dso::TimeOffset) == static_cast<double>(qx::LoadI64(d + dso::TimeOffsetPs)) / 1e12);
  Check(qx::LoadI64(d + dso::DelayedScalePs) <= scale);
  for (int ch = 0; ch < 2; ++ch) {
    const double probe = qx::LoadF32(d + dso::ChanProbe[ch]);
    const double volts = qx::LoadF32(d + dso::ChanScale[ch]) / probe;
    Check(probe > 0 && volts >= 0.002 * (1 - 1e-6) && volts <= 10 * (1 + 1e-6));
  }
  const std::uint32_t depth = qx::LoadU32(d + dso::AcqMemDepth);
  Check(depth == 4096 || depth == 8192 || depth == 524288 || depth == 1048576);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t chunk = 1 + data[0] % 64;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  qxsim::Instrument lan;
  for (std::size_t at = 0; at < bytes.size(); at += chunk) {
    for (const std::string& reply : lan.Feed(bytes.substr(at, chunk))) Check(reply.size() <= 4096);
  }
  CheckInvariants(lan);
  const qxsim::Counters c = lan.GetCounters();
  Check(c.commands + c.queries + c.errors - c.overlong == c.lines);

  qxsim::Instrument usbSide;
  qxsim::UsbDevice usb(usbSide);
  BYTE reply[256];
  for (char ch : bytes) {
    usb.UsbWriteByte(0, static_cast<BYTE>(ch));
    if (usb.UsbRead(0, 0, 1, reply)) Check(usb.UsbRead(0, 1, reply[0], reply) == 1);
  }
  CheckInvariants(usbSide);

  // A DSO block of arbitrary bytes written over USB and applied.
  if (bytes.size() >= 780) {
    usb.UsbRequest(0, qx::layout::kAnnounceWriteCode, 780, 0, 0);
    usb.UsbBlockWrite(0, 780, reinterpret_cast<const BYTE*>(bytes.data()));
    Check(usb.UsbRequest(0, qx::layout::kBlocks[0].writeCode, 0, 0, 0) == 1);
    usbSide.Run(":STARTUP");
    CheckInvariants(usbSide);
    lan.Feed(bytes.substr(780));
    CheckInvariants(lan);
  }
  return 0;
}
