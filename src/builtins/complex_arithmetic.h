// Complex arithmetic and comparison built-ins. Each operator comes in three
// variants: both operands Complex, Complex with a real right operand (the
// "A" callbacks) and a real left operand with Complex (the "B" callbacks);
// the real operand is a Double. Nothing here raises an error: division by a
// complex zero and overflow give IEEE values and set the floating-point
// flags, which the evaluator turns into errors afterwards. The elementary
// functions are in complex_functions.h.
#ifndef QUORB_BUILTINS_COMPLEX_ARITHMETIC_H
#define QUORB_BUILTINS_COMPLEX_ARITHMETIC_H

#include <complex>

namespace QuorbNameSpace {

class ExpressionPart;

void Complex_Add(ExpressionPart& part);        // (re x + re y, im x + im y)
void Complex_AddA(ExpressionPart& part);       // (re x + y, im x)
void Complex_AddB(ExpressionPart& part);       // (x + re y, im y)
void Complex_Subtract(ExpressionPart& part);   // (re x - re y, im x - im y)
void Complex_SubtractA(ExpressionPart& part);  // (re x - y, im x)
void Complex_SubtractB(ExpressionPart& part);  // (x - re y, -im y)

// The product and quotient of two Complex values (and of a real left
// operand by a Complex, which divides as (x, 0)) recover infinities the way
// IEC 60559 complex arithmetic does; see ComplexProduct and ComplexQuotient.
void Complex_Multiply(ExpressionPart& part);
void Complex_Divide(ExpressionPart& part);
void Complex_DivideB(ExpressionPart& part);
// A real operand scales or divides both parts directly, with no recovery.
void Complex_MultiplyA(ExpressionPart& part);  // (re x * y, im x * y)
void Complex_MultiplyB(ExpressionPart& part);  // (x * re y, x * im y)
void Complex_DivideA(ExpressionPart& part);    // (re x / y, im x / y)

// Both parts equal; a NaN part makes Equal false and NotEqual true.
void Complex_Equal(ExpressionPart& part);
void Complex_NotEqual(ExpressionPart& part);

// (a + bi)(c + di) as (ac - bd) + (ad + bc)i. When both parts come out NaN
// while a factor is infinite (or a partial product overflowed), the product
// is recomputed so that it is infinite: an infinite value times a non-zero
// one is infinite, whatever NaN the other part held. Written out rather than
// left to std::complex, whose behaviour here differs between compilers.
std::complex<double> ComplexProduct(std::complex<double> z, std::complex<double> w);

// z / w exactly as the platform's C complex division computes it, value
// and flags: a non-NaN value divided by a complex zero is infinite, an
// infinite value divided by a finite one is infinite, and a finite value
// divided by an infinite one is zero, raising no flag of its own.
std::complex<double> ComplexQuotient(std::complex<double> z, std::complex<double> w);

}  // namespace QuorbNameSpace

#endif
