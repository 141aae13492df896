// The floating-point test after a run: flags a step leaves in the x87
// status word are seen when the parser marked the expression, library-only
// expressions are not marked, and a mask ignoring all five flags skips it.
#include <gtest/gtest.h>

#include <cfenv>
#include <cfloat>

#include "engine/fp_status.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"

namespace QuorbNameSpace {
namespace {

// Long double operands: on x86-64 the arithmetic runs on the x87 unit.
volatile long double wide_zero = 0.0L;
volatile long double wide_one = 1.0L;
volatile long double wide_three = 3.0L;
volatile long double wide_max = LDBL_MAX;
volatile long double wide_min = LDBL_MIN;
volatile long double wide_sink = 0.0L;

void WideDivideByZero(ExpressionPart&) { wide_sink = wide_one / wide_zero; }
void WideThird(ExpressionPart&) { wide_sink = wide_one / wide_three; }
void WideInvalid(ExpressionPart&) { wide_sink = wide_zero / wide_zero; }
void WideOverflow(ExpressionPart&) { wide_sink = wide_max * wide_max; }
void WideUnderflow(ExpressionPart&) { wide_sink = wide_min * wide_min; }

class FpStatusTest : public ::testing::Test {
 protected:
  FpStatusTest() {
    std::feclearexcept(FiveExceptionFlags);
    instance.IgnoredExceptions = 0;
  }
  ~FpStatusTest() override {
    for (QuorbParsedExpr* expr : parsed) QuorbParsedExpr::Free(expr);
    std::feclearexcept(FiveExceptionFlags);
  }
  QuorbParsedExpr* ParseText(const char* text) {
    parsed.push_back(instance.Parse(text, nullptr));
    return parsed.back();
  }
  Quorb instance;
  std::vector<QuorbParsedExpr*> parsed;
};

TEST_F(FpStatusTest, EveryFlagOfAHostStepIsReported) {
  struct Case {
    const char* name;
    QuorbCallback step;
    int32_t error;
  };
  const Case cases[] = {
      {"WideDivideByZero", &WideDivideByZero, ErrDivisionByZero}, {"WideThird", &WideThird, ErrInexact},
      {"WideInvalid", &WideInvalid, ErrInvalidOperation},         {"WideOverflow", &WideOverflow, ErrOverflow},
      {"WideUnderflow", &WideUnderflow, ErrUnderflow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    instance.Define(std::string("Function: ") + c.name + "() As Void", c.step, nullptr);
    QuorbParsedExpr* expr = ParseText((std::string(c.name) + "()").c_str());
    ASSERT_EQ(instance.Error.Number, 0);
    EXPECT_TRUE(expr->MayUseX87) << "a host step may compute on the x87 unit";
    std::feclearexcept(FiveExceptionFlags);
    expr->Evaluate();
    // Overflow and underflow come with inexact; the later-tested flag wins.
    EXPECT_EQ(instance.Error.Number, c.error);
    instance.Error.Number = 0;
  }
}

TEST_F(FpStatusTest, OnlyLongDoubleAndUnknownStepsMarkTheExpression) {
  instance.Define("Variable: v As Double = 2", nullptr, nullptr);
  struct Case {
    const char* text;
    bool marked;
  };
  const Case cases[] = {
      {"1 + 2 * v - 3 / v", false},
      {"Sin(v) + Pow(v, 2) ^ 3 + Sqrt(Abs(-v))", false},
      {"Nexttoward(v, 3)", true},
      {"v = 4", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    QuorbParsedExpr* expr = ParseText(c.text);
    ASSERT_EQ(instance.Error.Number, 0);
    EXPECT_EQ(expr->MayUseX87, c.marked);
  }
}

TEST_F(FpStatusTest, IgnoringAllFiveFlagsLeavesThemRaised) {
  instance.IgnoredExceptions = FiveExceptionFlags;
  instance.Define("Function: WideDivideByZero() As Void", &WideDivideByZero, nullptr);
  QuorbParsedExpr* expr = ParseText("WideDivideByZero()");
  std::feclearexcept(FiveExceptionFlags);
  expr->Evaluate();
  EXPECT_EQ(instance.Error.Number, 0);
  EXPECT_NE(std::fetestexcept(FE_DIVBYZERO), 0) << "the ignored flag is neither reported nor cleared";
}

TEST_F(FpStatusTest, ALibraryStepFlagIsReportedWithoutTheX87Read) {
  QuorbParsedExpr* expr = ParseText("1 / 0");
  ASSERT_FALSE(expr->MayUseX87);
  std::feclearexcept(FiveExceptionFlags);
  expr->Evaluate();
  EXPECT_EQ(instance.Error.Number, ErrDivisionByZero);
}

}  // namespace
}  // namespace QuorbNameSpace
