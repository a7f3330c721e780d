// The read-back reconcile. After a command is sent with read-back, the
// library's block copies hold what the instrument reports; for the control
// just sent, the setting the instrument may have adjusted is copied back, so
// the instrument's value wins. One row per control group, in control order.
#include <iterator>

#include "frame/handlers.h"
#include "frame/messages.h"
#include "le_bytes.h"
#include "link/link_state.h"
#include "setup/block_layout.h"

namespace qx {
namespace {

namespace dso = layout::dso;
namespace la = layout::la;
namespace alt = layout::alt;

const BYTE* Dso(int offset) { return Link.FwDsoSetup.Bytes + offset; }
const BYTE* La(int offset) { return Link.FwLaSetup.Bytes + offset; }
const BYTE* Alt(int offset) { return Link.FwAltSetup.Bytes + offset; }

// Copies `value` into `field` only when they differ; true when it did. The
// rows whose follow-up steps should run only on a real change use it; rows
// without follow-ups simply assign, which has the same effect. Only fields
// of up to 4 bytes are bound by reference: the record is 4-byte packed, so
// its 8-byte fields may sit off their natural alignment.
template <typename Field, typename Value>
bool TakeWhenDifferent(Field& field, Value value) {
  static_assert(sizeof(Field) <= 4);
  if (field == static_cast<Field>(value)) return false;
  field = static_cast<Field>(value);
  return true;
}

// The probe of the channel a trigger source names (1 for any other source).
float SourceProbe(std::int32_t source) {
  const _QX_SETUP& s = Setup();
  return source == 0 ? s.ChanProbe[0] : source == 1 ? s.ChanProbe[1] : 1.0f;
}

// A trigger level the block holds at the probe tip's divided value: taken
// over (times the probe) when the record's level divided by the probe differs.
void TakeProbedLevel(float& level, int offset, std::int32_t source) {
  const float probe = SourceProbe(source);
  const float block = LoadF32(Dso(offset));
  if (level / probe != block) level = block * probe;
}

// The levels of the current trigger type, then their markers.
void RefreshTriggerLevels() {
  _QX_SETUP& s = Setup();
  switch (s.TrigType) {
    case TRIG_EDGE: s.TrigEdgeLevel = LoadF32(Dso(dso::TrigEdgeLevel)); break;
    case TRIG_PULSE: s.TrigPulseLevel = LoadF32(Dso(dso::TrigPulseLevel)); break;
    case TRIG_SLOPE:
      s.TrigSlopeLevelA = LoadF32(Dso(dso::TrigSlopeLevelA));
      s.TrigSlopeLevelB = LoadF32(Dso(dso::TrigSlopeLevelB));
      break;
    case TRIG_VIDEO: s.TrigVideoLevel = LoadF32(Dso(dso::TrigVideoLevel)); break;
    default: break;
  }
  RebuildTrigLevelMarks();
}

// The alternate-trigger sub-block that holds a channel's sensitivity and
// holdoff, by its trigger type (edge for any type the block does not know).
const alt::SubBlock& AltSubBlock(int c) {
  const std::int32_t type = Setup().AltTrigType[c];
  return type > 0 && type < static_cast<std::int32_t>(std::size(alt::kSubBlocks)) ? alt::kSubBlocks[type]
                                                                                  : alt::kSubBlocks[0];
}
const BYTE* AltSub(int c, int ch1Offset) { return Alt(ch1Offset + c * alt::kChannelStride); }

// A row applies to up to three control ids. Channel rows take c = 0 for CH1
// and 1 for any other value; alternate rows run only for 0 and 1.
enum class Scope { Global, Channel, Alternate };

struct ReadBackRow {
  unsigned int ctrlIds[3];
  Scope scope;
  void (*take)(int c);
};

constexpr ReadBackRow kRows[] = {
    // Vertical channels
    {{CTL_CH_SCALE, CTL_CH_OFFSET, CTL_CH_INVERT},
     Scope::Channel,
     [](int c) {
       _QX_SETUP& s = Setup();
       s.ChanScale[c] = LoadF32(Dso(dso::ChanScale[c]));
       s.ChanOffset[c] = LoadF32(Dso(dso::ChanOffset[c]));
       s.ChanInvert[c] = *Dso(dso::ChanInvert[c]);
       RefreshTriggerLevels();
     }},
    {{CTL_CH_COUPLING, CTL_CH_IMPEDANCE},
     Scope::Channel,
     [](int c) {
       Setup().ChanCoupling[c] = LoadI32(Dso(dso::ChanCoupling[c]));
       Setup().ChanImpedance[c] = LoadI32(Dso(dso::ChanImpedance[c]));
     }},
    {{CTL_CH_BWLIMIT}, Scope::Channel, [](int c) { Setup().ChanBWLimit[c] = *Dso(dso::ChanBWLimit[c]); }},
    {{CTL_CH_PROBE}, Scope::Channel, [](int) { RefreshTriggerLevels(); }},
    {{CTL_CH_DISPLAY},
     Scope::Channel,
     [](int c) {
       Setup().ChanDisplay[c] = *Dso(dso::ChanDisplay[c]);
       GetAcqSaRate();
     }},
    // Logic analyzer thresholds
    {{CTL_LA_THRESHOLD},
     Scope::Global,
     [](int) {
       _QX_SETUP& s = Setup();
       if (TakeWhenDifferent(s.LaThreshold, LoadF32(La(la::LaThreshold))) && s.LaThresholdType == 3)
         s.LaUserThreshold = s.LaThreshold;
     }},
    {{CTL_LA_USER_THRESHOLD},
     Scope::Global,
     [](int) { Setup().LaUserThreshold = LoadF32(La(la::LaUserThreshold)); }},
    // Timebase
    {{CTL_TIMEBASE_MODE},
     Scope::Global,
     [](int) {
       _QX_SETUP& s = Setup();
       if (!TakeWhenDifferent(s.DelayedOn, *Dso(dso::DelayedOn))) return;
       if (s.DelayedOn == 0) RaiseStatus(Msg::NotAvailableLowerLimitScale);
       if (s.DelayedOn == 1) GetTimeScalePara();
       RebuildRgnSetup();
       if (Rgn().CursorShown) RebuildCursorDiv();
     }},
    {{CTL_TIMEBASE_FORMAT},
     Scope::Global,
     [](int) {
       _QX_SETUP& s = Setup();
       if (TakeWhenDifferent(s.TimeFormat, LoadI32(Dso(dso::TimeFormat))) && s.TimeFormat == 1)
         GetTimeScalePara();
     }},
    {{CTL_TIMEBASE_OFFSET}, Scope::Global, [](int) { Setup().TimeOffset = LoadF64(Dso(dso::TimeOffset)); }},
    {{CTL_TIMEBASE_SCALE},
     Scope::Global,
     [](int) {
       _QX_SETUP& s = Setup();
       const float block = LoadF32(Dso(dso::TimeScale));
       if (static_cast<float>(s.TimeScale) != block) {  // compared as the block holds it
         s.TimeScale = block;
         s.TimeScalePs = LoadI64(Dso(dso::TimeScalePs));
       }
       GetAcqSaRate();
     }},
    {{CTL_DELAYED_OFFSET},
     Scope::Global,
     [](int) { Setup().DelayedOffset = LoadF64(Dso(dso::DelayedOffset)); }},
    {{CTL_DELAYED_SCALE},
     Scope::Global,
     [](int) {
       const double block = LoadF32(Dso(dso::DelayedScale));
       if (Setup().DelayedScale == block) return;
       Setup().DelayedScale = block;
       UpdateDelayedScaleMarks();
       Rgn().RedrawScreen = 1;
     }},
    // Acquire
    {{CTL_ACQ_TYPE}, Scope::Global, [](int) { Setup().AcqType = LoadI32(Dso(dso::AcqType)); }},
    {{CTL_ACQ_MODE},
     Scope::Global,
     [](int) { Setup().AcqMode = dso::EquivalentTime(Link.FwDsoSetup.Bytes) ? 0 : 1; }},
    {{CTL_ACQ_AVERAGES},
     Scope::Global,
     [](int) { Setup().AcqAverages = dso::Averages(Link.FwDsoSetup.Bytes); }},
    {{CTL_ACQ_MEMORY},
     Scope::Global,
     [](int) {
       const _QX_SETUP& s = Setup();
       if (s.RunState == 1 && (s.AcqMemFull != 0) == (LoadU32(Dso(dso::AcqMemFull)) != 0))
         ApplyMemoryDepthRule();
     }},
    // Trigger
    {{CTL_TRIG_TYPE}, Scope::Global, [](int) { Setup().TrigType = LoadI32(Dso(dso::TrigType)); }},
    {{CTL_TRIG_SENSITIVITY},
     Scope::Global,
     [](int) { Setup().TrigSensitivity = LoadF32(Dso(dso::TrigSensitivity)); }},
    {{CTL_TRIG_HOLDOFF}, Scope::Global, [](int) { Setup().TrigHoldoff = LoadF32(Dso(dso::TrigHoldoff)); }},
    {{CTL_EDGE_LEVEL}, Scope::Global, [](int) { Setup().TrigEdgeLevel = LoadF32(Dso(dso::TrigEdgeLevel)); }},
    {{CTL_PULSE_LEVEL},
     Scope::Global,
     [](int) { TakeProbedLevel(Setup().TrigPulseLevel, dso::TrigPulseLevel, Setup().TrigEdgeSource); }},
    {{CTL_PULSE_WIDTH},
     Scope::Global,
     [](int) { Setup().TrigPulseWidth = static_cast<double>(LoadF32(Dso(dso::TrigPulseWidth))); }},
    {{CTL_VIDEO_LEVEL},
     Scope::Global,
     [](int) { TakeProbedLevel(Setup().TrigVideoLevel, dso::TrigVideoLevel, Setup().TrigVideoSource); }},
    {{CTL_SLOPE_LEVELA},
     Scope::Global,
     [](int) { TakeProbedLevel(Setup().TrigSlopeLevelA, dso::TrigSlopeLevelA, Setup().TrigSlopeSource); }},
    {{CTL_SLOPE_LEVELB},
     Scope::Global,
     [](int) { TakeProbedLevel(Setup().TrigSlopeLevelB, dso::TrigSlopeLevelB, Setup().TrigSlopeSource); }},
    {{CTL_SLOPE_TIME},
     Scope::Global,
     [](int) { Setup().TrigSlopeTime = static_cast<double>(LoadF32(Dso(dso::TrigSlopeTime))); }},
    {{CTL_DURATION_TIME},
     Scope::Global,
     [](int) { Setup().TrigDurationTime = LoadF64(La(la::TrigDurationTime)); }},
    // Alternate trigger: CH2's field lies 0xC4 bytes after CH1's
    {{CTL_ALT_TYPE},
     Scope::Alternate,
     [](int c) { Setup().AltTrigType[c] = LoadI32(Alt(alt::AltTrigType[c])); }},
    {{CTL_ALT_SENSITIVITY},
     Scope::Alternate,
     [](int c) { Setup().AltSensitivity[c] = LoadF32(AltSub(c, AltSubBlock(c).sensitivity)); }},
    {{CTL_ALT_HOLDOFF},
     Scope::Alternate,
     [](int c) { Setup().AltHoldoff[c] = LoadF32(AltSub(c, AltSubBlock(c).holdoff)); }},
    {{CTL_ALT_TIMESCALE},
     Scope::Alternate,
     [](int c) { Setup().AltTimeScale[c] = LoadF32(Alt(alt::AltTimeScale[c])); }},
    {{CTL_ALT_TIMEOFFSET},
     Scope::Alternate,
     [](int c) { Setup().AltTimeOffsetPs[c] = LoadI64(Alt(alt::AltTimeOffsetPs[c])); }},
    {{CTL_ALT_EDGE_SLOPE},
     Scope::Alternate,
     [](int c) { Setup().AltEdgeSlope[c] = LoadI32(Alt(alt::EdgeSlope[c])); }},
    {{CTL_ALT_EDGE_LEVEL},
     Scope::Alternate,
     [](int c) { Setup().AltEdgeLevel[c] = LoadF32(Alt(alt::EdgeLevel[c])) * Setup().ChanProbe[c]; }},
    {{CTL_ALT_PULSE_LEVEL},
     Scope::Alternate,
     [](int c) { Setup().AltPulseLevel[c] = LoadF32(Alt(alt::PulseLevel[c])) * Setup().ChanProbe[c]; }},
    {{CTL_ALT_PULSE_WIDTH},
     Scope::Alternate,
     [](int c) { Setup().AltPulseWidth[c] = LoadF32(Alt(alt::PulseWidth[c])); }},
    {{CTL_ALT_SLOPE_TIME},
     Scope::Alternate,
     [](int c) { Setup().AltSlopeTime[c] = LoadF32(Alt(alt::SlopeTime[c])); }},
    {{CTL_ALT_SLOPE_LEVELA},
     Scope::Alternate,
     [](int c) { Setup().AltSlopeLevelA[c] = LoadF32(Alt(alt::SlopeLevelA[c])) * Setup().ChanProbe[c]; }},
    {{CTL_ALT_SLOPE_LEVELB},
     Scope::Alternate,
     [](int c) { Setup().AltSlopeLevelB[c] = LoadF32(Alt(alt::SlopeLevelB[c])) * Setup().ChanProbe[c]; }},
    {{CTL_ALT_VIDEO_LEVEL},
     Scope::Alternate,
     [](int c) { Setup().AltVideoLevel[c] = LoadF32(Alt(alt::VideoLevel[c])) * Setup().ChanProbe[c]; }},
};

const ReadBackRow* FindRow(unsigned int ctrlId) {
  for (const ReadBackRow& row : kRows)
    for (unsigned int id : row.ctrlIds)
      if (id != 0 && id == ctrlId) return &row;
  return nullptr;
}

}  // namespace

bool HasReadBackRow(unsigned int ctrlId) { return FindRow(ctrlId) != nullptr; }

void ReadBackReconcile(unsigned int ctrlId, long value) {
  const ReadBackRow* row = FindRow(ctrlId);
  if (!row) return;
  switch (row->scope) {
    case Scope::Global: row->take(0); break;
    case Scope::Channel: row->take(value == 0 ? 0 : 1); break;
    case Scope::Alternate:
      if (value == 0 || value == 1) row->take(static_cast<int>(value));
      break;
  }
}

}  // namespace qx
