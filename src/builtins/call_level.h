// The nesting guard of everything that runs an expression from inside an
// evaluation: calls of functions with bodies, and the meta built-ins that
// evaluate an expression handed to them (Eval, Evaluate, ...). They nest on
// the machine stack, so their depth is limited.
#ifndef QUORB_BUILTINS_CALL_LEVEL_H
#define QUORB_BUILTINS_CALL_LEVEL_H

#include "engine/errors.h"
#include "engine/quorb.h"

namespace QuorbNameSpace {

class ExpressionPart;

// Past this depth a call raises error 18 and runs nothing, instead of
// exhausting the stack.
inline constexpr int MaxCallDepth = 2000;

// Counts one level of nesting for as long as it lives. Once the limit has
// been hit nothing nested runs until the outermost level has returned: a
// body that calls itself twice would otherwise retry the whole depth at
// every level, and the whole evaluation stops.
class CallLevel {
 public:
  // Entered() is false, and nothing may run, when the limit was hit now
  // (error 18 raised) or before, while the outermost level still runs.
  CallLevel(Quorb& instance, ExpressionPart& part) : instance_(instance) {
    if (instance_.CallsStopped) return;
    if (instance_.CallDepth >= MaxCallDepth) {
      instance_.CallsStopped = true;
      instance_.ErrorRaise(&part, ErrReparseLimit);
      return;
    }
    ++instance_.CallDepth;
    entered_ = true;
  }
  ~CallLevel() {
    if (entered_ && --instance_.CallDepth == 0) instance_.CallsStopped = false;
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
