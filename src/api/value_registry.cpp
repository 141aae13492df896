// Host allocations by address (value_registry.h).
#include "api/value_registry.h"

#include <map>
#include <typeinfo>

#include "types/data_type.h"

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
