// Where an item keeps its value: a small number lives in the item itself,
// wider values and text are allocated. Run under ASan and LSan, which catch
// a value in the item's room freed through its type, and a leak of one
// allocated.
#include <gtest/gtest.h>

#include <complex>
#include <string>

#include "chain_builder.h"
#include "engine/quorb_item.h"

namespace QuorbNameSpace {
namespace {

bool InsideItem(const QuorbItem& item) {
  const auto* at = static_cast<const unsigned char*>(item.ValuePtr);
  const auto* first = reinterpret_cast<const unsigned char*>(&item);
  return at >= first && at < first + sizeof item;
}

struct StorageCase {
  QuorbDataType* type;
  const char* text;
  const char* printed;
  bool inItem;
};

const StorageCase storageCases[] = {
    {NumberedType<dt_Integer_32>(TypeInt32), "42", "42", true},
    {NumberedType<dt_Integer_64>(TypeInt64), "-7", "-7", true},
    {NumberedType<dt_Float_Double>(TypeDouble), "2.5", "2.5", true},
    {NumberedType<dt_Boolean>(TypeBoolean), "true", "true", true},
    {NumberedType<dt_Pointer>(TypePointer), "16", "16", true},
    {NumberedType<dt_Complex>(TypeComplex), "i", "0+1i", false},
    {NumberedType<dt_String>(TypeString), "text", "text", false},
};

TEST(ItemStorage, SmallValuesLiveInTheItemOthersAreAllocated) {
  for (const StorageCase& c : storageCases) {
    QuorbItem item(c.type, c.text);
    ASSERT_NE(item.ValuePtr, nullptr) << c.text;
    EXPECT_TRUE(item.Has(IsOwner)) << c.text;
    EXPECT_EQ(InsideItem(item), c.inItem) << c.text;
    EXPECT_EQ(c.type->ToString(item.ValuePtr), c.printed) << c.text;
  }
}

TEST(ItemStorage, AnUnparsableSmallValueLeavesNoValue) {
  QuorbItem item(NumberedType<dt_Integer_32>(TypeInt32), "abc");
  EXPECT_EQ(item.ValuePtr, nullptr);
}

// A redefinition exchanges the values of two items: each must end up
// reading the other's value from storage it owns, never from the other
// item's room (the other item is freed next).
TEST(ItemStorage, SwappedValuesStayWithinTheirOwnItems) {
  QuorbDataType* doubleType = NumberedType<dt_Float_Double>(TypeDouble);
  QuorbDataType* complexType = NumberedType<dt_Complex>(TypeComplex);
  struct Pair {
    QuorbDataType* firstType;
    const char* first;
    QuorbDataType* secondType;
    const char* second;
  };
  const Pair pairs[] = {
      {doubleType, "1.5", doubleType, "-3"},
      {doubleType, "1.5", complexType, "i"},
      {complexType, "i", doubleType, "-3"},
      {complexType, "", complexType, "i"},
  };
  for (const Pair& p : pairs) {
    auto* a = new QuorbItem(p.firstType, p.first);
    auto* b = new QuorbItem(p.secondType, p.second);
    const std::string secondText = p.secondType->ToString(b->ValuePtr);
    a->SwapValues(*b);
    std::swap(a->DataType, b->DataType);
    delete b;  // a must not read b's room now
    EXPECT_EQ(InsideItem(*a), p.secondType == doubleType) << p.first << " / " << p.second;
    EXPECT_EQ(a->DataType->ToString(a->ValuePtr), secondText);
    QuorbItem* back = new QuorbItem();
    back->SwapValues(*a);
    back->DataType = a->DataType;
    back->SetBit(IsOwner, true);
    a->SetBit(IsOwner, false);
    delete a;
    EXPECT_EQ(back->DataType->ToString(back->ValuePtr), secondText);
    delete back;
  }
}

}  // namespace
}  // namespace QuorbNameSpace
