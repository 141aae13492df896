// Token dispatch by first byte against its slow twin (every token pattern
// tried in turn), and the lean token step against the general loop:
// generated token sets, texts and scans must give the same tokens, kinds
// and positions; and the first bytes read from pattern texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/quorb.h"
#include "engine/sentinels.h"
#include "scanner/pattern_first_bytes.h"
#include "scanner/pattern_platform.h"
#include "scanner/rule_parts.h"
#include "scanner/string_location.h"
#include "scanner/token_dispatch.h"
#include "scanner/token_step.h"

namespace QuorbNameSpace {
namespace {

// Default patterns (with their hand-written matchers), host patterns whose
// first bytes are known, and some whose first bytes are not (look-aheads,
// empty matches, named classes, other grammars below).
const char* const kPatterns[] = {
    ".", "\\.", "\\.\\.\\.", "~~", "\\(", "\\)", ";", "\\r?\\n", ",", "'([^']*)'", "[-:|+/*^$&#=%@!`\\\\<>?]+",
    "[\\t ]+", "[0-9]*\\.?[0-9]+([eE][+-]?[0-9]+)?", "[a-zA-Z][a-zA-Z0-9_]*", "[a-z][a-z0-9_]*", "(True|False)\\b",
    "#i", "[0-9]+", "[a-z]+", "ab|cd", "x*y", "(?=a)\\w+", "\\bq\\w*", "[^,;]+", "a?", "$", "\\d+(\\.\\d+)?",
    "[-+*/]+", "(ab)+c", "[[:alpha:]]+", "\\w+", "A|b", "[Q-Z]{2,3}", "[\\]x]", "\\xE9", "[^a]", "(?:T|F)(x)?",
    "(b|)c", "[a-c]{0,2}d",
};
const size_t kPatternCount = sizeof(kPatterns) / sizeof(kPatterns[0]);
const TokenEnum kKinds[] = {TokenGeneric, TokenAlphanumeric, TokenLiteral, TokenWhitespace, TokenStatementSep,
                            TokenReducible, TokenArgSeparator};

// What one scan left: enough to tell any difference in tokens, kinds or
// positions.
struct Seen {
  uint64_t index, kind, pos, tokenLoc, tokenLen, stopLoc, stopLen;
  bool stopFound;
  // What else a step leaves: the place of the token before, where the
  // whole match and the scan began, the last blank run, the last match.
  uint64_t previousPlace, scanStart, tokenStart, blankStart, matchLength, matchSubStart;
  bool operator==(const Seen& o) const {
    return index == o.index && kind == o.kind && pos == o.pos && tokenLoc == o.tokenLoc && tokenLen == o.tokenLen &&
           stopLoc == o.stopLoc && stopLen == o.stopLen && stopFound == o.stopFound &&
           previousPlace == o.previousPlace && scanStart == o.scanStart && tokenStart == o.tokenStart &&
           blankStart == o.blankStart && matchLength == o.matchLength && matchSubStart == o.matchSubStart;
  }
};

std::ostream& operator<<(std::ostream& out, const Seen& s) {
  return out << "{index " << s.index << ", kind " << s.kind << ", pos " << s.pos << ", token " << s.tokenLoc << "+"
             << s.tokenLen << ", stop " << s.stopLoc << "+" << s.stopLen << (s.stopFound ? " found" : "")
             << ", previous " << s.previousPlace << ", scan " << s.scanStart << ", match " << s.tokenStart << " "
             << s.matchSubStart << "+" << s.matchLength << ", blank " << s.blankStart << "}";
}

uint64_t KindOf(const QuorbItem* token) {
  return token != nullptr ? static_cast<uint64_t>(token->Token().TokenKind) : 99;
}

// The list index of the token before the last step, 999 when the list no
// longer holds it: that item may be freed, so it is only compared.
uint64_t PlaceOfPrevious(const StringLocation& cursor) {
  const std::vector<QuorbItem*>& tokens = *cursor.Tokens;
  const auto at = std::find(tokens.begin(), tokens.end(), cursor.PrevToken);
  return at != tokens.end() ? static_cast<uint64_t>(at - tokens.begin()) : 999;
}

Seen Record(const StringLocation& cursor, uint64_t index) {
  return {index, KindOf(cursor.CurrentToken), cursor.Pos, cursor.TokenLoc, cursor.TokenLen, cursor.StopLoc,
          cursor.StopLen, cursor.Has(IsStopFound), PlaceOfPrevious(cursor), cursor.ScanStart, cursor.TokenStart,
          cursor.BlankStart, cursor.Matching.LastMatch.length, cursor.Matching.LastMatch.subStart};
}

// One generated case, replayed identically in either mode.
class DispatchCase {
 public:
  explicit DispatchCase(uint32_t seed) : seed_(seed) {}

  std::vector<Seen> Run(bool dispatch, bool share, bool lean = true) {
    DispatchTokensByFirstByte = dispatch;
    ShareDispatchWithParent = share;
    LeanTokenSteps = lean;
    std::mt19937 random(seed_);
    const std::string empty;
    StringLocation transform(empty, nullptr);
    if (random() % 3 == 0) transform.SetBit(IsCaseSensitive, true);
    const size_t count = 3 + random() % 12;
    for (size_t i = 0; i < count; ++i) Define(transform, random, nullptr);
    const std::string text = Text(random);
    std::vector<Seen> seen;
    StringLocation cursor(text, &transform);
    StepToEnd(cursor, random, seen);
    Mutate(transform, random);
    cursor.Pos = 0;
    StepToEnd(cursor, random, seen);
    // Another list's edits between the scans of this one: each table must
    // hold for its own list alone.
    StringLocation other(empty, nullptr);
    for (size_t i = 0; i < 2 + random() % 8; ++i) Define(other, random, nullptr);
    StringLocation otherCursor(text, &other);
    StepToEnd(otherCursor, random, seen);
    Mutate(other, random);
    cursor.Pos = 0;
    StepToEnd(cursor, random, seen);
    otherCursor.Pos = 0;
    StepToEnd(otherCursor, random, seen);
    for (int scan = 0; scan < 4; ++scan) UpTo(cursor, random, text.size(), seen);
    // Short cursors over pieces of the text, a few steps each, as the
    // definition language makes them: shared, they scan with the list's
    // table, which the scans above built.
    for (int piece = 0; piece < 24; ++piece) {
      const std::string part = text.substr(random() % text.size(), 1 + random() % 12);
      StringLocation shortCursor(part, &transform);
      for (int step = 0; step < 3; ++step) seen.push_back(Record(shortCursor, shortCursor.NextToken(DefaultToken, 1)));
      if (random() % 2 == 0) UpTo(shortCursor, random, part.size(), seen);
    }
    DispatchTokensByFirstByte = true;
    ShareDispatchWithParent = true;
    LeanTokenSteps = true;
    return seen;
  }

 private:
  static const char* Pick(std::mt19937& random) { return kPatterns[random() % kPatternCount]; }

  static void Define(StringLocation& transform, std::mt19937& random, QuorbItem* item) {
    const char* pattern = Pick(random);
    const TokenEnum kind = kKinds[random() % (sizeof(kKinds) / sizeof(kKinds[0]))];
    const int32_t grammar = random() % 8 == 0 ? (random() % 2 == 0 ? GrammarExtended : GrammarBasic) : GrammarDefault;
    const std::string closing = random() % 10 == 0 ? std::string("\\)") : std::string();
    transform.DefineToken(pattern, kind, closing, random() % 4 == 0 ? 1 : 0, grammar, item);
  }

  static std::string Text(std::mt19937& random) {
    static const std::string alphabet = "abcdqxyzABQTXZ019 \t\n\r,;.'()+-*/_#i~\xE9";
    std::string text;
    const size_t length = 40 + random() % 300;
    for (size_t i = 0; i < length; ++i) {
      if (random() % 12 == 0) {
        text += random() % 2 == 0 ? "True" : "False";
      } else {
        text += alphabet[random() % alphabet.size()];
      }
    }
    return text;
  }

  // Token steps to the end, now and then reading a token again from below
  // the item taken (as a regex anchor that failed does).
  static void StepToEnd(StringLocation& cursor, std::mt19937& random, std::vector<Seen>& seen) {
    for (int guard = 0; guard < 2000 && cursor.Pos < cursor.Attached.TextPtr->size(); ++guard) {
      const uint64_t from = cursor.Pos;
      uint64_t index = cursor.NextToken(DefaultToken, 1);
      seen.push_back(Record(cursor, index));
      if (random() % 5 == 0 && index != NoPosition && index > 0) {
        cursor.Pos = from;
        index = cursor.NextToken(DefaultToken, cursor.Tokens->size() - index + 1);
        seen.push_back(Record(cursor, index));
      }
    }
  }

  // A change of the list the cursor's table was built for: a token added,
  // one defined again with another pattern, or one released.
  static void Mutate(StringLocation& transform, std::mt19937& random) {
    std::vector<QuorbItem*>& tokens = *transform.Tokens;
    switch (random() % 3) {
      case 0: Define(transform, random, nullptr); break;
      case 1:
        if (!tokens.empty() && tokens.back()->Token().TokenKind != TokenCodeBlockMatch)
          Define(transform, random, tokens.back());
        break;
      default:
        if (!tokens.empty() && tokens.back()->Token().TokenKind != TokenCodeBlockMatch) delete tokens.back();
        break;
    }
  }

  // An up-to scan for a terminator pattern (appended to the list for the
  // scan) from a random place.
  static void UpTo(StringLocation& cursor, std::mt19937& random, size_t size, std::vector<Seen>& seen) {
    QuorbItem stop(HostRegex(Pick(random)));
    if (random() % 2 == 0) stop.SetBit(IsSeparatorTransparent, true);
    cursor.Pos = size == 0 ? 0 : random() % size;
    cursor.RangeEnd = size;
    cursor.upto(&stop);
    seen.push_back(Record(cursor, 0));
  }

  uint32_t seed_;
};

TEST(TokenDispatch, AgreesWithTryingEveryPatternInTurn) {
  Quorb instance;  // the scanner's sentinel items
  const PatternPlatform own = ActivePatternPlatform;
  for (const PatternPlatform& platform : {PosixPatterns, WindowsPatterns}) {
    ActivePatternPlatform = platform;
    for (uint32_t seed = 0; seed < 800; ++seed) {
      DispatchCase generated(seed);
      const std::vector<Seen> slow = generated.Run(false, false);
      ASSERT_EQ(generated.Run(true, false), slow) << "seed " << seed << ", each cursor its own table";
      ASSERT_EQ(generated.Run(true, true, false), slow) << "seed " << seed << ", every step by the general loop";
      const std::vector<Seen> fast = generated.Run(true, true);
      size_t first = 0;
      while (first < fast.size() && first < slow.size() && fast[first] == slow[first]) ++first;
      ASSERT_EQ(fast, slow) << "seed " << seed << (platform.CaseInsensitivePatterns ? ", case-insensitive" : "")
                            << ", first difference at step " << first << " of " << slow.size() << ": "
                            << (first < fast.size() ? ::testing::PrintToString(fast[first]) : "none") << " against "
                            << (first < slow.size() ? ::testing::PrintToString(slow[first]) : "none");
    }
  }
  ActivePatternPlatform = own;
}

// A run remembered for an operator-run item is that item's as it was then:
// the item defined again with another pattern reads the text anew, in
// either mode ("x" does not match "+": the byte is unmatched).
TEST(TokenDispatch, ForgetsTheRunOfATokenDefinedAgain) {
  Quorb instance;  // the scanner's sentinel items
  for (const bool dispatch : {false, true}) {
    DispatchTokensByFirstByte = dispatch;
    const std::string empty, text = "a+++b";
    StringLocation list(empty, nullptr);
    QuorbItem* run = list.DefineToken("[-:|+/*^$&#=%@!`\\\\<>?]+", TokenReducible, "", 0, GrammarDefault, nullptr);
    StringLocation cursor(text, &list);
    cursor.Pos = 1;
    ASSERT_EQ(cursor.NextToken(DefaultToken, 1), 0u);
    ASSERT_EQ(cursor.TokenLen, 3u);
    list.DefineToken("x", TokenGeneric, "", 0, GrammarDefault, run);
    cursor.Pos = 1;
    EXPECT_EQ(cursor.NextToken(DefaultToken, 1), NoPosition) << (dispatch ? "dispatch" : "in turn");
    EXPECT_EQ(cursor.TokenLen, 1u) << (dispatch ? "dispatch" : "in turn");
  }
  DispatchTokensByFirstByte = true;
}

// Which bytes a pattern can start with, read from its text: "" for no
// answer (any byte may start a match).
std::string FirstBytesOf(const std::string& pattern, bool ignoreCase) {
  ByteSet bytes;
  if (!ReadFirstBytes(pattern, ignoreCase, bytes)) return "";
  std::string listed;
  for (unsigned byte = 0; byte < 256; ++byte)
    if (bytes.Has(static_cast<unsigned char>(byte))) listed += static_cast<char>(byte);
  return listed;
}

// A table is built again for an edit of its own list's patterns only: a
// token defined on another list (as every new instance does) leaves it.
TEST(TokenDispatch, RebuildsForItsOwnListsEditsOnly) {
  Quorb instance;  // the scanner's sentinel items
  std::string text;
  for (int i = 0; i < 40; ++i) text += "ab 12 ";
  const std::string empty;
  StringLocation mine(empty, nullptr), other(empty, nullptr);
  mine.DefineToken("[a-z]+", TokenAlphanumeric, "", 0, GrammarDefault, nullptr);
  mine.DefineToken("[ ]+", TokenWhitespace, "", 0, GrammarDefault, nullptr);
  QuorbItem* digits = mine.DefineToken("[0-9]+", TokenLiteral, "", 0, GrammarDefault, nullptr);
  StringLocation cursor(text, &mine);
  auto scan = [&cursor]() {
    std::vector<uint64_t> kinds;
    for (cursor.Pos = 0; cursor.Pos < cursor.Attached.TextPtr->size();)
      if (cursor.NextToken(DefaultToken, 1) == NoPosition) break;
      else kinds.push_back(cursor.CurrentToken->Token().TokenKind);
    return kinds;
  };
  const std::vector<uint64_t> first = scan();
  ASSERT_EQ(cursor.ListDispatch().Builds(), 1u);
  other.DefineToken("[0-9]+", TokenGeneric, "", 0, GrammarDefault, nullptr);
  EXPECT_EQ(scan(), first);
  EXPECT_EQ(cursor.ListDispatch().Builds(), 1u);
  // The same item, the same list, another pattern: digits are now generic
  // tokens from a pattern starting with any byte but a letter or a blank.
  mine.DefineToken("[^a-z ]+", TokenGeneric, "", 0, GrammarDefault, digits);
  const std::vector<uint64_t> edited = scan();
  EXPECT_EQ(cursor.ListDispatch().Builds(), 2u);
  const auto generic = [](const std::vector<uint64_t>& kinds) {
    return std::count(kinds.begin(), kinds.end(), static_cast<uint64_t>(TokenGeneric));
  };
  EXPECT_EQ(generic(first), 0);
  EXPECT_EQ(generic(edited), 40);
}

// Cursors too short to build a table each scan with the one their parent's
// list has; without sharing, each would try every pattern in turn.
TEST(TokenDispatch, ShortCursorsShareTheirParentsTable) {
  Quorb instance;  // the scanner's sentinel items
  const std::string empty, text = "ab 12";
  StringLocation list(empty, nullptr);
  list.DefineToken("[a-z]+", TokenAlphanumeric, "", 0, GrammarDefault, nullptr);
  list.DefineToken("[ ]+", TokenWhitespace, "", 0, GrammarDefault, nullptr);
  list.DefineToken("[0-9]+", TokenLiteral, "", 0, GrammarDefault, nullptr);
  for (const bool share : {true, false}) {
    ShareDispatchWithParent = share;
    const uint64_t before = list.ListDispatch().Builds();
    for (int made = 0; made < 40; ++made) {
      StringLocation cursor(text, &list);
      cursor.NextToken(DefaultToken, 1);
      EXPECT_EQ(&cursor.ListDispatch() == &list.ListDispatch(), share);
    }
    EXPECT_EQ(list.ListDispatch().Builds() - before, share ? 1u : 0u);
  }
  ShareDispatchWithParent = true;
}

TEST(TokenDispatch, ReadsFirstBytesOrGivesUp) {
  struct Case {
    const char* pattern;
    bool ignoreCase;
    const char* bytes;
  };
  const Case cases[] = {
      {"[0-9]+", false, "0123456789"},
      {"[0-9]*\\.?[0-9]+([eE][+-]?[0-9]+)?", false, ".0123456789"},
      {"(True|False)\\b", false, "FT"},
      {"(True|False)\\b", true, "FTft"},
      {"\\r?\\n", false, "\n\r"},
      {"[a-c]{0,2}d", true, "ABCDabcd"},
      {"x{0}y", false, "xy"},
      {"\\bq", false, "q"},
      {"(?:ab)+|[\\]-]", false, "-]a"},
      {"a?", false, ""},           // matches empty
      {"(b|)c", false, "bc"},
      {"(?=a)\\w", false, ""},     // a look-ahead
      {"[[:alpha:]]", false, ""},  // a named class
      {"\\s", false, ""},
      {"a\\1", false, ""},         // a back-reference
      {"\\xE9", false, ""},
      {"[]a]", false, ""},
      {"a{2", false, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(FirstBytesOf(c.pattern, c.ignoreCase), c.bytes) << c.pattern;
  // "[^a]" may start with anything but "a": any byte is a superset.
  ByteSet negated;
  ASSERT_TRUE(ReadFirstBytes("[^a]", false, negated));
  EXPECT_TRUE(negated.Has('b') && negated.Has('a') && negated.Has(0xE9));
}

}  // namespace
}  // namespace QuorbNameSpace
