// The alternate trigger: CH1 and CH2 each with their own trigger type and
// settings. The lines name no channel; the instrument applies them to the
// channel of the last alternate source.
#include <algorithm>

#include "frame/handlers.h"
#include "horizontal/trigger_parts.h"

namespace qx::trigger {
namespace {

// The node of a channel's sensitivity, holdoff and coupling, by its type
// 0 EDGE, 1 PULSE, 2 SLOPE, 3 VIDEO; a type outside the table takes EDGE's.
struct AltNodes {
  const char* common;
  const char* coupling;
};
constexpr AltNodes kAltNodes[] = {
    {":ALTERNATION:EDGE", ":ALTERNATION:EDGE"},
    {":ALTERNATION:PULSE", ":ALTERNATION:PULSE"},
    {":ALTERNATION:SLOPE", ":ALTERNATION:SLOPE"},
    {":ALTERNATION:VIDEO", ":ALTERNATION"},
};

const AltNodes& NodesOf(int channel) {
  const std::int32_t type = Setup().AltTrigType[channel];
  return type >= 0 && type < 4 ? kAltNodes[type] : kAltNodes[0];
}

// A channel's level is held to that channel's own window, whatever the
// alternate source; the level is not a tracked change.
float StoreAltLevel(Control& c, float* levels) {
  const _QX_SETUP& s = Setup();
  levels[c.slot] = ValidateTrigLevel(c.f, s.ChanScale[c.slot], s.ChanOffset[c.slot], 0);
  return levels[c.slot];
}

void AfterAltLevel(Control& c, float level) {
  RebuildTrigLevelMarks();
  c.arg = level;
}

}  // namespace

const char* AltNode(const Control& c) { return NodesOf(c.slot).common; }
const char* AltCouplingNode(const Control& c) { return NodesOf(c.slot).coupling; }

void SetAltEdgeLevel(Control& c) { AfterAltLevel(c, StoreAltLevel(c, Setup().AltEdgeLevel)); }
void SetAltPulseLevel(Control& c) { AfterAltLevel(c, StoreAltLevel(c, Setup().AltPulseLevel)); }
void SetAltVideoLevel(Control& c) { AfterAltLevel(c, StoreAltLevel(c, Setup().AltVideoLevel)); }

// Level A of a slope channel never lies below its level B.
void SetAltSlopeLevelA(Control& c) {
  _QX_SETUP& s = Setup();
  const float a = StoreAltLevel(c, s.AltSlopeLevelA);
  s.AltSlopeLevelA[c.slot] = std::max(a, s.AltSlopeLevelB[c.slot]);
  AfterAltLevel(c, s.AltSlopeLevelA[c.slot]);
}

void SetAltSlopeLevelB(Control& c) {
  _QX_SETUP& s = Setup();
  const float b = StoreAltLevel(c, s.AltSlopeLevelB);
  s.AltSlopeLevelB[c.slot] = std::min(s.AltSlopeLevelA[c.slot], b);
  AfterAltLevel(c, s.AltSlopeLevelB[c.slot]);
}

}  // namespace qx::trigger
