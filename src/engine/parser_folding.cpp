// Constant folding: a step of a pure numeric built-in whose arguments are
// all constants (literals, or results of steps folded before) is computed
// once, here, and its result item takes the step's place as an operand.
// The evaluation then runs the same callback zero times instead of once.
//
// Only an exact step folds: one that raises no flag at all and gives the
// same result bits in every rounding mode. Its result then cannot depend
// on the floating-point environment of a later evaluation, and leaving it
// out of the run loses no flag. Raising no flag is not enough on its own:
// Nearbyint rounds in the current mode without inexact, and an exact zero
// sum (1 - 1) is -0 when rounding downward.
#include <cfenv>
#include <cstring>

#include "engine/exception_flags.h"
#include "engine/parsed_expr.h"
#include "engine/parser_state.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

namespace {

// The rounding modes this platform has, each of which a folded result
// must agree with.
const int RoundingModes[] = {
    FE_TONEAREST,
#ifdef FE_UPWARD
    FE_UPWARD,
#endif
#ifdef FE_DOWNWARD
    FE_DOWNWARD,
#endif
#ifdef FE_TOWARDZERO
    FE_TOWARDZERO,
#endif
};

// Runs `part` once in each rounding mode; true when no run raised a flag
// and every run wrote the same bytes. The caller's flags and rounding mode
// are as they were afterwards.
bool ExactInEveryMode(ExpressionPart& part, size_t bytes) {
  // The first run's bytes stay on the stack: a folding that allocated could
  // fail with the step's result owned by nobody yet. Pure numeric results
  // are at most a Complex wide.
  unsigned char first[32];
  if (bytes > sizeof first) return false;
  ExceptionFlagsKept callerFlags;
  const int callerMode = std::fegetround();
  bool exact = true;
  for (size_t i = 0; exact && i < sizeof RoundingModes / sizeof RoundingModes[0]; ++i) {
    if (std::fesetround(RoundingModes[i]) != 0) continue;
    part.Callback(part);
    exact = RaisedExceptionFlags() == 0;
    if (i == 0) std::memcpy(first, part.Result->ValuePtr, bytes);
    else exact = exact && std::memcmp(first, part.Result->ValuePtr, bytes) == 0;
  }
  std::fesetround(callerMode);
  return exact;
}

}  // namespace

bool ExpressionParser::IsConstant(const QuorbItem* item) const {
  if (item == nullptr) return false;
  if (item->Has(IsLiteral)) return true;
  for (const QuorbItem* constant : folded_)
    if (constant == item) return true;
  return false;
}

// Runs `part`, the step just completed, when it can be folded; true when it
// was: the step is gone and its result is the operand of the part below.
bool ExpressionParser::FoldConstantStep(ExpressionPart* part) {
  if (!q_.FastPaths.FoldConstants) return false;
  if (q_.Error.Number != 0 || output_.empty() || output_.back() != part) return false;
  if (!part->Roles.Has(RolePure) || part->Result->ValuePtr == nullptr) return false;
  if (part->Result->DataType == nullptr) return false;
  for (const QuorbItem* arg : part->Args)
    if (!IsConstant(arg)) return false;
  if (!ExactInEveryMode(*part, part->Result->DataType->SizeOf())) return false;

  // CompletePart made room for the result: nothing below fails.
  output_.pop_back();
  for (QuorbItem* arg : part->Args) {
    for (size_t i = 0; i < folded_.size(); ++i) {
      if (folded_[i] != arg) continue;
      folded_.erase(folded_.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
    delete arg;
  }
  folded_.push_back(part->Result);
  AddOperand(part->Result);
  delete part;
  return true;
}

}  // namespace QuorbNameSpace
