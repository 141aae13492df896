// Exports: output formats, made by "Output:" definitions.
#include "api/boundary.h"

using namespace QuorbApi;

namespace {

// The format text is built inside the guard: making it may run out of
// memory too.
QuorbItem* DefineOutput(QuorbInstance* instance, const char* format, QuorbCallback callback) {
  if (instance == nullptr) return nullptr;
  Quorb* engine = Engine(instance);
  return Handle(Guarded<QuorbNameSpace::QuorbItem*>(engine, ErrInvalidDefinition, nullptr, [&] {
    // Kept erased and called back through the host's own callback type.
    return engine->Define("Output:" + TextIn(format),
                          reinterpret_cast<QuorbNameSpace::QuorbCallback>(reinterpret_cast<void (*)()>(callback)),
                          nullptr, true);
  }));
}

}  // namespace

extern "C" {

QUORB_API QuorbItem* SetOutput_Overload_Quorb__Callback(QuorbInstance* instance, QuorbCallback callback,
                                                       const char* format) {
  return DefineOutput(instance, format, callback);
}

QUORB_API QuorbItem* SetOutput_Overload_Quorb__NoCallback(QuorbInstance* instance, const char* format) {
  return DefineOutput(instance, format, nullptr);
}

QUORB_API void ResetOutput(QuorbInstance* instance) { DefineOutput(instance, nullptr, nullptr); }

}  // extern "C"
