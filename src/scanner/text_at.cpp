// Token texts compared and looked up in place.
#include "scanner/text_at.h"

#include <algorithm>
#include <cstring>

#include "engine/table.h"

namespace QuorbNameSpace {

bool CompareTextInPlace = true;

namespace {

constexpr size_t kKeysReadInTurn = 8;

// The length substr would give.
uint64_t Clamped(const std::string& text, uint64_t at, uint64_t length) {
  return at >= text.size() ? 0 : std::min<uint64_t>(length, text.size() - at);
}

}  // namespace

bool TextEqualsAt(const std::string& text, uint64_t at, uint64_t length, const std::string& word, bool caseSensitive) {
  return TextEqualsAt(text, at, length, word.data(), word.size(), caseSensitive);
}

bool TextEqualsAt(const std::string& text, uint64_t at, uint64_t length, const char* word, uint64_t wordLength,
                  bool caseSensitive) {
  if (!CompareTextInPlace) {
    const std::string copy = at >= text.size() ? std::string() : text.substr(at, length);
    const std::string whole(word, wordLength);
    if (copy.size() != whole.size()) return false;
    return caseSensitive ? copy == whole : FoldCase(copy) == FoldCase(whole);
  }
  length = Clamped(text, at, length);
  if (length != wordLength) return false;
  if (length == 0) return true;
  const char* here = text.data() + at;
  if (caseSensitive) return std::memcmp(here, word, length) == 0;
  for (uint64_t i = 0; i < length; ++i)
    if (FoldCase(here[i]) != FoldCase(word[i])) return false;
  return true;
}

QuorbItem* FiledUnderTextAt(const Table* table, const std::string& text, uint64_t at, uint64_t length) {
  if (table == nullptr) return nullptr;
  if (!CompareTextInPlace) return table->Handle(at >= text.size() ? std::string() : text.substr(at, length));
  length = Clamped(text, at, length);
  // No name longer than the longest ever filed can be found.
  if (length > table->LongestKey) return nullptr;
  // A rule table holds a few anchors: reading its keys in turn, by length
  // first, costs less than making a key to search with. The keys are
  // folded in a table that folds (Table::Key).
  if (table->Symbols.size() <= kKeysReadInTurn) {
    const char* here = text.data() + (at >= text.size() ? text.size() : at);
    for (const auto& entry : table->Symbols) {
      const std::string& key = entry.first;
      if (key.size() != length) continue;
      uint64_t i = 0;
      if (table->CaseSensitive) {
        while (i < length && here[i] == key[i]) ++i;
      } else {
        while (i < length && FoldCase(here[i]) == key[i]) ++i;
      }
      if (i == length) return entry.second;
    }
    return nullptr;
  }
  // One key, folded where it is made: Handle would copy the text twice.
  std::string key(text, at >= text.size() ? text.size() : at, length);
  if (!table->CaseSensitive)
    for (char& c : key) c = FoldCase(c);
  auto found = table->Symbols.find(key);
  return found == table->Symbols.end() ? nullptr : found->second;
}

}  // namespace QuorbNameSpace
