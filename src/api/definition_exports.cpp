// Exports: the definition family. Each builds a definition text and hands
// it to the definition language.
#include "api/boundary.h"
#include "engine/host_functions.h"

using namespace QuorbApi;
using EngineCallbackType = QuorbNameSpace::QuorbCallback;

namespace {

// Defines `keyword` followed by the host's text. The text is built inside
// the guard: making it may run out of memory too.
QuorbNameSpace::QuorbItem* DefineGuarded(QuorbInstance* instance, const char* keyword, const char* text,
                                         EngineCallbackType addr, QuorbNameSpace::QuorbItem* existing) {
  if (instance == nullptr) return nullptr;
  Quorb* engine = Engine(instance);
  return Guarded<QuorbNameSpace::QuorbItem*>(engine, ErrInvalidDefinition, nullptr, [&] {
    return engine->Define(keyword + TextIn(text), addr, existing, true);
  });
}

// A definition's second argument is a callback or a host address; the
// definition's keyword says which.
EngineCallbackType AddressAsCallback(void* address) {
  return reinterpret_cast<EngineCallbackType>(address);
}

// A host's function, kept erased until the engine calls it as a QuorbCallback.
QuorbNameSpace::ErasedFunction Erased(QuorbCallback callback) {
  return reinterpret_cast<QuorbNameSpace::ErasedFunction>(callback);
}

}  // namespace

extern "C" {

QUORB_API QuorbItem* Define_Overload_Quorb(QuorbInstance* instance, const char* definition, void* callbackOrAddress,
                                           QuorbItem* existing) {
  return Handle(DefineGuarded(instance, "", definition, AddressAsCallback(callbackOrAddress), Engine(existing)));
}

QUORB_API QuorbItem* DefineFunction(QuorbInstance* instance, const char* signature, QuorbCallback callback) {
  QuorbNameSpace::QuorbItem* item = DefineGuarded(instance, "Function: ", signature, nullptr, nullptr);
  if (item != nullptr && callback != nullptr) QuorbNameSpace::SetHostFunction(item, Erased(callback));
  return Handle(item);
}

QUORB_API QuorbItem* DefineOperator(QuorbInstance* instance, const char* signature, int32_t precedence,
                                    int32_t associativity, QuorbCallback callback) {
  QuorbNameSpace::QuorbItem* item = DefineGuarded(instance, "Operator: ", signature, nullptr, nullptr);
  if (item == nullptr) return nullptr;
  if (precedence != 0) item->Precedence = precedence;
  item->SetBit(QuorbNameSpace::IsRightToLeft, associativity == 1);
  if (callback != nullptr) QuorbNameSpace::SetHostFunction(item, Erased(callback));
  return Handle(item);
}

QUORB_API QuorbItem* DefineVariable(QuorbInstance* instance, const char* declaration, void* address) {
  return Handle(DefineGuarded(instance, "Variable: ", declaration, AddressAsCallback(address), nullptr));
}

QUORB_API QuorbItem* DefineConstant(QuorbInstance* instance, const char* declaration, void* address) {
  QuorbNameSpace::QuorbItem* item =
      DefineGuarded(instance, "Variable: ", declaration, AddressAsCallback(address), nullptr);
  if (item != nullptr) item->SetBit(QuorbNameSpace::IsLocked, true);
  return Handle(item);
}

QUORB_API QuorbItem* DefineDataType(void) { return nullptr; }

QUORB_API QuorbItem* AddErrorHandler(QuorbInstance* instance, QuorbErrorHandler handler, int32_t position) {
  if (instance == nullptr) return nullptr;
  Quorb* engine = Engine(instance);
  // A negative position reads as a large unsigned one: the handler goes last.
  unsigned long where = static_cast<unsigned long>(static_cast<uint32_t>(position));
  return Handle(Guarded<QuorbNameSpace::QuorbItem*>(engine, ErrInvalidDefinition, nullptr,
                                                    [&] { return engine->AddErrorHandler(handler, where); }));
}

}  // extern "C"
