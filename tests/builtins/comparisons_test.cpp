// String comparisons in byte order, Double comparisons as IEEE orders them
// (quietly, with NaN), and the logical not.
#include <gtest/gtest.h>

#include <cfenv>
#include <limits>
#include <string>

#include "builtin_call.h"
#include "builtins/comparisons.h"

namespace QuorbNameSpace {
namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

// Each string comparison for one pair, as six Bool bytes.
struct StringOrder {
  int eq, ne, lt, gt, le, ge;
};

class ComparisonsTest : public BuiltinCall {
 protected:
  StringOrder Compare(const std::string& x, const std::string& y) {
    return {RunBool(&Equal_Str, {S(x), S(y)}),       RunBool(&NotEqual_Str, {S(x), S(y)}),
            RunBool(&LessThan_Str, {S(x), S(y)}),    RunBool(&GreaterThan_Str, {S(x), S(y)}),
            RunBool(&LessThanOrEqual_Str, {S(x), S(y)}), RunBool(&GreaterThanOrEqual_Str, {S(x), S(y)})};
  }
  void ExpectBefore(const std::string& x, const std::string& y) {
    SCOPED_TRACE(testing::Message() << "\"" << x << "\" before \"" << y << "\"");
    StringOrder o = Compare(x, y);
    EXPECT_EQ(o.eq, 0);
    EXPECT_EQ(o.ne, 1);
    EXPECT_EQ(o.lt, 1);
    EXPECT_EQ(o.gt, 0);
    EXPECT_EQ(o.le, 1);
    EXPECT_EQ(o.ge, 0);
    StringOrder r = Compare(y, x);
    EXPECT_EQ(r.lt, 0);
    EXPECT_EQ(r.gt, 1);
    EXPECT_EQ(r.le, 0);
    EXPECT_EQ(r.ge, 1);
  }
};

TEST_F(ComparisonsTest, StringsOrderByBytesThenLength) {
  ExpectBefore("abc", "abd");
  ExpectBefore("ab", "abc");
  ExpectBefore("abc", "b");
  ExpectBefore("", "a");
  // Bytes compare unsigned: 100 before 200.
  ExpectBefore(std::string(1, '\x64'), std::string(1, '\xc8'));
  // A zero byte does not end the text.
  ExpectBefore(std::string("a\0b", 3), std::string("a\0c", 3));
  ExpectBefore("a", std::string("a\0", 2));
}

TEST_F(ComparisonsTest, EqualStringsHaveTheSameLengthAndBytes) {
  StringOrder o = Compare("same", "same");
  EXPECT_EQ(o.eq, 1);
  EXPECT_EQ(o.ne, 0);
  EXPECT_EQ(o.lt, 0);
  EXPECT_EQ(o.gt, 0);
  EXPECT_EQ(o.le, 1);
  EXPECT_EQ(o.ge, 1);
  EXPECT_EQ(RunBool(&Equal_Str, {S("Same"), S("same")}), 0) << "no case folding";
  EXPECT_EQ(RunBool(&Equal_Str, {S(std::string("x\0", 2)), S("x")}), 0);
}

TEST_F(ComparisonsTest, DoublesCompareByValue) {
  EXPECT_EQ(RunBool(&Equal, {D(1.5), D(1.5)}), 1);
  EXPECT_EQ(RunBool(&Equal, {D(0.0), D(-0.0)}), 1) << "-0 equals 0";
  EXPECT_EQ(RunBool(&NotEqual, {D(1), D(2)}), 1);
  EXPECT_EQ(RunBool(&LessThan, {D(1), D(2)}), 1);
  EXPECT_EQ(RunBool(&LessThan, {D(2), D(1)}), 0);
  EXPECT_EQ(RunBool(&GreaterThan, {D(2), D(1)}), 1);
  EXPECT_EQ(RunBool(&GreaterThan, {D(1), D(1)}), 0);
  EXPECT_EQ(RunBool(&LessThanOrEqual, {D(1), D(1)}), 1);
  EXPECT_EQ(RunBool(&LessThanOrEqual, {D(2), D(1)}), 0);
  EXPECT_EQ(RunBool(&GreaterThanOrEqual, {D(1), D(1)}), 1);
  EXPECT_EQ(RunBool(&GreaterThanOrEqual, {D(1), D(2)}), 0);
}

TEST_F(ComparisonsTest, EveryComparisonWithNaNIsFalseButNotEqualAndNoneRaisesAFlag) {
  for (double other : {NaN, 0.0, 1.0}) {
    SCOPED_TRACE(other);
    EXPECT_EQ(RunBool(&Equal, {D(NaN), D(other)}), 0);
    EXPECT_EQ(RunBool(&NotEqual, {D(NaN), D(other)}), 1);
    EXPECT_EQ(RunBool(&LessThan, {D(NaN), D(other)}), 0);
    EXPECT_EQ(RunBool(&LessThan, {D(other), D(NaN)}), 0);
    EXPECT_EQ(RunBool(&GreaterThan, {D(NaN), D(other)}), 0);
    EXPECT_EQ(RunBool(&LessThanOrEqual, {D(NaN), D(other)}), 0);
    EXPECT_EQ(RunBool(&GreaterThanOrEqual, {D(other), D(NaN)}), 0);
  }
  EXPECT_FALSE(Raised(FE_INVALID));
}

TEST_F(ComparisonsTest, LogicalNotIsTrueForZeroOnly) {
  EXPECT_EQ(RunBool(&Boolean_Not, {D(0)}), 1);
  EXPECT_EQ(RunBool(&Boolean_Not, {D(-0.0)}), 1);
  EXPECT_EQ(RunBool(&Boolean_Not, {D(5)}), 0);
  EXPECT_EQ(RunBool(&Boolean_Not, {D(1e-300)}), 0);
  EXPECT_EQ(RunBool(&Boolean_Not, {D(NaN)}), 0);
  EXPECT_FALSE(Raised(FE_INVALID));
}

}  // namespace
}  // namespace QuorbNameSpace
