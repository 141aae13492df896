// Calling host code through the types the public header declares.
#include "engine/host_calls.h"

#include <type_traits>

// The public header, not the engine's quorb.h beside this file.
#include <quorb.h>

#include "engine/parsed_expr.h"
#include "engine/quorb.h"

namespace QuorbNameSpace {

namespace {

// The engine's callbacks and the host's take one pointer-sized context and
// return nothing; they differ at most in calling convention.
using EngineCallback = QuorbNameSpace::QuorbCallback;
using HostCallback = ::QuorbCallback;

// A function of the host callback's shape in the engine's own convention:
// it converts to the host's type only where the two conventions agree.
using PlainCallback = void (*)(QuorbPart*);

// True where host callbacks need a call of their own convention.
constexpr bool HostConventionDiffers = !std::is_convertible_v<PlainCallback, HostCallback>;

}  // namespace

void BindHostCallback(QuorbItem* item, void (*function)()) {
  item->HostFunction = nullptr;
  if (function == nullptr) {
    item->Callback = nullptr;
  } else if (HostConventionDiffers) {
    item->HostFunction = function;
    item->Callback = &RunHostCallback;
  } else {
    item->Callback = reinterpret_cast<EngineCallback>(function);
  }
}

void AdoptHostCallback(QuorbItem* item, void (*address)()) {
  if (item == nullptr || address == nullptr || item->Has(IsErrorHandler)) return;
  if (reinterpret_cast<void (*)()>(item->Callback) == address) BindHostCallback(item, address);
}

void RunHostCallback(ExpressionPart& part) {
  reinterpret_cast<HostCallback>(part.OpItem->HostFunction)(reinterpret_cast<QuorbPart*>(&part));
}

void CallErrorHandler(const QuorbItem* handler, Quorb* instance) {
  auto function = reinterpret_cast<::QuorbErrorHandler>(reinterpret_cast<void (*)()>(handler->Callback));
  function(reinterpret_cast<QuorbInstance*>(instance));
}

}  // namespace QuorbNameSpace
