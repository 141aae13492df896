// Reading a rule's FROM pattern into part items: literal tokens, parameters
// in braces with their modifiers and forms, groups with alternatives,
// optional parts, and "{@...}" directives. Optional parts and alternatives
// are spun off as variant rules on the way.
#include <memory>

#include "engine/file_reading.h"
#include "engine/quorb.h"
#include "engine/sentinels.h"
#include "scanner/pattern_guard.h"
#include "scanner/pattern_platform.h"
#include "scanner/rule_compiler.h"

namespace QuorbNameSpace {

namespace {

// Modifier characters of a parameter and the property bit each sets.
int ModifierBit(char c) {
  switch (c) {
    case '+': return IsSeparatorTransparent;
    case '^': return IsCodeBlockBlind;
    case '~': return IsNoExpansion;
    case '$': return IsWhitespaceSensitive;
    case '`': return IsQuoteBlind;
    case '%': return IsExpandedParam;
    case '!': return IsModifierBang;
    case '#': return IsModifierHash;
    case '>': return IsModifierGreater;
    default: return -1;
  }
}

// The grammar a word of a regex parameter names by its first three letters;
// GrammarDefault when it names none.
int32_t GrammarOfWord(const std::string& word) {
  const std::string prefix = AsciiLower(word.substr(0, 3));
  if (prefix == "ecm") return GrammarECMAScript;
  if (prefix == "bas") return GrammarBasic;
  if (prefix == "ext") return GrammarExtended;
  if (prefix == "awk") return GrammarAwk;
  if (prefix == "gre") return GrammarGrep;
  if (prefix == "egr") return GrammarEgrep;
  return GrammarDefault;
}

std::regex::flag_type GrammarFlags(int32_t grammar, std::regex::flag_type fallback) {
  switch (grammar) {
    case GrammarECMAScript: return std::regex::ECMAScript;
    case GrammarBasic: return std::regex::basic;
    case GrammarExtended: return std::regex::extended;
    case GrammarAwk: return std::regex::awk;
    case GrammarGrep: return std::regex::grep;
    case GrammarEgrep: return std::regex::egrep;
    default: return fallback;
  }
}

// A decimal number made only of digits that fits in 63 bits.
bool ParseCount(const std::string& text, uint64_t& value) {
  if (text.empty() || text.size() > 18) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return true;
}

bool IsBlankText(const std::string& text) {
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
  return true;
}

}  // namespace

char RuleCompiler::At(uint64_t position) const { return position < from_.size() ? from_[position] : '\0'; }

std::string RuleCompiler::GeneratedName() { return "Arg_" + std::to_string(generated_++) + "_"; }

bool RuleCompiler::ReadPattern() {
  for (;;) {
    cursor_.NextToken(DefaultToken, 1);
    if (cursor_.CurrentToken == ItemNotFound) break;
    const bool quoted = cursor_.CurrentToken->Has(IsQuotedText);
    const std::string token = cursor_.TokenText();
    const uint64_t tokenStart = cursor_.ScanStart;
    bool ok = true;
    if (quoted) {
      if (!token.empty()) AddLiteral(token);
    } else if (token == "{") {
      ok = ReadBrace(tokenStart);
    } else if (token == "[") {
      ok = ReadOptional(tokenStart);
    } else if (!token.empty() && token[0] == '|') {
      ok = ReadAlternative(tokenStart);
    } else if (token == "}") {
      ok = CloseGroup();
    } else if (!token.empty()) {
      AddLiteral(token);
    }
    if (!ok) return false;
  }
  // Groups still open at the end are closed as if their braces followed.
  while (!openGroups_.empty())
    if (!CloseGroup()) return false;
  if (ParameterBeforeAnchor()) return false;
  FinishParts();
  return true;
}

// Matching begins at the anchor and never looks back, so a plain or count
// parameter before it would capture the anchor itself (or nothing) instead
// of the text before it: such a pattern cannot do what it says.
bool RuleCompiler::ParameterBeforeAnchor() const {
  if (!rule_->Has(IsAnchored)) return false;  // never filed, never matched
  for (const QuorbItem* part : rule_->SubItems) {
    const int32_t kind = part->Token().PartKind;
    if (kind == Anchor || part->Token().RegExRule == rule_) return false;
    if (kind == Param || kind == CountParam) return true;
  }
  return false;
}

// After "{": a directive, a group or a parameter.
bool RuleCompiler::ReadBrace(uint64_t braceStart) {
  const char next = At(cursor_.Pos);
  if (next == '@') return ReadDirective(braceStart);
  if (next == ' ') {
    cursor_.Pos += 1;
    return OpenGroup(GeneratedName(), 0, cursor_.Pos);
  }
  std::string name;
  if (IsAsciiLetter(next)) {
    name = cursor_.NextTokenStr();
    // TO sections of a parameter that the pattern has are kept, opened.
    if (!cursor_.RemoveArgBrackets(name, to_)) return false;
  } else {
    name = GeneratedName();
  }
  uint64_t bits = 0;
  for (int bit; (bit = ModifierBit(At(cursor_.Pos))) >= 0; ++cursor_.Pos) bits |= PropertyBit(bit);
  if (At(cursor_.Pos) == ':') {
    if (At(cursor_.Pos + 1) == ' ') {
      cursor_.Pos += 2;
      return OpenGroup(name, bits, cursor_.Pos);
    }
    cursor_.Pos += 1;  // "{n:2}" reads as "{n 2}"
  }
  return ReadParameter(name, bits);
}

bool RuleCompiler::ReadDirective(uint64_t braceStart) {
  cursor_.Pos += 1;  // the "@"
  const std::string word = AsciiLower(cursor_.NextTokenStr());
  std::string argument;
  if (At(cursor_.Pos) == ':') {
    cursor_.Pos += 1;
    cursor_.upto(CloseBraceTerminator());
    if (!cursor_.Has(IsStopFound)) return false;
    argument = cursor_.TokenText();
  } else if (!ExpectClose()) {
    return false;
  }
  const uint64_t directiveEnd = cursor_.Pos;

  if (word == "eval" || word == "file") {
    std::string text;
    if (word == "eval") {
      if (!Evaluate(argument, text)) return false;
    } else {
      text = GetFileContent(argument);
    }
    return InsertPatternText(braceStart, directiveEnd, text);
  }
  RulePartEnum kind;
  if (word == "start") kind = StartAnchor;
  else if (word == "end") kind = EndAnchor;
  else if (word == "stop") kind = StopMark;
  else return false;  // an unknown directive is a mistake, not a parameter
  uint64_t bits = 0;
  if (kind == StopMark) {
    // The match ends after the part before the mark: there must be one.
    if (previous_ == nullptr) return false;
    bits = previous_->Properties;
    hasStop_ = true;
  }
  NewPart(GeneratedName(), bits, kind);
  return true;
}

// Puts the text a directive produced in place of the directive; reading
// resumes at its start, so the text is read as pattern.
bool RuleCompiler::InsertPatternText(uint64_t start, uint64_t end, const std::string& text) {
  if (budget_.insertionsLeft == 0 || text.size() > RuleBudget::MaxInsertedBytes) return false;
  if (from_.size() - (end - start) + text.size() > fromLimit_) return false;
  --budget_.insertionsLeft;
  from_.replace(start, end - start, text);
  cursor_.StringUpdate_(from_);
  cursor_.Pos = start;
  return true;
}

// Evaluates `text` on the instance; false, leaving the evaluation's error
// set, when it failed (its message must not become pattern text).
bool RuleCompiler::Evaluate(const std::string& text, std::string& value) {
  const int32_t pending = instance_.Error.Number;
  instance_.Error.Number = 0;
  value = instance_.EvalStr(text);
  if (instance_.Error.Number != 0) return false;
  instance_.Error.Number = pending;
  return true;
}

bool RuleCompiler::ExpectClose() {
  cursor_.NextToken(DefaultToken, 1);
  return cursor_.CurrentToken != ItemNotFound && !cursor_.CurrentToken->Has(IsQuotedText) &&
         cursor_.TokenText() == "}";
}

// A parameter (not a group); the token after the name and modifiers gives
// its form.
bool RuleCompiler::ReadParameter(const std::string& name, uint64_t bits) {
  QuorbItem* part = NewPart(name, bits, Param);
  const ScanState beforeForm = cursor_;
  cursor_.NextToken(DefaultToken, 1);
  QuorbItem* token = cursor_.CurrentToken;
  if (token == ItemNotFound) return false;
  const std::string text = cursor_.TokenText();

  if (token->Has(IsQuotedText)) return ReadRegexParameter(part, text);
  if (token->Token().TokenKind == TokenAlphanumeric) {
    std::string regex;
    if (!Evaluate(text, regex)) return false;
    return ReadRegexParameter(part, regex);
  }
  if (token->Token().TokenKind == TokenLiteral) {
    uint64_t count;
    if (!ParseCount(text, count)) return false;
    part->EditToken().PartKind = CountParam;
    part->ElementCount = count;
    return ExpectClose();
  }
  if (!text.empty() && text[0] == '=') {
    // The default runs to the parameter's brace; only RemoveUnusedArgs
    // reads it again.
    cursor_.Pos = cursor_.ScanStart + 1;
    cursor_.upto(CloseBraceTerminator());
    return cursor_.Has(IsStopFound);
  }
  static_cast<ScanState&>(cursor_) = beforeForm;
  return ExpectClose();
}

bool RuleCompiler::ReadRegexParameter(QuorbItem* part, const std::string& regex) {
  int32_t grammar = GrammarDefault;
  uint64_t subMatch = 0;
  // ", word" items, each comma directly after the token before it.
  while (At(cursor_.Pos) == ',') {
    cursor_.Pos += 1;
    const std::string word = cursor_.NextTokenStr();
    if (int32_t named = GrammarOfWord(word)) {
      grammar = named;
    } else if (!ParseCount(word, subMatch)) {
      return false;
    }
  }
  if (!ExpectClose()) return false;

  const std::regex::flag_type flags =
      PatternFlags(GrammarFlags(grammar, target_.Grammar), target_.Has(IsCaseSensitive));
  try {
    CompilePattern(part->EditToken().Pattern, regex, flags);
  } catch (const std::regex_error&) {
    return false;
  }
  part->EditToken().FastMatch = FastMatcherFor(regex, flags);
  part->EditToken().SubMatch = subMatch;
  // The part before this one decides: a plain parameter there is ended by
  // this pattern.
  QuorbItem* before = nullptr;
  for (size_t i = rule_->SubItems.size() - 1; i-- > 0;) {
    if (rule_->SubItems[i]->Token().PartKind != StopMark) {
      before = rule_->SubItems[i];
      break;
    }
  }
  part->EditToken().PartKind = before != nullptr && before->Token().PartKind == Param ? RegExParamStop : RegExParam;

  if (!rule_->Has(IsAnchored)) {
    // The pattern becomes a token of the transform, tried before all others,
    // and the rule is found through it.
    auto* token = new QuorbItem();
    token->EditToken().RegExRule = rule_;
    if (target_.DefineToken(regex, TokenGeneric, "", subMatch, grammar, token) == nullptr) {
      delete token;
      return false;
    }
    rule_->SetBit(IsAnchored, true);
    rule_->Name = RegexAnchorName(rule_);
    part->EditToken().RegExRule = rule_;
  }
  return true;
}

// "[": the rule keeps the optional text; a variant without it is defined.
bool RuleCompiler::ReadOptional(uint64_t openerStart) {
  const StringLocation::BlockSpan block = cursor_.MeasureBlock(openerStart);
  const uint64_t blockLength = block.Length;
  const uint64_t innerStart = block.InnerStart;
  const uint64_t innerLength = block.InnerLength;
  if (blockLength == 0) return false;  // no matching "]"

  const uint64_t closerStart = innerStart + innerLength;
  std::string shortened = from_;
  shortened.erase(openerStart, blockLength);
  std::string shortenedTo = to_;
  if (cursor_.RemoveUnusedArgs(from_.substr(innerStart, innerLength), shortenedTo) == 0) return false;

  from_.erase(closerStart, openerStart + blockLength - closerStart);
  from_.erase(openerStart, innerStart - openerStart);
  cursor_.StringUpdate_(from_);
  cursor_.Pos = openerStart;
  if (IsBlankText(shortened)) return true;
  return DefineVariant(shortened, shortenedTo);
}

// "|" inside a group: the rule keeps the first alternative; a variant gets
// the others (and splits them again in its own definition).
bool RuleCompiler::ReadAlternative(uint64_t barStart) {
  if (openGroups_.empty()) return false;
  QuorbItem* group = openGroups_.back();
  const uint64_t barEnd = cursor_.Pos;
  const uint64_t cutStart = group->Rule().GroupStart;
  std::string variantFrom = from_;
  variantFrom.erase(cutStart, barEnd - cutStart);
  std::string variantTo = toBase_;
  if (cursor_.RemoveUnusedArgs(from_.substr(cutStart, barEnd - cutStart), variantTo) == 0) return false;

  cursor_.upto(CloseBraceTerminator());
  if (!cursor_.Has(IsStopFound)) return false;
  const uint64_t closeStart = cursor_.StopLoc;
  const std::string skipped = from_.substr(barEnd, closeStart - barEnd);
  if (cursor_.RemoveUnusedArgs(skipped, to_) == 0 || cursor_.RemoveUnusedArgs(skipped, toBase_) == 0) return false;
  // The other alternatives leave the pattern, so that a later group's
  // variants combine with this group's first alternative only.
  from_.erase(barStart, closeStart - barStart);
  cursor_.StringUpdate_(from_);
  cursor_.Pos = barStart;
  return DefineVariant(variantFrom, variantTo);
}

bool RuleCompiler::DefineVariant(const std::string& from, const std::string& to) {
  QuorbItem* variant = target_.CompileRule(from, to, from, to, budget_);
  if (variant == nullptr) return false;
  if (rule_->Rule().Variants == nullptr) rule_->EditRule().Variants = new std::vector<QuorbItem*>();
  rule_->Rule().Variants->push_back(variant);
  target_.OwningRoot()->Expanding_.VariantParents_[variant] = rule_;
  return true;
}

bool RuleCompiler::OpenGroup(const std::string& name, uint64_t bits, uint64_t groupStart) {
  QuorbItem* group = NewPart(name, bits, Group);
  group->EditRule().GroupStart = groupStart;
  openGroups_.push_back(group);
  awaitingFirst_ = group;
  hasGroups_ = true;
  return true;
}

bool RuleCompiler::CloseGroup() {
  if (openGroups_.empty()) return false;  // "}" outside any group
  QuorbItem* group = openGroups_.back();
  openGroups_.pop_back();
  if (awaitingFirst_ == group) awaitingFirst_ = nullptr;
  if (group->Rule().GroupFirst == nullptr) return false;  // an empty group captures nothing
  group->EditRule().GroupLast = rule_->SubItems.back();
  if (!openGroups_.empty()) {
    QuorbItem* outer = openGroups_.back();
    // A group that opens its enclosing group lends it its own first part:
    // group captures are filled in part order, the outer one first.
    if (outer->Rule().GroupFirst == nullptr || outer->Rule().GroupFirst == group) outer->EditRule().GroupFirst = group->Rule().GroupFirst;
  }
  return true;
}

void RuleCompiler::AddLiteral(const std::string& token) {
  if (!rule_->Has(IsAnchored)) {
    rule_->SetBit(IsAnchored, true);
    rule_->Name = token;
    NewPart("", 0, Anchor)->Text = token;
    return;
  }
  if (previous_ != nullptr && previous_->Token().PartKind == Param) {
    NewPart("", previous_->Properties, ParamStop)->Text = token;
    return;
  }
  NewPart("", 0, Literal)->Text = token;
}

void RuleCompiler::FinishParts() {
  SubItemList& parts = rule_->SubItems;
  if (!parts.empty() && parts.back()->Token().PartKind == Param) {
    parts.back()->EditToken().PartKind = TrailingParam;
    parts.back()->SetBit(IsStopUnread, true);
  }
  if (hasGroups_) NewPart("", 0, GroupEnd);
  if (hasBackReferences_ || hasStop_) NewPart("", 0, CheckEnd);
}

// Appends a part to the rule (which owns it from now on) and records its
// name.
QuorbItem* RuleCompiler::NewPart(const std::string& name, uint64_t bits, RulePartEnum kind) {
  auto made = std::make_unique<QuorbItem>();
  QuorbItem* part = made.get();
  part->Name = name;
  part->Properties = bits;
  part->EditToken().PartKind = kind;
  part->EditRule().PartIndex = rule_->SubItems.size();
  part->Owner = &instance_;
  rule_->SubItems.push_back(part);
  made.release();
  if (!name.empty()) {
    auto found = names_.try_emplace(name);
    ReplacementStruct& entry = found.first->second;
    if (found.second) entry.Kind = CapturePiece;
    // A name first met as part 0 is recorded again by its next occurrence
    // (so "{a} = {a}" refers to the second a and checks nothing).
    if (entry.PartIndex == 0) {
      entry.PartIndex = part->Rule().PartIndex;
    } else {
      part->EditRule().BackRefIndex = entry.PartIndex;
      hasBackReferences_ = true;
    }
    if ((bits & PropertyBit(IsExpandedParam)) != 0) entry.Kind = ExpandedCapturePiece;
  }
  if (awaitingFirst_ != nullptr && awaitingFirst_ != part) {
    awaitingFirst_->EditRule().GroupFirst = part;
    awaitingFirst_ = nullptr;
  }
  if (kind != StopMark) previous_ = part;
  return part;
}

}  // namespace QuorbNameSpace
