// Assignment and pointer dereference.
#include "builtins/core_callbacks.h"

#include <cstddef>
#include <cstring>
#include <string>

#include "engine/parsed_expr.h"
#include "types/convert.h"
#include "engine/quorb.h"
#include "types/data_type.h"
#include "types/value_classes.h"

namespace QuorbNameSpace {

void SetVar(ExpressionPart& part) {
  QuorbItem* target = part.Args[0];
  target->DataType->SetValue(target->ValuePtr, part.Args[1]->ValuePtr);
}

// The result item describes the target: it has the target type's width,
// also after a consumer that takes AnyType gave it its own type (Args[1]
// would still say AnyType and write past the new storage).
void ConvertPartFunc(ExpressionPart& part) {
  Convert(part.Args[0], part.Result, part.Args[2]->ValuePtr, part.Result->ValuePtr);
}

// A named AnyType variable handed to a parameter of a fixed-width type:
// its slot's leading bytes are the value, read afresh at every run (the
// slot may be the host's memory). The argument keeps its own type.
void ReadAnyAsPartFunc(ExpressionPart& part) {
  std::memcpy(part.Result->ValuePtr, part.Args[2]->ValuePtr, part.Result->DataType->SizeOf());
}

// Addresses in the first page never designate storage: a null or small
// integer used as a pointer. A read from such a base, at any index, or that
// lands in that page, reads and writes a stand-in value instead and raises
// error 19, rather than touching the address; so does an index past the
// end of an array read through its name.
static const uintptr_t FirstValidAddress = 4096;

static void* StandInFor(QuorbDataType* type) {
  alignas(std::max_align_t) static unsigned char zeros[64] = {};
  static std::string* text = new std::string();
  if (dynamic_cast<dt_String*>(type) != nullptr) {
    text->clear();
    return text;
  }
  std::memset(zeros, 0, sizeof zeros);
  return type->SizeOf() <= sizeof zeros ? zeros : nullptr;
}

void ValueAt(ExpressionPart& part) {
  uintptr_t address;  // as wide as the pointer's own storage
  std::memcpy(&address, part.Args[1]->ValuePtr, sizeof address);
  int32_t index;
  std::memcpy(&index, part.Args[2]->ValuePtr, sizeof index);
  // Unsigned arithmetic: a negative index wraps as the address would.
  const uintptr_t size = part.Result->DataType->SizeOf();
  const uintptr_t offset = static_cast<uintptr_t>(static_cast<intptr_t>(index));
  const uintptr_t element = address + offset * size;
  // An array's own name knows its length: an index outside it (negative
  // ones wrap to large) reads no neighbouring memory.
  const QuorbItem* pointer = part.Args[1];
  const bool outside = pointer->Has(IsArray) && offset >= pointer->ElementCount;
  if (address < FirstValidAddress || element < FirstValidAddress || outside) {
    part.Result->ValuePtr = StandInFor(part.Result->DataType);
    if (part.OpItem != nullptr && part.OpItem->Owner != nullptr) part.OpItem->Owner->ErrorRaise(&part, ErrBoundExceeded);
    return;
  }
  part.Result->ValuePtr = reinterpret_cast<void*>(element);
}

}  // namespace QuorbNameSpace
