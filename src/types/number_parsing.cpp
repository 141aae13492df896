// Text to number through the C library's conversions; see number_parsing.h.
// Every conversion runs under the classic "C" locale whatever locale the
// host has set: "1.5" is one and a half in every host, and a German host's
// "1,5" is not a number.
#include "types/number_parsing.h"

#include <cerrno>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <limits>

#if !defined(_WIN32)
#include <locale.h>
#include <stdlib.h>
#endif

namespace QuorbNameSpace {

namespace {

#if defined(_WIN32)
using ClassicLocale = _locale_t;
ClassicLocale MakeClassicLocale() { return _create_locale(LC_ALL, "C"); }
#else
using ClassicLocale = locale_t;
ClassicLocale MakeClassicLocale() { return newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr)); }
#endif

// Made once and kept for the life of the process.
ClassicLocale Classic() {
  static const ClassicLocale classic = MakeClassicLocale();
  return classic;
}

#if defined(_WIN32)
long ClassicStrtol(const char* s, char** end) { return _strtol_l(s, end, 10, Classic()); }
long long ClassicStrtoll(const char* s, char** end) { return _strtoi64_l(s, end, 10, Classic()); }
unsigned long long ClassicStrtoull(const char* s, char** end) { return _strtoui64_l(s, end, 10, Classic()); }
// mingw-w64's strtod and strtof are C99's (hexadecimal, "inf", "nan",
// ERANGE on underflow), where the runtime's _strtod_l knows none of those;
// they read the thread's decimal point, so the numeric locale is "C" for
// the call whenever it has another one.
class ClassicDecimalPoint {
 public:
  ClassicDecimalPoint() {
    const std::lconv* conventions = std::localeconv();
    if (conventions == nullptr || std::strcmp(conventions->decimal_point, ".") == 0) return;
    mode_ = _configthreadlocale(_ENABLE_PER_THREAD_LOCALE);
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    saved_ = current != nullptr ? current : "C";
    std::setlocale(LC_NUMERIC, "C");
    switched_ = true;
  }
  ~ClassicDecimalPoint() {
    if (!switched_) return;
    std::setlocale(LC_NUMERIC, saved_.c_str());
    _configthreadlocale(mode_);
  }
  ClassicDecimalPoint(const ClassicDecimalPoint&) = delete;
  ClassicDecimalPoint& operator=(const ClassicDecimalPoint&) = delete;

 private:
  bool switched_ = false;
  int mode_ = 0;
  std::string saved_;
};

double ClassicStrtod(const char* s, char** end) {
  ClassicDecimalPoint classic;
  return std::strtod(s, end);
}
float ClassicStrtof(const char* s, char** end) {
  ClassicDecimalPoint classic;
  return std::strtof(s, end);
}
#else
long ClassicStrtol(const char* s, char** end) { return strtol_l(s, end, 10, Classic()); }
long long ClassicStrtoll(const char* s, char** end) { return strtoll_l(s, end, 10, Classic()); }
unsigned long long ClassicStrtoull(const char* s, char** end) { return strtoull_l(s, end, 10, Classic()); }
double ClassicStrtod(const char* s, char** end) { return strtod_l(s, end, Classic()); }
float ClassicStrtof(const char* s, char** end) { return strtof_l(s, end, Classic()); }
#endif

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
      text, value, ClassicStrtol,
      std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
  if (status == ParseStatus::Ok) out = static_cast<int32_t>(value);
  return status;
}

ParseStatus ParseInt32WideText(const std::string& text, int64_t& out) {
  // strtoll rather than strtol: where long is 32 bits, strtol would already
  // refuse the upper half of the unsigned range.
  long long value = 0;
  const ParseStatus status = ConvertInRange<long long>(
      text, value, ClassicStrtoll,
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
      text, value, ClassicStrtoll);
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
      text, value, ClassicStrtoull);
  if (status == ParseStatus::Ok) out = static_cast<uint64_t>(value);
  return status;
}

ParseStatus ParseFloatText(const std::string& text, float& out) {
  return ConvertFloating(text, out, ClassicStrtof);
}

ParseStatus ParseDoubleText(const std::string& text, double& out) {
  return ConvertFloating(text, out, ClassicStrtod);
}

}  // namespace QuorbNameSpace
