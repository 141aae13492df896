// QuorbItem: everything an instance knows, one record for all kinds.
// A variable, constant, literal, parameter, function, operator, data type,
// namespace, error handler, output format, token, rule or sentinel is a
// QuorbItem; what it is follows from its property bits (item_properties.h)
// and from which fields are filled.
//
// Ownership: a filed item belongs to its table (table.h), an anonymous item
// to the instance's anonymous-item map, sub-items to their parent, temporaries
// to the parsed expression that uses them, tokens and rules to their
// transform. An item owns its value storage only while IsOwner is set.
#ifndef QUORB_ENGINE_QUORB_ITEM_H
#define QUORB_ENGINE_QUORB_ITEM_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/base_class.h"
#include "engine/builtin_roles.h"
#include "engine/sub_item_list.h"
#include "scanner/host_regex.h"
#include "scanner/replacement.h"
#include "scanner/token_kinds.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

class ExpressionPart;
class QuorbParsedExpr;
class StringLocation;
struct TokenMatch;

// A hand-written matcher for a default token pattern (token_matchers.h).
using TokenMatcher = bool (*)(const std::string& text, uint64_t pos, uint64_t end, uint64_t subMatch,
                              TokenMatch& out);

// Every step of an evaluation runs one of these with the step as context.
using QuorbCallback = void (*)(ExpressionPart&);

// A host's function kept without its type (host_functions.h restores it).
using ErasedFunction = void (*)();

inline constexpr uint64_t npos64 = ~0ULL;

// The rule part of an item. Only rules, their parts and variants have one
// (QuorbItem::EditRule makes it), and namespaces, for their own table.
struct RuleParamStruct {
  uint64_t PartIndex = 0;
  uint64_t BackRefIndex = 0;
  uint64_t GroupStart = 0;                   // offset in the FROM text
  QuorbItem* GroupFirst = nullptr;
  QuorbItem* GroupLast = nullptr;
  std::string FromPart;
  std::string ToPart;
  uint64_t Minimum = 0;
  uint64_t Maximum = npos64;
  uint64_t MinimumHard = 0;
  uint64_t MaximumHard = npos64;
  uint64_t StartAfter = 0;
  uint64_t StopAfter = npos64;
  std::vector<ReplacementStruct> Pieces;     // compiled TO text
  std::string ReplacementText;
  std::string Comment;                       // free comment
  StringLocation* DefiningTransform = nullptr;
  StringLocation* LocalTransform = nullptr;  // owned
  uint64_t MatchCount = 0;
  uint64_t ReplaceCount = 0;
  std::vector<QuorbItem*>* Variants = nullptr;  // owned while IsAnchored is set
  // A namespace item's own table; owned. Kept here, not in the item: a
  // namespace is a rare item, and a word less in each of the hundreds of
  // items of an instance is worth the part a namespace makes for it.
  Table* OwnTable = nullptr;

  // Made and freed with their items: kept for reuse as items are (kept_blocks.cpp).
  static void* operator new(size_t size);
  static void operator delete(void* block, size_t size) noexcept;

  // Takes the count limits (Minimum to StopAfter) of `from`.
  void CopyLimits(const RuleParamStruct& from) {
    Minimum = from.Minimum;
    Maximum = from.Maximum;
    MinimumHard = from.MinimumHard;
    MaximumHard = from.MaximumHard;
    StartAfter = from.StartAfter;
    StopAfter = from.StopAfter;
  }
};

// The token part of an item: pattern, kind and code-block partner. Only
// tokens and rule parts have one (QuorbItem::EditToken makes it), and items
// with a rule part, which it holds.
struct TokenClass_ {
  HostRegex Pattern;                         // token or regex rule-part pattern
  int32_t PartKind = 0;                      // RulePartEnum of a rule part; a rule's first part
  TokenEnum TokenKind = TokenNone;
  std::vector<QuorbItem*>* TokenList = nullptr;  // the token list holding this item
  QuorbItem* Partner = nullptr;              // code-block opener <-> closer
  QuorbItem* RegExRule = nullptr;            // rule of a regex parameter serving as token
  uint64_t SubMatch = 0;                     // capture group that is the token's text
  TokenMatcher FastMatch = nullptr;          // equivalent of Pattern for default patterns
  // TokenPartEdits as counted by the latest EditToken of this part: a new
  // value with each edit, never copied, so a dispatch table can tell its
  // own list's edits from every other list's.
  uint64_t EditStamp = 0;

  // Made and freed with their items: kept for reuse as items are (kept_blocks.cpp).
  static void* operator new(size_t size);
  static void operator delete(void* block, size_t size) noexcept;

 private:
  friend class QuorbItem;
  // The item's rule part, held here rather than in the item: few items
  // have either part, most that have a rule part have a token part too,
  // and a word less in each of the hundreds of items of an instance takes
  // them into a smaller size class of the heap.
  std::unique_ptr<RuleParamStruct> rule_;
};

class QuorbItem : public BaseClass {
 public:
  QuorbItem() = default;
  explicit QuorbItem(const HostRegex& pattern);
  // A value item of `type` parsed from `text`; owns the value, which lives
  // in the item itself when the type's values fit in SmallValueRoom. When
  // the text does not parse, the item holds no value (ValuePtr null).
  QuorbItem(QuorbDataType* type, const std::string& text);
  ~QuorbItem();

  // Items are never copied: tables, chains and owners hold their addresses.
  QuorbItem(const QuorbItem&) = delete;
  QuorbItem& operator=(const QuorbItem&) = delete;

  // What evaluation and definitions use. The fields the evaluator and
  // callbacks touch (value, callback, body) come first.
  void* ValuePtr = nullptr;                  // value storage; for arrays a cell holding the array
  QuorbCallback Callback = nullptr;          // function run for the item
  QuorbParsedExpr* ParsedExpr = nullptr;     // expression body or ByExpr argument; owned
  ExpressionPart* CurrentCall = nullptr;     // the part calling a function with a body
  ErasedFunction HostFunction = nullptr;     // a host body, run by CallHostFunction
  uint64_t ElementCount = 0;                 // array length; a rule's part count
  SubItemList SubItems;                      // owned: parameters, rule parts, Bool's values
  int32_t Precedence = 0;                    // of an operator or a rule
  bool OwnsArrayCell = false;                // the cell an array value is reached through
  RolesLink Roles;                           // of the built-in code Callback runs; none for any other

  // Frees the scalar value the item owns (IsOwner set) through `type`, the
  // class that made it. A value in the item's own room (see the value
  // constructor) is not freed: it goes with the item. ValuePtr is left as is.
  void FreeOwnedScalar(QuorbDataType* type);
  // Exchanges the two items' value storage. A value in one item's own room
  // moves into the other's, so that neither points into the other.
  void SwapValues(QuorbItem& other);

  // The token and rule parts. Reading never allocates: an item without the
  // part reads a shared part holding the defaults. Editing makes the part
  // on first use; a rule part is made with a token part, whose fields then
  // read as the defaults still.
  const TokenClass_& Token() const { return token_ != nullptr ? *token_ : NoTokenPart; }
  TokenClass_& EditToken();
  const RuleParamStruct& Rule() const {
    const RuleParamStruct* rule = RulePart();
    return rule != nullptr ? *rule : NoRulePart;
  }
  RuleParamStruct& EditRule();
  bool HasTokenPart() const { return token_ != nullptr; }
  bool HasRulePart() const { return RulePart() != nullptr; }

  // A namespace item's own table (held by the rule part); null for any other.
  Table* OwnTable() const { return Rule().OwnTable; }
  // Gives the item `table` as its own; throws only what making the rule
  // part throws, and then `table` is freed and the item unchanged.
  void SetOwnTable(std::unique_ptr<Table> table);
  // Exchanges the own tables of `a` and `b`; what may fail (making a rule
  // part for a table to come) comes first, changing nothing.
  static void SwapOwnTables(QuorbItem& a, QuorbItem& b);

  // Gives the item, which holds no value yet, a copy of `from`'s value,
  // made by `type` (which then frees it), or in the item's own room when
  // `from`'s value is in its room.
  void CopyValueOf(const QuorbItem& from, QuorbDataType* type);
  // Moves the scalar value the item owns into its own room when `type`
  // (the value's class) makes its values there, as for a literal; other
  // values stay where they are. Throws only what allocation throws.
  void MoveValueIntoRoom(QuorbDataType* type);

  // Items are made and freed by the hundred with every instance: a thread
  // keeps the blocks of the items it frees for the next ones it makes
  // (kept_blocks.cpp).
  static void* operator new(size_t size);
  static void operator delete(void* block, size_t size) noexcept;

  // Frees what the item owns and unfiles it everywhere, without freeing the
  // item. Safe to run more than once and on partly built items.
  void Release();
  // Whether the item owns nothing but its scalar value and is filed in no
  // table: no body, token or rule part, sub-item, or kind with a payload.
  // Release then only frees the value and clears the links.
  bool ReleasesPlainly() const {
    return (Properties & KindsWithPayload) == 0 && ParsedExpr == nullptr && token_ == nullptr &&
           SubItems.empty() && OwningTable == nullptr;
  }
  // The switch to the slow twin of that shortcut: while false, every item
  // takes Release's full path. Process-wide; only tests change it.
  static bool ReleaseShortcut;

  // Frees the parsed bodies the item holds (its expression, the pieces of a
  // rule and, for a namespace, the bodies of everything filed in it) and
  // leaves the rest. Freeing a body reads the items it refers to, so bodies
  // go before the items of a table are destroyed.
  void FreeBodies();

  // Refiles the item under `name` in the owner's current namespace table.
  // An empty name, or an item that something other than a table, the
  // anonymous-item map or the instance owns (a parameter, a temporary, a
  // token), sets error 9 when none is pending and changes nothing.
  void Rename(const std::string& name);

  // Takes the item out of the owner's anonymous-item map, when it is there:
  // it has another owner now (a table, or the instance as its default
  // item), and two owners would free it twice.
  void LeaveAnonymous();

  // The rule's own transform, made on first use by the instance of the
  // transform that defined the rule; null when no transform defined it.
  StringLocation* ReturnLocalTransform();

  // Sets (value != 0) or clears one property bit, taken modulo 64. On a
  // transform's RulesDefault item the transform's own word follows.
  QuorbItem* SetProperty(int bit, int value);

 private:
  // The kinds whose payload or filing Release has more to do for than the
  // scalar value: most items of an instance (parameters, constants, plain
  // functions' sub-items) have none of them.
  static constexpr uint64_t KindsWithPayload = PropertyBit(IsArray) | PropertyBit(IsNamespace) |
                                               PropertyBit(IsOutputFormat) | PropertyBit(IsDataType) |
                                               PropertyBit(IsAnchored) | PropertyBit(IsAnonymous);

  static const TokenClass_ NoTokenPart;
  static const RuleParamStruct NoRulePart;

  std::unique_ptr<TokenClass_> token_;  // holds the rule part too

  RuleParamStruct* RulePart() const noexcept { return token_ != nullptr ? token_->rule_.get() : nullptr; }
  // A small value's own storage. Items never move, so its address is fixed
  // for the item's life.
  alignas(8) unsigned char smallValue_[SmallValueRoom];

  void ReleasePayload();
  void ReleaseArray();
  void ReleaseNamespace();
  void ReleaseOutputFormat();
};

}  // namespace QuorbNameSpace

#endif
