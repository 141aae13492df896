// Bitwise operations on 32-bit Ints and one-byte Bools.
#include "builtins/bitwise.h"

#include <cstdint>

#include "builtins/callback_args.h"
#include "types/builtin_types.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

static inline bool IsBoolCell(const QuorbItem* item) {
  return item->DataType != nullptr && item->DataType->Index == TypeBoolean;
}

// Operand k as bits: a Bool as 0 or 1, anything else as a 32-bit Int.
static inline uint32_t OperandBits(const ExpressionPart& part, size_t k) {
  if (IsBoolCell(part.Args[k])) return ArgBool(part, k) ? 1u : 0u;
  return static_cast<uint32_t>(ArgInt(part, k));
}

static inline void WriteBits(const ExpressionPart& part, uint32_t bits) {
  if (IsBoolCell(part.Result)) SetResultBool(part, bits != 0);
  else ResultInt(part) = AsInt32(bits);
}

static inline uint32_t ShiftCount(const ExpressionPart& part) { return static_cast<uint32_t>(ArgInt(part, 1)) & 31u; }

void Bitwise_Not(ExpressionPart& part) { ResultInt(part) = AsInt32(~static_cast<uint32_t>(ArgInt(part, 0))); }
void Bitwise_And(ExpressionPart& part) { WriteBits(part, OperandBits(part, 0) & OperandBits(part, 1)); }
void Bitwise_Or(ExpressionPart& part) { WriteBits(part, OperandBits(part, 0) | OperandBits(part, 1)); }
void Bitwise_Xor(ExpressionPart& part) {
  ResultInt(part) = AsInt32(static_cast<uint32_t>(ArgInt(part, 0)) ^ static_cast<uint32_t>(ArgInt(part, 1)));
}

void Bitwise_Shl(ExpressionPart& part) {
  ResultInt(part) = AsInt32(static_cast<uint32_t>(ArgInt(part, 0)) << ShiftCount(part));
}

// A negative x is shifted as its complement, which is not negative, and
// complemented back: the sign fills in without an implementation-defined
// shift of a negative number.
void Bitwise_Shr(ExpressionPart& part) {
  const int32_t x = ArgInt(part, 0);
  const uint32_t count = ShiftCount(part);
  ResultInt(part) = x < 0 ? ~(~x >> count) : x >> count;
}

}  // namespace QuorbNameSpace
