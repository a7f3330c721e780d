// Pass/fail test settings. The host runs the mask test and counts; the
// library keeps its settings, refuses the test where the timebase cannot
// carry it, resets the counters and asks for a redraw. Nothing is sent.
#include "frame/handlers.h"

namespace qx {
namespace {

// The test needs the main timebase in YT or ROLLING.
bool TestRefused() {
  const _QX_SETUP& s = Setup();
  return s.DelayedOn == 1 || s.TimeFormat == 1;
}

Msg DisplayRefusal(const Control&) { return TestRefused() ? Msg::NotAvailable : Allowed; }

void ResetCounts() {
  for (std::int32_t& count : Setup().PassFailCount) count = 0;
}

// A stopped acquisition redraws its held wave at once, whatever the host's
// refresh rule says.
void RedrawTest() {
  Rgn().RedrawScreen = 1;
  if (Setup().RunState == 0) Rgn().RefreshWave = 1;
}

// Enabling goes by the new value alone; disabling is never refused.
void Enable(Control& c) {
  _QX_SETUP& s = Setup();
  s.PassFailOn = c.byte;
  if (s.PassFailOn == 1 && TestRefused()) {
    s.PassFailOn = 0;
    c.Refuse(Msg::NotAvailable);
    return;
  }
  ResetCounts();
  RedrawTest();
}

constexpr ControlRow kRows[] = {
    {.ctrl = CTL_PF_ENABLE, .reads = Var::Byte, .action = Enable, .leave = Leave::Host},
    {.ctrl = CTL_PF_SOURCE,
     .reads = Var::Int,
     .action = [](Control& c) { Setup().PassFailSource = c.i; },
     .leave = Leave::Host},
    {.ctrl = CTL_PF_RUN,
     .reads = Var::Byte,
     .action =
         [](Control& c) {
           Setup().PassFailRun = c.byte;
           if (c.byte != 0) ResetCounts();
         },
     .leave = Leave::Host},
    {.ctrl = CTL_PF_OPTION,
     .reads = Var::Int,
     .action = [](Control& c) { Setup().PassFailOption = c.i; },
     .leave = Leave::Host},
    {.ctrl = CTL_PF_HORIZ_RANGE,
     .reads = Var::Float,
     .action = [](Control& c) { Setup().PassFailHorizRange = ValidatePFHorizRange(c.f); },
     .leave = Leave::Host},
    {.ctrl = CTL_PF_VERT_RANGE,
     .reads = Var::Float,
     .action = [](Control& c) { Setup().PassFailVertRange = ValidatePFVertRange(c.f); },
     .leave = Leave::Host},
    {.ctrl = CTL_PF_FLAG1,
     .reads = Var::Byte,
     .action = [](Control& c) { Setup().PassFailFlag1 = c.byte; },
     .leave = Leave::Host},
    {.ctrl = CTL_PF_FLAG2,
     .reads = Var::Byte,
     .action = [](Control& c) { Setup().PassFailFlag2 = c.byte; },
     .leave = Leave::Host},
    {.ctrl = CTL_PF_DISPLAY,
     .reads = Var::Byte,
     .guard = DisplayRefusal,
     .action =
         [](Control& c) {
           Setup().PassFailDisplay = c.byte;
           if (Setup().PassFailOn == 1) RedrawTest();
         },
     .leave = Leave::Host},
};

}  // namespace

const ControlTable kPassFailTable = {.cmdId = CMD_PASS_FAIL, .rows = kRows};

void PassFailHandler(unsigned int ctrlId, long value, MsgVar var) {
  RunControl(kPassFailTable, ctrlId, value, var);
}

}  // namespace qx
