// File and FileSize: the whole content and the size of a regular file, read
// by the engine's file reading, which opens nothing else (a directory, FIFO
// or device would report a bogus size or block the host).
#include <cstdint>
#include <string>

#include "builtins/callback_args.h"
#include "builtins/string_callbacks.h"
#include "engine/file_reading.h"

namespace QuorbNameSpace {

// A file too large for memory gives the empty text; like a missing file it
// raises no error.
void String_File(ExpressionPart& part) {
  std::string content;
  try {
    content = GetFileContent(ArgStr(part, 0));
  } catch (...) {
    content.clear();
  }
  ResultStr(part) = std::move(content);
}

// -1 for anything that is not a readable regular file, as a Size_t.
void String_FileSize(ExpressionPart& part) {
  int64_t size = -1;
  try {
    size = GetFileSize(ArgStr(part, 0));
  } catch (...) {
    size = -1;
  }
  ResultSize(part) = static_cast<size_t>(size);
}

}  // namespace QuorbNameSpace
