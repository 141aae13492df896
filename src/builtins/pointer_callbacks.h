// Pointer callbacks: taking an address, pointer arithmetic and assignment to
// a pointer variable. Argument matching recognises them by identity and
// gives their steps the result items they expect (args_match.cpp); the
// dereference itself, ValueAt, is in core_callbacks.h.
//
// Addresses are trusted: an expression that hands these callbacks an
// address that does not designate storage of the right type gets what the
// address designates.
#ifndef QUORB_BUILTINS_POINTER_CALLBACKS_H
#define QUORB_BUILTINS_POINTER_CALLBACKS_H

namespace QuorbNameSpace {

class ExpressionPart;

// Assignment whose target is a pointer variable: the 8-byte address of
// argument 2 goes into argument 1's storage, which is also the result.
void SetVarPtr(ExpressionPart& part);

// The 8-byte result is the address of argument 1's value storage.
void AddressOf(ExpressionPart& part);

// Argument 1 carries the pointed-to type, argument 2 is the address and
// argument 3 the element count (a 32-bit Int, sign-extended): the result is
// the address moved by that many elements forward (AddPtr) or back
// (SubtractPtr).
void AddPtr(ExpressionPart& part);
void SubtractPtr(ExpressionPart& part);

}  // namespace QuorbNameSpace

#endif
