// The floating-point status test that ends an evaluation, read inline.
//
// The flags of the SSE unit (MXCSR) and of the x87 unit (its status word)
// are separate on x86-64. Every library step computes in SSE registers
// except a few that compute in long double; a host callback may do either.
// The parser records whether an expression holds a step that may touch the
// x87 unit, so the common case reads MXCSR alone; any unignored flag sends
// the test to the exact, out-of-line path (TestException). Other platforms
// read the flags through <cfenv>.
#ifndef QUORB_ENGINE_FP_STATUS_H
#define QUORB_ENGINE_FP_STATUS_H

#include <cfenv>
#include <cstdint>

#include "engine/errors.h"
#include "engine/exception_flags.h"
#include "engine/quorb.h"

namespace QuorbNameSpace {

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// The <cfenv> flags have the bit positions of the hardware flags here.
static_assert(FE_INVALID == 0x01 && FE_DIVBYZERO == 0x04 && FE_OVERFLOW == 0x08 && FE_UNDERFLOW == 0x10 &&
                  FE_INEXACT == 0x20,
              "flag bits differ from the hardware status bits");

// The library's steps leave the x87 unit alone only where the C library
// computes its math functions in SSE registers, as glibc does; another
// runtime (a Windows one, for one) may use the x87 unit inside them, and
// there the status word is always read.
#if defined(__GLIBC__)
inline constexpr bool LibraryStepsMayUseX87 = false;
#else
inline constexpr bool LibraryStepsMayUseX87 = true;
#endif

inline int RaisedFlags(bool readX87) {
  uint32_t mxcsr;
  __asm__ volatile("stmxcsr %0" : "=m"(mxcsr) : : "memory");
  int raised = static_cast<int>(mxcsr);
  if (readX87 || LibraryStepsMayUseX87) {
    uint16_t status;
    __asm__ volatile("fnstsw %0" : "=am"(status) : : "memory");
    raised |= status;
  }
  return raised & FiveExceptionFlags;
}

// Raises the SSE inexact flag, and no other, by an addition whose exact sum
// is not representable: far cheaper than reading and writing MXCSR.
inline void RaiseInexact() {
  double sum = 1.0;
  const double tiny = 0x1p-60;
  __asm__ volatile("addsd %1, %0" : "+x"(sum) : "x"(tiny));
}
#else
inline int RaisedFlags(bool) { return std::fetestexcept(FiveExceptionFlags); }
inline void RaiseInexact() { std::feraiseexcept(FE_INEXACT); }
#endif

// The test after a run: nothing to do unless an unignored flag is up. A
// host's error handler may run inside any step, so with handlers installed
// the x87 word is read whatever the steps are. True when the exact test
// (TestException, which may run handlers) ran.
inline bool TestFlagsAfterRun(Quorb* instance, bool readX87) {
  if (instance == nullptr) return false;
  const int ignored = instance->IgnoredExceptions & FiveExceptionFlags;
  if (ignored == FiveExceptionFlags) return false;
  readX87 = readX87 || !instance->ErrorHandlers.empty();
  if ((RaisedFlags(readX87) & ~ignored) == 0) return false;
  TestException(instance);
  return true;
}

}  // namespace QuorbNameSpace

#endif
