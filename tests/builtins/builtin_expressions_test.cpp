// The numeric built-ins as expressions reach them: parsed on an instance
// that has the built-in definitions, so that the declared parameter and
// result types, overload order and pointer arguments meet the callbacks.
#include <gtest/gtest.h>

#include <cfenv>
#include <cstdint>
#include <cstring>
#include <string>

#include "builtin_instance.h"
#include "engine/exception_flags.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"

namespace QuorbNameSpace {
namespace {

class BuiltinExpressionsTest : public ::testing::Test {
 protected:
  void SetUp() override { EnsureBuiltins(instance); }

  // The formatted result, or the message of the error the text raised.
  std::string Eval(const std::string& text) { return instance.EvalStr(text); }

  QuorbItem* Variable(const std::string& definition) {
    QuorbItem* item = instance.Define(definition, nullptr, nullptr);
    EXPECT_NE(item, nullptr) << definition;
    EXPECT_EQ(instance.Error.Number, 0) << definition;
    return item;
  }

  Quorb instance;
};

TEST_F(BuiltinExpressionsTest, PrefixNotIsAComplementAndBangALogicalNot) {
  EXPECT_EQ(Eval("Not 5"), "-6");
  EXPECT_EQ(Eval("Not -1"), "0");
  EXPECT_EQ(Eval("5 ~ 1"), "-6");
  EXPECT_EQ(Eval("!0"), "true");
  EXPECT_EQ(Eval("!5"), "false");
  EXPECT_EQ(Eval("!0.5"), "false") << "the operand is read as a Double, not truncated";
}

TEST_F(BuiltinExpressionsTest, BoolAndIntFormsOfAndOr) {
  EXPECT_EQ(Eval("True And False"), "false");
  EXPECT_EQ(Eval("True And True"), "true");
  EXPECT_EQ(Eval("False Or True"), "true");
  EXPECT_EQ(Eval("12 & 10"), "8");
  EXPECT_EQ(Eval("12 | 10"), "14");
  EXPECT_EQ(Eval("6 Xor 3"), "5");
  EXPECT_EQ(Eval("1 << 33"), "2");
  EXPECT_EQ(Eval("-8 >> 1"), "-4");
}

TEST_F(BuiltinExpressionsTest, IntRemainderAndDivisionByZero) {
  EXPECT_EQ(Eval("7 % -3"), "1");
  EXPECT_EQ(Eval("-7 % 3"), "-1");
  EXPECT_EQ(Eval("5 % 0"), "Division by 0");
  EXPECT_EQ(instance.Error.Number, ErrDivisionByZero);
}

TEST_F(BuiltinExpressionsTest, FactorialAndFloatingPointErrors) {
  EXPECT_EQ(Eval("3!"), "6");
  EXPECT_EQ(Eval("4.7!"), "24");
  EXPECT_EQ(Eval("171!"), "Floating point overflow");
  EXPECT_EQ(Eval("Sqr(-1)"), "Invalid operation");
  EXPECT_EQ(Eval("Fpclassify(1/0)"), "Division by 0");
}

TEST_F(BuiltinExpressionsTest, RoundingAndClassification) {
  EXPECT_EQ(Eval("Lround(2.5)"), "3");
  EXPECT_EQ(Eval("Round(-2.5)"), "-3");
  EXPECT_EQ(Eval("Rint(2.5)"), "2");
  EXPECT_EQ(Eval("Fpclassify(0)"), "2");
  EXPECT_EQ(Eval("2 ^ 3"), "8");
  EXPECT_EQ(Eval("7 mod -3"), "1");
}

TEST_F(BuiltinExpressionsTest, ComparisonsOfStringsAndNaN) {
  EXPECT_EQ(Eval("\"abc\" < \"abd\""), "true");
  EXPECT_EQ(Eval("\"ab\" < \"abc\""), "true");
  EXPECT_EQ(Eval("\"b\" > \"abc\""), "true");
  instance.Evaluator.IgnoredExceptions = FiveExceptionFlags;
  EXPECT_EQ(Eval("0/0 == 0/0"), "false");
  EXPECT_EQ(Eval("0/0 <> 0/0"), "true");
}

TEST_F(BuiltinExpressionsTest, RandomNumbersAfterASeed) {
  Eval("RandomSeed(0)");
  EXPECT_EQ(Eval("RandomNumber(10, 0)"), "7");
  Eval("RandomSeed(2147483647)");
  EXPECT_EQ(Eval("RandomNumber(10, 0)"), "7");
}

TEST_F(BuiltinExpressionsTest, SecondOutputsReachTheVariablePointedAt) {
  QuorbItem* e = Variable("Variable: e As Int");
  Variable("Variable: ip As Double");
  QuorbItem* p = Variable("Variable: p As Int Ptr");
  ASSERT_NE(e, nullptr);
  ASSERT_NE(p, nullptr);

  EXPECT_EQ(Eval("Frexp(8, AddressOf(e))"), "0.5");
  EXPECT_EQ(Eval("e"), "4");
  EXPECT_EQ(Eval("Modf(-3.25, AddressOf(ip))"), "-0.25");
  EXPECT_EQ(Eval("ip"), "-3");
  EXPECT_EQ(Eval("Remquo(10, 3, AddressOf(e))"), "1");
  EXPECT_EQ(Eval("e"), "3");

  // Through a pointer variable: the variable pointed at changes, the
  // pointer keeps its address.
  Eval("p = AddressOf(e)");
  EXPECT_EQ(Eval("Frexp(16, p)"), "0.5");
  EXPECT_EQ(Eval("e"), "5");
  uintptr_t held = 0;
  ASSERT_NE(p->ValuePtr, nullptr);
  std::memcpy(&held, p->ValuePtr, sizeof held);
  EXPECT_EQ(held, reinterpret_cast<uintptr_t>(e->ValuePtr));
}

}  // namespace
}  // namespace QuorbNameSpace
