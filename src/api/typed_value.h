// Reading and writing an item's value as one of the host's fixed widths.
// The value, set-value, argument and result exports all go through here, so
// that a host's width never touches storage of another size: the item's
// type decides. The same type copies; two numeric types convert as the
// language's implicit conversions do; texts go only to and from String
// storage; anything else is a type mismatch (error 7 unless one is pending)
// that reads as zero and writes nothing.
#ifndef QUORB_API_TYPED_VALUE_H
#define QUORB_API_TYPED_VALUE_H

#include <cstdint>
#include <string>

#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "types/builtin_types.h"

namespace QuorbApi {

// A host variable: the built-in number of its type and its bytes.
struct HostValue {
  int32_t type;
  void* bytes;
};

// Whether `item` holds a value a host may read: not null, not the
// not-found item, not a function, operator or type (an array is a value),
// with a type and storage.
bool HoldsValue(const QuorbNameSpace::QuorbItem* item);

// Copies the item's value into `host`. False, leaving `host` untouched, when
// the item holds no value, or (with error 7 on `instance`) when the types
// do not fit.
bool ReadValue(const QuorbNameSpace::QuorbItem* item, HostValue host, QuorbNameSpace::Quorb* instance);
// Copies `host` into the item's storage; false as ReadValue, writing nothing.
bool WriteValue(QuorbNameSpace::QuorbItem* item, HostValue host, QuorbNameSpace::Quorb* instance);

// The value as plain text; "" when the item holds no value, and for arrays
// and pointer items (error 7).
std::string ReadText(const QuorbNameSpace::QuorbItem* item, QuorbNameSpace::Quorb* instance);
// Assigns `text` to a String item; other items: error 7, nothing written.
void WriteText(QuorbNameSpace::QuorbItem* item, const std::string& text, QuorbNameSpace::Quorb* instance);

template <typename T>
struct HostType;
template <> struct HostType<double> { static constexpr int32_t number = TypeDouble; };
template <> struct HostType<float> { static constexpr int32_t number = TypeSingle; };
template <> struct HostType<uint8_t> { static constexpr int32_t number = TypeInt8u; };
template <> struct HostType<int16_t> { static constexpr int32_t number = TypeInt16; };
template <> struct HostType<int32_t> { static constexpr int32_t number = TypeInt32; };
template <> struct HostType<int64_t> { static constexpr int32_t number = TypeInt64; };
template <> struct HostType<void*> { static constexpr int32_t number = TypePointer; };

// The item's value as a T; T{} when it cannot be read.
template <typename T>
T ReadAs(const QuorbNameSpace::QuorbItem* item, QuorbNameSpace::Quorb* instance) {
  T value{};
  if (!ReadValue(item, HostValue{HostType<T>::number, &value}, instance)) return T{};
  return value;
}

template <typename T>
void WriteAs(QuorbNameSpace::QuorbItem* item, T value, QuorbNameSpace::Quorb* instance) {
  WriteValue(item, HostValue{HostType<T>::number, &value}, instance);
}

}  // namespace QuorbApi

#endif
