// Acquire: acquisition type, real-time or equivalent-time mode, number of
// averages, memory depth, and the two sampling rates the host reports.
#include "frame/handlers.h"

namespace qx {
namespace {

constexpr const char* kTypeWords[] = {"NORMAL", "AVERAGE", "PEAKDETECT"};
constexpr const char* kModeWords[] = {"ETIME", "RTIME"};  // 1: real time
constexpr const char* kMemoryWords[] = {"NORMAL", "FULL"};
constexpr UINT kFullMemoryPoints = 0x80000;  // 524288: "long memory" from here up

constexpr ControlRow kRows[] = {
    {.ctrl = CTL_ACQ_TYPE,
     .reads = Var::Int,
     .action = [](Control& c) { c.arg = Setup().AcqType = c.i; },
     .header = ":TYPE",
     .format = Arg::Words,
     .words = kTypeWords},
    {.ctrl = CTL_ACQ_MODE,
     .reads = Var::Byte,
     .action = [](Control& c) { c.arg = (Setup().AcqMode = c.byte) == 1; },
     .header = ":MODE",
     .format = Arg::Words,
     .words = kModeWords},
    {.ctrl = CTL_ACQ_AVERAGES,
     .reads = Var::Int,
     .action = [](Control& c) { c.arg = Setup().AcqAverages = static_cast<UINT>(ValidateAcqAvgNumber(c.i)); },
     .header = ":AVERAGES",
     .format = Arg::Int},
    {.ctrl = CTL_ACQ_MEMORY,
     .reads = Var::Uint,
     .action =
         [](Control& c) {
           _QX_SETUP& s = Setup();
           s.AcqMemDepth = c.u;
           s.AcqMemFull = s.AcqMemDepth >= kFullMemoryPoints ? 1 : 0;
           c.arg = s.AcqMemFull == 1;
         },
     .header = ":MEMORY",
     .format = Arg::Words,
     .words = kMemoryWords,
     .after = {step::RedrawFlag4, step::RedrawFlag2}},
    // The two rates are the host's report of what it samples at; only their
    // queries are prepared, nothing is set on the instrument.
    {.ctrl = CTL_ACQ_SAMPLE_RATE,
     .reads = Var::Float,
     .action = [](Control& c) { c.arg = Setup().AcqSampleRate = c.f; },
     .query = ":SAMPLINGRATE",
     .format = Arg::Fixed6,
     .noReadBackRow = true},
    {.ctrl = CTL_ACQ_SAMPLE_RATE2,
     .reads = Var::Float,
     .action = [](Control& c) { Setup().AcqSampleRate2 = c.f; },
     .query = ":MODE",
     .noReadBackRow = true},
};

// Memory depth the instrument uses, by memory mode and timebase: at 51 ns/div
// and faster, a single shown channel gets the memory of both.
struct MemoryDepths {
  UINT slow;            // TimeScale above 51 ns/div
  UINT fastOneChannel;  // at or below, exactly one channel shown
  UINT fastOther;       // at or below, both or none shown
};
constexpr MemoryDepths kDepthNormal = {4096, 8192, 4096};
constexpr MemoryDepths kDepthFull = {524288, 1048576, 524288};
constexpr double kFastTimeScale = 5.1e-8;

}  // namespace

const ControlTable kAcquireTable = {.cmdId = CMD_ACQUIRE, .subsystem = ":ACQUIRE", .rows = kRows};

void AcquireHandler(unsigned int ctrlId, long value, MsgVar var) { RunControl(kAcquireTable, ctrlId, value, var); }

void ApplyMemoryDepthRule() {
  _QX_SETUP& s = Setup();
  const MemoryDepths& depths = s.AcqMemFull != 0 ? kDepthFull : kDepthNormal;
  const bool oneChannel = (s.ChanDisplay[0] == 1) != (s.ChanDisplay[1] == 1);
  if (s.TimeScale > kFastTimeScale)
    s.AcqMemDepth = depths.slow;
  else
    s.AcqMemDepth = oneChannel ? depths.fastOneChannel : depths.fastOther;
}

}  // namespace qx
