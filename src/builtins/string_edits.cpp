// Editing strings in place (Insert, Erase, Replace) and by copy (their
// "_Copy" forms and Substr). A position past the end is refused with error
// 19 before anything changes, so the standard string operations never see
// it; a count past the end stops at the end.
#include <string>

#include "builtins/callback_args.h"
#include "builtins/string_callbacks.h"
#include "builtins/string_results.h"

namespace QuorbNameSpace {

// The bytes from `position` to the end, or fewer when `count` is smaller.
static size_t Clipped(const std::string& text, size_t position, size_t count) {
  const size_t rest = text.size() - position;
  return count < rest ? count : rest;
}

// x with min(count, rest) bytes from `position` replaced by `insert`, built
// as a new text; false, having raised error 19, when the position is past
// the end or the result would be too long.
static bool Spliced(ExpressionPart& part, const std::string& x, size_t position, size_t count,
                    const std::string& insert, std::string& out) {
  if (!PositionFits(part, x, position)) return false;
  const size_t removed = Clipped(x, position, count);
  if (!LengthFits(part, x.size() - removed + insert.size())) return false;
  out.reserve(x.size() - removed + insert.size());
  out.append(x, 0, position).append(insert).append(x, position + removed, std::string::npos);
  return true;
}

// Replaces, in the string argument 0 holds, `count` bytes at `position` by
// `insert`; leaves it as it was when the splice is refused.
static void SpliceInPlace(ExpressionPart& part, size_t position, size_t count, const std::string& insert) {
  RunGuarded(part, false, [&] {
    std::string& x = ArgStr(part, 0);
    std::string edited;
    if (Spliced(part, x, position, count, insert, edited)) x.swap(edited);
  });
}

// Writes the splice of argument 0 as the String result; "" when refused.
static void SpliceCopy(ExpressionPart& part, size_t position, size_t count, const std::string& insert) {
  RunGuarded(part, true, [&] {
    std::string edited;
    if (!Spliced(part, ArgStr(part, 0), position, count, insert, edited)) edited.clear();
    ResultStr(part) = std::move(edited);
  });
}

static const std::string NoText;

void String_Insert(ExpressionPart& part) { SpliceInPlace(part, ArgSize(part, 1), 0, ArgStr(part, 2)); }
void String_InsertCopy(ExpressionPart& part) { SpliceCopy(part, ArgSize(part, 1), 0, ArgStr(part, 2)); }
void String_Erase(ExpressionPart& part) { SpliceInPlace(part, ArgSize(part, 1), ArgSize(part, 2), NoText); }
void String_EraseCopy(ExpressionPart& part) { SpliceCopy(part, ArgSize(part, 1), ArgSize(part, 2), NoText); }
void String_Replace(ExpressionPart& part) {
  SpliceInPlace(part, ArgSize(part, 1), ArgSize(part, 2), ArgStr(part, 3));
}
void String_ReplaceCopy(ExpressionPart& part) {
  SpliceCopy(part, ArgSize(part, 1), ArgSize(part, 2), ArgStr(part, 3));
}

void String_Substr(ExpressionPart& part) {
  RunGuarded(part, true, [&] {
    const std::string& x = ArgStr(part, 0);
    const size_t position = ArgSize(part, 1);
    std::string piece;
    if (PositionFits(part, x, position)) piece.assign(x, position, Clipped(x, position, ArgSize(part, 2)));
    ResultStr(part) = std::move(piece);
  });
}

}  // namespace QuorbNameSpace
