// Errors raised from expressions, introspection, and parse, evaluate and
// define at run time.
#include "builtins/meta_callbacks.h"

#include <cfenv>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "builtins/activation.h"
#include "builtins/call_level.h"
#include "builtins/callback_args.h"
#include "builtins/value_copy.h"
#include "engine/definition_state.h"
#include "engine/exception_flags.h"
#include "engine/host_functions.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/table.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

static const double NotANumber = std::numeric_limits<double>::quiet_NaN();

void RaiseError(ExpressionPart& part) {
  Quorb* instance = OwnerOf(part);
  ResultInt(part) = instance != nullptr ? instance->ErrorRaise(&part, ArgInt(part, 0)) : 0;
}

void RaiseErrorMessage(ExpressionPart& part) {
  Quorb* instance = OwnerOf(part);
  ResultInt(part) = instance != nullptr ? instance->ErrorRaiseMessage(&part, ArgStr(part, 0)) : 0;
}

void qr_Precedence(ExpressionPart& part) {
  Quorb* instance = OwnerOf(part);
  if (instance == nullptr) return;
  const int64_t mask = ArgInt(part, 1);  // sign-extended
  ResultInt(part) = instance->ItemOfByName(ArgStr(part, 0), mask, true, false)->Precedence;
}

void qr_Str(ExpressionPart& part) {
  const QuorbItem* value = part.Args[0];
  if (value->DataType == nullptr || value->ValuePtr == nullptr) {
    ResultStr(part).clear();
    return;
  }
  ResultStr(part) = value->DataType->ToString(value->ValuePtr);
}

// The running call of the function whose body holds `part`; null outside a
// body or when no call of it runs.
static const ExpressionPart* RunningCall(const ExpressionPart& part) {
  return part.EnclosingFunction != nullptr ? part.EnclosingFunction->CurrentCall : nullptr;
}

void qr_ArgCount(ExpressionPart& part) {
  const ExpressionPart* call = RunningCall(part);
  ResultInt(part) = call != nullptr && !call->Args.empty() ? static_cast<int32_t>(call->Args.size() - 1) : 0;
}

void qr_Arg(ExpressionPart& part) {
  const ExpressionPart* call = RunningCall(part);
  const int32_t x = ArgInt(part, 0);
  if (call == nullptr || x < 1 || static_cast<size_t>(x) >= call->Args.size()) {
    ResultDouble(part) = NotANumber;
    if (Quorb* instance = OwnerOf(part)) instance->ErrorRaise(&part, ErrBoundExceeded);
    return;
  }
  const size_t k = static_cast<size_t>(x - 1);
  // A bound parameter holds this activation's own copy of the argument; the
  // argument item belongs to the caller, whose steps may since have run
  // again. Arguments beyond the parameters (a variadic call) are read where
  // they are.
  const QuorbItem* function = part.EnclosingFunction;
  const QuorbItem* source = k < function->SubItems.size() ? function->SubItems[k] : call->Args[k];
  if (source->ValuePtr == nullptr && source->ParsedExpr != nullptr) {
    void* value = source->ParsedExpr->EvaluateVoid();
    CopyTypedValueAs(part, source->ParsedExpr->ResultType, value, part.Result, part.Result->ValuePtr);
    return;
  }
  CopyValueAs(part, source, source->ValuePtr, part.Result, part.Result->ValuePtr);
}

// ---------------------------------------------------------------------------
// Parse, evaluate, define.

// The text of a String argument; by value, since the nested operation may
// run this very expression again.
static std::string TextArg(const ExpressionPart& part, size_t k) { return ArgStr(part, k); }

// A parse or definition started by a step clears the error number and the
// floating-point flags when it begins; the evaluation around it keeps its
// own: a pending error stays the one reported, and flags its earlier steps
// raised are raised again, to be tested when it ends.
class OuterStateKept {
 public:
  explicit OuterStateKept(Quorb& instance)
      : error_(instance), flags_(RaisedExceptionFlags()) {}
  ~OuterStateKept() {
    if (flags_ != 0) std::feraiseexcept(flags_);
  }
  OuterStateKept(const OuterStateKept&) = delete;
  OuterStateKept& operator=(const OuterStateKept&) = delete;

 private:
  PendingErrorKept error_;
  int flags_;
};

void qr_Parse(ExpressionPart& part) {
  Quorb* instance = OwnerOf(part);
  uintptr_t handle = 0;
  if (instance != nullptr) {
    OuterStateKept kept(*instance);
    handle = reinterpret_cast<uintptr_t>(instance->UserParse(TextArg(part, 0), TextArg(part, 1)));
  }
  ResultRef<uintptr_t>(part) = handle;
}

void qr_Eval(ExpressionPart& part) {
  Quorb* instance = OwnerOf(part);
  double result = NotANumber;
  if (instance != nullptr) {
    CallLevel level(*instance, part);
    if (level.Entered()) {
      PendingErrorKept kept(*instance);
      result = instance->Eval(TextArg(part, 0));
    }
  }
  ResultDouble(part) = result;
}

void qr_EvalStr(ExpressionPart& part) {
  Quorb* instance = OwnerOf(part);
  std::string result;
  if (instance != nullptr) {
    CallLevel level(*instance, part);
    if (level.Entered()) {
      PendingErrorKept kept(*instance);
      result = instance->EvalStr(TextArg(part, 0));
    }
  }
  ResultStr(part) = result;
}

// The expression whose handle argument 0 holds, when it is a live
// expression of this instance; otherwise null, with error 19 raised. The
// handle is compared, never followed, before it is found among them.
static QuorbParsedExpr* LiveHandle(ExpressionPart& part, Quorb* instance) {
  if (instance == nullptr) return nullptr;
  uintptr_t address = 0;
  if (part.Args[0]->ValuePtr != nullptr) std::memcpy(&address, part.Args[0]->ValuePtr, sizeof address);
  auto* expr = reinterpret_cast<QuorbParsedExpr*>(address);
  if (instance->Kept.ParsedExprs.count(expr) != 0) return expr;
  instance->ErrorRaise(&part, ErrBoundExceeded);
  return nullptr;
}

// Runs `evaluate` on the live expression whose handle argument 0 holds,
// within the nesting limit. An expression run again by one of its own steps
// keeps the temporaries of the run below apart, as a function body does.
template <typename Evaluate>
static void RunHandle(ExpressionPart& part, Evaluate evaluate) {
  Quorb* instance = OwnerOf(part);
  QuorbParsedExpr* expr = LiveHandle(part, instance);
  if (expr == nullptr) return;
  CallLevel level(*instance, part);
  if (!level.Entered()) return;
  const bool reentered = expr->Running > 0;
  if (reentered) SaveActivation(*expr, instance->Evaluator.ValueSaveStack);
  evaluate(*expr);
  if (reentered) RestoreActivation(*expr, instance->Evaluator.ValueSaveStack, nullptr);
}

void qr_Evaluate(ExpressionPart& part) {
  double result = NotANumber;
  RunHandle(part, [&result](QuorbParsedExpr& expr) { result = expr.Evaluate(); });
  ResultDouble(part) = result;
}

void qr_EvaluateInt(ExpressionPart& part) {
  int32_t result = 0;
  RunHandle(part, [&result](QuorbParsedExpr& expr) { result = expr.EvaluateInt(); });
  ResultDouble(part) = result;
}

void qr_EvaluateStr(ExpressionPart& part) {
  std::string result;
  RunHandle(part, [&result](QuorbParsedExpr& expr) { result = expr.EvaluateStr(); });
  ResultStr(part) = result;
}

void qr_ExprPtr(ExpressionPart& part) {
  ResultRef<uintptr_t>(part) = reinterpret_cast<uintptr_t>(part.Args[0]->ParsedExpr);
}

// An address as the 64-bit number expressions hold it in.
static uint64_t NumberOf(const void* p) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)); }

// The first item of this instance, filed or anonymous, for which `found`
// holds; null when none does.
static QuorbItem* FindItem(Quorb& instance, const std::function<bool(const QuorbItem*)>& found) {
  const QuorbItem* match = nullptr;
  if (Table* root = instance.RootTable()) {
    AnyFiledItem(root->Symbols, [&](const QuorbItem* item) {
      if (found(item)) match = item;
      return match != nullptr;
    });
  }
  for (const auto& entry : instance.Kept.AnonymousItems)
    if (match == nullptr && found(entry.first)) match = entry.first;
  return const_cast<QuorbItem*>(match);
}

// The live item of this instance at `address`, or null; found by
// comparing addresses, so nothing is read through a stale one.
static QuorbItem* LiveItem(Quorb& instance, uint64_t address) {
  return FindItem(instance, [address](const QuorbItem* item) { return NumberOf(item) == address; });
}

// How an item of this instance runs the code at `address`, if one does.
enum class KnownCode { None, Callback, HostFunction };

static KnownCode KnownCodeAt(Quorb& instance, uint64_t address) {
  // The step that calls host functions is no callback on its own: bound
  // without a host function it would call nothing.
  if (address == NumberOf(reinterpret_cast<const void*>(&CallHostFunction))) return KnownCode::None;
  KnownCode kind = KnownCode::None;
  FindItem(instance, [&](const QuorbItem* item) {
    if (item->HostFunction != nullptr && NumberOf(reinterpret_cast<const void*>(item->HostFunction)) == address)
      kind = KnownCode::HostFunction;
    else if (item->Callback != nullptr && NumberOf(reinterpret_cast<const void*>(item->Callback)) == address)
      kind = KnownCode::Callback;
    return kind != KnownCode::None;
  });
  return kind;
}

void qr_Define(ExpressionPart& part) {
  Quorb* instance = OwnerOf(part);
  uint64_t result = 0;
  if (instance != nullptr) {
    const uint64_t address = ArgInt64u(part, 1);
    const uint64_t existingAddress = ArgInt64u(part, 2);
    QuorbItem* existing = existingAddress != 0 ? LiveItem(*instance, existingAddress) : nullptr;
    const KnownCode code = address != 0 ? KnownCodeAt(*instance, address) : KnownCode::None;
    if ((address != 0 && code == KnownCode::None) || (existingAddress != 0 && existing == nullptr)) {
      instance->ErrorRaise(&part, ErrInvalidDefinition);
    } else {
      // The signature check is the definition's own (a callback is bound
      // only with the signature some item runs it with).
      OuterStateKept kept(*instance);
      auto callback = reinterpret_cast<QuorbCallback>(static_cast<uintptr_t>(address));
      const bool hostFunction = code == KnownCode::HostFunction;
      result = NumberOf(instance->Define(TextArg(part, 0), callback, existing, hostFunction, true));
    }
  }
  ResultInt64u(part) = result;
}

void qr_QuorbInstance(ExpressionPart& part) { ResultInt64u(part) = NumberOf(OwnerOf(part)); }

}  // namespace QuorbNameSpace
