// The conversion table. Integers convert by the native rule (sign- or
// zero-extended to 64 bits by the source's signedness, the target keeping
// its low bits); floats go through a fixed integer intermediate per target,
// saturating so that NaN or out-of-range values are never undefined.
#include "types/convert.h"

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "engine/errors.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "types/builtin_types.h"
#include "types/data_type.h"
#include "types/type_registry.h"

namespace QuorbNameSpace {
namespace {

constexpr uint64_t Bits(std::initializer_list<int> numbers) {
  uint64_t mask = 0;
  for (int n : numbers) mask |= 1ULL << n;
  return mask;
}

constexpr uint64_t Integers = Bits({TypeInt8, TypeInt8u, TypeInt16, TypeInt16u, TypeInt32, TypeInt32u, TypeInt64, TypeInt64u});
constexpr uint64_t Floats = Bits({TypeSingle, TypeDouble});
constexpr uint64_t BoolBit = Bits({TypeBoolean});
constexpr uint64_t SizeBit = Bits({TypeSizeT});
constexpr uint64_t PointerBit = Bits({TypePointer});

// The sources each target accepts. The table is irregular on purpose.
uint64_t SourcesFor(int32_t target) {
  switch (target) {
    case TypeBoolean: return Integers | Floats | SizeBit;
    case TypeInt8:
    case TypeInt8u:
    case TypeInt16:
    case TypeInt16u: return BoolBit | Integers | Floats | SizeBit;
    case TypeInt32:
    case TypeInt32u:
    case TypeInt64:
    case TypeInt64u:
    case TypeSizeT: return BoolBit | Integers | Floats | SizeBit | PointerBit;
    case TypeAny: return BoolBit | Integers | Floats | SizeBit;
    case TypePointer: return Bits({TypeInt32, TypeInt32u, TypeInt64, TypeInt64u, TypeDouble});
    case TypeSingle: return BoolBit | Integers | Bits({TypeDouble}) | SizeBit;
    case TypeDouble: return BoolBit | Integers | Bits({TypeSingle}) | SizeBit | PointerBit;
    // Bool is declared convertible to Complex by the built-in definitions.
    case TypeComplex: return BoolBit | Integers | Floats | SizeBit;
    default: return 0;
  }
}

bool Handles(int32_t target, int32_t source) {
  return source >= 0 && source < 64 && ((SourcesFor(target) >> source) & 1) != 0;
}

// A source value read as a number: integers as their 64-bit pattern
// (sign-extended when signed), floats as a double.
struct Number {
  bool isFloat = false;
  bool isSigned = false;
  uint64_t bits = 0;
  double real = 0.0;

  double AsDouble() const {
    if (isFloat) return real;
    return isSigned ? static_cast<double>(static_cast<int64_t>(bits)) : static_cast<double>(bits);
  }
  float AsFloat() const {
    if (isSigned && !isFloat) return static_cast<float>(static_cast<int64_t>(bits));
    if (!isFloat) return static_cast<float>(bits);
    // Beyond float's range the nearest value is an infinity.
    if (std::isfinite(real) && std::fabs(real) > std::numeric_limits<float>::max())
      return real > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    return static_cast<float>(real);
  }
};

template <typename T>
T Load(const void* value) {
  T result;
  std::memcpy(&result, value, sizeof result);
  return result;
}

template <typename T>
void Store(void* target, T value) {
  std::memcpy(target, &value, sizeof value);
}

Number Signed(int64_t value) { return Number{false, true, static_cast<uint64_t>(value), 0.0}; }
Number Unsigned(uint64_t value) { return Number{false, false, value, 0.0}; }

// The numeric value of true: the Int8 held by the first sub-item of the
// Bool type's defining item; 1 when the type has no such item.
int64_t TrueValue(const QuorbItem* source) {
  const QuorbDataType* type = source->DataType;
  if (type == nullptr || type->Item == nullptr || type->Item->SubItems.empty()) return 1;
  const QuorbItem* value = type->Item->SubItems[0];
  return value->ValuePtr != nullptr ? Load<int8_t>(value->ValuePtr) : 1;
}

Number Read(const QuorbItem* source, int32_t type, const void* value) {
  switch (type) {
    case TypeBoolean: return Signed(Load<uint8_t>(value) != 0 ? TrueValue(source) : 0);
    case TypeInt8: return Signed(Load<int8_t>(value));
    case TypeInt8u: return Unsigned(Load<uint8_t>(value));
    case TypeInt16: return Signed(Load<int16_t>(value));
    case TypeInt16u: return Unsigned(Load<uint16_t>(value));
    case TypeInt32: return Signed(Load<int32_t>(value));
    case TypeInt32u: return Unsigned(Load<uint32_t>(value));
    case TypeInt64: return Signed(Load<int64_t>(value));
    case TypeInt64u: return Unsigned(Load<uint64_t>(value));
    // As wide as an address on the build: 4 bytes on 32-bit targets.
    case TypeSizeT: return Unsigned(Load<size_t>(value));
    case TypePointer: return Unsigned(Load<uintptr_t>(value));
    case TypeSingle: return Number{true, true, 0, Load<float>(value)};
    default: return Number{true, true, 0, Load<double>(value)};
  }
}

// Truncation toward zero into a signed intermediate: NaN gives 0, values
// beyond the range saturate.
template <typename Int>
Int TruncateSaturating(double value) {
  if (std::isnan(value)) return 0;
  constexpr double low = static_cast<double>(std::numeric_limits<Int>::min());
  constexpr double high = -low;  // 2^(bits-1): the first value out of range
  if (value <= low) return std::numeric_limits<Int>::min();
  if (value >= high) return std::numeric_limits<Int>::max();
  return static_cast<Int>(value);
}

// Truncation toward zero into 64 unsigned bits: values from 2^63 up to 2^64
// convert exactly; negative values give the two's complement of their
// truncation.
uint64_t TruncateUnsigned64(double value) {
  if (std::isnan(value)) return 0;
  constexpr double two63 = 9223372036854775808.0;
  if (value >= 2 * two63) return std::numeric_limits<uint64_t>::max();
  if (value >= two63) return static_cast<uint64_t>(value);
  return static_cast<uint64_t>(TruncateSaturating<int64_t>(value));
}

// The 64-bit integer pattern a number gives for an integer target.
uint64_t IntegerBits(const Number& number, int32_t target) {
  if (!number.isFloat) return number.bits;
  switch (target) {
    case TypeInt8:
    case TypeInt8u:
    case TypeInt16:
    case TypeInt16u:
    case TypeInt32: return static_cast<uint64_t>(static_cast<int64_t>(TruncateSaturating<int32_t>(number.real)));
    case TypeInt32u:
    case TypeInt64:
    case TypePointer: return static_cast<uint64_t>(TruncateSaturating<int64_t>(number.real));
    default: return TruncateUnsigned64(number.real);
  }
}

void WriteNumber(const Number& number, int32_t target, void* value) {
  switch (target) {
    case TypeBoolean: {
      bool nonZero = number.isFloat ? number.real != 0.0 || std::isnan(number.real) : number.bits != 0;
      Store<uint8_t>(value, nonZero ? 1 : 0);
      return;
    }
    case TypeSingle: Store<float>(value, number.AsFloat()); return;
    case TypeDouble: Store<double>(value, number.AsDouble()); return;
    case TypeComplex: Store(value, std::complex<double>(number.AsDouble(), 0.0)); return;
    default: break;
  }
  uint64_t bits = IntegerBits(number, target);
  switch (target) {
    case TypeInt8:
    case TypeInt8u: Store<uint8_t>(value, static_cast<uint8_t>(bits)); return;
    case TypeInt16:
    case TypeInt16u: Store<uint16_t>(value, static_cast<uint16_t>(bits)); return;
    case TypeInt32:
    case TypeInt32u: Store<uint32_t>(value, static_cast<uint32_t>(bits)); return;
    case TypeSizeT: Store<size_t>(value, static_cast<size_t>(bits)); return;
    case TypeAny:
    case TypePointer: Store<uintptr_t>(value, static_cast<uintptr_t>(bits)); return;
    default: Store<uint64_t>(value, bits); return;
  }
}

bool IsText(int32_t type) { return type == TypeString || type == TypeOmni; }

// The object that prints or parses values of `number` for `item`: the
// item's own type when it is of that number (so Bool uses its own words),
// else the registry prototype.
QuorbDataType* TypeFor(const QuorbItem* item, int32_t number) {
  if (item->DataType != nullptr && item->DataType->Index == number) return item->DataType;
  return PrototypeOf(number);
}

// The instance an item belongs to: its own owner, or that of its type's
// defining item (temporaries record no owner). Null when neither is known.
Quorb* InstanceOf(const QuorbItem* item) {
  if (item->Owner != nullptr) return item->Owner;
  if (item->DataType != nullptr && item->DataType->Item != nullptr) return item->DataType->Item->Owner;
  return nullptr;
}

}  // namespace

bool ConvertValue(const QuorbItem* source, const QuorbItem* target, const void* sourceValue, void* targetValue) {
  if (source->DataType == nullptr || target->DataType == nullptr) return false;
  if (sourceValue == nullptr || targetValue == nullptr) return false;
  int32_t s = source->DataType->Index;
  int32_t t = target->DataType->Index;
  if (IsText(t)) {
    QuorbDataType* printer = TypeFor(source, s);
    if (printer == nullptr) return false;
    *static_cast<std::string*>(targetValue) = printer->ToString(sourceValue);
    return true;
  }
  if (Handles(t, s)) {
    if (t == TypeDouble && s == TypePointer) {
      // The address's bytes, unchanged; a 4-byte address leaves the rest 0.
      unsigned char bytes[sizeof(double)] = {};
      std::memcpy(bytes, sourceValue, sizeof(uintptr_t));
      std::memcpy(targetValue, bytes, sizeof bytes);
      return true;
    }
    WriteNumber(Read(source, s, sourceValue), t, targetValue);
    return true;
  }
  if (IsText(s)) {
    QuorbDataType* parser = TypeFor(target, t);
    if (parser == nullptr) return false;
    void* parsed = parser->AllocScalarValue(*static_cast<const std::string*>(sourceValue));
    if (parsed == nullptr) return false;
    parser->SetValue(targetValue, parsed);
    parser->DeleteScalar(parsed);
    return true;
  }
  if (s == t) {
    target->DataType->SetValue(targetValue, sourceValue);
    return true;
  }
  return false;
}

bool Convert(const QuorbItem* source, const QuorbItem* target, const void* sourceValue, void* targetValue) {
  if (ConvertValue(source, target, sourceValue, targetValue)) return true;
  // No stale value stays behind: a step that ran before, or a parameter
  // buffer used by an earlier call, would otherwise pass for the result.
  if (target->DataType != nullptr && targetValue != nullptr) target->DataType->Reset(targetValue);
  Quorb* instance = InstanceOf(target);
  if (instance == nullptr) instance = InstanceOf(source);
  if (instance != nullptr) instance->ErrorRaise(nullptr, ErrTypeMismatch);
  return false;
}

}  // namespace QuorbNameSpace
