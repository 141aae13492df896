// Complex arithmetic: the three operand variants of + - * /, equality, and
// the hand-written product and quotient that recover infinities.
#include "builtins/complex_arithmetic.h"

#include <cmath>

#include "builtins/callback_args.h"

namespace QuorbNameSpace {

using Complex = std::complex<double>;

// An infinite part as +-1 and a finite one as +-0, keeping the signs: the
// direction of an infinity, with which the recomputation below works.
static double BoxInfinity(double part) { return std::copysign(std::isinf(part) ? 1.0 : 0.0, part); }

// A NaN part as a zero of the same sign; any other part as it is.
static double NaNToZero(double part) { return std::isnan(part) ? std::copysign(0.0, part) : part; }

Complex ComplexProduct(Complex z, Complex w) {
  double a = z.real(), b = z.imag(), c = w.real(), d = w.imag();
  const double ac = a * c, bd = b * d, ad = a * d, bc = b * c;
  double x = ac - bd;
  double y = ad + bc;
  if (!std::isnan(x) || !std::isnan(y)) return Complex(x, y);

  bool recompute = false;
  if (std::isinf(a) || std::isinf(b)) {  // z is infinite
    a = BoxInfinity(a);
    b = BoxInfinity(b);
    c = NaNToZero(c);
    d = NaNToZero(d);
    recompute = true;
  }
  if (std::isinf(c) || std::isinf(d)) {  // w is infinite
    c = BoxInfinity(c);
    d = BoxInfinity(d);
    a = NaNToZero(a);
    b = NaNToZero(b);
    recompute = true;
  }
  if (!recompute && (std::isinf(ac) || std::isinf(bd) || std::isinf(ad) || std::isinf(bc))) {
    // A partial product overflowed: the NaN came from inf - inf.
    a = NaNToZero(a);
    b = NaNToZero(b);
    c = NaNToZero(c);
    d = NaNToZero(d);
    recompute = true;
  }
  if (recompute) {
    x = HUGE_VAL * (a * c - b * d);
    y = HUGE_VAL * (a * d + b * c);
  }
  return Complex(x, y);
}

// The compiler's own division of C complex numbers, the one <complex.h>
// code gets: its runtime's routine recovers infinities and zeros as the
// C standard's annex asks, and divides an infinite divisor's parts by a
// ratio instead of squaring them, so 1 / (inf + 0i) gives 0 without the
// invalid flag that inf / inf would raise.
Complex ComplexQuotient(Complex z, Complex w) {
  __complex__ double dividend, divisor;
  __real__ dividend = z.real();
  __imag__ dividend = z.imag();
  __real__ divisor = w.real();
  __imag__ divisor = w.imag();
  const __complex__ double quotient = dividend / divisor;
  return Complex(__real__ quotient, __imag__ quotient);
}

void Complex_Add(ExpressionPart& part) { ResultComplex(part) = ArgComplex(part, 0) + ArgComplex(part, 1); }
void Complex_AddA(ExpressionPart& part) {
  const Complex x = ArgComplex(part, 0);
  ResultComplex(part) = Complex(x.real() + ArgDouble(part, 1), x.imag());
}
void Complex_AddB(ExpressionPart& part) {
  const Complex y = ArgComplex(part, 1);
  ResultComplex(part) = Complex(ArgDouble(part, 0) + y.real(), y.imag());
}

void Complex_Subtract(ExpressionPart& part) { ResultComplex(part) = ArgComplex(part, 0) - ArgComplex(part, 1); }
void Complex_SubtractA(ExpressionPart& part) {
  const Complex x = ArgComplex(part, 0);
  ResultComplex(part) = Complex(x.real() - ArgDouble(part, 1), x.imag());
}
void Complex_SubtractB(ExpressionPart& part) {
  const Complex y = ArgComplex(part, 1);
  ResultComplex(part) = Complex(ArgDouble(part, 0) - y.real(), -y.imag());
}

void Complex_Multiply(ExpressionPart& part) {
  ResultComplex(part) = ComplexProduct(ArgComplex(part, 0), ArgComplex(part, 1));
}
void Complex_MultiplyA(ExpressionPart& part) {
  const Complex x = ArgComplex(part, 0);
  const double y = ArgDouble(part, 1);
  ResultComplex(part) = Complex(x.real() * y, x.imag() * y);
}
void Complex_MultiplyB(ExpressionPart& part) {
  const double x = ArgDouble(part, 0);
  const Complex y = ArgComplex(part, 1);
  ResultComplex(part) = Complex(x * y.real(), x * y.imag());
}

void Complex_Divide(ExpressionPart& part) {
  ResultComplex(part) = ComplexQuotient(ArgComplex(part, 0), ArgComplex(part, 1));
}
void Complex_DivideA(ExpressionPart& part) {
  const Complex x = ArgComplex(part, 0);
  const double y = ArgDouble(part, 1);
  ResultComplex(part) = Complex(x.real() / y, x.imag() / y);
}
void Complex_DivideB(ExpressionPart& part) {
  ResultComplex(part) = ComplexQuotient(Complex(ArgDouble(part, 0), 0.0), ArgComplex(part, 1));
}

static bool PartsEqual(const ExpressionPart& part) {
  const Complex x = ArgComplex(part, 0), y = ArgComplex(part, 1);
  return x.real() == y.real() && x.imag() == y.imag();
}
void Complex_Equal(ExpressionPart& part) { SetResultBool(part, PartsEqual(part)); }
void Complex_NotEqual(ExpressionPart& part) { SetResultBool(part, !PartsEqual(part)); }

}  // namespace QuorbNameSpace
