// Built-ins over values of any type or many arguments: exchanging and
// resetting variables in place, the smallest and greatest of several
// numbers or texts, the sign, and reading a number written in another base.
#ifndef QUORB_BUILTINS_VALUE_CALLBACKS_H
#define QUORB_BUILTINS_VALUE_CALLBACKS_H

namespace QuorbNameSpace {

class ExpressionPart;

// Swap(ByHandle x, ByHandle y) and Reset(ByHandle Variable): the data
// type's own exchange or reset, in the variables' storage. Argument
// matching appends an Int argument with the type number of the variables;
// variables of another type than that (two of different types) are error
// 7 and stay as they were.
void Swap(ExpressionPart& part);
void Reset(ExpressionPart& part);

// Min and Max of Doubles: fmin / fmax folded from the first argument, so
// NaN arguments are skipped unless all are NaN.
void qr_Min(ExpressionPart& part);
void qr_Max(ExpressionPart& part);
// Min and Max of Strings in byte order; among equal texts the first wins.
void qr_MinStr(ExpressionPart& part);
void qr_MaxStr(ExpressionPart& part);

// Sgn(Number): 0 for either zero, 1 above it, -1 otherwise (NaN included).
void qr_Sgn(ExpressionPart& part);

// BaseConvert(Number As String, Base As Int): the Double that the text
// denotes in base Base, most significant digit first, digits "0" to "9"
// and "A" to "Z" in either case; digits after the first "." are fractions.
// A digit not below Base, or a character that is no digit, still counts
// with its value but raises the invalid-operation flag; a Base outside 2
// to 36 gives NaN with that flag. An empty text gives 0.
void BaseConvert(ExpressionPart& part);

}  // namespace QuorbNameSpace

#endif
