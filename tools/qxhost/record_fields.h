// The settings record described field by field, so the console can show a
// group of fields and print the fields a command changed, old and new.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "QxMsg.h"

namespace qxhost {

enum class Kind { U8, I16, U16, I32, U32, I64, F32, F64, Text };

struct RecordField {
  const char* group;
  const char* name;
  std::size_t offset;  // in _QX_SETUP
  Kind kind;
  std::size_t count;  // elements (texts: how many texts)
  std::size_t size;   // bytes of one element
};

const std::vector<RecordField>& SetupFields();
std::vector<std::string> FieldGroups();

// One element as text ("0.5", "1", "\"LAN\"").
std::string FormatElement(const _QX_SETUP& setup, const RecordField& field, std::size_t index);
// "name" or "name[i]".
std::string ElementName(const RecordField& field, std::size_t index);

// Lines "name: old -> new" for every element that differs.
std::vector<std::string> Changes(const _QX_SETUP& before, const _QX_SETUP& after);

}  // namespace qxhost
