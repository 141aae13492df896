// Instance construction and tear-down.
#include "engine/quorb.h"

#include <algorithm>
#include <cfenv>
#include <iterator>
#include <memory>

#include "builtins/builtin_definitions.h"
#include "engine/instance_prototype.h"
#include "engine/parsed_expr.h"
#include "engine/quorb_item.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "scanner/string_location.h"
#include "types/data_type.h"
#include "types/type_registry.h"

namespace QuorbNameSpace {

const std::string EmptyString = " ";

// Message numbers in the order the instance loads them; the order is kept
// so that a later "message already defined" check sees the same history.
static const int32_t MessageLoadOrder[25] = {0,  1,  2,  3,  4,  5,  6,  7,  10, 8,  9,  11, 12,
                                             13, 14, 15, 16, 19, 17, 18, 20, 21, 22, 23, 24};

// The built-in types, their names and their implicit conversions.
static const char* const TypeDefinitions[] = {
    "DataType: Bool : Type_Boolean",
    "DataType: Int8 : Type_Integer_8",
    "DataType: Int8u : Type_Integer_8u",
    "DataType: Int16 : Type_Integer_16",
    "DataType: Int16u : Type_Integer_16u",
    "DataType: Int : Type_Integer_32",
    "DataType: Int32u : Type_Integer_32u",
    "DataType: Int64 : Type_Integer_64",
    "DataType: Int64u : Type_Integer_64u",
    "DataType: Float : Type_Float_Single",
    "DataType: Single : Type_Float_Single",
    "DataType: Double : Type_Float_Double",
    "DataType: Size_t : Type_Size_t",
    "DataType: Complex : Type_Complex",
    "DataType: String : Type_String",
    "DataType: AnyType : Type_Any",
    "DataType: OmniType : Type_Omni",
    "DataType: Void : Type_Void",
    "DataType: Pointer : Type_Pointer",
    "ConvertsBetween: Bool, Int8, Int8u, Int16, Int16u, Int, Int32u, Int64, Int64u, Float, Double, Size_t",
    // clang-format off
    "DataType: Complex ~~ ConvertsFrom: Bool, Int8, Int8u, Int16, Int16u, Int, Int32u, Int64, Int64u, Float, Double, Size_t",
    // clang-format on
    "DataType: OmniType ~~ ConvertsFromAny ~~ ConvertsToAny",
};

Quorb::Quorb(void*) {
  try {
    InitializeProcessTables();
    if (!CopyInstancePrototype(*this)) Build(BuiltinDefinitionCount);
  } catch (...) {
    // A half-built instance frees what it made; the caller sees the failure.
    TearDown();
    throw;
  }
}

Quorb::Quorb(FromDefinitionTexts texts) {
  try {
    InitializeProcessTables();
    Build(texts.builtinRows);
  } catch (...) {
    TearDown();
    throw;
  }
}

// The construction steps; their order matters (see the comments).
void Quorb::Build(size_t builtinRows) {
  for (StringLocation*& transform : Scanners.Transforms) transform = new StringLocation(this);
  // The token and definition transforms get their tokens before any type
  // exists; the main and parser transforms after, so literals carry types.
  Scanners.Transforms[2]->DefineTokens();
  Scanners.Transforms[3]->DefineTokens();
  Evaluator.IgnoredExceptions = FE_INEXACT | FE_UNDERFLOW;
  for (int32_t n : MessageLoadOrder) SetErrorMessage(n, DefaultErrorMessages[n], false);
  Definitions.Flags &= ~PropertyBit(IsCaseSensitive);
  Types.DataTypes.assign(BuiltInTypeCount, nullptr);
  for (const char* definition : TypeDefinitions) DefineOwn(definition, nullptr);
  Definitions.DefaultItem = new QuorbItem();
  Definitions.DefaultItem->SetBit(IsDefaultItem, true);
  Definitions.DefaultItem->Precedence = 1;
  Definitions.DefaultItem->DataType = Types.DoubleType;
  Definitions.DefaultItem->Owner = this;
  Definitions.OutputTextItem = new QuorbItem(Types.StringType, std::string());
  Definitions.OutputTextItem->SetBit(IsNamedVariable, true);
  Definitions.OutputTextItem->Owner = this;
  Scanners.Transforms[0]->DefineTokens();
  Scanners.Transforms[1]->DefineTokens();
  // The parser transform's alias rules: every expression, definition and
  // name lookup is rewritten by them first.
  static const char* const AliasRules[][2] = {{"Var:", "Variable:"}, {"Func:", "Function:"}, {"Op:", "Operator:"},
                                              {"Byte", "Int8u"},     {"Int32", "Int"},         {"Integer", "Int"},
                                              {"Float", "Single"}};
  for (const auto& alias : AliasRules) Scanners.Transforms[1]->DefineRule(alias[0], alias[1], nullptr);
  DefineBuiltins(*this, 0, builtinRows);
}

QuorbItem* Quorb::DefineOwn(const std::string& text, QuorbCallback callback, const BuiltinRoles& roles) {
  QuorbItem* item = Define(text, callback, nullptr, false, false, &roles);
  if (item == nullptr && Error.Number == ErrOutOfMemory) throw std::bad_alloc();
  return item;
}

// Every registered expression of every instance, so that a handle given back
// by a host can be checked before anything is read through it.
static std::map<QuorbParsedExpr*, Quorb*>& LiveExpressions() {
  static std::map<QuorbParsedExpr*, Quorb*>* live = new std::map<QuorbParsedExpr*, Quorb*>();
  return *live;
}

// Freeing a parsed expression reads the properties of the items it refers
// to, so every expression goes before any named item: a body may refer to a
// variable that sorts before its function, an anonymous item or the
// output-text item, and a token or the default item may hold a body too.
void Quorb::FreeAllExpressions() {
  for (auto& entry : Kept.ParsedExprs) {
    LiveExpressions().erase(entry.first);
    QuorbParsedExpr::Free(entry.first);
  }
  Kept.ParsedExprs.clear();
  for (StringLocation* transform : Scanners.Transforms) {
    if (transform == nullptr) continue;
    if (transform->RuleTable != nullptr) FreeBodiesIn(transform->RuleTable->Symbols);
    if (transform->Tokens != nullptr)
      for (QuorbItem* token : *transform->Tokens) token->FreeBodies();
  }
  for (auto& entry : Kept.AnonymousItems) entry.first->FreeBodies();
  if (Definitions.DefaultItem != nullptr) Definitions.DefaultItem->FreeBodies();
}

Quorb::~Quorb() { TearDown(); }

// The first data-type item filed in `table` or its namespaces; null when
// none is left.
static QuorbItem* FirstTypeItem(const Table* table) {
  if (table == nullptr) return nullptr;
  for (const auto& entry : table->Symbols) {
    for (QuorbItem* item = entry.second; item != nullptr; item = item->NextOverload) {
      if (item->Has(IsDataType)) return item;
      if (item->Has(IsNamespace))
        if (QuorbItem* found = FirstTypeItem(item->OwnTable())) return found;
    }
  }
  return nullptr;
}

// The data-type items of the root table and its namespaces, one at a time
// in key order. Each search starts at the entry where the last one stopped:
// every entry before it holds none, and taking the item found out of its
// table erases no entry before it, so restarting from the first entry each
// time (as many searches as types, each over the whole table) finds the
// same items.
class TypeItemSearch {
 public:
  explicit TypeItemSearch(const Table* root) : root_(root) {}

  QuorbItem* Next() {
    if (root_ == nullptr) return nullptr;
    auto entry = cleared_ ? std::next(last_) : root_->Symbols.begin();
    for (; entry != root_->Symbols.end(); ++entry) {
      for (QuorbItem* item = entry->second; item != nullptr; item = item->NextOverload) {
        QuorbItem* found = item->Has(IsDataType) ? item : item->Has(IsNamespace) ? FirstTypeItem(item->OwnTable()) : nullptr;
        if (found == nullptr) continue;
        cleared_ = entry != root_->Symbols.begin();
        if (cleared_) last_ = std::prev(entry);
        return found;
      }
    }
    return nullptr;
  }

 private:
  const Table* root_;
  SymbolMap::const_iterator last_;  // the last entry known to hold none
  bool cleared_ = false;
};

// Whether `type` is the type object of an item of the chain from `item`.
static bool TypeOfAChainItem(const QuorbDataType* type, const QuorbItem* item) {
  for (; item != nullptr; item = item->NextOverload)
    if (item->DataType == type) return true;
  return false;
}

// Safe on a half-built instance: every step checks what exists. Allocates
// nothing, so that an instance can be freed when memory has run out: the
// data-type items taken out of the table are chained through their own
// overload links.
void Quorb::TearDown() noexcept {
  DestroyUserTransforms();
  // Data-type items go last: every other item and transform may still hold
  // values of their types.
  QuorbItem* typeItems = nullptr;
  QuorbItem** typeItemsEnd = &typeItems;
  // Those of namespaces too: a namespace's release would free its types
  // before the items holding their values, and retire them (allocating).
  TypeItemSearch search(RootTable());
  for (QuorbItem* item = search.Next(); item != nullptr;) {
    if (item->OwningTable != nullptr) item->OwningTable->Remove(item);
    // One filed under a key other than its name stays filed, and goes with
    // its table as any item there.
    QuorbItem* next = search.Next();
    if (next == item) break;
    *typeItemsEnd = item;
    typeItemsEnd = &item->NextOverload;
    item = next;
  }
  Running.DeferredReleases.clear();  // registered: freed with the others next
  FreeAllExpressions();
  // The default item is the instance's to free, wherever a definition filed
  // it: a table, maybe a namespace's, must not free it first.
  if (Definitions.DefaultItem != nullptr && Definitions.DefaultItem->OwningTable != nullptr) Definitions.DefaultItem->OwningTable->Remove(Definitions.DefaultItem);
  while (!Kept.AnonymousItems.empty()) {
    QuorbItem* item = Kept.AnonymousItems.begin()->first;
    Kept.AnonymousItems.erase(Kept.AnonymousItems.begin());
    delete item;
  }
  delete Definitions.OutputTextItem;
  Definitions.OutputTextItem = nullptr;
  if (Table* root = RootTable()) DestroyFiledItems(root->Symbols);  // its bodies went with all others
  for (StringLocation*& transform : Scanners.Transforms) {
    delete transform;
    transform = nullptr;
  }
  delete Definitions.DefaultItem;
  Definitions.DefaultItem = nullptr;
  while (typeItems != nullptr) {
    // Every type object goes last, with the retired ones: taken from its
    // item here, the item's release has no other object to search for it.
    QuorbItem* item = typeItems;
    typeItems = item->NextOverload;
    item->NextOverload = nullptr;
    QuorbDataType* type = item->Has(IsDataType) ? item->DataType : nullptr;
    item->SetBit(IsDataType, false);
    item->DataType = nullptr;
    delete item;
    // A type object held twice is freed with the last of its holders.
    if (type != nullptr && !TypeOfAChainItem(type, typeItems) &&
        std::find(Types.RetiredTypes.begin(), Types.RetiredTypes.end(), type) == Types.RetiredTypes.end())
      FreeTypeObject(type);
  }
  for (QuorbDataType* type : Types.RetiredTypes) FreeTypeObject(type);
  Types.RetiredTypes.clear();
  SubItemStorage.reset();  // no item is left to hold a list of it
}

void Quorb::FreeTypeObject(QuorbDataType* type) noexcept {
  type->FreeValuePool();
  delete type;
}

// A transform's destruction may release a rule whose local transform takes
// itself out of this list, so they are taken out one at a time.
void Quorb::DestroyUserTransforms() {
  while (!Scanners.UserTransforms.empty()) {
    StringLocation* transform = Scanners.UserTransforms.front();
    Scanners.UserTransforms.erase(Scanners.UserTransforms.begin());
    delete transform;
  }
}

Table* Quorb::RootTable() const {
  return Scanners.Transforms[0] != nullptr ? Scanners.Transforms[0]->RuleTable : nullptr;
}

Table* Quorb::CurrentNamespaceTable() const {
  if (Scanners.Transforms[0] == nullptr || Scanners.Transforms[0]->SearchTables.empty()) return nullptr;
  return Scanners.Transforms[0]->SearchTables.back();
}

// In both maps or in neither.
void Quorb::RegisterExpression(QuorbParsedExpr* expr) {
  auto mine = Kept.ParsedExprs.emplace(expr, true).first;
  try {
    LiveExpressions()[expr] = this;
  } catch (...) {
    Kept.ParsedExprs.erase(mine);
    throw;
  }
}

bool Quorb::ReleaseExpression(QuorbParsedExpr* expr) {
  auto found = LiveExpressions().find(expr);
  if (found == LiveExpressions().end()) return false;
  // Released by host code called back during an evaluation, maybe the
  // running one: freed once the evaluation has ended.
  Quorb* owner = found->second;
  if (owner->Running.RunningEvaluations > 0) {
    std::vector<QuorbParsedExpr*>& deferred = owner->Running.DeferredReleases;
    if (std::find(deferred.begin(), deferred.end(), expr) == deferred.end()) deferred.push_back(expr);
    return true;
  }
  owner->Kept.ParsedExprs.erase(expr);
  LiveExpressions().erase(found);
  QuorbParsedExpr::Free(expr);
  return true;
}

void Quorb::FreeDeferredReleases() {
  std::vector<QuorbParsedExpr*> released;
  released.swap(Running.DeferredReleases);
  for (QuorbParsedExpr* expr : released) ReleaseExpression(expr);
}

StringLocation* Quorb::NewTransform() {
  std::unique_ptr<StringLocation> transform(new StringLocation(this));
  transform->DefineTokens();
  Scanners.UserTransforms.push_back(transform.get());
  return transform.release();
}

void Quorb::RemoveUserTransform(StringLocation* t) {
  for (auto it = Scanners.UserTransforms.begin(); it != Scanners.UserTransforms.end(); ++it) {
    if (*it == t) {
      Scanners.UserTransforms.erase(it);
      return;
    }
  }
}

}  // namespace QuorbNameSpace
