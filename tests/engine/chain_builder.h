// Builds parsed expressions by hand, step by step, for tests that exercise
// the evaluation loop before (and apart from) the parser.
#ifndef QUORB_TESTS_ENGINE_CHAIN_BUILDER_H
#define QUORB_TESTS_ENGINE_CHAIN_BUILDER_H

#include <string>
#include <vector>

#include "builtins/builtin_definitions.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "types/builtin_types.h"
#include "types/value_classes.h"

namespace QuorbNameSpace {

// A type object numbered as the registry numbers its class.
template <typename Class>
Class* NumberedType(int32_t index) {
  static Class type;
  type.Index = index;
  return &type;
}

// Owns a parsed expression under construction; steps are appended in order
// and Finish() adds the terminator whose result is the last step's result.
class ChainBuilder {
 public:
  explicit ChainBuilder(Quorb* owner) : expr_(new QuorbParsedExpr()) { expr_->Owner = owner; }
  ~ChainBuilder() { QuorbParsedExpr::Free(expr_); }

  // A step calling `callback` with `args` and writing to `result`, with the
  // roles argument matching gives the callback. The step owns args and
  // result as temporaries unless they carry a named bit.
  ExpressionPart* Step(QuorbCallback callback, std::vector<QuorbItem*> args, QuorbItem* result) {
    auto* part = new ExpressionPart();
    part->Callback = callback;
    part->Roles = RolesOfCode(callback);
    for (QuorbItem* arg : args) part->Args.push_back(arg);
    part->Result = result;
    Link(part);
    return part;
  }

  // Ends the chain with the normal terminator reading `result`.
  QuorbParsedExpr* Finish(QuorbItem* result) {
    auto* end = new ExpressionPart();
    end->Callback = &EvalReturn;
    end->OpItem = new QuorbItem();
    end->OpItem->Owner = expr_->Owner;
    end->OpItem->Callback = &EvalReturn;
    end->Result = result;
    if (result != nullptr) end->Args.push_back(result);  // the list owns the result item
    expr_->ResultType = result != nullptr ? result->DataType : nullptr;
    Link(end);
    return expr_;
  }

  // Finishes the chain and hands the expression over to the caller.
  QuorbParsedExpr* Release(QuorbItem* result) {
    QuorbParsedExpr* expr = Finish(result);
    expr_ = nullptr;
    return expr;
  }

  // Ends the chain as a failed parse does: one ReturnError part whose result
  // and operation item are one Int item holding the error number.
  QuorbParsedExpr* FinishAsError(QuorbDataType* intType, int32_t error) {
    auto* end = new ExpressionPart();
    end->Callback = &ReturnError;
    end->OpItem = new QuorbItem(intType, std::to_string(error));
    end->OpItem->Owner = expr_->Owner;
    end->Result = end->OpItem;
    expr_->ResultType = intType;
    Link(end);
    return expr_;
  }

 private:
  void Link(ExpressionPart* part) {
    if (!expr_->Parts.empty()) expr_->Parts.back()->Next = part;
    else expr_->First = part;
    expr_->Parts.push_back(part);
  }
  QuorbParsedExpr* expr_;
};

}  // namespace QuorbNameSpace

#endif
