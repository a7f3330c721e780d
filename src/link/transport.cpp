// The command transport: text lines and setup blocks to the instrument over
// the host's LAN socket or its USB panel, chosen afresh on every call.
//
// LAN line:  text, "\r", NUL; then a pause the instrument needs to digest it.
// LAN reply: 4-byte little-endian signed length N, then N bytes.
// USB line:  text and "\r", one byte per call, no NUL.
// USB reply: one length byte N, then N bytes.
// Setup blocks: see layout::kBlocks; a block is taken only whole.
#include <cstring>

#include "frame/state.h"
#include "le_bytes.h"
#include "link/link_state.h"
#include "setup/block_layout.h"
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

constexpr int kPrefixBytes = 4;
constexpr int kLargestBlock = layout::dso::kSize;

// The drain's scratch, allocated once with the library: a query allocates nothing.
char gDrainBuffer[kDrainBufferBytes];

CWinSocket& Socket() { return *Frame.Socket; }

// A real TCP link knows when its peer has closed: no reply can come after
// that, so no wait goes on for one. A host's own socket cannot tell, and is
// waited on to the bound.
bool PeerGone() {
  const auto* tcp = dynamic_cast<const QxTcpSocket*>(&Socket());
  return tcp && !tcp->IsConnected();
}
bool IsUsb() { return Setup().InterfaceType == 0; }

DWORD PacingMs(const CString& line) {
  for (const PacingRow& row : kPacing)
    if (line == row.line) return row.ms;
  return kDefaultPacingMs;
}

// The pause follows every line, whatever the socket made of it.
int LanSend(const CString& line) {
  const int result = Socket().Send(line.GetString(), line.GetLength() + 1);  // + its NUL
  if (result <= 0) ++Link.Health.FailedSends;
  Sleep(PacingMs(line));
  return result;
}

// Discards whatever stale replies wait on the socket. Stale bytes, or a
// reply that went wrong before, mean the rest of some reply may still be on
// its way: then the drain goes on until the link has been quiet for a while,
// so a late reply is not read as the answer to the next query. An
// instrument that never stops talking is given up on after the reply wait's
// bound, and the link stays out of step.
void LanDrain() {
  if (!Setup().Connected) return;
  CWinSocket& socket = Socket();
  const bool stale = socket.Receive(gDrainBuffer, kDrainBufferBytes) >= 0;
  if (!stale && !Link.OutOfStep) return;
  int quiet = 0;
  for (int round = 0; round < kReplyWaitTries && quiet < kQuietTries && !PeerGone(); ++round) {
    quiet = socket.Receive(gDrainBuffer, kDrainBufferBytes) > 0 ? 0 : quiet + 1;
    Sleep(kReplyWaitStepMs);
  }
  Link.OutOfStep = quiet < kQuietTries;
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
  while (g.bytes < want && triesLeft > 0 && !PeerGone()) {
    --triesLeft;
    g.last = Socket().Receive(buffer + g.bytes, want - g.bytes);
    Sleep(kReplyWaitStepMs);
    if (g.last > 0) g.bytes += g.last < want - g.bytes ? g.last : want - g.bytes;
  }
  return g;
}

struct Reply {
  int result;  // what the query returns
  bool whole;  // every byte announced came within the bound
};

// Receives one LAN reply, storing at most `bound` payload bytes; the rest of
// a longer reply stays on the socket for the next drain. `expect`, when not
// 0, is the only length taken: any other is refused at once, unread. The
// result is the payload bytes stored; with no payload byte at all, the last
// receive's result. A prefix that never completes, and a length of 0 or
// below, return the last length receive's result: nothing is stored, so a
// negative length reads like an empty reply rather than a failed one.
Reply LanReceiveReply(BYTE* into, int bound, int expect) {
  int triesLeft = kReplyWaitTries;
  BYTE prefix[kPrefixBytes];
  const Gathered length = Gather(prefix, kPrefixBytes, triesLeft);
  if (length.bytes < kPrefixBytes) {
    ++Link.Health.Timeouts;
    Link.OutOfStep = true;
    return {length.last, false};
  }
  Link.ReplyLength = LoadI32(prefix);
  if (expect != 0 && Link.ReplyLength != expect) {
    ++Link.Health.RefusedReplies;
    Link.OutOfStep = true;
    return {0, false};
  }
  if (Link.ReplyLength <= 0) return {length.last, true};
  if (Link.ReplyLength > bound) Link.OutOfStep = true;  // the rest goes with the next drain
  const int want = Link.ReplyLength < bound ? Link.ReplyLength : bound;
  const Gathered payload = Gather(into, want, triesLeft);
  if (payload.bytes == want) return {want, true};
  ++Link.Health.ShortReplies;
  Link.OutOfStep = true;
  return {payload.bytes > 0 ? payload.bytes : payload.last, false};
}

void ResetReplyLength() {
  Link.ReplyLength = 0;
  Link.ReplyLengthTail = 0;
}

// A LAN query after the reply length was reset: drain, line, reply. A line
// that could not go out has no reply to wait for.
Reply LanQuery(const CString& line, BYTE* into, int bound, int expect) {
  LanDrain();
  if (LanSend(line) <= 0) return {0, false};
  return LanReceiveReply(into, bound, expect);
}

// A setup block over the socket, taken only whole: its announced length is
// the block's size and all of it came. Otherwise the block keeps what it
// held and the result is 0 (or the last receive's, when no length came).
int LanQueryBlock(const CString& line, BYTE* block, int size) {
  BYTE scratch[kLargestBlock];
  const Reply reply = LanQuery(line, scratch, size, size);
  if (!reply.whole) return reply.result < 0 ? reply.result : 0;
  std::memcpy(block, scratch, static_cast<std::size_t>(size));
  return size;
}

// Stops at the first byte the device refuses; returns the bytes accepted.
int UsbSendLine(const CString& line) {
  QxPanelUsb& usb = PanelUsb();
  const UINT device = Setup().UsbDevice;
  int accepted = 0;
  while (accepted < line.GetLength() && usb.UsbWriteByte(device, static_cast<BYTE>(line.GetAt(accepted))))
    ++accepted;
  if (accepted < line.GetLength()) ++Link.Health.FailedSends;
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

// Which of the blocks a setup query names; -1 for any other text.
int BlockOfQuery(const CString& cmd) {
  for (int i = 0; i < layout::kBlockCount; ++i)
    if (cmd == layout::kBlocks[i].query) return i;
  return -1;
}

// A block read that fails leaves the block as it was, whatever the device
// wrote before it failed.
bool UsbReadBlock(int i, BYTE* block) {
  BYTE scratch[kLargestBlock];
  const layout::BlockTransfer& b = layout::kBlocks[i];
  if (!UsbBlockRead(b.size, scratch, b.readCode)) return false;
  std::memcpy(block, scratch, static_cast<std::size_t>(b.size));
  return true;
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
  if (usb.UsbRequest(device, layout::kAnnounceWriteCode, size & 0xFFFF, size >> 16, 0) != 1) return 0;
  if (!usb.UsbBlockWrite(device, size, buffer)) return 0;
  return usb.UsbRequest(device, code, 0, 0, 0) == 1 ? 1 : 0;
}

bool ReadBlocks(QxBlockOutcome (&outcome)[layout::kBlockCount]) {
  const bool usb = IsUsb();
  for (QxBlockOutcome& o : outcome) o = QX_BLOCK_NOT_READ;
  bool whole = true;
  for (int i = 0; i < layout::kBlockCount; ++i) {
    const bool ok =
        usb ? UsbReadBlock(i, BlockCopy(i)) : ReadSetup(layout::kBlocks[i].query, BlockCopy(i)) > 0;
    outcome[i] = ok ? QX_BLOCK_WHOLE : QX_BLOCK_FAILED;
    whole = whole && ok;
    if (!ok && usb) break;
  }
  return whole;
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
  return qx::LanQuery(cmd, reply, qx::kReplyBufferBytes, 0).result;
}

// Setup blocks are always read over the socket, whatever the link.
int ReadSetup(CString cmd, BYTE* block) {
  qx::ResetReplyLength();
  const int i = qx::BlockOfQuery(cmd);
  cmd += '\r';
  if (!Setup().Connected) return -1;
  if (!block) return 0;
  if (i < 0) return qx::LanQuery(cmd, block, qx::kReplyBufferBytes, 0).result;
  return qx::LanQueryBlock(cmd, block, qx::layout::kBlocks[i].size);
}

void SendCommand(CString* cmd, BYTE*, bool readBack) {
  qx::Link.ReadBackWhole = false;
  if (!cmd || WriteCommand(*cmd) == 0) return;
  // A rolling acquisition needs a second ":STOP" to come to rest.
  if (*cmd == ":STOP" && (Setup().RollOn == 1 || Setup().TimeFormat == 2)) {
    ReadCmdOPC();
    WriteCommand(*cmd);
  }
  if (*cmd != ":RUN") ReadCmdOPC();
  if (readBack) qx::Link.ReadBackWhole = qx::ReadBlocks(qx::Link.Health.ReadBack);
}

QxLinkHealth QxGetLinkHealth() { return qx::Link.Health; }

// The instrument signals completion by itself; nothing to fetch.
int ReadCmdOPC() { return 0; }

bool ReadSerial(BYTE* reply) { return ReadCommand("*IDN?", reply) != 0; }

bool ReadFPGAVersion(BYTE* reply) { return ReadCommand(":INFO:FPGA?", reply) != 0; }
