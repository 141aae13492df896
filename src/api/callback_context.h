// The callback context at the C boundary: the part a callback runs with,
// its instance, and its arguments counted from 1.
#ifndef QUORB_API_CALLBACK_CONTEXT_H
#define QUORB_API_CALLBACK_CONTEXT_H

#include "api/boundary.h"

namespace QuorbApi {

inline QuorbNameSpace::ExpressionPart* Engine(QuorbPart* handle) {
  return reinterpret_cast<QuorbNameSpace::ExpressionPart*>(handle);
}

// The instance whose callback runs: the operation item's owner; null when
// the part or its operation item is missing.
inline Quorb* OwnerOf(QuorbPart* handle) {
  const QuorbNameSpace::ExpressionPart* part = Engine(handle);
  return part != nullptr && part->OpItem != nullptr ? part->OpItem->Owner : nullptr;
}

// Argument n (1 to the count), or null for a number outside the range.
inline QuorbNameSpace::QuorbItem* ArgumentItem(QuorbPart* handle, int32_t n) {
  const QuorbNameSpace::ExpressionPart* part = Engine(handle);
  if (part == nullptr || n < 1 || static_cast<size_t>(n) > part->Args.size()) return nullptr;
  return part->Args[static_cast<size_t>(n) - 1];
}

}  // namespace QuorbApi

#endif
