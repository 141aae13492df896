// Rule compilation: StringLocation::DefineRule prepares the two texts, has a
// RuleCompiler read them (rule_pattern.cpp, rule_replacement.cpp), files the
// rule under its anchor and copies the transform's rule defaults into it. A
// definition that fails frees everything it built, variants included. Also
// here: how a released rule lets go of its variants and anchor token, and
// the String variables that expression pieces read parameters through.
#include <algorithm>
#include <cfenv>
#include <memory>
#include <utility>

#include "engine/errors.h"
#include "engine/exception_flags.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/table.h"
#include "scanner/rule_compiler.h"

namespace QuorbNameSpace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string AsciiLower(std::string text) { return FoldCase(std::move(text)); }

std::string RegexAnchorName(const QuorbItem* rule) {
  return "@RegEx: " + std::to_string(reinterpret_cast<uintptr_t>(rule));
}

QuorbItem* CloseBraceTerminator() {
  static QuorbItem* const terminator = [] {
    auto* item = new QuorbItem(HostRegex("\\}", std::regex::ECMAScript));
    item->SetBit(IsSeparatorTransparent, true);
    return item;
  }();
  return terminator;
}

RuleCompiler::RuleCompiler(StringLocation& target, StringLocation& definitions, Quorb& instance, QuorbItem* rule,
                           std::string from, std::string to, RuleBudget& budget)
    : target_(target),
      definitions_(definitions),
      instance_(instance),
      rule_(rule),
      budget_(budget),
      from_(std::move(from)),
      to_(std::move(to)),
      toBase_(to_),
      fromLimit_(from_.size() + RuleBudget::MaxPatternGrowth),
      cursor_(from_, &definitions) {
  // The pattern is read token by token, blanks skipped, quoted text as one
  // token, and no rule of the definition transform applies while reading.
  cursor_.SetBit(IsWhitespaceSensitive, false);
  cursor_.SetBit(IsQuoteBlind, false);
  cursor_.SetBit(IsExpanding, false);
}

StringLocation* StringLocation::OwningRoot() {
  StringLocation* root = this;
  while (!root->IsOwning() && root->Parent != nullptr) root = root->Parent;
  return root;
}

namespace {

// Whether `item` can still be reached from its table's map: a table being
// cleared has already taken out the entry whose chain it is destroying.
bool ReachableInItsTable(const QuorbItem* item) {
  const Table* table = item->OwningTable;
  auto entry = table->Symbols.find(item->Name);
  if (entry == table->Symbols.end()) return false;
  for (const QuorbItem* p = entry->second; p != nullptr; p = p->NextOverload)
    if (p == item) return true;
  return false;
}

// Empties a given rule of what a compilation put in, so that the caller's
// item is as it was before the failed definition.
void ClearCompiledContent(QuorbItem* rule) {
  for (ReplacementStruct& piece : rule->EditRule().Pieces) QuorbParsedExpr::Free(piece.Expression);
  rule->EditRule().Pieces.clear();
  SubItemList parts;
  parts.swap(rule->SubItems);
  for (QuorbItem* part : parts) delete part;
  rule->SetBit(IsAnchored, false);
  rule->Name.clear();
  rule->EditToken().PartKind = 0;
  rule->ElementCount = 0;
  rule->EditRule().ReplacementText.clear();
}

// Copies the transform's rule defaults into a new rule.
void TakeDefaults(QuorbItem* rule, const QuorbItem& defaults) {
  rule->SetBit(IsActive, true);
  for (ItemIsEnum bit : {IsCaseSensitive, IsQuoteBlind, IsCodeBlockBlind, IsSkipOver, IsRewindOnChange, IsRightToLeft})
    rule->SetBit(bit, defaults.Has(bit));
  rule->EditRule().CopyLimits(defaults.Rule());
}

}  // namespace

QuorbItem* StringLocation::DefineRule(std::string from, std::string to, QuorbItem* rule) {
  if (from.empty() && to.empty()) return nullptr;
  if (Owner == nullptr) return nullptr;  // no instance to compile with or report to
  Owner->Error.Number = 0;
  ClearExceptionFlags();
  std::string fromPart = from;
  std::string toPart = to;
  if (!SyntaxArgLiteralReplace(from) || !SyntaxArgLiteralReplace(to)) {
    Owner->SetErrorIfNone(ErrInvalidDefinition);
    return nullptr;
  }
  // The embedded default items live inside the transform: never filed.
  StringLocation* root = OwningRoot();
  if (rule == &HostRules.RulesDefault || rule == &HostRules.RulesOverall || rule == &root->HostRules.RulesDefault || rule == &root->HostRules.RulesOverall) {
    Owner->SetErrorIfNone(ErrInvalidDefinition);
    return nullptr;
  }
  // A given rule keeps what it holds until its new form has compiled: a
  // definition that fails leaves it as it was.
  RuleBudget budget;
  QuorbItem* fresh = CompileRule(std::move(from), std::move(to), std::move(fromPart), std::move(toPart), budget);
  if (fresh == nullptr || rule == nullptr) return fresh;
  AdoptCompiledRule(fresh, rule);
  return rule;
}

void StringLocation::AdoptCompiledRule(QuorbItem* fresh, QuorbItem* rule) {
  StringLocation* root = OwningRoot();
  if (rule->OwningTable != nullptr) rule->OwningTable->Remove(rule);
  if (rule->Rule().DefiningTransform != nullptr) rule->Rule().DefiningTransform->DetachRule(rule);
  ClearCompiledContent(rule);
  const bool filed = fresh->OwningTable != nullptr;
  if (filed) fresh->OwningTable->Remove(fresh);

  RuleParamStruct& target = rule->EditRule();
  RuleParamStruct& source = fresh->EditRule();
  target.Pieces.swap(source.Pieces);
  rule->SubItems.swap(fresh->SubItems);
  target.ReplacementText.swap(source.ReplacementText);
  target.FromPart.swap(source.FromPart);
  target.ToPart.swap(source.ToPart);
  target.Variants = std::exchange(source.Variants, nullptr);
  rule->EditToken().PartKind = fresh->Token().PartKind;
  rule->ElementCount = fresh->ElementCount;
  rule->Owner = fresh->Owner;
  target.DefiningTransform = source.DefiningTransform;
  for (ItemIsEnum bit : {IsAnchored, IsActive, IsCaseSensitive, IsQuoteBlind, IsCodeBlockBlind, IsSkipOver,
                         IsRewindOnChange, IsRightToLeft})
    rule->SetBit(bit, fresh->Has(bit));
  target.CopyLimits(source);
  // Every link that named the fresh item names the rule now.
  bool regexAnchored = false;
  for (QuorbItem* part : rule->SubItems) {
    if (part->Token().RegExRule != fresh) continue;
    part->EditToken().RegExRule = rule;
    regexAnchored = true;
  }
  if (regexAnchored && Tokens != nullptr)
    for (QuorbItem* token : *Tokens)
      if (token->Token().RegExRule == fresh) token->EditToken().RegExRule = rule;
  rule->Name = regexAnchored ? RegexAnchorName(rule) : fresh->Name;
  if (rule->Rule().Variants != nullptr)
    for (QuorbItem* variant : *rule->Rule().Variants) root->Expanding_.VariantParents_[variant] = rule;
  if (filed) {
    QuorbItem* filedItem = rule;
    AddSymbol(rule->Name, filedItem, 0);
  }
  delete fresh;
}

QuorbItem* StringLocation::CompileRule(std::string from, std::string to, std::string fromPart, std::string toPart,
                                       RuleBudget& budget) {
  StringLocation* definitions = Owner != nullptr ? Owner->Scanners.Transforms[3] : nullptr;
  StringLocation* root = OwningRoot();
  if (definitions == nullptr || definitions->Tokens == nullptr || budget.rulesLeft == 0) {
    if (Owner != nullptr) Owner->SetErrorIfNone(ErrInvalidDefinition);
    return nullptr;
  }
  --budget.rulesLeft;

  std::unique_ptr<QuorbItem> made(new QuorbItem());
  QuorbItem* rule = made.get();
  rule->Owner = Owner;
  rule->EditRule().DefiningTransform = root;
  rule->EditToken();  // made now: nothing may fail once the rule compiled
  made.release();

  bool ok;
  try {
    // On the heap: variants compile recursively, one compiler per level.
    auto compiler = std::make_unique<RuleCompiler>(*this, *definitions, *Owner, rule, std::move(from), std::move(to),
                                                   budget);
    ok = compiler->ReadPattern() && compiler->ReadReplacement();
    if (ok && !rule->Name.empty()) {
      QuorbItem* filed = rule;
      AddSymbol(rule->Name, filed, 0);
      ok = filed == rule && rule->OwningTable != nullptr;  // a locked name refuses it
    }
  } catch (...) {
    // Memory ran out part way: the rule goes as a refused one does.
    root->DetachRule(rule);
    delete rule;
    throw;
  }
  if (!ok) {
    Owner->SetErrorIfNone(ErrInvalidDefinition);
    root->DetachRule(rule);
    delete rule;
    return nullptr;
  }

  if (!rule->Has(IsAnchored) && rule->Rule().Variants != nullptr) {
    // An unfiled rule is the caller's; its filed variants stay with the table
    // on their own, unfiled ones have no other owner and go.
    std::vector<QuorbItem*>* variants = rule->Rule().Variants;
    rule->EditRule().Variants = nullptr;
    for (QuorbItem* variant : *variants) {
      root->Expanding_.VariantParents_.erase(variant);
      if (variant->OwningTable == nullptr) delete variant;
    }
    delete variants;
  }
  TakeDefaults(rule, root->HostRules.RulesDefault);
  rule->EditToken().PartKind = rule->SubItems.empty() ? 0 : rule->SubItems.front()->Token().PartKind;
  rule->ElementCount = rule->SubItems.size();
  rule->EditRule().FromPart = std::move(fromPart);
  rule->EditRule().ToPart = std::move(toPart);
  SetBit(IsAnchored, true);
  root->SetBit(IsAnchored, true);
  return rule;
}

void StringLocation::SetUpEvalRuleParams(bool& done, QuorbItem* rule) {
  if (done || rule == nullptr || Owner == nullptr) return;
  done = true;
  for (QuorbItem* part : rule->SubItems) {
    if (part->Name.empty() || !part->SubItems.empty()) continue;
    if (QuorbItem* variable = Owner->Define("Variable: " + part->Name + " As String", nullptr, nullptr))
      part->SubItems.push_back(variable);
  }
}

void StringLocation::DetachRule(QuorbItem* rule) {
  if (rule == nullptr || rule == &HostRules.RulesDefault || rule == &HostRules.RulesOverall) return;
  auto parent = Expanding_.VariantParents_.find(rule);
  if (parent != Expanding_.VariantParents_.end()) {
    if (std::vector<QuorbItem*>* siblings = parent->second->Rule().Variants)
      siblings->erase(std::remove(siblings->begin(), siblings->end(), rule), siblings->end());
    Expanding_.VariantParents_.erase(parent);
  }
  if (std::vector<QuorbItem*>* variants = rule->Rule().Variants) {
    rule->EditRule().Variants = nullptr;
    for (QuorbItem* variant : *variants) {
      Expanding_.VariantParents_.erase(variant);
      // A variant whose table entry is being cleared is destroyed by that
      // clearing; freeing it here too would free it twice.
      if (variant->OwningTable == nullptr || ReachableInItsTable(variant)) delete variant;
    }
    delete variants;
  }
  bool regexAnchored = false;
  for (const QuorbItem* part : rule->SubItems) regexAnchored = regexAnchored || part->Token().RegExRule == rule;
  if (regexAnchored && Tokens != nullptr) {
    for (QuorbItem* token : *Tokens) {
      if (token->Token().RegExRule == rule) {
        delete token;  // its release takes it off the list
        break;
      }
    }
  }
}

QuorbItem* StringLocation::FamilyHead(QuorbItem* rule) {
  // Variants nest no deeper than a definition has rules.
  for (uint64_t step = 0; rule != nullptr && step < RuleBudget::MaxRules; ++step) {
    StringLocation* home = rule->Rule().DefiningTransform;
    if (home == nullptr) break;
    auto parent = home->Expanding_.VariantParents_.find(rule);
    if (parent == home->Expanding_.VariantParents_.end()) break;
    rule = parent->second;
  }
  return rule;
}

}  // namespace QuorbNameSpace
