// The real and complex math built-ins over a grid of arguments (huge, tiny,
// negative, zero, infinite, NaN) against results and error numbers computed
// once on Linux x86-64 and kept in math_grid_values.inc: every build must
// give the same errors, and the same results within 2 ulps (a NaN of either
// sign for a NaN). QUORB_MATH_GRID_WRITE=<file> writes the table from this
// build instead of checking it.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "quorb.h"
#include "../ulp_distance.h"

namespace {

// f(x), f(x, y), or the real or imaginary part of f(x + iy).
enum Form { Unary, Binary, RealPart, ImagPart };

struct GridValue {
  const char* function;
  Form form;
  double x, y;
  double result;
  int32_t error;
};

const GridValue kTable[] = {
#include "math_grid_values.inc"
};

const double kArguments[] = {0.0, -0.0, 4e-320, 1e-300, -1e-300, 0.5, -0.5, 1, -1, 2.5, -2.5, 710, -710,
                             1e15, 1e22, -1e22, 1e300, -1e300, INFINITY, -INFINITY, NAN};
const double kPairArguments[] = {0.0, -0.0, 1e-310, 0.5, -2, 3, 1000, -1000, 1e300, INFINITY, -INFINITY, NAN};
const char* const kUnary[] = {"Sin", "Cos", "Tan", "Asin", "Acos", "Atan", "Sinh", "Cosh", "Tanh", "Asinh",
                              "Acosh", "Atanh", "Exp", "Exp2", "Expm1", "Log", "Log10", "Log2", "Log1p", "Sqrt",
                              "Cbrt", "Erf", "Erfc", "Tgamma", "Lgamma", "Logb", "Ilogb"};
const char* const kBinary[] = {"Pow", "Atan2", "Hypot", "Fmod"};
// A complex entry is a function of z, or a whole expression in z.
const char* const kComplex[] = {"Exp", "Sqrt", "Log", "Log10", "Sin", "Cos", "Tan", "Sinh", "Cosh", "Tanh", "Asin",
                                "Acos", "Atan", "Asinh", "Acosh", "Atanh", "Proj", "Pow(z, 2 + 0 * #i)",
                                "Pow(z, 0.5 + 0 * #i)", "Pow(z, -1 + 0 * #i)", "Pow(z, 0 + 1 * #i)",
                                "Pow(z, -2.5 + 1 * #i)", "Pow(0.5 + 2 * #i, z)"};

// Every case of the grid, in table order, without results.
std::vector<GridValue> GridCases() {
  std::vector<GridValue> cases;
  for (const char* f : kUnary)
    for (double x : kArguments) cases.push_back({f, Unary, x, 0, 0, 0});
  for (const char* f : kBinary)
    for (double x : kPairArguments)
      for (double y : kPairArguments) cases.push_back({f, Binary, x, y, 0, 0});
  for (const char* f : kComplex)
    for (double x : kPairArguments)
      for (double y : kPairArguments)
        for (Form part : {RealPart, ImagPart}) cases.push_back({f, part, x, y, 0, 0});
  return cases;
}

// How far a result may lie from Linux's. Lgamma of a negative argument
// near one of its zeros (-2.5 lies 0.04 from one) is a difference of
// nearly equal logarithms: only the GNU C library computes it to the last
// bits, other C runtimes to 5-10 ulps.
uint64_t UlpsAllowed(const GridValue& c) {
  return std::string(c.function) == "Lgamma" && c.x < -2 && c.x > -3 ? 16 : 2;
}

bool CloseEnough(double a, double b, uint64_t ulps) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return UlpsBetween(a, b) <= ulps;
}

// The complex power is exp(w ln z), as C defines it: the last-bit
// differences of the logarithm, the exponential, sine and cosine come out
// multiplied by |w ln z|, and a part much smaller than the modulus (the
// real part of (-2 + 1000i)^2 = -999996 - 4000i is exact in neither C
// library: 88 ulps off in the GNU one) carries them in many of its ulps.
// A part of the power may lie as far from Linux's as 32 epsilons of the
// result's modulus.
bool CloseEnoughPower(double a, double b, double modulus) {
  if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(modulus)) return CloseEnough(a, b, 2);
  return UlpsBetween(a, b) <= 2 || std::fabs(a - b) <= 32 * DBL_EPSILON * modulus;
}

bool IsComplexPower(const GridValue& c) { return std::strncmp(c.function, "Pow(", 4) == 0; }

std::string Literal(double v) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INFINITY" : "INFINITY";
  char text[40];
  std::snprintf(text, sizeof text, "%a", v);
  return text;
}

const char* const kFormNames[] = {"Unary", "Binary", "RealPart", "ImagPart"};

class MathGrid : public ::testing::Test {
 protected:
  MathGrid() : q(CreateQuorb(nullptr)) {
    DefineVariable(q, "x As Double", &x);
    DefineVariable(q, "y As Double", &y);
    DefineVariable(q, "z As Complex", z);
  }
  ~MathGrid() override { ReleaseQuorb(q); }

  // Evaluates a case, giving its result and error number.
  double Run(const GridValue& c, int32_t& error) {
    x = c.x, y = c.y, z[0] = c.x, z[1] = c.y;
    const std::string f = c.function;
    const std::string call = f.find('(') == std::string::npos ? f + "(z)" : f;
    const std::string text = c.form == Unary    ? f + "(x)"
                             : c.form == Binary ? f + "(x, y)"
                                                : (c.form == RealPart ? "Real(" : "Imag(") + call + ")";
    const double result = Eval(q, text.c_str());
    error = ErrorNumber(q);
    return result;
  }

  // The modulus of a complex case's result.
  double Modulus(const GridValue& c) {
    GridValue real = c, imag = c;
    real.form = RealPart, imag.form = ImagPart;
    int32_t error = 0;
    return std::hypot(Run(real, error), Run(imag, error));
  }

  QuorbInstance* q;
  double x = 0, y = 0;
  double z[2] = {0, 0};
};

TEST_F(MathGrid, ResultsAndErrorsAsOnLinux) {
  const std::vector<GridValue> cases = GridCases();
  if (const char* path = std::getenv("QUORB_MATH_GRID_WRITE")) {
    FILE* out = std::fopen(path, "w");
    ASSERT_NE(out, nullptr) << path;
    for (const GridValue& c : cases) {
      int32_t error = 0;
      const double result = Run(c, error);
      std::fprintf(out, "{\"%s\", %s, %s, %s, %s, %d},\n", c.function, kFormNames[c.form], Literal(c.x).c_str(),
                   Literal(c.y).c_str(), Literal(result).c_str(), static_cast<int>(error));
    }
    std::fclose(out);
    return;
  }
  ASSERT_EQ(cases.size(), sizeof kTable / sizeof kTable[0]) << "the table holds the whole grid";
  size_t differing = 0;
  for (size_t row = 0; row < cases.size(); ++row) {
    const GridValue& expected = kTable[row];
    ASSERT_STREQ(cases[row].function, expected.function) << "row " << row;
    int32_t error = 0;
    const double result = Run(expected, error);
    const bool close = IsComplexPower(expected) ? CloseEnoughPower(result, expected.result, Modulus(expected))
                                                : CloseEnough(result, expected.result, UlpsAllowed(expected));
    const bool same = error == expected.error && (error != 0 || close);
    EXPECT_TRUE(same) << expected.function << " " << kFormNames[expected.form] << " at " << Literal(expected.x)
                      << ", " << Literal(expected.y) << ": " << Literal(result) << " error " << error
                      << ", on Linux " << Literal(expected.result) << " error " << expected.error;
    differing += same ? 0 : 1;
  }
  EXPECT_EQ(differing, 0u);
}

}  // namespace
