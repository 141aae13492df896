// The meta built-ins: functions that read the language's own state (a
// precedence, the running call's arguments), raise errors, and parse,
// evaluate and define at run time from inside an expression.
//
// Expression text has none of the host's powers: Define accepts as callback
// only 0 or a callback that an item of this instance already runs with the
// same signature, never as storage or handler, and as existing item only a
// live item of this instance (else 0 and error 9); Evaluate,
// EvaluateInt and EvaluateStr accept only a live expression this instance
// handed out (else NaN, 0 or "" and error 19). A nested parse, evaluation or
// definition keeps an error that was pending before it.
#ifndef QUORB_BUILTINS_META_CALLBACKS_H
#define QUORB_BUILTINS_META_CALLBACKS_H

namespace QuorbNameSpace {

class ExpressionPart;

// Error(Number As Int) and Error(Message As String): raise error Number, or
// error 1 with Message as its text; the Int result is the handlers' answer
// (1 when one resumed).
void RaiseError(ExpressionPart& part);
void RaiseErrorMessage(ExpressionPart& part);

// Precedence(Op, Properties): the precedence of the item named Op taken
// literally whose properties hold the mask; 0 when none.
void qr_Precedence(ExpressionPart& part);
// Str(Value): the value's plain text form.
void qr_Str(ExpressionPart& part);
// Inside a function body, the running call's argument x (1-based),
// converted to the Double result (or error 7), and the number of arguments.
// Outside a body, or x out of range: NaN and error 19; ArgCount gives 0.
void qr_Arg(ExpressionPart& part);
void qr_ArgCount(ExpressionPart& part);

// Parse(Expression, DataType): a handle kept by the instance until released.
void qr_Parse(ExpressionPart& part);
// Eval and EvalStr: parse, run and free a text.
void qr_Eval(ExpressionPart& part);
void qr_EvalStr(ExpressionPart& part);
// Evaluate, EvaluateInt, EvaluateStr: run a handle from Parse.
void qr_Evaluate(ExpressionPart& part);
void qr_EvaluateInt(ExpressionPart& part);
void qr_EvaluateStr(ExpressionPart& part);
// ExprPtr(Expr): the parsed expression the argument's item holds; 0 when
// it holds none.
void qr_ExprPtr(ExpressionPart& part);
// Define(Def, Addr, ExistingItem): the defined item's address, 0 on failure.
void qr_Define(ExpressionPart& part);
// QuorbInstance(): the instance's address.
void qr_QuorbInstance(ExpressionPart& part);

}  // namespace QuorbNameSpace

#endif
