// qxmsg: the fields of the three settings records and of the instrument's
// three setup blocks, described for hosts. Each field has its name, where it
// lies, its type, its unit and the names of its coded values, so a host can
// print a record, decode a block, or map both into another language without
// keeping a copy of the layout that could drift. The block offsets are the
// ones QxPushSetup and QxPopSetup use. QxMsg.h includes this header.
//
//   for (const QxField& f : QxFieldsOf<_QX_SETUP>())
//     if (f.group == std::string_view("acquire")) ...
#pragma once

#include <span>

#include "QxMsg.h"

enum QxFieldType {
  QX_FIELD_U8,
  QX_FIELD_I16,
  QX_FIELD_U16,
  QX_FIELD_I32,
  QX_FIELD_U32,
  QX_FIELD_I64,
  QX_FIELD_F32,
  QX_FIELD_F64,
  QX_FIELD_TEXT,    // zero-terminated text in `size` bytes
  QX_FIELD_BYTES,   // `size` raw bytes (the MAC address's last octets)
  QX_FIELD_IPV4,    // u32 address, the first dotted octet the most significant byte
  QX_FIELD_POINT,   // CPoint
  QX_FIELD_RECT,    // CRect
  QX_FIELD_WINDOW,  // ScreenWindow
};

enum QxFieldUnit {
  QX_UNIT_NONE,
  QX_UNIT_SECOND,
  QX_UNIT_VOLT,
  QX_UNIT_SAMPLES_PER_SECOND,
  QX_UNIT_PICOSECOND,
};

struct QxField {
  const char* name;
  const char* group;  // records: the group a console lists the field under; blocks: nullptr
  unsigned offset;    // of entry 0, in bytes from the start of the record or block
  QxFieldType type;
  unsigned size;    // bytes of one entry
  unsigned count;   // entries: name[0] .. name[count - 1]; block fields with two are CH1 and CH2
  unsigned stride;  // bytes from one entry to the next
  QxFieldUnit unit;
  std::span<const char* const> words;  // the name of each code from 0; a null entry has none
};

// The fields of _QX_SETUP, _QX_RGN_SETUP, _QX_POS_SETUP (every field, in
// record order), DSO_SETUP, _QX_LA_SETUP and DSO_ALT_SETUP (the fields the
// library reads or writes, in block order).
template <typename RecordOrBlock>
std::span<const QxField> QxFieldsOf();
template <>
std::span<const QxField> QxFieldsOf<_QX_SETUP>();
template <>
std::span<const QxField> QxFieldsOf<_QX_RGN_SETUP>();
template <>
std::span<const QxField> QxFieldsOf<_QX_POS_SETUP>();
template <>
std::span<const QxField> QxFieldsOf<DSO_SETUP>();
template <>
std::span<const QxField> QxFieldsOf<_QX_LA_SETUP>();
template <>
std::span<const QxField> QxFieldsOf<DSO_ALT_SETUP>();

// The library's copies of the three setup blocks: what the instrument last
// reported (system start, a read-back) or what QxPopSetup last wrote. Any
// pointer may be null.
void QxGetFirmwareBlocks(DSO_SETUP* dso, _QX_LA_SETUP* la, DSO_ALT_SETUP* alt);
