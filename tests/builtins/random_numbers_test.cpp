// The process-wide minimal standard generator: seeding, the published
// check value of its sequence, the range of RandomNumber and its
// zero and negative moduli.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>

#include "builtin_call.h"
#include "builtins/random_numbers.h"

namespace QuorbNameSpace {
namespace {

using RandomNumbersTest = BuiltinCall;

TEST_F(RandomNumbersTest, SeedsReduceModuloTheModulusAndZeroBecomesOne) {
  Run(&RandomSeed, {I(0)}, nullptr);
  EXPECT_EQ(RandomEngine, 1u);
  Run(&RandomSeed, {I(2147483647)}, nullptr);
  EXPECT_EQ(RandomEngine, 1u);
  Run(&RandomSeed, {I(42)}, nullptr);
  EXPECT_EQ(RandomEngine, 42u);
  // -1 widens to 2^64 - 1; as 2^31 is 1 modulo 2^31 - 1, 2^64 is 4.
  Run(&RandomSeed, {I(-1)}, nullptr);
  EXPECT_EQ(RandomEngine, 3u);
}

TEST_F(RandomNumbersTest, AfterASeedOfOneTheFirstNumberComesFrom16807) {
  for (int32_t seed : {0, 2147483647}) {
    Run(&RandomSeed, {I(seed)}, nullptr);
    EXPECT_EQ(RunInt(&RandomNumber, {I(10), I(0)}), 7) << "16807 mod 10";
    EXPECT_EQ(RandomEngine, 16807u);
  }
}

TEST_F(RandomNumbersTest, SequenceReachesThePublishedCheckValue) {
  // From state 1, the 10000th state of the minimal standard generator.
  Run(&RandomSeed, {I(1)}, nullptr);
  QuorbItem* modulus = I(0);
  QuorbItem* offset = I(0);
  QuorbItem* result = I(0);
  for (int i = 0; i < 10000; ++i) RunInto(&RandomNumber, {modulus, offset}, result);
  EXPECT_EQ(RandomEngine, 1043618065u);
  EXPECT_EQ(Read<int32_t>(result), 1043618065);
}

TEST_F(RandomNumbersTest, DiceStayInRangeAndShowEveryFace) {
  Run(&RandomSeed, {I(2024)}, nullptr);
  std::set<int32_t> faces;
  QuorbItem* six = I(6);
  QuorbItem* one = I(1);
  QuorbItem* result = I(0);
  for (int i = 0; i < 600; ++i) {
    RunInto(&RandomNumber, {six, one}, result);
    const int32_t face = Read<int32_t>(result);
    ASSERT_GE(face, 1);
    ASSERT_LE(face, 6);
    faces.insert(face);
  }
  EXPECT_EQ(faces.size(), 6u);
}

TEST_F(RandomNumbersTest, ZeroAndNegativeModuliAddTheWholeState) {
  Run(&RandomSeed, {I(1)}, nullptr);
  EXPECT_EQ(RunInt(&RandomNumber, {I(0), I(1000)}), 1000 + 16807) << "the declared defaults";
  EXPECT_EQ(RunInt(&RandomNumber, {I(-5), I(0)}), 282475249) << "16807 squared, below any widened negative";
  // The sum wraps modulo 2^32.
  const uint64_t next = RandomEngine * 16807 % 2147483647;
  const uint32_t sum = static_cast<uint32_t>(INT32_MAX) + static_cast<uint32_t>(next);
  EXPECT_EQ(static_cast<uint32_t>(RunInt(&RandomNumber, {I(0), I(INT32_MAX)})), sum);
}

}  // namespace
}  // namespace QuorbNameSpace
