// Activations of an expression that runs again while an earlier run of it
// is still under way: a function body entered by a recursive call, or an
// expression that evaluates its own handle. Both runs share the
// expression's temporaries (the result items of its steps), so the earlier
// run's are set aside before the new one and put back after it. Plain
// numbers and addresses go onto the instance's save stack, other values
// (texts) into the value pools of their types: once the stack and the
// pools are deep enough nothing is allocated.
// Implemented in user_function.cpp.
#ifndef QUORB_BUILTINS_ACTIVATION_H
#define QUORB_BUILTINS_ACTIVATION_H

#include <vector>

namespace QuorbNameSpace {

class QuorbItem;
class QuorbParsedExpr;

// Sets aside the temporaries of the running activation of `expr`: the
// address of an item that points into other storage (a dereference) and a
// plain number onto `saved`, any other value into a pool entry of its type.
// Memory running out part way throws, with nothing set aside.
void SaveActivation(QuorbParsedExpr& expr, std::vector<void*>& saved);

// Puts back what SaveActivation set aside, in reverse order. `keep` (may be
// null) already holds the value the new run produced for the earlier one:
// its saved value is dropped.
void RestoreActivation(QuorbParsedExpr& expr, std::vector<void*>& saved, const QuorbItem* keep);

}  // namespace QuorbNameSpace

#endif
