// Declarations of parameters and variables, their values, and the "variable"
// clause: [passing] name [array] [As type] [Ptr] [= value | = {values}] [...]
#include <algorithm>

#include "builtins/core_callbacks.h"
#include "engine/definition_state.h"
#include "engine/parsed_expr.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "scanner/token_definitions.h"
#include "types/convert.h"
#include "types/builtin_types.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

// Values read for an array declaration, gathered until its size is known.
struct ArrayValues {
  QuorbItem* target = nullptr;
  std::vector<void*> values;  // copies made with the target's data type
};

namespace {

bool TokenIs(StringLocation& scanner, const char* text) { return scanner.IsEqual(scanner.TokenText(), text); }

// Moves the scanner back so the current token is read again.
void Unread(StringLocation& scanner) { scanner.Pos = scanner.TokenStart; }

// Reads the array brackets after a name; SIZE is -1 when absent.
bool ReadArrayBrackets(Quorb& instance, QuorbItem* target, StringLocation& scanner, int64_t& size) {
  target->SetBit(IsArray, true);
  size = -1;
  scanner.NextToken(DefaultToken, 1);
  if (scanner.CurrentToken->TokenKind != TokenCodeBlockMatch) {
    if (!ReadInt(scanner.TokenText(), size) || size < 0) {
      instance.SetErrorIfNone(ErrInvalidDefinition);
      return false;
    }
    scanner.NextToken(DefaultToken, 1);
  }
  scanner.NextToken(DefaultToken, 1);
  return true;
}

// Gives the array its storage and values, and makes it reachable through
// a cell, as every array is.
void SettleArray(Quorb& instance, QuorbItem* target, int64_t size, ArrayValues& collected) {
  QuorbDataType* elementType = target->Has(IsPointer) ? instance.PointerType : target->DataType;
  const uint64_t count = size >= 0 ? static_cast<uint64_t>(size) : collected.values.size();
  void* array = target->ValuePtr;
  if (array == nullptr && elementType != nullptr) {
    array = elementType->AllocArrayValue(count);
    if (array == nullptr) {
      instance.SetErrorIfNone(ErrInvalidDefinition);
    } else {
      target->SetBit(IsOwner, true);
    }
  } else {
    target->SetBit(IsOwner, false);  // the host's array
  }
  for (uint64_t i = 0; i < collected.values.size(); ++i) {
    if (array != nullptr && i < count) target->DataType->SetValue(array, collected.values[i], i);
    target->DataType->DeleteScalar(collected.values[i]);
  }
  collected.values.clear();
  target->ElementCount = count;
  target->ValuePtr = new void*(array);
  target->OwnsArrayCell = true;
  target->SetBit(IsPointer, true);
}

// A pointer or array name reads its elements through ValueAt.
void MakeDereferencing(Quorb& instance, QuorbItem* target) {
  for (QuorbDataType* type : {target->DataType, instance.PointerType, instance.IntType}) {
    auto* sub = new QuorbItem();
    sub->DataType = type;
    target->SubItems.push_back(sub);
  }
  target->SetBit(IsFunction, true);
  target->SetBit(IsCallable, true);
  target->Callback = &ValueAt;
  target->DataType = instance.PointerType;
}

}  // namespace

void Quorb::ParamParse(QuorbItem* item, StringLocation& scanner) {
  if (scanner.TokenText().empty()) return;
  const bool parameter = item->Has(IsFunction) || item->Has(IsOperator);
  QuorbItem* target = parameter ? new QuorbItem() : item;
  target->DataType = DefaultType();
  auto passing = IsByMap.find(Case(scanner.TokenText()));
  if (passing != IsByMap.end()) {
    target->SetBit(passing->second, true);
    scanner.NextToken(DefaultToken, 1);
  }
  target->SetBit(IsNamedVariable, true);
  target->Owner = this;
  MainTransform()->AddSymbol(scanner.TokenText(), target, 0);
  if (parameter) item->SubItems.push_back(target);

  scanner.NextToken(DefaultToken, 1);
  int64_t size = -1;
  if (scanner.CurrentToken->TokenKind == TokenCodeBlock && !ReadArrayBrackets(*this, target, scanner, size)) return;
  const bool typed = TokenIs(scanner, "As");
  if (typed) {
    QuorbItem* typeItem = MainTransform()->SymbolHandleExp(scanner.NextTokenStr(), false);
    if (typeItem == nullptr || typeItem->DataType == nullptr) {
      SetErrorIfNone(ErrInvalidDefinition);
      return;
    }
    target->DataType = typeItem->DataType;
    scanner.NextToken(DefaultToken, 1);
  }
  const bool isArray = target->Has(IsArray);
  if (TokenIs(scanner, "Ptr")) {
    target->SetBit(IsPointer, true);
    scanner.NextToken(DefaultToken, 1);
    if (!isArray && PointerType != nullptr) {
      if (target->Has(IsOwner) && target->DataType != nullptr) target->DataType->DeleteScalar(target->ValuePtr);
      target->ValuePtr = PointerType->AllocScalarValue(std::string());
      target->SetBit(IsOwner, true);
    }
  } else if (target->ValuePtr == nullptr && !isArray && target->DataType != nullptr) {
    target->ValuePtr = target->DataType->AllocScalarValue(std::string());
    target->SetBit(IsOwner, true);
  }

  ArrayValues collected;
  collected.target = target;
  ArrayValues* outer = arrayValues_;
  if (isArray) arrayValues_ = &collected;
  if (TokenIs(scanner, "=")) {
    target->SetBit(IsDefaulted, true);
    scanner.NextToken(DefaultToken, 1);
    if (!TokenIs(scanner, "{")) {
      Unread(scanner);
      SetVariableValue(target, scanner, typed, 0);
    } else {
      scanner.NextToken(DefaultToken, 1);
      if (!TokenIs(scanner, "}")) {
        Unread(scanner);
        // Values up to the closing brace: a value scan that stops at "}"
        // ends the list.
        while (scanner.Pos < scanner.Input().size() && Error.Number == 0) {
          SetVariableValue(target, scanner, typed, 0);
          if (scanner.StopLoc != NoPosition && scanner.Input().compare(scanner.StopLoc, scanner.StopLen, "}") == 0) break;
        }
      }
    }
  }
  arrayValues_ = outer;
  if (TokenIs(scanner, "...")) {
    target->SetBit(IsVariadic, true);
    item->SetBit(IsVariadic, true);
    scanner.NextToken(DefaultToken, 1);
  }
  if (isArray) SettleArray(*this, target, size, collected);
  for (void* value : collected.values) target->DataType->DeleteScalar(value);
  if (target->Has(IsPointer)) MakeDereferencing(*this, target);
}

// Stores `value` of type `source` into `item`, per the declaration's rules.
bool Quorb::StoreValue(QuorbItem* item, QuorbDataType* source, void* value, bool convert) {
  QuorbDataType* target = item->DataType;
  const bool arrayItem = item->Has(IsArray);
  // A pointer declaration's storage is an address, whatever it points to:
  // an address value goes in as an address.
  if (item->Has(IsPointer) && !arrayItem && source->Index == TypePointer) {
    if (item->ValuePtr != nullptr) source->SetValue(item->ValuePtr, value);
    return true;
  }
  void* converted = nullptr;
  if (source != target) {
    const bool hostStorage = !item->Has(IsOwner) && item->ValuePtr != nullptr && !arrayItem;
    if (convert || hostStorage) {
      // Host storage keeps its type: a value of another type is converted
      // into it, never re-made.
      if (!ConvertsTo(source->Index, target->Index)) {
        SetErrorIfNone(ErrTypeMismatch);
        return false;
      }
      QuorbItem from, to;
      from.DataType = source;
      to.DataType = target;
      converted = target->AllocScalarValue(std::string());
      if (converted == nullptr || !Convert(&from, &to, value, converted)) {
        if (converted != nullptr) target->DeleteScalar(converted);
        SetErrorIfNone(ErrTypeMismatch);
        return false;
      }
      value = converted;
    } else {
      if (!arrayItem) {
        if (item->Has(IsOwner) && target != nullptr) target->DeleteScalar(item->ValuePtr);
        item->ValuePtr = source->AllocScalarValue(std::string());
        item->SetBit(IsOwner, true);
      }
      item->DataType = source;
    }
  }
  if (arrayItem) {
    if (arrayValues_ != nullptr && arrayValues_->target == item)
      arrayValues_->values.push_back(item->DataType->AllocScalarValue(static_cast<const void*>(value)));
  } else if (item->ValuePtr != nullptr) {
    item->DataType->SetValue(item->ValuePtr, value);
  }
  if (converted != nullptr) target->DeleteScalar(converted);
  return true;
}

bool Quorb::SetVariableValue(QuorbItem* item, StringLocation& scanner, bool convert, unsigned long) {
  scanner.upto(ArgStop);
  const std::string text = scanner.TokenText();
  QuorbParsedExpr* expr;
  {
    PendingErrorKept kept(*this);
    expr = Parse(text, nullptr);
  }
  // A value that does not parse stores nothing; its error stays set.
  if (expr->First == nullptr || expr->First->Callback == &ReturnError) {
    QuorbParsedExpr::Free(expr);
    return true;
  }
  expr->Execute();
  QuorbItem* result = expr->Current->Result;
  bool stored = true;
  if (result != nullptr && result->ValuePtr != nullptr && result->DataType != nullptr && item->DataType != nullptr)
    stored = StoreValue(item, result->DataType, result->ValuePtr, convert);
  QuorbParsedExpr::Free(expr);
  return stored;
}

void Quorb::SetVariableValueAny_(QuorbItem* item, const std::string& text) {
  Quorb* owner = item->Owner != nullptr ? item->Owner : this;
  StringLocation scanner(text, owner->MainTransform());
  owner->SetVariableValue(item, scanner, true, 0);
}

QuorbItem* Quorb::AddErrorHandler(QuorbCallback handler, unsigned long position) {
  return Define("ErrorHandler: " + std::to_string(position), handler, nullptr);
}

void VariableClause(DefinitionState& state) {
  QuorbItem* item = state.item;
  if (state.addr != nullptr) {
    if (item->Has(IsOwner) && item->DataType != nullptr && !item->Has(IsArray)) item->DataType->DeleteScalar(item->ValuePtr);
    item->SetBit(IsOwner, false);
    item->ValuePtr = state.Address();
  }
  state.Scan().NextToken(DefaultToken, 1);
  state.instance.ParamParse(item, state.Scan());
}

}  // namespace QuorbNameSpace
