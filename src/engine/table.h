// Table: a symbol table mapping a (folded) name to the newest item of that
// name, older items of the same name chained behind it (the overload chain).
// Filing never copies an item: from then on the table owns it, and clearing
// the table destroys it. Lookups report absence by null.
#ifndef QUORB_ENGINE_TABLE_H
#define QUORB_ENGINE_TABLE_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <new>
#include <string>
#include <utility>

#include "engine/kept_blocks.h"

namespace QuorbNameSpace {

class QuorbItem;

// Every instance files a few hundred names: their map nodes come from the
// blocks each thread keeps (kept_blocks.h), not from the general allocator.
template <typename T>
struct SymbolNodeAllocator {
  using value_type = T;
  SymbolNodeAllocator() = default;
  template <typename U>
  SymbolNodeAllocator(const SymbolNodeAllocator<U>&) noexcept {}
  T* allocate(size_t n) {
    return static_cast<T*>(n == 1 ? AllocateSymbolNode(sizeof(T)) : ::operator new(n * sizeof(T)));
  }
  void deallocate(T* block, size_t n) noexcept {
    if (n == 1) FreeSymbolNode(block, sizeof(T));
    else ::operator delete(block);
  }
  friend bool operator==(const SymbolNodeAllocator&, const SymbolNodeAllocator&) { return true; }
  friend bool operator!=(const SymbolNodeAllocator&, const SymbolNodeAllocator&) { return false; }
};

using SymbolMap = std::map<std::string, QuorbItem*, std::less<std::string>,
                           SymbolNodeAllocator<std::pair<const std::string, QuorbItem*>>>;

// A stamp no table had before (process-wide).
uint64_t NewNamesStamp();

class Table {
 public:
  bool CaseSensitive = false;  // false: names are folded to lower case (A-Z only)
  SymbolMap Symbols;           // folded name -> head of its overload chain
  size_t LongestKey = 0;       // no name filed here was ever longer
  // New with each table and whenever a name is filed anew or taken out
  // through Add and Remove: a summary of the names made at one stamp (and
  // the same count of names) still describes them.
  uint64_t NamesStamp = NewNamesStamp();

  // The key under which `name` is filed in this table.
  std::string Key(const std::string& name) const;

  // The head of the chain filed under `name`, or null.
  QuorbItem* Handle(const std::string& name) const;

  // Files `item` under `name`; an item filed elsewhere or under another
  // name is taken from there first. A locked head refuses it (the item is
  // then left unfiled). Without overwrite the item goes in front of the
  // chain; with overwrite the existing head keeps its address and takes the
  // new definition, `item` is redirected to it and the new object destroyed.
  // With `displaced`, an overwrite hands back the object now holding the
  // head's former definition instead of destroying it, so that a caller can
  // put it back (SwapDefinitions) should its own definition fail.
  void Add(const std::string& name, QuorbItem*& item, bool overwrite, QuorbItem** displaced = nullptr);

  // Exchanges what makes up a definition between two items: properties,
  // body, value, parameters, type, precedence, callback, own table,
  // element count and owner. Names, texts and filing stay; the owner's
  // handler and output lists follow the definitions (Quorb::SwapReferences).
  static void SwapDefinitions(QuorbItem* a, QuorbItem* b);

  // Unlinks `item` from its chain; null or unfiled items change nothing.
  void Remove(QuorbItem* item);

 private:
  void OverwriteHead(QuorbItem* head, QuorbItem*& item, QuorbItem** displaced);
};

// Destroys every item of every chain and empties the map. Every body is
// freed before any item is destroyed: a body may refer to a neighbour.
void ClearSymbolTableQuick(SymbolMap& symbols);

// The same for a map whose bodies are all freed already (FreeBodiesIn).
// While an entry's chain is destroyed, the entry holds null.
void DestroyFiledItems(SymbolMap& symbols);

// Frees the parsed bodies of every item on every chain (QuorbItem::FreeBodies).
void FreeBodiesIn(const SymbolMap& symbols);

// Whether `found` holds for an item on any chain of `symbols` or of the
// table of a namespace filed there, nested ones included. Stops at the
// first item for which it holds.
bool AnyFiledItem(const SymbolMap& symbols, const std::function<bool(const QuorbItem*)>& found);

// Moves `item` to the next older overload and returns it (null at the end).
QuorbItem* Overload(QuorbItem*& item);

// True when a and b agree on the three operator-position bits.
bool SameSuffix(const QuorbItem* a, const QuorbItem* b);

// ASCII-only lower-casing; other bytes are unchanged.
inline char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
std::string FoldCase(std::string text);

}  // namespace QuorbNameSpace

#endif
