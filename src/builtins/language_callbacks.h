// Callbacks of the expression language itself: the call of a function with
// an expression body, and the built-ins that take arguments unevaluated (as
// ByExpr expressions) and run them when, and as often as, they choose: the
// conditional, the short-circuit operators and the loops. Argument matching
// recognises UserFunction and IIf by identity (args_match.cpp).
//
// UserFunction is in user_function.cpp, the others in control_flow.cpp.
#ifndef QUORB_BUILTINS_LANGUAGE_CALLBACKS_H
#define QUORB_BUILTINS_LANGUAGE_CALLBACKS_H

namespace QuorbNameSpace {

class ExpressionPart;

// Runs the body of the function item given as the last argument, with its
// parameters bound to copies of the other arguments (a ByExpr argument is
// evaluated first; a value of another type is converted, or error 7). Copies
// come from the value pools of the parameters' types and pointers are saved
// on the instance's save stack; a body entered again while it runs keeps
// the temporaries of its earlier activation apart. Nested and recursive
// calls allocate nothing once the pools are deep enough, and every call
// leaves pools and stack as it found them. The current call of the function
// is this part while the body runs. Past the nesting limit: error 18, and
// no body runs until the outermost call has returned.
void UserFunction(ExpressionPart& part);

// IIf(Condition, ByExpr TruePart, ByExpr FalsePart): evaluates the branch
// that the Bool condition chooses and copies its value into the result,
// which has TruePart's type (a FalsePart of another type is converted, or
// error 7). The other branch is not evaluated.
void IIf(ExpressionPart& part);

// x AndAlso ByExpr y: false without evaluating y when x is false, else y.
void AndAlso(ExpressionPart& part);
// x OrElse ByExpr y: true without evaluating y when x is true, else y.
void OrElse(ExpressionPart& part);

// DoLoop(ByExpr DoCondition, ByExpr Expression, ByExpr LoopCondition):
// tests DoCondition before every pass and LoopCondition after it; stops at
// the first false one.
void DoLoop(ExpressionPart& part);

// ForLoop(Counter, Start, Finish, Step, ByExpr Expression): Start, Finish
// and Step are read once; c runs from Start while c < Finish (Step > 0) or
// c > Finish (Step < 0 or NaN), the counter receiving c converted to its
// type before each pass. Step 0 runs nothing, and the loop ends when adding
// Step no longer changes c.
void ForLoop(ExpressionPart& part);

}  // namespace QuorbNameSpace

#endif
