// System start: the instrument's three setup blocks read into the settings
// record (QxInitSystem), the record written to the instrument as a whole
// (QxInitHardware, QxSetFirmwareSetup), and the blocks moved to and from a
// host's own copies. Every write of the blocks ends with ":STARTUP", which
// makes the instrument apply them.
#include <cstdio>

#include "frame/state.h"
#include "le_bytes.h"
#include "link/link_state.h"
#include "setup/block_layout.h"

namespace {

namespace D = qx::layout::dso;
namespace LA = qx::layout::la;

using qx::layout::kBlockCount;
using qx::layout::kBlocks;

bool OnUsb() { return qx::Setup().InterfaceType == 0; }

// USB: false at the first failed block; the later blocks keep what they held.
bool UsbReadBlocks(BYTE* const (&blocks)[kBlockCount]) {
  for (int i = 0; i < kBlockCount; ++i)
    if (!qx::UsbBlockRead(kBlocks[i].size, blocks[i], kBlocks[i].readCode)) return false;
  return true;
}

// A block write succeeds only when its closing request answers exactly 1.
bool UsbWriteBlocks(const BYTE* const (&blocks)[kBlockCount]) {
  for (int i = 0; i < kBlockCount; ++i)
    if (qx::UsbBlockWrite(blocks[i], kBlocks[i].size, kBlocks[i].writeCode) != 1) return false;
  return true;
}

// Into the library's copies, each block's outcome recorded. LAN reads are
// not examined: a block that did not come whole keeps its previous contents.
bool ReadLibraryBlocks(QxBlockOutcome (&outcome)[kBlockCount]) { return qx::ReadBlocks(outcome) || !OnUsb(); }

bool WriteLibraryBlocks() { return UsbWriteBlocks({qx::BlockCopy(0), qx::BlockCopy(1), qx::BlockCopy(2)}); }

// The spectrum's horizontal defaults after a start: zoom code 4 (x1), the
// offset seven divisions in, the scale from the acquisition's time/div.
void ResetFFTHorizontal(_QX_SETUP& s) {
  for (int i = 0; i < 4; ++i) {
    s.FFTZoomCode[i] = 4;
    s.FFTTimeOffsetDiv[i] = 7.0f;
    // Under the alternate trigger the spectrum follows its source channel's
    // time/div; any source other than CH1 counts as CH2.
    const double t =
        s.TrigType == TRIG_ALTERNATION ? s.AltTimeScale[s.FFTSource[i] == 0 ? 0 : 1] : s.TimeScale;
    // Single precision, as the instrument computes it; IEEE rounding turns a
    // zero or out-of-range time/div into an infinity rather than a fault.
    s.FFTTimeScale[i] = 100.0f / (20.0f * static_cast<float>(t));
    s.FFTTimeOffset[i] = s.FFTTimeOffsetDiv[i] * s.FFTTimeScale[i];
  }
}

// An address word as dotted text, the most significant byte first.
void DottedAddress(char (&text)[16], std::uint32_t word) {
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", (word >> 24) & 0xFFu, (word >> 16) & 0xFFu,
                (word >> 8) & 0xFFu, word & 0xFFu);
}

// The instrument's LAN settings as the interface menus show them.
void TakeInterfaceSettings(_QX_SETUP& s, const BYTE* d) {
  DottedAddress(s.LanIp, qx::LoadU32(d + D::LanIp));
  DottedAddress(s.LanIpAtStart, qx::LoadU32(d + D::LanIp));
  DottedAddress(s.LanNetmask, qx::LoadU32(d + D::LanNetmask));
  DottedAddress(s.LanGateway, qx::LoadU32(d + D::LanGateway));
  // The first three octets are the maker's and fixed.
  const BYTE* mac = d + D::LanMacTail;
  std::snprintf(s.LanMac, sizeof s.LanMac, "02-4B-7A-%02X-%02X-%02X", unsigned{mac[0]}, unsigned{mac[1]},
                unsigned{mac[2]});
  s.LanPort = qx::LoadI16(d + D::LanPort);
  s.LanPortAtStart = s.LanPort;
  s.LanDhcp = d[D::LanDhcp];
}

}  // namespace

bool QxInitSystem() {
  _QX_SETUP& s = qx::Setup();
  _QX_RGN_SETUP& r = qx::Rgn();
  qx::LinkState& link = qx::Link;

  r.CmdBusy = 1;
  ReadCmdOPC();
  if (!ReadLibraryBlocks(link.Health.Start)) return false;  // CmdBusy stays set until the next dispatch
  QxPushSetup(&link.FwDsoSetup, &link.FwLaSetup, &link.FwAltSetup);

  s.DispFlag = 0;
  s.DispType = 0;  // vectors
  if (s.TrigType == TRIG_ALTERNATION) s.FFTFullScreen = 0;

  // Math traces need both channels acquired, shown or not.
  if (GetMathEnabled()) {
    WriteCommand(StrConnect(":CHANNEL1", ":DISPLAY", " ", "ON", ""));
    WriteCommand(StrConnect(":CHANNEL2", ":DISPLAY", " ", "ON", ""));
  }
  // A spectrum has no delayed timebase.
  if (GetFFTOperator()) {
    ReadCmdOPC();
    WriteCommand(StrConnect(":TIMEBASE", ":MODE", " ", "MAIN", ""));
    s.DelayedOn = 0;
  }
  ResetFFTHorizontal(s);
  if (s.TimeFormat != 0) {
    s.TrigLevelShown = 0;
    r.TrigLevelLineOn = 0;
  }
  TakeInterfaceSettings(s, link.FwDsoSetup.Bytes);

  r.RedrawFlag3 = 1;
  r.RedrawFlag4 = 1;
  r.CmdBusy = 0;
  RebuildRgnSetup();
  return true;
}

bool QxInitHardware() {
  qx::LinkState& link = qx::Link;
  QxPopSetup(&link.FwDsoSetup, &link.FwLaSetup, &link.FwAltSetup);
  if (qx::Setup().Connected == 1) {
    // The blocks go over USB whichever link is selected: only USB has a block write.
    if (!WriteLibraryBlocks()) return false;
    WriteCommand(":STARTUP");
  }
  return true;
}

bool QxSetFirmwareSetup() {
  const _QX_SETUP& s = qx::Setup();
  qx::LinkState& link = qx::Link;
  qx::Rgn().CmdBusy = 1;
  QxBlockOutcome outcome[kBlockCount];
  if (!ReadLibraryBlocks(outcome)) return false;

  // The record governs what it holds; every other byte keeps the instrument's value.
  QxPopSetup(&link.FwDsoSetup, &link.FwLaSetup, &link.FwAltSetup);
  link.FwDsoSetup.Bytes[D::SelfCalEnable] = s.SelfCalEnable;
  link.FwLaSetup.Bytes[LA::LaGroup1] = s.LaGroup1;
  link.FwLaSetup.Bytes[LA::LaGroup2] = s.LaGroup2;

  // The LAN link has no block write: there the instrument applies its own blocks.
  if (OnUsb() && !WriteLibraryBlocks()) return false;
  WriteCommand(":STARTUP");
  qx::Rgn().CmdBusy = 0;
  return true;
}

bool QxReadFirmwareSetup(DSO_SETUP* dso, _QX_LA_SETUP* la, DSO_ALT_SETUP* alt) {
  if (!OnUsb()) return true;
  if (!dso || !la || !alt) return false;
  return UsbReadBlocks({dso->Bytes, la->Bytes, alt->Bytes});
}

bool QxWriteFirmwareSetup(DSO_SETUP* dso, _QX_LA_SETUP* la, DSO_ALT_SETUP* alt) {
  if (!OnUsb()) return true;
  if (!dso || !la || !alt) return false;
  return UsbWriteBlocks({dso->Bytes, la->Bytes, alt->Bytes});
}
