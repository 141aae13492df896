// Binding "DataType:" definitions to storage classes, and the instance's
// type table and well-known type slots.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "builtins/builtin_definitions.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "engine/table.h"
#include "types/data_type.h"
#include "types/type_registry.h"

namespace QuorbNameSpace {

bool Quorb::ConnectDataType(QuorbItem* item, const std::string& word) {
  QuorbDataType* type = NewDataTypeForWord(word);
  if (type == nullptr) return false;
  // An item bound twice gives up its first object, which values may hold.
  if (item->DataType != nullptr && item->Has(IsDataType)) RetireDataType(item->DataType);
  item->DataType = type;
  Types.DataTypes[type->Index] = type;
  return true;
}

// The slot of the instance's well-known type of `number`, or null.
static QuorbDataType** WellKnownSlot(Quorb& instance, int32_t number) {
  switch (number) {
    case TypeInt32: return &instance.Types.IntType;
    case TypeString: return &instance.Types.StringType;
    case TypeDouble: return &instance.Types.DoubleType;
    case TypeComplex: return &instance.Types.ComplexType;
    case TypePointer: return &instance.Types.PointerType;
    case TypeAny: return &instance.Types.AnyType;
    case TypeBoolean: return &instance.Types.BoolType;
    default: return nullptr;
  }
}

void Quorb::BindTypeObject(QuorbItem* item) {
  QuorbDataType* type = item->DataType;
  type->Item = item;
  type->Name = item->Name;
  if (type->Index >= 0 && type->Index < static_cast<int32_t>(Types.DataTypes.size())) Types.DataTypes[type->Index] = type;
  if (QuorbDataType** slot = WellKnownSlot(*this, type->Index)) *slot = type;
}

QuorbDataType* Quorb::DefaultType() const { return Definitions.DefaultItem != nullptr ? Definitions.DefaultItem->DataType : Types.DoubleType; }

bool Quorb::BindDataType(QuorbItem* item, const std::string& word) {
  if (!ConnectDataType(item, word)) return false;
  QuorbDataType* type = item->DataType;
  BindTypeObject(item);
  item->Callback = ConversionStep.Callback;
  item->Roles = ConversionStep.Roles;
  item->SetBit(IsDataType, true);
  item->SetBit(IsFunction, true);
  item->SetBit(IsCallable, true);
  if (type->Index == TypeBoolean) {
    // The numeric value of true, then the true and false words.
    item->SubItems.push_back(new QuorbItem(PrototypeOf(TypeInt8), "1"));
    item->SubItems.push_back(new QuorbItem(PrototypeOf(TypeString), "true"));
    item->SubItems.push_back(new QuorbItem(PrototypeOf(TypeString), "false"));
  }
  return true;
}

void Quorb::RetireDataType(QuorbDataType* type) {
  if (type == nullptr) return;
  // Retired once, freed once, however many items held it.
  if (std::find(Types.RetiredTypes.begin(), Types.RetiredTypes.end(), type) != Types.RetiredTypes.end()) return;
  bool emptied = false;
  for (QuorbDataType*& slot : Types.DataTypes) {
    if (slot != type) continue;
    slot = nullptr;
    emptied = true;
  }
  for (QuorbDataType** slot : {&Types.AnyType, &Types.IntType, &Types.BoolType, &Types.DoubleType, &Types.StringType, &Types.PointerType, &Types.ComplexType})
    if (*slot == type) *slot = nullptr;
  Types.RetiredTypes.push_back(type);
  // A binding that failed (or a type item released) must not leave its
  // number without a type: the newest type still filed takes it again.
  if (emptied && type->Index >= 0 && static_cast<size_t>(type->Index) < Types.DataTypes.size())
    RebindNumber(type->Index, type);
}

void Quorb::RebindNumber(int32_t number, const QuorbDataType* retired) {
  Table* root = RootTable();
  if (root == nullptr) return;
  for (const auto& entry : root->Symbols) {
    for (QuorbItem* item = entry.second; item != nullptr; item = item->NextOverload) {
      if (!item->Has(IsDataType) || item->DataType == nullptr || item->DataType == retired) continue;
      if (item->DataType->Index != number || item->DataType->Item != item) continue;
      BindTypeObject(item);
      return;
    }
  }
}

std::string Quorb::Case(const std::string& text) const {
  return (Definitions.Flags & PropertyBit(IsCaseSensitive)) != 0 ? text : FoldCase(text);
}

static void CollectTypes(const Table* table, std::set<QuorbDataType*>& found) {
  if (table == nullptr) return;
  for (const auto& entry : table->Symbols) {
    for (const QuorbItem* item = entry.second; item != nullptr; item = item->NextOverload) {
      if (item->Has(IsDataType) && item->DataType != nullptr) found.insert(item->DataType);
      if (item->Has(IsNamespace)) CollectTypes(item->OwnTable(), found);
    }
  }
}

std::vector<QuorbDataType*> Quorb::AllTypeObjects() const {
  std::set<QuorbDataType*> found(Types.RetiredTypes.begin(), Types.RetiredTypes.end());
  for (QuorbDataType* type : Types.DataTypes)
    if (type != nullptr) found.insert(type);
  CollectTypes(RootTable(), found);
  return std::vector<QuorbDataType*>(found.begin(), found.end());
}

static void SwapEntries(std::vector<QuorbItem*>& list, QuorbItem* a, QuorbItem* b) {
  for (QuorbItem*& entry : list) {
    if (entry == a) entry = b;
    else if (entry == b) entry = a;
  }
}

void Quorb::SwapReferences(QuorbItem* a, QuorbItem* b) {
  SwapEntries(Definitions.ErrorHandlers, a, b);
  for (QuorbDataType* type : AllTypeObjects()) SwapEntries(type->Outputs, a, b);
}

}  // namespace QuorbNameSpace
