// The complex hyperbolic and circular functions, from the real functions of
// c_math.h, with C's special values: the circular ones are the hyperbolic
// ones turned by a quarter (sin z = -i sinh iz, cos z = cosh iz,
// tan z = -i tanh iz), signed zeros and flags included.
#include <cfenv>
#include <cfloat>
#include <cmath>

#include "builtins/c_math.h"
#include "builtins/complex_math.h"

namespace QuorbNameSpace {
namespace ComplexMath {

namespace {
// z turned by a quarter turn one way (i z) and back (-i z).
Complex TimesI(Complex z) { return Complex(-z.imag(), z.real()); }
Complex TimesMinusI(Complex z) { return Complex(z.imag(), -z.real()); }
}  // namespace

// sinh(x + iy) = sinh x cos y + i cosh x sin y.
Complex Sinh(Complex z) {
  const double x = z.real(), y = z.imag();
  const bool negative = std::signbit(x);
  if (std::isfinite(x)) {
    if (std::isfinite(y)) {
      double s, c;
      SinCos(y, s, c);
      if (negative) c = -c;
      if (std::fabs(x) > kExpLimit) return ExpTimes(std::fabs(x), c, s, 0.5);
      return Complex(CMath::sinh(std::fabs(x)) * c, CMath::cosh(x) * s);
    }
    if (x == 0) return Complex(x, y - y);
    std::feraiseexcept(FE_INVALID);
    return Complex(NAN, NAN);
  }
  if (std::isinf(x)) {
    if (std::isfinite(y) && y != 0) {
      double s, c;
      SinCos(y, s, c);
      return Complex(std::copysign(HUGE_VAL, c) * (negative ? -1 : 1), std::copysign(HUGE_VAL, s));
    }
    if (y == 0) return Complex(x, y);
    return Complex(HUGE_VAL, y - y);
  }
  return Complex(NAN, y == 0 ? y : NAN);
}

// cosh(x + iy) = cosh x cos y + i sinh x sin y.
Complex Cosh(Complex z) {
  const double x = z.real(), y = z.imag();
  if (std::isfinite(x)) {
    if (std::isfinite(y)) {
      double s, c;
      SinCos(y, s, c);
      if (std::signbit(x)) s = -s;
      if (std::fabs(x) > kExpLimit) return ExpTimes(std::fabs(x), c, s, 0.5);
      return Complex(CMath::cosh(x) * c, CMath::sinh(std::fabs(x)) * s);
    }
    return Complex(y - y, x == 0 ? 0.0 : NAN);
  }
  if (std::isinf(x)) {
    const double sign = std::copysign(1.0, x);
    if (std::isfinite(y) && y != 0) {
      double s, c;
      SinCos(y, s, c);
      return Complex(std::copysign(HUGE_VAL, c), std::copysign(HUGE_VAL, s) * sign);
    }
    if (y == 0) return Complex(HUGE_VAL, y * sign);
    return Complex(HUGE_VAL, y - y);
  }
  return Complex(NAN, y == 0 ? y : NAN);
}

const double kHalfExpLimit = 354;  // floor((DBL_MAX_EXP - 1) ln 2 / 2)

// tanh(x + iy) for |x| > kHalfExpLimit, from s = sin y and c = cos y: the
// real part is +-1 and the imaginary part 4 s c / e^(2|x|), divided in
// steps that cannot overflow.
static Complex LargeTanh(double x, double s, double c) {
  const double exp_twice_limit = CMath::exp(2 * kHalfExpLimit);
  const double rest = std::fabs(x) - kHalfExpLimit;
  double imag = 4 * s * c / exp_twice_limit;
  imag /= rest > kHalfExpLimit ? exp_twice_limit : CMath::exp(2 * rest);
  return Complex(std::copysign(1.0, x), imag);
}

// tanh(x + iy) = (sinh x cosh x + i sin y cos y) / (sinh^2 x + cos^2 y).
Complex Tanh(Complex z) {
  const double x = z.real(), y = z.imag();
  if (!std::isfinite(x) || !std::isfinite(y)) {
    if (std::isinf(x)) {
      if (std::isfinite(y) && std::fabs(y) > 1) {
        double s, c;
        SinCos(y, s, c);
        return Complex(std::copysign(1.0, x), std::copysign(0.0, s * c));
      }
      return Complex(std::copysign(1.0, x), std::copysign(0.0, y));
    }
    if (y == 0) return z;
    if (std::isinf(y)) std::feraiseexcept(FE_INVALID);
    return Complex(x == 0 ? x : NAN, NAN);
  }
  double s, c;
  SinCos(y, s, c);
  if (std::fabs(x) > kHalfExpLimit) return LargeTanh(x, s, c);
  double sinh_x = x, cosh_x = 1;
  if (std::fabs(x) > DBL_MIN) sinh_x = CMath::sinh(x), cosh_x = CMath::cosh(x);
  const double denominator =
      std::fabs(sinh_x) > std::fabs(c) * DBL_EPSILON ? sinh_x * sinh_x + c * c : c * c;
  return Complex(sinh_x * cosh_x / denominator, s * c / denominator);
}

// The quarter turn would leave sin(x + i inf) for an infinite or NaN x an
// imaginary infinity of the opposite sign; C leaves the sign open, and the
// GNU C library gives +inf whichever the signs.
Complex Sin(Complex z) {
  const Complex w = TimesMinusI(Sinh(TimesI(z)));
  if (!std::isfinite(z.real()) && std::isinf(z.imag())) return Complex(w.real(), HUGE_VAL);
  return w;
}
Complex Cos(Complex z) { return Cosh(TimesI(z)); }
Complex Tan(Complex z) { return TimesMinusI(Tanh(TimesI(z))); }

}  // namespace ComplexMath
}  // namespace QuorbNameSpace
