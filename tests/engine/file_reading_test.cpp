// Whole-file reading: bytes unchanged, trimming, and what is not a file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "engine/file_reading.h"

namespace QuorbNameSpace {
namespace {

class FileReadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quorb-files-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    for (const std::string& path : created) std::remove(path.c_str());
    rmdir(dir.c_str());
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    created.push_back(path);
    return path;
  }
  std::string dir;
  std::vector<std::string> created;
};

TEST_F(FileReadingTest, ReturnsEveryByteIncludingNulsAndLineEnds) {
  std::string bytes("a\0b\r\nc", 6);
  std::string path = Write("bytes", bytes);
  EXPECT_EQ(GetFileContent(path), bytes);
  EXPECT_EQ(GetFileSize(path), 6);
}

TEST_F(FileReadingTest, EmptyFileAndMissingFile) {
  std::string path = Write("empty", "");
  EXPECT_EQ(GetFileContent(path), "");
  EXPECT_EQ(GetFileSize(path), 0);
  EXPECT_EQ(GetFileContent(dir + "/missing"), "");
  EXPECT_EQ(GetFileSize(dir + "/missing"), -1);
}

TEST_F(FileReadingTest, ContentTrimsBlanksButSizeTakesTheNameAsIs) {
  std::string path = Write("named", "xyz");
  EXPECT_EQ(GetFileContent("  " + path + "   "), "xyz");
  EXPECT_EQ(GetFileSize("  " + path), -1);
  EXPECT_EQ(GetFileContent("\t" + path), "") << "only spaces are trimmed";
  EXPECT_EQ(GetFileContent("    "), "");
}

TEST_F(FileReadingTest, DirectoriesAndFifosAreNotFiles) {
  EXPECT_EQ(GetFileContent(dir), "");
  EXPECT_EQ(GetFileSize(dir), -1);
  std::string fifo = dir + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  created.push_back(fifo);
  EXPECT_EQ(GetFileContent(fifo), "") << "must not block waiting for a writer";
  EXPECT_EQ(GetFileSize(fifo), -1);
}

TEST_F(FileReadingTest, ANameWithANulInsideNamesNoFile) {
  const std::string path = Write("real", "content");
  const std::string withNul = path + std::string("\0ignored", 8);
  EXPECT_EQ(GetFileContent(withNul), "");
  EXPECT_EQ(GetFileSize(withNul), -1);
  EXPECT_EQ(GetFileContent(path), "content");
}

}  // namespace
}  // namespace QuorbNameSpace
