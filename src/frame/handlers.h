// The command handlers the dispatcher routes to, one per instrument function,
// and the read-back reconcile. Every handler has the same shape: it reads the
// message variable as its control implies, validates, updates the records,
// and leaves the command text in Command.CmdString for the dispatcher.
#pragma once

#include "frame/control_ids.h"
#include "frame/control_table.h"
#include "frame/state.h"

namespace qx {

using HandlerFn = void (*)(unsigned int ctrlId, long value, MsgVar var);

// What the dispatcher does after a function's handler: send the line it left
// and read the blocks back, or nothing (the handler sent what it needed, or
// the change stays on the host).
enum class RouteKind { SendWithReadBack, HandlerSends, HostOnly };
struct Route {
  unsigned long cmdId;
  HandlerFn handler;  // nullptr: nothing runs
  RouteKind kind;
};
std::span<const Route> Routes();
const Route* FindRoute(unsigned long cmdId);

void RunControlHandler(unsigned int ctrlId, long value, MsgVar var);
void ChannelHandler(unsigned int ctrlId, long value, MsgVar var);
void MathHandler(unsigned int ctrlId, long value, MsgVar var);
void RefHandler(unsigned int ctrlId, long value, MsgVar var);
void DigitalHandler(unsigned int ctrlId, long value, MsgVar var);
void TimebaseHandler(unsigned int ctrlId, long value, MsgVar var);
void TriggerHandler(unsigned int ctrlId, long value, MsgVar var);
void AcquireHandler(unsigned int ctrlId, long value, MsgVar var);
void DisplayHandler(unsigned int ctrlId, long value, MsgVar var);
void CursorManualHandler(unsigned int ctrlId, long value, MsgVar var);
void CursorTrackHandler(unsigned int ctrlId, long value, MsgVar var);
void PassFailHandler(unsigned int ctrlId, long value, MsgVar var);
void RecordHandler(unsigned int ctrlId, long value, MsgVar var);
void MeasureHandler(unsigned int ctrlId, long value, MsgVar var);
void InterfaceHandler(unsigned int ctrlId, long value, MsgVar var);

// Each instrument function's control table.
extern const ControlTable kRunControlTable;
extern const ControlTable kChannelTable;
extern const ControlTable kMathTable;
extern const ControlTable kRefTable;
extern const ControlTable kDigitalTable;
extern const ControlTable kTimebaseTable;
extern const ControlTable kTriggerTable;
extern const ControlTable kAcquireTable;
extern const ControlTable kDisplayTable;
extern const ControlTable kCursorManualTable;
extern const ControlTable kCursorTrackTable;
extern const ControlTable kPassFailTable;
extern const ControlTable kRecordTable;
extern const ControlTable kMeasureTable;
extern const ControlTable kInterfaceTable;

// The two views a host applies after editing the records itself.
void ApplyOffsetsHandler(unsigned int ctrlId, long value);
void ApplyScalesHandler(unsigned int ctrlId, long value);

// After a send with read-back: takes over what the instrument applied for
// the control just sent.
void ReadBackReconcile(unsigned int ctrlId, long value);
bool HasReadBackRow(unsigned int ctrlId);

// Follow-ups the reconcile shares with the handlers.
void ApplyMemoryDepthRule();     // acquire: depth from mode, timebase and channels
void RebuildTrigLevelMarks();    // trigger: the trigger-level marker points
void UpdateDelayedScaleMarks();  // timebase: delayed span and its trigger marker
// Timebase appliers of the views a host edited (flags: 0x100 scale, 0x1000
// offset), called by the apply-view controls.
void ApplyTimeBase(unsigned int ctrlId, long value, unsigned int flags);
void ApplyDelayedTimeBase(unsigned int ctrlId, long value, unsigned int flags);
void ApplyAltTimeBase(unsigned int ctrlId, int channel, std::int32_t window, unsigned int flags);
// Math: the unit of a result from its sources' units, and a spectrum's
// horizontal scale from the time base it follows.
const char* MathUnitFor(const char* a, const char* b, std::int32_t op);
float FFTHorizScaleFor(int slot);
// References: seconds and picosecond copies of the reference time bases.
void RefTimeFromPs();
void RefTimeToPs();

}  // namespace qx
