// Fuzz target: token and rule definitions on a host transform, then
// expansion of texts, on a fresh instance released at the end (so leaks
// count). The instance's parser transform takes rules too, so that alias
// rewriting of expressions is attacked as well.
//
// Input, one action a line, chosen by the line's first byte:
//   't' the rest is a token pattern (DefineToken, grammar from the next byte);
//   'r' the rest is "FROM=>TO", a rule (FromTo);
//   'a' the rest is "FROM=>TO", a rule on the parser transform;
//   'p' a pass is added (NewPass); 'q' the rest is a rule of the last pass;
//   'e' the rest is an expression, evaluated through the rewritten parser;
//   otherwise the line is expanded (Expand, then ExpandWithSteps).
// Left out (see fuzz_support.h): raw addresses, files and class types that
// convert into anything, in directives and expressions alike.
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_support.h"

namespace {

// Splits "FROM=>TO"; a line without the arrow is a rule with an empty TO.
void DefineRuleLine(QuorbTransform* transform, const std::string& line) {
  const size_t arrow = line.find("=>");
  const std::string from = line.substr(0, arrow);
  const std::string to = arrow == std::string::npos ? std::string() : line.substr(arrow + 2);
  (void)FromTo(transform, from.c_str(), to.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = quorb_fuzz::InputText(data, size, 8192);
  if (quorb_fuzz::NamesTrustedHostFeature(text)) return -1;

  QuorbInstance* instance = CreateQuorb(nullptr);
  QuorbTransform* transform = NewTransform(instance);
  QuorbTransform* pass = transform;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const std::string rest = line.empty() ? line : line.substr(1);
    switch (line.empty() ? '\0' : line[0]) {
      case 't': {
        const int32_t grammar = rest.empty() ? 0 : (rest[0] & 7) % 7;
        const std::string pattern = rest.empty() ? rest : rest.substr(1);
        (void)DefineToken(transform, pattern.c_str(), 1, "", 0, grammar);
        break;
      }
      case 'r': DefineRuleLine(transform, rest); break;
      case 'a': DefineRuleLine(ParserTransform(instance), rest); break;
      case 'p': {
        QuorbTransform* made = NewPass(transform, 0);
        if (made != nullptr) pass = made;
        break;
      }
      case 'q': DefineRuleLine(pass, rest); break;
      case 'e': quorb_fuzz::ParseAndRun(instance, rest); break;
      default:
        (void)Expand(transform, line.c_str());
        (void)ExpandWithSteps(transform, line.c_str(), "|", "[", "]");
        break;
    }
  }
  ReleaseTransform(transform);
  ReleaseQuorb(instance);
  return 0;
}
