// To_String: the text every numeric value class prints, as a
// default-configured output stream writes the number.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "types/data_type.h"

namespace QuorbNameSpace {
namespace {

TEST(ToStringIntegers, PlainDecimalAtTheLimits) {
  EXPECT_EQ("0", To_String(uint64_t{0}));
  EXPECT_EQ("18446744073709551615", To_String(std::numeric_limits<uint64_t>::max()));
  EXPECT_EQ("-9223372036854775808", To_String(std::numeric_limits<int64_t>::min()));
  EXPECT_EQ("9223372036854775807", To_String(std::numeric_limits<int64_t>::max()));
  EXPECT_EQ("-1", To_String(int64_t{-1}));
  EXPECT_EQ("1000000", To_String(int64_t{1000000}));  // never switches to exponent form
}

TEST(ToStringDouble, SixSignificantDigitsDefaultNotation) {
  EXPECT_EQ("0.1", To_String(0.1));
  EXPECT_EQ("0.666667", To_String(2.0 / 3.0));
  EXPECT_EQ("1e+20", To_String(1e20));
  EXPECT_EQ("1e+08", To_String(100000000.0));
  EXPECT_EQ("100000", To_String(100000.0));
  EXPECT_EQ("1e+06", To_String(1e6));
  EXPECT_EQ("1.23457e+06", To_String(1234567.0));
  EXPECT_EQ("1.2345e-05", To_String(0.000012345));
  EXPECT_EQ("0.0001", To_String(0.0001));
  EXPECT_EQ("3", To_String(3.0));
  EXPECT_EQ("-0", To_String(-0.0));
}

TEST(ToStringDouble, NonFiniteWords) {
  EXPECT_EQ("inf", To_String(std::numeric_limits<double>::infinity()));
  EXPECT_EQ("-inf", To_String(-std::numeric_limits<double>::infinity()));
  // A NaN's sign shows, the same on every build.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ("nan", To_String(std::copysign(nan, 1.0)));
  EXPECT_EQ("-nan", To_String(std::copysign(nan, -1.0)));
  EXPECT_EQ("-nan", To_String(-std::numeric_limits<float>::quiet_NaN()));
}

// The float overload must print the float's value, not its bits or an
// integer conversion; 0.1f is 0.100000001490116 as a double.
TEST(ToStringFloat, PrintsTheWidenedValue) {
  EXPECT_EQ("0.1", To_String(0.1f));
  EXPECT_EQ("0.5", To_String(0.5f));
  EXPECT_EQ("3.40282e+38", To_String(std::numeric_limits<float>::max()));
  EXPECT_EQ("1.67772e+07", To_String(16777216.0f));
  EXPECT_EQ("inf", To_String(std::numeric_limits<float>::infinity()));
}

}  // namespace
}  // namespace QuorbNameSpace
