// The sixteen value storage classes: one QuorbDataType per kind of storage.
// Which type names use which class is decided by the type registry; how
// values convert between types and how output formats apply lives with the
// conversions. The interface itself is in data_type.h.
//
// Storage of one value, by class:
//   dt_Boolean       1 byte, 0 false and anything else true (1 when parsed)
//   dt_Integer_8/8u, dt_Integer_16/16u, dt_Integer_32/32u, dt_Integer_64/64u
//                    the signed or unsigned integer of that width
//   dt_Float_Single  float        dt_Float_Double  double
//   dt_Size_t        size_t       dt_Pointer       an address (uintptr_t)
//   dt_Complex       std::complex<double>: real part, then imaginary part
//   dt_String        a std::string constructed in place
//   dt_Void          a pointer-width slot that only its own allocations write
//
// Ownership: every pointer the Alloc operations return belongs to the caller,
// who frees it through an object of the same class: scalars with
// DeleteScalar, arrays with DeleteArray (never mixed). Both accept null.
// Arrays record their length in front of element 0, so ResetArray and
// DeleteArray work on arrays from AllocArrayValue only.
//
// Failures: AllocScalarValue(text) returns null and allocates nothing when a
// numeric class cannot read the text (number_parsing.h gives the rules);
// AllocArrayValue returns null when the count is too large to allocate.
// No operation checks that a pointer is valid or of its class.
#ifndef QUORB_TYPES_VALUE_CLASSES_H
#define QUORB_TYPES_VALUE_CLASSES_H

#include <complex>
#include <cstddef>
#include <cstdint>
#include <string>

#include "types/data_type.h"

namespace QuorbNameSpace {

// The operations shared by every class whose value is one trivially copyable
// object of type T: copy, swap and reset as T, with no conversion. Each
// concrete class adds how its values read from and print to text:
//   bool ParseText(const std::string& text, T& out) const;  false: no value
//   std::string PrintValue(const T& value) const;
// The member definitions are in fixed_width_type.h.
template <typename Derived, typename T>
class FixedWidthType : public QuorbDataType {
 public:
  using QuorbDataType::AllocScalarValue;  // keeps the string-literal overload visible

  size_t SizeOf() override;
  void* AllocArrayValue(size_t n) override;
  void* AllocScalarValue(std::string text) override;
  void* AllocScalarValue(const void* value) override;
  void* MakeScalarValue(std::string text, void* room) override;
  void DeleteScalar(void* value) override;
  void DeleteArray(void* array) override;
  void SetValue(void* dest, const void* source) override;
  void SetValue(void* array, const void* source, size_t index) override;
  void Swap(void* a, void* b) override;
  void Reset(void* value) override;
  void* ResetArray(void* array) override;
  std::string ToString(const void* value) override;
};

// Bool. Text compares with the Bool type's true word, the string value of
// Item's second sub-item; when Item has IsCaseSensitive the comparison is
// exact, otherwise ASCII letters compare without case. Equal is true,
// anything else false; never fails. Printing gives the true word (second
// sub-item) or the false word (third). Without a defining item, or without
// those sub-items, the words are "true" and "false".
class dt_Boolean final : public FixedWidthType<dt_Boolean, uint8_t> {
  friend FixedWidthType;
  bool ParseText(const std::string& text, uint8_t& out) const;
  std::string PrintValue(const uint8_t& value) const;
};

// Int8 to Int32u read text as a signed 32-bit number and keep it modulo 2 to
// the width (300 as Int8u is 44, -1 as Int32u is 4294967295). Int32u alone
// also accepts up to 4294967295 so that its whole range can be written.
// Signed classes print signed decimal, unsigned ones unsigned decimal.
class dt_Integer_8 final : public FixedWidthType<dt_Integer_8, int8_t> {
  friend FixedWidthType;
  bool ParseText(const std::string& text, int8_t& out) const;
  std::string PrintValue(const int8_t& value) const;
};

class dt_Integer_8u final : public FixedWidthType<dt_Integer_8u, uint8_t> {
  friend FixedWidthType;
  bool ParseText(const std::string& text, uint8_t& out) const;
  std::string PrintValue(const uint8_t& value) const;
};

class dt_Integer_16 final : public FixedWidthType<dt_Integer_16, int16_t> {
  friend FixedWidthType;
  bool ParseText(const std::string& text, int16_t& out) const;
  std::string PrintValue(const int16_t& value) const;
};

class dt_Integer_16u final : public FixedWidthType<dt_Integer_16u, uint16_t> {
  friend FixedWidthType;
  bool ParseText(const std::string& text, uint16_t& out) const;
  std::string PrintValue(const uint16_t& value) const;
};

class dt_Integer_32 final : public FixedWidthType<dt_Integer_32, int32_t> {
  friend FixedWidthType;
  bool ParseText(const std::string& text, int32_t& out) const;
  std::string PrintValue(const int32_t& value) const;
};

class dt_Integer_32u final : public FixedWidthType<dt_Integer_32u, uint32_t> {
  friend FixedWidthType;
  bool ParseText(const std::string& text, uint32_t& out) const;
  std::string PrintValue(const uint32_t& value) const;
};

// Int64 reads with strtoll, Int64u with strtoull (a leading minus negates
// modulo 2^64).
class dt_Integer_64 final : public FixedWidthType<dt_Integer_64, int64_t> {
  friend FixedWidthType;
  bool ParseText(const std::string& text, int64_t& out) const;
  std::string PrintValue(const int64_t& value) const;
};

class dt_Integer_64u final : public FixedWidthType<dt_Integer_64u, uint64_t> {
  friend FixedWidthType;
  bool ParseText(const std::string& text, uint64_t& out) const;
  std::string PrintValue(const uint64_t& value) const;
};

// Single reads with strtof, Double with strtod; both print with 6
// significant digits in the stream's default notation (see To_String).
class dt_Float_Single final : public FixedWidthType<dt_Float_Single, float> {
  friend FixedWidthType;
  bool ParseText(const std::string& text, float& out) const;
  std::string PrintValue(const float& value) const;
};

class dt_Float_Double final : public FixedWidthType<dt_Float_Double, double> {
  friend FixedWidthType;
  bool ParseText(const std::string& text, double& out) const;
  std::string PrintValue(const double& value) const;
};

// Size_t reads as Int64u (kept modulo the width where size_t is narrower)
// and prints the 64-bit value as signed: 2^64-1 prints as -1.
class dt_Size_t final : public FixedWidthType<dt_Size_t, size_t> {
  friend FixedWidthType;
  bool ParseText(const std::string& text, size_t& out) const;
  std::string PrintValue(const size_t& value) const;
};

// Complex does not parse its text: the empty text is 0+0i, any other 0+1i.
// Prints real "+" imaginary "i", each part as a double: 1-2i is "1+-2i".
class dt_Complex final : public FixedWidthType<dt_Complex, std::complex<double>> {
  friend FixedWidthType;
  bool ParseText(const std::string& text, std::complex<double>& out) const;
  std::string PrintValue(const std::complex<double>& value) const;
};

// AnyType and Pointer: an address, read as Int64u (modulo the pointer width)
// and printed as an unsigned decimal.
class dt_Pointer final : public FixedWidthType<dt_Pointer, uintptr_t> {
  friend FixedWidthType;
  bool ParseText(const std::string& text, uintptr_t& out) const;
  std::string PrintValue(const uintptr_t& value) const;
};

// A std::string per value, constructed in place. Reset empties it, Swap
// exchanges contents, arrays hold empty strings and DeleteArray destroys
// every element before freeing. Text is taken as is; never fails.
class dt_String : public QuorbDataType {
 public:
  using QuorbDataType::AllocScalarValue;

  size_t SizeOf() override;
  void* AllocArrayValue(size_t n) override;
  void* AllocScalarValue(std::string text) override;
  void* AllocScalarValue(const void* value) override;
  void DeleteScalar(void* value) override;
  void DeleteArray(void* array) override;
  void SetValue(void* dest, const void* source) override;
  void SetValue(void* array, const void* source, size_t index) override;
  void Swap(void* a, void* b) override;
  void Reset(void* value) override;
  void* ResetArray(void* array) override;
  std::string ToString(const void* value) override;
};

// Void: a pointer-width slot. SetValue, Swap, Reset and
// ResetArray do nothing. AllocScalarValue(text) reads as Size_t into a new
// slot; AllocScalarValue(pointer) makes a new slot holding a copy of the
// pointer-width content at the address, so DeleteScalar never frees the
// caller's storage. Arrays start zeroed. ToString prints the address of the
// value itself, not its content, as a signed decimal.
class dt_Void final : public QuorbDataType {
 public:
  using QuorbDataType::AllocScalarValue;

  size_t SizeOf() override;
  void* AllocArrayValue(size_t n) override;
  void* AllocScalarValue(std::string text) override;
  void* AllocScalarValue(const void* value) override;
  void DeleteScalar(void* value) override;
  void DeleteArray(void* array) override;
  void SetValue(void* dest, const void* source) override;
  void SetValue(void* array, const void* source, size_t index) override;
  void Swap(void* a, void* b) override;
  void Reset(void* value) override;
  void* ResetArray(void* array) override;
  std::string ToString(const void* value) override;
};

// The shared operations are compiled once, in the files that define each
// class's text rules.
extern template class FixedWidthType<dt_Boolean, uint8_t>;
extern template class FixedWidthType<dt_Integer_8, int8_t>;
extern template class FixedWidthType<dt_Integer_8u, uint8_t>;
extern template class FixedWidthType<dt_Integer_16, int16_t>;
extern template class FixedWidthType<dt_Integer_16u, uint16_t>;
extern template class FixedWidthType<dt_Integer_32, int32_t>;
extern template class FixedWidthType<dt_Integer_32u, uint32_t>;
extern template class FixedWidthType<dt_Integer_64, int64_t>;
extern template class FixedWidthType<dt_Integer_64u, uint64_t>;
extern template class FixedWidthType<dt_Float_Single, float>;
extern template class FixedWidthType<dt_Float_Double, double>;
extern template class FixedWidthType<dt_Size_t, size_t>;
extern template class FixedWidthType<dt_Complex, std::complex<double>>;
extern template class FixedWidthType<dt_Pointer, uintptr_t>;

// OmniType: a value that can be anything, carried as its text. Any type
// converts to it through its text and it converts to any type by parsing
// that text, so its storage must be a string object: a pointer-width slot
// could not hold what a conversion writes.
class dt_Omni final : public dt_String {};

}  // namespace QuorbNameSpace

#endif
