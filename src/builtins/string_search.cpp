// The six searches of argument 1 in argument 0 from the start in argument
// 2. They never fail: the standard string searches already give npos for a
// forward start past the end and search the whole string for a backward
// one.
#include <string>

#include "builtins/callback_args.h"
#include "builtins/string_callbacks.h"

namespace QuorbNameSpace {

static const std::string& Text(const ExpressionPart& part) { return ArgStr(part, 0); }
static const std::string& Sought(const ExpressionPart& part) { return ArgStr(part, 1); }
static size_t Start(const ExpressionPart& part) { return ArgSize(part, 2); }

void String_Find(ExpressionPart& part) { ResultSize(part) = Text(part).find(Sought(part), Start(part)); }
void String_RFind(ExpressionPart& part) { ResultSize(part) = Text(part).rfind(Sought(part), Start(part)); }
void String_Find_First_Of(ExpressionPart& part) {
  ResultSize(part) = Text(part).find_first_of(Sought(part), Start(part));
}
void String_Find_Last_Of(ExpressionPart& part) {
  ResultSize(part) = Text(part).find_last_of(Sought(part), Start(part));
}
void String_Find_First_Not_Of(ExpressionPart& part) {
  ResultSize(part) = Text(part).find_first_not_of(Sought(part), Start(part));
}
void String_Find_Last_Not_Of(ExpressionPart& part) {
  ResultSize(part) = Text(part).find_last_not_of(Sought(part), Start(part));
}

}  // namespace QuorbNameSpace
