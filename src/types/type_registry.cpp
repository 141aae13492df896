// Type prototypes and the class words.
#include "types/type_registry.h"

#include "types/value_classes.h"

namespace QuorbNameSpace {

std::array<QuorbDataType*, BuiltInTypeCount> BuiltInTypes{};

namespace {

struct ClassWord {
  const char* word;
  int32_t number;
  QuorbDataType* (*make)();
};

template <typename Class>
QuorbDataType* Make() {
  return new Class();
}

// In the order the registry fills its slots.
const ClassWord ClassWords[] = {
    {"type_boolean", TypeBoolean, &Make<dt_Boolean>},
    {"type_complex", TypeComplex, &Make<dt_Complex>},
    {"type_integer_8", TypeInt8, &Make<dt_Integer_8>},
    {"type_integer_8u", TypeInt8u, &Make<dt_Integer_8u>},
    {"type_integer_16", TypeInt16, &Make<dt_Integer_16>},
    {"type_integer_16u", TypeInt16u, &Make<dt_Integer_16u>},
    {"type_integer_32", TypeInt32, &Make<dt_Integer_32>},
    {"type_integer_32u", TypeInt32u, &Make<dt_Integer_32u>},
    {"type_integer_64", TypeInt64, &Make<dt_Integer_64>},
    {"type_integer_64u", TypeInt64u, &Make<dt_Integer_64u>},
    {"type_float_single", TypeSingle, &Make<dt_Float_Single>},
    {"type_float_double", TypeDouble, &Make<dt_Float_Double>},
    {"type_size_t", TypeSizeT, &Make<dt_Size_t>},
    {"type_string", TypeString, &Make<dt_String>},
    {"type_any", TypeAny, &Make<dt_Pointer>},
    {"type_pointer", TypePointer, &Make<dt_Pointer>},
    {"type_omni", TypeOmni, &Make<dt_Omni>},
    {"type_void", TypeVoid, &Make<dt_Void>},
};

}  // namespace

void SetBuiltInType(QuorbDataType* type, int32_t number) {
  if (number < 0 || number >= BuiltInTypeCount) return;
  BuiltInTypes[number] = type;
  type->Index = number;
}

void SetBuiltInTypes() {
  for (const ClassWord& entry : ClassWords) SetBuiltInType(entry.make(), entry.number);
}

QuorbDataType* NewDataTypeForWord(const std::string& word) {
  for (const ClassWord& entry : ClassWords) {
    if (word == entry.word) {
      QuorbDataType* type = entry.make();
      type->Index = entry.number;
      return type;
    }
  }
  return nullptr;
}

QuorbDataType* NewDataTypeOfNumber(int32_t number) {
  for (const ClassWord& entry : ClassWords) {
    if (entry.number == number) {
      QuorbDataType* type = entry.make();
      type->Index = entry.number;
      return type;
    }
  }
  return nullptr;
}

QuorbDataType* PrototypeOf(int32_t number) {
  if (number < 0 || number >= BuiltInTypeCount) return nullptr;
  return BuiltInTypes[number];
}

}  // namespace QuorbNameSpace
