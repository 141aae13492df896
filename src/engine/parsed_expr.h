// A parsed expression: a singly linked list of steps, each calling one
// native callback with its argument items and a result item, ending in a
// terminator part that holds the expression's result. The parser builds the
// list; this file runs it any number of times and frees it.
//
// An ExpressionPart is also the context handed to every callback: it reads
// argument n from Args[n-1]'s value storage and writes its result into
// Result's value storage. It reaches the instance through OpItem->Owner.
#ifndef QUORB_ENGINE_PARSED_EXPR_H
#define QUORB_ENGINE_PARSED_EXPR_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/arg_list.h"
#include "engine/quorb_item.h"

namespace QuorbNameSpace {

class Quorb;
struct FusedOp;
struct FusedRun;

class ExpressionPart {
 public:
  // The two fields the evaluation loop reads come first.
  QuorbCallback Callback = nullptr;          // the step's work; a marker in the terminator
  ExpressionPart* Next = nullptr;            // null only in the terminator
  ArgList Args;                              // argument items in parameter order
  QuorbItem* Result = nullptr;               // receives the step's result
  QuorbItem* OpItem = nullptr;               // definition item whose callback runs
  QuorbItem* EnclosingFunction = nullptr;    // user function whose body holds the step
  std::unique_ptr<FusedRun> Fused;           // a fused run's steps (fused_steps.h)
  BuiltinRoles Roles;                        // of Callback, set with it when the step is made

  ExpressionPart();
  ~ExpressionPart();

  // Parser bookkeeping, never read by evaluation: where each argument's
  // steps begin in the parser's output. Made on first use, dropped when
  // the parse ends (DropArgStarts).
  std::vector<size_t>& ArgStarts();
  const std::vector<size_t>& ArgStarts() const;
  void DropArgStarts() { argStarts_.reset(); }

 private:
  std::unique_ptr<std::vector<size_t>> argStarts_;
};

// Terminator markers: the loop stops before them and never calls them.
void EvalReturn(ExpressionPart& part);   // normal end
void ReturnError(ExpressionPart& part);  // failed parse; result holds the error number

inline bool IsTerminator(QuorbCallback callback) {
  return callback == &EvalReturn || callback == &ReturnError;
}

class QuorbParsedExpr {
 public:
  ExpressionPart* First = nullptr;           // where evaluation starts
  ExpressionPart* Current = nullptr;         // the part being run
  std::vector<ExpressionPart*> Parts;        // every part; owned
  QuorbDataType* ResultType = nullptr;       // type of the terminator's result item
  Quorb* Owner = nullptr;                    // the instance that parsed it
  QuorbItem* FunctionItem = nullptr;         // the function whose body this is, if any
  // The expression is one fused run whose last result is its result:
  // Evaluate runs the records directly (evaluation_loop.h). The run is its
  // first step's, or OwnRun when the expression is a single step.
  FusedRun* WholeRun = nullptr;
  const FusedOp* WholeOps = nullptr;  // its records, one load nearer (they never move)
  std::unique_ptr<FusedRun> OwnRun;
  // A whole run goes through the entry and exit bookkeeping of every run
  // all the same: the slow twin of the bare run (evaluation_loop.h).
  bool KeepBookkeeping = false;

  QuorbParsedExpr();
  ~QuorbParsedExpr();
  QuorbParsedExpr(const QuorbParsedExpr&) = delete;
  QuorbParsedExpr& operator=(const QuorbParsedExpr&) = delete;
  // The temporaries its steps (and those of its ByExpr arguments) write,
  // which a run that re-enters the expression sets aside and puts back
  // (builtins/activation.h). Filled on first need; the items are not owned.
  struct Temporary {
    QuorbItem* Item;
    uint32_t Bytes;  // a value copied byte for byte; 0: through its type
  };
  std::vector<Temporary> ActivationItems;
  bool ActivationItemsKnown = false;
  int Running = 0;                           // runs of this expression under way (a step may re-enter it)

  // Runs the steps, tests the floating-point flags, and reads the result
  // converted to a double (NaN when the result type is not numeric).
  double Evaluate();
  // As Evaluate, without the floating-point test.
  double EvaluateNTE();
  // Runs and tests; the result as a 32-bit integer (0 when not numeric).
  int32_t EvaluateInt();
  // Runs without touching Current or testing; the result's storage address.
  void* EvaluateVoid();
  // Runs the steps only.
  void Execute();
  // Runs and tests; the result as text, or the pending error's message.
  std::string EvaluateStr();

  // Frees the parts and the temporaries they own; spares named items,
  // assignment targets and dereferenced pointers. The instance is not read.
  static void Clean(std::vector<ExpressionPart*>& parts, Quorb* instance);
  // Clean of one part; null does nothing. Allocates nothing.
  static void CleanPart(ExpressionPart* part);
  // Clean, then the record itself; null does nothing.
  static void Free(QuorbParsedExpr* expr);

 private:
  // Runs the steps; the part the run ended at (the terminator).
  ExpressionPart* Run();
};

// An expression the engine parsed for its own use (no host holds it),
// freed however the scope that parsed it ends.
struct OwnExpression {
  QuorbParsedExpr* expr;
  ~OwnExpression() { QuorbParsedExpr::Free(expr); }
};

// Reads a numeric value of any built-in numeric class as a double; NaN for
// other classes or a missing type. Never reads past the type's size.
double ValueAsDouble(const QuorbDataType* type, const void* value);
// As ValueAsDouble, as a 32-bit integer (truncated; 0 when not numeric).
int32_t ValueAsInt32(const QuorbDataType* type, const void* value);

}  // namespace QuorbNameSpace

#endif
