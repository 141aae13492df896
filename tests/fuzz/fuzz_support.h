// What the fuzz targets share: the filter that keeps trusted-host features
// out of fuzzed text, and the one way every target evaluates a text.
//
// The language lets text do things that only a trusted host should ask for:
// make up raw addresses and read or write through them, read files, and
// rebind the types that host memory is read as; and its loops run for as
// long as the text says ("DoLoop(1, 1)" never ends, by design). A fault
// found that way is the host's, not the library's, so the targets refuse
// such inputs rather than report them.
#ifndef QUORB_TESTS_FUZZ_FUZZ_SUPPORT_H
#define QUORB_TESTS_FUZZ_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "quorb.h"

namespace quorb_fuzz {

// True when the text names a feature the targets leave to trusted hosts:
// the pointer built-ins and pointer types, address clauses, class types
// that convert into anything (a number could become an address), files.
// Words are matched without regard to case, as the language folds them.
bool NamesTrustedHostFeature(const std::string& text);

// The input as text, cut at `maxLength` bytes so one input stays cheap.
std::string InputText(const uint8_t* data, size_t size, size_t maxLength);

// Parses `expression`, evaluates it in each result form the exports offer,
// twice (a second run reuses every step), then releases it.
void ParseAndRun(QuorbInstance* instance, const std::string& expression);

}  // namespace quorb_fuzz

#endif  // QUORB_TESTS_FUZZ_FUZZ_SUPPORT_H
