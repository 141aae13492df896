// The "function" and "operator" clauses: a signature text becomes a
// callable item with its parameters, result type, precedence, position and
// optional expression body.
//   function: NAME [( PARAMETER {, PARAMETER} )] [As TYPE [Ptr]] [= BODY]
//   operator: [PRECEDENCE [:RL]] [{PARAMETER}] SYMBOL [{PARAMETER}] [As TYPE] [= BODY]
#include "builtins/builtin_definitions.h"
#include "engine/definition_state.h"
#include "engine/parsed_expr.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "scanner/cursor_lease.h"
#include "scanner/text_at.h"
#include "types/data_type.h"

namespace QuorbNameSpace {
namespace {

// One token step; whether the token is `word` (lower case), folded unless
// the instance is case-sensitive, read where it stands instead of copied.
bool NextTokenIs(Quorb& instance, StringLocation& scanner, const std::string& word) {
  scanner.NextToken(DefaultToken, 1);
  const bool caseSensitive = (instance.Definitions.Flags & PropertyBit(IsCaseSensitive)) != 0;
  return TextEqualsAt(scanner.Input(), scanner.TokenLoc, scanner.TokenLen, word, caseSensitive);
}

// Whether the token's text is exactly `word`, read where it stands.
template <size_t N>
bool TokenTextIs(const StringLocation& scanner, const char (&word)[N]) {
  return TextEqualsAt(scanner.Input(), scanner.TokenLoc, scanner.TokenLen, word, N - 1, true);
}

// Whether the token's text is empty, as TokenText() would give it.
bool NoTokenText(const StringLocation& scanner) {
  return scanner.TokenLoc == NoPosition || scanner.TokenLoc >= scanner.Input().size() || scanner.TokenLen == 0;
}

// The data type a type name after "As" stands for; error 9 when none.
QuorbDataType* ResultType(Quorb& instance, const std::string& name) {
  QuorbItem* typeItem = instance.MainTransform()->SymbolHandleExp(name, false);
  if (typeItem != nullptr && typeItem->DataType != nullptr) return typeItem->DataType;
  instance.SetErrorIfNone(ErrInvalidDefinition);
  return nullptr;
}

// Whether the up-to scan that just ended stopped at `text`.
bool StoppedAt(const StringLocation& scanner, const char* text) {
  return scanner.StopLoc != NoPosition && scanner.Input().compare(scanner.StopLoc, scanner.StopLen, text) == 0;
}

// The parameters after "(", up to its ")"; false, with error 9, when the
// list is never closed.
bool ReadParameterList(Quorb& instance, QuorbItem* item, StringLocation& scanner) {
  while (!NoTokenText(scanner) && instance.Error.Number == 0) {
    if (TokenTextIs(scanner, ")") || StoppedAt(scanner, ")")) return true;
    scanner.NextToken(DefaultToken, 1);
    if (TokenTextIs(scanner, ")")) return true;
    instance.ParamParse(item, scanner);
  }
  instance.SetErrorIfNone(ErrInvalidDefinition);
  return false;
}

void FunctionSignature(DefinitionState& state, std::string& name) {
  Quorb& instance = state.instance;
  StringLocation& scanner = state.Scan();
  QuorbItem* item = state.item;
  item->SetBit(IsFunction, true);
  name = NextTokenText(scanner);
  if (!IsNameToken(scanner)) {
    // Filed under "=" or "(" it would take that symbol from every expression.
    instance.SetErrorIfNone(ErrInvalidDefinition);
    name.clear();
    return;
  }
  scanner.NextToken(DefaultToken, 1);
  if (!TokenTextIs(scanner, "(")) {
    scanner.Pos = scanner.TokenStart;  // no parameter list: "As" or the body follows
  } else if (!ReadParameterList(instance, item, scanner)) {
    return;
  }
  if (!NextTokenIs(instance, scanner, "as")) return;
  QuorbDataType* type = ResultType(instance, NextTokenText(scanner));
  if (NextTokenIs(instance, scanner, "ptr")) {
    // The result holds an address: storage narrower than one cannot.
    if (type != nullptr && type->SizeOf() < sizeof(void*)) type = instance.Types.PointerType;
    scanner.NextToken(DefaultToken, 1);
  }
  if (type != nullptr) item->DataType = type;
}

// Parses the operand inside the block at the scanner as one parameter.
void OperandParameter(DefinitionState& state) {
  Quorb& instance = state.instance;
  StringLocation& scanner = state.Scan();
  scanner.NextCodeBlock(false);
  std::string inside = state.text.substr(scanner.BlockInnerStart, scanner.BlockInnerLen);
  CursorLease operand(inside, instance.MainTransform());
  operand->NextToken(DefaultToken, 1);
  instance.ParamParse(state.item, *operand);
}

void OperatorSignature(DefinitionState& state, std::string& symbol) {
  Quorb& instance = state.instance;
  StringLocation& scanner = state.Scan();
  QuorbItem* item = state.item;
  item->SetBit(IsOperator, true);
  scanner.NextToken(DefaultToken, 1);
  if (scanner.CurrentToken->Token().TokenKind == TokenLiteral) {
    int64_t precedence = 0;
    if (!ReadInt(scanner.TokenText(), precedence)) {
      instance.SetErrorIfNone(ErrInvalidDefinition);
      return;
    }
    item->Precedence = static_cast<int32_t>(precedence);
    scanner.NextToken(DefaultToken, 1);
    if (TokenTextIs(scanner, ":")) {
      if (NextTokenIs(instance, scanner, "rl")) item->SetBit(IsRightToLeft, true);
      scanner.NextToken(DefaultToken, 1);
    }
  }
  if (item->Precedence == 0 && instance.Definitions.DefaultItem != nullptr) item->Precedence = instance.Definitions.DefaultItem->Precedence;

  scanner.Pos = scanner.TokenStart;
  bool left = false;
  if (scanner.CurrentToken->Token().TokenKind == TokenCodeBlock) {
    OperandParameter(state);
    left = true;
  }
  if (!left) item->SetBit(IsPrefix, true);
  symbol = NextTokenText(scanner);

  scanner.NextToken(DefaultToken, 1);
  scanner.Pos = scanner.TokenStart;
  if (scanner.CurrentToken->Token().TokenKind == TokenCodeBlock) OperandParameter(state);
  else item->SetBit(IsPostfix, true);
  if (!item->Has(IsPrefix) && !item->Has(IsPostfix)) item->SetBit(IsInfix, true);

  if (NextTokenIs(instance, scanner, "as")) {
    if (QuorbDataType* type = ResultType(instance, NextTokenText(scanner))) item->DataType = type;
    scanner.NextToken(DefaultToken, 1);
  }
}

// Every step of the body knows its function, also the steps of ByExpr
// arguments, which live in expressions of their own.
void MarkEnclosingFunction(QuorbParsedExpr* expr, QuorbItem* function) {
  std::vector<QuorbParsedExpr*> pending{expr};
  while (!pending.empty()) {
    QuorbParsedExpr* current = pending.back();
    pending.pop_back();
    for (ExpressionPart* part : current->Parts) {
      part->EnclosingFunction = function;
      // A ByExpr wrapper holds its argument's steps; a function item passed
      // along (a call of a user function) holds another body, not ours.
      for (QuorbItem* arg : part->Args)
        if (arg != nullptr && arg->ParsedExpr != nullptr && !arg->Has(IsFunction) && !arg->Has(IsOperator))
          pending.push_back(arg->ParsedExpr);
    }
  }
}

// The rest of the text is the body: parsed once, with the item's result
// type wanted, and run by the BodyCall callback at every call.
void ParseBody(DefinitionState& state) {
  Quorb& instance = state.instance;
  QuorbItem* item = state.item;
  instance.ParametersHeld.FileAll();  // the body reads them
  std::string body = state.text.substr(state.Scan().Pos);
  item->Callback = BodyCall.Callback;
  item->Roles = BodyCall.Roles;
  QuorbParsedExpr* expr;
  {
    PendingErrorKept kept(instance);
    expr = instance.Parse(body, item->DataType);
  }
  QuorbParsedExpr::Free(item->ParsedExpr);
  item->ParsedExpr = expr;
  expr->FunctionItem = item;
  MarkEnclosingFunction(expr, item);
}

// Whether an item filed in the instance already runs `callback` with the
// parameters and result `item` declares: a callback reads and writes its
// values at the widths of the signature it was written for, so a definition
// that may only borrow a known callback must borrow its signature too.
bool RunsWithSameSignature(Quorb& instance, const QuorbItem* item) {
  const Table* root = instance.RootTable();
  if (root == nullptr) return false;
  const uint64_t passing = PropertyBit(IsArray) | PropertyBit(IsByRef) | PropertyBit(IsByExpr) |
                           PropertyBit(IsByHandle) | PropertyBit(IsPointer) | PropertyBit(IsVariadic);
  return AnyFiledItem(root->Symbols, [&](const QuorbItem* known) {
    // A host's function is run through one shared step: the function it
    // calls is the one that must match.
    if (known == item || known->Callback != item->Callback || known->HostFunction != item->HostFunction ||
        known->DataType != item->DataType ||
        known->SubItems.size() != item->SubItems.size())
      return false;
    for (size_t k = 0; k < item->SubItems.size(); ++k) {
      const QuorbItem* mine = item->SubItems[k];
      const QuorbItem* theirs = known->SubItems[k];
      if (mine->DataType != theirs->DataType || (mine->Properties & passing) != (theirs->Properties & passing))
        return false;
    }
    return true;
  });
}

// The item filed under its name: a parameter held back under the same name
// is filed first, as it would have been before the item.
void FileSignatureByName(DefinitionState& state, const std::string& name) {
  state.instance.ParametersHeld.FileAllIfNamed(name, 0, name.size());
  FileByName(state, name);
}

}  // namespace

void SignatureClause(DefinitionState& state, bool isOperator) {
  Quorb& instance = state.instance;
  QuorbItem* item = state.item;
  if (!TakeRole(state, ItemRole::Callable)) return;
  HeldParametersScope held(instance.ParametersHeld);
  item->SetBit(IsCallable, true);
  InstallCallback(state, item);
  item->DataType = instance.DefaultType();
  if (item->Roles.Has(RoleTypeCarrier))
    item->SubItems.push_back(new QuorbItem(instance.Types.AnyType, std::string()));  // the pointed-to type's carrier

  std::string name;
  if (isOperator) OperatorSignature(state, name);
  else FunctionSignature(state, name);
  item->ElementCount = item->Has(IsVariadic) ? ~0ULL : item->SubItems.size();
  // Refused like any failed clause: the item is filed and freed as usual.
  if (state.addrCallbackOnly && state.addr != nullptr) {
    instance.ParametersHeld.FileAll();  // the walk meets every filed item
    if (!RunsWithSameSignature(instance, item)) Refuse(state);
  }

  if (!state.bootstrap) {
    FileSignatureByName(state, name);
    item = state.item;  // an overwrite keeps the existing item's address
  }
  StringLocation& scanner = state.Scan();
  if (scanner.Pos < state.text.size() && instance.Error.Number == 0) ParseBody(state);
  if (state.bootstrap) {
    FileSignatureByName(state, name);
    item = state.item;
  }
  // Parameter names are visible only while the body is parsed; those still
  // held were never filed (the scope forgets them).
  for (QuorbItem* sub : item->SubItems)
    if (sub->OwningTable != nullptr) sub->OwningTable->Remove(sub);
  scanner.Pos = state.text.size();
}

}  // namespace QuorbNameSpace
