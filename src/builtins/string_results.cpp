// Refusals shared by the string built-ins: error 19 for a position past the
// end or a text too long to build.
#include "builtins/string_results.h"

#include "builtins/callback_args.h"
#include "engine/errors.h"
#include "engine/quorb.h"

namespace QuorbNameSpace {

void RaiseBoundExceeded(ExpressionPart& part, int32_t n) {
  if (Quorb* instance = OwnerOf(part)) instance->ErrorRaise(&part, n);
}

bool PositionFits(ExpressionPart& part, const std::string& text, size_t position) {
  if (position <= text.size()) return true;
  RaiseBoundExceeded(part);
  return false;
}

bool LengthFits(ExpressionPart& part, size_t length) {
  if (length <= MaxBuiltTextLength) return true;
  RaiseBoundExceeded(part);
  return false;
}

void ClearTextResult(ExpressionPart& part) {
  if (part.Result != nullptr && part.Result->ValuePtr != nullptr) ResultStr(part).clear();
}

}  // namespace QuorbNameSpace
