// Copying a value into storage of a possibly different type, for the
// built-ins that move values between items whose types are only known at
// run time: the conditional, Arg, and the result of a function body.
#ifndef QUORB_BUILTINS_VALUE_COPY_H
#define QUORB_BUILTINS_VALUE_COPY_H

namespace QuorbNameSpace {

class ExpressionPart;
class QuorbDataType;
class QuorbItem;

// Writes `source`, a value of `from`'s type, into `dest` as `to`'s type: a
// plain copy when the two types are one, else the conversion the core
// performs. A pair that does not convert (text that is not a number, a
// String into a number, ...) never copies bytes of one type into storage of
// another: `dest` is reset, error 7 is raised on the instance of `part`
// (unless the conversion raised it already) and false is returned. A null
// source, destination or type copies nothing and returns false quietly.
bool CopyValueAs(ExpressionPart& part, const QuorbItem* from, const void* source, const QuorbItem* to,
                 void* dest);

// The same with the source given by its type alone (its defining item
// stands for it).
bool CopyTypedValueAs(ExpressionPart& part, QuorbDataType* from, const void* source, const QuorbItem* to,
                      void* dest);

}  // namespace QuorbNameSpace

#endif
