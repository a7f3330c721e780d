// The IO command queue: a ring of 256 slots on the host's thread. A post is a
// fixed amount of work; a burst of identical posts collapses into one run of
// the dispatcher with the windows and message variable of its last post.
#include <cstring>

#include "frame/state.h"
#include "link/link_state.h"

namespace qx {
// Used until the host hands over its own objects, and for any it leaves null.
_QX_SETUP g_own_setup;
_QX_RGN_SETUP g_own_rgn;
_QX_POS_SETUP g_own_pos;
CWinSocket g_no_socket;

// The library's whole state lives in these three objects; QxMsgInit starts
// all of them over.
FrameState Frame = {nullptr, &g_own_setup, &g_own_rgn, &g_own_pos, &g_no_socket, {}, {}, 0, 0, &Dispatch};
CommandState Command;
LinkState Link;

std::int32_t VarInt(MsgVar v) { return static_cast<std::int32_t>(v.Low); }
std::uint32_t VarUint(MsgVar v) { return v.Low; }
float VarFloat(MsgVar v) {
  float f;
  std::memcpy(&f, &v.Low, sizeof f);
  return f;
}
double VarDouble(MsgVar v) {
  std::uint64_t bits = (static_cast<std::uint64_t>(v.High) << 32) | v.Low;
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}
std::int64_t VarInt64(MsgVar v) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(v.High) << 32) | v.Low);
}

namespace {
void SetLowWord(std::uint32_t bits) { Frame.Var.Low = bits; }
void SetBothWords(std::uint64_t bits) {
  Frame.Var.Low = static_cast<DWORD>(bits);
  Frame.Var.High = static_cast<DWORD>(bits >> 32);
}
bool SameCommand(const IOCmdSlot& a, const IOCmdSlot& b) {
  return a.CmdId == b.CmdId && a.CtrlId == b.CtrlId && a.Value == b.Value;
}
}  // namespace
}  // namespace qx

using qx::Frame;

void QxMsgInit(CWnd* mainWnd, _QX_SETUP* setup, _QX_RGN_SETUP* rgn, _QX_POS_SETUP* pos, CWinSocket* socket) {
  Frame.MainWnd = mainWnd;
  Frame.Setup = setup ? setup : &qx::g_own_setup;
  Frame.Rgn = rgn ? rgn : &qx::g_own_rgn;
  Frame.Pos = pos ? pos : &qx::g_own_pos;
  Frame.Socket = socket ? socket : &qx::g_no_socket;
  Frame.WriteIndex = 0;
  Frame.ReadIndex = 0;
  // The message-variable words of the slots, and the variable itself, stay.
  for (IOCmdSlot& slot : Frame.Queue) {
    slot.CmdId = 0;
    slot.CtrlId = 0;
    slot.Value = 0;
    slot.Wnd1 = slot.Wnd2 = slot.Wnd3 = nullptr;
  }
  // Nothing of an earlier instrument survives: its command strings, replies
  // and block copies are gone.
  qx::Command = qx::CommandState{};
  qx::Link = qx::LinkState{};
}

void SetMsgVarbool(bool value) { Frame.Var.Low = (Frame.Var.Low & ~0xFFu) | (value ? 1u : 0u); }
void SetMsgVarInt(int value) { qx::SetLowWord(static_cast<std::uint32_t>(value)); }
void SetMsgVarLong(long value) { qx::SetLowWord(static_cast<std::uint32_t>(value)); }
void SetMsgVarUINT(unsigned int value) { qx::SetLowWord(value); }
void SetMsgVarULong(unsigned long value) { qx::SetLowWord(static_cast<std::uint32_t>(value)); }
void SetMsgVarfloat(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  qx::SetLowWord(bits);
}
void SetMsgVarDouble(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  qx::SetBothWords(bits);
}
void SetMsgVarLONG64(std::int64_t value) { qx::SetBothWords(static_cast<std::uint64_t>(value)); }

bool QxPostIOCmd(unsigned long cmdId, unsigned int ctrlId, long value, CWnd* wnd1, CWnd* wnd2, CWnd* wnd3) {
  // A command id is a 32-bit word and 0 reads as an empty queue: neither
  // such post can be told apart later, so it is refused like a full queue.
  if (cmdId == 0 || cmdId > 0xFFFFFFFFul) return false;
  const unsigned next = (Frame.WriteIndex + 1) & qx::kQueueMask;
  if (next == Frame.ReadIndex) return false;  // full: the queue stays exactly as it was
  IOCmdSlot& slot = Frame.Queue[next];
  slot = IOCmdSlot{static_cast<UINT>(cmdId), ctrlId, value, wnd1, wnd2, wnd3, Frame.Var.Low, Frame.Var.High};
  Frame.WriteIndex = next;
  return true;
}

long GetIOCmd() {
  if (Frame.WriteIndex == Frame.ReadIndex) return 0;
  Frame.ReadIndex = (Frame.ReadIndex + 1) & qx::kQueueMask;
  return static_cast<long>(Frame.Queue[Frame.ReadIndex].CmdId);
}

void IOCmdProcess() {
  unsigned r = Frame.ReadIndex;
  // Collapse a run of identical commands into its last member; the test on
  // WriteIndex keeps the free slot behind the last pending one from being taken.
  while (qx::SameCommand(Frame.Queue[r], Frame.Queue[(r + 1) & qx::kQueueMask]) && r != Frame.WriteIndex) {
    r = Frame.ReadIndex = (r + 1) & qx::kQueueMask;
  }
  const IOCmdSlot slot = Frame.Queue[r];
  const MsgVar var{slot.MsgVarLow, slot.MsgVarHigh};
  Frame.Dispatch(slot.CmdId, var, slot.CtrlId, slot.Value, slot.Wnd1, slot.Wnd2);
  if (slot.Wnd3) Frame.Dispatch(slot.CmdId, var, slot.CtrlId, slot.Value, slot.Wnd1, slot.Wnd3);
}
