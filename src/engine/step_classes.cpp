// The classes of library steps the parser tells apart: pure numeric steps
// (may be computed while parsing) and steps that never use the x87 unit.
#include "engine/step_classes.h"

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
#include "engine/fused_steps.h"

namespace QuorbNameSpace {

// Pure numeric steps: the result depends on the argument values alone, no
// state is read or written, no error is raised through the instance and
// the arithmetic runs in SSE registers. Steps of these with constant
// arguments may be computed while parsing.
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

// The other steps that compute in SSE or integer registers only. Nexttoward
// is left out (it computes in long double), and so is every step that runs
// other steps or host code: a function body, a ByExpr argument, a callback.
static const QuorbCallback OtherSseOnlySteps[] = {
    &SetVar, &ConvertPartFunc, &ValueAt, &RunFusedDoubles, &Divide_Int, &Modulo_Int, &Frexp, &Modf, &Remquo,
    &Equal_Str, &NotEqual_Str, &LessThan_Str, &GreaterThan_Str, &LessThanOrEqual_Str, &GreaterThanOrEqual_Str,
};

// Sorted by address once per process; callback addresses compare as
// integers, which std::less defines for unrelated pointers.
using StepSet = std::vector<QuorbCallback>;

// Both tables sorted by address, built once per process; callback
// addresses compare through std::less, which orders unrelated pointers.
static StepSet* SortedSet(bool withOthers) {
  auto* steps = new StepSet(std::begin(PureNumericSteps), std::end(PureNumericSteps));
  if (withOthers) steps->insert(steps->end(), std::begin(OtherSseOnlySteps), std::end(OtherSseOnlySteps));
  std::sort(steps->begin(), steps->end(), std::less<QuorbCallback>());
  return steps;
}

static bool Contains(const StepSet& steps, QuorbCallback callback) {
  return std::binary_search(steps.begin(), steps.end(), callback, std::less<QuorbCallback>());
}

bool IsPureNumericStep(QuorbCallback callback) {
  static const StepSet* pure = SortedSet(false);
  return Contains(*pure, callback);
}

bool StepMayUseX87(QuorbCallback callback) {
  static const StepSet* sseOnly = SortedSet(true);
  return !Contains(*sseOnly, callback);
}

}  // namespace QuorbNameSpace
