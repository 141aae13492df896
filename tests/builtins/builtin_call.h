// Calls built-in callbacks directly, the way an evaluation step does: a
// hand-built ExpressionPart with value items as arguments, a result item of
// the declared result type, and an operation item owned by a real instance,
// so that callbacks raising errors reach it. Every value cell is a separate
// allocation of exactly its type's size, so a callback that reads or writes
// the wrong width trips the address sanitizer.
#ifndef QUORB_TESTS_BUILTINS_BUILTIN_CALL_H
#define QUORB_TESTS_BUILTINS_BUILTIN_CALL_H

#include <gtest/gtest.h>

#include <cfenv>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/exception_flags.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "types/builtin_types.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

class BuiltinCall : public ::testing::Test {
 protected:
  BuiltinCall() { opItem.Owner = &instance; }

  void SetUp() override { std::feclearexcept(FiveExceptionFlags); }
  void TearDown() override { std::feclearexcept(FiveExceptionFlags); }

  // A value item of `type` made from `text`; the fixture frees it.
  QuorbItem* Value(QuorbDataType* type, const std::string& text) {
    items.push_back(std::make_unique<QuorbItem>(type, text));
    EXPECT_NE(items.back()->ValuePtr, nullptr) << "no value parsed from " << text;
    return items.back().get();
  }

  // Items holding exactly the given value (NaN, -0 and infinities included).
  QuorbItem* D(double value) { return Set(Value(instance.Types.DoubleType, "0"), value); }
  QuorbItem* I(int32_t value) { return Set(Value(instance.Types.IntType, "0"), value); }
  QuorbItem* I64(int64_t value) { return Set(Value(instance.Types.DataTypes[TypeInt64], "0"), value); }
  QuorbItem* B(uint8_t byte) { return Set(Value(instance.Types.BoolType, "0"), byte); }
  QuorbItem* S(const std::string& text) {
    QuorbItem* item = Value(instance.Types.StringType, "");
    *static_cast<std::string*>(item->ValuePtr) = text;
    return item;
  }

  // An item whose storage is the caller's variable, as argument matching
  // binds a pointer parameter; the item does not own it.
  QuorbItem* At(QuorbDataType* type, void* storage) {
    items.push_back(std::make_unique<QuorbItem>());
    QuorbItem* item = items.back().get();
    item->DataType = type;
    item->ValuePtr = storage;
    return item;
  }

  // A pointer argument as argument matching passes one: an item of the
  // Pointer type with the pointer bit, whose cell holds `address`.
  QuorbItem* Ptr(void* address) {
    QuorbItem* item = Set(Value(instance.Types.PointerType, "0"), reinterpret_cast<uintptr_t>(address));
    item->SetBit(IsPointer, true);
    return item;
  }
  static void* HeldAddress(const QuorbItem* item) { return reinterpret_cast<void*>(Read<uintptr_t>(item)); }

  // Runs `callback` on a part with `args` and a new result item of
  // `resultType` (none for null); returns the result item.
  QuorbItem* Run(QuorbCallback callback, std::vector<QuorbItem*> args, QuorbDataType* resultType) {
    QuorbItem* result = resultType != nullptr ? Value(resultType, resultType == instance.Types.StringType ? "" : "0") : nullptr;
    RunInto(callback, std::move(args), result);
    return result;
  }

  // As Run, with a given result item.
  void RunInto(QuorbCallback callback, std::vector<QuorbItem*> args, QuorbItem* result) {
    ExpressionPart part;
    part.Callback = callback;
    part.Args.clear();
    for (QuorbItem* arg : args) part.Args.push_back(arg);
    part.Result = result;
    part.OpItem = &opItem;
    callback(part);
  }

  double RunDouble(QuorbCallback callback, std::vector<QuorbItem*> args) {
    return Read<double>(Run(callback, std::move(args), instance.Types.DoubleType));
  }
  int32_t RunInt(QuorbCallback callback, std::vector<QuorbItem*> args) {
    return Read<int32_t>(Run(callback, std::move(args), instance.Types.IntType));
  }
  int64_t RunInt64(QuorbCallback callback, std::vector<QuorbItem*> args) {
    return Read<int64_t>(Run(callback, std::move(args), instance.Types.DataTypes[TypeInt64]));
  }
  // The Bool result's byte, which must be exactly 0 or 1.
  int RunBool(QuorbCallback callback, std::vector<QuorbItem*> args) {
    QuorbItem* result = Value(instance.Types.BoolType, "0");
    *static_cast<uint8_t*>(result->ValuePtr) = 0x55;  // neither 0 nor 1: an unwritten result shows
    RunInto(callback, std::move(args), result);
    return Read<uint8_t>(result);
  }

  template <typename T>
  static T Read(const QuorbItem* item) {
    return *static_cast<const T*>(item->ValuePtr);
  }

  static bool Raised(int flag) { return std::fetestexcept(flag) != 0; }

  // Stores `value` into the item's storage, byte for byte.
  template <typename T>
  static QuorbItem* Set(QuorbItem* item, T value) {
    std::memcpy(item->ValuePtr, &value, sizeof value);
    return item;
  }

  Quorb instance;
  QuorbItem opItem;
  std::vector<std::unique_ptr<QuorbItem>> items;
};

}  // namespace QuorbNameSpace

#endif
