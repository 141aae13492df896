// Convert: which pairs of types it handles, the numeric rules of the pairs it
// handles (integer widening and narrowing, float truncation with saturation,
// the numeric value of true) and the paths through text (anything to String
// or OmniType, String or OmniType to anything).
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

#include "engine/quorb_item.h"
#include "types/builtin_types.h"
#include "types/convert.h"
#include "types/type_registry.h"
#include "types/value_classes.h"

namespace QuorbNameSpace {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr uint64_t kAllOnes64 = std::numeric_limits<uint64_t>::max();
// Size_t, Pointer and AnyType are as wide as an address on the build.
constexpr size_t kAllOnesSize = std::numeric_limits<size_t>::max();
constexpr uintptr_t kAllOnesPointer = std::numeric_limits<uintptr_t>::max();
constexpr bool k64Bit = sizeof(uintptr_t) == 8;

// The prototypes are process-wide and may only be made once.
void EnsurePrototypes() {
  static const bool made = [] {
    if (PrototypeOf(TypeInt32) == nullptr) SetBuiltInTypes();
    return true;
  }();
  (void)made;
}

QuorbDataType* Proto(int32_t number) {
  EnsurePrototypes();
  return PrototypeOf(number);
}

// A target value whose every byte differs from any value a conversion of the
// cases below writes, so that an unwritten target is visible.
template <typename T>
T Untouched() {
  if constexpr (std::is_same_v<T, std::string>) {
    return "untouched";
  } else {
    T value{};
    std::memset(static_cast<void*>(&value), 0x5A, sizeof value);
    return value;
  }
}

// Runs ConvertValue between two items of the given types; the values are native
// objects whose layout is the storage of those types.
template <typename Target, typename Source>
bool ConvertWith(QuorbDataType* targetType, QuorbDataType* sourceType, const Source& source, Target& target) {
  // Guards the tests themselves: the native object must be the type's storage.
  EXPECT_EQ(sizeof(Source), sourceType->SizeOf());
  EXPECT_EQ(sizeof(Target), targetType->SizeOf());
  QuorbItem from;
  from.DataType = sourceType;
  QuorbItem to;
  to.DataType = targetType;
  return ConvertValue(&from, &to, &source, &target);
}

// The converted value, for pairs that must be handled.
template <typename Target, typename Source>
Target To(int32_t t, int32_t s, const Source& source) {
  Target target = Untouched<Target>();
  EXPECT_TRUE(ConvertWith(Proto(t), Proto(s), source, target)) << "type " << s << " to type " << t;
  return target;
}

// Success when Convert refuses the pair and leaves the target as it was.
template <typename Target, typename Source>
::testing::AssertionResult Refuses(QuorbDataType* targetType, QuorbDataType* sourceType, const Source& source) {
  Target target = Untouched<Target>();
  const Target before = target;
  if (ConvertWith(targetType, sourceType, source, target))
    return ::testing::AssertionFailure() << "type " << sourceType->Index << " to type " << targetType->Index
                                         << " was handled";
  bool same;
  if constexpr (std::is_same_v<Target, std::string>) {
    same = target == before;
  } else {
    same = std::memcmp(&target, &before, sizeof target) == 0;
  }
  if (!same)
    return ::testing::AssertionFailure() << "type " << sourceType->Index << " to type " << targetType->Index
                                         << " refused but wrote the target";
  return ::testing::AssertionSuccess();
}

template <typename Target, typename Source>
::testing::AssertionResult Refuses(int32_t t, int32_t s, const Source& source) {
  return Refuses<Target>(Proto(t), Proto(s), source);
}

// ---------------------------------------------------------------------------
// Which pairs are handled.

// Every pair of the non-text types, converting a zero source into a target
// filled with a marker: a handled pair writes exactly the target's width of
// zero bytes, a refused one writes nothing and returns false.
TEST(ConvertPairs, HandledAndRefusedPairsOfNonTextTypes) {
  const int32_t types[] = {TypeBoolean, TypeInt8,   TypeInt8u,   TypeInt16, TypeInt16u, TypeInt32,
                           TypeInt32u,  TypeInt64,  TypeInt64u,  TypeSingle, TypeDouble, TypeSizeT,
                           TypeComplex, TypeVoid,   TypeAny,     TypePointer};
  // Rows are targets, columns sources, both in the order of `types`.
  const char* const handled[] = {
      // B  8  8u 16 16u 32 32u 64 64u S  D  Sz C  V  A  P
      "x  x  x  x  x   x  x   x  x   x  x  x  .  .  .  .",  // Bool
      "x  x  x  x  x   x  x   x  x   x  x  x  .  .  .  .",  // Int8
      "x  x  x  x  x   x  x   x  x   x  x  x  .  .  .  .",  // Int8u
      "x  x  x  x  x   x  x   x  x   x  x  x  .  .  .  .",  // Int16
      "x  x  x  x  x   x  x   x  x   x  x  x  .  .  .  .",  // Int16u
      "x  x  x  x  x   x  x   x  x   x  x  x  .  .  .  x",  // Int
      "x  x  x  x  x   x  x   x  x   x  x  x  .  .  .  x",  // Int32u
      "x  x  x  x  x   x  x   x  x   x  x  x  .  .  .  x",  // Int64
      "x  x  x  x  x   x  x   x  x   x  x  x  .  .  .  x",  // Int64u
      "x  x  x  x  x   x  x   x  x   x  x  x  .  .  .  .",  // Single
      "x  x  x  x  x   x  x   x  x   x  x  x  .  .  .  x",  // Double
      "x  x  x  x  x   x  x   x  x   x  x  x  .  .  .  x",  // Size_t
      "x  x  x  x  x   x  x   x  x   x  x  x  x  .  .  .",  // Complex
      ".  .  .  .  .   .  .   .  .   .  .  .  .  x  .  .",  // Void
      "x  x  x  x  x   x  x   x  x   x  x  x  .  .  x  .",  // AnyType
      ".  .  .  .  .   x  x   x  x   .  x  .  .  .  .  x",  // Pointer
  };
  constexpr size_t kCount = sizeof types / sizeof types[0];
  static_assert(sizeof handled / sizeof handled[0] == kCount, "one row per target");

  for (size_t row = 0; row < kCount; ++row) {
    std::string marks;
    for (const char* c = handled[row]; *c != '\0'; ++c)
      if (*c == 'x' || *c == '.') marks += *c;
    ASSERT_EQ(kCount, marks.size()) << "row " << row;
    QuorbDataType* targetType = Proto(types[row]);
    const size_t width = targetType->SizeOf();
    for (size_t column = 0; column < kCount; ++column) {
      QuorbDataType* sourceType = Proto(types[column]);
      SCOPED_TRACE(::testing::Message() << "type " << types[column] << " to type " << types[row]);
      alignas(16) unsigned char source[32] = {};
      alignas(16) unsigned char target[32];
      std::memset(target, 0x5A, sizeof target);
      QuorbItem from;
      from.DataType = sourceType;
      QuorbItem to;
      to.DataType = targetType;
      const bool result = ConvertValue(&from, &to, source, target);
      const bool expected = marks[column] == 'x';
      EXPECT_EQ(expected, result);
      // Void storage is never written, even from Void.
      const size_t written = expected && types[row] != TypeVoid ? width : 0;
      for (size_t i = 0; i < sizeof target; ++i) {
        const unsigned char want = i < written ? 0 : 0x5A;
        if (target[i] != want) {
          ADD_FAILURE() << "byte " << i << " is " << int(target[i]) << ", expected " << int(want)
                        << " (target width " << width << ")";
          break;
        }
      }
    }
  }
}

// Refused pairs with realistic, non-zero values: the target keeps its value.
TEST(ConvertPairs, RefusedPairsLeaveTargetUntouched) {
  const uintptr_t address = 0x1234;
  EXPECT_TRUE(Refuses<float>(TypeSingle, TypePointer, address));
  EXPECT_TRUE(Refuses<uintptr_t>(TypePointer, TypeAny, address));
  EXPECT_TRUE(Refuses<uintptr_t>(TypeAny, TypePointer, address));
  EXPECT_TRUE(Refuses<uint8_t>(TypeBoolean, TypePointer, address));
  EXPECT_TRUE(Refuses<int8_t>(TypeInt8, TypePointer, address));
  EXPECT_TRUE(Refuses<int32_t>(TypeInt32, TypeAny, address));
  EXPECT_TRUE(Refuses<double>(TypeDouble, TypeComplex, std::complex<double>(1.0, 2.0)));
  EXPECT_TRUE(Refuses<int32_t>(TypeInt32, TypeComplex, std::complex<double>(1.0, 0.0)));
  EXPECT_TRUE(Refuses<uintptr_t>(TypePointer, TypeInt8, int8_t{5}));
  EXPECT_TRUE(Refuses<uintptr_t>(TypePointer, TypeInt16u, uint16_t{5}));
  EXPECT_TRUE(Refuses<uintptr_t>(TypePointer, TypeBoolean, uint8_t{1}));
  EXPECT_TRUE(Refuses<uintptr_t>(TypePointer, TypeSingle, 5.0f));
  EXPECT_TRUE(Refuses<uintptr_t>(TypePointer, TypeSizeT, size_t{5}));
  EXPECT_TRUE(Refuses<size_t>(TypeSizeT, TypeAny, address));
  // Void storage is a slot nothing converts into.
  EXPECT_TRUE(Refuses<uintptr_t>(TypeVoid, TypeInt32, int32_t{7}));
  EXPECT_TRUE(Refuses<uintptr_t>(TypeVoid, TypeDouble, 7.0));
  EXPECT_TRUE(Refuses<uintptr_t>(TypeVoid, TypeBoolean, uint8_t{1}));
  EXPECT_TRUE(Refuses<uintptr_t>(TypeVoid, TypeComplex, std::complex<double>(1.0, 1.0)));
}

// ---------------------------------------------------------------------------
// Floats to integers: truncation toward zero through a signed 32-bit
// intermediate (Int8 to Int), a signed 64-bit one (Int32u, Int64, Pointer) or
// the unsigned 64-bit rule (Int64u, Size_t, AnyType); NaN gives 0 and values
// beyond the intermediate saturate before the target keeps its low bits.

TEST(ConvertFloatToInteger, TruncatesTowardZero) {
  EXPECT_EQ(3, To<int32_t>(TypeInt32, TypeDouble, 3.99));
  EXPECT_EQ(-3, To<int32_t>(TypeInt32, TypeDouble, -3.99));
  EXPECT_EQ(-1, To<int8_t>(TypeInt8, TypeDouble, -1.9));
  EXPECT_EQ(0, To<int64_t>(TypeInt64, TypeDouble, -0.5));
  EXPECT_EQ(0u, To<uint64_t>(TypeInt64u, TypeDouble, -0.5));
  EXPECT_EQ(2, To<int32_t>(TypeInt32, TypeSingle, 2.5f));
  EXPECT_EQ(3u, To<uintptr_t>(TypePointer, TypeDouble, 3.7));
}

TEST(ConvertFloatToInteger, NarrowTargetsKeepLowBitsOfTheIntermediate) {
  EXPECT_EQ(44, To<uint8_t>(TypeInt8u, TypeDouble, 300.0));
  EXPECT_EQ(-56, To<int8_t>(TypeInt8, TypeDouble, 200.7));
  EXPECT_EQ(4464, To<uint16_t>(TypeInt16u, TypeDouble, 70000.0));
  EXPECT_EQ(4294967295u, To<uint32_t>(TypeInt32u, TypeDouble, -1.0));
  EXPECT_EQ(4294967295u, To<uint32_t>(TypeInt32u, TypeSingle, -1.0f));
  // Int32u goes through 64 bits, so values past 2^32 wrap instead of saturating.
  EXPECT_EQ(705032704u, To<uint32_t>(TypeInt32u, TypeDouble, 5e9));
  EXPECT_EQ(3000000000u, To<uint32_t>(TypeInt32u, TypeSingle, 3e9f));
}

TEST(ConvertFloatToInteger, NegativeToUnsigned64IsTwosComplement) {
  EXPECT_EQ(kAllOnes64, To<uint64_t>(TypeInt64u, TypeDouble, -1.0));
  EXPECT_EQ(kAllOnes64, To<uint64_t>(TypeInt64u, TypeDouble, -1.5));
  EXPECT_EQ(kAllOnesSize - 41, To<size_t>(TypeSizeT, TypeDouble, -42.0));
  EXPECT_EQ(kAllOnesPointer, To<uintptr_t>(TypeAny, TypeDouble, -1.0));
  EXPECT_EQ(kAllOnesPointer, To<uintptr_t>(TypePointer, TypeDouble, -1.0));
}

TEST(ConvertFloatToInteger, UpperHalfOfUnsigned64IsExact) {
  const double two63 = 9223372036854775808.0;
  EXPECT_EQ(9223372036854775808u, To<uint64_t>(TypeInt64u, TypeDouble, two63));
  EXPECT_EQ(18000000000000000000u, To<uint64_t>(TypeInt64u, TypeDouble, 1.8e19));
  // Address-wide targets keep the low bits of the exact 64-bit value.
  EXPECT_EQ(static_cast<size_t>(18000000000000000000u), To<size_t>(TypeSizeT, TypeDouble, 1.8e19));
  EXPECT_EQ(static_cast<uintptr_t>(18000000000000000000u), To<uintptr_t>(TypeAny, TypeDouble, 1.8e19));
  // The largest double below 2^64.
  EXPECT_EQ(18446744073709549568u, To<uint64_t>(TypeInt64u, TypeDouble, 18446744073709549568.0));
}

TEST(ConvertFloatToInteger, OutOfRangeSaturates) {
  EXPECT_EQ(INT32_MAX, To<int32_t>(TypeInt32, TypeDouble, 1e20));
  EXPECT_EQ(INT32_MIN, To<int32_t>(TypeInt32, TypeDouble, -1e20));
  // Int goes through 32 bits, so 5e9 saturates rather than wraps.
  EXPECT_EQ(INT32_MAX, To<int32_t>(TypeInt32, TypeDouble, 5e9));
  EXPECT_EQ(INT32_MAX, To<int32_t>(TypeInt32, TypeDouble, std::numeric_limits<double>::infinity()));
  EXPECT_EQ(INT32_MAX, To<int32_t>(TypeInt32, TypeSingle, 1e30f));
  // Saturated, then the low bits of INT32_MAX / INT32_MIN.
  EXPECT_EQ(-1, To<int8_t>(TypeInt8, TypeDouble, 1e20));
  EXPECT_EQ(65535, To<uint16_t>(TypeInt16u, TypeDouble, 1e20));
  EXPECT_EQ(0, To<int16_t>(TypeInt16, TypeDouble, -1e20));
  EXPECT_EQ(4294967295u, To<uint32_t>(TypeInt32u, TypeDouble, 1e20));  // low half of INT64_MAX
  EXPECT_EQ(0u, To<uint32_t>(TypeInt32u, TypeDouble, -1e20));          // low half of INT64_MIN
  EXPECT_EQ(INT64_MAX, To<int64_t>(TypeInt64, TypeDouble, 1e30));
  EXPECT_EQ(INT64_MIN, To<int64_t>(TypeInt64, TypeDouble, -1e30));
  EXPECT_EQ(INT64_MAX, To<int64_t>(TypeInt64, TypeDouble, 9223372036854775808.0));
  EXPECT_EQ(INT64_MIN, To<int64_t>(TypeInt64, TypeDouble, -9223372036854775808.0));
  EXPECT_EQ(static_cast<uintptr_t>(INT64_MAX), To<uintptr_t>(TypePointer, TypeDouble, 1e30));
  EXPECT_EQ(kAllOnes64, To<uint64_t>(TypeInt64u, TypeDouble, 1e30));
  EXPECT_EQ(kAllOnes64, To<uint64_t>(TypeInt64u, TypeDouble, 18446744073709551616.0));
  EXPECT_EQ(kAllOnesSize, To<size_t>(TypeSizeT, TypeDouble, std::numeric_limits<double>::infinity()));
}

TEST(ConvertFloatToInteger, NaNGivesZero) {
  EXPECT_EQ(0, To<int32_t>(TypeInt32, TypeDouble, kNaN));
  EXPECT_EQ(0, To<int8_t>(TypeInt8, TypeDouble, kNaN));
  EXPECT_EQ(0u, To<uint32_t>(TypeInt32u, TypeDouble, kNaN));
  EXPECT_EQ(0, To<int64_t>(TypeInt64, TypeDouble, kNaN));
  EXPECT_EQ(0u, To<uint64_t>(TypeInt64u, TypeDouble, kNaN));
  EXPECT_EQ(0u, To<uintptr_t>(TypePointer, TypeDouble, kNaN));
  EXPECT_EQ(0, To<int16_t>(TypeInt16, TypeSingle, std::numeric_limits<float>::quiet_NaN()));
}

// ---------------------------------------------------------------------------
// Numbers to Bool: any non-zero value is true, not just its low bits.

TEST(ConvertToBool, NonZeroIsTrue) {
  EXPECT_EQ(0, To<uint8_t>(TypeBoolean, TypeDouble, 0.0));
  EXPECT_EQ(0, To<uint8_t>(TypeBoolean, TypeDouble, -0.0));
  EXPECT_EQ(1, To<uint8_t>(TypeBoolean, TypeDouble, 0.5));  // not truncated first
  EXPECT_EQ(1, To<uint8_t>(TypeBoolean, TypeDouble, kNaN));
  EXPECT_EQ(1, To<uint8_t>(TypeBoolean, TypeSingle, std::numeric_limits<float>::quiet_NaN()));
  EXPECT_EQ(1, To<uint8_t>(TypeBoolean, TypeSingle, 1e-30f));
  EXPECT_EQ(1, To<uint8_t>(TypeBoolean, TypeInt64, int64_t{0x100000000}));
  EXPECT_EQ(1, To<uint8_t>(TypeBoolean, TypeInt16u, uint16_t{0x100}));
  EXPECT_EQ(1, To<uint8_t>(TypeBoolean, TypeInt8, int8_t{-1}));
  EXPECT_EQ(1, To<uint8_t>(TypeBoolean, TypeSizeT, size_t{1} << (8 * sizeof(size_t) - 1)));
  EXPECT_EQ(0, To<uint8_t>(TypeBoolean, TypeInt8u, uint8_t{0}));
  EXPECT_EQ(0, To<uint8_t>(TypeBoolean, TypeInt64u, uint64_t{0}));
}

// ---------------------------------------------------------------------------
// Between integers: sign extension for signed sources, zero extension for
// unsigned ones, then the target keeps its low bits.

TEST(ConvertIntegers, ExtendBySourceSignedness) {
  EXPECT_EQ(4294967295u, To<uint32_t>(TypeInt32u, TypeInt16, int16_t{-1}));
  EXPECT_EQ(255, To<int16_t>(TypeInt16, TypeInt8u, uint8_t{255}));
  EXPECT_EQ(kAllOnes64, To<uint64_t>(TypeInt64u, TypeInt8, int8_t{-1}));
  EXPECT_EQ(4294967295, To<int64_t>(TypeInt64, TypeInt32u, uint32_t{4294967295u}));
  EXPECT_EQ(65535, To<int32_t>(TypeInt32, TypeInt16u, uint16_t{65535}));
  EXPECT_EQ(65408, To<uint16_t>(TypeInt16u, TypeInt8, int8_t{-128}));
  EXPECT_EQ(kAllOnesSize, To<size_t>(TypeSizeT, TypeInt32, int32_t{-1}));
  EXPECT_EQ(kAllOnesPointer, To<uintptr_t>(TypeAny, TypeInt16, int16_t{-1}));
  EXPECT_EQ(kAllOnesPointer, To<uintptr_t>(TypePointer, TypeInt32, int32_t{-1}));
  EXPECT_EQ(4294967295u, To<uintptr_t>(TypePointer, TypeInt32u, uint32_t{4294967295u}));
  EXPECT_EQ(-1, To<int64_t>(TypeInt64, TypeInt64u, kAllOnes64));
}

TEST(ConvertIntegers, NarrowKeepsLowBits) {
  EXPECT_EQ(0x34, To<int8_t>(TypeInt8, TypeInt64, int64_t{0x1234}));
  EXPECT_EQ(44, To<uint8_t>(TypeInt8u, TypeInt32, int32_t{300}));
  EXPECT_EQ(-1, To<int8_t>(TypeInt8, TypeSizeT, kAllOnesSize));
  EXPECT_EQ(-32768, To<int16_t>(TypeInt16, TypeInt32u, uint32_t{0x18000}));
  EXPECT_EQ(5, To<int32_t>(TypeInt32, TypePointer, static_cast<uintptr_t>(0xFFFFFFFF00000005u)));
  EXPECT_EQ(0xFFFFFFFFu, To<uint32_t>(TypeInt32u, TypePointer, static_cast<uintptr_t>(0x12345678FFFFFFFFu)));
  // A Pointer is unsigned at its own width: the top bit of an address is
  // no sign.
  const uintptr_t topBit = uintptr_t{1} << (8 * sizeof(uintptr_t) - 1);
  EXPECT_EQ(k64Bit ? INT64_MIN : int64_t{0x80000000}, To<int64_t>(TypeInt64, TypePointer, topBit));
}

// Integers to floats take unsigned sources as unsigned.
TEST(ConvertIntegers, ToFloatsHonourSignedness) {
  EXPECT_EQ(-1.0f, To<float>(TypeSingle, TypeInt64, int64_t{-1}));
  EXPECT_EQ(-1.0, To<double>(TypeDouble, TypeInt8, int8_t{-1}));
  EXPECT_EQ(18446744073709551616.0, To<double>(TypeDouble, TypeInt64u, kAllOnes64));
  EXPECT_EQ(static_cast<double>(kAllOnesSize), To<double>(TypeDouble, TypeSizeT, kAllOnesSize));
  EXPECT_EQ(18446744073709551616.0f, To<float>(TypeSingle, TypeInt64u, kAllOnes64));
  EXPECT_EQ(4294967296.0f, To<float>(TypeSingle, TypeInt32u, uint32_t{4294967295u}));
  EXPECT_EQ(4294967295.0, To<double>(TypeDouble, TypeInt32u, uint32_t{4294967295u}));
  EXPECT_EQ(255.0, To<double>(TypeDouble, TypeInt8u, uint8_t{255}));
  // Nearest double, not a truncation.
  EXPECT_EQ(9007199254740992.0, To<double>(TypeDouble, TypeInt64, int64_t{9007199254740993}));
}

TEST(ConvertIntegers, ToComplexIsRealWithZeroImaginary) {
  EXPECT_EQ(std::complex<double>(-7.0, 0.0), To<std::complex<double>>(TypeComplex, TypeInt32, int32_t{-7}));
  EXPECT_EQ(std::complex<double>(18446744073709551616.0, 0.0),
            To<std::complex<double>>(TypeComplex, TypeInt64u, kAllOnes64));
  EXPECT_EQ(std::complex<double>(static_cast<double>(kAllOnesSize), 0.0),
            To<std::complex<double>>(TypeComplex, TypeSizeT, kAllOnesSize));
  EXPECT_EQ(std::complex<double>(4294967295.0, 0.0),
            To<std::complex<double>>(TypeComplex, TypeInt32u, uint32_t{4294967295u}));
  EXPECT_EQ(std::complex<double>(2.5, 0.0), To<std::complex<double>>(TypeComplex, TypeDouble, 2.5));
  EXPECT_EQ(std::complex<double>(1.5, 0.0), To<std::complex<double>>(TypeComplex, TypeSingle, 1.5f));
}

// ---------------------------------------------------------------------------
// Between floats.

TEST(ConvertFloats, NearestValueAndInfinityBeyondSingleRange) {
  EXPECT_EQ(0.1f, To<float>(TypeSingle, TypeDouble, 0.1));
  EXPECT_EQ(static_cast<double>(0.1f), To<double>(TypeDouble, TypeSingle, 0.1f));
  const float big = To<float>(TypeSingle, TypeDouble, 1e300);
  EXPECT_TRUE(std::isinf(big) && big > 0) << big;
  const float small = To<float>(TypeSingle, TypeDouble, -1e300);
  EXPECT_TRUE(std::isinf(small) && small < 0) << small;
  EXPECT_EQ(std::numeric_limits<float>::max(),
            To<float>(TypeSingle, TypeDouble, static_cast<double>(std::numeric_limits<float>::max())));
  EXPECT_TRUE(std::isnan(To<float>(TypeSingle, TypeDouble, kNaN)));
  EXPECT_TRUE(std::isinf(To<double>(TypeDouble, TypeSingle, std::numeric_limits<float>::infinity())));
}

// A Pointer becomes a Double by its bytes: 0x4000000000000000 is the bit
// pattern of 2.0, far from the address's numeric value. A 4-byte address
// fills the low half and the rest is zero; nothing is read past it.
TEST(ConvertFloats, PointerToDoubleCopiesTheBytes) {
  int local = 0;
  for (const uintptr_t address : {static_cast<uintptr_t>(0x4000000000000000u), reinterpret_cast<uintptr_t>(&local)}) {
    const double value = To<double>(TypeDouble, TypePointer, address);
    unsigned char expected[sizeof(double)] = {};
    std::memcpy(expected, &address, sizeof address);
    EXPECT_EQ(0, std::memcmp(&value, expected, sizeof value)) << address;
  }
  if (k64Bit) {
    EXPECT_EQ(2.0, To<double>(TypeDouble, TypePointer, static_cast<uintptr_t>(0x4000000000000000u)));
  }
}

// ---------------------------------------------------------------------------
// Bool sources: false is 0; true is the Int8 value of the first sub-item of
// the Bool type's defining item (1 when the type has no item).

class ConvertBool : public ::testing::Test {
 protected:
  ConvertBool() {
    EnsurePrototypes();
    boolType_.Index = TypeBoolean;
  }
  ~ConvertBool() override {
    boolType_.Item = nullptr;
    delete definition_;  // frees the sub-items and their values
  }

  // Lays out the defining item as the Bool definition does: the numeric
  // value of true, the true word, the false word.
  void Define(const std::string& trueValue, const std::string& trueWord, const std::string& falseWord,
              bool caseSensitive = false) {
    definition_ = new QuorbItem();
    definition_->SubItems.push_back(new QuorbItem(PrototypeOf(TypeInt8), trueValue));
    definition_->SubItems.push_back(new QuorbItem(PrototypeOf(TypeString), trueWord));
    definition_->SubItems.push_back(new QuorbItem(PrototypeOf(TypeString), falseWord));
    definition_->SetBit(IsCaseSensitive, caseSensitive);
    boolType_.Item = definition_;
  }

  template <typename Target>
  Target FromBool(int32_t t, uint8_t byte) {
    Target target = Untouched<Target>();
    EXPECT_TRUE(ConvertWith(PrototypeOf(t), &boolType_, byte, target)) << "Bool to type " << t;
    return target;
  }

  template <typename Source>
  uint8_t ToBool(int32_t s, const Source& source) {
    uint8_t target = 0x5A;
    EXPECT_TRUE(ConvertWith(&boolType_, PrototypeOf(s), source, target)) << "type " << s << " to Bool";
    return target;
  }

  dt_Boolean boolType_;
  QuorbItem* definition_ = nullptr;
};

TEST_F(ConvertBool, TrueIsOneForEveryNumericTarget) {
  Define("1", "true", "false");
  EXPECT_EQ(1, FromBool<int8_t>(TypeInt8, 1));
  EXPECT_EQ(1, FromBool<uint8_t>(TypeInt8u, 1));
  EXPECT_EQ(1, FromBool<int16_t>(TypeInt16, 1));
  EXPECT_EQ(1, FromBool<uint16_t>(TypeInt16u, 1));
  EXPECT_EQ(1, FromBool<int32_t>(TypeInt32, 1));
  EXPECT_EQ(1u, FromBool<uint32_t>(TypeInt32u, 1));
  EXPECT_EQ(1, FromBool<int64_t>(TypeInt64, 1));
  EXPECT_EQ(1u, FromBool<uint64_t>(TypeInt64u, 1));
  EXPECT_EQ(1u, FromBool<size_t>(TypeSizeT, 1));
  EXPECT_EQ(1u, FromBool<uintptr_t>(TypeAny, 1));
  EXPECT_EQ(1.0f, FromBool<float>(TypeSingle, 1));
  EXPECT_EQ(1.0, FromBool<double>(TypeDouble, 1));
  EXPECT_EQ(std::complex<double>(1.0, 0.0), FromBool<std::complex<double>>(TypeComplex, 1));
  // Any non-zero byte is true.
  EXPECT_EQ(1, FromBool<int32_t>(TypeInt32, 7));
}

TEST_F(ConvertBool, FalseIsZero) {
  Define("-1", "true", "false");
  EXPECT_EQ(0, FromBool<int8_t>(TypeInt8, 0));
  EXPECT_EQ(0, FromBool<int32_t>(TypeInt32, 0));
  EXPECT_EQ(0u, FromBool<uint64_t>(TypeInt64u, 0));
  EXPECT_EQ(0.0, FromBool<double>(TypeDouble, 0));
  EXPECT_EQ(std::complex<double>(0.0, 0.0), FromBool<std::complex<double>>(TypeComplex, 0));
}

TEST_F(ConvertBool, ChangedTrueValueIsSignExtended) {
  Define("-1", "true", "false");
  EXPECT_EQ(-1, FromBool<int32_t>(TypeInt32, 1));
  EXPECT_EQ(-1, FromBool<int64_t>(TypeInt64, 1));
  EXPECT_EQ(255, FromBool<uint8_t>(TypeInt8u, 1));
  EXPECT_EQ(4294967295u, FromBool<uint32_t>(TypeInt32u, 1));
  EXPECT_EQ(kAllOnes64, FromBool<uint64_t>(TypeInt64u, 1));
  EXPECT_EQ(-1.0f, FromBool<float>(TypeSingle, 1));
  EXPECT_EQ(-1.0, FromBool<double>(TypeDouble, 1));
  EXPECT_EQ(std::complex<double>(-1.0, 0.0), FromBool<std::complex<double>>(TypeComplex, 1));
}

TEST_F(ConvertBool, PrototypeWithoutItemUsesOne) {
  EXPECT_EQ(1, To<int32_t>(TypeInt32, TypeBoolean, uint8_t{1}));
  EXPECT_EQ(1.0, To<double>(TypeDouble, TypeBoolean, uint8_t{1}));
  EXPECT_EQ(std::complex<double>(1.0, 0.0), To<std::complex<double>>(TypeComplex, TypeBoolean, uint8_t{1}));
  EXPECT_EQ(std::complex<double>(0.0, 0.0), To<std::complex<double>>(TypeComplex, TypeBoolean, uint8_t{0}));
}

// Bool text comes from the source item's own type, not from the prototype.
TEST_F(ConvertBool, ToTextUsesTheTypesOwnWords) {
  Define("1", "Yes", "No");
  EXPECT_EQ("Yes", FromBool<std::string>(TypeString, 1));
  EXPECT_EQ("No", FromBool<std::string>(TypeString, 0));
  EXPECT_EQ("Yes", FromBool<std::string>(TypeOmni, 1));
}

TEST_F(ConvertBool, ToTextWithStandardWords) {
  Define("1", "true", "false");
  EXPECT_EQ("true", FromBool<std::string>(TypeString, 1));
  EXPECT_EQ("false", FromBool<std::string>(TypeString, 0));
  EXPECT_EQ("true", To<std::string>(TypeString, TypeBoolean, uint8_t{1}));
  EXPECT_EQ("false", To<std::string>(TypeOmni, TypeBoolean, uint8_t{0}));
}

// Text to Bool compares with the target type's own true word.
TEST_F(ConvertBool, FromTextUsesTheTypesOwnWordsAndCase) {
  Define("1", "true", "false");
  EXPECT_EQ(1, ToBool(TypeString, std::string("TRUE")));
  EXPECT_EQ(0, ToBool(TypeString, std::string("false")));
  EXPECT_EQ(0, ToBool(TypeString, std::string("1")));
  EXPECT_EQ(1, ToBool(TypeOmni, std::string("True")));
}

TEST_F(ConvertBool, FromTextCaseSensitive) {
  Define("1", "true", "false", true);
  EXPECT_EQ(0, ToBool(TypeString, std::string("TRUE")));
  EXPECT_EQ(1, ToBool(TypeString, std::string("true")));
}

TEST_F(ConvertBool, FromTextReplacedWords) {
  Define("1", "Yes", "No");
  EXPECT_EQ(1, ToBool(TypeString, std::string("yes")));
  EXPECT_EQ(0, ToBool(TypeString, std::string("true")));
}

TEST_F(ConvertBool, BoolToBoolCopiesTheByte) {
  Define("1", "true", "false");
  EXPECT_EQ(1, ToBool(TypeBoolean, uint8_t{1}));
  EXPECT_EQ(0, ToBool(TypeBoolean, uint8_t{0}));
}

// ---------------------------------------------------------------------------
// To String and OmniType: the source's own text replaces the target's.

TEST(ConvertToText, SourceTextReplacesTarget) {
  EXPECT_EQ("0.1", To<std::string>(TypeString, TypeDouble, 0.1));
  EXPECT_EQ("1e+20", To<std::string>(TypeString, TypeDouble, 1e20));
  EXPECT_EQ("1+-2i", To<std::string>(TypeString, TypeComplex, std::complex<double>(1.0, -2.0)));
  EXPECT_EQ("-42", To<std::string>(TypeOmni, TypeInt32, int32_t{-42}));
  EXPECT_EQ("255", To<std::string>(TypeString, TypeInt8u, uint8_t{255}));
  EXPECT_EQ("-1", To<std::string>(TypeString, TypeInt8, int8_t{-1}));
  EXPECT_EQ("18446744073709551615", To<std::string>(TypeOmni, TypeInt64u, kAllOnes64));
  EXPECT_EQ("2.5", To<std::string>(TypeString, TypeSingle, 2.5f));
  EXPECT_EQ("", To<std::string>(TypeString, TypeString, std::string()));
  EXPECT_EQ("abc", To<std::string>(TypeString, TypeString, std::string("abc")));
  EXPECT_EQ("abc", To<std::string>(TypeOmni, TypeString, std::string("abc")));
  EXPECT_EQ("abc", To<std::string>(TypeString, TypeOmni, std::string("abc")));
  EXPECT_EQ("x y", To<std::string>(TypeOmni, TypeOmni, std::string("x y")));
}

// A long text exercises heap-held strings on both sides.
TEST(ConvertToText, LongTextIsCopiedWhole) {
  const std::string text(1000, 'q');
  std::string target(500, 'z');
  EXPECT_TRUE(ConvertWith(Proto(TypeString), Proto(TypeOmni), text, target));
  EXPECT_EQ(text, target);
}

// ---------------------------------------------------------------------------
// From String and OmniType: the text is parsed as the target type.

TEST(ConvertFromText, ParsesAsTheTarget) {
  EXPECT_EQ(42, To<int32_t>(TypeInt32, TypeString, std::string("42")));
  EXPECT_EQ(42, To<int32_t>(TypeInt32, TypeString, std::string("  42xyz")));
  EXPECT_EQ(0, To<int32_t>(TypeInt32, TypeString, std::string("")));
  EXPECT_EQ(44, To<uint8_t>(TypeInt8u, TypeString, std::string("300")));
  EXPECT_EQ(kAllOnes64, To<uint64_t>(TypeInt64u, TypeString, std::string("-1")));
  EXPECT_EQ(3000000000, To<int64_t>(TypeInt64, TypeString, std::string("3000000000")));
  EXPECT_EQ(2.5, To<double>(TypeDouble, TypeOmni, std::string("2.5")));
  EXPECT_EQ(0.25f, To<float>(TypeSingle, TypeString, std::string("0.25")));
  EXPECT_EQ(123u, To<uintptr_t>(TypePointer, TypeString, std::string("123")));
  EXPECT_EQ(7u, To<uintptr_t>(TypeAny, TypeOmni, std::string("7")));
  EXPECT_EQ(9u, To<size_t>(TypeSizeT, TypeString, std::string("9")));
}

TEST(ConvertFromText, ComplexIsNotParsed) {
  EXPECT_EQ(std::complex<double>(0.0, 1.0), To<std::complex<double>>(TypeComplex, TypeString, std::string("5+7i")));
  EXPECT_EQ(std::complex<double>(0.0, 1.0), To<std::complex<double>>(TypeComplex, TypeString, std::string("0")));
  EXPECT_EQ(std::complex<double>(0.0, 1.0), To<std::complex<double>>(TypeComplex, TypeOmni, std::string("x")));
  EXPECT_EQ(std::complex<double>(0.0, 0.0), To<std::complex<double>>(TypeComplex, TypeString, std::string()));
}

// Text that is no number of the target, or out of its range, is refused.
TEST(ConvertFromText, UnreadableTextIsRefused) {
  EXPECT_TRUE(Refuses<int32_t>(TypeInt32, TypeString, std::string("abc")));
  EXPECT_TRUE(Refuses<int32_t>(TypeInt32, TypeOmni, std::string("abc")));
  EXPECT_TRUE(Refuses<int32_t>(TypeInt32, TypeString, std::string("3000000000")));
  EXPECT_TRUE(Refuses<int8_t>(TypeInt8, TypeString, std::string("-")));
  EXPECT_TRUE(Refuses<int64_t>(TypeInt64, TypeString, std::string("99999999999999999999")));
  EXPECT_TRUE(Refuses<uint64_t>(TypeInt64u, TypeString, std::string("x1")));
  EXPECT_TRUE(Refuses<double>(TypeDouble, TypeString, std::string("abc")));
  EXPECT_TRUE(Refuses<double>(TypeDouble, TypeString, std::string("1e999")));
  EXPECT_TRUE(Refuses<float>(TypeSingle, TypeOmni, std::string("abc")));
  EXPECT_TRUE(Refuses<uintptr_t>(TypePointer, TypeString, std::string("abc")));
}

// ---------------------------------------------------------------------------
// Same type without a table entry: the value is copied as it is.

TEST(ConvertSameType, CopiesTheValue) {
  EXPECT_EQ(std::complex<double>(1.5, -2.5),
            To<std::complex<double>>(TypeComplex, TypeComplex, std::complex<double>(1.5, -2.5)));
  EXPECT_EQ(0x1234u, To<uintptr_t>(TypePointer, TypePointer, uintptr_t{0x1234}));
  EXPECT_EQ(0x1234u, To<uintptr_t>(TypeAny, TypeAny, uintptr_t{0x1234}));
  EXPECT_EQ(0.1f, To<float>(TypeSingle, TypeSingle, 0.1f));
  EXPECT_EQ(0.1, To<double>(TypeDouble, TypeDouble, 0.1));
  EXPECT_EQ(-5, To<int16_t>(TypeInt16, TypeInt16, int16_t{-5}));
  EXPECT_EQ(kAllOnes64, To<uint64_t>(TypeInt64u, TypeInt64u, kAllOnes64));
}

}  // namespace
}  // namespace QuorbNameSpace
