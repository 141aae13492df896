// Comparison built-ins on Strings and Doubles, and the logical not. All
// write a one-byte Bool. The Int comparisons are with the Int arithmetic
// (int_arithmetic.h), the Complex ones with the complex built-ins.
#ifndef QUORB_BUILTINS_COMPARISONS_H
#define QUORB_BUILTINS_COMPARISONS_H

namespace QuorbNameSpace {

class ExpressionPart;

// Strings, taken ByRef so that neither is copied. Order is byte order: the
// first differing byte decides as an unsigned value, and a string that is a
// prefix of the other comes first.
void Equal_Str(ExpressionPart& part);
void NotEqual_Str(ExpressionPart& part);
void LessThan_Str(ExpressionPart& part);
void GreaterThan_Str(ExpressionPart& part);
void LessThanOrEqual_Str(ExpressionPart& part);
void GreaterThanOrEqual_Str(ExpressionPart& part);

// Doubles, as IEEE orders them: every comparison with a NaN is false except
// NotEqual, which is true. The comparisons are the quiet ones: a NaN
// operand raises no floating-point flag.
void Equal(ExpressionPart& part);
void NotEqual(ExpressionPart& part);
void LessThan(ExpressionPart& part);
void GreaterThan(ExpressionPart& part);
void LessThanOrEqual(ExpressionPart& part);
void GreaterThanOrEqual(ExpressionPart& part);

// Prefix "!": reads a Double, true when it equals 0 (also -0); NaN is false.
void Boolean_Not(ExpressionPart& part);

}  // namespace QuorbNameSpace

#endif
