// Fuzz target: a few lines mixing definitions and expressions on a fresh
// instance, released at the end (so leaks count). Expressions parsed early
// stay alive and run again after later definitions, as a host's would.
//
// Input, one action a line, chosen by the line's first byte:
//   '=' the rest is a definition (Define_Overload_Quorb);
//   'v' the rest is a variable declaration (DefineVariable);
//   'c' the rest is a constant declaration (DefineConstant);
//   '?' the rest is parsed and kept; every kept expression runs again at
//       the end;
//   otherwise the line is an expression, run once.
// Left out (see fuzz_support.h): raw addresses, files and class types that
// convert into anything; no host memory or callback is given.
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_support.h"

namespace {

constexpr size_t kMaxKeptExpressions = 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = quorb_fuzz::InputText(data, size, 8192);
  if (quorb_fuzz::NamesTrustedHostFeature(text)) return -1;

  QuorbInstance* instance = CreateQuorb(nullptr);
  std::vector<QuorbExpression*> kept;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const std::string rest = line.empty() ? line : line.substr(1);
    switch (line.empty() ? '\0' : line[0]) {
      case '=': (void)Define_Overload_Quorb(instance, rest.c_str(), nullptr, nullptr); break;
      case 'v': (void)DefineVariable(instance, rest.c_str(), nullptr); break;
      case 'c': (void)DefineConstant(instance, rest.c_str(), nullptr); break;
      case '?':
        if (kept.size() < kMaxKeptExpressions) kept.push_back(Parse(instance, rest.c_str(), ""));
        break;
      default: quorb_fuzz::ParseAndRun(instance, line); break;
    }
  }
  for (QuorbExpression* expression : kept) {
    (void)Evaluate(expression);
    (void)EvaluateStr(expression);
    ReleaseExpr(expression);
  }
  ReleaseQuorb(instance);
  return 0;
}
