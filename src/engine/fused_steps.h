// Runs of Double steps fused into one step. A run of two or more
// consecutive steps of Double arithmetic, or of the Double math functions
// (real_math.h), becomes a single step that performs each of them in order,
// in a switch over small records, instead of one indirect call and three
// indirections through the argument vector per step. Each record computes
// exactly what the step's callback computes (math functions through the
// very value function the callback calls) and writes it to the same result
// item, so results, flags and the values later steps read stay as they were.
//
// The original steps stay in the expression's part list, linked as before,
// and own their items as before; only the chain skips them. Operands are
// read through the items' value pointers at every run, so a storage an
// item is pointed at later (a parameter bound per call, a dereference) is
// the one read. Literals are the exception: they never change once parsed,
// so their value is copied into the record. A temporary that only the next
// record reads is passed in a register and never written: no other step,
// and no reader of the expression's result, ever sees it.
#ifndef QUORB_ENGINE_FUSED_STEPS_H
#define QUORB_ENGINE_FUSED_STEPS_H

#include <cstdint>
#include <vector>

namespace QuorbNameSpace {

class ExpressionPart;
class QuorbParsedExpr;

enum FusedCode : uint8_t {
  FusedAdd, FusedSubtract, FusedMultiply, FusedDivide, FusedNegate, FusedCopy,
  FusedUnary,   // a math function of one Double
  FusedBinary,  // a math function of two Doubles
};

// Where a record's operand comes from.
enum FusedSource : uint8_t {
  FromCell,      // an item's storage, through its value pointer
  FromPrevious,  // the result of the record before, still in a register
  FromLiteral,   // a literal's value, copied into the record
};

union FusedOperand {
  void* const* cell;  // FromCell: the address of the item's value pointer
  double literal;     // FromLiteral
};

// One fused step.
struct FusedOp {
  FusedCode code;
  FusedSource leftFrom;
  FusedSource rightFrom;  // one-operand steps read the left operand only
  // Whether the result is written to the result item's storage. It is not
  // when the next record alone reads it, from the register.
  bool store;
  FusedOperand left;
  FusedOperand right;
  void* const* result;    // the address of the result item's value pointer
  union {
    double (*unary)(double);
    double (*binary)(double, double);
  } function;             // FusedUnary and FusedBinary
};

// Links each run of two or more fusable steps of `expr`'s chain through one
// new step (added to its part list) instead. Run once, after the parse.
void FuseDoubleRuns(QuorbParsedExpr& expr);

// The callback of a fused step: runs its records in order.
void RunFusedDoubles(ExpressionPart& part);

}  // namespace QuorbNameSpace

#endif
