// Exports: a callback reads its arguments. Argument n counts from 1; a
// number outside the arguments reads 0, null or "".
#include "api/callback_context.h"
#include "api/typed_value.h"

using namespace QuorbApi;

namespace {

template <typename T>
T ReadArgument(QuorbPart* part, int32_t n) {
  Quorb* instance = OwnerOf(part);
  return Guarded<T>(instance, ErrTypeMismatch, T{}, [&] { return ReadAs<T>(ArgumentItem(part, n), instance); });
}

}  // namespace

extern "C" {

QUORB_API double Arg(QuorbPart* part, int32_t n) { return ReadArgument<double>(part, n); }
QUORB_API int32_t ArgInt32(QuorbPart* part, int32_t n) { return ReadArgument<int32_t>(part, n); }
QUORB_API int64_t ArgInt64(QuorbPart* part, int32_t n) { return ReadArgument<int64_t>(part, n); }
QUORB_API void* ArgPtr(QuorbPart* part, int32_t n) { return ReadArgument<void*>(part, n); }

QUORB_API void* ArgAddr(QuorbPart* part, int32_t n) {
  QuorbNameSpace::QuorbItem* item = ArgumentItem(part, n);
  return item != nullptr ? item->ValuePtr : nullptr;
}

QUORB_API QuorbItem* ArgObj(QuorbPart* part, int32_t n) { return Handle(ArgumentItem(part, n)); }

QUORB_API QuorbExpression* ArgExpr(QuorbPart* part, int32_t n) {
  QuorbNameSpace::QuorbItem* item = ArgumentItem(part, n);
  return item != nullptr ? Handle(item->ParsedExpr) : nullptr;
}

QUORB_API const char* ArgStr(QuorbPart* part, int32_t n) {
  static std::string text;
  Quorb* instance = OwnerOf(part);
  return Guarded<const char*>(instance, ErrTypeMismatch, "",
                              [&] { return TextOut(text, ReadText(ArgumentItem(part, n), instance)); });
}

QUORB_API int64_t ArgCount(QuorbPart* part) {
  return part != nullptr ? static_cast<int64_t>(Engine(part)->Args.size()) : 0;
}

}  // extern "C"
