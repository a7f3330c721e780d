#include "control_rows.h"

namespace qxhost {
namespace {

constexpr Choice kOnOff[] = {{"on", 1}, {"off", 0}};
constexpr Choice kAcqType[] = {{"normal", 0}, {"average", 1}, {"peak", 2}, {"peakdetect", 2}};
constexpr Choice kAcqMode[] = {{"rtime", 1}, {"realtime", 1}, {"etime", 0}, {"equivalent", 0}};
constexpr Choice kAcqMemory[] = {{"normal", 4096}, {"long", 524288}};
constexpr Choice kInterface[] = {{"usb", 0}, {"lan", 1}};
constexpr std::span<const Choice> kNumber{};

constexpr ControlRow kRows[] = {
    // Acquire
    {"acquire type", CMD_ACQUIRE, CTL_ACQ_TYPE, 0, VarType::Int, kAcqType, false,
     "acquisition type: normal, average or peak"},
    {"acquire mode", CMD_ACQUIRE, CTL_ACQ_MODE, 0, VarType::Bool, kAcqMode, false,
     "sampling: rtime (real time) or etime (equivalent time)"},
    {"acquire averages", CMD_ACQUIRE, CTL_ACQ_AVERAGES, 0, VarType::Int, kNumber, true,
     "number of averages, a power of two from 2 to 256"},
    {"acquire memory", CMD_ACQUIRE, CTL_ACQ_MEMORY, 0, VarType::Uint, kAcqMemory, true,
     "memory depth: normal, long, or a number of points"},
    {"acquire samplerate", CMD_ACQUIRE, CTL_ACQ_SAMPLE_RATE, 0, VarType::Float, kNumber, true,
     "report the real-time sampling rate (Sa/s)"},
    {"acquire samplerate2", CMD_ACQUIRE, CTL_ACQ_SAMPLE_RATE2, 0, VarType::Float, kNumber, true,
     "report the equivalent-time sampling rate (Sa/s)"},
    // Interface and self-calibration
    {"interface", CMD_INTERFACE, CTL_IF_SELECT, 0, VarType::Int, kInterface, false,
     "select the instrument's interface: usb or lan"},
    {"interface dhcp", CMD_INTERFACE, CTL_LAN_DHCP, 0, VarType::Bool, kOnOff, false,
     "switch DHCP on or off and update the LAN settings"},
    {"interface apply", CMD_INTERFACE, CTL_LAN_APPLY, 0, VarType::None, kNumber, false,
     "write the LAN settings of the record and read back what the instrument uses"},
    {"selfcal", CMD_SELFCAL, 0, 0, VarType::Bool, kOnOff, false, "enable self-calibration: on or off"},
    // Cursor modes
    {"cursor off", CMD_CURSOR_MODE, CTL_CURSOR_OFF, 0, VarType::None, kNumber, false, "cursors off"},
    {"cursor manual", CMD_CURSOR_MODE, CTL_CURSOR_MANUAL, 0, VarType::None, kNumber, false, "manual cursors"},
    {"cursor track", CMD_CURSOR_MODE, CTL_CURSOR_TRACK, 0, VarType::None, kNumber, false, "track cursors"},
};

}  // namespace

std::span<const ControlRow> ControlRows() { return kRows; }

}  // namespace qxhost
