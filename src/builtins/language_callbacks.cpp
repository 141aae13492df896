// The call of a function with an expression body, and the conditional.
#include "builtins/language_callbacks.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "types/convert.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

// Copies `source`, a value of `from`'s type, into `dest` as `to`'s type: a
// plain copy when the types agree, else a conversion (none when the pair has
// none), so that no storage is ever read as a type of another size.
static void CopyValue(const QuorbItem* from, const void* source, const QuorbItem* to, void* dest) {
  if (source == nullptr || dest == nullptr || to->DataType == nullptr) return;
  if (from->DataType == to->DataType) to->DataType->SetValue(dest, source);
  else Convert(from, to, source, dest);
}

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

// Calls of functions with bodies nest on the machine stack; past this depth
// a call raises error 18 and runs nothing, instead of exhausting the stack.
static const int MaxCallDepth = 2000;

// Counts one level of nesting for as long as it lives. Once the limit has
// been hit no body runs until the outermost call has returned: a body that
// calls itself twice would otherwise retry the whole depth at every level.
class CallLevel {
 public:
  explicit CallLevel(Quorb& instance) : instance_(instance) { ++instance_.CallDepth; }
  ~CallLevel() {
    if (--instance_.CallDepth == 0) instance_.CallsStopped = false;
  }
  CallLevel(const CallLevel&) = delete;
  CallLevel& operator=(const CallLevel&) = delete;

 private:
  Quorb& instance_;
};

void UserFunction(ExpressionPart& part) {
  if (part.Args.empty()) return;
  QuorbItem* function = part.Args.back();
  Quorb* instance = function->Owner;
  if (instance == nullptr) return;
  if (instance->CallsStopped) return;
  if (instance->CallDepth >= MaxCallDepth) {
    instance->CallsStopped = true;
    instance->ErrorRaise(&part, ErrReparseLimit);
    return;
  }
  // A call parsed before an overwrite gave the function more parameters
  // has no argument for the new ones.
  if (part.Args.size() - 1 < function->SubItems.size()) {
    instance->ErrorRaise(&part, ErrArgumentCount);
    return;
  }
  CallLevel level(*instance);
  std::deque<void*>& saved = instance->ValueSaveStack;
  const size_t count = std::min(part.Args.size() - 1, function->SubItems.size());
  BoundSet bound(count);

  for (size_t k = 0; k < count; ++k) {
    QuorbItem* argument = part.Args[k];
    QuorbItem* parameter = function->SubItems[k];
    QuorbDataType* type = parameter->DataType;
    if (argument->ValuePtr == nullptr || type == nullptr) continue;
    if (type->ValuePoolUsed == type->ValuePool.size()) {
      void* fresh = type->AllocScalarValue(std::string());
      if (fresh == nullptr) continue;
      type->ValuePool.push_back(fresh);
    }
    void* entry = type->ValuePool[type->ValuePoolUsed];
    CopyValue(argument, argument->ValuePtr, parameter, entry);
    saved.push_back(parameter->ValuePtr);
    parameter->ValuePtr = entry;
    ++type->ValuePoolUsed;
    bound.Mark(k);
  }
  saved.push_back(function->CurrentCall);
  function->CurrentCall = &part;

  if (QuorbParsedExpr* body = function->ParsedExpr) {
    void* value = body->EvaluateVoid();
    QuorbItem* result = part.Result;
    if (value != nullptr && result != nullptr && result->ValuePtr != nullptr && result->DataType != nullptr) {
      if (body->ResultType == result->DataType) result->DataType->SetValue(result->ValuePtr, value);
      else if (body->ResultType != nullptr && body->ResultType->Item != nullptr)
        Convert(body->ResultType->Item, result, value, result->ValuePtr);
    }
  }

  function->CurrentCall = static_cast<ExpressionPart*>(saved.back());
  saved.pop_back();
  for (size_t k = count; k-- > 0;) {
    if (!bound.Has(k)) continue;
    QuorbItem* parameter = function->SubItems[k];
    --parameter->DataType->ValuePoolUsed;
    parameter->ValuePtr = saved.back();
    saved.pop_back();
  }
}

void IIf(ExpressionPart& part) {
  if (part.Args.size() < 3) return;
  uint8_t condition = 0;
  if (part.Args[0]->ValuePtr != nullptr) std::memcpy(&condition, part.Args[0]->ValuePtr, sizeof condition);
  const QuorbItem* branch = part.Args[condition != 0 ? 1 : 2];
  const void* value = branch->ParsedExpr != nullptr ? branch->ParsedExpr->EvaluateVoid() : branch->ValuePtr;
  if (part.Result != nullptr) CopyValue(branch, value, part.Result, part.Result->ValuePtr);
}

}  // namespace QuorbNameSpace
