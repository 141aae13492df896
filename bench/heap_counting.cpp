// Replacement global operator new and delete that keep a count of the bytes
// in use. Each block carries its size in a header, so that the unsized
// delete knows what it gives back.
#include "heap_counting.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> bytesInUse{0};

// Keeps the block that follows aligned for any type.
constexpr size_t HeaderSize = alignof(std::max_align_t);

void* CountedAllocate(size_t size) {
  void* block = std::malloc(size + HeaderSize);
  if (block == nullptr) throw std::bad_alloc();
  *static_cast<size_t*>(block) = size;
  bytesInUse += size;
  return static_cast<char*>(block) + HeaderSize;
}

void CountedFree(void* memory) noexcept {
  if (memory == nullptr) return;
  void* block = static_cast<char*>(memory) - HeaderSize;
  bytesInUse -= *static_cast<size_t*>(block);
  std::free(block);
}

}  // namespace

size_t HeapBytesInUse() { return bytesInUse.load(); }

void* operator new(size_t size) { return CountedAllocate(size); }
void* operator new[](size_t size) { return CountedAllocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return CountedAllocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  try {
    return CountedAllocate(size);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void* memory) noexcept { CountedFree(memory); }
void operator delete[](void* memory) noexcept { CountedFree(memory); }
void operator delete(void* memory, size_t) noexcept { CountedFree(memory); }
void operator delete[](void* memory, size_t) noexcept { CountedFree(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { CountedFree(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { CountedFree(memory); }
