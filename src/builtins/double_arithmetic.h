// Double arithmetic built-ins: the untyped operators + - * / on two Doubles,
// prefix + and -, and the postfix factorial. IEEE throughout: division by
// zero gives an infinity or NaN and raises a floating-point flag, which the
// evaluator turns into an error afterwards; nothing here raises an error.
#ifndef QUORB_BUILTINS_DOUBLE_ARITHMETIC_H
#define QUORB_BUILTINS_DOUBLE_ARITHMETIC_H

#include <cmath>
#include <cstdint>
#include <cstring>

namespace QuorbNameSpace {

// The result of x + y or x * y with the NaN fixed when both operands are
// NaNs: x's, quieted, as SSE and ARM give it for the operands in this
// order. The compiler is free to swap the operands of a commutative
// operation, and so to pick y's NaN in one place and x's in another; the
// step callbacks and fused runs both compute through the two functions
// below, so a fused run keeps its steps' NaN sign and payload. Out of
// line and cold: kept inline, compilers test both operands for NaN ahead
// of every sum and product.
#if defined(__GNUC__) || defined(__clang__)
__attribute__((noinline, cold))
#endif
inline double WithLeftNaN(double result, double x, double y) {
  if (!std::isnan(x) || !std::isnan(y)) return result;
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  bits |= 1ULL << 51;  // the quiet bit
  std::memcpy(&x, &bits, sizeof x);
  return x;
}
inline double AddDoubles(double x, double y) {
  const double sum = x + y;
  return sum == sum ? sum : WithLeftNaN(sum, x, y);
}
inline double MultiplyDoubles(double x, double y) {
  const double product = x * y;
  return product == product ? product : WithLeftNaN(product, x, y);
}

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
