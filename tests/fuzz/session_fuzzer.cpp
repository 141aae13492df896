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
//
// Every input runs twice: on an instance copied from the prototype and on
// one built from the definition texts (the copies' slow twin, chosen by the
// engine's switch). Each answer and error number of the one must be the other's,
// or the target aborts. Where a text can print an address (Define, Parse
// and C_Str give them), only the error numbers are compared.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "engine/instance_prototype.h"
#include "fuzz_support.h"

namespace {

constexpr size_t kMaxKeptExpressions = 16;

void SetCopies(bool copies) { QuorbNameSpace::InstanceCopies = copies; }

// Whether the text may call a built-in whose value is an address of this
// instance's own, which differs between any two instances.
bool MayPrintAddresses(const std::string& text) {
  std::string folded(text);
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  for (const char* word : {"define", "parse", "c_str"})
    if (folded.find(word) != std::string::npos) return true;
  return false;
}

// Parses and runs `expression` as every target does (fuzz_support.h),
// noting each answer of the exports and the error number after it.
void RunNoted(QuorbInstance* instance, const std::string& expression, bool numbersOnly, std::string& transcript) {
  auto note = [&](const std::string& answer) {
    transcript += (numbersOnly ? std::string() : answer) + " #" + std::to_string(ErrorNumber(instance)) + "\n";
  };
  QuorbExpression* parsed = Parse(instance, expression.c_str(), "");
  note("parsed");
  for (int run = 0; run < 2; ++run) {
    uint64_t bits = 0;
    const double value = Evaluate(parsed);
    std::memcpy(&bits, &value, sizeof bits);
    note(std::to_string(bits));
    note(std::to_string(EvaluateInt32(parsed)));
    note(EvaluateStr(parsed));
  }
  ReleaseExpr(parsed);
}

// Runs the session on a new instance, copied or built from the texts; the
// answers it gave, in order.
std::string RunSession(const std::string& text, bool copied, bool numbersOnly) {
  SetCopies(copied);
  QuorbInstance* instance = CreateQuorb(nullptr);
  SetCopies(true);
  // The generator and the flags are the process's: both runs start alike.
  (void)EvalStr(instance, "RandomSeed(1)");
  (void)FPEnvClearException(instance, 0);
  std::string transcript;
  auto note = [&](const char* what, bool made) {
    transcript += what;
    transcript += made ? " made #" : " none #";
    transcript += std::to_string(ErrorNumber(instance)) + "\n";
  };
  std::vector<QuorbExpression*> kept;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const std::string rest = line.empty() ? line : line.substr(1);
    switch (line.empty() ? '\0' : line[0]) {
      case '=': note("define", Define_Overload_Quorb(instance, rest.c_str(), nullptr, nullptr) != nullptr); break;
      case 'v': note("variable", DefineVariable(instance, rest.c_str(), nullptr) != nullptr); break;
      case 'c': note("constant", DefineConstant(instance, rest.c_str(), nullptr) != nullptr); break;
      case '?':
        if (kept.size() < kMaxKeptExpressions) {
          kept.push_back(Parse(instance, rest.c_str(), ""));
          note("kept", kept.back() != nullptr);
        }
        break;
      default: RunNoted(instance, line, numbersOnly, transcript); break;
    }
  }
  for (QuorbExpression* expression : kept) {
    const double value = Evaluate(expression);
    const std::string printed = EvaluateStr(expression);
    if (!numbersOnly) transcript += std::to_string(value) + " " + printed;
    transcript += " #" + std::to_string(ErrorNumber(instance)) + "\n";
    ReleaseExpr(expression);
  }
  ReleaseQuorb(instance);
  return transcript;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = quorb_fuzz::InputText(data, size, 8192);
  if (quorb_fuzz::NamesTrustedHostFeature(text)) return -1;

  const bool numbersOnly = MayPrintAddresses(text);
  const std::string copied = RunSession(text, true, numbersOnly);
  const std::string built = RunSession(text, false, numbersOnly);
  if (copied != built) {
    std::fprintf(stderr, "a copied instance answered\n%s\nwhere one built from the texts answered\n%s\n",
                 copied.c_str(), built.c_str());
    std::abort();
  }
  return 0;
}
