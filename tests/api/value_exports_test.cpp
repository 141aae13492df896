// Item values through the host's fixed widths: the item's type decides, so
// a width never touches storage of another size. Same-type round trips,
// converting writes and reads, refused mismatches, and the items that hold
// no value.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "quorb.h"

namespace {

class Values : public ::testing::Test {
 protected:
  Values() : q(CreateQuorb(nullptr)) {}
  ~Values() override { ReleaseQuorb(q); }

  QuorbItem* Variable(const std::string& declaration) {
    QuorbItem* item = DefineVariable(q, declaration.c_str(), nullptr);
    EXPECT_NE(item, nullptr) << declaration;
    return item;
  }

  QuorbInstance* q;
};

// Each width written and read back through its own type, and the text the
// type prints for it.
TEST_F(Values, EveryWidthRoundTripsThroughItsOwnType) {
  QuorbItem* d = Variable("d As Double");
  QuorbItem* s = Variable("s As Single");
  QuorbItem* b = Variable("b As Int8u");
  QuorbItem* h = Variable("h As Int16");
  QuorbItem* i = Variable("i As Int");
  QuorbItem* w = Variable("w As Int64");
  QuorbItem* p = Variable("p As Pointer");
  int target = 0;

  SetVariableValueDbl(d, 2.5);
  SetVariableValueSng(s, 1.25f);
  SetVariableValueByte(b, 200);
  SetVariableValueInt16(h, -300);
  SetVariableValueInt32(i, -70000);
  SetVariableValueInt64(w, INT64_C(-5000000000));
  SetVariableValuePtr(p, &target);

  EXPECT_EQ(ValueDbl(d), 2.5);
  EXPECT_EQ(Value(d), 2.5);
  EXPECT_EQ(ValueSng(s), 1.25f);
  EXPECT_EQ(ValueByte(b), 200);
  EXPECT_EQ(ValueInt16(h), -300);
  EXPECT_EQ(ValueInt32(i), -70000);
  EXPECT_EQ(ValueInt64(w), INT64_C(-5000000000));
  EXPECT_EQ(ValuePtr(p), &target);
  EXPECT_STREQ(ValueStr(w), "-5000000000");
  EXPECT_STREQ(ValueStr(h), "-300");
  EXPECT_EQ(ErrorNumber(q), 0);
  EXPECT_EQ(Eval(q, "d + s + b + h"), 2.5 + 1.25 + 200 - 300) << "expressions see what the host wrote";
}

// A width of another numeric type converts, and never writes past the
// item's storage: the neighbours in one host struct keep their bytes.
TEST_F(Values, NumericWidthsConvertIntoTheItemsOwnSize) {
  struct {
    uint8_t before[8];
    uint8_t value;
    uint8_t after[8];
  } host;
  std::memset(&host, 0xAB, sizeof host);
  QuorbItem* byte = DefineVariable(q, "narrow As Int8u", &host.value);
  ASSERT_NE(byte, nullptr);

  SetVariableValueDbl(byte, 300.0);
  EXPECT_EQ(host.value, 44) << "300 kept modulo 256, as the conversion does";
  SetVariableValueInt64(byte, 7);
  EXPECT_EQ(host.value, 7);
  for (uint8_t neighbour : host.before) EXPECT_EQ(neighbour, 0xAB);
  for (uint8_t neighbour : host.after) EXPECT_EQ(neighbour, 0xAB);
  EXPECT_EQ(ValueDbl(byte), 7.0);
  EXPECT_EQ(ValueInt64(byte), 7);

  QuorbItem* i = Variable("i As Int");
  SetVariableValueDbl(i, -3.99);
  EXPECT_EQ(ValueInt32(i), -3);
  EXPECT_EQ(ValueSng(i), -3.0f);
  QuorbItem* d = Variable("d As Double");
  SetVariableValueInt32(d, 41);
  EXPECT_EQ(ValueDbl(d), 41.0);
  EXPECT_EQ(ValueByte(d), 41);
  EXPECT_EQ(ErrorNumber(q), 0);
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

// Reads that fit no conversion give zero and set error 7, but never
// replace an error already pending.
TEST_F(Values, MismatchedReadsGiveZero) {
  QuorbItem* s = Variable("s As String = \"12\"");
  EXPECT_EQ(ValueDbl(s), 0.0);
  EXPECT_EQ(ErrorNumber(q), 7);
  QuorbItem* d = Variable("d As Double = 1");
  EXPECT_EQ(ValuePtr(d), nullptr);
  EXPECT_EQ(ValueInt64(Variable("c As Complex")), 0);
  EXPECT_STREQ(ValueStr(s), "12") << "the text reader takes any type";
  EvalStr(q, "1 +");
  const int32_t pending = ErrorNumber(q);
  EXPECT_EQ(ValueInt32(s), 0);
  EXPECT_EQ(ErrorNumber(q), pending);
}

// Items that hold no value read as zero without an error.
TEST_F(Values, ItemsWithoutValueReadZero) {
  QuorbItem* missing = HandleOf(q, "not_defined_here", 0, 1);
  QuorbItem* function = HandleOf(q, "Sin", 0, 1);
  for (QuorbItem* item : {static_cast<QuorbItem*>(nullptr), missing, function}) {
    EXPECT_EQ(Value(item), 0.0);
    EXPECT_EQ(ValueInt32(item), 0);
    EXPECT_EQ(ValuePtr(item), nullptr);
    EXPECT_STREQ(ValueStr(item), "");
    SetVariableValueDbl(item, 1.0);
    SetVariableValueStr(item, "x");
    SetVariableValueByPtr(item, "x");
  }
  EXPECT_EQ(ErrorNumber(q), 0);
  EXPECT_EQ(Eval(q, "Sin(0)"), 0.0) << "the function is untouched";
}

TEST_F(Values, StringAndByPtrAndAnyWrites) {
  QuorbItem* s = Variable("s As String");
  SetVariableValueStr(s, "hello");
  EXPECT_STREQ(ValueStr(s), "hello");
  EXPECT_STREQ(EvalStr(q, "s"), "hello");
  QuorbItem* d = Variable("d As Double");
  double source = 6.5;
  SetVariableValueByPtr(d, &source);
  EXPECT_EQ(ValueDbl(d), 6.5);
  SetVariableValueAny(d, "1 + 2");
  EXPECT_EQ(ValueDbl(d), 3.0);
  EXPECT_EQ(*static_cast<double*>(ValueAddr(d)), 3.0) << "the address is the value's storage";
}

}  // namespace
