// Complex functions: wrappers over the standard complex math library,
// except the square root and the exponential, written out here from the
// real functions because C++ libraries differ most in them: libc++ takes
// the square root through polar form (Sqrt(-4) gets a real part of 1e-16),
// mingw-w64's exponential overflows where the result is finite.
#include "builtins/complex_functions.h"

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <complex>

#include "builtins/c_math.h"
#include "builtins/callback_args.h"

namespace QuorbNameSpace {

using Complex = std::complex<double>;

void Complex_Real(ExpressionPart& part) { ResultDouble(part) = ArgComplex(part, 0).real(); }
void Complex_Imag(ExpressionPart& part) { ResultDouble(part) = ArgComplex(part, 0).imag(); }
void Complex_Abs(ExpressionPart& part) { ResultDouble(part) = std::abs(ArgComplex(part, 0)); }
void Complex_Arg(ExpressionPart& part) {
  const Complex x = ArgComplex(part, 0);
  ResultDouble(part) = std::atan2(x.imag(), x.real());
}
// From the modulus, as hypot gives it, rather than re * re + im * im, which
// overflows early.
void Complex_Norm(ExpressionPart& part) {
  const double modulus = std::abs(ArgComplex(part, 0));
  ResultDouble(part) = modulus * modulus;
}
void Complex_Conj(ExpressionPart& part) {
  const Complex x = ArgComplex(part, 0);
  ResultComplex(part) = Complex(x.real(), -x.imag());
}
// Written out rather than std::polar, which leaves a negative modulus
// undefined.
void Complex_Polar(ExpressionPart& part) {
  const Complex x = ArgComplex(part, 0);
  const double modulus = x.real(), angle = x.imag();
  ResultComplex(part) = Complex(modulus * std::cos(angle), modulus * std::sin(angle));
}
void Complex_Proj(ExpressionPart& part) { ResultComplex(part) = std::proj(ArgComplex(part, 0)); }

void Pow_Complex(ExpressionPart& part) { ResultComplex(part) = std::pow(ArgComplex(part, 0), ArgComplex(part, 1)); }

void Cos_Complex(ExpressionPart& part) { ResultComplex(part) = std::cos(ArgComplex(part, 0)); }
void Cosh_Complex(ExpressionPart& part) { ResultComplex(part) = std::cosh(ArgComplex(part, 0)); }
// e^(x+iy) = e^x (cos y + i sin y), with the infinities and NaNs of C's
// cexp. A real part above the exponential's range is split in halves, so
// that a result whose cosine or sine brings it back in range is finite.
static Complex ExpOf(Complex z) {
  const double x = z.real(), y = z.imag();
  if (y == 0 && !std::isinf(x)) return Complex(CMath::exp(x), y);
  if (std::isinf(x) && x < 0) {
    if (!std::isfinite(y)) return Complex(0.0, std::copysign(0.0, y));
    return Complex(0.0 * std::cos(y), 0.0 * std::sin(y));
  }
  if (std::isinf(x)) {
    if (y == 0) return Complex(x, y);
    if (std::isnan(y)) return Complex(x, y);
    if (std::isinf(y)) {
      std::feraiseexcept(FE_INVALID);
      return Complex(x, y - y);
    }
    return Complex(x * CMath::cos(y), x * CMath::sin(y));
  }
  if (std::isnan(x) || std::isnan(y)) {
    // A NaN part met by a number is an invalid operation, as in C.
    if (!std::isnan(x) || !std::isnan(y)) std::feraiseexcept(FE_INVALID);
    return Complex(x + y, x + y);
  }
  if (std::isinf(y)) {
    std::feraiseexcept(FE_INVALID);
    return Complex(y - y, y - y);
  }
  const double c = CMath::cos(y), s = CMath::sin(y);
  if (x > 709) {
    const double half = CMath::exp(x / 2);
    return Complex(half * c * half, half * s * half);
  }
  const double e = CMath::exp(x);
  return Complex(e * c, e * s);
}
void Exp_Complex(ExpressionPart& part) { ResultComplex(part) = ExpOf(ArgComplex(part, 0)); }
void Log_Complex(ExpressionPart& part) { ResultComplex(part) = std::log(ArgComplex(part, 0)); }
void Log10_Complex(ExpressionPart& part) {
  const double ln10 = 2.302585092994046;
  const Complex natural = std::log(ArgComplex(part, 0));
  ResultComplex(part) = Complex(natural.real() / ln10, natural.imag() / ln10);
}
void Sin_Complex(ExpressionPart& part) { ResultComplex(part) = std::sin(ArgComplex(part, 0)); }
void Sinh_Complex(ExpressionPart& part) { ResultComplex(part) = std::sinh(ArgComplex(part, 0)); }
// The principal square root from the real square root of (|x| + |z|) / 2,
// which loses nothing to cancellation, with C's csqrt's infinities and
// NaNs; arguments near the ends of the range are scaled by powers of 4.
static Complex SqrtOf(Complex z) {
  double x = z.real(), y = z.imag();
  if (std::isinf(y)) return Complex(std::fabs(y), y);
  if (std::isnan(x)) return Complex(x, x + y);
  if (std::isinf(x)) {
    if (x > 0) return Complex(x, std::isnan(y) ? y : std::copysign(0.0, y));
    return Complex(std::isnan(y) ? y : 0.0, std::copysign(-x, y));
  }
  if (std::isnan(y)) return Complex(y, y);
  if (x == 0 && y == 0) return Complex(0.0, y);
  double unscale = 1;
  if (std::fabs(x) > DBL_MAX / 4 || std::fabs(y) > DBL_MAX / 4) {
    x *= 0.25, y *= 0.25, unscale = 2;
  } else if (std::fabs(x) < 4 * DBL_MIN && std::fabs(y) < 4 * DBL_MIN) {
    x *= 0x1p108, y *= 0x1p108, unscale = 0x1p-54;
  }
  const double t = CMath::sqrt((std::fabs(x) + CMath::hypot(x, y)) * 0.5);
  if (x >= 0) return Complex(t * unscale, y / (2 * t) * unscale);
  return Complex(std::fabs(y) / (2 * t) * unscale, std::copysign(t, y) * unscale);
}
void Sqrt_Complex(ExpressionPart& part) { ResultComplex(part) = SqrtOf(ArgComplex(part, 0)); }
void Tan_Complex(ExpressionPart& part) { ResultComplex(part) = std::tan(ArgComplex(part, 0)); }
void Tanh_Complex(ExpressionPart& part) { ResultComplex(part) = std::tanh(ArgComplex(part, 0)); }
void Acos_Complex(ExpressionPart& part) { ResultComplex(part) = std::acos(ArgComplex(part, 0)); }
void Acosh_Complex(ExpressionPart& part) { ResultComplex(part) = std::acosh(ArgComplex(part, 0)); }
void Asin_Complex(ExpressionPart& part) { ResultComplex(part) = std::asin(ArgComplex(part, 0)); }
void Asinh_Complex(ExpressionPart& part) { ResultComplex(part) = std::asinh(ArgComplex(part, 0)); }
void Atan_Complex(ExpressionPart& part) { ResultComplex(part) = std::atan(ArgComplex(part, 0)); }
void Atanh_Complex(ExpressionPart& part) { ResultComplex(part) = std::atanh(ArgComplex(part, 0)); }

}  // namespace QuorbNameSpace
