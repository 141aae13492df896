// Host patterns on Boost.Regex: compiling under the standard grammar
// options, and anchored matching that gives up instead of running away.

// The engine allows a match max(S*S*N, min(N*N, this)) steps for a pattern
// of S states over N characters before it gives up. Its default (10^8)
// lets one catastrophic pattern over a long text run for about a second;
// this keeps such a failure near a tenth of that while a sound pattern
// (at most S*S steps per character) never comes close.
#define BOOST_REGEX_MAX_STATE_COUNT 10000000
#include <boost/regex.hpp>

#include "engine/retrying_once.h"
#include "scanner/host_regex.h"
#include "scanner/pattern_first_bytes.h"
#include "scanner/pattern_guard.h"

namespace QuorbNameSpace {

struct CompiledHostRegex {
  mutable boost::regex pattern;
  boost::regex_constants::match_flag_type matchFlags;
  ByteSet firstBytes;
  // A deferred form keeps its text until the first match needs the engine's
  // form; `compiled` tells whether `pattern` holds it. Copies share one
  // form, possibly on several threads: it is made once, under the lock.
  std::string deferredText;
  boost::regex::flag_type deferredOptions = 0;
  bool deferred = false;
  mutable RetryingOnce made;
};

namespace {

namespace std_rc = std::regex_constants;
namespace boost_rc = boost::regex_constants;

bool Has(HostRegex::flag_type flags, HostRegex::flag_type flag) { return (flags & flag) == flag; }

// The engine's syntax options for a standard grammar (ECMAScript when none
// is named, as the standard library does). In ECMAScript mode the engine
// would let "^" and "$" match at line breaks and "." match a line break.
boost::regex::flag_type SyntaxOptions(HostRegex::flag_type flags) {
  boost::regex::flag_type options = boost::regex::ECMAScript | boost::regex::no_mod_m | boost::regex::no_mod_s;
  if (Has(flags, std_rc::basic)) options = boost::regex::basic;
  else if (Has(flags, std_rc::extended)) options = boost::regex::extended;
  else if (Has(flags, std_rc::awk)) options = boost::regex::awk;
  else if (Has(flags, std_rc::grep)) options = boost::regex::grep;
  else if (Has(flags, std_rc::egrep)) options = boost::regex::egrep;
  if (Has(flags, std_rc::icase)) options |= boost::regex::icase;
  if (Has(flags, std_rc::nosubs)) options |= boost::regex::nosubs;
  if (Has(flags, std_rc::collate)) options |= boost::regex::collate;
  return options;
}

// The engine's start map: the bytes its own search would try a match at.
// A pattern that can match empty may match anywhere. Compiled to ignore
// case, the map follows the C++ library's case tables, which the matcher
// need not (libc++'s differ): each letter brings its other ASCII case, and
// any byte above ASCII brings all of them.
ByteSet StartBytes(const boost::regex& pattern, bool ignoreCase) {
  if (pattern.can_be_null()) return ByteSet::All();
  ByteSet bytes;
  const unsigned char* map = pattern.get_map();
  constexpr unsigned char takeOrSkip = boost::BOOST_REGEX_DETAIL_NS::mask_any;
  bool high = false;
  for (unsigned byte = 0; byte < 256; ++byte) {
    if ((map[byte] & takeOrSkip) == 0) continue;
    bytes.Add(static_cast<unsigned char>(byte));
    high = high || byte >= 0x80;
  }
  if (!ignoreCase) return bytes;
  for (unsigned char lower = 'a'; lower <= 'z'; ++lower) {
    const unsigned char upper = static_cast<unsigned char>(lower - 'a' + 'A');
    if (bytes.Has(lower) || bytes.Has(upper)) {
      bytes.Add(lower);
      bytes.Add(upper);
    }
  }
  if (high)
    for (unsigned byte = 0x80; byte < 256; ++byte) bytes.Add(static_cast<unsigned char>(byte));
  return bytes;
}

// ECMAScript unless another grammar is named: the library's ECMAScript flag
// may be 0 (libc++), which every set of flags "has".
bool IsECMAScript(HostRegex::flag_type flags) {
  constexpr HostRegex::flag_type others = std_rc::basic | std_rc::extended | std_rc::awk | std_rc::grep | std_rc::egrep;
  return (flags & others) == 0;
}

// Skips a bracket expression starting after its "[" at `i`; `i` ends after
// its "]" (or at the end of an unclosed one). "[:name:]" and its kin inside
// do not close it.
void SkipBracket(const std::string& pattern, size_t& i) {
  if (i < pattern.size() && pattern[i] == '^') ++i;
  while (i < pattern.size()) {
    const char c = pattern[i++];
    if (c == ']') return;
    if (c == '\\') {
      if (i < pattern.size()) ++i;
    } else if (c == '[' && i < pattern.size() && (pattern[i] == ':' || pattern[i] == '.' || pattern[i] == '=')) {
      const char kind = pattern[i];
      const size_t close = pattern.find(std::string{kind, ']'}, i + 1);
      i = close == std::string::npos ? pattern.size() : close + 2;
    }
  }
}

// The standard ECMAScript "." leaves out only "\n" and "\r"; the engine's
// also leaves out "\f". Every "." outside a bracket expression is written
// as the class the standard means.
std::string StandardDots(const std::string& pattern) {
  if (pattern.find('.') == std::string::npos) return pattern;
  std::string out;
  out.reserve(pattern.size() + 16);
  size_t i = 0;
  while (i < pattern.size()) {
    const size_t from = i;
    const char c = pattern[i++];
    if (c == '\\') {
      if (i < pattern.size()) ++i;
    } else if (c == '[') {
      SkipBracket(pattern, i);
    } else if (c == '.') {
      out += "[^\\n\\r]";
      continue;
    }
    out.append(pattern, from, i - from);
  }
  return out;
}

std_rc::error_type StandardError(boost_rc::error_type code) {
  switch (code) {
    case boost_rc::error_collate: return std_rc::error_collate;
    case boost_rc::error_ctype: return std_rc::error_ctype;
    case boost_rc::error_escape: return std_rc::error_escape;
    case boost_rc::error_backref: return std_rc::error_backref;
    case boost_rc::error_brack: return std_rc::error_brack;
    case boost_rc::error_paren: return std_rc::error_paren;
    case boost_rc::error_brace: return std_rc::error_brace;
    case boost_rc::error_badbrace: return std_rc::error_badbrace;
    case boost_rc::error_range: return std_rc::error_range;
    case boost_rc::error_space: return std_rc::error_space;
    case boost_rc::error_complexity: return std_rc::error_complexity;
    case boost_rc::error_stack: return std_rc::error_stack;
    default: return std_rc::error_badrepeat;
  }
}

}  // namespace

// The engine's form of a deferred pattern, made on first need. Throws as the
// engine does (only memory can run out: a deferred pattern is known to
// compile); the next attempt then tries again.
static const boost::regex& EngineForm(const CompiledHostRegex& compiled) {
  if (compiled.deferred)
    compiled.made([&compiled] { compiled.pattern.assign(compiled.deferredText, compiled.deferredOptions); });
  return compiled.pattern;
}

bool CompileDefaultPatternsOnFirstUse = true;

HostRegex HostRegex::Deferred(const std::string& pattern, flag_type flags) {
  // Any other bare "." compiles at once: the reading takes the class it
  // stands for as any byte, where the engine's map leaves the line breaks
  // out. "." alone, every transform's first token, is any byte but those.
  ByteSet read;
  const bool plain = IsECMAScript(flags) && !Has(flags, std_rc::collate);
  const bool anyByte = pattern == ".";
  if (anyByte) {
    read = ByteSet::All();
    read.words[0] &= ~((1ULL << '\n') | (1ULL << '\r'));
  }
  if (!CompileDefaultPatternsOnFirstUse || !plain || !PatternNumbersFit(pattern) ||
      (!anyByte && (StandardDots(pattern) != pattern || !ReadFirstBytes(pattern, Has(flags, std_rc::icase), read))))
    return HostRegex(pattern, flags);
  HostRegex lazy;
  lazy.flags_ = flags;
  auto compiled = std::make_shared<CompiledHostRegex>();
  compiled->matchFlags = boost_rc::match_continuous | boost_rc::match_single_line;
  compiled->deferredText = StandardDots(pattern);
  compiled->deferredOptions = SyntaxOptions(flags);
  compiled->deferred = true;
  compiled->firstBytes = read;
  lazy.compiled_ = std::move(compiled);
  return lazy;
}

HostRegex::HostRegex(const std::string& pattern, flag_type flags) : flags_(flags) {
  if (!PatternNumbersFit(pattern)) throw std::regex_error(std_rc::error_badbrace);
  const bool ecma = IsECMAScript(flags);
  auto compiled = std::make_shared<CompiledHostRegex>();
  // Both ends of the range are the ends of input; POSIX "." never matches NUL.
  compiled->matchFlags = boost_rc::match_continuous | boost_rc::match_single_line;
  if (!ecma) compiled->matchFlags |= boost_rc::match_not_dot_null;
  try {
    compiled->pattern.assign(ecma ? StandardDots(pattern) : pattern, SyntaxOptions(flags));
  } catch (const boost::regex_error& error) {
    throw std::regex_error(StandardError(error.code()));
  } catch (const std::bad_alloc&) {
    throw;  // memory ran out: not a fault of the pattern
  } catch (const std::exception&) {
    throw std::regex_error(std_rc::error_space);
  }
  // Both readings are supersets of the truth, so is what they share.
  compiled->firstBytes = StartBytes(compiled->pattern, Has(flags, std_rc::icase));
  ByteSet read;
  if (ecma && !Has(flags, std_rc::collate) && ReadFirstBytes(pattern, Has(flags, std_rc::icase), read))
    for (int i = 0; i < 4; ++i) compiled->firstBytes.words[i] &= read.words[i];
  compiled_ = std::move(compiled);
}

ByteSet HostRegex::FirstBytes() const { return compiled_ != nullptr ? compiled_->firstBytes : ByteSet(); }

void HostRegex::swap(HostRegex& other) noexcept {
  compiled_.swap(other.compiled_);
  std::swap(flags_, other.flags_);
}

RegexOutcome MatchRegexAt(const HostRegex& pattern, const std::string& text, uint64_t pos, uint64_t end,
                          uint64_t subMatch, TokenMatch& out) {
  if (pattern.compiled_ == nullptr || end > text.size() || pos > end) return RegexOutcome::NoMatch;
  const CompiledHostRegex& compiled = *pattern.compiled_;
  const auto first = text.cbegin() + static_cast<std::ptrdiff_t>(pos);
  const auto last = text.cbegin() + static_cast<std::ptrdiff_t>(end);
  boost::match_results<std::string::const_iterator> match;
  try {
    if (!boost::regex_search(first, last, match, EngineForm(compiled), compiled.matchFlags)) return RegexOutcome::NoMatch;
  } catch (const std::exception&) {
    // Too complex, out of backtracking memory, or out of memory.
    return RegexOutcome::GaveUp;
  }
  out.length = static_cast<uint64_t>(match.length(0));
  if (subMatch < match.size() && match[static_cast<int>(subMatch)].matched) {
    out.subStart = static_cast<uint64_t>(match[static_cast<int>(subMatch)].first - text.cbegin());
    out.subLength = static_cast<uint64_t>(match.length(static_cast<int>(subMatch)));
  } else {
    out.subStart = pos;
    out.subLength = 0;
  }
  return RegexOutcome::Match;
}

}  // namespace QuorbNameSpace
