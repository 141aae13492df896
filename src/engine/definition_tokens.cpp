// Definition clauses that extend the language's surface: namespaces, error
// handlers, and tokens of the expression tokenizer.
#include <algorithm>

#include "engine/definition_keywords.h"
#include "engine/definition_state.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "types/number_parsing.h"

namespace QuorbNameSpace {

void NamespaceClause(DefinitionState& state) {
  Quorb& instance = state.instance;
  std::string word = instance.Case(NextTokenText(state.Scan()));
  std::vector<Table*>& stack = instance.MainTransform()->SearchTables;
  if (word == "begin") {
    QuorbItem* item = state.item;
    if (item->Has(IsNamespace)) return;  // already a namespace: its table stays
    // Type items and the default item outlive every table at tear-down, and
    // a token list frees its tokens after the tables: the items of a table
    // of theirs would be freed after what they use, or twice.
    if (item->Has(IsDataType) || item == instance.Definitions.DefaultItem || item->Token().TokenList != nullptr) {
      Refuse(state);
      return;
    }
    item->SetOwnTable(std::make_unique<Table>());
    item->SetBit(IsNamespace, true);
    item->OwnTable()->CaseSensitive = (instance.Definitions.Flags & PropertyBit(IsCaseSensitive)) != 0;
    stack.push_back(item->OwnTable());
  } else if (word == "end") {
    if (stack.size() > 1) stack.pop_back();  // the root table always stays
  }
}

void ErrorHandlerClause(DefinitionState& state) {
  Quorb& instance = state.instance;
  QuorbItem* item = state.item;
  if (!TakeRole(state, ItemRole::Handler)) return;
  uint64_t position = 0;
  std::string text = NextTokenText(state.Scan());
  if (text.empty() || ParseUInt64Text(text, position) != ParseStatus::Ok) {
    instance.SetErrorIfNone(ErrInvalidDefinition);
    return;
  }
  item->SetBit(IsErrorHandler, true);
  item->Callback = state.OtherCallback();
  std::vector<QuorbItem*>& handlers = instance.Definitions.ErrorHandlers;
  handlers.erase(std::remove(handlers.begin(), handlers.end(), item), handlers.end());
  handlers.insert(handlers.begin() + static_cast<std::ptrdiff_t>(std::min<uint64_t>(position, handlers.size())), item);
}

// The pattern is read with the token transform's plain token set, which
// does not split it into operators and brackets.
void TokenClause(DefinitionState& state) {
  Quorb& instance = state.instance;
  StringLocation& scanner = state.Scan();
  StringLocation patternReader(state.text, instance.Scanners.Transforms[2]);
  patternReader.Pos = scanner.Pos;
  patternReader.upto(DefStop);
  std::string pattern = patternReader.TokenText();
  scanner.Pos = patternReader.Pos;
  if (pattern.empty()) {
    instance.SetErrorIfNone(ErrInvalidDefinition);
    return;
  }
  // The default item belongs to the instance, not to a token list; a type
  // item is freed after every token list, and a list must not free it; a
  // namespace's table must go with the tables, not with the tokens.
  if (state.item == instance.Definitions.DefaultItem || state.item->Has(IsDataType) || state.item->Has(IsNamespace)) {
    Refuse(state);
    return;
  }
  instance.MainTransform()->DefineToken(pattern, TokenGeneric, "", 0, GrammarDefault, state.item);
}

void EndMatchClause(DefinitionState& state) {
  Quorb& instance = state.instance;
  QuorbItem* opener = state.item;
  std::string pattern = ReadBody(state.Scan());
  QuorbItem* closer;
  {
    PendingErrorKept kept(instance);
    closer = instance.Define("Token:" + pattern, nullptr, nullptr);
  }
  if (closer == nullptr) {
    instance.SetErrorIfNone(ErrInvalidDefinition);
    return;
  }
  if (opener->Token().Partner != nullptr) opener->Token().Partner->EditToken().Partner = nullptr;
  opener->EditToken().TokenKind = TokenCodeBlock;
  closer->EditToken().TokenKind = TokenCodeBlockMatch;
  opener->EditToken().Partner = closer;
  closer->EditToken().Partner = opener;
}

}  // namespace QuorbNameSpace
