// The prototype instance and the plan of its copies: what the prototype
// holds, checked to be something a copy reproduces, numbered in the order a
// copy makes it, and every link turned into a number.
#include "engine/instance_plan.h"

#include <algorithm>
#include <map>
#include <memory>
#include <unordered_map>

#include "builtins/builtin_definitions.h"
#include "engine/argument_ownership.h"
#include "engine/exception_flags.h"
#include "engine/instance_prototype.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "scanner/rule_compiler.h"
#include "scanner/string_location.h"
#include "types/data_type.h"
#include "types/type_registry.h"

namespace QuorbNameSpace {

std::array<QuorbDataType**, 7> TypeSlots(Quorb& instance) {
  return {&instance.Types.AnyType,    &instance.Types.IntType,     &instance.Types.BoolType,   &instance.Types.DoubleType,
          &instance.Types.StringType, &instance.Types.PointerType, &instance.Types.ComplexType};
}

namespace {

// Items every instance shares: a link to one is kept as it is.
bool IsProcessWideItem(const QuorbItem* item) {
  for (const QuorbItem* shared : {OpenCurlyBrace, CloseCurlyBrace, ArgStop, DefStop, DefCommandStop, ItemNotFound,
                                  DefaultToken, NullItem, Parenth})
    if (item == shared) return true;
  return item == CloseBraceTerminator();
}

// What a body's steps name that the body does not own.
bool IsDefinitionItem(const QuorbItem* item) {
  return BelongsToDefinition(*item) || IsProcessWideItem(item);
}

}  // namespace

bool BodyIsCopyable(const QuorbParsedExpr& body) {
  if (body.Running != 0 || body.ActivationItemsKnown || !body.ActivationItems.empty()) return false;
  // Each temporary and how many times freeing the body frees it: its
  // arguments, but for an assignment's target and a dereferenced pointer,
  // and the terminator's own operation item.
  std::map<const QuorbItem*, int> freed;
  for (const ExpressionPart* part : body.Parts) {
    if (part == nullptr || part->Fused != nullptr) return false;
    for (size_t k = 0; k < part->Args.size(); ++k) {
      const QuorbItem* arg = part->Args[k];
      if (arg == nullptr || IsDefinitionItem(arg)) continue;
      if (!OwnsArgument(*part, k)) return false;  // an assignment's target, a dereferenced pointer
      ++freed[arg];
    }
    if (part->OpItem != nullptr && !IsDefinitionItem(part->OpItem)) {
      if (part->Next != nullptr || !IsTerminator(part->Callback)) return false;
      ++freed[part->OpItem];
    }
    if (part->Result != nullptr && !IsDefinitionItem(part->Result)) freed[part->Result] += 0;
  }
  for (const auto& entry : freed)
    if (entry.second != 1 || entry.first->ParsedExpr != nullptr || !ItemIsCopyable(*entry.first)) return false;
  return true;
}

bool ItemIsCopyable(const QuorbItem& item) {
  if (item.ParsedExpr != nullptr && !BodyIsCopyable(*item.ParsedExpr)) return false;
  if (item.CurrentCall != nullptr || item.OwnTable() != nullptr ||
      item.Rule().LocalTransform != nullptr || item.Rule().Variants != nullptr || item.OwnsArrayCell || item.Has(IsArray) ||
      item.Has(IsNamespace))
    return false;
  if (item.ValuePtr != nullptr && (!item.Has(IsOwner) || item.DataType == nullptr)) return false;
  for (const ReplacementStruct& piece : item.Rule().Pieces)
    if (piece.Expression != nullptr) return false;
  return std::all_of(item.SubItems.begin(), item.SubItems.end(),
                     [](const QuorbItem* sub) { return sub != nullptr && ItemIsCopyable(*sub); });
}

namespace {

// Whether an owning transform holds only what a copy reproduces: its own
// token list and rule table, nothing run on it that left passes, change
// records, host rules or a text of its own behind.
bool TransformIsCopyable(const StringLocation& transform) {
  return transform.IsOwning() && transform.Tokens != nullptr && transform.RuleTable != nullptr &&
         transform.SearchTables.size() == 1 && transform.SearchTables[0] == transform.RuleTable &&
         transform.Passes.empty() && transform.Record.ChangeLog.empty() && transform.HostRules.RuleHandles.empty() &&
         transform.Attached.InputRefTarget == nullptr && transform.Parent == nullptr && transform.LocalOf == nullptr &&
         transform.Attached.TextPtr == &EmptyString && transform.Matching.RunLeft.item == nullptr &&
         transform.Matching.RunLeft.text == nullptr && transform.DataType == nullptr && transform.NextOverload == nullptr &&
         transform.OwningTable == nullptr;
}

// What the instance holds besides its transforms and types: only what a
// definition of the built-in list leaves.
bool InstanceIsCopyable(const Quorb& prototype) {
  for (const StringLocation* transform : prototype.Scanners.Transforms)
    if (transform == nullptr || !TransformIsCopyable(*transform)) return false;
  return prototype.Scanners.UserTransforms.empty() && prototype.Kept.AnonymousItems.empty() && prototype.Kept.ParsedExprs.empty() &&
         prototype.Definitions.ErrorHandlers.empty() && prototype.Types.RetiredTypes.empty() && prototype.Running.DeferredReleases.empty() &&
         prototype.Error.LocationScanner == nullptr && prototype.Definitions.DefaultItem != nullptr &&
         prototype.Definitions.OutputTextItem != nullptr && !prototype.InUse() && prototype.Running.CallDepth == 0;
}

class PlanMaker {
 public:
  PlanMaker(const Quorb& prototype, InstancePlan& plan) : prototype_(prototype), plan_(plan) {}

  bool Make() {
    if (!InstanceIsCopyable(prototype_)) return false;
    for (int32_t t = 0; t < 4; ++t) PlaceTransform(t);
    if (!Placed(prototype_.Definitions.DefaultItem)) Place(prototype_.Definitions.DefaultItem, ItemPlace::DefaultItem, NoObject);
    if (!Placed(prototype_.Definitions.OutputTextItem)) Place(prototype_.Definitions.OutputTextItem, ItemPlace::OutputTextItem, NoObject);
    // Bodies last: what their steps name may be filed anywhere.
    for (size_t k = 0; k < plan_.items.size() && ok_; ++k)
      if (plan_.items[k].source->ParsedExpr != nullptr) PlaceBody(static_cast<int32_t>(k));
    for (QuorbDataType* type : const_cast<Quorb&>(prototype_).AllTypeObjects()) PlanType(type);
    for (ItemPlan& item : plan_.items) {
      LinkItem(item);
      plan_.subItemEntries += item.subItems;
      if (item.subItems != 0) ++plan_.subItemLists;
      if (item.place == ItemPlace::Token) ++plan_.tokenCounts[item.at];
      if (item.place == ItemPlace::Temporary) ++plan_.temporaries;
    }
    for (size_t t = 0; t < plan_.ruleKeys.size(); ++t) {
      plan_.ruleKeys[t] = prototype_.Scanners.Transforms[t]->RuleTable->Symbols;
      for (auto& entry : plan_.ruleKeys[t]) entry.second = nullptr;
    }
    for (BodyPlan& body : plan_.bodies) LinkBody(body);
    for (int32_t t = 0; t < 4 && ok_; ++t) {
      plan_.transforms[t].currentToken = ItemLink(prototype_.Scanners.Transforms[t]->CurrentToken);
      plan_.transforms[t].prevToken = ItemLink(prototype_.Scanners.Transforms[t]->PrevToken);
    }
    for (QuorbDataType* type : prototype_.Types.DataTypes) plan_.dataTypes.push_back(TypeLink(type));
    std::array<QuorbDataType**, 7> slots = TypeSlots(const_cast<Quorb&>(prototype_));
    for (size_t k = 0; k < slots.size(); ++k) plan_.typeSlots[k] = TypeLink(*slots[k]);
    return ok_;
  }

 private:
  const Quorb& prototype_;
  InstancePlan& plan_;
  std::unordered_map<const QuorbItem*, int32_t> items_;
  std::unordered_map<const QuorbDataType*, int32_t> types_;
  bool ok_ = true;

  bool Placed(const QuorbItem* item) const { return items_.count(item) != 0; }

  // Numbers `item` and then its sub-items; an item reached twice would be
  // copied twice.
  int32_t Place(const QuorbItem* item, ItemPlace place, int32_t at, const std::string& key = std::string()) {
    if (item == nullptr || Placed(item) || !ItemIsCopyable(*item)) {
      ok_ = false;
      return NoObject;
    }
    const auto number = static_cast<int32_t>(plan_.items.size());
    ItemPlan entry;
    entry.source = item;
    entry.place = place;
    entry.at = at;
    entry.key = key;
    entry.subItems = item->SubItems.size();
    plan_.items.push_back(std::move(entry));
    items_[item] = number;
    for (const QuorbItem* sub : item->SubItems) Place(sub, ItemPlace::SubItem, number);
    return number;
  }

  // Numbers the body's temporaries: whatever its steps name that is not
  // planned already.
  void PlaceBody(int32_t holder) {
    BodyPlan body;
    body.source = plan_.items[holder].source->ParsedExpr;
    body.holder = holder;
    plan_.bodies.push_back(std::move(body));
    for (const ExpressionPart* part : plan_.bodies.back().source->Parts) {
      for (const QuorbItem* item : part->Args) PlaceTemporary(item);
      PlaceTemporary(part->Result);
      PlaceTemporary(part->OpItem);
      PlaceTemporary(part->EnclosingFunction);
    }
  }

  // A temporary belongs to one body: two would both free it.
  void PlaceTemporary(const QuorbItem* item) {
    if (item == nullptr || IsProcessWideItem(item)) return;
    const auto body = static_cast<int32_t>(plan_.bodies.size() - 1);
    auto found = items_.find(item);
    if (found == items_.end()) Place(item, ItemPlace::Temporary, body);
    else if (plan_.items[found->second].place == ItemPlace::Temporary && plan_.items[found->second].at != body)
      ok_ = false;
  }

  void LinkBody(BodyPlan& body) {
    const QuorbParsedExpr& expr = *body.source;
    std::unordered_map<const ExpressionPart*, int32_t> parts;
    for (size_t k = 0; k < expr.Parts.size(); ++k) parts[expr.Parts[k]] = static_cast<int32_t>(k);
    auto part = [&](const ExpressionPart* p) {
      if (p == nullptr) return NoObject;
      auto found = parts.find(p);
      if (found == parts.end()) ok_ = false;
      return found != parts.end() ? found->second : NoObject;
    };
    body.first = part(expr.First);
    body.current = part(expr.Current);
    body.resultType = TypeLink(expr.ResultType);
    body.functionItem = ItemLink(expr.FunctionItem);
    if (expr.Owner != nullptr && expr.Owner != &prototype_) ok_ = false;
    body.owned = expr.Owner != nullptr;
    for (const ExpressionPart* from : expr.Parts) {
      PartPlan to;
      to.callback = from->Callback;
      to.roles = from->Roles;
      to.next = part(from->Next);
      for (const QuorbItem* arg : from->Args) to.args.push_back(ItemLink(arg));
      to.result = ItemLink(from->Result);
      to.opItem = ItemLink(from->OpItem);
      to.enclosingFunction = ItemLink(from->EnclosingFunction);
      body.parts.push_back(std::move(to));
    }
  }

  void PlaceTransform(int32_t t) {
    const StringLocation& transform = *prototype_.Scanners.Transforms[t];
    Place(&transform.HostRules.RulesDefault, ItemPlace::RulesDefault, t);
    Place(&transform.HostRules.RulesOverall, ItemPlace::RulesOverall, t);
    for (const QuorbItem* token : *transform.Tokens) Place(token, ItemPlace::Token, t);
    // In key order: a copy appends each key at the end of its map.
    for (const auto& entry : transform.RuleTable->Symbols) {
      int32_t previous = Place(entry.second, ItemPlace::ChainHead, t, entry.first);
      for (const QuorbItem* item = entry.second->NextOverload; item != nullptr && ok_; item = item->NextOverload)
        previous = Place(item, ItemPlace::ChainNext, previous);
    }
  }

  void PlanType(const QuorbDataType* type) {
    QuorbDataType* probe = NewDataTypeOfNumber(type->Index);
    const bool known = probe != nullptr;
    delete probe;
    if (!known || !type->ValuePool.empty() || type->ValuePoolUsed != 0) {
      ok_ = false;
      return;
    }
    types_[type] = static_cast<int32_t>(plan_.types.size());
    TypePlan entry;
    entry.source = type;
    entry.item = ItemLink(type->Item);
    for (const QuorbItem* output : type->Outputs) entry.outputs.push_back(ItemLink(output));
    plan_.types.push_back(std::move(entry));
  }

  PlanLink<QuorbItem> ItemLink(const QuorbItem* item) {
    PlanLink<QuorbItem> link;
    if (item == nullptr) return link;
    auto found = items_.find(item);
    if (found != items_.end()) link.index = found->second;
    else if (IsProcessWideItem(item)) link.shared = const_cast<QuorbItem*>(item);
    else ok_ = false;
    return link;
  }

  PlanLink<QuorbDataType> TypeLink(const QuorbDataType* type) {
    PlanLink<QuorbDataType> link;
    if (type == nullptr) return link;
    auto found = types_.find(type);
    if (found != types_.end()) link.index = found->second;
    else if (PrototypeOf(type->Index) == type) link.shared = const_cast<QuorbDataType*>(type);
    else ok_ = false;
    return link;
  }

  // The number of the transform whose part `matches` names, or NoObject
  // for none; a part of no transform fails the plan.
  template <typename Matches>
  int32_t TransformNumber(bool isNull, Matches matches) {
    if (isNull) return NoObject;
    for (int32_t t = 0; t < 4; ++t)
      if (matches(*prototype_.Scanners.Transforms[t])) return t;
    ok_ = false;
    return NoObject;
  }

  void LinkItem(ItemPlan& plan) {
    const QuorbItem& item = *plan.source;
    plan.nextOverload = ItemLink(item.NextOverload);
    plan.partner = ItemLink(item.Token().Partner);
    plan.regExRule = ItemLink(item.Token().RegExRule);
    plan.groupFirst = ItemLink(item.Rule().GroupFirst);
    plan.groupLast = ItemLink(item.Rule().GroupLast);
    plan.dataType = TypeLink(item.DataType);
    plan.owningTable = TransformNumber(item.OwningTable == nullptr,
                                       [&](const StringLocation& t) { return t.RuleTable == item.OwningTable; });
    plan.tokenList = TransformNumber(item.Token().TokenList == nullptr,
                                     [&](const StringLocation& t) { return t.Tokens == item.Token().TokenList; });
    plan.definingTransform = TransformNumber(item.Rule().DefiningTransform == nullptr,
                                             [&](const StringLocation& t) { return &t == item.Rule().DefiningTransform; });
    if (item.Owner != nullptr && item.Owner != &prototype_) ok_ = false;
    plan.owned = item.Owner != nullptr;
    const int32_t self = static_cast<int32_t>(&plan - plan_.items.data());
    plan.linksAhead = plan.partner.index > self || plan.regExRule.index > self || plan.groupFirst.index > self ||
                      plan.groupLast.index > self;
  }
};

// The number of leading rows of the built-in list that leave nothing a copy
// cannot reproduce, found by defining them one by one on an instance made
// for the purpose.
size_t CopyableRows() {
  Quorb probe(Quorb::FromDefinitionTexts{0});
  for (size_t row = 0; row < BuiltinDefinitionCount; ++row) {
    QuorbItem* item = probe.DefineOwn(BuiltinDefinitionList[row].Text, BuiltinDefinitionList[row].Callback);
    if (item != nullptr && !ItemIsCopyable(*item)) return row;
  }
  return BuiltinDefinitionCount;
}

// The plan of a prototype holding the first `rows` rows, or null when a
// copy cannot reproduce it. A prototype that serves lives as long as the
// process.
const InstancePlan* PlanOfRows(size_t rows) {
  auto prototype = std::make_unique<Quorb>(Quorb::FromDefinitionTexts{rows});
  auto plan = std::make_unique<InstancePlan>();
  plan->platform = ActivePatternPlatform;
  if (!MakeInstancePlan(*prototype, rows, *plan)) return nullptr;
  SnapshotPlannedItems(*plan);
  prototype.release();
  return plan.release();
}

// The plan, or null when copies cannot serve. Every row is usually
// copyable, and the texts are read once; otherwise the rows are probed for
// the first one a copy cannot reproduce, and the prototype stops before it.
const InstancePlan* MakePrototype() {
  if (const InstancePlan* plan = PlanOfRows(BuiltinDefinitionCount)) return plan;
  const size_t rows = CopyableRows();
  return rows < BuiltinDefinitionCount ? PlanOfRows(rows) : nullptr;
}

const InstancePlan* PrototypePlan() {
  // Built by the first instance; threads creating instances meanwhile wait.
  static const InstancePlan* const plan = MakePrototype();
  return plan;
}

}  // namespace

bool MakeInstancePlan(const Quorb& prototype, size_t copiedRows, InstancePlan& plan) {
  plan.source = &prototype;
  plan.copiedRows = copiedRows;
  return PlanMaker(prototype, plan).Make();
}

bool InstancePrototypeUsable() { return PrototypePlan() != nullptr; }

bool InstanceCopies = true;

// Most hosts make one instance, and for them a prototype would only double
// the cost of reading the texts (and hold a second instance's memory for
// good). So the first instance reads the texts itself; the second one makes
// the prototype, which every later one copies.
std::atomic<bool> firstInstanceAsked{false};

bool CopyInstancePrototype(Quorb& instance) {
  if (!InstanceCopies) return false;
  if (!firstInstanceAsked.exchange(true)) return false;
  const InstancePlan* plan = PrototypePlan();
  if (plan == nullptr) return false;
  // Tests switch the platform's patterns for the instances they make next.
  if (ActivePatternPlatform.CaseInsensitivePatterns != plan->platform.CaseInsensitivePatterns ||
      ActivePatternPlatform.IdentifierPattern != plan->platform.IdentifierPattern)
    return false;
  CopyByPlan(*plan, instance);
  // Building from the texts leaves the caller's floating-point flags
  // cleared (compiling the alias rules clears them); so does a copy.
  ClearExceptionFlags();
  DefineBuiltins(instance, plan->copiedRows, BuiltinDefinitionCount);
  return true;
}

}  // namespace QuorbNameSpace
