// Parse, run and free in one call. The caller's floating-point exception
// flags are saved before and restored after, so a one-shot evaluation
// leaves them as it found them while its own run is still tested (errors
// 20 to 24 and the handlers).
#include <string>

#include "engine/exception_flags.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"

namespace QuorbNameSpace {

double Quorb::Eval(const std::string& text) {
  ExceptionFlagsKept flags;
  OwnExpression once{Parse(text, Types.DoubleType, nullptr, nullptr, 0, true)};
  EvaluationScope running(this);
  return once.expr->Evaluate();
}

std::string Quorb::EvalStr(const std::string& text) {
  ExceptionFlagsKept flags;
  OwnExpression once{Parse(text, nullptr, nullptr, nullptr, 0, true)};
  EvaluationScope running(this);
  return once.expr->EvaluateStr();
}

}  // namespace QuorbNameSpace
