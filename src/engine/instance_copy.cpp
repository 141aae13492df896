// Making a new instance a copy of the prototype by its plan
// (instance_plan.h): the transforms first, then the type objects, then
// every item placed where it belongs and filled, field by field, with each
// link redirected into the copy.
#include <array>
#include <atomic>
#include <memory>

#include "engine/copied_fields.h"
#include "engine/fused_steps.h"
#include "engine/invariant.h"
#include "engine/instance_plan.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "engine/table.h"
#include "scanner/string_location.h"
#include "types/data_type.h"
#include "types/type_registry.h"

namespace QuorbNameSpace {
namespace {

// The links of one item's copy, already redirected into the new instance.
struct ItemLinks {
  Quorb* owner = nullptr;
  Table* owningTable = nullptr;
  QuorbItem* nextOverload = nullptr;
  QuorbDataType* dataType = nullptr;
  std::vector<QuorbItem*>* tokenList = nullptr;
  QuorbItem* partner = nullptr;
  QuorbItem* regExRule = nullptr;
  QuorbItem* groupFirst = nullptr;
  QuorbItem* groupLast = nullptr;
  StringLocation* definingTransform = nullptr;
};

// Most texts of most items are empty: those are not assigned at all.
void CopyText(std::string& to, const std::string& from) {
  if (!from.empty() || !to.empty()) to = from;
}

// The links of an item to items the plan may make after it: set with the
// other fields, and again once every item exists. Only an item whose source
// has the token or rule part has them.
void LinkItem(QuorbItem& to, const ItemLinks& links) {
  if (to.HasTokenPart()) {
    TokenClass_& token = to.EditToken();
    token.Partner = links.partner;
    token.RegExRule = links.regExRule;
  }
  if (to.HasRulePart()) {
    RuleParamStruct& rule = to.EditRule();
    rule.GroupFirst = links.groupFirst;
    rule.GroupLast = links.groupLast;
  }
}

static_assert(sizeof(TokenClass_) == sizeof(CopiedTokenFields), "a token field the copy does not know");
void CopyTokenPart(const TokenClass_& from, TokenClass_& to, const ItemLinks& links) {
  to.Pattern = from.Pattern;  // shares the compiled form
  to.PartKind = from.PartKind;
  to.TokenKind = from.TokenKind;
  to.TokenList = links.tokenList;
  to.SubMatch = from.SubMatch;
  to.FastMatch = from.FastMatch;
  // EditStamp is the copy's own, from EditToken: a stamp says which edit it was.
}

static_assert(sizeof(RuleParamStruct) == sizeof(CopiedRuleFields), "a rule field the copy does not know");
void CopyRulePart(const RuleParamStruct& from, RuleParamStruct& to, const ItemLinks& links) {
  to.PartIndex = from.PartIndex;
  to.BackRefIndex = from.BackRefIndex;
  to.GroupStart = from.GroupStart;
  CopyText(to.FromPart, from.FromPart);
  CopyText(to.ToPart, from.ToPart);
  to.CopyLimits(from);
  if (!from.Pieces.empty() || !to.Pieces.empty()) to.Pieces = from.Pieces;
  CopyText(to.ReplacementText, from.ReplacementText);
  CopyText(to.Comment, from.Comment);
  to.DefiningTransform = links.definingTransform;
  to.MatchCount = from.MatchCount;
  to.ReplaceCount = from.ReplaceCount;
}

// Every field of an item, the one place that knows them all. The source
// lives as long as the process (the prototype, or the plan's snapshot of
// it), so its name and text are borrowed, not copied. The sub-items
// are already in place (made and appended in plan order); what the plan
// refuses to copy (a parsed body, a namespace table, a local transform,
// variants, a running call) is null in the source. The value is copied
// through the copy's type object, which is what will free it.
static_assert(sizeof(QuorbItem) == sizeof(CopiedItemFields), "an item field the copy does not know");
void CopyItemFields(const QuorbItem& from, QuorbItem& to, const ItemLinks& links) {
  to.Properties = from.Properties;
  to.Name.Borrow(from.Name);
  to.Text.Borrow(from.Text);
  to.NextOverload = links.nextOverload;
  to.Owner = links.owner;
  to.OwningTable = links.owningTable;
  to.DataType = links.dataType;
  to.Callback = from.Callback;
  to.Roles = from.Roles;
  to.HostFunction = from.HostFunction;
  to.ElementCount = from.ElementCount;
  to.OwnsArrayCell = from.OwnsArrayCell;
  to.Precedence = from.Precedence;
  if (from.HasTokenPart()) CopyTokenPart(from.Token(), to.EditToken(), links);
  if (from.HasRulePart()) CopyRulePart(from.Rule(), to.EditRule(), links);
  LinkItem(to, links);
  to.CopyValueOf(from, links.dataType);
}

// The transform's own settings and scanning state; its tokens and rules are
// items of the plan.
static_assert(sizeof(StringLocation) == sizeof(CopiedTransformFields), "a transform field the copy does not know");
void CopyTransformFields(const StringLocation& from, StringLocation& to, const TransformPlan& links,
                         const std::vector<QuorbItem*>& items) {
  auto item = [&](const PlanLink<QuorbItem>& link) { return link.index != NoObject ? items[link.index] : link.shared; };
  to.Properties = from.Properties;
  to.Name = from.Name;
  to.Text = from.Text;
  to.Comment = from.Comment;
  static_cast<ScanState&>(to) = static_cast<const ScanState&>(from);
  to.CurrentToken = item(links.currentToken);
  to.PrevToken = item(links.prevToken);
  to.Attached.OwnText = from.Attached.OwnText;
  to.Attached.TextLength = from.Attached.TextLength;
  to.Matching.LastMatch = from.Matching.LastMatch;
  to.Matching.RunLeft = from.Matching.RunLeft;  // holds no link (the plan checked)
  to.Record.ListSeparator = from.Record.ListSeparator;
  to.Record.ListPrefix = from.Record.ListPrefix;
  to.Record.ListPostfix = from.Record.ListPostfix;
  to.Filter = from.Filter;
  to.Record.Steps = from.Record.Steps;
  to.Grammar = from.Grammar;
  to.RuleTable->CaseSensitive = from.RuleTable->CaseSensitive;
  to.RuleTable->LongestKey = from.RuleTable->LongestKey;
}

// What a copy has made that nothing owns yet: the temporaries of parsed
// bodies until the bodies are given to their items, and the bodies.
struct Unowned {
  std::vector<QuorbItem*> temporaries;
  std::vector<QuorbParsedExpr*> bodies;

  // After a failure: a body is freed part by part, its temporaries apart.
  void Free() {
    for (QuorbParsedExpr* body : bodies) {
      for (ExpressionPart* part : body->Parts) delete part;
      delete body;
    }
    for (QuorbItem* item : temporaries) delete item;
  }
};

// The entry of each transform's rule table that the next chain head of the
// plan fills. The tables are copied whole before any item is made, with no
// item filed (a null head, as tables read while their items are made), so
// that a copy neither compares keys nor rebalances a tree.
using ChainHeads = std::array<SymbolMap::iterator, 4>;

// Gives each transform of the copy its prototype's rule-table keys, every
// head null, and room for its tokens; what fails leaves the tables as they
// were (empty).
ChainHeads CopyRuleTableKeys(const InstancePlan& plan, Quorb& instance) {
  ChainHeads heads;
  for (size_t t = 0; t < heads.size(); ++t) {
    instance.Scanners.Transforms[t]->Tokens->reserve(plan.tokenCounts[t]);
    SymbolMap keys(plan.ruleKeys[t]);
    SymbolMap& symbols = instance.Scanners.Transforms[t]->RuleTable->Symbols;
    symbols.swap(keys);
    heads[t] = symbols.begin();
  }
  return heads;
}

// Makes the copy of a planned item and puts it in its place at once.
QuorbItem* PlaceItem(const ItemPlan& plan, Quorb& instance, const std::vector<QuorbItem*>& items, ChainHeads& heads,
                     Unowned& unowned) {
  StringLocation* transform = plan.at != NoObject && plan.at < 4 ? instance.Scanners.Transforms[plan.at] : nullptr;
  if (plan.place == ItemPlace::RulesDefault) return &transform->HostRules.RulesDefault;
  if (plan.place == ItemPlace::RulesOverall) return &transform->HostRules.RulesOverall;
  // Default-initialised: every field has its initialiser, and the copy
  // writes most of them again.
  std::unique_ptr<QuorbItem> made(new QuorbItem);
  QuorbItem* item = made.get();
  // What may fail comes first: once placed, the item is its place's to free.
  if (plan.subItems != 0) {
    if (instance.SubItemStorage != nullptr) item->SubItems.ReserveIn(*instance.SubItemStorage, plan.subItems);
    else item->SubItems.reserve(plan.subItems);
  }
  switch (plan.place) {
    case ItemPlace::ChainHead: {
      // The plan lists the heads in key order, as the table holds them.
      SymbolMap::iterator& head = heads[plan.at];
      QUORB_ASSERT(head != transform->RuleTable->Symbols.end() && head->first == plan.key && head->second == nullptr);
      head->second = item;
      ++head;
      item->OwningTable = transform->RuleTable;
      break;
    }
    case ItemPlace::ChainNext:
      items[plan.at]->NextOverload = item;
      item->OwningTable = items[plan.at]->OwningTable;
      break;
    case ItemPlace::SubItem: items[plan.at]->SubItems.push_back(item); break;  // reserved
    case ItemPlace::Token:
      item->EditToken().TokenList = transform->Tokens;
      transform->Tokens->push_back(item);
      break;
    case ItemPlace::DefaultItem: instance.Definitions.DefaultItem = item; break;
    case ItemPlace::OutputTextItem: instance.Definitions.OutputTextItem = item; break;
    case ItemPlace::Temporary: unowned.temporaries.push_back(item); break;
    default: break;
  }
  return made.release();
}

// The list of a copy's items, kept between copies in one process-wide spare
// slot: asked for anew each time, a block that size would first have the
// allocator merge every small block the last instance's release freed. The
// slot is a plain pointer that is never destroyed, so that a copy works at
// any time a call can be made: from an atexit handler, a static destructor
// or a thread's clean-up, after the thread's own objects are gone. Copies
// on two threads at once take the slot in turn; one of them makes a list
// of its own.
std::atomic<std::vector<QuorbItem*>*> spareItemList{nullptr};

class ScratchList {
 public:
  ScratchList() : list_(spareItemList.exchange(nullptr)) {
    if (list_ == nullptr) list_ = new std::vector<QuorbItem*>();
  }
  ~ScratchList() { delete spareItemList.exchange(list_); }
  ScratchList(const ScratchList&) = delete;
  ScratchList& operator=(const ScratchList&) = delete;
  std::vector<QuorbItem*>& List() { return *list_; }

 private:
  std::vector<QuorbItem*>* list_;
};

// Resolves the plan's links into the copy; a link to an item not made yet
// is null until the second look.
class CopyLinks {
 public:
  CopyLinks(const InstancePlan& plan, Quorb& instance, const std::vector<QuorbDataType*>& types)
      : instance_(instance), types_(types), items_(scratch_.List()) {
    items_.assign(plan.items.size(), nullptr);
  }

  std::vector<QuorbItem*>& Items() { return items_; }
  QuorbItem* Item(const PlanLink<QuorbItem>& link) const {
    return link.index != NoObject ? items_[link.index] : link.shared;
  }
  QuorbDataType* Type(const PlanLink<QuorbDataType>& link) const {
    return link.index != NoObject ? types_[link.index] : link.shared;
  }
  StringLocation* Transform(int32_t t) const { return t != NoObject ? instance_.Scanners.Transforms[t] : nullptr; }

  // The links of the token and rule parts only for a source that has the
  // part: most items have neither, and the rest are read from them alone.
  ItemLinks Of(const ItemPlan& entry) const {
    ItemLinks links;
    links.owner = entry.owned ? &instance_ : nullptr;
    links.owningTable = entry.owningTable != NoObject ? Transform(entry.owningTable)->RuleTable : nullptr;
    links.nextOverload = Item(entry.nextOverload);
    links.dataType = Type(entry.dataType);
    if (entry.source->HasTokenPart()) {
      links.tokenList = entry.tokenList != NoObject ? Transform(entry.tokenList)->Tokens : nullptr;
      links.partner = Item(entry.partner);
      links.regExRule = Item(entry.regExRule);
    }
    if (entry.source->HasRulePart()) {
      links.groupFirst = Item(entry.groupFirst);
      links.groupLast = Item(entry.groupLast);
      links.definingTransform = Transform(entry.definingTransform);
    }
    return links;
  }

 private:
  Quorb& instance_;
  const std::vector<QuorbDataType*>& types_;
  ScratchList scratch_;
  std::vector<QuorbItem*>& items_;

};

void CopyItems(const InstancePlan& plan, Quorb& instance, CopyLinks& links, std::vector<QuorbDataType*>& types,
               Unowned& unowned) {
  std::vector<QuorbItem*>& items = links.Items();
  ChainHeads heads = CopyRuleTableKeys(plan, instance);
  // Every sub-item list is reserved at its final size as its item is made:
  // all of them fit the block, which the instance owns before any is cut.
  if (SubItemBlocks && plan.subItemLists != 0)
    instance.SubItemStorage = std::make_unique<SubItemBlock>(plan.subItemEntries, plan.subItemLists);
  const SubItemBlock::Use use(instance.SubItemStorage.get());
  // Each item is filled as soon as it is made, while it is in the cache. A
  // chain's next link is set by the placing of the next item.
  for (size_t k = 0; k < plan.items.size(); ++k) {
    items[k] = PlaceItem(plan.items[k], instance, items, heads, unowned);
    CopyItemFields(*plan.items[k].source, *items[k], links.Of(plan.items[k]));
  }
  for (int32_t t = 0; t < 4; ++t) QUORB_ASSERT(heads[t] == instance.Scanners.Transforms[t]->RuleTable->Symbols.end());
  QUORB_ASSERT(instance.SubItemStorage == nullptr || instance.SubItemStorage->Left() == 0);
  for (const ItemPlan& entry : plan.items)
    if (entry.linksAhead) LinkItem(*items[&entry - plan.items.data()], links.Of(entry));
  for (size_t k = 0; k < plan.types.size(); ++k) {
    const QuorbDataType& from = *plan.types[k].source;
    types[k]->Name = from.Name;
    types[k]->Item = links.Item(plan.types[k].item);
    for (const PlanLink<QuorbItem>& output : plan.types[k].outputs) types[k]->Outputs.push_back(links.Item(output));
  }
  for (int32_t t = 0; t < 4; ++t)
    CopyTransformFields(*plan.source->Scanners.Transforms[t], *instance.Scanners.Transforms[t], plan.transforms[t], items);
}

// A parsed body's copy, its steps linked to the copy's items.
QuorbParsedExpr* MakeBody(const BodyPlan& plan, const CopyLinks& links, Quorb& instance) {
  std::vector<std::unique_ptr<ExpressionPart>> parts;
  parts.reserve(plan.parts.size());
  for (size_t k = 0; k < plan.parts.size(); ++k) parts.emplace_back(new ExpressionPart());
  auto part = [&](int32_t index) { return index != NoObject ? parts[index].get() : nullptr; };
  for (size_t k = 0; k < plan.parts.size(); ++k) {
    const PartPlan& from = plan.parts[k];
    ExpressionPart& to = *parts[k];
    to.Callback = from.callback;
    to.Roles = from.roles;
    to.Next = part(from.next);
    for (const PlanLink<QuorbItem>& arg : from.args) to.Args.push_back(links.Item(arg));
    to.Result = links.Item(from.result);
    to.OpItem = links.Item(from.opItem);
    to.EnclosingFunction = links.Item(from.enclosingFunction);
  }
  std::unique_ptr<QuorbParsedExpr> body(new QuorbParsedExpr());
  body->Parts.reserve(parts.size());
  body->First = part(plan.first);
  body->Current = part(plan.current);
  body->ResultType = links.Type(plan.resultType);
  body->Owner = plan.owned ? &instance : nullptr;
  body->FunctionItem = links.Item(plan.functionItem);
  for (std::unique_ptr<ExpressionPart>& made : parts) body->Parts.push_back(made.release());
  // A single-step body is evaluated by its record, as the source is (the
  // plan refuses bodies with fused runs, whose making frees steps).
  if (plan.source->WholeRun != nullptr) FuseDoubleRuns(*body);
  return body.release();
}

// The instance's own settings: flags, error block, conversions, type table.
void CopyInstanceFields(const InstancePlan& plan, Quorb& instance, const CopyLinks& links) {
  const Quorb& from = *plan.source;
  auto type = [&](const PlanLink<QuorbDataType>& link) { return links.Type(link); };
  instance.Definitions.Flags = from.Definitions.Flags;
  instance.Error.Messages = from.Error.Messages;
  instance.Error.Number = from.Error.Number;
  instance.Error.Where = from.Error.Where;
  instance.Error.Text = from.Error.Text;
  instance.Error.Response = from.Error.Response;
  instance.Types.ConversionTable = from.Types.ConversionTable;
  instance.Types.DataTypes.clear();
  for (const PlanLink<QuorbDataType>& link : plan.dataTypes) instance.Types.DataTypes.push_back(type(link));
  std::array<QuorbDataType**, 7> slots = TypeSlots(instance);
  for (size_t k = 0; k < slots.size(); ++k) *slots[k] = type(plan.typeSlots[k]);
  instance.Definitions.DefSeparator = from.Definitions.DefSeparator;
  instance.Definitions.SyntaxEqual = from.Definitions.SyntaxEqual;
  instance.Evaluator.IgnoredExceptions = from.Evaluator.IgnoredExceptions;
  instance.FastPaths = from.FastPaths;
}

}  // namespace

void SnapshotPlannedItems(InstancePlan& plan) {
  // Never freed: the plan reads it for as long as the process runs.
  auto* snapshot = new QuorbItem[plan.items.size()];
  for (size_t k = 0; k < plan.items.size(); ++k) {
    ItemLinks links;
    links.dataType = plan.items[k].source->DataType;  // the value's type, to copy it
    CopyItemFields(*plan.items[k].source, snapshot[k], links);
    // A copy then copies a small value into its own item's room, with
    // nothing to allocate or free.
    snapshot[k].MoveValueIntoRoom(links.dataType);
    plan.items[k].source = &snapshot[k];
  }
}

void CopyByPlan(const InstancePlan& plan, Quorb& instance) {
  const Quorb& from = *plan.source;
  instance.Definitions.Flags = from.Definitions.Flags;
  for (StringLocation*& transform : instance.Scanners.Transforms) transform = new StringLocation(&instance);
  std::vector<QuorbDataType*> types;
  types.reserve(plan.types.size());
  CopyLinks links(plan, instance, types);
  Unowned unowned;
  unowned.temporaries.reserve(plan.temporaries);
  // A failed copy retires every type object it made, so that the tear-down
  // frees each once and after every item that may hold a value of it.
  instance.Types.RetiredTypes.reserve(plan.types.size());
  try {
    for (const TypePlan& entry : plan.types) types.push_back(NewDataTypeOfNumber(entry.source->Index));
    CopyItems(plan, instance, links, types, unowned);
    unowned.bodies.reserve(plan.bodies.size());
    for (const BodyPlan& body : plan.bodies) unowned.bodies.push_back(MakeBody(body, links, instance));
    CopyInstanceFields(plan, instance, links);
  } catch (...) {
    unowned.Free();
    // The tear-down that follows reads the type table: no freed object in it.
    instance.Types.DataTypes.clear();
    for (QuorbDataType** slot : TypeSlots(instance)) *slot = nullptr;
    instance.Types.RetiredTypes.insert(instance.Types.RetiredTypes.end(), types.begin(), types.end());
    throw;
  }
  // Each body takes its item and its temporaries; nothing here can fail.
  for (size_t k = 0; k < plan.bodies.size(); ++k) links.Items()[plan.bodies[k].holder]->ParsedExpr = unowned.bodies[k];
}

}  // namespace QuorbNameSpace
