// The set-aside storage of a result pointed at host memory (result_storage.h).
#include "api/result_storage.h"

#include <algorithm>

#include "engine/quorb_item.h"

namespace QuorbApi {

using QuorbNameSpace::QuorbItem;

namespace {

// Marks the sub-item that holds a result's own storage; never called.
void SetAsideMarker(QuorbNameSpace::ExpressionPart&) {}

QuorbItem* SetAside(const QuorbItem* result) {
  for (QuorbItem* sub : result->SubItems)
    if (sub->Callback == &SetAsideMarker) return sub;
  return nullptr;
}

}  // namespace

void RestoreOwnStorage(QuorbItem* result) {
  QuorbItem* kept = SetAside(result);
  if (kept == nullptr) return;
  // Exchanged rather than copied: a small value the result held in its own
  // room went to the room of the kept item and must come back into it.
  result->SwapValues(*kept);
  result->SetBit(QuorbNameSpace::IsOwner, kept->Has(QuorbNameSpace::IsOwner));
  kept->ValuePtr = nullptr;
  kept->SetBit(QuorbNameSpace::IsOwner, false);
  QuorbNameSpace::SubItemList& subs = result->SubItems;
  subs.erase(std::remove(subs.begin(), subs.end(), kept), subs.end());
  delete kept;
}

bool PointResultAt(QuorbItem* result, void* address) {
  if (result->Has(QuorbNameSpace::IsArray)) return false;
  if (address == nullptr) {
    RestoreOwnStorage(result);
    return true;
  }
  if (SetAside(result) == nullptr) {
    // The sub-item takes over the storage and its ownership; the result
    // item then owns nothing, so its release cannot free host memory.
    auto* kept = new QuorbItem();
    kept->Callback = &SetAsideMarker;
    kept->DataType = result->DataType;
    kept->SwapValues(*result);
    kept->SetBit(QuorbNameSpace::IsOwner, result->Has(QuorbNameSpace::IsOwner));
    result->SubItems.push_back(kept);
    result->SetBit(QuorbNameSpace::IsOwner, false);
  }
  result->ValuePtr = address;
  return true;
}

}  // namespace QuorbApi
