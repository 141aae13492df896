// File reading. Only regular files are opened: a directory or a FIFO would
// otherwise report a bogus size or block the host on open.
#include "engine/file_reading.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace QuorbNameSpace {

// A name with a NUL inside names no file: the system would open the file
// named by the part before it.
static bool IsRegularFile(const std::string& name) {
  std::error_code error;
  return !name.empty() && name.find('\0') == std::string::npos && std::filesystem::is_regular_file(name, error);
}

static std::string TrimBlanks(const std::string& name) {
  size_t end = name.find_last_not_of(' ');
  if (end == std::string::npos) return std::string();
  size_t start = name.find_first_not_of(' ');
  return name.substr(start, end - start + 1);
}

std::string GetFileContent(std::string name) {
  name = TrimBlanks(name);
  if (!IsRegularFile(name)) return std::string();
  std::ifstream file(name, std::ios::binary | std::ios::ate);
  if (!file) return std::string();
  std::streamoff size = file.tellg();
  if (size <= 0) return std::string();
  std::string content(static_cast<size_t>(size), '\0');
  file.seekg(0);
  file.read(&content[0], size);
  // The file may have shrunk since its size was taken: keep what was read.
  content.resize(static_cast<size_t>(file.gcount()));
  return content;
}

int64_t GetFileSize(const std::string& name) {
  if (!IsRegularFile(name)) return -1;
  std::ifstream file(name, std::ios::binary | std::ios::ate);
  if (!file) return -1;
  std::streamoff size = file.tellg();
  return size < 0 ? -1 : static_cast<int64_t>(size);
}

}  // namespace QuorbNameSpace
