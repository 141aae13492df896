// Text to number, the way the value classes read their values: the C
// library's strtol/strtoll/strtoull/strtof/strtod in base 10 with the checks
// the standard string-to-number functions apply, but reported as a status
// instead of thrown, and always under the classic "C" locale (the host's
// locale never changes what a number text means). See value_classes.h for
// which class uses which.
//
// Common rules: the empty text is zero without parsing; leading white space
// is skipped and a sign accepted; conversion stops at the first character
// that cannot continue the number and the rest is ignored ("12abc" is 12);
// text with no number at its start is Invalid; a result the conversion
// reports as out of range (including float underflow) is OutOfRange. On any
// status but Ok the output is left untouched. The caller's errno is kept.
#ifndef QUORB_TYPES_NUMBER_PARSING_H
#define QUORB_TYPES_NUMBER_PARSING_H

#include <cstdint>
#include <string>

namespace QuorbNameSpace {

enum class ParseStatus {
  Ok,          // a number was read
  Invalid,     // no number at the start of the text
  OutOfRange,  // a number, but outside what the target holds
};

// strtol, then required to lie in the signed 32-bit range (as stoi does).
ParseStatus ParseInt32Text(const std::string& text, int32_t& out);

// As ParseInt32Text, but the range runs from INT32_MIN to UINT32_MAX so that
// every unsigned 32-bit value can be written; the caller wraps modulo 2^32.
ParseStatus ParseInt32WideText(const std::string& text, int64_t& out);

// strtoll.
ParseStatus ParseInt64Text(const std::string& text, int64_t& out);

// strtoull: a leading minus negates modulo 2^64 ("-1" is 2^64-1).
ParseStatus ParseUInt64Text(const std::string& text, uint64_t& out);

// strtof and strtod: also hexadecimal floats, "inf", "infinity" and "nan".
ParseStatus ParseFloatText(const std::string& text, float& out);
ParseStatus ParseDoubleText(const std::string& text, double& out);

}  // namespace QuorbNameSpace

#endif
