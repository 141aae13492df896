// Symbol tables: folding, overload chains, overwrite in place, locks and
// removal from any position of a chain.
#include <gtest/gtest.h>

#include "engine/quorb_item.h"
#include "engine/table.h"

namespace QuorbNameSpace {
namespace {

class TableTest : public ::testing::Test {
 protected:
  ~TableTest() override { ClearSymbolTableQuick(table.Symbols); }
  QuorbItem* File(const std::string& name, bool overwrite = false) {
    QuorbItem* item = new QuorbItem();
    table.Add(name, item, overwrite);
    return item;
  }
  Table table;
};

TEST_F(TableTest, FoldsAsciiLettersOnly) {
  QuorbItem* pi = File("Pi");
  EXPECT_EQ(table.Handle("PI"), pi);
  EXPECT_EQ(pi->Name, "pi");
  EXPECT_EQ(table.Key("\xC3\x84Z"), "\xC3\x84z") << "bytes outside A-Z are unchanged";
}

TEST_F(TableTest, CaseSensitiveTableKeepsNamesApart) {
  table.CaseSensitive = true;
  File("Pi");
  File("PI");
  File("pi");
  EXPECT_EQ(table.Symbols.size(), 3u);
}

TEST_F(TableTest, NewestOverloadComesFirst) {
  QuorbItem* first = File("f");
  QuorbItem* second = File("f");
  EXPECT_EQ(table.Handle("f"), second);
  EXPECT_EQ(second->NextOverload, first);
  QuorbItem* walk = second;
  EXPECT_EQ(Overload(walk), first);
  EXPECT_EQ(Overload(walk), nullptr);
}

TEST_F(TableTest, FilingTheSameItemTwiceMakesNoCycle) {
  QuorbItem* item = File("f");
  table.Add("f", item, false);
  EXPECT_EQ(item->NextOverload, nullptr);
}

TEST_F(TableTest, OverwriteKeepsTheExistingAddress) {
  QuorbItem* original = File("f");
  original->Precedence = 1;
  QuorbItem* replacement = new QuorbItem();
  replacement->Precedence = 2;
  replacement->SubItems.push_back(new QuorbItem());
  replacement->SubItems[0]->Name = "x";
  QuorbItem* handle = replacement;
  table.Add("f", handle, true);
  EXPECT_EQ(handle, original) << "the caller's reference is redirected";
  EXPECT_EQ(original->Precedence, 2);
  ASSERT_EQ(original->SubItems.size(), 1u);
  EXPECT_EQ(table.Handle("x"), original->SubItems[0]) << "parameters are filed again";
}

TEST_F(TableTest, LockedNameRefusesEveryRedefinition) {
  QuorbItem* locked = File("c");
  locked->SetBit(IsLocked, true);
  for (bool overwrite : {false, true}) {
    QuorbItem* other = new QuorbItem();
    QuorbItem* handle = other;
    table.Add("c", handle, overwrite);
    EXPECT_EQ(table.Handle("c"), locked);
    EXPECT_EQ(other->OwningTable, nullptr);
    delete other;
  }
}

TEST_F(TableTest, RemovesFromAnyPositionOfAChain) {
  QuorbItem* a = File("f");
  QuorbItem* b = File("f");
  QuorbItem* c = File("f");  // chain: c, b, a
  table.Remove(b);
  EXPECT_EQ(c->NextOverload, a);
  EXPECT_EQ(b->OwningTable, nullptr);
  table.Remove(c);
  EXPECT_EQ(table.Handle("f"), a);
  table.Remove(a);
  EXPECT_TRUE(table.Symbols.empty());
  delete a;
  delete b;
  delete c;
}

TEST_F(TableTest, OverwriteMovesTheElementCountAndBody) {
  QuorbItem* original = File("arr");
  original->ElementCount = 3;
  QuorbItem* replacement = new QuorbItem();
  replacement->ElementCount = 5;
  QuorbItem* handle = replacement;
  table.Add("arr", handle, true);
  EXPECT_EQ(original->ElementCount, 5u);
}

TEST_F(TableTest, OverwritingWithTheFiledItemItselfChangesNothing) {
  QuorbItem* item = File("same");
  item->Precedence = 7;
  QuorbItem* handle = item;
  table.Add("same", handle, true);
  EXPECT_EQ(handle, item);
  EXPECT_EQ(table.Handle("same"), item);
  EXPECT_EQ(item->Precedence, 7);
}

// Filed again under a name just before its own, an item leaves the entry
// the new name's search ended at: the name still goes in once, in order.
TEST_F(TableTest, RenamingAnItemWithinItsTableKeepsTheMapSound) {
  File("a");
  QuorbItem* moved = File("c");
  File("e");
  for (const char* name : {"b", "d", "bb", "f"}) {
    table.Add(name, moved, false);
    EXPECT_EQ(table.Handle(name), moved) << name;
    EXPECT_EQ(moved->Name, name);
    EXPECT_EQ(table.Symbols.size(), 3u) << "the old name leaves, the new one comes: " << name;
  }
  std::string keys;
  for (const auto& entry : table.Symbols) keys += entry.first + " ";
  EXPECT_EQ(keys, "a e f ");
}

TEST_F(TableTest, RemoveTouchesOnlyTheTableThatOwnsTheItem) {
  Table other;
  QuorbItem* here = File("n");
  QuorbItem* there = new QuorbItem();
  other.Add("n", there, false);
  table.Remove(there);  // same name, other table
  EXPECT_EQ(table.Handle("n"), here);
  EXPECT_EQ(other.Handle("n"), there);
  EXPECT_EQ(there->OwningTable, &other);
  ClearSymbolTableQuick(other.Symbols);
}

TEST_F(TableTest, NamespaceIsReplacedOnlyByANamespace) {
  QuorbItem* space = File("space");
  space->SetBit(IsNamespace, true);
  space->SetOwnTable(std::make_unique<Table>());
  QuorbItem* variable = new QuorbItem();
  QuorbItem* handle = variable;
  table.Add("space", handle, true);
  EXPECT_EQ(handle, variable);
  EXPECT_EQ(table.Handle("space"), space);
  delete variable;
}

TEST_F(TableTest, SameSuffixComparesOperatorPositions) {
  QuorbItem prefix, infix, alsoPrefix;
  prefix.SetBit(IsPrefix, true);
  infix.SetBit(IsInfix, true);
  alsoPrefix.SetBit(IsPrefix, true);
  alsoPrefix.SetBit(IsLocked, true);
  EXPECT_TRUE(SameSuffix(&prefix, &alsoPrefix));
  EXPECT_FALSE(SameSuffix(&prefix, &infix));
}

}  // namespace
}  // namespace QuorbNameSpace
