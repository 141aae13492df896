// The string and file built-ins as a host reaches them. One table per
// family: an expression and the text it must print (an error its message).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "quorb.h"

namespace {

const char* const BoundExceeded = "Array or list bound exceeded";

struct Row {
  std::string expression;
  const char* expected;
};

class StringBuiltins : public ::testing::Test {
 protected:
  StringBuiltins() : q(CreateQuorb(nullptr)) {}
  ~StringBuiltins() override { ReleaseQuorb(q); }
  void ExpectRows(const std::vector<Row>& rows) {
    for (const Row& row : rows) EXPECT_STREQ(EvalStr(q, row.expression.c_str()), row.expected) << row.expression;
  }
  QuorbInstance* q;
};

TEST_F(StringBuiltins, BuildingAndEditingByCopy) {
  ExpectRows({
      {"Fill(3, 65)", "AAA"},
      {"Length(\"h\xc3\xa9llo\")", "6"},
      {"\"ab\" + \"cd\"", "abcd"},
      {"Insert_Copy(\"hello\", 5, \"!\")", "hello!"},
      {"Erase_Copy(\"hello\", 1, 2)", "hlo"},
      {"Erase_Copy(\"hello\")", "hello"},
      {"Replace_Copy(\"hello\", 1, 3, \"EY\")", "hEYo"},
      {"Replace_Copy(\"hello\", 3, 99, \"p!\")", "help!"},
      {"Substr(\"hello\", 1, 3)", "ell"},
      {"Substr(\"hello\", 1)", ""},
      {"Substr(\"hello\", 5, 1)", ""},
      {"\"ab\" * 3", "ababab"},
      {"Repeat(\"ab\", 0)", ""},
      // Refused positions and counts.
      {"Insert_Copy(\"hello\", 6, \"x\")", BoundExceeded},
      {"Erase_Copy(\"hello\", 6, 1)", BoundExceeded},
      {"Replace_Copy(\"hello\", 6, 1, \"x\")", BoundExceeded},
      {"Substr(\"hello\", 9, 1)", BoundExceeded},
      {"\"ab\" * -2", ""},
      {"Fill(-1, 65)", BoundExceeded},
      {"Fill(268435457, 65)", BoundExceeded},
      {"\"abcd\" * 2147483647", BoundExceeded},
      {"Repeat(\"\", 1e18)", ""},  // at once, whatever the count
  });
}

TEST_F(StringBuiltins, InPlaceEditsChangeTheVariableOnlyWhenThePositionFits) {
  ASSERT_NE(DefineVariable(q, "s As String", nullptr), nullptr);
  for (const char* edit : {"s = \"hello\"", "Append(s, \"!\")", "Insert(s, 0, \">\")", "Erase(s, 1, 1)",
                           "Replace(s, 0, 1, \"J\")"})
    EvalStr(q, edit);
  ExpectRows({
      {"s", "Jello!"},
      {"Insert(s, 7, \"x\")", BoundExceeded},
      {"Erase(s, 7, 1)", BoundExceeded},
      {"Replace(s, 99, 1, \"x\")", BoundExceeded},
      {"s", "Jello!"},
  });
}

// An in-place editor writes its first argument: a locked constant or a
// literal refuses it, as assignment does, and keeps its text.
TEST_F(StringBuiltins, InPlaceEditsRefuseConstants) {
  ASSERT_NE(DefineConstant(q, "k As String = \"abc\"", nullptr), nullptr);
  for (const char* edit : {"Append(k, \"!\")", "Insert(k, 0, \">\")", "Erase(k, 0, 1)", "Replace(k, 0, 1, \"J\")",
                           "Append(\"lit\", \"!\")"}) {
    EXPECT_STREQ(EvalStr(q, edit), "Value cannot be assigned here") << edit;
    EXPECT_EQ(ErrorNumber(q), 17) << edit;
  }
  EXPECT_STREQ(EvalStr(q, "k"), "abc");
}

TEST_F(StringBuiltins, SearchesAndTheirDefaults) {
  ExpectRows({
      {"Find(\"hello\", \"l\")", "2"},
      {"Find(\"hello\", \"z\")", "-1"},  // npos, printed as a signed Size_t
      {"Find(\"hello\", \"l\", 99)", "-1"},
      {"RFind(\"hello\", \"l\", 10)", "3"},
      {"RFind(\"hello\", \"l\")", "-1"},  // the default start looks at position 0 only
      {"Find_First_Of(\"hello\", \"ol\")", "2"},
      {"Find_Last_Of(\"hello\", \"hl\", 99)", "3"},
      {"Find_First_Not_Of(\"hello\", \"he\")", "2"},
      {"Find_Last_Not_Of(\"hello\", \"o\", 99)", "3"},
  });
}

TEST_F(StringBuiltins, ComparisonCaseTrimmingAndNumberTexts) {
  ExpectRows({
      {"Compare(\"abc\", \"abd\")", "-1"},
      {"Compare(\"abc\", \"abc\")", "0"},
      {"Compare(\"abcdef\", \"abc\")", "1"},  // the sign, not a length difference
      {"UCase(\"abc-XYZ\")", "ABC-XYZ"},
      {"LCase(\"abc-XYZ\")", "abc-xyz"},
      {"UCase(\"\xe9\xff-a\")", "\xe9\xff-A"},  // bytes 128 to 255 stay
      {"LCase(\"\xc3\x80\xc9Z\")", "\xc3\x80\xc9z"},
      {"LTrim(\"  ab  \")", "ab  "},
      {"RTrim(\"  ab  \")", "  ab"},
      {"Trim(\"xxabxx\", \"x\")", "ab"},
      {"LTrim(\"   \")", ""},
      {"RTrim(\"   \")", ""},
      {"Hex(255)", "ff"},
      {"Hex(-1)", "ffffffff"},
      {"Oct(8)", "10"},
      {"Oct(-1)", "37777777777"},
      {"Bin(5)", "101"},
  });
}

#if !defined(_WIN32)
TEST_F(StringBuiltins, FilesAreReadWholeAndOnlyWhenRegular) {
  const std::string dir = ::testing::TempDir() + "quorb_files_" + std::to_string(getpid());
  ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
  const std::string regular = dir + "/bytes", empty = dir + "/empty", fifo = dir + "/pipe";
  std::ofstream(regular, std::ios::binary) << std::string("ab\0c\r\n", 6);
  std::ofstream(empty, std::ios::binary).flush();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ExpectRows({
      {"FileSize(\"" + regular + "\")", "6"},  // the NUL byte and line end kept
      {"Length(File(\"" + regular + "\"))", "6"},
      {"Substr(File(\"" + regular + "\"), 3, 3)", "c\r\n"},
      {"FileSize(\"" + empty + "\")", "0"},
      {"FileSize(\"" + dir + "\")", "-1"},
      {"File(\"" + dir + "\")", ""},
      {"FileSize(\"" + fifo + "\")", "-1"},  // opening it would block the host
      {"File(\"" + fifo + "\")", ""},
      {"FileSize(\"" + dir + "/missing\")", "-1"},
  });
  std::remove(regular.c_str());
  std::remove(empty.c_str());
  std::remove(fifo.c_str());
  rmdir(dir.c_str());
}
#endif

}  // namespace
