// The one runner every handler's control table is walked by.
#include "frame/control_table.h"

#include <cmath>
#include <cstdio>

#include "convert.h"
#include "frame/command_text.h"
#include "frame/handlers.h"

namespace qx {
namespace {

// What a slot value names: how many entries, and the stem of the numbered
// command prefix (nullptr: the table's subsystem, unnumbered).
struct SlotRow {
  Slot slot;
  QxSlotKind publicKind;
  int count;
  const char* stem;
  int firstNumber;  // the number the first entry carries in the prefix
};
constexpr SlotRow kSlots[] = {
    {Slot::None, QX_SLOT_NONE, 1, nullptr, 0},
    {Slot::Channel, QX_SLOT_CHANNEL, 2, ":CHANNEL", 1},
    {Slot::Math, QX_SLOT_MATH, 4, nullptr, 0},  // math texts name no slot
    {Slot::Ref, QX_SLOT_REF, 4, nullptr, 0},
    {Slot::Digital, QX_SLOT_DIGITAL, 16, ":DIGITAL", 0},
    {Slot::Group, QX_SLOT_GROUP, 2, nullptr, 0},
    {Slot::AltChannel, QX_SLOT_ALT_CHANNEL, 2, nullptr, 0},
    {Slot::AltTimebase, QX_SLOT_ALT_CHANNEL, 2, ":TRIGGER:ALTERNATION:CHANNEL", 1},
};

const SlotRow& SlotOf(Slot slot) {
  for (const SlotRow& row : kSlots)
    if (row.slot == slot) return row;
  return kSlots[0];
}

// The index a slot value names, or -1 outside the slot's array. A channel
// value other than 0 is CH2.
int SlotIndex(Slot slot, long value) {
  if (slot == Slot::None) return 0;
  if (slot == Slot::Channel) return value == 0 ? 0 : 1;
  return value >= 0 && value < SlotOf(slot).count ? static_cast<int>(value) : -1;
}

void Decode(Control& c, MsgVar var) {
  c.raw = var;
  c.b = VarBool(var);
  c.byte = VarByte(var);
  c.i = VarInt(var);
  c.u = VarUint(var);
  c.f = VarFloat(var);
  c.d = VarDouble(var);
  c.i64 = VarInt64(var);
}

bool IsNaN(const ControlRow& row, const Control& c) {
  return (row.reads == Var::Float && std::isnan(c.f)) || (row.reads == Var::Double && std::isnan(c.d));
}

void FormatArgument(const ControlRow& row, const Control& c) {
  CString& param = Command.ParamString;
  switch (row.format) {
    case Arg::None:
    case Arg::Bare: break;
    case Arg::Fixed6: param.Format("%f", c.arg); break;
    case Arg::Fixed8: param.Format("%0.8f", c.arg); break;
    case Arg::Fixed9: param.Format("%0.9f", c.arg); break;
    case Arg::Fixed42: param.Format("%4.2f", c.arg); break;
    case Arg::Int: param.Format("%d", TruncateTo<int>(c.arg)); break;
    case Arg::OnOff: param = c.arg == 1 ? "ON" : "OFF"; break;
    case Arg::Words: {
      const double code = c.arg;
      const bool inList = code >= 0 && code < static_cast<double>(row.words.size());
      param = inList ? row.words[static_cast<std::size_t>(code)] : "";
      break;
    }
  }
}

void BuildText(const ControlTable& table, const ControlRow& row, const Control& c) {
  if (!row.header && !row.query) return;
  char prefix[32];
  const char* subsystem = SlotPrefix(table, row.slot, c.slot, prefix, sizeof prefix);
  char withNode[64];
  if (row.node) {
    std::snprintf(withNode, sizeof withNode, "%s%s", subsystem, row.node(c));
    subsystem = withNode;
  }
  if (row.format == Arg::Bare) {
    BuildBareCommand(subsystem, row.header);
  } else if (row.header) {
    BuildCommandText(subsystem, row.header, row.leaf);
    if (row.query) BuildQueryText(subsystem, row.query);
  } else {
    BuildQueryText(subsystem, row.query, row.leaf);
  }
}

}  // namespace

void Control::Refuse(Msg message, Refusal how) {
  RaiseStatus(message);
  Stop(how);
}

void Control::Stop(Refusal how) {
  refused = true;
  if (how == Refusal::ClearSend) Command.SendFlag = false;
}

const ControlRow* FindRow(const ControlTable& table, unsigned int ctrlId) {
  for (const ControlRow& row : table.rows)
    if (row.ctrl == ctrlId) return &row;
  return nullptr;
}

const char* SlotPrefix(const ControlTable& table, Slot slot, int index, char* buffer, int size) {
  const SlotRow& row = SlotOf(slot);
  if (!row.stem) return table.subsystem ? table.subsystem : "";
  std::snprintf(buffer, static_cast<std::size_t>(size), "%s%d", row.stem, index + row.firstNumber);
  return buffer;
}

int SlotCount(Slot slot) { return SlotOf(slot).count; }

void RunControl(const ControlTable& table, unsigned int ctrlId, long value, MsgVar var) {
  const ControlRow* row = FindRow(table, ctrlId);
  if (!row) {
    Command.SendFlag = false;
    return;
  }
  Control c;
  c.id = ctrlId;
  c.value = value;
  c.slot = SlotIndex(row->slot, value);
  Decode(c, var);
  if (c.slot < 0 || IsNaN(*row, c)) {
    Command.SendFlag = false;
    return;
  }
  if (row->guard) {
    const Msg refusal = row->guard(c);
    if (refusal != Allowed) {
      c.Refuse(refusal, row->refusal);
      return;
    }
  }
  if (row->action) row->action(c);
  if (c.refused) return;
  FormatArgument(*row, c);
  BuildText(table, *row, c);
  if (row->leave != Leave::Dispatcher) Command.SendFlag = false;
  for (Step step : row->after)
    if (step) step(c);
  if (table.afterEach) table.afterEach(c);
}

namespace step {
void ChangeSetting(const Control&) { SetChangeSetting(); }
void RefreshWave(const Control&) { SetRefreshWave(true); }
void RedrawScreen(const Control&) { Rgn().RedrawScreen = 1; }
void RedrawFlag1(const Control&) { Rgn().RedrawFlag1 = 1; }
void RedrawFlag2(const Control&) { Rgn().RedrawFlag2 = 1; }
void RedrawFlag3(const Control&) { Rgn().RedrawFlag3 = 1; }
void RedrawFlag4(const Control&) { Rgn().RedrawFlag4 = 1; }
}  // namespace step

// --- Every table, and what a host may ask of it -----------------------------

namespace {
constexpr const ControlTable* kTables[] = {
    &kRunControlTable, &kChannelTable, &kMathTable,    &kRefTable,       &kDigitalTable,
    &kTimebaseTable,   &kTriggerTable, &kAcquireTable, &kDisplayTable,   &kCursorManualTable,
    &kCursorTrackTable, &kPassFailTable, &kRecordTable, &kMeasureTable,  &kInterfaceTable,
};

constexpr QxVarType kPublicVar[] = {QX_VAR_NONE,  QX_VAR_BOOL,  QX_VAR_BYTE,   QX_VAR_INT,
                                    QX_VAR_UINT, QX_VAR_FLOAT, QX_VAR_DOUBLE, QX_VAR_INT64};
}  // namespace

std::span<const ControlTable* const> AllControlTables() { return kTables; }

const ControlTable* TableFor(unsigned long cmdId) {
  for (const ControlTable* table : kTables)
    if (table->cmdId == cmdId) return table;
  return nullptr;
}

}  // namespace qx

bool QxGetControlInfo(unsigned long cmdId, unsigned int ctrlId, QxControlInfo* info) {
  const qx::ControlTable* table = qx::TableFor(cmdId);
  const qx::ControlRow* row = table ? qx::FindRow(*table, ctrlId) : nullptr;
  if (!row || !info) return false;
  const qx::SlotRow& slot = qx::SlotOf(row->slot);
  info->varType = qx::kPublicVar[static_cast<int>(row->reads)];
  info->slot = slot.publicKind;
  info->slotCount = slot.count;
  info->reachesInstrument = row->leave != qx::Leave::Host;
  return true;
}
