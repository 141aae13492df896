// Exports: a callback writes its result, raises errors and finds its
// operation and instance.
#include "api/callback_context.h"
#include "api/result_storage.h"
#include "api/typed_value.h"

using namespace QuorbApi;

namespace {

QuorbNameSpace::QuorbItem* ResultOf(QuorbPart* part) { return part != nullptr ? Engine(part)->Result : nullptr; }

template <typename T>
void WriteResult(QuorbPart* part, T value) {
  QuorbNameSpace::QuorbItem* result = ResultOf(part);
  if (result == nullptr) return;
  Quorb* instance = OwnerOf(part);
  GuardedVoid(instance, ErrTypeMismatch, [&] {
    RestoreOwnStorage(result);
    WriteAs<T>(result, value, instance);
  });
}

}  // namespace

extern "C" {

QUORB_API void Return(QuorbPart* part, double value) { WriteResult<double>(part, value); }
QUORB_API void ReturnInt32(QuorbPart* part, int32_t value) { WriteResult<int32_t>(part, value); }
QUORB_API void ReturnInt64(QuorbPart* part, int64_t value) { WriteResult<int64_t>(part, value); }

QUORB_API void ReturnPtr(QuorbPart* part, void* address) {
  QuorbNameSpace::QuorbItem* result = ResultOf(part);
  if (result == nullptr) return;
  Quorb* instance = OwnerOf(part);
  GuardedVoid(instance, ErrTypeMismatch, [&] {
    if (!PointResultAt(result, address) && instance != nullptr) instance->SetErrorIfNone(ErrTypeMismatch);
  });
}

QUORB_API void ReturnStr(QuorbPart* part, const char* text) {
  QuorbNameSpace::QuorbItem* result = ResultOf(part);
  if (result == nullptr) return;
  Quorb* instance = OwnerOf(part);
  GuardedVoid(instance, ErrTypeMismatch, [&] {
    RestoreOwnStorage(result);
    WriteText(result, TextIn(text), instance);
  });
}

QUORB_API int32_t ErrorRaise(QuorbPart* part, int32_t n) {
  Quorb* instance = OwnerOf(part);
  if (instance == nullptr) return 0;
  return Guarded<int32_t>(instance, ErrUserDefined, 0, [&] { return instance->ErrorRaise(Engine(part), n); });
}

QUORB_API int32_t ErrorRaiseMessage(QuorbPart* part, const char* message) {
  Quorb* instance = OwnerOf(part);
  if (instance == nullptr) return 0;
  return Guarded<int32_t>(instance, ErrUserDefined, 0,
                          [&] { return instance->ErrorRaiseMessage(Engine(part), TextIn(message)); });
}

QUORB_API QuorbItem* OpItem(QuorbPart* part) { return part != nullptr ? Handle(Engine(part)->OpItem) : nullptr; }
QUORB_API QuorbInstance* GetQuorb_Overload_Callback(QuorbPart* part) { return Handle(OwnerOf(part)); }
QUORB_API QuorbPart* Handle_Overload_Callback(QuorbPart* part) { return part; }

}  // extern "C"
