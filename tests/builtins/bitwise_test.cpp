// Bitwise operations: complement, And/Or on one-byte Bools and on 32-bit
// Ints, Xor, and shifts by the count modulo 32, checked against arithmetic
// references.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "builtin_call.h"
#include "builtins/bitwise.h"

namespace QuorbNameSpace {
namespace {

using BitwiseTest = BuiltinCall;

TEST_F(BitwiseTest, ComplementOfAnInt) {
  EXPECT_EQ(RunInt(&Bitwise_Not, {I(5)}), -6);
  EXPECT_EQ(RunInt(&Bitwise_Not, {I(-1)}), 0);
  EXPECT_EQ(RunInt(&Bitwise_Not, {I(INT32_MIN)}), INT32_MAX);
  // The infix form's second operand is not read.
  EXPECT_EQ(RunInt(&Bitwise_Not, {I(5), I(12345)}), -6);
}

TEST_F(BitwiseTest, IntAndOrXor) {
  EXPECT_EQ(RunInt(&Bitwise_And, {I(12), I(10)}), 8);
  EXPECT_EQ(RunInt(&Bitwise_Or, {I(12), I(10)}), 14);
  EXPECT_EQ(RunInt(&Bitwise_Xor, {I(12), I(10)}), 6);
  EXPECT_EQ(RunInt(&Bitwise_And, {I(-1), I(INT32_MIN)}), INT32_MIN) << "all 32 bits take part";
  EXPECT_EQ(RunInt(&Bitwise_Or, {I(0x7fff0000), I(0xffff)}), INT32_MAX);
  EXPECT_EQ(RunInt(&Bitwise_Xor, {I(-1), I(0x0f0f0f0f)}), ~0x0f0f0f0f);
}

// Bool cells are one byte: any non-zero byte is true, and the result byte is
// always 0 or 1. (The sanitizer catches a wider read or write.)
TEST_F(BitwiseTest, BoolAndOrWorkOnOneByteCells) {
  for (uint8_t x : {0, 1, 2}) {
    for (uint8_t y : {0, 1, 0x80}) {
      SCOPED_TRACE(testing::Message() << int(x) << " and " << int(y));
      EXPECT_EQ(RunBool(&Bitwise_And, {B(x), B(y)}), (x != 0 && y != 0) ? 1 : 0);
      EXPECT_EQ(RunBool(&Bitwise_Or, {B(x), B(y)}), (x != 0 || y != 0) ? 1 : 0);
    }
  }
}

// x * 2^n wrapped to 32 bits, and floor(x / 2^n): the shifts by arithmetic.
int32_t ShiftLeftReference(int32_t x, int n) {
  int64_t low = (static_cast<int64_t>(x) * (int64_t{1} << n)) % 4294967296LL;
  if (low < 0) low += 4294967296LL;
  return low >= 2147483648LL ? static_cast<int32_t>(low - 4294967296LL) : static_cast<int32_t>(low);
}
int32_t ShiftRightReference(int32_t x, int n) {
  const int64_t divisor = int64_t{1} << n;
  int64_t quotient = x / divisor;
  if (x % divisor != 0 && x < 0) --quotient;
  return static_cast<int32_t>(quotient);
}

TEST_F(BitwiseTest, ShiftsTakeTheCountModulo32) {
  EXPECT_EQ(RunInt(&Bitwise_Shl, {I(1), I(33)}), 2);
  EXPECT_EQ(RunInt(&Bitwise_Shl, {I(1), I(31)}), INT32_MIN);
  EXPECT_EQ(RunInt(&Bitwise_Shl, {I(1), I(-1)}), INT32_MIN) << "-1 counts as 31";
  EXPECT_EQ(RunInt(&Bitwise_Shr, {I(-8), I(1)}), -4);
  EXPECT_EQ(RunInt(&Bitwise_Shr, {I(8), I(33)}), 4);
  EXPECT_EQ(RunInt(&Bitwise_Shr, {I(INT32_MIN), I(31)}), -1) << "the sign fills in";
  for (int32_t x : {0, 1, -1, 5, -5, 0x12345678, -0x12345678, INT32_MAX, INT32_MIN}) {
    for (int32_t count : {0, 1, 3, 16, 31, 32, 35, 64, -1, -31, INT32_MIN, INT32_MAX}) {
      SCOPED_TRACE(testing::Message() << x << " by " << count);
      const int n = static_cast<int>(static_cast<uint32_t>(count) % 32u);
      EXPECT_EQ(RunInt(&Bitwise_Shl, {I(x), I(count)}), ShiftLeftReference(x, n));
      EXPECT_EQ(RunInt(&Bitwise_Shr, {I(x), I(count)}), ShiftRightReference(x, n));
    }
  }
}

}  // namespace
}  // namespace QuorbNameSpace
