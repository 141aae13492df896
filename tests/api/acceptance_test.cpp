// The library as a host sees it: only the public header and the shared
// library. Typical requests, errors as results, host memory, definitions
// through each export, lookups and the boundary's neutral results.
#include <gtest/gtest.h>

#include <cfenv>
#include <clocale>
#include <cmath>
#include <cstring>
#include <locale>
#include <string>

#include "quorb.h"

namespace {

class Host : public ::testing::Test {
 protected:
  Host() : q(CreateQuorb(nullptr)) {}
  ~Host() override { ReleaseQuorb(q); }
  QuorbInstance* q;
};

TEST_F(Host, EvaluatesWithPrecedence) {
  EXPECT_EQ(Eval(q, "1+2*3"), 7.0);
  EXPECT_EQ(Eval(q, "(1+2)*3"), 9.0);
  EXPECT_EQ(Eval(q, "2^3^2"), 64.0) << "no right-to-left power unless defined so";
  EXPECT_STREQ(EvalStr(q, "10/4"), "2.5");
  EXPECT_STREQ(EvalStr(q, "1/3"), "0.333333");
}

TEST_F(Host, ErrorsComeBackAsMessages) {
  EXPECT_STREQ(EvalStr(q, "1 +"), "Syntax error");
  EXPECT_STREQ(EvalStr(q, "nothing_here"), "Undefined identifier");
  EXPECT_STREQ(EvalStr(q, "1/0"), "Division by 0");
  EXPECT_STREQ(EvalStr(q, "(1"), "Code block delimiter error");
  QuorbExpression* failed = Parse(q, "1 +", "");
  ASSERT_NE(failed, nullptr) << "a failed parse still gives an expression";
  EXPECT_EQ(EvaluateInt32(failed), 2);
  EXPECT_STREQ(EvaluateStr(failed), "Syntax error");
  ReleaseExpr(failed);
}

TEST_F(Host, ReturnedTextStaysUntilTheNextCallOfTheSameExport) {
  const char* first = EvalStr(q, "40+2");
  std::string copy = first;
  Eval(q, "1+1");
  QuorbExpression* e = Parse(q, "3", "");
  EvaluateStr(e);
  EXPECT_STREQ(first, copy.c_str());
  ReleaseExpr(e);
}

TEST_F(Host, HostMemoryVariablesAreSeenByEveryEvaluation) {
  double a = 1.5;
  ASSERT_NE(DefineVariable(q, "a", &a), nullptr);
  QuorbExpression* e = Parse(q, "a*2", "");
  EXPECT_EQ(Evaluate(e), 3.0);
  a = 10;
  EXPECT_EQ(Evaluate(e), 20.0);
  Eval(q, "a = 4");
  EXPECT_EQ(a, 4.0) << "assignment writes host memory";
  ReleaseExpr(e);
  EXPECT_EQ(Eval(q, "a"), 4.0) << "releasing an expression keeps its variables";
}

TEST_F(Host, ConstantsRefuseAssignment) {
  double c = 2;
  QuorbItem* item = DefineConstant(q, "c", &c);
  ASSERT_NE(item, nullptr);
  EXPECT_STREQ(EvalStr(q, "c = 3"), "Value cannot be assigned here");
  EXPECT_EQ(c, 2.0);
  EXPECT_EQ(Eval(q, "c + 1"), 3.0);
}

TEST_F(Host, DefinitionsThroughEachExport) {
  EXPECT_NE(Define_Overload_Quorb(q, "Function: Twice(x) = x * 2", nullptr, nullptr), nullptr);
  EXPECT_EQ(Eval(q, "Twice(21)"), 42.0);
  EXPECT_NE(DefineFunction(q, "Square(x) = x * x", nullptr), nullptr);
  EXPECT_EQ(Eval(q, "Square(5)"), 25.0);
  EXPECT_NE(DefineVariable(q, "v As Int = 7", nullptr), nullptr);
  EXPECT_EQ(Eval(q, "v * 2"), 14.0);
  EXPECT_EQ(DefineDataType(), nullptr);
  EXPECT_EQ(CreateTransform(), nullptr);
  EXPECT_EQ(Define_Overload_Quorb(q, "Nonsense: x", nullptr, nullptr), nullptr);
}

TEST_F(Host, OperatorAssociativityFollowsTheArgument) {
  ASSERT_NE(DefineOperator(q, "{x} ** {y} = x ^ y", 80, 1, nullptr), nullptr);
  EXPECT_EQ(Eval(q, "2 ** 3 ** 2"), 512.0);
  QuorbItem* left = DefineOperator(q, "{x} *** {y} = x ^ y", 80, 2, nullptr);
  ASSERT_NE(left, nullptr);
  EXPECT_EQ(Eval(q, "2 *** 3 *** 2"), 64.0);
  EXPECT_EQ(Precedence_Overload_Quorb(q, "***", ""), 80);
}

TEST_F(Host, LookupsNeverReturnNull) {
  QuorbItem* missing = HandleOf(q, "no_such_name", 0, 1);
  ASSERT_NE(missing, nullptr);
  EXPECT_EQ(GetItemOf(q, "another_missing_name", 0, 1), missing) << "one not-found item";
  double x = 0;
  QuorbItem* item = DefineVariable(q, "lookedup", &x);
  EXPECT_EQ(HandleOf(q, "LookedUp", 0, 1), item);
  EXPECT_EQ(HandleOf(q, "lookedup", Properties(q, 24, 0, 0, 0), 1), missing) << "mask bits all required";
  EXPECT_NE(GetItemOfProperty(q, 0, 0, ""), nullptr);
  EXPECT_EQ(Precedence_Overload_Quorb(q, "no_such_op", ""), 0);
}

TEST_F(Host, PropertiesSumsPowersOfTwo) {
  EXPECT_EQ(Properties(q, 0, 1, 2, 3), 14);
  EXPECT_EQ(Properties(q, 5, 5, 0, 0), 64);
  EXPECT_EQ(Properties(q, -1, 64, 0, 0), 0);
  EXPECT_EQ(Properties(q, 63, 0, 0, 0), INT64_MIN);
}

TEST_F(Host, ValueAtPrintsHostMemoryAsANamedType) {
  int32_t n = -5;
  EXPECT_STREQ(ValueAt(q, &n, "Int"), "-5");
  EXPECT_STREQ(ValueAt(q, &n, "NoSuchType"), "");
  EXPECT_STREQ(ValueAt(q, nullptr, "Int"), "");
}

TEST_F(Host, NeutralResultsForBadHandlesAndTexts) {
  EXPECT_EQ(DataTypeOfIndex(q, -1), nullptr);
  EXPECT_EQ(DataTypeOfIndex(q, 128), nullptr);
  EXPECT_NE(DataTypeOfIndex(q, 14), nullptr);
  EXPECT_EQ(DataTypeOfIndex(q, 11), nullptr);
  EXPECT_STREQ(EvalStr(q, nullptr), "");
  EXPECT_TRUE(std::isnan(Eval(nullptr, "1")));
  ReleaseQuorb(nullptr);
  ReleaseExpr(nullptr);
  QuorbExpression* e = Parse(q, "1", "");
  ReleaseExpr(e);
  ReleaseExpr(e);  // a second release is ignored
  int local = 0;
  ReleaseExpr(reinterpret_cast<QuorbExpression*>(&local));  // never registered
}

// A handler that evaluates and defines on its own instance, raising errors
// of its own each time: every error still reaches it once, and each call
// ends. Its body refers to the parameter name "x" of whatever is being
// defined when it runs.
int handlerCalls = 0;
void QUORB_CALLBACK BusyHandler(QuorbInstance* q) {
  ++handlerCalls;
  (void)EvalStr(q, "1/0");
  (void)Eval(q, "Sin(1) + undefined_thing");
  QuorbExpression* e = Parse(q, "2 * (", "");
  (void)Evaluate(e);
  ReleaseExpr(e);
  (void)DefineFunction(q, "fromHandler(y) = y / 0", nullptr);
  QuorbExpression* holdsX = Parse(q, "x * 2", "");
  (void)Evaluate(holdsX);
  ReleaseExpr(holdsX);
  (void)Eval(q, "fromHandler(2)");
}

TEST_F(Host, AHandlerMayEvaluateAndDefine) {
  handlerCalls = 0;
  ASSERT_NE(AddErrorHandler(q, &BusyHandler, 0), nullptr);
  EXPECT_STREQ(EvalStr(q, "1/0"), "Division by 0");
  EXPECT_STREQ(EvalStr(q, "1 + "), "Syntax error") << "the handler's own parses do not hide the error";
  EXPECT_STREQ(EvalStr(q, "nothing + 1"), "Undefined identifier");
  EXPECT_EQ(handlerCalls, 3);
  // Inside a definition whose body fails, the handler's own definitions and
  // parses are refused: they could hold the parameters about to be freed.
  EXPECT_EQ(DefineFunction(q, "bad(x) = x + ", nullptr), nullptr);
  EXPECT_EQ(handlerCalls, 4);
  EXPECT_STREQ(EvalStr(q, "fromHandler(1)"), "Division by 0") << "defined by an earlier call, outside any definition";
  EXPECT_EQ(Eval(q, "2 + 2"), 4.0);
}

// A handler called from inside a running evaluation that releases that
// expression, releases the instance and redefines the running function.
QuorbExpression* runningExpression = nullptr;
void QUORB_CALLBACK DestructiveHandler(QuorbInstance* q) {
  ++handlerCalls;
  ReleaseExpr(runningExpression);
  ReleaseQuorb(q);
  (void)Define_Overload_Quorb(q, "Overwrite ~~ Function: f(x) = x * 2", nullptr, nullptr);
}

TEST_F(Host, AHandlerCannotPullTheEvaluationFromUnderItself) {
  handlerCalls = 0;
  ASSERT_NE(DefineFunction(q, "f(x) = Int(x) % 0 + 1", nullptr), nullptr);
  ASSERT_NE(AddErrorHandler(q, &DestructiveHandler, 0), nullptr);
  runningExpression = Parse(q, "f(1) + f(2)", "");
  // The release waits for the evaluation to end; the instance stays; the
  // running body is not replaced.
  EXPECT_EQ(Evaluate(runningExpression), 2.0);
  EXPECT_EQ(handlerCalls, 2);
  EXPECT_EQ(Handle_Overload_ParsedExpr(runningExpression), runningExpression);
  EXPECT_STREQ(EvalStr(q, "f(5)"), "Division by 0") << "the handler's overwrite was refused";
}

TEST_F(Host, NothingThrowsAcrossTheBoundary) {
  EXPECT_TRUE(std::isnan(Eval(q, "1e999")) || Eval(q, "1e999") != 0);
  EXPECT_EQ(Define_Overload_Quorb(q, "Token: (", nullptr, nullptr), nullptr);
  EXPECT_EQ(Define_Overload_Quorb(q, "SubMatch: 99999999999999", nullptr, nullptr), nullptr);
}

TEST_F(Host, TypedParseConvertsTheResult) {
  QuorbExpression* e = Parse(q, "7/2", "Int");
  EXPECT_EQ(EvaluateInt32(e), 3);
  ReleaseExpr(e);
  QuorbExpression* text = Parse(q, "1+1", "OmniType");  // any type converts to it
  EXPECT_STREQ(EvaluateStr(text), "2");
  ReleaseExpr(text);
  QuorbExpression* misspelt = Parse(q, "1.5", "Integr");
  EXPECT_STREQ(EvaluateStr(misspelt), "Undefined identifier") << "not 1.5 as if no type were asked for";
  ReleaseExpr(misspelt);
}

TEST_F(Host, TextThatIsNoNumberIsAnError) {
  EXPECT_STREQ(EvalStr(q, "Int('abc')"), "Data type mismatch");
  EXPECT_STREQ(EvalStr(q, "Double('1e-310')"), "Data type mismatch");
  EXPECT_STREQ(EvalStr(q, "Int('42') + 1"), "43");
  ASSERT_NE(DefineVariable(q, "s = '12'", nullptr), nullptr);
  QuorbExpression* e = Parse(q, "Int(s) + 0", "");
  EXPECT_EQ(Evaluate(e), 12.0);
  EXPECT_STREQ(EvalStr(q, "s = 'abc'"), "abc");
  EXPECT_EQ(Evaluate(e), 0.0) << "not the value of the run before";
  EXPECT_STREQ(EvaluateStr(e), "Data type mismatch");
  ReleaseExpr(e);
}

const int kFiveFlags = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW | FE_UNDERFLOW | FE_INEXACT;

TEST_F(Host, ParsingLeavesTheHostsFloatingPointFlags) {
  std::feclearexcept(kFiveFlags);
  std::feraiseexcept(FE_DIVBYZERO);
  QuorbExpression* huge = Parse(q, "1e999", "");
  QuorbExpression* tenth = Parse(q, "0.1", "");
  ASSERT_NE(DefineVariable(q, "w = 1e308 * 10 + 1 / 3", nullptr), nullptr);
  EXPECT_EQ(std::fetestexcept(kFiveFlags), FE_DIVBYZERO) << "kept, and none added by reading or defining";
  std::feclearexcept(kFiveFlags);
  EXPECT_STREQ(EvaluateStr(tenth), "0.1");
  EXPECT_STREQ(EvaluateStr(huge), "Unrecognized token") << "an unreadable literal, not an overflow";
  ReleaseExpr(huge);
  ReleaseExpr(tenth);
}

TEST_F(Host, OutputFormatsLeaveNoFlagsAndPrintDespiteAPendingError) {
  ASSERT_NE(Define_Overload_Quorb(q, "Output: Double t = IIf(1e308 * 10 > 0, t, t)", nullptr, nullptr),
            nullptr);
  QuorbExpression* value = Parse(q, "1.5", "");
  QuorbExpression* other = Parse(q, "2 + 2", "");
  EXPECT_STREQ(EvaluateStr(value), "1.5");
  EXPECT_EQ(Evaluate(other), 4.0);
  EXPECT_STREQ(EvaluateStr(other), "4") << "the format's overflow is no error of a later run";
  double d = 2.5;
  EXPECT_STREQ(EvalStr(q, "nothing_here"), "Undefined identifier");
  EXPECT_STREQ(ValueAt(q, &d, "Double"), "2.5") << "the pending error is not the format's text";
  ReleaseExpr(value);
  ReleaseExpr(other);
}

// Host functions of each kind, called through the types the header declares
// (the function-type check of the clang build verifies the calls).
int hostCalls = 0;
void QUORB_CALLBACK CountingFunction(QuorbPart*) { ++hostCalls; }
void QUORB_CALLBACK CountingHandler(QuorbInstance*) { ++hostCalls; }

TEST_F(Host, HostFunctionsOfEveryKindAreCalled) {
  hostCalls = 0;
  ASSERT_NE(DefineFunction(q, "hostf(x)", &CountingFunction), nullptr);
  ASSERT_NE(DefineOperator(q, "{x} %% {y}", 60, 0, &CountingFunction), nullptr);
  ASSERT_NE(Define_Overload_Quorb(q, "Function: hostg(x)", reinterpret_cast<void*>(&CountingFunction), nullptr),
            nullptr);
  ASSERT_NE(Define_Overload_Quorb(q, "Output: Int", reinterpret_cast<void*>(&CountingFunction), nullptr), nullptr);
  ASSERT_NE(AddErrorHandler(q, &CountingHandler, 0), nullptr);
  Eval(q, "hostf(1) + hostg(2) + 3 %% 4");
  EXPECT_EQ(hostCalls, 3);
  EvalStr(q, "Int(1)");
  EXPECT_EQ(hostCalls, 4) << "the output format";
  EvalStr(q, "1/0");
  EXPECT_EQ(hostCalls, 5) << "the handler";
}

TEST(HostLocale, NumbersReadAndPrintTheSameInAGermanHost) {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
    GTEST_SKIP() << "no de_DE.UTF-8 locale here; tools/install-deps makes one with localedef";
  std::locale::global(std::locale("de_DE.UTF-8"));
  QuorbInstance* q = CreateQuorb(nullptr);
  const double sum = Eval(q, "1.5+1");
  const std::string quarter = EvalStr(q, "10/4");
  const std::string whole = EvalStr(q, "Int(1234567)");
  const double fromText = Eval(q, "Double('2.25')");
  ReleaseQuorb(q);
  std::locale::global(std::locale::classic());
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(sum, 2.5);
  EXPECT_EQ(quarter, "2.5");
  EXPECT_EQ(whole, "1234567");
  EXPECT_EQ(fromText, 2.25);
}

TEST_F(Host, RunawayRecursionIsStoppedNotACrash) {
  ASSERT_NE(Define_Overload_Quorb(q, "Function: forever(n) = forever(n + 1)", nullptr, nullptr), nullptr);
  EXPECT_STREQ(EvalStr(q, "forever(1)"), "Reparsing has passed the specified limit");
  ASSERT_NE(Define_Overload_Quorb(q, "Function: down(n) = IIf(n < 1, 0, down(n - 1) + 1)", nullptr, nullptr), nullptr);
  // Within the stack bound in every build, a debugging one included.
  EXPECT_EQ(Eval(q, "down(100)"), 100.0) << "deep but bounded recursion still works";
}

TEST(HostInstances, ManyInstancesLiveSideBySide) {
  QuorbInstance* a = CreateQuorb(nullptr);
  QuorbInstance* b = CreateQuorb(nullptr);
  double x = 1;
  DefineVariable(a, "onlyInA", &x);
  EXPECT_EQ(Eval(a, "onlyInA"), 1.0);
  EXPECT_STREQ(EvalStr(b, "onlyInA"), "Undefined identifier");
  ReleaseQuorb(a);
  EXPECT_EQ(Eval(b, "2+2"), 4.0);
  ReleaseQuorb(b);
}

}  // namespace
