// The nesting guard of everything that runs an expression from inside an
// evaluation: calls of functions with bodies, and the meta built-ins that
// evaluate an expression handed to them (Eval, Evaluate, ...). They nest on
// the machine stack, so their depth is limited, both in levels and in the
// stack the levels have used: a level costs some hundred bytes in an
// optimised build and several times that in a debugging one, and a host's
// thread may have a small stack.
#ifndef QUORB_BUILTINS_CALL_LEVEL_H
#define QUORB_BUILTINS_CALL_LEVEL_H

#include <cstdint>

#include "engine/errors.h"
#include "engine/invariant.h"
#include "engine/quorb.h"

namespace QuorbNameSpace {

class ExpressionPart;

// Past this depth, or once the levels have used this much of the machine
// stack below the outermost level, a call raises error 18 and runs nothing,
// instead of exhausting the stack. The stack bound leaves room on a thread
// stack of 256 KiB for the host's own frames, the evaluation around the
// outermost level and the deepest work one level does without nesting
// (include/quorb.h tells hosts).
inline constexpr int MaxCallDepth = 2000;
inline constexpr uintptr_t MaxCallStackBytes = 160 * 1024;

// Counts one level of nesting for as long as it lives. Once the limit has
// been hit nothing nested runs until the outermost level has returned: a
// body that calls itself twice would otherwise retry the whole depth at
// every level, and the whole evaluation stops.
class CallLevel {
 public:
  // Entered() is false, and nothing may run, when the limit was hit now
  // (error 18 raised) or before, while the outermost level still runs.
  CallLevel(Quorb& instance, ExpressionPart& part) : instance_(instance) {
    if (instance_.Running.CallsStopped) return;
    // This guard lives on the stack: its address tells how deep the
    // stack is, whichever way it grows.
    const uintptr_t here = reinterpret_cast<uintptr_t>(this);
    if (instance_.Running.CallDepth == 0) instance_.Running.CallStackBase = here;
    const uintptr_t base = instance_.Running.CallStackBase;
    const uintptr_t used = base > here ? base - here : here - base;
    if (instance_.Running.CallDepth >= MaxCallDepth || used > MaxCallStackBytes) {
      instance_.Running.CallsStopped = true;
      instance_.ErrorRaise(&part, ErrReparseLimit);
      return;
    }
    ++instance_.Running.CallDepth;
    entered_ = true;
  }
  ~CallLevel() {
    QUORB_ASSERT(!entered_ || instance_.Running.CallDepth > 0);
    if (entered_ && --instance_.Running.CallDepth == 0) instance_.Running.CallsStopped = false;
  }
  bool Entered() const { return entered_; }
  CallLevel(const CallLevel&) = delete;
  CallLevel& operator=(const CallLevel&) = delete;

 private:
  Quorb& instance_;
  bool entered_ = false;
};

}  // namespace QuorbNameSpace

#endif
