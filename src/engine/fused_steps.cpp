// Fusing runs of Double arithmetic steps (see fused_steps.h).
#include "engine/fused_steps.h"

#include <memory>

#include "builtins/double_arithmetic.h"
#include "engine/parsed_expr.h"
#include "engine/quorb_item.h"
#include "types/builtin_types.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

namespace {

struct FusableStep {
  QuorbCallback callback;
  FusedCode code;
  size_t operands;
};

// The built-ins a run may hold, with what each computes: the Double
// arithmetic operators, whose callbacks are exactly these expressions.
// Math functions stay steps of their own: their callbacks also mend what
// some C libraries leave out (a flag not raised), which a copy here would
// have to follow.
const FusableStep FusableSteps[] = {
    {&Add, FusedAdd, 2},       {&Subtract, FusedSubtract, 2}, {&Multiply, FusedMultiply, 2},
    {&Divide, FusedDivide, 2}, {&UnaryMinus, FusedNegate, 1}, {&UnaryPlus, FusedCopy, 1},
};

bool IsDouble(const QuorbItem* item) {
  return item != nullptr && item->DataType != nullptr && item->DataType->Index == TypeDouble;
}

// The record of `part`, when it is a fusable step on Double items.
bool RecordOf(const ExpressionPart& part, FusedOp& op) {
  for (const FusableStep& step : FusableSteps) {
    if (step.callback != part.Callback) continue;
    if (part.Args.size() != step.operands || !IsDouble(part.Result)) return false;
    for (const QuorbItem* arg : part.Args)
      if (!IsDouble(arg)) return false;
    op.code = step.code;
    op.left = &part.Args[0]->ValuePtr;
    op.right = &part.Args[step.operands - 1]->ValuePtr;
    op.result = &part.Result->ValuePtr;
    return true;
  }
  return false;
}

inline double Cell(void* const* cell) { return *static_cast<const double*>(*cell); }

}  // namespace

void RunFusedDoubles(ExpressionPart& part) {
  double r = 0;
  for (const FusedOp& op : *part.Fused) {
    const double x = op.leftIsPrevious ? r : Cell(op.left);
    const double y = op.rightIsPrevious ? r : Cell(op.right);
    switch (op.code) {
      case FusedAdd: r = x + y; break;
      case FusedSubtract: r = x - y; break;
      case FusedMultiply: r = x * y; break;
      case FusedDivide: r = x / y; break;
      case FusedNegate: r = -x; break;
      default: r = x; break;
    }
    *static_cast<double*>(*op.result) = r;
  }
}

void FuseDoubleRuns(QuorbParsedExpr& expr) {
  std::vector<ExpressionPart*> fused;
  ExpressionPart** link = &expr.First;  // the pointer that reaches the run
  while (*link != nullptr && (*link)->Next != nullptr) {
    std::vector<FusedOp> ops;
    ExpressionPart* after = *link;
    FusedOp op{};
    while (after->Next != nullptr && RecordOf(*after, op)) {
      // The previous result's cell is that same storage only while no
      // other step runs in between, which holds inside a run.
      if (!ops.empty()) {
        op.leftIsPrevious = op.left == ops.back().result;
        op.rightIsPrevious = op.right == ops.back().result;
      }
      ops.push_back(op);
      after = after->Next;
    }
    if (ops.size() < 2) {
      link = &(*link)->Next;
      continue;
    }
    auto* part = new ExpressionPart();
    part->Callback = &RunFusedDoubles;
    part->OpItem = (*link)->OpItem;
    part->EnclosingFunction = (*link)->EnclosingFunction;
    part->Fused = std::make_unique<std::vector<FusedOp>>(std::move(ops));
    part->Next = after;
    *link = part;
    fused.push_back(part);
    link = &part->Next;
  }
  expr.Parts.insert(expr.Parts.end(), fused.begin(), fused.end());
}

}  // namespace QuorbNameSpace
