// Run-time checks of the invariants the code relies on. QUORB_ASSERT is
// active in builds without NDEBUG (Debug, which the sanitizer runs use) and
// compiled out of Release and RelWithDebInfo, where its argument is never
// evaluated: only named inside sizeof, so that a variable kept for a check
// alone raises no warning. A failed check reports where and what, then
// aborts: it marks a fault in the library, never a caller's mistake, and
// no C++ exception may carry it across the C boundary. Each check must be
// cheap enough for the Debug test suite.
#ifndef QUORB_ENGINE_INVARIANT_H
#define QUORB_ENGINE_INVARIANT_H

#ifndef NDEBUG
#define QUORB_ASSERT(condition) \
  ((condition) ? static_cast<void>(0) : ::QuorbNameSpace::InvariantFailed(#condition, __FILE__, __LINE__))

namespace QuorbNameSpace {
[[noreturn]] void InvariantFailed(const char* condition, const char* file, int line) noexcept;
}  // namespace QuorbNameSpace
#else
#define QUORB_ASSERT(condition) static_cast<void>(sizeof(!(condition)))
#endif

#endif  // QUORB_ENGINE_INVARIANT_H
