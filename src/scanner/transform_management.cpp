// What a host does with a transform beyond scanning and expanding: reset
// it, give it passes, copy tokens into it, keep blank rules for it, and
// move it to another instance. Parts a reset replaces without freeing are
// kept here until the transform goes, so no handle the host holds dangles.
#include <algorithm>
#include <unordered_set>

#include "engine/quorb.h"
#include "engine/table.h"
#include "scanner/string_location.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

template <typename T>
static void EraseAll(std::vector<T*>& list, const T* value) {
  list.erase(std::remove(list.begin(), list.end(), value), list.end());
}

// Every pass that `from` runs, directly or below, each once; a list that
// leads back to one already seen is not followed again.
static std::vector<StringLocation*> PassesBelow(const StringLocation* from) {
  std::unordered_set<const StringLocation*> seen{from};
  std::vector<StringLocation*> found;
  std::vector<StringLocation*> pending(from->Passes.begin(), from->Passes.end());
  while (!pending.empty()) {
    StringLocation* at = pending.back();
    pending.pop_back();
    if (at == nullptr || !seen.insert(at).second) continue;
    found.push_back(at);
    pending.insert(pending.end(), at->Passes.begin(), at->Passes.end());
  }
  return found;
}

void StringLocation::ResetForHost(TransformResetEnum kind) {
  HostRules.RuleHandles.clear();  // blank rules stay owned by BlankRules_
  ResetStringLocation(kind);
  Passes.clear();       // the reset freed every pass
  Attached.InputRefTarget = nullptr;
  AttachText(&EmptyString);
  Grammar = std::regex::ECMAScript;
  HostRules.RulesDefault.EditRule().DefiningTransform = this;

  if (Parent != nullptr) {
    // A pass takes its parent's parts again, never listing itself among
    // its own passes (it would run inside itself).
    Properties = Parent->Properties & ~PropertyBit(IsOwner);
    SetBit(IsByRef, false);
    Tokens = Parent->Tokens;
    RuleTable = Parent->RuleTable;
    Owner = Parent->Owner;
    SearchTables = Parent->SearchTables;
    Passes = Parent->Passes;
    EraseAll(Passes, static_cast<const StringLocation*>(this));
    // Pass lists never form a cycle: a sharing pass that would run this one
    // in turn, now that this one runs it, no longer does.
    // (A pass owning its list keeps it; this one then runs none.)
    bool cycle = false;
    for (StringLocation* pass : PassesBelow(this)) {
      std::vector<StringLocation*>& list = pass->Passes;
      if (!pass->IsOwning()) EraseAll(list, static_cast<const StringLocation*>(this));
      cycle = cycle || std::find(list.begin(), list.end(), this) != list.end();
    }
    if (cycle) Passes.clear();
    return;
  }

  if (RuleTable != nullptr || Tokens != nullptr) {
    // Kept, not freed: the host may hold tokens or rules in them.
    EraseAll(SearchTables, RuleTable);
    Retired_.push_back({RuleTable, Tokens});
  }
  SetBit(IsOwner, true);
  Tokens = new std::vector<QuorbItem*>();
  RuleTable = new Table();
  RuleTable->CaseSensitive = Has(IsCaseSensitive);
  SearchTables.push_back(RuleTable);
  DefineTokens();
}

StringLocation* StringLocation::MakePass(bool share) {
  if (share) return new StringLocation(*Attached.TextPtr, this);
  auto* pass = new StringLocation(*Attached.TextPtr, nullptr);
  pass->Owner = Owner;
  if (Tokens != nullptr) pass->ImportTokens(*Tokens);
  return pass;
}

void StringLocation::ImportTokens(const std::vector<QuorbItem*>& source) {
  if (Tokens == nullptr) Tokens = new std::vector<QuorbItem*>();
  // A copy of the list: importing from this transform itself appends to it.
  const std::vector<QuorbItem*> items = source;
  const size_t first = Tokens->size();
  Tokens->reserve(first + items.size());
  for (const QuorbItem* item : items) {
    auto* copy = new QuorbItem(item->Token().Pattern);  // shares the compiled pattern
    TokenClass_& part = copy->EditToken();
    part.FastMatch = item->Token().FastMatch;
    part.TokenKind = item->Token().TokenKind;
    part.SubMatch = item->Token().SubMatch;
    part.TokenList = Tokens;
    Tokens->push_back(copy);
  }
  for (size_t i = 0; i + 1 < items.size(); ++i) {
    if (items[i]->Token().Partner == nullptr || items[i]->Token().Partner != items[i + 1]) continue;
    QuorbItem* opener = (*Tokens)[first + i];
    QuorbItem* closer = (*Tokens)[first + i + 1];
    opener->EditToken().Partner = closer;
    closer->EditToken().Partner = opener;
  }
}

QuorbItem* StringLocation::NewBlankRule() {
  BlankRules_.reserve(BlankRules_.size() + 1);
  auto* rule = new QuorbItem();
  rule->EditRule().DefiningTransform = this;
  BlankRules_.push_back(rule);
  return rule;
}

void StringLocation::KeepUnfiledRule(QuorbItem* rule) {
  if (std::find(BlankRules_.begin(), BlankRules_.end(), rule) == BlankRules_.end()) BlankRules_.push_back(rule);
}

bool StringLocation::DisownBlankRule(QuorbItem* rule) {
  auto found = std::find(BlankRules_.begin(), BlankRules_.end(), rule);
  if (found == BlankRules_.end()) return false;
  BlankRules_.erase(found);
  std::replace(HostRules.RuleHandles.begin(), HostRules.RuleHandles.end(), rule, static_cast<QuorbItem*>(nullptr));
  return true;
}

void StringLocation::SetOwnerInstance(Quorb* owner) {
  Owner = owner;
  if (Tokens != nullptr && IsOwning()) {
    for (QuorbItem* token : *Tokens) {
      token->Owner = owner;
      if (token->DataType == nullptr) continue;
      // The former instance's type objects go with it.
      const size_t number = static_cast<size_t>(token->DataType->Index);
      token->DataType = number < owner->Types.DataTypes.size() ? owner->Types.DataTypes[number] : nullptr;
    }
  }
  for (StringLocation* pass : Passes) {
    if (pass == nullptr || pass == this) continue;
    if (pass->Parent == this) pass->Owner = owner;  // shares the tokens just moved
    else pass->SetOwnerInstance(owner);
  }
}

bool StringLocation::HoldsRules() const {
  if (!Retired_.empty()) return true;
  // A compiled rule no table filed is as much the instance's as a filed
  // one (its parts, variables and owner); a blank one holds nothing of it.
  for (const QuorbItem* rule : BlankRules_)
    if (rule->Owner != nullptr || !rule->SubItems.empty() || rule->Rule().LocalTransform != nullptr) return true;
  if (IsOwning() && RuleTable != nullptr && !RuleTable->Symbols.empty()) return true;
  for (const StringLocation* pass : Passes)
    if (pass != nullptr && pass != this && pass->Parent != this && pass->HoldsRules()) return true;
  return false;
}

void StringLocation::ReleaseHostParts() {
  // Each kept generation is freed as the current parts are: its rules first
  // (a rule's release frees the token anchoring it, found in that same
  // list), then its tokens.
  const bool owning = IsOwning();
  for (const RetiredParts& parts : Retired_) {
    RuleTable = parts.Rules;
    Tokens = parts.Tokens;
    SetBit(IsOwner, true);
    ResetStringLocation(ResetRulesAndTokens);
  }
  Retired_.clear();
  SetBit(IsOwner, owning);
  for (QuorbItem* rule : BlankRules_) delete rule;
  BlankRules_.clear();
  HostRules.RuleHandles.clear();
  if (LocalOf != nullptr && LocalOf->Rule().LocalTransform == this) LocalOf->EditRule().LocalTransform = nullptr;
  LocalOf = nullptr;
}

}  // namespace QuorbNameSpace
