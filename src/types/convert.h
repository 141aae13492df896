// Value conversion between data types: the body of every implicit
// conversion step the parser inserts. Which pairs the parser may convert
// implicitly is the instance's conversion table; Convert only performs a
// conversion once asked, and handles exactly the pairs listed in convert.cpp.
#ifndef QUORB_TYPES_CONVERT_H
#define QUORB_TYPES_CONVERT_H

namespace QuorbNameSpace {

class QuorbItem;

// Writes the value at `sourceValue`, read as the source item's data type,
// into `targetValue` as the target item's data type. False, with the target
// untouched, for a pair it does not handle or text that is not a number of
// the target ("abc", "1e-310" as a Double). Reports nothing: for the
// definitions and the parser, which report a failure their own way.
bool ConvertValue(const QuorbItem* source, const QuorbItem* target, const void* sourceValue, void* targetValue);

// ConvertValue at evaluation time (conversion steps, parameter binding, the
// conditional): a failure resets the target to its type's empty value and
// raises error 7 on the instance of the target (or else the source),
// running its handlers. False on failure.
bool Convert(const QuorbItem* source, const QuorbItem* target, const void* sourceValue, void* targetValue);

}  // namespace QuorbNameSpace

#endif
