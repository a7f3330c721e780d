// Control tables: every instrument function is a table of its controls,
// one row per control, walked by one runner. A row says how the message
// variable is read, which slot the command's value names, what may refuse
// the control, what it stores, how its argument is written, which follow-ups
// run afterwards and how the line leaves the library. A handler file is its
// table plus the few routines that are really its own.
//
//   constexpr ControlRow kRows[] = {
//       {.ctrl = CTL_ACQ_AVERAGES, .reads = Var::Int,
//        .action = [](Control& c) { ...; c.arg = Setup().AcqAverages; },
//        .header = ":AVERAGES", .format = Arg::Int},
//   };
//   extern const ControlTable kAcquireTable = {.subsystem = ":ACQUIRE", .rows = kRows};
#pragma once

#include <cstdint>
#include <span>

#include "frame/messages.h"
#include "frame/state.h"

namespace qx {

// How the 8-byte message variable is read.
enum class Var : std::uint8_t { None, Bool, Byte, Int, Uint, Float, Double, Int64 };

// What the command's slot value names. The range check happens before
// anything is read or stored; out of range, the control changes and sends
// nothing. A channel is never out of range: 0 is CH1, any other value CH2.
// AltChannel and AltTimebase both name an alternate-trigger channel; only
// the time base's commands carry it (":TRIGGER:ALTERNATION:CHANNEL2").
enum class Slot : std::uint8_t { None, Channel, Math, Ref, Digital, Group, AltChannel, AltTimebase };

// How the stored value becomes the command's argument (ParamString).
enum class Arg : std::uint8_t {
  None,     // no argument: the action wrote ParamString itself, or there is none
  Fixed6,   // "%f"
  Fixed8,   // "%0.8f"
  Fixed9,   // "%0.9f"
  Fixed42,  // "%4.2f"
  Int,      // "%d"
  OnOff,    // "ON" when arg is 1, else "OFF"
  Words,    // words[arg], or "" outside the list
  Bare,     // no argument and no blank: the header alone (":RUN"), no query
};

// How the line leaves the library.
enum class Leave : std::uint8_t {
  Dispatcher,  // the dispatcher sends CmdString and reads the blocks back
  Handler,     // the action sent what it needed through the link facade
  Host,        // the change stays on the host: SendFlag cleared
};

// What a refusal does to the line: most refusals send nothing, a few let
// the (empty) line go out so the instrument still answers the read-back.
enum class Refusal : std::uint8_t { ClearSend, KeepSend };

// The control being run, as the action and the follow-up steps see it.
struct Control {
  unsigned int id = 0;
  long value = 0;  // the command's slot value as posted
  int slot = 0;    // the checked index the slot value names (0 without a slot)
  MsgVar raw{};

  // The message variable, decoded once as the row reads it.
  bool b = false;
  BYTE byte = 0;
  std::int32_t i = 0;
  std::uint32_t u = 0;
  float f = 0;
  double d = 0;
  std::int64_t i64 = 0;

  // What the row's format writes into ParamString (a number, a code, 1 for ON).
  double arg = 0;

  // Refuses the control from inside an action: the message is raised, the
  // runner stops (no text, no follow-ups) and SendFlag is cleared or kept.
  void Refuse(Msg message, Refusal how = Refusal::ClearSend);
  // Stops the control without a message (nothing more happens).
  void Stop(Refusal how = Refusal::ClearSend);
  bool refused = false;
};

using Action = void (*)(Control&);
using Step = void (*)(const Control&);
// A guard returns the message that refuses the control, or Allowed.
using Guard = Msg (*)(const Control&);
constexpr Msg Allowed = Msg::Count;
// A header piece that depends on the state (":EDGE" under the edge trigger),
// put between the subsystem and the header; "" leaves it out.
using Node = const char* (*)(const Control&);

constexpr int kMaxSteps = 4;

struct ControlRow {
  unsigned int ctrl = 0;
  Var reads = Var::None;
  Slot slot = Slot::None;
  Guard guard = nullptr;
  Refusal refusal = Refusal::ClearSend;
  Action action = nullptr;    // validate and store; sets c.arg
  const char* header = nullptr;  // set command header; nullptr: no set line
  const char* leaf = nullptr;    // a second header piece (":FILTER" ":TYPE")
  const char* query = nullptr;   // query header when it differs from header
  Arg format = Arg::None;
  std::span<const char* const> words = {};
  Step after[kMaxSteps] = {};  // follow-ups, in order, once the control is stored
  Leave leave = Leave::Dispatcher;
  bool noReadBackRow = false;  // sent, but nothing of the blocks is taken over
  Node node = nullptr;
};

struct ControlTable {
  unsigned long cmdId = 0;
  const char* subsystem = nullptr;  // ":ACQUIRE"; numbered slots use their own stem
  std::span<const ControlRow> rows = {};
  Step afterEach = nullptr;  // after every control that was not refused
};

// Runs one control of a table: an id not in the table clears SendFlag.
void RunControl(const ControlTable& table, unsigned int ctrlId, long value, MsgVar var);

const ControlRow* FindRow(const ControlTable& table, unsigned int ctrlId);

// The prefix a slot's command starts with (":CHANNEL2", ":DIGITAL3"), or the
// table's subsystem for a row without a numbered slot.
const char* SlotPrefix(const ControlTable& table, Slot slot, int index, char* buffer, int size);

// How many entries a slot kind has (1 for Slot::None).
int SlotCount(Slot slot);

// Every handler's table, in routing order.
std::span<const ControlTable* const> AllControlTables();
const ControlTable* TableFor(unsigned long cmdId);

// Follow-ups shared by many tables.
namespace step {
void ChangeSetting(const Control&);
void RefreshWave(const Control&);
void RedrawScreen(const Control&);
void RedrawFlag1(const Control&);
void RedrawFlag2(const Control&);
void RedrawFlag3(const Control&);
void RedrawFlag4(const Control&);
}  // namespace step

}  // namespace qx
