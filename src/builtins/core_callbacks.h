// Callbacks the parser and the evaluator recognise by identity: assignment
// and pointer dereference. Parsed-expression clean-up spares the items these
// steps do not own.
#ifndef QUORB_BUILTINS_CORE_CALLBACKS_H
#define QUORB_BUILTINS_CORE_CALLBACKS_H

namespace QuorbNameSpace {

class ExpressionPart;

// Copies argument 2 into argument 1's storage with argument 1's type; the
// target itself is the result item.
void SetVar(ExpressionPart& part);

// Converts argument 3's value from the type of argument 1 to the type of
// argument 2, into the result item's storage: the conversion step the
// parser inserts, and the call of a type name as a function. Text that is
// no number of the target resets the result and raises error 7 (Convert).
void ConvertPartFunc(ExpressionPart& part);

// Laid out as ConvertPartFunc, for a named AnyType variable passed where a
// fixed-width number no wider than a pointer is taken: copies that type's
// width of the variable's slot into the result item, leaving the variable
// as it is.
void ReadAnyAsPartFunc(ExpressionPart& part);

// Re-points the result item at Address + Index * size of the result type:
// the result aliases that memory, nothing is copied. Argument 1 is the
// pointed-to type carrier, 2 the address, 3 the index.
void ValueAt(ExpressionPart& part);

}  // namespace QuorbNameSpace

#endif
