// Case mapping and trimming. Case is ASCII only and byte-wise: bytes are
// taken as unsigned, so 128 to 255 stay as they are in every locale.
#include <string>

#include "builtins/callback_args.h"
#include "builtins/string_callbacks.h"
#include "builtins/string_results.h"
#include "engine/table.h"

namespace QuorbNameSpace {

static char AsciiUpper(char c) {
  const unsigned char byte = static_cast<unsigned char>(c);
  return byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - ('a' - 'A')) : c;
}

// Writes argument 0 with every byte put through `map` as the result.
static void MapBytes(ExpressionPart& part, char (*map)(char)) {
  RunGuarded(part, true, [&] {
    std::string mapped = ArgStr(part, 0);
    for (char& c : mapped) c = map(c);
    ResultStr(part) = std::move(mapped);
  });
}

void String_LCase(ExpressionPart& part) { MapBytes(part, &FoldCase); }
void String_UCase(ExpressionPart& part) { MapBytes(part, &AsciiUpper); }

// Writes the bytes of argument 0 from `first` to `last` (both included) as
// the result; npos for `first` means nothing is left.
static void KeepRange(ExpressionPart& part, size_t first, size_t last) {
  RunGuarded(part, true, [&] {
    const std::string& x = ArgStr(part, 0);
    std::string kept;
    if (first != std::string::npos && last != std::string::npos && first <= last)
      kept.assign(x, first, last - first + 1);
    ResultStr(part) = std::move(kept);
  });
}

void String_LTrim(ExpressionPart& part) {
  const std::string& x = ArgStr(part, 0);
  KeepRange(part, x.find_first_not_of(ArgStr(part, 1)), x.empty() ? std::string::npos : x.size() - 1);
}

void String_RTrim(ExpressionPart& part) {
  const std::string& x = ArgStr(part, 0);
  const size_t last = x.find_last_not_of(ArgStr(part, 1));
  KeepRange(part, last == std::string::npos ? last : 0, last);
}

void String_Trim(ExpressionPart& part) {
  const std::string& x = ArgStr(part, 0);
  const std::string& chars = ArgStr(part, 1);
  KeepRange(part, x.find_first_not_of(chars), x.find_last_not_of(chars));
}

}  // namespace QuorbNameSpace
