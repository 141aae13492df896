// The type registry and binding type names to storage classes: one object
// per binding, the instance's type table and well-known slots, Bool's words,
// and type objects outliving a redefined or released type item.
#include <gtest/gtest.h>

#include <string>

#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "types/builtin_types.h"
#include "types/type_registry.h"
#include "types/value_classes.h"

namespace QuorbNameSpace {
namespace {

class TypeBindingTest : public ::testing::Test {
 protected:
  // Files a new item under `name` and binds it as a "DataType:" clause does.
  QuorbItem* Bind(const std::string& name, const std::string& word, bool overwrite = false) {
    auto* item = new QuorbItem();
    item->Owner = &instance;
    item->SetBit(IsDataType, true);  // a type may only replace a type
    instance.CurrentNamespaceTable()->Add(name, item, overwrite);
    if (!instance.BindDataType(item, instance.Case(word))) {
      delete item;
      return nullptr;
    }
    return item;
  }
  Quorb instance;
};

TEST(TypeRegistry, PrototypesExistForTheEighteenNumbersOnly) {
  Quorb first;  // the first instance fills the registry
  int filled = 0;
  for (int32_t n = 0; n < BuiltInTypeCount; ++n) {
    if (QuorbDataType* prototype = PrototypeOf(n)) {
      ++filled;
      EXPECT_EQ(prototype->Index, n);
      EXPECT_TRUE(prototype->Name.empty());
      EXPECT_EQ(prototype->Item, nullptr);
    }
  }
  EXPECT_EQ(filled, 18);
  EXPECT_NE(dynamic_cast<dt_Pointer*>(PrototypeOf(TypeAny)), nullptr);
  EXPECT_NE(dynamic_cast<dt_Omni*>(PrototypeOf(TypeOmni)), nullptr);
  EXPECT_EQ(PrototypeOf(-1), nullptr);
  EXPECT_EQ(PrototypeOf(BuiltInTypeCount), nullptr);
}

TEST(TypeRegistry, SecondInstanceSharesProcessTablesAndSentinels) {
  Quorb first;
  QuorbDataType* prototype = PrototypeOf(TypeInt32);
  QuorbItem* notFound = ItemNotFound;
  Quorb second;
  EXPECT_EQ(PrototypeOf(TypeInt32), prototype);
  EXPECT_EQ(ItemNotFound, notFound);
  EXPECT_TRUE(ItemNotFound->Has(IsNotFound));
  EXPECT_EQ(ItemNotFound->Token().TokenKind, TokenNotFound);
}

TEST_F(TypeBindingTest, EachBindingMakesItsOwnObject) {
  QuorbItem* floatItem = Bind("Float", "Type_Float_Single");
  QuorbItem* singleItem = Bind("Single", "type_float_single");
  ASSERT_NE(floatItem, nullptr);
  ASSERT_NE(singleItem, nullptr);
  EXPECT_NE(floatItem->DataType, singleItem->DataType);
  EXPECT_EQ(floatItem->DataType->Index, TypeSingle);
  EXPECT_EQ(instance.Types.DataTypes[TypeSingle], singleItem->DataType) << "the later binding holds the slot";
  EXPECT_EQ(floatItem->DataType->Name, "float");
  EXPECT_EQ(floatItem->DataType->Item, floatItem);
  EXPECT_TRUE(floatItem->Has(IsDataType) && floatItem->Has(IsFunction) && floatItem->Has(IsCallable));
  EXPECT_NE(floatItem->Callback, nullptr) << "a type name converts when called";
  EXPECT_NE(floatItem->DataType, PrototypeOf(TypeSingle));
}

TEST_F(TypeBindingTest, WellKnownSlotsFollowTheLatestBinding) {
  QuorbItem* integer = Bind("Int", "type_integer_32");
  EXPECT_EQ(instance.Types.IntType, integer->DataType);
  QuorbItem* fraction = Bind("Fraction", "type_float_double");
  EXPECT_EQ(instance.Types.DoubleType, fraction->DataType);
  QuorbDataType* pointer = instance.Types.PointerType;
  QuorbItem* any = Bind("AnyType", "type_any", true);
  EXPECT_EQ(instance.Types.AnyType, any->DataType);
  EXPECT_EQ(instance.Types.PointerType, pointer) << "AnyType and Pointer share a class, not a slot";
}

TEST_F(TypeBindingTest, BoolGetsItsNumericValueAndWords) {
  QuorbItem* boolean = Bind("Bool", "type_boolean");
  ASSERT_EQ(boolean->SubItems.size(), 3u);
  EXPECT_EQ(*static_cast<int8_t*>(boolean->SubItems[0]->ValuePtr), 1);
  EXPECT_EQ(*static_cast<std::string*>(boolean->SubItems[1]->ValuePtr), "true");
  EXPECT_EQ(*static_cast<std::string*>(boolean->SubItems[2]->ValuePtr), "false");
  uint8_t truth = 1;
  EXPECT_EQ(boolean->DataType->ToString(&truth), "true");
}

TEST_F(TypeBindingTest, UnknownWordBindsNothing) {
  std::vector<QuorbDataType*> before = instance.Types.DataTypes;
  EXPECT_EQ(Bind("Strange", "type_nothing"), nullptr);
  EXPECT_EQ(instance.CurrentNamespaceTable()->Handle("strange"), nullptr);
  EXPECT_EQ(instance.Types.DataTypes, before);
}

TEST_F(TypeBindingTest, CaseSensitiveInstanceBindsLowerCaseWordsOnly) {
  instance.Definitions.Flags |= PropertyBit(IsCaseSensitive);
  EXPECT_EQ(Bind("Big", "Type_Integer_64"), nullptr);
  EXPECT_NE(Bind("Big", "type_integer_64"), nullptr);
}

TEST_F(TypeBindingTest, RedefinedTypeKeepsOldValuesValid) {
  QuorbItem* text = Bind("Text", "type_string");
  QuorbDataType* original = text->DataType;
  // A value made with the first object, as a variable or literal would hold.
  QuorbItem value(original, std::string(64, 'v'));
  QuorbItem* redefined = Bind("Text", "type_string", true);
  ASSERT_EQ(redefined, text) << "overwrite keeps the item's address";
  EXPECT_NE(text->DataType, original);
  // The old object must still work: ASan reports a use after free otherwise.
  EXPECT_EQ(original->ToString(value.ValuePtr), std::string(64, 'v'));
}

TEST_F(TypeBindingTest, ReleasedTypeItemLeavesNoDanglingSlot) {
  QuorbDataType* builtIn = instance.Types.IntType;
  QuorbItem* integer = Bind("Int", "type_integer_32");
  QuorbDataType* rebound = integer->DataType;
  ASSERT_EQ(instance.Types.IntType, rebound);
  delete integer;
  // The slot goes back to the type still filed under that number.
  EXPECT_NE(instance.Types.IntType, rebound);
  EXPECT_EQ(instance.Types.IntType, builtIn);
  EXPECT_EQ(instance.Types.DataTypes[TypeInt32], builtIn);
}

TEST_F(TypeBindingTest, TypeItemCannotBeOverwrittenByAnotherKind) {
  QuorbItem* integer = Bind("Int", "type_integer_32");
  auto* variable = new QuorbItem();
  QuorbItem* handle = variable;
  instance.CurrentNamespaceTable()->Add("int", handle, true);
  EXPECT_EQ(instance.Error.Number, ErrInvalidDefinition);
  EXPECT_EQ(handle, variable) << "refused: the caller keeps its own item";
  EXPECT_EQ(instance.CurrentNamespaceTable()->Handle("int"), integer);
  EXPECT_TRUE(integer->Has(IsDataType));
  delete variable;
}

}  // namespace
}  // namespace QuorbNameSpace
