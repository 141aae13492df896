// A callback's result pointed at host memory (ReturnPtr). The result item's
// own storage is kept aside in an owned sub-item, so that releasing the
// expression frees exactly what the library allocated and never the host's
// memory, and so that a later write through the other Return exports goes
// to the library's storage again, not into the host's.
#ifndef QUORB_API_RESULT_STORAGE_H
#define QUORB_API_RESULT_STORAGE_H

namespace QuorbNameSpace {
class QuorbItem;
}

namespace QuorbApi {

// Makes the memory at `address` the result's value; null gives the result
// its own storage back. False for an array result, which is left alone.
bool PointResultAt(QuorbNameSpace::QuorbItem* result, void* address);

// Gives the result its own storage back when host memory stands in for it.
void RestoreOwnStorage(QuorbNameSpace::QuorbItem* result);

}  // namespace QuorbApi

#endif
