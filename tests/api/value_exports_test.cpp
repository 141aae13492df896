// Item values through the host's fixed widths: the item's type decides, so
// a width never touches storage of another size. Same-type round trips,
// converting writes and reads, refused mismatches, and the items that hold
// no value.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "quorb.h"

namespace {

class Values : public ::testing::Test {
 protected:
  Values() : q(CreateQuorb(nullptr)) {}
  ~Values() override { ReleaseQuorb(q); }
  QuorbInstance* q;
};

enum Width { Dbl, Sng, Byte, I16, I32, I64 };

void Write(QuorbItem* item, Width width, double value) {
  switch (width) {
    case Dbl: SetVariableValueDbl(item, value); break;
    case Sng: SetVariableValueSng(item, static_cast<float>(value)); break;
    case Byte: SetVariableValueByte(item, static_cast<uint8_t>(value)); break;
    case I16: SetVariableValueInt16(item, static_cast<int16_t>(value)); break;
    case I32: SetVariableValueInt32(item, static_cast<int32_t>(value)); break;
    case I64: SetVariableValueInt64(item, static_cast<int64_t>(value)); break;
  }
}

double Read(QuorbItem* item, Width width) {
  switch (width) {
    case Dbl: return ValueDbl(item);
    case Sng: return ValueSng(item);
    case Byte: return ValueByte(item);
    case I16: return ValueInt16(item);
    case I32: return ValueInt32(item);
    case I64: return static_cast<double>(ValueInt64(item));
  }
  return -1;
}

struct WidthCase {
  const char* declaration;
  Width written;
  double value;
  Width read;
  double expected;
  const char* printed;
};

// Each width through its own type, then through another numeric type,
// which converts as the language's implicit conversions do.
TEST_F(Values, WidthsRoundTripAndConvert) {
  const WidthCase cases[] = {
      {"d As Double", Dbl, 2.5, Dbl, 2.5, "2.5"},      {"s As Single", Sng, 1.25, Sng, 1.25, "1.25"},
      {"b As Int8u", Byte, 200, Byte, 200, "200"},     {"h As Int16", I16, -300, I16, -300, "-300"},
      {"n As Int", I32, -70000, I32, -70000, "-70000"}, {"w As Int64", I64, -5e9, I64, -5e9, "-5000000000"},
      {"b As Int8u", Dbl, 300, Dbl, 44, "44"},         {"n As Int", Dbl, -3.99, Sng, -3, "-3"},
      {"d As Double", I32, 41, Byte, 41, "41"},        {"w As Int64", Byte, 7, I16, 7, "7"},
  };
  for (const WidthCase& c : cases) {
    QuorbItem* item = DefineVariable(q, c.declaration, nullptr);
    ASSERT_NE(item, nullptr) << c.declaration;
    Write(item, c.written, c.value);
    EXPECT_EQ(Read(item, c.read), c.expected) << c.declaration;
    EXPECT_STREQ(ValueStr(item), c.printed) << c.declaration;
    EXPECT_STREQ(EvalStr(q, Name_Overload_Item(item)), c.printed) << "expressions see what the host wrote";
  }
  EXPECT_EQ(ErrorNumber(q), 0);
}

// A wider write into a narrow item over host memory changes that byte only.
TEST_F(Values, AWideWriteStaysInsideANarrowItem) {
  struct {
    uint8_t before[8];
    uint8_t value;
    uint8_t after[8];
  } host;
  std::memset(&host, 0xAB, sizeof host);
  QuorbItem* byte = DefineVariable(q, "narrow As Int8u", &host.value);
  ASSERT_NE(byte, nullptr);
  SetVariableValueInt64(byte, 7);
  SetVariableValueDbl(byte, 9.0);
  EXPECT_EQ(host.value, 9);
  for (uint8_t neighbour : host.before) EXPECT_EQ(neighbour, 0xAB);
  for (uint8_t neighbour : host.after) EXPECT_EQ(neighbour, 0xAB);
}

struct Mismatch {
  const char* declaration;
  void (*write)(QuorbItem*);
  const char* printedAfter;  // the value is untouched
};

// Writes that fit no conversion write nothing and set error 7.
TEST_F(Values, MismatchedWritesWriteNothingAndSetError7) {
  const Mismatch cases[] = {
      {"s As String = \"text\"", [](QuorbItem* item) { SetVariableValueDbl(item, 1.0); }, "text"},
      {"s As String = \"text\"", [](QuorbItem* item) { SetVariableValueByte(item, 1); }, "text"},
      {"n As Double = 2", [](QuorbItem* item) { SetVariableValueStr(item, "3"); }, "2"},
      {"n As Int = 2", [](QuorbItem* item) { SetVariableValuePtr(item, item); }, "2"},
      {"c As Complex", [](QuorbItem* item) { SetVariableValueDbl(item, 5.0); }, "0+0i"},
  };
  for (const Mismatch& c : cases) {
    QuorbInstance* fresh = CreateQuorb(nullptr);
    QuorbItem* item = DefineVariable(fresh, c.declaration, nullptr);
    ASSERT_NE(item, nullptr) << c.declaration;
    c.write(item);
    EXPECT_EQ(ErrorNumber(fresh), 7) << c.declaration;
    EXPECT_STREQ(ValueStr(item), c.printedAfter) << c.declaration;
    ReleaseQuorb(fresh);
  }
}

// Mismatched reads give zero and error 7, never replacing a pending error;
// items that hold no value read zero with no error at all.
TEST_F(Values, UnreadableValuesGiveZero) {
  QuorbItem* text = DefineVariable(q, "s As String = \"12\"", nullptr);
  EXPECT_EQ(ValueDbl(text), 0.0);
  EXPECT_EQ(ValuePtr(DefineVariable(q, "d As Double = 1", nullptr)), nullptr);
  EXPECT_EQ(ErrorNumber(q), 7);
  EvalStr(q, "1 +");
  const int32_t pending = ErrorNumber(q);
  EXPECT_EQ(ValueInt32(text), 0);
  EXPECT_EQ(ErrorNumber(q), pending);

  EvalStr(q, "0");
  for (QuorbItem* item : {static_cast<QuorbItem*>(nullptr), HandleOf(q, "undefined_here", 0, 1), HandleOf(q, "Sin", 0, 1)}) {
    EXPECT_EQ(Value(item), 0.0);
    EXPECT_EQ(ValuePtr(item), nullptr);
    EXPECT_STREQ(ValueStr(item), "");
    SetVariableValueDbl(item, 1.0);
    SetVariableValueStr(item, "x");
    SetVariableValueByPtr(item, "x");
  }
  EXPECT_EQ(ErrorNumber(q), 0);
  EXPECT_EQ(Eval(q, "Sin(0)"), 0.0) << "the function is untouched";
}

TEST_F(Values, TextCopiedAndParsedWrites) {
  QuorbItem* s = DefineVariable(q, "s As String", nullptr);
  SetVariableValueStr(s, "hello");
  EXPECT_STREQ(EvalStr(q, "s"), "hello");
  QuorbItem* d = DefineVariable(q, "d As Double", nullptr);
  double source = 6.5;
  SetVariableValueByPtr(d, &source);
  EXPECT_EQ(ValueDbl(d), 6.5);
  SetVariableValueAny(d, "1 + 2");
  EXPECT_EQ(*static_cast<double*>(ValueAddr(d)), 3.0) << "the address is the value's storage";
  // Each call reports its own failure, not one an earlier call left.
  SetVariableValueAny(d, "\"text\"");
  EXPECT_EQ(ErrorNumber(q), 7);
  SetVariableValueAny(d, "no_such_name");
  EXPECT_EQ(ErrorNumber(q), 3);
  SetVariableValueAny(d, "4");
  EXPECT_EQ(ErrorNumber(q), 0);
  EXPECT_EQ(ValueDbl(d), 4.0);
}

}  // namespace
