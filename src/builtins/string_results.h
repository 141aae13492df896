// Helpers shared by the string built-ins: refusing a position or a length,
// and running a callback so that no exception leaves it. Internal to the
// built-ins; see string_callbacks.h for the error contract they implement.
#ifndef QUORB_BUILTINS_STRING_RESULTS_H
#define QUORB_BUILTINS_STRING_RESULTS_H

#include <cstddef>
#include <string>

#include "builtins/string_callbacks.h"
#include "engine/errors.h"

namespace QuorbNameSpace {

class ExpressionPart;

// Raises error `n` (19 when not given) on the instance that owns the
// running definition.
void RaiseBoundExceeded(ExpressionPart& part, int32_t n = ErrBoundExceeded);

// True when `position` is within `text` (the end included); otherwise
// raises error 19 and gives false.
bool PositionFits(ExpressionPart& part, const std::string& text, size_t position);

// True when a text of `length` bytes may be built; otherwise raises error 19
// and gives false.
bool LengthFits(ExpressionPart& part, size_t length);

// Empties the String result.
void ClearTextResult(ExpressionPart& part);

// Runs `body`. An exception from it is caught: the String result, when
// `textResult` says there is one, is emptied and an error is raised: 18 when
// memory ran out, 19 for a length the string cannot hold.
template <typename Body>
void RunGuarded(ExpressionPart& part, bool textResult, Body body) {
  int32_t error = 0;
  try {
    body();
  } catch (...) {
    error = ErrorOfException(ErrBoundExceeded);
  }
  if (error == 0) return;
  if (textResult) ClearTextResult(part);
  RaiseBoundExceeded(part, error);
}

}  // namespace QuorbNameSpace

#endif
