// The trigger: its type, the settings common to every type, the edge, pulse,
// video and slope triggers, the pattern and duration triggers over the
// digital channels, and the per-channel settings of the alternate trigger.
#include <iterator>

#include "frame/handlers.h"
#include "horizontal/trigger_parts.h"

namespace qx {
namespace {

using trigger::AltCouplingNode;
using trigger::AltNode;
using trigger::SourceName;

constexpr const char* kTypeWords[] = {"EDGE",        "PULSE",   "SLOPE",   "VIDEO",
                                      "ALTERNATION", "PATTERN", "DURATION"};
constexpr const char* kAltTypeWords[] = {"EDGE", "PULSE", "SLOPE", "VIDEO"};
constexpr const char* kSweepWords[] = {"AUTO", "NORMAL", "SINGLE"};
constexpr const char* kCouplingWords[] = {"DC", "AC", "HF", "LF"};
constexpr const char* kEdgeSlopeWords[] = {"POSITIVE", "NEGATIVE", "BOTH"};
constexpr const char* kConditionWords[] = {"+GREATERTHAN", "+LESSTHAN", "+EQUAL",
                                           "-GREATERTHAN", "-LESSTHAN", "-EQUAL"};
constexpr const char* kPolarityWords[] = {"POSITIVE", "NEGATIVE"};
constexpr const char* kSyncWords[] = {"ALLLINES", "LINE", "ODDFIELD", "EVENFIELD"};
constexpr const char* kStandardWords[] = {"NTSC", "PALSECAM"};
constexpr const char* kQualifierWords[] = {"GREATERTHAN", "LESSTHAN", "EQUAL"};

// Controls the host sends without a setting of their own: the first two go
// out as ":TRIGGER:TYPE " with nothing after the blank (the second keeps the
// channel's sampling rate), the third sends an empty line.
constexpr unsigned int kTypeLine = 0x7C1;
constexpr unsigned int kAltSampleRateLine = 0x7D7;
constexpr unsigned int kEmptyLine = 0x7D8;

// The node after ":TRIGGER" by the current type; "" leaves it out.
struct TypeNodes {
  const char* sweep;
  const char* sensitivity;
  const char* coupling;
};
constexpr TypeNodes kTypeNodes[] = {
    {":EDGE", ":EDGE", ":EDGE"},
    {":PULSE", ":PULSE", ":PULSE"},
    {":SLOPE", ":SLOPE", ":SLOPE"},
    {":VIDEO", ":VIDEO", ""},
    {":ALTERNATION", ":ALTERNATION", ":ALTERNATION"},
    {":PATTERN", "", ""},
    {":DURATION", "", ""},
};
constexpr TypeNodes kNoNodes = {"", "", ""};

const TypeNodes& CurrentNodes() {
  const std::int32_t type = Setup().TrigType;
  return type >= 0 && type < static_cast<std::int32_t>(std::size(kTypeNodes)) ? kTypeNodes[type] : kNoNodes;
}
const char* SweepNode(const Control&) { return CurrentNodes().sweep; }
const char* SensitivityNode(const Control&) { return CurrentNodes().sensitivity; }
const char* CouplingNode(const Control&) { return CurrentNodes().coupling; }

bool ShownChannel(std::int32_t source) {
  return (source == 0 || source == 1) && Setup().ChanDisplay[source] != 0;
}

// The source of the edge, pulse, slope and video types, by type.
std::int32_t SourceOfType(std::int32_t type) {
  const _QX_SETUP& s = Setup();
  switch (type) {
    case TRIG_EDGE: return s.TrigEdgeSource;
    case TRIG_PULSE: return s.TrigPulseSource;
    case TRIG_SLOPE: return s.TrigSlopeSource;
    default: return s.TrigVideoSource;
  }
}

// The alternate trigger shows CH1 and CH2 on the main timebase, without the
// logic analyzer, and splits the screen for a shown spectrum.
void EnterAlternation(_QX_SETUP& s) {
  s.ChanDisplay[0] = s.ChanDisplay[1] = 1;
  s.TrigLevelShown = 1;
  s.LaEnable = 0;
  s.FFTFullScreen = GetFFTOperator() ? 0 : 1;
  s.DelayedOn = 0;
}

void SetType(Control& c) {
  _QX_SETUP& s = Setup();
  const std::int32_t type = c.i;
  if ((s.TrigType == TRIG_ALTERNATION) != (type == TRIG_ALTERNATION)) RebuildCursorPt();
  s.TrigType = type;
  switch (type) {
    case TRIG_EDGE:
    case TRIG_PULSE:
    case TRIG_SLOPE:
    case TRIG_VIDEO: s.TrigLevelShown = ShownChannel(SourceOfType(type)) ? 1 : 0; break;
    case TRIG_PATTERN:
    case TRIG_DURATION: s.TrigLevelShown = 0; break;
    case TRIG_ALTERNATION: EnterAlternation(s); break;
    default: break;
  }
  SetChangeSetting();
  RebuildRgnSetup();
  if (Rgn().CursorShown) RebuildCursorDiv();
  c.arg = type;
}

void SetSweep(Control& c) {
  c.arg = Setup().TrigSweep = c.i;
  if (c.i >= 0 && c.i < static_cast<std::int32_t>(std::size(kSweepWords))) Rgn().ClearUsbPending = 1;
}

// A source other than a shown channel has no level line.
void SetSource(Control& c, std::int32_t& field) {
  field = c.i;
  if (!ShownChannel(field)) Rgn().TrigLevelLineOn = 0;
  RebuildTrigLevelMarks();
  SourceName(field, Command.ParamString);
}

// A level is held to the window of its own type's source, whatever the
// current type.
void SetLevel(Control& c, float& field, std::int32_t source) {
  c.arg = field = trigger::ValidLevel(c.f, source);
  RebuildTrigLevelMarks();
  SetChangeSetting();
}

void SetTimeText(double seconds) { GetTimeScaleString(Command.ParamString, seconds); }

void SetVideoStandard(Control& c) {
  _QX_SETUP& s = Setup();
  c.arg = s.TrigVideoStandard = c.i;
  s.TrigVideoLine = ValidateTrigVideoLine(s.TrigVideoLine, s.TrigVideoStandard);
}

void SetAltSource(Control& c) {
  Setup().AltSource = c.i;
  SourceName(c.i, Command.ParamString);
}

void SetAltVideoStandard(Control& c) {
  _QX_SETUP& s = Setup();
  c.arg = s.AltVideoStandard[c.slot] = c.i;
  s.AltVideoLine[c.slot] = static_cast<std::uint16_t>(ValidateTrigVideoLine(s.AltVideoLine[c.slot], c.i));
}

void SetAltVideoLine(Control& c) {
  _QX_SETUP& s = Setup();
  c.arg = s.AltVideoLine[c.slot] =
      static_cast<std::uint16_t>(ValidateTrigVideoLine(c.i, s.AltVideoStandard[c.slot]));
}

void RebuildMarks(const Control&) { RebuildTrigLevelMarks(); }

constexpr ControlRow kRows[] = {
    // Type and the settings common to every type
    {.ctrl = CTL_TRIG_TYPE,
     .reads = Var::Int,
     .action = SetType,
     .header = ":MODE",
     .format = Arg::Words,
     .words = kTypeWords,
     .after = {step::RedrawScreen, step::RedrawFlag4, step::RedrawFlag3, step::RefreshWave}},
    {.ctrl = CTL_TRIG_SWEEP,
     .reads = Var::Int,
     .action = SetSweep,
     .header = ":SWEEP",
     .format = Arg::Words,
     .words = kSweepWords,
     .noReadBackRow = true,
     .node = SweepNode},
    {.ctrl = CTL_TRIG_COUPLING,
     .reads = Var::Int,
     .action = [](Control& c) { c.arg = Setup().TrigCoupling = c.i; },
     .header = ":COUPLING",
     .format = Arg::Words,
     .words = kCouplingWords,
     .noReadBackRow = true,
     .node = CouplingNode},
    {.ctrl = CTL_TRIG_SENSITIVITY,
     .reads = Var::Float,
     .action = [](Control& c) { c.arg = Setup().TrigSensitivity = ValidateTrigSensitivity(c.f); },
     .header = ":SENSITIVITY",
     .format = Arg::Fixed42,
     .node = SensitivityNode},
    {.ctrl = CTL_TRIG_HOLDOFF,
     .reads = Var::Float,
     .action = [](Control& c) { c.arg = Setup().TrigHoldoff = ValidateTrigHoldoff(c.f); },
     .header = ":HOLDOFF",
     .format = Arg::Fixed9},
    // Edge trigger
    {.ctrl = CTL_EDGE_SLOPE,
     .reads = Var::Int,
     .action = [](Control& c) { c.arg = Setup().TrigEdgeSlope = c.i; },
     .header = ":EDGE:SLOPE",
     .format = Arg::Words,
     .words = kEdgeSlopeWords,
     .noReadBackRow = true},
    {.ctrl = CTL_EDGE_SOURCE,
     .reads = Var::Int,
     .action = [](Control& c) { SetSource(c, Setup().TrigEdgeSource); },
     .header = ":EDGE:SOURCE",
     .after = {step::RedrawFlag3},
     .noReadBackRow = true},
    {.ctrl = CTL_EDGE_LEVEL,
     .reads = Var::Float,
     .action = [](Control& c) { SetLevel(c, Setup().TrigEdgeLevel, Setup().TrigEdgeSource); },
     .header = ":EDGE:LEVEL",
     .format = Arg::Fixed6,
     .after = {step::RedrawFlag3}},
    // Pulse trigger
    {.ctrl = CTL_PULSE_SOURCE,
     .reads = Var::Int,
     .action = [](Control& c) { SetSource(c, Setup().TrigPulseSource); },
     .header = ":PULSE:SOURCE",
     .after = {step::RedrawFlag3},
     .noReadBackRow = true},
    {.ctrl = CTL_PULSE_MODE,
     .reads = Var::Int,
     .action = [](Control& c) { c.arg = Setup().TrigPulseWhen = c.i; },
     .header = ":PULSE:MODE",
     .format = Arg::Words,
     .words = kConditionWords,
     .noReadBackRow = true},
    {.ctrl = CTL_PULSE_LEVEL,
     .reads = Var::Float,
     .action = [](Control& c) { SetLevel(c, Setup().TrigPulseLevel, Setup().TrigPulseSource); },
     .header = ":PULSE:LEVEL",
     .format = Arg::Fixed6,
     .after = {step::RedrawFlag3}},
    {.ctrl = CTL_PULSE_WIDTH,
     .reads = Var::Double,
     .action = [](Control& c) { SetTimeText(Setup().TrigPulseWidth = ValidateTrigPulseWidth(c.d)); },
     .header = ":PULSE:WIDTH"},
    // Video trigger
    {.ctrl = CTL_VIDEO_SOURCE,
     .reads = Var::Int,
     .action = [](Control& c) { SetSource(c, Setup().TrigVideoSource); },
     .header = ":VIDEO:SOURCE",
     .after = {step::RedrawFlag3},
     .noReadBackRow = true},
    {.ctrl = CTL_VIDEO_POLARITY,
     .reads = Var::Int,
     .action = [](Control& c) { c.arg = Setup().TrigVideoPolarity = c.i; },
     .header = ":VIDEO:POLARITY",
     .format = Arg::Words,
     .words = kPolarityWords,
     .noReadBackRow = true},
    {.ctrl = CTL_VIDEO_MODE,
     .reads = Var::Int,
     .action = [](Control& c) { c.arg = Setup().TrigVideoSync = c.i; },
     .header = ":VIDEO:MODE",
     .format = Arg::Words,
     .words = kSyncWords,
     .noReadBackRow = true},
    {.ctrl = CTL_VIDEO_STANDARD,
     .reads = Var::Int,
     .action = SetVideoStandard,
     .header = ":VIDEO:STANDARD",
     .format = Arg::Words,
     .words = kStandardWords,
     .noReadBackRow = true},
    {.ctrl = CTL_VIDEO_LEVEL,
     .reads = Var::Float,
     .action = [](Control& c) { SetLevel(c, Setup().TrigVideoLevel, Setup().TrigVideoSource); },
     .header = ":VIDEO:LEVEL",
     .format = Arg::Fixed6,
     .after = {step::RedrawFlag3}},
    {.ctrl = CTL_VIDEO_LINE,
     .reads = Var::Int,
     .action =
         [](Control& c) {
           _QX_SETUP& s = Setup();
           c.arg = s.TrigVideoLine = ValidateTrigVideoLine(c.i, s.TrigVideoStandard);
         },
     .header = ":VIDEO:LINE",
     .format = Arg::Int,
     .noReadBackRow = true},
    // Slope trigger: levels A and B are independent
    {.ctrl = CTL_SLOPE_SOURCE,
     .reads = Var::Int,
     .action = [](Control& c) { SetSource(c, Setup().TrigSlopeSource); },
     .header = ":SLOPE:SOURCE",
     .after = {step::RedrawFlag3},
     .noReadBackRow = true},
    {.ctrl = CTL_SLOPE_MODE,
     .reads = Var::Int,
     .action = [](Control& c) { c.arg = Setup().TrigSlopeWhen = c.i; },
     .header = ":SLOPE:MODE",
     .format = Arg::Words,
     .words = kConditionWords,
     .noReadBackRow = true},
    {.ctrl = CTL_SLOPE_LEVELA,
     .reads = Var::Float,
     .action = [](Control& c) { SetLevel(c, Setup().TrigSlopeLevelA, Setup().TrigSlopeSource); },
     .header = ":SLOPE:LEVELA",
     .format = Arg::Fixed6,
     .after = {step::RedrawFlag3}},
    {.ctrl = CTL_SLOPE_LEVELB,
     .reads = Var::Float,
     .action = [](Control& c) { SetLevel(c, Setup().TrigSlopeLevelB, Setup().TrigSlopeSource); },
     .header = ":SLOPE:LEVELB",
     .format = Arg::Fixed6,
     .after = {step::RedrawFlag3}},
    {.ctrl = CTL_SLOPE_TIME,
     .reads = Var::Double,
     .action = [](Control& c) { c.arg = Setup().TrigSlopeTime = ValidateTrigSlopeTime(c.d); },
     .header = ":SLOPE:TIME",
     .format = Arg::Fixed9},
    // Pattern and duration triggers
    {.ctrl = CTL_PATTERN_BIT,
     .reads = Var::Int,
     .slot = Slot::Digital,
     .action = trigger::SetPatternBit,
     .noReadBackRow = true},
    {.ctrl = CTL_PATTERN_GROUP,
     .reads = Var::Int,
     .slot = Slot::Group,
     .action = trigger::SetPatternGroup,
     .noReadBackRow = true},
    {.ctrl = kTypeLine, .header = ":TYPE", .noReadBackRow = true},
    {.ctrl = CTL_DURATION_QUALIFIER,
     .reads = Var::Int,
     .action = [](Control& c) { c.arg = Setup().TrigDurationQualifier = c.i; },
     .header = ":DURATION:QUALIFIER",
     .format = Arg::Words,
     .words = kQualifierWords,
     .noReadBackRow = true},
    {.ctrl = CTL_DURATION_TIME,
     .reads = Var::Double,
     .action = [](Control& c) { SetTimeText(Setup().TrigDurationTime = ValidateTrigSlopeTime(c.d)); },
     .header = ":DURATION:TIME"},
    // Alternate trigger
    {.ctrl = CTL_ALT_SOURCE,
     .reads = Var::Int,
     .action = SetAltSource,
     .header = ":ALTERNATION:SOURCE",
     .after = {RebuildMarks, step::RedrawFlag3},
     .noReadBackRow = true},
    {.ctrl = CTL_ALT_TYPE,
     .reads = Var::Int,
     .slot = Slot::AltChannel,
     .action = [](Control& c) { c.arg = Setup().AltTrigType[c.slot] = c.i; },
     .header = ":ALTERNATION:TYPE",
     .format = Arg::Words,
     .words = kAltTypeWords,
     .after = {RebuildMarks, step::RedrawFlag3}},
    {.ctrl = kAltSampleRateLine,
     .reads = Var::Float,
     .slot = Slot::AltChannel,
     .action = [](Control& c) { Setup().AltSampleRate[c.slot] = c.f; },
     .header = ":TYPE",
     .noReadBackRow = true},
    {.ctrl = kEmptyLine, .noReadBackRow = true},
    {.ctrl = CTL_ALT_SENSITIVITY,
     .reads = Var::Float,
     .slot = Slot::AltChannel,
     .action = [](Control& c) { c.arg = Setup().AltSensitivity[c.slot] = ValidateTrigSensitivity(c.f); },
     .header = ":SENSITIVITY",
     .format = Arg::Fixed6,
     .node = AltNode},
    {.ctrl = CTL_ALT_HOLDOFF,
     .reads = Var::Float,
     .slot = Slot::AltChannel,
     .action = [](Control& c) { c.arg = Setup().AltHoldoff[c.slot] = ValidateTrigHoldoff(c.f); },
     .header = ":HOLDOFF",
     .format = Arg::Fixed9,
     .node = AltNode},
    {.ctrl = CTL_ALT_COUPLING,
     .reads = Var::Int,
     .slot = Slot::AltChannel,
     .action = [](Control& c) { c.arg = Setup().AltCoupling[c.slot] = c.i; },
     .header = ":COUPLING",
     .format = Arg::Words,
     .words = kCouplingWords,
     .noReadBackRow = true,
     .node = AltCouplingNode},
    {.ctrl = CTL_ALT_EDGE_SLOPE,
     .reads = Var::Int,
     .slot = Slot::AltChannel,
     .action = [](Control& c) { c.arg = Setup().AltEdgeSlope[c.slot] = c.i; },
     .header = ":ALTERNATION:EDGE:SLOPE",
     .format = Arg::Words,
     .words = kEdgeSlopeWords},
    {.ctrl = CTL_ALT_EDGE_LEVEL,
     .reads = Var::Float,
     .slot = Slot::AltChannel,
     .action = trigger::SetAltEdgeLevel,
     .header = ":ALTERNATION:EDGE:LEVEL",
     .format = Arg::Fixed6,
     .after = {step::RedrawFlag3}},
    {.ctrl = CTL_ALT_PULSE_MODE,
     .reads = Var::Int,
     .slot = Slot::AltChannel,
     .action = [](Control& c) { c.arg = Setup().AltPulseWhen[c.slot] = c.i; },
     .header = ":ALTERNATION:PULSE:MODE",
     .format = Arg::Words,
     .words = kConditionWords,
     .noReadBackRow = true},
    {.ctrl = CTL_ALT_PULSE_LEVEL,
     .reads = Var::Float,
     .slot = Slot::AltChannel,
     .action = trigger::SetAltPulseLevel,
     .header = ":ALTERNATION:PULSE:LEVEL",
     .format = Arg::Fixed6,
     .after = {step::RedrawFlag3}},
    {.ctrl = CTL_ALT_PULSE_WIDTH,
     .reads = Var::Double,
     .slot = Slot::AltChannel,
     .action = [](Control& c) { SetTimeText(Setup().AltPulseWidth[c.slot] = ValidateTrigPulseWidth(c.d)); },
     .header = ":ALTERNATION:PULSE:WIDTH"},
    {.ctrl = CTL_ALT_SLOPE_MODE,
     .reads = Var::Int,
     .slot = Slot::AltChannel,
     .action = [](Control& c) { c.arg = Setup().AltSlopeWhen[c.slot] = c.i; },
     .header = ":ALTERNATION:SLOPE:MODE",
     .format = Arg::Words,
     .words = kConditionWords,
     .noReadBackRow = true},
    {.ctrl = CTL_ALT_SLOPE_TIME,
     .reads = Var::Double,
     .slot = Slot::AltChannel,
     .action = [](Control& c) { c.arg = Setup().AltSlopeTime[c.slot] = ValidateTrigSlopeTime(c.d); },
     .header = ":ALTERNATION:SLOPE:TIME",
     .format = Arg::Fixed8},
    {.ctrl = CTL_ALT_SLOPE_LEVELA,
     .reads = Var::Float,
     .slot = Slot::AltChannel,
     .action = trigger::SetAltSlopeLevelA,
     .header = ":ALTERNATION:SLOPE:LEVELA",
     .format = Arg::Fixed6,
     .after = {step::RedrawFlag3}},
    {.ctrl = CTL_ALT_SLOPE_LEVELB,
     .reads = Var::Float,
     .slot = Slot::AltChannel,
     .action = trigger::SetAltSlopeLevelB,
     .header = ":ALTERNATION:SLOPE:LEVELB",
     .format = Arg::Fixed6,
     .after = {step::RedrawFlag3}},
    {.ctrl = CTL_ALT_VIDEO_POLARITY,
     .reads = Var::Int,
     .slot = Slot::AltChannel,
     .action = [](Control& c) { c.arg = Setup().AltVideoPolarity[c.slot] = c.i; },
     .header = ":ALTERNATION:VIDEO:POLARITY",
     .format = Arg::Words,
     .words = kPolarityWords,
     .noReadBackRow = true},
    {.ctrl = CTL_ALT_VIDEO_STANDARD,
     .reads = Var::Int,
     .slot = Slot::AltChannel,
     .action = SetAltVideoStandard,
     .header = ":ALTERNATION:VIDEO:STANDARD",
     .format = Arg::Words,
     .words = kStandardWords,
     .noReadBackRow = true},
    {.ctrl = CTL_ALT_VIDEO_MODE,
     .reads = Var::Int,
     .slot = Slot::AltChannel,
     .action = [](Control& c) { c.arg = Setup().AltVideoSync[c.slot] = c.i; },
     .header = ":ALTERNATION:VIDEO:MODE",
     .format = Arg::Words,
     .words = kSyncWords,
     .noReadBackRow = true},
    {.ctrl = CTL_ALT_VIDEO_LINE,
     .reads = Var::Int,
     .slot = Slot::AltChannel,
     .action = SetAltVideoLine,
     .header = ":ALTERNATION:VIDEO:LINE",
     .format = Arg::Int,
     .noReadBackRow = true},
    {.ctrl = CTL_ALT_VIDEO_LEVEL,
     .reads = Var::Float,
     .slot = Slot::AltChannel,
     .action = trigger::SetAltVideoLevel,
     .header = ":ALTERNATION:VIDEO:LEVEL",
     .format = Arg::Fixed6,
     .after = {step::RedrawFlag3}},
};

}  // namespace

const ControlTable kTriggerTable = {.cmdId = CMD_TRIGGER, .subsystem = ":TRIGGER", .rows = kRows};

void TriggerHandler(unsigned int ctrlId, long value, MsgVar var) {
  RunControl(kTriggerTable, ctrlId, value, var);
}

}  // namespace qx
