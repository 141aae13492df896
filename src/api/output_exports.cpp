// Exports: output formats, made by "Output:" definitions.
#include "api/boundary.h"

using namespace QuorbApi;

namespace {

QuorbItem* DefineOutput(QuorbInstance* instance, const std::string& format, QuorbCallback callback) {
  if (instance == nullptr) return nullptr;
  Quorb* engine = Engine(instance);
  return Handle(Guarded<QuorbNameSpace::QuorbItem*>(engine, ErrInvalidDefinition, nullptr, [&] {
    // Kept erased and called back through the host's own callback type.
    return engine->Define("Output:" + format, reinterpret_cast<QuorbNameSpace::QuorbCallback>(reinterpret_cast<void (*)()>(callback)),
                          nullptr, true);
  }));
}

}  // namespace

extern "C" {

QUORB_API QuorbItem* SetOutput_Overload_Quorb__Callback(QuorbInstance* instance, QuorbCallback callback,
                                                       const char* format) {
  return DefineOutput(instance, TextIn(format), callback);
}

QUORB_API QuorbItem* SetOutput_Overload_Quorb__NoCallback(QuorbInstance* instance, const char* format) {
  return DefineOutput(instance, TextIn(format), nullptr);
}

QUORB_API void ResetOutput(QuorbInstance* instance) { DefineOutput(instance, std::string(), nullptr); }

}  // extern "C"
