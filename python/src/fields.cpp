#include "fields.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

#include "field_text.h"

namespace qxpy {
namespace {

const FieldTable kTables[] = {
    {"setup", QxFieldsOf<_QX_SETUP>(), sizeof(_QX_SETUP), false},
    {"rgn", QxFieldsOf<_QX_RGN_SETUP>(), sizeof(_QX_RGN_SETUP), false},
    {"pos", QxFieldsOf<_QX_POS_SETUP>(), sizeof(_QX_POS_SETUP), false},
    {"dso", QxFieldsOf<DSO_SETUP>(), sizeof(DSO_SETUP), true},
    {"la", QxFieldsOf<_QX_LA_SETUP>(), sizeof(_QX_LA_SETUP), true},
    {"alt", QxFieldsOf<DSO_ALT_SETUP>(), sizeof(DSO_ALT_SETUP), true},
};

constexpr const char* kWindowParts[] = {"FirstPoint", "LastPoint", "FirstX",    "LastX",
                                        "ClipFirstX", "ClipLastX", "PointShift"};

// A value of a block is little-endian whatever the host; a record's is the host's.
template <typename T>
T Load(const unsigned char* p, bool block) {
  unsigned char bytes[sizeof(T)];
  std::memcpy(bytes, p, sizeof bytes);
  if (block && std::endian::native == std::endian::big) std::reverse(std::begin(bytes), std::end(bytes));
  T v;
  std::memcpy(&v, bytes, sizeof v);
  return v;
}

// The Python type a field's entries have, as the stub names it.
const char* PythonType(QxFieldType type) {
  switch (type) {
    case QX_FIELD_F32:
    case QX_FIELD_F64: return "float";
    case QX_FIELD_TEXT:
    case QX_FIELD_IPV4: return "str";
    case QX_FIELD_BYTES: return "bytes";
    case QX_FIELD_POINT: return "tuple[int, int]";
    case QX_FIELD_RECT: return "tuple[int, int, int, int]";
    case QX_FIELD_WINDOW: return "dict[str, int]";
    default: return "int";
  }
}

const QxField* Find(std::span<const QxField> fields, std::string_view name) {
  for (const QxField& f : fields)
    if (name == f.name) return &f;
  return nullptr;
}

py::object Whole(const QxField& f, const void* base, bool block) {
  if (f.count == 1) return Entry(f, base, 0, block);
  py::list entries;
  for (unsigned i = 0; i < f.count; ++i) entries.append(Entry(f, base, i, block));
  return entries;
}

}  // namespace

const FieldTable& TableNamed(std::string_view name) {
  for (const FieldTable& t : kTables)
    if (name == t.name) return t;
  throw py::key_error("no record or block \"" + std::string(name) + "\": setup, rgn, pos, dso, la or alt");
}

py::object Entry(const QxField& f, const void* base, unsigned index, bool block) {
  const auto* p = static_cast<const unsigned char*>(base) + f.offset + index * f.stride;
  switch (f.type) {
    case QX_FIELD_U8: return py::int_(*p);
    case QX_FIELD_I16: return py::int_(Load<std::int16_t>(p, block));
    case QX_FIELD_U16: return py::int_(Load<std::uint16_t>(p, block));
    case QX_FIELD_I32: return py::int_(Load<std::int32_t>(p, block));
    case QX_FIELD_U32: return py::int_(Load<std::uint32_t>(p, block));
    case QX_FIELD_I64: return py::int_(Load<std::int64_t>(p, block));
    case QX_FIELD_F32: return py::float_(Load<float>(p, block));
    case QX_FIELD_F64: return py::float_(Load<double>(p, block));
    case QX_FIELD_TEXT: {
      const char* text = reinterpret_cast<const char*>(p);
      return py::reinterpret_steal<py::str>(
          PyUnicode_DecodeLatin1(text, static_cast<Py_ssize_t>(strnlen(text, f.size)), nullptr));
    }
    case QX_FIELD_BYTES: return py::bytes(reinterpret_cast<const char*>(p), f.size);
    case QX_FIELD_IPV4: {
      const std::uint32_t a = Load<std::uint32_t>(p, block);
      return py::str(std::to_string(a >> 24) + "." + std::to_string(a >> 16 & 0xFF) + "." +
                     std::to_string(a >> 8 & 0xFF) + "." + std::to_string(a & 0xFF));
    }
    case QX_FIELD_POINT:
      return py::make_tuple(Load<std::int32_t>(p, block), Load<std::int32_t>(p + 4, block));
    case QX_FIELD_RECT:
      return py::make_tuple(Load<std::int32_t>(p, block), Load<std::int32_t>(p + 4, block),
                            Load<std::int32_t>(p + 8, block), Load<std::int32_t>(p + 12, block));
    case QX_FIELD_WINDOW: {
      py::dict window;
      for (std::size_t i = 0; i < std::size(kWindowParts); ++i)
        window[kWindowParts[i]] = Load<std::int32_t>(p + 4 * i, block);
      return window;
    }
  }
  return py::none();
}

py::object RecordView::Get(std::string_view name) const {
  const QxField* f = Find(table_.fields, name);
  if (!f)
    throw py::attribute_error("the " + std::string(table_.name) + " record has no field \"" +
                              std::string(name) + "\"");
  return Whole(*f, base_, false);
}

py::list RecordView::Names() const {
  py::list names;
  for (const QxField& f : table_.fields) names.append(f.name);
  return names;
}

py::dict RecordView::AsDict() const {
  py::dict all;
  for (const QxField& f : table_.fields) all[f.name] = Whole(f, base_, false);
  return all;
}

void BindFields(py::module_& m) {
  py::class_<RecordView>(
      m, "Record",
      "A settings record of an open scope (setup, rgn or pos): every field by name, as the "
      "library last left it; arrays as lists. Read-only.")
      .def("__getattr__", &RecordView::Get)
      .def("__dir__", &RecordView::Names)
      .def("as_dict", &RecordView::AsDict, "Every field of the record, by name.")
      .def("__repr__", [](const RecordView& r) { return "<qxmsg record " + std::string(r.Name()) + ">"; });

  m.def(
      "fields",
      [](std::string_view name) {
        py::list out;
        for (const QxField& f : TableNamed(name).fields) {
          py::object words = py::none();
          if (!f.words.empty()) {
            py::list names;
            for (const char* w : f.words) names.append(w ? py::object(py::str(w)) : py::none());
            words = std::move(names);
          }
          out.append(py::dict(py::arg("name") = f.name, py::arg("group") = f.group ? f.group : "",
                              py::arg("offset") = f.offset, py::arg("type") = PythonType(f.type),
                              py::arg("count") = f.count, py::arg("unit") = qxhost::FieldUnitText(f.unit),
                              py::arg("words") = words));
        }
        return out;
      },
      py::arg("name"),
      "The fields of a record (setup, rgn, pos) or setup block (dso, la, alt): name, group, byte offset, "
      "Python type, count of entries, unit and the names of coded values (index = code).");

  m.def(
      "decode_block",
      [](std::string_view name, py::bytes data) {
        const FieldTable& t = TableNamed(name);
        if (!t.block)
          throw py::key_error("\"" + std::string(name) + "\" is a record, not a block: dso, la or alt");
        const std::string bytes = data;
        if (bytes.size() != t.size)
          throw py::value_error("a " + std::string(name) + " block is " + std::to_string(t.size) +
                                " bytes, not " + std::to_string(bytes.size()));
        py::dict out;
        for (const QxField& f : t.fields) out[f.name] = Whole(f, bytes.data(), true);
        return out;
      },
      py::arg("name"), py::arg("data"),
      "The fields the library reads or writes in a setup block (dso 780, la 260 or alt 396 bytes), by name.");
}

}  // namespace qxpy
