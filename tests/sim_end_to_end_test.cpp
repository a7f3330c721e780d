// The library against the simulated instrument: over a real TCP socket to the
// in-process server, and over the in-process USB device. Identity, setup
// blocks, system start, the acquire and interface handlers with read-back,
// and the hardware start through USB block writes and ":STARTUP".
#if QX_HAVE_SIM
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "le_bytes.h"
#include "setup/block_layout.h"
#include "sim/instrument.h"
#include "sim/server.h"
#include "sim/usb_device.h"
#include "support/fakes.h"

namespace {

namespace dso = qx::layout::dso;
using qxsim::BlockId;

// The library's 10 ms reply waits really wait a little, so the server thread
// gets to answer; pacing pauses are only recorded.
void ShortWait(DWORD ms) {
  qxtest::RecordSleep(ms);
  if (ms <= 10) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

std::vector<std::uint8_t> Bytes(const BYTE* p, int n) { return {p, p + n}; }

class SimEndToEnd : public qxtest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    port_ = server_.Start("127.0.0.1", 0);
    ASSERT_GT(port_, 0) << server_.LastError();
    ASSERT_TRUE(tcp_.Connect("127.0.0.1", static_cast<unsigned short>(port_), 1000));
    QxMsgInit(&main, &setup, &rgn, &pos, &tcp_);
    QxSetSleepHook(&ShortWait);
  }
  void TearDown() override {
    LibraryTest::TearDown();
    server_.Stop();
  }
  std::uint8_t DsoByte(int offset) {
    return instrument_.Block(BlockId::Dso)[static_cast<std::size_t>(offset)];
  }
  std::uint32_t DsoU32(int offset) { return qx::LoadU32(instrument_.Block(BlockId::Dso).data() + offset); }
  float DsoF32(int offset) { return qx::LoadF32(instrument_.Block(BlockId::Dso).data() + offset); }

  qxsim::Instrument instrument_;
  qxsim::Server server_{instrument_};
  qxsim::UsbDevice device_{instrument_};
  QxTcpSocket tcp_;
  int port_ = 0;
};

TEST_F(SimEndToEnd, LanIdentityAndSetupBlocks) {
  BYTE reply[256] = {};
  ASSERT_TRUE(ReadSerial(reply));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(reply)), instrument_.Execute("*IDN?").value());
  std::memset(reply, 0, sizeof reply);
  ASSERT_TRUE(ReadFPGAVersion(reply));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(reply)), instrument_.Execute(":INFO:FPGA?").value());

  const struct {
    const char* query;
    BlockId block;
  } blocks[] = {{":SETUP:DSO?", BlockId::Dso}, {":SETUP:LA?", BlockId::La}, {":SETUP:ALT?", BlockId::Alt}};
  for (const auto& b : blocks) {
    std::vector<BYTE> buffer(qxsim::BlockSize(b.block));
    EXPECT_EQ(ReadSetup(b.query, buffer.data()), qxsim::BlockSize(b.block)) << b.query;
    EXPECT_EQ(buffer, instrument_.Block(b.block)) << b.query;
  }
}

TEST_F(SimEndToEnd, LanSystemStartTakesTheInstrumentsSettings) {
  for (const char* line :
       {":CHANNEL1:SCALE 0.5", ":TIMEBASE:SCALE 0.002", ":LAN:PORT 5025", ":ACQUIRE:AVERAGES 64"})
    ASSERT_EQ(instrument_.Run(line).error, "") << line;
  ASSERT_TRUE(QxInitSystem());
  EXPECT_EQ(setup.ChanScale[0], 0.5f);
  const std::int64_t scalePs = setup.TimeScalePs;  // a packed field: no reference to it
  EXPECT_EQ(scalePs, 2'000'000'000);
  EXPECT_EQ(setup.AcqAverages, 64u);
  EXPECT_STREQ(setup.LanIp, "192.0.2.10");
  EXPECT_STREQ(setup.LanNetmask, "255.255.255.0");
  EXPECT_STREQ(setup.LanMac, "02-4B-7A-53-49-4D");
  EXPECT_EQ(setup.LanPort, 5025);
  EXPECT_EQ(instrument_.GetCounters().errors, 0u);
}

TEST_F(SimEndToEnd, AcquireHandlerAndReadBack) {
  RunInt(CMD_ACQUIRE, CTL_ACQ_AVERAGES, 100);
  EXPECT_EQ(qx::LoadU16(instrument_.Block(BlockId::Dso).data() + dso::AcqAveragesExp), 7);
  EXPECT_EQ(setup.AcqAverages, 128u);
  RunBool(CMD_ACQUIRE, CTL_ACQ_MODE, false);
  EXPECT_EQ(DsoU32(dso::AcqModeWord), 1u);
  EXPECT_EQ(setup.AcqMode, 0);
  RunInt(CMD_ACQUIRE, CTL_ACQ_TYPE, 1);
  EXPECT_EQ(setup.AcqType, 1);
  // A type the instrument has no keyword for goes out empty; the instrument
  // refuses it and the read-back restores what it keeps.
  RunInt(CMD_ACQUIRE, CTL_ACQ_TYPE, 7);
  EXPECT_EQ(setup.AcqType, 1);
  EXPECT_EQ(instrument_.GetCounters().errors, 1u);
  setup.RunState = 1;
  setup.TimeScale = 2e-8;
  setup.ChanDisplay[0] = 1;
  setup.ChanDisplay[1] = 0;
  RunInt(CMD_ACQUIRE, CTL_ACQ_MEMORY, 524288);
  EXPECT_EQ(DsoU32(dso::AcqMemFull), 1u);
  EXPECT_EQ(setup.AcqMemDepth, 1048576u);
}

TEST_F(SimEndToEnd, InterfaceSettingsAndSelfCalibration) {
  setup.LanDhcp = 0;
  std::strcpy(setup.LanIp, "10.1.2.3");
  std::strcpy(setup.LanNetmask, "255.0.0.0");
  std::strcpy(setup.LanGateway, "10.0.0.1");
  setup.LanPort = 5025;
  Run(CMD_INTERFACE, CTL_LAN_APPLY);
  EXPECT_EQ(DsoU32(dso::LanIp), 0x0A010203u);
  EXPECT_EQ(DsoU32(dso::LanNetmask), 0xFF000000u);
  EXPECT_EQ(DsoU32(dso::LanGateway), 0x0A000001u);
  EXPECT_EQ(qx::LoadU16(instrument_.Block(BlockId::Dso).data() + dso::LanPort), 5025);
  EXPECT_STREQ(setup.LanMac, "02-4B-7A-53-49-4D");

  // With DHCP on the addresses are only read back.
  std::strcpy(setup.LanIp, "10.9.9.9");
  RunBool(CMD_INTERFACE, CTL_LAN_DHCP, true);
  EXPECT_EQ(DsoByte(dso::LanDhcp), 1);
  EXPECT_STREQ(setup.LanIp, "10.1.2.3");
  EXPECT_EQ(setup.LanDhcp, 1);

  RunBool(CMD_SELFCAL, 0, true);
  EXPECT_EQ(DsoByte(dso::SelfCalEnable), 1);
  EXPECT_EQ(instrument_.GetCounters().errors, 0u);
}

TEST_F(SimEndToEnd, UsbIdentityBlocksAndHardwareStart) {
  QxSetPanelUsb(&device_);
  UseUsb();
  BYTE reply[256] = {};
  ASSERT_TRUE(ReadSerial(reply));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(reply)), instrument_.Execute("*IDN?").value());

  DSO_SETUP d{};
  _QX_LA_SETUP l{};
  DSO_ALT_SETUP a{};
  ASSERT_TRUE(QxReadFirmwareSetup(&d, &l, &a));
  EXPECT_EQ(Bytes(d.Bytes, 780), instrument_.Block(BlockId::Dso));
  EXPECT_EQ(Bytes(l.Bytes, 260), instrument_.Block(BlockId::La));
  EXPECT_EQ(Bytes(a.Bytes, 396), instrument_.Block(BlockId::Alt));

  ASSERT_TRUE(QxInitSystem());
  EXPECT_EQ(setup.ChanScale[0], 1.0f);
  setup.ChanScale[0] = 0.2f;
  setup.TimeScalePs = 1'000'000'000;
  ASSERT_TRUE(QxInitHardware());
  EXPECT_EQ(DsoF32(dso::ChanScale[0]), 0.2f);
  EXPECT_EQ(qx::LoadI64(instrument_.Block(BlockId::Dso).data() + dso::TimeScalePs), 1'000'000'000);
  EXPECT_EQ(instrument_.GetCounters().errors, 0u);
}

TEST_F(SimEndToEnd, UsbDeviceProtocol) {
  BYTE buffer[1024] = {};
  EXPECT_EQ(device_.UsbRead(0, 0, 1, buffer), 0);  // nothing pending
  for (char c : std::string(":SETUP:DSO?\r")) EXPECT_EQ(device_.UsbWriteByte(0, static_cast<BYTE>(c)), 1);
  ASSERT_EQ(device_.UsbRead(0, 0, 1, buffer), 1);
  EXPECT_EQ(buffer[0], 255);  // a reply is cut to what one length byte can announce
  ASSERT_EQ(device_.UsbRead(0, 1, 255, buffer), 1);
  EXPECT_EQ(device_.UsbRead(0, 0, 1, buffer), 0);

  for (char c : std::string("*IDN?\r")) device_.UsbWriteByte(0, static_cast<BYTE>(c));
  ASSERT_EQ(instrument_.Run(":CLEARUSB").error, "");  // the pending reply is dropped
  EXPECT_EQ(device_.UsbRead(0, 0, 1, buffer), 0);

  EXPECT_EQ(device_.UsbRequest(0, 6, 0, 0, 0), 1);
  EXPECT_EQ(device_.UsbBlockRead(0, 260, buffer), 0);  // not the size of the DSO block
  EXPECT_EQ(device_.UsbRequest(0, 99, 0, 0, 0), 0);
  EXPECT_EQ(device_.UsbRequest(0, 2, 0, 1, 0), 0);  // 65536 bytes: larger than any block

  std::vector<std::uint8_t> la = instrument_.Block(BlockId::La);
  la[qx::layout::la::LaEnable] = 1;
  EXPECT_EQ(device_.UsbRequest(0, 2, 260, 0, 0), 1);
  EXPECT_EQ(device_.UsbBlockWrite(0, 259, la.data()), 0);
  EXPECT_EQ(device_.UsbBlockWrite(0, 260, la.data()), 1);
  EXPECT_EQ(device_.UsbRequest(0, 14, 0, 0, 0), 0);  // 260 bytes are no DSO block
  EXPECT_EQ(device_.UsbRequest(0, 2, 260, 0, 0), 1);
  EXPECT_EQ(device_.UsbBlockWrite(0, 260, la.data()), 1);
  EXPECT_EQ(device_.UsbRequest(0, 15, 0, 0, 0), 1);
  EXPECT_EQ(instrument_.Block(BlockId::La)[0], 0);  // waits for ":STARTUP"
  for (char c : std::string(":STARTUP\r")) device_.UsbWriteByte(0, static_cast<BYTE>(c));
  EXPECT_EQ(instrument_.Block(BlockId::La)[0], 1);
}

}  // namespace
#endif
