// Who owns an argument item of a step: the one rule that the clean-up of
// parsed expressions, the making of fused runs, the instance copy's check
// of bodies, argument matching and the activation records of function
// bodies all follow.
//
// A step owns, and frees with itself, the temporaries handed to it: the
// results of earlier steps, literals, defaults, conversions and ByExpr
// wrappers. It spares what belongs elsewhere:
//  - a named variable, parameter, function or operator: its table or its
//    function owns it, and it keeps its value across runs;
//  - an item that reads through a pointer (a pointer or array name read
//    with brackets): the memory it designates is not its own;
//  - the target of an assignment (argument 1 of a step with the assignment
//    role): the step hands it on as its result, whose reader frees it.
// A null argument is owned by nobody.
#ifndef QUORB_ENGINE_ARGUMENT_OWNERSHIP_H
#define QUORB_ENGINE_ARGUMENT_OWNERSHIP_H

#include <cstddef>
#include <cstdint>

#include "engine/item_properties.h"
#include "engine/parsed_expr.h"
#include "engine/quorb_item.h"

namespace QuorbNameSpace {

// Whether `item` belongs to a definition: a named variable or parameter,
// a function or an operator.
inline bool BelongsToDefinition(const QuorbItem& item) {
  const uint64_t named = PropertyBit(IsNamedVariable) | PropertyBit(IsFunction) | PropertyBit(IsOperator);
  return (item.Properties & named) != 0;
}

// Whether no step owns `item`, wherever it is an argument: it belongs to a
// definition, or it reads memory through a pointer.
inline bool OwnedElsewhere(const QuorbItem& item) {
  return BelongsToDefinition(item) || item.Roles.Has(RoleDereference);
}

// Whether `part` owns its argument `index` (frees it with itself). An
// assignment's target is not read: the reader of the result may have freed
// it already.
inline bool OwnsArgument(const ExpressionPart& part, size_t index) {
  if (index == 0 && part.Roles.Has(RoleAssignment)) return false;
  const QuorbItem* arg = part.Args[index];
  return arg != nullptr && !OwnedElsewhere(*arg);
}

}  // namespace QuorbNameSpace

#endif  // QUORB_ENGINE_ARGUMENT_OWNERSHIP_H
