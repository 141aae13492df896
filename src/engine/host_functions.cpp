// Calling host functions through the types the public header declares.
#include "engine/host_functions.h"

#include <type_traits>

// Angle brackets: the public header, not the instance header beside this
// file.
#include <quorb.h>

#include "builtins/builtin_definitions.h"
#include "engine/errors.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"

namespace QuorbNameSpace {

static_assert(std::is_same_v<ErrorHandlerCallback, ::QuorbErrorHandler>,
              "the engine stores error handlers with the public header's type");

void CallHostFunction(ExpressionPart& part) {
  auto function = reinterpret_cast<::QuorbCallback>(part.OpItem->HostFunction);
  if (function == nullptr) {
    // Overwritten since this step was parsed with a definition that is no
    // host function (a body, or none): there is nothing of the host's to call.
    if (Quorb* instance = part.OpItem->Owner) instance->ErrorRaise(&part, ErrUndefinedCallback);
    return;
  }
  function(reinterpret_cast<QuorbPart*>(&part));
}

void SetHostFunction(QuorbItem* item, ErasedFunction function) {
  if (const BuiltinDefinition* row = BuiltinRowAt(function)) {
    item->HostFunction = nullptr;
    item->Callback = row->Callback;
    item->Roles = RolesOf(*row);
    return;
  }
  item->HostFunction = function;
  item->Callback = function != nullptr ? &CallHostFunction : nullptr;
  item->Roles.Clear();
}

void CallErrorHandler(const QuorbItem* handler, Quorb* instance) {
  auto erased = reinterpret_cast<ErasedFunction>(handler->Callback);
  reinterpret_cast<ErrorHandlerCallback>(erased)(reinterpret_cast<QuorbInstance*>(instance));
}

}  // namespace QuorbNameSpace
