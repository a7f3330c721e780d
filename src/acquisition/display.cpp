// Display settings: drawing style, grid, intensities and the held traces.
// The host draws everything, so each control only stores its setting and
// asks for a redraw; nothing reaches the instrument.
#include "frame/handlers.h"

namespace qx {
namespace {

// The wave intensity is held while the display is locked.
Msg LockedRefusal(const Control&) { return Setup().DispLock == 1 ? Msg::NotAvailable : Allowed; }

// The lock is refused under the alternate trigger first, then in XY.
Msg LockRefusal(const Control&) {
  const _QX_SETUP& s = Setup();
  if (s.TrigType == TRIG_ALTERNATION) return Msg::NotAvailableAltTrigger;
  if (s.TimeFormat == 1) return Msg::NotAvailableXY;
  return Allowed;
}

// The grid is drawn in a grey whose level follows its intensity.
void StoreGridIntensity(Control& c) {
  _QX_SETUP& s = Setup();
  s.DispGridIntensity = ValidateGridIntensity(c.f);
  const UINT grey = static_cast<UINT>(static_cast<int>(s.DispGridIntensity * 255)) & 0xFF;
  s.DispGridColor = grey * 0x010101;
}

constexpr ControlRow kRows[] = {
    {.ctrl = CTL_DISP_TYPE,
     .reads = Var::Byte,
     .action = [](Control& c) { Setup().DispType = Setup().DispTypeSaved = c.byte; },
     .after = {step::RefreshWave},
     .leave = Leave::Host},
    {.ctrl = CTL_DISP_GRID,
     .reads = Var::Byte,
     .action = [](Control& c) { Setup().DispGrid = c.byte; },
     .after = {step::RefreshWave, step::RedrawScreen},
     .leave = Leave::Host},
    {.ctrl = CTL_DISP_FLAG,
     .reads = Var::Byte,
     .action =
         [](Control& c) {
           Setup().DispFlag = c.byte;
           if (c.byte == 0)
             Rgn().RedrawScreen = 1;
           else
             Rgn().RedrawFlag1 = 0;
         },
     .leave = Leave::Host},
    {.ctrl = CTL_DISP_CLEAR,
     .action =
         [](Control&) {
           _QX_SETUP& s = Setup();
           s.ChanStopWave[0] = s.ChanStopWave[1] = 0;
           s.LaEnableAtStop = 0;
         },
     .after = {step::RedrawScreen, step::RefreshWave},
     .leave = Leave::Host},
    {.ctrl = CTL_DISP_WAVE_INTENSITY,
     .reads = Var::Float,
     .guard = LockedRefusal,
     .action = [](Control& c) { Setup().DispWaveIntensity = ValidateWaveIntensity(c.f); },
     .after = {step::RefreshWave},
     .leave = Leave::Host},
    {.ctrl = CTL_DISP_GRID_INTENSITY,
     .reads = Var::Float,
     .action = StoreGridIntensity,
     .after = {step::RedrawScreen},
     .leave = Leave::Host},
    {.ctrl = CTL_DISP_LOCK,
     .reads = Var::Byte,
     .guard = LockRefusal,
     .action = [](Control& c) { Setup().DispLock = c.byte; },
     .after = {step::RefreshWave},
     .leave = Leave::Host},
};

}  // namespace

const ControlTable kDisplayTable = {.cmdId = CMD_DISPLAY, .rows = kRows};

void DisplayHandler(unsigned int ctrlId, long value, MsgVar var) {
  RunControl(kDisplayTable, ctrlId, value, var);
}

}  // namespace qx
