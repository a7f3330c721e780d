// What the trigger's files share: source names and windows, the level
// markers' inputs, and the actions of the pattern and alternate controls
// that the trigger's one control table names.
#pragma once

#include "frame/control_table.h"

namespace qx::trigger {

// The text a source code is sent as ("CHANNEL1", "DIGITAL2"; "" for code 4,
// negative codes and codes above 21). Only CH1 and CH2 show a level marker.
void SourceName(int code, CString& out);
// The volts per division and offset a source's level is held to.
float SourceScale(int code);
float SourceOffset(int code);
// A level for source s held to the source's window (EXT5: a fixed window).
float ValidLevel(float volts, int source);

// Pattern and duration triggers.
void SetPatternBit(Control& c);
void SetPatternGroup(Control& c);

// Alternate trigger: c.slot is the channel.
const char* AltNode(const Control& c);          // ":ALTERNATION:EDGE" ... by the channel's type
const char* AltCouplingNode(const Control& c);  // the same, without a node under VIDEO
void SetAltEdgeLevel(Control& c);
void SetAltPulseLevel(Control& c);
void SetAltVideoLevel(Control& c);
void SetAltSlopeLevelA(Control& c);
void SetAltSlopeLevelB(Control& c);

}  // namespace qx::trigger
