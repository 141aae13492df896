// The pointer-width value classes: Size_t and Pointer (fixed-width values
// read as unsigned 64-bit text) and Void, whose slot no operation but its own
// allocation writes and whose printed form is the value's own address.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "types/counted_array.h"
#include "types/fixed_width_type.h"
#include "types/number_parsing.h"
#include "types/value_classes.h"

namespace QuorbNameSpace {

namespace {

// strtoull text kept modulo the width of the target, which is narrower than
// 64 bits only in 32-bit builds.
template <typename Target>
bool ParseAddressWidth(const std::string& text, Target& out) {
  uint64_t value = 0;
  if (ParseUInt64Text(text, value) != ParseStatus::Ok) return false;
  out = static_cast<Target>(value);
  return true;
}

}  // namespace

bool dt_Size_t::ParseText(const std::string& text, size_t& out) const {
  return ParseAddressWidth(text, out);
}

// Printed signed on purpose, at the value's own width: the usual "no
// position" value (all bits set) shows -1 in every build.
std::string dt_Size_t::PrintValue(const size_t& value) const {
  return To_String(static_cast<int64_t>(static_cast<std::ptrdiff_t>(value)));
}

bool dt_Pointer::ParseText(const std::string& text, uintptr_t& out) const {
  return ParseAddressWidth(text, out);
}

std::string dt_Pointer::PrintValue(const uintptr_t& value) const {
  return To_String(static_cast<uint64_t>(value));
}

template class FixedWidthType<dt_Size_t, size_t>;
template class FixedWidthType<dt_Pointer, uintptr_t>;

// dt_Void. The slot is held as a uintptr_t; copies go through memcpy because
// the caller's address need not hold an object of that type.

size_t dt_Void::SizeOf() { return sizeof(uintptr_t); }

void* dt_Void::AllocArrayValue(size_t n) {
  void* array = AllocCountedArray(n, sizeof(uintptr_t));
  if (array == nullptr) return nullptr;
  uintptr_t* slots = static_cast<uintptr_t*>(array);
  for (size_t i = 0; i < n; ++i) new (slots + i) uintptr_t(0);
  return array;
}

void* dt_Void::AllocScalarValue(std::string text) {
  uintptr_t value = 0;
  if (!ParseAddressWidth(text, value)) return nullptr;
  return NewScalar(value);
}

// A new slot, never the caller's address: DeleteScalar frees what it gets,
// and handing back the source would let it free the caller's storage.
void* dt_Void::AllocScalarValue(const void* value) {
  uintptr_t content = 0;
  std::memcpy(&content, value, sizeof content);
  return NewScalar(content);
}

void dt_Void::DeleteScalar(void* value) { FreeValueBlock(value); }

void dt_Void::DeleteArray(void* array) { FreeCountedArray(array); }

void dt_Void::SetValue(void*, const void*) {}

void dt_Void::SetValue(void*, const void*, size_t) {}

void dt_Void::Swap(void*, void*) {}

void dt_Void::Reset(void*) {}

void* dt_Void::ResetArray(void* array) { return array; }

std::string dt_Void::ToString(const void* value) {
  return To_String(static_cast<int64_t>(reinterpret_cast<intptr_t>(value)));
}

}  // namespace QuorbNameSpace
