// Change records in blocks: records dropped and added again across block
// boundaries read back as added, with room kept or freed.
#include <gtest/gtest.h>

#include <string>

#include "scanner/change_records.h"

namespace QuorbNameSpace {
namespace {

std::string Old(size_t i) { return "old " + std::to_string(i) + std::string(i % 40, 'o'); }
std::string New(size_t i) { return "new " + std::to_string(i) + std::string(i % 23, 'n'); }

void Expect(const ChangeRecords& records, size_t size, size_t changedFrom, size_t offset) {
  ASSERT_EQ(records.size(), size);
  size_t i = 0;
  for (const LogOfChangesClass* record : records) {
    const size_t n = i < changedFrom ? i : i + offset;
    EXPECT_EQ(record->Location, n) << i;
    EXPECT_EQ(record->OldText, Old(n)) << i;
    EXPECT_EQ(record->NewText, New(n)) << i;
    EXPECT_EQ(record->Rule, nullptr) << i;
    ++i;
  }
  EXPECT_EQ(i, size);
}

TEST(ChangeRecordsTest, DroppedRecordsMakeRoomForNewOnesEitherWay) {
  for (bool reuse : {true, false}) {
    ReuseChangeRecords = reuse;
    ChangeRecords records;
    EXPECT_TRUE(records.empty());
    for (size_t i = 0; i < 100; ++i) records.Add(i, "<" + Old(i) + ">", 1, Old(i).size(), New(i), nullptr);
    Expect(records, 100, 100, 0);
    records.Truncate(40);
    records.Truncate(70);  // no longer than it is: nothing changes
    Expect(records, 40, 40, 0);
    for (size_t i = 1040; i < 1090; ++i) records.Add(i, "<" + Old(i) + ">", 1, Old(i).size(), New(i), nullptr);
    Expect(records, 90, 40, 1000);
    records.clear();
    EXPECT_TRUE(records.empty());
    records.push_back(LogOfChangesClass{5, Old(5), New(5), nullptr});
    records.Add(1, Old(1), 0, std::string::npos, New(1), nullptr);
    EXPECT_EQ(records[0]->OldText, Old(5));
    EXPECT_EQ(records[1]->NewText, New(1));
    records.Release();
    EXPECT_TRUE(records.empty());
    for (size_t i = 0; i < 3; ++i) records.Add(i, "<" + Old(i) + ">", 1, Old(i).size(), New(i), nullptr);
    Expect(records, 3, 3, 0);
  }
  ReuseChangeRecords = true;
}

// A huge expansion's room does not stay with the transform: once a small
// one has followed, only the room that one filled is held, and no long text.
TEST(ChangeRecordsTest, ClearingKeepsOnlyTheRoomLastFilled) {
  ChangeRecords records;
  const size_t many = 20 * 32;  // 32 records a block
  const std::string large(4096, 'x');
  for (size_t i = 0; i < many; ++i) {
    const std::string& text = i < 3 ? large : Old(i);
    records.Add(i, text, 0, text.size(), text, nullptr);
  }
  const size_t held = records.BlocksHeld();
  ASSERT_GE(held, 20u);
  records.clear();
  EXPECT_EQ(records.BlocksHeld(), held);  // the next expansion may be as large
  for (size_t i = 0; i < 3; ++i) records.Add(i, "<" + Old(i) + ">", 1, Old(i).size(), New(i), nullptr);
  Expect(records, 3, 3, 0);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_LE(records[i]->OldText.capacity(), ChangeRecords::TextRoomKeptByClear) << i;
    EXPECT_LE(records[i]->NewText.capacity(), ChangeRecords::TextRoomKeptByClear) << i;
  }
  records.clear();
  EXPECT_EQ(records.BlocksHeld(), 1u);
}

}  // namespace
}  // namespace QuorbNameSpace
