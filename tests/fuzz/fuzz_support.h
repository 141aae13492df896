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

// The input of the op-program targets: a byte stream read from the front,
// giving 0 once it runs out, so every input is a complete program.
class ByteProgram {
 public:
  ByteProgram(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Done() const { return at_ >= size_; }
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  // A number below `count` (count > 0).
  int32_t Below(int32_t count) { return static_cast<int32_t>(Byte() % count); }
  // A count or limit as hosts pass them: small ones, -1, 0 and the extremes.
  int32_t Number();
  // One of the `count` texts of `table`, or (when the byte says so) up to
  // 31 raw bytes of the input; a raw text naming a trusted-host feature
  // reads as the empty text.
  std::string Text(const char* const* table, size_t count);

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// Runs the input as the program of a fresh `Host` (constructed from the
// program, driven by Run, destroyed before returning, so leaks count).
template <class Host>
int RunProgram(const uint8_t* data, size_t size) {
  ByteProgram program(data, size);
  Host host(program);
  host.Run();
  return 0;
}

// Parses `expression`, evaluates it in each result form the exports offer,
// twice (a second run reuses every step), then releases it.
void ParseAndRun(QuorbInstance* instance, const std::string& expression);

}  // namespace quorb_fuzz

#endif  // QUORB_TESTS_FUZZ_FUZZ_SUPPORT_H
