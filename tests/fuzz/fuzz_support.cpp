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
