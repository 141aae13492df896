// Exports: reading and writing an item's value. The item's type decides how
// a host's width is read or stored (typed_value.h).
#include "api/boundary.h"
#include "api/typed_value.h"
#include "api/value_registry.h"

using namespace QuorbApi;
using EngineItem = QuorbNameSpace::QuorbItem;

namespace {

Quorb* OwnerOf(QuorbItem* item) { return item != nullptr ? Engine(item)->Owner : nullptr; }

template <typename T>
T ReadItem(QuorbItem* item) {
  Quorb* owner = OwnerOf(item);
  return Guarded<T>(owner, ErrTypeMismatch, T{}, [&] { return ReadAs<T>(Engine(item), owner); });
}

template <typename T>
void WriteItem(QuorbItem* item, T value) {
  Quorb* owner = OwnerOf(item);
  GuardedVoid(owner, ErrTypeMismatch, [&] { WriteAs<T>(Engine(item), value, owner); });
}

}  // namespace

extern "C" {

QUORB_API double Value(QuorbItem* item) { return ReadItem<double>(item); }
QUORB_API double ValueDbl(QuorbItem* item) { return ReadItem<double>(item); }
QUORB_API float ValueSng(QuorbItem* item) { return ReadItem<float>(item); }
QUORB_API uint8_t ValueByte(QuorbItem* item) { return ReadItem<uint8_t>(item); }
QUORB_API int16_t ValueInt16(QuorbItem* item) { return ReadItem<int16_t>(item); }
QUORB_API int32_t ValueInt32(QuorbItem* item) { return ReadItem<int32_t>(item); }
QUORB_API int64_t ValueInt64(QuorbItem* item) { return ReadItem<int64_t>(item); }
QUORB_API void* ValuePtr(QuorbItem* item) { return ReadItem<void*>(item); }

QUORB_API void* ValueAddr(QuorbItem* item) { return item != nullptr ? Engine(item)->ValuePtr : nullptr; }

QUORB_API const char* ValueStr(QuorbItem* item) {
  static std::string text;
  Quorb* owner = OwnerOf(item);
  return Guarded<const char*>(owner, ErrTypeMismatch, "", [&] { return TextOut(text, ReadText(Engine(item), owner)); });
}

QUORB_API void SetVariableValue(QuorbItem* item, double value) { WriteItem<double>(item, value); }
QUORB_API void SetVariableValueDbl(QuorbItem* item, double value) { WriteItem<double>(item, value); }
QUORB_API void SetVariableValueSng(QuorbItem* item, float value) { WriteItem<float>(item, value); }
QUORB_API void SetVariableValueByte(QuorbItem* item, uint8_t value) { WriteItem<uint8_t>(item, value); }
QUORB_API void SetVariableValueInt16(QuorbItem* item, int16_t value) { WriteItem<int16_t>(item, value); }
QUORB_API void SetVariableValueInt32(QuorbItem* item, int32_t value) { WriteItem<int32_t>(item, value); }
QUORB_API void SetVariableValueInt64(QuorbItem* item, int64_t value) { WriteItem<int64_t>(item, value); }
QUORB_API void SetVariableValuePtr(QuorbItem* item, void* value) { WriteItem<void*>(item, value); }

QUORB_API void SetVariableValueByPtr(QuorbItem* item, const void* value) {
  EngineItem* target = Engine(item);
  if (value == nullptr || !HoldsValue(target)) return;
  // Arrays and pointer items hold an address, not a value of their type;
  // a text object is read only from one the data-type exports made.
  if (target->Has(QuorbNameSpace::IsArray) || target->Has(QuorbNameSpace::IsPointer) ||
      IsUnknownObjectValue(target->DataType, value) || IsForeignValue(target->DataType, value)) {
    if (target->Owner != nullptr) target->Owner->SetErrorIfNone(ErrTypeMismatch);
    return;
  }
  GuardedVoid(target->Owner, ErrTypeMismatch, [&] { target->DataType->SetValue(target->ValuePtr, value); });
}

QUORB_API void SetVariableValueStr(QuorbItem* item, const char* text) {
  Quorb* owner = OwnerOf(item);
  GuardedVoid(owner, ErrTypeMismatch, [&] { WriteText(Engine(item), TextIn(text), owner); });
}

QUORB_API void SetVariableValueAny(QuorbItem* item, const char* text) {
  EngineItem* target = Engine(item);
  if (target == nullptr || target->Owner == nullptr) return;
  Quorb* owner = target->Owner;
  // Each call reports its own failure: one left by an earlier call would
  // otherwise stand in for it.
  owner->Error.Number = 0;
  // Definitions are not values: parsing a value into one would re-type it.
  const uint64_t definitions = QuorbNameSpace::PropertyBit(QuorbNameSpace::IsFunction) |
                               QuorbNameSpace::PropertyBit(QuorbNameSpace::IsOperator);
  if ((target->Properties & definitions) != 0) {
    owner->SetErrorIfNone(ErrTypeMismatch);
    return;
  }
  GuardedVoid(owner, ErrTypeMismatch, [&] { owner->SetVariableValueAny_(target, TextIn(text)); });
}

}  // extern "C"
