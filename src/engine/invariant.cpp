// The report of a failed invariant check (invariant.h).
#include "engine/invariant.h"

#include <cstdio>
#include <cstdlib>

namespace QuorbNameSpace {

#ifndef NDEBUG
void InvariantFailed(const char* condition, const char* file, int line) noexcept {
  std::fprintf(stderr, "%s:%d: invariant failed: %s\n", file, line, condition);
  std::fflush(stderr);
  std::abort();
}
#endif

}  // namespace QuorbNameSpace
