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
//
// Items do not hold the roles themselves but a link to a record that lives
// as long as the process (a row's, a binding's, or NoBuiltinRoles): every
// item running the same code shares one record, and an instance holds some
// seven hundred items. Steps (parsed_expr.h) keep their own copy, which the
// evaluator reads without the detour.
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

// The roles of code that is no built-in's: none. One object for the process.
inline constexpr BuiltinRoles NoBuiltinRoles{};

// An item's link to its roles. Assigned only from a record that lives as
// long as the process and never changes (a row's record, RolesOf; a
// binding's; NoBuiltinRoles): the link keeps the record's address. A
// temporary would be gone at the end of the statement, so assigning one
// does not compile.
class RolesLink {
 public:
  RolesLink() = default;
  RolesLink& operator=(const BuiltinRoles& lasting) {
    record_ = &lasting;
    return *this;
  }
  RolesLink& operator=(BuiltinRoles&&) = delete;
  void Clear() { record_ = &NoBuiltinRoles; }

  bool Has(BuiltinRole role) const { return record_->Has(role); }
  const BuiltinRoles& operator*() const { return *record_; }
  const BuiltinRoles* operator->() const { return record_; }
  operator const BuiltinRoles&() const { return *record_; }  // NOLINT: reads as the record it links

 private:
  const BuiltinRoles* record_ = &NoBuiltinRoles;  // never null
};

}  // namespace QuorbNameSpace

#endif  // QUORB_ENGINE_BUILTIN_ROLES_H
