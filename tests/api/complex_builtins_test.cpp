// The complex built-ins as a host reaches them: the "#i" literal, the three
// operand variants of each operator, the parts, and the elementary functions
// on their branch cuts, where the sign of a zero imaginary part picks the
// side. Operands that no literal can spell (signed zeros, NaN, infinities)
// come from a host Complex variable.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "quorb.h"

namespace {

const double Pi = 3.14159265358979323846;
const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

struct Row {
  const char* expression;
  const char* expected;
};

class ComplexBuiltins : public ::testing::Test {
 protected:
  ComplexBuiltins() : q(CreateQuorb(nullptr)) { EXPECT_NE(DefineVariable(q, "z As Complex", z), nullptr); }
  ~ComplexBuiltins() override { ReleaseQuorb(q); }

  void ExpectRows(const std::vector<Row>& rows) {
    for (const Row& row : rows) EXPECT_EQ(std::string(EvalStr(q, row.expression)), row.expected) << row.expression;
  }

  double z[2] = {0, 0};  // the host variable z: real part, imaginary part
  QuorbInstance* q;
};

TEST_F(ComplexBuiltins, OperatorsInTheirThreeVariants) {
  ExpectRows({
      {"#i", "0+1i"},
      {"(1 + 2 * #i) + (3 + 4 * #i)", "4+6i"},
      {"(1 + 2 * #i) + 3", "4+2i"},
      {"3 + (1 + 2 * #i)", "4+2i"},
      {"(1 + 2 * #i) - (3 + 4 * #i)", "-2+-2i"},
      {"(1 + 2 * #i) - 3", "-2+2i"},
      {"5 - (1 + 2 * #i)", "4+-2i"},
      {"(1 + 2 * #i) * (3 + 4 * #i)", "-5+10i"},
      {"(1 + 2 * #i) * 3", "3+6i"},
      {"3 * (1 + 2 * #i)", "3+6i"},
      {"(1 + 2 * #i) / (3 + 4 * #i)", "0.44+0.08i"},
      {"(2 + 4 * #i) / 2", "1+2i"},
      {"5 / (3 + 4 * #i)", "0.6+-0.8i"},
      {"(1 + 2 * #i) ^ (2 + 0 * #i)", "-3+4i"},
      {"Pow(2 + 0 * #i, 3 + 0 * #i)", "8+0i"},
  });
}

TEST_F(ComplexBuiltins, EqualityAndNaN) {
  z[0] = 1;
  z[1] = 2;
  ExpectRows({{"z == (1 + 2 * #i)", "true"}, {"z <> (1 + 2 * #i)", "false"}, {"z == (1 + 3 * #i)", "false"}});
  z[1] = NaN;
  ExpectRows({{"z == z", "false"}, {"z <> z", "true"}});
}

TEST_F(ComplexBuiltins, PartsAndConversions) {
  ExpectRows({
      {"Real(3 + 4 * #i)", "3"},
      {"Imag(3 + 4 * #i)", "4"},
      {"Abs(3 + 4 * #i)", "5"},
      {"Abs(-3)", "3"},
      {"Norm(3 + 4 * #i)", "25"},
      {"Arg(-1 + 0 * #i)", "3.14159"},
      {"Arg(-1 - 0 * #i)", "-3.14159"},
      {"Conj(1 + 2 * #i)", "1+-2i"},
      {"Proj(1 + 2 * #i)", "1+2i"},
      // Bool converts to (0 or 1, 0).
      {"Real(True)", "1"},
      {"Imag(True)", "0"},
      {"Real(False)", "0"},
  });
  // Polar reads its one argument: the modulus from the real part, the angle
  // from the imaginary part.
  z[0] = 2;
  z[1] = Pi;
  EXPECT_DOUBLE_EQ(Eval(q, "Real(Polar(z))"), -2.0);
  EXPECT_NEAR(Eval(q, "Imag(Polar(z))"), 0.0, 1e-15);
  z[0] = Inf;
  z[1] = NaN;
  ExpectRows({{"Proj(z)", "inf+0i"}});
}

TEST_F(ComplexBuiltins, AnInfiniteFactorStaysInfinite) {
  z[0] = Inf;
  z[1] = 0;
  ExpectRows({{"z * (1 + 1 * #i)", "inf+infi"}});
}

// Each function at a point, with the sign of a zero imaginary part choosing
// the side of a branch cut.
TEST_F(ComplexBuiltins, ElementaryFunctionsAndBranchCuts) {
  struct FunctionRow {
    const char* function;
    double re, im;
    double expectedRe, expectedIm;
  };
  const double acosh2 = std::acosh(2.0);
  const std::vector<FunctionRow> rows = {
      {"Sqrt", -4, 0.0, 0, 2},
      {"Sqrt", -4, -0.0, 0, -2},
      {"Log", -1, 0.0, 0, Pi},
      {"Log", -1, -0.0, 0, -Pi},
      {"Log10", 100, 0, 2, 0},
      {"Exp", 0, Pi, -1, 0},
      {"Cos", 0, 1, std::cosh(1.0), -0.0},
      {"Sin", 0, 1, 0, std::sinh(1.0)},
      {"Tan", 0, 1, 0, std::tanh(1.0)},
      {"Cosh", 0, Pi, -1, 0},
      {"Sinh", 1, 0, std::sinh(1.0), 0},
      {"Tanh", 1, 0, std::tanh(1.0), 0},
      {"Asin", 2, 0.0, Pi / 2, acosh2},
      {"Asin", 2, -0.0, Pi / 2, -acosh2},
      {"Acos", 2, 0.0, 0, -acosh2},
      {"Acos", 2, -0.0, 0, acosh2},
      {"Atanh", 2, 0.0, std::atanh(0.5), Pi / 2},
      {"Atanh", 2, -0.0, std::atanh(0.5), -Pi / 2},
      {"Acosh", -2, 0.0, acosh2, Pi},
      {"Acosh", -2, -0.0, acosh2, -Pi},
      {"Asinh", 0, 2, acosh2, Pi / 2},
      {"Atan", 0, 0.5, 0, std::atanh(0.5)},
  };
  for (const FunctionRow& row : rows) {
    z[0] = row.re;
    z[1] = row.im;
    const std::string call = std::string(row.function) + "(z)";
    const double re = Eval(q, ("Real(" + call + ")").c_str());
    const double im = Eval(q, ("Imag(" + call + ")").c_str());
    const std::string where = call + " at " + std::to_string(row.re) + (std::signbit(row.im) ? " -" : " +") +
                              std::to_string(std::fabs(row.im)) + "i";
    EXPECT_NEAR(re, row.expectedRe, 1e-12) << where;
    EXPECT_NEAR(im, row.expectedIm, 1e-12) << where;
    if (row.expectedIm == 0) {
      EXPECT_EQ(std::signbit(im), std::signbit(row.expectedIm)) << where;
    }
  }
}

}  // namespace
