// Ceil, Floor, Trunc and Round of a double, exact and raising no flag: the
// result is integral or the argument itself (infinities, NaNs, and every
// value of 2^52 or more, which is integral already). Not every C library's
// versions keep quiet: mingw-w64's raise inexact for a non-integer, so
// these work on the bits instead, the same on every platform.
#ifndef QUORB_BUILTINS_INTEGRAL_ROUNDING_H
#define QUORB_BUILTINS_INTEGRAL_ROUNDING_H

namespace QuorbNameSpace {

double TruncWithoutFlags(double x);  // toward zero
double FloorWithoutFlags(double x);  // toward -infinity
double CeilWithoutFlags(double x);   // toward +infinity
double RoundWithoutFlags(double x);  // to nearest, halves away from zero

}  // namespace QuorbNameSpace

#endif
