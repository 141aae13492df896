// The complex built-ins as a host reaches them: the "#i" literal, the three
// operand variants of each operator, the parts, and the functions on their
// branch cuts, where the sign of a zero imaginary part picks the side.
// Operands no literal can spell (signed zeros, NaN, infinities) come from
// the host Complex variable z.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "quorb.h"

extern "C" int CComplexDivide(const double z[2], const double w[2], double quotient[2]);

namespace {

const double Pi = 3.14159265358979323846;
const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

class ComplexBuiltins : public ::testing::Test {
 protected:
  ComplexBuiltins() : q(CreateQuorb(nullptr)) { EXPECT_NE(DefineVariable(q, "z As Complex", z), nullptr); }
  ~ComplexBuiltins() override { ReleaseQuorb(q); }
  // Sets z, then expects each expression to print its text.
  void ExpectRows(double re, double im, const std::vector<std::pair<const char*, const char*>>& rows) {
    z[0] = re;
    z[1] = im;
    for (const auto& row : rows) EXPECT_STREQ(EvalStr(q, row.first), row.second) << row.first;
  }
  double z[2] = {0, 0};
  QuorbInstance* q;
};

TEST_F(ComplexBuiltins, OperatorsPartsAndEquality) {
  ExpectRows(1, 2, {
      {"#i", "0+1i"},
      {"z + (3 + 4 * #i)", "4+6i"},
      {"z + 3", "4+2i"},
      {"3 + z", "4+2i"},
      {"z - 3", "-2+2i"},
      {"5 - z", "4+-2i"},
      {"z * (3 + 4 * #i)", "-5+10i"},
      {"z * 3", "3+6i"},
      {"3 * z", "3+6i"},
      {"z / (3 + 4 * #i)", "0.44+0.08i"},
      {"z / 2", "0.5+1i"},
      {"5 / (3 + 4 * #i)", "0.6+-0.8i"},
      {"z ^ (2 + 0 * #i)", "-3+4i"},
      {"z == (1 + 2 * #i)", "true"},
      {"z <> (1 + 2 * #i)", "false"},
      {"Conj(z)", "1+-2i"},
      {"Proj(z)", "1+2i"},
      {"Real(3 + 4 * #i)", "3"},
      {"Imag(3 + 4 * #i)", "4"},
      {"Abs(3 + 4 * #i)", "5"},
      {"Abs(-3)", "3"},
      {"Norm(3 + 4 * #i)", "25"},
      {"Arg(-1 + 0 * #i)", "3.14159"},
      {"Arg(-1 - 0 * #i)", "-3.14159"},
      {"Real(True)", "1"},  // Bool converts to (0 or 1, 0)
      {"Imag(True)", "0"},
  });
  ExpectRows(NaN, 0, {{"z == z", "false"}, {"z <> z", "true"}});
  ExpectRows(Inf, 0, {{"z * (1 + 1 * #i)", "inf+infi"}});
  ExpectRows(Inf, NaN, {{"Proj(z)", "inf+0i"}});
  // Polar's one argument: the modulus from the real part, the angle from
  // the imaginary part.
  ExpectRows(2, Pi, {{"Real(Polar(z))", "-2"}});
}

TEST_F(ComplexBuiltins, FunctionsAndBranchCuts) {
  struct FunctionRow {
    const char* function;
    double re, im, expectedRe, expectedIm;
  };
  const double acosh2 = std::acosh(2.0);
  const std::vector<FunctionRow> rows = {
      {"Sqrt", -4, 0.0, 0, 2},           {"Sqrt", -4, -0.0, 0, -2},
      {"Log", -1, 0.0, 0, Pi},           {"Log", -1, -0.0, 0, -Pi},
      {"Asin", 2, 0.0, Pi / 2, acosh2},  {"Asin", 2, -0.0, Pi / 2, -acosh2},
      {"Acos", 2, 0.0, 0, -acosh2},      {"Acosh", -2, -0.0, acosh2, -Pi},
      {"Atanh", 2, -0.0, std::atanh(0.5), -Pi / 2},
      {"Log10", 100, 0, 2, 0},           {"Exp", 0, Pi, -1, 0},
      {"Cos", 0, 1, std::cosh(1.0), -0.0}, {"Sin", 0, 1, 0, std::sinh(1.0)},
      {"Tan", 0, 1, 0, std::tanh(1.0)},  {"Cosh", 0, Pi, -1, 0},
      {"Sinh", 1, 0, std::sinh(1.0), 0}, {"Tanh", 1, 0, std::tanh(1.0), 0},
      {"Asinh", 0, 2, acosh2, Pi / 2},   {"Atan", 0, 0.5, 0, std::atanh(0.5)},
  };
  for (const FunctionRow& row : rows) {
    z[0] = row.re;
    z[1] = row.im;
    const std::string call = std::string(row.function) + "(z)";
    SCOPED_TRACE(call + " at " + std::to_string(row.re) + (std::signbit(row.im) ? " -" : " +") + "0i side");
    const double im = Eval(q, ("Imag(" + call + ")").c_str());
    EXPECT_NEAR(Eval(q, ("Real(" + call + ")").c_str()), row.expectedRe, 1e-12);
    EXPECT_NEAR(im, row.expectedIm, 1e-12);
    if (row.expectedIm == 0) {
      EXPECT_EQ(std::signbit(im), std::signbit(row.expectedIm));
    }
  }
}

// Results that some C++ libraries' complex functions got wrong: an
// overflow inside a finite result (tanh of a large real part, tan of a
// large imaginary one), an imaginary infinity from an overflowing
// exponential times sin 0, and the side of acosh's cut below -1 < x < 1.
TEST_F(ComplexBuiltins, FunctionsGiveCsValuesWhereLibrariesDiffered) {
  struct Row {
    const char* function;
    double re, im, expectedRe, expectedIm;
    int32_t ignored, error;
  };
  const double acos_half = 2.0943951023931957;  // acos(-0.5)
  const std::vector<Row> rows = {
      {"Tanh", 1000, 1000, 1, 0, 0, 0},
      {"Tan", 0, 1000, 0, 1, 0, 0},
      {"Exp", 1000, 0, Inf, 0, QUORB_FE_OVERFLOW, 0},
      {"Exp", 1000, 0, Inf, 0, 0, 23},
      {"Atanh", 1, 0, Inf, 0, 0, 20},
      {"Acosh", -0.5, 0.0, 0, acos_half, 0, 0},
      {"Acosh", -0.5, -0.0, 0, -acos_half, 0, 0},
  };
  const int32_t default_mask = FPEnvGetExceptionMask(q);
  for (const Row& row : rows) {
    z[0] = row.re;
    z[1] = row.im;
    FPEnvSetExceptionMask(q, default_mask | row.ignored);
    const std::string call = std::string(row.function) + "(z)";
    SCOPED_TRACE(call + " at " + std::to_string(row.re) + ", " + std::to_string(row.im));
    const double re = Eval(q, ("Real(" + call + ")").c_str());
    EXPECT_EQ(ErrorNumber(q), row.error);
    const double im = Eval(q, ("Imag(" + call + ")").c_str());
    if (row.error != 0) continue;
    EXPECT_EQ(ErrorNumber(q), 0);
    if (std::isinf(row.expectedRe)) EXPECT_EQ(re, row.expectedRe);
    else EXPECT_NEAR(re, row.expectedRe, 1e-15);
    EXPECT_NEAR(im, row.expectedIm, 1e-15);
    EXPECT_EQ(std::signbit(im), std::signbit(row.expectedIm));
  }
  FPEnvSetExceptionMask(q, default_mask);
}

// Every pair of parts from zeros, tiny, huge, infinite and NaN values: an
// infinite divisor gives its zero without an invalid or overflow flag, and
// an infinite dividend keeps its infinity, as the platform's C division.
TEST_F(ComplexBuiltins, DivisionIsThePlatformsCDivisionInValueAndFlags) {
  const int five = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW | FE_UNDERFLOW | FE_INEXACT;
  double w[2] = {1, 0};
  ASSERT_NE(DefineVariable(q, "w As Complex", w), nullptr);
  QuorbExpression* expr = Parse(q, "z / w", nullptr);
  ASSERT_EQ(ErrorNumber(q), 0);
  const double parts[] = {0.0, -0.0, 1.0, -2.5, 3e300, 1e-310, Inf, -Inf, NaN};
  int mismatches = 0;
  for (double a : parts)
    for (double b : parts)
      for (double c : parts)
        for (double d : parts) {
          z[0] = a, z[1] = b, w[0] = c, w[1] = d;
          std::feclearexcept(five);
          const void* mine = EvaluateVoid(expr);
          const int myFlags = std::fetestexcept(five);
          double theirs[2];
          const int theirFlags = CComplexDivide(z, w, theirs);
          if (std::memcmp(mine, theirs, sizeof theirs) == 0 && myFlags == theirFlags) continue;
          if (++mismatches <= 5) {
            const double* got = static_cast<const double*>(mine);
            ADD_FAILURE() << "(" << a << ", " << b << ") / (" << c << ", " << d << "): (" << got[0] << ", " << got[1]
                          << ") flags " << myFlags << " against (" << theirs[0] << ", " << theirs[1] << ") flags "
                          << theirFlags;
          }
        }
  EXPECT_EQ(mismatches, 0);
  std::feclearexcept(five);
  ReleaseExpr(expr);
}

}  // namespace
