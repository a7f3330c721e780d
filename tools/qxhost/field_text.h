// Records and setup blocks as text, through the library's field
// descriptions: coded values by name ("RTIME (1)"), times, volts and rates
// with SI prefixes ("500 us"), addresses as addresses.
#pragma once

#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "QxMsg.h"

namespace qxhost {

// The unit a field's values are in, as printed ("s", "Sa/s"); "" for none.
const char* FieldUnitText(QxFieldUnit unit);

// "name" or "name[i]".
std::string EntryName(const QxField& field, unsigned index);
// Entry `index` of a field of the record or block at `base`; blocks are
// little-endian whatever the host.
std::string FormatEntry(const QxField& field, const void* base, unsigned index, bool block = false);

// The groups of the three records' fields, in record order.
std::vector<std::string> FieldGroups();
// Every field of a group, one line each, from whichever record holds it.
void PrintGroup(std::ostream& out, const std::string& group, const _QX_SETUP& setup, const _QX_RGN_SETUP& rgn,
                const _QX_POS_SETUP& pos);

// An entry of a record.
struct FieldChange {
  const QxField* field;
  unsigned index;
};
// Every entry of the record that reads differently, and the entry as
// "name: old -> new" (before and after are the record that was compared).
std::vector<FieldChange> Changes(const _QX_SETUP& before, const _QX_SETUP& after);
std::vector<FieldChange> Changes(const _QX_RGN_SETUP& before, const _QX_RGN_SETUP& after);
std::string ChangeText(const FieldChange& change, const void* before, const void* after);

// A block's fields at their offsets; two-entry fields as CH1 and CH2.
void PrintBlock(std::ostream& out, const char* title, std::span<const QxField> fields, const BYTE* bytes);

}  // namespace qxhost
