// Assignment and pointer dereference.
#include "builtins/core_callbacks.h"

#include <cstring>

#include "engine/parsed_expr.h"
#include "types/convert.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

void SetVar(ExpressionPart& part) {
  QuorbItem* target = part.Args[0];
  target->DataType->SetValue(target->ValuePtr, part.Args[1]->ValuePtr);
}

void ConvertPartFunc(ExpressionPart& part) {
  Convert(part.Args[0], part.Args[1], part.Args[2]->ValuePtr, part.Result->ValuePtr);
}

void ValueAt(ExpressionPart& part) {
  uint64_t address;
  std::memcpy(&address, part.Args[1]->ValuePtr, sizeof address);
  int32_t index;
  std::memcpy(&index, part.Args[2]->ValuePtr, sizeof index);
  // Unsigned arithmetic: a negative index wraps as the address would.
  uint64_t size = part.Result->DataType->SizeOf();
  uint64_t element = address + static_cast<uint64_t>(static_cast<int64_t>(index)) * size;
  part.Result->ValuePtr = reinterpret_cast<void*>(static_cast<uintptr_t>(element));
}

}  // namespace QuorbNameSpace
