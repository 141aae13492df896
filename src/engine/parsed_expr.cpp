// Terminator markers and freeing parsed expressions.
#include "engine/parsed_expr.h"

#include "engine/argument_ownership.h"
#include "engine/fused_steps.h"

namespace QuorbNameSpace {

// Out of line: the fused-run records are a complete type only here.
ExpressionPart::ExpressionPart() = default;
ExpressionPart::~ExpressionPart() = default;
QuorbParsedExpr::QuorbParsedExpr() = default;
QuorbParsedExpr::~QuorbParsedExpr() = default;

std::vector<size_t>& ExpressionPart::ArgStarts() {
  if (argStarts_ == nullptr) {
    argStarts_ = std::make_unique<std::vector<size_t>>();
    argStarts_->reserve(4);  // the starts of up to three operands and the end, without growing
  }
  return *argStarts_;
}

const std::vector<size_t>& ExpressionPart::ArgStarts() const {
  static const std::vector<size_t> none;
  return argStarts_ != nullptr ? *argStarts_ : none;
}

// The loop never calls the markers; their bodies only make them distinct
// functions and harmless should a host call one.
void EvalReturn(ExpressionPart& part) { part.OpItem = nullptr; }
void ReturnError(ExpressionPart& part) { part.Callback = nullptr; }

void QuorbParsedExpr::Clean(std::vector<ExpressionPart*>& parts, Quorb*) {
  for (ExpressionPart* part : parts) CleanPart(part);
}

void QuorbParsedExpr::CleanPart(ExpressionPart* part) {
  if (part == nullptr) return;
  for (size_t i = 0; i < part->Args.size(); ++i) {
    if (OwnsArgument(*part, i)) delete part->Args[i];
  }
  // Only the terminator owns its operation item. A step that calls the
  // EvalReturn built-in by name runs a definition that stays filed, also
  // when a failed parse leaves that step unlinked.
  if (part->Next == nullptr && IsTerminator(part->Callback) && part->OpItem != nullptr &&
      !BelongsToDefinition(*part->OpItem))
    delete part->OpItem;
  delete part;
}

void QuorbParsedExpr::Free(QuorbParsedExpr* expr) {
  if (expr == nullptr) return;
  Clean(expr->Parts, expr->Owner);
  delete expr;
}

}  // namespace QuorbNameSpace
