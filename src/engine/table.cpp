// Symbol tables: filing with overload and overwrite, removal and clearing.
#include "engine/table.h"

#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

#include "engine/errors.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"

namespace QuorbNameSpace {

std::string FoldCase(std::string text) {
  for (char& c : text) c = FoldCase(c);
  return text;
}

uint64_t NewNamesStamp() {
  static std::atomic<uint64_t> stamps{0};
  return stamps.fetch_add(1, std::memory_order_relaxed) + 1;
}

std::string Table::Key(const std::string& name) const {
  return CaseSensitive ? name : FoldCase(name);
}

// Most names looked up are folded already: those are found without a copy.
QuorbItem* Table::Handle(const std::string& name) const {
  const bool folded = CaseSensitive || std::none_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
  auto found = folded ? Symbols.find(name) : Symbols.find(FoldCase(name));
  return found == Symbols.end() ? nullptr : found->second;
}

static bool OnChain(QuorbItem* head, const QuorbItem* item) {
  for (QuorbItem* p = head; p != nullptr; p = p->NextOverload)
    if (p == item) return true;
  return false;
}

// A data-type item owns a type object that other items point into; only
// another type may take its place (the old object is retired, not freed).
// A namespace owns a table of items that expressions and handles hold: no
// definition takes its place.
// Expressions parsed earlier hold the head and keep running after an
// overwrite, reading a variable's value where they were parsed to: a
// variable stays a variable, and nothing else becomes one.
static bool KeepsRole(const QuorbItem* head, const QuorbItem* item) {
  return head->Has(IsNamedVariable) == item->Has(IsNamedVariable);
}

static bool CanReplace(const QuorbItem* head, const QuorbItem* item) {
  // A parameter of the item itself, filed under the same name, is no
  // definition to take over.
  const bool ownParameter = std::find(item->SubItems.begin(), item->SubItems.end(), head) != item->SubItems.end();
  // The body of a function that is running now is in use below: taking
  // the name over would free it.
  if (head->CurrentCall != nullptr) {
    Quorb* owner = head->Owner != nullptr ? head->Owner : item->Owner;
    if (owner != nullptr) owner->SetErrorIfNone(ErrNotModifiable);
    return false;
  }
  if ((head->Has(IsDataType) && !item->Has(IsDataType)) || head->Has(IsNamespace) || ownParameter ||
      !KeepsRole(head, item)) {
    Quorb* owner = head->Owner != nullptr ? head->Owner : item->Owner;
    if (owner != nullptr) owner->SetErrorIfNone(ErrInvalidDefinition);
    return false;
  }
  return true;
}

void Table::Add(const std::string& name, QuorbItem*& item, bool overwrite, QuorbItem** displaced) {
  if (item == nullptr) return;
  std::string key = Key(name);
  // One search: where the name is, or where a new one goes.
  auto found = Symbols.lower_bound(key);
  const bool listed = found != Symbols.end() && found->first == key;
  QuorbItem* head = listed ? found->second : nullptr;
  // Refusals come before anything moves: the item stays where it was.
  if (head != nullptr) {
    if (head->Has(IsLocked)) {
      if (item->OwningTable == nullptr) item->Name = key;
      return;
    }
    // Filing an item that is already on the chain would link it to itself.
    if (OnChain(head, item)) return;
    if (overwrite && !CanReplace(head, item)) return;
  }
  // An item is filed once: filing it again, elsewhere or under another
  // name, moves it. Two filings would mean two owners freeing it.
  // The new name is made before the item leaves its old table, which finds
  // it by the old one: a failure then moves nothing. Parameters are filed
  // for each body that reads them, mostly under the name they have: that
  // name is not made again.
  const bool renamed = item->Name != key;
  ItemText newName;
  if (renamed) newName = key;
  // Leaving this table may erase the entry the search ended at.
  const bool movesWithin = item->OwningTable == this;
  if (item->OwningTable != nullptr) item->OwningTable->Remove(item);
  if (renamed) item->Name.Swap(newName);
  if (head == nullptr) {
    if (key.size() > LongestKey) LongestKey = key.size();
    if (movesWithin) found = Symbols.lower_bound(key);
    Symbols.emplace_hint(found, std::move(key), item);
    NamesStamp = NewNamesStamp();
  } else if (overwrite) {
    OverwriteHead(head, item, displaced);
  } else {
    item->NextOverload = head;
    found->second = item;  // still valid: moving the item erased another key
  }
  item->OwningTable = this;
  item->LeaveAnonymous();
}

void Table::SwapDefinitions(QuorbItem* a, QuorbItem* b) {
  // First: it alone may fail (making a part to hold a table), changing nothing.
  QuorbItem::SwapOwnTables(*a, *b);  // travels with the callback field's role
  std::swap(a->Properties, b->Properties);
  std::swap(a->ParsedExpr, b->ParsedExpr);
  a->SwapValues(*b);
  std::swap(a->SubItems, b->SubItems);
  std::swap(a->DataType, b->DataType);
  std::swap(a->Precedence, b->Precedence);
  std::swap(a->Callback, b->Callback);
  std::swap(a->Roles, b->Roles);
  std::swap(a->HostFunction, b->HostFunction);
  std::swap(a->ElementCount, b->ElementCount);
  std::swap(a->OwnsArrayCell, b->OwnsArrayCell);
  std::swap(a->Owner, b->Owner);
  Quorb* owner = a->Owner != nullptr ? a->Owner : b->Owner;
  if (owner != nullptr) owner->SwapReferences(a, b);
}

// The existing head keeps its address, so parsed expressions and host handles
// that point to it see the new definition.
void Table::OverwriteHead(QuorbItem* head, QuorbItem*& item, QuorbItem** displaced) {
  QuorbItem* fresh = item;
  // The swap may fail (making the part that holds a namespace's table): the
  // caller's item must still be the fresh one then, or its clean-up would
  // free the filed head that expressions and handles still point to.
  SwapDefinitions(head, fresh);
  item = head;
  if (displaced != nullptr) *displaced = fresh;
  else delete fresh;
  // The parameters are visible under their names for the body that the
  // definition parses next (the definition unfiles them after). They go in
  // front of what their names already hold, which stays filed.
  for (QuorbItem* sub : head->SubItems) {
    if (sub->OwningTable == this || sub->Name.empty()) continue;
    QuorbItem* parameter = sub;
    Add(sub->Name, parameter, false);
  }
}

void Table::Remove(QuorbItem* item) {
  if (item == nullptr || item->OwningTable != this) return;
  item->OwningTable = nullptr;
  auto found = Symbols.find(item->Name);
  if (found == Symbols.end() || found->second == nullptr) return;  // null: an entry being destroyed
  QuorbItem* head = found->second;
  if (head == item) {
    if (item->NextOverload == nullptr) {
      Symbols.erase(found);
      NamesStamp = NewNamesStamp();
    } else {
      found->second = item->NextOverload;
    }
  } else {
    for (QuorbItem* p = head; p->NextOverload != nullptr; p = p->NextOverload) {
      if (p->NextOverload == item) {
        p->NextOverload = item->NextOverload;
        break;
      }
    }
  }
  item->NextOverload = nullptr;
}

// Namespaces nest only as deep as definitions made them, and a table never
// holds itself; the bound keeps the walk finite on a damaged table all the
// same.
static bool AnyFiledItemAt(const SymbolMap& symbols, const std::function<bool(const QuorbItem*)>& found, int depth) {
  for (const auto& entry : symbols) {
    for (const QuorbItem* item = entry.second; item != nullptr; item = item->NextOverload) {
      if (found(item)) return true;
      if (item->OwnTable() != nullptr && depth < 64 && AnyFiledItemAt(item->OwnTable()->Symbols, found, depth + 1))
        return true;
    }
  }
  return false;
}

bool AnyFiledItem(const SymbolMap& symbols, const std::function<bool(const QuorbItem*)>& found) {
  return AnyFiledItemAt(symbols, found, 0);
}

void FreeBodiesIn(const SymbolMap& symbols) {
  for (const auto& entry : symbols)
    for (QuorbItem* item = entry.second; item != nullptr; item = item->NextOverload) item->FreeBodies();
}

void ClearSymbolTableQuick(SymbolMap& symbols) {
  FreeBodiesIn(symbols);
  DestroyFiledItems(symbols);
}

void DestroyFiledItems(SymbolMap& symbols) {
  // One entry at a time, emptied before its chain is destroyed: an item
  // whose destruction frees another item still filed here (a function and
  // its parameters) then finds that entry through its own table link, and
  // whatever walks the table meanwhile (a release looking for type objects)
  // sees no item destroyed already. The entries go all at once after: one
  // by one, each erase would rebalance the map.
  for (auto& entry : symbols) {
    QuorbItem* item = entry.second;
    entry.second = nullptr;
    while (item != nullptr) {
      QuorbItem* next = item->NextOverload;
      item->OwningTable = nullptr;
      item->NextOverload = nullptr;
      delete item;
      item = next;
    }
  }
  symbols.clear();
}

QuorbItem* Overload(QuorbItem*& item) {
  item = item->NextOverload;
  return item;
}

bool SameSuffix(const QuorbItem* a, const QuorbItem* b) {
  const uint64_t position = PropertyBit(IsPrefix) | PropertyBit(IsInfix) | PropertyBit(IsPostfix);
  return (a->Properties & position) == (b->Properties & position);
}

}  // namespace QuorbNameSpace
