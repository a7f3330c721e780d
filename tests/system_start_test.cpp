// System start and firmware setup: what goes to the instrument on each link
// and in which order, what a failed USB transfer leaves behind, the LAN
// settings taken from the DSO block, and a start from a realistic instrument.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "le_bytes.h"
#include "link/link_state.h"
#include "support/fakes.h"

namespace {

using Texts = std::vector<std::string>;

const Texts kBlockQueries = {":SETUP:DSO?", ":SETUP:LA?", ":SETUP:ALT?"};
const Texts kUsbBlockReads = {"request 6 0 0",  "block-read 780", "request 12 0 0",
                              "block-read 260", "request 13 0 0", "block-read 396"};
const Texts kUsbBlockWrites = {"request 2 780 0", "block-write 780", "request 14 0 0",
                               "request 2 260 0", "block-write 260", "request 15 0 0",
                               "request 2 396 0", "block-write 396", "request 16 0 0"};

class SystemStartTest : public qxtest::LibraryTest {
 protected:
  // The instrument's blocks, served on whichever link asks.
  void ServeBlocks() {
    ScriptReadBack();
    usb.blockRead = [this](int size, BYTE* buffer) {
      std::memcpy(buffer, size == 780 ? dso.Bytes : size == 260 ? la.Bytes : alt.Bytes, size);
      return true;
    };
  }
  Texts UsbCalls(std::size_t count) const {
    return Texts(usb.calls.begin(), usb.calls.begin() + std::min(count, usb.calls.size()));
  }
};

TEST_F(SystemStartTest, LanStartReadsBlocksThenSwitchesChannelsForMath) {
  dso.Bytes[0x120] = 1;  // delayed timebase on
  setup.MathDisplay[2] = 1;
  setup.MathOperator[2] = 3;  // FFT
  ServeBlocks();
  ASSERT_TRUE(QxInitSystem());
  Texts want = kBlockQueries;
  want.insert(want.end(), {":CHANNEL1:DISPLAY ON", ":CHANNEL2:DISPLAY ON", ":TIMEBASE:MODE MAIN"});
  EXPECT_EQ(socket.SentTexts(), want);
  EXPECT_EQ(setup.ChanDisplay[0], 0);  // as the blocks say, not as the commands did
  EXPECT_EQ(setup.DelayedOn, 0);
  EXPECT_EQ(rgn.CmdBusy, 0);
  EXPECT_EQ(rgn.RedrawFlag3 + rgn.RedrawFlag4, 2);
}

TEST_F(SystemStartTest, UsbStartReadsBlocksByRequestCodes) {
  UseUsb();
  qx::StoreF32(dso.Bytes + 0x10, 2.0f);
  setup.MathDisplay[0] = 1;
  ServeBlocks();
  ASSERT_TRUE(QxInitSystem());
  EXPECT_EQ(UsbCalls(6), kUsbBlockReads);
  EXPECT_EQ(usb.written, ":CHANNEL1:DISPLAY ON\r:CHANNEL2:DISPLAY ON\r");
  EXPECT_EQ(setup.ChanScale[0], 2.0f);
  EXPECT_TRUE(socket.sent.empty());
}

TEST_F(SystemStartTest, UsbFailurePartWayStopsAndStaysBusy) {
  UseUsb();
  ServeBlocks();
  usb.requestResult = [](int code) { return code == 12 ? 0 : 1; };
  std::memset(qx::Link.FwAltSetup.Bytes, 0x5A, sizeof qx::Link.FwAltSetup.Bytes);
  setup.ChanScale[0] = 7.0f;
  EXPECT_FALSE(QxInitSystem());
  EXPECT_EQ(usb.calls, (Texts{"request 6 0 0", "block-read 780", "request 12 0 0"}));
  EXPECT_EQ(rgn.CmdBusy, 1);
  EXPECT_EQ(qx::Link.FwAltSetup.Bytes[0], 0x5A);
  EXPECT_EQ(setup.ChanScale[0], 7.0f);  // nothing pushed
  EXPECT_FALSE(QxSetFirmwareSetup());
  EXPECT_EQ(usb.written, "");  // no ":STARTUP"
}

TEST_F(SystemStartTest, InterfaceSettingsFromTheDsoBlock) {
  const struct {
    BYTE ip[4], mask[4], gateway[4], mac[3], port[2], dhcp;
    const char *wantIp, *wantMask, *wantGateway, *wantMac;
    int wantPort;
  } rows[] = {
      {{0xC0, 0xA8, 0x01, 0x0A},
       {0x00, 0xFF, 0xFF, 0xFF},
       {0x01, 0x01, 0xA8, 0xC0},
       {0x12, 0x34, 0x56},
       {0xFF, 0xFF},
       1,
       "10.1.168.192",
       "255.255.255.0",
       "192.168.1.1",
       "02-4B-7A-12-34-56",
       -1},
      {{0xFF, 0xFF, 0xFF, 0xFF},
       {0, 0, 0, 0},
       {0, 0, 0, 0},
       {0xAB, 0x00, 0xFF},
       {0xA5, 0x13},
       0,
       "255.255.255.255",
       "0.0.0.0",
       "0.0.0.0",
       "02-4B-7A-AB-00-FF",
       5029},
  };
  for (const auto& row : rows) {
    std::memcpy(dso.Bytes + 0x2F8, row.ip, 4);
    std::memcpy(dso.Bytes + 0x2FC, row.mask, 4);
    std::memcpy(dso.Bytes + 0x300, row.gateway, 4);
    std::memcpy(dso.Bytes + 0x304, row.port, 2);
    std::memcpy(dso.Bytes + 0x306, row.mac, 3);
    dso.Bytes[0x2F5] = row.dhcp;
    ServeBlocks();
    ASSERT_TRUE(QxInitSystem());
    EXPECT_STREQ(setup.LanIp, row.wantIp);
    EXPECT_STREQ(setup.LanIpAtStart, row.wantIp);
    EXPECT_STREQ(setup.LanNetmask, row.wantMask);
    EXPECT_STREQ(setup.LanGateway, row.wantGateway);
    EXPECT_STREQ(setup.LanMac, row.wantMac);
    EXPECT_EQ(setup.LanPort, row.wantPort);
    EXPECT_EQ(setup.LanPortAtStart, row.wantPort);
    EXPECT_EQ(setup.LanDhcp, row.dhcp);
  }
}

TEST_F(SystemStartTest, SpectrumDefaultsFollowTheTimebase) {
  qx::StoreF32(dso.Bytes + 0x138, 1e-3f);
  qx::StoreI32(dso.Bytes + 0x208, 4);     // alternation
  qx::StoreI32(dso.Bytes + 0x124, 1);     // XY
  qx::StoreF32(alt.Bytes + 0x14, 1e-3f);  // CH1's own time/div
  qx::StoreF32(alt.Bytes + 0xD8, 2e-3f);  // CH2's
  setup.FFTSource[0] = 1;
  setup.FFTSource[1] = 7;  // no such channel: the main time/div stands in
  setup.FFTSource[2] = -1;
  setup.FFTFullScreen = 1;
  setup.TrigLevelShown = 1;
  rgn.TrigLevelLineOn = 1;
  ServeBlocks();
  ASSERT_TRUE(QxInitSystem());
  const float want[4] = {2500.0f, 5000.0f, 5000.0f, 5000.0f};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(setup.FFTTimeScale[i], want[i]) << i;
    EXPECT_FLOAT_EQ(setup.FFTTimeOffset[i], 7.0f * want[i]) << i;
    EXPECT_EQ(setup.FFTZoomCode[i], 4);
  }
  EXPECT_EQ(setup.FFTFullScreen, 0);
  EXPECT_EQ(setup.TrigLevelShown + rgn.TrigLevelLineOn, 0);
}

TEST_F(SystemStartTest, InitHardwareWritesOverUsbWhateverTheLink) {
  setup.ChanScale[0] = 0.5f;
  ASSERT_TRUE(QxInitHardware());
  EXPECT_EQ(usb.calls, kUsbBlockWrites);
  EXPECT_EQ(socket.SentTexts(), Texts{":STARTUP"});
  ASSERT_EQ(usb.blocksWritten.size(), 3u);
  EXPECT_EQ(qx::LoadF32(reinterpret_cast<const BYTE*>(usb.blocksWritten[0].data()) + 0x10), 0.5f);

  usb.calls.clear();
  UseUsb();
  usb.requestResult = [](int code) { return code == 15 ? 2 : 1; };  // only exactly 1 succeeds
  EXPECT_FALSE(QxInitHardware());
  EXPECT_EQ(usb.calls, Texts(kUsbBlockWrites.begin(), kUsbBlockWrites.begin() + 6));
  EXPECT_EQ(usb.written, "");

  usb.calls.clear();
  setup.Connected = 0;
  EXPECT_TRUE(QxInitHardware());
  EXPECT_TRUE(usb.calls.empty());
}

TEST_F(SystemStartTest, SetFirmwareSetupOverlaysTheRecordOnTheInstrumentsBlocks) {
  dso.Bytes[0x2F8] = 0xC0;  // the instrument's address stays
  setup.ChanScale[0] = 2.0f;
  setup.SelfCalEnable = 1;
  setup.LaGroup1 = 1;
  setup.LaGroup2 = 0;
  la.Bytes[0x56] = 1;
  for (bool onUsb : {false, true}) {
    SCOPED_TRACE(onUsb);
    if (onUsb) UseUsb();
    ServeBlocks();
    ASSERT_TRUE(QxSetFirmwareSetup());
    const qx::LinkState& l = qx::Link;
    EXPECT_EQ(l.FwDsoSetup.Bytes[0x2F8], 0xC0);
    EXPECT_EQ(qx::LoadF32(l.FwDsoSetup.Bytes + 0x10), 2.0f);
    EXPECT_EQ(l.FwDsoSetup.Bytes[0x2F4], 1);
    EXPECT_EQ(l.FwLaSetup.Bytes[0x44], 1);
    EXPECT_EQ(l.FwLaSetup.Bytes[0x56], 0);
    EXPECT_EQ(rgn.CmdBusy, 0);
  }
  Texts want = kBlockQueries;
  want.push_back(":STARTUP");
  EXPECT_EQ(socket.SentTexts(), want);  // LAN: no block write
  Texts usbWant = kUsbBlockReads;
  usbWant.insert(usbWant.end(), kUsbBlockWrites.begin(), kUsbBlockWrites.end());
  EXPECT_EQ(UsbCalls(15), usbWant);
  EXPECT_EQ(usb.written, ":STARTUP\r");
  EXPECT_EQ(std::memcmp(usb.blocksWritten[0].data(), qx::Link.FwDsoSetup.Bytes, 780), 0);
}

TEST_F(SystemStartTest, FirmwareBlocksToAndFromTheHostsCopies) {
  DSO_SETUP d;
  _QX_LA_SETUP l;
  DSO_ALT_SETUP a;
  std::memset(&d, 0x77, sizeof d);
  EXPECT_TRUE(QxReadFirmwareSetup(&d, &l, &a));  // LAN: nothing moves
  EXPECT_TRUE(QxWriteFirmwareSetup(&d, &l, &a));
  EXPECT_EQ(d.Bytes[0], 0x77);
  EXPECT_TRUE(socket.sent.empty() && usb.calls.empty());

  UseUsb();
  ServeBlocks();
  dso.Bytes[0] = 0x11;
  EXPECT_TRUE(QxReadFirmwareSetup(&d, &l, &a));
  EXPECT_EQ(d.Bytes[0], 0x11);
  EXPECT_TRUE(QxWriteFirmwareSetup(&d, &l, &a));
  Texts want = kUsbBlockReads;
  want.insert(want.end(), kUsbBlockWrites.begin(), kUsbBlockWrites.end());
  EXPECT_EQ(usb.calls, want);  // and no ":STARTUP"
  EXPECT_FALSE(QxReadFirmwareSetup(nullptr, &l, &a));
}

// CH1 shown at 1 V/div, DC, probe x1; edge trigger on CH1, rising, 0 V;
// 500 us/div; AUTO sweep; real time, 16 averages.
TEST_F(SystemStartTest, StartFromARealisticInstrument) {
  BYTE* d = dso.Bytes;
  d[0x0C] = 1;
  qx::StoreF32(d + 0x10, 1.0f);
  qx::StoreF32(d + 0x28, 1.0f);
  qx::StoreF32(d + 0x5C, 1.0f);
  qx::StoreF32(d + 0x74, 1.0f);
  qx::StoreF32(d + 0x138, 5e-4f);
  qx::StoreI64(d + 0x13C, 500'000'000);
  qx::StoreF32(d + 0x160, 1e8f);
  qx::StoreU16(d + 0x1C8, 4);
  qx::StoreU32(d + 0x1CC, 16384);
  qx::StoreI32(d + 0x20C, 0);  // running
  qx::StoreF32(d + 0x214, 0.3f);
  qx::StoreF32(d + 0x218, 1e-7f);
  ServeBlocks();
  ASSERT_TRUE(QxInitSystem());
  EXPECT_EQ(socket.SentTexts(), kBlockQueries);
  EXPECT_EQ(setup.ActiveChannel, ACTIVE_CH1);
  EXPECT_EQ(setup.ChanDisplay[0] * 10 + setup.ChanDisplay[1], 10);
  EXPECT_EQ(setup.ChanScale[0], 1.0f);
  EXPECT_EQ(setup.ChanProbe[0], 1.0f);
  EXPECT_EQ(setup.ChanCoupling[0], 0);
  EXPECT_EQ(setup.ChanScaleAtStop[0], 1.0f);
  EXPECT_EQ(setup.TrigType, TRIG_EDGE);
  EXPECT_EQ(setup.TrigEdgeSource, 0);
  EXPECT_EQ(setup.TrigEdgeLevel, 0.0f);
  EXPECT_EQ(setup.TrigSweep, 0);
  EXPECT_EQ(setup.TrigSensitivity, 0.3f);
  EXPECT_EQ(setup.TrigLevelShown, 1);
  EXPECT_EQ(setup.TrigStatus, 1);
  EXPECT_EQ(double{setup.TimeScale}, double{5e-4f});
  EXPECT_EQ(std::int64_t{setup.TimeScalePs}, 500'000'000);
  EXPECT_EQ(setup.RollOn, 0);
  EXPECT_EQ(setup.AcqMode, 1);
  EXPECT_EQ(setup.AcqAverages, 16u);
  EXPECT_EQ(setup.AcqMemDepth, 16384u);
  EXPECT_FLOAT_EQ(setup.FFTTimeScale[0], 10000.0f);
  EXPECT_EQ(setup.DispType, 0);
  EXPECT_EQ(rgn.CmdBusy, 0);
}

}  // namespace
