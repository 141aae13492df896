// Member definitions of FixedWidthType (declared in value_classes.h): the
// copy, swap, reset, allocate and free operations every fixed-width value
// class shares. Included only by the files that instantiate it for their
// classes (integer_types.cpp, float_types.cpp, boolean_type.cpp,
// complex_type.cpp, address_types.cpp).
#ifndef QUORB_TYPES_FIXED_WIDTH_TYPE_H
#define QUORB_TYPES_FIXED_WIDTH_TYPE_H

#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

#include "engine/kept_blocks.h"
#include "types/counted_array.h"
#include "types/value_classes.h"

namespace QuorbNameSpace {

template <typename Derived, typename T>
size_t FixedWidthType<Derived, T>::SizeOf() {
  return sizeof(T);
}

template <typename Derived, typename T>
void* FixedWidthType<Derived, T>::AllocArrayValue(size_t n) {
  void* array = AllocCountedArray(n, sizeof(T));
  if (array == nullptr) return nullptr;
  T* elements = static_cast<T*>(array);
  for (size_t i = 0; i < n; ++i) new (elements + i) T();
  return array;
}

// Scalars live in kept value blocks (kept_blocks.h): every class's fits.
template <typename T>
T* NewScalar(const T& value) {
  static_assert(sizeof(T) <= ValueBlockSize && alignof(T) <= alignof(std::max_align_t), "a scalar fits a value block");
  static_assert(std::is_trivially_destructible<T>::value, "a value block is freed without destruction");
  return new (AllocateValueBlock()) T(value);
}

template <typename Derived, typename T>
void* FixedWidthType<Derived, T>::AllocScalarValue(std::string text) {
  T value{};
  if (!static_cast<const Derived*>(this)->ParseText(text, value)) return nullptr;
  return NewScalar(value);
}

template <typename Derived, typename T>
void* FixedWidthType<Derived, T>::AllocScalarValue(const void* value) {
  return NewScalar(*static_cast<const T*>(value));
}

template <typename Derived, typename T>
void* FixedWidthType<Derived, T>::MakeScalarValue(std::string text, void* room) {
  if constexpr (sizeof(T) <= SmallValueRoom && alignof(T) <= 8) {
    T value{};
    if (!static_cast<const Derived*>(this)->ParseText(text, value)) return nullptr;
    return new (room) T(value);
  } else {
    return AllocScalarValue(std::move(text));
  }
}

template <typename Derived, typename T>
void FixedWidthType<Derived, T>::DeleteScalar(void* value) {
  FreeValueBlock(value);
}

template <typename Derived, typename T>
void FixedWidthType<Derived, T>::DeleteArray(void* array) {
  // The elements need no destruction; only the block is freed.
  static_assert(std::is_trivially_destructible<T>::value, "fixed-width values need no destructor");
  FreeCountedArray(array);
}

template <typename Derived, typename T>
void FixedWidthType<Derived, T>::SetValue(void* dest, const void* source) {
  *static_cast<T*>(dest) = *static_cast<const T*>(source);
}

template <typename Derived, typename T>
void FixedWidthType<Derived, T>::SetValue(void* array, const void* source, size_t index) {
  static_cast<T*>(array)[index] = *static_cast<const T*>(source);
}

template <typename Derived, typename T>
void FixedWidthType<Derived, T>::Swap(void* a, void* b) {
  std::swap(*static_cast<T*>(a), *static_cast<T*>(b));
}

template <typename Derived, typename T>
void FixedWidthType<Derived, T>::Reset(void* value) {
  *static_cast<T*>(value) = T();
}

template <typename Derived, typename T>
void* FixedWidthType<Derived, T>::ResetArray(void* array) {
  if (array == nullptr) return nullptr;
  T* elements = static_cast<T*>(array);
  const size_t n = CountedArrayLength(array);
  for (size_t i = 0; i < n; ++i) elements[i] = T();
  return array;
}

template <typename Derived, typename T>
std::string FixedWidthType<Derived, T>::ToString(const void* value) {
  return static_cast<const Derived*>(this)->PrintValue(*static_cast<const T*>(value));
}

}  // namespace QuorbNameSpace

#endif
