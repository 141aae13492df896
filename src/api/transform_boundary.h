// Helpers of the transform exports: transform handles, the instance a
// transform reports to, and the guard every transform export runs under.
#ifndef QUORB_API_TRANSFORM_BOUNDARY_H
#define QUORB_API_TRANSFORM_BOUNDARY_H

#include "api/boundary.h"

namespace QuorbApi {

using QuorbNameSpace::StringLocation;
using EngineItem = QuorbNameSpace::QuorbItem;

// List indices past this are refused: growing a list to a host's stray
// index would take gigabytes.
constexpr int32_t MaxListIndex = 1 << 20;

inline StringLocation* Engine(QuorbTransform* handle) { return reinterpret_cast<StringLocation*>(handle); }

// Runs `body` on a transform; null gives `neutral`. An exception becomes
// error 9 on the transform's instance.
template <typename Result, typename Body>
Result OnTransform(QuorbTransform* handle, Result neutral, Body body) noexcept {
  if (handle == nullptr) return neutral;
  StringLocation* transform = Engine(handle);
  return Guarded<Result>(transform->Owner, ErrInvalidDefinition, neutral, [&] { return body(*transform); });
}

// Runs `body` on a transform for a text result kept in `slot`; a null
// handle or a failure gives the empty text. The slot is written only once
// `body` has read its inputs: a host may pass the export's own previous
// result back in.
template <typename Body>
const char* TextFromTransform(QuorbTransform* handle, std::string& slot, Body body) noexcept {
  const char* text = OnTransform<const char*>(handle, nullptr, [&](StringLocation& transform) {
    return TextOut(slot, body(transform));
  });
  return text != nullptr ? text : TextOut(slot, std::string());
}

// Whether an expansion that reads `transform`'s parts runs: its own, its
// parents' (a sharing pass uses theirs) or a sharing pass's (it uses
// this one's). Host code called back from a rule's directive must not
// rebuild or free what the run reads.
inline bool IsBusy(const StringLocation& transform) {
  for (const StringLocation* s = &transform; s != nullptr; s = s->Parent)
    if (s->IsRunning()) return true;
  for (const StringLocation* pass : transform.Passes)
    if (pass != nullptr && pass->Parent == &transform && pass->IsRunning()) return true;
  return false;
}

// Refuses a call on `transform`: error 9 on its instance (unless one is
// pending), and null.
inline QuorbTransform* Refused(StringLocation& transform) {
  if (transform.Owner != nullptr) transform.Owner->SetErrorIfNone(ErrInvalidDefinition);
  return nullptr;
}

}  // namespace QuorbApi

#endif
