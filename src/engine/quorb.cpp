// Instance construction and tear-down.
#include "engine/quorb.h"

#include <cfenv>

#include "engine/parsed_expr.h"
#include "engine/quorb_item.h"
#include "engine/table.h"
#include "scanner/string_location.h"

namespace QuorbNameSpace {

const std::string EmptyString = " ";

// Message numbers in the order the instance loads them; the order is kept
// so that a later "message already defined" check sees the same history.
static const int32_t MessageLoadOrder[25] = {0,  1,  2,  3,  4,  5,  6,  7,  10, 8,  9,  11, 12,
                                             13, 14, 15, 16, 19, 17, 18, 20, 21, 22, 23, 24};

Quorb::Quorb(void*) {
  for (StringLocation*& transform : Transforms) transform = new StringLocation(this);
  IgnoredExceptions = FE_INEXACT | FE_UNDERFLOW;
  for (int32_t n : MessageLoadOrder) SetErrorMessage(n, DefaultErrorMessages[n], false);
  Flags &= ~PropertyBit(IsCaseSensitive);
  DataTypes.assign(128, nullptr);
}

Quorb::~Quorb() {
  DestroyUserTransforms();
  // Data-type items go last: every other item and transform may still hold
  // values of their types.
  std::vector<QuorbItem*> typeItems;
  if (Table* root = RootTable()) {
    for (auto& entry : root->Symbols)
      for (QuorbItem* item = entry.second; item != nullptr; item = item->NextOverload)
        if (item->Has(IsDataType)) typeItems.push_back(item);
    for (QuorbItem* item : typeItems) root->Remove(item);
  }
  while (!AnonymousItems.empty()) {
    QuorbItem* item = AnonymousItems.begin()->first;
    AnonymousItems.erase(AnonymousItems.begin());
    delete item;
  }
  delete OutputTextItem;
  for (auto& entry : ParsedExprs) QuorbParsedExpr::Free(entry.first);
  ParsedExprs.clear();
  if (Table* root = RootTable()) ClearSymbolTableQuick(root->Symbols);
  for (StringLocation*& transform : Transforms) {
    delete transform;
    transform = nullptr;
  }
  delete DefaultItem;
  for (QuorbItem* item : typeItems) delete item;
}

// A transform's destruction may release a rule whose local transform takes
// itself out of this list, so they are taken out one at a time.
void Quorb::DestroyUserTransforms() {
  while (!UserTransforms.empty()) {
    StringLocation* transform = UserTransforms.front();
    UserTransforms.erase(UserTransforms.begin());
    delete transform;
  }
}

Table* Quorb::RootTable() const {
  return Transforms[0] != nullptr ? Transforms[0]->RuleTable : nullptr;
}

Table* Quorb::CurrentNamespaceTable() const {
  if (Transforms[0] == nullptr || Transforms[0]->SearchTables.empty()) return nullptr;
  return Transforms[0]->SearchTables.back();
}

void Quorb::RemoveUserTransform(StringLocation* t) {
  for (auto it = UserTransforms.begin(); it != UserTransforms.end(); ++it) {
    if (*it == t) {
      UserTransforms.erase(it);
      return;
    }
  }
}

}  // namespace QuorbNameSpace
