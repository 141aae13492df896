// Argument matching: turns a completed part into an executable step. It
// chooses, along the overload chain of the name, the definition whose
// parameters fit the arguments; converts the arguments that need it (a
// literal once, in place; anything else by a conversion step run before the
// call); supplies defaults; wraps ByExpr arguments into expressions of their
// own; and makes the result item the callback expects. All of it happens
// once, at parse time, so evaluation does no lookup and no type dispatch.
#include <memory>
#include <string>
#include <vector>

#include "builtins/builtin_definitions.h"
#include "engine/argument_ownership.h"
#include "engine/invariant.h"
#include "engine/parsed_expr.h"
#include "engine/parser_state.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "engine/table.h"
#include "types/builtin_types.h"
#include "types/convert.h"
#include "types/data_type.h"

namespace QuorbNameSpace {
namespace {

// The parameter argument `i` is matched against; a variadic function's last
// parameter takes every argument beyond it.
QuorbItem* ParameterFor(const QuorbItem& candidate, size_t i) {
  if (candidate.SubItems.empty()) return nullptr;
  return i < candidate.SubItems.size() ? candidate.SubItems[i] : candidate.SubItems.back();
}

// Whether `candidate` takes `n` arguments. Operators and conversions are not
// counted here (the parser gives operators exactly their operands), nor are
// pointer variables; a function takes at most its element count, and every
// parameter not supplied must have a default.
bool FitsCount(const QuorbItem& candidate, size_t n) {
  if (!candidate.Has(IsFunction) || candidate.Has(IsDataType) || candidate.Has(IsPointer)) return true;
  if (n > candidate.ElementCount) return false;
  return candidate.SubItems.size() <= n || candidate.SubItems[n]->Has(IsDefaulted);
}

// Whether an overload on the requested item's chain can run in its place: a
// callable of the same kind (a conversion by type name is laid out apart
// from calls, so a type never stands in for a function, nor the reverse)
// with a fitting count.
bool Eligible(const QuorbItem& candidate, const QuorbItem& requested, size_t n) {
  return candidate.Has(IsCallable) && candidate.Has(IsDataType) == requested.Has(IsDataType) &&
         FitsCount(candidate, n);
}

// The next overload after `from` that may replace the parser's choice: the
// same position (prefix, infix, postfix or none), eligible.
QuorbItem* NextCandidate(const QuorbItem* from, const QuorbItem& requested, size_t n) {
  for (QuorbItem* next = from->NextOverload; next != nullptr; next = next->NextOverload)
    if (SameSuffix(next, &requested) && Eligible(*next, requested, n)) return next;
  return nullptr;
}

enum class Fit { Exact, Converts, No };

// How an argument fits a parameter. AnyType on either side fits anything:
// an AnyType argument takes the parameter's type once a candidate is chosen.
Fit ArgumentFit(const Quorb& instance, const QuorbItem& argument, const QuorbItem* parameter) {
  if (parameter == nullptr) return Fit::Exact;
  const QuorbDataType* given = argument.DataType;
  const QuorbDataType* taken = parameter->DataType;
  if (given == taken || IsAnyType(taken) || IsAnyType(given)) return Fit::Exact;
  return ConvertsImplicitly(instance, given, taken) ? Fit::Converts : Fit::No;
}

// Whether every argument fits `candidate` exactly, or with conversions.
// Nothing is changed: conversions are made only for the candidate chosen.
bool Accepts(const Quorb& instance, const QuorbItem& candidate, const ArgList& args,
             bool conversions) {
  for (size_t i = 0; i < args.size(); ++i) {
    Fit fit = ArgumentFit(instance, *args[i], ParameterFor(candidate, i));
    if (fit == Fit::No || (fit == Fit::Converts && !conversions)) return false;
  }
  return true;
}

// An AnyType argument becomes a value of the parameter's type. An item
// without storage of its own (a pointer read, which its step points at the
// memory read) only changes how it is read.
void TakeParameterType(QuorbItem& argument, QuorbDataType* type) {
  if (!argument.Has(IsOwner) && argument.ValuePtr == nullptr) {
    argument.DataType = type;
    return;
  }
  argument.FreeOwnedScalar(argument.DataType);
  argument.DataType = type;
  argument.ValuePtr = type->AllocScalarValue(std::string());
  argument.SetBit(IsOwner, true);
}

// Whether a named AnyType variable's pointer-width slot is read as a value
// of `type` byte for byte (a host's double declared AnyType stays the
// host's double): a fixed-width number no wider than the slot. Text,
// Complex and wider values are converted.
bool AnyReadableAs(QuorbDataType* type) {
  return type->Index != TypeString && type->Index != TypeOmni && type->Index != TypeComplex &&
         type->Index != TypeVoid && type->SizeOf() <= sizeof(uintptr_t);
}

// A literal is converted once, at parse time, and keeps the new type.
void ConvertLiteral(QuorbItem& literal, const QuorbItem& parameter) {
  QuorbDataType* oldType = literal.DataType;
  void* oldValue = literal.ValuePtr;
  void* newValue = parameter.DataType->AllocScalarValue(std::string());
  ConvertValue(&literal, &parameter, oldValue, newValue);
  literal.FreeOwnedScalar(oldType);
  literal.ValuePtr = newValue;
  literal.DataType = parameter.DataType;
  literal.SetBit(IsOwner, true);
}

// Any other argument gets a conversion step whose result replaces it. The
// step runs before the call; for a ByExpr argument it closes that
// argument's own steps, so that it moves with them into the argument's
// expression.
void InsertConversion(ExpressionPart& part, size_t i, const QuorbItem& parameter,
                      std::vector<ExpressionPart*>& output, const BuiltinBinding& conversion = ConversionStep) {
  QuorbItem* argument = part.Args[i];
  QuorbDataType* target = parameter.DataType;
  std::unique_ptr<ExpressionPart> step(new ExpressionPart());
  step->Callback = conversion.Callback;
  step->Roles = conversion.Roles;
  step->OpItem = target->Item;
  auto source = std::make_unique<QuorbItem>(argument->DataType, "");
  auto converted = std::make_unique<QuorbItem>(target, "");
  auto result = std::make_unique<QuorbItem>(target, "");
  step->Args.reserve(3);
  output.reserve(output.size() + 1);
  // Nothing below fails: the step takes its items and the output the step.
  step->Args.push_back(source.release());
  step->Args.push_back(converted.release());
  step->Args.push_back(argument);
  step->Result = result.release();
  part.Args[i] = step->Result;
  size_t at = output.size() - 1;  // directly before the call
  if (parameter.Has(IsByExpr) && i + 1 < part.ArgStarts().size()) {
    at = part.ArgStarts()[i + 1];
    for (size_t j = i + 1; j < part.ArgStarts().size(); ++j) ++part.ArgStarts()[j];
    QUORB_ASSERT(ArgStartsAligned(part));
  }
  output.insert(output.begin() + static_cast<std::ptrdiff_t>(at), step.release());
}

void ConvertArguments(const Quorb& instance, ExpressionPart& part, const QuorbItem& chosen,
                      std::vector<ExpressionPart*>& output) {
  for (size_t i = 0; i < part.Args.size(); ++i) {
    QuorbItem* argument = part.Args[i];
    const QuorbItem* parameter = ParameterFor(chosen, i);
    if (parameter == nullptr) continue;
    QuorbDataType* target = parameter->DataType;
    if (argument->DataType == target || target == nullptr || IsAnyType(target)) continue;
    if (IsAnyType(argument->DataType)) {
      // Only a temporary takes the parameter's type: a named variable keeps
      // its own type and storage (maybe the host's) for every other use.
      if (!argument->Has(IsNamedVariable)) TakeParameterType(*argument, target);
      else if (AnyReadableAs(target)) InsertConversion(part, i, *parameter, output, AnyVariableRead);
      else InsertConversion(part, i, *parameter, output);
    } else if (ArgumentFit(instance, *argument, parameter) != Fit::Converts) continue;
    else if (argument->Has(IsLiteral)) ConvertLiteral(*argument, *parameter);
    else InsertConversion(part, i, *parameter, output);
  }
}

// A missing trailing parameter takes a copy of its default. False when one
// has none.
bool AppendDefaults(ExpressionPart& part, const QuorbItem& chosen) {
  for (size_t j = part.Args.size(); j < chosen.SubItems.size(); ++j) {
    const QuorbItem* parameter = chosen.SubItems[j];
    if (!parameter->Has(IsDefaulted)) return false;
    auto value = std::make_unique<QuorbItem>();
    value->DataType = parameter->DataType;
    if (QuorbDataType* type = parameter->DataType) {
      value->ValuePtr = parameter->ValuePtr != nullptr ? type->AllocScalarValue(static_cast<const void*>(parameter->ValuePtr))
                                                       : type->AllocScalarValue(std::string());
    }
    value->SetBit(IsOwner, true);
    part.Args.push_back(value.get());
    value.release();
  }
  return true;
}

// A new pointer value item whose one sub-item carries the pointed-to type.
QuorbItem* NewPointerItem(QuorbDataType* pointerType, QuorbDataType* pointedTo) {
  auto pointer = std::make_unique<QuorbItem>(pointerType, "");
  pointer->SetBit(IsPointer, true);
  auto element = std::make_unique<QuorbItem>();
  element->DataType = pointedTo;
  pointer->SubItems.push_back(element.get());
  element.release();
  return pointer.release();
}

QuorbDataType* PointedTo(const QuorbItem* pointer) {
  if (pointer == nullptr || pointer->SubItems.empty()) return nullptr;
  return pointer->SubItems[0]->DataType;
}

// A value no step may write: a locked item, or a literal (a constant of the
// expression, which a later step may have converted in place).
bool IsConstant(const QuorbItem& item) { return item.Has(IsLocked) || item.Has(IsLiteral); }

// Whether an assignment to `target` is kept: a named variable, or the
// storage a dereferencing step designates (an array element, a
// dereferenced pointer). Any other value is a step's temporary, which
// would take the value and lose it. `output` holds the steps made so far.
bool KeepsAssignment(const QuorbItem& target, const std::vector<ExpressionPart*>& output) {
  if (target.Has(IsNamedVariable)) return true;
  for (auto step = output.rbegin(); step != output.rend(); ++step)
    if ((*step)->Result == &target) return (*step)->Roles.Has(RoleDereference);
  return false;
}

}  // namespace

// The text of a ByExpr argument's own expression: its steps come from the
// enclosing list, not from text.
static const std::string NoText;

void Quorb::ArgsMatch(ExpressionPart* part, std::vector<ExpressionPart*>& output) {
  QuorbItem* requested = part->OpItem;
  if (requested == nullptr) return;
  ArgList& args = part->Args;

  // Preparation: the hidden pointed-to type (for a definition with the
  // type-carrier role, whose first parameter takes it), and an assignment's
  // value matched (and converted) to the target's type.
  if (requested->Roles.Has(RoleTypeCarrier) && !args.empty() && args[0]->Has(IsPointer)) {
    auto carrier = std::make_unique<QuorbItem>(PointedTo(args[0]), "");
    args.insert(args.begin(), carrier.get());
    carrier.release();
    if (!part->ArgStarts().empty()) part->ArgStarts().insert(part->ArgStarts().begin(), part->ArgStarts().front());
    QUORB_ASSERT(ArgStartsAligned(*part));
  }
  // Every assignment overload on the chain, not only the first: an older
  // one taking AnyType would otherwise accept a value of another width.
  // Matched with the target's type, given back when matching ends, also
  // when it throws.
  struct KeptTypes {
    std::vector<std::pair<QuorbItem*, QuorbDataType*>> saved;
    ~KeptTypes() {
      for (auto& [parameter, type] : saved) parameter->DataType = type;
    }
  } kept;
  std::vector<std::pair<QuorbItem*, QuorbDataType*>>& valueParameters = kept.saved;
  if (!args.empty()) {
    for (QuorbItem* candidate = requested; candidate != nullptr; candidate = candidate->NextOverload) {
      if (!candidate->Roles.Has(RoleAssignment) || candidate->SubItems.size() < 2) continue;
      QuorbItem* valueParameter = candidate->SubItems[1];
      valueParameters.emplace_back(valueParameter, valueParameter->DataType);
      valueParameter->DataType = args[0]->DataType;
    }
  }

  // Selection: the newest overload that fits exactly, else the newest that
  // fits with conversions. Every argument is checked before any is changed.
  const size_t n = args.size();
  QuorbItem* chosen = requested;
  if (!requested->Has(IsDataType)) {
    QuorbItem* first = nullptr;
    for (QuorbItem* candidate = requested; candidate != nullptr; candidate = candidate->NextOverload) {
      if (Eligible(*candidate, *requested, n)) {
        first = candidate;
        break;
      }
    }
    if (first == nullptr) {
      SetErrorIfNone(ErrArgumentCount);
    } else if (Error.Number != 0) {
      chosen = first;
    } else {
      chosen = nullptr;
      for (int pass = 0; pass < 2 && chosen == nullptr; ++pass) {
        for (QuorbItem* candidate = first; candidate != nullptr; candidate = NextCandidate(candidate, *requested, n)) {
          if (Accepts(*this, *candidate, args, pass == 1)) {
            chosen = candidate;
            break;
          }
        }
      }
      if (chosen == nullptr) {
        SetErrorIfNone(ErrTypeMismatch);
        chosen = first;
      } else {
        ConvertArguments(*this, *part, *chosen, output);
      }
    }
  }

  // Completion.
  part->OpItem = chosen;
  part->Callback = chosen->Callback;
  part->Roles = chosen->Roles;
  // A definition without callback or body ("GoTo") cannot run.
  if (part->Callback == nullptr) SetErrorIfNone(ErrUndefinedCallback);
  if (!chosen->Has(IsDataType)) {
    if (!AppendDefaults(*part, *chosen)) SetErrorIfNone(ErrSyntax);
    // From the last argument to the first: moving an argument's steps out
    // leaves the recorded starts of the earlier ones valid.
    for (size_t i = args.size(); i-- > 0;) {
      const QuorbItem* parameter = ParameterFor(*chosen, i);
      if (parameter == nullptr || !parameter->Has(IsByExpr)) continue;
      auto wrapper = std::make_unique<QuorbItem>();
      wrapper->DataType = args[i]->DataType;
      wrapper->ParsedExpr = Parse(NoText, wrapper->DataType, &output, part, i);
      args[i] = wrapper.release();
    }
  }

  const BuiltinRoles& roles = chosen->Roles;
  QuorbItem* firstArg = args.empty() ? nullptr : args[0];
  // The loop's counter at every pass, and the string editors that change
  // their first argument in place: a constant cannot be that argument.
  if (roles.Has(RoleWritesFirstArgument) && firstArg != nullptr && IsConstant(*firstArg))
    SetErrorIfNone(ErrNotAssignable);
  if (roles.Has(RoleAssignment) && firstArg != nullptr) {
    // A literal is a constant of the expression: a later step may convert
    // it in place to another width, under the assignment's feet.
    if (IsConstant(*firstArg) || !KeepsAssignment(*firstArg, output)) SetErrorIfNone(ErrNotAssignable);
    // The assignment copies with the target's width: a value of any other
    // type (an AnyType target fits everything) would be read past its end.
    if (!firstArg->Has(IsPointer) && args.size() > 1 && args[1]->DataType != firstArg->DataType)
      SetErrorIfNone(ErrTypeMismatch);
    part->Result = firstArg;
    if (firstArg->Has(IsPointer)) {
      part->Callback = PointerAssignment.Callback;
      part->Roles = PointerAssignment.Roles;
      // Clean-up spares the target of the plain assignment only; a
      // temporary target of the pointer's must not be both its argument and
      // its result.
      if (!OwnedElsewhere(*firstArg)) part->Result = NewPointerItem(firstArg->DataType, PointedTo(firstArg));
    }
  } else if (roles.Has(RoleAddressOf) && firstArg != nullptr) {
    // The address of an array is that of its elements.
    const bool array = firstArg->Has(IsArray) && PointedTo(firstArg) != nullptr;
    part->Result = NewPointerItem(Types.PointerType, array ? PointedTo(firstArg) : firstArg->DataType);
  } else if (roles.Has(RoleDereference) && firstArg != nullptr) {
    // No storage of its own: the callback points it at the target memory.
    part->Result = new QuorbItem();
    part->Result->DataType = firstArg->DataType;
  } else if (roles.Has(RoleConditional) && args.size() > 1) {
    part->Result = new QuorbItem(args[1]->DataType, "");
  } else if (roles.Has(RoleInPlaceByHandle) && firstArg != nullptr) {
    // Swap and Reset take their variables by handle and the variables' type
    // number after them: they change the variables in place, so a constant
    // cannot be one.
    for (const QuorbItem* variable : args)
      if (IsConstant(*variable)) SetErrorIfNone(ErrNotAssignable);
    const int32_t number = firstArg->DataType != nullptr ? firstArg->DataType->Index : -1;
    auto typeNumber = std::make_unique<QuorbItem>(Types.IntType, std::to_string(number));
    args.push_back(typeNumber.get());
    typeNumber.release();
    part->Result = new QuorbItem(chosen->DataType, "");
  } else if (roles.Has(RolePointerArithmetic) && args.size() > 1) {
    part->Result = NewPointerItem(args[1]->DataType, PointedTo(args[1]));
  } else {
    if (roles.Has(RoleBodyCall)) args.push_back(chosen);
    part->Result = new QuorbItem(chosen->DataType, "");
  }
}

}  // namespace QuorbNameSpace
