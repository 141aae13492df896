// An instance that knows the built-in definitions, whether or not its
// constructor already made them.
#ifndef QUORB_TESTS_BUILTINS_BUILTIN_INSTANCE_H
#define QUORB_TESTS_BUILTINS_BUILTIN_INSTANCE_H

#include <string>

#include "builtins/builtin_definitions.h"
#include "engine/quorb.h"
#include "engine/table.h"

namespace QuorbNameSpace {

// The head of `name`'s overload chain in the current namespace, or null.
inline QuorbItem* HeadOf(Quorb& instance, const std::string& name) {
  return instance.CurrentNamespaceTable()->Handle(instance.Case(name));
}

// Defines the built-in list unless the instance has it already.
inline void EnsureBuiltins(Quorb& instance) {
  if (HeadOf(instance, "Cos") == nullptr) DefineBuiltins(instance);
}

}  // namespace QuorbNameSpace

#endif
