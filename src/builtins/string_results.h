// Helpers shared by the string built-ins: refusing a position or a length,
// and running a callback so that no exception leaves it. Internal to the
// built-ins; see string_callbacks.h for the error contract they implement.
#ifndef QUORB_BUILTINS_STRING_RESULTS_H
#define QUORB_BUILTINS_STRING_RESULTS_H

#include <cstddef>
#include <string>

#include "builtins/string_callbacks.h"

namespace QuorbNameSpace {

class ExpressionPart;

// Raises error 19 on the instance that owns the running definition.
void RaiseBoundExceeded(ExpressionPart& part);

// True when `position` is within `text` (the end included); otherwise
// raises error 19 and gives false.
bool PositionFits(ExpressionPart& part, const std::string& text, size_t position);

// True when a text of `length` bytes may be built; otherwise raises error 19
// and gives false.
bool LengthFits(ExpressionPart& part, size_t length);

// Empties the String result.
void ClearTextResult(ExpressionPart& part);

// Runs `body`. An exception from it (out of memory, a length the string
// cannot hold) is caught: the String result, when `textResult` says there is
// one, is emptied and error 19 is raised.
template <typename Body>
void RunGuarded(ExpressionPart& part, bool textResult, Body body) {
  bool failed = false;
  try {
    body();
  } catch (...) {
    failed = true;
  }
  if (!failed) return;
  if (textResult) ClearTextResult(part);
  RaiseBoundExceeded(part);
}

}  // namespace QuorbNameSpace

#endif
