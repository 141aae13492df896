// The replaced global allocation functions behind failing_allocator.h. They
// take their memory from malloc, so a sanitizer still sees every block and
// reports any left behind.
#include "failing_allocator.h"

#include <cstdlib>
#include <new>

namespace {

// One thread drives the library in these tests; the counters are plain.
long countdown = 0;  // 0: not armed
long counted = 0;
bool persistent = false;
bool failed = false;

void* Allocate(std::size_t size) {
  ++counted;
  if (countdown > 0 && --countdown == 0) {
    if (persistent) countdown = 1;  // stays armed: the next one fails too
    failed = true;
    throw std::bad_alloc();
  }
  void* block = std::malloc(size != 0 ? size : 1);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

}  // namespace

namespace FailingAllocator {

void FailAt(long n, bool persist) {
  countdown = n;
  counted = 0;
  persistent = persist;
  failed = false;
}

void Disarm() {
  countdown = 0;
  counted = 0;
  persistent = false;
}

bool Failed() { return failed; }
long Count() { return counted; }

}  // namespace FailingAllocator

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
