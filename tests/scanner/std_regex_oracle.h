// The standard library's regex as an independent oracle: the hand-written
// token matchers and the host-pattern engine are both checked against it.
// Its matcher recurses once per character consumed, so it serves only on
// short texts.
#ifndef QUORB_TESTS_SCANNER_STD_REGEX_ORACLE_H
#define QUORB_TESTS_SCANNER_STD_REGEX_ORACLE_H

// GCC 12 reports uninitialised reads inside the standard regex compiler
// when it inlines it under the sanitizers; they cannot happen.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <cstdint>
#include <regex>
#include <string>

#include "scanner/token_matchers.h"

namespace QuorbNameSpace {

// std::regex_search with match_continuous over [pos, end) of `text`, with
// the contract of MatchRegexAt (host_regex.h); an exception thrown while
// matching counts as no match.
inline bool MatchRegexAt(const std::regex& pattern, const std::string& text, uint64_t pos, uint64_t end,
                         uint64_t subMatch, TokenMatch& out) {
  if (end > text.size() || pos > end) return false;
  const auto first = text.cbegin() + static_cast<std::ptrdiff_t>(pos);
  const auto last = text.cbegin() + static_cast<std::ptrdiff_t>(end);
  std::match_results<std::string::const_iterator> match;
  try {
    if (!std::regex_search(first, last, match, pattern, std::regex_constants::match_continuous)) return false;
  } catch (const std::regex_error&) {
    return false;
  }
  out.length = static_cast<uint64_t>(match.length(0));
  if (subMatch < match.size() && match[subMatch].matched) {
    out.subStart = static_cast<uint64_t>(match[subMatch].first - text.cbegin());
    out.subLength = static_cast<uint64_t>(match[subMatch].length());
  } else {
    out.subStart = pos;
    out.subLength = 0;
  }
  return true;
}

}  // namespace QuorbNameSpace

#endif  // QUORB_TESTS_SCANNER_STD_REGEX_ORACLE_H
