// The parser's fast paths against their slow twins: generated Double
// expressions (every Double operator and fusable function, literals and
// variables mixed) parsed once with folding and fusion and once without,
// run in every rounding mode with inexact masked and unmasked, give the
// same result bits (NaN sign and payload included), the same error number
// and the same flags left.
#include <gtest/gtest.h>

#include <cfenv>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/exception_flags.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"

namespace QuorbNameSpace {
namespace {

double FromBits(uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Quiet NaNs of both signs with different payloads: which operand's NaN
// a result carries shows in its bits.
const double PositiveNaN = FromBits(0x7ff8000000000001ULL);
const double NegativeNaN = FromBits(0xfff8000000000002ULL);
const double OtherNaN = FromBits(0x7ff80000000000abULL);

const char* const UnaryFunctions[] = {"Cos",   "Sin",   "Tan",   "Acos",  "Asin", "Atan",   "Cosh",  "Sinh",
                                      "Tanh",  "Acosh", "Asinh", "Atanh", "Exp",  "Log",    "Log10", "Exp2",
                                      "Expm1", "Log1p", "Log2",  "Sqrt",  "Cbrt", "Erf",    "Erfc",  "Tgamma",
                                      "Lgamma", "Ceil", "Floor", "Trunc", "Round", "Abs",   "Fabs"};
const char* const BinaryFunctions[] = {"Atan2", "Pow", "Hypot", "Fmod"};
const char* const BinaryOperators[] = {" + ", " - ", " * ", " / ", " ^ ", " mod "};
const char* const Literals[] = {"0", "1", "2.5", "0.1", "3", "1e300", "1e-300", "0.5", "7"};
const char* const Variables[] = {"a", "b", "c"};

// Random expression texts over a, b and c, from a fixed seed.
class ExpressionGenerator {
 public:
  std::string Make(int depth) {
    if (depth == 0 || Pick(4) == 0) return Leaf();
    switch (Pick(5)) {
      case 0: return "(" + Make(depth - 1) + BinaryOperators[Pick(6)] + Make(depth - 1) + ")";
      case 1: return "(" + Make(depth - 1) + BinaryOperators[Pick(4)] + Make(depth - 1) + ")";
      case 2: return std::string(Pick(2) == 0 ? "-" : "+") + "(" + Make(depth - 1) + ")";
      case 3: return std::string(UnaryFunctions[Pick(sizeof UnaryFunctions / sizeof *UnaryFunctions)]) + "(" +
                     Make(depth - 1) + ")";
      default: return std::string(BinaryFunctions[Pick(4)]) + "(" + Make(depth - 1) + ", " + Make(depth - 1) + ")";
    }
  }

 private:
  size_t Pick(size_t count) { return static_cast<size_t>(random_() % count); }
  std::string Leaf() { return Pick(2) == 0 ? Variables[Pick(3)] : Literals[Pick(sizeof Literals / sizeof *Literals)]; }
  std::mt19937 random_{2028};
};

// One instance with the fast paths, one with their slow twins, each with
// its variables a, b and c.
class FastPathTwins : public ::testing::Test {
 protected:
  FastPathTwins() {
    slow.FastPaths.FoldConstants = false;
    slow.FastPaths.FuseRuns = false;
    bookkept.FastPaths.BareWholeRuns = false;
    unfolded.FastPaths.FoldConstants = false;
    for (Quorb* instance : {&fast, &slow, &bookkept, &unfolded})
      for (const char* name : Variables)
        values.push_back(static_cast<double*>(
            instance->Define(std::string("Variable: ") + name + " As Double = 0", nullptr, nullptr)->ValuePtr));
  }
  ~FastPathTwins() override {
    std::feclearexcept(FiveExceptionFlags);
    std::fesetround(FE_TONEAREST);
  }
  void SetVariables(const double (&abc)[3]) {
    for (size_t i = 0; i < values.size(); ++i) *values[i] = abc[i % 3];
  }
  struct Outcome {
    double value;
    int32_t error;
    int flags;
    double untested;  // EvaluateNTE's result
    int untestedFlags;
    bool operator==(const Outcome& o) const {
      return std::memcmp(&value, &o.value, sizeof value) == 0 && error == o.error && flags == o.flags &&
             std::memcmp(&untested, &o.untested, sizeof untested) == 0 && untestedFlags == o.untestedFlags;
    }
  };
  static Outcome Run(Quorb& instance, QuorbParsedExpr* expr) {
    std::feclearexcept(FiveExceptionFlags);
    instance.Error.Number = 0;
    Outcome outcome{};
    outcome.value = expr->Evaluate();
    outcome.error = instance.Error.Number;
    outcome.flags = std::fetestexcept(FiveExceptionFlags);
    std::feclearexcept(FiveExceptionFlags);
    outcome.untested = expr->EvaluateNTE();
    outcome.untestedFlags = std::fetestexcept(FiveExceptionFlags);
    if (instance.Error.Number != outcome.error) outcome.error = -1;  // the untested run set an error
    return outcome;
  }
  // Runs both twins of `text` with every set of values, in every rounding
  // mode, with inexact masked and unmasked; the number of runs that differ.
  int Mismatches(const std::string& text, int parseMode) {
    std::fesetround(parseMode);
    QuorbParsedExpr* mine = fast.Parse(text, nullptr);
    QuorbParsedExpr* theirs = slow.Parse(text, nullptr);
    QuorbParsedExpr* counted = bookkept.Parse(text, nullptr);
    QuorbParsedExpr* literals = unfolded.Parse(text, nullptr);
    int mismatches = 0;
    if (fast.Error.Number != slow.Error.Number) ++mismatches;
    if (fast.Error.Number != 0) ++parseFailures;
    if (mine->Parts.size() < theirs->Parts.size()) ++shortened;
    const double valueSets[][3] = {{1.1, 2.2, 3.3},          {-0.5, 1e300, 7.0},           {0.0, -0.0, 2.0},
                                   {PositiveNaN, NegativeNaN, OtherNaN}, {NegativeNaN, 3.0, PositiveNaN},
                                   {1e-310, -1e308, 0.75}};
    for (const auto& abc : valueSets) {
      SetVariables(abc);
      for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
        for (int mask : {0, FE_INEXACT | FE_UNDERFLOW}) {
          fast.Evaluator.IgnoredExceptions = slow.Evaluator.IgnoredExceptions = bookkept.Evaluator.IgnoredExceptions = mask;
          unfolded.Evaluator.IgnoredExceptions = mask;
          const Outcome a = Run(fast, mine);
          const Outcome b = Run(slow, theirs);
          const Outcome c = Run(bookkept, counted);
          const Outcome d = Run(unfolded, literals);
          if (a == b && c == b && d == b) continue;
          if (++mismatches <= 2)
            ADD_FAILURE() << text << " with a=" << abc[0] << " b=" << abc[1] << " c=" << abc[2] << ", mode " << mode
                          << ", mask " << mask << ": " << a.value << " error " << a.error << " flags " << a.flags
                          << " against " << b.value << " error " << b.error << " flags " << b.flags
                          << "; untested " << a.untested << " flags " << a.untestedFlags << " against " << b.untested
                          << " flags " << b.untestedFlags << "; bookkept " << c.value << " error " << c.error
                          << "; unfolded " << d.value << " error " << d.error;
        }
      }
    }
    std::fesetround(FE_TONEAREST);
    QuorbParsedExpr::Free(mine);
    QuorbParsedExpr::Free(theirs);
    QuorbParsedExpr::Free(counted);
    QuorbParsedExpr::Free(literals);
    return mismatches;
  }
  Quorb fast;
  Quorb slow;
  Quorb bookkept;  // folds and fuses, but runs a whole run counted
  Quorb unfolded;  // fuses without folding: records with two literal operands
  std::vector<double*> values;  // the a, b and c of fast, slow, bookkept and unfolded, in turn
  int parseFailures = 0;
  int shortened = 0;  // texts whose fast twin has fewer steps: folded or fused
};

TEST_F(FastPathTwins, TheSwitchTurnsFoldingAndFusionOff) {
  QuorbParsedExpr* fused = fast.Parse("a*b + c/a - 2*3", nullptr);
  QuorbParsedExpr* plain = slow.Parse("a*b + c/a - 2*3", nullptr);
  EXPECT_LT(fused->Parts.size(), plain->Parts.size());
  EXPECT_EQ(plain->Parts.size(), 6u) << "four operators on variables, the literal product, the terminator";
  QuorbParsedExpr::Free(fused);
  QuorbParsedExpr::Free(plain);
}

// A text run once and freed (Eval) is not fused, and gives what the fused
// twin gives.
TEST_F(FastPathTwins, ATextRunOnceIsNotFused) {
  SetVariables({1.1, 2.2, 3.3});
  QuorbParsedExpr* once = fast.Parse("a*b + c/a - Sqrt(b)", nullptr, nullptr, nullptr, 0, true);
  QuorbParsedExpr* kept = fast.Parse("a*b + c/a - Sqrt(b)", nullptr);
  EXPECT_EQ(once->WholeRun, nullptr);
  EXPECT_NE(kept->WholeRun, nullptr);
  const double value = once->Evaluate();
  const double fused = kept->Evaluate();
  EXPECT_EQ(std::memcmp(&value, &fused, sizeof value), 0);
  const double evaluated = fast.Eval("a*b + c/a - Sqrt(b)");
  EXPECT_EQ(std::memcmp(&evaluated, &fused, sizeof fused), 0);
  QuorbParsedExpr::Free(once);
  QuorbParsedExpr::Free(kept);
}

// An expression without steps runs its one record, bare or counted, and
// ends where the loop would: at its terminator, which is its first part.
TEST_F(FastPathTwins, AnExpressionWithoutStepsEndsAtItsTerminator) {
  for (Quorb* instance : {&fast, &bookkept}) {
    QuorbParsedExpr* expr = instance->Parse("c", nullptr);
    ASSERT_NE(expr->WholeRun, nullptr);
    ASSERT_EQ(expr->First->Next, nullptr);
    expr->Current = nullptr;
    expr->Evaluate();
    EXPECT_EQ(expr->Current, expr->First);
    expr->Current = nullptr;
    expr->EvaluateNTE();
    EXPECT_EQ(expr->Current, expr->First);
    EXPECT_EQ(expr->Running, 0);
    QuorbParsedExpr::Free(expr);
  }
}

// A whole run runs bare unless switched off, and either way ends where a
// counted run ends: at the terminator, with no run under way.
TEST_F(FastPathTwins, TheSwitchKeepsTheBookkeepingOfWholeRuns) {
  QuorbParsedExpr* bare = fast.Parse("a*b + c", nullptr);
  QuorbParsedExpr* counted = bookkept.Parse("a*b + c", nullptr);
  for (QuorbParsedExpr* expr : {bare, counted}) {
    ASSERT_NE(expr->WholeRun, nullptr);
    expr->Current = nullptr;
    expr->Evaluate();
    EXPECT_EQ(expr->Current, expr->First->Next);
    expr->Current = nullptr;
    expr->EvaluateNTE();
    EXPECT_EQ(expr->Current, expr->First->Next);
    EXPECT_EQ(expr->Running, 0);
  }
  EXPECT_FALSE(bare->KeepBookkeeping);
  EXPECT_TRUE(counted->KeepBookkeeping);
  QuorbParsedExpr::Free(bare);
  QuorbParsedExpr::Free(counted);
}

// Operand orders a fused record could get wrong, each the run's second
// record reading the first record's result on one side only.
TEST_F(FastPathTwins, OperandOrderOfFusedRecords) {
  const char* const texts[] = {"Pow(a*b, c)",  "Pow(c, a*b)",  "Atan2(a*b, c)", "Atan2(c, a-b)", "Fmod(a+b, c)",
                               "Fmod(c, a+b)", "Hypot(a/b, c)", "c - a*b",      "a*b - c",       "c / (a+b)",
                               "(a+b) / c",    "c + a*b",      "a*b + c",       "c * (a-b)",     "(a-b) * c",
                               "a + b",        "a * b",        "(a+b) + (b+c)", "(a*b) * (b*c)", "a ^ (b*c)",
                               "2 - 0.5*a",    "(a - 3) / 0.1", "-(0.5 - b)",   "c",             "0.1"};
  for (const char* text : texts) EXPECT_EQ(Mismatches(text, FE_TONEAREST), 0) << text;
}

TEST_F(FastPathTwins, GeneratedExpressionsAgreeInEveryEnvironment) {
  ExpressionGenerator generator;
  const int modes[] = {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO};
  int mismatches = 0;
  const int count = 400;
  for (int i = 0; i < count && mismatches < 10; ++i) mismatches += Mismatches(generator.Make(4), modes[i % 4]);
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(parseFailures, 0) << "every generated text is an expression";
  EXPECT_GT(shortened, count / 2) << "most texts take a fast path";
}

}  // namespace
}  // namespace QuorbNameSpace
