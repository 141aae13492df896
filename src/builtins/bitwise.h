// Bitwise built-ins. Bitwise_And and Bitwise_Or each serve a Bool row
// ("And", "Or") and an Int row ("&", "|"): they read each operand by the
// width of its own item's type and write by the result's, so a Bool cell is
// always one byte and an Int cell four. Bool operands count as 1 when true,
// whatever non-zero byte they hold, and a Bool result is always 0 or 1.
// Every other operand here is read as a 32-bit Int.
#ifndef QUORB_BUILTINS_BITWISE_H
#define QUORB_BUILTINS_BITWISE_H

namespace QuorbNameSpace {

class ExpressionPart;

// The complement of argument 1 as a 32-bit Int. Serves prefix "Not" and
// infix "~", whose second operand is evaluated but not read.
void Bitwise_Not(ExpressionPart& part);
void Bitwise_And(ExpressionPart& part);
void Bitwise_Or(ExpressionPart& part);
void Bitwise_Xor(ExpressionPart& part);
// Shifts by the count modulo 32 (a negative count too: -1 shifts by 31).
// Left keeps the low 32 bits; right fills with the sign bit.
void Bitwise_Shl(ExpressionPart& part);
void Bitwise_Shr(ExpressionPart& part);

}  // namespace QuorbNameSpace

#endif
