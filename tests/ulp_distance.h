// The distance between two doubles in representable values, with which the
// math tests allow for the last bits of different math libraries.
#ifndef QUORB_TESTS_ULP_DISTANCE_H
#define QUORB_TESTS_ULP_DISTANCE_H

#include <cstdint>
#include <cstring>

// How many doubles lie from a to b; +0 and -0 are the same place, and a
// NaN has no meaningful distance (callers compare NaNs first).
inline uint64_t UlpsBetween(double a, double b) {
  auto ordered = [](double v) {
    int64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits < 0 ? INT64_MIN - bits : bits;
  };
  const int64_t ia = ordered(a), ib = ordered(b);
  return ia > ib ? static_cast<uint64_t>(ia) - static_cast<uint64_t>(ib)
                 : static_cast<uint64_t>(ib) - static_cast<uint64_t>(ia);
}

#endif
