// The library against the simulated instrument: over a real TCP socket to the
// in-process server, and over the in-process USB device. Identity, setup
// blocks, system start, the acquire and interface handlers with read-back,
// the hardware start through USB block writes and ":STARTUP", the link's
// faults on either link, and a host in a comma-decimal locale.
#if QX_HAVE_SIM
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "frame/state.h"
#include "le_bytes.h"
#include "link/link_state.h"
#include "setup/block_layout.h"
#include "sim/instrument.h"
#include "sim/server.h"
#include "sim/usb_device.h"
#include "support/fakes.h"
#include "support/sim_link.h"

namespace {

namespace dso = qx::layout::dso;
using qxsim::BlockId;
using qxtest::SimEndToEnd;
using qxtest::Text;

// Either link: identity, the three blocks byte for byte, and a system start
// that takes the instrument's settings.
TEST_F(SimEndToEnd, IdentityBlocksAndSystemStartOnBothLinks) {
  instrument_.Feed(":CHANNEL1:SCALE 0.5\r:TIMEBASE:SCALE 0.002\r:LAN:PORT 5025\r:ACQUIRE:AVERAGES 64\r");
  const auto vec = [](const auto& bytes) {
    return std::vector<std::uint8_t>(std::begin(bytes), std::end(bytes));
  };
  for (const bool usb : {false, true}) {
    SCOPED_TRACE(usb ? "USB" : "LAN");
    setup = {};
    setup.Connected = 1;
    setup.InterfaceType = usb ? 0 : 1;
    BYTE serial[256] = {}, fpga[256] = {};
    ASSERT_TRUE(ReadSerial(serial) && ReadFPGAVersion(fpga));
    EXPECT_EQ(Text(serial), instrument_.Execute("*IDN?").value());
    EXPECT_EQ(Text(fpga), instrument_.Execute(":INFO:FPGA?").value());
    dso = {}, la = {}, alt = {};
    ASSERT_TRUE(usb ? QxReadFirmwareSetup(&dso, &la, &alt)
                    : ReadSetup(":SETUP:DSO?", dso.Bytes) == 780 &&
                          ReadSetup(":SETUP:LA?", la.Bytes) == 260 &&
                          ReadSetup(":SETUP:ALT?", alt.Bytes) == 396);
    EXPECT_EQ(vec(dso.Bytes), instrument_.Block(BlockId::Dso));
    EXPECT_EQ(vec(la.Bytes), instrument_.Block(BlockId::La));
    EXPECT_EQ(vec(alt.Bytes), instrument_.Block(BlockId::Alt));

    ASSERT_TRUE(QxInitSystem());
    EXPECT_EQ(setup.ChanScale[0], 0.5f);
    EXPECT_EQ(qxtest::Value(setup.TimeScalePs), 2'000'000'000);
    EXPECT_EQ(setup.AcqAverages, 64u);
    EXPECT_STREQ(setup.LanIp, "192.0.2.10");
    EXPECT_STREQ(setup.LanMac, "02-4B-7A-53-49-4D");
    EXPECT_EQ(setup.LanPort, 5025);
  }
  EXPECT_EQ(instrument_.GetCounters().errors, 0u);
}

TEST_F(SimEndToEnd, AcquireHandlerAndReadBack) {
  RunBool(CMD_ACQUIRE, CTL_ACQ_MODE, false);
  EXPECT_EQ(qx::LoadU32(Dso(dso::AcqModeWord)), 1u);
  EXPECT_EQ(setup.AcqMode, 0);
  // A type the instrument has no keyword for goes out empty; the instrument
  // refuses it and the read-back restores what it keeps.
  RunInt(CMD_ACQUIRE, CTL_ACQ_TYPE, 7);
  EXPECT_EQ(setup.AcqType, 0);
  EXPECT_EQ(instrument_.GetCounters().errors, 1u);
  setup.RunState = 1;
  setup.TimeScale = 2e-8;
  setup.ChanDisplay[0] = 1;
  RunInt(CMD_ACQUIRE, CTL_ACQ_MEMORY, 524288);
  EXPECT_EQ(qx::LoadU32(Dso(dso::AcqMemFull)), 1u);
  EXPECT_EQ(setup.AcqMemDepth, 1048576u);  // one channel at 20 ns/div: doubled
}

TEST_F(SimEndToEnd, InterfaceSettings) {
  setup.LanDhcp = 0;
  std::strcpy(setup.LanIp, "10.1.2.3");
  std::strcpy(setup.LanNetmask, "255.0.0.0");
  std::strcpy(setup.LanGateway, "10.0.0.1");
  setup.LanPort = 5025;
  Run(CMD_INTERFACE, CTL_LAN_APPLY);
  EXPECT_EQ(qx::LoadU32(Dso(dso::LanIp)), 0x0A010203u);
  EXPECT_EQ(qx::LoadU16(Dso(dso::LanPort)), 5025);

  // With DHCP on the addresses are only read back.
  std::strcpy(setup.LanIp, "10.9.9.9");
  RunBool(CMD_INTERFACE, CTL_LAN_DHCP, true);
  EXPECT_EQ(*Dso(dso::LanDhcp), 1);
  EXPECT_STREQ(setup.LanIp, "10.1.2.3");
  EXPECT_EQ(setup.LanDhcp, 1);

  EXPECT_EQ(instrument_.GetCounters().errors, 0u);
}

// The host's setup reaches the instrument as USB block writes made live by ":STARTUP".
TEST_F(SimEndToEnd, UsbHardwareStart) {
  UseUsb();
  ASSERT_TRUE(QxInitSystem());
  setup.ChanScale[0] = 0.2f;
  setup.TimeScalePs = 1'000'000'000;
  ASSERT_TRUE(QxInitHardware());
  EXPECT_EQ(qx::LoadF32(Dso(dso::ChanScale[0])), 0.2f);
  EXPECT_EQ(qx::LoadI64(Dso(dso::TimeScalePs)), 1'000'000'000);
  EXPECT_EQ(instrument_.GetCounters().errors, 0u);
}

TEST_F(SimEndToEnd, UsbDeviceProtocol) {
  const auto line = [&](const std::string& text) {
    for (char c : text) ASSERT_EQ(device_.UsbWriteByte(0, static_cast<BYTE>(c)), 1);
  };
  BYTE buffer[1024] = {};
  EXPECT_EQ(device_.UsbRead(0, 0, 1, buffer), 0);  // nothing pending
  line(":SETUP:DSO?\r");
  ASSERT_EQ(device_.UsbRead(0, 0, 1, buffer), 1);
  EXPECT_EQ(buffer[0], 255);  // a reply is cut to what one length byte can announce
  ASSERT_EQ(device_.UsbRead(0, 1, 255, buffer), 1);
  EXPECT_EQ(device_.UsbRead(0, 0, 1, buffer), 0);

  line("*IDN?\r");
  ASSERT_EQ(instrument_.Run(":CLEARUSB").error, "");  // the pending reply is dropped
  EXPECT_EQ(device_.UsbRead(0, 0, 1, buffer), 0);

  EXPECT_EQ(device_.UsbRequest(0, 6, 0, 0, 0), 1);
  EXPECT_EQ(device_.UsbBlockRead(0, 260, buffer), 0);  // not the size of the DSO block
  EXPECT_EQ(device_.UsbRequest(0, 99, 0, 0, 0), 0);
  EXPECT_EQ(device_.UsbRequest(0, 2, 0, 1, 0), 0);  // 65536 bytes: larger than any block

  std::vector<std::uint8_t> block = instrument_.Block(BlockId::La);
  block[qx::layout::la::LaEnable] = 1;
  EXPECT_EQ(device_.UsbRequest(0, 2, 260, 0, 0), 1);
  EXPECT_EQ(device_.UsbBlockWrite(0, 259, block.data()), 0);
  EXPECT_EQ(device_.UsbBlockWrite(0, 260, block.data()), 1);
  EXPECT_EQ(device_.UsbRequest(0, 14, 0, 0, 0), 0);  // 260 bytes are no DSO block
  EXPECT_EQ(device_.UsbRequest(0, 2, 260, 0, 0), 1);
  EXPECT_EQ(device_.UsbBlockWrite(0, 260, block.data()), 1);
  EXPECT_EQ(device_.UsbRequest(0, 15, 0, 0, 0), 1);
  EXPECT_EQ(instrument_.Block(BlockId::La)[0], 0);  // waits for ":STARTUP"
  line(":STARTUP\r");
  EXPECT_EQ(instrument_.Block(BlockId::La)[0], 1);
}

// Replies that lie about their length and a link that drops: no block is
// taken, the copies keep what they held, and a dropped link costs no waits.
TEST_F(SimEndToEnd, LanFaultsLeaveTheCopiesAsTheyWere) {
  ASSERT_TRUE(QxInitSystem());
  const DSO_SETUP before = qx::Link.FwDsoSetup;
  instrument_.Feed(":ACQUIRE:AVERAGES 64\r");
  instrument_.SetFaults({.prefixDelta = 8});
  CString line(":RUN");
  SendCommand(&line, qx::Command.ReplyBuffer, true);
  EXPECT_FALSE(qx::LastReadBackWhole());
  EXPECT_EQ(std::memcmp(&before, &qx::Link.FwDsoSetup, sizeof before), 0);
  EXPECT_EQ(QxGetLinkHealth().RefusedReplies, 3u);

  instrument_.SetFaults({.dropAfter = 1});
  qxtest::Sleeps().clear();
  SendCommand(&line, qx::Command.ReplyBuffer, true);  // the link closes after ":RUN"
  // No query waits for its reply; only the quiet the lies above asked for.
  EXPECT_LE(std::count(qxtest::Sleeps().begin(), qxtest::Sleeps().end(), DWORD{10}), qx::kQuietTries);
  EXPECT_FALSE(qx::LastReadBackWhole());
  EXPECT_GE(QxGetLinkHealth().FailedSends, 1u);
}

// The USB failure paths, end to end: a refused byte stops the command, a
// failed request or block read stops the read-back and the start.
TEST_F(SimEndToEnd, UsbFaultsStopTheTransfer) {
  UseUsb();
  const struct {
    qxsim::Faults faults;
    int written;  // WriteCommand's result
    QxBlockOutcome dso;
    bool started;
  } rows[] = {{{.usbRefuseBytes = true}, 0, QX_BLOCK_NOT_READ, true},
              {{.usbFailBlockRead = true}, 5, QX_BLOCK_FAILED, false},
              {{.usbFailRequest = 6}, 5, QX_BLOCK_FAILED, false}};
  for (const auto& row : rows) {
    qx::Link.Health = {};
    instrument_.SetFaults(row.faults);
    EXPECT_EQ(WriteCommand(":RUN"), row.written);
    CString line(":RUN");
    SendCommand(&line, qx::Command.ReplyBuffer, true);
    EXPECT_EQ(QxGetLinkHealth().ReadBack[0], row.dso);
    EXPECT_EQ(QxGetLinkHealth().ReadBack[1], QX_BLOCK_NOT_READ);
    EXPECT_EQ(QxInitSystem(), row.started);
  }
}

// A host in a comma-decimal locale: the library still writes "0.500000"
// and the instrument still answers "0.5" (the locale is made when the
// machine has none).
TEST_F(SimEndToEnd, CommaDecimalLocale) {
  const char* name = "de_DE.UTF-8";
  if (!std::setlocale(LC_ALL, name)) {
    const std::string dir = ::testing::TempDir() + "qx-locales";
    const std::string make =
        "mkdir -p " + dir + " && localedef -i de_DE -f UTF-8 " + dir + "/" + name + " 2>/dev/null";
    if (std::system(make.c_str()) == 0) ::setenv("LOCPATH", dir.c_str(), 1);
  }
  if (!std::setlocale(LC_ALL, name)) GTEST_SKIP() << "no comma-decimal locale could be made";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  CString text;
  text.Format(":CHANNEL1:SCALE %f", 0.5);
  EXPECT_EQ(WriteCommand(text), static_cast<int>(text.GetLength()) + 2);
  BYTE reply[256] = {};
  EXPECT_GT(ReadCommand(":CHANNEL1:SCALE?", reply), 0);
  std::setlocale(LC_ALL, "C");
  EXPECT_STREQ(text, ":CHANNEL1:SCALE 0.500000");
  EXPECT_EQ(Text(reply), "0.5");
  ASSERT_TRUE(QxInitSystem());
  EXPECT_EQ(setup.ChanScale[0], 0.5f);
  EXPECT_EQ(instrument_.GetCounters().errors, 0u);
}

}  // namespace
#endif
