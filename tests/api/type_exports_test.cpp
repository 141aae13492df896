// Data types through their exports: values of each type made from text,
// copied, set, swapped, reset, printed and released; arrays; and the
// refusals that keep host memory and library values from being freed.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "quorb.h"

namespace {

std::string Folded(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

class Types : public ::testing::Test {
 protected:
  Types() : q(CreateQuorb(nullptr)) {}
  ~Types() override { ReleaseQuorb(q); }

  QuorbType* TypeNamed(const char* name) {
    QuorbType* type = GetDataType(HandleOf(q, name, 0, 1));
    EXPECT_NE(type, nullptr) << name;
    return type;
  }

  QuorbInstance* q;
};

struct TypeCase {
  const char* name;
  int32_t index;
  size_t size;
  const char* first;
  const char* second;
  const char* reset;  // the zero value printed
};

TEST_F(Types, ScalarsRoundTripThroughEveryOperation) {
  const TypeCase cases[] = {
      {"Bool", 2, 1, "true", "false", "false"},
      {"Int8", 3, 1, "-5", "7", "0"},
      {"Int8u", 4, 1, "200", "7", "0"},
      {"Int16", 5, 2, "-300", "7", "0"},
      {"Int", 7, 4, "-70000", "7", "0"},
      {"Int64", 9, 8, "-5000000000", "7", "0"},
      {"Int64u", 10, 8, "18446744073709551615", "7", "0"},
      {"Single", 13, 4, "1.5", "0.25", "0"},
      {"Double", 14, 8, "2.5", "0.125", "0"},
      {"Size_t", 16, sizeof(size_t), "12", "7", "0"},
      {"String", 21, sizeof(std::string), "some text", "other", ""},
  };
  for (const TypeCase& c : cases) {
    SCOPED_TRACE(c.name);
    QuorbType* type = TypeNamed(c.name);
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(Index(type), c.index);
    EXPECT_EQ(ByteSize(type), c.size);
    EXPECT_EQ(Folded(Name_Overload_DataType(type)), Folded(c.name)) << "names are filed folded";
    EXPECT_EQ(GetItem(type), HandleOf(q, c.name, 0, 1));

    void* a = AllocScalar(type, c.first);
    void* b = AllocScalar(type, c.second);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    void* copy = AllocByPtr(type, a);
    EXPECT_STREQ(ToString_Overload_DataType__ByPtr(type, copy), c.first);
    SwapScalarValues(type, a, b);
    EXPECT_STREQ(ToString_Overload_DataType__ByPtr(type, a), c.second);
    EXPECT_STREQ(ToString_Overload_DataType__ByPtr(type, b), c.first);
    SetScalar(type, a, b);
    EXPECT_STREQ(ToString_Overload_DataType__ByPtr(type, a), c.first);
    ResetScalar(type, a);
    EXPECT_STREQ(ToString_Overload_DataType__ByPtr(type, a), c.reset);
    EXPECT_STREQ(ToString_Overload_DataType__ByStr(type, c.second), c.second);
    ReleaseScalar(type, a);
    ReleaseScalar(type, b);
    ReleaseScalar(type, copy);
  }
  EXPECT_EQ(ErrorNumber(q), 0);
}

TEST_F(Types, ArraysAreWrittenByIndexAndReset) {
  QuorbType* type = TypeNamed("String");
  void* array = AllocArray(type, 3);
  ASSERT_NE(array, nullptr);
  void* value = AllocScalar(type, "middle");
  SetArray(type, array, value, 1);
  auto* strings = static_cast<std::string*>(array);
  EXPECT_EQ(strings[1], "middle");
  EXPECT_EQ(strings[0], "");
  SetArray(type, array, value, 3);
  EXPECT_EQ(ErrorNumber(q), 13) << "an index past the end is refused";
  static_assert(std::is_void<decltype(ResetArray(type, array))>::value, "ResetArray has no result");
  ResetArray(type, array);
  EXPECT_EQ(strings[1], "");
  ReleaseArray(type, array);
  ReleaseScalar(type, value);

  EXPECT_EQ(AllocArray(type, -1), nullptr) << "a negative count makes no array";
}

TEST_F(Types, OutputFormatsApplyToPrintedValues) {
  QuorbType* type = TypeNamed("Double");
  ASSERT_NE(SetOutput_Overload_Quorb__NoCallback(q, " Double T = IIf(T == \"0.5\", \"half\", T)"), nullptr)
      << ErrorMessage(q, 0);
  EXPECT_STREQ(ToString_Overload_DataType__ByStr(type, "0.5"), "half");
  EXPECT_STREQ(ToString_Overload_DataType__ByStr(type, "2"), "2");
  EXPECT_STREQ(EvalStr(q, "0.5"), "half");
  ResetOutput(q);
  EXPECT_STREQ(ToString_Overload_DataType__ByStr(type, "0.5"), "0.5");
  EXPECT_STREQ(ToString_Overload_DataType__ByStr(type, "not a number"), "");
  // A type this instance does not know: refused, nothing formatted.
  EXPECT_EQ(SetOutput_Overload_Quorb__NoCallback(q, " Dbl T = \"never\""), nullptr);
  EXPECT_EQ(ErrorNumber(q), 9);
  EXPECT_STREQ(EvalStr(q, "0.5"), "0.5");
}

// Only values the Alloc exports made are freed, and only once, and only by
// a type of the class that made them; the sanitizers see any other free.
TEST_F(Types, ReleaseFreesOnlyWhatTheExportsMade) {
  QuorbType* voidType = TypeNamed("Void");
  QuorbType* doubleType = TypeNamed("Double");
  QuorbType* stringType = TypeNamed("String");
  void* hostMemory = &hostMemory;

  void* overHost = AllocByPtr(voidType, &hostMemory);
  ASSERT_NE(overHost, nullptr);
  EXPECT_NE(overHost, static_cast<void*>(&hostMemory)) << "a Void value copies the host's slot";
  ReleaseScalar(voidType, overHost);
  ReleaseScalar(voidType, &hostMemory);
  EXPECT_EQ(ErrorNumber(GetQuorb_Overload_Item(GetItem(voidType))), 13) << "host memory is refused";

  double onStack = 1.0;
  ReleaseScalar(doubleType, &onStack);
  void* text = AllocScalar(stringType, "x");
  SetScalar(doubleType, text, &onStack);  // another class: refused, the text object intact
  SwapScalarValues(doubleType, text, &onStack);
  ResetScalar(doubleType, text);
  EXPECT_STREQ(ToString_Overload_DataType__ByPtr(stringType, text), "x");
  ReleaseScalar(doubleType, text);  // another class: refused, still allocated
  ReleaseScalar(stringType, text);
  ReleaseScalar(stringType, text);  // twice: refused

  QuorbItem* variable = DefineVariable(q, "v As Double", nullptr);
  ReleaseScalar(doubleType, ValueAddr(variable));  // the library's own value
  EXPECT_EQ(Eval(q, "v + 1"), 1.0);
  ResetArray(doubleType, &onStack);  // not an array the exports made
  EXPECT_EQ(onStack, 1.0);
}

// Text values are library objects: a C string, or any pointer the exports
// did not make, is refused by every export that reads or writes a value by
// pointer, for String and for OmniType; what they made (an array's
// elements included) is accepted.
TEST_F(Types, TextValuesByPointerAreOnlyThoseTheExportsMade) {
  char cText[64] = "not a text object, only characters";
  for (const char* name : {"String", "OmniType"}) {
    SCOPED_TRACE(name);
    QuorbType* type = TypeNamed(name);
    QuorbItem* item = DefineVariable(q, (std::string("kept As ") + name + " = \"kept\"").c_str(), nullptr);
    ASSERT_NE(item, nullptr);
    void* made = AllocScalar(type, "made");
    void* array = AllocArray(type, 2);
    const std::vector<std::pair<const char*, std::function<void()>>> refused = {
        {"SetVariableValueByPtr", [&] { SetVariableValueByPtr(item, cText); }},
        {"AllocByPtr", [&] { EXPECT_EQ(AllocByPtr(type, cText), nullptr); }},
        {"ToString ByPtr", [&] { EXPECT_STREQ(ToString_Overload_DataType__ByPtr(type, cText), ""); }},
        {"SetScalar to", [&] { SetScalar(type, cText, made); }},
        {"SetScalar from", [&] { SetScalar(type, made, cText); }},
        {"SetArray into", [&] { SetArray(type, cText, made, 0); }},
        {"SetArray from", [&] { SetArray(type, array, cText, 0); }},
        {"SwapScalarValues", [&] { SwapScalarValues(type, made, cText); }},
        {"ResetScalar", [&] { ResetScalar(type, cText); }},
        {"the item's own storage", [&] { ResetScalar(type, ValueAddr(item)); }},
        {"inside an array", [&] { ResetScalar(type, static_cast<char*>(array) + 1); }},
    };
    for (const auto& [what, call] : refused) {
      EvalStr(q, "0");
      call();
      EXPECT_EQ(ErrorNumber(q), 7) << what;
    }
    EXPECT_STREQ(cText, "not a text object, only characters");
    EXPECT_STREQ(ValueStr(item), "kept");
    EXPECT_STREQ(ToString_Overload_DataType__ByPtr(type, made), "made");
    EvalStr(q, "0");
    void* second = static_cast<char*>(array) + ByteSize(type);
    SetArray(type, array, made, 1);
    EXPECT_STREQ(ToString_Overload_DataType__ByPtr(type, second), "made") << "an element is a value the exports made";
    SetVariableValueByPtr(item, second);
    EXPECT_STREQ(ValueStr(item), "made");
    EXPECT_EQ(ErrorNumber(q), 0);
    ReleaseArray(type, array);
    ReleaseScalar(type, made);
  }
}

}  // namespace
