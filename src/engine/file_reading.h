// Reading whole files for the File built-ins and rule pieces. Failure shows
// only in the result: the empty text, or -1 for the size.
#ifndef QUORB_ENGINE_FILE_READING_H
#define QUORB_ENGINE_FILE_READING_H

#include <cstdint>
#include <string>

namespace QuorbNameSpace {

// The bytes of the file, unchanged (NUL bytes and line ends included). The
// name is trimmed of blanks (spaces only) at both ends first. Anything that
// is not a readable regular file gives the empty text, and so does a name
// with a NUL byte inside.
std::string GetFileContent(std::string name);

// The size in bytes of the file named exactly by `name` (no trimming), or -1
// when it is not a readable regular file or the name holds a NUL byte.
int64_t GetFileSize(const std::string& name);

}  // namespace QuorbNameSpace

#endif
