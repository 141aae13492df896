// Fuzz target: a definition, then expressions that use what it made, on a
// fresh instance that is released at the end (so leaks count).
//
// Input: the first line is the definition text; every further line is an
// expression. Left out (see fuzz_support.h): raw addresses, files and class
// types that convert into anything; no host memory or callback is given.
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = quorb_fuzz::InputText(data, size, 4096);
  if (quorb_fuzz::NamesTrustedHostFeature(text)) return -1;

  std::istringstream lines(text);
  std::string definition;
  std::getline(lines, definition);

  QuorbInstance* instance = CreateQuorb(nullptr);
  (void)Define_Overload_Quorb(instance, definition.c_str(), nullptr, nullptr);
  for (std::string expression; std::getline(lines, expression);) quorb_fuzz::ParseAndRun(instance, expression);
  ReleaseQuorb(instance);
  return 0;
}
