// Checking the numbers of a host pattern before compiling it.
#include "scanner/pattern_guard.h"

#include <cctype>

namespace QuorbNameSpace {

static bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Reads the run of digits at `i` (moving past it); false when its value
// exceeds the limit. Leading zeros do not count against it.
static bool DigitsFit(const std::string& pattern, size_t& i) {
  unsigned long value = 0;
  bool fits = true;
  for (; i < pattern.size() && IsDigit(pattern[i]); ++i) {
    value = value * 10 + static_cast<unsigned long>(pattern[i] - '0');
    if (value > MaxPatternNumber) fits = false;
    if (!fits) value = MaxPatternNumber + 1;  // stays above the limit, never wraps
  }
  return fits;
}

// The numbers of a repeat count starting after its "{": digits and commas.
static bool CountFits(const std::string& pattern, size_t& i) {
  while (i < pattern.size() && (IsDigit(pattern[i]) || pattern[i] == ',')) {
    if (pattern[i] == ',') {
      ++i;
    } else if (!DigitsFit(pattern, i)) {
      return false;
    }
  }
  return true;
}

bool PatternNumbersFit(const std::string& pattern) {
  size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i++];
    if (c == '{') {
      if (!CountFits(pattern, i)) return false;
    } else if (c == '\\' && i < pattern.size()) {
      if (IsDigit(pattern[i])) {
        if (!DigitsFit(pattern, i)) return false;
      } else if (pattern[i++] == '{' && !CountFits(pattern, i)) {
        return false;
      }
    }
  }
  return true;
}

void CompilePattern(HostRegex& out, const std::string& pattern, std::regex::flag_type flags) {
  HostRegex compiled(pattern, flags);
  out.swap(compiled);
}

}  // namespace QuorbNameSpace
