// Calling host code. Host functions are compiled with the calling
// convention the public header declares for callbacks and error handlers
// (standard call in the Windows x86 build), built-in callbacks with the
// engine's own; the two differ only there. Everything the engine calls on
// a host's behalf goes through these helpers, which call it through its
// declared type.
#ifndef QUORB_ENGINE_HOST_CALLS_H
#define QUORB_ENGINE_HOST_CALLS_H

#include "engine/quorb_item.h"

namespace QuorbNameSpace {

class Quorb;

// Makes `item` run `function`, the address of a host callback, as its
// callback. Where the conventions agree the function becomes the item's
// callback itself (no cost on the hot path); elsewhere the item's callback
// is RunHostCallback and the function is kept in HostFunction. Null clears
// the callback.
void BindHostCallback(QuorbItem* item, void (*function)());

// After Quorb::Define was given `address` by a host: when the address
// became the item's callback (a function, operator or output format), the
// item is bound to it as host code. Anything else is left as it is.
void AdoptHostCallback(QuorbItem* item, void (*address)());

// The engine callback of a host-bound item: calls the part's operation
// item's HostFunction with the part, in the host's convention.
void RunHostCallback(ExpressionPart& part);

// Calls the host error handler kept in `handler`'s callback field with the
// instance handle.
void CallErrorHandler(const QuorbItem* handler, Quorb* instance);

}  // namespace QuorbNameSpace

#endif  // QUORB_ENGINE_HOST_CALLS_H
