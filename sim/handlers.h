// The handlers of the commands that are more than a stored setting, by
// family, and the argument keywords the families share.
#pragma once

#include <string>

#include "sim/commands.h"

namespace qxsim::cmd {

// Trigger sources, as the instrument names them.
inline constexpr Word kSources[] = {
    {"CHANnel1", 0},   {"CHANnel2", 1},   {"EXT", 2},        {"EXT5", 3},       {"ACLine", 5},
    {"DIGital0", 6},   {"DIGital1", 7},   {"DIGital2", 8},   {"DIGital3", 9},   {"DIGital4", 10},
    {"DIGital5", 11},  {"DIGital6", 12},  {"DIGital7", 13},  {"DIGital8", 14},  {"DIGital9", 15},
    {"DIGital10", 16}, {"DIGital11", 17}, {"DIGital12", 18}, {"DIGital13", 19}, {"DIGital14", 20},
    {"DIGital15", 21},
};
inline constexpr Word kThresholds[] = {{"TTL", 0}, {"CMOS", 1}, {"ECL", 2}, {"USER", 3}};

// The command's number argument into `value`; the refusal, or null.
inline const char* Number(const Call& call, double& value) {
  const auto number = scpi::ParseNumber(call.argument);
  if (!number) return call.argument.empty() ? kMissingArgument : kBadArgument;
  value = *number;
  return nullptr;
}

// System (sim/cmd_system.cpp)
std::string QueryIdentity(const Model&, const Call&);
const char* DoClearStatus(Model& m, const Call&);
std::string QueryError(const Model& m, const Call&);
std::string QueryFpga(const Model&, const Call&);
const char* DoRun(Model&, const Call&);
const char* DoStop(Model&, const Call&);
const char* DoAuto(Model&, const Call&);
const char* DoDefault(Model&, const Call&);
const char* DoStartup(Model&, const Call&);
const char* DoClearUsb(Model&, const Call&);
std::string QueryBlock(const Model&, const Call&);  // aux: the BlockId
const char* SetAddress(Model&, const Call&);        // dotted IPv4 address
std::string QueryAddress(const Model&, const Call&);
const char* SetPort(Model&, const Call&);
std::string QueryPort(const Model&, const Call&);
std::string QueryMac(const Model&, const Call&);

// Acquire (sim/cmd_acquire.cpp)
const char* SetAverages(Model&, const Call&);
std::string QueryAverages(const Model&, const Call&);

// Analog channels (sim/cmd_channel.cpp)
const char* SetChanScale(Model&, const Call&);
const char* SetChanOffset(Model&, const Call&);
const char* SetChanProbe(Model&, const Call&);

// Timebase (sim/cmd_timebase.cpp)
const char* SetTimebaseMode(Model&, const Call&);
const char* SetTimeFormat(Model&, const Call&);
const char* SetTime(Model&, const Call&);       // a time in seconds into a picosecond field
const char* SetTimeScale(Model&, const Call&);  // the same, for a time/div: positive only
std::string QueryTime(const Model&, const Call&);

// Trigger (sim/cmd_trigger.cpp)
const char* SetTrigMode(Model&, const Call&);
const char* SetLevel(Model&, const Call&);       // edge: volts as sent; aux: the source field
const char* SetProbeLevel(Model&, const Call&);  // stored / probe of the source in aux
std::string QueryProbeLevel(const Model&, const Call&);
const char* SetAltLevel(Model&, const Call&);  // stored / probe of the alternate channel
std::string QueryAltLevel(const Model&, const Call&);
const char* SetAltSlopeLevelA(Model&, const Call&);  // kept >= level B (aux)
const char* SetAltSlopeLevelB(Model&, const Call&);  // kept <= level A (aux)
const char* SetAltCommonCoupling(Model&, const Call&);
const char* SetAltCommonSensitivity(Model&, const Call&);
const char* SetVideoStandard(Model&, const Call&);  // aux: the line field
const char* SetVideoLine(Model&, const Call&);      // aux: the standard field
const char* SetPattern(Model&, const Call&);        // aux: the LA code array
std::string QueryPattern(const Model&, const Call&);

// Logic analyzer (sim/cmd_la.cpp)
const char* SetDigitalTurn(Model&, const Call&);
const char* SetLaGroup(Model&, const Call&);
const char* SetThreshold(Model&, const Call&);
std::string QueryThreshold(const Model&, const Call&);

}  // namespace qxsim::cmd
