// RetryingOnce: set-up that runs once per process and, when it throws
// (memory ran out), is tried again by the next caller.
//
// std::call_once promises the same, but on some threading runtimes
// (mingw-w64's) a callable that throws leaves the flag held, and every
// later call waits forever: one failed allocation would hang the process.
// This holds a mutex while the set-up runs and marks it done only after it
// returned; later callers read the mark without the lock.
#ifndef QUORB_ENGINE_RETRYING_ONCE_H
#define QUORB_ENGINE_RETRYING_ONCE_H

#include <atomic>
#include <mutex>

namespace QuorbNameSpace {

class RetryingOnce {
 public:
  RetryingOnce() = default;
  RetryingOnce(const RetryingOnce&) = delete;
  RetryingOnce& operator=(const RetryingOnce&) = delete;

  // Runs `setUp` unless a run of it returned already; what it throws
  // passes to the caller, and the set-up counts as not done.
  template <typename SetUp>
  void operator()(SetUp&& setUp) {
    if (done_.load(std::memory_order_acquire)) return;
    std::lock_guard<std::mutex> hold(running_);
    if (done_.load(std::memory_order_relaxed)) return;
    setUp();
    done_.store(true, std::memory_order_release);
  }

  bool Done() const noexcept { return done_.load(std::memory_order_acquire); }

 private:
  std::atomic<bool> done_{false};
  std::mutex running_;
};

}  // namespace QuorbNameSpace

#endif  // QUORB_ENGINE_RETRYING_ONCE_H
