// Construction, reset and input of transforms and cursors.
#include "scanner/string_location.h"

#include <memory>
#include <new>

#include "engine/invariant.h"
#include "engine/quorb.h"
#include "engine/table.h"

namespace QuorbNameSpace {

// Every position at the start of `text`, the range covering all of it.
void StringLocation::AttachText(const std::string* text) {
  Attached.TextPtr = text;
  static_cast<ScanState&>(*this) = ScanState();
  Matching.RunLeft = RunRemainder();
  RangeEnd = text->size();
  Attached.TextLength = text->size();
}

// A constructor that fails frees nothing through the destructor: the parts
// are held here until nothing after them can fail.
void StringLocation::MakeOwnParts() {
  SetBit(IsOwner, true);
  std::unique_ptr<std::vector<QuorbItem*>> tokens(new std::vector<QuorbItem*>());
  std::unique_ptr<Table> table(new Table());
  SearchTables.push_back(table.get());
  Tokens = tokens.release();
  RuleTable = table.release();
}

StringLocation::StringLocation(Quorb* owner) {
  AttachText(&EmptyString);
  HostRules.RulesDefault.EditRule().DefiningTransform = this;
  MakeOwnParts();
  Owner = owner;
  bool caseSensitive = owner != nullptr && (owner->Definitions.Flags & PropertyBit(IsCaseSensitive)) != 0;
  SetBit(IsCaseSensitive, caseSensitive);
  RuleTable->CaseSensitive = caseSensitive;
}

StringLocation::StringLocation(const std::string& text, StringLocation* parent) {
  HostRules.RulesDefault.EditRule().DefiningTransform = this;
  AttachText(&text);
  if (parent != nullptr) TakeParentParts(parent);
  else MakeOwnParts();
}

void StringLocation::TakeParentParts(StringLocation* parent) {
  Parent = parent;
  Properties = parent->Properties & ~PropertyBit(IsOwner);
  Tokens = parent->Tokens;
  RuleTable = parent->RuleTable;
  Owner = parent->Owner;
  // A kept cursor mostly holds its parent's lists already.
  if (SearchTables != parent->SearchTables) SearchTables = parent->SearchTables;
  if (Passes != parent->Passes) Passes = parent->Passes;
}

bool KeepIdleCursors = true;

// A parent keeps this many idle cursors at most: a lookup inside the
// reading of a definition's operand is as deep as the texts nest them.
static constexpr size_t kIdleCursors = 2;

bool StringLocation::HoldsOnlyScanState() const {
  const ExpansionRun& run = Expanding_;
  return !IsOwning() && Name.empty() && Text.empty() && NextOverload == nullptr && OwningTable == nullptr &&
         DataType == nullptr && Attached.OwnText.empty() && Attached.InputRefTarget == nullptr &&
         Record.ChangeLog.empty() && Record.Steps.empty() && Record.ListSeparator.empty() && Record.ListPrefix.empty() &&
         Record.ListPostfix.empty() && HostRules.RuleHandles.empty() && HostRules.RulesDefault.Properties == 0 &&
         HostRules.RulesOverall.Properties == 0 && run.DocumentAround_.before == nullptr &&
         run.DocumentAround_.after == nullptr && run.VariantParents_.empty() && run.ExpansionDepth_ == 0 &&
         run.Memory_ == nullptr && !run.RangeExpanding_ && LocalOf == nullptr && Retired_.empty() &&
         BlankRules_.empty() && IdleCursors_.empty();
}

StringLocation* StringLocation::TakeCursor(const std::string& text) {
  if (!KeepIdleCursors || IdleCursors_.empty()) return new StringLocation(text, this);
  std::unique_ptr<StringLocation> cursor(IdleCursors_.back());
  IdleCursors_.pop_back();
  // What the constructor sets that scanning changes, and what a cursor
  // takes from its parent, which may have changed since.
  cursor->AttachText(&text);
  cursor->Matching.LastMatch = TokenMatch();
  cursor->Grammar = std::regex::ECMAScript;
  cursor->Comment.clear();
  // Mostly as new already: made afresh only when a setting was changed.
  const FilterClass& filter = cursor->Filter;
  if (!filter.First.empty() || !filter.Second.empty() || !filter.Third.empty() || !filter.Fourth.empty() ||
      filter.FirstFlag || filter.SecondFlag || filter.ThirdFlag)
    cursor->Filter = FilterClass();
  cursor->TakeParentParts(this);
  return cursor.release();
}

void StringLocation::KeepCursor(StringLocation* cursor) {
  if (cursor == nullptr) return;
  QUORB_ASSERT(cursor->Parent == this);
  if (KeepIdleCursors && IdleCursors_.size() < kIdleCursors && cursor->HoldsOnlyScanState()) {
    try {
      IdleCursors_.push_back(cursor);
      return;
    } catch (const std::bad_alloc&) {
      // Not kept: freed below.
    }
  }
  delete cursor;
}

StringLocation::~StringLocation() {
  for (StringLocation* idle : IdleCursors_) delete idle;
  ResetStringLocation(ResetRulesAndTokens);
  ReleaseHostParts();
}

static void DestroyRules(Table* table) {
  while (!table->Symbols.empty()) {
    QuorbItem* item = table->Symbols.begin()->second;
    table->Remove(item);
    // An item filed under a key other than its own name would stay listed.
    if (!table->Symbols.empty() && table->Symbols.begin()->second == item) table->Symbols.erase(table->Symbols.begin());
    delete item;
  }
}

static void DestroyTokens(std::vector<QuorbItem*>* tokens) {
  // Unlinked first, so that no token's release edits the list being walked
  // or frees a partner that has its own turn.
  for (QuorbItem* token : *tokens) {
    TokenClass_& part = token->EditToken();  // a listed token has its part: it names the list
    part.TokenList = nullptr;
    part.TokenKind = TokenNone;
    // A partner outside the list (an opener that is no token) must not
    // keep a link to a closer freed here.
    if (part.Partner != nullptr && part.Partner->Token().Partner == token) part.Partner->EditToken().Partner = nullptr;
    part.Partner = nullptr;
  }
  for (QuorbItem* token : *tokens) delete token;
  delete tokens;
}

void StringLocation::ResetStringLocation(TransformResetEnum kind) {
  if (IsOwning()) {
    bool rules = kind == ResetRulesAndTokens || kind == ResetRulesOnly;
    bool tokens = kind == ResetRulesAndTokens || kind == ResetTokensOnly;
    if (rules && RuleTable != nullptr) {
      DestroyRules(RuleTable);
      for (auto it = SearchTables.begin(); it != SearchTables.end();) {
        if (*it == RuleTable) it = SearchTables.erase(it);
        else ++it;
      }
      delete RuleTable;
      RuleTable = nullptr;
      HostRules.RuleHandles.clear();
    }
    if (tokens && Tokens != nullptr) {
      DestroyTokens(Tokens);
      Tokens = nullptr;
      CurrentToken = PrevToken = nullptr;
    }
    for (StringLocation*& pass : Passes) {
      delete pass;
      pass = nullptr;
    }
    Attached.InputRefTarget = nullptr;
  }
  Record.ChangeLog.Release();
}

void StringLocation::SetTransformInput(const std::string& text) {
  Attached.OwnText = text;
  Attached.InputRefTarget = nullptr;
  SetBit(IsByRef, false);
  AttachText(&Attached.OwnText);
}

void StringLocation::SetTransformInputByRef(std::string* target) {
  SetBit(IsByRef, true);
  Attached.InputRefTarget = target;
  Attached.OwnText.swap(*target);
  AttachText(&Attached.OwnText);
}

StringLocation* QuorbItem::ReturnLocalTransform() {
  const RuleParamStruct& rule = Rule();
  if (rule.LocalTransform != nullptr) return rule.LocalTransform;
  if (rule.DefiningTransform == nullptr || rule.DefiningTransform->Owner == nullptr) return nullptr;
  StringLocation* local = rule.DefiningTransform->Owner->NewTransform();
  EditRule().LocalTransform = local;
  local->LocalOf = this;  // a release of the transform clears this link
  return local;
}

}  // namespace QuorbNameSpace
