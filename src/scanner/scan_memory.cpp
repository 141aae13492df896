// Filing what a scan up to a rule's stop part met, position by position.
#include "scanner/scan_memory.h"

#include "scanner/scan_state.h"

namespace QuorbNameSpace {

bool RememberScanWork = true;

void ScanMemory::Remember(StopScans& scans, const Trail& trail, bool found, const StopScans::End& end) {
  StopScans::From from = trail.hit ? trail.hitFrom : StopScans::From();
  if (found) {
    // The state at the end is this scan's own: the token before the stop
    // may differ from that of a scan it ran into at the stop itself.
    from.end = static_cast<uint32_t>(scans.ends.size());
    scans.ends.push_back(end);
  } else {
    from.end = StopScans::Fails;
  }
  // From the last step back: each step's first token is the nearest token
  // step at or after it, its last blank the last blank step at or after it.
  for (size_t k = trail.steps.size(); k-- > 0;) {
    const Trail::Step& step = trail.steps[k];
    if (!step.blank) from.firstToken = step.pos;
    else if (from.lastBlank == NoPosition) from.lastBlank = step.pos;
    scans.from[step.pos] = from;
  }
}

}  // namespace QuorbNameSpace
