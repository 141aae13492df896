// Bin, Oct and Hex: an Int's 32-bit pattern written in base 2, 8 or 16 by
// hand, so that no locale or stream state can change the digits.
#include <cstdint>
#include <string>

#include "builtins/callback_args.h"
#include "builtins/string_callbacks.h"
#include "builtins/string_results.h"

namespace QuorbNameSpace {

// The digits of `bits`, most significant first, `digitBits` bits a digit.
static std::string DigitsOf(uint32_t bits, unsigned digitBits) {
  static const char digits[] = "0123456789abcdef";
  const uint32_t mask = (1u << digitBits) - 1;
  char buffer[32];
  size_t first = sizeof buffer;
  do {
    buffer[--first] = digits[bits & mask];
    bits >>= digitBits;
  } while (bits != 0);
  return std::string(buffer + first, sizeof buffer - first);
}

static void WriteDigits(ExpressionPart& part, unsigned digitBits) {
  RunGuarded(part, true, [&] { ResultStr(part) = DigitsOf(static_cast<uint32_t>(ArgInt(part, 0)), digitBits); });
}

void String_Bin(ExpressionPart& part) { WriteDigits(part, 1); }
void String_Oct(ExpressionPart& part) { WriteDigits(part, 3); }
void String_Hex(ExpressionPart& part) { WriteDigits(part, 4); }

}  // namespace QuorbNameSpace
