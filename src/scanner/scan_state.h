// The scanning state of a cursor: positions as byte offsets from the start of
// the text, so they stay valid when the text is swapped, grown or replaced.
// A cursor saves and restores this small record instead of copying itself.
#ifndef QUORB_SCANNER_SCAN_STATE_H
#define QUORB_SCANNER_SCAN_STATE_H

#include <cstdint>

namespace QuorbNameSpace {

class QuorbItem;

// "No position": a blank run or a token text that was not found.
inline constexpr uint64_t NoPosition = ~0ULL;

struct ScanState {
  uint64_t RangeStart = 0;                // start of the range being scanned
  uint64_t Pos = 0;                       // current scanning position
  uint64_t RangeEnd = 0;                  // end of the range (exclusive)
  uint64_t ScanStart = 0;                 // start of the first token of the last NextToken
  uint64_t TokenStart = 0;                // start of the current token's whole match
  uint64_t BlankStart = NoPosition;       // start of the last blank run skipped
  uint64_t TokenLoc = NoPosition;         // start of the current token's text
  uint64_t BlockInnerStart = 0;           // inside of the last code block measured
  uint64_t StopLoc = NoPosition;          // terminator found by an up-to scan
  uint64_t StopLen = 0;
  uint64_t TokenLen = 0;                  // length of the token text or scanned span
  uint64_t BlockInnerLen = 0;
  QuorbItem* PrevToken = nullptr;         // token item before the last step
  QuorbItem* CurrentToken = nullptr;      // ItemNotFound at the end of the text
  int32_t Status = 0;                     // 5: a code-block opener without closer
};

// One capture of a rule match.
struct LocationAndLengthStruct {
  uint64_t Location = 0;  // offset from the start of the text
  uint64_t Length = 0;
};

}  // namespace QuorbNameSpace

#endif
