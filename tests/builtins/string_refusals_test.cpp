// What a refused string call leaves behind, seen from the callback side: a
// copy's String result is emptied (even when it held text before) and error
// 19 is set; an in-place edit leaves its argument as it was.
#include <gtest/gtest.h>

#include <string>

#include "builtin_call.h"
#include "builtins/string_callbacks.h"
#include "engine/errors.h"

namespace QuorbNameSpace {
namespace {

class StringRefusals : public BuiltinCall {
 protected:
  QuorbItem* Size(size_t value) { return Set(Value(instance.DataTypes[TypeSizeT], "0"), value); }
  QuorbItem* Byte(uint8_t value) { return Set(Value(instance.DataTypes[TypeInt8u], "0"), value); }

  // Runs `callback` into a String result that already holds text.
  std::string RunText(QuorbCallback callback, std::vector<QuorbItem*> args) {
    QuorbItem* result = S("stale");
    RunInto(callback, std::move(args), result);
    return Read<std::string>(result);
  }
};

TEST_F(StringRefusals, CopiesGiveTheEmptyTextWithError19) {
  const size_t huge = MaxBuiltTextLength + 1;
  struct Refused {
    const char* name;
    QuorbCallback callback;
    std::vector<QuorbItem*> args;
  };
  const std::vector<Refused> calls = {
      {"Substr", &String_Substr, {S("hello"), Size(6), Size(1)}},
      {"Insert_Copy", &String_InsertCopy, {S("hello"), Size(6), S("x")}},
      {"Erase_Copy", &String_EraseCopy, {S("hello"), Size(6), Size(1)}},
      {"Replace_Copy", &String_ReplaceCopy, {S("hello"), Size(6), Size(0), S("x")}},
      {"Fill", &String_Fill, {Size(huge), Byte(65)}},
      {"Repeat", &String_Repeat, {S("ab"), Size(huge / 2 + 1)}},
  };
  for (const Refused& call : calls) {
    instance.Error.Number = 0;
    EXPECT_EQ(RunText(call.callback, call.args), "") << call.name;
    EXPECT_EQ(instance.Error.Number, ErrBoundExceeded) << call.name;
  }
}

TEST_F(StringRefusals, InPlaceEditsLeaveTheirArgumentAlone) {
  QuorbItem* text = S("hello");
  Run(&String_Insert, {text, Size(6), S("x")}, nullptr);
  Run(&String_Erase, {text, Size(7), Size(1)}, nullptr);
  Run(&String_Replace, {text, Size(99), Size(1), S("x")}, nullptr);
  EXPECT_EQ(Read<std::string>(text), "hello");
  EXPECT_EQ(instance.Error.Number, ErrBoundExceeded);
}

TEST_F(StringRefusals, ANegativeIntCountRepeatsNothingWithoutError) {
  EXPECT_EQ(RunText(&String_Repeat, {S("ab"), I(-3)}), "");
  EXPECT_EQ(instance.Error.Number, 0);
}

}  // namespace
}  // namespace QuorbNameSpace
