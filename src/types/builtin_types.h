// Numbers of the built-in data types. Each number selects one storage class
// (value_classes.h); several names may share a number ("Float" and "Single").
#ifndef QUORB_TYPES_BUILTIN_TYPES_H
#define QUORB_TYPES_BUILTIN_TYPES_H

#include <cstdint>

enum BuiltInTypesEnum : int32_t {
  TypeBoolean = 2,
  TypeInt8 = 3,
  TypeInt8u = 4,
  TypeInt16 = 5,
  TypeInt16u = 6,
  TypeInt32 = 7,
  TypeInt32u = 8,
  TypeInt64 = 9,
  TypeInt64u = 10,
  TypeSingle = 13,
  TypeDouble = 14,
  TypeSizeT = 16,
  TypeComplex = 17,
  TypeString = 21,
  TypeVoid = 29,
  TypeAny = 30,
  TypePointer = 31,
  TypeOmni = 32,
};

#endif
