// The String value class: each value is a std::string constructed in place,
// so arrays construct and destroy every element themselves.
#include <new>
#include <string>
#include <utility>

#include "engine/kept_blocks.h"
#include "types/counted_array.h"
#include "types/value_classes.h"

namespace QuorbNameSpace {

namespace {

std::string& AsString(void* value) { return *static_cast<std::string*>(value); }
const std::string& AsString(const void* value) { return *static_cast<const std::string*>(value); }

}  // namespace

size_t dt_String::SizeOf() { return sizeof(std::string); }

void* dt_String::AllocArrayValue(size_t n) {
  void* array = AllocCountedArray(n, sizeof(std::string));
  if (array == nullptr) return nullptr;
  std::string* elements = static_cast<std::string*>(array);
  for (size_t i = 0; i < n; ++i) new (elements + i) std::string();
  return array;
}

// A scalar's std::string object lives in a kept block (kept_blocks.h).
void* dt_String::AllocScalarValue(std::string text) { return new (AllocateStringBlock()) std::string(std::move(text)); }

void* dt_String::AllocScalarValue(const void* value) {
  void* block = AllocateStringBlock();
  try {
    return new (block) std::string(AsString(value));
  } catch (...) {
    FreeStringBlock(block);
    throw;
  }
}

void dt_String::DeleteScalar(void* value) {
  if (value == nullptr) return;
  AsString(value).~basic_string();
  FreeStringBlock(value);
}

void dt_String::DeleteArray(void* array) {
  if (array == nullptr) return;
  std::string* elements = static_cast<std::string*>(array);
  const size_t n = CountedArrayLength(array);
  for (size_t i = 0; i < n; ++i) elements[i].~basic_string();
  FreeCountedArray(array);
}

void dt_String::SetValue(void* dest, const void* source) { AsString(dest) = AsString(source); }

void dt_String::SetValue(void* array, const void* source, size_t index) {
  static_cast<std::string*>(array)[index] = AsString(source);
}

void dt_String::Swap(void* a, void* b) { AsString(a).swap(AsString(b)); }

void dt_String::Reset(void* value) { AsString(value).clear(); }

void* dt_String::ResetArray(void* array) {
  if (array == nullptr) return nullptr;
  std::string* elements = static_cast<std::string*>(array);
  const size_t n = CountedArrayLength(array);
  for (size_t i = 0; i < n; ++i) elements[i].clear();
  return array;
}

std::string dt_String::ToString(const void* value) { return AsString(value); }

}  // namespace QuorbNameSpace
