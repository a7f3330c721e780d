// Run control: the front-panel keys that start and stop acquisition (AUTO,
// RUN, STOP, DEFAULT), the two acquisition states the host reports, and a
// clear of the pending command text. Besides the command, the host-side run
// state, the trigger status the user sees and the redraw requests follow.
#include "frame/command_text.h"
#include "frame/handlers.h"
#include "link/handler_link.h"

namespace qx {
namespace {

// TrigStatus: which of the keys or reports came last.
constexpr std::int32_t kStatusRunning = 0;
constexpr std::int32_t kStatusStopped = 1;
constexpr std::int32_t kStatusReported2 = 2;
constexpr std::int32_t kStatusReported3 = 3;
constexpr std::int32_t kStatusAuto = 4;

constexpr std::int32_t kRecordPlaying = 2;
constexpr std::int32_t kFormatRolling = 2;
// A rolling display needs at least 0.5 s/div.
constexpr std::int64_t kRollingMinScalePs = 500'000'000'000;

// Everything on screen is stale: the acquisition starts over.
void RedrawAll(const Control&) {
  _QX_RGN_SETUP& r = Rgn();
  r.ClearUsbPending = 1;
  r.RedrawFlag4 = 1;
  r.RedrawFlag2 = 1;
  r.RedrawScreen = 1;
  r.RedrawFlag3 = 1;
  r.RefreshWave = 1;
}

void Auto(Control&) {
  _QX_SETUP& s = Setup();
  s.AutoFlag0 = 1;
  s.AutoFlag1 = 0;
  if (s.RecordState == kRecordPlaying) {
    s.RecordState = 0;
    s.PlayRunning = 0;
  }
  SetChanEnabledStop(false);
  s.TrigStatus = kStatusAuto;
  s.DispTypeSaved = s.DispType;
  s.RunState = 1;
}

// A rolling display restarts at offset 0 and no faster than 0.5 s/div; the
// instrument must have taken the offset before the scale.
void RestartRolling() {
  _QX_SETUP& s = Setup();
  Command.ParamString.Format("%d", 0);
  BuildCommandText(":TIMEBASE", ":OFFSET");
  SendLineThenOpc(Command.CmdString);
  if (s.TimeScalePs <= kRollingMinScalePs) {
    s.TimeScalePs = kRollingMinScalePs;
    // The factor is single precision: 0.5 s/div reads 0.499999998 s.
    s.TimeScale = static_cast<double>(s.TimeScalePs) * static_cast<double>(1e-12f);
    Command.ParamString.Format("%0.9f", s.TimeScale);
    BuildCommandText(":TIMEBASE", ":SCALE");
    SendLine(Command.CmdString);
  }
  Rgn().RedrawFlag1 = 1;
  Rgn().RedrawFlag2 = 1;
}

void Run(Control&) {
  _QX_SETUP& s = Setup();
  _QX_RGN_SETUP& r = Rgn();
  SendLine(":CLEARUSB");
  if (s.TimeFormat == kFormatRolling) RestartRolling();
  s.DispTypeSaved = s.DispType;
  s.TrigStatus = kStatusRunning;
  SetChanEnabledStop(false);
  r.ClearUsbPending = 1;
  s.RunState = 1;
  r.RedrawFlag4 = 1;
  if (s.DispFlag == 1) r.RedrawScreen = 1;
  r.RefreshWave = 1;
  Command.ReadBackFlag = true;
}

void Stop(Control&) {
  _QX_SETUP& s = Setup();
  s.DispTypeSaved = s.DispType;
  if (s.RunState == 1) {
    Rgn().ClearUsbPending = 1;
    s.RunState = 0;
  }
  s.TrigStatus = kStatusStopped;
  if (s.PassFailOn == 1 && s.PassFailRun == 1) s.PassFailRun = 0;
}

void Reported(std::int32_t status) {
  Setup().RunState = 1;
  Setup().TrigStatus = status;
  Rgn().ClearUsbPending = 1;
}

constexpr ControlRow kRows[] = {
    // Only RUN reads the blocks back, and nothing of them is taken over.
    {.ctrl = CTL_AUTO,
     .action = Auto,
     .header = ":AUTO",
     .format = Arg::Bare,
     .after = {RedrawAll},
     .noReadBackRow = true},
    {.ctrl = CTL_RUN, .action = Run, .header = ":RUN", .format = Arg::Bare, .noReadBackRow = true},
    {.ctrl = CTL_STOP,
     .action = Stop,
     .header = ":STOP",
     .format = Arg::Bare,
     .after = {step::RedrawFlag4},
     .noReadBackRow = true},
    {.ctrl = CTL_RUN_STATE2, .action = [](Control&) { Reported(kStatusReported2); }, .leave = Leave::Host},
    {.ctrl = CTL_RUN_STATE3, .action = [](Control&) { Reported(kStatusReported3); }, .leave = Leave::Host},
    {.ctrl = CTL_DEFAULT,
     .action = [](Control&) { Setup().RunState = 1; },
     .header = ":DEFAULT",
     .format = Arg::Bare,
     .after = {RedrawAll},
     .noReadBackRow = true},
    {.ctrl = CTL_CLEAR_COMMAND,
     .action =
         [](Control&) {
           Command.CmdString.Empty();
           Command.QueryString.Empty();
           Command.ParamString.Empty();
         },
     .leave = Leave::Host},
};

}  // namespace

const ControlTable kRunControlTable = {.cmdId = CMD_RUN_CONTROL, .rows = kRows};

// Only RUN reads the blocks back.
void RunControlHandler(unsigned int ctrlId, long value, MsgVar var) {
  Command.ReadBackFlag = false;
  RunControl(kRunControlTable, ctrlId, value, var);
}

}  // namespace qx
