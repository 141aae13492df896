// The floating-point status test that ends an evaluation, read inline.
//
// The flags of the SSE unit (MXCSR) and of the x87 unit (its status word)
// are separate on x86-64. Steps compute in either: the C library raises
// overflow, underflow and inexact in the x87 unit inside some functions,
// a host callback may use long double, and a flag raised before the run is
// wherever its raiser put it. So every test reads both units, whatever the
// steps are; only the ignore mask decides what is reported. Any unignored
// flag sends the test to the exact, out-of-line path (TestException).
// Other platforms read the flags through <cfenv>, which on x86 reads both
// units too.
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

// The five flags raised in either unit: one read of MXCSR and one of the
// x87 status word, without the rest of the environment.
inline int RaisedFlags() {
  uint32_t mxcsr;
  __asm__ volatile("stmxcsr %0" : "=m"(mxcsr) : : "memory");
  uint16_t status;
  __asm__ volatile("fnstsw %0" : "=am"(status) : : "memory");
  return static_cast<int>(mxcsr | status) & FiveExceptionFlags;
}
#else
inline int RaisedFlags() { return std::fetestexcept(FiveExceptionFlags); }
#endif

// Whether the exact test has work after a run: an unignored flag is up.
// Both units are read whatever the mask: an instance that ignores every
// flag is rare, and a test of it would cost every other run.
inline bool FlagsNeedTest(const Quorb* instance) {
  if (instance == nullptr) return false;
  return (RaisedFlags() & ~instance->Evaluator.IgnoredExceptions) != 0;
}

// The test after a run: nothing to do unless an unignored flag is up. True
// when the exact test (TestException, which may run handlers) ran.
inline bool TestFlagsAfterRun(Quorb* instance) {
  if (!FlagsNeedTest(instance)) return false;
  TestException(instance);
  return true;
}

}  // namespace QuorbNameSpace

#endif
