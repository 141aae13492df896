// Timing shared by the benchmark programs: how long one call of a function
// takes, measured over enough calls to fill a time budget.
#ifndef QUORB_BENCH_BENCH_TIMING_H
#define QUORB_BENCH_BENCH_TIMING_H

#include <chrono>
#include <cstddef>

// Nanoseconds per call of `run`, repeated (doubling the count) until the
// calls take about `budget` milliseconds. The results are summed into a
// volatile so that no call can be left out.
template <typename Run>
double NanosecondsPerCall(Run run, double budget) {
  using Clock = std::chrono::steady_clock;
  size_t count = 1;
  double seconds = 0;
  volatile double sink = 0;
  for (;;) {
    auto start = Clock::now();
    for (size_t i = 0; i < count; ++i) sink = sink + run();
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (seconds * 1000 >= budget || count >= (1u << 30)) break;
    count *= 2;
  }
  return seconds * 1e9 / static_cast<double>(count);
}

#endif
