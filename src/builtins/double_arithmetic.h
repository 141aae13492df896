// Double arithmetic built-ins: the untyped operators + - * / on two Doubles,
// prefix + and -, and the postfix factorial. IEEE throughout: division by
// zero gives an infinity or NaN and raises a floating-point flag, which the
// evaluator turns into an error afterwards; nothing here raises an error.
#ifndef QUORB_BUILTINS_DOUBLE_ARITHMETIC_H
#define QUORB_BUILTINS_DOUBLE_ARITHMETIC_H

#include "engine/double_sums.h"

namespace QuorbNameSpace {

class ExpressionPart;

void Add(ExpressionPart& part);
void Subtract(ExpressionPart& part);
void Multiply(ExpressionPart& part);
void Divide(ExpressionPart& part);
void UnaryPlus(ExpressionPart& part);   // a copy of x
void UnaryMinus(ExpressionPart& part);  // x with its sign bit flipped (-0 for 0)

// 2 * 3 * ... * floor(x): 1 for x below 2, for a negative x and for NaN;
// +infinity (with the overflow flag) from 171 on. Ends for every x.
void Factorial(ExpressionPart& part);

}  // namespace QuorbNameSpace

#endif
