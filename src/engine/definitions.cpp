// Quorb::Define: the clause loop of the definition language, rewriting of
// unlisted keywords through the parser transform, filing by name, the
// simple keyword actions, and finishing the defined item.
#include "builtins/builtin_definitions.h"
#include "engine/definition_keywords.h"
#include "engine/definition_state.h"
#include "engine/exception_flags.h"
#include "engine/host_functions.h"
#include "engine/invariant.h"
#include "engine/parsed_expr.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "scanner/token_definitions.h"
#include "types/data_type.h"
#include "types/number_parsing.h"

namespace QuorbNameSpace {

// Rewrites that keep producing unlisted keywords would loop for ever.
static const int MaxRewrites = 64;

std::string NextTokenText(StringLocation& scanner) { return scanner.NextTokenStr(); }

std::string ReadBody(StringLocation& scanner) {
  scanner.upto(DefStop);
  return scanner.TokenText();
}

std::string ReadElement(StringLocation& scanner) {
  scanner.upto(ArgStop);
  return scanner.TokenText();
}

bool ReadInt(const std::string& text, int64_t& out) {
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) return false;
  int32_t value;
  if (ParseInt32Text(text, value) != ParseStatus::Ok) return false;
  out = value;
  return true;
}

QuorbItem* FindSymbol(Quorb& instance, const std::string& name) {
  StringLocation* main = instance.MainTransform();
  if (main->Tokens != nullptr && !main->Tokens->empty()) return main->SymbolHandle(name, false, false);
  size_t start = name.find_first_not_of(" \t");
  if (start == std::string::npos) return nullptr;
  std::string whole = name.substr(start, name.find_last_not_of(" \t") - start + 1);
  for (auto table = main->SearchTables.rbegin(); table != main->SearchTables.rend(); ++table)
    if (QuorbItem* found = (*table)->Handle(whole)) return found;
  return nullptr;
}

// Files the item being defined under `name` in the current namespace. An
// overwrite keeps the former definition aside until the definition ends,
// so that a failure can put it back.
void FileByName(DefinitionState& state, const std::string& name) {
  Quorb& instance = state.instance;
  if (name.empty()) {
    instance.SetErrorIfNone(ErrInvalidDefinition);
    return;
  }
  // An overwrite hands the item's definition to the existing item and frees
  // the object it leaves: only an item this definition made may do that,
  // and only once (the second time it would free an item in use).
  if (state.displaced != nullptr || (state.overwrite && !state.madeItem)) {
    Refuse(state);
    return;
  }
  Table* table = instance.MainTransform()->FilingTable(state.item);
  if (table == nullptr || state.item == nullptr) return;
  QuorbItem* displaced = nullptr;
  table->Add(name, state.item, state.overwrite, state.displaced == nullptr ? &displaced : nullptr);
  if (displaced != nullptr) state.displaced = displaced;
}

// Puts an overwritten item's former definition back after a failure.
static void RestoreDisplaced(DefinitionState& state) {
  QuorbItem* head = state.item;
  for (QuorbItem* sub : head->SubItems)
    if (sub->OwningTable != nullptr) sub->OwningTable->Remove(sub);
  Table::SwapDefinitions(head, state.displaced);
  delete state.displaced;  // now holding the failed definition
  state.displaced = nullptr;
  if (head->Has(IsDataType) && head->DataType != nullptr) state.instance.BindTypeObject(head);
}

void DiscardItem(DefinitionState& state) {
  if (state.displaced != nullptr) RestoreDisplaced(state);
  else if (state.madeItem) delete state.item;
  state.item = nullptr;
  state.madeItem = false;
}

ItemRole RoleOf(const QuorbItem* item) {
  if (item->Has(IsErrorHandler)) return ItemRole::Handler;
  if (item->Has(IsOutputFormat)) return ItemRole::Output;
  if (item->Has(IsDataType)) return ItemRole::Type;
  if (item->Has(IsNamedVariable)) return ItemRole::Variable;  // a pointer variable is callable too
  if (item->Has(IsCallable)) return ItemRole::Callable;
  return ItemRole::None;
}

void ReplaceStorage(QuorbItem* item, void* storage, bool owned) {
  if (!item->Has(IsArray)) item->FreeOwnedScalar(item->DataType);
  item->ValuePtr = storage;
  item->SetBit(IsOwner, owned);
}

void InstallCallback(DefinitionState& state, QuorbItem* item) {
  if (state.hostAddress) {
    SetHostFunction(item, reinterpret_cast<ErasedFunction>(state.addr));
    return;
  }
  item->Callback = state.addr;
  if (state.addr == nullptr) item->Roles.Clear();
  else item->Roles = state.roles != nullptr ? *state.roles : RolesOfCode(state.addr);
}

void Refuse(DefinitionState& state) {
  state.instance.SetErrorIfNone(ErrInvalidDefinition);
  state.finished = true;
}

bool TakeRole(DefinitionState& state, ItemRole role) {
  // The default item's data type is the type of every untyped declaration:
  // it cannot also be a value's type or a result type.
  if (state.item == state.instance.Definitions.DefaultItem) {
    Refuse(state);
    return false;
  }
  const ItemRole current = RoleOf(state.item);
  if (current == ItemRole::None) return true;
  // A handler may move in the list and an output format be applied again;
  // a variable, a signature or a type is declared once, since its storage,
  // parameters or type object were made for the first declaration.
  if (current == role && (role == ItemRole::Handler || role == ItemRole::Output)) return true;
  Refuse(state);
  return false;
}

// A keyword the table does not know: the parser transform's rules may turn
// the rest of the text into something it does.
static bool RewriteFrom(DefinitionState& state, uint64_t keywordStart, int& rewrites) {
  Quorb& instance = state.instance;
  std::string rest = state.text.substr(keywordStart);
  std::string rewritten = instance.RewriteByParserRules(rest);
  if (rewritten == rest) {
    instance.SetErrorIfNone(ErrInvalidDefinition);
    return false;
  }
  if (++rewrites > MaxRewrites) {
    instance.SetErrorIfNone(ErrReparseLimit);
    return false;
  }
  state.text = rewritten;
  uint64_t properties = state.scanner->Properties;
  state.scanner.Reset(state.text, instance.Scanners.Transforms[3]);
  state.scanner->Properties = properties;
  return true;
}

// The body of a numeric clause as an int, or error 9.
static bool BodyInt(DefinitionState& state, int64_t& out) {
  if (ReadInt(ReadBody(state.Scan()), out)) return true;
  state.instance.SetErrorIfNone(ErrInvalidDefinition);
  return false;
}

static void ValueClause(DefinitionState& state) {
  std::string body = ReadBody(state.Scan());
  QuorbItem* item = state.item;
  // A type item's data type is the type it owns, and an array is reached
  // through a cell: neither holds a scalar value.
  if (item->DataType == nullptr || item->Has(IsDataType) || item->Has(IsArray)) {
    Refuse(state);
    return;
  }
  void* value = item->DataType->AllocScalarValue(body);
  if (value == nullptr) {
    state.instance.SetErrorIfNone(ErrInvalidDefinition);
    return;
  }
  ReplaceStorage(item, value, true);
}

static void DefaultClause(DefinitionState& state) {
  Quorb& instance = state.instance;
  QuorbItem* item = state.item;
  // The default item is owned by the instance, freed after every table and
  // token list, and its type is Double: an item with a role of its own, a
  // token or a namespace cannot be it.
  if (instance.Definitions.DefaultItem != item &&
      (RoleOf(item) != ItemRole::None || item->Token().TokenList != nullptr || item->Has(IsNamespace))) {
    Refuse(state);
    return;
  }
  // Double's slot is empty while its type is being bound again: keep the
  // type that declarations without "As" have had so far.
  QuorbDataType* type = instance.Types.DoubleType != nullptr ? instance.Types.DoubleType : instance.DefaultType();
  // The former default item is freed once the definition has succeeded.
  if (instance.Definitions.DefaultItem != item) {
    if (state.replacedDefault == nullptr) state.replacedDefault = instance.Definitions.DefaultItem;
    else delete instance.Definitions.DefaultItem;
    instance.Definitions.DefaultItem = item;
  }
  item->LeaveAnonymous();  // the instance frees its default item itself
  item->SetBit(IsDefaultItem, true);
  item->DataType = type;
  item->Precedence = 1;
}

static void AddressClause(DefinitionState& state) {
  if (state.Address() == nullptr) return;
  QuorbItem* item = state.item;
  // An array is reached through a cell it owns: the address cannot stand
  // in for that cell.
  if (item->Has(IsArray)) {
    Refuse(state);
    return;
  }
  ReplaceStorage(item, state.Address(), false);
}

// The keyword actions that set a flag or a field.
static void SimpleClause(DefinitionState& state, int keyword) {
  Quorb& instance = state.instance;
  QuorbItem* item = state.item;
  int64_t number = 0;
  switch (keyword) {
    case DefAddress: AddressClause(state); break;
    case DefApiCall: item->SetBit(IsApiCall, true); break;
    case DefBootstrap: state.bootstrap = true; break;
    case DefCaseSensitive: {
      bool sensitive = instance.Case(ReadBody(state.Scan())) == "true";
      instance.Definitions.Flags = sensitive ? instance.Definitions.Flags | PropertyBit(IsCaseSensitive) : instance.Definitions.Flags & ~PropertyBit(IsCaseSensitive);
      if (Table* root = instance.RootTable()) root->CaseSensitive = sensitive;
      state.Scan().SetBit(IsCaseSensitive, sensitive);
      break;
    }
    case DefDefault: DefaultClause(state); break;
    case DefDefSeparator: instance.Definitions.DefSeparator = ReadBody(state.Scan()); break;
    case DefFrom:
      DiscardItem(state);
      ReadBody(state.Scan());
      state.finished = true;
      break;
    case DefGrouping: {
      std::string body = instance.Case(ReadBody(state.Scan()));
      if (!body.empty() && body[0] == 'r') item->SetBit(IsRightToLeft, true);
      break;
    }
    case DefLock: item->SetBit(IsLocked, true); break;
    case DefName: FileByName(state, ReadBody(state.Scan())); break;
    case DefOverwrite: state.overwrite = true; break;
    case DefPrecedence: {
      std::string body = ReadBody(state.Scan());
      PendingErrorKept kept(instance);
      double value = instance.Eval(body);
      // Truncated toward zero; NaN and values beyond the range never reach
      // an undefined conversion.
      if (value != value) value = 0;
      if (value > 2147483647.0) value = 2147483647.0;
      if (value < -2147483648.0) value = -2147483648.0;
      item->Precedence = static_cast<int32_t>(value);
      break;
    }
    case DefQuotedText: item->SetBit(IsQuotedText, true); break;
    case DefRewindOnChange: item->SetBit(IsRewindOnChange, true); break;
    case DefSubMatch:
      if (BodyInt(state, number)) item->EditToken().SubMatch = static_cast<uint64_t>(number);
      break;
    case DefSyntaxEqual: instance.Definitions.SyntaxEqual = ReadBody(state.Scan()); break;
    case DefTokenType: {
      auto found = TokenType_.find(instance.Case(ReadBody(state.Scan())));
      item->EditToken().TokenKind = found != TokenType_.end() ? found->second : TokenNone;
      break;
    }
    case DefValue: ValueClause(state); break;
    default: break;  // recognised keywords without an action
  }
}

static void PerformClause(DefinitionState& state, int keyword) {
  if (state.item == nullptr && keyword != DefEmpty) {
    // An earlier clause left no item to apply this one to.
    state.instance.SetErrorIfNone(ErrInvalidDefinition);
    state.finished = true;
    return;
  }
  switch (keyword) {
    case DefDataType: DataTypeClause(state); break;
    case DefBoolean: BooleanClause(state); break;
    case DefConvertsBetween:
    case DefConvertsFrom:
    case DefConvertsFromAny:
    case DefConvertsTo:
    case DefConvertsToAny: ConversionClause(state, keyword); break;
    case DefOutput: OutputClause(state); break;
    case DefNamespace: NamespaceClause(state); break;
    case DefErrorHandler: ErrorHandlerClause(state); break;
    case DefToken: TokenClause(state); break;
    case DefEndMatch: EndMatchClause(state); break;
    case DefFunction: SignatureClause(state, false); break;
    case DefOperator: SignatureClause(state, true); break;
    case DefVariable: VariableClause(state); break;
    default: SimpleClause(state, keyword); break;
  }
}

// A failed definition must not leave the instance without its default item.
static void SettleDefaultItem(DefinitionState& state) {
  Quorb& instance = state.instance;
  if (state.replacedDefault == nullptr) return;
  if (instance.Error.Number == 0 && instance.Definitions.DefaultItem == state.item) {
    delete state.replacedDefault;
  } else {
    if (instance.Definitions.DefaultItem == state.item && state.item != nullptr) state.item->SetBit(IsDefaultItem, false);
    instance.Definitions.DefaultItem = state.replacedDefault;
  }
  state.replacedDefault = nullptr;
}

static QuorbItem* Finish(DefinitionState& state) {
  Quorb& instance = state.instance;
  SettleDefaultItem(state);
  QuorbItem* item = state.item;
  if (item == nullptr) return nullptr;
  if (state.displaced != nullptr) {
    if (instance.Error.Number != 0) {
      RestoreDisplaced(state);
      return nullptr;  // the existing item stays as it was
    }
    delete state.displaced;
    state.displaced = nullptr;
    // The type object now belongs to the item that kept its address.
    if (item->Has(IsDataType) && item->DataType != nullptr) instance.BindTypeObject(item);
  }
  // A failed item of this definition's own is freed below: not filed first.
  const bool freed = instance.Error.Number != 0 && state.madeItem;
  if (!freed && item != instance.Definitions.DefaultItem && item->OwningTable == nullptr && item->Token().TokenList == nullptr &&
      !item->Has(IsAnonymous)) {
    try {
      instance.Kept.AnonymousItems[item] = 0;
      item->SetBit(IsAnonymous, true);
    } catch (const std::bad_alloc&) {
      instance.SetErrorIfNone(ErrOutOfMemory);
    }
  }
  item->Owner = &instance;
  if (instance.Error.Number == 0) return item;
  // Only an item this definition made is freed: the caller's item, or an
  // existing type that a "DataType:" clause continued, stays as it is.
  if (!state.madeItem) return nullptr;
  delete item;
  return nullptr;
}

// Counts a running definition for as long as it lives.
class DefinitionLevel {
 public:
  explicit DefinitionLevel(Quorb& instance) : instance_(instance) { ++instance_.Running.DefinitionDepth; }
  ~DefinitionLevel() {
    QUORB_ASSERT(instance_.Running.DefinitionDepth > 0);
    --instance_.Running.DefinitionDepth;
  }
  DefinitionLevel(const DefinitionLevel&) = delete;
  DefinitionLevel& operator=(const DefinitionLevel&) = delete;

 private:
  Quorb& instance_;
};

QuorbItem* Quorb::Define(const std::string& Def, QuorbCallback Addr, QuorbItem* ExistingItem, bool hostAddress,
                         bool callbackOnly, const BuiltinRoles* roles) {
  if (HandlerInsideDefinition() || HandlerInsideEvaluation()) return nullptr;
  DefinitionLevel level(*this);
  Error.Number = 0;
  // Values and bodies are read and run here; the caller's flags are the
  // caller's, before and after.
  ExceptionFlagsKept flags;
  DefinitionState state(*this, Def);
  state.addr = Addr;
  state.hostAddress = hostAddress;
  state.addrCallbackOnly = callbackOnly;
  state.roles = roles;
  try {
    ReadClauses(state, ExistingItem);
  } catch (...) {
    // Memory ran out (or the standard library refused something) part way:
    // the definition fails as a whole, as after an error of its own.
    SetErrorIfNone(ErrorOfException(ErrInvalidDefinition));
  }
  return Finish(state);
}

void Quorb::ReadClauses(DefinitionState& state, QuorbItem* ExistingItem) {
  state.scanner.Reset(state.text, Scanners.Transforms[3]);
  state.scanner->SetBit(IsCaseSensitive, (Definitions.Flags & PropertyBit(IsCaseSensitive)) != 0);
  state.scanner->SetBit(IsCodeBlockBlind, true);
  if (ExistingItem != nullptr) {
    // Only an item of this instance: a sentinel shared by every instance,
    // or another instance's item, filed here would have two owners.
    if (ExistingItem->Owner != this) {
      SetErrorIfNone(ErrInvalidDefinition);
      return;
    }
    // Its body, parameters or value are in use by the call running now.
    if (ExistingItem->CurrentCall != nullptr) {
      SetErrorIfNone(ErrNotModifiable);
      return;
    }
    state.item = ExistingItem;
  } else {
    state.item = new QuorbItem();
    state.madeItem = true;
    // Owned from the start: releasing it early (a failure, "from") must
    // take it out of the handler list and the namespace stack it joined.
    state.item->Owner = this;
    state.item->Text = state.text;
    state.item->SetBit(IsCaseSensitive, (Definitions.Flags & PropertyBit(IsCaseSensitive)) != 0);
  }

  int rewrites = 0;
  while (!state.finished && state.Scan().Pos < state.text.size()) {
    StringLocation& scanner = state.Scan();
    scanner.upto(DefCommandStop);
    const uint64_t keywordStart = scanner.TokenLoc;
    // Folded where it is made: one copy of the keyword, not two.
    std::string keyword = scanner.TokenText();
    if ((Definitions.Flags & PropertyBit(IsCaseSensitive)) == 0)
      for (char& c : keyword) c = FoldCase(c);
    auto found = DefinitionChoice.find(keyword);
    if (found == DefinitionChoice.end()) {
      ++state.clauseCount;
      if (!RewriteFrom(state, keywordStart, rewrites)) break;
      continue;
    }
    if (found->second != DefEmpty) ++state.clauseCount;
    PerformClause(state, found->second);
  }
}

}  // namespace QuorbNameSpace
