// Token matchers: anchored matching of one token pattern at a position of the
// scanned text. The default token patterns run on every token of every parse,
// so each has a hand-written matcher that accepts exactly what the standard
// library's ECMAScript regex accepts; any other pattern goes through the
// host-pattern engine (host_regex.h). The token scanner (string_location.h)
// picks the matcher when a token is defined.
#ifndef QUORB_SCANNER_TOKEN_MATCHERS_H
#define QUORB_SCANNER_TOKEN_MATCHERS_H

#include <cstdint>
#include <string>
#include <vector>

namespace QuorbNameSpace {

// One anchored match: lengths and the chosen capture group, as offsets.
struct TokenMatch {
  uint64_t length = 0;     // length of the whole match, from the position
  uint64_t subStart = 0;   // offset (from the text start) of the chosen sub-match
  uint64_t subLength = 0;  // its length; an unmatched or nonexistent group: subStart = the position, subLength 0
};

// Matches `pattern` anchored at `pos` within [0, end) of `text`; true on a
// match. `subMatch` selects the capture group whose place goes to
// subStart/subLength (0 = the whole match). The range end counts as the end
// of input (a word boundary holds there). Requires pos <= end <= text.size();
// a range outside the text gives no match. On no match `out` is unchanged.
// Never recurses, whatever the length of the match.
using TokenMatcher = bool (*)(const std::string& text, uint64_t pos, uint64_t end, uint64_t subMatch,
                              TokenMatch& out);

// The hand-written matcher equivalent to `pattern` compiled with the
// ECMAScript grammar and no other flag but, when `ignoreCase`, the
// case-insensitive one (under the classic "C" locale, where only ASCII
// letters and digits are word characters and case folding is ASCII); null
// when there is none. The pattern is compared as exact regex text.
TokenMatcher FindTokenMatcher(const std::string& pattern, bool ignoreCase = false);

// The pattern texts FindTokenMatcher knows, in its order.
std::vector<std::string> HandWrittenTokenPatterns();

// Whether the common rule patterns below have a hand-written matcher (false:
// the slow twin, the host-pattern engine; tests compare both ways).
extern bool HandWrittenRulePatterns;

// A hand-written matcher for a pattern that rules use often and no default
// token uses ("[0-9]+", a number anchoring a rule), with the same grammar
// and flags as FindTokenMatcher (the case flag changes nothing for it);
// null for any other pattern, or when HandWrittenRulePatterns is off.
TokenMatcher FindRulePatternMatcher(const std::string& pattern);

// True for a matcher of one character class repeated ("[...]+"): a match
// that starts inside one of its matches ends where that match ended.
bool MatchesRunsOfOneClass(TokenMatcher matcher);

}  // namespace QuorbNameSpace

#endif  // QUORB_SCANNER_TOKEN_MATCHERS_H
