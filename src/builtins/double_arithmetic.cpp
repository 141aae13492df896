// Double arithmetic and the factorial.
#include "builtins/double_arithmetic.h"

#include <cmath>

#include "builtins/callback_args.h"

namespace QuorbNameSpace {

void Add(ExpressionPart& part) { ResultDouble(part) = AddDoubles(ArgDouble(part, 0), ArgDouble(part, 1)); }
void Subtract(ExpressionPart& part) { ResultDouble(part) = ArgDouble(part, 0) - ArgDouble(part, 1); }
void Multiply(ExpressionPart& part) { ResultDouble(part) = MultiplyDoubles(ArgDouble(part, 0), ArgDouble(part, 1)); }
void Divide(ExpressionPart& part) { ResultDouble(part) = ArgDouble(part, 0) / ArgDouble(part, 1); }
void UnaryPlus(ExpressionPart& part) { ResultDouble(part) = ArgDouble(part, 0); }
// Negation flips the sign bit only; it never raises a flag, even for a NaN.
void UnaryMinus(ExpressionPart& part) { ResultDouble(part) = -ArgDouble(part, 0); }

// The operand is read again at every test and the product written back at
// once, so an operand that shares the result's storage sees each step, as
// it would in a loop written in the expression language. The loop also
// stops once the product is no longer finite: past 2^53 the counter stops
// growing, and by then (from 171 on) the product is +infinity anyway. The
// test is the quiet one, so a NaN operand raises no flag.
void Factorial(ExpressionPart& part) {
  double& result = ResultDouble(part);
  result = 1.0;
  for (double k = 2.0; std::isgreaterequal(ArgDouble(part, 0), k); k = k + 1.0) {
    result = result * k;
    if (!std::isfinite(result)) break;
  }
}

}  // namespace QuorbNameSpace
