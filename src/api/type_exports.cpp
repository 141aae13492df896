// Exports: one per data-type operation. Values and arrays the host gets
// from the Alloc exports are recorded, so that the release and array
// exports act only on what they made (value_registry.h).
#include "api/boundary.h"
#include "api/value_registry.h"
#include "types/counted_array.h"

using namespace QuorbApi;
using QuorbNameSpace::QuorbDataType;

namespace {

Quorb* OwnerOf(QuorbDataType* type) { return type != nullptr && type->Item != nullptr ? type->Item->Owner : nullptr; }

// Runs `body` on a type; a null type or an exception gives `neutral`.
template <typename Result, typename Body>
Result WithType(QuorbType* handle, Result neutral, Body body) {
  QuorbDataType* type = Engine(handle);
  if (type == nullptr) return neutral;
  return Guarded<Result>(OwnerOf(type), ErrTypeMismatch, neutral, [&] { return body(type); });
}

template <typename Body>
void WithTypeVoid(QuorbType* handle, Body body) {
  WithType<int>(handle, 0, [&](QuorbDataType* type) {
    body(type);
    return 0;
  });
}

void Refuse(QuorbDataType* type, int32_t error = ErrNotModifiable) {
  if (Quorb* owner = OwnerOf(type)) owner->SetErrorIfNone(error);
}

// Refuses (true) when one of the scalars was made by a type of another
// class (error 13): a String object written as a Double would be
// corrupted; or when the type's values are text objects and the pointer
// is not one the exports made (error 7): a C string read as one would be
// dereferenced as whatever lies there.
bool RefusedScalars(QuorbDataType* type, std::initializer_list<const void*> values) {
  for (const void* value : values) {
    if (IsForeignValue(type, value)) {
      Refuse(type);
      return true;
    }
    if (IsUnknownObjectValue(type, value)) {
      Refuse(type, ErrTypeMismatch);
      return true;
    }
  }
  return false;
}

}  // namespace

extern "C" {

QUORB_API size_t ByteSize(QuorbType* type) {
  return WithType<size_t>(type, 0, [](QuorbDataType* t) { return t->SizeOf(); });
}

QUORB_API void* AllocArray(QuorbType* type, int32_t n) {
  if (n < 0) return nullptr;
  return WithType<void*>(type, nullptr, [&](QuorbDataType* t) {
    return RecordHostValue(t, t->AllocArrayValue(static_cast<size_t>(n)), HostAllocation::Array);
  });
}

QUORB_API void* AllocScalar(QuorbType* type, const char* text) {
  return WithType<void*>(type, nullptr, [&](QuorbDataType* t) {
    return RecordHostValue(t, t->AllocScalarValue(TextIn(text)), HostAllocation::Scalar);
  });
}

QUORB_API void* AllocByPtr(QuorbType* type, const void* value) {
  if (value == nullptr) return nullptr;
  return WithType<void*>(type, nullptr, [&](QuorbDataType* t) -> void* {
    if (RefusedScalars(t, {value})) return nullptr;
    return RecordHostValue(t, t->AllocScalarValue(value), HostAllocation::Scalar);
  });
}

QUORB_API void ReleaseScalar(QuorbType* type, void* value) {
  if (value == nullptr) return;
  WithTypeVoid(type, [&](QuorbDataType* t) {
    if (ForgetHostValue(t, value, HostAllocation::Scalar)) t->DeleteScalar(value);
    else Refuse(t);
  });
}

QUORB_API void ReleaseArray(QuorbType* type, void* array) {
  if (array == nullptr) return;
  WithTypeVoid(type, [&](QuorbDataType* t) {
    if (ForgetHostValue(t, array, HostAllocation::Array)) t->DeleteArray(array);
    else Refuse(t);
  });
}

QUORB_API void SetScalar(QuorbType* type, void* destination, const void* source) {
  if (destination == nullptr || source == nullptr) return;
  WithTypeVoid(type, [&](QuorbDataType* t) {
    if (!RefusedScalars(t, {destination, source})) t->SetValue(destination, source);
  });
}

QUORB_API void SetArray(QuorbType* type, void* array, const void* source, int32_t index) {
  if (array == nullptr || source == nullptr || index < 0) return;
  WithTypeVoid(type, [&](QuorbDataType* t) {
    // An array the exports made knows its length; a scalar they made is no
    // array; the host's own arrays are the host's to size, except arrays of
    // text objects, which only the exports make.
    const bool ours = IsHostValue(t, array, HostAllocation::Array);
    if (!ours && IsUnknownObjectValue(t, array)) {
      Refuse(t, ErrTypeMismatch);
      return;
    }
    if ((ours && static_cast<size_t>(index) >= QuorbNameSpace::CountedArrayLength(array)) ||
        IsHostValue(t, array, HostAllocation::Scalar) || RefusedScalars(t, {array, source})) {
      Refuse(t);
      return;
    }
    t->SetValue(array, source, static_cast<size_t>(index));
  });
}

QUORB_API void SwapScalarValues(QuorbType* type, void* a, void* b) {
  if (a == nullptr || b == nullptr) return;
  WithTypeVoid(type, [&](QuorbDataType* t) {
    if (!RefusedScalars(t, {a, b})) t->Swap(a, b);
  });
}

QUORB_API void ResetScalar(QuorbType* type, void* value) {
  if (value == nullptr) return;
  WithTypeVoid(type, [&](QuorbDataType* t) {
    if (!RefusedScalars(t, {value})) t->Reset(value);
  });
}

QUORB_API void ResetArray(QuorbType* type, void* array) {
  if (array == nullptr) return;
  WithTypeVoid(type, [&](QuorbDataType* t) {
    // Resetting reads the length kept in front of the elements: only an
    // array made by AllocArray has one.
    if (IsHostValue(t, array, HostAllocation::Array)) t->ResetArray(array);
    else Refuse(t);
  });
}

QUORB_API const char* ToString_Overload_DataType__ByPtr(QuorbType* type, const void* value) {
  static std::string text;
  if (value == nullptr) return TextOut(text, std::string());
  return WithType<const char*>(type, "", [&](QuorbDataType* t) {
    if (RefusedScalars(t, {value})) return TextOut(text, std::string());
    return TextOut(text, t->ToStringFormatted(value));
  });
}

QUORB_API const char* ToString_Overload_DataType__ByStr(QuorbType* type, const char* text) {
  static std::string result;
  return WithType<const char*>(type, "", [&](QuorbDataType* t) {
    void* value = t->AllocScalarValue(TextIn(text));
    if (value == nullptr) return TextOut(result, std::string());
    std::string formatted;
    try {
      formatted = t->ToStringFormatted(static_cast<const void*>(value));
    } catch (...) {
      t->DeleteScalar(value);
      throw;
    }
    t->DeleteScalar(value);
    return TextOut(result, std::move(formatted));
  });
}

QUORB_API int32_t Index(QuorbType* type) { return type != nullptr ? Engine(type)->Index : 0; }
QUORB_API QuorbItem* GetItem(QuorbType* type) { return type != nullptr ? Handle(Engine(type)->Item) : nullptr; }

QUORB_API const char* Name_Overload_DataType(QuorbType* type) {
  static std::string text;
  return WithType<const char*>(type, "", [&](QuorbDataType* t) { return TextOut(text, t->Name); });
}

QUORB_API QuorbType* Handle_Overload_DataType(QuorbType* type) { return type; }

}  // extern "C"
