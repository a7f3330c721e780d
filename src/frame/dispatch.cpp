// The command dispatcher: runs one queued command from start to end. It
// routes the command to its handler, sends what the handler built, lets the
// read-back reconcile take over what the instrument applied, and tells the
// host's windows what happened.

#include "frame/handlers.h"
#include "frame/command_text.h"
#include "frame/messages.h"
#include "link/handler_link.h"

namespace qx {
namespace {

// --- Commands handled here rather than by an instrument function -----------

// Cursor mode keys. Mode 3 and track cursors are refused in XY format.
void CursorModeCommand(unsigned int ctrlId, long, MsgVar) {
  _QX_SETUP& s = Setup();
  _QX_RGN_SETUP& r = Rgn();
  switch (ctrlId) {
    case CTL_CURSOR_OFF:
      s.CursorMode = 0;
      r.CursorShown = 0;
      break;
    case CTL_CURSOR_MANUAL:
      s.CursorMode = 1;
      r.CursorShown = 1;
      break;
    case CTL_CURSOR_MODE3:
    case CTL_CURSOR_TRACK:
      if (s.TimeFormat == 1) {
        RaiseStatus(Msg::NotAvailableXY);
        break;
      }
      s.CursorMode = ctrlId == CTL_CURSOR_MODE3 ? 3 : 2;
      r.CursorShown = 1;
      break;
    default: break;
  }
}

void MiscCommand(unsigned int ctrlId, long, MsgVar) {
  _QX_SETUP& s = Setup();
  if (ctrlId == CTL_MISC_XY_REFUSED && s.TimeFormat == 1) {
    RaiseStatus(Msg::NotAvailableXY);
  } else if (ctrlId == CTL_MISC_CURSOR_MANUAL || ctrlId == CTL_MISC_CURSOR_TRACK) {
    s.CursorMode = ctrlId == CTL_MISC_CURSOR_MANUAL ? 1 : 2;
    Rgn().CursorShown = 1;
  }
}

// The instrument's self-calibration switch; whatever the control id, the
// message variable carries the new state.
void SelfCalCommand(unsigned int, long, MsgVar var) {
  _QX_SETUP& s = Setup();
  s.SelfCalEnable = VarByte(var);
  Command.ParamString = OnOff(s.SelfCalEnable == 1);
  BuildCommandText(":SELFCAL", ":ENABLE");
}

void CursorManualCommand(unsigned int ctrlId, long value, MsgVar var) {
  Setup().CursorMode = 1;
  CursorManualHandler(ctrlId, value, var);
}

void CursorTrackCommand(unsigned int ctrlId, long value, MsgVar var) {
  Setup().CursorMode = 2;
  CursorTrackHandler(ctrlId, value, var);
}

// The host edited scales or offsets in the records itself and asks for them
// to be validated and sent; these send their own commands.

void ApplyViewCommand(unsigned int ctrlId, long value, MsgVar) {
  _QX_SETUP& s = Setup();
  s.AutoFlag0 = 1;
  s.AutoFlag1 = 0;
  if (ctrlId == CTL_APPLY_OFFSETS) ApplyOffsetsHandler(ctrlId, value);
  if (ctrlId == CTL_APPLY_SCALES) ApplyScalesHandler(ctrlId, value);
}

// --- Routing ----------------------------------------------------------------
// The host's numbering leaves one function id unused; it routes nowhere.
constexpr unsigned long kUnusedFunction = 0xC4C;

constexpr Route kRoutes[] = {
    {CMD_CURSOR_MODE, CursorModeCommand, RouteKind::HostOnly},
    {CMD_SELFCAL, SelfCalCommand, RouteKind::SendWithReadBack},
    {CMD_MISC, MiscCommand, RouteKind::HostOnly},
    {CMD_RUN_CONTROL, RunControlHandler, RouteKind::SendWithReadBack},
    {CMD_CHANNEL, ChannelHandler, RouteKind::SendWithReadBack},
    {CMD_MATH, MathHandler, RouteKind::HandlerSends},
    {CMD_REF, RefHandler, RouteKind::HostOnly},
    {CMD_DIGITAL, DigitalHandler, RouteKind::SendWithReadBack},
    {CMD_TIMEBASE, TimebaseHandler, RouteKind::SendWithReadBack},
    {CMD_TRIGGER, TriggerHandler, RouteKind::SendWithReadBack},
    {CMD_ACQUIRE, AcquireHandler, RouteKind::SendWithReadBack},
    {CMD_DISPLAY, DisplayHandler, RouteKind::HostOnly},
    {CMD_CURSOR_MANUAL, CursorManualCommand, RouteKind::HostOnly},
    {CMD_CURSOR_TRACK, CursorTrackCommand, RouteKind::HostOnly},
    {CMD_PASS_FAIL, PassFailHandler, RouteKind::HostOnly},
    {CMD_RECORD, RecordHandler, RouteKind::HostOnly},
    {CMD_MEASURE, MeasureHandler, RouteKind::HostOnly},
    {kUnusedFunction, nullptr, RouteKind::HostOnly},
    {CMD_INTERFACE, InterfaceHandler, RouteKind::HandlerSends},
    {CMD_APPLY_VIEW, ApplyViewCommand, RouteKind::HandlerSends},
};

void Notify(CWnd* window, unsigned long message, unsigned int ctrlId, long value) {
  window->SendMessage(static_cast<UINT>(message), ctrlId, value);
}

}  // namespace

std::span<const Route> Routes() { return kRoutes; }

const Route* FindRoute(unsigned long cmdId) {
  for (const Route& route : kRoutes)
    if (route.cmdId == cmdId) return &route;
  return nullptr;
}

void Dispatch(unsigned long cmdId, MsgVar var, unsigned int ctrlId, long value, CWnd* wndA, CWnd* wndB) {
  _QX_RGN_SETUP& rgn = Rgn();

  // 1. A fresh command.
  Command.CmdString.Empty();
  Command.QueryString.Empty();
  Command.ParamString.Empty();
  Command.SendFlag = true;
  Command.ReadBackFlag = true;
  rgn.CmdBusy = 1;

  // 2, 3. Route; rows that send nothing at the end force that.
  const Route* route = FindRoute(cmdId);
  if (route && route->handler) route->handler(ctrlId, value, var);
  if (!route || route->kind != RouteKind::SendWithReadBack) Command.SendFlag = false;

  // 4, 5. Send whatever the handler left (an empty line goes out as a bare
  // carriage return and still reads back), then take over what was applied.
  if (Setup().Connected == 1 && Command.SendFlag) SendAndReconcile(Command.CmdString, ctrlId, value);

  // 6. The main window first, then the windows named with the command.
  if (ctrlId != CTL_STATUS_MESSAGE && Frame.MainWnd)
    Notify(Frame.MainWnd, cmdId == CMD_MISC ? QX_MSG_MISC : QX_MSG_NOTIFY, ctrlId, value);
  if (wndA && IsWindow(wndA->m_hWnd)) Notify(wndA, cmdId, ctrlId, value);
  if (wndB) Notify(wndB, cmdId, ctrlId, value);

  // 7. A status message raised during the command (or before it) is handed
  // over once, however many were raised.
  if (rgn.ErrorPending == 1) {
    rgn.ErrorShown = 1;
    rgn.ErrorPending = 0;
    if (Frame.MainWnd) Frame.MainWnd->SendMessage(QX_MSG_NOTIFY, CTL_STATUS_MESSAGE, 0);
  }

  // 8.
  rgn.CmdBusy = 0;
}

}  // namespace qx

void SetRefreshWave(bool) {
  const _QX_SETUP& s = qx::Setup();
  if ((s.RunState == 0 && s.RefreshFlag == 1) || (s.RunState != 0 && s.RefreshFlag == 0))
    qx::Rgn().RefreshWave = 1;
}
