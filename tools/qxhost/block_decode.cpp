#include "block_decode.h"

#include <cstdio>
#include <string>

#include "le_bytes.h"
#include "setup/block_layout.h"

namespace qxhost {
namespace {

using qx::layout::FieldRow;
using qx::layout::FieldType;

std::string Decode(const BYTE* p, FieldType type) {
  char text[64];
  switch (type) {
    case FieldType::U8: std::snprintf(text, sizeof text, "%u", p[0]); break;
    case FieldType::U16: std::snprintf(text, sizeof text, "%u", qx::LoadU16(p)); break;
    case FieldType::I16: std::snprintf(text, sizeof text, "%d", qx::LoadI16(p)); break;
    case FieldType::I32: std::snprintf(text, sizeof text, "%d", qx::LoadI32(p)); break;
    case FieldType::U32: std::snprintf(text, sizeof text, "%u", qx::LoadU32(p)); break;
    case FieldType::I64:
      std::snprintf(text, sizeof text, "%lld", static_cast<long long>(qx::LoadI64(p)));
      break;
    case FieldType::F32: std::snprintf(text, sizeof text, "%.9g", static_cast<double>(qx::LoadF32(p))); break;
    case FieldType::F64: std::snprintf(text, sizeof text, "%.12g", qx::LoadF64(p)); break;
    case FieldType::U8x3: std::snprintf(text, sizeof text, "%02X-%02X-%02X", p[0], p[1], p[2]); break;
  }
  return text;
}

template <std::size_t N>
void PrintRows(std::ostream& out, const char* title, const BYTE* block, const FieldRow (&rows)[N],
               int stride) {
  out << title << "\n";
  char line[160];
  for (const FieldRow& row : rows) {
    if (stride == 0) {
      std::snprintf(line, sizeof line, "  0x%03X %-24s %s\n", row.offset, row.name,
                    Decode(block + row.offset, row.type).c_str());
    } else {
      std::snprintf(line, sizeof line, "  0x%03X %-24s CH1 %-16s CH2 %s\n", row.offset, row.name,
                    Decode(block + row.offset, row.type).c_str(),
                    Decode(block + row.offset + stride, row.type).c_str());
    }
    out << line;
  }
}

}  // namespace

void PrintBlocks(std::ostream& out, const DSO_SETUP& dso, const _QX_LA_SETUP& la, const DSO_ALT_SETUP& alt) {
  PrintRows(out, "DSO setup (780 bytes)", dso.Bytes, qx::layout::dso::kRows, 0);
  PrintRows(out, "LA setup (260 bytes)", la.Bytes, qx::layout::la::kRows, 0);
  PrintRows(out, "ALT setup (396 bytes)", alt.Bytes, qx::layout::alt::kRows, qx::layout::alt::kChannelStride);
}

}  // namespace qxhost
