// The evaluation loop and its variants. This is the hot path: per step one
// indirect call and one load of the successor. Everything slow (the
// floating-point test, reading the result by type) happens once, after it.
#include <cmath>
#include <complex>
#include <cstring>
#include <limits>

#include "engine/errors.h"
#include "engine/evaluation_loop.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "types/builtin_types.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

inline ExpressionPart* QuorbParsedExpr::Run() { return RunSteps(*this); }

template <typename T>
static T Load(const void* value) {
  T result;
  std::memcpy(&result, value, sizeof result);
  return result;
}

double ValueAsDouble(const QuorbDataType* type, const void* value) {
  if (type == nullptr || value == nullptr) return std::numeric_limits<double>::quiet_NaN();
  switch (type->Index) {
    case TypeBoolean: return Load<uint8_t>(value) != 0 ? 1.0 : 0.0;
    case TypeInt8: return Load<int8_t>(value);
    case TypeInt8u: return Load<uint8_t>(value);
    case TypeInt16: return Load<int16_t>(value);
    case TypeInt16u: return Load<uint16_t>(value);
    case TypeInt32: return Load<int32_t>(value);
    case TypeInt32u: return Load<uint32_t>(value);
    case TypeInt64: return static_cast<double>(Load<int64_t>(value));
    case TypeInt64u: return static_cast<double>(Load<uint64_t>(value));
    case TypeSizeT: return static_cast<double>(Load<size_t>(value));  // address-wide
    case TypeSingle: return Load<float>(value);
    case TypeDouble: return Load<double>(value);
    default: return std::numeric_limits<double>::quiet_NaN();
  }
}

// Truncates toward zero; NaN gives 0 and values beyond the range saturate,
// so no out-of-range float-to-integer conversion ever happens.
static int32_t SaturateToInt32(double d) {
  if (std::isnan(d)) return 0;
  if (d <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  if (d >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(d);
}

int32_t ValueAsInt32(const QuorbDataType* type, const void* value) {
  if (type == nullptr || value == nullptr) return 0;
  switch (type->Index) {
    case TypeBoolean: return Load<uint8_t>(value) != 0 ? 1 : 0;
    case TypeInt8: return Load<int8_t>(value);
    case TypeInt8u: return Load<uint8_t>(value);
    case TypeInt16: return Load<int16_t>(value);
    case TypeInt16u: return Load<uint16_t>(value);
    case TypeInt32: return Load<int32_t>(value);
    // Wider integers keep their low 32 bits, as a narrowing cast would.
    case TypeInt32u: return static_cast<int32_t>(Load<uint32_t>(value));
    case TypeInt64: return static_cast<int32_t>(static_cast<uint32_t>(Load<int64_t>(value)));
    case TypeInt64u: return static_cast<int32_t>(static_cast<uint32_t>(Load<uint64_t>(value)));
    case TypeSizeT: return static_cast<int32_t>(static_cast<uint32_t>(Load<size_t>(value)));
    case TypeSingle: return SaturateToInt32(Load<float>(value));
    case TypeDouble: return SaturateToInt32(Load<double>(value));
    default: return 0;
  }
}

double TestAfterBareRun(QuorbParsedExpr& expr) {
  const ExpressionPart* end = expr.Current;
  EvaluationScope running(expr.Owner);
  TestException(expr.Owner);
  return ResultAsDouble(end->Result);
}

double QuorbParsedExpr::Evaluate() { return EvaluateToDouble(*this); }

double QuorbParsedExpr::EvaluateNTE() { return EvaluateUntested(*this); }

int32_t QuorbParsedExpr::EvaluateInt() {
  const ExpressionPart* end = Run();
  TestFlagsAfterRun(Owner);
  const QuorbItem* result = end->Result;
  return result != nullptr ? ValueAsInt32(result->DataType, result->ValuePtr) : 0;
}

void* QuorbParsedExpr::EvaluateVoid() {
  ExpressionPart* part = First;
  while (part->Next != nullptr) {
    part->Callback(*part);
    part = part->Next;
  }
  return part->Result != nullptr ? part->Result->ValuePtr : nullptr;
}

void QuorbParsedExpr::Execute() { Run(); }

std::string QuorbParsedExpr::EvaluateStr() {
  const ExpressionPart* end = Run();
  TestFlagsAfterRun(Owner);
  const QuorbItem* result = end->Result;
  if (Owner == nullptr) return std::string();
  int32_t number = Owner->Error.Number;
  if (end->Callback == &ReturnError) {
    int32_t parseError = result != nullptr ? ValueAsInt32(result->DataType, result->ValuePtr) : 0;
    if (parseError != 0) number = parseError;
  } else if (number == 0) {
    if (result == nullptr || result->DataType == nullptr || result->ValuePtr == nullptr) return std::string();
    return result->DataType->ToStringFormatted(result->ValuePtr);
  }
  return Owner->Error.MessageOf(number);
}

}  // namespace QuorbNameSpace
