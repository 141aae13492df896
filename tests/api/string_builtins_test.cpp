// The string and file built-ins as a host reaches them: through EvalStr on a
// new instance. One table per family; each row is an expression and the
// text it must print (an error prints its message).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <cstdio>
#include <fstream>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "quorb.h"

namespace {

const char* const BoundExceeded = "Array or list bound exceeded";

struct Row {
  const char* expression;
  const char* expected;
};

class StringBuiltins : public ::testing::Test {
 protected:
  StringBuiltins() : q(CreateQuorb(nullptr)) {}
  ~StringBuiltins() override { ReleaseQuorb(q); }

  void ExpectRows(const std::vector<Row>& rows) {
    for (const Row& row : rows) EXPECT_EQ(std::string(EvalStr(q, row.expression)), row.expected) << row.expression;
  }

  QuorbInstance* q;
};

TEST_F(StringBuiltins, BuildingAndEditingByCopy) {
  ExpectRows({
      {"Fill(3, 65)", "AAA"},
      {"Fill(0, 65)", ""},
      {"Length(\"\")", "0"},
      {"Length(\"h\xc3\xa9llo\")", "6"},
      {"Append_Copy(\"ab\", \"cd\")", "abcd"},
      {"\"ab\" + \"cd\"", "abcd"},
      {"Insert_Copy(\"hello\", 5, \"!\")", "hello!"},
      {"Insert_Copy(\"hello\", 0, \">\")", ">hello"},
      {"Erase_Copy(\"hello\", 1, 2)", "hlo"},
      {"Erase_Copy(\"hello\")", "hello"},
      {"Erase_Copy(\"hello\", 2, 99)", "he"},
      {"Replace_Copy(\"hello\", 1, 3, \"EY\")", "hEYo"},
      {"Replace_Copy(\"hello\", 3, 99, \"p!\")", "help!"},
      {"Substr(\"hello\", 1, 3)", "ell"},
      {"Substr(\"hello\", 1)", ""},
      {"Substr(\"hello\", 5, 1)", ""},
      {"Substr(\"hello\", 2, 99)", "llo"},
      {"\"ab\" * 3", "ababab"},
      {"Repeat(\"ab\", 0)", ""},
      {"Repeat(\"ab\", 2)", "abab"},
  });
}

TEST_F(StringBuiltins, PositionsPastTheEndAreRefused) {
  ExpectRows({
      {"Insert_Copy(\"hello\", 6, \"x\")", BoundExceeded},
      {"Erase_Copy(\"hello\", 6, 1)", BoundExceeded},
      {"Replace_Copy(\"hello\", 6, 1, \"x\")", BoundExceeded},
      {"Substr(\"hello\", 9, 1)", BoundExceeded},
      {"Substr(\"hello\", -1, 1)", BoundExceeded},
  });
}

TEST_F(StringBuiltins, InPlaceEditsChangeTheVariableOnlyWhenThePositionFits) {
  ASSERT_NE(DefineVariable(q, "s As String", nullptr), nullptr);
  EvalStr(q, "s = \"hello\"");
  for (const char* edit : {"Append(s, \"!\")", "Insert(s, 0, \">\")", "Erase(s, 1, 1)", "Replace(s, 0, 1, \"J\")"})
    EvalStr(q, edit);
  EXPECT_STREQ(EvalStr(q, "s"), "Jello!");
  ExpectRows({
      {"Insert(s, 7, \"x\")", BoundExceeded},
      {"Erase(s, 7, 1)", BoundExceeded},
      {"Replace(s, 99, 1, \"x\")", BoundExceeded},
      {"s", "Jello!"},
  });
}

TEST_F(StringBuiltins, HugeAndNegativeCountsNeverExhaustMemory) {
  ExpectRows({
      {"\"ab\" * -2", ""},
      {"Fill(-1, 65)", BoundExceeded},
      {"Fill(268435457, 65)", BoundExceeded},
      {"Repeat(\"ab\", 1e12)", BoundExceeded},
      {"\"abcd\" * 2147483647", BoundExceeded},
      // An empty text repeats to the empty text at once, whatever the count.
      {"Repeat(\"\", 1e18)", ""},
  });
}

TEST_F(StringBuiltins, SearchesAndTheirDefaults) {
  ExpectRows({
      {"Find(\"hello\", \"l\")", "2"},
      {"Find(\"hello\", \"l\", 3)", "3"},
      {"Find(\"hello\", \"z\")", "-1"},  // npos, printed as a signed Size_t
      {"Find(\"hello\", \"l\", 99)", "-1"},
      {"RFind(\"hello\", \"l\", 10)", "3"},
      {"RFind(\"hello\", \"l\")", "-1"},  // the default start looks at position 0 only
      {"RFind(\"hello\", \"h\")", "0"},
      {"Find_First_Of(\"hello\", \"ol\")", "2"},
      {"Find_Last_Of(\"hello\", \"hl\", 99)", "3"},
      {"Find_Last_Of(\"hello\", \"l\")", "-1"},
      {"Find_First_Not_Of(\"hello\", \"he\")", "2"},
      {"Find_Last_Not_Of(\"hello\", \"o\", 99)", "3"},
  });
}

TEST_F(StringBuiltins, ComparisonCaseAndTrimming) {
  ExpectRows({
      {"Compare(\"abc\", \"abd\")", "-1"},
      {"Compare(\"abc\", \"abc\")", "0"},
      {"Compare(\"abcd\", \"abc\")", "1"},
      // Only the sign is given, not a byte or length difference.
      {"Compare(\"abcdef\", \"abc\")", "1"},
      {"Compare(\"a\", \"z\")", "-1"},
      {"UCase(\"abc-XYZ\")", "ABC-XYZ"},
      {"LCase(\"abc-XYZ\")", "abc-xyz"},
      // Bytes 128 to 255 are left alone, never sign-extended into a table.
      {"UCase(\"\xe9\xff-a\")", "\xe9\xff-A"},
      {"LCase(\"\xc3\x80\xc9Z\")", "\xc3\x80\xc9z"},
      {"LTrim(\"  ab  \")", "ab  "},
      {"RTrim(\"  ab  \")", "  ab"},
      {"Trim(\"  ab  \")", "ab"},
      {"Trim(\"xxabxx\", \"x\")", "ab"},
      {"LTrim(\"   \")", ""},
      {"RTrim(\"   \")", ""},
      {"Trim(\"   \")", ""},
      {"Trim(\"\")", ""},
  });
}

TEST_F(StringBuiltins, NumberTexts) {
  ExpectRows({
      {"Hex(255)", "ff"},
      {"Hex(-1)", "ffffffff"},
      {"Hex(0)", "0"},
      {"Oct(8)", "10"},
      {"Oct(-1)", "37777777777"},
      {"Bin(5)", "101"},
      {"Bin(0)", "0"},
      {"Bin(-2147483648)", "10000000000000000000000000000000"},
  });
}

#if !defined(_WIN32)
TEST_F(StringBuiltins, FilesAreReadWholeAndOnlyWhenRegular) {
  const std::string dir = ::testing::TempDir() + "quorb_files_" + std::to_string(getpid());
  ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
  const std::string regular = dir + "/bytes.txt", empty = dir + "/empty.txt", fifo = dir + "/pipe";
  std::ofstream(regular, std::ios::binary) << std::string("ab\0c\r\n", 6);
  std::ofstream(empty, std::ios::binary).flush();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

  auto call = [](const char* function, const std::string& name) {
    return std::string(function) + "(\"" + name + "\")";
  };
  struct FileRow {
    std::string name;
    const char* size;
    const char* length;
  };
  const std::vector<FileRow> rows = {
      {regular, "6", "6"},  // NUL byte and line end kept
      {empty, "0", "0"},
      {dir, "-1", "0"},
      {fifo, "-1", "0"},  // would block the host if it were opened
      {dir + "/missing", "-1", "0"},
  };
  for (const FileRow& row : rows) {
    EXPECT_STREQ(EvalStr(q, call("FileSize", row.name).c_str()), row.size) << row.name;
    EXPECT_STREQ(EvalStr(q, ("Length(" + call("File", row.name) + ")").c_str()), row.length) << row.name;
  }
  EXPECT_STREQ(EvalStr(q, ("Substr(" + call("File", regular) + ", 3, 3)").c_str()), "c\r\n");

  std::remove(regular.c_str());
  std::remove(empty.c_str());
  std::remove(fifo.c_str());
  rmdir(dir.c_str());
}
#endif

}  // namespace
