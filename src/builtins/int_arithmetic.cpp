// 32-bit integer arithmetic and comparison.
#include "builtins/int_arithmetic.h"

#include <cstdint>

#include "builtins/callback_args.h"
#include "engine/errors.h"
#include "engine/quorb.h"

namespace QuorbNameSpace {

static inline uint32_t ArgBits(const ExpressionPart& part, size_t k) {
  return static_cast<uint32_t>(ArgInt(part, k));
}

void Add_Int(ExpressionPart& part) { ResultInt(part) = AsInt32(ArgBits(part, 0) + ArgBits(part, 1)); }
void Subtract_Int(ExpressionPart& part) { ResultInt(part) = AsInt32(ArgBits(part, 0) - ArgBits(part, 1)); }
void Multiply_Int(ExpressionPart& part) { ResultInt(part) = AsInt32(ArgBits(part, 0) * ArgBits(part, 1)); }

// The slow path of a zero divisor, kept out of the division itself.
static void DivisionByZero(ExpressionPart& part) {
  ResultInt(part) = 0;
  if (Quorb* instance = OwnerOf(part)) instance->ErrorRaise(&part, ErrDivisionByZero);
}

void Divide_Int(ExpressionPart& part) {
  const int32_t x = ArgInt(part, 0);
  const int32_t y = ArgInt(part, 1);
  if (y == 0) return DivisionByZero(part);
  // -2147483648 / -1 overflows (and traps on x86); negating in unsigned
  // arithmetic wraps it to itself instead.
  ResultInt(part) = y == -1 ? AsInt32(0u - static_cast<uint32_t>(x)) : x / y;
}

void Modulo_Int(ExpressionPart& part) {
  const int32_t x = ArgInt(part, 0);
  const int32_t y = ArgInt(part, 1);
  if (y == 0) return DivisionByZero(part);
  // Every remainder by -1 is 0; computing it would trap for -2147483648.
  ResultInt(part) = y == -1 ? 0 : x % y;
}

void Equal_Int(ExpressionPart& part) { SetResultBool(part, ArgInt(part, 0) == ArgInt(part, 1)); }
void NotEqual_Int(ExpressionPart& part) { SetResultBool(part, ArgInt(part, 0) != ArgInt(part, 1)); }
void LessThan_Int(ExpressionPart& part) { SetResultBool(part, ArgInt(part, 0) < ArgInt(part, 1)); }
void GreaterThan_Int(ExpressionPart& part) { SetResultBool(part, ArgInt(part, 0) > ArgInt(part, 1)); }
void LessThanOrEqual_Int(ExpressionPart& part) { SetResultBool(part, ArgInt(part, 0) <= ArgInt(part, 1)); }
void GreaterThanOrEqual_Int(ExpressionPart& part) { SetResultBool(part, ArgInt(part, 0) >= ArgInt(part, 1)); }

}  // namespace QuorbNameSpace
