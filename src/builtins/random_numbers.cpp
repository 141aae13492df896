// The minimal standard random-number generator behind RandomSeed and
// RandomNumber.
#include "builtins/random_numbers.h"

#include "builtins/callback_args.h"

namespace QuorbNameSpace {

static constexpr uint64_t RandomModulus = 2147483647;
static constexpr uint64_t RandomMultiplier = 16807;

uint64_t RandomEngine = 1;

// An Int sign-extended to 64 bits, its bits read as unsigned.
static inline uint64_t Widened(int32_t value) { return static_cast<uint64_t>(static_cast<int64_t>(value)); }

void RandomSeed(ExpressionPart& part) {
  const uint64_t state = Widened(ArgInt(part, 0)) % RandomModulus;
  RandomEngine = state == 0 ? 1 : state;
}

void RandomNumber(ExpressionPart& part) {
  // The state stays below 2^31, so the product stays below 2^46.
  RandomEngine = RandomEngine * RandomMultiplier % RandomModulus;
  const uint64_t divisor = Widened(ArgInt(part, 0));
  // A divisor of 0 (the default) takes no remainder: the result is y plus
  // the state, as for any divisor above the state.
  const uint64_t offset = divisor == 0 ? RandomEngine : RandomEngine % divisor;
  ResultInt(part) = AsInt32(static_cast<uint32_t>(ArgInt(part, 1)) + static_cast<uint32_t>(offset));
}

}  // namespace QuorbNameSpace
