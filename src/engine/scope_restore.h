// Scope guards for state that a piece of code changes for as long as it
// runs: whatever way it leaves (a return, an exception of memory running
// out), the change is undone, so no early return can skip the restore.
//
//   ScopedValue  sets a variable and puts its old value back.
//   ScopedCount  counts one more level of a nesting count and one less
//                again; the count never goes below zero.
#ifndef QUORB_ENGINE_SCOPE_RESTORE_H
#define QUORB_ENGINE_SCOPE_RESTORE_H

#include <utility>

#include "engine/invariant.h"

namespace QuorbNameSpace {

template <typename T>
class ScopedValue {
 public:
  ScopedValue(T& variable, T value) : variable_(variable), saved_(std::exchange(variable, std::move(value))) {}
  ~ScopedValue() { variable_ = std::move(saved_); }
  ScopedValue(const ScopedValue&) = delete;
  ScopedValue& operator=(const ScopedValue&) = delete;

 private:
  T& variable_;
  T saved_;
};

template <typename T>
class ScopedCount {
 public:
  explicit ScopedCount(T& count) : count_(count) {
    QUORB_ASSERT(count_ >= 0);
    ++count_;
  }
  ~ScopedCount() {
    QUORB_ASSERT(count_ > 0);
    --count_;
  }
  ScopedCount(const ScopedCount&) = delete;
  ScopedCount& operator=(const ScopedCount&) = delete;

 private:
  T& count_;
};

}  // namespace QuorbNameSpace

#endif  // QUORB_ENGINE_SCOPE_RESTORE_H
