// Looking names up through a transform's search tables.
#include <string>

#include "engine/quorb.h"
#include "engine/table.h"
#include "scanner/string_location.h"

namespace QuorbNameSpace {

// The name a text stands for: the text without surrounding blanks. Until
// the token scanner takes the first token, this serves texts that hold one
// name.
static std::string FirstName(const std::string& text) {
  size_t start = text.find_first_not_of(" \t\r\n");
  if (start == std::string::npos) return std::string();
  size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(start, end - start + 1);
}

// The innermost table first, then the rule table.
QuorbItem* StringLocation::LookUp(const std::string& name) const {
  if (SearchTables.empty()) return nullptr;
  Table* innermost = SearchTables.back();
  if (QuorbItem* found = innermost->Handle(name)) return found;
  if (RuleTable != nullptr && innermost != RuleTable) return RuleTable->Handle(name);
  return nullptr;
}

QuorbItem* StringLocation::SymbolHandle(const std::string& text, bool, bool fallback) {
  std::string name = FirstName(text);
  if (name.empty()) return nullptr;
  if (QuorbItem* found = LookUp(name)) return found;
  if (!fallback || Owner == nullptr) return nullptr;
  StringLocation* parser = Owner->ParserTransform();
  if (parser == nullptr || parser->RuleTable == nullptr) return nullptr;
  return parser->RuleTable->Handle(name);
}

QuorbItem* StringLocation::SymbolHandleExp(const std::string& text, bool shorten) {
  return SymbolHandle(text, shorten, false);
}

}  // namespace QuorbNameSpace
