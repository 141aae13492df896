// The text-to-number helpers must agree with the standard string-to-number
// functions they stand in for (std::stoi, stoll, stoull, stof, stod), which
// serve as the reference here: same value, and a failure exactly where the
// reference throws, of the matching kind.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "types/number_parsing.h"

namespace QuorbNameSpace {
namespace {

// Texts with a number at the start, without one, and at every range edge.
const std::vector<std::string>& Corpus() {
  static const std::vector<std::string> corpus = {
      "0", "42", "-42", "+7", "  42xyz", "\t\n\v\f\r 9", "12abc", "007", "-0",
      "xyz", " ", "-", "+", "--1", "+-1", "- 1", "0x1A", "0x", "1e5", "1.5", ".5",
      "5.", "1,5", "e5", "1e", "1e+", "\xef\xbc\x91",
      "2147483647", "2147483648", "-2147483648", "-2147483649",
      "4294967295", "4294967296", "3000000000",
      "9223372036854775807", "9223372036854775808",
      "-9223372036854775808", "-9223372036854775809",
      "18446744073709551615", "18446744073709551616", "-1",
      "-18446744073709551615", "-18446744073709551616",
      "99999999999999999999999999",
      "1e38", "3.4028235e38", "3.5e38", "1e39", "1e-38", "1e-40", "1e-46",
      "1e308", "1e309", "1e999", "-1e999", "1e-300", "1e-310", "1e-400",
      "inf", "-Infinity", "INF", "infinit", "nan", "-NaN", "nan(123)",
      "0x1p-2", "0X1.8P1", "0x1p-1074", "0x1p-1080", "0.1", "1234567.0",
      "0.000012345",
  };
  return corpus;
}

// What the reference did with one text.
template <typename Number>
struct Outcome {
  ParseStatus status = ParseStatus::Ok;
  Number value{};
};

template <typename Number, typename Reference>
Outcome<Number> RunReference(const std::string& text, Reference reference) {
  Outcome<Number> outcome;
  try {
    outcome.value = reference(text);
  } catch (const std::invalid_argument&) {
    outcome.status = ParseStatus::Invalid;
  } catch (const std::out_of_range&) {
    outcome.status = ParseStatus::OutOfRange;
  }
  return outcome;
}

template <typename Number>
bool SameNumber(Number a, Number b) {
  if constexpr (std::is_floating_point<Number>::value) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, sizeof a) == 0;  // also tells 0 from -0
  } else {
    return a == b;
  }
}

const char* StatusName(ParseStatus status) {
  switch (status) {
    case ParseStatus::Ok: return "Ok";
    case ParseStatus::Invalid: return "Invalid";
    case ParseStatus::OutOfRange: return "OutOfRange";
  }
  return "?";
}

// Checks one helper against its reference over the whole corpus.
template <typename Number, typename Parse, typename Reference>
void ExpectAgreesWithReference(Parse parse, Reference reference) {
  for (const std::string& text : Corpus()) {
    SCOPED_TRACE("text: \"" + text + "\"");
    const Outcome<Number> expected = RunReference<Number>(text, reference);
    const Number untouched = static_cast<Number>(77);
    Number actual = untouched;
    const ParseStatus status = parse(text, actual);
    EXPECT_STREQ(StatusName(expected.status), StatusName(status));
    if (expected.status == ParseStatus::Ok) {
      EXPECT_TRUE(SameNumber(expected.value, actual)) << expected.value << " vs " << actual;
    } else {
      EXPECT_TRUE(SameNumber(untouched, actual)) << "output written on failure";
    }
  }
}

TEST(TextParsingAgainstStandard, Int32MatchesStoi) {
  ExpectAgreesWithReference<int32_t>(
      ParseInt32Text, [](const std::string& s) { return static_cast<int32_t>(std::stoi(s)); });
}

TEST(TextParsingAgainstStandard, Int64MatchesStoll) {
  ExpectAgreesWithReference<int64_t>(
      ParseInt64Text, [](const std::string& s) { return static_cast<int64_t>(std::stoll(s)); });
}

TEST(TextParsingAgainstStandard, UInt64MatchesStoull) {
  ExpectAgreesWithReference<uint64_t>(
      ParseUInt64Text, [](const std::string& s) { return static_cast<uint64_t>(std::stoull(s)); });
}

TEST(TextParsingAgainstStandard, FloatMatchesStof) {
  ExpectAgreesWithReference<float>(ParseFloatText,
                                   [](const std::string& s) { return std::stof(s); });
}

TEST(TextParsingAgainstStandard, DoubleMatchesStod) {
  ExpectAgreesWithReference<double>(ParseDoubleText,
                                    [](const std::string& s) { return std::stod(s); });
}

// The widened rule is stoll limited to [INT32_MIN, UINT32_MAX].
TEST(TextParsingAgainstStandard, Int32WideMatchesStollWithinItsRange) {
  ExpectAgreesWithReference<int64_t>(ParseInt32WideText, [](const std::string& s) {
    const long long value = std::stoll(s);
    if (value < std::numeric_limits<int32_t>::min() ||
        value > static_cast<long long>(std::numeric_limits<uint32_t>::max())) {
      throw std::out_of_range("outside [INT32_MIN, UINT32_MAX]");
    }
    return static_cast<int64_t>(value);
  });
}

// The one place the helpers deliberately differ from the reference, which
// throws for the empty text: here it is zero, and the output is written.
TEST(TextParsingEmptyText, IsZeroForEveryHelper) {
  int32_t i32 = 5;
  int64_t wide = 5, i64 = 5;
  uint64_t u64 = 5;
  float f = 5;
  double d = 5;
  EXPECT_EQ(ParseStatus::Ok, ParseInt32Text("", i32));
  EXPECT_EQ(ParseStatus::Ok, ParseInt32WideText("", wide));
  EXPECT_EQ(ParseStatus::Ok, ParseInt64Text("", i64));
  EXPECT_EQ(ParseStatus::Ok, ParseUInt64Text("", u64));
  EXPECT_EQ(ParseStatus::Ok, ParseFloatText("", f));
  EXPECT_EQ(ParseStatus::Ok, ParseDoubleText("", d));
  EXPECT_EQ(0, i32);
  EXPECT_EQ(0, wide);
  EXPECT_EQ(0, i64);
  EXPECT_EQ(0u, u64);
  EXPECT_EQ(0.0f, f);
  EXPECT_EQ(0.0, d);
}

// Text after an embedded NUL is never seen, as with the C conversions.
TEST(TextParsingEdges, StopsAtEmbeddedNul) {
  int32_t value = 0;
  EXPECT_EQ(ParseStatus::Ok, ParseInt32Text(std::string("12\0" "34", 5), value));
  EXPECT_EQ(12, value);
  EXPECT_EQ(ParseStatus::Invalid, ParseInt32Text(std::string("\0" "34", 3), value));
}

// A caller that checks errno after its own work must not see ours.
TEST(TextParsingEdges, LeavesCallersErrnoAlone) {
  double value = 0;
  errno = 0;
  EXPECT_EQ(ParseStatus::OutOfRange, ParseDoubleText("1e999", value));
  EXPECT_EQ(0, errno);
  errno = EDOM;
  EXPECT_EQ(ParseStatus::Ok, ParseDoubleText("1", value));
  EXPECT_EQ(EDOM, errno);
  errno = 0;
}

}  // namespace
}  // namespace QuorbNameSpace
