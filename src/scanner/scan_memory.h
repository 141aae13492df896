// What an expansion's cursor remembers about its text, so that the work a
// failing rule did at one anchor is not done again at the next: code blocks
// already measured, and the positions from which a scan up to a rule's stop
// part is known to fail. Without it, a stop mark that never appears, or deep
// nesting under a rule that never matches, costs time quadratic in the text.
//
// Everything is in offsets of the scanned text and holds while that text is
// unchanged: the owner calls Forget() whenever it rewrites the text.
#ifndef QUORB_SCANNER_SCAN_MEMORY_H
#define QUORB_SCANNER_SCAN_MEMORY_H

#include <cstdint>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace QuorbNameSpace {

class QuorbItem;

// How many token steps one expansion may take: `minimum` plus `perByte`
// for each byte of its text. Far more than any sound transform needs (a few
// per byte, counting the rules tried at each anchor, and never less than a
// fraction of a second of work), far less than work that grows with the
// square of a long text.
struct ExpansionStepLimit {
  uint64_t perByte;
  uint64_t minimum;
};
// The limit in force (tests lower it).
extern ExpansionStepLimit ActiveStepLimit;

struct ScanMemory {
  // A code block measured from its opener: the position after its closer
  // (or where the search for it ended), under which range end.
  struct Block {
    uint64_t after = 0;
    uint64_t rangeEnd = 0;
    bool closed = false;
  };
  std::unordered_map<uint64_t, Block> blocks;  // by opener position

  // By (stop part, range end): every position a failed scan up to that part
  // took a step from. A scan for the same part under the same range end
  // that reaches one of them would retrace that scan, so it fails there.
  using Positions = std::unordered_set<uint64_t>;
  std::map<std::pair<const QuorbItem*, uint64_t>, Positions> failing;

  // Token steps the expansion may still take; when they run out every scan
  // ends at once and `exhausted` tells the expansion to stop with an error.
  uint64_t stepsLeft = ~0ULL;
  bool exhausted = false;

  // Handed from the rule matcher to the one up-to scan it starts: where that
  // scan records its steps, and the positions known to fail for it.
  std::vector<uint64_t>* trail = nullptr;
  const Positions* known = nullptr;

  void Forget() {
    blocks.clear();
    failing.clear();
  }
};

}  // namespace QuorbNameSpace

#endif  // QUORB_SCANNER_SCAN_MEMORY_H
