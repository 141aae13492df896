// A global operator new that can be told to fail: the test program that
// links failing_allocator.cpp replaces operator new and new[] (and their
// deletes) for the whole process, the library included.
#ifndef QUORB_TESTS_FAILING_ALLOCATOR_H
#define QUORB_TESTS_FAILING_ALLOCATOR_H

namespace FailingAllocator {

// From now on, the `n`-th allocation (1 = the next) throws std::bad_alloc;
// with `persist`, every later one throws too, as in a process out of memory.
void FailAt(long n, bool persist = false);
// Every allocation succeeds again.
void Disarm();
// Whether an allocation has been refused since the last FailAt.
bool Failed();
// Allocations counted since the last FailAt (or Disarm).
long Count();

}  // namespace FailingAllocator

#endif
