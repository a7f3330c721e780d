// libFuzzer target: the simulated instrument's USB port: byte writes, reply
// reads, requests with any code and parameters, block reads and writes of
// any size, with the port's faults switched by the input. Checks that a
// reply never exceeds its length byte and the model's invariants, also after
// a block of arbitrary bytes is written and applied by ":STARTUP".
#include "sim/usb_device.h"
#include "sim_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  static qxsim::Instrument instrument;
  instrument.FactoryReset();
  qxsim::Faults faults;
  faults.usbRefuseBytes = in.ConsumeIntegralInRange(0, 7) == 0;
  faults.usbFailBlockRead = in.ConsumeIntegralInRange(0, 7) == 0;
  faults.usbFailRequest = in.ConsumeIntegralInRange(0, 7) == 0 ? in.ConsumeIntegralInRange(0, 16) : 0;
  instrument.SetFaults(faults);
  qxsim::UsbDevice usb(instrument);
  BYTE reply[256];
  BYTE bytes[800];
  while (in.remaining_bytes() > 0) {
    switch (in.ConsumeIntegralInRange(0, 5)) {
      case 0:
      case 1: {
        const std::size_t n = in.ConsumeData(bytes, in.ConsumeIntegralInRange<std::size_t>(1, 32));
        for (std::size_t i = 0; i < n; ++i) usb.UsbWriteByte(0, bytes[i]);
        break;
      }
      case 2:
        if (usb.UsbRead(0, 0, 1, reply)) qxfuzz::Check(usb.UsbRead(0, 1, reply[0], reply) == 1);
        break;
      case 3:
        usb.UsbRequest(0, in.ConsumeIntegralInRange(0, 17), in.ConsumeIntegral<std::uint16_t>(),
                       in.ConsumeIntegralInRange(0, 1), 0);
        break;
      case 4: usb.UsbBlockRead(0, in.ConsumeIntegralInRange(0, 800), bytes); break;
      default: {
        const std::size_t n = in.ConsumeData(bytes, in.ConsumeIntegralInRange<std::size_t>(0, 800));
        usb.UsbBlockWrite(0, static_cast<int>(n), bytes);
        break;
      }
    }
  }
  instrument.Run(":STARTUP");
  qxfuzz::CheckInstrument(instrument);
  return 0;
}
