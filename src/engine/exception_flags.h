// The floating-point exception flags the library tests, and a guard that
// hands the caller's flags back exactly as it found them. Only the five
// named flags are touched, and they are put back by clearing and raising,
// so no other bit of the floating-point environment ever changes.
#ifndef QUORB_ENGINE_EXCEPTION_FLAGS_H
#define QUORB_ENGINE_EXCEPTION_FLAGS_H

#include <cfenv>

namespace QuorbNameSpace {

constexpr int FiveExceptionFlags = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW | FE_UNDERFLOW | FE_INEXACT;

// Saves the five flags and clears them, so that what runs meanwhile starts
// clean; restores exactly the saved set when it goes out of scope.
class ExceptionFlagsKept {
 public:
  ExceptionFlagsKept() : saved_(std::fetestexcept(FiveExceptionFlags)) { std::feclearexcept(FiveExceptionFlags); }
  ~ExceptionFlagsKept() {
    std::feclearexcept(FiveExceptionFlags);
    if (saved_ != 0) std::feraiseexcept(saved_);
  }
  ExceptionFlagsKept(const ExceptionFlagsKept&) = delete;
  ExceptionFlagsKept& operator=(const ExceptionFlagsKept&) = delete;

 private:
  int saved_;
};

}  // namespace QuorbNameSpace

#endif
