#include "words.h"

#include <cstring>
#include <iterator>

namespace qxhost {
namespace {

constexpr Choice kOnOff[] = {{"ON", 1}, {"OFF", 0}};
constexpr Choice kAcqType[] = {{"NORMal", 0}, {"AVERage", 1}, {"PEAKdetect", 2}};
constexpr Choice kAcqMode[] = {{"RTIMe", 1}, {"ETIMe", 0}};
constexpr Choice kAcqMemory[] = {{"NORMal", 4096}, {"LONG", 524288}, {"FULL", 524288}};
constexpr Choice kInterface[] = {{"USB", 0}, {"LAN", 1}};

constexpr Word kWords[] = {
    // Acquire
    {.text = "acquire type",
     .help = "acquisition type",
     QX_CMD(CMD_ACQUIRE),
     QX_CTL(CTL_ACQ_TYPE),
     .var = QX_VAR_INT,
     .choices = kAcqType},
    {.text = "acquire mode",
     .help = "sampling: real time or equivalent time",
     QX_CMD(CMD_ACQUIRE),
     QX_CTL(CTL_ACQ_MODE),
     .var = QX_VAR_BYTE,
     .choices = kAcqMode},
    {.text = "acquire averages",
     .help = "number of averages",
     QX_CMD(CMD_ACQUIRE),
     QX_CTL(CTL_ACQ_AVERAGES),
     .var = QX_VAR_INT,
     .number = true,
     .range = "2 to 256, rounded to a power of two"},
    {.text = "acquire memory",
     .help = "memory depth: normal, long, or a number of points",
     QX_CMD(CMD_ACQUIRE),
     QX_CTL(CTL_ACQ_MEMORY),
     .var = QX_VAR_UINT,
     .choices = kAcqMemory,
     .number = true,
     .unit = Unit::Points,
     .range = "long memory from 524288 points"},
    {.text = "acquire samplerate",
     .help = "report the real-time sampling rate",
     QX_CMD(CMD_ACQUIRE),
     QX_CTL(CTL_ACQ_SAMPLE_RATE),
     .var = QX_VAR_FLOAT,
     .number = true,
     .unit = Unit::SamplesPerSecond},
    {.text = "acquire samplerate2",
     .help = "report the equivalent-time sampling rate",
     QX_CMD(CMD_ACQUIRE),
     QX_CTL(CTL_ACQ_SAMPLE_RATE2),
     .var = QX_VAR_FLOAT,
     .number = true,
     .unit = Unit::SamplesPerSecond},

    // Interface and self-calibration
    {.text = "interface",
     .help = "the link the library talks to: usb or lan",
     QX_CMD(CMD_INTERFACE),
     QX_CTL(CTL_IF_SELECT),
     .var = QX_VAR_UINT,
     .choices = kInterface},
    {.text = "interface dhcp",
     .help = "switch DHCP on or off and update the LAN settings",
     QX_CMD(CMD_INTERFACE),
     QX_CTL(CTL_LAN_DHCP),
     .var = QX_VAR_BYTE,
     .choices = kOnOff},
    {.text = "interface apply",
     .help = "write the record's LAN settings and read back what the instrument uses",
     QX_CMD(CMD_INTERFACE),
     QX_CTL(CTL_LAN_APPLY)},
    {.text = "selfcal",
     .help = "enable self-calibration",
     QX_CMD(CMD_SELFCAL),
     .var = QX_VAR_BYTE,
     .choices = kOnOff},

    // Cursor modes
    {.text = "cursor off", .help = "cursors off", QX_CMD(CMD_CURSOR_MODE), QX_CTL(CTL_CURSOR_OFF)},
    {.text = "cursor manual", .help = "manual cursors", QX_CMD(CMD_CURSOR_MODE), QX_CTL(CTL_CURSOR_MANUAL)},
    {.text = "cursor track", .help = "track cursors", QX_CMD(CMD_CURSOR_MODE), QX_CTL(CTL_CURSOR_TRACK)},

    // The console's own words
    {.text = "show",
     .help = "print a group of record fields; show alone lists the groups",
     .own = Own::Show,
     .usage = "[GROUP]"},
    {.text = "blocks",
     .help = "decode the setup blocks as the instrument last sent them",
     .own = Own::Blocks,
     .usage = "[dso|la|alt]"},
    {.text = "send",
     .help =
         "write TEXT to the instrument as a command line; the records do not follow it (init re-reads them)",
     .own = Own::Send,
     .usage = "TEXT"},
    {.text = "query",
     .help = "send TEXT as a query and print the reply (a setup block decoded, other binary replies in hex)",
     .own = Own::Query,
     .usage = "TEXT"},
    {.text = "raw",
     .help =
         "post any command; CMD and CTRL by name or number, TYPE none bool byte int uint float double int64",
     .own = Own::Raw,
     .usage = "CMD CTRL VALUE TYPE [DATA]"},
    {.text = "init", .help = "read the instrument's setup into the records again", .own = Own::Init},
    {.text = "help",
     .help = "the words, one word with its choices, or how numbers are written",
     .own = Own::Help,
     .usage = "[WORD|numbers]"},
    {.text = "quit", .help = "leave", .own = Own::Quit},
};

constexpr Placeholder kPlaceholders[] = {
    {"ch#", "alt", "ch", 1, 2, QX_SLOT_ALT_CHANNEL, "alternate-trigger channel"},
    {"ch#", nullptr, "ch", 1, 2, QX_SLOT_CHANNEL, "channel"},
    {"math#", nullptr, "math", 1, 4, QX_SLOT_MATH, "math slot"},
    {"ref#", nullptr, "ref", 1, 4, QX_SLOT_REF, "reference"},
    {"d#", nullptr, "d", 0, 15, QX_SLOT_DIGITAL, "digital channel"},
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
    QX_NAMED(CTL_MISC_CURSOR_TRACK), QX_NAMED(CTL_APPLY_OFFSETS),   QX_NAMED(CTL_APPLY_SCALES),
    QX_NAMED(CTL_STATUS_MESSAGE),    QX_NAMED(CTL_SETTING_CHANGED),
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
