// Definition clauses about types: binding a type name to a storage class,
// the Bool words, the conversion rows, and output formats.
#include <algorithm>

#include "engine/definition_keywords.h"
#include "engine/definition_state.h"
#include "engine/parsed_expr.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "scanner/pattern_guard.h"
#include "scanner/pattern_platform.h"
#include "types/convert.h"
#include "types/data_type.h"
#include "types/type_registry.h"

namespace QuorbNameSpace {

// Rows the conversion table holds once any conversion clause has run.
static const size_t ConversionRows = 50;

bool Quorb::ConvertsTo(int32_t from, int32_t to) const {
  if (from < 0 || static_cast<size_t>(from) >= Types.ConversionTable.size()) return false;
  const std::vector<int32_t>& row = Types.ConversionTable[from];
  return std::find(row.begin(), row.end(), to) != row.end();
}

// Row `from` gets `to`; numbers beyond the table are ignored.
static void AddConversion(Quorb& instance, const QuorbDataType* from, const QuorbDataType* to) {
  if (from == nullptr || to == nullptr || from->Index < 0 || static_cast<size_t>(from->Index) >= ConversionRows) return;
  instance.Types.ConversionTable[from->Index].push_back(to->Index);
}

// A new type is bound when the name is followed by ":" and a class word;
// otherwise the clause names an existing type that later clauses apply to.
static void FirstDataTypeClause(DefinitionState& state) {
  Quorb& instance = state.instance;
  StringLocation& scanner = state.Scan();
  const uint64_t nameStart = scanner.Pos;
  std::string name = NextTokenText(scanner);
  if (NextTokenText(scanner) == ":") {
    std::string word = instance.Case(NextTokenText(scanner));
    if (QuorbDataType* probe = NewDataTypeForWord(word)) {
      delete probe;
    } else {
      instance.SetErrorIfNone(ErrInvalidDefinition);  // files nothing: no type without a class
      return;
    }
    if (!TakeRole(state, ItemRole::Type)) return;
    state.item->SetBit(IsDataType, true);  // only a type may replace a type
    FileByName(state, name);
    if (instance.Error.Number == 0) instance.BindDataType(state.item, word);
    return;
  }
  DiscardItem(state);
  state.item = FindSymbol(instance, name);
  scanner.Pos = nameStart;
  NextTokenText(scanner);
  NextTokenText(scanner);
  if (state.item == nullptr || state.item->DataType == nullptr) {
    state.item = nullptr;
    instance.SetErrorIfNone(ErrInvalidDefinition);
  }
}

// Gives `item` another type. Storage the item owns is made anew for the
// type (converted where allowed); host storage is the host's to size.
static void Retype(Quorb& instance, QuorbItem* item, QuorbDataType* type) {
  QuorbDataType* old = item->DataType;
  if (old == type) return;
  if (item->Has(IsOwner) && !item->Has(IsArray) && item->ValuePtr != nullptr && old != nullptr) {
    void* value = type->AllocScalarValue(std::string());
    QuorbItem source;
    source.DataType = old;
    QuorbItem target;
    target.DataType = type;
    if (value != nullptr && instance.ConvertsTo(old->Index, type->Index)) ConvertValue(&source, &target, item->ValuePtr, value);
    item->FreeOwnedScalar(old);
    item->ValuePtr = value;
  }
  item->DataType = type;
}

void DataTypeClause(DefinitionState& state) {
  Quorb& instance = state.instance;
  if (state.clauseCount == 1) {
    FirstDataTypeClause(state);
    state.clauseCount = 1;
    return;
  }
  QuorbItem* typeItem = FindSymbol(instance, ReadBody(state.Scan()));
  // A type item's type is the one it defines; it cannot take another's.
  if (typeItem == nullptr || typeItem->DataType == nullptr || state.item->Has(IsDataType)) {
    instance.SetErrorIfNone(ErrInvalidDefinition);
    return;
  }
  Retype(instance, state.item, typeItem->DataType);
}

void BooleanClause(DefinitionState& state) {
  Quorb& instance = state.instance;
  StringLocation& scanner = state.Scan();
  std::string number = ReadElement(scanner);
  std::string trueWord = ReadElement(scanner);
  std::string falseWord = ReadElement(scanner);
  int64_t value = 0;
  QuorbItem* boolItem = instance.Types.BoolType != nullptr ? instance.Types.BoolType->Item : nullptr;
  if (!ReadInt(number, value) || boolItem == nullptr || boolItem->SubItems.size() < 3) {
    instance.SetErrorIfNone(ErrInvalidDefinition);
    return;
  }
  HostRegex pattern;
  StringLocation* main = instance.MainTransform();
  try {
    CompilePattern(pattern, trueWord + "|" + falseWord, PatternFlags(main->Grammar, main->Has(IsCaseSensitive)));
  } catch (const std::regex_error&) {
    instance.SetErrorIfNone(ErrInvalidDefinition);
    return;
  }
  *static_cast<int8_t*>(boolItem->SubItems[0]->ValuePtr) = static_cast<int8_t>(value & 0xFF);
  *static_cast<std::string*>(boolItem->SubItems[1]->ValuePtr) = trueWord;
  *static_cast<std::string*>(boolItem->SubItems[2]->ValuePtr) = falseWord;
  if (main->Tokens == nullptr) return;
  for (QuorbItem* token : *main->Tokens) {
    if (token->DataType != instance.Types.BoolType) continue;
    token->EditToken().Pattern = pattern;
    token->EditToken().FastMatch = nullptr;  // the hand-written matcher knew the old words
  }
}

// The types named by the list that runs to the end of the text.
static bool ReadTypeList(DefinitionState& state, std::vector<QuorbDataType*>& types) {
  StringLocation& scanner = state.Scan();
  while (scanner.Pos < state.text.size()) {
    std::string name = ReadElement(scanner);
    if (name.empty()) continue;
    QuorbItem* found = FindSymbol(state.instance, name);
    if (found == nullptr || found->DataType == nullptr) {
      state.instance.SetErrorIfNone(ErrInvalidDefinition);
      return false;
    }
    types.push_back(found->DataType);
  }
  return true;
}

// Every type defined in the root table, in table order.
static std::vector<QuorbDataType*> DefinedTypes(Quorb& instance) {
  std::vector<QuorbDataType*> types;
  if (Table* root = instance.RootTable())
    for (const auto& entry : root->Symbols)
      for (QuorbItem* item = entry.second; item != nullptr; item = item->NextOverload)
        if (item->Has(IsDataType) && item->DataType != nullptr) types.push_back(item->DataType);
  return types;
}

void ConversionClause(DefinitionState& state, int keyword) {
  Quorb& instance = state.instance;
  if (instance.Types.ConversionTable.size() < ConversionRows) instance.Types.ConversionTable.resize(ConversionRows);
  QuorbDataType* self = state.item->DataType;
  std::vector<QuorbDataType*> listed;
  switch (keyword) {
    case DefConvertsBetween:
      if (!ReadTypeList(state, listed)) return;
      for (QuorbDataType* a : listed)
        for (QuorbDataType* b : listed) AddConversion(instance, a, b);
      DiscardItem(state);
      return;
    case DefConvertsTo:
      if (!ReadTypeList(state, listed)) return;
      for (QuorbDataType* type : listed) AddConversion(instance, self, type);
      return;
    case DefConvertsFrom:
      if (!ReadTypeList(state, listed)) return;
      for (QuorbDataType* type : listed) AddConversion(instance, type, self);
      return;
    case DefConvertsFromAny:  // this type converts to every type
      for (QuorbDataType* type : DefinedTypes(instance)) AddConversion(instance, self, type);
      return;
    case DefConvertsToAny:  // every type converts to this type
      for (QuorbDataType* type : DefinedTypes(instance)) AddConversion(instance, type, self);
      return;
    default: return;
  }
}

// Parses the output expression that follows "=": the name before it stands
// for the text being formatted while the body is parsed.
static void OutputBody(DefinitionState& state, const std::string& name) {
  Quorb& instance = state.instance;
  StringLocation& scanner = state.Scan();
  QuorbItem* textItem = instance.Definitions.OutputTextItem;
  if (textItem == nullptr || name.empty()) {
    instance.SetErrorIfNone(ErrInvalidDefinition);
    return;
  }
  StringLocation* main = instance.MainTransform();
  Table* table = main->SearchTables.empty() ? main->RuleTable : main->SearchTables.back();
  table->Add(name, textItem, false);
  std::string body = state.text.substr(std::min<uint64_t>(scanner.Pos, state.text.size()));
  {
    PendingErrorKept kept(instance);
    QuorbParsedExpr::Free(state.item->ParsedExpr);
    state.item->ParsedExpr = instance.Parse(body, instance.Types.StringType);
  }
  if (textItem->OwningTable != nullptr) textItem->OwningTable->Remove(textItem);
  // The body runs to the end of the text: nothing after it is a clause word.
  scanner.Pos = state.text.size();
}

// Whether `word` begins like a name (ASCII letter or underscore).
static bool IsNameStart(const std::string& word) {
  if (word.empty()) return false;
  const char c = word[0];
  return c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void OutputClause(DefinitionState& state) {
  Quorb& instance = state.instance;
  if (!TakeRole(state, ItemRole::Output)) return;
  StringLocation& scanner = state.Scan();
  QuorbDataType* onlyType = nullptr;
  int64_t insertAt = -1;
  while (scanner.Pos < state.text.size()) {
    std::string word = NextTokenText(scanner);
    if (scanner.CurrentToken == ItemNotFound) break;
    std::string folded = instance.Case(word);
    if (folded == "datatype") {
      NextTokenText(scanner);
    } else if (folded == "insertat") {
      NextTokenText(scanner);
      if (!ReadInt(NextTokenText(scanner), insertAt) || insertAt < 0) {
        instance.SetErrorIfNone(ErrInvalidDefinition);
        return;
      }
    } else if (word == ",") {
      continue;
    } else if (QuorbItem* typeItem = instance.MainTransform()->SymbolHandleExp(word, false);
               typeItem != nullptr && typeItem->Has(IsDataType)) {
      onlyType = typeItem->DataType;
    } else if (NextTokenText(scanner) == "=") {
      OutputBody(state, word);
    } else if (IsNameStart(word)) {
      // A name that is neither a type nor followed by "=": a type this
      // instance does not know, which the format would silently miss.
      instance.SetErrorIfNone(ErrInvalidDefinition);
      return;
    }
  }
  QuorbItem* item = state.item;
  // A definition made by expression text borrows no address as an output
  // callback.
  if (state.addrCallbackOnly) item->Callback = nullptr;
  else InstallCallback(state, item);
  item->SetBit(IsOutputFormat, true);
  if (instance.Error.Number != 0) return;
  const bool empties = item->Callback == nullptr && item->ParsedExpr == nullptr;
  std::vector<QuorbDataType*> types = onlyType != nullptr ? std::vector<QuorbDataType*>{onlyType} : DefinedTypes(instance);
  for (QuorbDataType* type : types) {
    std::vector<QuorbItem*>& outputs = type->Outputs;
    if (empties) outputs.clear();
    else if (insertAt < 0) outputs.push_back(item);
    else outputs.insert(outputs.begin() + std::min<int64_t>(insertAt, static_cast<int64_t>(outputs.size())), item);
  }
}

}  // namespace QuorbNameSpace
