// Numbers in host patterns. A back-reference or repeat count far beyond what
// any sensible pattern needs would make a regular-expression compiler build
// huge automata or read the number into an integer that overflows; such
// patterns are refused before they reach the compiler (host_regex.h), as
// the compiler refuses a pattern it cannot read.
#ifndef QUORB_SCANNER_PATTERN_GUARD_H
#define QUORB_SCANNER_PATTERN_GUARD_H

#include <regex>
#include <string>

#include "scanner/host_regex.h"

namespace QuorbNameSpace {

// The largest back-reference or repeat count a pattern may hold.
inline constexpr unsigned long MaxPatternNumber = 10000;

// False when a back-reference ("\12") or a repeat count ("{3,12}", "\{3\}")
// in `pattern` is larger than MaxPatternNumber.
bool PatternNumbersFit(const std::string& pattern);

// Compiles `pattern` into `out`; throws std::regex_error when the pattern
// does not compile or its numbers do not fit (`out` is then unchanged).
void CompilePattern(HostRegex& out, const std::string& pattern, std::regex::flag_type flags);

}  // namespace QuorbNameSpace

#endif
