// Set-up that failed once is tried again, and set-up that ran is never
// run again: a failed allocation during a process's first creation must
// leave the next creation able to try, not waiting forever.
#include "engine/retrying_once.h"

#include <gtest/gtest.h>

#include <new>

namespace QuorbNameSpace {
namespace {

TEST(RetryingOnceTest, AFailedSetUpIsTriedAgainAndADoneOneNever) {
  RetryingOnce once;
  int runs = 0;
  EXPECT_THROW(once([&] {
    ++runs;
    throw std::bad_alloc();
  }),
               std::bad_alloc);
  EXPECT_FALSE(once.Done());
  once([&] { ++runs; });
  EXPECT_TRUE(once.Done());
  once([&] { ++runs; });
  EXPECT_EQ(runs, 2);
}

}  // namespace
}  // namespace QuorbNameSpace
