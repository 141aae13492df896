// Which library steps are known to leave the x87 status word alone.
#include "engine/fp_status.h"

#include <algorithm>
#include <vector>

#include "builtins/bitwise.h"
#include "builtins/comparisons.h"
#include "builtins/complex_arithmetic.h"
#include "builtins/complex_functions.h"
#include "builtins/core_callbacks.h"
#include "builtins/double_arithmetic.h"
#include "builtins/int_arithmetic.h"
#include "builtins/real_math.h"

namespace QuorbNameSpace {

// Steps that compute in double, float or integer registers only. Nexttoward
// is left out (it computes in long double), and so is every step that runs
// other steps or host code: a function body, a ByExpr argument, a callback.
static const QuorbCallback SseOnlySteps[] = {
    // Assignment, conversion and dereference.
    &SetVar, &ConvertPartFunc, &ValueAt,
    // Arithmetic and comparisons.
    &Add, &Subtract, &Multiply, &Divide, &UnaryPlus, &UnaryMinus, &Factorial,
    &Add_Int, &Subtract_Int, &Multiply_Int, &Divide_Int, &Modulo_Int, &Equal_Int, &NotEqual_Int, &LessThan_Int,
    &GreaterThan_Int, &LessThanOrEqual_Int, &GreaterThanOrEqual_Int,
    &Equal_Str, &NotEqual_Str, &LessThan_Str, &GreaterThan_Str, &LessThanOrEqual_Str, &GreaterThanOrEqual_Str,
    &Equal, &NotEqual, &LessThan, &GreaterThan, &LessThanOrEqual, &GreaterThanOrEqual, &Boolean_Not,
    &Bitwise_Not, &Bitwise_And, &Bitwise_Or, &Bitwise_Xor, &Bitwise_Shl, &Bitwise_Shr,
    // Real functions.
    &Cos, &Sin, &Tan, &Acos, &Asin, &Atan, &Atan2, &Cosh, &Sinh, &Tanh, &Acosh, &Asinh, &Atanh, &Exp, &Frexp,
    &Ldexp, &Log, &Log10, &Modf, &Exp2, &Expm1, &Ilogb, &Log1p, &Log2, &Logb, &Scalbn, &Scalbln, &Pow_Int, &Pow,
    &Sqrt, &Cbrt, &Hypot, &Erf, &Erfc, &Tgamma, &Lgamma, &Ceil, &Floor, &Fmod, &Trunc, &Round, &Lround, &Llround,
    &Rint, &Lrint, &Llrint, &Nearbyint, &Remainder, &Remquo, &Copysign, &Nextafter, &Fdim, &Fmax, &Fmin, &Abs,
    &Fabs, &Fpclassify, &Isfinite, &IsInf, &IsNaN, &IsNormal, &SignBit,
    // Complex arithmetic and functions.
    &Complex_Add, &Complex_AddA, &Complex_AddB, &Complex_Subtract, &Complex_SubtractA, &Complex_SubtractB,
    &Complex_Multiply, &Complex_Divide, &Complex_DivideB, &Complex_MultiplyA, &Complex_MultiplyB,
    &Complex_DivideA, &Complex_Equal, &Complex_NotEqual,
    &Complex_Real, &Complex_Imag, &Complex_Abs, &Complex_Arg, &Complex_Norm, &Complex_Conj, &Complex_Polar,
    &Complex_Proj, &Pow_Complex, &Cos_Complex, &Cosh_Complex, &Exp_Complex, &Log_Complex, &Log10_Complex,
    &Sin_Complex, &Sinh_Complex, &Sqrt_Complex, &Tan_Complex, &Tanh_Complex, &Acos_Complex, &Acosh_Complex,
    &Asin_Complex, &Asinh_Complex, &Atan_Complex, &Atanh_Complex,
};

// Sorted by address once per process; callback addresses compare as
// integers, which std::less defines for unrelated pointers.
static const std::vector<QuorbCallback>& SortedSseOnlySteps() {
  static const std::vector<QuorbCallback>* sorted = [] {
    auto* steps = new std::vector<QuorbCallback>(std::begin(SseOnlySteps), std::end(SseOnlySteps));
    std::sort(steps->begin(), steps->end(), std::less<QuorbCallback>());
    return steps;
  }();
  return *sorted;
}

bool StepMayUseX87(QuorbCallback callback) {
  const std::vector<QuorbCallback>& steps = SortedSseOnlySteps();
  return !std::binary_search(steps.begin(), steps.end(), callback, std::less<QuorbCallback>());
}

}  // namespace QuorbNameSpace
