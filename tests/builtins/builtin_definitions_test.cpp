// The built-in definition list: rows of one name keep their order (typed
// rows before the untyped row that must head the overload chain), callbacks
// that serve several rows, the rows without a callback, the declared types
// of the prefix "Not" and "!", and what an instance makes of the list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "builtin_instance.h"
#include "builtins/bitwise.h"
#include "builtins/builtin_definitions.h"
#include "builtins/comparisons.h"
#include "builtins/core_callbacks.h"
#include "builtins/double_arithmetic.h"
#include "builtins/int_arithmetic.h"
#include "builtins/language_callbacks.h"
#include "builtins/random_numbers.h"
#include "builtins/real_math.h"
#include "engine/quorb.h"
#include "engine/table.h"
#include "types/data_type.h"

namespace QuorbNameSpace {
namespace {

// Position of the row with exactly this text; -1 when there is none.
int RowOf(const char* text) {
  for (size_t i = 0; i < BuiltinDefinitionCount; ++i)
    if (std::strcmp(BuiltinDefinitionList[i].Text, text) == 0) return static_cast<int>(i);
  return -1;
}

// The texts of the rows bound to `callback`, in order.
std::vector<std::string> TextsOf(QuorbCallback callback) {
  std::vector<std::string> texts;
  for (size_t i = 0; i < BuiltinDefinitionCount; ++i)
    if (BuiltinDefinitionList[i].Callback == callback) texts.push_back(BuiltinDefinitionList[i].Text);
  return texts;
}

QuorbCallback CallbackOf(const char* text) {
  const int row = RowOf(text);
  return row < 0 ? nullptr : BuiltinDefinitionList[row].Callback;
}

// Asserts that each text is a row and that they come in the order given.
void ExpectInOrder(const std::vector<const char*>& texts) {
  int previous = -1;
  for (const char* text : texts) {
    const int row = RowOf(text);
    EXPECT_GE(row, 0) << text << " is not a row";
    EXPECT_GT(row, previous) << text << " comes too early";
    previous = row;
  }
}

TEST(BuiltinDefinitionList, TextsAreUniqueAndOnlyThreeRowsHaveNoCallback) {
  std::set<std::string> texts;
  std::vector<std::string> withoutCallback;
  for (size_t i = 0; i < BuiltinDefinitionCount; ++i) {
    EXPECT_TRUE(texts.insert(BuiltinDefinitionList[i].Text).second) << BuiltinDefinitionList[i].Text;
    if (BuiltinDefinitionList[i].Callback == nullptr) withoutCallback.push_back(BuiltinDefinitionList[i].Text);
  }
  EXPECT_EQ(withoutCallback,
            (std::vector<std::string>{"Function: GoTo(Label)", "Function: Inf() = 1/0", "Function: NaN() = 0/0"}));
}

TEST(BuiltinDefinitionList, UntypedOperatorRowsFollowTheirTypedVariants) {
  // The newest row of a name is tried first, so the Double rows come last.
  ExpectInOrder({"Operator: 50 {x As Int} + {y As Int} As Int", "Operator: 50 {x} + {y}", "Operator: 70 +{x}"});
  ExpectInOrder({"Operator: 50 {x As Int} - {y As Int} As Int", "Operator: 50 {x} - {y}", "Operator: 70 -{x}"});
  ExpectInOrder({"Operator: 60 {x As Int} * {y As Int} As Int", "Operator: 60 {x} * {y}"});
  ExpectInOrder({"Operator: 60 {x As Int} / {y As Int} As Int", "Operator: 60 {x} / {y}"});
  ExpectInOrder({"Operator: 80 {x} ^ {y As Int}", "Operator: 80 {x} ^ {y}"});
  ExpectInOrder({"Function: Pow(x, y As Int)", "Function: Pow(x, y)"});
  ExpectInOrder({"Operator: 90 {x}!", "Operator: 35 ! {x As Double} As Bool"});
  ExpectInOrder({"Operator: 40 {ByRef x As String} == {ByRef y As String} As Bool",
                 "Operator: 40 {x As Int} == {y As Int} As Bool", "Operator: 40 {x} == {y} As Bool"});
  ExpectInOrder({"Operator: 40 {ByRef x As String} <  {ByRef y As String} As Bool",
                 "Operator: 40 {x As Int} < {y As Int} As Bool", "Operator: 40 {x} < {y} As Bool"});
  ExpectInOrder({"Operator: 40 {ByRef x As String} >= {ByRef y As String} As Bool",
                 "Operator: 40 {x As Int} >= {y As Int} As Bool", "Operator: 40 {x} >= {y} As Bool"});
  EXPECT_EQ(CallbackOf("Operator: 50 {x} + {y}"), &Add);
  EXPECT_EQ(CallbackOf("Operator: 50 {x As Int} + {y As Int} As Int"), &Add_Int);
  EXPECT_EQ(CallbackOf("Operator: 80 {x} ^ {y As Int}"), &Pow_Int);
  EXPECT_EQ(CallbackOf("Operator: 40 {x} < {y} As Bool"), &LessThan);
}

TEST(BuiltinDefinitionList, CallbacksThatServeSeveralRows) {
  EXPECT_EQ(TextsOf(&Sqrt), (std::vector<std::string>{"Function: Sqr(x)", "Function: Sqrt(x)"}));
  EXPECT_EQ(TextsOf(&Fmod), (std::vector<std::string>{"Function: Fmod(x, y)", "Operator: 60 {x} mod {y}"}));
  EXPECT_EQ(TextsOf(&Pow_Int),
            (std::vector<std::string>{"Function: Pow(x, y As Int)", "Operator: 80 {x} ^ {y As Int}"}));
  EXPECT_EQ(TextsOf(&Bitwise_Not), (std::vector<std::string>{"Operator: 35 Not {x As Int} As Int",
                                                             "Operator: 35 {x As Int} ~ {y As Int} As Int"}));
  EXPECT_EQ(TextsOf(&Bitwise_And), (std::vector<std::string>{"Operator: 30 {x As Bool} And {y As Bool} As Bool",
                                                             "Operator: 30 {x As Int} & {y As Int} As Int"}));
  EXPECT_EQ(TextsOf(&Bitwise_Or), (std::vector<std::string>{"Operator: 20 {x As Bool} Or {y As Bool} As Bool",
                                                            "Operator: 20 {x As Int} | {y As Int} As Int"}));
  EXPECT_EQ(TextsOf(&SetVar),
            (std::vector<std::string>{"Operator: 15:RL {x As AnyType} = {y As AnyType} As AnyType",
                                      "Function: SetVar(Variable As AnyType, Value As AnyType) As AnyType"}));
  EXPECT_EQ(TextsOf(&IIf).size(), 2u);
  EXPECT_EQ(TextsOf(&RandomNumber),
            (std::vector<std::string>{"Function: RandomNumber(x As Int = 0, y As Int = 1000) As Int"}));
}

TEST(BuiltinDefinitionList, StringOrderOperatorsKeepTheirTwoBlanks) {
  EXPECT_EQ(CallbackOf("Operator: 40 {ByRef x As String} <  {ByRef y As String} As Bool"), &LessThan_Str);
  EXPECT_EQ(CallbackOf("Operator: 40 {ByRef x As String} >  {ByRef y As String} As Bool"), &GreaterThan_Str);
  EXPECT_EQ(RowOf("Operator: 40 {ByRef x As String} < {ByRef y As String} As Bool"), -1);
}

// Defines the list on a new instance and reads back what it made.
class BuiltinDefinitionsTest : public ::testing::Test {
 protected:
  // The chain of `name`, head first, as callbacks, keeping only those in
  // `among`: rows of other built-in files may sit between them.
  std::vector<QuorbCallback> Chain(const std::string& name, const std::vector<QuorbCallback>& among) {
    std::vector<QuorbCallback> callbacks;
    for (QuorbItem* item = HeadOf(instance, name); item != nullptr; item = item->NextOverload)
      if (std::find(among.begin(), among.end(), item->Callback) != among.end()) callbacks.push_back(item->Callback);
    return callbacks;
  }
  // Expects `name`'s chain to hold exactly these callbacks in this order.
  void ExpectChain(const std::string& name, const std::vector<QuorbCallback>& order) {
    EXPECT_EQ(Chain(name, order), order) << "chain of " << name;
  }
  Quorb instance;
};

TEST_F(BuiltinDefinitionsTest, EveryRowIsAccepted) {
  for (size_t i = 0; i < BuiltinDefinitionCount; ++i) {
    const BuiltinDefinition& row = BuiltinDefinitionList[i];
    QuorbItem* item = instance.Define(row.Text, row.Callback, nullptr);
    EXPECT_NE(item, nullptr) << row.Text;
    EXPECT_EQ(instance.Error.Number, 0) << row.Text;
  }
}

// A callback's roles are the callback's, whichever row binds it: rows that
// share one state the same roles, which is also what the engine finds for
// the callback's address. A fusion role of a math function comes with the
// value function of its callback, and only pure steps fuse.
TEST(BuiltinDefinitionList, RowsOfOneCallbackShareItsRoles) {
  for (size_t i = 0; i < BuiltinDefinitionCount; ++i) {
    const BuiltinDefinition& row = BuiltinDefinitionList[i];
    const BuiltinRoles roles = RolesOf(row);
    EXPECT_TRUE(RolesOfCode(row.Callback) == roles) << row.Text;
    const bool unary = roles.Fusion == FusionRole::Unary;
    const bool binary = roles.Fusion == FusionRole::Binary;
    EXPECT_EQ(roles.Unary != nullptr, unary) << row.Text;
    EXPECT_EQ(roles.Binary != nullptr, binary) << row.Text;
    EXPECT_TRUE(roles.Fusion == FusionRole::None || roles.Has(RolePure)) << row.Text;
  }
}

// Every row's item carries its row's roles, in a new instance and in an
// instance copied from the prototype.
TEST(BuiltinDefinitionList, DefinedItemsCarryTheirRowsRoles) {
  for (int copy = 0; copy < 3; ++copy) {
    Quorb instance;
    size_t withRoles = 0;
    for (size_t i = 0; i < BuiltinDefinitionCount; ++i) {
      const BuiltinDefinition& row = BuiltinDefinitionList[i];
      if (row.Callback == nullptr) continue;
      bool found = false;
      AnyFiledItem(instance.RootTable()->Symbols, [&](const QuorbItem* item) {
        if (item->Text != row.Text) return false;
        EXPECT_TRUE(item->Roles == RolesOf(row)) << row.Text;
        found = true;
        return true;
      });
      EXPECT_TRUE(found) << row.Text;
      if (row.Roles.Bits != 0) ++withRoles;
    }
    EXPECT_GT(withRoles, 100u);
  }
}

TEST_F(BuiltinDefinitionsTest, LaterRowsHeadTheirNamesChains) {
  EnsureBuiltins(instance);
  ExpectChain("+", {&UnaryPlus, &Add, &Add_Int});
  ExpectChain("-", {&UnaryMinus, &Subtract, &Subtract_Int});
  ExpectChain("^", {&Pow, &Pow_Int});
  ExpectChain("Pow", {&Pow, &Pow_Int});
  ExpectChain("<", {&LessThan, &LessThan_Int, &LessThan_Str});
  ExpectChain("!", {&Boolean_Not, &Factorial});
  ExpectChain("Sqr", {&Sqrt});
  EXPECT_EQ(HeadOf(instance, "+")->Callback, &UnaryPlus);
  EXPECT_EQ(HeadOf(instance, "Cos")->Callback, &Cos) << "the real row heads the chain";
  ASSERT_NE(HeadOf(instance, "GoTo"), nullptr);
  EXPECT_EQ(HeadOf(instance, "GoTo")->Callback, nullptr);
}

TEST_F(BuiltinDefinitionsTest, PrefixNotAndBangDeclareTheWidthsTheirCallbacksUse) {
  EnsureBuiltins(instance);
  QuorbItem* bitwiseNot = HeadOf(instance, "Not");
  ASSERT_NE(bitwiseNot, nullptr);
  ASSERT_EQ(bitwiseNot->SubItems.size(), 1u);
  EXPECT_EQ(bitwiseNot->DataType, instance.Types.IntType);
  EXPECT_EQ(bitwiseNot->SubItems[0]->DataType, instance.Types.IntType);
  QuorbItem* logicalNot = HeadOf(instance, "!");
  ASSERT_NE(logicalNot, nullptr);
  ASSERT_EQ(logicalNot->Callback, &Boolean_Not);
  ASSERT_EQ(logicalNot->SubItems.size(), 1u);
  EXPECT_EQ(logicalNot->DataType, instance.Types.BoolType);
  EXPECT_EQ(logicalNot->SubItems[0]->DataType, instance.Types.DoubleType);
}

}  // namespace
}  // namespace QuorbNameSpace
