// Acquire: acquisition type, real-time or equivalent-time mode, number of
// averages, memory depth, and the two sampling rates the host reports.
//
// Every handler follows this pattern: read the message variable as the
// control implies, validate, store, build ParamString, then the command and
// its query. Sending and the read-back are the dispatcher's.
#include <iterator>

#include "frame/command_text.h"
#include "frame/handlers.h"

namespace qx {
namespace {

constexpr const char* kSubsystem = ":ACQUIRE";
constexpr const char* kTypeWords[] = {"NORMAL", "AVERAGE", "PEAKDETECT"};
constexpr UINT kFullMemoryPoints = 0x80000;  // 524288: "long memory" from here up

enum class VarType { Int, Byte, Uint, Float };

struct AcquireControl {
  unsigned int ctrlId;
  VarType reads;
  void (*store)(MsgVar v);  // validates, stores, and leaves ParamString
  const char* header;       // set command, or nullptr: the line stays empty
  const char* queryHeader;
};

constexpr AcquireControl kControls[] = {
    {CTL_ACQ_TYPE, VarType::Int,
     [](MsgVar v) {
       Setup().AcqType = VarInt(v);
       Command.ParamString = Keyword(kTypeWords, Setup().AcqType);
     },
     ":TYPE", ":TYPE"},
    {CTL_ACQ_MODE, VarType::Byte,
     [](MsgVar v) {
       Setup().AcqMode = VarByte(v);
       Command.ParamString = Setup().AcqMode == 1 ? "RTIME" : "ETIME";
     },
     ":MODE", ":MODE"},
    {CTL_ACQ_AVERAGES, VarType::Int,
     [](MsgVar v) {
       Setup().AcqAverages = static_cast<UINT>(ValidateAcqAvgNumber(VarInt(v)));
       Command.ParamString.Format("%d", static_cast<int>(Setup().AcqAverages));
     },
     ":AVERAGES", ":AVERAGES"},
    {CTL_ACQ_MEMORY, VarType::Uint,
     [](MsgVar v) {
       _QX_SETUP& s = Setup();
       s.AcqMemDepth = VarUint(v);
       s.AcqMemFull = s.AcqMemDepth >= kFullMemoryPoints ? 1 : 0;
       Rgn().RedrawFlag4 = 1;
       Rgn().RedrawFlag2 = 1;
       Command.ParamString = s.AcqMemFull == 1 ? "FULL" : "NORMAL";
     },
     ":MEMORY", ":MEMORY"},
    {CTL_ACQ_SAMPLE_RATE, VarType::Float,
     [](MsgVar v) {
       Setup().AcqSampleRate = VarFloat(v);
       Command.ParamString.Format("%f", Setup().AcqSampleRate);
     },
     nullptr, ":SAMPLINGRATE"},
    {CTL_ACQ_SAMPLE_RATE2, VarType::Float, [](MsgVar v) { Setup().AcqSampleRate2 = VarFloat(v); }, nullptr,
     ":MODE"},
};

const AcquireControl* FindControl(unsigned int ctrlId) {
  for (const AcquireControl& control : kControls)
    if (control.ctrlId == ctrlId) return &control;
  return nullptr;
}

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

void AcquireHandler(unsigned int ctrlId, long, MsgVar var) {
  const AcquireControl* control = FindControl(ctrlId);
  if (!control) {
    Command.SendFlag = false;
    return;
  }
  if (control->reads == VarType::Float && RefuseNaN(VarFloat(var))) return;
  control->store(var);
  if (control->header) BuildCommandText(kSubsystem, control->header);
  BuildQueryText(kSubsystem, control->queryHeader);
}

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
