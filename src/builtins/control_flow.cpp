// The conditional, the short-circuit operators and the loops. Their ByExpr
// arguments arrive as items holding a parsed expression, run here with
// EvaluateVoid or Execute; an argument that came as a plain value (a
// default) is read where it is.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "builtins/callback_args.h"
#include "builtins/language_callbacks.h"
#include "builtins/value_copy.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "types/builtin_types.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

// The storage of argument k's current value: its expression evaluated now,
// or its own storage.
static const void* ValueOf(const ExpressionPart& part, size_t k) {
  const QuorbItem* item = part.Args[k];
  return item->ParsedExpr != nullptr ? item->ParsedExpr->EvaluateVoid() : item->ValuePtr;
}

// The type of the value ValueOf gives.
static QuorbDataType* TypeOf(const ExpressionPart& part, size_t k) {
  const QuorbItem* item = part.Args[k];
  return item->ParsedExpr != nullptr ? item->ParsedExpr->ResultType : item->DataType;
}

// A Bool argument evaluated now: one byte, non-zero is true. A value of
// another type (a ByExpr argument whose expression gave a number) counts
// as true when it is non-zero.
static bool Truth(const ExpressionPart& part, size_t k) {
  const void* value = ValueOf(part, k);
  if (value == nullptr) return false;
  QuorbDataType* type = TypeOf(part, k);
  if (type == nullptr || type->Index == TypeBoolean) {
    uint8_t byte;
    std::memcpy(&byte, value, sizeof byte);
    return byte != 0;
  }
  const double number = ValueAsDouble(type, value);
  return number != 0 && !std::isnan(number);
}

// A Bool argument that was evaluated before the call (no storage: false).
static bool Given(const ExpressionPart& part, size_t k) { return part.Args[k]->ValuePtr != nullptr && ArgBool(part, k); }

// Runs argument k for its effects.
static void Run(const ExpressionPart& part, size_t k) {
  if (QuorbParsedExpr* expr = part.Args[k]->ParsedExpr) expr->Execute();
}

void IIf(ExpressionPart& part) {
  if (part.Args.size() < 3 || part.Result == nullptr) return;
  const size_t chosen = Given(part, 0) ? 1 : 2;
  const void* value = ValueOf(part, chosen);
  CopyTypedValueAs(part, TypeOf(part, chosen), value, part.Result, part.Result->ValuePtr);
}

void AndAlso(ExpressionPart& part) { SetResultBool(part, Given(part, 0) && Truth(part, 1)); }

void OrElse(ExpressionPart& part) { SetResultBool(part, Given(part, 0) || Truth(part, 1)); }

void DoLoop(ExpressionPart& part) {
  if (part.Args.size() < 3) return;
  while (Truth(part, 0)) {
    Run(part, 1);
    if (!Truth(part, 2)) break;
  }
}

// Writes c into the counter as the counter's type.
static void SetCounter(ExpressionPart& part, double c) {
  QuorbItem* counter = part.Args[0];
  if (counter->ValuePtr == nullptr || counter->DataType == nullptr) return;
  QuorbDataType* doubleType = part.Args[1]->DataType;  // Start is declared untyped: a Double
  CopyTypedValueAs(part, doubleType, &c, counter, counter->ValuePtr);
}

void ForLoop(ExpressionPart& part) {
  if (part.Args.size() < 5) return;
  const double start = ArgDouble(part, 1);
  const double finish = ArgDouble(part, 2);
  const double step = ArgDouble(part, 3);
  if (step == 0) return;
  const bool upward = step > 0;
  for (double c = start; upward ? c < finish : c > finish;) {
    SetCounter(part, c);
    Run(part, 4);
    const double next = c + step;
    if (next == c) break;  // a step too small to move c would never end
    c = next;
  }
}

}  // namespace QuorbNameSpace
