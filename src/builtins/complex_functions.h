// Complex functions: the parts of a Complex value (Real, Imag, Abs, Arg,
// Norm give a Double), Conj, Polar, Proj, the power and the sixteen
// elementary functions, each one call of a complex_math.h function, which
// gives C's values, branch cuts and signed zeros on every build. Nothing
// here raises an error: trouble (log of zero, overflow) shows only in the
// floating-point flags. The operators are in complex_arithmetic.h.
#ifndef QUORB_BUILTINS_COMPLEX_FUNCTIONS_H
#define QUORB_BUILTINS_COMPLEX_FUNCTIONS_H

namespace QuorbNameSpace {

class ExpressionPart;

void Complex_Real(ExpressionPart& part);
void Complex_Imag(ExpressionPart& part);
void Complex_Abs(ExpressionPart& part);   // the modulus
void Complex_Arg(ExpressionPart& part);   // atan2(im, re): -0 imaginary gives -pi on the negative axis
void Complex_Norm(ExpressionPart& part);  // the modulus squared
void Complex_Conj(ExpressionPart& part);
// Polar(x As Complex) declares one argument: its real part is the modulus
// and its imaginary part the angle, giving (r cos t, r sin t).
void Complex_Polar(ExpressionPart& part);
void Complex_Proj(ExpressionPart& part);  // projection onto the Riemann sphere

void Pow_Complex(ExpressionPart& part);   // x to the power y, both Complex

void Cos_Complex(ExpressionPart& part);
void Cosh_Complex(ExpressionPart& part);
void Exp_Complex(ExpressionPart& part);
void Log_Complex(ExpressionPart& part);    // the principal natural logarithm
void Log10_Complex(ExpressionPart& part);  // the natural logarithm over ln 10
void Sin_Complex(ExpressionPart& part);
void Sinh_Complex(ExpressionPart& part);
void Sqrt_Complex(ExpressionPart& part);   // the principal root
void Tan_Complex(ExpressionPart& part);
void Tanh_Complex(ExpressionPart& part);
void Acos_Complex(ExpressionPart& part);
void Acosh_Complex(ExpressionPart& part);
void Asin_Complex(ExpressionPart& part);
void Asinh_Complex(ExpressionPart& part);
void Atan_Complex(ExpressionPart& part);
void Atanh_Complex(ExpressionPart& part);

}  // namespace QuorbNameSpace

#endif
