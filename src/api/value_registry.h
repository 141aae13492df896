// The values and arrays the data-type exports handed to the host. Only
// these are freed on the host's request, and only through a type of the
// class that made them: host memory, a library-owned value or a value
// released twice is never freed. Process-wide, as the exports' result
// texts are; one thread at a time.
#ifndef QUORB_API_VALUE_REGISTRY_H
#define QUORB_API_VALUE_REGISTRY_H

#include <cstddef>

namespace QuorbNameSpace {
class QuorbDataType;
}

namespace QuorbApi {

enum class HostAllocation { Scalar, Array };

// Records a value made by `type` (null is ignored) and returns it.
void* RecordHostValue(QuorbNameSpace::QuorbDataType* type, void* value, HostAllocation kind);

// Whether `value` was handed out as `kind` by a type of the same class.
bool IsHostValue(const QuorbNameSpace::QuorbDataType* type, const void* value, HostAllocation kind);

// Forgets `value`; true when it was recorded as `kind` for that class (the
// caller then frees it).
bool ForgetHostValue(const QuorbNameSpace::QuorbDataType* type, const void* value, HostAllocation kind);

// Whether `value` was handed out by a type of another class: using it as
// one of `type`'s values would misread it.
bool IsForeignValue(const QuorbNameSpace::QuorbDataType* type, const void* value);

// Whether `type`'s values are library objects (a String or OmniType text
// object) that only a value the exports made can stand for: a scalar
// handed out for the type's class, or an element of such an array.
// Reading any other pointer as one would dereference whatever lies there.
bool IsUnknownObjectValue(const QuorbNameSpace::QuorbDataType* type, const void* value);

// Whether any value made by exactly this type object is still out.
bool HostValuesOf(const QuorbNameSpace::QuorbDataType* type);

}  // namespace QuorbApi

#endif
