// The sum and the product of two Doubles as every Double step computes
// them: the step callbacks (builtins/double_arithmetic.h) and the fused
// runs of such steps (fused_steps.h) both call these, so that the two
// agree bit for bit.
#ifndef QUORB_ENGINE_DOUBLE_SUMS_H
#define QUORB_ENGINE_DOUBLE_SUMS_H

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

}  // namespace QuorbNameSpace

#endif  // QUORB_ENGINE_DOUBLE_SUMS_H
