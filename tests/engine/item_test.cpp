// Items: initial state, property bits, release by kind (run under ASan and
// LSan, which catch both leaks and double frees), and renaming.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "chain_builder.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "engine/table.h"
#include "scanner/string_location.h"

namespace QuorbNameSpace {
namespace {

dt_String& stringType = *NumberedType<dt_String>(TypeString);
dt_Integer_32& intType = *NumberedType<dt_Integer_32>(TypeInt32);

TEST(ItemState, NewItemHasOpenLimitsAndNothingElse) {
  QuorbItem item;
  EXPECT_EQ(item.Properties, 0u);
  EXPECT_EQ(item.Rule().Maximum, ~0ULL);
  EXPECT_EQ(item.Rule().MaximumHard, ~0ULL);
  EXPECT_EQ(item.Rule().StopAfter, ~0ULL);
  EXPECT_EQ(item.Rule().Minimum, 0u);
  EXPECT_EQ(item.Token().Pattern.flags(), std::regex::ECMAScript);
  EXPECT_EQ(item.ValuePtr, nullptr);
}

// A namespace's own table rides in the rule part: an item without one
// reads none and makes no part for it, and an exchange of definitions
// moves the table either way, making the part it needs.
TEST(ItemState, AnOwnTableMovesWithItsDefinition) {
  QuorbItem space, plain;
  EXPECT_EQ(plain.OwnTable(), nullptr);
  plain.SetOwnTable(nullptr);
  EXPECT_FALSE(plain.HasRulePart()) << "no table, no part";
  space.SetBit(IsNamespace, true);
  space.SetOwnTable(std::make_unique<Table>());
  Table* table = space.OwnTable();
  ASSERT_NE(table, nullptr);
  QuorbItem::SwapOwnTables(space, plain);
  EXPECT_EQ(space.OwnTable(), nullptr);
  EXPECT_EQ(plain.OwnTable(), table);
  QuorbItem::SwapOwnTables(plain, space);
  EXPECT_EQ(space.OwnTable(), table);
  EXPECT_EQ(plain.OwnTable(), nullptr);
  QuorbItem::SwapOwnTables(plain, plain);
  EXPECT_EQ(space.OwnTable(), table) << "freed with the namespace item";
}

TEST(ItemState, ValueItemOwnsItsParsedValue) {
  QuorbItem item(&intType, "42");
  EXPECT_TRUE(item.Has(IsOwner));
  EXPECT_EQ(item.Text, "42");
  ASSERT_NE(item.ValuePtr, nullptr);
  EXPECT_EQ(*static_cast<int32_t*>(item.ValuePtr), 42);
}

TEST(ItemState, UnparsableTextGivesAnItemWithoutValue) {
  QuorbItem item(&intType, "abc");
  EXPECT_EQ(item.ValuePtr, nullptr);
}

TEST(ItemProperties, BitNumbersAreTakenModulo64) {
  QuorbItem item;
  EXPECT_EQ(item.SetProperty(65, 1), &item);
  EXPECT_TRUE(item.Has(IsRightToLeft));
  item.SetProperty(63, 7);
  EXPECT_EQ(item.Properties, (1ULL << 1) | (1ULL << 63));
  item.SetProperty(1, 0);
  EXPECT_EQ(item.Properties, 1ULL << 63);
}

TEST(ItemProperties, RulesDefaultMirrorsOntoItsTransformOnly) {
  Quorb instance;
  StringLocation* transform = instance.MainTransform();
  transform->HostRules.RulesDefault.SetProperty(IsActive, 1);
  EXPECT_TRUE(transform->Has(IsActive));
  transform->HostRules.RulesDefault.SetProperty(IsActive, 0);
  EXPECT_FALSE(transform->Has(IsActive));

  QuorbItem rule;
  rule.EditRule().DefiningTransform = transform;
  rule.SetProperty(IsSkipOver, 1);
  EXPECT_FALSE(transform->Has(IsSkipOver));
}

TEST(ItemRelease, HostStorageIsLeftAlone) {
  int32_t host = 9;
  {
    QuorbItem item;
    item.DataType = &intType;
    item.ValuePtr = &host;  // IsOwner clear: not ours to free
  }
  EXPECT_EQ(host, 9);
}

TEST(ItemRelease, TwiceIsHarmless) {
  QuorbItem* item = new QuorbItem(&stringType, "text");
  item->SubItems.push_back(new QuorbItem(&intType, "1"));
  item->Release();
  item->Release();
  EXPECT_EQ(item->ValuePtr, nullptr);
  EXPECT_TRUE(item->SubItems.empty());
  delete item;
}

TEST(ItemRelease, OwnedArrayIsFreedThroughItsElementType) {
  QuorbItem item;
  item.SetBit(IsArray, true);
  item.SetBit(IsOwner, true);
  item.SubItems.push_back(new QuorbItem());
  item.SubItems[0]->DataType = &stringType;
  void** cell = new void*(stringType.AllocArrayValue(3));
  item.ValuePtr = cell;
  static_cast<std::string*>(*cell)[1] = std::string(100, 'x');  // heap text LSan would see leak
}

TEST(ItemRelease, CodeBlockOpenerTakesItsCloserAlong) {
  std::vector<QuorbItem*> tokens;
  auto* opener = new QuorbItem();
  auto* closer = new QuorbItem();
  opener->EditToken().TokenKind = TokenCodeBlock;
  closer->EditToken().TokenKind = TokenCodeBlockMatch;
  opener->EditToken().Partner = closer;
  closer->EditToken().Partner = opener;
  for (QuorbItem* token : {opener, closer}) {
    token->EditToken().TokenList = &tokens;
    tokens.push_back(token);
  }
  delete opener;
  EXPECT_TRUE(tokens.empty()) << "both left the token list";
}

TEST(ItemRelease, ReleasingTheCloserOnlyUnlinksIt) {
  auto* opener = new QuorbItem();
  auto* closer = new QuorbItem();
  opener->EditToken().TokenKind = TokenCodeBlock;
  closer->EditToken().TokenKind = TokenCodeBlockMatch;
  opener->EditToken().Partner = closer;
  closer->EditToken().Partner = opener;
  delete closer;
  EXPECT_EQ(opener->Token().Partner, nullptr) << "no dangling link to the freed closer";
  delete opener;
}

TEST(ItemRelease, AnonymousItemLeavesTheInstanceMap) {
  Quorb instance;
  auto* item = new QuorbItem(&intType, "3");
  item->Owner = &instance;
  item->SetBit(IsAnonymous, true);
  instance.Kept.AnonymousItems[item] = 0;
  delete item;
  EXPECT_TRUE(instance.Kept.AnonymousItems.empty());
}

TEST(ItemRelease, NamespaceDestroysEverythingInItsTable) {
  auto* space = new QuorbItem();
  space->SetBit(IsNamespace, true);
  space->SetOwnTable(std::make_unique<Table>());
  for (const char* name : {"a", "b", "a"}) {
    QuorbItem* member = new QuorbItem(&stringType, std::string(100, 'm'));
    space->OwnTable()->Add(name, member, false);
  }
  delete space;  // LSan reports any member left behind
}

TEST(ItemRelease, FiledItemLeavesItsTable) {
  Table table;
  QuorbItem* first = new QuorbItem();
  QuorbItem* second = new QuorbItem();
  table.Add("x", first, false);
  table.Add("x", second, false);
  delete second;
  EXPECT_EQ(table.Handle("x"), first);
  delete first;
  EXPECT_TRUE(table.Symbols.empty());
}

TEST(ItemRelease, LocalTransformLeavesTheInstanceList) {
  Quorb instance;
  auto* rule = new QuorbItem();
  rule->EditRule().LocalTransform = new StringLocation(&instance);
  instance.Scanners.UserTransforms.push_back(rule->Rule().LocalTransform);
  delete rule;
  EXPECT_TRUE(instance.Scanners.UserTransforms.empty());
}

class RenameTest : public ::testing::Test {
 protected:
  QuorbItem* File(const std::string& name) {
    auto* item = new QuorbItem();
    item->Owner = &instance;
    instance.CurrentNamespaceTable()->Add(name, item, false);
    return item;
  }
  Quorb instance;
};

TEST_F(RenameTest, MovesTheItemToTheNewName) {
  QuorbItem* item = File("old");
  item->Rename("New");
  Table* table = instance.CurrentNamespaceTable();
  EXPECT_EQ(table->Handle("old"), nullptr);
  EXPECT_EQ(table->Handle("new"), item);
  EXPECT_EQ(item->Name, "new");
}

TEST_F(RenameTest, EmptyNameIsRefusedBeforeAnythingIsUnfiled) {
  QuorbItem* item = File("keep");
  item->Rename("");
  EXPECT_EQ(instance.Error.Number, ErrInvalidDefinition);
  EXPECT_EQ(instance.CurrentNamespaceTable()->Handle("keep"), item);

  instance.Error.Number = ErrSyntax;
  item->Rename("");
  EXPECT_EQ(instance.Error.Number, ErrSyntax) << "a pending error stays";
}

TEST_F(RenameTest, UnfilesFromItsOwnTableNotTheRoot) {
  QuorbItem* space = File("space");
  space->SetBit(IsNamespace, true);
  space->SetOwnTable(std::make_unique<Table>());  // freed with the namespace item
  Table& nested = *space->OwnTable();
  auto* item = new QuorbItem();
  item->Owner = &instance;
  nested.Add("inner", item, false);
  item->Rename("outer");
  EXPECT_TRUE(nested.Symbols.empty());
  EXPECT_EQ(instance.CurrentNamespaceTable()->Handle("outer"), item);

  // A table that is no namespace of the instance (a transform's rules) is
  // not left: the item would stop doing its work there.
  Table foreign;
  auto* stranger = new QuorbItem();
  stranger->Owner = &instance;
  foreign.Add("rule", stranger, false);
  stranger->Rename("moved");
  EXPECT_EQ(foreign.Handle("rule"), stranger);
  EXPECT_EQ(instance.CurrentNamespaceTable()->Handle("moved"), nullptr);
  foreign.Remove(stranger);
  delete stranger;
}

TEST_F(RenameTest, LockedTargetKeepsTheOldFiling) {
  QuorbItem* locked = File("taken");
  locked->SetBit(IsLocked, true);
  QuorbItem* item = File("mine");
  item->Rename("taken");
  EXPECT_EQ(instance.Error.Number, ErrInvalidDefinition);
  EXPECT_EQ(instance.CurrentNamespaceTable()->Handle("mine"), item);
  EXPECT_EQ(instance.CurrentNamespaceTable()->Handle("taken"), locked);
}

TEST_F(RenameTest, AnonymousItemBecomesTheTablesOnly) {
  auto* item = new QuorbItem();
  item->Owner = &instance;
  item->SetBit(IsAnonymous, true);
  instance.Kept.AnonymousItems[item] = 0;
  item->Rename("named");
  EXPECT_TRUE(instance.Kept.AnonymousItems.empty()) << "otherwise the instance would free it twice";
  EXPECT_FALSE(item->Has(IsAnonymous));
}

TEST_F(RenameTest, AnItemNoTableMayOwnIsRefused) {
  // A parameter belongs to its function, a temporary to its expression:
  // filed as well, each would be freed twice.
  QuorbItem* function = instance.Define("Function: f(x) = x", nullptr, nullptr);
  ASSERT_NE(function, nullptr);
  QuorbItem* parameter = function->SubItems.at(0);
  parameter->Rename("p");
  EXPECT_EQ(instance.Error.Number, ErrInvalidDefinition);
  EXPECT_EQ(instance.CurrentNamespaceTable()->Handle("p"), nullptr);
  EXPECT_EQ(parameter->OwningTable, nullptr);
  QuorbItem temporary(instance.Types.IntType, "1");
  temporary.Owner = &instance;
  instance.Error.Number = 0;
  temporary.Rename("t");
  EXPECT_EQ(instance.Error.Number, ErrInvalidDefinition);
  EXPECT_EQ(temporary.OwningTable, nullptr);
}

TEST(ItemRelease, ARetiredTypeStopsReadingItsReleasedItem) {
  Quorb instance;
  QuorbItem* boolItem = instance.RootTable()->Handle("bool");
  ASSERT_NE(boolItem, nullptr);
  QuorbDataType* boolType = boolItem->DataType;
  delete boolItem;
  EXPECT_EQ(boolType->Item, nullptr);
  EXPECT_EQ(instance.EvalStr("1 == 1"), "true");
  ASSERT_NE(instance.Define("Output: Double t = t", nullptr, nullptr), nullptr);
  QuorbItem* doubleItem = instance.RootTable()->Handle("double");
  ASSERT_NE(doubleItem, nullptr);
  QuorbDataType* doubleType = doubleItem->DataType;
  delete doubleItem;
  double value = 1.5;
  EXPECT_EQ(doubleType->ToStringFormatted(&value), "1.5");
}

}  // namespace
}  // namespace QuorbNameSpace
