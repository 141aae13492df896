// The anchor filter against the table it stands for: a text it calls
// absent is one the table files under no key, folded as the table folds;
// what it read holds until it is told to read again.
#include <gtest/gtest.h>

#include <string>

#include "engine/quorb_item.h"
#include "engine/table.h"
#include "scanner/anchor_filter.h"

namespace QuorbNameSpace {
namespace {

class AnchorFilterTest : public ::testing::Test {
 protected:
  ~AnchorFilterTest() override { ClearSymbolTableQuick(table.Symbols); }
  void File(const std::string& name) {
    QuorbItem* item = new QuorbItem();
    table.Add(name, item, false);
  }
  bool Absent(const std::string& text, uint64_t at, uint64_t length) {
    return filter.SurelyAbsent(&table, text, at, length);
  }
  Table table;
  AnchorFilter filter;
};

TEST_F(AnchorFilterTest, AbsentOnlyWhereNoKeyCouldMatch) {
  File("alpha");
  File("f");
  File("==");
  struct Case {
    const char* text;
    uint64_t at, length;
    bool absent;
  };
  const Case cases[] = {
      {"alpha", 0, 5, false}, {"ALPHA", 0, 5, false},  // the table folds
      {"beta", 0, 4, true},   {"alp", 0, 3, true},     // no key of that first byte; of that length
      {"f(x)", 0, 1, false},  {"x == y", 2, 2, false}, {"x + y", 2, 1, true},
      {"fx", 0, 2, false},    {"x = y", 2, 1, false},  // first bytes and lengths of different keys: no answer
      {"ab", 1, 9, true},                              // the length as substr clamps it
      {"ab", 2, 1, false},    {"", 0, 0, false},       // past the end: the filter cannot tell
  };
  for (const Case& c : cases) EXPECT_EQ(Absent(c.text, c.at, c.length), c.absent) << c.text << " at " << c.at;
}

TEST_F(AnchorFilterTest, CaseSensitiveTablesCompareBytes) {
  table.CaseSensitive = true;
  File("Px");
  EXPECT_FALSE(Absent("Px", 0, 2));
  EXPECT_TRUE(Absent("px", 0, 2));
}

TEST_F(AnchorFilterTest, ReadsTheTableAgainOnlyWhenToldTo) {
  File("old");
  EXPECT_TRUE(Absent("new", 0, 3));
  File("new");
  EXPECT_TRUE(Absent("new", 0, 3)) << "what was read stands until Forget";
  filter.Forget();
  EXPECT_FALSE(Absent("new", 0, 3));
  Table other;
  EXPECT_TRUE(filter.SurelyAbsent(&other, "new", 0, 3)) << "another table is read at once";
}

TEST_F(AnchorFilterTest, GivesNoAnswerForLargeTablesOrWhenSwitchedOff) {
  for (uint64_t i = 0; i <= AnchorFilter::kMostKeys; ++i) File("k" + std::to_string(i));
  EXPECT_FALSE(Absent("zzz", 0, 3)) << "too many keys to read";
  ClearSymbolTableQuick(table.Symbols);
  filter.Forget();
  File("a");
  EXPECT_TRUE(Absent("zzz", 0, 3));
  FilterAnchorLookups = false;
  EXPECT_FALSE(Absent("zzz", 0, 3));
  FilterAnchorLookups = true;
}

}  // namespace
}  // namespace QuorbNameSpace
