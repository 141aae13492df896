// Exports: listing the current namespace's symbols, and three placeholders
// that name no namespace.
#include "api/boundary.h"

using namespace QuorbApi;

extern "C" {

QUORB_API QuorbItem* NamespaceSymbol(QuorbInstance* instance, int32_t index) {
  if (instance == nullptr) return nullptr;
  Quorb* engine = Engine(instance);
  return Handle(Guarded<QuorbNameSpace::QuorbItem*>(engine, ErrUndefinedIdentifier, nullptr,
                                                    [&] { return engine->NamespaceSymbol(index); }));
}

QUORB_API uint64_t NamespaceSymbolCount(QuorbInstance* instance) {
  if (instance == nullptr) return 0;
  Quorb* engine = Engine(instance);
  return Guarded<uint64_t>(engine, ErrUndefinedIdentifier, 0,
                           [&] { return static_cast<uint64_t>(engine->NamespaceSymbolCount()); });
}

QUORB_API void* NamespaceChild(void) { return nullptr; }
QUORB_API int32_t NamespaceChildCount(void) { return 0; }
QUORB_API void* NamespaceParent(void) { return nullptr; }

}  // extern "C"
