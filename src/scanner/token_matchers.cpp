// Hand-written matchers for the default token patterns. Each matcher
// reproduces the ECMAScript backtracking result of its pattern (leftmost alternative first,
// greedy quantifiers), not the longest match; the comments on the matchers
// derive that result where backtracking changes it.
#include "scanner/token_matchers.h"

#include <vector>

#include <cstring>

#include "engine/table.h"

namespace QuorbNameSpace {

// What a matcher reports about capture group 1 of its pattern.
struct GroupSpan {
  bool matched = false;  // false also for a pattern without groups
  uint64_t start = 0;
  uint64_t length = 0;
};

// A usable anchored range that is not empty: no default pattern matches the
// empty string, so pos == end is no match for all of them.
static bool HasChar(const std::string& text, uint64_t pos, uint64_t end) {
  return end <= text.size() && pos < end;
}

// Writes a successful match of `length` characters at `pos`, choosing the
// sub-match by `subMatch`; the default patterns have at most one group.
static bool Accept(uint64_t pos, uint64_t length, uint64_t subMatch, const GroupSpan& group,
                   TokenMatch& out) {
  out.length = length;
  if (subMatch == 0) {
    out.subStart = pos;
    out.subLength = length;
  } else if (subMatch == 1 && group.matched) {
    out.subStart = group.start;
    out.subLength = group.length;
  } else {
    out.subStart = pos;
    out.subLength = 0;
  }
  return true;
}

static constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// ASCII letters only, as the regex engine's classes and its case-insensitive
// flag (folded by FoldCase) are in the classic locale.
static constexpr bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
static constexpr bool IsLetter(char c) { return IsLower(c) || (c >= 'A' && c <= 'Z'); }

// The regex word class of the classic locale: ASCII letters, digits and the
// underscore; bytes of 0x80 and above are not word characters. A table: an
// identifier's run costs one load per character.
struct WordClass {
  bool word[256];
  constexpr WordClass() : word() {
    for (int c = 0; c < 256; ++c) word[c] = IsLetter(static_cast<char>(c)) || IsDigit(static_cast<char>(c)) || c == '_';
  }
};
static constexpr WordClass kWordClass{};
static bool IsWordChar(char c) { return kWordClass.word[static_cast<unsigned char>(c)]; }

// Members of [-:|+/*^$&#=%@!`\\<>?].
static bool IsOperatorChar(char c) {
  switch (c) {
    case '-': case ':': case '|': case '+': case '/': case '*': case '^':
    case '$': case '&': case '#': case '=': case '%': case '@': case '!':
    case '`': case '\\': case '<': case '>': case '?':
      return true;
    default:
      return false;
  }
}

// "." : any single character but a line terminator. For narrow characters
// the standard library excludes only '\n' and '\r'; NUL and bytes of 0x80 and
// above are accepted.
static bool MatchAnyChar(const std::string& text, uint64_t pos, uint64_t end, uint64_t subMatch,
                         TokenMatch& out) {
  if (!HasChar(text, pos, end)) return false;
  char c = text[pos];
  if (c == '\n' || c == '\r') return false;
  return Accept(pos, 1, subMatch, GroupSpan(), out);
}

// A fixed text such as "\.\.\." or "~~": exactly those characters.
template <char... Chars>
static bool MatchLiteral(const std::string& text, uint64_t pos, uint64_t end, uint64_t subMatch,
                         TokenMatch& out) {
  static constexpr char literal[] = {Chars...};
  constexpr uint64_t length = sizeof...(Chars);
  if (!HasChar(text, pos, end) || end - pos < length) return false;
  if (std::memcmp(text.data() + pos, literal, length) != 0) return false;
  return Accept(pos, length, subMatch, GroupSpan(), out);
}

// "#i" compiled case-insensitively: "#I" too.
static bool MatchImaginaryUnitAnyCase(const std::string& text, uint64_t pos, uint64_t end, uint64_t subMatch,
                                      TokenMatch& out) {
  if (!HasChar(text, pos, end) || end - pos < 2) return false;
  if (text[pos] != '#' || FoldCase(text[pos + 1]) != 'i') return false;
  return Accept(pos, 2, subMatch, GroupSpan(), out);
}

// "\r?\n": a carriage return is taken only when a line feed follows it.
static bool MatchLineBreak(const std::string& text, uint64_t pos, uint64_t end, uint64_t subMatch,
                           TokenMatch& out) {
  if (!HasChar(text, pos, end)) return false;
  if (text[pos] == '\n') return Accept(pos, 1, subMatch, GroupSpan(), out);
  if (text[pos] == '\r' && pos + 1 < end && text[pos + 1] == '\n') {
    return Accept(pos, 2, subMatch, GroupSpan(), out);
  }
  return false;
}

// "'([^']*)'" and its double-quoted twin. The greedy run stops at the first
// closing quote, and backtracking into it cannot find another, so the match
// ends at the first closing quote in range or fails. The inside is group 1;
// it may hold any byte, line breaks and NUL included.
template <char Quote>
static bool MatchQuoted(const std::string& text, uint64_t pos, uint64_t end, uint64_t subMatch,
                        TokenMatch& out) {
  if (!HasChar(text, pos, end) || text[pos] != Quote) return false;
  const char* inside = text.data() + pos + 1;
  const void* closing = std::memchr(inside, Quote, end - pos - 1);
  if (closing == nullptr) return false;
  uint64_t insideLength = static_cast<uint64_t>(static_cast<const char*>(closing) - inside);
  GroupSpan group{true, pos + 1, insideLength};
  return Accept(pos, insideLength + 2, subMatch, group, out);
}

// "[...]+" of one class: the whole run of its characters.
template <bool (*InClass)(char)>
static bool MatchRunOf(const std::string& text, uint64_t pos, uint64_t end, uint64_t subMatch, TokenMatch& out) {
  if (!HasChar(text, pos, end)) return false;
  uint64_t i = pos;
  while (i < end && InClass(text[i])) ++i;
  if (i == pos) return false;
  return Accept(pos, i - pos, subMatch, GroupSpan(), out);
}

static bool IsBlank(char c) { return c == '\t' || c == ' '; }

// "[-:|+/*^$&#=%@!`\\<>?]+", "[\t ]+" and "[0-9]+".
static constexpr TokenMatcher MatchOperatorRun = MatchRunOf<IsOperatorChar>;
static constexpr TokenMatcher MatchBlankRun = MatchRunOf<IsBlank>;
static constexpr TokenMatcher MatchDigitRun = MatchRunOf<IsDigit>;

// "[0-9]*\.?[0-9]+([eE][+-]?[0-9]+)?". Backtracking settles on:
// - the leading digits, then a full stop with at least one digit after it
//   and all the digits that follow ("1.25");
// - otherwise the leading digits alone, if any: "[0-9]*" gives back its last
//   digit to "[0-9]+", so "1." is "1" and "1.2.3" is "1.2";
// - then, if possible, an exponent: e or E, an optional sign, at least one
//   digit ("1e+" is "1"). The exponent is group 1, unmatched when absent.
static bool MatchNumber(const std::string& text, uint64_t pos, uint64_t end, uint64_t subMatch,
                        TokenMatch& out) {
  if (!HasChar(text, pos, end)) return false;
  uint64_t i = pos;
  while (i < end && IsDigit(text[i])) ++i;
  uint64_t stop;
  if (i + 1 < end && text[i] == '.' && IsDigit(text[i + 1])) {
    stop = i + 2;
    while (stop < end && IsDigit(text[stop])) ++stop;
  } else if (i > pos) {
    stop = i;
  } else {
    return false;
  }
  GroupSpan exponent;
  if (stop < end && (text[stop] == 'e' || text[stop] == 'E')) {
    uint64_t k = stop + 1;
    if (k < end && (text[k] == '+' || text[k] == '-')) ++k;
    if (k < end && IsDigit(text[k])) {
      while (k < end && IsDigit(text[k])) ++k;
      exponent = GroupSpan{true, stop, k - stop};
      stop = k;
    }
  }
  return Accept(pos, stop - pos, subMatch, exponent, out);
}

// "[a-zA-Z][a-zA-Z0-9_]*": an ASCII letter, then word characters.
static bool MatchIdentifier(const std::string& text, uint64_t pos, uint64_t end, uint64_t subMatch,
                            TokenMatch& out) {
  if (!HasChar(text, pos, end) || !IsLetter(text[pos])) return false;
  uint64_t i = pos + 1;
  while (i < end && IsWordChar(text[i])) ++i;
  return Accept(pos, i - pos, subMatch, GroupSpan(), out);
}

// "[a-z][a-z0-9_]*" without the case-insensitive flag: lower case only.
static bool MatchLowerIdentifier(const std::string& text, uint64_t pos, uint64_t end,
                                 uint64_t subMatch, TokenMatch& out) {
  if (!HasChar(text, pos, end) || !IsLower(text[pos])) return false;
  uint64_t i = pos + 1;
  while (i < end && (IsLower(text[i]) || IsDigit(text[i]) || text[i] == '_')) ++i;
  return Accept(pos, i - pos, subMatch, GroupSpan(), out);
}

// Whether `word` (lower case) stands at `pos`, each letter in its own case
// or, when `anyCase`, in either.
static bool WordAt(const std::string& text, uint64_t pos, uint64_t end, const char* word, bool anyCase) {
  const uint64_t length = std::strlen(word);
  if (end - pos < length) return false;
  for (uint64_t i = 0; i < length; ++i) {
    const char c = anyCase ? FoldCase(text[pos + i]) : text[pos + i];
    if (c != word[i]) return false;
  }
  return true;
}

// "(True|False)\b": the word followed by a non-word character or the range
// end. The word is group 1. Before the boundary stands a letter, so only the
// character after the word decides it. With the case-insensitive flag any
// mix of cases spells the word.
template <bool AnyCase>
static bool MatchBoolWord(const std::string& text, uint64_t pos, uint64_t end, uint64_t subMatch,
                          TokenMatch& out) {
  if (!HasChar(text, pos, end)) return false;
  uint64_t length;
  if (WordAt(text, pos, end, AnyCase ? "true" : "True", AnyCase)) {
    length = 4;
  } else if (WordAt(text, pos, end, AnyCase ? "false" : "False", AnyCase)) {
    length = 5;
  } else {
    return false;
  }
  uint64_t after = pos + length;
  if (after < end && IsWordChar(text[after])) return false;
  return Accept(pos, length, subMatch, GroupSpan{true, pos, length}, out);
}

// ":|~~": a colon, else two tildes (the end of a definition keyword).
static bool MatchKeywordStop(const std::string& text, uint64_t pos, uint64_t end, uint64_t subMatch,
                             TokenMatch& out) {
  if (MatchLiteral<':'>(text, pos, end, subMatch, out)) return true;
  return MatchLiteral<'~', '~'>(text, pos, end, subMatch, out);
}

// "[,\)\}]": one of the characters that end a list element.
static bool MatchElementStop(const std::string& text, uint64_t pos, uint64_t end, uint64_t subMatch,
                             TokenMatch& out) {
  if (!HasChar(text, pos, end)) return false;
  char c = text[pos];
  if (c != ',' && c != ')' && c != '}') return false;
  return Accept(pos, 1, subMatch, GroupSpan(), out);
}

// Pattern texts as the regex sees them, with their matchers: as compiled,
// and with the case-insensitive flag (null: the same matcher, the pattern
// having no letter whose case matters).
struct MatcherEntry {
  const char* pattern;
  TokenMatcher matcher;
  TokenMatcher anyCaseMatcher = nullptr;
};

static const MatcherEntry kMatchers[] = {
    {".", MatchAnyChar},
    {"\\.", MatchLiteral<'.'>},
    {"\\.\\.\\.", MatchLiteral<'.', '.', '.'>},
    {"~~", MatchLiteral<'~', '~'>},
    {"\\(", MatchLiteral<'('>},
    {"\\)", MatchLiteral<')'>},
    {"\\{", MatchLiteral<'{'>},
    {"\\}", MatchLiteral<'}'>},
    {"\\[", MatchLiteral<'['>},
    {"\\]", MatchLiteral<']'>},
    {";", MatchLiteral<';'>},
    {"\\r?\\n", MatchLineBreak},
    {",", MatchLiteral<','>},
    {"'([^']*)'", MatchQuoted<'\''>},
    {"\"([^\"]*)\"", MatchQuoted<'"'>},
    {"~", MatchLiteral<'~'>},
    {"[-:|+/*^$&#=%@!`\\\\<>?]+", MatchOperatorRun},
    {"#i", MatchLiteral<'#', 'i'>, MatchImaginaryUnitAnyCase},
    {"[\\t ]+", MatchBlankRun},
    {"[0-9]*\\.?[0-9]+([eE][+-]?[0-9]+)?", MatchNumber},
    {"[a-zA-Z][a-zA-Z0-9_]*", MatchIdentifier},
    {"[a-z][a-z0-9_]*", MatchLowerIdentifier, MatchIdentifier},
    {"(True|False)\\b", MatchBoolWord<false>, MatchBoolWord<true>},
    {":|~~", MatchKeywordStop},
    {"[,\\)\\}]", MatchElementStop},
};

bool HandWrittenRulePatterns = true;

TokenMatcher FindRulePatternMatcher(const std::string& pattern) {
  if (!HandWrittenRulePatterns) return nullptr;
  return pattern == "[0-9]+" ? MatchDigitRun : nullptr;
}

std::vector<std::string> HandWrittenTokenPatterns() {
  std::vector<std::string> patterns;
  for (const MatcherEntry& entry : kMatchers) patterns.emplace_back(entry.pattern);
  return patterns;
}

bool MatchesRunsOfOneClass(TokenMatcher matcher) {
  return matcher == MatchOperatorRun || matcher == MatchBlankRun;
}

TokenMatcher FindTokenMatcher(const std::string& pattern, bool ignoreCase) {
  for (const MatcherEntry& entry : kMatchers) {
    // The first byte tells most entries apart without a call.
    if (pattern.empty() || pattern[0] != entry.pattern[0] || pattern != entry.pattern) continue;
    return ignoreCase && entry.anyCaseMatcher != nullptr ? entry.anyCaseMatcher : entry.matcher;
  }
  return nullptr;
}

}  // namespace QuorbNameSpace
