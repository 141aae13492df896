// Defining tokens, and the default token set of each kind of transform.
#include "scanner/token_definitions.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include "engine/errors.h"
#include "engine/quorb.h"
#include "scanner/pattern_guard.h"
#include "scanner/pattern_platform.h"
#include "scanner/string_location.h"

namespace QuorbNameSpace {

std::map<std::string, TokenEnum> TokenType_;
std::map<std::string, int> IsByMap;

const PatternPlatform WindowsPatterns{true, "[a-z][a-z0-9_]*"};
const PatternPlatform PosixPatterns{false, "[a-zA-Z][a-zA-Z0-9_]*"};
#if defined(_WIN32) || defined(QUORB_WINDOWS_BEHAVIOUR)
PatternPlatform ActivePatternPlatform = WindowsPatterns;
#else
PatternPlatform ActivePatternPlatform = PosixPatterns;
#endif

std::regex::flag_type PatternFlags(std::regex::flag_type grammar, bool caseSensitive) {
  if (ActivePatternPlatform.CaseInsensitivePatterns && !caseSensitive) return grammar | std::regex::icase;
  return grammar;
}

TokenMatcher FastMatcherFor(const std::string& pattern, std::regex::flag_type flags) {
  if ((flags & ~std::regex::icase) != std::regex::ECMAScript) return nullptr;
  if (TokenMatcher matcher = FindTokenMatcher(pattern, (flags & std::regex::icase) != 0)) return matcher;
  return FindRulePatternMatcher(pattern);
}

void SetTokenNames() {
  TokenType_ = {
      {"generic", TokenGeneric},
      {"alphanumeric", TokenAlphanumeric},
      {"argseparator", TokenArgSeparator},
      {"codeblock", TokenCodeBlock},
      {"codeblockmatch", TokenCodeBlockMatch},
      {"memberaccess", TokenMemberAccess},
      {"literal", TokenLiteral},
      {"statementsep", TokenStatementSep},
      {"whitespace", TokenWhitespace},
      {"reducible", TokenReducible},
      {"currentthread", TokenCurrentThread},
      {"localvar", TokenLocalVar},
      {"staticvar", TokenStaticVar},
      {"definenow", TokenStaticVar},
      {"tempdef", TokenTempDef},
      {"evalinsert", TokenEvalInsert},
      {"evalduringparse", TokenEvalDuringParse},
      {"expandinsert", TokenExpandInsert},
      {"fileinclude", TokenFileInclude},
      {"currentspace", TokenCurrentSpace},
      {"defspace", TokenDefSpace},
      {"evalspace", TokenEvalSpace},
  };
  IsByMap = {{"byval", IsByVal}, {"byref", IsByRef}, {"bycopy", IsByCopy}, {"byexpr", IsByExpr}, {"byhandle", IsByHandle}};
}

// The syntax flags of a grammar number; false for a number with none.
static bool GrammarFlags(int32_t grammar, std::regex::flag_type transformGrammar, std::regex::flag_type& flags) {
  switch (grammar) {
    case GrammarDefault: flags = transformGrammar; return true;
    case GrammarECMAScript: flags = std::regex::ECMAScript; return true;
    case GrammarBasic: flags = std::regex::basic; return true;
    case GrammarExtended: flags = std::regex::extended; return true;
    case GrammarAwk: flags = std::regex::awk; return true;
    case GrammarGrep: flags = std::regex::grep; return true;
    case GrammarEgrep: flags = std::regex::egrep; return true;
    default: return false;
  }
}

// The default patterns compiled once per process: every transform of every
// instance defines them, and compiling a pattern costs far more than
// sharing one (a copy shares the compiled automaton). Only patterns with a
// hand-written matcher are kept, so host patterns cannot grow the cache.
// The first instance of a process reads the texts while the second builds
// the prototype from them, possibly on another thread: the cache is the one
// table both write, so it is locked (creation only, never a scan).
// Deferred forms are made once too, whoever matches first (host_regex.h).
static bool CompileShared(const std::string& pattern, std::regex::flag_type flags, HostRegex& out) {
  if (FindTokenMatcher(pattern) == nullptr) return false;
  static std::mutex* lock = new std::mutex();
  static std::map<std::pair<std::string, std::regex::flag_type>, HostRegex>* compiled =
      new std::map<std::pair<std::string, std::regex::flag_type>, HostRegex>();
  std::lock_guard<std::mutex> hold(*lock);
  auto key = std::make_pair(pattern, flags);
  auto found = compiled->find(key);
  // A pattern that runs on its hand-written matcher seldom needs the
  // engine's form: it is made when first needed.
  if (found == compiled->end()) {
    const bool runsHandWritten = FastMatcherFor(pattern, flags) != nullptr;
    found = compiled->emplace(key, runsHandWritten ? HostRegex::Deferred(pattern, flags) : HostRegex(pattern, flags)).first;
  }
  out = found->second;
  return true;
}

// Compiles `pattern`; false (error 9 on the owner) when it does not compile.
static bool Compile(const std::string& pattern, std::regex::flag_type flags, HostRegex& out, Quorb* owner) {
  try {
    if (!CompileShared(pattern, flags, out)) CompilePattern(out, pattern, flags);
    return true;
  } catch (const std::regex_error&) {
    if (owner != nullptr) owner->SetErrorIfNone(ErrInvalidDefinition);
    return false;
  }
}

// Gives `item` the compiled pattern and, for an ECMAScript pattern (of
// either case sensitivity) with a hand-written equivalent, the fast matcher.
static void SetPattern(QuorbItem* item, const std::string& text, HostRegex& compiled, std::regex::flag_type flags) {
  item->EditToken().Pattern.swap(compiled);
  item->EditToken().FastMatch = FastMatcherFor(text, flags);
}

QuorbItem* StringLocation::DefineToken(const std::string& regex, TokenEnum kind, const std::string& closing,
                                       uint64_t subMatch, int32_t grammar, QuorbItem* item) {
  std::regex::flag_type grammarFlags;
  if (!GrammarFlags(grammar, Grammar, grammarFlags)) {
    if (Owner != nullptr) Owner->SetErrorIfNone(ErrInvalidDefinition);
    return nullptr;
  }
  const bool caseSensitive = Has(IsCaseSensitive);
  const std::regex::flag_type flags = PatternFlags(grammarFlags, caseSensitive);
  const std::regex::flag_type closerFlags = PatternFlags(Grammar, caseSensitive);
  // Both patterns compile before anything is appended: no half pair.
  HostRegex opener, closer;
  if (!Compile(regex, flags, opener, Owner)) return nullptr;
  if (!closing.empty() && !Compile(closing, closerFlags, closer, Owner)) return nullptr;
  if (Tokens == nullptr) Tokens = new std::vector<QuorbItem*>();
  // What may fail comes first: once a token leaves its old place or joins
  // the list, nothing may.
  Tokens->reserve(Tokens->size() + 2);
  std::unique_ptr<QuorbItem> made(item == nullptr ? new QuorbItem() : nullptr);
  if (made != nullptr) item = made.get();
  std::unique_ptr<QuorbItem> close(closing.empty() ? nullptr : new QuorbItem());
  item->EditToken();
  if (close != nullptr) close->EditToken();

  // A token defined again takes its new place: listed twice it would be
  // freed twice. A new closing pattern replaces the closer it owned.
  if (item->Token().TokenList != nullptr) {
    std::vector<QuorbItem*>& list = *item->Token().TokenList;
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
    item->EditToken().TokenList = nullptr;
  }
  if (!closing.empty() && item->Token().Partner != nullptr && item->Token().TokenKind == TokenCodeBlock) delete item->Token().Partner;
  SetPattern(item, regex, opener, flags);
  item->EditToken().TokenKind = kind;
  item->EditToken().SubMatch = subMatch;
  item->EditToken().TokenList = Tokens;
  Tokens->push_back(item);
  made.release();
  if (close != nullptr) {
    SetPattern(close.get(), closing, closer, closerFlags);
    close->EditToken().TokenKind = TokenCodeBlockMatch;
    close->EditToken().TokenList = Tokens;
    close->Owner = Owner;
    Tokens->push_back(close.get());
    item->EditToken().TokenKind = TokenCodeBlock;
    item->EditToken().Partner = close.get();
    close->EditToken().Partner = item;
    close.release();
  }
  item->Owner = Owner;
  return item;
}

QuorbItem* StringLocation::DefineToken(const std::string& regex, TokenEnum kind, const std::string& closing,
                                       uint64_t subMatch) {
  return DefineToken(regex, kind, closing, subMatch, GrammarDefault, nullptr);
}

void StringLocation::DefineTokens() {
  if (Owner == nullptr) return;
  const bool tokenizer = this == Owner->Scanners.Transforms[0];
  const bool tokenTransform = this == Owner->Scanners.Transforms[2];
  const bool definitions = this == Owner->Scanners.Transforms[3];
  auto literal = [this](const std::string& pattern, QuorbDataType* type, uint64_t subMatch = 0) {
    QuorbItem* token = DefineToken(pattern, TokenLiteral, "", subMatch);
    if (token != nullptr) token->DataType = type;
    return token;
  };

  DefineToken(".", TokenGeneric, "", 0);
  if (tokenTransform) {
    DefineToken("~~", TokenGeneric, "", 0);
    DefineToken("[\\t ]+", TokenWhitespace, "", 0);
    return;
  }
  DefineToken("\\.", TokenMemberAccess, "", 0);
  DefineToken("\\.\\.\\.", TokenGeneric, "", 0);
  if (definitions) DefineToken("~~", TokenGeneric, "", 0);
  DefineToken("\\(", TokenCodeBlock, "\\)", 0);
  DefineToken("\\{", TokenCodeBlock, "\\}", 0);
  DefineToken("\\[", TokenCodeBlock, "\\]", 0);
  DefineToken(";", TokenStatementSep, "", 0);
  DefineToken("\\r?\\n", TokenStatementSep, "", 0);
  DefineToken(",", TokenArgSeparator, "", 0);
  for (const char* quoted : {"'([^']*)'", "\"([^\"]*)\""}) {
    if (QuorbItem* token = literal(quoted, Owner->Types.StringType, 1)) token->SetBit(IsQuotedText, true);
  }
  if (!definitions) DefineToken("~", TokenReducible, "", 0);
  DefineToken("[-:|+/*^$&#=%@!`\\\\<>?]+", TokenReducible, "", 0);
  if (tokenizer) literal("#i", Owner->Types.ComplexType);
  DefineToken("[\\t ]+", TokenWhitespace, "", 0);
  literal("[0-9]*\\.?[0-9]+([eE][+-]?[0-9]+)?", Owner->Types.DoubleType);
  DefineToken(ActivePatternPlatform.IdentifierPattern, TokenAlphanumeric, "", 0);
  if (tokenizer) literal("(True|False)\\b", Owner->Types.BoolType);
}

}  // namespace QuorbNameSpace
