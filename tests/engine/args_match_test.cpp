// Argument matching: overload choice (exact match first, newest first, then
// conversions), conversions folded into literals or inserted as steps,
// defaults, variadic calls, AnyType arguments, ByExpr wrapping, assignment
// and the pointer and conditional built-ins whose result items it makes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "builtins/core_callbacks.h"
#include "builtins/language_callbacks.h"
#include "builtins/pointer_callbacks.h"
#include "engine/parsed_expr.h"
#include "parser_fixture.h"
#include "types/builtin_types.h"

namespace QuorbNameSpace {
namespace ParserTesting {
namespace {

// Callbacks that say which overload ran through their result.
void WhichInt(ExpressionPart& part) { *static_cast<int32_t*>(part.Result->ValuePtr) = 1; }
void WhichDouble(ExpressionPart& part) { D(part.Result) = 2; }
void SeeFloat(ExpressionPart& part) { std::memcpy(part.Result->ValuePtr, part.Args[0]->ValuePtr, sizeof(float)); }
void Never(ExpressionPart& part) { D(part.Result) = -1; }
void Ten(ExpressionPart& part) { D(part.Result) = 10 * Arg(part, 0) + Arg(part, 1); }
void Sum(ExpressionPart& part) {
  double sum = 0;
  for (QuorbItem* arg : part.Args) sum += D(arg);
  D(part.Result) = sum;
}
void AnyValue(ExpressionPart& part) {
  // The result took the parameter's type (Int) when it was matched.
  *static_cast<int32_t*>(part.Result->ValuePtr) = 6;
}
void HalfInt(ExpressionPart& part) { *static_cast<int32_t*>(part.Result->ValuePtr) = *static_cast<int32_t*>(part.Args[0]->ValuePtr) / 2; }

// Lazy(ByExpr a, b): yields b and runs a only when b is not 0.
void Lazy(ExpressionPart& part) {
  double result = Arg(part, 1);
  if (result != 0) result += *static_cast<double*>(part.Args[0]->ParsedExpr->EvaluateVoid());
  D(part.Result) = result;
}
// {x As Bool} AndThen {ByExpr y As Bool}: y only when x holds.
void AndThen(ExpressionPart& part) {
  uint8_t x = *static_cast<uint8_t*>(part.Args[0]->ValuePtr);
  uint8_t result = x != 0 ? *static_cast<uint8_t*>(part.Args[1]->ParsedExpr->EvaluateVoid()) : 0;
  *static_cast<uint8_t*>(part.Result->ValuePtr) = result;
}

using ArgsMatchTest = ParserFixture;

const ExpressionPart* StepOf(const QuorbParsedExpr* expr, QuorbCallback callback) {
  for (const ExpressionPart* part = expr->First; part != nullptr; part = part->Next)
    if (part->Callback == callback) return part;
  return nullptr;
}

TEST_F(ArgsMatchTest, ExactMatchBeatsConversionAndNewestComesFirst) {
  Define("Function: G(x As Int) As Int", &WhichInt);
  Define("Function: G(x As Double) As Double", &WhichDouble);
  Variable("i As Int = 1");
  Variable("b As Bool = True");
  EXPECT_EQ(StepOf(Parse("G(1.5)"), &WhichDouble)->Args.size(), 1u) << "a Double picks the newer at once";
  QuorbParsedExpr* older = Parse("G(i)");
  EXPECT_EQ(Steps(older), (std::vector<QuorbCallback>{&WhichInt})) << "exact match even though Int converts to Double";
  QuorbParsedExpr* converted = Parse("G(b)");
  EXPECT_EQ(Steps(converted), (std::vector<QuorbCallback>{&ConvertPartFunc, &WhichDouble}))
      << "a third type that converts to both picks the newer, converted";
  const ExpressionPart* conversion = converted->First;
  EXPECT_EQ(conversion->Result, conversion->Next->Args[0]);
  EXPECT_EQ(conversion->Result->DataType, instance.Types.DoubleType);
  EXPECT_EQ(converted->Evaluate(), 2);

  Define("Function: G(x As Double) As Double", &Never);
  EXPECT_EQ(Parse("G(1.5)")->Evaluate(), -1) << "of two equal signatures the newest wins";
}

TEST_F(ArgsMatchTest, LiteralsAreConvertedOnceInPlace) {
  Define("Function: Half(n As Int) As Int", &HalfInt);
  QuorbParsedExpr* expr = Parse("Half(7.9)");
  EXPECT_EQ(Steps(expr), (std::vector<QuorbCallback>{&HalfInt})) << "no conversion step for a literal";
  const QuorbItem* literal = expr->First->Args[0];
  EXPECT_TRUE(literal->Has(IsLiteral));
  EXPECT_EQ(literal->DataType, instance.Types.IntType);
  EXPECT_EQ(*static_cast<int32_t*>(literal->ValuePtr), 7);
  EXPECT_EQ(expr->EvaluateInt(), 3);
  QuorbItem* x = Variable("x = 9");
  QuorbParsedExpr* fromVariable = Parse("Half(x)");
  EXPECT_EQ(Steps(fromVariable), (std::vector<QuorbCallback>{&ConvertPartFunc, &HalfInt}));
  EXPECT_EQ(x->DataType, instance.Types.DoubleType) << "a variable is never re-typed";
  EXPECT_EQ(fromVariable->EvaluateInt(), 4);
  D(x) = 21;
  EXPECT_EQ(fromVariable->EvaluateInt(), 10) << "the step converts at every run";
}

TEST_F(ArgsMatchTest, ConversionsForARejectedOverloadAreNotKept) {
  // The newer overload converts the first argument but not the second; the
  // older one takes both with conversions. Its first argument must be the
  // literal as written, not as the newer overload would have cut it.
  Define("Function: H(a As Single, b As Double) As Single", &SeeFloat);
  Define("Function: H(a As Int, b As String) As Single", &Never);
  QuorbParsedExpr* expr = Parse("H(2.75, 1)");
  EXPECT_EQ(Steps(expr), (std::vector<QuorbCallback>{&SeeFloat}));
  EXPECT_EQ(expr->First->Args[0]->DataType, instance.Types.DataTypes[TypeSingle]);
  float seen = 0;
  expr->Execute();
  std::memcpy(&seen, Terminator(expr)->Result->ValuePtr, sizeof seen);
  EXPECT_EQ(seen, 2.75f);
}

TEST_F(ArgsMatchTest, MismatchWithoutConversionIsError7) {
  Define("Function: Str1(s As String) As String", &Never);
  EXPECT_EQ(ParseError("Str1(Complex)"), ErrTypeMismatch);
}

TEST_F(ArgsMatchTest, DefaultsAndCounts) {
  Define("Function: Dflt(a, b = 5)", &Ten);
  QuorbParsedExpr* expr = Parse("Dflt(1)");
  ASSERT_EQ(expr->First->Args.size(), 2u);
  EXPECT_FALSE(expr->First->Args[1]->Has(IsNamedVariable)) << "a copy, not the parameter";
  EXPECT_EQ(expr->Evaluate(), 15);
  EXPECT_EQ(Value("Dflt(1, 2)"), 12);
  EXPECT_EQ(ParseError("Dflt(1, 2, 3)"), ErrArgumentCount);
  EXPECT_EQ(ParseError("Dflt()"), ErrArgumentCount);
}

TEST_F(ArgsMatchTest, VariadicRepeatsItsLastParameter) {
  Define("Function: Total(x ...)", &Sum);
  EXPECT_EQ(Value("Total(1)"), 1);
  EXPECT_EQ(Value("Total(1, 2, 3, True)"), 7) << "extra arguments match, and convert to, the last parameter";
  EXPECT_EQ(ParseError("Total()"), ErrArgumentCount);
}

TEST_F(ArgsMatchTest, AnyTypeArgumentTakesTheParameterType) {
  Define("Function: Anything() As AnyType", &AnyValue);
  Define("Function: Half(n As Int) As Int", &HalfInt);
  QuorbParsedExpr* expr = Parse("Half(Anything())");
  EXPECT_EQ(Steps(expr), (std::vector<QuorbCallback>{&AnyValue, &HalfInt})) << "no conversion step";
  EXPECT_EQ(expr->First->Result->DataType, instance.Types.IntType);
  EXPECT_EQ(expr->EvaluateInt(), 3);
}

TEST_F(ArgsMatchTest, AssignmentResultIsTheTargetAndLockedTargetsRefuse) {
  QuorbItem* x = Variable("x = 0");
  QuorbParsedExpr* expr = Parse("(x = 2) + 1");
  EXPECT_EQ(StepOf(expr, &SetVar)->Result, x);
  EXPECT_EQ(expr->Evaluate(), 3);
  EXPECT_EQ(D(x), 2);
  QuorbItem* i = Variable("i As Int = 0");
  EXPECT_EQ(Steps(Parse("i = 2.7")), (std::vector<QuorbCallback>{&SetVar})) << "the literal is made an Int";
  Parse("i = 2.7")->Execute();
  EXPECT_EQ(*static_cast<int32_t*>(i->ValuePtr), 2);
  EXPECT_EQ(Steps(Parse("i = x")), (std::vector<QuorbCallback>{&ConvertPartFunc, &SetVar}));

  Define("Lock ~~ Variable: k = 1");
  EXPECT_EQ(ParseError("k = 4"), ErrNotAssignable);
}

TEST_F(ArgsMatchTest, ByExprArgumentTakesExactlyItsOwnSteps) {
  Define("Function: Lazy(ByExpr a, b)", &Lazy);
  QuorbParsedExpr* expr = Parse("Lazy(Tally(1) + Tally(2), Tally(0))");
  EXPECT_EQ(Steps(expr), (std::vector<QuorbCallback>{&Tally, &Lazy})) << "the steps of a left the list";
  EXPECT_EQ(expr->Evaluate(), 0);
  EXPECT_EQ(tallies, 1) << "a was not run";
  const ExpressionPart* call = StepOf(expr, &Lazy);
  ASSERT_NE(call->Args[0]->ParsedExpr, nullptr);
  EXPECT_EQ(Steps(call->Args[0]->ParsedExpr), (std::vector<QuorbCallback>{&Tally, &Tally, &Add}));

  tallies = 0;
  EXPECT_EQ(Value("Lazy(Tally(1) + Tally(2), Tally(4))"), 7);
  EXPECT_EQ(tallies, 3);

  // A sequence whose value is a variable: its steps do not end in a step
  // yielding that value, and the call must stay where it is.
  QuorbItem* x = Variable("x = 5");
  tallies = 0;
  QuorbParsedExpr* sequence = Parse("Lazy((Tally(1), x), 1)");
  EXPECT_EQ(Steps(sequence), (std::vector<QuorbCallback>{&Lazy}));
  EXPECT_EQ(sequence->Evaluate(), 6);
  EXPECT_EQ(tallies, 1);
  EXPECT_EQ(Terminator(StepOf(sequence, &Lazy)->Args[0]->ParsedExpr)->Result, x);
}

TEST_F(ArgsMatchTest, ByExprConversionMovesWithItsArgument) {
  Define("Function: LazyInt(ByExpr a As Int, b As Int) As Int", &HalfInt);
  Variable("x = 3.5");
  QuorbParsedExpr* expr = Parse("LazyInt(x * 2, x)");
  // Only b's conversion runs before the call; a's is inside a's expression.
  EXPECT_EQ(Steps(expr), (std::vector<QuorbCallback>{&ConvertPartFunc, &HalfInt}));
  const ExpressionPart* call = StepOf(expr, &HalfInt);
  QuorbParsedExpr* a = call->Args[0]->ParsedExpr;
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(Steps(a), (std::vector<QuorbCallback>{&Multiply, &ConvertPartFunc}));
  EXPECT_EQ(a->ResultType, instance.Types.IntType);
  EXPECT_EQ(*static_cast<int32_t*>(a->EvaluateVoid()), 7);
}

TEST_F(ArgsMatchTest, ByExprDefaultYieldsItsDefault) {
  Define("Function: LazyD(b, ByExpr a = 8)", &Ten);
  QuorbParsedExpr* expr = Parse("LazyD(1)");
  const ExpressionPart* call = StepOf(expr, &Ten);
  ASSERT_EQ(call->Args.size(), 2u);
  ASSERT_NE(call->Args[1]->ParsedExpr, nullptr);
  EXPECT_TRUE(Steps(call->Args[1]->ParsedExpr).empty());
  EXPECT_EQ(*static_cast<double*>(call->Args[1]->ParsedExpr->EvaluateVoid()), 8);
}

TEST_F(ArgsMatchTest, OperatorWithByExprOperandSkipsItsSteps) {
  Define("Operator: 30 {x As Bool} AndThen {ByExpr y As Bool} As Bool", &AndThen);
  QuorbParsedExpr* no = Parse("2 < 1 AndThen Tally(1) < 5");
  EXPECT_EQ(Steps(no), (std::vector<QuorbCallback>{&Less, &AndThen}));
  EXPECT_EQ(no->EvaluateInt(), 0);
  EXPECT_EQ(tallies, 0) << "the right operand did not run";
  EXPECT_EQ(Parse("1 < 2 AndThen Tally(1) < 5")->EvaluateInt(), 1);
  EXPECT_EQ(tallies, 1);
}

class LanguageCallbacksTest : public ParserFixture {
 protected:
  LanguageCallbacksTest() {
    Define("Function: IIf(Condition As Bool, ByExpr TruePart As AnyType, ByExpr FalsePart As AnyType)", &IIf);
    Define("Function: IIf(Condition As Bool, ByExpr TruePart As String, ByExpr FalsePart As String = \"\") As String",
           &IIf);
    Define("Function: AddressOf(Variable As AnyType) As AnyType Ptr", &AddressOf);
    Define("Function: ValueAt(Address As AnyType Ptr, Index As Int = 0) As AnyType", &ValueAt);
    Define("Function: AddPtr(Address As AnyType Ptr, Value As Int = 1) As Pointer", &AddPtr);
    Define("Function: SubtractPtr(Address As AnyType Ptr, Value As Int = 1) As Pointer", &SubtractPtr);
  }
};

TEST_F(LanguageCallbacksTest, ConditionalEvaluatesOnlyTheChosenBranch) {
  QuorbParsedExpr* expr = Parse("IIf(1 < 2, Tally(1), Tally(2) / 0)");
  EXPECT_EQ(Steps(expr), (std::vector<QuorbCallback>{&Less, &IIf}));
  EXPECT_EQ(expr->Evaluate(), 1);
  EXPECT_EQ(tallies, 1);
  EXPECT_EQ(instance.Error.Number, 0) << "no division by zero ran";
  EXPECT_EQ(Parse("IIf(2 < 1, 'yes', 'no')")->EvaluateStr(), "no");
  EXPECT_EQ(Parse("IIf(2 < 1, 'yes')")->EvaluateStr(), "") << "the False part defaults to the empty text";
  EXPECT_EQ(Parse("IIf(2 < 1, 'yes', 5)")->EvaluateStr(), "5") << "a branch of another type is converted";
}

TEST_F(LanguageCallbacksTest, RecursiveFunctionLeavesPoolsAndStackAsFound) {
  Define("Function: Fact(n) = IIf(n < 2, 1, n * Fact(n - 1))");
  EXPECT_EQ(Value("Fact(5)"), 120);
  EXPECT_EQ(Value("Fact(10) / Fact(9)"), 10);
  EXPECT_EQ(instance.Types.DoubleType->ValuePoolUsed, 0u);
  EXPECT_GE(instance.Types.DoubleType->ValuePool.size(), 10u);
  EXPECT_TRUE(instance.Evaluator.ValueSaveStack.empty());
  QuorbItem* fact = instance.ItemOfByName("Fact", 0, true, false);
  EXPECT_EQ(fact->CurrentCall, nullptr);
  const size_t pooled = instance.Types.DoubleType->ValuePool.size();
  EXPECT_EQ(Value("Fact(6)"), 720);
  EXPECT_EQ(instance.Types.DoubleType->ValuePool.size(), pooled) << "no allocation once the pool is deep enough";
}

TEST_F(LanguageCallbacksTest, FunctionCallArgumentsAreCopiesAndTheItemComesLast) {
  Define("Function: Twice(v) = v * 2");
  QuorbItem* x = Variable("x = 4");
  QuorbParsedExpr* expr = Parse("Twice(x)");
  ASSERT_EQ(expr->First->Args.size(), 2u);
  EXPECT_EQ(expr->First->Args[1], instance.ItemOfByName("Twice", 0, true, false));
  EXPECT_EQ(expr->Evaluate(), 8);
  EXPECT_EQ(D(x), 4);
  Define("Function: Same(v) As AnyType = v");
  EXPECT_EQ(Parse("Same(3)")->EvaluateStr(), "3") << "a Double body result converts into the AnyType result";
}

TEST_F(LanguageCallbacksTest, AddressOfAndValueAtAlias) {
  QuorbItem* x = Variable("x = 3");
  QuorbParsedExpr* address = Parse("AddressOf(x)");
  EXPECT_EQ(address->ResultType, instance.Types.PointerType);
  const QuorbItem* result = Terminator(address)->Result;
  EXPECT_TRUE(result->Has(IsPointer));
  ASSERT_EQ(result->SubItems.size(), 1u);
  EXPECT_EQ(result->SubItems[0]->DataType, instance.Types.DoubleType);
  address->Execute();
  uintptr_t held = 0;
  std::memcpy(&held, result->ValuePtr, sizeof held);
  EXPECT_EQ(reinterpret_cast<void*>(held), x->ValuePtr);

  QuorbParsedExpr* read = Parse("ValueAt(AddressOf(x)) + 1");
  EXPECT_EQ(read->Evaluate(), 4);
  Parse("ValueAt(AddressOf(x)) = 7")->Execute();
  EXPECT_EQ(D(x), 7);
}

TEST_F(LanguageCallbacksTest, PointerVariablesIndexAndMove) {
  double cells[3] = {10, 20, 30};
  QuorbItem* p = Variable("p As Double Ptr");
  const uintptr_t base = reinterpret_cast<uintptr_t>(cells);
  std::memcpy(p->ValuePtr, &base, sizeof base);
  EXPECT_EQ(Value("p(1)"), 20);
  EXPECT_EQ(Value("p(0) + p(2)"), 40);
  EXPECT_EQ(Value("ValueAt(AddPtr(p, 2))"), 30);
  EXPECT_EQ(Value("ValueAt(SubtractPtr(AddPtr(p, 2)))"), 20);
  Parse("p(2) = 5")->Execute();
  EXPECT_EQ(cells[2], 5);

  QuorbParsedExpr* move = Parse("p = AddPtr(p)");
  EXPECT_EQ(StepOf(move, &SetVarPtr)->Result, p) << "assignment to a pointer copies the address";
  move->Execute();
  EXPECT_EQ(Value("p(0)"), 20);
  EXPECT_EQ(ParseError("p()"), ErrSyntax) << "the index has no default";

  // A temporary pointer as the target would lose the address: refused, and
  // its items are freed once.
  Variable("y = 1");
  EXPECT_EQ(ParseError("AddressOf(y) = p"), ErrNotAssignable);
}

}  // namespace
}  // namespace ParserTesting
}  // namespace QuorbNameSpace
