// Complex functions: thin wrappers over the standard complex math library.
#include "builtins/complex_functions.h"

#include <cmath>
#include <complex>

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
void Exp_Complex(ExpressionPart& part) { ResultComplex(part) = std::exp(ArgComplex(part, 0)); }
void Log_Complex(ExpressionPart& part) { ResultComplex(part) = std::log(ArgComplex(part, 0)); }
void Log10_Complex(ExpressionPart& part) {
  const double ln10 = 2.302585092994046;
  const Complex natural = std::log(ArgComplex(part, 0));
  ResultComplex(part) = Complex(natural.real() / ln10, natural.imag() / ln10);
}
void Sin_Complex(ExpressionPart& part) { ResultComplex(part) = std::sin(ArgComplex(part, 0)); }
void Sinh_Complex(ExpressionPart& part) { ResultComplex(part) = std::sinh(ArgComplex(part, 0)); }
void Sqrt_Complex(ExpressionPart& part) { ResultComplex(part) = std::sqrt(ArgComplex(part, 0)); }
void Tan_Complex(ExpressionPart& part) { ResultComplex(part) = std::tan(ArgComplex(part, 0)); }
void Tanh_Complex(ExpressionPart& part) { ResultComplex(part) = std::tanh(ArgComplex(part, 0)); }
void Acos_Complex(ExpressionPart& part) { ResultComplex(part) = std::acos(ArgComplex(part, 0)); }
void Acosh_Complex(ExpressionPart& part) { ResultComplex(part) = std::acosh(ArgComplex(part, 0)); }
void Asin_Complex(ExpressionPart& part) { ResultComplex(part) = std::asin(ArgComplex(part, 0)); }
void Asinh_Complex(ExpressionPart& part) { ResultComplex(part) = std::asinh(ArgComplex(part, 0)); }
void Atan_Complex(ExpressionPart& part) { ResultComplex(part) = std::atan(ArgComplex(part, 0)); }
void Atanh_Complex(ExpressionPart& part) { ResultComplex(part) = std::atanh(ArgComplex(part, 0)); }

}  // namespace QuorbNameSpace
