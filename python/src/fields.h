// Record and block fields as Python values, read through the library's one
// field table: numbers as int or float, texts as str, points and rectangles
// as tuples, screen windows as dicts, arrays as lists.
#pragma once

#include <pybind11/pybind11.h>

#include <span>
#include <string_view>

#include "QxMsg.h"

namespace qxpy {

namespace py = pybind11;

// The fields of "setup", "rgn", "pos" (the records) or "dso", "la", "alt"
// (the setup blocks); raises KeyError for another name.
struct FieldTable {
  const char* name;
  std::span<const QxField> fields;
  std::size_t size;
  bool block;  // little-endian bytes rather than a record of this host
};
const FieldTable& TableNamed(std::string_view name);

// Entry `index` of a field of the record or block at `base`.
py::object Entry(const QxField& field, const void* base, unsigned index, bool block);

// A record of an open scope, its fields as attributes.
class RecordView {
 public:
  RecordView(const FieldTable& table, const void* base) : table_(table), base_(base) {}
  py::object Get(std::string_view name) const;
  py::list Names() const;
  py::dict AsDict() const;
  const char* Name() const { return table_.name; }

 private:
  const FieldTable& table_;
  const void* base_;
};

void BindFields(py::module_& m);

}  // namespace qxpy
