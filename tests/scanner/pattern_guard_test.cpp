// Numbers in host patterns are checked before the standard compiler reads
// them into an unchecked integer.
#include <gtest/gtest.h>

#include <regex>

#include "scanner/pattern_guard.h"

namespace QuorbNameSpace {
namespace {

TEST(PatternGuard, BackReferencesAndCountsWithinTheLimit) {
  for (const char* pattern : {"a{2}", "a{0,10000}", "(a)\\1", "x{3,}", "[0-9]+", "\\d{1,3}", "00000000000001",
                              "a{0000000000002}", "\\\\99999999"}) {
    EXPECT_TRUE(PatternNumbersFit(pattern)) << pattern;
  }
}

TEST(PatternGuard, NumbersBeyondTheLimitAreRefused) {
  for (const char* pattern : {"a{10001}", "a{1,99999999999999999999}", "\\9999999999999999998", "(a)\\10001",
                              "a\\{123456\\}", "b{2}c{100000,}"}) {
    EXPECT_FALSE(PatternNumbersFit(pattern)) << pattern;
    HostRegex compiled;
    EXPECT_THROW(CompilePattern(compiled, pattern, std::regex::ECMAScript), std::regex_error) << pattern;
  }
}

TEST(PatternGuard, CompilesWhatFits) {
  HostRegex compiled;
  CompilePattern(compiled, "ab{2}", std::regex::ECMAScript);
  TokenMatch match;
  ASSERT_EQ(MatchRegexAt(compiled, "abb", 0, 3, 0, match), RegexOutcome::Match);
  EXPECT_EQ(match.length, 3u);
  EXPECT_THROW(CompilePattern(compiled, "a(", std::regex::ECMAScript), std::regex_error);
}

}  // namespace
}  // namespace QuorbNameSpace
