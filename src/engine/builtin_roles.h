// What the engine knows about a built-in callback: its roles. Each row of
// the built-in definition list (builtins/builtin_definitions.h) states the
// roles of its callback; defining the row copies them onto the item, and
// argument matching copies the item's onto every step that runs it. The
// engine tells built-ins apart by these roles alone, never by comparing a
// callback with a built-in's address. An item whose callback is a host's
// function, a function body's call or none carries no role; only the
// engine binding a built-in's own code (a row, a callback it binds itself,
// or a built-in's address handed back by a host) gives roles.
//
// Invariant: an item's roles are those of the code its Callback runs, so
// whatever changes the callback (a definition, an overwrite, a release, an
// instance copy) sets the roles with it.
#ifndef QUORB_ENGINE_BUILTIN_ROLES_H
#define QUORB_ENGINE_BUILTIN_ROLES_H

#include <cstdint>

namespace QuorbNameSpace {

// Bit numbers of the role set.
enum BuiltinRole : int {
  RoleAssignment = 0,        // copies argument 2 into argument 1, which is its result (SetVar)
  RolePointerAssignment,     // the same for a pointer target, which is no result of its own (SetVarPtr)
  RoleAddressOf,             // its result is argument 1's address, typed as a pointer to it
  RoleDereference,           // reads through a pointer: its result aliases memory it does not own (ValueAt)
  RoleTypeCarrier,           // takes a hidden first argument carrying the pointed-to type
  RolePointerArithmetic,     // its result is a pointer of argument 2's type (AddPtr, SubtractPtr)
  RoleInPlaceByHandle,       // changes its variables in place; takes their type number after them
  RoleWritesFirstArgument,   // writes into its first argument where it stands (a loop counter, an edit)
  RoleConditional,           // runs one of its ByExpr branches; its result has the first branch's type
  RoleBodyCall,              // runs the body of the function item appended to its arguments
  // The result depends on the argument values alone, nothing else is read
  // or written, no error is raised through the instance and it computes in
  // SSE registers (no x87 code): with constant arguments it may run while
  // parsing.
  RolePure,
};

constexpr uint64_t RoleBit(BuiltinRole role) { return 1ULL << role; }

// What a step of Double arithmetic or of a Double math function computes,
// for a fused run (fused_steps.h); None for a step no run may hold.
enum class FusionRole : uint8_t { None, Add, Subtract, Multiply, Divide, Negate, Copy, Unary, Binary };

// The roles of one callback. Unary and Binary are set for the fusion roles
// of those names: the very value function the callback computes.
struct BuiltinRoles {
  uint64_t Bits = 0;
  FusionRole Fusion = FusionRole::None;
  double (*Unary)(double) = nullptr;
  double (*Binary)(double, double) = nullptr;

  bool Has(BuiltinRole role) const { return (Bits & RoleBit(role)) != 0; }
};

inline bool operator==(const BuiltinRoles& a, const BuiltinRoles& b) {
  return a.Bits == b.Bits && a.Fusion == b.Fusion && a.Unary == b.Unary && a.Binary == b.Binary;
}

}  // namespace QuorbNameSpace

#endif  // QUORB_ENGINE_BUILTIN_ROLES_H
