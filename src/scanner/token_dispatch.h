// Token dispatch by first byte: for each byte, the token items of a list
// whose patterns can start with it, in the order the scanner tries them
// (highest list index first). A position then tries only those items, in
// their priority order, instead of every item of the list.
//
// A pattern's possible first bytes come from its compiled form (the
// engine's own start map, case folding included); a pattern that can match
// the empty string, or whose first bytes cannot be told, is listed under
// every byte. A table describes the list it was built from: before each
// use it is checked against the list (where the list's buffer and length
// are those last checked and no token part anywhere was edited or released
// since, those alone; otherwise its items and each item's edit stamp), and
// built again only when the list itself changed: edits of other lists (of
// other instances, say) cost one pass over the items, not a new table. Items above the ones the table covers (the
// terminator of an up-to scan, appended for the scan) are tried first, one
// by one, as the slow path does.
#ifndef QUORB_SCANNER_TOKEN_DISPATCH_H
#define QUORB_SCANNER_TOKEN_DISPATCH_H

#include <atomic>
#include <cstdint>
#include <vector>

#include "scanner/byte_set.h"

namespace QuorbNameSpace {

class QuorbItem;

// Whether token steps dispatch by first byte (true) or try every item of
// the list in turn (false: the slow twin; tests compare both ways).
extern bool DispatchTokensByFirstByte;

// Whether a cursor scans with the table of the parent that holds its token
// list (true), or builds its own (false: the slow twin; tests compare both
// ways).
extern bool ShareDispatchWithParent;

// Counts edits of token parts (QuorbItem::EditToken) and releases of listed
// tokens; a table checked before the latest is checked again.
extern std::atomic<uint64_t> TokenPartEdits;

// The bytes a match of `token`'s pattern can start with (all of them when
// not known).
ByteSet PossibleFirstBytes(const QuorbItem* token);

class TokenDispatch {
 public:
  // How many items from the start of `tokens` the table covers, building
  // it first where needed; 0 when it cannot be used for this step (the list
  // changed and the scan has not yet stayed on one list long enough to make
  // a new table worth its cost). A trailing `wanted` is left uncovered.
  uint64_t Covered(const std::vector<QuorbItem*>& tokens, const QuorbItem* wanted) {
    // The same buffer of the same length with no token edited or released
    // since: the same items (every change of a list in place goes with
    // one). So is that list with the wanted terminator of an up-to scan
    // appended, as each such scan does and undoes. Checked inline: it holds
    // at nearly every step.
    if (built_ && tokens.data() == checkedData_ && TokenPartEdits.load(std::memory_order_relaxed) == edits_ &&
        (tokens.size() == checkedSize_ || (tokens.size() == checkedSize_ + 1 && tokens.back() == wanted)))
      return items_.size();
    return CoveredAfterChange(tokens, wanted);
  }

  // The list indices of the covered items that can start with `byte`,
  // highest first.
  const uint32_t* Begin(unsigned char byte) const { return entries_.data() + starts_[byte]; }
  const uint32_t* End(unsigned char byte) const { return entries_.data() + starts_[byte + 1u]; }

  // How many times the table was built: what an edit elsewhere must leave.
  uint64_t Builds() const { return builds_; }

 private:
  // Steps on a list without a table before one is built: a short scan
  // (most parses) never pays for a table.
  static constexpr uint32_t kStepsBeforeBuilding = 32;

  // Covered, where the list may have changed since it was last checked.
  uint64_t CoveredAfterChange(const std::vector<QuorbItem*>& tokens, const QuorbItem* wanted);
  bool Matches(const std::vector<QuorbItem*>& tokens, uint64_t covered) const;
  void Build(const std::vector<QuorbItem*>& tokens, uint64_t covered);

  std::vector<QuorbItem*> items_;  // the covered items, as the table was built
  std::vector<uint64_t> stamps_;   // their token parts' edit stamps then
  std::vector<uint32_t> starts_;   // 257 offsets into entries_, by byte
  std::vector<uint32_t> entries_;
  uint64_t edits_ = 0;             // TokenPartEdits when last checked
  // The list last found to hold items_ first: its buffer and its length
  // without a trailing wanted terminator.
  QuorbItem* const* checkedData_ = nullptr;
  uint64_t checkedSize_ = 0;
  uint32_t stepsWithout_ = 0;
  uint64_t builds_ = 0;
  bool built_ = false;
};

}  // namespace QuorbNameSpace

#endif  // QUORB_SCANNER_TOKEN_DISPATCH_H
