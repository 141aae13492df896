// Exports: what a host reads from an item, renaming and releasing it.
#include "api/boundary.h"
#include "api/item_release.h"

using namespace QuorbApi;
using EngineItem = QuorbNameSpace::QuorbItem;

extern "C" {

QUORB_API const char* Name_Overload_Item(QuorbItem* item) {
  static std::string text;
  return Guarded<const char*>(nullptr, 0, "", [&] { return TextOut(text, item != nullptr ? Engine(item)->Name.str() : ""); });
}

QUORB_API const char* Text(QuorbItem* item) {
  static std::string text;
  return Guarded<const char*>(nullptr, 0, "", [&] { return TextOut(text, item != nullptr ? Engine(item)->Text.str() : ""); });
}

QUORB_API int32_t IsProperty(QuorbItem* item, int32_t n) {
  if (item == nullptr) return 0;
  return (Engine(item)->Properties & QuorbNameSpace::PropertyBit(n)) != 0 ? 1 : 0;
}

QUORB_API int32_t Precedence_Overload_Item(QuorbItem* item) { return item != nullptr ? Engine(item)->Precedence : 0; }
QUORB_API QuorbItem* NextOverload(QuorbItem* item) { return item != nullptr ? Handle(Engine(item)->NextOverload) : nullptr; }
QUORB_API QuorbType* GetDataType(QuorbItem* item) { return item != nullptr ? Handle(Engine(item)->DataType) : nullptr; }

QUORB_API void* FunctionAddress(QuorbItem* item) {
  if (item == nullptr) return nullptr;
  const QuorbNameSpace::QuorbItem* engine = Engine(item);
  // A host's function is kept apart from the step that calls it.
  if (engine->HostFunction != nullptr) return reinterpret_cast<void*>(engine->HostFunction);
  if (engine->Callback == nullptr) return nullptr;
  return reinterpret_cast<void*>(reinterpret_cast<void (*)()>(engine->Callback));
}

QUORB_API size_t ElementCount(QuorbItem* item) {
  return item != nullptr ? static_cast<size_t>(Engine(item)->ElementCount) : 0;
}

QUORB_API QuorbInstance* GetQuorb_Overload_Item(QuorbItem* item) {
  return item != nullptr ? Handle(Engine(item)->Owner) : nullptr;
}

QUORB_API QuorbItem* Handle_Overload_Item(QuorbItem* item) { return item; }

QUORB_API void Rename(QuorbItem* item, const char* name) {
  if (item == nullptr) return;
  EngineItem* engineItem = Engine(item);
  GuardedVoid(engineItem->Owner, ErrInvalidDefinition, [&] { engineItem->Rename(TextIn(name)); });
}

QUORB_API void ReleaseItem(QuorbItem* item) {
  if (item == nullptr) return;
  EngineItem* engineItem = Engine(item);
  Quorb* owner = engineItem->Owner;
  GuardedVoid(owner, ErrNotModifiable, [&] {
    if (!MayRelease(engineItem)) {
      if (owner != nullptr) owner->SetErrorIfNone(ErrNotModifiable);
      return;
    }
    Unlist(engineItem);
    delete engineItem;  // the destructor unfiles it from its table, token list and the instance's lists
  });
}

}  // extern "C"
