// Real math built-ins: one call of the standard math library per callback,
// arguments read as Double (integer parameters as 32-bit Int), the result
// written as Double unless noted. Domain and range trouble gives the IEEE
// value and shows only in the floating-point status flags, which the
// evaluator turns into errors afterwards; no callback here raises an error.
// The definition texts that bind them are in builtin_definitions.cpp; the
// argument accessors in callback_args.h.
#ifndef QUORB_BUILTINS_REAL_MATH_H
#define QUORB_BUILTINS_REAL_MATH_H

namespace QuorbNameSpace {

class ExpressionPart;
using QuorbCallback = void (*)(ExpressionPart&);

// What a Double-to-Double callback here computes, as a plain function of its
// arguments: exactly one of the two is set for such a callback, neither for
// any other. Lets a fused run of steps compute the same without the step.
struct RealValueFunction {
  double (*unary)(double) = nullptr;
  double (*binary)(double, double) = nullptr;
};
RealValueFunction RealValueFunctionOf(QuorbCallback callback);

// Trigonometric and hyperbolic functions and their inverses.
void Cos(ExpressionPart& part);
void Sin(ExpressionPart& part);
void Tan(ExpressionPart& part);
void Acos(ExpressionPart& part);
void Asin(ExpressionPart& part);
void Atan(ExpressionPart& part);
void Atan2(ExpressionPart& part);  // atan2(x, y), x first
void Cosh(ExpressionPart& part);
void Sinh(ExpressionPart& part);
void Tanh(ExpressionPart& part);
void Acosh(ExpressionPart& part);
void Asinh(ExpressionPart& part);
void Atanh(ExpressionPart& part);

// Exponentials, logarithms and the exponent of a double.
void Exp(ExpressionPart& part);
// Result the mantissa; the exponent goes as a 32-bit Int to where argument
// 2 points (callback_args.h, ArgPointee; nothing is written for a null
// pointer).
void Frexp(ExpressionPart& part);
void Ldexp(ExpressionPart& part);    // y is an Int
void Log(ExpressionPart& part);      // natural logarithm
void Log10(ExpressionPart& part);
// Result the fractional part; the integral part goes as a Double to where
// argument 2 points (nothing is written for a null pointer).
void Modf(ExpressionPart& part);
void Exp2(ExpressionPart& part);
void Expm1(ExpressionPart& part);
void Ilogb(ExpressionPart& part);    // the integer exponent as a Double
void Log1p(ExpressionPart& part);
void Log2(ExpressionPart& part);
void Logb(ExpressionPart& part);
void Scalbn(ExpressionPart& part);   // y is an Int
void Scalbln(ExpressionPart& part);  // y is an Int, widened to long

// Powers and roots.
void Pow_Int(ExpressionPart& part);  // y is an Int
void Pow(ExpressionPart& part);
void Sqrt(ExpressionPart& part);     // also serves Sqr
void Cbrt(ExpressionPart& part);
void Hypot(ExpressionPart& part);

// Error and gamma functions.
void Erf(ExpressionPart& part);
void Erfc(ExpressionPart& part);
void Tgamma(ExpressionPart& part);
void Lgamma(ExpressionPart& part);

// Rounding and remainders.
void Ceil(ExpressionPart& part);
void Floor(ExpressionPart& part);
void Fmod(ExpressionPart& part);     // also the operator "mod"; sign of x
void Trunc(ExpressionPart& part);
void Round(ExpressionPart& part);    // halves away from zero
// Lround and Lrint write an Int: the low 32 bits of the 64-bit integer.
// Llround and Llrint write an Int64. A NaN or an operand outside the 64-bit
// range raises the invalid flag and gives -2^63 (so 0 as an Int), the
// platform's own answer, pinned down here so it never depends on the
// library's.
void Lround(ExpressionPart& part);
void Llround(ExpressionPart& part);
void Rint(ExpressionPart& part);     // in the current rounding mode
void Lrint(ExpressionPart& part);
void Llrint(ExpressionPart& part);
void Nearbyint(ExpressionPart& part);
void Remainder(ExpressionPart& part);  // IEEE remainder, quotient to nearest
// Result the remainder; the quotient bits go as a 32-bit Int to where
// argument 3 points (nothing is written for a null pointer).
void Remquo(ExpressionPart& part);

// Sign, neighbours, differences, extremes.
void Copysign(ExpressionPart& part);
void Nextafter(ExpressionPart& part);
void Nexttoward(ExpressionPart& part);
void Fdim(ExpressionPart& part);
void Fmax(ExpressionPart& part);     // a NaN operand yields the other
void Fmin(ExpressionPart& part);
void Abs(ExpressionPart& part);      // sign bit cleared
void Fabs(ExpressionPart& part);

// Classification. Fpclassify writes an Int (0 NaN, 1 infinite, 2 zero,
// 3 subnormal, 4 normal); the others write a Bool. None raises a flag, not
// even for a NaN.
void Fpclassify(ExpressionPart& part);
void Isfinite(ExpressionPart& part);
void IsInf(ExpressionPart& part);
void IsNaN(ExpressionPart& part);
void IsNormal(ExpressionPart& part);
void SignBit(ExpressionPart& part);  // true for -0 and for a NaN with the sign bit set

}  // namespace QuorbNameSpace

#endif
