// The hand-written complex product and quotient: textbook results, and the
// recovery of infinities and zeros where the plain formulas give NaN in
// both parts. Called directly: recovering raises floating-point flags on the
// way, which an evaluation would report as errors.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <complex>
#include <limits>
#include <vector>

#include "builtins/complex_arithmetic.h"

namespace QuorbNameSpace {
namespace {

using Complex = std::complex<double>;
const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

// An expected part of NaN is not checked: a complex value with one infinite
// part is infinite whatever the other part holds.
struct Case {
  Complex z, w, expected;
};

void ExpectPart(double actual, double expected) {
  if (std::isnan(expected)) return;
  if (std::isinf(expected)) EXPECT_EQ(actual, expected);
  else EXPECT_NEAR(actual, expected, 1e-12);
}

void ExpectCases(Complex (*operation)(Complex, Complex), const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    const Complex result = operation(c.z, c.w);
    SCOPED_TRACE(::testing::Message() << c.z << " with " << c.w << " gives " << result);
    ExpectPart(result.real(), c.expected.real());
    ExpectPart(result.imag(), c.expected.imag());
  }
  std::feclearexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW | FE_UNDERFLOW | FE_INEXACT);
}

TEST(ComplexRecovery, ProductsOfInfiniteFactorsAreInfinite) {
  ExpectCases(&ComplexProduct, {
      {{1, 2}, {3, 4}, {-5, 10}},
      {{Inf, 0}, {1, 1}, {Inf, Inf}},
      {{Inf, Inf}, {0, 1}, {-Inf, Inf}},  // plainly inf*0 - inf and inf + inf*0
      {{Inf, NaN}, {1, 0}, {Inf, NaN}},
      {{1e300, 1e300}, {1e300, 1e300}, {NaN, Inf}},  // partial products overflow
  });
}

TEST(ComplexRecovery, QuotientsRecoverInfinitiesAndZeros) {
  ExpectCases(&ComplexQuotient, {
      {{1, 2}, {3, 4}, {0.44, 0.08}},
      {{1e300, 1e300}, {1e300, 1e300}, {1, 0}},  // scaled, so no overflow
      {{1, 1}, {0, 0}, {Inf, Inf}},
      {{Inf, Inf}, {1, 1}, {Inf, NaN}},
      {{1, 1}, {Inf, Inf}, {0, 0}},
      {{1, 1}, {Inf, NaN}, {0, 0}},
  });
}

}  // namespace
}  // namespace QuorbNameSpace
