// Host allocations by address (value_registry.h).
#include "api/value_registry.h"

#include <cstdint>
#include <map>
#include <string>
#include <typeinfo>

#include "types/counted_array.h"
#include "types/value_classes.h"

namespace QuorbApi {

namespace {

struct Allocation {
  const void* maker;           // the type object that made it; compared only
  const std::type_info* kind;  // its class: the maker may be gone by now
  HostAllocation shape;
};

// Never destroyed: a host may release values while the process exits.
std::map<const void*, Allocation>& Allocations() {
  static auto* allocations = new std::map<const void*, Allocation>();
  return *allocations;
}

// Two type objects free each other's values when they are of one class.
bool Matches(const Allocation& allocation, const QuorbNameSpace::QuorbDataType* type, HostAllocation shape) {
  return type != nullptr && allocation.shape == shape && *allocation.kind == typeid(*type);
}

}  // namespace

void* RecordHostValue(QuorbNameSpace::QuorbDataType* type, void* value, HostAllocation kind) {
  if (value != nullptr && type != nullptr) Allocations()[value] = Allocation{type, &typeid(*type), kind};
  return value;
}

bool IsHostValue(const QuorbNameSpace::QuorbDataType* type, const void* value, HostAllocation kind) {
  auto found = Allocations().find(value);
  return found != Allocations().end() && Matches(found->second, type, kind);
}

bool IsForeignValue(const QuorbNameSpace::QuorbDataType* type, const void* value) {
  auto found = Allocations().find(value);
  return found != Allocations().end() && !Matches(found->second, type, found->second.shape);
}

bool IsUnknownObjectValue(const QuorbNameSpace::QuorbDataType* type, const void* value) {
  if (dynamic_cast<const QuorbNameSpace::dt_String*>(type) == nullptr) return false;
  auto& allocations = Allocations();
  // The recorded value at or below the address: the scalar itself, or the
  // array the address may be an element of.
  auto found = allocations.upper_bound(value);
  if (found == allocations.begin()) return true;
  --found;
  const Allocation& allocation = found->second;
  if (*allocation.kind != typeid(*type)) return true;
  if (allocation.shape == HostAllocation::Scalar) return found->first != value;
  const uintptr_t offset = reinterpret_cast<uintptr_t>(value) - reinterpret_cast<uintptr_t>(found->first);
  const size_t size = sizeof(std::string);
  return offset % size != 0 || offset / size >= QuorbNameSpace::CountedArrayLength(found->first);
}

bool ForgetHostValue(const QuorbNameSpace::QuorbDataType* type, const void* value, HostAllocation kind) {
  if (!IsHostValue(type, value, kind)) return false;
  Allocations().erase(value);
  return true;
}

bool HostValuesOf(const QuorbNameSpace::QuorbDataType* type) {
  for (const auto& entry : Allocations())
    if (entry.second.maker == type) return true;
  return false;
}

}  // namespace QuorbApi
