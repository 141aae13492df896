// The random-number built-ins and their process-wide state: the minimal
// standard linear congruential generator (multiplier 16807, modulus
// 2147483647, increment 0).
#ifndef QUORB_BUILTINS_RANDOM_NUMBERS_H
#define QUORB_BUILTINS_RANDOM_NUMBERS_H

#include <cstdint>

namespace QuorbNameSpace {

class ExpressionPart;

// The generator's state, always in 1 .. 2147483646. It is 1 when the
// library is loaded, shared by every instance, changed only by the two
// callbacks below, and unguarded: concurrent calls are not supported.
extern uint64_t RandomEngine;

// RandomSeed(x As Int): the Int sign-extended and taken as an unsigned
// 64-bit number, modulo 2147483647; a seed of 0 becomes 1 (so 0 and
// 2147483647 both seed with 1). No result.
void RandomSeed(ExpressionPart& part);

// RandomNumber(x As Int = 0, y As Int = 1000) As Int: advances the state,
// then gives y + (state mod d), where d is x sign-extended and taken as an
// unsigned 64-bit number, the sum wrapping modulo 2^32. So x = 6, y = 1
// gives 1 to 6, and a negative x gives y + state. With x = 0 (the default)
// there is no modulus: the result is y + state.
void RandomNumber(ExpressionPart& part);

}  // namespace QuorbNameSpace

#endif
