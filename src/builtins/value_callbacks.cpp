// Swap, Reset, Min, Max, Sgn and BaseConvert.
#include "builtins/value_callbacks.h"

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "builtins/callback_args.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

// Whether the first `count` arguments are variables with storage of the
// type whose number the argument after them holds; error 7 when not.
static bool SameTypedStorage(ExpressionPart& part, size_t count) {
  if (part.Args.size() > count) {
    const int32_t index = ArgInt(part, count);
    bool fits = true;
    for (size_t k = 0; k < count; ++k) {
      const QuorbItem* item = part.Args[k];
      fits = fits && item->ValuePtr != nullptr && item->DataType != nullptr && item->DataType->Index == index &&
             item->DataType == part.Args[0]->DataType;
    }
    if (fits) return true;
  }
  if (Quorb* instance = OwnerOf(part)) instance->ErrorRaise(&part, ErrTypeMismatch);
  return false;
}

void Swap(ExpressionPart& part) {
  if (!SameTypedStorage(part, 2)) return;
  if (part.Args[0]->ValuePtr != part.Args[1]->ValuePtr)
    part.Args[0]->DataType->Swap(part.Args[0]->ValuePtr, part.Args[1]->ValuePtr);
}

void Reset(ExpressionPart& part) {
  if (!SameTypedStorage(part, 1)) return;
  part.Args[0]->DataType->Reset(part.Args[0]->ValuePtr);
}

// Folds `pick` over every argument's Double, from the first on.
template <typename Pick>
static void FoldDoubles(ExpressionPart& part, Pick pick) {
  double m = std::numeric_limits<double>::quiet_NaN();
  for (size_t k = 0; k < part.Args.size(); ++k) m = k == 0 ? ArgDouble(part, 0) : pick(m, ArgDouble(part, k));
  ResultDouble(part) = m;
}

void qr_Min(ExpressionPart& part) {
  FoldDoubles(part, [](double a, double b) { return std::fmin(a, b); });
}
void qr_Max(ExpressionPart& part) {
  FoldDoubles(part, [](double a, double b) { return std::fmax(a, b); });
}

// The argument that `replaces` prefers, a later one only when strictly
// preferred, so that among equal texts the first stays.
template <typename Replaces>
static void FoldStrings(ExpressionPart& part, Replaces replaces) {
  if (part.Args.empty()) {
    ResultStr(part).clear();
    return;
  }
  const std::string* best = &ArgStr(part, 0);
  for (size_t k = 1; k < part.Args.size(); ++k)
    if (replaces(ArgStr(part, k), *best)) best = &ArgStr(part, k);
  ResultStr(part) = *best;
}

// Byte order: the bytes compare as unsigned values, as std::string does.
void qr_MinStr(ExpressionPart& part) {
  FoldStrings(part, [](const std::string& a, const std::string& b) { return a.compare(b) < 0; });
}
void qr_MaxStr(ExpressionPart& part) {
  FoldStrings(part, [](const std::string& a, const std::string& b) { return a.compare(b) > 0; });
}

void qr_Sgn(ExpressionPart& part) {
  const double x = ArgDouble(part, 0);
  ResultDouble(part) = x == 0 ? 0.0 : (x > 0 ? 1.0 : -1.0);
}

// The value of one character as a digit: "0" to "9", then letters from
// 10 ("A" or "a") on; other characters get what their code gives, below
// 0 or among the letters, and are flagged by the caller.
static int DigitValue(unsigned char c, bool& valid) {
  if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
  const int value = c < 'A' ? c - '0' : c - 'A' + 10;
  valid = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
  return value;
}

void BaseConvert(ExpressionPart& part) {
  const std::string& text = ArgStr(part, 0);
  const int32_t base = ArgInt(part, 1);
  if (base < 2 || base > 36) {
    std::feraiseexcept(FE_INVALID);
    ResultDouble(part) = std::numeric_limits<double>::quiet_NaN();
    return;
  }
  double value = 0;
  double fractionScale = 1;  // Base to the number of digits after the dot
  bool afterDot = false;
  bool invalid = false;
  for (unsigned char c : text) {
    if (c == '.' && !afterDot) {
      afterDot = true;
      continue;
    }
    bool valid;
    const int digit = DigitValue(c, valid);
    if (!valid || digit < 0 || digit >= base) invalid = true;
    value = value * base + digit;
    if (afterDot) fractionScale *= base;
  }
  if (invalid) std::feraiseexcept(FE_INVALID);
  ResultDouble(part) = value / fractionScale;
}

}  // namespace QuorbNameSpace
