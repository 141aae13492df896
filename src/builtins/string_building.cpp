// Building and measuring strings: Fill, Length, Append, Repeat, Compare and
// C_Str. Every built text is held to MaxBuiltTextLength.
#include <cstdint>
#include <cstring>
#include <string>

#include "builtins/callback_args.h"
#include "builtins/string_callbacks.h"
#include "builtins/string_results.h"
#include "types/builtin_types.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

void String_Fill(ExpressionPart& part) {
  RunGuarded(part, true, [&] {
    const size_t count = ArgSize(part, 0);
    std::string& result = ResultStr(part);
    result.clear();
    if (LengthFits(part, count)) result.assign(count, static_cast<char>(ArgInt8u(part, 1)));
  });
}

void String_Length(ExpressionPart& part) { ResultSize(part) = ArgStr(part, 0).size(); }

void String_Append(ExpressionPart& part) {
  RunGuarded(part, false, [&] {
    std::string& x = ArgStr(part, 0);
    const std::string& y = ArgStr(part, 1);
    if (LengthFits(part, x.size() + y.size())) x += y;
  });
}

void String_AppendCopy(ExpressionPart& part) {
  RunGuarded(part, true, [&] {
    const std::string& x = ArgStr(part, 0);
    const std::string& y = ArgStr(part, 1);
    std::string joined;
    if (LengthFits(part, x.size() + y.size())) {
      joined.reserve(x.size() + y.size());
      joined.append(x).append(y);
    }
    ResultStr(part) = std::move(joined);
  });
}

// The repeat count as the second parameter declares it: an Int for the
// String "*" operator, where a negative count means none, else a Size_t.
static size_t RepeatCount(const ExpressionPart& part) {
  const QuorbDataType* type = part.Args[1]->DataType;
  if (type != nullptr && type->Index == TypeInt32) {
    const int32_t count = ArgInt(part, 1);
    return count < 0 ? 0 : static_cast<size_t>(count);
  }
  return ArgSize(part, 1);
}

void String_Repeat(ExpressionPart& part) {
  RunGuarded(part, true, [&] {
    const std::string& x = ArgStr(part, 0);
    const size_t count = RepeatCount(part);
    std::string repeated;
    // An empty x repeats to the empty text at once, whatever the count; the
    // length is tested by division, as the product may not fit a size_t.
    if (!x.empty() && count != 0) {
      if (count <= MaxBuiltTextLength / x.size()) {
        repeated.reserve(x.size() * count);
        for (size_t i = 0; i < count; ++i) repeated += x;
      } else {
        RaiseBoundExceeded(part);
      }
    }
    ResultStr(part) = std::move(repeated);
  });
}

void String_Compare(ExpressionPart& part) {
  const int order = ArgStr(part, 0).compare(ArgStr(part, 1));
  ResultSize(part) = order < 0 ? static_cast<size_t>(-1) : order > 0 ? 1 : 0;
}

// A pointer result is stored as the Pointer type stores it: one address,
// as wide as the build's addresses.
void String_C_Str(ExpressionPart& part) {
  const uintptr_t address = reinterpret_cast<uintptr_t>(ArgStr(part, 0).c_str());
  std::memcpy(part.Result->ValuePtr, &address, sizeof address);
}

}  // namespace QuorbNameSpace
