// A quick "no" for most anchor lookups of an expansion: every token the
// scan takes is looked up in the rule table (symbol_lookup.cpp), and most
// are filed under no rule. The filter keeps the bytes the table's keys
// begin with and their lengths; a token whose first byte (folded as the
// table folds) or length no key has is filed under none of them, which it
// tells without reading the table.
//
// What the filter read stays right while the table is unchanged. An
// expansion changes no table itself: code it runs may (expression
// directives, host callbacks, passes and local transforms), so the
// expansion calls Forget() before such code runs, and the table is read
// again at the next lookup. A table of many keys is not read: lookups
// there go to the table.
#ifndef QUORB_SCANNER_ANCHOR_FILTER_H
#define QUORB_SCANNER_ANCHOR_FILTER_H

#include <cstdint>
#include <string>

#include "engine/table.h"
#include "scanner/byte_set.h"

namespace QuorbNameSpace {

// Whether an expansion's anchor lookups ask the filter first (false: the
// slow twin looks every token up in the table; tests compare both ways).
extern bool FilterAnchorLookups;

class AnchorFilter {
 public:
  // True when text.substr(at, length) is filed under no key of `table`
  // (Table::Handle would give null); false when it may be, or when the
  // filter cannot tell.
  // Inline: it runs for nearly every token of an expansion.
  bool SurelyAbsent(const Table* table, const std::string& text, uint64_t at, uint64_t length) {
    if (!FilterAnchorLookups || table == nullptr || at >= text.size()) return false;
    if (!read_ || table != table_ || TableFolds(table) != folds_) Read(table);
    if (!usable_) return false;
    if (length > text.size() - at) length = text.size() - at;  // as substr gives it
    return length != 0 && (!starts_.Has(static_cast<unsigned char>(text[at])) || (lengths_ & LengthBit(length)) == 0);
  }
  // The table may change: it is read again before the next answer.
  void Forget() { read_ = false; }

  static constexpr uint64_t kMostKeys = 256;

 private:
  void Read(const Table* table);
  // Keys are folded in a table that folds (Table::Key).
  static bool TableFolds(const Table* table) { return !table->CaseSensitive; }
  static uint64_t LengthBit(uint64_t length) { return 1ULL << (length < 63 ? length : 63); }

  const Table* table_ = nullptr;
  bool read_ = false;
  bool usable_ = false;
  bool folds_ = false;    // whether the table folded case when read
  // The bytes a text filed under a key can begin with: the keys' first
  // bytes, and in a table that folds, every byte that folds to one of them.
  ByteSet starts_;
  uint64_t lengths_ = 0;  // bit n: a key of length n; bit 63: a key of 63 bytes or more
};

}  // namespace QuorbNameSpace

#endif  // QUORB_SCANNER_ANCHOR_FILTER_H
