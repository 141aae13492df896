// The built-in definition list: every definition text a new instance makes,
// in the order it makes them, each with the native callback bound to it (or
// none). The callbacks are in the other files of this folder; the language
// that reads the texts is the definition language (engine/definitions.cpp).
//
// Order matters: a later row of a name becomes the head of that name's
// overload chain and is tried first, so each untyped row follows its typed
// variants.
#ifndef QUORB_BUILTINS_BUILTIN_DEFINITIONS_H
#define QUORB_BUILTINS_BUILTIN_DEFINITIONS_H

#include <cstddef>

#include "engine/quorb_item.h"

namespace QuorbNameSpace {

class Quorb;

// One row: the definition text, passed to Quorb::Define exactly as written,
// and its callback; null for a row that no callback serves (GoTo) or whose
// body after "=" is an expression.
struct BuiltinDefinition {
  const char* Text;
  QuorbCallback Callback;
};

// The rows in definition order, and how many there are.
extern const BuiltinDefinition BuiltinDefinitionList[];
extern const size_t BuiltinDefinitionCount;

// Defines the rows from `first` up to (not including) `end` on `instance`,
// in order, with no existing item. The results are not checked and no row
// stops the others: a rejected row leaves its name undefined and the
// instance's error number set.
void DefineBuiltins(Quorb& instance, size_t first = 0, size_t end = BuiltinDefinitionCount);

}  // namespace QuorbNameSpace

#endif
