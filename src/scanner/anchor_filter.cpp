// The rule table's first bytes and key lengths, for quick anchor lookups.
#include "scanner/anchor_filter.h"

#include <algorithm>

#include "engine/table.h"

namespace QuorbNameSpace {

bool FilterAnchorLookups = true;

namespace {

uint64_t LengthBit(uint64_t length) { return 1ULL << std::min<uint64_t>(length, 63); }

}  // namespace

void AnchorFilter::Read(const Table* table) {
  table_ = table;
  read_ = true;
  first_ = ByteSet();
  lengths_ = 0;
  usable_ = table != nullptr && table->Symbols.size() <= kMostKeys;
  if (!usable_) return;
  for (const auto& entry : table->Symbols) {
    const std::string& key = entry.first;
    if (key.empty()) {  // filed under the empty text: no first byte tells
      usable_ = false;
      return;
    }
    first_.Add(static_cast<unsigned char>(key[0]));
    lengths_ |= LengthBit(key.size());
  }
}

// Keys are folded in a table that folds (Table::Key): the text is looked
// up folded there.
bool AnchorFilter::Misses(const Table* table, char first, uint64_t length) const {
  if (!table->CaseSensitive) first = FoldCase(first);
  return !first_.Has(static_cast<unsigned char>(first)) || (lengths_ & LengthBit(length)) == 0;
}

}  // namespace QuorbNameSpace
