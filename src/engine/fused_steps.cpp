// Fusing runs of Double arithmetic steps (see fused_steps.h).
#include "engine/fused_steps.h"

#include <memory>
#include <unordered_map>

#include "builtins/double_arithmetic.h"
#include "builtins/real_math.h"
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

// The arithmetic built-ins a run may hold, with what each computes: the
// Double operators, whose callbacks are exactly these expressions.
const FusableStep ArithmeticSteps[] = {
    {&Add, FusedAdd, 2},       {&Subtract, FusedSubtract, 2}, {&Multiply, FusedMultiply, 2},
    {&Divide, FusedDivide, 2}, {&UnaryMinus, FusedNegate, 1}, {&UnaryPlus, FusedCopy, 1},
};

bool IsDouble(const QuorbItem* item) {
  return item != nullptr && item->DataType != nullptr && item->DataType->Index == TypeDouble;
}

// The code and operand count of a fusable callback; false for any other.
bool FusableCode(QuorbCallback callback, FusedOp& op, size_t& operands) {
  for (const FusableStep& step : ArithmeticSteps) {
    if (step.callback != callback) continue;
    op.code = step.code;
    operands = step.operands;
    return true;
  }
  const RealValueFunction function = RealValueFunctionOf(callback);
  if (function.unary != nullptr) {
    op.code = FusedUnary;
    op.function.unary = function.unary;
    operands = 1;
    return true;
  }
  if (function.binary != nullptr) {
    op.code = FusedBinary;
    op.function.binary = function.binary;
    operands = 2;
    return true;
  }
  return false;
}

// Where an operand item is read from: a literal's value is copied (a
// literal is a constant: nothing assigns to it), any other item is read
// through its value pointer at every run.
void SetOperand(const QuorbItem* item, FusedSource& from, FusedOperand& operand) {
  if (item->Has(IsLiteral) && item->ValuePtr != nullptr) {
    from = FromLiteral;
    operand.literal = *static_cast<const double*>(item->ValuePtr);
  } else {
    from = FromCell;
    operand.cell = &item->ValuePtr;
  }
}

// The record of `part`, when it is a fusable step on Double items.
bool RecordOf(const ExpressionPart& part, FusedOp& op) {
  size_t operands = 0;
  if (!FusableCode(part.Callback, op, operands)) return false;
  if (part.Args.size() != operands || !IsDouble(part.Result)) return false;
  for (const QuorbItem* arg : part.Args)
    if (!IsDouble(arg)) return false;
  SetOperand(part.Args[0], op.leftFrom, op.left);
  SetOperand(part.Args[operands - 1], op.rightFrom, op.right);
  op.result = &part.Result->ValuePtr;
  op.store = true;
  return true;
}

// The operand of `op` is the result of `previous`: it is taken from the
// register it is still in. The cell is that same storage only while no
// other step runs in between, which holds inside a run.
void ChainFrom(const FusedOp& previous, FusedSource& from, const FusedOperand& operand) {
  if (from == FromCell && operand.cell == previous.result) from = FromPrevious;
}

// How many times each item is read in `expr`: as an argument of any of its
// parts, or as the result the terminator hands out.
std::unordered_map<const QuorbItem*, int> ReadCounts(const QuorbParsedExpr& expr) {
  std::unordered_map<const QuorbItem*, int> reads;
  for (const ExpressionPart* part : expr.Parts) {
    for (const QuorbItem* arg : part->Args) ++reads[arg];
    if (part->Next == nullptr && part->Result != nullptr) ++reads[part->Result];
  }
  return reads;
}

// Whether the result of `previous` needs no storing: a temporary of the
// expression that `op`, the next record, reads from the register and
// nothing else reads.
bool ReadOnlyByNext(const FusedOp& previous, const FusedOp& op, const QuorbItem* result,
                    const std::unordered_map<const QuorbItem*, int>& reads) {
  if (op.leftFrom != FromPrevious && op.rightFrom != FromPrevious) return false;
  if (result->Has(IsNamedVariable) || result->Has(IsLiteral) || !result->Has(IsOwner)) return false;
  auto found = reads.find(result);
  return found != reads.end() && found->second == 1 && previous.result == &result->ValuePtr;
}

inline double Operand(FusedSource from, const FusedOperand& operand, double previous) {
  switch (from) {
    case FromPrevious: return previous;
    case FromLiteral: return operand.literal;
    default: return *static_cast<const double*>(*operand.cell);
  }
}

}  // namespace

void RunFusedDoubles(ExpressionPart& part) {
  double r = 0;
  for (const FusedOp& op : *part.Fused) {
    const double x = Operand(op.leftFrom, op.left, r);
    switch (op.code) {
      case FusedAdd: r = x + Operand(op.rightFrom, op.right, r); break;
      case FusedSubtract: r = x - Operand(op.rightFrom, op.right, r); break;
      case FusedMultiply: r = x * Operand(op.rightFrom, op.right, r); break;
      case FusedDivide: r = x / Operand(op.rightFrom, op.right, r); break;
      case FusedNegate: r = -x; break;
      case FusedUnary: r = op.function.unary(x); break;
      case FusedBinary: r = op.function.binary(x, Operand(op.rightFrom, op.right, r)); break;
      default: r = x; break;
    }
    if (op.store) *static_cast<double*>(*op.result) = r;
  }
}

void FuseDoubleRuns(QuorbParsedExpr& expr) {
  const std::unordered_map<const QuorbItem*, int> reads = ReadCounts(expr);
  std::vector<ExpressionPart*> fused;
  ExpressionPart** link = &expr.First;  // the pointer that reaches the run
  while (*link != nullptr && (*link)->Next != nullptr) {
    std::vector<FusedOp> ops;
    ExpressionPart* after = *link;
    const ExpressionPart* previous = nullptr;
    FusedOp op{};
    while (after->Next != nullptr && RecordOf(*after, op)) {
      if (!ops.empty()) {
        ChainFrom(ops.back(), op.leftFrom, op.left);
        ChainFrom(ops.back(), op.rightFrom, op.right);
        if (ReadOnlyByNext(ops.back(), op, previous->Result, reads)) ops.back().store = false;
      }
      ops.push_back(op);
      previous = after;
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
