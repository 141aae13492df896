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

// A function kept out of the caller's body: the cold part of a hot export.
#if defined(__GNUC__) || defined(__clang__)
#define QUORB_OUT_OF_LINE __attribute__((noinline))
#elif defined(_MSC_VER)
#define QUORB_OUT_OF_LINE __declspec(noinline)
#else
#define QUORB_OUT_OF_LINE
#endif

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

// Whether `expr` may run bare: it is one fused run, whose records are
// pure numeric work (no callback that can steer the loop, re-enter the
// expression or throw), and no run of it is under way. Such a run needs
// none of the entry and exit bookkeeping: Current ends at the terminator,
// as a counted run that is the only one leaves it, and nothing can be
// released or set aside while it runs. KeepBookkeeping is its slow twin.
inline bool RunsBare(const QuorbParsedExpr& expr) {
  return expr.WholeOps != nullptr && !expr.KeepBookkeeping && expr.Running == 0;
}

// The records of a bare run; the last result, from the register.
inline double RunBare(QuorbParsedExpr& expr) {
  QUORB_ASSERT(expr.WholeOps == expr.WholeRun->ops.data());
  const double result = RunFusedOps(expr.WholeOps);
  expr.Current = expr.WholeRun->end;
  return result;
}

// The records of a one-run expression, counted as any run is; the last
// result, from the register.
inline double RunWholeBookkept(QuorbParsedExpr& expr) {
  double result = 0;
  RunBookkept(expr, [&expr, &result] {
    result = RunFusedRecords(*expr.WholeRun);
    expr.Current = expr.WholeRun->end;
  });
  return result;
}

// The exact test after a bare run found a flag up: it may run the host's
// handlers, which may evaluate or release expressions, so it runs counted
// as an evaluation, and the result is read from its item, as the loop does.
double TestAfterBareRun(QuorbParsedExpr& expr);

// EvaluateToDouble of an expression that runs bare.
inline double EvaluateBare(QuorbParsedExpr& expr) {
  const double result = RunBare(expr);
  if (FlagsNeedTest(expr.Owner)) return TestAfterBareRun(expr);
  return result;
}

// EvaluateToDouble of an expression that is one fused run: the records run
// without the loop, and the result comes from the register. The part
// bookkeeping is the loop's. Should the exact flag test run (and with it
// the host's handlers), the result is read from its item, as the loop does.
inline double EvaluateWholeRun(QuorbParsedExpr& expr) {
  const double result = RunWholeBookkept(expr);
  const ExpressionPart* end = expr.WholeRun->end;
  if (TestFlagsAfterRun(expr.Owner)) return ResultAsDouble(end->Result);
  return result;
}

// Runs, tests the floating-point flags, and reads the result as a double.
inline double EvaluateToDouble(QuorbParsedExpr& expr) {
  if (RunsBare(expr)) return EvaluateBare(expr);
  if (expr.WholeRun != nullptr) return EvaluateWholeRun(expr);
  const ExpressionPart* end = RunSteps(expr);
  TestFlagsAfterRun(expr.Owner);
  return ResultAsDouble(end->Result);
}

// Runs and reads the result as a double, without the floating-point test.
inline double EvaluateUntested(QuorbParsedExpr& expr) {
  if (RunsBare(expr)) return RunBare(expr);
  if (expr.WholeRun != nullptr) return RunWholeBookkept(expr);
  return ResultAsDouble(RunSteps(expr)->Result);
}

}  // namespace QuorbNameSpace

#endif
