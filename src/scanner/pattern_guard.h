// Host patterns and the standard regular-expression compiler. The compiler
// reads the number of a back-reference or of a repeat count into a plain
// integer without an overflow check, and builds one automaton state per
// repetition; a pattern whose numbers no sensible pattern needs would make
// it misbehave or exhaust memory. Such patterns are refused before they
// reach it, as the compiler refuses a pattern it cannot read.
#ifndef QUORB_SCANNER_PATTERN_GUARD_H
#define QUORB_SCANNER_PATTERN_GUARD_H

#include <regex>
#include <string>

namespace QuorbNameSpace {

// The largest back-reference or repeat count a pattern may hold.
inline constexpr unsigned long MaxPatternNumber = 10000;

// False when a back-reference ("\12") or a repeat count ("{3,12}", "\{3\}")
// in `pattern` is larger than MaxPatternNumber.
bool PatternNumbersFit(const std::string& pattern);

// Compiles `pattern` into `out`; throws std::regex_error when the pattern
// does not compile or its numbers do not fit.
void CompilePattern(std::regex& out, const std::string& pattern, std::regex::flag_type flags);

}  // namespace QuorbNameSpace

#endif
