// Helpers every export uses at the C boundary: handles to engine objects,
// texts in and out, and the guard that keeps any C++ exception inside.
#ifndef QUORB_API_BOUNDARY_H
#define QUORB_API_BOUNDARY_H

#include <cstring>
#include <new>
#include <string>

#include "engine/errors.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "quorb.h"
#include "scanner/string_location.h"
#include "types/data_type.h"

namespace QuorbApi {

using QuorbNameSpace::Quorb;

inline Quorb* Engine(QuorbInstance* handle) { return reinterpret_cast<Quorb*>(handle); }
inline QuorbInstance* Handle(Quorb* instance) { return reinterpret_cast<QuorbInstance*>(instance); }
inline QuorbNameSpace::QuorbItem* Engine(QuorbItem* handle) { return reinterpret_cast<QuorbNameSpace::QuorbItem*>(handle); }
inline QuorbItem* Handle(QuorbNameSpace::QuorbItem* item) { return reinterpret_cast<QuorbItem*>(item); }
inline QuorbNameSpace::QuorbParsedExpr* Engine(QuorbExpression* handle) {
  return reinterpret_cast<QuorbNameSpace::QuorbParsedExpr*>(handle);
}
inline QuorbExpression* Handle(QuorbNameSpace::QuorbParsedExpr* expr) { return reinterpret_cast<QuorbExpression*>(expr); }
inline QuorbNameSpace::QuorbDataType* Engine(QuorbType* handle) {
  return reinterpret_cast<QuorbNameSpace::QuorbDataType*>(handle);
}
inline QuorbType* Handle(QuorbNameSpace::QuorbDataType* type) { return reinterpret_cast<QuorbType*>(type); }
inline QuorbTransform* Handle(QuorbNameSpace::StringLocation* transform) {
  return reinterpret_cast<QuorbTransform*>(transform);
}

// A text in: null is the empty text.
inline std::string TextIn(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

// The text an export handed out last, with its full length: a Java string
// made from an export's result must keep the bytes past an embedded NUL,
// which the C pointer alone cannot show.
struct HandedOutText {
  const char* data = nullptr;
  size_t size = 0;
};
inline HandedOutText LastTextOut;

// A text out: kept in the export's own text until its next call.
inline const char* TextOut(std::string& slot, std::string value) {
  slot = std::move(value);
  LastTextOut = {slot.c_str(), slot.size()};
  return slot.c_str();
}

// The length of `text`, an export's result: its full length when it is the
// text an export handed out last, else its C length.
inline size_t TextOutLength(const char* text) {
  return text == LastTextOut.data ? LastTextOut.size : std::strlen(text);
}

// Runs `body`; an exception becomes `error` on the instance (unless one is
// pending) and `neutral` as the result. Memory running out is error 18, a
// limit reached, whatever the export.
template <typename Result, typename Body>
Result Guarded(Quorb* instance, int32_t error, Result neutral, Body body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    if (instance != nullptr) instance->SetErrorIfNone(ErrOutOfMemory);
  } catch (...) {
    if (instance != nullptr) instance->SetErrorIfNone(error);
  }
  return neutral;
}

template <typename Body>
void GuardedVoid(Quorb* instance, int32_t error, Body body) noexcept {
  Guarded<int>(instance, error, 0, [&] {
    body();
    return 0;
  });
}

}  // namespace QuorbApi

#endif
