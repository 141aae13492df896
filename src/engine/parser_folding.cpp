// Constant folding: a step of a pure numeric built-in whose arguments are
// all constants (literals, or results of steps folded before) is computed
// once, here, and its result item takes the step's place as an operand.
// The evaluation then runs the same callback zero times instead of once,
// on the same values, so the result is bit for bit the same. A step that
// raises any flag but inexact stays a step: its flag and error belong to
// each evaluation. Inexact is raised again by every evaluation instead.
#include <cfenv>

#include "engine/exception_flags.h"
#include "engine/parsed_expr.h"
#include "engine/parser_state.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "engine/step_classes.h"

namespace QuorbNameSpace {

bool ExpressionParser::IsConstant(const QuorbItem* item) const {
  if (item == nullptr) return false;
  if (item->Has(IsLiteral)) return true;
  for (const FoldedConstant& constant : folded_)
    if (constant.item == item) return true;
  return false;
}

// Whether an open call on the stack may take a ByExpr argument: the step
// might then run only on some evaluations, or none, and an inexact flag
// raised once at parse time could not stand for it.
bool ExpressionParser::InsideByExprCall() const {
  for (const OpenPart& open : stack_)
    for (const QuorbItem* candidate = open.part->OpItem; candidate != nullptr; candidate = candidate->NextOverload)
      for (const QuorbItem* parameter : candidate->SubItems)
        if (parameter != nullptr && parameter->Has(IsByExpr)) return true;
  return false;
}

// Runs `part`, the step just completed, when it can be folded; true when it
// was: the step is gone and its result is the operand of the part below.
bool ExpressionParser::FoldConstantStep(ExpressionPart* part) {
  if (q_.Error.Number != 0 || output_.empty() || output_.back() != part) return false;
  if (!IsPureNumericStep(part->Callback) || part->Result->ValuePtr == nullptr) return false;
  bool inexact = false;
  for (const QuorbItem* arg : part->Args) {
    if (!IsConstant(arg)) return false;
    for (const FoldedConstant& constant : folded_)
      if (constant.item == arg) inexact = inexact || constant.inexact;
  }
  // The caller's flags are kept: only what the step raises is looked at.
  int raised;
  {
    ExceptionFlagsKept callerFlags;
    part->Callback(*part);
    raised = std::fetestexcept(FiveExceptionFlags);
  }
  if ((raised & ~FE_INEXACT) != 0) return false;
  inexact = inexact || (raised & FE_INEXACT) != 0;
  if (inexact && InsideByExprCall()) return false;

  // CompletePart made room for the result: nothing below fails.
  output_.pop_back();
  for (QuorbItem* arg : part->Args) {
    for (size_t i = 0; i < folded_.size(); ++i) {
      if (folded_[i].item != arg) continue;
      folded_.erase(folded_.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
    delete arg;
  }
  folded_.push_back({part->Result, inexact});
  AddOperand(part->Result);
  delete part;
  return true;
}

}  // namespace QuorbNameSpace
