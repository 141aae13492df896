// Exports: transform life, passes, comments, and the exports that are kept
// for hosts but do nothing.
#include <algorithm>

#include "api/transform_boundary.h"

using namespace QuorbApi;

namespace {

// Whether `transform` is one the host made (NewTransform, LocalTransform)
// and its instance lists: the instance's own transforms and passes are not.
bool IsHostTransform(const StringLocation& transform) {
  if (transform.Owner == nullptr) return false;
  const std::vector<StringLocation*>& listed = transform.Owner->Scanners.UserTransforms;
  return std::find(listed.begin(), listed.end(), &transform) != listed.end();
}

// A pass made in slot `index` (grown to hold it), owned by `transform`.
StringLocation* MakePassAt(StringLocation& transform, size_t index, bool share) {
  if (transform.Passes.size() <= index) transform.Passes.resize(index + 1, nullptr);
  StringLocation* pass = transform.MakePass(share);
  transform.Passes[index] = pass;
  pass->Owner = transform.Owner;
  return pass;
}

QuorbTransform* SetComment(QuorbTransform* handle, const char* comment) {
  return OnTransform<QuorbTransform*>(handle, nullptr, [&](StringLocation& transform) {
    transform.Comment = TextIn(comment);
    return handle;
  });
}

}  // namespace

extern "C" {

QUORB_API void ReleaseTransform(QuorbTransform* handle) {
  OnTransform<int>(handle, 0, [&](StringLocation& transform) {
    if (!IsHostTransform(transform) || IsBusy(transform)) {
      Refused(transform);
      return 0;
    }
    transform.Owner->RemoveUserTransform(&transform);
    // The reset frees what the transform owns and leaves null behind, so
    // its destruction finds nothing to free a second time.
    transform.ResetStringLocation(QuorbNameSpace::ResetRulesAndTokens);
    transform.HostRules.RulesDefault.Release();
    transform.HostRules.RulesOverall.Release();
    delete &transform;
    return 0;
  });
}

QUORB_API QuorbTransform* Reset(QuorbTransform* handle, int32_t kind) {
  return OnTransform<QuorbTransform*>(handle, nullptr, [&](StringLocation& transform) {
    if (kind < QuorbNameSpace::ResetRulesAndTokens || kind > QuorbNameSpace::ResetRulesOnly || IsBusy(transform))
      return Refused(transform);
    transform.ResetForHost(static_cast<QuorbNameSpace::TransformResetEnum>(kind));
    return handle;
  });
}

QUORB_API QuorbTransform* SetParser(QuorbTransform* handle, QuorbInstance* instance) {
  return OnTransform<QuorbTransform*>(handle, nullptr, [&](StringLocation& transform) {
    if (instance == nullptr || !IsHostTransform(transform)) return Refused(transform);
    Quorb* target = Engine(instance);
    if (target == transform.Owner) return handle;
    if (transform.HoldsRules() || IsBusy(transform)) return Refused(transform);
    target->Scanners.UserTransforms.reserve(target->Scanners.UserTransforms.size() + 1);
    transform.Owner->RemoveUserTransform(&transform);
    target->Scanners.UserTransforms.push_back(&transform);
    transform.SetOwnerInstance(target);
    return handle;
  });
}

QUORB_API QuorbInstance* MathParser(QuorbTransform* handle) {
  return handle != nullptr ? Handle(Engine(handle)->Owner) : nullptr;
}

QUORB_API QuorbTransform* LocalTransform(QuorbItem* rule) {
  if (rule == nullptr) return nullptr;
  EngineItem* item = Engine(rule);
  Quorb* instance = item->Rule().DefiningTransform != nullptr ? item->Rule().DefiningTransform->Owner : nullptr;
  return Guarded<QuorbTransform*>(instance, ErrInvalidDefinition, nullptr,
                                  [&] { return Handle(item->ReturnLocalTransform()); });
}

QUORB_API QuorbTransform* NewPass(QuorbTransform* handle, int32_t share) {
  return OnTransform<QuorbTransform*>(handle, nullptr, [&](StringLocation& transform) {
    // A pass that shares its parent's passes owns none it could free.
    if (!transform.IsOwning() || IsBusy(transform)) return Refused(transform);
    return Handle(MakePassAt(transform, transform.Passes.size(), share != 0));
  });
}

QUORB_API QuorbTransform* Pass(QuorbTransform* handle, int32_t index, int32_t share) {
  return OnTransform<QuorbTransform*>(handle, nullptr, [&](StringLocation& transform) -> QuorbTransform* {
    if (index < 0 || index > MaxListIndex) return nullptr;
    const size_t slot = static_cast<size_t>(index);
    if (slot < transform.Passes.size()) {
      StringLocation* pass = transform.Passes[slot];
      if (pass != nullptr) pass->Owner = transform.Owner;
      return Handle(pass);
    }
    if (!transform.IsOwning() || IsBusy(transform)) return Refused(transform);
    return Handle(MakePassAt(transform, slot, share != 0));
  });
}

QUORB_API QuorbTransform* Comment_Overload_QuorbTransform_Tokens(QuorbTransform* handle, const char* comment) {
  return SetComment(handle, comment);
}

QUORB_API QuorbTransform* Comment_Overload_QuorbTransform(QuorbTransform* handle, const char* comment) {
  return SetComment(handle, comment);
}

QUORB_API QuorbTransform* GetTokens(QuorbTransform* transform) { return transform; }

QUORB_API QuorbTransform* Import_Overload_QuorbTransform_Tokens__File(QuorbTransform* transform, const char*) {
  return transform;
}

QUORB_API void* SetProperties(void* handle, int64_t) { return handle; }

QUORB_API QuorbTransform* Import_Overload_QuorbTransform(void) { return nullptr; }

QUORB_API int32_t ParseAgainMax(void) { return 0; }

}  // extern "C"
