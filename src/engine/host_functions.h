// Host functions kept by the engine. A host's function (a function,
// operator or output-format body) and a host's error handler are stored as
// plain erased function pointers and turned back into the exact types the
// public header declares (QuorbCallback, QuorbErrorHandler) only to be
// called, so each is called through its own type and calling convention.
#ifndef QUORB_ENGINE_HOST_FUNCTIONS_H
#define QUORB_ENGINE_HOST_FUNCTIONS_H

#include "engine/quorb_item.h"

namespace QuorbNameSpace {

class Quorb;

// The step callback of every definition whose body is a host function: it
// calls the function kept in the step's definition item (OpItem) with the
// step as the host's QuorbPart.
void CallHostFunction(ExpressionPart& part);

// Makes `function`, a QuorbCallback erased to ErasedFunction, the body of
// `item`; null leaves the item without a callback. A host may hand back the
// address of one of the engine's own built-in callbacks (read with
// FunctionAddress): that code has the engine's calling convention, not the
// host callbacks' (stdcall on Windows x86), so it is bound as the engine's
// own callback, with the roles of its row, and called directly. Any other
// function gets no role: a host's code is never taken for a built-in.
void SetHostFunction(QuorbItem* item, ErasedFunction function);

// Calls the error handler kept in `handler`'s callback field (a
// QuorbErrorHandler, erased) with the instance's handle.
void CallErrorHandler(const QuorbItem* handler, Quorb* instance);

}  // namespace QuorbNameSpace

#endif
