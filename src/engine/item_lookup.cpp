// Instance-level lookups: by name and property mask, by position in the
// current namespace, and operator precedence. The by-name and by-property
// lookups never return null: "not found" is the ItemNotFound sentinel.
#include <cstdint>
#include <map>

#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "scanner/string_location.h"

namespace QuorbNameSpace {

QuorbItem* Quorb::ItemOfByName(const std::string& name, int64_t mask, bool literal, bool fallback) {
  const std::string text = literal ? name : RewriteByParserRules(name);
  QuorbItem* found = MainTransform()->SymbolHandle(text, false, fallback);
  if (found == nullptr) return ItemNotFound;
  if (mask == 0) return found;
  const uint64_t wanted = static_cast<uint64_t>(mask);
  for (QuorbItem* item = found; item != nullptr; item = item->NextOverload)
    if ((item->Properties & wanted) == wanted) return item;
  return ItemNotFound;
}

QuorbItem* Quorb::ItemOfByProperty(int64_t mask, int32_t index, const std::string& typeName) {
  QuorbDataType* filter = nullptr;
  if (QuorbItem* typeItem = MainTransform()->SymbolHandleExp(typeName, false)) filter = typeItem->DataType;
  Table* table = CurrentNamespaceTable();
  if (table == nullptr || index < 0) return ItemNotFound;
  // A snapshot: the walk must not see the table change under it.
  const SymbolMap snapshot = table->Symbols;
  int64_t number = 0;
  for (const auto& entry : snapshot) {
    for (QuorbItem* item = entry.second; item != nullptr; item = item->NextOverload, ++number) {
      if (number != index) continue;
      bool shares = (item->Properties & static_cast<uint64_t>(mask)) != 0;
      bool typed = filter == nullptr || item->DataType == filter;
      return shares && typed ? item : ItemNotFound;
    }
  }
  return ItemNotFound;
}

QuorbItem* Quorb::NamespaceSymbol(int32_t index) {
  Table* table = CurrentNamespaceTable();
  if (table == nullptr) return nullptr;
  uint32_t position = static_cast<uint32_t>(index);
  if (position >= table->Symbols.size()) return nullptr;
  auto entry = table->Symbols.begin();
  std::advance(entry, position);
  return entry->second;
}

int64_t Quorb::NamespaceSymbolCount() {
  Table* table = CurrentNamespaceTable();
  return table == nullptr ? 0 : static_cast<int64_t>(table->Symbols.size());
}

int32_t Quorb::Precedence(const std::string& name, const std::string& second) {
  QuorbItem* first = MainTransform()->SymbolHandle(name, false, false);
  if (first == nullptr) return 0;
  if (second.empty()) return first->Precedence;
  QuorbItem* other = MainTransform()->SymbolHandle(second, false, false);
  if (other == nullptr) return 0;
  // In 64 bits, so two large precedences cannot overflow the sum.
  return static_cast<int32_t>((static_cast<int64_t>(first->Precedence) + other->Precedence) / 2);
}

// The parser transform's passes and rules (the alias rules among them)
// rewrite the whole text; it comes back unchanged when none applies.
std::string Quorb::RewriteByParserRules(const std::string& text) {
  StringLocation* parser = ParserTransform();
  return parser != nullptr ? parser->Expand(text, NoPosition, NoPosition) : text;
}

}  // namespace QuorbNameSpace
