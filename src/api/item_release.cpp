// The checks before a host releases an item (item_release.h). Release is
// rare and the instance small enough to walk: every check looks at every
// item and parsed expression the instance holds.
#include "api/item_release.h"

#include <algorithm>

#include "api/value_registry.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "scanner/string_location.h"
#include "types/data_type.h"

namespace QuorbApi {

using QuorbNameSpace::ExpressionPart;
using QuorbNameSpace::QuorbItem;
using QuorbNameSpace::QuorbParsedExpr;

namespace {

// Walks everything an instance holds, looking for references to one item
// (and, for a type item, to its type).
class ReferenceSearch {
 public:
  explicit ReferenceSearch(const QuorbItem* target) : target_(target), type_(TypeOf(target)) {}

  bool found() const { return found_; }

  void Instance(const QuorbNameSpace::Quorb& instance) {
    for (const QuorbNameSpace::StringLocation* transform : instance.Transforms) Transform(transform);
    for (const QuorbNameSpace::StringLocation* transform : instance.UserTransforms) Transform(transform);
    for (const auto& entry : instance.AnonymousItems) Item(entry.first, false);
    for (const auto& entry : instance.ParsedExprs) Expression(entry.first);
    Item(instance.DefaultItem, false);
    Item(instance.OutputTextItem, false);
  }

 private:
  static const QuorbNameSpace::QuorbDataType* TypeOf(const QuorbItem* item) {
    return item->Has(QuorbNameSpace::IsDataType) ? item->DataType : nullptr;
  }

  void Transform(const QuorbNameSpace::StringLocation* transform) {
    if (transform == nullptr || found_) return;
    // The rule defaults are members of the transform, never the host's.
    if (target_ == &transform->RulesDefault || target_ == &transform->RulesOverall) found_ = true;
    Table(transform->RuleTable);
    if (transform->Tokens != nullptr)
      for (const QuorbItem* token : *transform->Tokens) Item(token, false);
    for (const QuorbNameSpace::StringLocation* pass : transform->Passes) Transform(pass);
  }

  void Table(const QuorbNameSpace::Table* table) {
    if (table == nullptr) return;
    for (const auto& entry : table->Symbols)
      for (const QuorbItem* item = entry.second; item != nullptr && !found_; item = item->NextOverload)
        Item(item, false);
  }

  // `held`: the item is owned by another, so it must not be the target.
  void Item(const QuorbItem* item, bool held) {
    if (item == nullptr || found_) return;
    if (item == target_) {
      if (held) found_ = true;
      return;  // its own parts and values go with it
    }
    if (type_ != nullptr && item->DataType == type_) found_ = true;
    for (const QuorbItem* sub : item->SubItems) Item(sub, true);
    if (item->Variants != nullptr)
      for (const QuorbItem* variant : *item->Variants) Item(variant, true);
    if (item->TokenKind == TokenCodeBlock) Item(item->Partner, true);
    Expression(item->ParsedExpr);
    for (const QuorbNameSpace::ReplacementStruct& piece : item->Pieces) Expression(piece.Expression);
    if (item->Has(QuorbNameSpace::IsNamespace) && item->OwnTable != nullptr) Table(item->OwnTable);
  }

  void Expression(const QuorbParsedExpr* expr) {
    if (expr == nullptr || found_) return;
    for (const ExpressionPart* part : expr->Parts) {
      if (part == nullptr) continue;
      for (const QuorbItem* arg : part->Args) Value(arg);
      Value(part->Result);
      Value(part->OpItem);
    }
  }

  // An expression only refers to an item; it holds the item's values.
  void Value(const QuorbItem* item) {
    if (item == nullptr) return;
    if (item == target_ || (type_ != nullptr && item->DataType == type_)) found_ = true;
  }

  const QuorbItem* target_;
  const QuorbNameSpace::QuorbDataType* type_;
  bool found_ = false;
};

bool IsFiled(const QuorbItem* item) {
  if (item->OwningTable != nullptr || item->TokenList != nullptr) return true;
  return item->Has(QuorbNameSpace::IsAnonymous) && item->Owner->AnonymousItems.count(const_cast<QuorbItem*>(item)) != 0;
}

bool IsInstanceItem(const QuorbItem* item) {
  const QuorbNameSpace::Quorb* owner = item->Owner;
  return item == owner->DefaultItem || item == owner->OutputTextItem || item->Has(QuorbNameSpace::IsDefaultItem);
}

bool TypeInUse(const QuorbItem* item) {
  if (!item->Has(QuorbNameSpace::IsDataType) || item->DataType == nullptr) return false;
  return item->DataType->ValuePoolUsed > 0 || HostValuesOf(item->DataType);
}

}  // namespace

bool MayRelease(const QuorbItem* item) {
  if (item->Owner == nullptr || item->Has(QuorbNameSpace::IsNotFound) || item == QuorbNameSpace::ItemNotFound) return false;
  if (item->Owner->InUse() || IsInstanceItem(item) || !IsFiled(item) || TypeInUse(item)) return false;
  ReferenceSearch search(item);
  search.Instance(*item->Owner);
  return !search.found();
}

static void UnlistFrom(QuorbNameSpace::StringLocation* transform, const QuorbItem* item) {
  if (transform == nullptr) return;
  std::vector<QuorbItem*>& rules = transform->RuleHandles;
  rules.erase(std::remove(rules.begin(), rules.end(), item), rules.end());
  for (QuorbNameSpace::LogOfChangesClass* change : transform->ChangeLog)
    if (change != nullptr && change->Rule == item) change->Rule = nullptr;
  for (QuorbNameSpace::StringLocation* pass : transform->Passes) UnlistFrom(pass, item);
}

void Unlist(QuorbItem* item) {
  QuorbNameSpace::Quorb* owner = item->Owner;
  if (owner == nullptr) return;
  for (QuorbNameSpace::StringLocation* transform : owner->Transforms) UnlistFrom(transform, item);
  for (QuorbNameSpace::StringLocation* transform : owner->UserTransforms) UnlistFrom(transform, item);
}

}  // namespace QuorbApi
