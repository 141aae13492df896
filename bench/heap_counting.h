// Heap bytes in use, counted by a replacement of the global operator new
// and delete (heap_counting.cpp) that every library of the program calls,
// the peer's included. Only what is asked for through the plain and array
// forms of operator new is counted (not malloc, not the over-aligned forms,
// not the allocator's own overhead), so figures of two libraries are
// compared alike.
#ifndef QUORB_BENCH_HEAP_COUNTING_H
#define QUORB_BENCH_HEAP_COUNTING_H

#include <cstddef>

// Bytes asked for through operator new and not yet given back, all threads.
size_t HeapBytesInUse();

#endif
