// The process-wide registry of built-in type prototypes, and the words that
// name the storage classes in "DataType:" definitions. Prototypes are made
// once, by the first instance, and live for the whole process; code that
// knows only a type number reaches its class through them.
#ifndef QUORB_TYPES_TYPE_REGISTRY_H
#define QUORB_TYPES_TYPE_REGISTRY_H

#include <array>
#include <cstdint>
#include <string>

#include "types/builtin_types.h"

namespace QuorbNameSpace {

class QuorbDataType;

inline constexpr int32_t BuiltInTypeCount = 128;

// Slot n holds the prototype of number n, or null. A plain array: it is
// never destroyed, so the prototypes stay reachable until the process ends.
extern std::array<QuorbDataType*, BuiltInTypeCount> BuiltInTypes;

// Stores `type` in slot `number` and numbers it.
void SetBuiltInType(QuorbDataType* type, int32_t number);

// Makes the 18 prototypes. Called once per process.
void SetBuiltInTypes();

// A new object of the class the (already folded) type word names, numbered;
// null when the word names no class. The caller owns it.
QuorbDataType* NewDataTypeForWord(const std::string& word);

// A new object of the class of type number `number`, numbered; null for a
// number no class word gives. The caller owns it.
QuorbDataType* NewDataTypeOfNumber(int32_t number);

// The prototype of `number`, or null outside the table or for an unused number.
QuorbDataType* PrototypeOf(int32_t number);

}  // namespace QuorbNameSpace

#endif
