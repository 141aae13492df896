// Text to number through the C library's conversions; see number_parsing.h.
#include "types/number_parsing.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace QuorbNameSpace {

namespace {

// Runs one C conversion on the text with errno cleared, then classifies the
// outcome as the standard string-to-number functions do, and restores the
// caller's errno. `convert` is called as convert(begin, &end).
template <typename Number, typename Convert>
ParseStatus RunConversion(const std::string& text, Number& out, Convert convert) {
  const char* begin = text.c_str();
  char* end = nullptr;
  const int savedErrno = errno;
  errno = 0;
  const Number value = convert(begin, &end);
  const int conversionErrno = errno;
  errno = savedErrno;
  if (end == begin) return ParseStatus::Invalid;
  if (conversionErrno == ERANGE) return ParseStatus::OutOfRange;
  out = value;
  return ParseStatus::Ok;
}

// Integer conversion whose result must also lie in [lowest, highest].
template <typename Number, typename Convert>
ParseStatus ConvertInRange(const std::string& text, Number& out, Convert convert,
                           Number lowest, Number highest) {
  if (text.empty()) {
    out = 0;
    return ParseStatus::Ok;
  }
  Number value = 0;
  const ParseStatus status = RunConversion(text, value, convert);
  if (status != ParseStatus::Ok) return status;
  if (value < lowest || value > highest) return ParseStatus::OutOfRange;
  out = value;
  return ParseStatus::Ok;
}

// Floating-point conversion; the empty text is zero.
template <typename Number, typename Convert>
ParseStatus ConvertFloating(const std::string& text, Number& out, Convert convert) {
  if (text.empty()) {
    out = 0;
    return ParseStatus::Ok;
  }
  return RunConversion(text, out, convert);
}

}  // namespace

ParseStatus ParseInt32Text(const std::string& text, int32_t& out) {
  long value = 0;
  const ParseStatus status = ConvertInRange<long>(
      text, value, [](const char* s, char** end) { return std::strtol(s, end, 10); },
      std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
  if (status == ParseStatus::Ok) out = static_cast<int32_t>(value);
  return status;
}

ParseStatus ParseInt32WideText(const std::string& text, int64_t& out) {
  // strtoll rather than strtol: where long is 32 bits, strtol would already
  // refuse the upper half of the unsigned range.
  long long value = 0;
  const ParseStatus status = ConvertInRange<long long>(
      text, value, [](const char* s, char** end) { return std::strtoll(s, end, 10); },
      std::numeric_limits<int32_t>::min(), std::numeric_limits<uint32_t>::max());
  if (status == ParseStatus::Ok) out = static_cast<int64_t>(value);
  return status;
}

ParseStatus ParseInt64Text(const std::string& text, int64_t& out) {
  if (text.empty()) {
    out = 0;
    return ParseStatus::Ok;
  }
  long long value = 0;
  const ParseStatus status = RunConversion<long long>(
      text, value, [](const char* s, char** end) { return std::strtoll(s, end, 10); });
  if (status == ParseStatus::Ok) out = static_cast<int64_t>(value);
  return status;
}

ParseStatus ParseUInt64Text(const std::string& text, uint64_t& out) {
  if (text.empty()) {
    out = 0;
    return ParseStatus::Ok;
  }
  unsigned long long value = 0;
  const ParseStatus status = RunConversion<unsigned long long>(
      text, value, [](const char* s, char** end) { return std::strtoull(s, end, 10); });
  if (status == ParseStatus::Ok) out = static_cast<uint64_t>(value);
  return status;
}

ParseStatus ParseFloatText(const std::string& text, float& out) {
  return ConvertFloating(text, out, [](const char* s, char** end) { return std::strtof(s, end); });
}

ParseStatus ParseDoubleText(const std::string& text, double& out) {
  return ConvertFloating(text, out, [](const char* s, char** end) { return std::strtod(s, end); });
}

}  // namespace QuorbNameSpace
