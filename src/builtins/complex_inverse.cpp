// The complex inverse functions, from the real functions of c_math.h: the
// arcsine and arccosine by Hull, Fairgrieve and Tang's method (the real
// part from x / A, the imaginary part from A = (|z + 1| + |z - 1|) / 2,
// each formed so that nothing cancels), the arctangent by Kahan's, and the
// hyperbolic ones from those by quarter turns; C's special values and
// branch cuts.
#include <algorithm>
#include <cfenv>
#include <cfloat>
#include <cmath>

#include "builtins/c_math.h"
#include "builtins/complex_math.h"

namespace QuorbNameSpace {
namespace ComplexMath {

namespace {
const double kPi = 3.141592653589793;
const double kHalfPi = 1.5707963267948966;
const double kQuarterPi = 0.7853981633974483;
const double kThreeQuarterPi = 2.356194490192345;
const double kLn2 = 0.6931471805599453;
// Where the real part's direct formula (asin or acos of x / A) gives way to
// the inverse tangent, and the imaginary part's log1p to log.
const double kRealCross = 0.6417, kImagCross = 1.5;

// The parts of asin and acos of x + iy for x >= 0, y >= 0 (finite, not both
// zero) that Hull, Fairgrieve and Tang's method shares. asin(x + iy) is
// (AsinReal, Imag) and acos(x + iy) is (AcosReal, -Imag); AcosReal also
// takes a negative x (signed_x), for which it gives pi - acos(|x| + iy)
// without a rounding of its own.
class ArcParts {
 public:
  ArcParts(double x, double y) : x_(x), y_(y) {
    large_ = x >= 1 / DBL_EPSILON || y >= 1 / DBL_EPSILON;
    tiny_ = x < 0x1p-27 && y < 0x1p-27;
    if (large_ || tiny_) return;
    r_ = CMath::hypot(x + 1, y);
    s_ = CMath::hypot(x - 1, y);
    a_ = 0.5 * (r_ + s_);
    b_ = x / a_;
  }

  double AsinReal() const {
    if (large_) return CMath::atan2(x_, y_);
    if (tiny_) return x_;
    if (b_ <= kRealCross) return CMath::asin(b_);
    return CMath::atan2(x_, Adjacent());
  }

  double AcosReal(double signed_x) const {
    if (large_) return CMath::atan2(y_, signed_x);
    if (tiny_) return kHalfPi - signed_x;
    if (b_ <= kRealCross) return CMath::acos(std::copysign(b_, signed_x));
    return CMath::atan2(Adjacent(), signed_x);
  }

  // ln(A + sqrt(A^2 - 1)), through log1p of A - 1 near A = 1.
  double Imag() const {
    if (large_) return Log(Complex(x_, y_)).real() + kLn2;
    if (tiny_) return y_;
    if (a_ > kImagCross) return CMath::log(a_ + CMath::sqrt(a_ * a_ - 1));
    const double y2 = y_ * y_;
    double a_less_one, root;
    if (x_ < 1) {
      const double below = 1 / (r_ + (x_ + 1)), above = 1 / (s_ + (1 - x_));
      a_less_one = 0.5 * (y2 * below + y2 * above);
      // sqrt((A - 1)(A + 1)) with y taken out, so that a tiny y (whose
      // square is lost) still gives the imaginary part y / sqrt(1 - x^2).
      root = y_ * CMath::sqrt(0.5 * (a_ + 1) * (below + above));
    } else if (x_ == 1 && y_ < DBL_EPSILON * DBL_EPSILON) {
      return CMath::sqrt(y_);  // (A - 1) / 2 would lose bits of a subnormal y
    } else {
      a_less_one = 0.5 * (y2 / (r_ + (x_ + 1)) + (s_ + (x_ - 1)));
      root = CMath::sqrt(a_less_one * (a_ + 1));
    }
    return CMath::log1p(a_less_one + root);
  }

 private:
  // The side next to the angle whose tangent gives the real part:
  // x / tan(asin real part), formed without cancellation on either side of
  // x = 1.
  double Adjacent() const {
    const double half_sum = 0.5 * (a_ + x_);
    if (x_ <= 1) return CMath::sqrt(half_sum * (y_ * y_ / (r_ + (x_ + 1)) + (s_ + (1 - x_))));
    return y_ * CMath::sqrt(half_sum * (1 / (r_ + (x_ + 1)) + 1 / (s_ + (x_ - 1))));
  }

  double x_, y_;
  bool large_, tiny_;
  double r_ = 0, s_ = 0, a_ = 0, b_ = 0;
};

// acos(x + iy) for finite x, y not both zero.
Complex FiniteAcos(double x, double y) {
  const ArcParts parts(std::fabs(x), std::fabs(y));
  const double imag = parts.Imag();
  return Complex(parts.AcosReal(x), std::signbit(y) ? imag : -imag);
}
}  // namespace

Complex Asinh(Complex z) {
  const double x = z.real(), y = z.imag();
  if (!std::isfinite(x) || !std::isfinite(y)) {
    if (std::isinf(y))
      return Complex(std::copysign(HUGE_VAL, x),
                     std::isnan(x) ? NAN : std::copysign(std::isfinite(x) ? kHalfPi : kQuarterPi, y));
    if (std::isinf(x)) return Complex(x, std::isnan(y) ? NAN : std::copysign(0.0, y));
    if (std::isnan(x)) return Complex(x, y == 0 ? y : NAN);
    return Complex(NAN, NAN);
  }
  if (x == 0 && y == 0) return z;
  // asinh(x + iy) is asin(y + ix) with its parts swapped.
  const ArcParts parts(std::fabs(y), std::fabs(x));
  return Complex(std::copysign(parts.Imag(), x), std::copysign(parts.AsinReal(), y));
}

Complex Asin(Complex z) {
  const double x = z.real(), y = z.imag();
  if (std::isnan(x) || std::isnan(y)) {
    if (x == 0) return z;
    if (std::isinf(x) || std::isinf(y)) return Complex(NAN, std::copysign(HUGE_VAL, y));
    return Complex(NAN, NAN);
  }
  const Complex w = Asinh(Complex(-y, x));
  return Complex(w.imag(), -w.real());
}

Complex Acos(Complex z) {
  const double x = z.real(), y = z.imag();
  if (std::isfinite(x) && std::isfinite(y) && (x != 0 || y != 0)) return FiniteAcos(x, y);
  const Complex w = Asin(z);
  const double real = kHalfPi - w.real();
  return Complex(real == 0 ? 0.0 : real, -w.imag());
}

Complex Acosh(Complex z) {
  const double x = z.real(), y = z.imag();
  if (!std::isfinite(x) || !std::isfinite(y)) {
    if (std::isinf(y)) {
      if (std::isnan(x)) return Complex(HUGE_VAL, NAN);
      const double angle = std::isinf(x) ? (x < 0 ? kThreeQuarterPi : kQuarterPi) : kHalfPi;
      return Complex(HUGE_VAL, std::copysign(angle, y));
    }
    if (std::isinf(x)) return Complex(HUGE_VAL, std::isnan(y) ? NAN : std::copysign(std::signbit(x) ? kPi : 0.0, y));
    if (x == 0) return Complex(NAN, kHalfPi);  // as C gives acosh(+-0 + i NaN)
    return Complex(NAN, NAN);
  }
  if (x == 0 && y == 0) return Complex(0.0, std::copysign(kHalfPi, y));
  // acosh z is +-i acos z, whichever has a real part >= 0.
  const Complex w = FiniteAcos(x, y);
  return Complex(std::fabs(w.imag()), std::copysign(w.real(), y));
}

namespace {
// ln |(1 + z) / (1 - z)| / 2 for |x|, |y| < 16 / DBL_EPSILON: log1p of
// 4x / |1 - z|^2 unless the ratio is small; at z = +-1 + tiny iy the
// logarithm of y (a y^2 would be lost).
double AtanhRealPart(double x, double y) {
  if (std::fabs(x) == 1 && std::fabs(y) < DBL_EPSILON * DBL_EPSILON)
    return std::copysign(0.5, x) * (kLn2 - CMath::log(std::fabs(y)));
  const double y2 = std::fabs(y) >= DBL_EPSILON * DBL_EPSILON ? y * y : 0;
  const double numerator = y2 + (1 + x) * (1 + x), denominator = y2 + (1 - x) * (1 - x);
  if (numerator / denominator < 0.5) return 0.25 * CMath::log(numerator / denominator);
  return 0.25 * CMath::log1p(4 * x / denominator);
}

// 1 - x^2 - y^2, without cancellation near the unit circle; +0 rather
// than -0 when it vanishes, for the angle taken of it.
double OneLessSquares(double x, double y) {
  const double big = std::max(std::fabs(x), std::fabs(y)), small = std::min(std::fabs(x), std::fabs(y));
  if (small < DBL_EPSILON / 2) {
    const double d = (1 - big) * (1 + big);
    return d == 0 ? 0.0 : d;
  }
  if (big >= 1 || (big < 0.75 && small < 0.5)) return (1 - big) * (1 + big) - small * small;
  return -SquaresMinusOne(big, small);
}

// atanh z for |x| or |y| >= 16 / DBL_EPSILON: the real part is 1 / z's.
Complex LargeAtanh(double x, double y) {
  double real;
  if (std::fabs(y) <= 1) {
    real = 1 / x;
  } else if (std::fabs(x) <= 1) {
    real = x / y / y;
  } else {
    const double h = CMath::hypot(x / 2, y / 2);
    real = x / h / h / 4;
  }
  return Complex(real, std::copysign(kHalfPi, y));
}
}  // namespace

// atanh(x + iy) = ln((1 + z) / (1 - z)) / 2: the real part from the
// modulus of the ratio, the imaginary part as the angle of
// 1 - |z|^2 + 2iy.
Complex Atanh(Complex z) {
  const double x = z.real(), y = z.imag();
  if (!std::isfinite(x) || !std::isfinite(y)) {
    if (std::isinf(y)) return Complex(std::copysign(0.0, x), std::copysign(kHalfPi, y));
    if (std::isinf(x) || x == 0) return Complex(std::copysign(0.0, x), std::isnan(y) ? NAN : std::copysign(kHalfPi, y));
    return Complex(NAN, NAN);
  }
  if (x == 0 && y == 0) return z;
  if (std::fabs(x) >= 16 / DBL_EPSILON || std::fabs(y) >= 16 / DBL_EPSILON) return LargeAtanh(x, y);
  return Complex(AtanhRealPart(x, y), 0.5 * CMath::atan2(2 * y, OneLessSquares(x, y)));
}

// atan z = i atanh(-iz): turned this way, the logarithm is taken of the
// ratio on the side C's catan takes it.
Complex Atan(Complex z) {
  const Complex w = Atanh(Complex(z.imag(), -z.real()));
  return Complex(-w.imag(), w.real());
}

}  // namespace ComplexMath
}  // namespace QuorbNameSpace
