// How built-in callbacks read their arguments and write their results: tiny
// inline accessors over an ExpressionPart's items (parsed_expr.h), shared by
// every built-in file (numeric, complex, strings, language).
//
// Indices are 0-based, as in ExpressionPart::Args: argument k of a call is
// Args[k], so the first parameter of a definition is ArgDouble(part, 0).
//
// Each accessor reads or writes the item's value storage as the width its
// name says (Double 8 bytes, Int 4, Int64 8, Bool and Int8u 1, Size_t 8,
// Complex two doubles, String a std::string object). The parser gives every
// argument and result the storage of the declared parameter or result type,
// so a callback uses the accessor of the type its definition text declares
// and nothing here checks types. They never allocate and never throw.
#ifndef QUORB_BUILTINS_CALLBACK_ARGS_H
#define QUORB_BUILTINS_CALLBACK_ARGS_H

#include <complex>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/parsed_expr.h"
#include "engine/quorb_item.h"
#include "types/builtin_types.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

class Quorb;

// The storage of argument k as a T: for writing back through a ByRef or
// pointer argument, or reading a large value (a string) without a copy.
template <typename T>
inline T& ArgRef(const ExpressionPart& part, size_t k) {
  return *static_cast<T*>(part.Args[k]->ValuePtr);
}

// The result storage as a T.
template <typename T>
inline T& ResultRef(const ExpressionPart& part) {
  return *static_cast<T*>(part.Result->ValuePtr);
}

// Argument k read by value, as the width of its declared type.
inline double ArgDouble(const ExpressionPart& part, size_t k) { return ArgRef<double>(part, k); }
inline int32_t ArgInt(const ExpressionPart& part, size_t k) { return ArgRef<int32_t>(part, k); }
inline int64_t ArgInt64(const ExpressionPart& part, size_t k) { return ArgRef<int64_t>(part, k); }
inline uint64_t ArgInt64u(const ExpressionPart& part, size_t k) { return ArgRef<uint64_t>(part, k); }
inline size_t ArgSize(const ExpressionPart& part, size_t k) { return ArgRef<size_t>(part, k); }
inline uint8_t ArgInt8u(const ExpressionPart& part, size_t k) { return ArgRef<uint8_t>(part, k); }
// A Bool cell is one byte: 0 is false, anything else true.
inline bool ArgBool(const ExpressionPart& part, size_t k) { return ArgRef<uint8_t>(part, k) != 0; }
inline std::complex<double> ArgComplex(const ExpressionPart& part, size_t k) {
  return ArgRef<std::complex<double>>(part, k);
}
// A String argument by reference: no copy is made.
inline std::string& ArgStr(const ExpressionPart& part, size_t k) { return ArgRef<std::string>(part, k); }
// The 8-byte address a Pointer argument holds (copied out: the cell is an
// integer, not a pointer object).
inline void* ArgAddress(const ExpressionPart& part, size_t k) {
  uintptr_t address;
  std::memcpy(&address, part.Args[k]->ValuePtr, sizeof address);
  return reinterpret_cast<void*>(address);
}

// The storage that a pointer argument ("x As Int Ptr") designates, as a T:
// when the argument item is an address (a pointer parameter, or a value of
// the Pointer type) it is the address its cell holds, so that writing
// through it changes the variable the caller pointed at, not the pointer;
// otherwise, when argument matching bound the pointed-to storage itself,
// it is the item's own storage. Null when there is no storage or the
// address is 0: callbacks then skip the write.
template <typename T>
inline T* ArgPointee(const ExpressionPart& part, size_t k) {
  const QuorbItem* item = part.Args[k];
  if (item->ValuePtr == nullptr) return nullptr;
  const bool holdsAddress =
      item->Has(IsPointer) || (item->DataType != nullptr && item->DataType->Index == TypePointer);
  return static_cast<T*>(holdsAddress ? ArgAddress(part, k) : item->ValuePtr);
}

// The result storage, for assignment: ResultDouble(part) = value.
inline double& ResultDouble(const ExpressionPart& part) { return ResultRef<double>(part); }
inline int32_t& ResultInt(const ExpressionPart& part) { return ResultRef<int32_t>(part); }
inline int64_t& ResultInt64(const ExpressionPart& part) { return ResultRef<int64_t>(part); }
inline uint64_t& ResultInt64u(const ExpressionPart& part) { return ResultRef<uint64_t>(part); }
inline size_t& ResultSize(const ExpressionPart& part) { return ResultRef<size_t>(part); }
inline std::complex<double>& ResultComplex(const ExpressionPart& part) {
  return ResultRef<std::complex<double>>(part);
}
inline std::string& ResultStr(const ExpressionPart& part) { return ResultRef<std::string>(part); }
// Writes a one-byte Bool, always 0 or 1.
inline void SetResultBool(const ExpressionPart& part, bool value) {
  ResultRef<uint8_t>(part) = value ? 1 : 0;
}

// A 32-bit pattern as a signed Int, two's complement, with no
// implementation-defined narrowing: integer built-ins compute in unsigned
// arithmetic, which wraps without undefined behaviour, and convert back here.
inline int32_t AsInt32(uint32_t bits) {
  return bits <= static_cast<uint32_t>(INT32_MAX) ? static_cast<int32_t>(bits)
                                                  : static_cast<int32_t>(bits - 0x80000000u) + INT32_MIN;
}

// The instance that owns the running definition; null for a part that no
// instance made (as in hand-built test chains).
inline Quorb* OwnerOf(const ExpressionPart& part) {
  return part.OpItem != nullptr ? part.OpItem->Owner : nullptr;
}

}  // namespace QuorbNameSpace

#endif
