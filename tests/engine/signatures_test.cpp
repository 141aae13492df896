// Function and operator signatures, parameter declarations and variables.
#include <gtest/gtest.h>

#include <string>

#include "builtins/core_callbacks.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/table.h"
#include "types/builtin_types.h"

namespace QuorbNameSpace {
namespace {

void Callback(ExpressionPart&) {}

class SignaturesTest : public ::testing::Test {
 protected:
  QuorbItem* Find(const std::string& name) { return instance.CurrentNamespaceTable()->Handle(name); }
  QuorbItem* Define(const std::string& text, QuorbCallback callback = nullptr) {
    QuorbItem* item = instance.Define(text, callback, nullptr);
    EXPECT_NE(item, nullptr) << text << ": error " << instance.Error.Number;
    return item;
  }
  Quorb instance;
};

TEST_F(SignaturesTest, FunctionWithoutParentheses) {
  QuorbItem* item = Define("Function: EvalReturn", &Callback);
  EXPECT_TRUE(item->Has(IsFunction) && item->Has(IsCallable));
  EXPECT_EQ(item->SubItems.size(), 0u);
  EXPECT_EQ(item->ElementCount, 0u);
  EXPECT_EQ(item->ParsedExpr, nullptr);
  EXPECT_EQ(item->Callback, &Callback);
  EXPECT_EQ(Find("evalreturn"), item);
}

TEST_F(SignaturesTest, ParametersWithTypesDefaultsAndPointers) {
  QuorbItem* item = Define("Function: ValueAt(Address As AnyType Ptr, Index As Int = 0) As AnyType", &ValueAt);
  ASSERT_EQ(item->SubItems.size(), 3u) << "type carrier, then the two parameters";
  EXPECT_EQ(item->ElementCount, 3u);
  EXPECT_EQ(item->DataType, instance.Types.AnyType);
  QuorbItem* address = item->SubItems[1];
  QuorbItem* index = item->SubItems[2];
  EXPECT_TRUE(address->Has(IsPointer) && address->Has(IsFunction) && address->Has(IsCallable));
  EXPECT_EQ(address->Callback, &ValueAt);
  EXPECT_EQ(address->DataType, instance.Types.PointerType);
  ASSERT_EQ(address->SubItems.size(), 3u);
  EXPECT_EQ(address->SubItems[0]->DataType, instance.Types.AnyType);
  EXPECT_TRUE(index->Has(IsDefaulted) && index->Has(IsNamedVariable));
  EXPECT_EQ(index->DataType, instance.Types.IntType);
  EXPECT_EQ(*static_cast<int32_t*>(index->ValuePtr), 0);
  EXPECT_EQ(Find("index"), nullptr) << "parameter names leave the table";
}

TEST_F(SignaturesTest, IntPointerParameter) {
  QuorbItem* item = Define("Function: Frexp(x, y As Int Ptr)");
  ASSERT_EQ(item->SubItems.size(), 2u);
  QuorbItem* y = item->SubItems[1];
  EXPECT_TRUE(y->Has(IsPointer) && y->Has(IsFunction) && y->Has(IsCallable));
  ASSERT_EQ(y->SubItems.size(), 3u);
  EXPECT_EQ(y->SubItems[0]->DataType, instance.Types.IntType);
  EXPECT_EQ(y->SubItems[1]->DataType, instance.Types.PointerType);
  EXPECT_EQ(y->SubItems[2]->DataType, instance.Types.IntType);
  EXPECT_EQ(item->SubItems[0]->DataType, instance.Types.DoubleType) << "untyped: the default item's type";
}

TEST_F(SignaturesTest, VariadicFunction) {
  QuorbItem* item = Define("Function: Min(x ...)");
  ASSERT_EQ(item->SubItems.size(), 1u);
  EXPECT_TRUE(item->SubItems[0]->Has(IsVariadic) && item->SubItems[0]->Has(IsNamedVariable));
  EXPECT_TRUE(item->Has(IsVariadic));
  EXPECT_EQ(item->ElementCount, ~0ULL);
}

TEST_F(SignaturesTest, ByExprParameterOfAnOperator) {
  QuorbItem* item = Define("Operator: 30 {x As Bool} AndAlso {ByExpr y As Bool} As Bool");
  ASSERT_EQ(item->SubItems.size(), 2u);
  EXPECT_TRUE(item->SubItems[1]->Has(IsByExpr));
  EXPECT_EQ(item->SubItems[1]->DataType, instance.Types.BoolType);
  EXPECT_EQ(item->Precedence, 30);
  EXPECT_TRUE(item->Has(IsInfix));
  EXPECT_EQ(Find("andalso"), item);
}

TEST_F(SignaturesTest, OperatorPositions) {
  QuorbItem* prefix = Define("Operator: 70 -{x}");
  EXPECT_TRUE(prefix->Has(IsPrefix));
  EXPECT_FALSE(prefix->Has(IsInfix) || prefix->Has(IsPostfix));
  QuorbItem* postfix = Define("Operator: 90 {x}!");
  EXPECT_TRUE(postfix->Has(IsPostfix));
  EXPECT_FALSE(postfix->Has(IsInfix) || postfix->Has(IsPrefix));
  QuorbItem* infix = Define("Operator: 60 {x} mod {y}");
  EXPECT_TRUE(infix->Has(IsInfix));
  EXPECT_EQ(Find("mod"), infix);
  EXPECT_EQ(Find("-"), prefix);
}

TEST_F(SignaturesTest, AssignmentOperatorShape) {
  QuorbItem* item = Define("Operator: 15:RL {x As AnyType} = {y As AnyType} As AnyType", &SetVar);
  EXPECT_EQ(item->Precedence, 15);
  EXPECT_TRUE(item->Has(IsRightToLeft));
  EXPECT_EQ(item->DataType, instance.Types.AnyType);
  ASSERT_EQ(item->SubItems.size(), 2u);
  EXPECT_EQ(item->SubItems[0]->DataType, instance.Types.AnyType);
  EXPECT_EQ(item->Name, "=");
}

TEST_F(SignaturesTest, OperatorWithoutPrecedenceTakesTheDefault) {
  EXPECT_EQ(Define("Operator: {x} <> {y}")->Precedence, 1);
}

TEST_F(SignaturesTest, NarrowPointerResultGetsPointerStorage) {
  // Int holds an address only where addresses are 4 bytes wide.
  QuorbDataType* const addressHolder = sizeof(int32_t) < sizeof(void*) ? instance.Types.PointerType : instance.Types.IntType;
  EXPECT_EQ(Define("Function: Where(x) As Int Ptr")->DataType, addressHolder);
  EXPECT_EQ(Define("Function: Addr(x) As AnyType Ptr")->DataType, instance.Types.AnyType);
}

TEST_F(SignaturesTest, EmptyNameIsInvalid) {
  EXPECT_EQ(instance.Define("Function: ", &Callback, nullptr), nullptr);
  EXPECT_EQ(instance.Error.Number, ErrInvalidDefinition);
}

TEST_F(SignaturesTest, ParameterRemovalSparesOtherItemsOfTheName) {
  QuorbItem* global = Define("Variable: x = 5");
  Define("Function: f(x) = x");
  EXPECT_EQ(Find("x"), global);
  EXPECT_EQ(global->NextOverload, nullptr);
}

TEST_F(SignaturesTest, OverwriteKeepsTheAddressAndFailureKeepsTheOldDefinition) {
  QuorbItem* first = Define("Function: g(a) = a");
  QuorbItem* second = Define("Overwrite ~~ Function: g(a, b) = b");
  EXPECT_EQ(first, second);
  EXPECT_EQ(first->SubItems.size(), 2u);
  EXPECT_EQ(instance.Define("Overwrite ~~ Function: g(a) = undefinedName", &Callback, nullptr), nullptr);
  EXPECT_EQ(first->SubItems.size(), 2u) << "the failed definition left the item as it was";
  EXPECT_NE(first->ParsedExpr, nullptr);
}

TEST_F(SignaturesTest, VariablesFromTextAndHostMemory) {
  QuorbItem* text = Define("Variable: s = 'hello'");
  EXPECT_EQ(text->DataType, instance.Types.StringType) << "an untyped variable takes its value's type";
  EXPECT_EQ(*static_cast<std::string*>(text->ValuePtr), "hello");
  double host = 0;
  QuorbItem* hosted = instance.Define("Variable: h As Double = 2.5", reinterpret_cast<QuorbCallback>(&host), nullptr);
  ASSERT_NE(hosted, nullptr);
  EXPECT_EQ(hosted->ValuePtr, &host);
  EXPECT_EQ(host, 2.5);
  EXPECT_FALSE(hosted->Has(IsOwner));
}

TEST_F(SignaturesTest, HostStorageIsNeverRetyped) {
  int32_t host = 1;
  QuorbItem* item = instance.Define("Variable: n As Int", reinterpret_cast<QuorbCallback>(&host), nullptr);
  ASSERT_NE(item, nullptr);
  instance.SetVariableValueAny_(item, "'text'");
  EXPECT_EQ(instance.Error.Number, ErrTypeMismatch);
  EXPECT_EQ(host, 1);
  EXPECT_EQ(item->ValuePtr, &host);
}

TEST_F(SignaturesTest, TypedValueThatDoesNotConvertFails) {
  EXPECT_EQ(instance.Define("Variable: c As Double = 'x'", nullptr, nullptr), nullptr);
  EXPECT_EQ(instance.Error.Number, ErrTypeMismatch);
}

TEST_F(SignaturesTest, ArraysFromBraces) {
  QuorbItem* sized = Define("Variable: a[3] As Int = {7, 8}");
  EXPECT_TRUE(sized->Has(IsArray) && sized->Has(IsPointer));
  EXPECT_EQ(sized->ElementCount, 3u);
  int32_t* elements = static_cast<int32_t*>(*static_cast<void**>(sized->ValuePtr));
  EXPECT_EQ(elements[0], 7);
  EXPECT_EQ(elements[1], 8);
  EXPECT_EQ(elements[2], 0);
  QuorbItem* counted = Define("Variable: b[] As Int = {1, 2, 3, 4}");
  EXPECT_EQ(counted->ElementCount, 4u);
}

TEST_F(SignaturesTest, BodyCallsTheNewFunctionUnlessBootstrap) {
  QuorbItem* base = Define("Function: h(n) = n");
  QuorbItem* recursive = Define("Function: h(n) = h(n)");
  ASSERT_NE(recursive->ParsedExpr, nullptr);
  EXPECT_NE(base, recursive);
  bool callsNew = false;
  for (ExpressionPart* part : recursive->ParsedExpr->Parts) callsNew |= part->OpItem == recursive;
  EXPECT_TRUE(callsNew);
  QuorbItem* boot = Define("Bootstrap ~~ Function: h(n) = h(n)");
  bool callsOld = false;
  for (ExpressionPart* part : boot->ParsedExpr->Parts) callsOld |= part->OpItem == recursive;
  EXPECT_TRUE(callsOld);
}

}  // namespace
}  // namespace QuorbNameSpace
