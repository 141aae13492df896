// The built-in definition list: every definition text a new instance makes,
// in the order it makes them, each with the native callback bound to it (or
// none). The callbacks are in the other files of this folder; the language
// that reads the texts is the definition language (engine/definitions.cpp).
//
// Order matters: a later row of a name becomes the head of that name's
// overload chain and is tried first, so each untyped row follows its typed
// variants.
//
// Each row also states its callback's roles (engine/builtin_roles.h), which
// defining the row copies onto the item: the engine knows a built-in by
// them alone. Rows sharing a callback state the same roles. This header is
// the one the engine includes from this folder.
#ifndef QUORB_BUILTINS_BUILTIN_DEFINITIONS_H
#define QUORB_BUILTINS_BUILTIN_DEFINITIONS_H

#include <cstddef>

#include "engine/builtin_roles.h"
#include "engine/quorb_item.h"

namespace QuorbNameSpace {

class Quorb;

// One row: the definition text, passed to Quorb::Define exactly as written,
// its callback (null for a row that no callback serves (GoTo) or whose body
// after "=" is an expression) and the callback's roles. The value function
// of a fusable math callback is left out of Roles: RolesOf fills it in.
struct BuiltinDefinition {
  const char* Text;
  QuorbCallback Callback;
  BuiltinRoles Roles;

  // A row states only the roles it has.
  constexpr BuiltinDefinition(const char* text, QuorbCallback callback, BuiltinRoles roles = BuiltinRoles())
      : Text(text), Callback(callback), Roles(roles) {}
};

// The rows in definition order, and how many there are.
extern const BuiltinDefinition BuiltinDefinitionList[];
extern const size_t BuiltinDefinitionCount;

// The roles an item defined by `row` carries: the row's, with the value
// function of a Unary or Binary fusion role. The record is the process's,
// made once for every row, so that items can link to it (RolesLink).
const BuiltinRoles& RolesOf(const BuiltinDefinition& row);

// The first row whose callback is at `function`, or null. A host may hand
// back a built-in's address (read with FunctionAddress) as its own
// function: it is bound as that row's callback, with its roles, so that it
// behaves as the built-in it is.
const BuiltinDefinition* BuiltinRowAt(ErasedFunction function);

// The roles of the engine's own code at `callback`: those of the first row
// it serves (RolesOf) or of the binding it is; none (NoBuiltinRoles) for
// any other code. A record of the process, as RolesOf's.
const BuiltinRoles& RolesOfCode(QuorbCallback callback);

// A built-in callback that the engine binds by itself, to steps and items
// that no row defines, with the roles it has wherever it runs.
struct BuiltinBinding {
  QuorbCallback Callback;
  BuiltinRoles Roles;
};
// The conversion step of a value to another type, and of the call of a
// type name (argument 1 the source type, 2 the target type, 3 the value).
extern const BuiltinBinding ConversionStep;
// The read of a named AnyType variable's slot as a narrower number, laid
// out as ConversionStep.
extern const BuiltinBinding AnyVariableRead;
// The read through a pointer or array name called with brackets: ValueAt,
// with the roles of its row.
extern const BuiltinBinding PointerRead;
// The assignment to a pointer target, which argument matching puts in place
// of the assignment's callback.
extern const BuiltinBinding PointerAssignment;
// The call of a function whose body is an expression.
extern const BuiltinBinding BodyCall;

// Defines the rows from `first` up to (not including) `end` on `instance`,
// in order, with no existing item, each with RolesOf its row. The results
// are not checked and no row stops the others: a rejected row leaves its
// name undefined and the instance's error number set.
void DefineBuiltins(Quorb& instance, size_t first = 0, size_t end = BuiltinDefinitionCount);

}  // namespace QuorbNameSpace

#endif
