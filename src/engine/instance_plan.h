// The plan of a copy of the prototype instance: every object the prototype
// holds, in the order a copy makes them, with each link between them turned
// into the number of the object it names. The plan is made once, with the
// prototype (instance_plan.cpp), and then only read, by any number of
// threads at once; making a copy from it (instance_copy.cpp) needs no lookup
// of any kind.
#ifndef QUORB_ENGINE_INSTANCE_PLAN_H
#define QUORB_ENGINE_INSTANCE_PLAN_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/builtin_roles.h"
#include "engine/table.h"
#include "scanner/pattern_platform.h"

namespace QuorbNameSpace {

class ExpressionPart;
class Quorb;
class QuorbDataType;
class QuorbItem;
class QuorbParsedExpr;

inline constexpr int32_t NoObject = -1;

// A link of the prototype: to the copy of plan object `index`, or, for a
// process-wide object (a sentinel, a type prototype), to that object itself.
template <typename T>
struct PlanLink {
  int32_t index = NoObject;
  T* shared = nullptr;
};

// Where the copy of an item goes as soon as it is made: every copy is
// reachable from the new instance from the start, so that a failure part
// way through leaves nothing its tear-down would miss.
enum class ItemPlace : int8_t {
  ChainHead,       // heads a chain of a transform's rule table
  ChainNext,       // follows item `at` on its chain
  SubItem,         // the next sub-item of item `at`
  Token,           // the next token of transform `at`
  RulesDefault,    // the transform's embedded items: not made, only filled
  RulesOverall,
  DefaultItem,     // owned by the instance itself
  OutputTextItem,
  Temporary,       // a temporary of a parsed body: its body owns it once made
};

struct ItemPlan {
  const QuorbItem* source = nullptr;  // the item's fields (its links are the plan's)
  ItemPlace place = ItemPlace::SubItem;
  int32_t at = NoObject;  // transform number or item number, by place
  std::string key;        // ChainHead: the table key
  size_t subItems = 0;    // how many sub-items follow it
  // The links of the item's own fields. Transforms are named by number.
  PlanLink<QuorbItem> nextOverload, partner, regExRule, groupFirst, groupLast;
  PlanLink<QuorbDataType> dataType;
  int32_t owningTable = NoObject;  // transform whose rule table files the item
  int32_t tokenList = NoObject;    // transform whose token list holds it
  int32_t definingTransform = NoObject;
  bool owned = false;              // its owner is the instance (else none)
  bool linksAhead = false;         // a link other than the chain's names an item planned later
};

// One step of a parsed body; parts are named by their number in the body.
struct PartPlan {
  void (*callback)(ExpressionPart&) = nullptr;
  BuiltinRoles roles;
  int32_t next = NoObject;
  std::vector<PlanLink<QuorbItem>> args;
  PlanLink<QuorbItem> result, opItem, enclosingFunction;
};

// The parsed body of item `holder`: its steps and the temporaries they
// write, which are items of the plan (ItemPlace::Temporary).
struct BodyPlan {
  const QuorbParsedExpr* source = nullptr;
  int32_t holder = NoObject;
  int32_t first = NoObject, current = NoObject;
  PlanLink<QuorbDataType> resultType;
  PlanLink<QuorbItem> functionItem;
  bool owned = false;  // its owner is the instance (else none)
  std::vector<PartPlan> parts;
};

struct TypePlan {
  const QuorbDataType* source = nullptr;
  PlanLink<QuorbItem> item;
  std::vector<PlanLink<QuorbItem>> outputs;
};

struct TransformPlan {
  PlanLink<QuorbItem> currentToken, prevToken;
};

struct InstancePlan {
  const Quorb* source = nullptr;  // the prototype; never freed
  size_t copiedRows = 0;          // built-in rows the prototype holds
  PatternPlatform platform{};     // the token patterns it was built with
  std::vector<ItemPlan> items;
  size_t subItemEntries = 0;      // sub-items of all items: the size of a copy's SubItemBlock
  size_t subItemLists = 0;        // items with sub-items
  std::vector<BodyPlan> bodies;
  std::vector<TypePlan> types;
  std::array<TransformPlan, 4> transforms;
  // Each transform's rule-table keys, every head null: a copy takes them
  // whole and fills the heads in key order.
  std::array<SymbolMap, 4> ruleKeys;
  std::array<size_t, 4> tokenCounts{};  // tokens of each transform
  size_t temporaries = 0;               // items placed as temporaries of bodies
  std::vector<PlanLink<QuorbDataType>> dataTypes;      // Quorb::DataTypes
  std::array<PlanLink<QuorbDataType>, 7> typeSlots;    // AnyType ... ComplexType
};

// The plan of a copy of `prototype`, which holds the first `copiedRows`
// built-in rows. False when the prototype holds something a copy cannot
// reproduce (see ItemIsCopyable, and instance_plan.cpp).
bool MakeInstancePlan(const Quorb& prototype, size_t copiedRows, InstancePlan& plan);

// Whether a copy can reproduce `item` and its sub-items: no namespace,
// array, local transform or rule variants, any value one the item owns,
// and any parsed body one of plain steps (BodyIsCopyable).
bool ItemIsCopyable(const QuorbItem& item);

// Whether a copy can reproduce a parsed body: steps that were never fused
// or run, whose temporaries are plain items without bodies of their own,
// each freed once by the body (see QuorbParsedExpr::Clean).
bool BodyIsCopyable(const QuorbParsedExpr& body);

// The well-known type slots of an instance, in TypePlan order.
std::array<QuorbDataType**, 7> TypeSlots(Quorb& instance);

// Points the plan's items at copies of their fields (links left out) made
// side by side in one block, in plan order: a copy then reads them in
// order, instead of from wherever the prototype's reading put them.
void SnapshotPlannedItems(InstancePlan& plan);

// Makes `instance` a copy by `plan` (instance_copy.cpp).
void CopyByPlan(const InstancePlan& plan, Quorb& instance);

}  // namespace QuorbNameSpace

#endif
