// Callbacks of the expression language itself that argument matching
// recognises by identity: the call of a function with an expression body,
// and the conditional, which evaluates only the branch it chooses.
// The evaluation loop that runs them is evaluate.cpp.
#ifndef QUORB_BUILTINS_LANGUAGE_CALLBACKS_H
#define QUORB_BUILTINS_LANGUAGE_CALLBACKS_H

namespace QuorbNameSpace {

class ExpressionPart;

// Runs the body of the function item given as the last argument, with its
// parameters bound to copies of the other arguments. Copies come from the
// value pools of the parameters' types and pointers are saved on the
// instance's save stack, so nested and recursive calls allocate nothing
// once the pools are deep enough, and every call leaves pools and stack as
// it found them. The current call of the function is this part while the
// body runs.
void UserFunction(ExpressionPart& part);

// IIf(Condition, ByExpr TruePart, ByExpr FalsePart): evaluates the branch
// that the Bool condition chooses and copies its value into the result,
// which has TruePart's type. The other branch is not evaluated.
void IIf(ExpressionPart& part);

}  // namespace QuorbNameSpace

#endif
