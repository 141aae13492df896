// The evaluation loop and the Double read of its result, inline: the
// exports that evaluate a parsed expression run it in place, since a call
// and return per evaluation is a measurable share of a short expression.
// QuorbParsedExpr's own variants (evaluate.cpp) run the same code.
#ifndef QUORB_ENGINE_EVALUATION_LOOP_H
#define QUORB_ENGINE_EVALUATION_LOOP_H

#include <cstring>
#include <limits>

#include "engine/fp_status.h"
#include "engine/fused_steps.h"
#include "engine/invariant.h"
#include "engine/parsed_expr.h"
#include "types/builtin_types.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

// What every run of `expr` does around its steps, which `steps` runs: the
// re-entry count and Current. A step may run this same
// expression again (Evaluate of its own handle, a loop in a body that
// recurses): the inner run leaves Current where the outer one stands.
// Returns the part the run ended at (the terminator).
// A step that throws (memory ran out) ends the run as a return would.
template <typename Steps>
inline ExpressionPart* RunBookkept(QuorbParsedExpr& expr, Steps steps) {
  struct RunCount {
    QuorbParsedExpr& expr;
    ExpressionPart* const outer;
    ~RunCount() {
      QUORB_ASSERT(expr.Running > 0);
      if (--expr.Running > 0) expr.Current = outer;
    }
  } count{expr, expr.Current};
  ++expr.Running;
  expr.Current = expr.First;
  steps();
  return expr.Current;  // read before the count's restore
}

// Runs the steps of `expr`. Current is re-read after every call: a
// callback that changed its part's link, or the expression's Current,
// steers the loop.
inline ExpressionPart* RunSteps(QuorbParsedExpr& expr) {
  return RunBookkept(expr, [&expr] {
    while (expr.Current->Next != nullptr) {
      expr.Current->Callback(*expr.Current);
      expr.Current = expr.Current->Next;
    }
  });
}

// The result as a double: Double results, the common case, without the
// type switch of ValueAsDouble.
inline double ResultAsDouble(const QuorbItem* result) {
  if (result == nullptr) return std::numeric_limits<double>::quiet_NaN();
  const QuorbDataType* type = result->DataType;
  if (type != nullptr && type->Index == TypeDouble && result->ValuePtr != nullptr) {
    double value;
    std::memcpy(&value, result->ValuePtr, sizeof value);
    return value;
  }
  return ValueAsDouble(type, result->ValuePtr);
}

// EvaluateToDouble of an expression that is one fused run: the records run
// without the loop, and the result comes from the register. The part
// bookkeeping is the loop's. Should the exact flag test run (and with it
// the host's handlers), the result is read from its item, as the loop does.
inline double EvaluateWholeRun(QuorbParsedExpr& expr) {
  double result = 0;
  const ExpressionPart* end = RunBookkept(expr, [&expr, &result] {
    result = RunFusedRecords(*expr.WholeRun);
    expr.Current = expr.First->Next;
  });
  if (TestFlagsAfterRun(expr.Owner)) return ResultAsDouble(end->Result);
  return result;
}

// Runs, tests the floating-point flags, and reads the result as a double.
inline double EvaluateToDouble(QuorbParsedExpr& expr) {
  if (expr.WholeRun != nullptr) return EvaluateWholeRun(expr);
  const ExpressionPart* end = RunSteps(expr);
  TestFlagsAfterRun(expr.Owner);
  return ResultAsDouble(end->Result);
}

}  // namespace QuorbNameSpace

#endif
