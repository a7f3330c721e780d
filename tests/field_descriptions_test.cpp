// The field descriptions hosts read the records and blocks with: every byte
// of each record belongs to a described field (or is the padding 4-byte
// packing puts before one), and block fields lie where the instrument
// documents them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "QxMsg.h"

namespace {

unsigned Aligned(unsigned offset, const QxField& f) {
  const unsigned align = f.type == QX_FIELD_I16 || f.type == QX_FIELD_U16                     ? 2
                         : f.size == 1 || f.type == QX_FIELD_TEXT || f.type == QX_FIELD_BYTES ? 1
                                                                                              : 4;
  return (offset + align - 1) / align * align;
}

template <typename Record>
void ExpectEveryByteDescribed() {
  std::vector<QxField> fields(QxFieldsOf<Record>().begin(), QxFieldsOf<Record>().end());
  std::sort(fields.begin(), fields.end(),
            [](const QxField& a, const QxField& b) { return a.offset < b.offset; });
  unsigned end = 0;
  for (const QxField& f : fields) {
    ASSERT_EQ(f.offset, Aligned(end, f)) << "a field before " << f.name << " is missing or overlaps it";
    end = f.offset + (f.count - 1) * f.stride + f.size;
  }
  EXPECT_EQ(sizeof(Record), (end + 3) / 4 * 4) << "fields at the end are missing";
}

TEST(FieldDescriptionsTest, EveryRecordByteBelongsToADescribedField) {
  ExpectEveryByteDescribed<_QX_SETUP>();
  ExpectEveryByteDescribed<_QX_RGN_SETUP>();
  ExpectEveryByteDescribed<_QX_POS_SETUP>();
}

template <typename Block>
const QxField* Find(const char* name) {
  for (const QxField& f : QxFieldsOf<Block>())
    if (std::string(f.name) == name) return &f;
  return nullptr;
}

TEST(FieldDescriptionsTest, BlockFieldsAtTheirDocumentedOffsets) {
  struct Row {
    const QxField* field;
    unsigned offset, count, stride;
    QxFieldType type;
  };
  const Row rows[] = {
      {Find<DSO_SETUP>("TimeScalePs"), 0x13C, 1, 8, QX_FIELD_I64},
      {Find<DSO_SETUP>("LanNetmask"), 0x2FC, 1, 4, QX_FIELD_IPV4},
      {Find<DSO_SETUP>("LanMacTail"), 0x306, 1, 3, QX_FIELD_BYTES},
      {Find<_QX_LA_SETUP>("TrigDurationTime"), 0xF0, 1, 8, QX_FIELD_F64},
      {Find<DSO_ALT_SETUP>("AltTimeOffset"), 0x20, 2, 0xC4, QX_FIELD_F64},
  };
  for (const Row& r : rows) {
    ASSERT_NE(r.field, nullptr);
    EXPECT_EQ(r.field->offset, r.offset) << r.field->name;
    EXPECT_EQ(r.field->count, r.count) << r.field->name;
    EXPECT_EQ(r.field->stride, r.stride) << r.field->name;
    EXPECT_EQ(r.field->type, r.type) << r.field->name;
  }
}

}  // namespace
