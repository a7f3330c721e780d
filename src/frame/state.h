// The library's module state: everything it holds between calls, in one
// place. The host's records, windows and socket are borrowed; the queue,
// the per-command strings and the reply buffer are the library's own.
#pragma once

#include "QxMsg.h"

namespace qx {

constexpr unsigned kQueueSlots = 256;
constexpr unsigned kQueueMask = kQueueSlots - 1;
constexpr int kReplyBufferBytes = 256;

// The command dispatcher's signature. IOCmdProcess reaches the dispatcher
// through FrameState::Dispatch so the queue can be observed on its own.
using DispatchFn = void (*)(unsigned long cmdId, MsgVar var, unsigned int ctrlId, long value, CWnd* wndA,
                            CWnd* wndB);
void Dispatch(unsigned long cmdId, MsgVar var, unsigned int ctrlId, long value, CWnd* wndA, CWnd* wndB);

struct FrameState {
  // Borrowed from the host by QxMsgInit (library-owned stand-ins until then,
  // so a call before QxMsgInit cannot touch a null record).
  CWnd* MainWnd;
  _QX_SETUP* Setup;
  _QX_RGN_SETUP* Rgn;
  _QX_POS_SETUP* Pos;
  CWinSocket* Socket;

  // The IO command queue: pending slots are ReadIndex + 1 .. WriteIndex.
  MsgVar Var;
  IOCmdSlot Queue[kQueueSlots];
  unsigned WriteIndex;
  unsigned ReadIndex;
  DispatchFn Dispatch;
};

// The command being dispatched: what the handler builds and the dispatcher sends.
struct CommandState {
  CString CmdString;
  CString QueryString;
  CString ParamString;
  bool SendFlag = false;
  bool ReadBackFlag = false;
  BYTE ReplyBuffer[kReplyBufferBytes] = {};
};

extern FrameState Frame;
extern CommandState Command;

inline _QX_SETUP& Setup() { return *Frame.Setup; }
inline _QX_RGN_SETUP& Rgn() { return *Frame.Rgn; }
inline _QX_POS_SETUP& Pos() { return *Frame.Pos; }

// The message variable read as the type a control implies.
inline bool VarBool(MsgVar v) { return (v.Low & 0xFF) != 0; }
inline BYTE VarByte(MsgVar v) { return static_cast<BYTE>(v.Low & 0xFF); }
std::int32_t VarInt(MsgVar v);
std::uint32_t VarUint(MsgVar v);
float VarFloat(MsgVar v);
double VarDouble(MsgVar v);
std::int64_t VarInt64(MsgVar v);

}  // namespace qx
