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

Texts First(const Texts& t, std::size_t n) { return Texts(t.begin(), t.begin() + std::min(n, t.size())); }
Texts Join(Texts a, const Texts& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A field by name, taken by value (the record is packed), and the value it must have.
struct Check {
  template <typename G, typename W>
  Check(const char* n, G g, W w) : name(n), got(static_cast<double>(g)), want(static_cast<double>(w)) {}
  const char* name;
  double got, want;
};
void ExpectAll(std::initializer_list<Check> checks) {
  for (const Check& c : checks) EXPECT_EQ(c.got, c.want) << c.name;
}

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
};

// Math needs both channels acquired and a spectrum no delayed timebase; the
// blocks as read govern the record, not the commands that follow them.
TEST_F(SystemStartTest, StartReadsBlocksThenSwitchesChannelsForMath) {
  dso.Bytes[0x120] = 1;  // delayed timebase on
  setup.MathDisplay[2] = 1;
  setup.MathOperator[2] = 3;  // FFT
  const char* commands[] = {":CHANNEL1:DISPLAY ON", ":CHANNEL2:DISPLAY ON", ":TIMEBASE:MODE MAIN"};
  for (bool onUsb : {false, true}) {
    SCOPED_TRACE(onUsb ? "USB" : "LAN");
    if (onUsb) UseUsb();
    ServeBlocks();
    ASSERT_TRUE(QxInitSystem());
    ExpectAll({{"ChanDisplay[0]", setup.ChanDisplay[0], 0},
               {"DelayedOn", setup.DelayedOn, 0},
               {"CmdBusy", rgn.CmdBusy, 0},
               {"RedrawFlag3", rgn.RedrawFlag3, 1},
               {"RedrawFlag4", rgn.RedrawFlag4, 1}});
  }
  EXPECT_EQ(socket.SentTexts(), Join(kBlockQueries, Texts(commands, commands + 3)));
  EXPECT_EQ(First(usb.calls, 6), kUsbBlockReads);
  EXPECT_EQ(usb.written, std::string(commands[0]) + "\r" + commands[1] + "\r" + commands[2] + "\r");
}

// The later blocks keep what they held, nothing is pushed and the command stays busy.
TEST_F(SystemStartTest, UsbFailurePartWayStopsAndStaysBusy) {
  UseUsb();
  ServeBlocks();
  usb.requestResult = [](int code) { return code == 12 ? 0 : 1; };
  std::memset(qx::Link.FwAltSetup.Bytes, 0x5A, sizeof qx::Link.FwAltSetup.Bytes);
  setup.ChanScale[0] = 7.0f;
  EXPECT_FALSE(QxInitSystem());
  EXPECT_EQ(usb.calls, (Texts{"request 6 0 0", "block-read 780", "request 12 0 0"}));
  ExpectAll({{"CmdBusy", rgn.CmdBusy, 1},
             {"ALT[0]", qx::Link.FwAltSetup.Bytes[0], 0x5A},
             {"ChanScale[0]", setup.ChanScale[0], 7}});
  const QxLinkHealth health = QxGetLinkHealth();
  EXPECT_EQ(std::vector<int>(health.Start, health.Start + 3),
            (std::vector<int>{QX_BLOCK_WHOLE, QX_BLOCK_FAILED, QX_BLOCK_NOT_READ}));
  EXPECT_FALSE(QxSetFirmwareSetup());
  EXPECT_EQ(usb.written, "");  // no ":STARTUP"
}

// On LAN a block that did not come whole keeps its contents and the start
// goes on; the host sees which block failed.
TEST_F(SystemStartTest, LanStartWithABlockNotWholeSaysWhich) {
  qx::StoreF32(dso.Bytes + 0x10, 2.0f);
  std::memset(qx::Link.FwLaSetup.Bytes, 0x5A, sizeof qx::Link.FwLaSetup.Bytes);
  socket.Reply(qxtest::LanReply(dso.Bytes, sizeof dso.Bytes));
  socket.Reply(qxtest::LanReply(alt.Bytes, sizeof alt.Bytes));  // a late ALT reply where LA's belongs
  EXPECT_TRUE(QxInitSystem());
  const QxLinkHealth health = QxGetLinkHealth();
  EXPECT_EQ(std::vector<int>(health.Start, health.Start + 3),
            (std::vector<int>{QX_BLOCK_WHOLE, QX_BLOCK_FAILED, QX_BLOCK_FAILED}));
  EXPECT_EQ(health.RefusedReplies + health.Timeouts, 2u);
  EXPECT_EQ(setup.ChanScale[0], 2.0f);
  EXPECT_EQ(qx::Link.FwLaSetup.Bytes[0], 0x5A);
}

// Each address is a little-endian word (its first number is the block's last
// byte); a port of 0xFFFF is -1. Ordinary values are checked against the simulator.
TEST_F(SystemStartTest, InterfaceSettingsFromTheDsoBlock) {
  const BYTE lan[] = {0xC0, 0xA8, 0x01, 0x0A, 0x00, 0xFF, 0xFF, 0xFF, 0x01,
                      0x01, 0xA8, 0xC0, 0xFF, 0xFF, 0x0B, 0x00, 0xFF};  // IP, mask, gateway, port, MAC tail
  std::memcpy(dso.Bytes + 0x2F8, lan, sizeof lan);
  dso.Bytes[0x2F5] = 1;  // DHCP
  ServeBlocks();
  ASSERT_TRUE(QxInitSystem());
  EXPECT_EQ(Texts({setup.LanIp, setup.LanIpAtStart, setup.LanNetmask, setup.LanGateway, setup.LanMac}),
            Texts({"10.1.168.192", "10.1.168.192", "255.255.255.0", "192.168.1.1", "02-4B-7A-0B-00-FF"}));
  ExpectAll({{"LanPort", setup.LanPort, -1},
             {"LanPortAtStart", setup.LanPortAtStart, -1},
             {"LanDhcp", setup.LanDhcp, 1}});
}

// Under the alternate trigger each spectrum follows its source channel's
// time/div; a source other than CH1 counts as CH2.
TEST_F(SystemStartTest, SpectrumDefaultsFollowTheTimebase) {
  qx::StoreF32(dso.Bytes + 0x138, 1e-3f);
  qx::StoreI32(dso.Bytes + 0x208, 4);     // alternation
  qx::StoreI32(dso.Bytes + 0x124, 1);     // XY
  qx::StoreF32(alt.Bytes + 0x14, 1e-3f);  // CH1's own time/div
  qx::StoreF32(alt.Bytes + 0xD8, 2e-3f);  // CH2's
  setup.FFTSource[0] = 1;
  setup.FFTSource[1] = 7;
  setup.FFTSource[2] = -1;
  setup.FFTFullScreen = setup.TrigLevelShown = rgn.TrigLevelLineOn = 1;
  ServeBlocks();
  ASSERT_TRUE(QxInitSystem());
  const float want[4] = {2500.0f, 2500.0f, 2500.0f, 5000.0f};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(setup.FFTTimeScale[i], want[i]) << i;
    EXPECT_FLOAT_EQ(setup.FFTTimeOffset[i], 7.0f * want[i]) << i;
    EXPECT_EQ(setup.FFTZoomCode[i], 4);
  }
  ExpectAll({{"FFTFullScreen", setup.FFTFullScreen, 0},
             {"TrigLevelShown", setup.TrigLevelShown, 0},
             {"TrigLevelLineOn", rgn.TrigLevelLineOn, 0}});
}

// The blocks go over USB whatever the link, and only an exact 1 from a request
// succeeds (what they carry is checked against the simulated instrument).
TEST_F(SystemStartTest, InitHardwareWritesOverUsbWhateverTheLink) {
  ASSERT_TRUE(QxInitHardware());
  EXPECT_EQ(usb.calls, kUsbBlockWrites);
  EXPECT_EQ(socket.SentTexts(), Texts{":STARTUP"});

  usb.calls.clear();
  UseUsb();
  usb.requestResult = [](int code) { return code == 15 ? 2 : 1; };
  EXPECT_FALSE(QxInitHardware());
  EXPECT_EQ(usb.calls, First(kUsbBlockWrites, 6));
  EXPECT_EQ(usb.written, "");

  usb.calls.clear();
  setup.Connected = 0;
  EXPECT_TRUE(QxInitHardware());
  EXPECT_TRUE(usb.calls.empty());
}

// The record governs what it holds; the instrument's other bytes stay. The
// LAN link has no block write.
TEST_F(SystemStartTest, SetFirmwareSetupOverlaysTheRecordOnTheInstrumentsBlocks) {
  dso.Bytes[0x2F8] = 0xC0;
  setup.ChanScale[0] = 2.0f;
  setup.SelfCalEnable = setup.LaGroup1 = 1;
  la.Bytes[0x56] = 1;
  for (bool onUsb : {false, true}) {
    SCOPED_TRACE(onUsb);
    if (onUsb) UseUsb();
    ServeBlocks();
    ASSERT_TRUE(QxSetFirmwareSetup());
    const qx::LinkState& l = qx::Link;
    ExpectAll({{"DSO 0x2F8", l.FwDsoSetup.Bytes[0x2F8], 0xC0},
               {"DSO 0x10", qx::LoadF32(l.FwDsoSetup.Bytes + 0x10), 2},
               {"DSO 0x2F4", l.FwDsoSetup.Bytes[0x2F4], 1},
               {"LA 0x44", l.FwLaSetup.Bytes[0x44], 1},
               {"LA 0x56", l.FwLaSetup.Bytes[0x56], 0},
               {"CmdBusy", rgn.CmdBusy, 0}});
  }
  EXPECT_EQ(socket.SentTexts(), Join(kBlockQueries, {":STARTUP"}));
  EXPECT_EQ(First(usb.calls, 15), Join(kUsbBlockReads, kUsbBlockWrites));
  EXPECT_EQ(usb.written, ":STARTUP\r");
  EXPECT_EQ(std::memcmp(usb.blocksWritten[0].data(), qx::Link.FwDsoSetup.Bytes, 780), 0);
}

// A host's own copies move over USB only, with no ":STARTUP"; on LAN nothing moves.
TEST_F(SystemStartTest, FirmwareBlocksToAndFromTheHostsCopies) {
  DSO_SETUP d;
  _QX_LA_SETUP l;
  DSO_ALT_SETUP a;
  std::memset(&d, 0x77, sizeof d);
  EXPECT_TRUE(QxReadFirmwareSetup(&d, &l, &a));
  EXPECT_TRUE(QxWriteFirmwareSetup(&d, &l, &a));
  EXPECT_EQ(d.Bytes[0], 0x77);
  EXPECT_TRUE(socket.sent.empty() && usb.calls.empty());

  UseUsb();
  ServeBlocks();
  EXPECT_TRUE(QxReadFirmwareSetup(&d, &l, &a));
  EXPECT_TRUE(QxWriteFirmwareSetup(&d, &l, &a));
  EXPECT_EQ(usb.calls, Join(kUsbBlockReads, kUsbBlockWrites));
  EXPECT_FALSE(QxReadFirmwareSetup(nullptr, &l, &a));
}

// CH1 shown at 1 V/div, probe x1, edge trigger on CH1, 500 us/div, real
// time, 16 averages: the fields at the offsets the instrument documents, and
// what the start derives from them. The host's dots display goes back to vectors.
TEST_F(SystemStartTest, StartFromARealisticInstrument) {
  BYTE* d = dso.Bytes;
  d[0x0C] = 1;
  for (int at : {0x10, 0x28, 0x5C, 0x74}) qx::StoreF32(d + at, 1.0f);
  qx::StoreF32(d + 0x138, 5e-4f);
  qx::StoreI64(d + 0x13C, 500'000'000);
  qx::StoreU16(d + 0x1C8, 4);
  qx::StoreU32(d + 0x1CC, 16384);
  qx::StoreF32(d + 0x214, 0.3f);
  setup.DispType = 1;
  ServeBlocks();
  ASSERT_TRUE(QxInitSystem());
  EXPECT_EQ(socket.SentTexts(), kBlockQueries);
  const _QX_SETUP& s = setup;
  ExpectAll({{"ActiveChannel", s.ActiveChannel, ACTIVE_CH1},
             {"ChanDisplay[0]", s.ChanDisplay[0], 1},
             {"ChanScale[0]", s.ChanScale[0], 1},
             {"ChanProbe[0]", s.ChanProbe[0], 1},
             {"ChanScaleAtStop[0]", s.ChanScaleAtStop[0], 1},
             {"TrigSensitivity", s.TrigSensitivity, 0.3f},
             {"TrigLevelShown", s.TrigLevelShown, 1},
             {"TimeScale", s.TimeScale, 5e-4f},
             {"TimeScalePs", s.TimeScalePs, 500'000'000},
             {"AcqMode", s.AcqMode, 1},
             {"AcqAverages", s.AcqAverages, 16},
             {"AcqMemDepth", s.AcqMemDepth, 16384},
             {"DispType", s.DispType, 0}});
  EXPECT_FLOAT_EQ(setup.FFTTimeScale[0], 10000.0f);
}

}  // namespace
