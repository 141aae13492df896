// The host-pattern engine: the same matches as the standard library's regex
// in every grammar, long matches without exhausting the stack, and a
// runaway pattern that gives up instead of running for ever.
#include "std_regex_oracle.h"  // first: it quiets a false warning of <regex>

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

#include "scanner/host_regex.h"
#include "scanner/token_matchers.h"

namespace QuorbNameSpace {
namespace {

struct GrammarCase {
  std::regex::flag_type flags;
  std::vector<const char*> patterns;
};

// Patterns whose meaning the engines' defaults would split: anchors, ".",
// line breaks, NUL, boundaries, alternation order, groups, back-references.
std::vector<GrammarCase> GrammarCases() {
  const auto ecma = std::regex::ECMAScript;
  return {
      {ecma,
       {"^a", "a$", "^$", ".", "a.b", ".*", "[.]+", "\\.", "[^a]+", "a|ab", "(a|ab)(b*)", "\\bab\\b", "\\w+",
        "\\s+", "[[:alpha:]]+", "(a)\\1", "a*?b", "(?=a)a", "(?!b).", "[\\n]", "[^\\n]+", "a{2,3}", "(a)|(b)"}},
      {ecma | std::regex::icase, {"A+", "[a-c]+", "^Ab$", ".b"}},
      {std::regex::basic, {"^a", "a$", ".", "a*b", "\\(a\\)\\1", "a\\{2\\}", "[^a]"}},
      {std::regex::extended, {"^a", "a$", ".", "(a|ab)(b*)", "a+b?", "[[:space:]]+", "a{1,2}"}},
      {std::regex::awk, {"^a", ".", "a|ab", "[\\n]+"}},
      {std::regex::grep, {"^a", ".", "a*", "a\nb"}},
      {std::regex::egrep, {"^a", ".", "a|ab", "a\nb+"}},
  };
}

// Fewer than `most` pieces drawn at random.
std::string TextOfPieces(std::mt19937& random, const std::vector<std::string>& pieces, unsigned most) {
  std::string text;
  const unsigned count = static_cast<unsigned>(random() % most);
  for (unsigned k = 0; k < count; ++k) text += pieces[random() % pieces.size()];
  return text;
}

std::string RandomText(std::mt19937& random) {
  static const std::vector<std::string> pieces = {"a", "b", "ab", "A", "B", " ", "\n", "\r", "\f", std::string(1, '\0'),
                                                  "_", ".", "\t", "\xC3"};
  return TextOfPieces(random, pieces, 8);
}

TEST(HostRegexTest, MatchesAsTheStandardRegexInEveryGrammar) {
  std::mt19937 random(1401u);
  for (const GrammarCase& grammar : GrammarCases()) {
    for (const char* pattern : grammar.patterns) {
      SCOPED_TRACE(std::string("pattern ") + pattern + " flags " + std::to_string(grammar.flags));
      const std::regex oracle(pattern, grammar.flags);
      const HostRegex host(pattern, grammar.flags);
      for (int n = 0; n < 600; ++n) {
        const std::string text = RandomText(random);
        const uint64_t pos = random() % (text.size() + 1);
        const uint64_t end = pos + random() % (text.size() - pos + 1);
        // POSIX gives each group its longest match in turn; the standard
        // library's own matcher does not, so only whole matches compare.
        const uint64_t lastSub = grammar.flags & std::regex::ECMAScript ? 2 : 0;
        for (uint64_t sub = 0; sub <= lastSub; ++sub) {
          TokenMatch expected{7, 7, 7};
          TokenMatch actual{7, 7, 7};
          const bool found = MatchRegexAt(oracle, text, pos, end, sub, expected);
          ASSERT_EQ(MatchRegexAt(host, text, pos, end, sub, actual) == RegexOutcome::Match, found)
              << "text of " << text.size() << " at " << pos << ".." << end;
          ASSERT_EQ(actual.length, expected.length);
          ASSERT_EQ(actual.subStart, expected.subStart);
          ASSERT_EQ(actual.subLength, expected.subLength);
        }
      }
    }
  }
}

TEST(HostRegexTest, KeepsTheGrammarItWasCompiledWith) {
  EXPECT_EQ(HostRegex().flags(), std::regex::ECMAScript);
  EXPECT_FALSE(HostRegex().Compiled());
  TokenMatch out;
  EXPECT_EQ(MatchRegexAt(HostRegex(), "a", 0, 1, 0, out), RegexOutcome::NoMatch) << "an empty pattern matches nothing";
  const HostRegex extended("a+", std::regex::extended | std::regex::icase);
  EXPECT_EQ(extended.flags(), std::regex::extended | std::regex::icase);
}

TEST(HostRegexTest, MalformedPatternsThrowTheStandardError) {
  for (const char* pattern : {"a(", "[a", "a)", "*a", "(a)\\10001"}) {
    EXPECT_THROW(HostRegex(pattern, std::regex::ECMAScript), std::regex_error) << pattern;
  }
  EXPECT_THROW(HostRegex("\\(a", std::regex::basic), std::regex_error);
}

TEST(HostRegexTest, LongMatchesDoNotExhaustTheStack) {
  const uint64_t n = 2u << 20;
  const std::string word(n, 'q');
  TokenMatch out;
  ASSERT_EQ(MatchRegexAt(HostRegex("[a-z_]+"), word, 0, n, 0, out), RegexOutcome::Match);
  EXPECT_EQ(out.length, n);
  const std::string quoted = "<" + word + ">";
  ASSERT_EQ(MatchRegexAt(HostRegex("<([^>]*)>"), quoted, 0, quoted.size(), 1, out), RegexOutcome::Match);
  EXPECT_EQ(out.subLength, n);
  EXPECT_EQ(MatchRegexAt(HostRegex("[a-z]+x"), word, 0, n, 0, out), RegexOutcome::NoMatch);
}

TEST(HostRegexTest, RunawayBacktrackingGivesUp) {
  for (const char* pattern : {"(a+)+b", "(a|aa)*c", "(x+x+)+y"}) {
    const std::string text(40, pattern[1]);
    TokenMatch out{3, 3, 3};
    EXPECT_EQ(MatchRegexAt(HostRegex(pattern), text, 0, text.size(), 0, out), RegexOutcome::GaveUp) << pattern;
    EXPECT_EQ(out.length, 3u) << "no result written";
  }
}

// Texts built from the bytes the default patterns care about, so that every
// pattern matches some of them at some position.
std::string DefaultPatternText(std::mt19937& random) {
  static const std::vector<std::string> pieces = {"a", "Z", "_", "0", "9", ".", "...", "e+", "E-", "(", ")", "{",
                                                  "}", "[", "]", ";", "\r\n", "\n", "\r", ",", "'", "\"", "~",
                                                  "~~", "#i", "#I", "+", "<>", " ", "\t", "True", "false", ":"};
  return TextOfPieces(random, pieces, 7);
}

// A default pattern whose engine form waits for its first match holds what
// the eagerly compiled one holds: the same first bytes, the same flags and
// the same matches (the deferred form is compiled by the first of them).
TEST(HostRegexTest, DeferredDefaultPatternsActAsCompiledOnes) {
  std::mt19937 random(3203u);
  for (const bool deferring : {true, false}) {
    CompileDefaultPatternsOnFirstUse = deferring;
    for (const std::string& pattern : HandWrittenTokenPatterns()) {
      for (const auto flags : {std::regex::ECMAScript, std::regex::ECMAScript | std::regex::icase}) {
        SCOPED_TRACE("pattern " + pattern + " flags " + std::to_string(flags) + (deferring ? " deferred" : " eager"));
        const HostRegex eager(pattern, flags);
        const HostRegex deferred = HostRegex::Deferred(pattern, flags);
        const HostRegex shared = deferred;  // a copy shares the form made later
        EXPECT_EQ(deferred.flags(), eager.flags());
        EXPECT_EQ(deferred.Compiled(), eager.Compiled());
        for (int w = 0; w < 4; ++w) EXPECT_EQ(deferred.FirstBytes().words[w], eager.FirstBytes().words[w]) << w;
        for (int n = 0; n < 300; ++n) {
          const std::string text = DefaultPatternText(random);
          const uint64_t pos = random() % (text.size() + 1);
          const uint64_t end = pos + random() % (text.size() - pos + 1);
          for (uint64_t sub = 0; sub <= 1; ++sub) {
            TokenMatch expected{7, 7, 7};
            TokenMatch actual{7, 7, 7};
            const RegexOutcome outcome = MatchRegexAt(eager, text, pos, end, sub, expected);
            ASSERT_EQ(MatchRegexAt(n % 2 == 0 ? deferred : shared, text, pos, end, sub, actual), outcome) << text;
            ASSERT_EQ(actual.length, expected.length);
            ASSERT_EQ(actual.subStart, expected.subStart);
            ASSERT_EQ(actual.subLength, expected.subLength);
          }
        }
      }
    }
  }
  CompileDefaultPatternsOnFirstUse = true;
}

// Only a pattern known to compile may wait: any other compiles at once and
// throws as the constructor does.
TEST(HostRegexTest, DeferringLeavesOtherPatternsToTheConstructor) {
  EXPECT_THROW(HostRegex::Deferred("a(", std::regex::ECMAScript), std::regex_error);
  EXPECT_THROW(HostRegex::Deferred("\\(a", std::regex::basic), std::regex_error);
  const HostRegex empty = HostRegex::Deferred("a*", std::regex::ECMAScript);
  EXPECT_EQ(empty.FirstBytes().words[0], ~0ULL) << "a pattern that matches empty starts anywhere";
  TokenMatch out;
  EXPECT_EQ(MatchRegexAt(HostRegex::Deferred("\\(b\\)", std::regex::basic), "(b)b", 0, 4, 0, out), RegexOutcome::NoMatch);
}

}  // namespace
}  // namespace QuorbNameSpace
