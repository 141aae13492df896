// Declarations of parameters and variables, their values, and the "variable"
// clause: [passing] name [array] [As type] [Ptr] [= value | = {values}] [...]
#include <algorithm>
#include <map>
#include <memory>

#include "builtins/builtin_definitions.h"
#include "engine/definition_state.h"
#include "engine/parsed_expr.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "scanner/cursor_lease.h"
#include "scanner/text_at.h"
#include "scanner/token_definitions.h"
#include "types/convert.h"
#include "types/builtin_types.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

// Values read for an array declaration, gathered until its size is known.
struct ArrayValues {
  QuorbItem* target = nullptr;
  QuorbDataType* type = nullptr;  // the type every copy was made with
  std::vector<void*> values;
  void Release() {
    for (void* value : values) type->DeleteScalar(value);
    values.clear();
  }
};

namespace {

// The type of the values a declaration stores: an address for a "Ptr"
// declaration, whatever it points to; otherwise its data type.
QuorbDataType* ElementType(const Quorb& instance, const QuorbItem* target) {
  return target->Has(IsPointer) ? instance.Types.PointerType : target->DataType;
}

// Read in place, as IsEqual compares: no copy of the token's text, and no
// string made of the keyword (most tokens differ from it in length).
template <size_t N>
bool TokenIs(const StringLocation& scanner, const char (&word)[N]) {
  return TextEqualsAt(scanner.Input(), scanner.TokenLoc, scanner.TokenLen, word, N - 1, scanner.Has(IsCaseSensitive));
}

// The passing word ("ByVal", ...) the token is, as IsByMap.find(Case(text))
// finds it; read in place, without copying or folding the token's text.
std::map<std::string, int>::const_iterator PassingWordAt(const Quorb& instance, const StringLocation& scanner) {
  if (!CompareTextInPlace) return IsByMap.find(instance.Case(scanner.TokenText()));
  const bool caseSensitive = (instance.Definitions.Flags & PropertyBit(IsCaseSensitive)) != 0;
  const std::string& input = scanner.Input();
  // The length of the text TokenText() gives.
  const uint64_t length =
      scanner.TokenLoc >= input.size() ? 0 : std::min<uint64_t>(scanner.TokenLen, input.size() - scanner.TokenLoc);
  for (auto word = IsByMap.begin(); word != IsByMap.end(); ++word) {
    // Most names differ from every word in length already; a folded text
    // never equals a word with capitals in it.
    if (word->first.size() == length && TextEqualsAt(input, scanner.TokenLoc, length, word->first, caseSensitive) &&
        (caseSensitive || FoldCase(word->first) == word->first))
      return word;
  }
  return IsByMap.end();
}

}  // namespace

bool IsNameToken(const StringLocation& scanner) {
  const QuorbItem* token = scanner.CurrentToken;
  return token != nullptr && token != ItemNotFound && token->Token().TokenKind == TokenAlphanumeric &&
         scanner.TokenLoc < scanner.Input().size() && scanner.TokenLen != 0;  // a text TokenText() would give
}

namespace {

// Moves the scanner back so the current token is read again.
void Unread(StringLocation& scanner) { scanner.Pos = scanner.TokenStart; }

bool IsCloser(const StringLocation& scanner) {
  return scanner.CurrentToken->Token().TokenKind == TokenCodeBlockMatch;
}

// Reads the array brackets after a name; SIZE is -1 when absent. A bracket
// left open is an invalid definition, as a SIZE that is no count is.
bool ReadArrayBrackets(Quorb& instance, QuorbItem* target, StringLocation& scanner, int64_t& size) {
  target->SetBit(IsArray, true);
  size = -1;
  scanner.NextToken(DefaultToken, 1);
  if (!IsCloser(scanner)) {
    if (!ReadInt(scanner.TokenText(), size) || size < 0) {
      instance.SetErrorIfNone(ErrInvalidDefinition);
      return false;
    }
    scanner.NextToken(DefaultToken, 1);
    if (!IsCloser(scanner)) {
      instance.SetErrorIfNone(ErrInvalidDefinition);
      return false;
    }
  }
  scanner.NextToken(DefaultToken, 1);
  return true;
}

// The most storage an array declared in a text gets (256 MiB): a mistyped
// or hostile count must not reserve gigabytes.
constexpr uint64_t MaxDeclaredArrayBytes = 256ULL << 20;

bool FitsDeclaredArray(QuorbDataType* elementType, uint64_t count) {
  const uint64_t size = elementType->SizeOf();
  return size == 0 || count <= MaxDeclaredArrayBytes / size;
}

// Gives the array its storage and values, and makes it reachable through
// a cell, as every array is. A count too large for the storage allowed is
// an invalid definition, as a failed allocation is.
void SettleArray(Quorb& instance, QuorbItem* target, int64_t size, ArrayValues& collected) {
  QuorbDataType* elementType = ElementType(instance, target);
  const uint64_t count = size >= 0 ? static_cast<uint64_t>(size) : collected.values.size();
  void* array = target->ValuePtr;
  if (array == nullptr && elementType != nullptr) {
    array = FitsDeclaredArray(elementType, count) ? elementType->AllocArrayValue(count) : nullptr;
    if (array == nullptr) {
      instance.SetErrorIfNone(ErrInvalidDefinition);
    } else {
      target->SetBit(IsOwner, true);
    }
  } else {
    target->SetBit(IsOwner, false);  // the host's array
  }
  // The copies were made with the element type (StoreValue converts them).
  for (uint64_t i = 0; i < collected.values.size() && i < count && array != nullptr; ++i)
    elementType->SetValue(array, collected.values[i], i);
  collected.Release();
  target->ElementCount = count;
  target->ValuePtr = new void*(array);
  target->OwnsArrayCell = true;
  target->SetBit(IsPointer, true);
}

// A pointer or array name reads its elements through PointerRead, with the type
// its elements were made with: an array declared with "Ptr" holds addresses.
void MakeDereferencing(Quorb& instance, QuorbItem* target, QuorbDataType* elementType) {
  for (QuorbDataType* type : {elementType, instance.Types.PointerType, instance.Types.IntType}) {
    auto sub = std::make_unique<QuorbItem>();
    sub->DataType = type;
    target->SubItems.push_back(sub.get());
    sub.release();
  }
  target->SetBit(IsFunction, true);
  target->SetBit(IsCallable, true);
  target->Callback = PointerRead.Callback;
  target->Roles = PointerRead.Roles;
  target->DataType = instance.Types.PointerType;
}

}  // namespace

void Quorb::ParamParse(QuorbItem* item, StringLocation& scanner) {
  const bool parameter = item->Has(IsFunction) || item->Has(IsOperator);
  auto passing = PassingWordAt(*this, scanner);
  if (passing != IsByMap.end()) scanner.NextToken(DefaultToken, 1);
  // A name no expression can read (none, an operator, a bracket) would
  // only hide the symbol it is filed under.
  if (!IsNameToken(scanner)) {
    SetErrorIfNone(ErrInvalidDefinition);
    return;
  }
  QuorbItem* target = item;
  if (parameter) {
    // The function's from the start: a failure later frees it with the
    // function, out of the table it joins.
    auto made = std::make_unique<QuorbItem>();
    item->SubItems.push_back(made.get());
    target = made.release();
  }
  target->DataType = DefaultType();
  if (passing != IsByMap.end()) target->SetBit(passing->second, true);
  target->SetBit(IsNamedVariable, true);
  target->Owner = this;
  // A parameter is visible only while the rest of its definition is read:
  // it waits until something could look it up.
  if (parameter) ParametersHeld.File(*this, scanner.TokenText(), target);
  else MainTransform()->AddSymbol(scanner.TokenText(), target, 0);

  scanner.NextToken(DefaultToken, 1);
  int64_t size = -1;
  if (scanner.CurrentToken->Token().TokenKind == TokenCodeBlock && !ReadArrayBrackets(*this, target, scanner, size)) return;
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
    if (!isArray && Types.PointerType != nullptr) {
      target->FreeOwnedScalar(target->DataType);
      target->ValuePtr = Types.PointerType->AllocScalarValue(std::string());
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
    ParametersHeld.FileAll();  // the value's expression may read them
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
  // What a dereference reads: the pointed-to type, or for an array what its
  // elements were made with.
  QuorbDataType* elementType = isArray ? ElementType(*this, target) : target->DataType;
  // Every value written must find its element: none is dropped unseen.
  if (size >= 0 && collected.values.size() > static_cast<uint64_t>(size)) SetErrorIfNone(ErrInvalidDefinition);
  if (isArray) SettleArray(*this, target, size, collected);
  if (!collected.values.empty()) collected.Release();
  if (target->Has(IsPointer)) MakeDereferencing(*this, target, elementType);
}

// Stores `value` of type `source` into `item`, per the declaration's rules.
// Two cases always convert: a "Ptr" declaration stores addresses (its
// storage is a Pointer value, not a value of the type it points to), and
// the elements of an array share the type of its first value.
bool Quorb::StoreValue(QuorbItem* item, QuorbDataType* source, void* value, bool convert) {
  const bool arrayItem = item->Has(IsArray);
  ArrayValues* collecting = arrayItem && arrayValues_ != nullptr && arrayValues_->target == item ? arrayValues_ : nullptr;
  QuorbDataType* storage = ElementType(*this, item);
  if (storage == nullptr) return true;
  if (item->Has(IsPointer) || (collecting != nullptr && !collecting->values.empty())) convert = true;
  void* converted = nullptr;
  if (source != storage) {
    // Host storage keeps its type, an array over host memory too: a value
    // of another type is converted into it, never re-made.
    const bool hostStorage = !item->Has(IsOwner) && item->ValuePtr != nullptr;
    if (convert || hostStorage) {
      converted = ConvertedCopy(source, storage, value);
      if (converted == nullptr) return false;
      value = converted;
    } else {
      if (!arrayItem) {
        item->FreeOwnedScalar(storage);
        item->ValuePtr = source->AllocScalarValue(std::string());
        item->SetBit(IsOwner, true);
      }
      item->DataType = storage = source;
    }
  }
  if (collecting != nullptr) {
    collecting->type = storage;
    if (void* copy = storage->AllocScalarValue(static_cast<const void*>(value))) collecting->values.push_back(copy);
  } else if (!arrayItem && item->ValuePtr != nullptr) {
    storage->SetValue(item->ValuePtr, value);
  }
  if (converted != nullptr) storage->DeleteScalar(converted);
  return true;
}

// A new value of `target` converted from `value` of `source`; null, with
// error 7, when the pair does not convert.
void* Quorb::ConvertedCopy(QuorbDataType* source, QuorbDataType* target, const void* value) {
  if (!ConvertsTo(source->Index, target->Index)) {
    SetErrorIfNone(ErrTypeMismatch);
    return nullptr;
  }
  QuorbItem from, to;
  from.DataType = source;
  to.DataType = target;
  void* converted = target->AllocScalarValue(std::string());
  if (converted == nullptr || !ConvertValue(&from, &to, value, converted)) {
    if (converted != nullptr) target->DeleteScalar(converted);
    SetErrorIfNone(ErrTypeMismatch);
    return nullptr;
  }
  return converted;
}

bool Quorb::SetVariableValue(QuorbItem* item, StringLocation& scanner, bool convert, unsigned long) {
  scanner.upto(ArgStop);
  const std::string text = scanner.TokenText();
  QuorbParsedExpr* parsed;
  {
    PendingErrorKept kept(*this);
    parsed = Parse(text, nullptr, nullptr, nullptr, 0, true);
  }
  OwnExpression own{parsed};
  QuorbParsedExpr* expr = own.expr;
  // A value that does not parse stores nothing; its error stays set.
  if (expr->First == nullptr || expr->First->Callback == &ReturnError) return true;
  expr->Execute();
  QuorbItem* result = expr->Current->Result;
  if (result != nullptr && result->ValuePtr != nullptr && result->DataType != nullptr && item->DataType != nullptr)
    return StoreValue(item, result->DataType, result->ValuePtr, convert);
  return true;
}

void Quorb::SetVariableValueAny_(QuorbItem* item, const std::string& text) {
  Quorb* owner = item->Owner != nullptr ? item->Owner : this;
  CursorLease scanner(text, owner->MainTransform());
  owner->SetVariableValue(item, *scanner, true, 0);
}

QuorbItem* Quorb::AddErrorHandler(ErrorHandlerCallback handler, unsigned long position) {
  // Kept erased in the callback field; CallErrorHandler restores the type.
  auto erased = reinterpret_cast<QuorbCallback>(reinterpret_cast<ErasedFunction>(handler));
  return Define("ErrorHandler: " + std::to_string(position), erased, nullptr);
}

void VariableClause(DefinitionState& state) {
  QuorbItem* item = state.item;
  if (!TakeRole(state, ItemRole::Variable)) return;
  // A value the item held before (a "value" clause) was made for its old
  // type: the declaration makes storage of its own, or takes the host's.
  ReplaceStorage(item, state.Address(), false);
  state.Scan().NextToken(DefaultToken, 1);
  state.instance.ParamParse(item, state.Scan());
}

}  // namespace QuorbNameSpace
