// Integral rounding on the bits of a double (see integral_rounding.h).
// Integer operations only: a compiler that assumes the default floating-
// point environment may compute both sides of a choice between x + 1 and x,
// or turn x into x + -0, which raises inexact or changes the sign of a zero
// outside the default rounding mode; integer arithmetic has no such licence.
#include "builtins/integral_rounding.h"

#include <cstdint>
#include <cstring>

namespace QuorbNameSpace {

namespace {

constexpr uint64_t SignBit = 1ULL << 63;
constexpr uint64_t OneBits = 0x3ff0000000000000ULL;  // 1.0

// A double's bits split at its binary point.
struct Split {
  uint64_t bits;
  uint64_t integral;  // the bits with the fraction cleared: the truncation
  bool fraction;      // any fraction bit was set
  bool half;          // the first fraction bit, worth one half, was set
  bool negative;
};

Split SplitAtPoint(double x) {
  Split s{};
  std::memcpy(&s.bits, &x, sizeof s.bits);
  s.negative = (s.bits & SignBit) != 0;
  const int exponent = static_cast<int>((s.bits >> 52) & 0x7ff) - 1023;
  if (exponent >= 52) {  // integral already, an infinity or a NaN
    s.integral = s.bits;
  } else if (exponent < 0) {  // |x| < 1: a zero of x's sign
    s.integral = s.bits & SignBit;
    s.fraction = (s.bits & ~SignBit) != 0;
    s.half = exponent == -1;
  } else {
    const uint64_t fractionBits = (1ULL << (52 - exponent)) - 1;
    s.integral = s.bits & ~fractionBits;
    s.fraction = (s.bits & fractionBits) != 0;
    s.half = (s.bits & (1ULL << (51 - exponent))) != 0;
  }
  return s;
}

// The integral part one further from zero: for |t| >= 1 one unit in its
// last integral place added to the bits (a carry into the exponent is the
// next power of two), for a zero +-1.
uint64_t AwayFromZero(const Split& s) {
  const uint64_t magnitude = s.integral & ~SignBit;
  if (magnitude == 0) return (s.integral & SignBit) | OneBits;
  const int exponent = static_cast<int>(magnitude >> 52) - 1023;
  return s.integral + (1ULL << (52 - exponent));
}

double FromBits(uint64_t bits) {
  double x;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

}  // namespace

double TruncWithoutFlags(double x) { return FromBits(SplitAtPoint(x).integral); }

double FloorWithoutFlags(double x) {
  const Split s = SplitAtPoint(x);
  return FromBits(s.fraction && s.negative ? AwayFromZero(s) : s.integral);
}

double CeilWithoutFlags(double x) {
  const Split s = SplitAtPoint(x);
  return FromBits(s.fraction && !s.negative ? AwayFromZero(s) : s.integral);
}

double RoundWithoutFlags(double x) {
  const Split s = SplitAtPoint(x);
  return FromBits(s.half ? AwayFromZero(s) : s.integral);
}

}  // namespace QuorbNameSpace
