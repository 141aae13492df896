// Exports: parse once and evaluate, or evaluate a text in one call.
#include <limits>

#include "api/boundary.h"
#include "builtins/activation.h"
#include "engine/evaluation_loop.h"

using namespace QuorbApi;
using QuorbNameSpace::QuorbParsedExpr;

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

Quorb* OwnerOf(QuorbExpression* expression) { return expression != nullptr ? Engine(expression)->Owner : nullptr; }

// A run of an expression that a step of a run still under way started (a
// host callback evaluating the expression it was called from): both share
// the expression's temporaries, so the outer run's are set aside for the
// time of the inner one and put back after it, as the built-in Evaluate
// does. Nothing happens for a run that is the only one.
class SetAside {
 public:
  explicit SetAside(QuorbParsedExpr& expr) : expr_(expr.Running > 0 && expr.Owner != nullptr ? &expr : nullptr) {
    if (expr_ != nullptr) QuorbNameSpace::SaveActivation(*expr_, expr_->Owner->Evaluator.ValueSaveStack);
  }
  ~SetAside() {
    if (expr_ != nullptr) QuorbNameSpace::RestoreActivation(*expr_, expr_->Owner->Evaluator.ValueSaveStack, nullptr);
  }
  SetAside(const SetAside&) = delete;
  SetAside& operator=(const SetAside&) = delete;

 private:
  QuorbParsedExpr* expr_;
};

// Runs one evaluation variant, counted as running for the time it takes
// (EvaluationScope): the result is read before anything released meanwhile
// is freed, and before a run it re-entered gets its temporaries back.
template <typename Result>
Result EvaluateCounted(QuorbExpression* expression, Result (QuorbParsedExpr::*variant)()) {
  QuorbParsedExpr* expr = Engine(expression);
  QuorbNameSpace::EvaluationScope running(expr->Owner);
  SetAside outer(*expr);
  return (expr->*variant)();
}

// Evaluate and EvaluateNTE of a run that is not bare, with the loop in
// place: these are the exports hosts call in their own loops. Out of
// line, as is the test after a bare run that found a flag up, so that a
// bare run, which needs neither the count nor the setting aside, needs no
// frame for them either.
template <bool Tested>
QUORB_OUT_OF_LINE double EvaluateCountedInPlace(QuorbParsedExpr& expr) {
  return Guarded<double>(expr.Owner, ErrSyntax, NaN, [&] {
    QuorbNameSpace::EvaluationScope running(expr.Owner);
    SetAside outer(expr);
    return Tested ? QuorbNameSpace::EvaluateToDouble(expr) : QuorbNameSpace::EvaluateUntested(expr);
  });
}

// The exact test after a bare run (it may run the host's handlers).
QUORB_OUT_OF_LINE double TestedAfterBareRun(QuorbParsedExpr& expr) {
  return Guarded<double>(expr.Owner, ErrSyntax, NaN, [&] { return QuorbNameSpace::TestAfterBareRun(expr); });
}

}  // namespace

extern "C" {

QUORB_API QuorbExpression* Parse(QuorbInstance* instance, const char* expression, const char* typeName) {
  if (instance == nullptr) return nullptr;
  Quorb* engine = Engine(instance);
  return Handle(Guarded<QuorbParsedExpr*>(engine, ErrSyntax, nullptr,
                                          [&] { return engine->UserParse(TextIn(expression), TextIn(typeName)); }));
}

QUORB_API double Evaluate(QuorbExpression* expression) {
  if (expression == nullptr) return NaN;
  QuorbParsedExpr& expr = *Engine(expression);
  if (!QuorbNameSpace::RunsBare(expr)) return EvaluateCountedInPlace<true>(expr);
  const double result = QuorbNameSpace::RunBare(expr);
  if (QuorbNameSpace::FlagsNeedTest(expr.Owner)) return TestedAfterBareRun(expr);
  return result;
}

QUORB_API double EvaluateNTE(QuorbExpression* expression) {
  if (expression == nullptr) return NaN;
  QuorbParsedExpr& expr = *Engine(expression);
  if (!QuorbNameSpace::RunsBare(expr)) return EvaluateCountedInPlace<false>(expr);
  return QuorbNameSpace::RunBare(expr);
}

QUORB_API int32_t EvaluateInt32(QuorbExpression* expression) {
  if (expression == nullptr) return 0;
  return Guarded<int32_t>(OwnerOf(expression), ErrSyntax, 0, [&] { return EvaluateCounted(expression, &QuorbParsedExpr::EvaluateInt); });
}

QUORB_API const char* EvaluateStr(QuorbExpression* expression) {
  static std::string text;
  if (expression == nullptr) return TextOut(text, std::string());
  return Guarded<const char*>(OwnerOf(expression), ErrSyntax, "",
                              [&] { return TextOut(text, EvaluateCounted(expression, &QuorbParsedExpr::EvaluateStr)); });
}

QUORB_API void* EvaluateVoid(QuorbExpression* expression) {
  if (expression == nullptr) return nullptr;
  return Guarded<void*>(OwnerOf(expression), ErrSyntax, nullptr, [&]() -> void* {
    // The address handed out is the result's storage, which gets the outer
    // run's value back as soon as a re-entering run ends: refused then.
    if (Engine(expression)->Running > 0) {
      if (Quorb* owner = OwnerOf(expression)) owner->SetErrorIfNone(ErrNotModifiable);
      return nullptr;
    }
    // This variant keeps no count of its own: counted here, so that a run
    // it calls back into sets its temporaries aside.
    struct Counted {
      QuorbParsedExpr& expr;
      explicit Counted(QuorbParsedExpr& e) : expr(e) { ++expr.Running; }
      ~Counted() { --expr.Running; }
    } counted(*Engine(expression));
    QuorbNameSpace::EvaluationScope running(counted.expr.Owner);
    return counted.expr.EvaluateVoid();
  });
}

QUORB_API void Execute(QuorbExpression* expression) {
  if (expression == nullptr) return;
  GuardedVoid(OwnerOf(expression), ErrSyntax, [&] { EvaluateCounted(expression, &QuorbParsedExpr::Execute); });
}

QUORB_API void ReleaseExpr(QuorbExpression* expression) {
  // The handle is checked against the live expressions before anything is
  // read through it: a released or foreign handle is ignored.
  GuardedVoid(nullptr, 0, [&] { Quorb::ReleaseExpression(Engine(expression)); });
}

QUORB_API QuorbExpression* Handle_Overload_ParsedExpr(QuorbExpression* expression) { return expression; }

QUORB_API double Eval(QuorbInstance* instance, const char* expression) {
  if (instance == nullptr) return NaN;
  Quorb* engine = Engine(instance);
  return Guarded<double>(engine, ErrSyntax, NaN, [&] { return engine->Eval(TextIn(expression)); });
}

QUORB_API const char* EvalStr(QuorbInstance* instance, const char* expression) {
  static std::string text;
  if (instance == nullptr) return TextOut(text, std::string());
  Quorb* engine = Engine(instance);
  return Guarded<const char*>(engine, ErrSyntax, "", [&] { return TextOut(text, engine->EvalStr(TextIn(expression))); });
}

}  // extern "C"
