// The hand-written complex product and quotient: the textbook results, and
// the recovery of infinities and zeros where the plain formulas give NaN in
// both parts. Called directly: the recovery raises floating-point flags on
// the way, which an evaluation would report as errors.
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

// What a part of a result must be: finite (and near a value), infinite with
// a sign, or zero. A complex value is infinite when one part is, whatever
// the other holds (NaN included): that other part is Unchecked.
enum Shape { Finite, PlusInf, MinusInf, Zero, Unchecked };

struct Case {
  Complex z, w;
  Shape re, im;
  double nearRe = 0, nearIm = 0;
};

void ExpectShape(double part, Shape shape, double near, const char* what) {
  switch (shape) {
    case Finite: EXPECT_NEAR(part, near, 1e-12) << what; break;
    case PlusInf: EXPECT_EQ(part, Inf) << what; break;
    case MinusInf: EXPECT_EQ(part, -Inf) << what; break;
    case Zero: EXPECT_EQ(part, 0.0) << what; break;
    case Unchecked: break;
  }
}

void ExpectCases(Complex (*operation)(Complex, Complex), const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    const Complex result = operation(c.z, c.w);
    SCOPED_TRACE(::testing::Message() << c.z << " with " << c.w << " gives " << result);
    ExpectShape(result.real(), c.re, c.nearRe, "real part");
    ExpectShape(result.imag(), c.im, c.nearIm, "imaginary part");
  }
  std::feclearexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW | FE_UNDERFLOW | FE_INEXACT);
}

TEST(ComplexRecovery, ProductsOfInfiniteFactorsAreInfinite) {
  ExpectCases(&ComplexProduct, {
      {{1, 2}, {3, 4}, Finite, Finite, -5, 10},
      {{Inf, 0}, {1, 1}, PlusInf, PlusInf},
      // Plain formula: inf*0 - inf*1 and inf*1 + inf*0, NaN in both parts.
      {{Inf, Inf}, {0, 1}, MinusInf, PlusInf},
      {{Inf, NaN}, {1, 0}, PlusInf, Unchecked},
      {{1, 0}, {NaN, Inf}, Unchecked, PlusInf},
      // Overflowing partial products: inf - inf in both parts.
      {{1e300, 1e300}, {1e300, 1e300}, Unchecked, PlusInf},
  });
  const Complex nanProduct = ComplexProduct({NaN, 0}, {1, 1});
  EXPECT_TRUE(std::isnan(nanProduct.real()) || std::isnan(nanProduct.imag())) << "no infinity to recover";
}

TEST(ComplexRecovery, QuotientsRecoverInfinitiesAndZeros) {
  ExpectCases(&ComplexQuotient, {
      {{1, 2}, {3, 4}, Finite, Finite, 0.44, 0.08},
      {{5, 0}, {3, 4}, Finite, Finite, 0.6, -0.8},
      // Scaling keeps huge and tiny divisors exact.
      {{1e300, 1e300}, {1e300, 1e300}, Finite, Finite, 1, 0},
      {{1e-300, 0}, {1e-300, 1e-300}, Finite, Finite, 0.5, -0.5},
      // A non-zero value over a complex zero is infinite.
      {{1, 1}, {0, 0}, PlusInf, PlusInf},
      {{-2, 0}, {0, 0}, MinusInf, Unchecked},
      // An infinite value over a finite one is infinite.
      {{Inf, Inf}, {1, 1}, PlusInf, Unchecked},
      // A finite value over an infinite one is zero.
      {{1, 1}, {Inf, Inf}, Zero, Zero},
      {{1, 1}, {Inf, NaN}, Zero, Zero},
  });
}

}  // namespace
}  // namespace QuorbNameSpace
