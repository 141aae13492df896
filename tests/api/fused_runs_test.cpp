// Runs of Double arithmetic and math functions computed as one step:
// results bit for bit as the same arithmetic in C++, variables read at
// every evaluation, and parameters of a function body bound afresh at
// every call.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "builtins/c_math.h"
#include "quorb.h"

namespace {

namespace CMath = QuorbNameSpace::CMath;

class FusedRuns : public ::testing::Test {
 protected:
  FusedRuns() : q(CreateQuorb(nullptr)) {
    DefineVariable(q, "a", &a);
    DefineVariable(q, "b", &b);
    DefineVariable(q, "c", &c);
  }
  ~FusedRuns() override { ReleaseQuorb(q); }
  QuorbInstance* q;
  double a = 1.1, b = 2.2, c = 3.3;
};

bool SameBits(double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; }

TEST_F(FusedRuns, ComputeWhatTheStepsComputeBitForBit) {
  struct Case {
    const char* text;
    std::function<double(double, double, double)> expected;
  };
  const Case cases[] = {
      {"a+b*c", [](double a, double b, double c) { return a + b * c; }},
      // Single steps: the whole expression is one record.
      {"a/b", [](double a, double b, double) { return a / b; }},
      {"-c", [](double, double, double c) { return -c; }},
      {"Log(a)", [](double a, double, double) { return CMath::log(a); }},
      {"Pow(c, a)", [](double a, double, double c) { return CMath::pow(c, a); }},
      {"a/((a+b)*(a-b))/b", [](double a, double b, double) { return a / ((a + b) * (a - b)) / b; }},
      {"c - (a - b)", [](double a, double b, double c) { return c - (a - b); }},
      {"(a - b) - c", [](double a, double b, double c) { return (a - b) - c; }},
      {"-a*-b + -(c/a)", [](double a, double b, double c) { return -a * -b + -(c / a); }},
      {"Sqrt(a*a + b*b) / Abs(-c)", [](double a, double b, double c) { return CMath::sqrt(a * a + b * b) / std::fabs(-c); }},
      {"Sin(a)*Cos(b) + Tan(c) - Exp(a)/Log(b)",
       [](double a, double b, double c) { return CMath::sin(a) * CMath::cos(b) + CMath::tan(c) - CMath::exp(a) / CMath::log(b); }},
      {"Pow(a, b) + a^c", [](double a, double b, double c) { return CMath::pow(a, b) + CMath::pow(a, c); }},
      {"a*b - a*b", [](double a, double b, double) { return a * b - a * b; }},
      {"(a+b)*(a+b)/(a+b)", [](double a, double b, double) { return (a + b) * (a + b) / (a + b); }},
      // Literals copied into the records, Int literals converted first.
      {"2.5*a - 0.1/b + 3 - c*2", [](double a, double b, double c) { return 2.5 * a - 0.1 / b + 3 - c * 2; }},
      // No steps: the run reads the result, at every evaluation.
      {"c", [](double, double, double c) { return c; }},
      {"2.5", [](double, double, double) { return 2.5; }},
      {"-(3*0.5)", [](double, double, double) { return -(3 * 0.5); }},
      // Literals on either side of the previous result, results read by the
      // next record only (not stored) or by a later one (kept in a slot).
      {"2 - (0.5 / (a - 3))", [](double a, double, double) { return 2 - (0.5 / (a - 3)); }},
      {"((a - 0.5) * 3 - b) / 7", [](double a, double b, double) { return ((a - 0.5) * 3 - b) / 7; }},
      {"(a*b + 1) / (c - 2) - (b/c)*(a - b)",
       [](double a, double b, double c) { return (a * b + 1) / (c - 2) - (b / c) * (a - b); }},
      {"-(1 - Sqrt(a*a)) + (2 + -b)", [](double a, double b, double) { return -(1 - CMath::sqrt(a * a)) + (2 + -b); }},
      // Functions of two arguments; an intermediate read by a later step.
      {"Atan2(a, b) + Hypot(a, c) * (a*b) - Sin(a*b)",
       [](double a, double b, double c) { return CMath::atan2(a, b) + CMath::hypot(a, c) * (a * b) - CMath::sin(a * b); }},
  };
  const double values[][3] = {{1.1, 2.2, 3.3}, {-0.5, 1e300, 7.0}, {0.0, -0.0, 2.0}, {NAN, 1.0, 2.0}};
  for (const Case& test : cases) {
    SCOPED_TRACE(test.text);
    QuorbExpression* expr = Parse(q, test.text, "Double");
    for (const auto& v : values) {
      a = v[0], b = v[1], c = v[2];
      const double expected = test.expected(a, b, c);
      // Evaluate runs a whole-expression run directly, EvaluateNTE through
      // the loop: both give the steps' result.
      for (const double mine : {Evaluate(expr), EvaluateNTE(expr)})
        EXPECT_TRUE(SameBits(mine, expected) || (std::isnan(mine) && std::isnan(expected)))
            << mine << " against " << expected;
    }
    ReleaseExpr(expr);
  }
}

TEST_F(FusedRuns, AFunctionBodyReadsTheArgumentsOfEachCall) {
  ASSERT_NE(Define_Overload_Quorb(q, "Function: Blend(x, y) = x*y + x/y - y", nullptr, nullptr), nullptr);
  EXPECT_EQ(Eval(q, "Blend(2, 4)"), 2.0 * 4 + 2.0 / 4 - 4);
  EXPECT_EQ(Eval(q, "Blend(3, 5) - Blend(1, 2)"), (3.0 * 5 + 3.0 / 5 - 5) - (1.0 * 2 + 1.0 / 2 - 2));
  ASSERT_NE(Define_Overload_Quorb(q, "Function: Steps(n) = IIf(n < 1, 0, Steps(n - 1)*2 + n*n)", nullptr, nullptr),
            nullptr);
  EXPECT_EQ(Eval(q, "Steps(4)"), ((((0 * 2 + 1) * 2 + 4) * 2 + 9) * 2 + 16));
  // The run's result is kept across the recursive call that follows it.
  ASSERT_NE(Define_Overload_Quorb(q, "Function: Rise(n) = IIf(n < 1, 0, n*2 + n/4 - 1 + Rise(n - 1))", nullptr, nullptr),
            nullptr);
  EXPECT_EQ(Eval(q, "Rise(3)"), (3 * 2 + 3 / 4.0 - 1) + (2 * 2 + 2 / 4.0 - 1) + (1 * 2 + 1 / 4.0 - 1));
}

TEST_F(FusedRuns, FlagsOfAFusedRunAreReported) {
  EXPECT_STREQ(EvalStr(q, "a*b/(c-c)"), "Division by 0");
  EXPECT_STREQ(EvalStr(q, "(a-a)/(b-b)*c"), "Invalid operation");
}

}  // namespace
