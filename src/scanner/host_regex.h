// Host patterns: the regular-expression engine behind every token pattern
// and rule parameter that has no hand-written matcher (token_matchers.h).
//
// It runs on Boost.Regex, header-only. That engine matches without
// recursion, so a long match cannot exhaust the stack, and it gives up on a
// pattern whose backtracking runs away instead of running for ever. Grammars
// and flags are named by the standard library's syntax options (the values
// definitions and hosts use: ECMAScript 16, basic 32, ...); this layer maps
// them onto the engine's own and keeps the standard meaning where the two
// engines' defaults differ ("^" and "$" only at the ends of the range, "."
// in ECMAScript not matching a line break, "." in the POSIX grammars not
// matching NUL). host_regex.cpp is the only file that includes the engine,
// so every build uses the same one.
#ifndef QUORB_SCANNER_HOST_REGEX_H
#define QUORB_SCANNER_HOST_REGEX_H

#include <cstdint>
#include <memory>
#include <regex>
#include <string>

#include "scanner/byte_set.h"
#include "scanner/token_matchers.h"

namespace QuorbNameSpace {

struct CompiledHostRegex;
class HostRegex;

// How one anchored match attempt ended.
enum class RegexOutcome {
  NoMatch,
  Match,
  // The engine gave up: the match needed more backtracking steps or memory
  // than the engine allows for a text of this length. Callers treat it as
  // no match and report error 18 (ErrReparseLimit).
  GaveUp,
};

RegexOutcome MatchRegexAt(const HostRegex& pattern, const std::string& text, uint64_t pos, uint64_t end,
                          uint64_t subMatch, TokenMatch& out);

// Whether HostRegex::Deferred defers (false: its slow twin, compiling at
// once; tests compare both ways).
extern bool CompileDefaultPatternsOnFirstUse;

// A compiled host pattern. Copies share the compiled form (it never
// changes), so copying is cheap. A default-constructed pattern matches
// nothing and reports the ECMAScript grammar.
class HostRegex {
 public:
  using flag_type = std::regex_constants::syntax_option_type;

  HostRegex() = default;
  // Compiles `pattern` under `flags` (one grammar, optionally icase).
  // Throws std::regex_error when the pattern does not compile or holds a
  // back-reference or repeat count beyond MaxPatternNumber (pattern_guard.h).
  explicit HostRegex(const std::string& pattern, flag_type flags = std::regex_constants::ECMAScript);
  // As the constructor, for a pattern known to compile (a default token
  // pattern, which runs on its hand-written matcher): the engine's form is
  // made on the first match attempt instead, and the first bytes are read
  // from the text alone. Falls back to compiling at once where that reading
  // knows too little, or when CompileDefaultPatternsOnFirstUse is off.
  static HostRegex Deferred(const std::string& pattern, flag_type flags = std::regex_constants::ECMAScript);

  // The flags the pattern was compiled with.
  flag_type flags() const { return flags_; }
  bool Compiled() const { return compiled_ != nullptr; }
  // The bytes an anchored match can start with, as the engine knows them
  // (case folding included); every byte for a pattern that can match the
  // empty string, none for an uncompiled pattern (it matches nothing).
  ByteSet FirstBytes() const;
  void swap(HostRegex& other) noexcept;

 private:
  friend RegexOutcome MatchRegexAt(const HostRegex&, const std::string&, uint64_t, uint64_t, uint64_t,
                                   TokenMatch&);
  std::shared_ptr<const CompiledHostRegex> compiled_;
  flag_type flags_ = std::regex_constants::ECMAScript;
};

// Matches `pattern` anchored at `pos` within [0, end) of `text`; the range
// end counts as the end of input and `pos` as its start ("^" and a word
// boundary hold there). `subMatch` selects the capture group whose place
// goes to out.subStart/subLength (0 = the whole match; an unmatched or
// nonexistent group gives subStart = pos, subLength 0). A range outside the
// text, or an uncompiled pattern, gives NoMatch. `out` is written only on
// Match. Never recurses, whatever the length of the match.
RegexOutcome MatchRegexAt(const HostRegex& pattern, const std::string& text, uint64_t pos, uint64_t end,
                          uint64_t subMatch, TokenMatch& out);

}  // namespace QuorbNameSpace

#endif  // QUORB_SCANNER_HOST_REGEX_H
