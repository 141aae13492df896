// The call of a function with an expression body, and the activations of
// re-entered expressions (activation.h). Parameters are bound to copies of
// the arguments taken from per-type value pools; when a body is entered
// again before an earlier activation of it has finished (direct or mutual
// recursion, or through Eval), the temporaries of that earlier activation
// are set aside and put back afterwards, so every activation computes with
// its own values. Saved pointers and plain numbers go on the instance's
// save stack, other values into pool entries. Once the pools and the stack
// are as deep as the deepest nesting a call allocates nothing.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "builtins/activation.h"
#include "builtins/call_level.h"
#include "builtins/language_callbacks.h"
#include "builtins/value_copy.h"
#include "engine/argument_ownership.h"
#include "engine/fused_steps.h"
#include "engine/item_properties.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "types/builtin_types.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

// The next free entry of `type`'s pool, now in use; grows the pool when all
// entries are taken. Null only when the type cannot make a value.
static void* AcquirePoolEntry(QuorbDataType* type) {
  if (type->ValuePoolUsed == type->ValuePool.size()) {
    type->ValuePool.reserve(type->ValuePool.size() + 1);  // a fresh value must not be lost
    void* fresh = type->AllocScalarValue(std::string());
    if (fresh == nullptr) return nullptr;
    type->ValuePool.push_back(fresh);
  }
  return type->ValuePool[type->ValuePoolUsed++];
}

// The entry most recently acquired from `type`'s pool, given back.
static void* ReleasePoolEntry(QuorbDataType* type) { return type->ValuePool[--type->ValuePoolUsed]; }

// Which parameters of one call were bound, to unbind exactly those.
class BoundSet {
 public:
  explicit BoundSet(size_t count) {
    if (count > 64) large_.assign(count, false);
  }
  void Mark(size_t k) {
    if (large_.empty()) small_ |= 1ULL << k;
    else large_[k] = true;
  }
  bool Has(size_t k) const { return large_.empty() ? ((small_ >> k) & 1) != 0 : large_[k]; }

 private:
  uint64_t small_ = 0;
  std::vector<bool> large_;  // only for calls of more than 64 parameters
};

// ---------------------------------------------------------------------------
// Temporaries of an activation.

// The widest plain value (a Complex), and the save-stack slots it takes.
static const uint32_t MaxPlainBytes = 16;
static const size_t MaxPlainSlots = MaxPlainBytes / sizeof(void*);

// The bytes of a value of `type` when it is a plain number (copied as it
// is, no type call needed); 0 for values that own memory (String) or whose
// layout the type alone knows.
static uint32_t PlainBytes(QuorbDataType* type) {
  if (type == nullptr) return 0;
  switch (type->Index) {
    case TypeBoolean: case TypeInt8: case TypeInt8u: case TypeInt16: case TypeInt16u: case TypeInt32:
    case TypeInt32u: case TypeInt64: case TypeInt64u: case TypeSingle: case TypeDouble: case TypeSizeT:
    case TypeComplex: case TypePointer: {
      const size_t bytes = type->SizeOf();
      return bytes <= MaxPlainBytes ? static_cast<uint32_t>(bytes) : 0;
    }
    default: return 0;
  }
}

// Lists `result`, an item a step writes, unless it is listed, named (named
// variables keep their values across calls) or a literal.
static void AddWritten(std::vector<QuorbParsedExpr::Temporary>& items, QuorbItem* result) {
  if (result == nullptr || BelongsToDefinition(*result) || result->Has(IsLiteral)) return;
  for (const QuorbParsedExpr::Temporary& t : items)
    if (t.Item == result) return;
  items.push_back({result, result->Has(IsOwner) ? PlainBytes(result->DataType) : 0});
}

// The items whose values steps of `expr` write while it runs: every step's
// result that the expression owns (named variables keep their values across
// calls; literals and defaults are never written), in the expression and in
// the expressions of its ByExpr arguments. Found once per expression.
static const std::vector<QuorbParsedExpr::Temporary>& ActivationItems(QuorbParsedExpr& expr) {
  if (expr.ActivationItemsKnown) return expr.ActivationItems;
  std::vector<QuorbParsedExpr::Temporary>& items = expr.ActivationItems;
  std::vector<QuorbParsedExpr*> pending{&expr};
  while (!pending.empty()) {
    QuorbParsedExpr* current = pending.back();
    pending.pop_back();
    for (ExpressionPart* part : current->Parts) {
      if (part->Next != nullptr) AddWritten(items, part->Result);
      if (part->Fused != nullptr)
        for (QuorbItem* written : part->Fused->written) AddWritten(items, written);
      // A function item passed along holds another body, not part of this.
      for (QuorbItem* arg : part->Args)
        if (arg != nullptr && arg->ParsedExpr != nullptr && !arg->Has(IsFunction) && !arg->Has(IsOperator))
          pending.push_back(arg->ParsedExpr);
    }
  }
  expr.ActivationItemsKnown = true;
  return items;
}

// Slots of the save stack that hold `bytes` of a plain value.
static size_t SlotsFor(uint32_t bytes) { return (bytes + sizeof(void*) - 1) / sizeof(void*); }

// Copies a plain value; the common widths with a fixed size, which the
// compiler turns into single moves.
static void CopyPlain(void* dest, const void* source, uint32_t bytes) {
  switch (bytes) {
    case 1: std::memcpy(dest, source, 1); break;
    case 4: std::memcpy(dest, source, 4); break;
    case 8: std::memcpy(dest, source, 8); break;
    default: std::memcpy(dest, source, bytes); break;
  }
}

// Pushes a plain value of `bytes` onto the save stack, in whole slots.
static void PushBytes(std::vector<void*>& saved, const void* value, uint32_t bytes) {
  void* slots[MaxPlainSlots] = {};
  CopyPlain(slots, value, bytes);
  for (size_t i = 0; i < SlotsFor(bytes); ++i) saved.push_back(slots[i]);
}

// Pops what PushBytes pushed into `value`, or drops it when `value` is null.
static void PopBytes(std::vector<void*>& saved, void* value, uint32_t bytes) {
  const size_t count = SlotsFor(bytes);
  void* slots[MaxPlainSlots];
  for (size_t i = count; i-- > 0;) {
    slots[i] = saved.back();
    saved.pop_back();
  }
  if (value != nullptr) CopyPlain(value, slots, bytes);
}

// What SaveActivation pushed for one temporary, pushed after it: the
// temporary's storage may change kind while the activation is set aside
// (a host callback of the inner run points a result at host memory, or
// makes it its own storage again), so the stack is read back by what was
// pushed, never by what the item is now.
enum SavedKind : uintptr_t { SavedNothing, SavedPointer, SavedBytes, SavedPoolEntry };

static void PushKind(std::vector<void*>& saved, SavedKind kind) {
  saved.push_back(reinterpret_cast<void*>(static_cast<uintptr_t>(kind)));
}

static SavedKind PopKind(std::vector<void*>& saved) {
  const auto kind = static_cast<SavedKind>(reinterpret_cast<uintptr_t>(saved.back()));
  saved.pop_back();
  return kind;
}

// The kind of storage `item` has now, as SaveActivation would push it.
static SavedKind StorageKind(const QuorbItem* item, uint32_t bytes) {
  if (!item->Has(IsOwner)) return SavedPointer;
  if (item->ValuePtr == nullptr) return SavedNothing;
  return bytes != 0 ? SavedBytes : SavedPoolEntry;
}

// Puts back (or, with `restore` false, only drops) what SaveActivation set
// aside for the first `count` temporaries of `expr`, in reverse order. A
// temporary whose storage changed kind meanwhile keeps what it holds now:
// its saved value has no place to go back to.
static void RestoreFirst(QuorbParsedExpr& expr, std::vector<void*>& saved, const QuorbItem* keep, size_t count,
                         bool restoreAny) {
  const std::vector<QuorbParsedExpr::Temporary>& items = expr.ActivationItems;
  for (size_t i = count; i-- > 0;) {
    QuorbItem* item = items[i].Item;
    const SavedKind kind = PopKind(saved);
    const bool restore = restoreAny && item != keep && kind == StorageKind(item, items[i].Bytes);
    switch (kind) {
      case SavedNothing: break;
      case SavedPointer:
        if (restore) item->ValuePtr = saved.back();
        saved.pop_back();
        break;
      case SavedBytes: PopBytes(saved, restore ? item->ValuePtr : nullptr, items[i].Bytes); break;
      case SavedPoolEntry: {
        QuorbDataType* type = item->DataType;
        void* entry = ReleasePoolEntry(type);
        if (restore) type->SetValue(item->ValuePtr, entry);
        break;
      }
    }
  }
}

void SaveActivation(QuorbParsedExpr& expr, std::vector<void*>& saved) {
  const std::vector<QuorbParsedExpr::Temporary>& items = ActivationItems(expr);
  // Room first; then only a text's copy can fail, and what was set aside
  // before it is dropped again.
  saved.reserve(saved.size() + items.size() * (MaxPlainSlots + 1));
  size_t done = 0;
  try {
    for (; done < items.size(); ++done) {
      const QuorbParsedExpr::Temporary& t = items[done];
      QuorbItem* item = t.Item;
      SavedKind kind = StorageKind(item, t.Bytes);
      if (kind == SavedPointer) {
        saved.push_back(item->ValuePtr);
      } else if (kind == SavedBytes) {
        PushBytes(saved, item->ValuePtr, t.Bytes);
      } else if (kind == SavedPoolEntry) {
        QuorbDataType* type = item->DataType;
        // An entry is acquired only when the pool can grow; a type that
        // cannot make values sets nothing aside.
        void* entry = type != nullptr ? AcquirePoolEntry(type) : nullptr;
        if (entry == nullptr) {
          kind = SavedNothing;
        } else {
          try {
            type->SetValue(entry, item->ValuePtr);
          } catch (...) {
            ReleasePoolEntry(type);
            throw;
          }
        }
      }
      PushKind(saved, kind);
    }
  } catch (...) {
    RestoreFirst(expr, saved, nullptr, done, false);
    throw;
  }
}

void RestoreActivation(QuorbParsedExpr& expr, std::vector<void*>& saved, const QuorbItem* keep) {
  RestoreFirst(expr, saved, keep, expr.ActivationItems.size(), true);
}

// ---------------------------------------------------------------------------
// Parameters.

// The value of argument `argument` for parameter `parameter`, written into
// `entry`: the argument's storage, or for a ByExpr argument the value its
// expression gives now. A value that cannot be copied leaves the entry
// reset, never holding what an earlier call left there.
static void ArgumentInto(ExpressionPart& part, const QuorbItem* argument, const QuorbItem* parameter, void* entry) {
  bool copied = false;
  if (argument->ValuePtr != nullptr) {
    copied = CopyValueAs(part, argument, argument->ValuePtr, parameter, entry);
  } else if (argument->ParsedExpr != nullptr) {
    void* value = argument->ParsedExpr->EvaluateVoid();
    copied = CopyTypedValueAs(part, argument->ParsedExpr->ResultType, value, parameter, entry);
  }
  if (!copied) parameter->DataType->Reset(entry);
}

// Binds the parameters to copies of the arguments. Every argument is read
// before any parameter changes: an argument may refer to a parameter of the
// same function (a recursive call), whose value it must see as it was.
static void UnbindParameters(QuorbItem* function, size_t count, const BoundSet& bound, std::vector<void*>& saved);

// Memory running out part way throws, with no parameter bound.
static void BindParameters(ExpressionPart& part, QuorbItem* function, size_t count, BoundSet& bound,
                           std::vector<void*>& saved) {
  const size_t base = saved.size();
  saved.reserve(base + count);
  size_t k = 0;
  try {
    for (; k < count; ++k) {
      const QuorbItem* argument = part.Args[k];
      const QuorbItem* parameter = function->SubItems[k];
      QuorbDataType* type = parameter->DataType;
      if (type == nullptr || (argument->ValuePtr == nullptr && argument->ParsedExpr == nullptr)) continue;
      void* entry = AcquirePoolEntry(type);
      if (entry == nullptr) continue;
      try {
        ArgumentInto(part, argument, parameter, entry);
      } catch (...) {
        ReleasePoolEntry(type);
        throw;
      }
      saved.push_back(entry);
      bound.Mark(k);
    }
  } catch (...) {
    // Nothing swapped in yet: the entries only go back to their pools.
    for (size_t j = k; j-- > 0;) {
      if (!bound.Has(j)) continue;
      ReleasePoolEntry(function->SubItems[j]->DataType);
      saved.pop_back();
    }
    throw;
  }
  size_t next = base;
  for (size_t k = 0; k < count; ++k)
    if (bound.Has(k)) std::swap(function->SubItems[k]->ValuePtr, saved[next++]);
}

static void UnbindParameters(QuorbItem* function, size_t count, const BoundSet& bound, std::vector<void*>& saved) {
  for (size_t k = count; k-- > 0;) {
    if (!bound.Has(k)) continue;
    QuorbItem* parameter = function->SubItems[k];
    ReleasePoolEntry(parameter->DataType);
    parameter->ValuePtr = saved.back();
    saved.pop_back();
  }
}

// One call: binds the parameters, runs the body, unbinds them. Memory
// running out throws, with every stage entered undone.
static void RunCall(ExpressionPart& part, QuorbItem* function, Quorb& instance) {
  std::vector<void*>& saved = instance.Evaluator.ValueSaveStack;
  const size_t count = std::min(part.Args.size() - 1, function->SubItems.size());
  BoundSet bound(count);
  BindParameters(part, function, count, bound, saved);

  QuorbParsedExpr* body = function->ParsedExpr;
  const bool reentered = body != nullptr && function->CurrentCall != nullptr;
  try {
    if (reentered) SaveActivation(*body, saved);
  } catch (...) {
    UnbindParameters(function, count, bound, saved);
    throw;
  }
  try {
    saved.push_back(function->CurrentCall);
  } catch (...) {
    if (reentered) RestoreActivation(*body, saved, nullptr);
    UnbindParameters(function, count, bound, saved);
    throw;
  }
  function->CurrentCall = &part;

  std::exception_ptr failure;
  try {
    if (body != nullptr) {
      void* value = body->EvaluateVoid();
      QuorbItem* result = part.Result;
      if (result != nullptr) CopyTypedValueAs(part, body->ResultType, value, result, result->ValuePtr);
    }
  } catch (...) {
    failure = std::current_exception();
  }

  function->CurrentCall = static_cast<ExpressionPart*>(saved.back());
  saved.pop_back();
  if (reentered) RestoreActivation(*body, saved, part.Result);
  UnbindParameters(function, count, bound, saved);
  if (failure) std::rethrow_exception(failure);
}

void UserFunction(ExpressionPart& part) {
  if (part.Args.empty()) return;
  QuorbItem* function = part.Args.back();
  Quorb* instance = function->Owner;
  if (instance == nullptr) return;
  // A call parsed before an overwrite made the function a host's (or left
  // it without a body) has no body to run; one that gave it more
  // parameters has no argument for the new ones.
  if (function->Callback != &UserFunction) {
    instance->ErrorRaise(&part, ErrUndefinedCallback);
    return;
  }
  if (part.Args.size() - 1 < function->SubItems.size()) {
    instance->ErrorRaise(&part, ErrArgumentCount);
    return;
  }
  CallLevel level(*instance, part);
  if (!level.Entered()) return;
  // Memory running out anywhere in the call (the binding, the body's own
  // steps) ends it as an error: every stage undoes itself before the error
  // is raised, so the function and the save stack are as before the call.
  int32_t failure = 0;
  try {
    RunCall(part, function, *instance);
  } catch (...) {
    failure = ErrorOfException(ErrBoundExceeded);
  }
  if (failure != 0) instance->ErrorRaise(&part, failure);
}

}  // namespace QuorbNameSpace
