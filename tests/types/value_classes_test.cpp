// Life cycle of values through each value class: parse, copy, set, swap,
// reset, arrays and printing, then the rules particular to each class.
// Everything allocated is freed, so the sanitizers also check ownership.
#include <gtest/gtest.h>

#include <complex>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "types/value_classes.h"

namespace QuorbNameSpace {
namespace {

using TypePtr = std::unique_ptr<QuorbDataType>;

template <typename Class>
std::function<TypePtr()> Maker() {
  return [] { return TypePtr(new Class()); };
}

// A value freed by its type when the test ends, whatever the outcome.
class Value {
 public:
  Value(QuorbDataType& type, void* value) : type_(type), value_(value) {}
  ~Value() { type_.DeleteScalar(value_); }
  Value(const Value&) = delete;
  Value& operator=(const Value&) = delete;
  void* get() const { return value_; }
  std::string Text() const { return type_.ToString(value_); }

 private:
  QuorbDataType& type_;
  void* value_;
};

// An array freed by its type when the test ends.
class Array {
 public:
  Array(QuorbDataType& type, size_t n) : type_(type), array_(type.AllocArrayValue(n)) {}
  ~Array() { type_.DeleteArray(array_); }
  Array(const Array&) = delete;
  Array& operator=(const Array&) = delete;
  void* get() const { return array_; }
  void* At(size_t i) const { return static_cast<char*>(array_) + i * type_.SizeOf(); }
  std::string Text(size_t i) const { return type_.ToString(At(i)); }

 private:
  QuorbDataType& type_;
  void* array_;
};

// One class's sample values for the checks every storing class must pass.
struct StoringCase {
  const char* name;
  std::function<TypePtr()> make;
  size_t size;
  std::string textA, printA;  // a value that is not the zero value
  std::string textB, printB;  // another value, different from A
  std::string zeroPrint;      // the reset value
};

void PrintTo(const StoringCase& c, std::ostream* os) { *os << c.name; }

const char* kLongA = "a text long enough that the string keeps it on the heap";
const char* kLongB = "another text, also too long for any small-string buffer";

std::vector<StoringCase> StoringCases() {
  std::vector<StoringCase> cases = {
      {"Boolean", Maker<dt_Boolean>(), 1, "TRUE", "true", "no", "false", "false"},
      {"Int8", Maker<dt_Integer_8>(), 1, "-1", "-1", "300", "44", "0"},
      {"Int8u", Maker<dt_Integer_8u>(), 1, "255", "255", "65", "65", "0"},
      {"Int16", Maker<dt_Integer_16>(), 2, "-32769", "32767", "70000", "4464", "0"},
      {"Int16u", Maker<dt_Integer_16u>(), 2, "65535", "65535", "-2", "65534", "0"},
      {"Int32", Maker<dt_Integer_32>(), 4, "-2147483648", "-2147483648", "  42xyz", "42", "0"},
      {"Int32u", Maker<dt_Integer_32u>(), 4, "4294967295", "4294967295", "-2147483648",
       "2147483648", "0"},
      {"Int64", Maker<dt_Integer_64>(), 8, "-9223372036854775808", "-9223372036854775808",
       "3000000000", "3000000000", "0"},
      {"Int64u", Maker<dt_Integer_64u>(), 8, "18446744073709551615", "18446744073709551615",
       "-2", "18446744073709551614", "0"},
      {"Single", Maker<dt_Float_Single>(), 4, "0.1", "0.1", "-1e20", "-1e+20", "0"},
      {"Double", Maker<dt_Float_Double>(), 8, "1234567.0", "1.23457e+06", "0.000012345",
       "1.2345e-05", "0"},
      {"Complex", Maker<dt_Complex>(), 16, "5+7i", "0+1i", "", "0+0i", "0+0i"},
      {"String", Maker<dt_String>(), sizeof(std::string), kLongA, kLongA, kLongB, kLongB, ""},
  };
#if UINTPTR_MAX == UINT64_MAX
  cases.push_back({"Size_t", Maker<dt_Size_t>(), 8, "18446744073709551615", "-1", "12345",
                   "12345", "0"});
  cases.push_back({"Pointer", Maker<dt_Pointer>(), 8, "-1", "18446744073709551615", "4096",
                   "4096", "0"});
#endif
  return cases;
}

class StoringClass : public ::testing::TestWithParam<StoringCase> {
 protected:
  void SetUp() override { type_ = GetParam().make(); }
  QuorbDataType& type() { return *type_; }
  void* Parse(const std::string& text) { return type_->AllocScalarValue(text); }

 private:
  TypePtr type_;
};

TEST_P(StoringClass, SizeOfIsTheStorageWidth) { EXPECT_EQ(GetParam().size, type().SizeOf()); }

TEST_P(StoringClass, ParsesAndPrintsItsSamples) {
  const StoringCase& c = GetParam();
  Value a(type(), Parse(c.textA));
  Value b(type(), Parse(c.textB));
  Value zero(type(), Parse(""));
  ASSERT_NE(nullptr, a.get());
  ASSERT_NE(nullptr, b.get());
  ASSERT_NE(nullptr, zero.get());
  EXPECT_EQ(c.printA, a.Text());
  EXPECT_EQ(c.printB, b.Text());
  EXPECT_EQ(c.zeroPrint, zero.Text());
}

TEST_P(StoringClass, CopyByAddressIsIndependent) {
  const StoringCase& c = GetParam();
  Value a(type(), Parse(c.textA));
  Value copy(type(), type().AllocScalarValue(static_cast<const void*>(a.get())));
  ASSERT_NE(nullptr, copy.get());
  EXPECT_NE(a.get(), copy.get());
  type().Reset(a.get());
  EXPECT_EQ(c.printA, copy.Text());
  EXPECT_EQ(c.zeroPrint, a.Text());
}

TEST_P(StoringClass, SetValueCopiesAndLeavesSource) {
  const StoringCase& c = GetParam();
  Value a(type(), Parse(c.textA));
  Value b(type(), Parse(c.textB));
  type().SetValue(b.get(), a.get());
  EXPECT_EQ(c.printA, b.Text());
  EXPECT_EQ(c.printA, a.Text());
}

TEST_P(StoringClass, SwapExchanges) {
  const StoringCase& c = GetParam();
  Value a(type(), Parse(c.textA));
  Value b(type(), Parse(c.textB));
  type().Swap(a.get(), b.get());
  EXPECT_EQ(c.printB, a.Text());
  EXPECT_EQ(c.printA, b.Text());
}

TEST_P(StoringClass, ResetGivesTheZeroValue) {
  const StoringCase& c = GetParam();
  Value a(type(), Parse(c.textA));
  type().Reset(a.get());
  EXPECT_EQ(c.zeroPrint, a.Text());
}

TEST_P(StoringClass, ArraysStartZeroedAndResetWhole) {
  const StoringCase& c = GetParam();
  Value a(type(), Parse(c.textA));
  Array array(type(), 3);
  ASSERT_NE(nullptr, array.get());
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(c.zeroPrint, array.Text(i)) << "element " << i;

  type().SetValue(array.get(), a.get(), 0);
  type().SetValue(array.get(), a.get(), 2);
  EXPECT_EQ(c.printA, array.Text(0));
  EXPECT_EQ(c.zeroPrint, array.Text(1));
  EXPECT_EQ(c.printA, array.Text(2));

  EXPECT_EQ(array.get(), type().ResetArray(array.get()));
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(c.zeroPrint, array.Text(i)) << "element " << i;
}

// Elements still holding values when the array goes must be freed with it.
TEST_P(StoringClass, DeleteArrayFreesFilledElements) {
  const StoringCase& c = GetParam();
  Value a(type(), Parse(c.textA));
  Array array(type(), 5);
  ASSERT_NE(nullptr, array.get());
  for (size_t i = 0; i < 5; ++i) type().SetValue(array.get(), a.get(), i);
  EXPECT_EQ(c.printA, array.Text(4));
}

TEST_P(StoringClass, ArraysAreAlignedForAnyValue) {
  Array array(type(), 2);
  ASSERT_NE(nullptr, array.get());
  EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(array.get()) % alignof(std::max_align_t));
}

TEST_P(StoringClass, EmptyArrayIsValid) {
  Array array(type(), 0);
  ASSERT_NE(nullptr, array.get());
  EXPECT_EQ(array.get(), type().ResetArray(array.get()));
}

TEST_P(StoringClass, AbsurdCountFailsWithoutAllocating) {
  const size_t size = type().SizeOf();
  EXPECT_EQ(nullptr, type().AllocArrayValue(SIZE_MAX));
  EXPECT_EQ(nullptr, type().AllocArrayValue(SIZE_MAX / size));
  EXPECT_EQ(nullptr, type().AllocArrayValue(static_cast<size_t>(PTRDIFF_MAX) / size + 1));
}

TEST_P(StoringClass, NullIsFreedAsNothing) {
  type().DeleteScalar(nullptr);
  type().DeleteArray(nullptr);
  EXPECT_EQ(nullptr, type().ResetArray(nullptr));
}

// Freed values' blocks are kept for later ones, by whichever thread freed
// them: every live value has a block of its own and keeps its content while
// others are freed and made around it.
TEST_P(StoringClass, FreedBlocksServeLaterValuesOnAnyThread) {
  const StoringCase& c = GetParam();
  const size_t count = 64;
  std::vector<void*> made;
  for (size_t k = 0; k < count; ++k) made.push_back(Parse(k % 2 != 0 ? c.textA : c.textB));
  std::vector<void*> other;
  std::thread([&] {
    for (void* value : made) type().DeleteScalar(value);
    for (size_t k = 0; k < count; ++k) other.push_back(Parse(c.textA));
  }).join();
  made.clear();
  for (size_t k = 0; k < count; ++k) made.push_back(Parse(c.textB));
  std::set<void*> blocks(made.begin(), made.end());
  blocks.insert(other.begin(), other.end());
  EXPECT_EQ(2 * count, blocks.size());
  for (void* value : other) EXPECT_EQ(c.printA, type().ToString(value));
  for (void* value : made) EXPECT_EQ(c.printB, type().ToString(value));
  for (void* value : made) type().DeleteScalar(value);
  for (void* value : other) type().DeleteScalar(value);
}

INSTANTIATE_TEST_SUITE_P(AllStoringClasses, StoringClass, ::testing::ValuesIn(StoringCases()),
                         [](const ::testing::TestParamInfo<StoringCase>& info) {
                           return std::string(info.param.name);
                         });

// Text conversion at the edges, class by class. An absent result means the
// text must be refused (null, nothing allocated).
struct TextCase {
  const char* label;
  std::function<TypePtr()> make;
  std::string text;
  std::optional<std::string> printed;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.label << " \"" << c.text << "\""; }

std::vector<TextCase> TextCases() {
  const std::nullopt_t refused = std::nullopt;
  std::vector<TextCase> cases = {
      // Narrow integers: signed 32-bit text first, then modulo the width.
      {"Int8", Maker<dt_Integer_8>(), "128", "-128"},
      {"Int8", Maker<dt_Integer_8>(), "-129", "127"},
      {"Int8", Maker<dt_Integer_8>(), "3000000000", refused},
      {"Int8u", Maker<dt_Integer_8u>(), "300", "44"},
      {"Int8u", Maker<dt_Integer_8u>(), "-1", "255"},
      {"Int8u", Maker<dt_Integer_8u>(), "256", "0"},
      {"Int16", Maker<dt_Integer_16>(), "32768", "-32768"},
      {"Int16u", Maker<dt_Integer_16u>(), "65536", "0"},
      {"Int16u", Maker<dt_Integer_16u>(), "2147483648", refused},
      {"Int32", Maker<dt_Integer_32>(), "2147483648", refused},
      {"Int32", Maker<dt_Integer_32>(), "-2147483649", refused},
      {"Int32", Maker<dt_Integer_32>(), "xyz", refused},
      {"Int32", Maker<dt_Integer_32>(), " ", refused},
      {"Int32", Maker<dt_Integer_32>(), "-", refused},
      {"Int32", Maker<dt_Integer_32>(), "12abc", "12"},
      {"Int32", Maker<dt_Integer_32>(), "0x1A", "0"},
      {"Int32", Maker<dt_Integer_32>(), "+7", "7"},
      {"Int32", Maker<dt_Integer_32>(), "1e5", "1"},
      // Int32u takes its whole range, and nothing past it.
      {"Int32u", Maker<dt_Integer_32u>(), "-1", "4294967295"},
      {"Int32u", Maker<dt_Integer_32u>(), "3000000000", "3000000000"},
      {"Int32u", Maker<dt_Integer_32u>(), "4294967296", refused},
      {"Int32u", Maker<dt_Integer_32u>(), "-2147483649", refused},
      {"Int64", Maker<dt_Integer_64>(), "9223372036854775807", "9223372036854775807"},
      {"Int64", Maker<dt_Integer_64>(), "9223372036854775808", refused},
      {"Int64", Maker<dt_Integer_64>(), "-9223372036854775809", refused},
      {"Int64u", Maker<dt_Integer_64u>(), "-1", "18446744073709551615"},
      {"Int64u", Maker<dt_Integer_64u>(), "18446744073709551616", refused},
      {"Int64u", Maker<dt_Integer_64u>(), "-18446744073709551616", refused},
      {"Int64u", Maker<dt_Integer_64u>(), "abc", refused},
      // Floats: underflow counts as out of range, as overflow does.
      {"Single", Maker<dt_Float_Single>(), "1e39", refused},
      {"Single", Maker<dt_Float_Single>(), "1e-50", refused},
      {"Single", Maker<dt_Float_Single>(), "0x1p-2", "0.25"},
      {"Single", Maker<dt_Float_Single>(), "-Infinity", "-inf"},
      {"Single", Maker<dt_Float_Single>(), "3.4028235e38", "3.40282e+38"},
      {"Single", Maker<dt_Float_Single>(), ".", refused},
      {"Double", Maker<dt_Float_Double>(), "1e999", refused},
      {"Double", Maker<dt_Float_Double>(), "1e-310", refused},
      {"Double", Maker<dt_Float_Double>(), "1e20", "1e+20"},
      {"Double", Maker<dt_Float_Double>(), "inf", "inf"},
      {"Double", Maker<dt_Float_Double>(), "nan", "nan"},
      {"Double", Maker<dt_Float_Double>(), "0X1.8P1", "3"},
      {"Double", Maker<dt_Float_Double>(), "  2.5e-3xyz", "0.0025"},
      {"Double", Maker<dt_Float_Double>(), "e5", refused},
      // Complex never parses: any non-empty text is the imaginary unit.
      {"Complex", Maker<dt_Complex>(), " ", "0+1i"},
      {"Complex", Maker<dt_Complex>(), "3+4i", "0+1i"},
      // Bool without a defining item falls back to the words true and false.
      {"Boolean", Maker<dt_Boolean>(), "true", "true"},
      {"Boolean", Maker<dt_Boolean>(), "tRuE", "true"},
      {"Boolean", Maker<dt_Boolean>(), "true ", "false"},
      {"Boolean", Maker<dt_Boolean>(), "1", "false"},
      {"Boolean", Maker<dt_Boolean>(), "yes", "false"},
      {"Boolean", Maker<dt_Boolean>(), "", "false"},
      {"String", Maker<dt_String>(), std::string("a\0b", 3), std::string("a\0b", 3)},
  };
#if UINTPTR_MAX == UINT64_MAX
  cases.push_back({"Size_t", Maker<dt_Size_t>(), "-1", "-1"});
  cases.push_back({"Size_t", Maker<dt_Size_t>(), "9223372036854775808", "-9223372036854775808"});
  cases.push_back({"Size_t", Maker<dt_Size_t>(), "18446744073709551616", refused});
  cases.push_back({"Size_t", Maker<dt_Size_t>(), "size", refused});
  cases.push_back({"Pointer", Maker<dt_Pointer>(), "9223372036854775808", "9223372036854775808"});
  cases.push_back({"Pointer", Maker<dt_Pointer>(), "0x10", "0"});
  cases.push_back({"Pointer", Maker<dt_Pointer>(), "p", refused});
#endif
  return cases;
}

class TextConversion : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextConversion, ParsesOrRefuses) {
  const TextCase& c = GetParam();
  TypePtr type = c.make();
  Value value(*type, type->AllocScalarValue(c.text));
  if (!c.printed) {
    EXPECT_EQ(nullptr, value.get());
    return;
  }
  ASSERT_NE(nullptr, value.get());
  EXPECT_EQ(*c.printed, value.Text());
}

INSTANTIATE_TEST_SUITE_P(EdgeTexts, TextConversion, ::testing::ValuesIn(TextCases()),
                         [](const ::testing::TestParamInfo<TextCase>& info) {
                           return std::string(info.param.label) + "_" +
                                  std::to_string(info.index);
                         });

// Called on the concrete class, a string literal must still parse: should a
// class hide the base's literal overload, the literal would bind to the
// copy-from-address form and its bytes would be copied as a value.
template <typename Class>
std::string ParseLiteral(const char* literal) {
  Class type;
  void* value = type.AllocScalarValue(literal);
  if (value == nullptr) return "(refused)";
  std::string text = type.ToString(value);
  type.DeleteScalar(value);
  return text;
}

TEST(StringLiterals, ParsedNotCopiedByEveryClass) {
  EXPECT_EQ("true", ParseLiteral<dt_Boolean>("TRUE"));
  EXPECT_EQ("12", ParseLiteral<dt_Integer_8>("12"));
  EXPECT_EQ("12", ParseLiteral<dt_Integer_8u>("12"));
  EXPECT_EQ("1234", ParseLiteral<dt_Integer_16>("1234"));
  EXPECT_EQ("1234", ParseLiteral<dt_Integer_16u>("1234"));
  EXPECT_EQ("123456", ParseLiteral<dt_Integer_32>("123456"));
  EXPECT_EQ("123456", ParseLiteral<dt_Integer_32u>("123456"));
  EXPECT_EQ("12345678901", ParseLiteral<dt_Integer_64>("12345678901"));
  EXPECT_EQ("12345678901", ParseLiteral<dt_Integer_64u>("12345678901"));
  EXPECT_EQ("2.5", ParseLiteral<dt_Float_Single>("2.5"));
  EXPECT_EQ("2.5", ParseLiteral<dt_Float_Double>("2.5"));
  EXPECT_EQ("12345", ParseLiteral<dt_Size_t>("12345"));
  EXPECT_EQ("0+1i", ParseLiteral<dt_Complex>("12"));
  EXPECT_EQ("some text", ParseLiteral<dt_String>("some text"));
  EXPECT_EQ("12345", ParseLiteral<dt_Pointer>("12345"));
  dt_Void voidType;
  void* slot = voidType.AllocScalarValue("77");
  ASSERT_NE(nullptr, slot);
  EXPECT_EQ(77u, *static_cast<const uintptr_t*>(slot));
  voidType.DeleteScalar(slot);
}

// Complex: the storage is two doubles, real part first, and every
// operation moves both parts.
TEST(ComplexValues, StorageIsRealThenImaginary) {
  dt_Complex type;
  const double parts[2] = {1.5, -2.0};
  Value value(type, type.AllocScalarValue(static_cast<const void*>(parts)));
  EXPECT_EQ("1.5+-2i", value.Text());
}

TEST(ComplexValues, PrintsBothPartsAsDoubles) {
  dt_Complex type;
  const std::complex<double> samples[] = {{3, 4}, {1, -2}, {0.5, 0}, {1e20, 2.0 / 3.0}};
  const char* expected[] = {"3+4i", "1+-2i", "0.5+0i", "1e+20+0.666667i"};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(expected[i], type.ToString(&samples[i]));
}

TEST(ComplexValues, SwapAndSetMoveBothParts) {
  dt_Complex type;
  std::complex<double> a(3, 4), b(1, -2);
  type.Swap(&a, &b);
  EXPECT_EQ(std::complex<double>(1, -2), a);
  EXPECT_EQ(std::complex<double>(3, 4), b);
  type.SetValue(&a, &b);
  EXPECT_EQ(std::complex<double>(3, 4), a);
  type.Reset(&a);
  EXPECT_EQ(std::complex<double>(0, 0), a);
}

// Bool: any non-zero byte is true when printed; parsing only ever writes 1.
TEST(BooleanValues, AnyNonZeroBytePrintsTrue) {
  dt_Boolean type;
  const uint8_t two = 2, zero = 0;
  EXPECT_EQ("true", type.ToString(&two));
  EXPECT_EQ("false", type.ToString(&zero));
  Value parsed(type, type.AllocScalarValue("TRUE"));
  EXPECT_EQ(1, *static_cast<const uint8_t*>(parsed.get()));
}

// Integers print as numbers, never as the character with that code.
TEST(IntegerValues, ByteWideValuesPrintAsNumbers) {
  dt_Integer_8 int8;
  dt_Integer_8u int8u;
  const int8_t letter = 'A';
  const uint8_t high = 200;
  EXPECT_EQ("65", int8.ToString(&letter));
  EXPECT_EQ("200", int8u.ToString(&high));
}

// Void: a slot no operation but its own allocation touches; it prints the
// value's address.
TEST(VoidValues, SizeIsPointerWidth) {
  dt_Void type;
  EXPECT_EQ(sizeof(void*), type.SizeOf());
}

TEST(VoidValues, TextParsesAsSizeIntoANewSlot) {
  dt_Void type;
  Value value(type, type.AllocScalarValue("42"));
  ASSERT_NE(nullptr, value.get());
  EXPECT_EQ(42u, *static_cast<const uintptr_t*>(value.get()));
  Value empty(type, type.AllocScalarValue(""));
  ASSERT_NE(nullptr, empty.get());
  EXPECT_EQ(0u, *static_cast<const uintptr_t*>(empty.get()));
  EXPECT_EQ(nullptr, type.AllocScalarValue("none"));
}

// Freeing a copy must never free the caller's storage: the copy is a new
// slot (freeing the stack address here would be caught by the sanitizer).
TEST(VoidValues, CopyByAddressMakesANewSlot) {
  dt_Void type;
  uintptr_t source = 1234;
  void* copy = type.AllocScalarValue(static_cast<const void*>(&source));
  ASSERT_NE(nullptr, copy);
  EXPECT_NE(static_cast<void*>(&source), copy);
  EXPECT_EQ(1234u, *static_cast<const uintptr_t*>(copy));
  type.DeleteScalar(copy);
  EXPECT_EQ(1234u, source);
}

TEST(VoidValues, SetSwapAndResetChangeNothing) {
  dt_Void type;
  uintptr_t a = 1, b = 2;
  uintptr_t array[3] = {7, 8, 9};
  type.SetValue(&a, &b);
  type.SetValue(array, &b, 1);
  type.Swap(&a, &b);
  type.Reset(&a);
  EXPECT_EQ(1u, a);
  EXPECT_EQ(2u, b);
  EXPECT_EQ(8u, array[1]);
}

TEST(VoidValues, PrintsTheValuesAddressSigned) {
  dt_Void type;
  uintptr_t slot = 5;
  EXPECT_EQ(std::to_string(reinterpret_cast<intptr_t>(&slot)), type.ToString(&slot));
  EXPECT_EQ("0", type.ToString(nullptr));
  const void* high = reinterpret_cast<const void*>(~uintptr_t{0});
  EXPECT_EQ("-1", type.ToString(high));
}

TEST(VoidValues, ArraysAllocateResetAndFree) {
  dt_Void type;
  Array array(type, 4);
  ASSERT_NE(nullptr, array.get());
  EXPECT_EQ(array.get(), type.ResetArray(array.get()));
  Array empty(type, 0);
  EXPECT_NE(nullptr, empty.get());
  EXPECT_EQ(nullptr, type.AllocArrayValue(SIZE_MAX / sizeof(void*)));
  type.DeleteArray(nullptr);
  type.DeleteScalar(nullptr);
}

// The value pool holds scalars made by the type; freeing it releases every
// one (the leak checker sees any that stay) and empties the pool.
TEST(ValuePool, FreeReleasesEveryBufferAndEmpties) {
  dt_String type;
  type.ValuePool.push_back(type.AllocScalarValue(kLongA));
  type.ValuePool.push_back(nullptr);
  type.ValuePool.push_back(type.AllocScalarValue(kLongB));
  type.ValuePoolUsed = 2;
  type.FreeValuePool();
  EXPECT_TRUE(type.ValuePool.empty());
  EXPECT_EQ(0u, type.ValuePoolUsed);
  type.FreeValuePool();  // a second call finds nothing to free
  EXPECT_TRUE(type.ValuePool.empty());
}

}  // namespace
}  // namespace QuorbNameSpace
