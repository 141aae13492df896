// Runs of Double arithmetic steps fused into one step. A run of two or more
// consecutive steps of the listed Double built-ins becomes a single step
// that performs each of them in order, in a switch over small records,
// instead of one indirect call and three indirections through the argument
// vector per step. Each record computes exactly what the step's callback
// computes and writes it to the same result item, so results, flags and
// the values later steps read stay as they were.
//
// The original steps stay in the expression's part list, linked as before,
// and own their items as before; only the chain skips them. Operands are
// read through the items' value pointers at every run, so a storage an
// item is pointed at later (a parameter bound per call, a dereference) is
// the one read.
#ifndef QUORB_ENGINE_FUSED_STEPS_H
#define QUORB_ENGINE_FUSED_STEPS_H

#include <cstdint>
#include <vector>

namespace QuorbNameSpace {

class ExpressionPart;
class QuorbParsedExpr;

enum FusedCode : uint8_t { FusedAdd, FusedSubtract, FusedMultiply, FusedDivide, FusedNegate, FusedCopy };

// One fused step: the storage cells of its operands and result, as the
// addresses of the items' value pointers.
struct FusedOp {
  FusedCode code;
  // The operand is the result of the record before: taken from the
  // register it is still in, not reloaded from the storage just written.
  bool leftIsPrevious;
  bool rightIsPrevious;
  void* const* left;
  void* const* right;  // the left operand again for one-operand steps
  void* const* result;
};

// Links each run of two or more fusable steps of `expr`'s chain through one
// new step (added to its part list) instead. Run once, after the parse.
void FuseDoubleRuns(QuorbParsedExpr& expr);

// The callback of a fused step: runs its records in order.
void RunFusedDoubles(ExpressionPart& part);

}  // namespace QuorbNameSpace

#endif
