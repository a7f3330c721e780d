#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

#include "convert.h"
#include "sim/commands.h"
#include "sim/handlers.h"

namespace qxsim::cmd {
namespace {

namespace dso = L::dso;
namespace la = L::la;
namespace alt = L::alt;
using FT = L::FieldType;

// ---------------------------------------------------------------------------
// Argument keywords
// ---------------------------------------------------------------------------
constexpr Word kAcqTypes[] = {{"NORMal", 0}, {"AVERage", 1}, {"PEAKdetect", 2}};
constexpr Word kAcqModes[] = {{"RTIMe", 0}, {"ETIMe", 1}};  // the block's word: 1 equivalent time
constexpr Word kMemory[] = {{"NORMal", 0}, {"FULL", 1}};
constexpr Word kChanCoupling[] = {{"DC", 0}, {"AC", 1}};
constexpr Word kImpedance[] = {{"1MOHM", 0}, {"50OHM", 1}};
constexpr Word kFilterTypes[] = {{"LOWPass", 0}, {"HIGHpass", 1}, {"BANDPass", 2}, {"BANDReject", 3}};
constexpr Word kTimebaseModes[] = {{"MAIN", 0}, {"DELayed", 1}};
constexpr Word kFormats[] = {{"YT", 0}, {"XY", 1}, {"ROLLing", 2}};
constexpr Word kTrigTypes[] = {{"EDGE", 0},        {"PULSe", 1},   {"SLOPe", 2},   {"VIDeo", 3},
                               {"ALTernation", 4}, {"PATTern", 5}, {"DURation", 6}};
constexpr Word kAltTypes[] = {{"EDGE", 0}, {"PULSe", 1}, {"SLOPe", 2}, {"VIDeo", 3}};
constexpr Word kSweeps[] = {{"AUTO", 0}, {"NORMal", 1}, {"SINGle", 2}};
constexpr Word kTrigCoupling[] = {{"DC", 0}, {"AC", 1}, {"HF", 2}, {"LF", 3}};
constexpr Word kEdgeSlopes[] = {{"POSitive", 0}, {"NEGative", 1}, {"BOTH", 2}};
constexpr Word kConditions[] = {{"+GREaterthan", 0}, {"+LESSthan", 1}, {"+EQUal", 2},
                                {"-GREaterthan", 3}, {"-LESSthan", 4}, {"-EQUal", 5}};
constexpr Word kPolarities[] = {{"POSitive", 0}, {"NEGative", 1}};
constexpr Word kSyncs[] = {{"ALLLines", 0}, {"LINE", 1}, {"ODDfield", 2}, {"EVENfield", 3}};
constexpr Word kStandards[] = {{"NTSC", 0}, {"PALSecam", 1}};
constexpr Word kQualifiers[] = {{"GREaterthan", 0}, {"LESSthan", 1}, {"EQUal", 2}};
constexpr Word kAltSources[] = {{"CHANnel1", 0}, {"CHANnel2", 1}};

// ---------------------------------------------------------------------------
// Row builders
// ---------------------------------------------------------------------------
constexpr Field One(BlockId block, int offset, FT type) { return {block, offset, 0, type, Index::None}; }
constexpr Field Two(BlockId block, const int (&o)[2], FT type, Index index) {
  return {block, o[0], o[1] - o[0], type, index};
}
constexpr Field Dso(int offset, FT type) { return One(BlockId::Dso, offset, type); }
constexpr Field Chan(const int (&o)[2], FT type) { return Two(BlockId::Dso, o, type, Index::Channel); }
constexpr Field Side(const int (&o)[2], FT type) { return Two(BlockId::Side, o, type, Index::Channel); }
constexpr Field AltCh(const int (&o)[2], FT type) { return Two(BlockId::Alt, o, type, Index::AltChannel); }
constexpr Field AltBySuffix(const int (&o)[2], FT type) { return Two(BlockId::Alt, o, type, Index::Channel); }

constexpr Row Enum(std::string_view path, Field f, std::span<const Word> words) {
  return Row{.path = path, .field = f, .arg = Arg::Enum, .words = words};
}
constexpr Row Bool(std::string_view path, Field f) { return Row{.path = path, .field = f, .arg = Arg::Bool}; }
constexpr Row Real(std::string_view path, Field f, double lo, double hi) {
  return Row{.path = path, .field = f, .arg = Arg::Real, .lo = lo, .hi = hi};
}
// A time in seconds kept in a picosecond field; the model's rules hold it in range.
constexpr Row Time(std::string_view path, Field f) {
  return Real(path, f, -1e6, 1e6).Custom(&SetTime, &QueryTime).FieldOnly();
}
constexpr Row TimeScale(std::string_view path, Field f) {
  return Real(path, f, -1e6, 1e6).Custom(&SetTimeScale, &QueryTime).FieldOnly();
}
constexpr Row Query(std::string_view path, QueryFn q) {
  return Row{.path = path, .form = Form::Query, .query = q};
}
constexpr Row Query(std::string_view path, Field f, Arg a) {
  return Row{.path = path, .form = Form::Query, .field = f, .arg = a};
}
constexpr Row Action(std::string_view path, SetFn s) {
  return Row{.path = path, .form = Form::Action, .set = s};
}

constexpr double kSens[2] = {limits::kMinSensitivity, limits::kMaxSensitivity};
constexpr double kHold[2] = {limits::kMinHoldoff, limits::kMaxHoldoff};
constexpr double kCond[2] = {limits::kMinTimeCondition, limits::kMaxTimeCondition};
constexpr double kFilt[2] = {limits::kMinFilter, limits::kMaxFilter};

// ---------------------------------------------------------------------------
// The commands, grouped as the instrument's manual groups them.
// ---------------------------------------------------------------------------
constexpr Row kRows[] = {
    // System
    Query("*IDN", &QueryIdentity),
    Action("*CLS", &DoClearStatus),
    Query("SYSTem:ERRor", &QueryError),
    Query("INFo:FPGA", &QueryFpga),
    Action("RUN", &DoRun),
    Action("STOP", &DoStop),
    Action("AUTO", &DoAuto),
    Action("DEFault", &DoDefault),
    Action("STARtup", &DoStartup),
    Action("CLEarusb", &DoClearUsb),
    Query("SETup:DSO", &QueryBlock).Aux(static_cast<int>(BlockId::Dso)),
    Query("SETup:LA", &QueryBlock).Aux(static_cast<int>(BlockId::La)),
    Query("SETup:ALT", &QueryBlock).Aux(static_cast<int>(BlockId::Alt)),
    Bool("SELFcal:ENABle", Dso(dso::SelfCalEnable, FT::U8)),

    // Acquire
    Enum("ACQuire:TYPE", Dso(dso::AcqType, FT::I32), kAcqTypes),
    Enum("ACQuire:MODE", Dso(dso::AcqModeWord, FT::U32), kAcqModes),
    Real("ACQuire:AVERages", Dso(dso::AcqAveragesExp, FT::U16), 1, 1e9)
        .Custom(&SetAverages, &QueryAverages)
        .FieldOnly(),
    Enum("ACQuire:MEMory", Dso(dso::AcqMemFull, FT::U32), kMemory),
    Query("ACQuire:SAMPlingrate", Dso(dso::AcqSampleRate, FT::F32), Arg::Real),

    // Analog channels
    Real("CHANnel#:SCALe", Chan(dso::ChanScale, FT::F32), -1e9, 1e9)
        .Custom(&SetChanScale)
        .FieldOnly()
        .Suffixes(1, 2),
    Real("CHANnel#:OFFSet", Chan(dso::ChanOffset, FT::F32), -1e9, 1e9)
        .Custom(&SetChanOffset)
        .FieldOnly()
        .Suffixes(1, 2),
    Enum("CHANnel#:COUPling", Chan(dso::ChanCoupling, FT::I32), kChanCoupling).Suffixes(1, 2),
    Bool("CHANnel#:BWLimit", Chan(dso::ChanBWLimit, FT::U8)).Suffixes(1, 2),
    Real("CHANnel#:PROBe", Chan(dso::ChanProbe, FT::F32), -1e9, 1e9).Custom(&SetChanProbe).Suffixes(1, 2),
    Bool("CHANnel#:DISPlay", Chan(dso::ChanDisplay, FT::U8)).Suffixes(1, 2),
    Bool("CHANnel#:INVert", Chan(dso::ChanInvert, FT::U8)).Suffixes(1, 2),
    Enum("CHANnel#:INPut", Chan(dso::ChanImpedance, FT::I32), kImpedance).Suffixes(1, 2),
    Bool("CHANnel#:FILTer:DISPlay", Side(side::FilterDisplay, FT::U8)).Suffixes(1, 2),
    Real("CHANnel#:FILTer:UPLimit", Side(side::FilterUpper, FT::F32), kFilt[0], kFilt[1]).Suffixes(1, 2),
    Real("CHANnel#:FILTer:DOWNlimit", Side(side::FilterLower, FT::F32), kFilt[0], kFilt[1]).Suffixes(1, 2),
    Enum("CHANnel#:FILTer:TYPE", Side(side::FilterType, FT::I32), kFilterTypes).Suffixes(1, 2),

    // Timebase
    Enum("TIMebase:MODE", Dso(dso::DelayedOn, FT::U8), kTimebaseModes).Custom(&SetTimebaseMode).FieldOnly(),
    Enum("TIMebase:FORMat", Dso(dso::TimeFormat, FT::I32), kFormats).Custom(&SetTimeFormat).FieldOnly(),
    Time("TIMebase:OFFSet", Dso(dso::TimeOffsetPs, FT::I64)),
    TimeScale("TIMebase:SCALe", Dso(dso::TimeScalePs, FT::I64)),
    Time("TIMebase:DELayed:OFFSet", Dso(dso::DelayedOffsetPs, FT::I64)),
    TimeScale("TIMebase:DELayed:SCALe", Dso(dso::DelayedScalePs, FT::I64)),

    // Trigger, common to the types; a type node before SWEEP, COUPLING and
    // SENSITIVITY names the trigger type the host had in view.
    Enum("TRIGger:MODE", Dso(dso::TrigType, FT::I32), kTrigTypes).Custom(&SetTrigMode),
    Enum("TRIGger:SWEep", Dso(dso::TrigSweep, FT::I32), kSweeps),
    Enum("TRIGger:EDGE:SWEep", Dso(dso::TrigSweep, FT::I32), kSweeps),
    Enum("TRIGger:PULSe:SWEep", Dso(dso::TrigSweep, FT::I32), kSweeps),
    Enum("TRIGger:SLOPe:SWEep", Dso(dso::TrigSweep, FT::I32), kSweeps),
    Enum("TRIGger:VIDeo:SWEep", Dso(dso::TrigSweep, FT::I32), kSweeps),
    Enum("TRIGger:ALTernation:SWEep", Dso(dso::TrigSweep, FT::I32), kSweeps),
    Enum("TRIGger:PATTern:SWEep", Dso(dso::TrigSweep, FT::I32), kSweeps),
    Enum("TRIGger:DURation:SWEep", Dso(dso::TrigSweep, FT::I32), kSweeps),
    Enum("TRIGger:COUPling", Dso(dso::TrigCoupling, FT::I32), kTrigCoupling),
    Enum("TRIGger:EDGE:COUPling", Dso(dso::TrigCoupling, FT::I32), kTrigCoupling),
    Enum("TRIGger:PULSe:COUPling", Dso(dso::TrigCoupling, FT::I32), kTrigCoupling),
    Enum("TRIGger:SLOPe:COUPling", Dso(dso::TrigCoupling, FT::I32), kTrigCoupling),
    Enum("TRIGger:ALTernation:COUPling", Dso(dso::TrigCoupling, FT::I32), kTrigCoupling)
        .Custom(&SetAltCommonCoupling),
    Real("TRIGger:SENSitivity", Dso(dso::TrigSensitivity, FT::F32), kSens[0], kSens[1]),
    Real("TRIGger:EDGE:SENSitivity", Dso(dso::TrigSensitivity, FT::F32), kSens[0], kSens[1]),
    Real("TRIGger:PULSe:SENSitivity", Dso(dso::TrigSensitivity, FT::F32), kSens[0], kSens[1]),
    Real("TRIGger:SLOPe:SENSitivity", Dso(dso::TrigSensitivity, FT::F32), kSens[0], kSens[1]),
    Real("TRIGger:VIDeo:SENSitivity", Dso(dso::TrigSensitivity, FT::F32), kSens[0], kSens[1]),
    Real("TRIGger:ALTernation:SENSitivity", Dso(dso::TrigSensitivity, FT::F32), kSens[0], kSens[1])
        .Custom(&SetAltCommonSensitivity),
    Real("TRIGger:HOLDoff", Dso(dso::TrigHoldoff, FT::F32), kHold[0], kHold[1]),

    // Edge trigger
    Enum("TRIGger:EDGE:SLOPe", Dso(dso::TrigEdgeSlope, FT::I32), kEdgeSlopes),
    Enum("TRIGger:EDGE:SOURce", Dso(dso::TrigEdgeSource, FT::I32), kSources),
    Real("TRIGger:EDGE:LEVel", Dso(dso::TrigEdgeLevel, FT::F32), -1e9, 1e9)
        .Custom(&SetLevel)
        .FieldOnly()
        .Aux(dso::TrigEdgeSource),

    // Pulse trigger
    Enum("TRIGger:PULSe:SOURce", Dso(dso::TrigPulseSource, FT::I32), kSources),
    Enum("TRIGger:PULSe:MODE", Dso(dso::TrigPulseWhen, FT::I32), kConditions),
    Real("TRIGger:PULSe:LEVel", Dso(dso::TrigPulseLevel, FT::F32), -1e9, 1e9)
        .Custom(&SetProbeLevel, &QueryProbeLevel)
        .FieldOnly()
        .Aux(dso::TrigPulseSource),
    Real("TRIGger:PULSe:WIDTh", Dso(dso::TrigPulseWidth, FT::F32), kCond[0], kCond[1]),

    // Video trigger
    Enum("TRIGger:VIDeo:SOURce", Dso(dso::TrigVideoSource, FT::I32), kSources),
    Enum("TRIGger:VIDeo:POLarity", Dso(dso::TrigVideoPolarity, FT::I32), kPolarities),
    Enum("TRIGger:VIDeo:MODE", Dso(dso::TrigVideoSync, FT::I32), kSyncs),
    Enum("TRIGger:VIDeo:STANdard", Dso(dso::TrigVideoStandard, FT::I32), kStandards)
        .Custom(&SetVideoStandard)
        .Aux(dso::TrigVideoLine),
    Real("TRIGger:VIDeo:LEVel", Dso(dso::TrigVideoLevel, FT::F32), -1e9, 1e9)
        .Custom(&SetProbeLevel, &QueryProbeLevel)
        .FieldOnly()
        .Aux(dso::TrigVideoSource),
    Real("TRIGger:VIDeo:LINE", Dso(dso::TrigVideoLine, FT::U16), -1e9, 1e9)
        .Custom(&SetVideoLine)
        .FieldOnly()
        .Aux(dso::TrigVideoStandard),

    // Slope trigger
    Enum("TRIGger:SLOPe:SOURce", Dso(dso::TrigSlopeSource, FT::I32), kSources),
    Enum("TRIGger:SLOPe:MODE", Dso(dso::TrigSlopeWhen, FT::I32), kConditions),
    Real("TRIGger:SLOPe:LEVelA", Dso(dso::TrigSlopeLevelA, FT::F32), -1e9, 1e9)
        .Custom(&SetProbeLevel, &QueryProbeLevel)
        .FieldOnly()
        .Aux(dso::TrigSlopeSource),
    Real("TRIGger:SLOPe:LEVelB", Dso(dso::TrigSlopeLevelB, FT::F32), -1e9, 1e9)
        .Custom(&SetProbeLevel, &QueryProbeLevel)
        .FieldOnly()
        .Aux(dso::TrigSlopeSource),
    Real("TRIGger:SLOPe:TIME", Dso(dso::TrigSlopeTime, FT::F32), kCond[0], kCond[1]),

    // Pattern and duration triggers over the digital channels
    Row{.path = "TRIGger:PATTern:PATTern"}.Custom(&SetPattern, &QueryPattern).Aux(la::TrigPattern),
    Row{.path = "TRIGger:DURation:PATTern"}.Custom(&SetPattern, &QueryPattern).Aux(la::TrigDuration),
    Enum("TRIGger:DURation:QUALifier", One(BlockId::La, la::TrigDurationQualifier, FT::I32), kQualifiers),
    Real("TRIGger:DURation:TIME", One(BlockId::La, la::TrigDurationTime, FT::F64), kCond[0], kCond[1]),

    // Alternate trigger: the source names the channel the other commands address.
    Enum("TRIGger:ALTernation:SOURce", One(BlockId::Side, side::AltSource, FT::I32), kAltSources),
    Enum("TRIGger:ALTernation:TYPE", AltCh(alt::AltTrigType, FT::I32), kAltTypes),
    Real("TRIGger:ALTernation:EDGE:SENSitivity", AltCh(alt::EdgeSensitivity, FT::F32), kSens[0], kSens[1]),
    Real("TRIGger:ALTernation:PULSe:SENSitivity", AltCh(alt::PulseSensitivity, FT::F32), kSens[0], kSens[1]),
    Real("TRIGger:ALTernation:SLOPe:SENSitivity", AltCh(alt::SlopeSensitivity, FT::F32), kSens[0], kSens[1]),
    Real("TRIGger:ALTernation:VIDeo:SENSitivity", AltCh(alt::VideoSensitivity, FT::F32), kSens[0], kSens[1]),
    Real("TRIGger:ALTernation:EDGE:HOLDoff", AltCh(alt::EdgeHoldoff, FT::F32), kHold[0], kHold[1]),
    Real("TRIGger:ALTernation:PULSe:HOLDoff", AltCh(alt::PulseHoldoff, FT::F32), kHold[0], kHold[1]),
    Real("TRIGger:ALTernation:SLOPe:HOLDoff", AltCh(alt::SlopeHoldoff, FT::F32), kHold[0], kHold[1]),
    Real("TRIGger:ALTernation:VIDeo:HOLDoff", AltCh(alt::VideoHoldoff, FT::F32), kHold[0], kHold[1]),
    Enum("TRIGger:ALTernation:EDGE:COUPling", AltCh(alt::EdgeCoupling, FT::I32), kTrigCoupling),
    Enum("TRIGger:ALTernation:PULSe:COUPling", AltCh(alt::PulseCoupling, FT::I32), kTrigCoupling),
    Enum("TRIGger:ALTernation:SLOPe:COUPling", AltCh(alt::SlopeCoupling, FT::I32), kTrigCoupling),
    Enum("TRIGger:ALTernation:EDGE:SLOPe", AltCh(alt::EdgeSlope, FT::I32), kEdgeSlopes),
    Real("TRIGger:ALTernation:EDGE:LEVel", AltCh(alt::EdgeLevel, FT::F32), -1e9, 1e9)
        .Custom(&SetAltLevel, &QueryAltLevel)
        .FieldOnly(),
    Enum("TRIGger:ALTernation:PULSe:MODE", AltCh(alt::PulseWhen, FT::I32), kConditions),
    Real("TRIGger:ALTernation:PULSe:LEVel", AltCh(alt::PulseLevel, FT::F32), -1e9, 1e9)
        .Custom(&SetAltLevel, &QueryAltLevel)
        .FieldOnly(),
    Real("TRIGger:ALTernation:PULSe:WIDTh", AltCh(alt::PulseWidth, FT::F32), kCond[0], kCond[1]),
    Enum("TRIGger:ALTernation:SLOPe:MODE", AltCh(alt::SlopeWhen, FT::I32), kConditions),
    Real("TRIGger:ALTernation:SLOPe:TIME", AltCh(alt::SlopeTime, FT::F32), kCond[0], kCond[1]),
    Real("TRIGger:ALTernation:SLOPe:LEVelA", AltCh(alt::SlopeLevelA, FT::F32), -1e9, 1e9)
        .Custom(&SetAltSlopeLevelA, &QueryAltLevel)
        .Aux(alt::SlopeLevelB[0]),
    Real("TRIGger:ALTernation:SLOPe:LEVelB", AltCh(alt::SlopeLevelB, FT::F32), -1e9, 1e9)
        .Custom(&SetAltSlopeLevelB, &QueryAltLevel)
        .Aux(alt::SlopeLevelA[0]),
    Enum("TRIGger:ALTernation:VIDeo:POLarity", AltCh(alt::VideoPolarity, FT::I32), kPolarities),
    Enum("TRIGger:ALTernation:VIDeo:STANdard", AltCh(alt::VideoStandard, FT::I32), kStandards)
        .Custom(&SetVideoStandard)
        .Aux(alt::VideoLine[0]),
    Enum("TRIGger:ALTernation:VIDeo:MODE", AltCh(alt::VideoSync, FT::I32), kSyncs),
    Real("TRIGger:ALTernation:VIDeo:LINE", AltCh(alt::VideoLine, FT::U16), -1e9, 1e9)
        .Custom(&SetVideoLine)
        .FieldOnly()
        .Aux(alt::VideoStandard[0]),
    Real("TRIGger:ALTernation:VIDeo:LEVel", AltCh(alt::VideoLevel, FT::F32), -1e9, 1e9)
        .Custom(&SetAltLevel, &QueryAltLevel)
        .FieldOnly(),
    TimeScale("TRIGger:ALTernation:CHANnel#:TIMEScale", AltBySuffix(alt::AltTimeScalePs, FT::I64))
        .Suffixes(1, 2),
    Time("TRIGger:ALTernation:CHANnel#:TIMEOffset", AltBySuffix(alt::AltTimeOffsetPs, FT::I64))
        .Suffixes(1, 2),

    // Logic analyzer
    Bool("LA:DISPlay", One(BlockId::La, la::LaEnable, FT::U8)),
    Bool("DIGital#:TURN", Field{BlockId::La, la::LaChanDisplay, 1, FT::U8, Index::Suffix})
        .Custom(&SetDigitalTurn)
        .Suffixes(0, 15),
    Bool("LA:GROup#", Field{BlockId::La, la::LaGroup1, la::LaGroup2 - la::LaGroup1, FT::U8, Index::Suffix})
        .Custom(&SetLaGroup)
        .Suffixes(1, 2),
    Enum("LA:THReshold", One(BlockId::La, la::LaThresholdType, FT::I32), kThresholds)
        .Custom(&SetThreshold, &QueryThreshold),

    // LAN interface
    Bool("LAN:DHCP", Dso(dso::LanDhcp, FT::U8)),
    Row{.path = "LAN:IP", .field = Dso(dso::LanIp, FT::U32)}.Custom(&SetAddress, &QueryAddress).FieldOnly(),
    Row{.path = "LAN:NETMask", .field = Dso(dso::LanNetmask, FT::U32)}
        .Custom(&SetAddress, &QueryAddress)
        .FieldOnly(),
    Row{.path = "LAN:GATEway", .field = Dso(dso::LanGateway, FT::U32)}
        .Custom(&SetAddress, &QueryAddress)
        .FieldOnly(),
    Row{.path = "LAN:PORT", .field = Dso(dso::LanPort, FT::I16)}.Custom(&SetPort, &QueryPort).FieldOnly(),
    Query("LAN:MACaddress", &QueryMac),
};

// Every field a row names lies inside its block, for every entry it can address.
constexpr bool FieldsFit() {
  for (const Row& r : kRows) {
    if (r.field.offset < 0) continue;
    const int entries = r.field.index == Index::None     ? 1
                        : r.field.index == Index::Suffix ? r.suffixHi - r.suffixLo + 1
                                                         : 2;
    const int last = r.field.offset + (entries - 1) * r.field.stride;
    if (r.field.offset < 0 || last + L::Width(r.field.type) > BlockSize(r.field.block)) return false;
  }
  return true;
}
static_assert(FieldsFit());

// A header carries at most one numeric suffix, marked by a '#' ending its
// keyword, and no other keyword ends in a digit (the lookup spells one or
// two trailing digits as that '#').
constexpr bool SuffixesAreMarked() {
  for (const Row& r : kRows) {
    if (std::count(r.path.begin(), r.path.end(), '#') > 1) return false;
    for (std::size_t i = 0; i < r.path.size(); ++i) {
      const bool last = i + 1 == r.path.size() || r.path[i + 1] == ':';
      if ((r.path[i] >= '0' && r.path[i] <= '9' && last) || (r.path[i] == '#' && !last)) return false;
    }
  }
  return true;
}
static_assert(SuffixesAreMarked());

}  // namespace

std::span<const Row> Table() { return kRows; }

namespace {
// A header as the lookup spells it: each keyword in capitals, its long or
// its short form for a pattern, and one or two trailing digits written '#'
// ("chan1:scal" and "CHANnel#:SCALe" both become "CHAN#:SCAL"). A token
// matches a pattern exactly when its spelling is one of the pattern's, the
// rule scpi::MatchKeyword applies. The text is padded with zeros, so the
// hash and the comparison read it eight bytes at a time.
struct Spelled {
  static constexpr std::size_t kLongest = 64;  // longer headers name no row
  std::array<char, kLongest + 8> text;
  std::size_t size = 0;
  int suffix = -1;

  // One pass over the header; false when it can name no row: too long, an
  // empty keyword, or a '#' of the line's own.
  bool Spell(std::string_view header) {
    if (header.size() > kLongest) return false;
    char* out = text.data();  // locals: a char store may alias any member
    char* keyword = out;
    std::size_t digits = 0;  // trailing the keyword so far
    for (const char c : header) {
      if (c == ':') {
        if (!EndKeyword(keyword, out, digits)) return false;
        *out++ = ':';
        keyword = out;
        digits = 0;
        continue;
      }
      if (c == '#') return false;
      digits = c >= '0' && c <= '9' ? digits + 1 : 0;
      *out++ = static_cast<char>(c - (static_cast<unsigned char>(c - 'a') < 26 ? 'a' - 'A' : 0));
    }
    if (!EndKeyword(keyword, out, digits)) return false;
    size = static_cast<std::size_t>(out - text.data());
    std::memset(out, 0, 8);
    return true;
  }
  std::size_t Words() const { return (size + 7) / 8; }
  std::uint64_t Word(std::size_t i) const {
    std::uint64_t word;
    std::memcpy(&word, text.data() + 8 * i, sizeof word);
    return word;
  }
  std::uint64_t Hash() const {
    std::uint64_t hash = size;
    for (std::size_t i = 0; i < Words(); ++i) {
      hash = (hash ^ Word(i)) * 0x9E3779B97F4A7C15u;
      hash ^= hash >> 29;
    }
    return hash;
  }

 private:
  bool EndKeyword(const char* keyword, char*& out, std::size_t digits) {
    if (out == keyword) return false;
    if (digits == 0 || digits > 2) return true;
    out -= digits;
    suffix = digits == 1 ? out[0] - '0' : (out[0] - '0') * 10 + (out[1] - '0');
    *out++ = '#';
    return true;
  }
};

// Every spelling of every header, leading to the rows that accept it in
// table order: one probe of an open-addressed table per lookup.
class Spellings {
 public:
  Spellings() {
    std::vector<std::pair<std::string, int>> all;
    for (int index = 0; index < static_cast<int>(std::size(kRows)); ++index) {
      std::vector<std::string> spelled{""};
      std::string_view path = kRows[index].path;
      while (!path.empty()) {
        const std::size_t colon = path.find(':');
        const std::string_view pattern = path.substr(0, colon);
        path.remove_prefix(colon == std::string_view::npos ? path.size() : colon + 1);
        std::string longForm, shortForm;
        for (char c : pattern) {
          longForm.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
          if (!(c >= 'a' && c <= 'z')) shortForm.push_back(c);
        }
        std::vector<std::string> forms{longForm};
        if (shortForm != longForm) forms.push_back(shortForm);
        std::vector<std::string> next;
        for (const std::string& head : spelled)
          for (const std::string& form : forms)
            if (!form.empty() && form != "#") next.push_back(head + (head.empty() ? "" : ":") + form);
        spelled = std::move(next);
      }
      for (std::string& text : spelled) all.emplace_back(std::move(text), index);
    }
    slots_.resize(std::bit_ceil(all.size() * 2));
    for (const auto& [text, index] : all) {
      if (text.size() > Spelled::kLongest) __builtin_trap();  // a header the lookup could not spell
      Spelled spelled;
      std::copy(text.begin(), text.end(), spelled.text.begin());
      std::fill(spelled.text.begin() + static_cast<std::ptrdiff_t>(text.size()), spelled.text.end(), '\0');
      spelled.size = text.size();
      Slot& slot = slots_[SlotOf(spelled)];
      slot.size = spelled.size;
      slot.words.assign(spelled.Words(), 0);
      for (std::size_t i = 0; i < slot.words.size(); ++i) slot.words[i] = spelled.Word(i);
      if (slot.rows.empty() || slot.rows.back() != index) slot.rows.push_back(index);
    }
  }

  // The rows a spelled header names, in table order; none when empty.
  std::span<const int> Rows(const Spelled& spelled) const { return slots_[SlotOf(spelled)].rows; }

 private:
  struct Slot {
    std::size_t size = 0;
    std::vector<std::uint64_t> words;  // the text, as Spelled pads it
    std::vector<int> rows;
    bool Holds(const Spelled& spelled) const {
      if (size != spelled.size) return false;
      for (std::size_t i = 0; i < words.size(); ++i)
        if (words[i] != spelled.Word(i)) return false;
      return true;
    }
  };
  // The slot holding the text, else the empty one where it would go.
  std::size_t SlotOf(const Spelled& spelled) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = spelled.Hash() & mask;; i = (i + 1) & mask)
      if (slots_[i].rows.empty() || slots_[i].Holds(spelled)) return i;
  }
  std::vector<Slot> slots_;
};
}  // namespace

const Row* Lookup(std::string_view header, int* suffix) {
  static const Spellings spellings;
  Spelled spelled;
  if (!spelled.Spell(header)) return nullptr;
  for (int index : spellings.Rows(spelled)) {
    const Row& row = kRows[index];
    if (spelled.suffix < 0 || (spelled.suffix >= row.suffixLo && spelled.suffix <= row.suffixHi)) {
      *suffix = spelled.suffix;
      return &row;
    }
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// Generic storage and answers
// ---------------------------------------------------------------------------
int EntryOf(const Model& m, const Call& call) {
  switch (call.row.field.index) {
    case Index::None: return 0;
    case Index::Channel: return call.suffix == 2 ? 1 : 0;
    case Index::Suffix: return call.suffix - call.row.suffixLo;
    case Index::AltChannel: return m.AltChannel();
  }
  return 0;
}

int Address(const Model& m, const Call& call) { return Address(m, call, call.row.field.offset); }

int Address(const Model& m, const Call& call, int offset) {
  return offset + EntryOf(m, call) * call.row.field.stride;
}

double Load(const Model& m, BlockId block, int offset, FT type) {
  const std::uint8_t* p = m.Bytes(block) + offset;
  switch (type) {
    case FT::U8: return p[0];
    case FT::U16: return qx::LoadU16(p);
    case FT::I16: return qx::LoadI16(p);
    case FT::I32: return qx::LoadI32(p);
    case FT::U32: return qx::LoadU32(p);
    case FT::I64: return static_cast<double>(qx::LoadI64(p));
    case FT::F32: return qx::LoadF32(p);
    case FT::F64: return qx::LoadF64(p);
    case FT::U8x3: return p[0];
  }
  return 0;
}

void Store(Model& m, BlockId block, int offset, FT type, double value) {
  std::uint8_t* p = m.Bytes(block) + offset;
  switch (type) {
    case FT::U8:
    case FT::U8x3: p[0] = qx::RoundTo<std::uint8_t>(value); return;
    case FT::U16: qx::StoreU16(p, qx::RoundTo<std::uint16_t>(value)); return;
    case FT::I16: qx::StoreI16(p, qx::RoundTo<std::int16_t>(value)); return;
    case FT::I32: qx::StoreI32(p, qx::RoundTo<std::int32_t>(value)); return;
    case FT::U32: qx::StoreU32(p, qx::RoundTo<std::uint32_t>(value)); return;
    case FT::I64: qx::StoreI64(p, qx::RoundTo<std::int64_t>(value)); return;
    case FT::F32: qx::StoreF32(p, static_cast<float>(value)); return;
    case FT::F64: qx::StoreF64(p, value); return;
  }
}

int MatchWord(std::span<const Word> words, std::string_view text) {
  for (const Word& w : words)
    if (scpi::MatchKeyword(w.pattern, text, nullptr)) return w.code;
  return -1;
}

std::string WordOf(std::span<const Word> words, int code) {
  for (const Word& w : words) {
    if (w.code != code) continue;
    std::string out(w.pattern);
    for (char& c : out) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return out;
  }
  return std::to_string(code);
}

const char* GenericSet(Model& m, const Call& call) {
  const Row& row = call.row;
  if (call.argument.empty()) return kMissingArgument;
  double value = 0;
  switch (row.arg) {
    case Arg::Bool: {
      static constexpr Word kBool[] = {{"ON", 1}, {"OFF", 0}, {"1", 1}, {"0", 0}};
      const int code = MatchWord(kBool, call.argument);
      if (code < 0) return kBadArgument;
      value = code;
      break;
    }
    case Arg::Enum: {
      const int code = MatchWord(row.words, call.argument);
      if (code < 0) return kBadArgument;
      value = code;
      break;
    }
    case Arg::Real:
    case Arg::Int: {
      const auto number = scpi::ParseNumber(call.argument);
      if (!number) return kBadArgument;
      value = std::clamp(row.arg == Arg::Int ? std::round(*number) : *number, row.lo, row.hi);
      break;
    }
    case Arg::None: return kBadArgument;
  }
  Store(m, row.field.block, Address(m, call), row.field.type, value);
  return nullptr;
}

std::string GenericQuery(const Model& m, const Call& call) {
  const Row& row = call.row;
  const double value = Load(m, row.field.block, Address(m, call), row.field.type);
  switch (row.arg) {
    case Arg::Bool: return value != 0 ? "ON" : "OFF";
    case Arg::Enum: return WordOf(row.words, static_cast<int>(value));
    case Arg::Real:
      return row.field.type == FT::F64 ? scpi::FormatDouble(value)
                                       : scpi::FormatFloat(static_cast<float>(value));
    case Arg::Int:
    case Arg::None: return std::to_string(static_cast<long long>(value));
  }
  return {};
}

}  // namespace qxsim::cmd
