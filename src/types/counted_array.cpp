// Value-array storage with a leading element count; see counted_array.h.
#include "types/counted_array.h"

#include <cstdint>
#include <new>

namespace QuorbNameSpace {

namespace {

// The header keeps element 0 at the strictest fundamental alignment.
constexpr size_t kAlignment = alignof(std::max_align_t);
constexpr size_t kHeaderSize = kAlignment;
static_assert(kHeaderSize >= sizeof(size_t), "the count must fit in the header");

char* BlockOf(const void* array) {
  return static_cast<char*>(const_cast<void*>(array)) - kHeaderSize;
}

}  // namespace

void* AllocCountedArray(size_t count, size_t elementSize) {
  // Keep the byte size within what a single object may span, as the
  // standard allocators do; larger counts fail here instead of wrapping.
  const size_t limit = static_cast<size_t>(PTRDIFF_MAX) - kHeaderSize;
  if (elementSize != 0 && count > limit / elementSize) return nullptr;
  const size_t bytes = kHeaderSize + count * elementSize;
  void* block = ::operator new(bytes, std::align_val_t(kAlignment), std::nothrow);
  if (block == nullptr) return nullptr;
  new (block) size_t(count);
  return static_cast<char*>(block) + kHeaderSize;
}

size_t CountedArrayLength(const void* array) {
  return *reinterpret_cast<const size_t*>(BlockOf(array));
}

void FreeCountedArray(void* array) {
  if (array == nullptr) return;
  ::operator delete(BlockOf(array), std::align_val_t(kAlignment));
}

}  // namespace QuorbNameSpace
