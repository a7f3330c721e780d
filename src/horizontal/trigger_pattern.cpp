// Pattern and duration triggers: a condition code per digital channel D0..D15
// and the pattern text the instrument takes, "V,M" or "V,M,e,f".
#include "frame/command_text.h"
#include "horizontal/trigger_parts.h"

namespace qx::trigger {
namespace {

// Condition codes: the channel must be 1, must be 0, is ignored, or is the
// edge channel (flag 1 or 0). Any other code counts as ignored.
constexpr std::int32_t kHigh = 0;
constexpr std::int32_t kLow = 1;
constexpr std::int32_t kIgnored = 2;
constexpr std::int32_t kEdgeFlag1 = 3;
constexpr std::int32_t kEdgeFlag0 = 4;
constexpr int kChannels = 16;
constexpr int kGroupChannels = 8;

bool IsEdge(std::int32_t code) { return code == kEdgeFlag1 || code == kEdgeFlag0; }

// The pattern trigger keeps its own codes; every other type edits the
// duration trigger's.
std::int32_t* ArrayInUse() {
  _QX_SETUP& s = Setup();
  return s.TrigType == TRIG_PATTERN ? s.TrigPattern : s.TrigDuration;
}

// Value word V (bit i set for code 0), mask word M (codes 0, 1, 3, 4), and
// the highest edge channel with its flag.
void PatternText(const std::int32_t* codes, CString& out) {
  unsigned value = 0, mask = 0;
  int edge = -1, flag = 0;
  for (int i = 0; i < kChannels; ++i) {
    const std::int32_t code = codes[i];
    if (code == kHigh) value |= 1u << i;
    if (code == kHigh || code == kLow || IsEdge(code)) mask |= 1u << i;
    if (IsEdge(code)) edge = i, flag = code == kEdgeFlag1 ? 1 : 0;
  }
  if (edge >= 0)
    out.Format("%u,%u,%d,%d", value, mask, edge, flag);
  else
    out.Format("%u,%u", value, mask);
}

// Only the pattern and duration triggers have a line; under any other type
// the codes change and an empty line goes out.
void BuildPatternLine(const std::int32_t* codes) {
  PatternText(codes, Command.ParamString);
  const std::int32_t type = Setup().TrigType;
  if (type == TRIG_PATTERN) BuildCommandText(":TRIGGER", ":PATTERN", ":PATTERN");
  if (type == TRIG_DURATION) BuildCommandText(":TRIGGER", ":DURATION", ":PATTERN");
}

}  // namespace

// A new edge channel replaces the old one: at most one edge channel exists.
void SetPatternBit(Control& c) {
  std::int32_t* codes = ArrayInUse();
  if (IsEdge(c.i))
    for (int i = 0; i < kChannels; ++i)
      if (IsEdge(codes[i])) codes[i] = kIgnored;
  codes[c.slot] = c.i;
  BuildPatternLine(codes);
}

// A whole group takes the code, edge codes included (the text then names the
// highest edge channel).
void SetPatternGroup(Control& c) {
  std::int32_t* codes = ArrayInUse();
  for (int i = 0; i < kGroupChannels; ++i) codes[c.slot * kGroupChannels + i] = c.i;
  BuildPatternLine(codes);
}

}  // namespace qx::trigger
