// Fuzz target: one expression text on a fresh instance that has host
// variables, through Eval, EvalStr, and Parse with every Evaluate form.
//
// Left out (see fuzz_support.h): raw addresses, files, class types that
// convert into anything, and "Define" from the text, which could rebind the
// type that the host variables' memory is read as.
#include <cstdint>
#include <string>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = quorb_fuzz::InputText(data, size, 4096);
  if (quorb_fuzz::NamesTrustedHostFeature(text) || text.find("efine") != std::string::npos) return -1;

  QuorbInstance* instance = CreateQuorb(nullptr);
  double a = 1.5, b = -2.0;
  int32_t n = 7;
  DefineVariable(instance, "a As Double", &a);
  DefineVariable(instance, "b As Double", &b);
  DefineVariable(instance, "n As Int", &n);
  DefineVariable(instance, "s As String = \"text\"", nullptr);

  (void)Eval(instance, text.c_str());
  (void)EvalStr(instance, text.c_str());
  quorb_fuzz::ParseAndRun(instance, text);
  ReleaseQuorb(instance);
  return 0;
}
