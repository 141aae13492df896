// The library steps the parser may compute while parsing: pure numeric
// steps.
#include "engine/step_classes.h"

#include <algorithm>
#include <vector>

#include "builtins/bitwise.h"
#include "builtins/comparisons.h"
#include "builtins/complex_arithmetic.h"
#include "builtins/complex_functions.h"
#include "builtins/double_arithmetic.h"
#include "builtins/int_arithmetic.h"
#include "builtins/real_math.h"

namespace QuorbNameSpace {

// Pure numeric steps: the result depends on the argument values alone, no
// state is read or written and no error is raised through the instance.
// Steps of these with constant arguments may be computed while parsing.
static const QuorbCallback PureNumericSteps[] = {
    // Arithmetic and comparisons (the Int division and modulo raise error
    // 20 through the instance and are left out).
    &Add, &Subtract, &Multiply, &Divide, &UnaryPlus, &UnaryMinus, &Factorial,
    &Add_Int, &Subtract_Int, &Multiply_Int, &Equal_Int, &NotEqual_Int, &LessThan_Int, &GreaterThan_Int,
    &LessThanOrEqual_Int, &GreaterThanOrEqual_Int,
    &Equal, &NotEqual, &LessThan, &GreaterThan, &LessThanOrEqual, &GreaterThanOrEqual, &Boolean_Not,
    &Bitwise_Not, &Bitwise_And, &Bitwise_Or, &Bitwise_Xor, &Bitwise_Shl, &Bitwise_Shr,
    // Real functions (those writing through a pointer are left out).
    &Cos, &Sin, &Tan, &Acos, &Asin, &Atan, &Atan2, &Cosh, &Sinh, &Tanh, &Acosh, &Asinh, &Atanh, &Exp, &Ldexp,
    &Log, &Log10, &Exp2, &Expm1, &Ilogb, &Log1p, &Log2, &Logb, &Scalbn, &Scalbln, &Pow_Int, &Pow, &Sqrt, &Cbrt,
    &Hypot, &Erf, &Erfc, &Tgamma, &Lgamma, &Ceil, &Floor, &Fmod, &Trunc, &Round, &Lround, &Llround, &Rint,
    &Lrint, &Llrint, &Nearbyint, &Remainder, &Copysign, &Nextafter, &Fdim, &Fmax, &Fmin, &Abs, &Fabs,
    &Fpclassify, &Isfinite, &IsInf, &IsNaN, &IsNormal, &SignBit,
    // Complex arithmetic and functions.
    &Complex_Add, &Complex_AddA, &Complex_AddB, &Complex_Subtract, &Complex_SubtractA, &Complex_SubtractB,
    &Complex_Multiply, &Complex_Divide, &Complex_DivideB, &Complex_MultiplyA, &Complex_MultiplyB,
    &Complex_DivideA, &Complex_Equal, &Complex_NotEqual,
    &Complex_Real, &Complex_Imag, &Complex_Abs, &Complex_Arg, &Complex_Norm, &Complex_Conj, &Complex_Polar,
    &Complex_Proj, &Pow_Complex, &Cos_Complex, &Cosh_Complex, &Exp_Complex, &Log_Complex, &Log10_Complex,
    &Sin_Complex, &Sinh_Complex, &Sqrt_Complex, &Tan_Complex, &Tanh_Complex, &Acos_Complex, &Acosh_Complex,
    &Asin_Complex, &Asinh_Complex, &Atan_Complex, &Atanh_Complex,
};

using StepSet = std::vector<QuorbCallback>;

// The table sorted by address, built once per process; callback addresses
// compare through std::less, which orders unrelated pointers.
static StepSet* SortedPureSteps() {
  auto* steps = new StepSet(std::begin(PureNumericSteps), std::end(PureNumericSteps));
  std::sort(steps->begin(), steps->end(), std::less<QuorbCallback>());
  return steps;
}

bool IsPureNumericStep(QuorbCallback callback) {
  static const StepSet* pure = SortedPureSteps();
  return std::binary_search(pure->begin(), pure->end(), callback, std::less<QuorbCallback>());
}

}  // namespace QuorbNameSpace
