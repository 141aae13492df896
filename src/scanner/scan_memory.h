// What an expansion's cursor remembers about its text, so that the work a
// failing rule did at one anchor is not done again at the next: code blocks
// already measured, and how a scan up to a rule's stop part ends from each
// position it took a step from. Without it, a stop mark that never appears
// or appears only far ahead, or deep nesting under a rule that never
// matches, costs time quadratic in the text.
//
// Everything is in offsets of the scanned text and holds while that text is
// unchanged: the owner calls Forget() whenever it rewrites the text.
#ifndef QUORB_SCANNER_SCAN_MEMORY_H
#define QUORB_SCANNER_SCAN_MEMORY_H

#include <cstdint>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

#include "scanner/token_matchers.h"

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
// Whether expansions remember blocks and stop scans (tests compare both ways).
extern bool RememberScanWork;
// The fewest steps a stop scan takes for it to be remembered: a shorter one
// costs less to take again than to file and look up (0: every scan is
// remembered; tests compare both ways).
extern uint64_t StopScanStepsWorthRemembering;
// Whether a replacement is written in place, the text before it copied out
// once (false: the slow twin rebuilds the whole text at every replacement
// and moves every later position; tests compare both ways).
extern bool InPlaceReplacements;
// Whether an expansion's scan steps past the tokens at which it has nothing
// to do (no block opens or closes, no rule can be anchored) inside the lean
// token step, without coming back for each (false: the slow twin takes them
// one at a time; tests compare both ways).
extern bool StepPastIdleTokens;
// Whether an expansion copies the text it started from (which a MinimumHard
// rule's undo restores) only when it first rewrites the text it scans
// (false: the slow twin copies it before the rules run; tests compare both
// ways).
extern bool KeepOriginalLazily;
// Whether a stop scan that meets a code block takes its extent from the
// blocks the expansion measured when it entered an enclosing block
// (false: the slow twin measures it again; tests compare both ways).
extern bool ShareMeasuredBlocks;

struct ScanMemory {
  // A code block measured from its opener: the position after its closer
  // (or where the search for it ended), under which range end, and whether
  // quoted text was read as tokens of their own then (it hides brackets).
  struct Block {
    uint64_t after = 0;
    uint64_t rangeEnd = 0;
    bool closed = false;
    bool quoteBlind = false;
  };
  bool remember = RememberScanWork;             // blocks and stop scans are looked up
  std::unordered_map<uint64_t, Block> blocks;  // by opener position

  // Blocks the owner measured itself, asked where `blocks` has none: the
  // position after the closer of the closed block at `start`, measured as
  // the cursor measures one with quote blindness `quoteBlind`; ~0 where the
  // owner has none. No owner: none.
  struct MeasuredBlocks {
    uint64_t (*end)(const void* owner, uint64_t start, bool quoteBlind) = nullptr;
    const void* owner = nullptr;
  } measuredBlocks;
  uint64_t MeasuredBlockEnd(uint64_t start, bool quoteBlind) const {
    if (!ShareMeasuredBlocks || measuredBlocks.end == nullptr) return ~0ULL;
    return measuredBlocks.end(measuredBlocks.owner, start, quoteBlind);
  }

  // How scans up to one stop part under one range end went. A scan for the
  // same part and range end that reaches a position an earlier one took a
  // step from retraces that scan from there on, so it ends as that one did.
  struct StopScans {
    // The end of a scan that found its stop: the state the scan left.
    struct End {
      uint64_t stopLoc = 0;
      uint64_t stopLen = 0;
      QuorbItem* current = nullptr;
      QuorbItem* previous = nullptr;  // the token before the stop's step
      TokenMatch lastMatch;
    };
    static constexpr uint32_t Fails = ~0u;
    // What a scan met from one position on: its end (or Fails), the first
    // token it took and the last blank run it skipped (NoPosition: none).
    struct From {
      uint32_t end = Fails;
      uint64_t firstToken = ~0ULL;
      uint64_t lastBlank = ~0ULL;
    };
    std::unordered_map<uint64_t, From> from;  // by position
    std::vector<End> ends;
  };
  std::map<std::pair<const QuorbItem*, uint64_t>, StopScans> stopScans;

  // Scans up to one stop part under any range end, for a scan under a
  // nearer range end (inside a code block an earlier scan ran through):
  // from a position an earlier scan took a step from, it retraces that
  // scan up to its own range end. So it finds the stop the earlier one
  // found when that stop ends within its range, and fails as a failed one
  // did when that one also took a step from its range end. Deep nesting
  // under a failing rule so costs what flat text does, not one whole scan
  // per level.
  struct AnyRange {
    std::vector<std::vector<uint64_t>> failedTrails;  // the step positions of each, ascending
    // By position: the latest failed trail that took a step there, and
    // which step it was; the scans (of one range end) that found their
    // stop from there.
    std::unordered_map<uint64_t, std::pair<uint32_t, uint32_t>> failedAt;
    std::unordered_map<uint64_t, const StopScans*> foundAt;
    bool Fails(uint64_t pos, uint64_t rangeEnd) const;
    const StopScans* Finds(uint64_t pos, uint64_t rangeEnd) const;
  };
  std::unordered_map<const QuorbItem*, AnyRange> anyRange;

  // The steps of one scan up to a stop part: where each began and whether
  // it skipped a blank run; and the remembered position it ran into, if any.
  struct Trail {
    struct Step {
      uint64_t pos;
      bool blank;
    };
    std::vector<Step> steps;
    bool hit = false;
    StopScans::From hitFrom;
    const AnyRange* anyRange = nullptr;  // scans for the same stop part under other range ends
  };

  // Token steps the expansion may still take; when they run out every scan
  // ends at once and `exhausted` tells the expansion to stop with an error.
  uint64_t stepsLeft = ~0ULL;
  bool exhausted = false;

  // Room kept for the cursor's scratch work: the stack of open blocks
  // while it measures one, and the steps of a stop scan.
  struct OpenBlock {
    QuorbItem* opener;
    uint64_t start;
  };
  std::vector<OpenBlock> openBlocks;
  std::vector<Trail::Step> spareSteps;

  // Handed from the rule matcher to the one up-to scan it starts.
  Trail* trail = nullptr;
  const StopScans* known = nullptr;

  // Files the steps of a scan that ended; `found`: at `end`.
  static void Remember(StopScans& scans, const Trail& trail, bool found, const StopScans::End& end);
  // Files the steps of a scan, kept in `scans`, for scans under other
  // range ends.
  static void RememberForOtherRanges(AnyRange& any, const StopScans& scans, const Trail& trail, bool found);

  // Clearing an unordered map costs its buckets, however few elements it
  // holds: one that holds none is left alone.
  void Forget() {
    if (!blocks.empty()) blocks.clear();
    stopScans.clear();
    if (!anyRange.empty()) anyRange.clear();
  }
};

}  // namespace QuorbNameSpace

#endif  // QUORB_SCANNER_SCAN_MEMORY_H
