// Real math built-ins: thin wrappers over the standard math library.
#include "builtins/real_math.h"

#include <cfenv>
#include <cmath>
#include <cstdint>

#include "builtins/callback_args.h"

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

void Cos(ExpressionPart& part) { ResultDouble(part) = Checked(std::cos(ArgDouble(part, 0)), ArgDouble(part, 0)); }
void Sin(ExpressionPart& part) { ResultDouble(part) = Checked(std::sin(ArgDouble(part, 0)), ArgDouble(part, 0)); }
void Tan(ExpressionPart& part) { ResultDouble(part) = Checked(std::tan(ArgDouble(part, 0)), ArgDouble(part, 0)); }
void Acos(ExpressionPart& part) { ResultDouble(part) = Checked(std::acos(ArgDouble(part, 0)), ArgDouble(part, 0)); }
void Asin(ExpressionPart& part) { ResultDouble(part) = Checked(std::asin(ArgDouble(part, 0)), ArgDouble(part, 0)); }
void Atan(ExpressionPart& part) { ResultDouble(part) = std::atan(ArgDouble(part, 0)); }
void Atan2(ExpressionPart& part) { ResultDouble(part) = std::atan2(ArgDouble(part, 0), ArgDouble(part, 1)); }
void Cosh(ExpressionPart& part) { ResultDouble(part) = std::cosh(ArgDouble(part, 0)); }
void Sinh(ExpressionPart& part) { ResultDouble(part) = std::sinh(ArgDouble(part, 0)); }
void Tanh(ExpressionPart& part) { ResultDouble(part) = std::tanh(ArgDouble(part, 0)); }
void Acosh(ExpressionPart& part) { ResultDouble(part) = Checked(std::acosh(ArgDouble(part, 0)), ArgDouble(part, 0)); }
void Asinh(ExpressionPart& part) { ResultDouble(part) = std::asinh(ArgDouble(part, 0)); }
void Atanh(ExpressionPart& part) { ResultDouble(part) = Checked(std::atanh(ArgDouble(part, 0)), ArgDouble(part, 0)); }

void Exp(ExpressionPart& part) { ResultDouble(part) = std::exp(ArgDouble(part, 0)); }

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
void Log(ExpressionPart& part) { ResultDouble(part) = Checked(std::log(ArgDouble(part, 0)), ArgDouble(part, 0)); }
void Log10(ExpressionPart& part) { ResultDouble(part) = Checked(std::log10(ArgDouble(part, 0)), ArgDouble(part, 0)); }

void Modf(ExpressionPart& part) {
  double integral = 0;
  const double fraction = std::modf(ArgDouble(part, 0), &integral);
  ResultDouble(part) = fraction;
  if (double* target = ArgPointee<double>(part, 1)) *target = integral;
}

void Exp2(ExpressionPart& part) { ResultDouble(part) = std::exp2(ArgDouble(part, 0)); }
void Expm1(ExpressionPart& part) { ResultDouble(part) = std::expm1(ArgDouble(part, 0)); }
void Ilogb(ExpressionPart& part) { ResultDouble(part) = static_cast<double>(std::ilogb(ArgDouble(part, 0))); }
void Log1p(ExpressionPart& part) { ResultDouble(part) = Checked(std::log1p(ArgDouble(part, 0)), ArgDouble(part, 0)); }
void Log2(ExpressionPart& part) { ResultDouble(part) = Checked(std::log2(ArgDouble(part, 0)), ArgDouble(part, 0)); }
void Logb(ExpressionPart& part) { ResultDouble(part) = std::logb(ArgDouble(part, 0)); }
void Scalbn(ExpressionPart& part) { ResultDouble(part) = std::scalbn(ArgDouble(part, 0), ArgInt(part, 1)); }
void Scalbln(ExpressionPart& part) {
  ResultDouble(part) = std::scalbln(ArgDouble(part, 0), static_cast<long>(ArgInt(part, 1)));
}

void Pow_Int(ExpressionPart& part) {
  ResultDouble(part) = std::pow(ArgDouble(part, 0), static_cast<double>(ArgInt(part, 1)));
}
void Pow(ExpressionPart& part) {
  const double x = ArgDouble(part, 0), y = ArgDouble(part, 1);
  ResultDouble(part) = Checked(std::pow(x, y), x, y);
}
void Sqrt(ExpressionPart& part) { ResultDouble(part) = Checked(std::sqrt(ArgDouble(part, 0)), ArgDouble(part, 0)); }
void Cbrt(ExpressionPart& part) { ResultDouble(part) = std::cbrt(ArgDouble(part, 0)); }
void Hypot(ExpressionPart& part) { ResultDouble(part) = std::hypot(ArgDouble(part, 0), ArgDouble(part, 1)); }

void Erf(ExpressionPart& part) { ResultDouble(part) = std::erf(ArgDouble(part, 0)); }
void Erfc(ExpressionPart& part) { ResultDouble(part) = std::erfc(ArgDouble(part, 0)); }
void Tgamma(ExpressionPart& part) { ResultDouble(part) = Checked(std::tgamma(ArgDouble(part, 0)), ArgDouble(part, 0)); }
void Lgamma(ExpressionPart& part) { ResultDouble(part) = Checked(std::lgamma(ArgDouble(part, 0)), ArgDouble(part, 0)); }

void Ceil(ExpressionPart& part) { ResultDouble(part) = std::ceil(ArgDouble(part, 0)); }
void Floor(ExpressionPart& part) { ResultDouble(part) = std::floor(ArgDouble(part, 0)); }
void Fmod(ExpressionPart& part) {
  const double x = ArgDouble(part, 0), y = ArgDouble(part, 1);
  ResultDouble(part) = Checked(std::fmod(x, y), x, y);
}
void Trunc(ExpressionPart& part) { ResultDouble(part) = std::trunc(ArgDouble(part, 0)); }
void Round(ExpressionPart& part) { ResultDouble(part) = std::round(ArgDouble(part, 0)); }

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
void Abs(ExpressionPart& part) { ResultDouble(part) = std::fabs(ArgDouble(part, 0)); }
void Fabs(ExpressionPart& part) { ResultDouble(part) = std::fabs(ArgDouble(part, 0)); }

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

}  // namespace QuorbNameSpace
