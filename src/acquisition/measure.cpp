// The measurement list the host shows beside the waveforms: which
// measurements are selected, newest first, at most three. The host computes
// them; nothing is sent to the instrument.
#include <algorithm>

#include "frame/handlers.h"

namespace qx {
namespace {

constexpr std::int32_t kListSize = 3;
// Measurements that do not depend on the source: matched on the type alone.
constexpr std::int32_t kSourceFreeTypes[] = {19, 20};

Msg XYRefusal(const Control&) { return Setup().TimeFormat == 1 ? Msg::NotAvailableXY : Allowed; }

void RedrawMeasure(const Control&) { Rgn().RedrawMeasure = 1; }

bool SameMeasurement(const _QX_SETUP& s, int entry, std::int32_t type, std::int32_t source) {
  if (s.MeasureType[entry] != type) return false;
  const bool sourceFree =
      std::find(std::begin(kSourceFreeTypes), std::end(kSourceFreeTypes), type) != std::end(kSourceFreeTypes);
  return sourceFree || s.MeasureSource[entry] == source;
}

// Type from the variable, source from the command's value. A count the host
// left outside 0..3 is taken as the nearest end of the list.
void AddMeasurement(Control& c) {
  _QX_SETUP& s = Setup();
  const std::int32_t type = c.i;
  const auto source = static_cast<std::int32_t>(c.value);
  s.MeasureOn = 1;
  const std::int32_t count = std::clamp(s.MeasureCount, 0, kListSize);
  for (int k = 0; k < count; ++k) {
    if (SameMeasurement(s, k, type, source)) {
      s.MeasureSelected = k;
      RaiseStatus(Msg::MeasurementSelected);
      return;
    }
  }
  s.MeasureAll = 0;
  s.MeasureCount = std::min(count + 1, kListSize);
  for (int k = s.MeasureCount - 1; k >= 1; --k) {
    s.MeasureSource[k] = s.MeasureSource[k - 1];
    s.MeasureType[k] = s.MeasureType[k - 1];
  }
  s.MeasureSource[0] = source;
  s.MeasureType[0] = type;
  s.MeasureSelected = 0;
}

constexpr ControlRow kRows[] = {
    {.ctrl = CTL_MEASURE_ALL,
     .reads = Var::Int,
     .guard = XYRefusal,
     .action =
         [](Control& c) {
           _QX_SETUP& s = Setup();
           s.MeasureAll = 1;
           s.MeasureOn = 1;
           s.MeasureSource[0] = c.i;
           s.MeasureCount = 0;
         },
     .after = {RedrawMeasure, step::RefreshWave},
     .leave = Leave::Host},
    {.ctrl = CTL_MEASURE_ADD,
     .reads = Var::Int,
     .guard = XYRefusal,
     .action = AddMeasurement,
     .after = {RedrawMeasure, step::RefreshWave},
     .leave = Leave::Host},
    {.ctrl = CTL_MEASURE_CLEAR,
     .action =
         [](Control&) {
           _QX_SETUP& s = Setup();
           s.MeasureAll = 0;
           s.MeasureOn = 0;
           s.MeasureCount = 0;
           Rgn().RedrawMeasure = 0;
         },
     .after = {step::RefreshWave},
     .leave = Leave::Host},
};

}  // namespace

const ControlTable kMeasureTable = {.cmdId = CMD_MEASURE, .rows = kRows};

void MeasureHandler(unsigned int ctrlId, long value, MsgVar var) {
  RunControl(kMeasureTable, ctrlId, value, var);
}

}  // namespace qx
