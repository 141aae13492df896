// The lean token step: NextToken(DefaultToken, 1) as the scanner's general
// loop takes it (token_scanning.cpp), for the common case, which every
// expansion takes at nearly every token. What the general loop works out
// at every iteration (the first-byte table, whether it covers the whole
// list, the range end, the cursor's flags) is worked out once per step,
// and what only up-to scans read (a stop scan's trail, the terminator, the
// wanted item listed first) is left out. Everything the step leaves in the
// cursor is what the general loop leaves.
//
// The lean stop scan is the same for the scans up to a rule's stop word
// (NextToken(stop, 1)) that need nothing the general loop does beyond the
// steps, their trail and the code blocks they pass over.
//
// Also the pieces of the general loop that the lean step shares with it.
#ifndef QUORB_SCANNER_TOKEN_STEP_H
#define QUORB_SCANNER_TOKEN_STEP_H

#include <cstdint>

#include "scanner/token_matchers.h"

namespace QuorbNameSpace {

class QuorbItem;
class StringLocation;
struct ScanMemory;

// Whether plain token steps take the lean step (false: the slow twin, the
// general loop; tests compare both ways).
extern bool LeanTokenSteps;
// Whether scans up to a rule's stop word take the lean stop scan (false:
// the slow twin, the general loop; tests compare both ways).
extern bool LeanStopScans;

// The item standing for a byte no token pattern takes: the scan takes it as
// a one-character generic token instead of standing still.
QuorbItem* UnmatchedByte();
// Counts one token step against an expansion's budget; false once it is spent.
bool TakeStep(ScanMemory& memory);
// A step that starts inside the last long run `candidate` matched ends where
// that run ended; true with `out` set, without reading the run again.
bool RestOfRun(const StringLocation& cursor, const QuorbItem* candidate, uint64_t end, uint64_t sub, TokenMatch& out);

}  // namespace QuorbNameSpace

#endif  // QUORB_SCANNER_TOKEN_STEP_H
