// Bool reads and prints through the true and false words of its defining
// item (sub-items 1 and 2, string values), comparing exactly only when that
// item is case-sensitive; without usable words it falls back to true/false.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "engine/quorb_item.h"
#include "types/value_classes.h"

namespace QuorbNameSpace {
namespace {

class BooleanWords : public ::testing::Test {
 protected:
  ~BooleanWords() override {
    bool_.Item = nullptr;
    delete item_;  // frees the sub-items and their values through the types below
  }

  // Gives the Bool type a defining item laid out as the Bool definition
  // makes it: numeric one, then the true word, then the false word.
  void Define(const std::string& trueWord, const std::string& falseWord, bool caseSensitive) {
    item_ = new QuorbItem();
    item_->SubItems.push_back(new QuorbItem(&int8_, "1"));
    item_->SubItems.push_back(new QuorbItem(&string_, trueWord));
    item_->SubItems.push_back(new QuorbItem(&string_, falseWord));
    item_->SetBit(IsCaseSensitive, caseSensitive);
    bool_.Item = item_;
  }

  // The byte parsed from text: 1 for true, 0 for false.
  int Read(const std::string& text) {
    void* value = bool_.AllocScalarValue(text);
    EXPECT_NE(nullptr, value) << "Bool parsing never fails";
    if (value == nullptr) return -1;
    const int byte = *static_cast<const uint8_t*>(value);
    bool_.DeleteScalar(value);
    return byte;
  }

  std::string Print(uint8_t byte) { return bool_.ToString(&byte); }

  // Declared before the item so that they outlive it.
  dt_Integer_8 int8_;
  dt_String string_;
  dt_Boolean bool_;
  QuorbItem* item_ = nullptr;
};

TEST_F(BooleanWords, StandardWordsIgnoreCaseByDefault) {
  Define("true", "false", false);
  EXPECT_EQ(1, Read("TRUE"));
  EXPECT_EQ(1, Read("True"));
  EXPECT_EQ(0, Read("false"));
  EXPECT_EQ(0, Read("1"));
  EXPECT_EQ(0, Read(""));
}

TEST_F(BooleanWords, CaseSensitiveItemComparesExactly) {
  Define("true", "false", true);
  EXPECT_EQ(0, Read("TRUE"));
  EXPECT_EQ(1, Read("true"));
}

TEST_F(BooleanWords, ReplacedWordsReadAndPrint) {
  Define("Yes", "No", false);
  EXPECT_EQ(1, Read("yes"));
  EXPECT_EQ(1, Read("YES"));
  EXPECT_EQ(0, Read("true"));  // the old word means nothing now
  EXPECT_EQ(0, Read("Ye"));
  EXPECT_EQ(0, Read("Yess"));
  EXPECT_EQ("Yes", Print(1));
  EXPECT_EQ("Yes", Print(7));
  EXPECT_EQ("No", Print(0));
}

TEST_F(BooleanWords, ReplacedWordsCaseSensitive) {
  Define("Yes", "No", true);
  EXPECT_EQ(1, Read("Yes"));
  EXPECT_EQ(0, Read("yes"));
}

// Only ASCII letters fold: the bytes of other characters compare as they are.
TEST_F(BooleanWords, CaseFoldingIsAsciiOnly) {
  Define("\xc3\x84" "B", "nein", false);   // "ÄB" in UTF-8
  EXPECT_EQ(1, Read("\xc3\x84" "b"));       // "Äb"
  EXPECT_EQ(0, Read("\xc3\xa4" "b"));       // "äb"
  EXPECT_EQ(0, Read("\xe3\x84" "b"));       // a byte one letter-case step away
}

TEST_F(BooleanWords, ItemWithoutWordsFallsBack) {
  item_ = new QuorbItem();
  item_->SubItems.push_back(new QuorbItem(&int8_, "1"));
  bool_.Item = item_;
  EXPECT_EQ(1, Read("TRUE"));
  EXPECT_EQ("true", Print(1));
  EXPECT_EQ("false", Print(0));
}

// Sub-items that are not strings must not be read as strings.
TEST_F(BooleanWords, NonStringSubItemsFallBack) {
  item_ = new QuorbItem();
  item_->SubItems.push_back(new QuorbItem(&int8_, "1"));
  item_->SubItems.push_back(new QuorbItem(&int8_, "2"));
  item_->SubItems.push_back(new QuorbItem(&int8_, "3"));
  bool_.Item = item_;
  EXPECT_EQ(1, Read("true"));
  EXPECT_EQ("true", Print(1));
  EXPECT_EQ("false", Print(0));
}

TEST_F(BooleanWords, OnlyTheTrueWordPresent) {
  item_ = new QuorbItem();
  item_->SubItems.push_back(new QuorbItem(&int8_, "1"));
  item_->SubItems.push_back(new QuorbItem(&string_, "oui"));
  bool_.Item = item_;
  EXPECT_EQ(1, Read("OUI"));
  EXPECT_EQ("oui", Print(1));
  EXPECT_EQ("false", Print(0));
}

}  // namespace
}  // namespace QuorbNameSpace
