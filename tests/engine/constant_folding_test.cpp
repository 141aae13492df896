// Steps computed while parsing: every folded expression against its twin,
// whose constants are variables, bit for bit and flag for flag, in every
// rounding mode; only exact steps fold, every other one stays a step.
#include <gtest/gtest.h>

#include <cfenv>
#include <cstring>
#include <string>
#include <vector>

#include "engine/fp_status.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"

namespace QuorbNameSpace {
namespace {

class ConstantFoldingTest : public ::testing::Test {
 protected:
  ConstantFoldingTest() {
    for (const char* declaration : {"d0 As Double = 0", "d1 As Double = 1", "d2 As Double = 2", "d3 As Double = 3",
                                    "d10 As Double = 10", "big As Double = 1e308", "tiny As Double = 1e-300"})
      instance.Define(std::string("Variable: ") + declaration, nullptr, nullptr);
  }
  ~ConstantFoldingTest() override {
    for (QuorbParsedExpr* expr : parsed) QuorbParsedExpr::Free(expr);
    std::feclearexcept(FiveExceptionFlags);
  }
  QuorbParsedExpr* ParseText(const std::string& text) {
    parsed.push_back(instance.Parse(text, nullptr));
    return parsed.back();
  }
  // One evaluation from clear flags: the result, the error, the flags left.
  struct Outcome {
    double value;
    int32_t error;
    int flags;
  };
  Outcome Run(QuorbParsedExpr* expr) {
    std::feclearexcept(FiveExceptionFlags);
    instance.Error.Number = 0;
    const double value = expr->Evaluate();
    Outcome outcome{value, instance.Error.Number, std::fetestexcept(FiveExceptionFlags)};
    instance.Error.Number = 0;
    return outcome;
  }
  Quorb instance;
  std::vector<QuorbParsedExpr*> parsed;
};

struct TwinCase {
  const char* folded;
  const char* twin;
  enum { Stays, Folds, Either } folds;  // whether the whole expression becomes one constant
};

const TwinCase twinCases[] = {
    {"2/3", "d2/3", TwinCase::Stays},
    // Some C libraries' pow raises inexact (and rounds) on an exact power.
    {"-(3*4) + 2^10", "-(d3*4) + d2^10", TwinCase::Either},
    {"-(3*4) + 2*10", "-(d3*4) + d2*10", TwinCase::Folds},
    {"Sin(1) + Cos(2) * Sqrt(2)", "Sin(d1) + Cos(d2) * Sqrt(d2)", TwinCase::Stays},
    {"Atan2(1, 2) - Hypot(3, 4) + Exp(1)", "Atan2(d1, d2) - Hypot(d3, 4) + Exp(d1)", TwinCase::Stays},
    // Inexact, or exact but rounded by the current mode: never folded.
    {"1/3", "d1/3", TwinCase::Stays},
    {"Rint(2.5)", "Rint(d2 + 0.5)", TwinCase::Stays},
    {"Nearbyint(2.5)", "Nearbyint(d2 + 0.5)", TwinCase::Stays},
    {"3 - 3", "d3 - 3", TwinCase::Stays},
    {"Hypot(3, 4) * Floor(2.5) + Fmod(7, 3)", "Hypot(d3, 4) * Floor(d2 + 0.5) + Fmod(7, d3)", TwinCase::Folds},
    {"(1 < 2) + 0.1", "(d1 < d2) + 0.1", TwinCase::Stays},  // the Bool's conversion stays a step
    {"1/0", "d1/0", TwinCase::Stays},
    {"0/0 + 1", "d0/0 + 1", TwinCase::Stays},
    {"1e308 * 10", "big * 10", TwinCase::Stays},
    {"1e-300 / 1e10", "tiny / 1e10", TwinCase::Stays},
    {"Sqrt(-1)", "Sqrt(-d1)", TwinCase::Stays},
    {"1e308 * 10 + 2/3", "big * 10 + d2/3", TwinCase::Stays},
};

// Parsed in one rounding mode and run in every other: a fold made while
// rounding to nearest must hold when the host rounds upward later.
TEST_F(ConstantFoldingTest, FoldedAndUnfoldedTwinsAgreeBitForBitAndFlagForFlag) {
  const int modes[] = {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO};
  for (int mask : {0, FE_INEXACT | FE_UNDERFLOW}) {
    instance.Evaluator.IgnoredExceptions = mask;
    for (int parseMode : modes) {
      for (const TwinCase& c : twinCases) {
        SCOPED_TRACE(std::string(c.folded) + " with mask " + std::to_string(mask) + " parsed in mode " +
                     std::to_string(parseMode));
        ASSERT_EQ(std::fesetround(parseMode), 0);
        QuorbParsedExpr* folded = ParseText(c.folded);
        QuorbParsedExpr* twin = ParseText(c.twin);
        EXPECT_EQ(std::fegetround(), parseMode) << "folding keeps the caller's rounding mode";
        ASSERT_EQ(instance.Error.Number, 0);
        if (c.folds != TwinCase::Either) {
          EXPECT_EQ(folded->Parts.size() == 1, c.folds == TwinCase::Folds) << "only the terminator is left when it all folds";
        }
        EXPECT_GT(twin->Parts.size(), 1u);
        for (int runMode : modes) {
          ASSERT_EQ(std::fesetround(runMode), 0);
          const Outcome mine = Run(folded);
          const Outcome theirs = Run(twin);
          EXPECT_EQ(std::memcmp(&mine.value, &theirs.value, sizeof mine.value), 0)
              << mine.value << " " << theirs.value << " run in mode " << runMode;
          EXPECT_EQ(mine.error, theirs.error);
          EXPECT_EQ(mine.flags, theirs.flags);
        }
      }
    }
  }
  std::fesetround(FE_TONEAREST);
}

TEST_F(ConstantFoldingTest, EveryFloatingPointErrorComesFromFoldedAndUnfoldedText) {
  instance.Evaluator.IgnoredExceptions = 0;
  struct Case {
    const char* text;
    int32_t error;
  };
  const Case cases[] = {
      {"1/0", ErrDivisionByZero}, {"d1/0", ErrDivisionByZero},  {"2/3", ErrInexact},
      {"d2/3", ErrInexact},       {"0/0", ErrInvalidOperation}, {"d0/0", ErrInvalidOperation},
      {"1e308*10", ErrOverflow},  {"big*10", ErrOverflow},      {"1e-300/1e10", ErrUnderflow},
      {"tiny/1e10", ErrUnderflow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    QuorbParsedExpr* expr = ParseText(c.text);
    ASSERT_EQ(instance.Error.Number, 0);
    EXPECT_EQ(Run(expr).error, c.error);
  }
}

TEST_F(ConstantFoldingTest, AStepInAByExprArgumentRaisesInexactOnlyWhenItRuns) {
  instance.Evaluator.IgnoredExceptions = 0;
  EXPECT_EQ(Run(ParseText("IIf(d1 > 0, 1, 2/3)")).error, 0) << "the branch holding 2/3 is not taken";
  EXPECT_EQ(Run(ParseText("IIf(d1 < 0, 1, 2/3)")).error, ErrInexact);
}

TEST_F(ConstantFoldingTest, AFoldedStepLeavesTheCallerFlagsAsTheyWere) {
  std::feclearexcept(FiveExceptionFlags);
  std::feraiseexcept(FE_OVERFLOW);
  ParseText("2/3 + Sqrt(2)");
  EXPECT_EQ(std::fetestexcept(FiveExceptionFlags), FE_OVERFLOW) << "the folds' inexact is not left behind";
}

}  // namespace
}  // namespace QuorbNameSpace
