// The floating-point exception flags the library tests, clears, saves and
// restores: exactly invalid, divide-by-zero, overflow, underflow and
// inexact, with the platform's values; and a guard that hands the caller's
// flags back exactly as it found them.
//
// Never FE_ALL_EXCEPT: on some platforms (mingw-w64) it also holds a
// denormal-operand flag, which exact arithmetic on tiny numbers raises and
// which no error number reports. Never fesetexceptflag: mingw-w64's writes
// the saved bits into the mask field of MXCSR as well, so restoring flags
// would switch on traps in the host.
#ifndef QUORB_ENGINE_EXCEPTION_FLAGS_H
#define QUORB_ENGINE_EXCEPTION_FLAGS_H

#include <cfenv>

namespace QuorbNameSpace {

inline constexpr int FiveExceptionFlags = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW | FE_UNDERFLOW | FE_INEXACT;

// Which of the five flags are raised now.
inline int RaisedExceptionFlags() { return std::fetestexcept(FiveExceptionFlags); }

inline void ClearExceptionFlags() { std::feclearexcept(FiveExceptionFlags); }

// Makes exactly `saved` (of the five) the raised flags. The control word,
// masks and rounding mode included, is left alone.
inline void RestoreExceptionFlags(int saved) {
  ClearExceptionFlags();
  if ((saved & FiveExceptionFlags) != 0) std::feraiseexcept(saved & FiveExceptionFlags);
}

// Saves the five flags and clears them, so that what runs meanwhile starts
// clean; restores exactly the saved set when it goes out of scope.
class ExceptionFlagsKept {
 public:
  ExceptionFlagsKept() : saved_(RaisedExceptionFlags()) { ClearExceptionFlags(); }
  ~ExceptionFlagsKept() { RestoreExceptionFlags(saved_); }
  ExceptionFlagsKept(const ExceptionFlagsKept&) = delete;
  ExceptionFlagsKept& operator=(const ExceptionFlagsKept&) = delete;

 private:
  int saved_;
};

}  // namespace QuorbNameSpace

#endif  // QUORB_ENGINE_EXCEPTION_FLAGS_H
