// The rule table's first bytes and key lengths, for quick anchor lookups.
#include "scanner/anchor_filter.h"

namespace QuorbNameSpace {

bool FilterAnchorLookups = true;

// The text is looked up folded in a table that folds, so any byte that
// folds to a key's first byte may begin it there.
void AnchorFilter::Read(const Table* table) {
  table_ = table;
  read_ = true;
  folds_ = TableFolds(table);
  starts_ = ByteSet();
  lengths_ = 0;
  usable_ = table->Symbols.size() <= kMostKeys;
  if (!usable_) return;
  ByteSet first;
  for (const auto& entry : table->Symbols) {
    const std::string& key = entry.first;
    if (key.empty()) {  // filed under the empty text: no first byte tells
      usable_ = false;
      return;
    }
    first.Add(static_cast<unsigned char>(key[0]));
    lengths_ |= LengthBit(key.size());
  }
  for (unsigned byte = 0; byte < 256; ++byte) {
    const char c = static_cast<char>(byte);
    if (first.Has(static_cast<unsigned char>(folds_ ? FoldCase(c) : c))) starts_.Add(static_cast<unsigned char>(byte));
  }
}

}  // namespace QuorbNameSpace
