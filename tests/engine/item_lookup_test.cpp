// Instance-level lookups: by name and mask, by position and property, the
// namespace listing and operator precedence.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "scanner/string_location.h"
#include "types/type_registry.h"

namespace QuorbNameSpace {
namespace {

// Each test works in a namespace of its own, apart from the instance's
// built-in definitions.
class ItemLookupTest : public ::testing::Test {
 protected:
  ItemLookupTest() { instance.MainTransform()->SearchTables.push_back(&space); }
  ~ItemLookupTest() override {
    instance.MainTransform()->SearchTables.pop_back();
    ClearSymbolTableQuick(space.Symbols);
  }
  QuorbItem* File(const std::string& name, uint64_t properties = 0, int32_t precedence = 0) {
    auto* item = new QuorbItem();
    item->Owner = &instance;
    item->Properties = properties;
    item->Precedence = precedence;
    instance.CurrentNamespaceTable()->Add(name, item, false);
    return item;
  }
  Quorb instance;
  Table space;
};

TEST_F(ItemLookupTest, ByNameNeverReturnsNull) {
  EXPECT_EQ(instance.ItemOfByName("nothing", 0, true, false), ItemNotFound);
  EXPECT_EQ(instance.ItemOfByName("", 0, true, false), ItemNotFound);
}

TEST_F(ItemLookupTest, ByNameMaskNeedsEveryBit) {
  const uint64_t function = PropertyBit(IsFunction) | PropertyBit(IsCallable);
  QuorbItem* older = File("f", function);
  QuorbItem* newer = File("f", PropertyBit(IsOperator) | PropertyBit(IsCallable));
  EXPECT_EQ(instance.ItemOfByName("F", 0, true, false), newer) << "mask 0: the newest";
  EXPECT_EQ(instance.ItemOfByName("f", static_cast<int64_t>(function), true, false), older);
  EXPECT_EQ(instance.ItemOfByName("f", static_cast<int64_t>(PropertyBit(IsCallable)), true, false), newer);
  EXPECT_EQ(instance.ItemOfByName("f", static_cast<int64_t>(PropertyBit(IsLocked)), true, false), ItemNotFound);
}

TEST_F(ItemLookupTest, FallbackSearchesTheParserTransformsRules) {
  auto* alias = new QuorbItem();
  instance.ParserTransform()->RuleTable->Add("alias", alias, false);
  EXPECT_EQ(instance.ItemOfByName("alias", 0, true, false), ItemNotFound);
  EXPECT_EQ(instance.ItemOfByName("alias", 0, true, true), alias);
}

TEST_F(ItemLookupTest, ByPropertyNumbersEveryItemInWalkOrder) {
  QuorbItem* b1 = File("b", PropertyBit(IsFunction));
  QuorbItem* a = File("a", PropertyBit(IsNamedVariable));
  QuorbItem* b2 = File("b", PropertyBit(IsOperator));  // chain b: b2, b1
  const int64_t any = static_cast<int64_t>(PropertyBit(IsFunction) | PropertyBit(IsOperator) | PropertyBit(IsNamedVariable));
  EXPECT_EQ(instance.ItemOfByProperty(any, 0, ""), a);
  EXPECT_EQ(instance.ItemOfByProperty(any, 1, ""), b2);
  EXPECT_EQ(instance.ItemOfByProperty(any, 2, ""), b1);
  EXPECT_EQ(instance.ItemOfByProperty(any, 3, ""), ItemNotFound);
  // The index is absolute: a non-matching item still takes its number.
  EXPECT_EQ(instance.ItemOfByProperty(static_cast<int64_t>(PropertyBit(IsFunction)), 1, ""), ItemNotFound);
  EXPECT_EQ(instance.ItemOfByProperty(0, 0, ""), ItemNotFound);
  EXPECT_EQ(instance.ItemOfByProperty(any, -1, ""), ItemNotFound);
}

TEST_F(ItemLookupTest, ByPropertyFiltersByANamedType) {
  QuorbItem* typeItem = File("real");
  QuorbItem* typed = File("x", PropertyBit(IsNamedVariable));
  QuorbItem* untyped = File("y", PropertyBit(IsNamedVariable));
  // Borrow a process-lived prototype as the type both share.
  typeItem->DataType = PrototypeOf(TypeDouble);
  typed->DataType = PrototypeOf(TypeDouble);
  const int64_t variable = static_cast<int64_t>(PropertyBit(IsNamedVariable));
  EXPECT_EQ(instance.ItemOfByProperty(variable, 1, "real"), typed);
  EXPECT_EQ(instance.ItemOfByProperty(variable, 2, "real"), ItemNotFound);
  EXPECT_EQ(instance.ItemOfByProperty(variable, 2, "unknown"), untyped) << "an unknown type filters nothing";
}

TEST_F(ItemLookupTest, NamespaceListingByPosition) {
  EXPECT_EQ(instance.NamespaceSymbolCount(), 0);
  EXPECT_EQ(instance.NamespaceSymbol(0), nullptr);
  QuorbItem* b = File("b");
  QuorbItem* a = File("a");
  File("b");
  EXPECT_EQ(instance.NamespaceSymbolCount(), 2) << "names, not items";
  EXPECT_EQ(instance.NamespaceSymbol(0), a);
  EXPECT_EQ(instance.NamespaceSymbol(1)->NextOverload, b);
  EXPECT_EQ(instance.NamespaceSymbol(2), nullptr);
  EXPECT_EQ(instance.NamespaceSymbol(-1), nullptr);
}

TEST_F(ItemLookupTest, PrecedenceOfOneOrTheMeanOfTwo) {
  File("+", 0, 50);
  File("*", 0, 60);
  File("=", 0, 45);
  File("big", 0, INT32_MAX);
  EXPECT_EQ(instance.Precedence("+", ""), 50);
  EXPECT_EQ(instance.Precedence("+", "*"), 55);
  EXPECT_EQ(instance.Precedence("=", "+"), 47);
  EXPECT_EQ(instance.Precedence("big", "big"), INT32_MAX) << "the sum must not overflow";
  EXPECT_EQ(instance.Precedence("unknown", ""), 0);
  EXPECT_EQ(instance.Precedence("+", "unknown"), 0);
}

}  // namespace
}  // namespace QuorbNameSpace
