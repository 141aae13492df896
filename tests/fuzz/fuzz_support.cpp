// The trusted-host filter and the common evaluation of the fuzz targets.
#include "fuzz_support.h"

#include <algorithm>
#include <cctype>

namespace quorb_fuzz {

namespace {

// Lower-case fragments of the names and keywords left to trusted hosts.
// "ptr" covers the Ptr type word and AddPtr, SubtractPtr, ExprPtr and
// SetVarPtr; "file" covers File, FileSize and the file clauses; the loops
// run as long as their text says.
const char* const kTrustedHostWords[] = {
    "ptr",      "pointer",         "address",       "valueat", "quorbinstance",
    "omnitype", "convertsfromany", "convertstoany", "file",    "doloop",  "forloop",
};

}  // namespace

bool NamesTrustedHostFeature(const std::string& text) {
  std::string folded(text);
  std::transform(folded.begin(), folded.end(), folded.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c); });
  for (const char* word : kTrustedHostWords)
    if (folded.find(word) != std::string::npos) return true;
  return false;
}

std::string InputText(const uint8_t* data, size_t size, size_t maxLength) {
  return std::string(reinterpret_cast<const char*>(data), std::min(size, maxLength));
}

int32_t ByteProgram::Number() {
  static const int32_t kNumbers[] = {-1, 0, 1, 2, 3, 5, 100, INT32_MAX, INT32_MIN, -2};
  const uint8_t pick = Byte();
  if (pick < 200) return kNumbers[pick % (sizeof kNumbers / sizeof kNumbers[0])];
  return static_cast<int32_t>(pick - 200);
}

std::string ByteProgram::Text(const char* const* table, size_t count) {
  const uint8_t pick = Byte();
  if (pick < 0xe0) return table[pick % count];
  std::string raw;
  for (int length = pick & 31; length > 0 && !Done(); --length) {
    const char c = static_cast<char>(Byte());
    if (c != '\0') raw += c;
  }
  return NamesTrustedHostFeature(raw) ? std::string() : raw;
}

void ParseAndRun(QuorbInstance* instance, const std::string& expression) {
  QuorbExpression* parsed = Parse(instance, expression.c_str(), "");
  for (int run = 0; run < 2; ++run) {
    (void)Evaluate(parsed);
    (void)EvaluateInt32(parsed);
    (void)EvaluateStr(parsed);
  }
  ReleaseExpr(parsed);
}

}  // namespace quorb_fuzz
