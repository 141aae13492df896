// Items through their exports: what a host reads from them, renaming, and
// releasing, with the releases that would leave a pointer to freed memory
// behind refused (error 13).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "item_fixture.h"
#include "quorb.h"

namespace {

using Items = ItemFixture;

TEST_F(Items, FieldsReadBackAsDefined) {
  QuorbItem* older = DefineFunction(q, "Twice(x As Int) As Int", Doubled);
  QuorbItem* newer = DefineFunction(q, "Twice(x As Double)", Doubled);
  ASSERT_NE(older, nullptr);
  ASSERT_NE(newer, nullptr);
  EXPECT_EQ(Find("Twice"), newer);
  EXPECT_EQ(NextOverload(newer), older) << "the overload chain runs newest first";
  EXPECT_EQ(NextOverload(older), nullptr);
  EXPECT_EQ(FunctionAddress(newer), reinterpret_cast<void*>(&Doubled));
  EXPECT_EQ(GetQuorb_Overload_Item(newer), q);
  EXPECT_STREQ(Name_Overload_Item(newer), "twice");
  EXPECT_STREQ(Text(newer), "Function: Twice(x As Double)");

  QuorbItem* op = DefineOperator(q, "{x} <*> {y}", 55, 0, Doubled);
  EXPECT_EQ(Precedence_Overload_Item(op), 55);
  QuorbItem* array = DefineVariable(q, "cells[4] As Int", nullptr);
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(ElementCount(array), 4u);
  auto* elements = static_cast<int32_t*>(ValuePtr(array));
  ASSERT_NE(elements, nullptr) << "an array item hands out its elements' address";
  elements[2] = 7;
  EXPECT_EQ(Eval(q, "cells[2]"), 7.0);
  EXPECT_EQ(ValueInt32(array), 0) << "its storage is an address, not an Int";
}

// A built-in's address handed back as a host callback runs in the
// engine's own convention (on Windows x86 host callbacks are stdcall, the
// engine's cdecl: called as the other, the stack was left unbalanced).
TEST_F(Items, ABuiltinsAddressBindsAsTheBuiltin) {
  void* sqrtAddress = FunctionAddress(HandleOf(q, "Sqrt", 0, 0));
  ASSERT_NE(sqrtAddress, nullptr);
  const auto asCallback = reinterpret_cast<QuorbCallback>(reinterpret_cast<uintptr_t>(sqrtAddress));
  QuorbItem* root = DefineFunction(q, "Root(x As Double) As Double", asCallback);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(FunctionAddress(root), sqrtAddress);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Eval(q, "Root(16) + Root(2.25)"), 5.5);
}

// Property bits are read modulo 64 and come back as exactly 0 or 1.
TEST_F(Items, PropertyBitsReadAsZeroOrOne) {
  QuorbItem* missing = Find("no_such_name");
  QuorbItem* op = DefineOperator(q, "{x} <*> {y}", 55, 1, Doubled);
  const struct {
    QuorbItem* item;
    int32_t bit;
    int32_t expected;
  } cases[] = {
      {missing, 56, 1},      {missing, 56 + 64, 1}, {missing, 55, 0},  {op, 9, 1},
      {op, 1, 1},            {op, 1 - 64, 1},       {op, 65, 1},       {op, 64, IsProperty(op, 0)},
      {op, -1, IsProperty(op, 63)}, {nullptr, 1, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(IsProperty(c.item, c.bit), c.expected) << "bit " << c.bit;
}

TEST_F(Items, RenameRefilesAndKeepsTheOldNameWhenRefused) {
  QuorbItem* v = DefineVariable(q, "before = 3", nullptr);
  Rename(v, "after");
  EXPECT_FALSE(Defined("before"));
  EXPECT_EQ(Find("after"), v);
  EXPECT_EQ(Eval(q, "after * 2"), 6.0);
  Rename(v, "");
  EXPECT_EQ(ErrorNumber(q), 9);
  EXPECT_EQ(Find("after"), v) << "a refused name keeps the old filing";
}

TEST_F(Items, AReleasedItemLeavesEveryList) {
  ASSERT_NE(DefineVariable(q, "gone = 1", nullptr), nullptr);
  const uint64_t count = NamespaceSymbolCount(q);
  ReleaseItem(Find("gone"));
  EXPECT_EQ(ErrorNumber(q), 0);
  EXPECT_FALSE(Defined("gone"));
  EXPECT_EQ(NamespaceSymbolCount(q), count - 1);

  QuorbItem* output = SetOutput_Overload_Quorb__NoCallback(q, " T = \"formatted\"");
  ASSERT_NE(output, nullptr);
  EXPECT_STREQ(EvalStr(q, "1"), "formatted");
  ReleaseItem(output);
  EXPECT_STREQ(EvalStr(q, "1"), "1") << "the output item left every type's list";
  ReleaseItem(nullptr);
}

// Items that something else still holds or uses are not freed.
TEST_F(Items, ReleasesThatWouldLeaveDanglingPointersAreRefused) {
  ASSERT_NE(DefineVariable(q, "used = 2", nullptr), nullptr);
  QuorbExpression* uses = Parse(q, "used + 1", "");
  ASSERT_NE(Define_Overload_Quorb(q, "DataType: Money : Type_Float_Double", nullptr, nullptr), nullptr);
  ASSERT_NE(DefineVariable(q, "wallet As Money", nullptr), nullptr);
  QuorbItem* cases[] = {Find("not_defined"), Default(q), Find("used"), Find("Money"), Find("Double")};
  for (QuorbItem* item : cases) {
    EvalStr(q, "0");  // a parse clears the error number
    ReleaseItem(item);
    if (GetQuorb_Overload_Item(item) != nullptr) {
      EXPECT_EQ(ErrorNumber(q), 13) << Name_Overload_Item(item);
    }
  }
  EXPECT_EQ(Evaluate(uses), 3.0) << "the expression still reads its variable";
  EXPECT_EQ(Eval(q, "1.5 + 1"), 2.5) << "Double is still a type";

  ReleaseExpr(uses);
  ReleaseItem(Find("used"));
  EXPECT_FALSE(Defined("used")) << "unused now, it is released";
  ReleaseItem(Find("wallet"));
  ReleaseItem(Find("Money"));
  EXPECT_FALSE(Defined("Money")) << "a type without values is released";
}

// An argument passed unevaluated (ByExpr) keeps its own parsed expression;
// a variable named only there is in use all the same.
TEST_F(Items, AVariableNamedOnlyInAnUnevaluatedArgumentIsInUse) {
  ASSERT_NE(DefineVariable(q, "late = 4", nullptr), nullptr);
  QuorbExpression* uses = Parse(q, "IIf(1 < 2, late * 2, 0)", "");
  EvalStr(q, "0");
  ReleaseItem(Find("late"));
  EXPECT_EQ(ErrorNumber(q), 13);
  EXPECT_EQ(Evaluate(uses), 8.0);
  ReleaseExpr(uses);
  ReleaseItem(Find("late"));
  EXPECT_FALSE(Defined("late")) << "unused now, it is released";
}

// A namespace goes with everything filed in it: refused while an
// expression outside uses a member.
TEST_F(Items, ANamespaceIsReleasedOnlyWhenNoMemberIsInUse) {
  QuorbItem* space = Define_Overload_Quorb(q, "Name: geo ~~ Namespace: begin", nullptr, nullptr);
  ASSERT_NE(space, nullptr);
  ASSERT_NE(DefineVariable(q, "area = 12", nullptr), nullptr);
  Define_Overload_Quorb(q, "Namespace: end", nullptr, nullptr);
  QuorbExpression* uses = Parse(q, "geo.area / 2", "");
  EXPECT_EQ(Evaluate(uses), 6.0);
  ReleaseItem(space);
  EXPECT_EQ(ErrorNumber(q), 13);
  EXPECT_EQ(Evaluate(uses), 6.0);
  ReleaseExpr(uses);
  ReleaseItem(space);
  EXPECT_FALSE(Defined("geo"));
}

QuorbItem* releasedFromCallback = nullptr;
void QUORB_CALLBACK ReleasesItself(QuorbPart* part) {
  releasedFromCallback = OpItem(part);
  ReleaseItem(OpItem(part));
  ReleaseItem(ArgObj(part, 1));
  Return(part, 1);
}

TEST_F(Items, NothingIsReleasedWhileItsInstanceRunsHostCode) {
  ASSERT_NE(DefineFunction(q, "Selfish(x)", ReleasesItself), nullptr);
  EXPECT_EQ(Eval(q, "Selfish(2) + Selfish(3)"), 2.0);
  EXPECT_EQ(ErrorNumber(q), 13);
  EXPECT_EQ(Find("Selfish"), releasedFromCallback);
}

// Regression: an operation fused into a run, not as its first step, is in
// use as much as its unfused twin: its release is refused.
TEST_F(Items, AnOperationInsideAFusedRunIsInUse) {
  ASSERT_NE(DefineVariable(q, "fx = 0.5", nullptr), nullptr);
  QuorbExpression* uses = Parse(q, "fx * 2 + Cos(fx)", "");
  const double expected = Evaluate(uses);
  ReleaseItem(Find("Cos"));
  EXPECT_EQ(ErrorNumber(q), 13);
  EXPECT_TRUE(Defined("Cos"));
  EXPECT_EQ(Evaluate(uses), expected);
  ReleaseExpr(uses);
}

}  // namespace
