// The complex functions of complex_math.h against the GNU C library's
// <complex.h> functions (c_complex_functions.c) over special and random
// arguments: parts within 2 ulps, the same NaN parts and signs of zeros,
// and the same invalid, division-by-zero and overflow flags. Built only
// where that C library, on x86-64, is the one linked; the math grid
// (tests/api/math_grid_test.cpp) carries its results to the other builds.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "builtins/complex_math.h"
#include "ulp_distance.h"

extern "C" int CComplexFunction(int which, const double z[2], const double w[2], double result[2]);
extern "C" void CComplexFunctionLong(int which, const double z[2], const double w[2], double result[2]);

namespace QuorbNameSpace {
namespace {

using Complex = std::complex<double>;

struct Function {
  const char* name;
  Complex (*unary)(Complex);
};

// In the numbering of c_complex_functions.c; the power is number 3.
const Function kFunctions[] = {
    {"Exp", ComplexMath::Exp},     {"Log", ComplexMath::Log},     {"Sqrt", ComplexMath::Sqrt},
    {"Pow", nullptr},              {"Sinh", ComplexMath::Sinh},   {"Cosh", ComplexMath::Cosh},
    {"Tanh", ComplexMath::Tanh},   {"Sin", ComplexMath::Sin},     {"Cos", ComplexMath::Cos},
    {"Tan", ComplexMath::Tan},     {"Asinh", ComplexMath::Asinh}, {"Asin", ComplexMath::Asin},
    {"Acos", ComplexMath::Acos},   {"Acosh", ComplexMath::Acosh}, {"Atanh", ComplexMath::Atanh},
    {"Atan", ComplexMath::Atan},   {"Proj", ComplexMath::Proj}};

// Underflow is left out: the inverse sine and cosine family's intermediate
// steps underflow for some tiny or subnormal parts where the C library's
// do not (an instance ignores underflow unless told otherwise).
const int kComparedFlags = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

// A part within 2 ulps of the GNU C library's, or else within 3 ulps of
// the value its long double function rounds to: near the branch points of
// the inverse functions its double functions themselves err by up to 3
// ulps, and the two methods by up to 3 ulps in opposite directions. NaN
// where it gives NaN, zeros of the same sign.
bool SamePart(double mine, double oracle, double reference) {
  if (std::isnan(mine) || std::isnan(oracle)) return std::isnan(mine) && std::isnan(oracle);
  if (std::signbit(mine) != std::signbit(oracle)) return false;
  return UlpsBetween(mine, oracle) <= 2 || UlpsBetween(mine, reference) <= 3;
}

// Special values in every pairing, then random points: uniform near the
// origin, near the unit circle and the branch points +-1 and +-i, and of
// random magnitude from 1e-300 to 1e300.
std::vector<Complex> Arguments() {
  const double special[] = {0.0, -0.0, 4e-320, -1e-310, 1e-300, 1e-20, -1e-9, 0.5, -0.5, 0.75, 1, -1, 1.25, 1.5,
                            -2, 3, 20, 354, 355, 709, 710, -1000, 1e15, 1e16, -1e20, 1e150, 1e300, -1.7e308,
                            INFINITY, -INFINITY, NAN};
  std::vector<Complex> arguments;
  for (double x : special)
    for (double y : special) arguments.emplace_back(x, y);
  std::mt19937_64 random(20261209);
  std::uniform_real_distribution<double> unit(-1, 1), exponent(-300, 300), angle(-4, 4);
  auto sign = [&] { return unit(random) < 0 ? -1.0 : 1.0; };
  for (int i = 0; i < 3000; ++i) {
    arguments.emplace_back(4 * unit(random), 4 * unit(random));
    const double r = 1 + unit(random) * std::pow(2.0, -std::floor(60 * (unit(random) + 1) / 2)), t = angle(random);
    arguments.emplace_back(r * std::cos(t), r * std::sin(t));
    const double near = std::pow(2.0, -std::floor(30 * (unit(random) + 1)));
    arguments.emplace_back(sign() + near * unit(random), near * unit(random));
    arguments.emplace_back(near * unit(random), sign() + near * unit(random));
    arguments.emplace_back(sign() * std::pow(10.0, exponent(random)), sign() * std::pow(10.0, exponent(random)));
  }
  return arguments;
}

TEST(ComplexMathOracle, AgreesWithTheGnuCLibrary) {
  const std::vector<Complex> arguments = Arguments();
  const Complex exponents[] = {{2, 0}, {0.5, 0}, {-1, 0}, {0, 1}, {-2.5, 1}, {1e-3, -7}};
  for (int which = 0; which < static_cast<int>(sizeof kFunctions / sizeof kFunctions[0]); ++which) {
    const Function& f = kFunctions[which];
    size_t differing = 0, shown = 0;
    for (size_t i = 0; i < arguments.size(); ++i) {
      const Complex z = arguments[i];
      const Complex w = f.unary ? Complex() : exponents[i % (sizeof exponents / sizeof exponents[0])];
      const double zp[2] = {z.real(), z.imag()}, wp[2] = {w.real(), w.imag()};
      double oracle[2], reference[2];
      const int oracle_flags = CComplexFunction(which, zp, wp, oracle) & kComparedFlags;
      CComplexFunctionLong(which, zp, wp, reference);
      std::feclearexcept(kComparedFlags);
      const Complex mine = f.unary ? f.unary(z) : ComplexMath::Pow(z, w);
      const int my_flags = std::fetestexcept(kComparedFlags);
      if (SamePart(mine.real(), oracle[0], reference[0]) && SamePart(mine.imag(), oracle[1], reference[1]) &&
          my_flags == oracle_flags)
        continue;
      ++differing;
      if (shown++ < 10)
        ADD_FAILURE() << std::hexfloat << f.name << z << (f.unary ? "" : " to ") << (f.unary ? Complex() : w)
                      << ": " << mine << " flags " << my_flags << ", the C library " << Complex(oracle[0], oracle[1])
                      << " flags " << oracle_flags;
    }
    EXPECT_EQ(differing, 0u) << f.name << " of " << arguments.size();
  }
}

}  // namespace
}  // namespace QuorbNameSpace
