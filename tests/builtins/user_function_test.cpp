// What a call of a function with a body leaves behind: the value pools and
// the save stack as they were, no pool growth once warm, the nesting count
// back at zero; and which callbacks a definition made from an expression
// may bind.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "builtins/real_math.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "types/data_type.h"

namespace QuorbNameSpace {
namespace {

class UserFunctionTest : public ::testing::Test {
 protected:
  void Define(const std::string& text) {
    ASSERT_NE(instance.Define(text, nullptr, nullptr), nullptr) << text;
  }
  Quorb instance;
};

TEST_F(UserFunctionTest, CallsLeavePoolsAndStackAsTheyFoundThemAndStopGrowingOnceWarm) {
  Define("Function: fib(n) = IIf(n < 2, n, fib(n - 1) + fib(n - 2))");
  Define("Function: label(n As Int, s As String) As String = IIf(n < 1, s, label(n - 1, s))");
  QuorbDataType* doubles = instance.Types.DoubleType;
  QuorbDataType* strings = instance.Types.StringType;
  struct Run {
    const char* text;
    const char* expected;
  };
  const Run runs[] = {{"fib(12)", "144"}, {"label(6, \"x\")", "x"}, {"fib(12) + fib(3)", "146"}};
  for (const Run& run : runs) {
    EXPECT_EQ(instance.EvalStr(run.text), run.expected);
    const size_t warmDoubles = doubles->ValuePool.size();
    const size_t warmStrings = strings->ValuePool.size();
    EXPECT_EQ(instance.EvalStr(run.text), run.expected);
    EXPECT_EQ(doubles->ValuePool.size(), warmDoubles) << run.text;
    EXPECT_EQ(strings->ValuePool.size(), warmStrings) << run.text;
    EXPECT_EQ(doubles->ValuePoolUsed, 0u) << run.text;
    EXPECT_EQ(strings->ValuePoolUsed, 0u) << run.text;
    EXPECT_TRUE(instance.Evaluator.ValueSaveStack.empty()) << run.text;
    EXPECT_EQ(instance.Running.CallDepth, 0) << run.text;
  }
  // After the depth limit stopped a call, the next evaluation runs again.
  Define("Function: deep(n) = IIf(n == 0, 0, 1 + deep(n - 1))");
  EXPECT_EQ(instance.EvalStr("deep(1000000)"), "Reparsing has passed the specified limit");
  EXPECT_EQ(doubles->ValuePoolUsed, 0u);
  EXPECT_TRUE(instance.Evaluator.ValueSaveStack.empty());
  EXPECT_EQ(instance.EvalStr("deep(3)"), "3");
}

TEST_F(UserFunctionTest, DefineFromAnExpressionBindsOnlyCallbacksTheInstanceRunsWithThatSignature) {
  const std::string known = std::to_string(reinterpret_cast<uintptr_t>(&Cos));
  struct Attempt {
    std::string text;
    bool defined;
  };
  const Attempt attempts[] = {
      {"Define(\"Function: myCos(x)\", " + known + ") > 0", true},
      {"Define(\"Function: other(x)\", " + known + " + 8) > 0", false},
      // Known, but read at the widths of another signature.
      {"Define(\"Function: wide(x As String)\", " + known + ") > 0", false},
      {"Define(\"Function: narrow(x) As Int\", " + known + ") > 0", false},
      // A known callback is still no storage for a variable.
      {"Define(\"Variable: v\", " + known + ") > 0", true},
  };
  for (const Attempt& attempt : attempts) {
    const std::string answer = instance.EvalStr(attempt.text);
    EXPECT_EQ(answer, attempt.defined ? "true" : "Invalid definition") << attempt.text;
  }
  EXPECT_EQ(instance.EvalStr("myCos(0)"), "1");
  EXPECT_EQ(instance.EvalStr("v = 2"), "2") << "the variable got storage of its own";
  QuorbItem* v = instance.ItemOfByName("v", 0, true, false);
  EXPECT_NE(reinterpret_cast<uintptr_t>(v->ValuePtr), reinterpret_cast<uintptr_t>(&Cos));
}

}  // namespace
}  // namespace QuorbNameSpace
