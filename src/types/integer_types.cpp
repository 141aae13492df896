// The eight integer value classes: how each reads its value from text and
// prints it. Storage operations come from FixedWidthType.
#include <cstdint>
#include <string>
#include <type_traits>

#include "types/fixed_width_type.h"
#include "types/number_parsing.h"
#include "types/value_classes.h"

namespace QuorbNameSpace {

namespace {

// The narrow classes read a signed 32-bit number and keep it modulo 2 to
// their width. Going through the unsigned type of the same width makes the
// wrap explicit for the signed classes too.
template <typename Narrow>
bool ParseNarrow(const std::string& text, Narrow& out) {
  int32_t value = 0;
  if (ParseInt32Text(text, value) != ParseStatus::Ok) return false;
  using Unsigned = typename std::make_unsigned<Narrow>::type;
  out = static_cast<Narrow>(static_cast<Unsigned>(value));
  return true;
}

std::string PrintSigned(int64_t value) { return To_String(value); }
std::string PrintUnsigned(uint64_t value) { return To_String(value); }

}  // namespace

bool dt_Integer_8::ParseText(const std::string& text, int8_t& out) const {
  return ParseNarrow(text, out);
}
std::string dt_Integer_8::PrintValue(const int8_t& value) const { return PrintSigned(value); }

bool dt_Integer_8u::ParseText(const std::string& text, uint8_t& out) const {
  return ParseNarrow(text, out);
}
std::string dt_Integer_8u::PrintValue(const uint8_t& value) const { return PrintUnsigned(value); }

bool dt_Integer_16::ParseText(const std::string& text, int16_t& out) const {
  return ParseNarrow(text, out);
}
std::string dt_Integer_16::PrintValue(const int16_t& value) const { return PrintSigned(value); }

bool dt_Integer_16u::ParseText(const std::string& text, uint16_t& out) const {
  return ParseNarrow(text, out);
}
std::string dt_Integer_16u::PrintValue(const uint16_t& value) const {
  return PrintUnsigned(value);
}

bool dt_Integer_32::ParseText(const std::string& text, int32_t& out) const {
  return ParseNarrow(text, out);
}
std::string dt_Integer_32::PrintValue(const int32_t& value) const { return PrintSigned(value); }

// Int32u widens the signed 32-bit rule upwards: the signed range alone would
// leave 2^31 to 2^32-1 unwritable from text.
bool dt_Integer_32u::ParseText(const std::string& text, uint32_t& out) const {
  int64_t value = 0;
  if (ParseInt32WideText(text, value) != ParseStatus::Ok) return false;
  out = static_cast<uint32_t>(value);
  return true;
}
std::string dt_Integer_32u::PrintValue(const uint32_t& value) const {
  return PrintUnsigned(value);
}

bool dt_Integer_64::ParseText(const std::string& text, int64_t& out) const {
  return ParseInt64Text(text, out) == ParseStatus::Ok;
}
std::string dt_Integer_64::PrintValue(const int64_t& value) const { return PrintSigned(value); }

bool dt_Integer_64u::ParseText(const std::string& text, uint64_t& out) const {
  return ParseUInt64Text(text, out) == ParseStatus::Ok;
}
std::string dt_Integer_64u::PrintValue(const uint64_t& value) const {
  return PrintUnsigned(value);
}

template class FixedWidthType<dt_Integer_8, int8_t>;
template class FixedWidthType<dt_Integer_8u, uint8_t>;
template class FixedWidthType<dt_Integer_16, int16_t>;
template class FixedWidthType<dt_Integer_16u, uint16_t>;
template class FixedWidthType<dt_Integer_32, int32_t>;
template class FixedWidthType<dt_Integer_32u, uint32_t>;
template class FixedWidthType<dt_Integer_64, int64_t>;
template class FixedWidthType<dt_Integer_64u, uint64_t>;

}  // namespace QuorbNameSpace
