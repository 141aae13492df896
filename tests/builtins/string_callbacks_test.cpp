// The string callbacks seen from the callback side: what a refused copy
// leaves in its result (emptied, even when it held text before, with error
// 19 set), and the width of C_Str's address cell.
#include <gtest/gtest.h>

#include <string>

#include "builtin_call.h"
#include "builtins/string_callbacks.h"
#include "engine/errors.h"

namespace QuorbNameSpace {
namespace {

class StringCallbacks : public BuiltinCall {
 protected:
  QuorbItem* Size(size_t value) { return Set(Value(instance.Types.DataTypes[TypeSizeT], "0"), value); }
  QuorbItem* Byte(uint8_t value) { return Set(Value(instance.Types.DataTypes[TypeInt8u], "0"), value); }

  // Runs `callback` into a String result that already holds text.
  std::string RunText(QuorbCallback callback, std::vector<QuorbItem*> args) {
    QuorbItem* result = S("stale");
    RunInto(callback, std::move(args), result);
    return Read<std::string>(result);
  }
};

TEST_F(StringCallbacks, CopiesGiveTheEmptyTextWithError19) {
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

TEST_F(StringCallbacks, CStrWritesOneAddressIntoThePointerCell) {
  QuorbItem* text = S("abc");
  QuorbItem* address = Run(&String_C_Str, {text}, instance.Types.PointerType);
  EXPECT_EQ(HeldAddress(address), static_cast<const void*>(static_cast<std::string*>(text->ValuePtr)->c_str()));
}

}  // namespace
}  // namespace QuorbNameSpace
