// String and Double comparisons and the logical not.
#include "builtins/comparisons.h"

#include <cmath>
#include <string>

#include "builtins/callback_args.h"

namespace QuorbNameSpace {

// std::string compares through char_traits<char>, which orders bytes as
// unsigned char whatever the signedness of char.
static inline int CompareStrings(const ExpressionPart& part) { return ArgStr(part, 0).compare(ArgStr(part, 1)); }

void Equal_Str(ExpressionPart& part) { SetResultBool(part, ArgStr(part, 0) == ArgStr(part, 1)); }
void NotEqual_Str(ExpressionPart& part) { SetResultBool(part, ArgStr(part, 0) != ArgStr(part, 1)); }
void LessThan_Str(ExpressionPart& part) { SetResultBool(part, CompareStrings(part) < 0); }
void GreaterThan_Str(ExpressionPart& part) { SetResultBool(part, CompareStrings(part) > 0); }
void LessThanOrEqual_Str(ExpressionPart& part) { SetResultBool(part, CompareStrings(part) <= 0); }
void GreaterThanOrEqual_Str(ExpressionPart& part) { SetResultBool(part, CompareStrings(part) >= 0); }

void Equal(ExpressionPart& part) { SetResultBool(part, ArgDouble(part, 0) == ArgDouble(part, 1)); }
void NotEqual(ExpressionPart& part) { SetResultBool(part, ArgDouble(part, 0) != ArgDouble(part, 1)); }
void LessThan(ExpressionPart& part) { SetResultBool(part, std::isless(ArgDouble(part, 0), ArgDouble(part, 1))); }
void GreaterThan(ExpressionPart& part) {
  SetResultBool(part, std::isgreater(ArgDouble(part, 0), ArgDouble(part, 1)));
}
void LessThanOrEqual(ExpressionPart& part) {
  SetResultBool(part, std::islessequal(ArgDouble(part, 0), ArgDouble(part, 1)));
}
void GreaterThanOrEqual(ExpressionPart& part) {
  SetResultBool(part, std::isgreaterequal(ArgDouble(part, 0), ArgDouble(part, 1)));
}

void Boolean_Not(ExpressionPart& part) { SetResultBool(part, ArgDouble(part, 0) == 0.0); }

}  // namespace QuorbNameSpace
