// The evaluation loop over hand-built chains: stepping, redirection by a
// callback, the result variants, failed-parse results and clean-up.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "builtins/core_callbacks.h"
#include "chain_builder.h"

namespace QuorbNameSpace {
namespace {

dt_Float_Double& doubleType = *NumberedType<dt_Float_Double>(TypeDouble);
dt_Integer_32& intType = *NumberedType<dt_Integer_32>(TypeInt32);
dt_Complex& complexType = *NumberedType<dt_Complex>(TypeComplex);

double& D(QuorbItem* item) { return *static_cast<double*>(item->ValuePtr); }

void AddDoubles(ExpressionPart& part) { D(part.Result) = D(part.Args[0]) + D(part.Args[1]); }
void MulDoubles(ExpressionPart& part) { D(part.Result) = D(part.Args[0]) * D(part.Args[1]); }

QuorbItem* Num(double value) { return new QuorbItem(&doubleType, std::to_string(value)); }

class EvaluateTest : public ::testing::Test {
 protected:
  Quorb instance;
};

TEST_F(EvaluateTest, RunsStepsInOrderAndReadsTheTerminatorResult) {
  // 1 + 2 * 3, as the parser would order it: multiply, then add.
  ChainBuilder chain(&instance);
  QuorbItem* product = Num(0);
  QuorbItem* sum = Num(0);
  chain.Step(&MulDoubles, {Num(2), Num(3)}, product);
  chain.Step(&AddDoubles, {Num(1), product}, sum);
  QuorbParsedExpr* expr = chain.Finish(sum);
  EXPECT_EQ(expr->Evaluate(), 7.0);
  EXPECT_EQ(expr->EvaluateNTE(), 7.0);
  EXPECT_EQ(expr->EvaluateInt(), 7) << "the Double result is converted, not read as an Int's bytes";
  EXPECT_EQ(*static_cast<double*>(expr->EvaluateVoid()), 7.0);
  EXPECT_EQ(expr->EvaluateStr(), "7");
}

TEST_F(EvaluateTest, TerminatorOnlyRunsNothing) {
  ChainBuilder chain(&instance);
  QuorbParsedExpr* expr = chain.Finish(Num(4.5));
  EXPECT_EQ(expr->Evaluate(), 4.5);
  EXPECT_EQ(expr->Current, expr->First);
}

TEST_F(EvaluateTest, RepeatedRunsSeeChangedVariables) {
  double host = 1.0;
  QuorbItem variable;
  variable.DataType = &doubleType;
  variable.ValuePtr = &host;
  variable.SetBit(IsNamedVariable, true);
  ChainBuilder chain(&instance);
  QuorbItem* sum = Num(0);
  chain.Step(&AddDoubles, {&variable, Num(10)}, sum);
  QuorbParsedExpr* expr = chain.Finish(sum);
  EXPECT_EQ(expr->Evaluate(), 11.0);
  host = 5.0;
  EXPECT_EQ(expr->Evaluate(), 15.0);
}

// A callback may steer the loop through its part's link: this one sends the
// flow back to an earlier part until a counter runs out, then restores it.
struct Loop {
  static ExpressionPart* target;
  static ExpressionPart* normalNext;
  static int remaining;
  static void Back(ExpressionPart& part) {
    if (remaining-- > 0) part.Next = target;
    else part.Next = normalNext;
  }
};
ExpressionPart* Loop::target = nullptr;
ExpressionPart* Loop::normalNext = nullptr;
int Loop::remaining = 0;

TEST_F(EvaluateTest, CallbackRedirectingBackwardsRepeatsSteps) {
  QuorbItem* counter = Num(0);
  counter->SetBit(IsNamedVariable, true);  // shared by the steps, freed below
  QuorbItem* one = Num(1);
  one->SetBit(IsNamedVariable, true);
  {
    ChainBuilder chain(&instance);
    ExpressionPart* increment = chain.Step(&AddDoubles, {counter, one}, counter);
    ExpressionPart* back = chain.Step(&Loop::Back, {}, nullptr);
    QuorbParsedExpr* expr = chain.Finish(Num(0));
    Loop::target = increment;
    Loop::normalNext = back->Next;
    Loop::remaining = 3;
    expr->Execute();
  }
  EXPECT_EQ(D(counter), 4.0) << "one pass plus three repeats";
  delete counter;
  delete one;
}

void SkipNext(ExpressionPart& part) { part.Next = part.Next->Next; }

TEST_F(EvaluateTest, CallbackRedirectingForwardSkipsSteps) {
  ChainBuilder chain(&instance);
  QuorbItem* value = Num(1);
  chain.Step(&SkipNext, {}, nullptr);
  chain.Step(&MulDoubles, {Num(100), Num(100)}, value);
  QuorbParsedExpr* expr = chain.Finish(value);
  EXPECT_EQ(expr->Evaluate(), 1.0);
}

TEST_F(EvaluateTest, EvaluateVoidLeavesCurrentAlone) {
  ChainBuilder chain(&instance);
  QuorbItem* sum = Num(0);
  chain.Step(&AddDoubles, {Num(1), Num(1)}, sum);
  QuorbParsedExpr* expr = chain.Finish(sum);
  expr->Current = nullptr;
  EXPECT_EQ(*static_cast<double*>(expr->EvaluateVoid()), 2.0);
  EXPECT_EQ(expr->Current, nullptr);
}

TEST_F(EvaluateTest, FailedParseYieldsItsErrorThroughEveryVariant) {
  ChainBuilder chain(&instance);
  QuorbParsedExpr* expr = chain.FinishAsError(&intType, ErrSyntax);
  EXPECT_EQ(expr->EvaluateInt(), ErrSyntax);
  EXPECT_EQ(expr->Evaluate(), 2.0);
  EXPECT_EQ(expr->EvaluateStr(), "Syntax error");
}

TEST_F(EvaluateTest, FailedParseWithoutNumberReportsThePendingError) {
  ChainBuilder chain(&instance);
  QuorbParsedExpr* expr = chain.FinishAsError(&intType, 0);
  instance.Error.Number = ErrUndefinedIdentifier;
  EXPECT_EQ(expr->EvaluateStr(), "Undefined identifier");
}

void RaiseUserError(ExpressionPart& part) { part.OpItem->Owner->ErrorRaise(&part, 77); }

TEST_F(EvaluateTest, CallbackErrorDoesNotStopTheLoopAndIsReportedAsText) {
  ChainBuilder chain(&instance);
  QuorbItem op;
  op.Owner = &instance;
  QuorbItem* sum = Num(0);
  chain.Step(&RaiseUserError, {}, nullptr)->OpItem = &op;
  chain.Step(&AddDoubles, {Num(2), Num(2)}, sum);
  QuorbParsedExpr* expr = chain.Finish(sum);
  EXPECT_EQ(expr->Evaluate(), 4.0);
  EXPECT_EQ(instance.Error.Number, 77);
  EXPECT_EQ(expr->EvaluateStr(), "") << "a number without a message reads empty";
  EXPECT_EQ(instance.Error.Messages.count(77), 1u);
}

TEST_F(EvaluateTest, NonNumericResultReadsAsNaNAndZero) {
  ChainBuilder chain(&instance);
  QuorbParsedExpr* expr = chain.Finish(new QuorbItem(&complexType, "x"));
  EXPECT_TRUE(std::isnan(expr->Evaluate()));
  EXPECT_EQ(expr->EvaluateInt(), 0);
  EXPECT_EQ(expr->EvaluateStr(), "0+1i");
}

TEST_F(EvaluateTest, IntResultConvertsToDoubleAndHugeDoubleSaturatesInt) {
  ChainBuilder ints(&instance);
  EXPECT_EQ(ints.Finish(new QuorbItem(&intType, "-12"))->Evaluate(), -12.0);
  ChainBuilder doubles(&instance);
  QuorbParsedExpr* expr = doubles.Finish(Num(1e300));
  EXPECT_EQ(expr->EvaluateInt(), INT32_MAX);
}

TEST_F(EvaluateTest, CleanSparesAssignmentTargetsNamedItemsAndDereferences) {
  QuorbItem* target = new QuorbItem(&doubleType, "0");
  QuorbItem* named = new QuorbItem(&doubleType, "5");
  named->SetBit(IsNamedVariable, true);
  QuorbItem* function = new QuorbItem();
  function->SetBit(IsFunction, true);
  QuorbItem* deref = new QuorbItem();
  deref->Callback = PointerRead.Callback;
  deref->Roles = PointerRead.Roles;
  {
    ChainBuilder chain(&instance);
    chain.Step(&SetVar, {target, named}, target);
    chain.Step(&MulDoubles, {function, deref}, nullptr)->Callback = &AddDoubles;
    QuorbParsedExpr* expr = chain.Finish(nullptr);
    expr->Parts[1]->Next = expr->Parts[2];  // never run: only freed
    expr->First = expr->Parts[0];
    expr->Parts[0]->Next = expr->Parts[2];
    expr->Execute();
  }
  // All four survive the expression (ASan would report a use after free).
  EXPECT_EQ(D(target), 5.0);
  EXPECT_EQ(D(named), 5.0);
  delete target;
  delete named;
  delete function;
  delete deref;
}

}  // namespace
}  // namespace QuorbNameSpace
