// Exports: instance life and the instance's own objects.
#include <cmath>
#include <new>

#include "api/boundary.h"

using namespace QuorbApi;

extern "C" {

QUORB_API QuorbInstance* CreateQuorb(void*) {
  try {
    return Handle(new Quorb(nullptr));
  } catch (...) {
    return nullptr;  // a failed construction gives no instance
  }
}

QUORB_API void ReleaseQuorb(QuorbInstance* instance) {
  if (instance == nullptr) return;
  // From host code the instance called back (a handler, a callback), the
  // instance is in use below it: the call is ignored.
  if (Engine(instance)->InUse()) return;
  GuardedVoid(nullptr, 0, [&] { delete Engine(instance); });
}

QUORB_API QuorbInstance* Handle_Overload_Quorb(QuorbInstance* instance) { return instance; }

QUORB_API QuorbItem* Default(QuorbInstance* instance) {
  if (instance == nullptr) return nullptr;
  return Handle(Engine(instance)->Definitions.DefaultItem);
}

QUORB_API QuorbType* DataTypeOfIndex(QuorbInstance* instance, int32_t index) {
  if (instance == nullptr || index < 0) return nullptr;
  const std::vector<QuorbNameSpace::QuorbDataType*>& types = Engine(instance)->Types.DataTypes;
  if (static_cast<size_t>(index) >= types.size()) return nullptr;
  return Handle(types[index]);
}

// Bits 1 to 63 can be named; 0, negative numbers and numbers past the word
// add nothing. A bit named twice is added twice, as a sum of powers does.
QUORB_API int64_t Properties(QuorbInstance*, int32_t p1, int32_t p2, int32_t p3, int32_t p4) {
  uint64_t mask = 0;
  for (int32_t p : {p1, p2, p3, p4})
    if (p > 0 && p < 64) mask += 1ULL << p;
  return static_cast<int64_t>(mask);
}

QUORB_API QuorbTransform* NewTransform(QuorbInstance* instance) {
  if (instance == nullptr) return nullptr;
  Quorb* engine = Engine(instance);
  return Guarded<QuorbTransform*>(engine, ErrInvalidDefinition, nullptr, [&] { return Handle(engine->NewTransform()); });
}

QUORB_API QuorbTransform* ParserTransform(QuorbInstance* instance) {
  if (instance == nullptr) return nullptr;
  return Handle(Engine(instance)->ParserTransform());
}

QUORB_API QuorbTransform* CreateTransform(void) { return nullptr; }

}  // extern "C"
