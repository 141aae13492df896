// Parse, run and free in one call. The caller's floating-point exception
// flags are saved before and restored after, so a one-shot evaluation
// leaves them as it found them while its own run is still tested (errors
// 20 to 24 and the handlers).
#include <cfenv>
#include <string>

#include "engine/parsed_expr.h"
#include "engine/exception_flags.h"
#include "engine/quorb.h"

namespace QuorbNameSpace {

namespace {

// Saves the five exception flags and clears them; restores them when it
// goes out of scope.
class SavedExceptionFlags {
 public:
  SavedExceptionFlags() : saved_(RaisedExceptionFlags()) { ClearExceptionFlags(); }
  ~SavedExceptionFlags() { RestoreExceptionFlags(saved_); }
  SavedExceptionFlags(const SavedExceptionFlags&) = delete;
  SavedExceptionFlags& operator=(const SavedExceptionFlags&) = delete;

 private:
  int saved_;
};

}  // namespace

double Quorb::Eval(const std::string& text) {
  SavedExceptionFlags flags;
  QuorbParsedExpr* expr = Parse(text, DoubleType);
  EvaluationScope running(this);
  const double result = expr->Evaluate();
  QuorbParsedExpr::Free(expr);
  return result;
}

std::string Quorb::EvalStr(const std::string& text) {
  SavedExceptionFlags flags;
  QuorbParsedExpr* expr = Parse(text, nullptr);
  EvaluationScope running(this);
  std::string result = expr->EvaluateStr();
  QuorbParsedExpr::Free(expr);
  return result;
}

}  // namespace QuorbNameSpace
