// Whole-file reading: bytes unchanged, trimming, and what is not a file.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>  // mkfifo
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "engine/file_reading.h"

namespace QuorbNameSpace {
namespace {

class FileReadingTest : public ::testing::Test {
 protected:
  // A fresh folder of its own under the system's temporary folder, made
  // the same way on every platform.
  void SetUp() override {
    std::random_device seed;
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    ASSERT_FALSE(error) << error.message();
    for (int attempt = 0; attempt < 100 && dir.empty(); ++attempt) {
      const std::filesystem::path candidate = base / ("quorb-files-" + std::to_string(seed()));
      if (std::filesystem::create_directory(candidate, error)) dir = candidate.string();
    }
    ASSERT_FALSE(dir.empty()) << "no temporary folder could be made";
  }
  void TearDown() override {
    for (const std::string& path : created) std::remove(path.c_str());
    std::error_code error;
    if (!dir.empty()) std::filesystem::remove(dir, error);
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
#ifndef _WIN32  // Windows has no named FIFOs in the file system
  std::string fifo = dir + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  created.push_back(fifo);
  EXPECT_EQ(GetFileContent(fifo), "") << "must not block waiting for a writer";
  EXPECT_EQ(GetFileSize(fifo), -1);
#endif
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
