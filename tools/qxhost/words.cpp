#include "words.h"

#include <cstring>
#include <iterator>

namespace qxhost {
namespace {

// clang-format off
constexpr Choice kOnOff[] = {{"ON", 1}, {"OFF", 0}};
constexpr Choice kAcqType[] = {{"NORMal", 0}, {"AVERage", 1}, {"PEAKdetect", 2}};
constexpr Choice kAcqMode[] = {{"RTIMe", 1}, {"ETIMe", 0}};
constexpr Choice kAcqMemory[] = {{"NORMal", 4096}, {"LONG", 524288}, {"FULL", 524288}};
constexpr Choice kInterface[] = {{"USB", 0}, {"LAN", 1}};

// Vertical: channels, math, the logic analyzer, references.
constexpr Choice kChannel[] = {{"CHANnel1", 0}, {"CHANnel2", 1}};
constexpr Choice kChanCoupling[] = {{"DC", 0}, {"AC", 1}};
constexpr Choice kChanUnit[] = {{"V", 0}, {"A", 1}, {"W", 2}, {"DBV", 3}, {"DBA", 4}, {"DBW", 5}, {"U", 7}};
constexpr Choice kImpedance[] = {{"1MOHM", 0}, {"50OHM", 1}};
constexpr Choice kFilterType[] = {{"LOWPass", 0}, {"HIGHpass", 1}, {"BANDPass", 2}, {"BANDReject", 3}};
constexpr Choice kMathOperator[] = {{"ADD", 0}, {"SUBTract", 1}, {"MULTiple", 2}, {"FFT", 3}, {"FILTer", 4}};
constexpr Choice kFftWindow[] = {{"RECTangle", 0}, {"HANNing", 1}, {"HAMMing", 2}, {"BLACkman", 3}};
constexpr Choice kFftUnit[] = {{"VRMS", 0}, {"DBVRMS", 1}};
constexpr Choice kLaThreshold[] = {{"TTL", 0}, {"CMOS", 1}, {"ECL", 2}, {"USER", 3}};
constexpr Choice kLaSize[] = {{"WIDE", 0}, {"COMPact", 1}};
constexpr Choice kRefSource[] = {{"CHANnel1", 0}, {"CHANnel2", 1}, {"MATH1", 2},
                                 {"MATH2", 3},    {"MATH3", 4},    {"MATH4", 5}};

// Horizontal: time base and trigger.
constexpr Choice kTimebaseMode[] = {{"MAIN", 0}, {"DELayed", 1}};
constexpr Choice kTimeFormat[] = {{"YT", 0}, {"XY", 1}, {"ROLLing", 2}};
constexpr Choice kTrigType[] = {{"EDGE", 0},        {"PULSe", 1},  {"SLOPe", 2},  {"VIDeo", 3},
                                {"ALTernation", 4}, {"PATTern", 5}, {"DURation", 6}};
constexpr Choice kAltTrigType[] = {{"EDGE", 0}, {"PULSe", 1}, {"SLOPe", 2}, {"VIDeo", 3}};
constexpr Choice kSweep[] = {{"AUTO", 0}, {"NORMal", 1}, {"SINGle", 2}};
constexpr Choice kTrigCoupling[] = {{"DC", 0}, {"AC", 1}, {"HF", 2}, {"LF", 3}};
constexpr Choice kEdgeSlope[] = {{"POSitive", 0}, {"NEGative", 1}, {"BOTH", 2}};
constexpr Choice kTrigSource[] = {
    {"CHANnel1", 0},   {"CHANnel2", 1},   {"EXT", 2},        {"EXT5", 3},       {"ACLine", 5},
    {"DIGital0", 6},   {"DIGital1", 7},   {"DIGital2", 8},   {"DIGital3", 9},   {"DIGital4", 10},
    {"DIGital5", 11},  {"DIGital6", 12},  {"DIGital7", 13},  {"DIGital8", 14},  {"DIGital9", 15},
    {"DIGital10", 16}, {"DIGital11", 17}, {"DIGital12", 18}, {"DIGital13", 19}, {"DIGital14", 20},
    {"DIGital15", 21}};
constexpr Choice kCondition[] = {{"+GREaterthan", 0}, {"+LESSthan", 1}, {"+EQUal", 2},
                                 {"-GREaterthan", 3}, {"-LESSthan", 4}, {"-EQUal", 5}};
constexpr Choice kPolarity[] = {{"POSitive", 0}, {"NEGative", 1}};
constexpr Choice kVideoMode[] = {{"ALLLines", 0}, {"LINE", 1}, {"ODDField", 2}, {"EVENfield", 3}};
constexpr Choice kVideoStandard[] = {{"NTSC", 0}, {"PALSecam", 1}};
constexpr Choice kPatternCode[] = {{"HIGH", 0}, {"LOW", 1}, {"X", 2}, {"RISE", 3}, {"FALL", 4}};
constexpr Choice kQualifier[] = {{"GREaterthan", 0}, {"LESSthan", 1}, {"EQUal", 2}};

// Cursors, display, record.
constexpr Choice kCursorXSource[] = {{"CHANnel1", 0}, {"CHANnel2", 1}, {"MATH1", 2}, {"MATH2", 3},
                                     {"MATH3", 4},    {"MATH4", 5},    {"LA", 6}};
constexpr Choice kCursorYSource[] = {{"CHANnel1", 0}, {"CHANnel2", 1}, {"MATH1", 2},
                                     {"MATH2", 3},    {"MATH3", 4},    {"MATH4", 5}};
constexpr Choice kDispType[] = {{"VECTors", 0}, {"DOTS", 1}};
constexpr Choice kDispGrid[] = {{"NONE", 0}, {"FULL", 1}};
constexpr Choice kRecordSource[] = {{"CHANnel1", 0}, {"CHANnel2", 1}, {"PASSfail", 2}};

// Playback started as the play key starts it: it keeps going.
constexpr long kPlayContinue = 0x9AD;

// Controls the public header names are written QX_CTL(name); the others by number.
constexpr Word kWords[] = {
    // Acquire
    {.text = "acquire type", .help = "acquisition type", QX_CMD(CMD_ACQUIRE), QX_CTL(CTL_ACQ_TYPE),
     .var = QX_VAR_INT, .choices = kAcqType},
    {.text = "acquire mode", .help = "sampling: real time or equivalent time", QX_CMD(CMD_ACQUIRE),
     QX_CTL(CTL_ACQ_MODE), .var = QX_VAR_BYTE, .choices = kAcqMode},
    {.text = "acquire averages", .help = "number of averages", QX_CMD(CMD_ACQUIRE), QX_CTL(CTL_ACQ_AVERAGES),
     .var = QX_VAR_INT, .number = true, .range = "2 to 256, rounded to a power of two"},
    {.text = "acquire memory", .help = "memory depth: normal, long, or a number of points",
     QX_CMD(CMD_ACQUIRE), QX_CTL(CTL_ACQ_MEMORY), .var = QX_VAR_UINT, .choices = kAcqMemory, .number = true,
     .unit = Unit::Points, .range = "long memory from 524288 points"},
    {.text = "acquire samplerate", .help = "report the real-time sampling rate", QX_CMD(CMD_ACQUIRE),
     QX_CTL(CTL_ACQ_SAMPLE_RATE), .var = QX_VAR_FLOAT, .number = true, .unit = Unit::SamplesPerSecond},
    {.text = "acquire samplerate2", .help = "report the equivalent-time sampling rate", QX_CMD(CMD_ACQUIRE),
     QX_CTL(CTL_ACQ_SAMPLE_RATE2), .var = QX_VAR_FLOAT, .number = true, .unit = Unit::SamplesPerSecond},

    // Run control
    {.text = "auto", .help = "let the instrument set itself up for the signal", QX_CMD(CMD_RUN_CONTROL),
     QX_CTL(CTL_AUTO)},
    {.text = "run", .help = "start acquiring", QX_CMD(CMD_RUN_CONTROL), QX_CTL(CTL_RUN)},
    {.text = "stop", .help = "stop acquiring", QX_CMD(CMD_RUN_CONTROL), QX_CTL(CTL_STOP)},
    {.text = "default", .help = "the factory setup", QX_CMD(CMD_RUN_CONTROL), QX_CTL(CTL_DEFAULT)},
    {.text = "clear", .help = "drop the pending command text (stays on the host)", QX_CMD(CMD_RUN_CONTROL),
     QX_CTL(CTL_CLEAR_COMMAND)},
    {.text = "state2", .help = "report acquisition state 2, as the host does (stays on the host)",
     QX_CMD(CMD_RUN_CONTROL), QX_CTL(CTL_RUN_STATE2)},
    {.text = "state3", .help = "report acquisition state 3, as the host does (stays on the host)",
     QX_CMD(CMD_RUN_CONTROL), QX_CTL(CTL_RUN_STATE3)},

    // Channels (ch1 is slot 0)
    {.text = "ch# scale", .help = "volts per division", QX_CMD(CMD_CHANNEL), .ctrl = 0x465,
     .var = QX_VAR_FLOAT, .number = true, .unit = Unit::Volt, .range = "2 mV to 10 V times the probe"},
    {.text = "ch# offset", .help = "vertical offset", QX_CMD(CMD_CHANNEL), .ctrl = 0x46F, .var = QX_VAR_FLOAT,
     .number = true, .unit = Unit::Volt},
    {.text = "ch# coupling", .help = "input coupling", QX_CMD(CMD_CHANNEL), .ctrl = 0x479, .var = QX_VAR_INT,
     .choices = kChanCoupling},
    {.text = "ch# bwlimit", .help = "bandwidth limit", QX_CMD(CMD_CHANNEL), .ctrl = 0x47A, .var = QX_VAR_BYTE,
     .choices = kOnOff},
    {.text = "ch# probe", .help = "probe attenuation factor; scale, offset and trigger levels follow",
     QX_CMD(CMD_CHANNEL), .ctrl = 0x47B, .var = QX_VAR_FLOAT, .number = true},
    {.text = "ch# display", .help = "show the channel", QX_CMD(CMD_CHANNEL), .ctrl = 0x47C,
     .var = QX_VAR_BYTE, .choices = kOnOff},
    {.text = "ch# invert", .help = "show the channel upside down", QX_CMD(CMD_CHANNEL), .ctrl = 0x47D,
     .var = QX_VAR_BYTE, .choices = kOnOff},
    {.text = "ch# unit", .help = "the unit the host shows (stays on the host)", QX_CMD(CMD_CHANNEL),
     .ctrl = 0x47E, .var = QX_VAR_INT, .choices = kChanUnit},
    {.text = "ch# impedance", .help = "input impedance", QX_CMD(CMD_CHANNEL), .ctrl = 0x47F,
     .var = QX_VAR_INT, .choices = kImpedance},
    {.text = "ch# filter", .help = "the digital filter", QX_CMD(CMD_CHANNEL), .ctrl = 0x483,
     .var = QX_VAR_BYTE, .choices = kOnOff},
    {.text = "ch# filter upper", .help = "upper filter limit, a fraction of the sample rate",
     QX_CMD(CMD_CHANNEL), .ctrl = 0x48D, .var = QX_VAR_FLOAT, .number = true, .range = "0.005 to 0.495"},
    {.text = "ch# filter lower", .help = "lower filter limit, a fraction of the sample rate",
     QX_CMD(CMD_CHANNEL), .ctrl = 0x497, .var = QX_VAR_FLOAT, .number = true, .range = "0.005 to 0.495"},
    {.text = "ch# filter type", .help = "the filter's kind", QX_CMD(CMD_CHANNEL), .ctrl = 0x4A1,
     .var = QX_VAR_INT, .choices = kFilterType},
    {.text = "apply offsets ch#",
     .help = "send the channel's offset from the record, then the time base of the active window",
     QX_CMD(CMD_APPLY_VIEW), QX_CTL(CTL_APPLY_OFFSETS)},
    {.text = "apply scales",
     .help = "send both channels' scales and offsets from the record, then the window's time bases",
     QX_CMD(CMD_APPLY_VIEW), QX_CTL(CTL_APPLY_SCALES)},

    // Math and FFT (math1 is slot 0); only operator and display reach the instrument
    {.text = "math# filter upper", .help = "upper filter limit, a fraction of the sample rate",
     QX_CMD(CMD_MATH), .ctrl = 0x48D, .var = QX_VAR_FLOAT, .number = true, .range = "0.005 to 0.495"},
    {.text = "math# filter lower", .help = "lower filter limit, a fraction of the sample rate",
     QX_CMD(CMD_MATH), .ctrl = 0x497, .var = QX_VAR_FLOAT, .number = true, .range = "0.005 to 0.495"},
    {.text = "math# filter type", .help = "the filter's kind", QX_CMD(CMD_MATH), .ctrl = 0x4A1,
     .var = QX_VAR_INT, .choices = kFilterType},
    {.text = "math# filter source", .help = "the channel filtered", QX_CMD(CMD_MATH), .ctrl = 0x4AB,
     .var = QX_VAR_INT, .choices = kChannel},
    {.text = "math# scale", .help = "scale step of the trace", QX_CMD(CMD_MATH), .ctrl = 0x4C9,
     .var = QX_VAR_INT, .number = true, .range = "steps 0 to 12"},
    {.text = "math recompute", .help = "recompute all four math traces", QX_CMD(CMD_MATH), .ctrl = 0x4CA},
    {.text = "math# offset", .help = "offset, in the unit of the trace", QX_CMD(CMD_MATH), .ctrl = 0x4D3,
     .var = QX_VAR_FLOAT, .number = true},
    {.text = "math# index", .help = "the host's index of the trace", QX_CMD(CMD_MATH), .ctrl = 0x4DD,
     .var = QX_VAR_INT, .number = true},
    {.text = "math# operator", .help = "what the trace computes", QX_CMD(CMD_MATH), .ctrl = 0x4E7,
     .var = QX_VAR_INT, .choices = kMathOperator},
    {.text = "math# sourcea", .help = "first operand", QX_CMD(CMD_MATH), .ctrl = 0x4E8, .var = QX_VAR_INT,
     .choices = kChannel},
    {.text = "math# sourceb", .help = "second operand", QX_CMD(CMD_MATH), .ctrl = 0x4E9, .var = QX_VAR_INT,
     .choices = kChannel},
    {.text = "math# display", .help = "show the trace", QX_CMD(CMD_MATH), .ctrl = 0x4EA, .var = QX_VAR_BYTE,
     .choices = kOnOff},
    {.text = "math# fft source", .help = "the channel the spectrum is taken of", QX_CMD(CMD_MATH),
     .ctrl = 0x4F1, .var = QX_VAR_INT, .choices = kChannel},
    {.text = "math# fft window", .help = "the spectrum's window function", QX_CMD(CMD_MATH), .ctrl = 0x4F2,
     .var = QX_VAR_INT, .choices = kFftWindow},
    {.text = "math# fft fullscreen", .help = "the spectrum over the whole screen", QX_CMD(CMD_MATH),
     .ctrl = 0x4F3, .var = QX_VAR_BYTE, .choices = kOnOff},
    {.text = "math# fft unit", .help = "vertical unit of the spectrum", QX_CMD(CMD_MATH), .ctrl = 0x4FA,
     .var = QX_VAR_INT, .choices = kFftUnit},
    {.text = "math# fft vrms scale", .help = "scale step of a Vrms spectrum", QX_CMD(CMD_MATH), .ctrl = 0x4FB,
     .var = QX_VAR_INT, .number = true, .range = "steps 0 to 12"},
    {.text = "math# fft vrms offset", .help = "offset of a Vrms spectrum, Vrms", QX_CMD(CMD_MATH),
     .ctrl = 0x505, .var = QX_VAR_FLOAT, .number = true, .unit = Unit::Volt},
    {.text = "math# fft db scale", .help = "dB per division of a dBVrms spectrum", QX_CMD(CMD_MATH),
     .ctrl = 0x50F, .var = QX_VAR_FLOAT, .number = true},
    {.text = "math# fft db offset", .help = "offset of a dBVrms spectrum, dB", QX_CMD(CMD_MATH),
     .ctrl = 0x519, .var = QX_VAR_FLOAT, .number = true},
    {.text = "math# fft time scale", .help = "hertz per division", QX_CMD(CMD_MATH), .ctrl = 0x523,
     .var = QX_VAR_FLOAT, .number = true, .unit = Unit::Hertz},
    {.text = "math# fft time offset", .help = "horizontal offset of the spectrum", QX_CMD(CMD_MATH),
     .ctrl = 0x52D, .var = QX_VAR_FLOAT, .number = true, .unit = Unit::Hertz},
    {.text = "math# invert", .help = "show the trace upside down", QX_CMD(CMD_MATH), .ctrl = 0x537,
     .var = QX_VAR_BYTE, .choices = kOnOff},

    // Logic analyzer (d0 is slot 0)
    {.text = "la", .help = "the logic analyzer", QX_CMD(CMD_DIGITAL), .ctrl = 0x5F5, .var = QX_VAR_BYTE,
     .choices = kOnOff},
    {.text = "d#", .help = "show the digital channel; the analyzer follows its channels", QX_CMD(CMD_DIGITAL),
     .ctrl = 0x5FF, .var = QX_VAR_BYTE, .choices = kOnOff},
    {.text = "la group1", .help = "digital channels D0 to D7", QX_CMD(CMD_DIGITAL), .ctrl = 0x600,
     .var = QX_VAR_BYTE, .choices = kOnOff},
    {.text = "la group2", .help = "digital channels D8 to D15", QX_CMD(CMD_DIGITAL), .ctrl = 0x601,
     .var = QX_VAR_BYTE, .choices = kOnOff},
    {.text = "la threshold", .help = "logic threshold", QX_CMD(CMD_DIGITAL), .ctrl = 0x609, .var = QX_VAR_INT,
     .choices = kLaThreshold},
    {.text = "la user", .help = "the user threshold, sent while the threshold is user", QX_CMD(CMD_DIGITAL),
     .ctrl = 0x60A, .var = QX_VAR_FLOAT, .number = true, .unit = Unit::Volt},
    {.text = "la user preset", .help = "the user threshold, kept for later: nothing is sent",
     QX_CMD(CMD_DIGITAL), .ctrl = 0x60E, .var = QX_VAR_FLOAT, .number = true, .unit = Unit::Volt},
    {.text = "d# pos", .help = "where the trace sits, divisions from the centre (stays on the host)",
     QX_CMD(CMD_DIGITAL), .ctrl = 0x613, .var = QX_VAR_FLOAT, .number = true},
    {.text = "la size", .help = "trace height (stays on the host)", QX_CMD(CMD_DIGITAL), .ctrl = 0x61D,
     .var = QX_VAR_INT, .choices = kLaSize},
    {.text = "la default", .help = "every trace back to its place for the size (stays on the host)",
     QX_CMD(CMD_DIGITAL), .ctrl = 0x61E},

    // Reference waveforms (ref1 is slot 0); they stay on the host
    {.text = "ref# source", .help = "the trace the reference is taken of", QX_CMD(CMD_REF), .ctrl = 0x591,
     .var = QX_VAR_INT, .choices = kRefSource},
    {.text = "ref# option", .help = "the host's option code", QX_CMD(CMD_REF), .ctrl = 0x592,
     .var = QX_VAR_INT, .number = true},
    {.text = "ref# display", .help = "show the reference", QX_CMD(CMD_REF), .ctrl = 0x593, .var = QX_VAR_BYTE,
     .choices = kOnOff},
    {.text = "ref# scale", .help = "units per division", QX_CMD(CMD_REF), .ctrl = 0x59B, .var = QX_VAR_FLOAT,
     .number = true},
    {.text = "ref# offset", .help = "vertical offset", QX_CMD(CMD_REF), .ctrl = 0x5A5, .var = QX_VAR_FLOAT,
     .number = true},
    {.text = "ref# timescale", .help = "seconds per division (hertz for an FFT reference: a plain number)",
     QX_CMD(CMD_REF), .ctrl = 0x5AF, .var = QX_VAR_DOUBLE, .number = true, .unit = Unit::Second},
    {.text = "ref# timeoffset", .help = "horizontal offset (hertz for an FFT reference: a plain number)",
     QX_CMD(CMD_REF), .ctrl = 0x5B9, .var = QX_VAR_DOUBLE, .number = true, .unit = Unit::Second},
    {.text = "ref# filled", .help = "the host copied a trace into the slot", QX_CMD(CMD_REF), .ctrl = 0x5C3},
    {.text = "ref# snapshot", .help = "take the acquisition's rate for the slot", QX_CMD(CMD_REF),
     .ctrl = 0x5CD},

    // Time base
    {.text = "timebase mode", .help = "the main or the delayed (zoomed) time base", QX_CMD(CMD_TIMEBASE),
     QX_CTL(CTL_TIMEBASE_MODE), .var = QX_VAR_BYTE, .choices = kTimebaseMode},
    {.text = "timebase format", .help = "time against volts, XY, or rolling", QX_CMD(CMD_TIMEBASE),
     QX_CTL(CTL_TIMEBASE_FORMAT), .var = QX_VAR_INT, .choices = kTimeFormat},
    {.text = "timebase offset", .help = "trigger position", QX_CMD(CMD_TIMEBASE), QX_CTL(CTL_TIMEBASE_OFFSET),
     .var = QX_VAR_DOUBLE, .number = true, .unit = Unit::Second},
    {.text = "timebase scale", .help = "seconds per division", QX_CMD(CMD_TIMEBASE),
     QX_CTL(CTL_TIMEBASE_SCALE), .var = QX_VAR_DOUBLE, .number = true, .unit = Unit::Second,
     .range = "2 ns to 50 s in 1-2-5 steps"},
    {.text = "timebase refresh", .help = "recompute the screen from the time base (stays on the host)",
     QX_CMD(CMD_TIMEBASE), QX_CTL(CTL_TIMEBASE_REFRESH)},
    {.text = "delayed offset", .help = "position of the delayed view", QX_CMD(CMD_TIMEBASE),
     QX_CTL(CTL_DELAYED_OFFSET), .var = QX_VAR_DOUBLE, .number = true, .unit = Unit::Second},
    {.text = "delayed scale", .help = "seconds per division of the delayed view", QX_CMD(CMD_TIMEBASE),
     QX_CTL(CTL_DELAYED_SCALE), .var = QX_VAR_DOUBLE, .number = true, .unit = Unit::Second},
    {.text = "alt ch# timescale", .help = "seconds per division of the alternate-trigger channel",
     QX_CMD(CMD_TIMEBASE), QX_CTL(CTL_ALT_TIMESCALE), .var = QX_VAR_DOUBLE, .number = true,
     .unit = Unit::Second},
    {.text = "alt ch# timeoffset", .help = "trigger position of the alternate-trigger channel",
     QX_CMD(CMD_TIMEBASE), QX_CTL(CTL_ALT_TIMEOFFSET), .var = QX_VAR_DOUBLE, .number = true,
     .unit = Unit::Second},

    // Trigger
    {.text = "trigger type", .help = "trigger type", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_TRIG_TYPE),
     .var = QX_VAR_INT, .choices = kTrigType},
    {.text = "trigger sweep", .help = "sweep of the current type", QX_CMD(CMD_TRIGGER),
     QX_CTL(CTL_TRIG_SWEEP), .var = QX_VAR_INT, .choices = kSweep},
    {.text = "trigger coupling", .help = "coupling of the current type", QX_CMD(CMD_TRIGGER),
     QX_CTL(CTL_TRIG_COUPLING), .var = QX_VAR_INT, .choices = kTrigCoupling},
    {.text = "trigger sensitivity", .help = "sensitivity, divisions", QX_CMD(CMD_TRIGGER),
     QX_CTL(CTL_TRIG_SENSITIVITY), .var = QX_VAR_FLOAT, .number = true},
    {.text = "trigger holdoff", .help = "holdoff time", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_TRIG_HOLDOFF),
     .var = QX_VAR_FLOAT, .number = true, .unit = Unit::Second},
    {.text = "edge slope", .help = "edge trigger slope", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_EDGE_SLOPE),
     .var = QX_VAR_INT, .choices = kEdgeSlope},
    {.text = "edge source", .help = "edge trigger source", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_EDGE_SOURCE),
     .var = QX_VAR_INT, .choices = kTrigSource},
    {.text = "edge level", .help = "edge trigger level", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_EDGE_LEVEL),
     .var = QX_VAR_FLOAT, .number = true, .unit = Unit::Volt},
    {.text = "pulse source", .help = "pulse trigger source", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_PULSE_SOURCE),
     .var = QX_VAR_INT, .choices = kTrigSource},
    {.text = "pulse mode", .help = "pulse polarity and width condition", QX_CMD(CMD_TRIGGER),
     QX_CTL(CTL_PULSE_MODE), .var = QX_VAR_INT, .choices = kCondition},
    {.text = "pulse level", .help = "pulse trigger level", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_PULSE_LEVEL),
     .var = QX_VAR_FLOAT, .number = true, .unit = Unit::Volt},
    {.text = "pulse width", .help = "pulse width the condition compares with", QX_CMD(CMD_TRIGGER),
     QX_CTL(CTL_PULSE_WIDTH), .var = QX_VAR_DOUBLE, .number = true, .unit = Unit::Second},
    {.text = "video source", .help = "video trigger source", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_VIDEO_SOURCE),
     .var = QX_VAR_INT, .choices = kTrigSource},
    {.text = "video polarity", .help = "video sync polarity", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_VIDEO_POLARITY),
     .var = QX_VAR_INT, .choices = kPolarity},
    {.text = "video mode", .help = "what of the video signal triggers", QX_CMD(CMD_TRIGGER),
     QX_CTL(CTL_VIDEO_MODE), .var = QX_VAR_INT, .choices = kVideoMode},
    {.text = "video standard", .help = "video standard", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_VIDEO_STANDARD),
     .var = QX_VAR_INT, .choices = kVideoStandard},
    {.text = "video level", .help = "video trigger level", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_VIDEO_LEVEL),
     .var = QX_VAR_FLOAT, .number = true, .unit = Unit::Volt},
    {.text = "video line", .help = "the line that triggers, by the standard's numbering", QX_CMD(CMD_TRIGGER),
     QX_CTL(CTL_VIDEO_LINE), .var = QX_VAR_INT, .number = true},
    {.text = "slope source", .help = "slope trigger source", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_SLOPE_SOURCE),
     .var = QX_VAR_INT, .choices = kTrigSource},
    {.text = "slope mode", .help = "slope direction and time condition", QX_CMD(CMD_TRIGGER),
     QX_CTL(CTL_SLOPE_MODE), .var = QX_VAR_INT, .choices = kCondition},
    {.text = "slope levela", .help = "slope trigger level A", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_SLOPE_LEVELA),
     .var = QX_VAR_FLOAT, .number = true, .unit = Unit::Volt},
    {.text = "slope levelb", .help = "slope trigger level B", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_SLOPE_LEVELB),
     .var = QX_VAR_FLOAT, .number = true, .unit = Unit::Volt},
    {.text = "slope time", .help = "time the condition compares with", QX_CMD(CMD_TRIGGER),
     QX_CTL(CTL_SLOPE_TIME), .var = QX_VAR_DOUBLE, .number = true, .unit = Unit::Second},
    {.text = "pattern d#",
     .help = "the channel's condition, of the pattern trigger under pattern, else of the duration trigger",
     QX_CMD(CMD_TRIGGER), QX_CTL(CTL_PATTERN_BIT), .var = QX_VAR_INT, .choices = kPatternCode},
    {.text = "pattern group#", .help = "one condition for eight channels: group1 D0 to D7, group2 D8 to D15",
     QX_CMD(CMD_TRIGGER), QX_CTL(CTL_PATTERN_GROUP), .var = QX_VAR_INT, .choices = kPatternCode},
    {.text = "duration qualifier", .help = "how the pattern's duration compares with the time",
     QX_CMD(CMD_TRIGGER), QX_CTL(CTL_DURATION_QUALIFIER), .var = QX_VAR_INT, .choices = kQualifier},
    {.text = "duration time", .help = "time the duration compares with", QX_CMD(CMD_TRIGGER),
     QX_CTL(CTL_DURATION_TIME), .var = QX_VAR_DOUBLE, .number = true, .unit = Unit::Second},

    // Alternate trigger (alt ch1 is slot 0)
    {.text = "alt source", .help = "the channel the alternate-trigger words address", QX_CMD(CMD_TRIGGER),
     QX_CTL(CTL_ALT_SOURCE), .var = QX_VAR_INT, .choices = kChannel},
    {.text = "alt ch# type", .help = "trigger type of the channel", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_ALT_TYPE),
     .var = QX_VAR_INT, .choices = kAltTrigType},
    {.text = "alt ch# sensitivity", .help = "sensitivity, divisions", QX_CMD(CMD_TRIGGER),
     QX_CTL(CTL_ALT_SENSITIVITY), .var = QX_VAR_FLOAT, .number = true},
    {.text = "alt ch# holdoff", .help = "holdoff time", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_ALT_HOLDOFF),
     .var = QX_VAR_FLOAT, .number = true, .unit = Unit::Second},
    {.text = "alt ch# coupling", .help = "trigger coupling", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_ALT_COUPLING),
     .var = QX_VAR_INT, .choices = kTrigCoupling},
    {.text = "alt ch# samplerate", .help = "store the channel's sampling rate; its line goes out empty",
     QX_CMD(CMD_TRIGGER), .ctrl = 0x7D7, .var = QX_VAR_FLOAT, .number = true, .unit = Unit::SamplesPerSecond},
    {.text = "alt ch# edge slope", .help = "edge slope", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_ALT_EDGE_SLOPE),
     .var = QX_VAR_INT, .choices = kEdgeSlope},
    {.text = "alt ch# edge level", .help = "edge level", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_ALT_EDGE_LEVEL),
     .var = QX_VAR_FLOAT, .number = true, .unit = Unit::Volt},
    {.text = "alt ch# pulse mode", .help = "pulse polarity and width condition", QX_CMD(CMD_TRIGGER),
     QX_CTL(CTL_ALT_PULSE_MODE), .var = QX_VAR_INT, .choices = kCondition},
    {.text = "alt ch# pulse level", .help = "pulse level", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_ALT_PULSE_LEVEL),
     .var = QX_VAR_FLOAT, .number = true, .unit = Unit::Volt},
    {.text = "alt ch# pulse width", .help = "pulse width", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_ALT_PULSE_WIDTH),
     .var = QX_VAR_DOUBLE, .number = true, .unit = Unit::Second},
    {.text = "alt ch# slope mode", .help = "slope direction and time condition", QX_CMD(CMD_TRIGGER),
     QX_CTL(CTL_ALT_SLOPE_MODE), .var = QX_VAR_INT, .choices = kCondition},
    {.text = "alt ch# slope time", .help = "slope time", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_ALT_SLOPE_TIME),
     .var = QX_VAR_DOUBLE, .number = true, .unit = Unit::Second},
    {.text = "alt ch# slope levela", .help = "slope level A", QX_CMD(CMD_TRIGGER),
     QX_CTL(CTL_ALT_SLOPE_LEVELA), .var = QX_VAR_FLOAT, .number = true, .unit = Unit::Volt},
    {.text = "alt ch# slope levelb", .help = "slope level B", QX_CMD(CMD_TRIGGER),
     QX_CTL(CTL_ALT_SLOPE_LEVELB), .var = QX_VAR_FLOAT, .number = true, .unit = Unit::Volt},
    {.text = "alt ch# video polarity", .help = "video sync polarity", QX_CMD(CMD_TRIGGER),
     QX_CTL(CTL_ALT_VIDEO_POLARITY), .var = QX_VAR_INT, .choices = kPolarity},
    {.text = "alt ch# video standard", .help = "video standard", QX_CMD(CMD_TRIGGER),
     QX_CTL(CTL_ALT_VIDEO_STANDARD), .var = QX_VAR_INT, .choices = kVideoStandard},
    {.text = "alt ch# video mode", .help = "what of the video signal triggers", QX_CMD(CMD_TRIGGER),
     QX_CTL(CTL_ALT_VIDEO_MODE), .var = QX_VAR_INT, .choices = kVideoMode},
    {.text = "alt ch# video line", .help = "the line that triggers", QX_CMD(CMD_TRIGGER),
     QX_CTL(CTL_ALT_VIDEO_LINE), .var = QX_VAR_INT, .number = true},
    {.text = "alt ch# video level", .help = "video level", QX_CMD(CMD_TRIGGER), QX_CTL(CTL_ALT_VIDEO_LEVEL),
     .var = QX_VAR_FLOAT, .number = true, .unit = Unit::Volt},

    // Cursors: modes, then the manual and track cursors (positions in divisions; on the host)
    {.text = "cursor off", .help = "cursors off", QX_CMD(CMD_CURSOR_MODE), QX_CTL(CTL_CURSOR_OFF)},
    {.text = "cursor manual", .help = "manual cursors", QX_CMD(CMD_CURSOR_MODE), QX_CTL(CTL_CURSOR_MANUAL)},
    {.text = "cursor track", .help = "track cursors", QX_CMD(CMD_CURSOR_MODE), QX_CTL(CTL_CURSOR_TRACK)},
    {.text = "cursor x source", .help = "the trace the X cursors measure", QX_CMD(CMD_CURSOR_MANUAL),
     QX_CTL(CTL_CURSOR_X_SOURCE), .var = QX_VAR_INT, .choices = kCursorXSource},
    {.text = "cursor y source", .help = "the trace the Y cursors measure", QX_CMD(CMD_CURSOR_MANUAL),
     QX_CTL(CTL_CURSOR_Y_SOURCE), .var = QX_VAR_INT, .choices = kCursorYSource},
    {.text = "cursor x a pos", .help = "X cursor A, divisions right of the trigger marker",
     QX_CMD(CMD_CURSOR_MANUAL), QX_CTL(CTL_CURSOR_X_POS), .value = 0, .var = QX_VAR_FLOAT, .number = true},
    {.text = "cursor x b pos", .help = "X cursor B, divisions right of the trigger marker",
     QX_CMD(CMD_CURSOR_MANUAL), QX_CTL(CTL_CURSOR_X_POS), .value = 1, .var = QX_VAR_FLOAT, .number = true},
    {.text = "cursor x", .help = "the X cursors", QX_CMD(CMD_CURSOR_MANUAL), QX_CTL(CTL_CURSOR_X_ON),
     .var = QX_VAR_BYTE, .choices = kOnOff},
    {.text = "cursor y a pos", .help = "Y cursor A, divisions above the source's offset marker",
     QX_CMD(CMD_CURSOR_MANUAL), QX_CTL(CTL_CURSOR_Y_POS), .value = 0, .var = QX_VAR_FLOAT, .number = true},
    {.text = "cursor y b pos", .help = "Y cursor B, divisions above the source's offset marker",
     QX_CMD(CMD_CURSOR_MANUAL), QX_CTL(CTL_CURSOR_Y_POS), .value = 1, .var = QX_VAR_FLOAT, .number = true},
    {.text = "cursor y", .help = "the Y cursors", QX_CMD(CMD_CURSOR_MANUAL), QX_CTL(CTL_CURSOR_Y_ON),
     .var = QX_VAR_BYTE, .choices = kOnOff},
    {.text = "track a source", .help = "the channel track cursor A follows", QX_CMD(CMD_CURSOR_TRACK),
     QX_CTL(CTL_TRACK_A_SOURCE), .var = QX_VAR_INT, .choices = kChannel},
    {.text = "track b source", .help = "the channel track cursor B follows", QX_CMD(CMD_CURSOR_TRACK),
     QX_CTL(CTL_TRACK_B_SOURCE), .var = QX_VAR_INT, .choices = kChannel},
    {.text = "track a pos", .help = "track cursor A, divisions right of the trigger marker",
     QX_CMD(CMD_CURSOR_TRACK), QX_CTL(CTL_TRACK_POS), .value = 0, .var = QX_VAR_FLOAT, .number = true},
    {.text = "track b pos", .help = "track cursor B, divisions right of the trigger marker",
     QX_CMD(CMD_CURSOR_TRACK), QX_CTL(CTL_TRACK_POS), .value = 1, .var = QX_VAR_FLOAT, .number = true},
    {.text = "track a", .help = "track cursor A", QX_CMD(CMD_CURSOR_TRACK), QX_CTL(CTL_TRACK_ON), .value = 0,
     .var = QX_VAR_BYTE, .choices = kOnOff},
    {.text = "track b", .help = "track cursor B", QX_CMD(CMD_CURSOR_TRACK), QX_CTL(CTL_TRACK_ON), .value = 1,
     .var = QX_VAR_BYTE, .choices = kOnOff},

    // Display (on the host)
    {.text = "display type", .help = "samples joined or as dots", QX_CMD(CMD_DISPLAY), .ctrl = 0x86B,
     .var = QX_VAR_BYTE, .choices = kDispType},
    {.text = "display grid", .help = "the grid", QX_CMD(CMD_DISPLAY), .ctrl = 0x86C, .var = QX_VAR_BYTE,
     .choices = kDispGrid},
    {.text = "display flag", .help = "the host's display flag", QX_CMD(CMD_DISPLAY), .ctrl = 0x86D,
     .var = QX_VAR_BYTE, .choices = kOnOff},
    {.text = "display clear", .help = "clear the held traces", QX_CMD(CMD_DISPLAY), .ctrl = 0x86E},
    {.text = "display intensity", .help = "waveform brightness", QX_CMD(CMD_DISPLAY), .ctrl = 0x875,
     .var = QX_VAR_FLOAT, .number = true, .range = "0 to 1"},
    {.text = "display gridintensity", .help = "grid brightness", QX_CMD(CMD_DISPLAY), .ctrl = 0x87F,
     .var = QX_VAR_FLOAT, .number = true, .range = "0 to 1"},
    {.text = "display lock", .help = "lock the intensity", QX_CMD(CMD_DISPLAY), .ctrl = 0x880,
     .var = QX_VAR_BYTE, .choices = kOnOff},

    // Measure (on the host; types are the host's numbering)
    {.text = "measure all", .help = "every measurement of one source", QX_CMD(CMD_MEASURE), .ctrl = 0x8E3,
     .var = QX_VAR_INT, .choices = kChannel},
    {.text = "measure add ch1", .help = "add a measurement of CH1, by type", QX_CMD(CMD_MEASURE),
     .ctrl = 0x8E4, .value = 0, .var = QX_VAR_INT, .number = true,
     .range = "the host's types; 19 and 20 do not depend on the source"},
    {.text = "measure add ch2", .help = "add a measurement of CH2, by type", QX_CMD(CMD_MEASURE),
     .ctrl = 0x8E4, .value = 1, .var = QX_VAR_INT, .number = true,
     .range = "the host's types; 19 and 20 do not depend on the source"},
    {.text = "measure clear", .help = "no measurements", QX_CMD(CMD_MEASURE), .ctrl = 0x8E7},

    // Pass/fail test (on the host)
    {.text = "passfail", .help = "the pass/fail test", QX_CMD(CMD_PASS_FAIL), .ctrl = 0x915,
     .var = QX_VAR_BYTE, .choices = kOnOff},
    {.text = "passfail source", .help = "the channel tested", QX_CMD(CMD_PASS_FAIL), .ctrl = 0x916,
     .var = QX_VAR_INT, .choices = kChannel},
    {.text = "passfail run", .help = "the test operating or stopped", QX_CMD(CMD_PASS_FAIL), .ctrl = 0x917,
     .var = QX_VAR_BYTE, .choices = kOnOff},
    {.text = "passfail option", .help = "the host's option code", QX_CMD(CMD_PASS_FAIL), .ctrl = 0x918,
     .var = QX_VAR_INT, .number = true},
    {.text = "passfail horizontal", .help = "horizontal tolerance of the mask, divisions",
     QX_CMD(CMD_PASS_FAIL), .ctrl = 0x919, .var = QX_VAR_FLOAT, .number = true, .range = "0.04 to 4"},
    {.text = "passfail vertical", .help = "vertical tolerance of the mask, divisions", QX_CMD(CMD_PASS_FAIL),
     .ctrl = 0x91A, .var = QX_VAR_FLOAT, .number = true, .range = "0.04 to 4"},
    {.text = "passfail flag1", .help = "the host's first flag", QX_CMD(CMD_PASS_FAIL), .ctrl = 0x91B,
     .var = QX_VAR_BYTE, .choices = kOnOff},
    {.text = "passfail flag2", .help = "the host's second flag", QX_CMD(CMD_PASS_FAIL), .ctrl = 0x91C,
     .var = QX_VAR_BYTE, .choices = kOnOff},
    {.text = "passfail display", .help = "show the test's messages", QX_CMD(CMD_PASS_FAIL), .ctrl = 0x91D,
     .var = QX_VAR_BYTE, .choices = kOnOff},

    // Record and playback (on the host)
    {.text = "record source", .help = "what is recorded", QX_CMD(CMD_RECORD), .ctrl = 0x97A,
     .var = QX_VAR_INT, .choices = kRecordSource},
    {.text = "record interval", .help = "time between frames", QX_CMD(CMD_RECORD), .ctrl = 0x97B,
     .var = QX_VAR_FLOAT, .number = true, .unit = Unit::Second},
    {.text = "record frames", .help = "frames to record", QX_CMD(CMD_RECORD), .ctrl = 0x97D,
     .var = QX_VAR_UINT, .number = true, .range = "1 to 1000"},
    {.text = "record start", .help = "start recording", QX_CMD(CMD_RECORD), .ctrl = 0x980},
    {.text = "record stop",
     .help = "stop recording and write the record file (the console acquires no frames: it breaks off)",
     QX_CMD(CMD_RECORD), .ctrl = 0x981, .framesAddress = true},
    {.text = "play interval", .help = "time between frames played", QX_CMD(CMD_RECORD), .ctrl = 0x9A3,
     .var = QX_VAR_FLOAT, .number = true, .unit = Unit::Second},
    {.text = "play frame", .help = "the frame shown while paused", QX_CMD(CMD_RECORD), .ctrl = 0x9A6,
     .var = QX_VAR_INT, .number = true},
    {.text = "play mode", .help = "the host's playback mode code", QX_CMD(CMD_RECORD), .ctrl = 0x9A7,
     .var = QX_VAR_INT, .number = true},
    {.text = "play replay", .help = "play from the first frame, and keep playing", QX_CMD(CMD_RECORD),
     .ctrl = 0x9A9, .value = kPlayContinue},
    {.text = "play resume", .help = "go on playing after a pause", QX_CMD(CMD_RECORD), .ctrl = 0x9AF,
     .value = kPlayContinue},
    {.text = "play back", .help = "one frame back, and pause", QX_CMD(CMD_RECORD), .ctrl = 0x9AE},
    {.text = "play leave", .help = "leave playback: the settings of before it go back to the instrument",
     QX_CMD(CMD_RECORD), .ctrl = 0x9AA},

    // Interface and self-calibration
    {.text = "interface", .help = "the link the library talks to: usb or lan", QX_CMD(CMD_INTERFACE),
     QX_CTL(CTL_IF_SELECT), .var = QX_VAR_UINT, .choices = kInterface},
    {.text = "interface dhcp", .help = "switch DHCP on or off and update the LAN settings",
     QX_CMD(CMD_INTERFACE), QX_CTL(CTL_LAN_DHCP), .var = QX_VAR_BYTE, .choices = kOnOff},
    {.text = "interface apply",
     .help = "write the record's LAN settings and read back what the instrument uses",
     QX_CMD(CMD_INTERFACE), QX_CTL(CTL_LAN_APPLY)},
    {.text = "selfcal", .help = "enable self-calibration", QX_CMD(CMD_SELFCAL), .var = QX_VAR_BYTE,
     .choices = kOnOff},

    // The console's own words
    {.text = "window", .help = "the view the apply words act on (writes ActiveWindow)", .own = Own::Window,
     .usage = "0|1|2|3|4"},
    {.text = "record file", .help = "where record stop writes the recording (writes RecordFilePath)",
     .own = Own::RecordFile, .usage = "PATH"},
    {.text = "show", .help = "print a group of record fields (show screen: the screen geometry); "
                             "show alone lists the groups",
     .own = Own::Show, .usage = "[GROUP]"},
    {.text = "blocks", .help = "decode the setup blocks as the instrument last sent them", .own = Own::Blocks,
     .usage = "[dso|la|alt]"},
    {.text = "send",
     .help = "write TEXT to the instrument as a command line; the records do not follow it "
             "(init re-reads them)",
     .own = Own::Send, .usage = "TEXT"},
    {.text = "query",
     .help = "send TEXT as a query and print the reply (a setup block decoded, other binary replies in hex)",
     .own = Own::Query, .usage = "TEXT"},
    {.text = "raw",
     .help = "post any command; CMD and CTRL by name or number, "
             "TYPE none bool byte int uint float double int64",
     .own = Own::Raw, .usage = "CMD CTRL VALUE TYPE [DATA]"},
    {.text = "init", .help = "read the instrument's setup into the records again", .own = Own::Init},
    {.text = "help", .help = "the words, the words that begin with WORD, or how numbers are written",
     .own = Own::Help, .usage = "[WORD|numbers]"},
    {.text = "quit", .help = "leave", .own = Own::Quit},
};
// clang-format on

constexpr Placeholder kPlaceholders[] = {
    {"ch#", "alt", "ch", 1, 2, QX_SLOT_ALT_CHANNEL, "alternate-trigger channel"},
    {"ch#", nullptr, "ch", 1, 2, QX_SLOT_CHANNEL, "channel"},
    {"math#", nullptr, "math", 1, 4, QX_SLOT_MATH, "math slot"},
    {"ref#", nullptr, "ref", 1, 4, QX_SLOT_REF, "reference"},
    {"d#", nullptr, "d", 0, 15, QX_SLOT_DIGITAL, "digital channel"},
    {"group#", nullptr, "group", 1, 2, QX_SLOT_GROUP, "pattern group"},
};

// Identifiers no word posts but the library reports or a host may post.
struct NamedId {
  unsigned long id;
  const char* name;
};
#define QX_NAMED(id) \
  { id, #id }
constexpr NamedId kCommands[] = {
    QX_NAMED(CMD_CURSOR_MODE),   QX_NAMED(CMD_SELFCAL),      QX_NAMED(CMD_MISC),
    QX_NAMED(CMD_RUN_CONTROL),   QX_NAMED(CMD_CHANNEL),      QX_NAMED(CMD_MATH),
    QX_NAMED(CMD_REF),           QX_NAMED(CMD_DIGITAL),      QX_NAMED(CMD_TIMEBASE),
    QX_NAMED(CMD_TRIGGER),       QX_NAMED(CMD_ACQUIRE),      QX_NAMED(CMD_DISPLAY),
    QX_NAMED(CMD_CURSOR_MANUAL), QX_NAMED(CMD_CURSOR_TRACK), QX_NAMED(CMD_PASS_FAIL),
    QX_NAMED(CMD_RECORD),        QX_NAMED(CMD_MEASURE),      QX_NAMED(CMD_INTERFACE),
    QX_NAMED(CMD_APPLY_VIEW),
};
constexpr NamedId kOtherControls[] = {
    QX_NAMED(CTL_CURSOR_MODE3),      QX_NAMED(CTL_MISC_XY_REFUSED), QX_NAMED(CTL_MISC_CURSOR_MANUAL),
    QX_NAMED(CTL_MISC_CURSOR_TRACK), QX_NAMED(CTL_STATUS_MESSAGE),  QX_NAMED(CTL_SETTING_CHANGED),
};
#undef QX_NAMED

}  // namespace

std::span<const Word> Words() { return kWords; }
std::span<const Placeholder> Placeholders() { return kPlaceholders; }

const char* CommandName(unsigned long cmd) {
  for (const NamedId& c : kCommands)
    if (c.id == cmd) return c.name;
  return nullptr;
}

const char* ControlName(unsigned long cmd, unsigned int ctrl) {
  for (const Word& w : kWords)
    if (w.ctrlName && w.cmd == cmd && w.ctrl == ctrl) return w.ctrlName;
  for (const NamedId& c : kOtherControls)
    if (c.id == ctrl) return c.name;
  return nullptr;
}

bool CommandByName(const char* name, unsigned long* cmd) {
  for (const NamedId& c : kCommands)
    if (std::strcmp(c.name, name) == 0) return *cmd = c.id, true;
  return false;
}

bool ControlByName(const char* name, unsigned int* ctrl) {
  for (const Word& w : kWords)
    if (w.ctrlName && std::strcmp(w.ctrlName, name) == 0) return *ctrl = w.ctrl, true;
  for (const NamedId& c : kOtherControls)
    if (std::strcmp(c.name, name) == 0) return *ctrl = static_cast<unsigned int>(c.id), true;
  return false;
}

const char* UnitText(Unit unit) {
  switch (unit) {
    case Unit::None: return "";
    case Unit::Second: return "s";
    case Unit::Volt: return "V";
    case Unit::Hertz: return "Hz";
    case Unit::SamplesPerSecond: return "Sa/s";
    case Unit::Points: return "pts";
  }
  return "";
}

}  // namespace qxhost
