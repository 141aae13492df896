// Construction and destruction of transforms.
#include "scanner/string_location.h"

#include "engine/quorb.h"
#include "engine/table.h"

namespace QuorbNameSpace {

StringLocation::StringLocation(Quorb* owner) : TextPtr(&EmptyString) {
  SetBit(IsOwner, true);
  Tokens = new std::vector<QuorbItem*>();
  RuleTable = new Table();
  SearchTables.push_back(RuleTable);
  Owner = owner;
  RulesDefault.DefiningTransform = this;
  bool caseSensitive = owner != nullptr && (owner->Flags & PropertyBit(IsCaseSensitive)) != 0;
  SetBit(IsCaseSensitive, caseSensitive);
  RuleTable->CaseSensitive = caseSensitive;
}

StringLocation::~StringLocation() { ResetStringLocation(ResetRulesAndTokens); }

void StringLocation::ResetStringLocation(TransformResetEnum kind) {
  if (!Has(IsOwner)) return;
  bool rules = kind == ResetRulesAndTokens || kind == ResetRulesOnly;
  bool tokens = kind == ResetRulesAndTokens || kind == ResetTokensOnly;
  if (rules && RuleTable != nullptr) {
    while (!RuleTable->Symbols.empty()) {
      auto first = RuleTable->Symbols.begin();
      QuorbItem* item = first->second;
      RuleTable->Remove(item);
      // An item filed under a key other than its name would stay listed.
      if (!RuleTable->Symbols.empty() && RuleTable->Symbols.begin()->second == item)
        RuleTable->Symbols.erase(RuleTable->Symbols.begin());
      delete item;
    }
  }
  if (tokens && Tokens != nullptr) {
    for (QuorbItem* token : *Tokens) {
      token->TokenList = nullptr;
      token->TokenKind = TokenNone;
      delete token;
    }
  }
  if (rules) {
    if (!SearchTables.empty() && SearchTables.front() == RuleTable) SearchTables.erase(SearchTables.begin());
    delete RuleTable;
    RuleTable = nullptr;
  }
  if (tokens) {
    delete Tokens;
    Tokens = nullptr;
  }
  for (StringLocation*& pass : Passes) {
    delete pass;
    pass = nullptr;
  }
}

}  // namespace QuorbNameSpace
