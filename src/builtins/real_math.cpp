// Real math built-ins: thin wrappers over the standard math library.
#include "builtins/real_math.h"

#include <cfenv>
#include <cmath>
#include <cstdint>

#include "builtins/c_math.h"
#include "builtins/callback_args.h"
#include "builtins/integral_rounding.h"

namespace QuorbNameSpace {

// A NaN made from arguments that are not NaN is an invalid operation. Some
// C libraries return it without raising the flag (mingw-w64's sqrt and log
// of a negative number), so the flag is raised here and every build reports
// the same error for the same expression.
static inline double Checked(double result, double x) {
  if (std::isnan(result) && !std::isnan(x)) std::feraiseexcept(FE_INVALID);
  return result;
}
static inline double Checked(double result, double x, double y) {
  if (std::isnan(result) && !std::isnan(x) && !std::isnan(y)) std::feraiseexcept(FE_INVALID);
  return result;
}

// Most callbacks here compute a Double from Double arguments through one of
// these value functions; a fused run of steps calls the same functions
// (RealValueFunctionOf), so both compute exactly the same.
template <double (*F)(double)>
static inline void Unary(ExpressionPart& part) {
  ResultDouble(part) = F(ArgDouble(part, 0));
}
template <double (*F)(double, double)>
static inline void Binary(ExpressionPart& part) {
  ResultDouble(part) = F(ArgDouble(part, 0), ArgDouble(part, 1));
}

static double CosOf(double x) { return Checked(CMath::cos(x), x); }
void Cos(ExpressionPart& part) { Unary<CosOf>(part); }
static double SinOf(double x) { return Checked(CMath::sin(x), x); }
void Sin(ExpressionPart& part) { Unary<SinOf>(part); }
static double TanOf(double x) { return Checked(CMath::tan(x), x); }
void Tan(ExpressionPart& part) { Unary<TanOf>(part); }
static double AcosOf(double x) { return Checked(CMath::acos(x), x); }
void Acos(ExpressionPart& part) { Unary<AcosOf>(part); }
static double AsinOf(double x) { return Checked(CMath::asin(x), x); }
void Asin(ExpressionPart& part) { Unary<AsinOf>(part); }
static double AtanOf(double x) { return CMath::atan(x); }
void Atan(ExpressionPart& part) { Unary<AtanOf>(part); }
static double Atan2Of(double x, double y) { return CMath::atan2(x, y); }
void Atan2(ExpressionPart& part) { Binary<Atan2Of>(part); }
static double CoshOf(double x) { return CMath::cosh(x); }
void Cosh(ExpressionPart& part) { Unary<CoshOf>(part); }
static double SinhOf(double x) { return CMath::sinh(x); }
void Sinh(ExpressionPart& part) { Unary<SinhOf>(part); }
static double TanhOf(double x) { return CMath::tanh(x); }
void Tanh(ExpressionPart& part) { Unary<TanhOf>(part); }
static double AcoshOf(double x) { return Checked(CMath::acosh(x), x); }
void Acosh(ExpressionPart& part) { Unary<AcoshOf>(part); }
static double AsinhOf(double x) { return CMath::asinh(x); }
void Asinh(ExpressionPart& part) { Unary<AsinhOf>(part); }
static double AtanhOf(double x) { return Checked(CMath::atanh(x), x); }
void Atanh(ExpressionPart& part) { Unary<AtanhOf>(part); }

static double ExpOf(double x) { return CMath::exp(x); }
void Exp(ExpressionPart& part) { Unary<ExpOf>(part); }

// The second outputs of Frexp, Modf and Remquo go to the storage their
// pointer argument designates (ArgPointee): the variable whose address the
// caller passed, never the pointer's own cell. They are computed into locals
// first so that an output aliasing an input cannot change what the function
// sees.
void Frexp(ExpressionPart& part) {
  int exponent = 0;
  const double mantissa = std::frexp(ArgDouble(part, 0), &exponent);
  ResultDouble(part) = mantissa;
  if (int32_t* target = ArgPointee<int32_t>(part, 1)) *target = exponent;
}

void Ldexp(ExpressionPart& part) { ResultDouble(part) = std::ldexp(ArgDouble(part, 0), ArgInt(part, 1)); }
static double LogOf(double x) { return Checked(CMath::log(x), x); }
void Log(ExpressionPart& part) { Unary<LogOf>(part); }
static double Log10Of(double x) { return Checked(CMath::log10(x), x); }
void Log10(ExpressionPart& part) { Unary<Log10Of>(part); }

void Modf(ExpressionPart& part) {
  double integral = 0;
  const double fraction = std::modf(ArgDouble(part, 0), &integral);
  ResultDouble(part) = fraction;
  if (double* target = ArgPointee<double>(part, 1)) *target = integral;
}

static double Exp2Of(double x) { return CMath::exp2(x); }
void Exp2(ExpressionPart& part) { Unary<Exp2Of>(part); }
static double Expm1Of(double x) { return CMath::expm1(x); }
void Expm1(ExpressionPart& part) { Unary<Expm1Of>(part); }
// Zero, infinity and NaN have no binary exponent: an invalid operation, as
// the GNU C library reports it, with its answers (C libraries differ in
// both: some raise nothing, Android's answers are other numbers).
static double IlogbOf(double x) {
  if (x == 0 || std::isnan(x)) {
    std::feraiseexcept(FE_INVALID);
    return static_cast<double>(INT32_MIN);
  }
  if (std::isinf(x)) {
    std::feraiseexcept(FE_INVALID);
    return static_cast<double>(INT32_MAX);
  }
  return static_cast<double>(std::ilogb(x));
}
void Ilogb(ExpressionPart& part) { ResultDouble(part) = IlogbOf(ArgDouble(part, 0)); }
static double Log1pOf(double x) { return Checked(CMath::log1p(x), x); }
void Log1p(ExpressionPart& part) { Unary<Log1pOf>(part); }
static double Log2Of(double x) { return Checked(CMath::log2(x), x); }
void Log2(ExpressionPart& part) { Unary<Log2Of>(part); }
void Logb(ExpressionPart& part) { ResultDouble(part) = CMath::logb(ArgDouble(part, 0)); }
void Scalbn(ExpressionPart& part) { ResultDouble(part) = std::scalbn(ArgDouble(part, 0), ArgInt(part, 1)); }
void Scalbln(ExpressionPart& part) {
  ResultDouble(part) = std::scalbln(ArgDouble(part, 0), static_cast<long>(ArgInt(part, 1)));
}

void Pow_Int(ExpressionPart& part) {
  ResultDouble(part) = CMath::pow(ArgDouble(part, 0), static_cast<double>(ArgInt(part, 1)));
}
static double PowOf(double x, double y) { return Checked(CMath::pow(x, y), x, y); }
void Pow(ExpressionPart& part) { Binary<PowOf>(part); }
static double SqrtOf(double x) { return Checked(CMath::sqrt(x), x); }
void Sqrt(ExpressionPart& part) { Unary<SqrtOf>(part); }
static double CbrtOf(double x) { return CMath::cbrt(x); }
void Cbrt(ExpressionPart& part) { Unary<CbrtOf>(part); }
static double HypotOf(double x, double y) { return CMath::hypot(x, y); }
void Hypot(ExpressionPart& part) { Binary<HypotOf>(part); }

static double ErfOf(double x) { return CMath::erf(x); }
void Erf(ExpressionPart& part) { Unary<ErfOf>(part); }
static double ErfcOf(double x) { return CMath::erfc(x); }
void Erfc(ExpressionPart& part) { Unary<ErfcOf>(part); }
static double TgammaOf(double x) { return Checked(CMath::tgamma(x), x); }
void Tgamma(ExpressionPart& part) { Unary<TgammaOf>(part); }
static double LgammaOf(double x) { return Checked(CMath::lgamma(x), x); }
void Lgamma(ExpressionPart& part) { Unary<LgammaOf>(part); }

static double CeilOf(double x) { return CeilWithoutFlags(x); }
void Ceil(ExpressionPart& part) { Unary<CeilOf>(part); }
static double FloorOf(double x) { return FloorWithoutFlags(x); }
void Floor(ExpressionPart& part) { Unary<FloorOf>(part); }
static double FmodOf(double x, double y) { return Checked(CMath::fmod(x, y), x, y); }
void Fmod(ExpressionPart& part) { Binary<FmodOf>(part); }
static double TruncOf(double x) { return TruncWithoutFlags(x); }
void Trunc(ExpressionPart& part) { Unary<TruncOf>(part); }
static double RoundOf(double x) { return RoundWithoutFlags(x); }
void Round(ExpressionPart& part) { Unary<RoundOf>(part); }

// The integer the rounding functions answer when the rounded value does not
// fit in 64 bits, NaN included.
static constexpr int64_t OutOfRangeInteger = INT64_MIN;

// Whether every rounding of x fits a signed 64-bit integer: doubles in
// [-2^63, 2^63) are already integers from 2^52 on, so none rounds out.
static inline bool FitsInt64(double x) { return x >= -0x1p63 && x < 0x1p63; }

// The low 32 bits of a 64-bit integer as a signed Int.
static inline int32_t Low32(int64_t value) { return AsInt32(static_cast<uint32_t>(static_cast<uint64_t>(value))); }

// The library call runs even out of range, so that it raises the invalid
// flag; only its answer is replaced.
static inline int64_t RoundToInt64(double x) {
  const long long rounded = std::llround(x);
  return FitsInt64(x) ? static_cast<int64_t>(rounded) : OutOfRangeInteger;
}

static inline int64_t RintToInt64(double x) {
  const long long rounded = std::llrint(x);
  return FitsInt64(x) ? static_cast<int64_t>(rounded) : OutOfRangeInteger;
}

void Lround(ExpressionPart& part) { ResultInt(part) = Low32(RoundToInt64(ArgDouble(part, 0))); }
void Llround(ExpressionPart& part) { ResultInt64(part) = RoundToInt64(ArgDouble(part, 0)); }
void Rint(ExpressionPart& part) { ResultDouble(part) = std::rint(ArgDouble(part, 0)); }
void Lrint(ExpressionPart& part) { ResultInt(part) = Low32(RintToInt64(ArgDouble(part, 0))); }
void Llrint(ExpressionPart& part) { ResultInt64(part) = RintToInt64(ArgDouble(part, 0)); }
void Nearbyint(ExpressionPart& part) { ResultDouble(part) = std::nearbyint(ArgDouble(part, 0)); }
void Remainder(ExpressionPart& part) {
  ResultDouble(part) = std::remainder(ArgDouble(part, 0), ArgDouble(part, 1));
}

void Remquo(ExpressionPart& part) {
  int quotient = 0;
  const double remainder = std::remquo(ArgDouble(part, 0), ArgDouble(part, 1), &quotient);
  ResultDouble(part) = remainder;
  if (int32_t* target = ArgPointee<int32_t>(part, 2)) *target = quotient;
}

void Copysign(ExpressionPart& part) {
  ResultDouble(part) = std::copysign(ArgDouble(part, 0), ArgDouble(part, 1));
}
void Nextafter(ExpressionPart& part) {
  ResultDouble(part) = std::nextafter(ArgDouble(part, 0), ArgDouble(part, 1));
}
void Nexttoward(ExpressionPart& part) {
  ResultDouble(part) = std::nexttoward(ArgDouble(part, 0), static_cast<long double>(ArgDouble(part, 1)));
}
void Fdim(ExpressionPart& part) { ResultDouble(part) = std::fdim(ArgDouble(part, 0), ArgDouble(part, 1)); }
void Fmax(ExpressionPart& part) { ResultDouble(part) = std::fmax(ArgDouble(part, 0), ArgDouble(part, 1)); }
void Fmin(ExpressionPart& part) { ResultDouble(part) = std::fmin(ArgDouble(part, 0), ArgDouble(part, 1)); }
static double AbsOf(double x) { return std::fabs(x); }
void Abs(ExpressionPart& part) { Unary<AbsOf>(part); }
static double FabsOf(double x) { return std::fabs(x); }
void Fabs(ExpressionPart& part) { Unary<FabsOf>(part); }

// Classification uses the library's predicates rather than ordered
// comparisons, which may raise the invalid flag on a NaN.
void Fpclassify(ExpressionPart& part) {
  int32_t kind = 4;
  switch (std::fpclassify(ArgDouble(part, 0))) {
    case FP_NAN: kind = 0; break;
    case FP_INFINITE: kind = 1; break;
    case FP_ZERO: kind = 2; break;
    case FP_SUBNORMAL: kind = 3; break;
    default: kind = 4; break;
  }
  ResultInt(part) = kind;
}

void Isfinite(ExpressionPart& part) { SetResultBool(part, std::isfinite(ArgDouble(part, 0))); }
void IsInf(ExpressionPart& part) { SetResultBool(part, std::isinf(ArgDouble(part, 0))); }
void IsNaN(ExpressionPart& part) { SetResultBool(part, std::isnan(ArgDouble(part, 0))); }
void IsNormal(ExpressionPart& part) { SetResultBool(part, std::isnormal(ArgDouble(part, 0))); }
void SignBit(ExpressionPart& part) { SetResultBool(part, std::signbit(ArgDouble(part, 0))); }

RealValueFunction RealValueFunctionOf(QuorbCallback callback) {
  static const struct {
    QuorbCallback callback;
    RealValueFunction function;
  } functions[] = {
      {&Cos, {&CosOf, nullptr}},
      {&Sin, {&SinOf, nullptr}},
      {&Tan, {&TanOf, nullptr}},
      {&Acos, {&AcosOf, nullptr}},
      {&Asin, {&AsinOf, nullptr}},
      {&Atan, {&AtanOf, nullptr}},
      {&Cosh, {&CoshOf, nullptr}},
      {&Sinh, {&SinhOf, nullptr}},
      {&Tanh, {&TanhOf, nullptr}},
      {&Acosh, {&AcoshOf, nullptr}},
      {&Asinh, {&AsinhOf, nullptr}},
      {&Atanh, {&AtanhOf, nullptr}},
      {&Exp, {&ExpOf, nullptr}},
      {&Log, {&LogOf, nullptr}},
      {&Log10, {&Log10Of, nullptr}},
      {&Exp2, {&Exp2Of, nullptr}},
      {&Expm1, {&Expm1Of, nullptr}},
      {&Log1p, {&Log1pOf, nullptr}},
      {&Log2, {&Log2Of, nullptr}},
      {&Sqrt, {&SqrtOf, nullptr}},
      {&Cbrt, {&CbrtOf, nullptr}},
      {&Erf, {&ErfOf, nullptr}},
      {&Erfc, {&ErfcOf, nullptr}},
      {&Tgamma, {&TgammaOf, nullptr}},
      {&Lgamma, {&LgammaOf, nullptr}},
      {&Ceil, {&CeilOf, nullptr}},
      {&Floor, {&FloorOf, nullptr}},
      {&Trunc, {&TruncOf, nullptr}},
      {&Round, {&RoundOf, nullptr}},
      {&Abs, {&AbsOf, nullptr}},
      {&Fabs, {&FabsOf, nullptr}},
      {&Atan2, {nullptr, &Atan2Of}},
      {&Pow, {nullptr, &PowOf}},
      {&Hypot, {nullptr, &HypotOf}},
      {&Fmod, {nullptr, &FmodOf}},
  };
  for (const auto& entry : functions)
    if (entry.callback == callback) return entry.function;
  return {};
}

}  // namespace QuorbNameSpace
