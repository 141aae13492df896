// Taking addresses, pointer arithmetic and assignment to pointer variables.
// Addresses are as wide as the build's pointers (8 bytes, 4 on 32-bit
// targets); they are copied with memcpy so that no storage is read through
// a type it was not made with.
#include "builtins/pointer_callbacks.h"

#include <cstdint>
#include <cstring>

#include "engine/parsed_expr.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

static uintptr_t LoadAddress(const QuorbItem* item) {
  uintptr_t address = 0;
  if (item->ValuePtr != nullptr) std::memcpy(&address, item->ValuePtr, sizeof address);
  return address;
}

static void StoreAddress(QuorbItem* item, uintptr_t address) {
  if (item->ValuePtr != nullptr) std::memcpy(item->ValuePtr, &address, sizeof address);
}

void SetVarPtr(ExpressionPart& part) {
  const uintptr_t address = LoadAddress(part.Args[1]);
  StoreAddress(part.Args[0], address);
  if (part.Result != part.Args[0]) StoreAddress(part.Result, address);
}

// An array's storage is a cell holding the address of its elements: the
// address of the array is that of its elements, not of the cell, so that
// indexing through it reaches the elements.
void AddressOf(ExpressionPart& part) {
  const QuorbItem* target = part.Args[0];
  const uintptr_t address =
      target->Has(IsArray) ? LoadAddress(target) : reinterpret_cast<uintptr_t>(target->ValuePtr);
  StoreAddress(part.Result, address);
}

// The address in argument 2 moved by `direction` times argument 3 elements
// of the type argument 1 carries. Unsigned arithmetic: a negative count
// wraps as the address does.
static void MovePointer(ExpressionPart& part, int64_t direction) {
  QuorbDataType* element = part.Args[0]->DataType;
  const uintptr_t size = element != nullptr ? element->SizeOf() : 0;
  int32_t count = 0;
  if (part.Args[2]->ValuePtr != nullptr) std::memcpy(&count, part.Args[2]->ValuePtr, sizeof count);
  const uintptr_t step = static_cast<uintptr_t>(static_cast<int64_t>(count) * direction) * size;
  StoreAddress(part.Result, LoadAddress(part.Args[1]) + step);
}

void AddPtr(ExpressionPart& part) { MovePointer(part, 1); }
void SubtractPtr(ExpressionPart& part) { MovePointer(part, -1); }

}  // namespace QuorbNameSpace
