#include "field_text.h"

#include <bit>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "numbers.h"

namespace qxhost {
namespace {

// The entry's bits, widened: blocks are little-endian, records in the host's order.
std::uint64_t Bits(const unsigned char* p, unsigned size, bool littleEndian) {
  std::uint64_t v = 0;
  if (littleEndian) {
    for (unsigned i = size; i-- > 0;) v = v << 8 | p[i];
    return v;
  }
  auto load = [p](auto n) {
    std::memcpy(&n, p, sizeof n);
    return static_cast<std::uint64_t>(n);
  };
  switch (size) {
    case 1: return p[0];
    case 2: return load(std::uint16_t{});
    case 4: return load(std::uint32_t{});
    case 8: return load(std::uint64_t{});
  }
  return 0;
}

// The low bytes of the widened bits as T.
template <typename T>
T As(std::uint64_t bits) {
  if constexpr (sizeof(T) == 2) {
    return std::bit_cast<T>(static_cast<std::uint16_t>(bits));
  } else if constexpr (sizeof(T) == 4) {
    return std::bit_cast<T>(static_cast<std::uint32_t>(bits));
  } else {
    return std::bit_cast<T>(bits);
  }
}

std::string Coded(const QxField& f, long long code) {
  const std::string number = std::to_string(code);
  if (code >= 0 && static_cast<std::size_t>(code) < f.words.size() && f.words[static_cast<std::size_t>(code)])
    return std::string(f.words[static_cast<std::size_t>(code)]) + " (" + number + ")";
  if (f.unit == QX_UNIT_PICOSECOND) return number + " ps";
  return number;
}

std::string Real(const QxField& f, double v, int digits) {
  if (f.unit != QX_UNIT_NONE) return FormatSi(v, FieldUnitText(f.unit), digits);
  char text[40];
  std::snprintf(text, sizeof text, "%.*g", digits, v);
  return text;
}

std::int32_t I32(const unsigned char* p) {
  std::int32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

}  // namespace

const char* FieldUnitText(QxFieldUnit unit) {
  switch (unit) {
    case QX_UNIT_NONE: return "";
    case QX_UNIT_SECOND: return "s";
    case QX_UNIT_VOLT: return "V";
    case QX_UNIT_SAMPLES_PER_SECOND: return "Sa/s";
    case QX_UNIT_PICOSECOND: return "ps";
  }
  return "";
}

std::string EntryName(const QxField& field, unsigned index) {
  if (field.count == 1) return field.name;
  return std::string(field.name) + "[" + std::to_string(index) + "]";
}

std::string FormatEntry(const QxField& f, const void* base, unsigned index, bool block) {
  const auto* p = static_cast<const unsigned char*>(base) + f.offset + index * f.stride;
  const std::uint64_t bits = f.size <= 8 ? Bits(p, f.size, block) : 0;
  char text[96];
  switch (f.type) {
    case QX_FIELD_U8:
    case QX_FIELD_U16:
    case QX_FIELD_U32: return Coded(f, static_cast<long long>(bits));
    case QX_FIELD_I16: return Coded(f, As<std::int16_t>(bits));
    case QX_FIELD_I32: return Coded(f, As<std::int32_t>(bits));
    case QX_FIELD_I64: return Coded(f, As<std::int64_t>(bits));
    case QX_FIELD_F32: return Real(f, As<float>(bits), 7);
    case QX_FIELD_F64: return Real(f, As<double>(bits), f.unit == QX_UNIT_NONE ? 12 : 7);
    case QX_FIELD_TEXT:
      return "\"" +
             std::string(reinterpret_cast<const char*>(p),
                         strnlen(reinterpret_cast<const char*>(p), f.size)) +
             "\"";
    case QX_FIELD_BYTES: {
      std::string out;
      for (unsigned i = 0; i < f.size; ++i) {
        std::snprintf(text, sizeof text, "%s%02X", i ? "-" : "", p[i]);
        out += text;
      }
      return out;
    }
    case QX_FIELD_IPV4:
      std::snprintf(text, sizeof text, "%u.%u.%u.%u", static_cast<unsigned>(bits >> 24 & 0xFF),
                    static_cast<unsigned>(bits >> 16 & 0xFF), static_cast<unsigned>(bits >> 8 & 0xFF),
                    static_cast<unsigned>(bits & 0xFF));
      return text;
    case QX_FIELD_POINT: std::snprintf(text, sizeof text, "(%d, %d)", I32(p), I32(p + 4)); return text;
    case QX_FIELD_RECT:
      std::snprintf(text, sizeof text, "(%d, %d)-(%d, %d)", I32(p), I32(p + 4), I32(p + 8), I32(p + 12));
      return text;
    case QX_FIELD_WINDOW:
      std::snprintf(text, sizeof text, "points %d..%d at x %d..%d, clip %d..%d, shift %d", I32(p), I32(p + 4),
                    I32(p + 8), I32(p + 12), I32(p + 16), I32(p + 20), I32(p + 24));
      return text;
  }
  return "?";
}

std::vector<std::string> FieldGroups() {
  std::vector<std::string> groups;
  auto add = [&groups](std::span<const QxField> fields) {
    for (const QxField& f : fields) {
      bool seen = false;
      for (const std::string& g : groups) seen = seen || g == f.group;
      if (!seen) groups.emplace_back(f.group);
    }
  };
  add(QxFieldsOf<_QX_SETUP>());
  add(QxFieldsOf<_QX_RGN_SETUP>());
  add(QxFieldsOf<_QX_POS_SETUP>());
  return groups;
}

void PrintGroup(std::ostream& out, const std::string& group, const _QX_SETUP& setup, const _QX_RGN_SETUP& rgn,
                const _QX_POS_SETUP& pos) {
  auto print = [&](std::span<const QxField> fields, const void* base) {
    for (const QxField& f : fields)
      if (group == f.group)
        for (unsigned i = 0; i < f.count; ++i)
          out << "  " << EntryName(f, i) << " = " << FormatEntry(f, base, i) << "\n";
  };
  print(QxFieldsOf<_QX_SETUP>(), &setup);
  print(QxFieldsOf<_QX_RGN_SETUP>(), &rgn);
  print(QxFieldsOf<_QX_POS_SETUP>(), &pos);
}

namespace {
template <typename Record>
std::vector<FieldChange> RecordChanges(const Record& before, const Record& after) {
  std::vector<FieldChange> changes;
  for (const QxField& f : QxFieldsOf<Record>())
    for (unsigned i = 0; i < f.count; ++i)
      if (FormatEntry(f, &before, i) != FormatEntry(f, &after, i)) changes.push_back({&f, i});
  return changes;
}
}  // namespace

std::vector<FieldChange> Changes(const _QX_SETUP& before, const _QX_SETUP& after) {
  return RecordChanges(before, after);
}
std::vector<FieldChange> Changes(const _QX_RGN_SETUP& before, const _QX_RGN_SETUP& after) {
  return RecordChanges(before, after);
}

std::string ChangeText(const FieldChange& c, const void* before, const void* after) {
  return EntryName(*c.field, c.index) + ": " + FormatEntry(*c.field, before, c.index) + " -> " +
         FormatEntry(*c.field, after, c.index);
}

void PrintBlock(std::ostream& out, const char* title, std::span<const QxField> fields, const BYTE* bytes) {
  out << title << "\n";
  char line[160];
  for (const QxField& f : fields) {
    if (f.count == 2)
      std::snprintf(line, sizeof line, "  0x%03X %-24s CH1 %-16s CH2 %s\n", f.offset, f.name,
                    FormatEntry(f, bytes, 0, true).c_str(), FormatEntry(f, bytes, 1, true).c_str());
    else
      std::snprintf(line, sizeof line, "  0x%03X %-24s %s\n", f.offset, f.name,
                    FormatEntry(f, bytes, 0, true).c_str());
    out << line;
  }
}

}  // namespace qxhost
