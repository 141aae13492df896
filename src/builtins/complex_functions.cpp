// Complex functions: the callbacks over complex_math.h, whose functions
// are written out from the real functions of c_math.h rather than taken
// from std::complex, because C++ libraries differ in them: libc++ takes
// the square root through polar form (Sqrt(-4) gets a real part of 1e-16),
// mingw-w64's exponential and hyperbolic tangent overflow where the result
// is finite, and their inverse functions disagree in the last bits and in
// signed zeros.
#include "builtins/complex_functions.h"

#include <complex>

#include "builtins/c_math.h"
#include "builtins/callback_args.h"
#include "builtins/complex_math.h"

namespace QuorbNameSpace {

using Complex = std::complex<double>;

void Complex_Real(ExpressionPart& part) { ResultDouble(part) = ArgComplex(part, 0).real(); }
void Complex_Imag(ExpressionPart& part) { ResultDouble(part) = ArgComplex(part, 0).imag(); }
void Complex_Abs(ExpressionPart& part) {
  const Complex x = ArgComplex(part, 0);
  ResultDouble(part) = CMath::hypot(x.real(), x.imag());
}
void Complex_Arg(ExpressionPart& part) {
  const Complex x = ArgComplex(part, 0);
  ResultDouble(part) = CMath::atan2(x.imag(), x.real());
}
// From the modulus, as hypot gives it, rather than re * re + im * im, which
// overflows early.
void Complex_Norm(ExpressionPart& part) {
  const Complex x = ArgComplex(part, 0);
  const double modulus = CMath::hypot(x.real(), x.imag());
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
  ResultComplex(part) = Complex(modulus * CMath::cos(angle), modulus * CMath::sin(angle));
}
void Complex_Proj(ExpressionPart& part) { ResultComplex(part) = ComplexMath::Proj(ArgComplex(part, 0)); }

// The power and the elementary functions raise underflow for a subnormal
// part of their result, as C's complex functions do.
void Pow_Complex(ExpressionPart& part) {
  ResultComplex(part) = ComplexMath::WithUnderflow(ComplexMath::Pow(ArgComplex(part, 0), ArgComplex(part, 1)));
}

// Each elementary function's callback applies the complex_math.h function
// of its name to the one argument.
#define QUORB_COMPLEX_CALLBACK(name)                                                          \
  void name##_Complex(ExpressionPart& part) {                                                 \
    ResultComplex(part) = ComplexMath::WithUnderflow(ComplexMath::name(ArgComplex(part, 0))); \
  }
QUORB_COMPLEX_CALLBACK(Cos)
QUORB_COMPLEX_CALLBACK(Cosh)
QUORB_COMPLEX_CALLBACK(Exp)
QUORB_COMPLEX_CALLBACK(Log)
QUORB_COMPLEX_CALLBACK(Sin)
QUORB_COMPLEX_CALLBACK(Sinh)
QUORB_COMPLEX_CALLBACK(Sqrt)
QUORB_COMPLEX_CALLBACK(Tan)
QUORB_COMPLEX_CALLBACK(Tanh)
QUORB_COMPLEX_CALLBACK(Acos)
QUORB_COMPLEX_CALLBACK(Acosh)
QUORB_COMPLEX_CALLBACK(Asin)
QUORB_COMPLEX_CALLBACK(Asinh)
QUORB_COMPLEX_CALLBACK(Atan)
QUORB_COMPLEX_CALLBACK(Atanh)
#undef QUORB_COMPLEX_CALLBACK

void Log10_Complex(ExpressionPart& part) {
  const double ln10 = 2.302585092994046;
  const Complex natural = ComplexMath::Log(ArgComplex(part, 0));
  ResultComplex(part) = ComplexMath::WithUnderflow(Complex(natural.real() / ln10, natural.imag() / ln10));
}

}  // namespace QuorbNameSpace
