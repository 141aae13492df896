// Exports: the calling thread's floating-point flags and rounding mode, and
// the instance's mask of flags that raise no error after an evaluation.
// The header names the platform's values; the build checks they agree.
#include <cfenv>

#include "api/boundary.h"
#include "engine/exception_flags.h"

using namespace QuorbApi;

static_assert(QUORB_FE_INVALID == FE_INVALID && QUORB_FE_DIVBYZERO == FE_DIVBYZERO &&
                  QUORB_FE_OVERFLOW == FE_OVERFLOW && QUORB_FE_UNDERFLOW == FE_UNDERFLOW &&
                  QUORB_FE_INEXACT == FE_INEXACT,
              "the header's flag values are the platform's");
static_assert(QUORB_FE_TONEAREST == FE_TONEAREST && QUORB_FE_DOWNWARD == FE_DOWNWARD &&
                  QUORB_FE_UPWARD == FE_UPWARD && QUORB_FE_TOWARDZERO == FE_TOWARDZERO,
              "the header's rounding modes are the platform's");

using QuorbNameSpace::FiveExceptionFlags;

extern "C" {

QUORB_API int32_t FPEnvClearException(QuorbInstance*, int32_t flags) {
  return feclearexcept(flags == 0 ? FiveExceptionFlags : flags & FiveExceptionFlags);
}

QUORB_API int32_t FPEnvRaiseException(QuorbInstance*, int32_t flags) {
  return feraiseexcept(flags & FiveExceptionFlags);
}

QUORB_API int32_t FPEnvGetRounding(QuorbInstance*) { return fegetround(); }

QUORB_API int32_t FPEnvSetRounding(QuorbInstance*, int32_t mode) { return fesetround(mode); }

QUORB_API int32_t FPEnvGetExceptionMask(QuorbInstance* instance) {
  return instance != nullptr ? Engine(instance)->Evaluator.IgnoredExceptions : 0;
}

QUORB_API void FPEnvSetExceptionMask(QuorbInstance* instance, int32_t mask) {
  if (instance != nullptr) Engine(instance)->Evaluator.IgnoredExceptions = mask;
}

QUORB_API void FPEnvSetExceptionUnMask(QuorbInstance* instance, int32_t flags) {
  if (instance != nullptr) Engine(instance)->Evaluator.IgnoredExceptions &= ~flags;
}

QUORB_API void FPEnvToggleExceptionMask(QuorbInstance* instance, int32_t flags) {
  if (instance != nullptr) Engine(instance)->Evaluator.IgnoredExceptions ^= flags;
}

}  // extern "C"
