// The few ways token and rule patterns differ between platforms, in one
// place so that any build can switch to either behaviour (tests do).
//   Windows: patterns compile case-insensitively unless the transform is
//            case-sensitive, and identifiers are "[a-z][a-z0-9_]*".
//   elsewhere: patterns are case-sensitive, identifiers "[a-zA-Z][a-zA-Z0-9_]*".
#ifndef QUORB_SCANNER_PATTERN_PLATFORM_H
#define QUORB_SCANNER_PATTERN_PLATFORM_H

#include <regex>
#include <string>

#include "scanner/token_matchers.h"

namespace QuorbNameSpace {

struct PatternPlatform {
  bool CaseInsensitivePatterns;
  const char* IdentifierPattern;
};

extern const PatternPlatform WindowsPatterns;
extern const PatternPlatform PosixPatterns;

// The behaviour in force; the build's own platform unless switched.
extern PatternPlatform ActivePatternPlatform;

// `grammar` plus the case-insensitive flag where the platform adds it.
std::regex::flag_type PatternFlags(std::regex::flag_type grammar, bool caseSensitive);

// The hand-written matcher that stands in for `pattern` compiled with
// `flags`: one exists for the default patterns and the common rule patterns
// (token_matchers.h) in the ECMAScript grammar, with or without the
// case-insensitive flag. Null otherwise.
TokenMatcher FastMatcherFor(const std::string& pattern, std::regex::flag_type flags);

}  // namespace QuorbNameSpace

#endif
