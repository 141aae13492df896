// Looking token texts up through a transform's search tables: namespaces
// entered through member access, operator runs shortened until a name is
// found, and the parser transform's table as a fallback.
#include <string>

#include "engine/errors.h"
#include "engine/quorb.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "scanner/cursor_lease.h"
#include "scanner/string_location.h"
#include "scanner/text_at.h"

namespace QuorbNameSpace {

// A token longer than every name the table ever held is neither copied nor
// looked up: a long run costs nothing here.
// A signature's parameters held back from their table are filed first when
// the token could name one of them: the lookup finds what it would have.
QuorbItem* StringLocation::LookUpToken(Table* table, const StringLocation& cursor) const {
  if (Owner != nullptr && !Owner->ParametersHeld.Empty())
    Owner->ParametersHeld.FileAllIfNamed(*cursor.Attached.TextPtr, cursor.TokenLoc, cursor.TokenLen);
  if (table == nullptr || cursor.TokenLen > table->LongestKey) return nullptr;
  return FiledUnderTextAt(table, *cursor.Attached.TextPtr, cursor.TokenLoc, cursor.TokenLen);
}

QuorbItem* StringLocation::SymbolHandle(StringLocation& cursor, bool shorten) {
  Table* searched = SearchTables.empty() ? RuleTable : SearchTables.back();
  QuorbItem* found = LookUpToken(searched, cursor);
  if (found == nullptr && searched != RuleTable) {
    searched = RuleTable;
    found = LookUpToken(searched, cursor);
  }
  while (found != nullptr && found->Has(IsNamespace)) {
    QuorbItem* space = found;
    cursor.NextToken(DefaultToken, 1);
    if (cursor.CurrentToken->Token().TokenKind != TokenMemberAccess) {
      cursor.Pos = cursor.ScanStart;  // the token after the name is read again
      return space;
    }
    cursor.NextToken(DefaultToken, 1);
    searched = space->OwnTable();
    found = LookUpToken(searched, cursor);
    if (found == nullptr && Owner != nullptr) Owner->SetErrorIfNone(ErrUnrecognizedNamespaceMember);
  }
  if (found == nullptr && shorten && cursor.CurrentToken != nullptr &&
      cursor.CurrentToken->Token().TokenKind == TokenReducible) {
    // Shortening gives the cut-off characters back to the next token step.
    // Lengths beyond the table's longest name cannot match and are skipped
    // at once: a long run of operator characters stays linear to look up.
    const uint64_t longest = searched != nullptr && searched->LongestKey > 0 ? searched->LongestKey : 1;
    if (cursor.TokenLen > longest) {
      cursor.Pos -= cursor.TokenLen - longest;
      cursor.TokenLen = longest;
      found = LookUpToken(searched, cursor);
    }
    while (found == nullptr && cursor.TokenLen > 1) {
      --cursor.Pos;
      --cursor.TokenLen;
      found = LookUpToken(searched, cursor);
    }

  }
  return found;
}

QuorbItem* StringLocation::SymbolHandle(const std::string& text, bool shorten, bool fallback) {
  {
    CursorLease cursor(text, this);
    cursor->NextToken(DefaultToken, 1);
    if (QuorbItem* found = SymbolHandle(*cursor, shorten)) return found;
  }
  if (!fallback || Owner == nullptr) return nullptr;
  StringLocation* parser = Owner->ParserTransform();
  if (parser == nullptr || parser->RuleTable == nullptr) return nullptr;
  CursorLease cursor(text, parser);
  cursor->NextToken(DefaultToken, 1);
  // The parser transform's rules become the innermost table for this lookup.
  SearchTables.push_back(parser->RuleTable);
  QuorbItem* found = SymbolHandle(*cursor, shorten);
  SearchTables.pop_back();
  return found;
}

QuorbItem* StringLocation::SymbolHandleExp(const std::string& text, bool shorten) {
  std::string expanded = Owner != nullptr ? Owner->RewriteByParserRules(text) : text;
  return SymbolHandle(expanded, shorten, false);
}

void StringLocation::AddSymbol(const std::string& name, QuorbItem*& item, int32_t overwrite) {
  if (name.empty()) {
    if (Owner != nullptr) Owner->SetErrorIfNone(ErrInvalidDefinition);
    return;
  }
  if (Table* table = FilingTable(item)) table->Add(name, item, (overwrite & 0xFF) != 0);
}

Table* StringLocation::FilingTable(const QuorbItem* item) const {
  for (auto table = SearchTables.rbegin(); table != SearchTables.rend(); ++table)
    if (item == nullptr || *table != item->OwnTable()) return *table;
  return RuleTable;
}

void StringLocation::RemoveSymbol(QuorbItem* item) {
  // From wherever it is filed: a table only unlinks its own items.
  if (item != nullptr && item->OwningTable != nullptr) item->OwningTable->Remove(item);
}

void StringLocation::RemoveSymbol(const std::string& name) {
  Table* innermost = SearchTables.empty() ? RuleTable : SearchTables.back();
  if (innermost == nullptr) return;
  auto found = innermost->Symbols.find(name);
  if (found != innermost->Symbols.end()) innermost->Remove(found->second);
}

bool StringLocation::IsEqual(const std::string& a, const std::string& b) const {
  if (a.size() != b.size()) return false;
  if (Has(IsCaseSensitive)) return a == b;
  return FoldCase(a) == FoldCase(b);
}

}  // namespace QuorbNameSpace
