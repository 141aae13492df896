// The language and meta built-ins as a host reaches them: functions with
// bodies that recurse, conditionals and loops with counted side effects,
// run-time parse, evaluate and define, and what expression text is refused.
// Errors come back as their messages through EvalStr.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#endif

#include "quorb.h"

namespace {

struct Case {
  const char* text;
  const char* expected;  // EvalStr's answer: the value, or the error message
};

class Language : public ::testing::Test {
 protected:
  Language() : q(CreateQuorb(nullptr)) {}
  ~Language() override { ReleaseQuorb(q); }

  void Define(const char* text) { ASSERT_NE(Define_Overload_Quorb(q, text, nullptr, nullptr), nullptr) << text; }
  void Expect(const Case* cases, size_t n) {
    for (size_t i = 0; i < n; ++i) EXPECT_STREQ(EvalStr(q, cases[i].text), cases[i].expected) << cases[i].text;
  }
  template <size_t N>
  void Expect(const Case (&cases)[N]) {
    Expect(cases, N);
  }

  QuorbInstance* q;
};

TEST_F(Language, EveryRecursiveShapeComputesTheMathematicalResult) {
  Define("Function: fib(n) = IIf(n < 2, n, fib(n - 1) + fib(n - 2))");
  Define("Function: fact(n) = IIf(n <= 1, 1, n * fact(n - 1))");
  Define("Function: ack(m, n) = IIf(m == 0, n + 1, IIf(n == 0, ack(m - 1, 1), ack(m - 1, ack(m, n - 1))))");
  // Mutual recursion: the second body is given to the first name afterwards.
  Define("Function: isOdd(n) = 0");
  Define("Function: isEven(n) = IIf(n == 0, 1, isOdd(n - 1))");
  Define("Overwrite ~~ Function: isOdd(n) = IIf(n == 0, 0, isEven(n - 1))");
  // Through the short-circuit operators, a loop, Eval and a ByExpr parameter.
  Define("Function: viaAnd(n) = IIf(n < 1, 0, (n > 1 AndAlso viaAnd(n - 1) > -1) + n + viaAnd(n - 1))");
  Define("Variable: j As Int");
  Define("Variable: acc");
  Define("Function: viaLoop(n) = IIf(n < 1, 0, ForLoop(j, 0, 2, 1, acc = acc + viaLoop(n - 1)) * 0 + n)");
  Define("Function: viaEval(n) = IIf(n < 2, n, Eval(\"viaEval(1)\") + viaEval(n - 1) + viaEval(n - 2))");
  Define("Function: sumTo(n, ByExpr total) = IIf(n < 1, total, sumTo(n - 1, total + n))");
  Define("Function: count(a, b, c) = ArgCount() * 100 + Arg(1) + IIf(a > 0, count(a - 1, b, c), 0)");
  Expect({
      {"fib(10)", "55"},
      {"fib(20)", "6765"},
      {"fib(1) + fib(2) + fib(3)", "4"},
      {"fact(10)", "3.6288e+06"},
      {"fact(1) + fact(3) * fact(4)", "145"},
      {"ack(2, 3)", "9"},
      {"ack(1, 1) + ack(2, 2)", "10"},
      {"isEven(10)", "1"},
      {"isEven(7)", "0"},
      {"isOdd(7)", "1"},
      {"viaAnd(4)", "13"},
      {"viaEval(6)", "20"},
      {"sumTo(4, 0)", "10"},
      {"sumTo(3, fact(3))", "12"},
      {"count(2, 8, 9)", "903"},
  });
  EXPECT_STREQ(EvalStr(q, "acc = 0"), "0");
  EXPECT_STREQ(EvalStr(q, "viaLoop(3)"), "3");
  EXPECT_STREQ(EvalStr(q, "acc"), "8") << "each level adds its two inner results";
}

TEST_F(Language, RecursionPastTheDepthLimitStopsWithErrorEighteen) {
  Define("Function: deep(n) = IIf(n == 0, 0, 1 + deep(n - 1))");
  Expect({
      {"deep(100)", "100"},
      {"deep(100000)", "Reparsing has passed the specified limit"},
      {"deep(10)", "10"},
  });
}

struct SmallStackJob {
  void (*work)(QuorbInstance*);
  QuorbInstance* q;
};

#if defined(_WIN32)
DWORD WINAPI RunSmallStackJob(LPVOID data) {
#else
void* RunSmallStackJob(void* data) {
#endif
  static_cast<SmallStackJob*>(data)->work(static_cast<SmallStackJob*>(data)->q);
  return 0;
}

// Runs `work` on a thread of its own with a stack of `bytes`.
void OnSmallStack(size_t bytes, void (*work)(QuorbInstance*), QuorbInstance* q) {
  SmallStackJob job{work, q};
#if defined(_WIN32)
  HANDLE thread = CreateThread(nullptr, bytes, RunSmallStackJob, &job, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  ASSERT_NE(thread, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
#else
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  ASSERT_EQ(pthread_attr_setstacksize(&attributes, bytes), 0);
  pthread_t thread;
  const int made = pthread_create(&thread, &attributes, RunSmallStackJob, &job);
  pthread_attr_destroy(&attributes);
  ASSERT_EQ(made, 0);
  pthread_join(thread, nullptr);
#endif
}

// Nesting below the count limit is still bounded by the stack it uses: on
// a thread of 256 KiB, bodies and Eval nested as deep as the count allows
// stop with error 18 instead of overflowing the stack, whatever a level
// costs in this build; the next evaluation runs again.
TEST_F(Language, NestingOnASmallThreadStackStopsWithErrorEighteen) {
  Define("Function: sum(n) = IIf(n < 1, 0, n + sum(n - 1))");
  Define("Variable: k = 0");
  Define("Function: viaEval(n) = IIf((k = n) < 1, 0, n + Eval(\"viaEval(k - 1)\"))");
  Define("Function: mixed(n) = IIf((k = n) < 1, 0, n + IIf(n % 2 == 0, mixed(n - 1), Eval(\"mixed(k - 1)\")))");
  static std::vector<std::string> answers;
  answers.clear();
  OnSmallStack(256 * 1024, [](QuorbInstance* instance) {
    for (const char* text : {"sum(1998)", "viaEval(1998)", "mixed(1998)", "sum(100)", "viaEval(20)"})
      answers.push_back(EvalStr(instance, text));
  }, q);
  const std::vector<std::string> expected = {"Reparsing has passed the specified limit",
                                             "Reparsing has passed the specified limit",
                                             "Reparsing has passed the specified limit", "5050", "210"};
  EXPECT_EQ(answers, expected);
}

TEST_F(Language, ControlFlowRunsOnlyWhatItChooses) {
  double runs = 0, seen = 0;
  int32_t counter = 0;
  ASSERT_NE(DefineVariable(q, "runs", &runs), nullptr);
  ASSERT_NE(DefineVariable(q, "seen", &seen), nullptr);
  ASSERT_NE(DefineVariable(q, "counter As Int", &counter), nullptr);
  struct Counted {
    const char* text;
    double runs;     // passes or evaluations of the counted branch
    double seen;     // what the loop saw in its counter, summed
  };
  const Counted cases[] = {
      {"IIf(1 < 2, 1, 1/0)", 0, 0},
      {"IIf(1 > 2, runs = runs + 1, 5)", 0, 0},
      {"IIf(1 < 2, runs = runs + 1, 5)", 1, 0},
      {"0 AndAlso (runs = runs + 1) > 0", 0, 0},
      {"1 AndAlso (runs = runs + 1) > 0", 1, 0},
      {"1 OrElse (runs = runs + 1) > 0", 0, 0},
      {"0 OrElse (runs = runs + 1) > 0", 1, 0},
      {"ForLoop(counter, 1, 4, 1, (runs = runs + 1) + (seen = seen + counter))", 3, 6},
      {"ForLoop(counter, 4, 1, -1, (runs = runs + 1) + (seen = seen + counter))", 3, 9},
      {"ForLoop(counter, 1, 4, 0, runs = runs + 1)", 0, 0},
      // An Int counter holds the integral values of 1.5, 2.5 and 3.5.
      {"ForLoop(counter, 1.5, 4, 1, (runs = runs + 1) + (seen = seen + counter))", 3, 6},
      {"ForLoop(seen, 1e17, 2e17, 1, runs = runs + 1)", 1, 1e17},
      {"DoLoop(False, runs = runs + 1, (seen = 1) > 0)", 0, 0},
      {"DoLoop(runs < 5, runs = runs + 1)", 5, 0},
      {"DoLoop(True, runs = runs + 1, runs < 3)", 3, 0},
  };
  for (const Counted& c : cases) {
    runs = seen = 0;
    EvalStr(q, c.text);
    EXPECT_EQ(runs, c.runs) << c.text;
    EXPECT_EQ(seen, c.seen) << c.text;
  }
  Expect({{"IIf(1 < 2, 1, 1/0)", "1"}, {"IIf(1 < 2, \"yes\")", "yes"}, {"IIf(1 > 2, \"yes\")", ""}});
}

TEST_F(Language, MetaFunctionsNestAndKeepTheOuterErrorState) {
  Define("Function: twice(n) = 2 * Eval(\"n0 + 1\")");
  Define("Variable: n0 = 3");
  Define("Function: viaParse(x) = Evaluate(Parse(\"40 + 2\")) + x");
  Expect({
      {"Eval(\"1 + 2\")", "3"},
      {"EvalStr(\"2 * 3\")", "6"},
      {"Eval(\"twice(0)\") + 1", "9"},
      {"viaParse(1)", "43"},
      {"EvaluateStr(Parse(\"7 * 6\"))", "42"},
      {"EvaluateInt(Parse(\"7.9\"))", "7"},
      {"Str(12.5)", "12.5"},
      {"Precedence(\"Xor\")", "20"},
      {"Precedence(\"no_such_name\")", "0"},
      {"Define(\"Variable: made = 5\") > 0", "true"},
      {"made * 2", "10"},
      {"Define(\"Function: f(x As Nonsense)\")", "Invalid definition"},
      {"QuorbInstance() > 0", "true"},
      {"Error(\"boom\")", "boom"},
      {"Error(5)", "Unrecognized token"},
      // An error raised before a nested parse, evaluation or definition
      // stays the one reported; so do floating-point flags.
      {"Error(5) + Eval(\"1\")", "Unrecognized token"},
      {"Error(5) + EvaluateInt(Parse(\"1\"))", "Unrecognized token"},
      {"Error(5) + Define(\"Variable: later\")", "Unrecognized token"},
      {"1/0 + Define(\"Variable: later2\")", "Division by 0"},
  });
  EXPECT_EQ(Eval(q, "Define(\"Function: g(x As Nonsense)\")"), 0.0);
  // An expression that evaluates its own handle: each run keeps the level
  // it computed before the nested run: 300 + 10 * (200 + 10 * 100).
  Define("Variable: self As Pointer");
  Define("Variable: k = 3");
  EvalStr(q, "self = Parse(\"IIf(k < 1, 0, ((k = k - 1) + 1) * 100 + 10 * Evaluate(self))\")");
  EXPECT_EQ(Eval(q, "Evaluate(self)"), 12300.0);
  // Without an end it stops at the nesting limit.
  EvalStr(q, "self = Parse(\"1 + Evaluate(self)\")");
  EXPECT_STREQ(EvalStr(q, "Evaluate(self)"), "Reparsing has passed the specified limit");
  EXPECT_STREQ(EvalStr(q, "k + 1"), "1");
}

TEST_F(Language, ExpressionTextGetsNoneOfTheHostsPowers) {
  Define("Variable: handle As Pointer");
  Define("Function: again(n) = Define(\"Overwrite ~~ Function: again(n) = 2\")");
  Define("Function: replaceMe(n) = Define(\"Function: other(n) = 1\", 0, 12345)");
  Define("Variable: x");
  Define("Variable: word As String");
  Expect({
      {"Define(\"Variable: v\", 12345)", "Invalid definition"},
      {"Define(\"Variable: v\", 0, 4096)", "Invalid definition"},
      {"replaceMe(1)", "Invalid definition"},
      {"again(1)", "This item cannot be modified"},
      {"Evaluate(handle)", "Array or list bound exceeded"},
      {"EvaluateStr(handle)", "Array or list bound exceeded"},
      {"EvaluateInt(handle)", "Array or list bound exceeded"},
      {"Swap(x, word)", "Data type mismatch"},
      {"Swap(1, 2)", "Value cannot be assigned here"},
      {"ForLoop(1, 1, 3, 1, 0)", "Value cannot be assigned here"},
      {"Arg(1)", "Array or list bound exceeded"},
      {"ArgCount()", "0"},
  });
  // A handle the host released is no longer live.
  const std::string text = EvalStr(q, "handle = Parse(\"5\")");
  EXPECT_EQ(Eval(q, "Evaluate(handle)"), 5.0);
  ReleaseExpr(reinterpret_cast<QuorbExpression*>(static_cast<uintptr_t>(std::stoull(text))));
  EXPECT_TRUE(std::isnan(Eval(q, "Evaluate(handle)")));
  EXPECT_STREQ(EvalStr(q, "EvaluateStr(handle)"), "Array or list bound exceeded");
}

// An assignment keeps its value in a named variable, an array element or
// what a pointer designates; a computed value would take it and lose it.
TEST_F(Language, AssignmentTargetsKeepTheValueOrAreRefused) {
  Define("Variable: x = 0");
  Define("Variable: arr[3]");
  const char* const refused = "Value cannot be assigned here";
  Expect({
      {"(1+2) = 4", refused},
      {"-3 = 4", refused},
      {"Sin(0) = 5", refused},
      {"IIf(1, x, x) = 6", refused},
      {"SetVar(x + 1, 2)", refused},
      {"3 = 4", refused},
      {"x = 1", "1"},
      {"(x) = 2", "2"},
      {"arr(1) = 5", "5"},
      {"arr(1) + x", "7"},
      {"ValueAt(AddressOf(x)) = 8", "8"},
      {"x", "8"},
  });
}

// An array's storage is a cell holding its elements' address: the address
// of the array is that of its elements, so indexing through it stays inside
// them, for the array's own name and for an array parameter.
TEST_F(Language, AddressOfAnArrayIsTheAddressOfItsElements) {
  Define("Variable: v[4] As Int = {1, 2, 3, 4}");
  Define("Variable: t[2] = {\"a\", \"b\"}");
  Define("Variable: p As Int Ptr");
  Define("Function: second(a[4] As Int) = ValueAt(AddressOf(a), 1)");
  Expect({
      {"ValueAt(AddressOf(v), 3)", "4"},
      {"ValueAt(AddressOf(t), 1)", "b"},
      {"p(2) = 9", "Array or list bound exceeded"},
  });
  EvalStr(q, "p = AddressOf(v)");
  Expect({
      {"p(2) = 9", "9"},
      {"v(2)", "9"},
      {"second(v)", "2"},
      {"ValueAt(AddressOf(v(1)), 1)", "9"},
  });
}

TEST_F(Language, ValuesOfAnotherTypeConvertOrFailWithErrorSeven) {
  Define("Function: first(a As String) = Arg(1)");
  Define("Function: asText(n) As String = Str(n)");
  Define("Variable: x = 3");
  Define("Variable: y = 4");
  Expect({
      {"IIf(1 > 2, 1, \"abc\")", "Data type mismatch"},
      {"IIf(1 < 2, 1, \"abc\")", "1"},
      {"first(\"abc\")", "Data type mismatch"},
      {"asText(2)", "2"},
      {"Swap(x, y) + 0 * x", "Data type mismatch"},
  });
  EXPECT_EQ(Eval(q, "x"), 3.0);
  EvalStr(q, "Swap(x, y)");
  EXPECT_EQ(Eval(q, "x * 10 + y"), 43.0);
  EvalStr(q, "Reset(x)");
  EXPECT_EQ(Eval(q, "x"), 0.0);
}

TEST_F(Language, MinMaxSgnAndBaseConvert) {
  Expect({
      {"Min(3, 1, 2)", "1"},
      {"Max(3, 1, 2)", "3"},
      {"Min(0/0, 2)", "Invalid operation"},
      {"Max(\"b\", \"abc\")", "b"},
      {"Min(\"b\", \"abc\")", "abc"},
      {"Min(\"a\", \"a\")", "a"},
      {"Sgn(-0)", "0"},
      {"Sgn(-2.5)", "-1"},
      {"Sgn(7)", "1"},
      {"Sgn(0/0)", "Invalid operation"},
      {"BaseConvert(\"ff\", 16)", "255"},
      {"BaseConvert(\"Zz\", 36)", "1295"},
      {"BaseConvert(\"10.1\", 2)", "2.5"},
      {"BaseConvert(\"7.\", 8)", "7"},
      {"BaseConvert(\"\", 10)", "0"},
      {"BaseConvert(\"19\", 8)", "Invalid operation"},
      {"BaseConvert(\"1\", 1)", "Invalid operation"},
      {"BaseConvert(\"1\", 37)", "Invalid operation"},
  });
  // NaN is skipped unless every argument is NaN (Eval gives the value
  // while the invalid operation that made the NaN is reported).
  EXPECT_EQ(Eval(q, "Min(2, 0/0, 1)"), 1.0);
  EXPECT_EQ(Eval(q, "Max(0/0, 2)"), 2.0);
  EXPECT_TRUE(std::isnan(Eval(q, "Min(0/0, 0/0)")));
}

}  // namespace
