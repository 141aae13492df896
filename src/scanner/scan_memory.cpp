// Filing what a scan up to a rule's stop part met, position by position.
#include "scanner/scan_memory.h"

#include <algorithm>

#include "scanner/scan_state.h"

namespace QuorbNameSpace {

bool RememberScanWork = true;
uint64_t StopScanStepsWorthRemembering = 8;
bool ShareMeasuredBlocks = true;

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

void ScanMemory::RememberForOtherRanges(AnyRange& any, const StopScans& scans, const Trail& trail, bool found) {
  if (found) {
    for (const Trail::Step& step : trail.steps) any.foundAt[step.pos] = &scans;
    return;
  }
  if (trail.steps.size() < 2) return;  // reaches no range end beyond its start
  const auto index = static_cast<uint32_t>(any.failedTrails.size());
  std::vector<uint64_t> positions;
  positions.reserve(trail.steps.size());
  for (const Trail::Step& step : trail.steps) {
    any.failedAt[step.pos] = {index, static_cast<uint32_t>(positions.size())};
    positions.push_back(step.pos);
  }
  any.failedTrails.push_back(std::move(positions));
}

bool ScanMemory::AnyRange::Fails(uint64_t pos, uint64_t rangeEnd) const {
  auto seen = failedAt.find(pos);
  if (seen == failedAt.end() || rangeEnd <= pos) return false;
  const std::vector<uint64_t>& steps = failedTrails[seen->second.first];
  return std::binary_search(steps.begin() + seen->second.second + 1, steps.end(), rangeEnd);
}

const ScanMemory::StopScans* ScanMemory::AnyRange::Finds(uint64_t pos, uint64_t rangeEnd) const {
  auto seen = foundAt.find(pos);
  if (seen == foundAt.end()) return nullptr;
  const StopScans* scans = seen->second;
  auto from = scans->from.find(pos);
  if (from == scans->from.end() || from->second.end == StopScans::Fails) return nullptr;
  const StopScans::End& end = scans->ends[from->second.end];
  return end.stopLoc + end.stopLen <= rangeEnd ? scans : nullptr;
}

}  // namespace QuorbNameSpace
