// Runs of Double steps fused into one step. A run of two or more
// consecutive steps of Double arithmetic, or of the Double math functions
// (real_math.h), becomes a single step that performs each of them in order,
// over small records (threaded: each record holds the address of its work,
// where the compiler takes addresses of labels; a switch elsewhere),
// instead of one indirect call per step and a load of each operand through
// the step's argument list. Each record computes
// exactly what the step's callback computes (math functions through the
// very value function the callback calls) and writes it to the same result
// item, so results, flags and the values later steps read stay as they were.
//
// The original steps leave the expression, with the items only they used;
// the fused step holds the items its records still read. Operands are
// read through the items' value pointers at every run, so a storage an
// item is pointed at later (a parameter bound per call, a dereference) is
// the one read. A temporary that only a later record of the run reads
// goes to a slot of the run instead of its item's storage, and is not
// stored at all when the record right after takes it from the register:
// no other step, and no reader of the expression's result, ever sees it.
// Literals never change once parsed: each record keeps a copy of its
// literal operand beside it and reads it from there.
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

// Where a record's operand comes from.
enum FusedSource : uint8_t {
  SourceCell,      // read through its cell (an item's value pointer or a slot)
  SourcePrevious,  // the result of the record before, still in a register
  SourceLiteral,   // the record's own copy of a literal
};

// A record's code, where its operands come from and whether its result is
// stored, in one byte, so that a single jump selects all the work of a
// record. A record of one operand has the right source SourceCell. A
// result is not stored when it goes to a slot that only the next record
// reads, from the register.
constexpr uint8_t FusedKind(FusedCode code, FusedSource left, FusedSource right, bool stores) {
  return static_cast<uint8_t>(((code * 3 + left) * 3 + right) * 2 + (stores ? 1 : 0));
}

// The kind of the record that ends every run: it hands out the result of
// the record before.
constexpr uint8_t FusedEnd = FusedKind(FusedBinary, SourceLiteral, SourceLiteral, true) + 1;

// One fused step. An operand from a cell is read through the address of
// its value: an item's value pointer or a slot of the run. At most one
// operand of a record is its literal.
struct FusedOp {
  const void* code = nullptr;  // the address of the record's work, where dispatch is threaded
  void* const* left = nullptr;    // the left operand's cell
  void* const* right = nullptr;   // the right operand's; the left one again for one operand
  void* const* result = nullptr;  // the cell of the result's storage: an item's, or a slot
  union {
    double (*unary)(double);
    double (*binary)(double, double);
  } function{};            // FusedUnary and FusedBinary
  double literal = 0;      // a literal operand's value (literals never change)
  uint8_t kind = FusedEnd;  // FusedKind, or FusedEnd
};

// The records of one fused step and the slots that hold the results only
// later records of the run read. Neither moves once the run is made: the
// records point into both.
struct FusedRun {
  std::vector<FusedOp> ops;  // ends with a FusedEnd record
  std::vector<double> slots;
  std::vector<void*> slotCells;
  std::vector<QuorbItem*> written;  // the items the records write (not owned)
  std::vector<QuorbItem*> operations;  // the definitions of the fused steps, for release checks (not owned)
  ExpressionPart* end = nullptr;  // of a whole-expression run: its terminator, where a run of it ends

  FusedRun() = default;
  FusedRun(const FusedRun&) = delete;
  FusedRun& operator=(const FusedRun&) = delete;
};

// Replaces each run of two or more fusable steps of `expr`'s chain with one
// new step. When the whole expression is one such run, whose last result is
// the expression's result, sets expr.WholeRun to it; an expression that is
// a single fusable step keeps its step and gets a run of its own
// (expr.OwnRun) that Evaluate runs instead, and so does one without steps
// whose result is a Double (a variable, a literal, a folded constant): its
// run reads the result. Run once, after the parse.
// Throws nothing: what it cannot fuse (memory ran out) stays unfused.
void FuseDoubleRuns(QuorbParsedExpr& expr);

// Runs the records from `first` on, in order, to the end record; the last
// record's result. A run has at least one record before its end.
double RunFusedOps(const FusedOp* first);

// Runs the records of `run`.
inline double RunFusedRecords(const FusedRun& run) { return RunFusedOps(run.ops.data()); }

// The callback of a fused step: runs its records in order.
void RunFusedDoubles(ExpressionPart& part);

}  // namespace QuorbNameSpace

#endif
