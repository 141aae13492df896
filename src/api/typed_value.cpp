// Fixed-width and text access to item values (typed_value.h).
#include "api/typed_value.h"

#include <cstring>

#include "engine/item_properties.h"
#include "types/convert.h"
#include "types/data_type.h"
#include "types/type_registry.h"

namespace QuorbApi {

using QuorbNameSpace::QuorbItem;

namespace {

constexpr uint64_t Bit(int n) { return 1ULL << n; }

// Types whose values convert among themselves without text: the
// conversion table decides which pairs actually do. An address is not
// among them: it is copied only whole, from and to a pointer width.
constexpr uint64_t NumericTypes = Bit(TypeBoolean) | Bit(TypeInt8) | Bit(TypeInt8u) | Bit(TypeInt16) |
                                  Bit(TypeInt16u) | Bit(TypeInt32) | Bit(TypeInt32u) | Bit(TypeInt64) |
                                  Bit(TypeInt64u) | Bit(TypeSingle) | Bit(TypeDouble) | Bit(TypeSizeT);

bool IsNumeric(int32_t type) { return type >= 0 && type < 64 && (NumericTypes & Bit(type)) != 0; }
bool IsText(int32_t type) { return type == TypeString || type == TypeOmni; }

size_t HostSize(int32_t type) {
  switch (type) {
    case TypeDouble: return sizeof(double);
    case TypeSingle: return sizeof(float);
    case TypeInt8u: return sizeof(uint8_t);
    case TypeInt16: return sizeof(int16_t);
    case TypeInt32: return sizeof(int32_t);
    case TypeInt64: return sizeof(int64_t);
    default: return sizeof(void*);
  }
}

// Arrays and "Ptr" items keep an address in their storage, whatever the
// type they point to.
bool HoldsAddress(const QuorbItem* item) {
  return item->Has(QuorbNameSpace::IsArray) || item->Has(QuorbNameSpace::IsPointer);
}

// The type number the item's storage is laid out as. AnyType and Void
// storage is one address, as a Pointer's is.
int32_t StorageType(const QuorbItem* item) {
  if (HoldsAddress(item)) return TypePointer;
  const int32_t type = item->DataType->Index;
  return type == TypeAny || type == TypeVoid ? TypePointer : type;
}

bool Mismatch(QuorbNameSpace::Quorb* instance) {
  if (instance != nullptr) instance->SetErrorIfNone(ErrTypeMismatch);
  return false;
}

// Whether the item's value and the host's width convert into each other:
// both numeric, and the item does not hold an address.
bool Convertible(const QuorbItem* item, int32_t host) {
  return !HoldsAddress(item) && IsNumeric(item->DataType->Index) && IsNumeric(host);
}

// A stand-in item carrying the host's type, for the conversion routine.
struct HostItem {
  explicit HostItem(int32_t type) { item.DataType = QuorbNameSpace::PrototypeOf(type); }
  QuorbItem item;
};

}  // namespace

bool HoldsValue(const QuorbItem* item) {
  if (item == nullptr || item->DataType == nullptr || item->ValuePtr == nullptr) return false;
  if (item->Has(QuorbNameSpace::IsNotFound)) return false;
  // An array is called to be indexed, but it is a value all the same.
  if (item->Has(QuorbNameSpace::IsArray)) return true;
  return !item->Has(QuorbNameSpace::IsFunction) && !item->Has(QuorbNameSpace::IsOperator);
}

bool ReadValue(const QuorbItem* item, HostValue host, QuorbNameSpace::Quorb* instance) {
  if (!HoldsValue(item)) return false;
  const int32_t stored = StorageType(item);
  if (stored == host.type) {
    std::memcpy(host.bytes, item->ValuePtr, HostSize(host.type));
    return true;
  }
  if (!Convertible(item, host.type)) return Mismatch(instance);
  HostItem target(host.type);
  if (!QuorbNameSpace::Convert(item, &target.item, item->ValuePtr, host.bytes)) return Mismatch(instance);
  return true;
}

bool WriteValue(QuorbItem* item, HostValue host, QuorbNameSpace::Quorb* instance) {
  if (!HoldsValue(item)) return false;
  // A Void slot is written only by the allocations of its own type.
  if (item->DataType->Index == TypeVoid) return Mismatch(instance);
  const int32_t stored = StorageType(item);
  if (stored == host.type) {
    std::memcpy(item->ValuePtr, host.bytes, HostSize(host.type));
    return true;
  }
  if (!Convertible(item, host.type)) return Mismatch(instance);
  HostItem source(host.type);
  if (!QuorbNameSpace::Convert(&source.item, item, host.bytes, item->ValuePtr)) return Mismatch(instance);
  return true;
}

std::string ReadText(const QuorbItem* item, QuorbNameSpace::Quorb* instance) {
  if (!HoldsValue(item)) return std::string();
  if (HoldsAddress(item)) {
    Mismatch(instance);
    return std::string();
  }
  return item->DataType->ToString(item->ValuePtr);
}

void WriteText(QuorbItem* item, const std::string& text, QuorbNameSpace::Quorb* instance) {
  if (!HoldsValue(item)) return;
  if (HoldsAddress(item) || !IsText(item->DataType->Index)) {
    Mismatch(instance);
    return;
  }
  *static_cast<std::string*>(item->ValuePtr) = text;
}

}  // namespace QuorbApi
