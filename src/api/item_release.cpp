// The checks before a host releases an item (item_release.h). Release is
// rare and the instance small enough to walk: every check looks at every
// item and parsed expression the instance holds.
#include "api/item_release.h"

#include <algorithm>
#include <iterator>
#include <set>

#include "api/transform_boundary.h"
#include "api/value_registry.h"
#include "engine/fused_steps.h"
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

// Walks everything an instance holds, looking for references to what a
// release would free: the item, everything it owns (its parts and, for a
// namespace, every item filed in it) and the types those items define.
class ReferenceSearch {
 public:
  explicit ReferenceSearch(const QuorbItem* target) : target_(target) { Doom(target); }

  bool found() const { return found_; }

  void Instance(const QuorbNameSpace::Quorb& instance) {
    ForEachTransform(instance, [this](const QuorbNameSpace::StringLocation* transform) { Transform(transform); });
    for (const auto& entry : instance.Kept.AnonymousItems) Item(entry.first, false);
    for (const auto& entry : instance.Kept.ParsedExprs) Expression(entry.first);
    Item(instance.Definitions.DefaultItem, false);
    Item(instance.Definitions.OutputTextItem, false);
  }

 private:
  void Doom(const QuorbItem* item) {
    if (item == nullptr || !doomed_.insert(item).second) return;
    if (item->Has(QuorbNameSpace::IsDataType) && item->DataType != nullptr) doomedTypes_.insert(item->DataType);
    for (const QuorbItem* sub : item->SubItems) Doom(sub);
    if (item->Rule().Variants != nullptr)
      for (const QuorbItem* variant : *item->Rule().Variants) Doom(variant);
    if (item->Token().TokenKind == TokenCodeBlock) Doom(item->Token().Partner);
    if (item->Has(QuorbNameSpace::IsNamespace) && item->OwnTable() != nullptr)
      for (const auto& entry : item->OwnTable()->Symbols)
        for (const QuorbItem* filed = entry.second; filed != nullptr; filed = filed->NextOverload) Doom(filed);
  }

  void Transform(const QuorbNameSpace::StringLocation* transform) {
    if (transform == nullptr || found_) return;
    // The rule defaults are members of the transform, never the host's.
    if (target_ == &transform->HostRules.RulesDefault || target_ == &transform->HostRules.RulesOverall) found_ = true;
    Table(transform->RuleTable);
    if (transform->Tokens != nullptr)
      for (const QuorbItem* token : *transform->Tokens) Item(token, false);
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
    if (doomed_.count(item) != 0) {
      // Part of what goes: fine unless something else holds it too.
      if (held) found_ = true;
      return;
    }
    Value(item);
    for (const QuorbItem* sub : item->SubItems) Item(sub, true);
    if (item->Rule().Variants != nullptr)
      for (const QuorbItem* variant : *item->Rule().Variants) Item(variant, true);
    if (item->Token().TokenKind == TokenCodeBlock) Item(item->Token().Partner, true);
    Expression(item->ParsedExpr);
    for (const QuorbNameSpace::ReplacementStruct& piece : item->Rule().Pieces) Expression(piece.Expression);
    if (item->Has(QuorbNameSpace::IsNamespace) && item->OwnTable() != nullptr) Table(item->OwnTable());
  }

  // An argument passed ByExpr holds its own parsed expression, whose
  // references count as the outer one's: its release frees them too.
  void Expression(const QuorbParsedExpr* expr) {
    if (expr == nullptr || found_ || !seenExpressions_.insert(expr).second) return;
    for (const ExpressionPart* part : expr->Parts) {
      if (part == nullptr) continue;
      for (const QuorbItem* arg : part->Args) {
        Value(arg);
        if (arg != nullptr) Expression(arg->ParsedExpr);
      }
      Value(part->Result);
      Value(part->OpItem);
      // A fused step stands for the steps it replaced: their operations
      // are as much in use as the first one's.
      if (part->Fused != nullptr)
        for (const QuorbItem* operation : part->Fused->operations) Value(operation);
    }
  }

  // A reference to a doomed item, or a value of a doomed type.
  void Value(const QuorbItem* item) {
    if (item == nullptr) return;
    if (doomed_.count(item) != 0 || doomedTypes_.count(item->DataType) != 0) found_ = true;
  }

  const QuorbItem* target_;
  std::set<const QuorbItem*> doomed_;
  std::set<const QuorbNameSpace::QuorbDataType*> doomedTypes_;
  std::set<const QuorbParsedExpr*> seenExpressions_;
  bool found_ = false;
};

bool IsFiled(const QuorbItem* item) {
  if (item->OwningTable != nullptr || item->Token().TokenList != nullptr) return true;
  return item->Has(QuorbNameSpace::IsAnonymous) && item->Owner->Kept.AnonymousItems.count(const_cast<QuorbItem*>(item)) != 0;
}

bool IsInstanceItem(const QuorbItem* item) {
  const QuorbNameSpace::Quorb* owner = item->Owner;
  return item == owner->Definitions.DefaultItem || item == owner->Definitions.OutputTextItem || item->Has(QuorbNameSpace::IsDefaultItem);
}

bool TypeInUse(const QuorbItem* item) {
  if (!item->Has(QuorbNameSpace::IsDataType) || item->DataType == nullptr) return false;
  return item->DataType->ValuePoolUsed > 0 || HostValuesOf(item->DataType);
}

}  // namespace

void ForEachTransform(const QuorbNameSpace::Quorb& instance,
                      const std::function<void(QuorbNameSpace::StringLocation*)>& visit) {
  std::set<const QuorbNameSpace::StringLocation*> seen;
  std::vector<QuorbNameSpace::StringLocation*> pending(std::begin(instance.Scanners.Transforms), std::end(instance.Scanners.Transforms));
  pending.insert(pending.end(), instance.Scanners.UserTransforms.begin(), instance.Scanners.UserTransforms.end());
  while (!pending.empty()) {
    QuorbNameSpace::StringLocation* transform = pending.back();
    pending.pop_back();
    if (transform == nullptr || !seen.insert(transform).second) continue;
    visit(transform);
    pending.insert(pending.end(), transform->Passes.begin(), transform->Passes.end());
  }
}

bool ReadByRunningExpansion(const QuorbItem* item) {
  if (const QuorbNameSpace::StringLocation* home = item->Rule().DefiningTransform) {
    const QuorbNameSpace::StringLocation* local = item->Rule().LocalTransform;
    return IsBusy(*home) || (local != nullptr && IsBusy(*local));
  }
  if (item->Token().TokenList == nullptr) return false;
  // A token list may be shared by passes and cursors: any run may read it.
  if (item->Owner == nullptr) return true;
  bool running = false;
  ForEachTransform(*item->Owner, [&running](const QuorbNameSpace::StringLocation* transform) {
    running = running || transform->IsRunning();
  });
  return running;
}

bool MayRelease(const QuorbItem* item) {
  if (item->Owner == nullptr || item->Has(QuorbNameSpace::IsNotFound) || item == QuorbNameSpace::ItemNotFound) return false;
  if (item->Owner->InUse() || IsInstanceItem(item) || !IsFiled(item) || TypeInUse(item)) return false;
  if (ReadByRunningExpansion(item)) return false;
  ReferenceSearch search(item);
  search.Instance(*item->Owner);
  return !search.found();
}

void Unlist(QuorbItem* item) {
  QuorbNameSpace::Quorb* owner = item->Owner;
  if (owner == nullptr) return;
  ForEachTransform(*owner, [item](QuorbNameSpace::StringLocation* transform) {
    std::vector<QuorbItem*>& rules = transform->HostRules.RuleHandles;
    rules.erase(std::remove(rules.begin(), rules.end(), item), rules.end());
    for (QuorbNameSpace::LogOfChangesClass* change : transform->Record.ChangeLog)
      if (change != nullptr && change->Rule == item) change->Rule = nullptr;
  });
}

}  // namespace QuorbApi
