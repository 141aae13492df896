// The complex exponential, logarithm, square root, power and projection,
// from the real functions of c_math.h.
#include <algorithm>
#include <cfenv>
#include <cfloat>
#include <cmath>

#include "builtins/c_math.h"
#include "builtins/complex_arithmetic.h"
#include "builtins/complex_math.h"

// Dekker's product below needs each operation rounded on its own: a fused
// multiply-add (clang contracts a * b - c where the target has one) would
// change the low part.
#ifdef __clang__
#pragma STDC FP_CONTRACT OFF
#endif

namespace QuorbNameSpace {
namespace ComplexMath {

namespace {
const double kPi = 3.141592653589793;
const double kLn2 = 0.6931471805599453;

// a * b as hi + lo exactly (Dekker's product through Veltkamp's split).
void ExactProduct(double a, double b, double& hi, double& lo) {
  const double split = 134217729.0;  // 2^27 + 1
  const double as = a * split, bs = b * split;
  const double ah = as - (as - a), al = a - ah;
  const double bh = bs - (bs - b), bl = b - bh;
  hi = a * b;
  lo = ((ah * bh - hi) + ah * bl + al * bh) + al * bl;
}

bool SmallerMagnitude(double a, double b) { return std::fabs(a) < std::fabs(b); }
}  // namespace

// The five exact terms x^2 (two), y^2 (two) and -1, summed smallest first,
// each step's rounding error carried into the next, so that only the last
// addition rounds.
double SquaresMinusOne(double x, double y) {
  double terms[5];
  ExactProduct(x, x, terms[1], terms[0]);
  ExactProduct(y, y, terms[3], terms[2]);
  terms[4] = -1.0;
  std::sort(terms, terms + 5, SmallerMagnitude);
  for (int i = 0; i < 4; ++i) {
    const double sum = terms[i + 1] + terms[i];
    terms[i] = (terms[i + 1] - sum) + terms[i];
    terms[i + 1] = sum;
    std::sort(terms + i + 1, terms + 5, SmallerMagnitude);
  }
  return terms[4] + terms[3] + terms[2] + terms[1] + terms[0];
}

void SinCos(double y, double& s, double& c) {
  if (std::fabs(y) > DBL_MIN) {
    s = CMath::sin(y), c = CMath::cos(y);
  } else {
    s = y, c = 1;
  }
}

Complex WithUnderflow(Complex result) {
  for (const double part : {result.real(), result.imag()}) {
    if (part != 0 && std::isless(std::fabs(part), DBL_MIN)) {  // quiet for a NaN
      volatile double square = part * part;
      (void)square;
    }
  }
  return result;
}

// e^kExpLimit is taken out of e^x once or twice before the rest, so that a
// product that c or s brings back into range stays finite, and one beyond
// it overflows only once.
Complex ExpTimes(double x, double c, double s, double scale) {
  const double exp_limit = CMath::exp(kExpLimit);
  for (int i = 0; i < 2 && x > kExpLimit; ++i) {
    x -= kExpLimit;
    const double factor = i == 0 ? exp_limit * scale : exp_limit;
    c *= factor, s *= factor;
  }
  if (x > kExpLimit) return Complex(DBL_MAX * c, DBL_MAX * s);
  const double e = CMath::exp(x);
  return Complex(e * c, e * s);
}

// e^(x+iy) = e^x (cos y + i sin y), with the infinities and NaNs of C's
// cexp.
Complex Exp(Complex z) {
  const double x = z.real(), y = z.imag();
  if (y == 0 && !std::isinf(x)) return Complex(CMath::exp(x), y);
  double s, c;
  if (std::isinf(x) && x < 0) {
    if (!std::isfinite(y)) return Complex(0.0, std::copysign(0.0, y));
    SinCos(y, s, c);
    return Complex(0.0 * c, 0.0 * s);
  }
  if (std::isinf(x)) {
    if (y == 0) return Complex(x, y);
    if (std::isnan(y)) return Complex(x, y);
    if (std::isinf(y)) {
      std::feraiseexcept(FE_INVALID);
      return Complex(x, y - y);
    }
    SinCos(y, s, c);
    return Complex(x * c, x * s);
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
  SinCos(y, s, c);
  return ExpTimes(x, c, s, 1);
}

// ln |z| + i arg z. Near the unit circle ln |z| is log1p of |z|^2 - 1
// formed without cancellation; far from it the modulus is scaled into range
// first. ln 0 is -inf with division by zero, as in C.
static double LogOfModulus(double x, double y) {
  double big = std::fabs(x), small = std::fabs(y);
  if (big < small) std::swap(big, small);
  int scale = 0;
  if (big > DBL_MAX / 2) {
    scale = -1;
    big = std::scalbn(big, -1);
    small = small >= 2 * DBL_MIN ? std::scalbn(small, -1) : 0;
  } else if (big < DBL_MIN && small < DBL_MIN) {
    scale = DBL_MANT_DIG;
    big = std::scalbn(big, scale);
    small = std::scalbn(small, scale);
  }
  if (scale == 0) {
    if (big == 1) return CMath::log1p(small * small) / 2;
    if (big > 1 && big < 2 && small < 1) {
      double squares_less_one = (big - 1) * (big + 1);
      if (small >= DBL_EPSILON) squares_less_one += small * small;
      return CMath::log1p(squares_less_one) / 2;
    }
    if (big < 1 && big >= 0.5 && small < DBL_EPSILON / 2) return CMath::log1p((big - 1) * (big + 1)) / 2;
    if (big < 1 && big >= 0.5 && big * big + small * small >= 0.5)
      return CMath::log1p(SquaresMinusOne(big, small)) / 2;
  }
  return CMath::log(CMath::hypot(big, small)) - scale * kLn2;
}

Complex Log(Complex z) {
  const double x = z.real(), y = z.imag();
  if (x == 0 && y == 0) return Complex(-1 / std::fabs(x), std::copysign(std::signbit(x) ? kPi : 0.0, y));
  if (std::isnan(x) || std::isnan(y))
    return Complex(std::isinf(x) || std::isinf(y) ? HUGE_VAL : NAN, NAN);
  return Complex(LogOfModulus(x, y), CMath::atan2(y, x));
}

// The principal square root from the real square root of (|x| + |z|) / 2,
// which loses nothing to cancellation, with C's csqrt's infinities and
// NaNs; arguments near the ends of the range are scaled by powers of 4.
Complex Sqrt(Complex z) {
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

Complex Pow(Complex z, Complex w) { return Exp(ComplexProduct(w, Log(z))); }

Complex Proj(Complex z) {
  if (std::isinf(z.real()) || std::isinf(z.imag())) return Complex(HUGE_VAL, std::copysign(0.0, z.imag()));
  return z;
}

}  // namespace ComplexMath
}  // namespace QuorbNameSpace
