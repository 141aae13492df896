// Token matchers: every hand-written matcher is checked against the
// std::regex it replaces over generated texts, ranges and sub-match indexes,
// then on the cases the scanner's token set depends on and on long matches.
#include "std_regex_oracle.h"  // first: it quiets a false warning of <regex>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "scanner/token_matchers.h"

namespace QuorbNameSpace {
namespace {

// A default pattern and the text fragments that exercise it hardest.
struct PatternCase {
  const char* pattern;
  std::vector<std::string> focus;
};

const std::string kNul(1, '\0');
const std::string kHighByte = "\xC3";

std::vector<PatternCase> DefaultPatterns() {
  const std::vector<std::string> literals = {".", "~", "(", ")", "{", "}", "[", "]", ";", ",", "#", "i"};
  return {
      {".", {"\n", "\r", "a", kNul, kHighByte, "."}},
      {"\\.", {".", "a", "\\"}},
      {"\\.\\.\\.", {".", "..", "...", "a"}},
      {"~~", {"~", "~~", "-"}},
      {"\\(", literals},
      {"\\)", literals},
      {"\\{", literals},
      {"\\}", literals},
      {"\\[", literals},
      {"\\]", literals},
      {";", literals},
      {"\\r?\\n", {"\r", "\n", "\r\n", " "}},
      {",", literals},
      {"'([^']*)'", {"'", "\"", "a", "\n", "\r", kNul, kHighByte, " "}},
      {"\"([^\"]*)\"", {"'", "\"", "a", "\n", "\r", kNul, kHighByte, " "}},
      {"~", {"~", "~~", "-"}},
      {R"([-:|+/*^$&#=%@!`\\<>?]+)",
       {"-", ":", "|", "+", "/", "*", "^", "$", "&", "#", "=", "%", "@", "!", "`", "\\", "<", ">", "?", "~", "."}},
      {"#i", {"#", "i", "#i", "I"}},
      {"[\\t ]+", {"\t", " ", "\r", "\v"}},
      {"[0-9]*\\.?[0-9]+([eE][+-]?[0-9]+)?", {"0", "7", "9", ".", "e", "E", "+", "-"}},
      {"[a-zA-Z][a-zA-Z0-9_]*", {"a", "z", "A", "Z", "_", "0", "9", kHighByte, "."}},
      {"[a-z][a-z0-9_]*", {"a", "z", "A", "Z", "_", "0", "9", kHighByte, "."}},
      {"(True|False)\\b",
       {"True", "False", "Truex", "True_", "Fals", "e", "_", "1", " ", kHighByte, ".", "TRUE", "fAlSe", "tru"}},
      {":|~~", {":", "~", "~~", "|", "a"}},
      {"[,\\)\\}]", {",", ")", "}", "]", "(", "\\", "a"}},
  };
}

// Fragments of every sort, mixed into each pattern's own.
const std::vector<std::string>& CommonFragments() {
  static const std::vector<std::string> fragments = {
      "0", "5", ".", "e", "E", "+", "-", "'", "\"", "a", "Q", "True", "False", "Truex", "_", "#", "i", "\t",
      " ", "\r", "\n", "~", "(", ")", "[", "{", ";", ",", ":", "=", "<", "?", "`", "\\", kNul, kHighByte};
  return fragments;
}

std::string Describe(const std::string& text, uint64_t pos, uint64_t end, uint64_t subMatch) {
  std::string shown;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7F) {
      shown += static_cast<char>(c);
    } else {
      static const char digits[] = "0123456789ABCDEF";
      shown += "\\x";
      shown += digits[c >> 4];
      shown += digits[c & 0xF];
    }
  }
  return "text \"" + shown + "\" pos " + std::to_string(pos) + " end " + std::to_string(end) + " sub " +
         std::to_string(subMatch);
}

// Runs both paths from the same starting `out` so that an untouched result
// on no match is compared too.
void ExpectSameAsRegex(TokenMatcher matcher, const std::regex& re, const std::string& text, uint64_t pos,
                       uint64_t end, uint64_t subMatch) {
  TokenMatch fast{77, 88, 99};
  TokenMatch slow{77, 88, 99};
  bool fastFound = matcher(text, pos, end, subMatch, fast);
  bool slowFound = MatchRegexAt(re, text, pos, end, subMatch, slow);
  ASSERT_EQ(fastFound, slowFound) << Describe(text, pos, end, subMatch);
  ASSERT_EQ(fast.length, slow.length) << Describe(text, pos, end, subMatch);
  ASSERT_EQ(fast.subStart, slow.subStart) << Describe(text, pos, end, subMatch);
  ASSERT_EQ(fast.subLength, slow.subLength) << Describe(text, pos, end, subMatch);
}

TEST(TokenMatchersTest, EveryDefaultPatternHasAMatcher) {
  for (const PatternCase& c : DefaultPatterns()) {
    EXPECT_NE(FindTokenMatcher(c.pattern), nullptr) << c.pattern;
  }
}

TEST(TokenMatchersTest, OtherPatternsHaveNone) {
  for (const char* pattern : {"", "[0-9]+", "(true|false)\\b", "\\.\\.", "'([^']*)", "[\\t ]*", ". ", "\\r\\n",
                              "[a-zA-Z][a-zA-Z0-9]*"}) {
    EXPECT_EQ(FindTokenMatcher(pattern), nullptr) << pattern;
  }
}

// The Windows builds compile the default patterns case-insensitively: each
// has a matcher for that flag too, checked against the regex with it.
const std::regex::flag_type kCaseModes[] = {std::regex::ECMAScript, std::regex::ECMAScript | std::regex::icase};

bool IgnoresCase(std::regex::flag_type flags) { return (flags & std::regex::icase) != 0; }

// A default pattern's matcher for `flags`, beside the regex it stands for.
struct MatcherAndRegex {
  MatcherAndRegex(const PatternCase& c, std::regex::flag_type flags)
      : matcher(FindTokenMatcher(c.pattern, IgnoresCase(flags))), re(c.pattern, flags) {}
  TokenMatcher matcher;
  std::regex re;
};

TEST(TokenMatchersTest, EverySingleByteAgreesWithRegex) {
  for (const PatternCase& c : DefaultPatterns()) {
    for (std::regex::flag_type flags : kCaseModes) {
      SCOPED_TRACE(std::string(c.pattern) + (IgnoresCase(flags) ? " (any case)" : ""));
      const auto [matcher, re] = MatcherAndRegex(c, flags);
      ASSERT_NE(matcher, nullptr);
      for (int byte = 0; byte < 256; ++byte) {
        std::string alone(1, static_cast<char>(byte));
        ExpectSameAsRegex(matcher, re, alone, 0, 1, 0);
        // The byte after a complete token decides boundaries and runs.
        for (const char* prefix : {"True", "1", "a", "-", " ", "'", "\r"}) {
          std::string text = prefix + alone;
          ExpectSameAsRegex(matcher, re, text, 0, text.size(), 0);
        }
      }
    }
  }
}

TEST(TokenMatchersTest, GeneratedTextsAgreeWithRegex) {
  std::mt19937 random(20240611u);
  const std::vector<std::string>& common = CommonFragments();
  for (const PatternCase& c : DefaultPatterns()) {
    for (std::regex::flag_type flags : kCaseModes) {
      SCOPED_TRACE(std::string(c.pattern) + (IgnoresCase(flags) ? " (any case)" : ""));
      const auto [matcher, re] = MatcherAndRegex(c, flags);
      ASSERT_NE(matcher, nullptr);
      for (int n = 0; n < 4000; ++n) {
        std::string text;
        int pieces = static_cast<int>(random() % 12);
        for (int k = 0; k < pieces; ++k) {
          if (random() % 4 != 0) {
            text += c.focus[random() % c.focus.size()];
          } else {
            text += common[random() % common.size()];
          }
        }
        uint64_t size = text.size();
        uint64_t pos = random() % 3 == 0 ? 0 : random() % (size + 1);
        uint64_t end = random() % 2 == 0 ? size : pos + random() % (size - pos + 1);
        for (uint64_t subMatch = 0; subMatch <= 2; ++subMatch) {
          ExpectSameAsRegex(matcher, re, text, pos, end, subMatch);
          if (HasFatalFailure()) return;
        }
      }
    }
  }
}

TEST(TokenMatchersTest, EmptyRangeNeverMatches) {
  const std::string text = "True 1.5 'a' ~~ ...";
  for (const PatternCase& c : DefaultPatterns()) {
    TokenMatcher matcher = FindTokenMatcher(c.pattern);
    std::regex re(c.pattern);
    for (uint64_t pos = 0; pos <= text.size(); ++pos) {
      TokenMatch out;
      EXPECT_FALSE(matcher(text, pos, pos, 0, out)) << c.pattern << " at " << pos;
      EXPECT_FALSE(MatchRegexAt(re, text, pos, pos, 0, out)) << c.pattern << " at " << pos;
    }
  }
}

TEST(TokenMatchersTest, RangeOutsideTheTextNeverMatches) {
  const std::string text = "abc";
  for (const PatternCase& c : DefaultPatterns()) {
    TokenMatch out;
    EXPECT_FALSE(FindTokenMatcher(c.pattern)(text, 0, 4, 0, out)) << c.pattern;
    EXPECT_FALSE(FindTokenMatcher(c.pattern)(text, 3, 2, 0, out)) << c.pattern;
  }
  TokenMatch out;
  EXPECT_FALSE(MatchRegexAt(std::regex("a*"), text, 0, 4, 0, out));
  EXPECT_FALSE(MatchRegexAt(std::regex("a*"), text, 3, 2, 0, out));
}

// Checks one expectation on both the hand-written matcher and the regex.
void ExpectMatch(const char* pattern, const std::string& text, uint64_t pos, uint64_t end, uint64_t subMatch,
                 bool found, uint64_t length = 0, uint64_t subStart = 0, uint64_t subLength = 0) {
  SCOPED_TRACE(std::string(pattern) + " / " + Describe(text, pos, end, subMatch));
  TokenMatch fast;
  TokenMatch slow;
  ASSERT_EQ(FindTokenMatcher(pattern)(text, pos, end, subMatch, fast), found);
  ASSERT_EQ(MatchRegexAt(std::regex(pattern), text, pos, end, subMatch, slow), found);
  if (!found) return;
  for (const TokenMatch& out : {fast, slow}) {
    EXPECT_EQ(out.length, length);
    EXPECT_EQ(out.subStart, subStart);
    EXPECT_EQ(out.subLength, subLength);
  }
}

const char* const kNumber = "[0-9]*\\.?[0-9]+([eE][+-]?[0-9]+)?";
const char* const kBool = "(True|False)\\b";

TEST(TokenMatchersTest, NumberWithLeadingPointAndExponentIsOneToken) {
  ExpectMatch(kNumber, ".5e3", 0, 4, 0, true, 4, 0, 4);
  ExpectMatch(kNumber, ".5e3", 0, 4, 1, true, 4, 2, 2);
  ExpectMatch(kNumber, "x1.25E-10;", 1, 10, 1, true, 8, 5, 4);
}

TEST(TokenMatchersTest, NumberGivesBackWhatCannotFollow) {
  ExpectMatch(kNumber, "1.", 0, 2, 0, true, 1, 0, 1);
  ExpectMatch(kNumber, "1e+", 0, 3, 0, true, 1, 0, 1);
  ExpectMatch(kNumber, "1e+", 0, 3, 1, true, 1, 0, 0);  // no exponent: group 1 unmatched
  ExpectMatch(kNumber, "1.2.3", 0, 5, 0, true, 3, 0, 3);
  ExpectMatch(kNumber, "12.5", 0, 3, 0, true, 2, 0, 2);  // the range cuts off the fraction
  ExpectMatch(kNumber, "7e5", 0, 2, 0, true, 1, 0, 1);
  ExpectMatch(kNumber, ".e5", 0, 3, 0, false);
  ExpectMatch(kNumber, ".", 0, 1, 0, false);
}

TEST(TokenMatchersTest, BoolWordNeedsAWordBoundary) {
  ExpectMatch(kBool, "True", 0, 4, 0, true, 4, 0, 4);
  ExpectMatch(kBool, "True", 0, 4, 1, true, 4, 0, 4);
  ExpectMatch(kBool, "Truex", 0, 5, 0, false);
  ExpectMatch(kBool, "True_", 0, 5, 0, false);
  ExpectMatch(kBool, "True1", 0, 5, 0, false);
  ExpectMatch(kBool, "True+", 0, 5, 0, true, 4, 0, 4);
  ExpectMatch(kBool, "True\xC3", 0, 5, 0, true, 4, 0, 4);
  ExpectMatch(kBool, "(False)", 1, 7, 0, true, 5, 1, 5);
  ExpectMatch(kBool, "true", 0, 4, 0, false);
  // The range end is the end of input, so the boundary holds there.
  ExpectMatch(kBool, "Truex", 0, 4, 0, true, 4, 0, 4);
}

TEST(TokenMatchersTest, ThreeFullStopsAreOneToken) {
  ExpectMatch("\\.\\.\\.", "...", 0, 3, 0, true, 3, 0, 3);
  ExpectMatch("\\.\\.\\.", "....", 1, 4, 0, true, 3, 1, 3);
  ExpectMatch("\\.\\.\\.", "..", 0, 2, 0, false);
  ExpectMatch("\\.\\.\\.", "...", 0, 2, 0, false);
  ExpectMatch("\\.\\.\\.", "..x", 0, 3, 0, false);
}

TEST(TokenMatchersTest, QuotedTextCapturesItsInside) {
  ExpectMatch("'([^']*)'", "x'ab'c", 1, 6, 0, true, 4, 1, 4);
  ExpectMatch("'([^']*)'", "x'ab'c", 1, 6, 1, true, 4, 2, 2);
  ExpectMatch("'([^']*)'", "x'ab'c", 1, 6, 2, true, 4, 1, 0);  // no group 2
  ExpectMatch("'([^']*)'", "''", 0, 2, 1, true, 2, 1, 0);        // empty inside, still matched
  ExpectMatch("'([^']*)'", "'a'b'", 0, 5, 0, true, 3, 0, 3);     // the first closing quote ends it
  ExpectMatch("'([^']*)'", std::string("'a\nb\r\0'", 7), 0, 7, 1, true, 7, 1, 5);
  ExpectMatch("'([^']*)'", "'ab'", 0, 3, 0, false);  // closing quote outside the range
  ExpectMatch("\"([^\"]*)\"", "\"it's\"", 0, 6, 1, true, 6, 1, 4);
}

TEST(TokenMatchersTest, AnyCharExcludesOnlyLineTerminators) {
  ExpectMatch(".", "\n", 0, 1, 0, false);
  ExpectMatch(".", "\r", 0, 1, 0, false);
  ExpectMatch(".", std::string(1, '\0'), 0, 1, 0, true, 1, 0, 1);
  ExpectMatch(".", "\xC3", 0, 1, 0, true, 1, 0, 1);
  ExpectMatch(".", "\v", 0, 1, 0, true, 1, 0, 1);
}

TEST(TokenMatchersTest, LineBreakTakesCarriageReturnOnlyBeforeLineFeed) {
  ExpectMatch("\\r?\\n", "\r\n", 0, 2, 0, true, 2, 0, 2);
  ExpectMatch("\\r?\\n", "\n", 0, 1, 0, true, 1, 0, 1);
  ExpectMatch("\\r?\\n", "\r\r\n", 0, 3, 0, false);
  ExpectMatch("\\r?\\n", "\r\n", 0, 1, 0, false);
}

TEST(TokenMatchersTest, OperatorRunIncludesBackslashAndStopsAtOthers) {
  const char* op = R"([-:|+/*^$&#=%@!`\\<>?]+)";
  ExpectMatch(op, "a:=\\?b", 1, 6, 0, true, 4, 1, 4);
  ExpectMatch(op, "-~", 0, 2, 0, true, 1, 0, 1);
  ExpectMatch(op, "~", 0, 1, 0, false);
  ExpectMatch(op, ".", 0, 1, 0, false);
}

TEST(TokenMatchersTest, RegexPathReportsGroupsAsOffsets) {
  TokenMatch out;
  ASSERT_TRUE(MatchRegexAt(std::regex("(a)|(b)"), "xb", 1, 2, 1, out));
  EXPECT_EQ(out.length, 1u);
  EXPECT_EQ(out.subStart, 1u) << "an unmatched group sits at the position";
  EXPECT_EQ(out.subLength, 0u);
  ASSERT_TRUE(MatchRegexAt(std::regex("(a)|(b)"), "xb", 1, 2, 2, out));
  EXPECT_EQ(out.subStart, 1u);
  EXPECT_EQ(out.subLength, 1u);
  ASSERT_TRUE(MatchRegexAt(std::regex("a(b+)"), "xxabbc", 2, 6, 1, out));
  EXPECT_EQ(out.length, 3u);
  EXPECT_EQ(out.subStart, 3u);
  EXPECT_EQ(out.subLength, 2u);
}

TEST(TokenMatchersTest, RegexPathIsAnchoredButAllowsEmptyMatches) {
  TokenMatch out{5, 5, 5};
  EXPECT_FALSE(MatchRegexAt(std::regex("b"), "ab", 0, 2, 0, out)) << "the match must start at the position";
  EXPECT_EQ(out.length, 5u) << "no match leaves the result alone";
  ASSERT_TRUE(MatchRegexAt(std::regex("a*"), "ab", 2, 2, 0, out));
  EXPECT_EQ(out.length, 0u);
  EXPECT_EQ(out.subStart, 2u);
}

// Runs the matcher on a long token and expects it whole; a matcher that
// recursed per character would exhaust the stack here.
void ExpectLongMatch(const char* pattern, const std::string& text, uint64_t length) {
  TokenMatch out;
  ASSERT_TRUE(FindTokenMatcher(pattern)(text, 0, text.size(), 0, out)) << pattern;
  EXPECT_EQ(out.length, length) << pattern;
}

TEST(TokenMatchersTest, LongTokensDoNotExhaustTheStack) {
  const uint64_t n = 200000;
  std::string quoted = "'" + std::string(n, 'q') + "'";
  TokenMatch out;
  ASSERT_TRUE(FindTokenMatcher("'([^']*)'")(quoted, 0, quoted.size(), 1, out));
  EXPECT_EQ(out.length, n + 2);
  EXPECT_EQ(out.subStart, 1u);
  EXPECT_EQ(out.subLength, n);
  std::string unclosed = "\"" + std::string(n, 'q');
  EXPECT_FALSE(FindTokenMatcher("\"([^\"]*)\"")(unclosed, 0, unclosed.size(), 1, out));

  std::string number = std::string(n, '1') + "." + std::string(n, '2') + "e+" + std::string(n, '3');
  ExpectLongMatch(kNumber, number, 3 * n + 3);
  ExpectLongMatch(kNumber, std::string(n, '4') + ".", n);
  ExpectLongMatch(R"([-:|+/*^$&#=%@!`\\<>?]+)", std::string(n, '='), n);
  ExpectLongMatch("[\\t ]+", std::string(n, ' '), n);
  ExpectLongMatch("[a-zA-Z][a-zA-Z0-9_]*", "x" + std::string(n, '_'), n + 1);
  ExpectLongMatch("[a-z][a-z0-9_]*", "x" + std::string(n, '9'), n + 1);
}

// The matchers of common rule patterns against the regex, as the default
// ones: every byte alone and after a token, generated texts and ranges,
// both case modes; and only for their own patterns, and not when switched off.
TEST(TokenMatchersTest, RulePatternMatchersAgreeWithRegex) {
  const std::vector<PatternCase> rulePatterns = {{"[0-9]+", {"0", "9", "5", "a", ".", " ", "-", "/", ":", kHighByte}}};
  std::mt19937 random(91207u);
  const std::vector<std::string>& common = CommonFragments();
  for (const PatternCase& c : rulePatterns) {
    const TokenMatcher matcher = FindRulePatternMatcher(c.pattern);
    ASSERT_NE(matcher, nullptr) << c.pattern;
    EXPECT_EQ(FindTokenMatcher(c.pattern), nullptr) << "not a default pattern";
    for (std::regex::flag_type flags : kCaseModes) {
      SCOPED_TRACE(std::string(c.pattern) + (IgnoresCase(flags) ? " (any case)" : ""));
      const std::regex re(c.pattern, flags);
      for (int byte = 0; byte < 256; ++byte) {
        const std::string alone(1, static_cast<char>(byte));
        ExpectSameAsRegex(matcher, re, alone, 0, 1, 0);
        for (const char* prefix : {"1", "12", "a", " "}) {
          const std::string text = prefix + alone;
          ExpectSameAsRegex(matcher, re, text, 0, text.size(), 0);
        }
      }
      for (int n = 0; n < 4000; ++n) {
        std::string text;
        for (int k = static_cast<int>(random() % 12); k > 0; --k)
          text += random() % 4 != 0 ? c.focus[random() % c.focus.size()] : common[random() % common.size()];
        const uint64_t size = text.size();
        const uint64_t pos = random() % 3 == 0 ? 0 : random() % (size + 1);
        const uint64_t end = random() % 2 == 0 ? size : pos + random() % (size - pos + 1);
        for (uint64_t subMatch = 0; subMatch <= 2; ++subMatch) {
          ExpectSameAsRegex(matcher, re, text, pos, end, subMatch);
          if (HasFatalFailure()) return;
        }
      }
    }
  }
  for (const char* other : {"", "[0-9]*", "[0-9]+x", "[0-8]+", "\\d+", "[0-9]*\\.?[0-9]+([eE][+-]?[0-9]+)?"})
    EXPECT_EQ(FindRulePatternMatcher(other), nullptr) << other;
  HandWrittenRulePatterns = false;
  EXPECT_EQ(FindRulePatternMatcher("[0-9]+"), nullptr) << "the slow twin: the host-pattern engine";
  HandWrittenRulePatterns = true;
}

}  // namespace
}  // namespace QuorbNameSpace
