// Item construction, release, renaming and property bits.
#include "engine/quorb_item.h"

#include <cstring>

#include <algorithm>

#include "engine/invariant.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/table.h"
#include "scanner/string_location.h"
#include "scanner/token_dispatch.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

const TokenClass_ QuorbItem::NoTokenPart;
const RuleParamStruct QuorbItem::NoRulePart;

bool QuorbItem::ReleaseShortcut = true;

QuorbItem::QuorbItem(const HostRegex& pattern) { EditToken().Pattern = pattern; }

QuorbItem::QuorbItem(QuorbDataType* type, const std::string& text) {
  // The text first: making it may fail, and a constructor that fails frees
  // its members but not the value it made.
  Text = text;
  if (type != nullptr) ValuePtr = type->MakeScalarValue(text, smallValue_);
  DataType = type;
  SetBit(IsOwner, true);
}

QuorbItem::~QuorbItem() { Release(); }

void QuorbItem::FreeOwnedScalar(QuorbDataType* type) {
  if (Has(IsOwner) && type != nullptr && ValuePtr != smallValue_) type->DeleteScalar(ValuePtr);
}

void QuorbItem::CopyValueOf(const QuorbItem& from, QuorbDataType* type) {
  if (from.ValuePtr == nullptr) return;
  if (from.ValuePtr == from.smallValue_) {
    std::memcpy(smallValue_, from.smallValue_, sizeof smallValue_);
    ValuePtr = smallValue_;
  } else {
    ValuePtr = type->AllocScalarValue(static_cast<const void*>(from.ValuePtr));
  }
}

void QuorbItem::MoveValueIntoRoom(QuorbDataType* type) {
  if (ValuePtr == nullptr || ValuePtr == smallValue_ || !Has(IsOwner) || Has(IsArray) || type == nullptr) return;
  // Whether the class makes its values in a room: asked of a value it makes.
  alignas(8) unsigned char probe[SmallValueRoom];
  void* made = type->MakeScalarValue("0", probe);
  if (made != probe) {
    if (made != nullptr) type->DeleteScalar(made);
    return;
  }
  const size_t size = type->SizeOf();
  if (size > SmallValueRoom) return;
  std::memcpy(smallValue_, ValuePtr, size);
  type->DeleteScalar(ValuePtr);
  ValuePtr = smallValue_;
}

void QuorbItem::SwapValues(QuorbItem& other) {
  const bool mineInRoom = ValuePtr == smallValue_;
  const bool theirsInRoom = other.ValuePtr == other.smallValue_;
  std::swap(ValuePtr, other.ValuePtr);
  std::swap(smallValue_, other.smallValue_);
  if (mineInRoom) other.ValuePtr = other.smallValue_;
  if (theirsInRoom) ValuePtr = smallValue_;
}

TokenClass_& QuorbItem::EditToken() {
  // Whatever the caller changes may be a listed token's pattern: a table
  // built over this item before no longer holds. The fresh stamp tells the
  // table so; tables over other lists see only the count move and keep.
  if (token_ == nullptr) token_ = std::make_unique<TokenClass_>();
  token_->EditStamp = TokenPartEdits.fetch_add(1, std::memory_order_relaxed) + 1;
  return *token_;
}

RuleParamStruct& QuorbItem::EditRule() {
  // Made without a stamp: the token fields are left as they read before.
  if (token_ == nullptr) token_ = std::make_unique<TokenClass_>();
  if (token_->rule_ == nullptr) token_->rule_ = std::make_unique<RuleParamStruct>();
  return *token_->rule_;
}

template <typename T>
static void EraseFirst(std::vector<T*>& list, const T* value) {
  auto found = std::find(list.begin(), list.end(), value);
  if (found != list.end()) list.erase(found);
}

// Calls `visit` for each type object of `table` and its namespaces.
template <typename Visit>
static void VisitTypesIn(const Table* table, Visit& visit) {
  if (table == nullptr) return;
  for (const auto& entry : table->Symbols) {
    for (const QuorbItem* item = entry.second; item != nullptr; item = item->NextOverload) {
      if (item->Has(IsDataType) && item->DataType != nullptr) visit(item->DataType);
      if (item->Has(IsNamespace)) VisitTypesIn(item->OwnTable(), visit);
    }
  }
}

// Calls `visit` for each of Quorb::AllTypeObjects, some maybe more than
// once, allocating nothing: releases run in the tear-down of an instance,
// which memory having run out must not stop.
template <typename Visit>
static void VisitTypeObjects(const Quorb& instance, Visit visit) {
  for (QuorbDataType* type : instance.Types.RetiredTypes) visit(type);
  for (QuorbDataType* type : instance.Types.DataTypes)
    if (type != nullptr) visit(type);
  VisitTypesIn(instance.RootTable(), visit);
}

// Takes the item out of the output list of every type of the owner: of a
// type filed in a namespace, and of a retired type whose values may still
// be printed, too.
void QuorbItem::ReleaseOutputFormat() {
  if (Owner == nullptr) return;
  VisitTypeObjects(*Owner, [this](QuorbDataType* type) {
    std::vector<QuorbItem*>& outputs = type->Outputs;
    outputs.erase(std::remove(outputs.begin(), outputs.end(), this), outputs.end());
  });
}

// Frees what the item's kind bits say it owns. The kinds are released one
// by one rather than as alternatives: a definition may give one item
// several (a variable that also opens a namespace), and each payload must
// be freed exactly once.
void QuorbItem::ReleasePayload() {
  if (Has(IsArray)) ReleaseArray();
  else FreeOwnedScalar(DataType);
  if (Has(IsNamespace)) ReleaseNamespace();
  if (Has(IsOutputFormat)) ReleaseOutputFormat();
  if (Has(IsDataType)) {
    // Values of the type may outlive its item (a redefined type name, a
    // released type item): the instance frees the object last.
    if (Owner != nullptr) {
      // Whatever object still names this item (this one, or one it gave up
      // earlier) must stop reading it: Bool's words, the instance behind the
      // output formats.
      VisitTypeObjects(*Owner, [this](QuorbDataType* type) {
        if (type->Item == this) type->Item = nullptr;
      });
      Owner->RetireDataType(DataType);
    } else if (DataType != nullptr) {
      DataType->FreeValuePool();
      delete DataType;
    }
  }
  if (Has(IsAnchored)) {
    // The transform that compiled the rule knows which rule a variant belongs
    // to and which token anchors a rule; it frees each exactly once, whatever
    // order a table is cleared in.
    const RuleParamStruct& rule = Rule();
    if (rule.DefiningTransform != nullptr) {
      rule.DefiningTransform->DetachRule(this);
    } else if (rule.Variants != nullptr) {
      for (QuorbItem* variant : *rule.Variants) delete variant;
      delete rule.Variants;
    }
  }
}

void QuorbItem::ReleaseArray() {
  if (ValuePtr != nullptr && (Has(IsOwner) || OwnsArrayCell)) {
    void** cell = static_cast<void**>(ValuePtr);
    if (Has(IsOwner)) {
      // The first sub-item carries the type the elements were made with.
      QuorbDataType* element = !SubItems.empty() && SubItems[0]->DataType != nullptr ? SubItems[0]->DataType : DataType;
      if (element != nullptr) element->DeleteArray(*cell);
    }
    delete cell;
  }
  OwnsArrayCell = false;
}

void QuorbItem::SetOwnTable(std::unique_ptr<Table> table) {
  if (table == nullptr && RulePart() == nullptr) return;
  // The part first: making it may fail, and `table` must still hold the
  // table then (an assignment reads its right side first).
  RuleParamStruct& part = EditRule();
  QUORB_ASSERT(part.OwnTable == nullptr || table == nullptr);
  part.OwnTable = table.release();
}

void QuorbItem::SwapOwnTables(QuorbItem& a, QuorbItem& b) {
  Table* const mine = a.OwnTable();
  Table* const theirs = b.OwnTable();
  if (mine == theirs) return;
  RuleParamStruct& aPart = a.EditRule();
  b.EditRule().OwnTable = mine;
  aPart.OwnTable = theirs;
}

void QuorbItem::ReleaseNamespace() {
  Table* table = OwnTable();
  if (table == nullptr) return;
  // A namespace still open must not leave its freed table searched.
  if (Owner != nullptr && Owner->MainTransform() != nullptr) {
    std::vector<Table*>& stack = Owner->MainTransform()->SearchTables;
    stack.erase(std::remove(stack.begin(), stack.end(), table), stack.end());
  }
  RulePart()->OwnTable = nullptr;
  ClearSymbolTableQuick(table->Symbols);
  delete table;
}

void QuorbItem::FreeBodies() {
  // Called for every item more than once as an instance goes: most have none.
  RuleParamStruct* rule = RulePart();
  if (ParsedExpr == nullptr && rule == nullptr && !Has(IsNamespace)) return;
  QuorbParsedExpr::Free(ParsedExpr);
  ParsedExpr = nullptr;
  if (rule != nullptr) {
    for (ReplacementStruct& piece : rule->Pieces) {
      QuorbParsedExpr::Free(piece.Expression);
      piece.Expression = nullptr;
    }
  }
  if (Has(IsNamespace) && rule != nullptr && rule->OwnTable != nullptr) FreeBodiesIn(rule->OwnTable->Symbols);
}

static void ReleaseLocalTransform(RuleParamStruct& rule) {
  if (rule.LocalTransform != nullptr) {
    if (rule.LocalTransform->Owner != nullptr) rule.LocalTransform->Owner->RemoveUserTransform(rule.LocalTransform);
    delete rule.LocalTransform;
    rule.LocalTransform = nullptr;
  }
}

void QuorbItem::Release() {
  if (ReleaseShortcut && ReleasesPlainly()) {
    // What the full path below comes to for such an item.
    FreeOwnedScalar(DataType);
    Callback = nullptr;
    Roles.Clear();
    HostFunction = nullptr;
    ValuePtr = nullptr;
    DataType = nullptr;
    if (Owner != nullptr) {
      std::vector<QuorbItem*>& handlers = Owner->Definitions.ErrorHandlers;
      if (!handlers.empty()) handlers.erase(std::remove(handlers.begin(), handlers.end(), this), handlers.end());
    }
    return;
  }
  FreeBodies();
  ReleasePayload();
  Callback = nullptr;
  Roles.Clear();
  HostFunction = nullptr;
  ValuePtr = nullptr;
  DataType = nullptr;
  RuleParamStruct* rule = RulePart();
  if (rule != nullptr) {
    rule->Variants = nullptr;
    rule->OwnTable = nullptr;
  }
  // Moved out first: a sub-item's release must not see a half-emptied list.
  SubItemList subItems;
  subItems.swap(SubItems);
  for (QuorbItem* sub : subItems) delete sub;
  if (rule != nullptr) ReleaseLocalTransform(*rule);
  if (OwningTable != nullptr) OwningTable->Remove(this);
  if (token_ != nullptr && token_->TokenList != nullptr) {
    TokenPartEdits.fetch_add(1, std::memory_order_relaxed);  // a list changes in place
    EraseFirst(*token_->TokenList, this);
    token_->TokenList = nullptr;
  }
  if (Owner != nullptr) {
    if (Has(IsAnonymous)) Owner->Kept.AnonymousItems.erase(this);
    // A released handler must not stay listed: the loop would call freed
    // memory. Whatever its bits say now: an overwrite may have moved them.
    std::vector<QuorbItem*>& handlers = Owner->Definitions.ErrorHandlers;
    if (!handlers.empty()) handlers.erase(std::remove(handlers.begin(), handlers.end(), this), handlers.end());
  }
  if (token_ != nullptr && token_->Partner != nullptr) {
    QuorbItem* partner = token_->Partner;
    token_->Partner = nullptr;
    partner->EditToken().Partner = nullptr;
    // An opener owns its closer; a closer only unlinks itself.
    if (token_->TokenKind == TokenCodeBlock) delete partner;
  }
}

// Whether `table` is one of `owner`'s namespace tables: the root symbol
// table or the table of a namespace filed below it.
static bool IsNamespaceTable(const Quorb& owner, const Table* table) {
  const Table* root = owner.RootTable();
  if (table == nullptr || root == nullptr) return false;
  if (table == root) return true;
  return AnyFiledItem(root->Symbols,
                      [table](const QuorbItem* item) { return item->Has(IsNamespace) && item->OwnTable() == table; });
}

void QuorbItem::Rename(const std::string& name) {
  // Only an item whose owner is a namespace table, the anonymous-item map
  // or the instance may be filed: a parameter belongs to its function, a
  // temporary to its expression, a token to its list, a rule to its
  // transform's table (which it would silently leave), and a second table
  // would be a second owner freeing it again.
  const bool transformItem = Rule().DefiningTransform != nullptr ||
                             (token_ != nullptr && token_->TokenList != nullptr);
  const bool filedInNamespace = Owner != nullptr && IsNamespaceTable(*Owner, OwningTable);
  const bool movable = !transformItem && (filedInNamespace || (OwningTable == nullptr && Has(IsAnonymous)) ||
                                          (Owner != nullptr && Owner->Definitions.DefaultItem == this));
  if (name.empty() || !movable) {
    if (Owner != nullptr) Owner->SetErrorIfNone(ErrInvalidDefinition);
    return;
  }
  Table* target = Owner != nullptr ? Owner->CurrentNamespaceTable() : nullptr;
  if (target == nullptr) return;
  Table* oldTable = OwningTable;
  std::string oldName = Name;
  // Made now: putting the old name back must not need memory.
  ItemText restored;
  restored = oldName;
  if (oldTable != nullptr) oldTable->Remove(this);
  QuorbItem* self = this;
  try {
    target->Add(name, self, false);
  } catch (...) {
    // Memory ran out: the old filing comes back, as for a locked name.
    Name.Swap(restored);
    if (oldTable != nullptr && OwningTable == nullptr) oldTable->Add(oldName, self, false);
    throw;
  }
  if (OwningTable == nullptr) {
    // The new name is held by a locked item: keep the old filing, so the
    // item is neither lost nor leaked.
    Owner->SetErrorIfNone(ErrInvalidDefinition);
    Name.Swap(restored);
    if (oldTable != nullptr) oldTable->Add(oldName, self, false);
    return;
  }
}

void QuorbItem::LeaveAnonymous() {
  if (!Has(IsAnonymous)) return;
  if (Owner != nullptr) Owner->Kept.AnonymousItems.erase(this);
  SetBit(IsAnonymous, false);
}

QuorbItem* QuorbItem::SetProperty(int bit, int value) {
  SetBit(bit, value != 0);
  StringLocation* transform = Rule().DefiningTransform;
  if (transform != nullptr && &transform->HostRules.RulesDefault == this) transform->SetBit(bit, value != 0);
  return this;
}

}  // namespace QuorbNameSpace
