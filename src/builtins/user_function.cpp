// The call of a function with an expression body. Parameters are bound to
// copies of the arguments taken from per-type value pools; when a body is
// entered again before an earlier activation of it has finished (direct or
// mutual recursion, or through Eval), the temporaries of that earlier
// activation are set aside in the same pools and put back afterwards, so
// every activation computes with its own values. Saved pointers go on the
// instance's save stack. Once the pools are as deep as the deepest nesting
// a call allocates nothing.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "builtins/activation.h"
#include "builtins/call_level.h"
#include "builtins/language_callbacks.h"
#include "builtins/value_copy.h"
#include "engine/item_properties.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

// The next free entry of `type`'s pool, now in use; grows the pool when all
// entries are taken. Null only when the type cannot make a value.
static void* AcquirePoolEntry(QuorbDataType* type) {
  if (type->ValuePoolUsed == type->ValuePool.size()) {
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

static bool IsNamed(const QuorbItem* item) {
  const uint64_t named = PropertyBit(IsNamedVariable) | PropertyBit(IsFunction) | PropertyBit(IsOperator);
  return (item->Properties & named) != 0;
}

// The items whose values steps of `body` write while it runs: every step's
// result that the expression owns (named variables keep their values across
// calls; literals and defaults are never written), in the expression and in
// the expressions of its ByExpr arguments. Found once per body.
static const std::vector<QuorbItem*>& ActivationItems(QuorbParsedExpr& body) {
  if (body.ActivationItemsKnown) return body.ActivationItems;
  std::vector<QuorbItem*>& items = body.ActivationItems;
  std::vector<QuorbParsedExpr*> pending{&body};
  while (!pending.empty()) {
    QuorbParsedExpr* expr = pending.back();
    pending.pop_back();
    for (ExpressionPart* part : expr->Parts) {
      QuorbItem* result = part->Result;
      if (part->Next != nullptr && result != nullptr && !IsNamed(result) && !result->Has(IsLiteral) &&
          std::find(items.begin(), items.end(), result) == items.end())
        items.push_back(result);
      // A function item passed along holds another body, not part of this.
      for (QuorbItem* arg : part->Args)
        if (arg != nullptr && arg->ParsedExpr != nullptr && !arg->Has(IsFunction) && !arg->Has(IsOperator))
          pending.push_back(arg->ParsedExpr);
    }
  }
  body.ActivationItemsKnown = true;
  return items;
}

void SaveActivation(QuorbParsedExpr& body, std::vector<void*>& saved) {
  for (QuorbItem* item : ActivationItems(body)) {
    if (!item->Has(IsOwner)) {
      saved.push_back(item->ValuePtr);
      continue;
    }
    QuorbDataType* type = item->DataType;
    if (type == nullptr || item->ValuePtr == nullptr) continue;
    if (void* entry = AcquirePoolEntry(type)) type->SetValue(entry, item->ValuePtr);
  }
}

void RestoreActivation(QuorbParsedExpr& body, std::vector<void*>& saved, const QuorbItem* keep) {
  const std::vector<QuorbItem*>& items = body.ActivationItems;
  for (size_t i = items.size(); i-- > 0;) {
    QuorbItem* item = items[i];
    if (!item->Has(IsOwner)) {
      if (item != keep) item->ValuePtr = saved.back();
      saved.pop_back();
      continue;
    }
    QuorbDataType* type = item->DataType;
    if (type == nullptr || item->ValuePtr == nullptr) continue;
    // An entry was acquired only when the pool could grow; a type that
    // cannot make values could not then and cannot now.
    if (type->ValuePoolUsed == 0) continue;
    void* entry = ReleasePoolEntry(type);
    if (item != keep) type->SetValue(item->ValuePtr, entry);
  }
}

// ---------------------------------------------------------------------------
// Parameters.

// The value of argument `argument` for parameter `parameter`, written into
// `entry`: the argument's storage, or for a ByExpr argument the value its
// expression gives now.
static void ArgumentInto(ExpressionPart& part, const QuorbItem* argument, const QuorbItem* parameter, void* entry) {
  if (argument->ValuePtr != nullptr) {
    CopyValueAs(part, argument, argument->ValuePtr, parameter, entry);
  } else if (argument->ParsedExpr != nullptr) {
    void* value = argument->ParsedExpr->EvaluateVoid();
    CopyTypedValueAs(part, argument->ParsedExpr->ResultType, value, parameter, entry);
  }
}

// Binds the parameters to copies of the arguments. Every argument is read
// before any parameter changes: an argument may refer to a parameter of the
// same function (a recursive call), whose value it must see as it was.
static void BindParameters(ExpressionPart& part, QuorbItem* function, size_t count, BoundSet& bound,
                           std::vector<void*>& saved) {
  const size_t base = saved.size();
  for (size_t k = 0; k < count; ++k) {
    const QuorbItem* argument = part.Args[k];
    const QuorbItem* parameter = function->SubItems[k];
    QuorbDataType* type = parameter->DataType;
    if (type == nullptr || (argument->ValuePtr == nullptr && argument->ParsedExpr == nullptr)) continue;
    void* entry = AcquirePoolEntry(type);
    if (entry == nullptr) continue;
    type->Reset(entry);
    ArgumentInto(part, argument, parameter, entry);
    saved.push_back(entry);
    bound.Mark(k);
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

void UserFunction(ExpressionPart& part) {
  if (part.Args.empty()) return;
  QuorbItem* function = part.Args.back();
  Quorb* instance = function->Owner;
  if (instance == nullptr) return;
  CallLevel level(*instance, part);
  if (!level.Entered()) return;
  std::vector<void*>& saved = instance->ValueSaveStack;
  const size_t count = std::min(part.Args.size() - 1, function->SubItems.size());
  BoundSet bound(count);
  BindParameters(part, function, count, bound, saved);

  QuorbParsedExpr* body = function->ParsedExpr;
  const bool reentered = body != nullptr && function->CurrentCall != nullptr;
  if (reentered) SaveActivation(*body, saved);
  saved.push_back(function->CurrentCall);
  function->CurrentCall = &part;

  if (body != nullptr) {
    void* value = body->EvaluateVoid();
    QuorbItem* result = part.Result;
    if (result != nullptr) CopyTypedValueAs(part, body->ResultType, value, result, result->ValuePtr);
  }

  function->CurrentCall = static_cast<ExpressionPart*>(saved.back());
  saved.pop_back();
  if (reentered) RestoreActivation(*body, saved, part.Result);
  UnbindParameters(function, count, bound, saved);
}

}  // namespace QuorbNameSpace
