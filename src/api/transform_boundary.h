// Helpers of the transform exports: transform handles, the instance a
// transform reports to, and the guard every transform export runs under.
#ifndef QUORB_API_TRANSFORM_BOUNDARY_H
#define QUORB_API_TRANSFORM_BOUNDARY_H

#include <vector>

#include "api/boundary.h"

namespace QuorbApi {

using QuorbNameSpace::StringLocation;
using EngineItem = QuorbNameSpace::QuorbItem;

// List indices past this are refused: growing a list to a host's stray
// index would take gigabytes.
constexpr int32_t MaxListIndex = 1 << 20;

// A rule's count limit as the host gives it: any negative value is "none",
// which for a lower limit (Minimum, MinimumHard, StartAfter) is 0 and for
// an upper one (Maximum, MaximumHard, StopAfter) the largest count.
inline uint64_t LowerLimit(int32_t value) { return value < 0 ? 0 : static_cast<uint64_t>(value); }
inline uint64_t UpperLimit(int32_t value) { return value < 0 ? QuorbNameSpace::npos64 : static_cast<uint64_t>(value); }

// Sets a flag on a rule and on every variant its optional parts and
// alternatives spun off: to the host they are one rule, and each variant is
// matched with its own flags.
inline void SetOnFamily(EngineItem& rule, QuorbNameSpace::ItemIsEnum bit, bool on) {
  std::vector<EngineItem*> pending{&rule};
  while (!pending.empty()) {
    EngineItem* item = pending.back();
    pending.pop_back();
    item->SetProperty(bit, on ? 1 : 0);
    if (const std::vector<EngineItem*>* variants = item->Rule().Variants)
      pending.insert(pending.end(), variants->begin(), variants->end());
  }
}

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
