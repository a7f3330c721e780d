// The command transport: text lines and setup blocks to the instrument over
// the host's LAN socket or its USB panel, chosen afresh on every call.
//
// LAN line:  text, "\r", NUL; then a pause the instrument needs to digest it.
// LAN reply: 4-byte little-endian signed length N, then N bytes.
// USB line:  text and "\r", one byte per call, no NUL.
// USB reply: one length byte N, then N bytes.
#include <cstring>
#include <memory>
#include <new>

#include "frame/state.h"
#include "le_bytes.h"
#include "link/link_state.h"
#include "usb_panel.h"

namespace qx {
namespace {

// The pause after a LAN line, by exact line: ":AUTO" makes the instrument
// search for a signal, ":STOP" ends an acquisition in progress.
struct PacingRow {
  const char* line;  // with its "\r"
  DWORD ms;
};
constexpr PacingRow kPacing[] = {
    {":AUTO\r", 10000},
    {":STOP\r", 200},
};
constexpr DWORD kDefaultPacingMs = 100;

// The setup blocks, in the order they always travel.
struct BlockRow {
  const char* query;  // LAN
  int size;
  int readCode;  // USB request that precedes the block read
  BYTE* copy;    // the library's copy
};
constexpr BlockRow kBlocks[] = {
    {":SETUP:DSO?", 780, 6, Link.FwDsoSetup.Bytes},
    {":SETUP:LA?", 260, 12, Link.FwLaSetup.Bytes},
    {":SETUP:ALT?", 396, 13, Link.FwAltSetup.Bytes},
};
static_assert(kBlocks[0].size == sizeof(DSO_SETUP) && kBlocks[1].size == sizeof(_QX_LA_SETUP) &&
              kBlocks[2].size == sizeof(DSO_ALT_SETUP));

constexpr int kAnnounceWriteCode = 2;
constexpr int kPrefixBytes = 4;

CWinSocket& Socket() { return *Frame.Socket; }
bool IsUsb() { return Setup().InterfaceType == 0; }

DWORD PacingMs(const CString& line) {
  for (const PacingRow& row : kPacing)
    if (line == row.line) return row.ms;
  return kDefaultPacingMs;
}

// The pause follows every line, whatever the socket made of it.
int LanSend(const CString& line) {
  const int result = Socket().Send(line.GetString(), line.GetLength() + 1);  // + its NUL
  Sleep(PacingMs(line));
  return result;
}

// Discards whatever stale replies wait on the socket. An instrument that
// never stops talking is given up on after the reply wait's bound.
void LanDrain() {
  if (!Setup().Connected) return;
  std::unique_ptr<char[]> scratch(new (std::nothrow) char[kDrainBufferBytes]);
  if (!scratch) return;
  if (Socket().Receive(scratch.get(), kDrainBufferBytes) < 0) return;
  int result = 0;
  for (int round = 0; result >= 0 && round < kReplyWaitTries; ++round) {
    result = Socket().Receive(scratch.get(), kDrainBufferBytes);
    Sleep(kReplyWaitStepMs);
  }
}

struct Gathered {
  int bytes;  // gathered so far
  int last;   // result of the last Receive
};

// Receives `want` bytes as a stream socket delivers them, in pieces, each
// retry followed by a 10 ms pause. `triesLeft` is the budget of the whole
// reply, prefix and payload together: kReplyWaitTries pauses, 3 s in all.
Gathered Gather(BYTE* into, int want, int& triesLeft) {
  char* buffer = reinterpret_cast<char*>(into);
  Gathered g{0, Socket().Receive(buffer, want)};
  if (g.last > 0) g.bytes = g.last < want ? g.last : want;
  while (g.bytes < want && triesLeft > 0) {
    --triesLeft;
    g.last = Socket().Receive(buffer + g.bytes, want - g.bytes);
    Sleep(kReplyWaitStepMs);
    if (g.last > 0) g.bytes += g.last < want - g.bytes ? g.last : want - g.bytes;
  }
  return g;
}

// Receives one LAN reply, storing at most `bound` payload bytes; the rest of
// a longer reply stays on the socket for the next drain. Returns the payload
// bytes stored; with no payload byte at all, the last receive's result. A
// prefix that never completes, and a length of 0 or below, return the last
// length receive's result: nothing is stored, so a negative length reads
// like an empty reply rather than a failed one.
int LanReceiveReply(BYTE* reply, int bound) {
  int triesLeft = kReplyWaitTries;
  BYTE prefix[kPrefixBytes];
  const Gathered length = Gather(prefix, kPrefixBytes, triesLeft);
  if (length.bytes < kPrefixBytes) return length.last;
  Link.ReplyLength = LoadI32(prefix);
  if (Link.ReplyLength <= 0) return length.last;
  const int want = Link.ReplyLength < bound ? Link.ReplyLength : bound;
  const Gathered payload = Gather(reply, want, triesLeft);
  return payload.bytes > 0 ? payload.bytes : payload.last;
}

void ResetReplyLength() {
  Link.ReplyLength = 0;
  Link.ReplyLengthTail = 0;
}

// A LAN query after the reply length was reset: drain, line, reply.
int LanQuery(const CString& line, BYTE* reply, int bound) {
  LanDrain();
  LanSend(line);
  return LanReceiveReply(reply, bound);
}

// Stops at the first byte the device refuses; returns the bytes accepted.
int UsbSendLine(const CString& line) {
  QxPanelUsb& usb = PanelUsb();
  const UINT device = Setup().UsbDevice;
  int accepted = 0;
  while (accepted < line.GetLength() && usb.UsbWriteByte(device, static_cast<BYTE>(line.GetAt(accepted))))
    ++accepted;
  return accepted;
}

int UsbQuery(const CString& line, BYTE* reply) {
  if (UsbSendLine(line) == 0) return 0;
  QxPanelUsb& usb = PanelUsb();
  const UINT device = Setup().UsbDevice;
  if (!usb.UsbRead(device, 0, 1, reply)) return 0;
  const int length = reply[0];
  std::memset(reply, 0, kReplyBufferBytes);
  if (!usb.UsbRead(device, 1, length, reply)) return 0;
  return length;
}

// The most a setup query may store: the size of the block it names.
int SetupReplyBound(const CString& cmd) {
  for (const BlockRow& row : kBlocks)
    if (cmd == row.query) return row.size;
  return kReplyBufferBytes;
}

}  // namespace

bool UsbBlockRead(int size, BYTE* buffer, int code) {
  if (size < 0 || !buffer) return false;
  QxPanelUsb& usb = PanelUsb();
  const UINT device = Setup().UsbDevice;
  if (usb.UsbRequest(device, code, 0, 0, 0) != 1) return false;
  return usb.UsbBlockRead(device, size, buffer) != 0;
}

// Like every request, the closing one succeeds only with exactly 1, so the
// result is 1 or 0.
int UsbBlockWrite(const BYTE* buffer, int size, int code) {
  if (size < 0 || !buffer) return 0;
  QxPanelUsb& usb = PanelUsb();
  const UINT device = Setup().UsbDevice;
  if (usb.UsbRequest(device, kAnnounceWriteCode, size & 0xFFFF, size >> 16, 0) != 1) return 0;
  if (!usb.UsbBlockWrite(device, size, buffer)) return 0;
  return usb.UsbRequest(device, code, 0, 0, 0) == 1 ? 1 : 0;
}

}  // namespace qx

using qx::Setup;

int WriteCommand(CString cmd) {
  if (!Setup().Connected) return -1;
  cmd += '\r';
  return qx::IsUsb() ? qx::UsbSendLine(cmd) : qx::LanSend(cmd);
}

// The LAN query goes out even when not connected; only its drain is skipped.
int ReadCommand(CString cmd, BYTE* reply) {
  if (!reply) return 0;
  cmd += '\r';
  if (qx::IsUsb()) return qx::UsbQuery(cmd, reply);
  qx::ResetReplyLength();
  return qx::LanQuery(cmd, reply, qx::kReplyBufferBytes);
}

// Setup blocks are always read over the socket, whatever the link.
int ReadSetup(CString cmd, BYTE* block) {
  qx::ResetReplyLength();
  const int bound = qx::SetupReplyBound(cmd);
  cmd += '\r';
  if (!Setup().Connected) return -1;
  if (!block) return 0;
  return qx::LanQuery(cmd, block, bound);
}

void SendCommand(CString* cmd, BYTE*, bool readBack) {
  if (!cmd || WriteCommand(*cmd) == 0) return;
  // A rolling acquisition needs a second ":STOP" to come to rest.
  if (*cmd == ":STOP" && (Setup().RollOn == 1 || Setup().TimeFormat == 2)) {
    ReadCmdOPC();
    WriteCommand(*cmd);
  }
  if (*cmd != ":RUN") ReadCmdOPC();
  if (!readBack) return;
  if (qx::IsUsb()) {
    for (const qx::BlockRow& row : qx::kBlocks)
      if (!qx::UsbBlockRead(row.size, row.copy, row.readCode)) return;
  } else {
    for (const qx::BlockRow& row : qx::kBlocks) ReadSetup(row.query, row.copy);
  }
}

// The instrument signals completion by itself; nothing to fetch.
int ReadCmdOPC() { return 0; }

bool ReadSerial(BYTE* reply) { return ReadCommand("*IDN?", reply) != 0; }

bool ReadFPGAVersion(BYTE* reply) { return ReadCommand(":INFO:FPGA?", reply) != 0; }
