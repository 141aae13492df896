// Double arithmetic, the factorial, and 32-bit Int arithmetic and
// comparison. The Int operators are checked against a plain 64-bit
// reference over edge values and generated ones; division and remainder by
// zero and by -1 against the choices the header documents.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "builtin_call.h"
#include "engine/exception_flags.h"
#include "builtins/double_arithmetic.h"
#include "builtins/int_arithmetic.h"

namespace QuorbNameSpace {
namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

using DoubleArithmeticTest = BuiltinCall;

TEST_F(DoubleArithmeticTest, FourOperationsInOperandOrder) {
  EXPECT_EQ(RunDouble(&Add, {D(1.5), D(2.25)}), 3.75);
  EXPECT_EQ(RunDouble(&Subtract, {D(1.5), D(2.25)}), -0.75);
  EXPECT_EQ(RunDouble(&Multiply, {D(1.5), D(-4)}), -6.0);
  EXPECT_EQ(RunDouble(&Divide, {D(1), D(4)}), 0.25);
  EXPECT_FALSE(Raised(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW));
}

TEST_F(DoubleArithmeticTest, DivisionByZeroIsIeee) {
  EXPECT_EQ(RunDouble(&Divide, {D(-1), D(0)}), -Inf);
  EXPECT_TRUE(Raised(FE_DIVBYZERO));
  std::feclearexcept(FiveExceptionFlags);
  EXPECT_TRUE(std::isnan(RunDouble(&Divide, {D(0), D(0)})));
  EXPECT_TRUE(Raised(FE_INVALID));
}

TEST_F(DoubleArithmeticTest, UnaryOperatorsKeepOrFlipTheSignBit) {
  EXPECT_EQ(RunDouble(&UnaryPlus, {D(-2.5)}), -2.5);
  EXPECT_TRUE(std::signbit(RunDouble(&UnaryPlus, {D(-0.0)})));
  EXPECT_EQ(RunDouble(&UnaryMinus, {D(2.5)}), -2.5);
  EXPECT_TRUE(std::signbit(RunDouble(&UnaryMinus, {D(0)}))) << "-0 for 0";
  EXPECT_FALSE(std::signbit(RunDouble(&UnaryMinus, {D(-0.0)})));
  const double negatedNaN = RunDouble(&UnaryMinus, {D(NaN)});
  EXPECT_TRUE(std::isnan(negatedNaN));
  EXPECT_TRUE(std::signbit(negatedNaN));
  EXPECT_FALSE(Raised(FiveExceptionFlags));
}

TEST_F(DoubleArithmeticTest, FactorialOfSmallAndFractionalOperands) {
  EXPECT_EQ(RunDouble(&Factorial, {D(0.5)}), 1.0);
  EXPECT_EQ(RunDouble(&Factorial, {D(0)}), 1.0);
  EXPECT_EQ(RunDouble(&Factorial, {D(-2)}), 1.0);
  EXPECT_EQ(RunDouble(&Factorial, {D(3)}), 6.0);
  EXPECT_EQ(RunDouble(&Factorial, {D(3.9)}), 6.0);
  EXPECT_EQ(RunDouble(&Factorial, {D(4.7)}), 24.0);
  EXPECT_EQ(RunDouble(&Factorial, {D(10)}), 3628800.0);
  EXPECT_EQ(RunDouble(&Factorial, {D(NaN)}), 1.0);
  EXPECT_FALSE(Raised(FE_INVALID)) << "a NaN operand is tested quietly";
}

TEST_F(DoubleArithmeticTest, FactorialOverflowsFrom171On) {
  const double f170 = RunDouble(&Factorial, {D(170)});
  EXPECT_TRUE(std::isfinite(f170));
  EXPECT_NEAR(f170 / 7.257415615307994e306, 1.0, 1e-12);
  EXPECT_FALSE(Raised(FE_OVERFLOW));
  EXPECT_EQ(RunDouble(&Factorial, {D(171)}), Inf);
  EXPECT_TRUE(Raised(FE_OVERFLOW));
}

TEST_F(DoubleArithmeticTest, FactorialEndsForHugeOperands) {
  // Past 2^53 the counter stops growing; +infinity never lets it pass.
  for (double x : {0x1p53, 0x1p60, 1e300, Inf}) {
    SCOPED_TRACE(x);
    EXPECT_EQ(RunDouble(&Factorial, {D(x)}), Inf);
  }
}

using IntArithmeticTest = BuiltinCall;

// 32-bit wrap of a 64-bit value, by arithmetic rather than conversion.
int32_t Wrap(int64_t value) {
  int64_t low = value % 4294967296LL;
  if (low < 0) low += 4294967296LL;
  return low >= 2147483648LL ? static_cast<int32_t>(low - 4294967296LL) : static_cast<int32_t>(low);
}

// Edge values, then values from a small generator of our own.
std::vector<int32_t> Operands() {
  std::vector<int32_t> values = {0, 1, -1, 2, -2, 3, -3, 7, -7, 46341, -46341, 65536, 2147483647,
                                 2147483646, -2147483647 - 1, -2147483647};
  uint32_t state = 12345;
  for (int i = 0; i < 24; ++i) {
    state = state * 1103515245u + 12345u;
    values.push_back(Wrap(static_cast<int64_t>(state)));
  }
  return values;
}

TEST_F(IntArithmeticTest, MatchesA64BitReferenceWrappedTo32) {
  for (int32_t x : Operands()) {
    for (int32_t y : Operands()) {
      SCOPED_TRACE(testing::Message() << x << " and " << y);
      const int64_t wx = x, wy = y;
      EXPECT_EQ(RunInt(&Add_Int, {I(x), I(y)}), Wrap(wx + wy));
      EXPECT_EQ(RunInt(&Subtract_Int, {I(x), I(y)}), Wrap(wx - wy));
      EXPECT_EQ(RunInt(&Multiply_Int, {I(x), I(y)}), Wrap(wx * wy));
      if (y != 0) {
        EXPECT_EQ(RunInt(&Divide_Int, {I(x), I(y)}), Wrap(wx / wy));
        EXPECT_EQ(RunInt(&Modulo_Int, {I(x), I(y)}), Wrap(wx % wy));
      }
      EXPECT_EQ(RunBool(&Equal_Int, {I(x), I(y)}), wx == wy);
      EXPECT_EQ(RunBool(&NotEqual_Int, {I(x), I(y)}), wx != wy);
      EXPECT_EQ(RunBool(&LessThan_Int, {I(x), I(y)}), wx < wy);
      EXPECT_EQ(RunBool(&GreaterThan_Int, {I(x), I(y)}), wx > wy);
      EXPECT_EQ(RunBool(&LessThanOrEqual_Int, {I(x), I(y)}), wx <= wy);
      EXPECT_EQ(RunBool(&GreaterThanOrEqual_Int, {I(x), I(y)}), wx >= wy);
    }
  }
  EXPECT_EQ(instance.Error.Number, 0) << "no divisor but 0 raises an error";
}

TEST_F(IntArithmeticTest, DivisionTruncatesAndRemainderTakesTheSignOfX) {
  EXPECT_EQ(RunInt(&Divide_Int, {I(-7), I(2)}), -3);
  EXPECT_EQ(RunInt(&Modulo_Int, {I(7), I(-3)}), 1);
  EXPECT_EQ(RunInt(&Modulo_Int, {I(-7), I(3)}), -1);
}

TEST_F(IntArithmeticTest, TheOneOverflowingQuotientWraps) {
  EXPECT_EQ(RunInt(&Divide_Int, {I(INT32_MIN), I(-1)}), INT32_MIN);
  EXPECT_EQ(RunInt(&Modulo_Int, {I(INT32_MIN), I(-1)}), 0);
  EXPECT_EQ(RunInt(&Multiply_Int, {I(INT32_MIN), I(-1)}), INT32_MIN);
  EXPECT_EQ(instance.Error.Number, 0);
}

TEST_F(IntArithmeticTest, DivisionByZeroGivesZeroAndRaisesError20) {
  for (QuorbCallback callback : {&Divide_Int, &Modulo_Int}) {
    instance.Error.Number = 0;
    QuorbItem* result = I(99);
    RunInto(callback, {I(5), I(0)}, result);
    EXPECT_EQ(Read<int32_t>(result), 0);
    EXPECT_EQ(instance.Error.Number, ErrDivisionByZero);
  }
}

// The handlers run at the raise, inside the step.
struct HandlerCount {
  static int calls;
  static void QUORB_CALLBACK Count(QuorbInstance*) { ++calls; }
};
int HandlerCount::calls = 0;

TEST_F(IntArithmeticTest, DivisionByZeroRunsTheErrorHandlers) {
  QuorbItem handler;
  handler.Owner = &instance;
  handler.SetBit(IsErrorHandler, true);
  handler.Callback = reinterpret_cast<QuorbCallback>(reinterpret_cast<void (*)()>(&HandlerCount::Count));
  instance.Definitions.ErrorHandlers.push_back(&handler);
  HandlerCount::calls = 0;
  EXPECT_EQ(RunInt(&Modulo_Int, {I(1), I(0)}), 0);
  EXPECT_EQ(HandlerCount::calls, 1);
  instance.Definitions.ErrorHandlers.clear();
}

TEST_F(IntArithmeticTest, DivisionByZeroWithoutAnInstanceStillGivesZero) {
  ExpressionPart part;
  part.Args = {I(5), I(0)};
  part.Result = I(99);
  Divide_Int(part);
  EXPECT_EQ(Read<int32_t>(part.Result), 0);
  EXPECT_EQ(instance.Error.Number, 0);
}

}  // namespace
}  // namespace QuorbNameSpace
