// Runs of Double steps fused into one step. A run of two or more
// consecutive steps of Double arithmetic, or of the Double math functions
// (real_math.h), becomes a single step that performs each of them in order,
// in a switch over small records, instead of one indirect call per step
// and a load of each operand through the step's argument list. Each record computes
// exactly what the step's callback computes (math functions through the
// very value function the callback calls) and writes it to the same result
// item, so results, flags and the values later steps read stay as they were.
//
// The original steps leave the expression, with the items only they used;
// the fused step holds the items its records still read. Operands are
// read through the items' value pointers at every run, so a storage an
// item is pointed at later (a parameter bound per call, a dereference) is
// the one read. A temporary that only a later record of the run reads
// goes to a slot of the run instead of its item's storage (the record
// right after takes it from the register): no other step, and no reader
// of the expression's result, ever sees it. Literals never change once
// parsed: each record keeps a copy of its literal operand beside it.
#ifndef QUORB_ENGINE_FUSED_STEPS_H
#define QUORB_ENGINE_FUSED_STEPS_H

#include <cstdint>
#include <vector>

namespace QuorbNameSpace {

class ExpressionPart;
class QuorbItem;
class QuorbParsedExpr;

enum FusedCode : uint8_t {
  FusedAdd, FusedSubtract, FusedMultiply, FusedDivide, FusedNegate, FusedCopy,
  FusedUnary,   // a math function of one Double
  FusedBinary,  // a math function of two Doubles
};

// A record's code and where its operands come from, in one byte, so that a
// single jump selects all the work of a record: an operand is read through
// its item's value pointer, or is the result of the record before, still in
// a register.
constexpr uint8_t FusedKind(FusedCode code, bool leftIsPrevious, bool rightIsPrevious) {
  return static_cast<uint8_t>(code * 4 + (leftIsPrevious ? 2 : 0) + (rightIsPrevious ? 1 : 0));
}

// One fused step. Every operand is read through a cell holding the address
// of its value: an item's value pointer, a slot of the run, or the
// record's own copy of a literal.
struct FusedOp {
  uint8_t kind;           // FusedKind
  void* const* left;      // the left operand's cell
  void* const* right;     // the right operand's; the left one again for one operand
  void* const* result;    // the cell of the result's storage: an item's, or a slot
  union {
    double (*unary)(double);
    double (*binary)(double, double);
  } function;             // FusedUnary and FusedBinary
  double literal = 0;     // a literal operand's value (literals never change)
  void* literalCell = nullptr;
};

// The records of one fused step and the slots that hold the results only
// later records of the run read. Neither moves once the run is made: the
// records point into both.
struct FusedRun {
  std::vector<FusedOp> ops;
  std::vector<double> slots;
  std::vector<void*> slotCells;
  std::vector<QuorbItem*> written;  // the items the records write (not owned)
  std::vector<QuorbItem*> operations;  // the definitions of the fused steps, for release checks (not owned)

  FusedRun() = default;
  FusedRun(const FusedRun&) = delete;
  FusedRun& operator=(const FusedRun&) = delete;
};

// Replaces each run of two or more fusable steps of `expr`'s chain with one
// new step. When the whole expression is one such run, whose last result is
// the expression's result, sets expr.WholeRun to it; an expression that is
// a single fusable step keeps its step and gets a run of its own
// (expr.OwnRun) that Evaluate runs instead. Run once, after the parse.
// Throws nothing: what it cannot fuse (memory ran out) stays unfused.
void FuseDoubleRuns(QuorbParsedExpr& expr);

// Runs the records of `run` in order; the last record's result.
double RunFusedRecords(const FusedRun& run);

// The callback of a fused step: runs its records in order.
void RunFusedDoubles(ExpressionPart& part);

}  // namespace QuorbNameSpace

#endif
