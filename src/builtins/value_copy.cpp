// Copying values across types for the language built-ins.
#include "builtins/value_copy.h"

#include "builtins/callback_args.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "types/convert.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

bool CopyValueAs(ExpressionPart& part, const QuorbItem* from, const void* source, const QuorbItem* to,
                 void* dest) {
  if (from == nullptr || to == nullptr || source == nullptr || dest == nullptr) return false;
  QuorbDataType* target = to->DataType;
  if (target == nullptr || from->DataType == nullptr) return false;
  if (from->DataType == target) {
    if (dest != source) target->SetValue(dest, source);
    return true;
  }
  if (Convert(from, to, source, dest)) return true;
  target->Reset(dest);
  if (Quorb* instance = OwnerOf(part)) {
    if (instance->Error.Number != ErrTypeMismatch) instance->ErrorRaise(&part, ErrTypeMismatch);
  }
  return false;
}

bool CopyTypedValueAs(ExpressionPart& part, QuorbDataType* from, const void* source, const QuorbItem* to,
                      void* dest) {
  if (from == nullptr) return false;
  if (to != nullptr && from == to->DataType) {
    if (source == nullptr || dest == nullptr) return false;
    if (dest != source) from->SetValue(dest, source);
    return true;
  }
  return CopyValueAs(part, from->Item, source, to, dest);
}

}  // namespace QuorbNameSpace
