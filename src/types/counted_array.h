// Raw storage for value arrays. ResetArray and DeleteArray receive only the
// array's address, so every array carries its element count in a small
// header just before element 0. The address handed out is aligned for any
// value type (alignof(std::max_align_t)). Used by the value classes only
// (value_classes.h); element construction and destruction stay with them.
#ifndef QUORB_TYPES_COUNTED_ARRAY_H
#define QUORB_TYPES_COUNTED_ARRAY_H

#include <cstddef>

namespace QuorbNameSpace {

// Uninitialised room for `count` elements of `elementSize` bytes (count 0 is
// valid). Null when the byte size would overflow or memory runs out; never
// throws. Free with FreeCountedArray.
void* AllocCountedArray(size_t count, size_t elementSize);

// The count the array was made with. `array` must come from AllocCountedArray.
size_t CountedArrayLength(const void* array);

// Frees an array from AllocCountedArray without touching its elements; null
// does nothing.
void FreeCountedArray(void* array);

}  // namespace QuorbNameSpace

#endif
