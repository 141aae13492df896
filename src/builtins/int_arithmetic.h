// 32-bit integer built-ins: the Int forms of + - * / % and the six
// comparisons. Arithmetic wraps modulo 2^32 and never traps.
//
// Division and remainder by 0 write 0 and raise error 20 ("Division by 0")
// on the instance, whose handlers run at once; the evaluation goes on. The
// one quotient that does not fit, -2147483648 / -1, wraps to -2147483648,
// and -2147483648 % -1 is 0.
#ifndef QUORB_BUILTINS_INT_ARITHMETIC_H
#define QUORB_BUILTINS_INT_ARITHMETIC_H

namespace QuorbNameSpace {

class ExpressionPart;

void Add_Int(ExpressionPart& part);
void Subtract_Int(ExpressionPart& part);
void Multiply_Int(ExpressionPart& part);  // the low 32 bits of the product
void Divide_Int(ExpressionPart& part);    // quotient truncated toward zero
void Modulo_Int(ExpressionPart& part);    // remainder with the sign of x

// Signed comparisons writing a Bool.
void Equal_Int(ExpressionPart& part);
void NotEqual_Int(ExpressionPart& part);
void LessThan_Int(ExpressionPart& part);
void GreaterThan_Int(ExpressionPart& part);
void LessThanOrEqual_Int(ExpressionPart& part);
void GreaterThanOrEqual_Int(ExpressionPart& part);

}  // namespace QuorbNameSpace

#endif
