// Integral rounding on the bits of a double (see integral_rounding.h).
// Every operation below is exact on the values that reach it, so none
// raises a flag: the fraction bits are cleared, and an integer of less
// than 2^52 plus or minus one, or a value minus its integral part, is
// representable.
#include "builtins/integral_rounding.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace QuorbNameSpace {

namespace {

// Whether x has fraction bits at all: |x| < 2^52, tested quietly (NaN is
// not below anything, and the quiet test raises no invalid flag for it).
bool MayHaveFraction(double x) { return std::isless(std::fabs(x), 0x1p52); }

}  // namespace

double TruncWithoutFlags(double x) {
  if (!MayHaveFraction(x)) return x;
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  const int exponent = static_cast<int>((bits >> 52) & 0x7ff) - 1023;
  if (exponent < 0) {
    bits &= 1ULL << 63;  // |x| < 1: a zero of x's sign
  } else {
    bits &= ~((1ULL << (52 - exponent)) - 1);  // the fraction bits below the binary point
  }
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

double FloorWithoutFlags(double x) {
  const double t = TruncWithoutFlags(x);
  return std::isless(x, t) ? t - 1.0 : t;
}

double CeilWithoutFlags(double x) {
  // Trunc keeps the sign: -0.5 rounds up to -0, as ceil gives it.
  const double t = TruncWithoutFlags(x);
  return std::isgreater(x, t) ? t + 1.0 : t;
}

double RoundWithoutFlags(double x) {
  if (!MayHaveFraction(x)) return x;  // infinity - infinity would be invalid
  const double t = TruncWithoutFlags(x);
  if (!std::isgreaterequal(std::fabs(x - t), 0.5)) return t;
  return t + std::copysign(1.0, x);
}

}  // namespace QuorbNameSpace
