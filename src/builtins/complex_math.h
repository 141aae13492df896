// The complex elementary functions as plain functions of a complex value,
// written out from the real functions of c_math.h so that every build (each
// C++ library computes std::sin of a complex differently) gives the same
// parts to the last bits, the same branch cuts and signed zeros, and the
// same floating-point flags: C's special values for infinite and NaN parts,
// invalid only where C raises it, division by zero for a logarithm of zero
// or a pole, overflow only where the result itself overflows.
// complex_exp_log.cpp: Exp, Log, Sqrt, Pow; complex_trig.cpp: Sinh, Cosh,
// Tanh, Sin, Cos, Tan; complex_inverse.cpp: the inverse functions. The
// callbacks over them are in complex_functions.h.
#ifndef QUORB_BUILTINS_COMPLEX_MATH_H
#define QUORB_BUILTINS_COMPLEX_MATH_H

#include <complex>

namespace QuorbNameSpace {
namespace ComplexMath {

using Complex = std::complex<double>;

Complex Exp(Complex z);
Complex Log(Complex z);   // the principal branch: imaginary part in [-pi, pi]
Complex Sqrt(Complex z);  // the principal root: real part >= 0
// Exp(w Log z), the product as C's complex multiplication forms it.
Complex Pow(Complex z, Complex w);
Complex Proj(Complex z);  // an infinite part gives (inf, +-0)

Complex Sinh(Complex z);
Complex Cosh(Complex z);
Complex Tanh(Complex z);
Complex Sin(Complex z);   // -i Sinh(iz)
Complex Cos(Complex z);   // Cosh(iz)
Complex Tan(Complex z);   // -i Tanh(iz)

Complex Asinh(Complex z);
Complex Asin(Complex z);  // -i Asinh(iz)
Complex Acos(Complex z);  // real part in [0, pi]
Complex Acosh(Complex z);  // real part >= 0
Complex Atanh(Complex z);
Complex Atan(Complex z);  // -i Atanh(iz)

// e^x (c + is) for x >= 0, finite unless the product itself is out of
// range, though e^x alone may be (above kExpLimit). For x > kExpLimit the
// product is also scaled by scale, taken in with e^kExpLimit so that a
// subnormal c or s loses no bits to it.
const double kExpLimit = 709;  // floor((DBL_MAX_EXP - 1) ln 2)
Complex ExpTimes(double x, double c, double s, double scale);

// sin y and cos y for finite y; a y below DBL_MIN is its own sine, with no
// underflow raised for it.
void SinCos(double y, double& s, double& c);

// result, having raised underflow if a part is subnormal, exact or not, as
// C's complex functions do (the functions above leave that to their
// callers, which apply it once to the final result).
Complex WithUnderflow(Complex result);


// x^2 + y^2 - 1 without cancellation, for 0 <= y <= x < 1 and
// x^2 + y^2 >= 1/2 (near the unit circle, where a logarithm of the modulus
// and the inverse tangent need it).
double SquaresMinusOne(double x, double y);

}  // namespace ComplexMath
}  // namespace QuorbNameSpace

#endif
