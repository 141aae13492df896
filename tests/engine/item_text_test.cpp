// Names and texts of items: own or borrowed, read as the string they are.
#include "engine/item_text.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace QuorbNameSpace {
namespace {

const std::string lasting = "Function: Lasting(x) = x + 1";

// Each case brings a holder into a state; the holder must then read
// `expected`, own it or not, and (borrowed) read the lasting string itself.
TEST(ItemText, OwnBorrowedAndEmptyTexts) {
  struct Case {
    const char* what;
    void (*make)(ItemText& text);
    std::string expected;
    bool own;
  };
  const Case cases[] = {
      {"new", [](ItemText&) {}, "", false},
      {"assigned", [](ItemText& t) { t = std::string("abc"); }, "abc", true},
      {"assigned a long text", [](ItemText& t) { t = lasting; }, lasting, true},
      {"borrowed", [](ItemText& t) { t.Borrow(lasting); }, lasting, false},
      {"borrowed, then assigned", [](ItemText& t) { t.Borrow(lasting); t = "own"; }, "own", true},
      {"assigned, then borrowed", [](ItemText& t) { t = "own"; t.Borrow(lasting); }, lasting, false},
      {"assigned empty", [](ItemText& t) { t = "own"; t = std::string(); }, "", false},
      {"borrowed, then cleared", [](ItemText& t) { t.Borrow(lasting); t.clear(); }, "", false},
      {"assigned its own string", [](ItemText& t) { t = "self"; t = t.str(); }, "self", true},
      {"assigned itself", [](ItemText& t) { t.Borrow(lasting); const ItemText& same = t; t = same; }, lasting, true},
      {"assigned another holder", [](ItemText& t) { ItemText other; other.Borrow(lasting); t = other; }, lasting, true},
      {"swapped with a borrowed one", [](ItemText& t) { t = "own"; ItemText other; other.Borrow(lasting); t.Swap(other); }, lasting, false},
      {"swapped with an own one", [](ItemText& t) { t.Borrow(lasting); ItemText other; other = "own"; t.Swap(other); }, "own", true},
  };
  for (const Case& test : cases) {
    ItemText text;
    test.make(text);
    EXPECT_EQ(text.str(), test.expected) << test.what;
    EXPECT_EQ(text.IsOwn(), test.own) << test.what;
    EXPECT_EQ(text.empty(), test.expected.empty()) << test.what;
    EXPECT_EQ(text.size(), test.expected.size()) << test.what;
    EXPECT_STREQ(text.c_str(), test.expected.c_str()) << test.what;
    EXPECT_EQ(&text.str() == &lasting, !test.own && !test.expected.empty()) << test.what;
  }
  EXPECT_EQ(lasting, "Function: Lasting(x) = x + 1");  // no holder wrote through
}

TEST(ItemText, ReadsAsAString) {
  ItemText name;
  name = "Arg_1";
  const std::string& read = name;
  EXPECT_EQ(read, "Arg_1");
  EXPECT_TRUE(name == "Arg_1");
  EXPECT_TRUE(name == std::string("Arg_1"));
  EXPECT_TRUE(std::string("Arg_1") == name);
  EXPECT_TRUE(name != "Arg_2");
  EXPECT_EQ("Variable: " + name + " As String", "Variable: Arg_1 As String");
  EXPECT_EQ(name + std::string("!"), "Arg_1!");
  EXPECT_EQ(name.compare(0, 4, "Arg_"), 0);
  EXPECT_EQ(name.rfind("Arg", 0), 0u);
  EXPECT_EQ(name.find('_'), 3u);
  std::ostringstream out;
  out << name;
  EXPECT_EQ(out.str(), "Arg_1");
}

}  // namespace
}  // namespace QuorbNameSpace
