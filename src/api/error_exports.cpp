// Exports: the instance's error state, read by hosts and their handlers.
#include "api/boundary.h"

using namespace QuorbApi;
using QuorbNameSpace::StringLocation;

namespace {

uint64_t Clamped(uint64_t position, uint64_t size) {
  return position == QuorbNameSpace::NoPosition ? position : std::min(position, size);
}

// The recorded location moved onto `text`: the same offset and symbol
// length, cut to the new text's end.
void ReplaceRecordedText(QuorbNameSpace::ErrorLocation& where, const std::string& text) {
  const std::string expression(text.c_str());  // up to a first NUL, as recorded texts are
  const uint64_t size = expression.size();
  const uint64_t symbolLength = where.Symbol.size();
  where.Offset = std::min(where.Offset, size);
  where.Symbol = expression.substr(where.Offset, std::min<uint64_t>(symbolLength, size - where.Offset));
  where.Expression = expression;
}

// Makes a copy of `text` the scanner's text, every position kept at its
// offset but none past the new end: a shorter text is never read beyond.
void MoveOntoText(StringLocation& scanner, const std::string& text) {
  scanner.Attached.OwnText = text;
  scanner.Attached.TextPtr = &scanner.Attached.OwnText;
  const uint64_t size = scanner.Attached.OwnText.size();
  scanner.Attached.TextLength = size;
  scanner.Matching.RunLeft = StringLocation::RunRemainder();
  for (uint64_t* position : {&scanner.RangeStart, &scanner.Pos, &scanner.RangeEnd, &scanner.ScanStart,
                             &scanner.TokenStart, &scanner.BlankStart, &scanner.TokenLoc, &scanner.BlockInnerStart,
                             &scanner.StopLoc})
    *position = Clamped(*position, size);
  const uint64_t tokenAt = scanner.TokenLoc != QuorbNameSpace::NoPosition ? scanner.TokenLoc : scanner.TokenStart;
  scanner.TokenLen = std::min(scanner.TokenLen, size - std::min(tokenAt, size));
  scanner.TokenLen = std::min(scanner.TokenLen, size - scanner.TokenStart);
  if (scanner.StopLoc != QuorbNameSpace::NoPosition) scanner.StopLen = std::min(scanner.StopLen, size - scanner.StopLoc);
  scanner.BlockInnerLen = std::min(scanner.BlockInnerLen, size - scanner.BlockInnerStart);
}

// Runs `read` on the instance's error block; "" for a null instance.
template <typename Read>
const char* ErrorText(QuorbInstance* instance, std::string& slot, Read read) {
  if (instance == nullptr) return TextOut(slot, std::string());
  return Guarded<const char*>(Engine(instance), 0, "", [&] { return TextOut(slot, read(Engine(instance)->Error)); });
}

}  // namespace

extern "C" {

QUORB_API int32_t ErrorNumber(QuorbInstance* instance) { return instance != nullptr ? Engine(instance)->Error.Number : 0; }

QUORB_API const char* ErrorMessage(QuorbInstance* instance, int32_t n) {
  static std::string text;
  return ErrorText(instance, text, [&](QuorbNameSpace::ErrorData& error) {
    return error.MessageOf(n == 0 ? error.Number : n);
  });
}

QUORB_API const char* ErrorExpression(QuorbInstance* instance) {
  static std::string text;
  return ErrorText(instance, text, [](QuorbNameSpace::ErrorData& error) { return error.Expression(); });
}

QUORB_API const char* ErrorSymbol(QuorbInstance* instance) {
  static std::string text;
  return ErrorText(instance, text, [](QuorbNameSpace::ErrorData& error) { return error.Symbol(); });
}

QUORB_API uint64_t ErrorLocation(QuorbInstance* instance) {
  return instance != nullptr ? Engine(instance)->Error.Location() : 0;
}

QUORB_API void ErrorSetExpression(QuorbInstance* instance, const char* text) {
  if (instance == nullptr) return;
  QuorbNameSpace::ErrorData& error = Engine(instance)->Error;
  GuardedVoid(Engine(instance), ErrUserDefined, [&] {
    if (error.LocationScanner != nullptr) {
      // A handler running during a parse: the scanner itself moves, and the
      // copy the host reads later follows it.
      MoveOntoText(*error.LocationScanner, TextIn(text));
      error.RecordLocation(error.LocationScanner);
    } else if (!error.Where.Expression.empty()) {
      ReplaceRecordedText(error.Where, TextIn(text));
    }
  });
}

QUORB_API void ErrorResponse(QuorbInstance* instance, int32_t response) {
  if (instance != nullptr) Engine(instance)->Error.Response = response;
}

}  // extern "C"
