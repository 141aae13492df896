// The expression parser: order of steps by precedence and associativity,
// the reading of operators by position, brackets, calls and separators,
// literals and type names, the wanted result type, failed parses and the
// error path, and input that must neither crash nor hang it.
#include <gtest/gtest.h>

#include <cfenv>
#include <string>

#include "engine/exception_flags.h"
#include "engine/parsed_expr.h"
#include "parser_fixture.h"
#include "types/builtin_types.h"

namespace QuorbNameSpace {
namespace ParserTesting {
namespace {

using ParserTest = ParserFixture;

TEST_F(ParserTest, PrecedenceOrdersTheSteps) {
  QuorbParsedExpr* expr = Parse("1 + 2 * 3");
  EXPECT_EQ(Steps(expr), (std::vector<QuorbCallback>{&Multiply, &Add}));
  EXPECT_EQ(expr->Evaluate(), 7);
  EXPECT_EQ(Steps(Parse("1 * 2 + 3")), (std::vector<QuorbCallback>{&Multiply, &Add}));
  EXPECT_EQ(Value("2 * 3 + 4 * 5"), 26);
}

TEST_F(ParserTest, EqualPrecedenceGroupsLeftUnlessRightToLeft) {
  EXPECT_EQ(Value("8 - 3 - 2"), 3);
  EXPECT_EQ(Value("16 / 4 / 2"), 2);
  EXPECT_EQ(Value("2 ^ 3 ^ 2"), 512) << "^ is defined :RL";
  QuorbItem* x = Variable("x = 0");
  QuorbItem* y = Variable("y = 0");
  EXPECT_EQ(Value("x = y = 4"), 4);
  EXPECT_EQ(D(x), 4);
  EXPECT_EQ(D(y), 4);
}

TEST_F(ParserTest, PositionChoosesPrefixInfixOrPostfix) {
  EXPECT_EQ(Steps(Parse("-3")), (std::vector<QuorbCallback>{&Negate}));
  EXPECT_EQ(Steps(Parse("2 - 3")), (std::vector<QuorbCallback>{&Subtract}));
  EXPECT_EQ(Value("2 * -3"), -6) << "after an operator lacking its right operand";
  EXPECT_EQ(Value("2--3"), 5) << "the run -- is cut back to a known symbol";
  EXPECT_EQ(Value("3!"), 6);
  EXPECT_EQ(Value("-3! + 1"), -5) << "postfix binds tighter than prefix minus";
  EXPECT_EQ(Value("3!!"), 720);
  EXPECT_EQ(Value("(-2) * (-(3))"), 6);
  Define("Function: F2(a, b) = a * 10 + b");
  EXPECT_EQ(Value("F2(1, -2)"), 8) << "after a separator the minus is prefix";
  EXPECT_EQ(Value("1; -2"), -2);
}

TEST_F(ParserTest, InfixOnlySymbolWithoutLeftOperandIsSyntaxError) {
  EXPECT_EQ(ParseError("* 3"), ErrSyntax);
  EXPECT_EQ(ParseError("(* 3)"), ErrSyntax);
  Define("Function: F1(a) = a");
  EXPECT_EQ(ParseError("F1(* 3)"), ErrSyntax);
  EXPECT_EQ(ParseError("1, * 3"), ErrSyntax) << "no operand before the separator's successor";
}

TEST_F(ParserTest, BracketsGroupAndSequencesYieldTheirLastValue) {
  EXPECT_EQ(Value("(1 + 2) * 3"), 9);
  EXPECT_EQ(Value("2 * (3 + (4 - 1))"), 12);
  QuorbItem* x = Variable("x = 5");
  EXPECT_TRUE(Steps(Parse("((x))")).empty()) << "a bracket around a variable adds no step";
  EXPECT_EQ(Terminator(Parse("(x)"))->Result, x);
  EXPECT_TRUE(Steps(Parse("(7)")).empty());
  QuorbParsedExpr* pair = Parse("(Tally(1), Tally(2) + 3)");
  EXPECT_EQ(pair->Evaluate(), 5);
  EXPECT_EQ(tallies, 2) << "the earlier element is still computed";
  EXPECT_EQ(Value("(x, 4)"), 4);
  EXPECT_EQ(Value("(4, x)"), 5);
}

TEST_F(ParserTest, CallsTakeBracketedArgumentLists) {
  Define("Function: F2(a, b) = a * 10 + b");
  EXPECT_EQ(Value("F2(1, 2)"), 12);
  EXPECT_EQ(Value("F2(1 + 1, 3 * 2)"), 26);
  EXPECT_EQ(Value("F2(F2(1, 2), F2(0, 3)) + 1"), 124);
  EXPECT_EQ(Value("(F2(2, 0))"), 20);
  Define("Function: Seven() = 7");
  EXPECT_EQ(Value("Seven() + 1"), 8);
  EXPECT_EQ(Value("Seven + 1"), 8) << "a function without brackets is called without arguments";
  EXPECT_EQ(ParseError("F2(, 1)"), ErrSyntax);
  EXPECT_EQ(ParseError("F2(1, )"), ErrSyntax);
  EXPECT_EQ(ParseError("F2(1, , 2)"), ErrSyntax);
}

TEST_F(ParserTest, StatementSeparatorsYieldTheLastStatement) {
  QuorbItem* x = Variable("x = 0");
  EXPECT_EQ(Value("x = 2; x * 10"), 20);
  EXPECT_EQ(D(x), 2);
  EXPECT_EQ(Value("1 + 1\n3"), 3);
}

TEST_F(ParserTest, LiteralsAndTypeNames) {
  QuorbParsedExpr* text = Parse("'quoted'");
  EXPECT_EQ(text->ResultType, instance.Types.StringType);
  EXPECT_EQ(text->EvaluateStr(), "quoted");
  EXPECT_TRUE(Terminator(text)->Result->Has(IsLiteral));
  EXPECT_EQ(Parse("True")->ResultType, instance.Types.BoolType);
  QuorbParsedExpr* typeValue = Parse("Int");
  EXPECT_EQ(typeValue->ResultType, instance.Types.IntType) << "a type name alone is a value of the type";
  EXPECT_EQ(typeValue->EvaluateInt(), 0);
  QuorbParsedExpr* converted = Parse("Int(7.9)");
  EXPECT_EQ(Steps(converted), (std::vector<QuorbCallback>{&ConvertPartFunc}));
  EXPECT_EQ(converted->ResultType, instance.Types.IntType);
  EXPECT_EQ(converted->EvaluateInt(), 7);
  EXPECT_EQ(ParseError("Int(1, 2)"), ErrArgumentCount);
  EXPECT_EQ(ParseError("Int()"), ErrArgumentCount);
  EXPECT_EQ(ParseError("1e999"), ErrUnrecognizedToken) << "a literal its type cannot hold";
}

TEST_F(ParserTest, WantedTypeAddsOneConversionStep) {
  QuorbParsedExpr* expr = Parse("1 + 2.5", instance.Types.IntType);
  EXPECT_EQ(Steps(expr), (std::vector<QuorbCallback>{&Add, &ConvertPartFunc}));
  EXPECT_EQ(expr->ResultType, instance.Types.IntType);
  EXPECT_EQ(expr->EvaluateInt(), 3);
  EXPECT_EQ(Steps(Parse("1 + 2", instance.Types.DoubleType)).size(), 1u) << "no step when the type is already right";
  EXPECT_EQ(Steps(Parse("4", instance.Types.ComplexType)), (std::vector<QuorbCallback>{&ConvertPartFunc}));
  QuorbParsedExpr* any = Parse("1 + 2", instance.Types.AnyType);
  EXPECT_EQ(Steps(any).size(), 1u) << "AnyType takes the value as it is";
  EXPECT_EQ(any->ResultType, instance.Types.DoubleType);

  QuorbParsedExpr* refused = Parse("Complex", instance.Types.DoubleType);
  EXPECT_EQ(refused->First->Callback, &ReturnError);
  EXPECT_EQ(instance.Error.Number, ErrTypeMismatch);
  EXPECT_EQ(refused->EvaluateStr(), "Data type mismatch");

  QuorbParsedExpr* address = Parse("Pointer", instance.Types.IntType);
  EXPECT_EQ(instance.Error.Number, 0) << "a Pointer result is taken unconverted";
  EXPECT_EQ(address->ResultType, instance.Types.PointerType);
  EXPECT_TRUE(Steps(address).empty());
}

TEST_F(ParserTest, FailedParsesHoldTheirErrorNumber) {
  EXPECT_EQ(ParseError("1 2"), ErrSyntax) << "two literals in a row";
  EXPECT_EQ(ParseError("nothing + 1"), ErrUndefinedIdentifier);
  EXPECT_EQ(ParseError("()"), ErrCodeBlockDelimiter);
  EXPECT_EQ(ParseError("2 * ()"), ErrCodeBlockDelimiter);
  EXPECT_EQ(ParseError("1)"), ErrCodeBlockDelimiter);
  Variable("x = 1");
  EXPECT_EQ(ParseError("(x"), ErrCodeBlockDelimiter) << "unclosed around a variable";
  EXPECT_EQ(ParseError("(1 + 2"), ErrCodeBlockDelimiter) << "unclosed around a computed value";
  EXPECT_EQ(ParseError("((1)"), ErrCodeBlockDelimiter);
  EXPECT_EQ(ParseError("(1; 2)"), ErrCodeBlockDelimiter);

  QuorbParsedExpr* failed = Parse("nothing");
  EXPECT_EQ(failed->ResultType, instance.Types.IntType);
  EXPECT_EQ(failed->EvaluateInt(), ErrUndefinedIdentifier);
  EXPECT_EQ(failed->EvaluateStr(), "Undefined identifier");
  EXPECT_EQ(instance.EvalStr("1 +"), "Syntax error");
}

TEST_F(ParserTest, NamesNeitherCallableNorVariablesAreUndefined) {
  Define("Name: plain");
  EXPECT_EQ(ParseError("plain"), ErrUndefinedIdentifier);
}

// Each text once crashed, hung or ran a callback with too few arguments.
TEST_F(ParserTest, MalformedInputFailsCleanly) {
  Define("Function: F1(a) = a * 2");
  const struct {
    const char* text;
    int32_t error;
  } cases[] = {
      {"-", ErrSyntax},          {"1 +", ErrSyntax},      {"3 * -", ErrSyntax},
      {"1 + Tally(1) 2", ErrSyntax},  {"(", ErrCodeBlockDelimiter},  {")", ErrCodeBlockDelimiter},
      {"(x", ErrCodeBlockDelimiter},  {"(1+2", ErrCodeBlockDelimiter},  {"F1(1", ErrCodeBlockDelimiter},
      {"F1(", ErrCodeBlockDelimiter}, {"F1(1))", ErrCodeBlockDelimiter}, {"()", ErrCodeBlockDelimiter},
      {"1 + x x", ErrSyntax},        {"-x x", ErrSyntax},
  };
  Variable("x = 3");
  for (const auto& c : cases) EXPECT_EQ(ParseError(c.text), c.error) << c.text;
  EXPECT_EQ(Value("(,1)"), 1);
  EXPECT_EQ(Value("(F1(2))"), 4);
  EXPECT_EQ(Value("(F1(2) + 1)"), 5);
}

TEST_F(ParserTest, HostOperatorsOfPrecedenceZeroOrBelow) {
  // A definition's precedence of 0 means "the default"; a host may still
  // set 0 on the item.
  Define("Operator: 0 {x} <+> {y}", &Add)->Precedence = 0;
  Define("Precedence: -5 ~~ Operator: {x} <*> {y}", &Multiply);
  EXPECT_EQ(Value("1 <+> 2"), 3);
  EXPECT_EQ(Value("1 <*> 2 + 3"), 5) << "binds looser than +";
  EXPECT_EQ(Value("2 * 3 <*> 2 <*> 2"), 24);
  EXPECT_EQ(Value("(1 <+> 2) * 2"), 6);
  Define("Function: F2(a, b) = a * 10 + b");
  EXPECT_EQ(Value("F2(1 <*> 2, 3)"), 23) << "a call is closed by its bracket, not by precedence";
}

TEST_F(ParserTest, DeepNestingAndLongChainsUseNoStack) {
  const int depth = 100000;
  std::string nested = std::string(depth, '(') + "1" + std::string(depth, ')');
  EXPECT_EQ(Value(nested), 1);
  std::string sum = "1";
  for (int i = 0; i < depth / 2; ++i) sum += "+1";
  EXPECT_EQ(Value(sum), depth / 2 + 1);
  QuorbItem* x = Variable("x = 0");
  std::string assignments;
  for (int i = 0; i < 20000; ++i) assignments += "x = ";
  EXPECT_EQ(Value(assignments + "9"), 9) << "right-to-left keeps every part on the stack";
  EXPECT_EQ(D(x), 9);
  EXPECT_EQ(ParseError(std::string(depth, '(')), ErrCodeBlockDelimiter);
}

TEST_F(ParserTest, EmptyAndBlankTexts) {
  QuorbParsedExpr* empty = Parse("");
  EXPECT_EQ(instance.Error.Number, 0);
  EXPECT_TRUE(Steps(empty).empty());
  EXPECT_EQ(empty->ResultType, nullptr);
  EXPECT_EQ(empty->EvaluateStr(), "");
  EXPECT_TRUE(std::isnan(Parse("", instance.Types.IntType)->Evaluate())) << "no value to convert";
  QuorbParsedExpr* blank = Parse("   ");
  EXPECT_EQ(blank->ResultType, instance.Types.StringType) << "a blank text is the empty String";
  EXPECT_EQ(blank->EvaluateStr(), "");
}

// Error handlers used by the tests below; each counts its calls.
int handlerCalls = 0;
Quorb* handlerInstance = nullptr;

void QUORB_CALLBACK ResumeWithoutMending(QuorbInstance*) {
  ++handlerCalls;
  handlerInstance->Error.Response = 1;
}

void QUORB_CALLBACK DefineMissingName(QuorbInstance*) {
  ++handlerCalls;
  if (handlerInstance->Error.Symbol() == "later") {
    handlerInstance->Define("Variable: later = 40", nullptr, nullptr);
    handlerInstance->Error.Response = 1;
  }
}

class ParserHandlerTest : public ParserFixture {
 protected:
  ParserHandlerTest() {
    handlerCalls = 0;
    handlerInstance = &instance;
  }
};

TEST_F(ParserHandlerTest, HandlerThatDefinesTheNameLetsTheParseGoOn) {
  instance.AddErrorHandler(&DefineMissingName, 0);
  QuorbParsedExpr* expr = Parse("later + 2");
  EXPECT_EQ(instance.Error.Number, 0);
  EXPECT_EQ(handlerCalls, 1);
  EXPECT_EQ(expr->Evaluate(), 42);
  EXPECT_EQ(instance.Error.LocationScanner, nullptr) << "the location lives only while handlers run";
}

TEST_F(ParserHandlerTest, ResumeWithoutMendingIsHonouredOncePerPosition) {
  instance.AddErrorHandler(&ResumeWithoutMending, 0);
  EXPECT_EQ(ParseError("1 + missing"), ErrUndefinedIdentifier);
  EXPECT_EQ(handlerCalls, 2) << "resumed once, then the same token fails for good";
  handlerCalls = 0;
  EXPECT_EQ(ParseError("missing + other"), ErrUndefinedIdentifier);
  EXPECT_EQ(handlerCalls, 2);
}

TEST_F(ParserHandlerTest, ErrorsOfCompletedPartsAreNotResumed) {
  instance.AddErrorHandler(&ResumeWithoutMending, 0);
  Define("Function: F2(a, b) = a + b");
  EXPECT_EQ(ParseError("F2(1)"), ErrArgumentCount);
  EXPECT_EQ(handlerCalls, 1) << "a half-made step cannot be resumed";
  handlerCalls = 0;
  EXPECT_EQ(ParseError("1 +"), ErrSyntax);
  EXPECT_EQ(handlerCalls, 1);
  handlerCalls = 0;
  EXPECT_EQ(ParseError("(1"), ErrCodeBlockDelimiter);
  EXPECT_EQ(handlerCalls, 1);
}

TEST_F(ParserTest, FunctionWithoutCallbackOrBodyIsUndefinedCallback) {
  Define("Function: GoTo(Label)");
  EXPECT_EQ(ParseError("GoTo(1)"), ErrUndefinedCallback);
}

TEST_F(ParserTest, EvalKeepsTheCallersFloatingPointFlags) {
  std::feclearexcept(FiveExceptionFlags);
  std::feraiseexcept(FE_INEXACT);
  EXPECT_EQ(instance.Eval("1 / 0"), INFINITY);
  EXPECT_EQ(instance.Error.Number, ErrDivisionByZero) << "its own run is still tested";
  EXPECT_TRUE(std::fetestexcept(FE_INEXACT));
  EXPECT_FALSE(std::fetestexcept(FE_DIVBYZERO));
  EXPECT_EQ(instance.EvalStr("1 / 0"), "Division by 0");
  EXPECT_TRUE(std::fetestexcept(FE_INEXACT));
  EXPECT_FALSE(std::fetestexcept(FE_DIVBYZERO));
  std::feclearexcept(FiveExceptionFlags);
  EXPECT_EQ(instance.Eval("2 * 3"), 6);
  EXPECT_EQ(instance.EvalStr("2 * 3.5"), "7");
  EXPECT_EQ(instance.Eval("nothing"), ErrUndefinedIdentifier) << "a failed parse reads as its error number";
}

TEST_F(ParserTest, UserParseRegistersAndResolvesTheTypeName) {
  QuorbParsedExpr* expr = instance.UserParse("2.5 * 2", "Int");
  EXPECT_EQ(instance.Kept.ParsedExprs.count(expr), 1u);
  EXPECT_EQ(expr->ResultType, instance.Types.IntType);
  EXPECT_EQ(expr->EvaluateInt(), 5);
  QuorbParsedExpr* untyped = instance.UserParse("2.5", "");
  EXPECT_EQ(untyped->ResultType, instance.Types.DoubleType);
  QuorbParsedExpr* unknown = instance.UserParse("2.5", "NoSuchType");
  EXPECT_EQ(instance.Error.Number, ErrUndefinedIdentifier) << "a misspelt type name is an error";
  EXPECT_EQ(unknown->First->Callback, &ReturnError);
  EXPECT_EQ(unknown->EvaluateStr(), "Undefined identifier");
  QuorbParsedExpr* variable = instance.UserParse("2.5", "Tally");
  EXPECT_EQ(variable->First->Callback, &ReturnError) << "a name that is not a type is refused too";
}

TEST_F(ParserTest, ReadingLiteralsNeverBecomesAnEvaluationError) {
  instance.Evaluator.IgnoredExceptions = 0;  // every flag an evaluation raises is an error
  QuorbParsedExpr* tenth = Parse("0.1");
  EXPECT_EQ(tenth->Evaluate(), 0.1);
  EXPECT_EQ(instance.Error.Number, 0) << "the inexact flag of reading 0.1 is not the run's";
  QuorbParsedExpr* huge = Parse("1e999");
  EXPECT_EQ(instance.Error.Number, ErrUnrecognizedToken);
  huge->Evaluate();
  EXPECT_EQ(instance.Error.Number, ErrUnrecognizedToken) << "not the overflow of reading it";
}

TEST_F(ParserTest, TheErrorsLocationOutlivesTheParse) {
  EXPECT_EQ(ParseError("1 + zork * 2"), ErrUndefinedIdentifier);
  EXPECT_EQ(instance.Error.Symbol(), "zork");
  EXPECT_EQ(instance.Error.Location(), 4u);
  EXPECT_EQ(instance.Error.Expression(), "1 + zork * 2");
  EXPECT_EQ(ParseError("1 + 2"), 0);
  EXPECT_EQ(instance.Error.Symbol(), "") << "the next parse forgets it";
  EXPECT_EQ(instance.Error.Location(), 0u);
}

}  // namespace
}  // namespace ParserTesting
}  // namespace QuorbNameSpace
