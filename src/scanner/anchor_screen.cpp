// The anchor screen: the names of an expander's search tables looked for
// in a text, byte by byte.
#include "scanner/anchor_screen.h"

#include <algorithm>
#include <cstring>

#include "engine/table.h"
#include "scanner/byte_set.h"
#include "scanner/scan_memory.h"
#include "scanner/string_location.h"
#include "scanner/token_dispatch.h"

namespace QuorbNameSpace {

bool ScreenTextsForAnchors = true;

namespace {

// More names than this are not read: such a table's texts are scanned as
// before.
constexpr size_t kScreenedNames = 16;

// Texts screened lately against one table's names, with their answers: a
// definition names the same few types over and over, each looked up
// through the parser transform's rules. Only short texts are kept.
constexpr size_t kRememberedTexts = 4;
constexpr size_t kRememberedLength = 24;

// Whether a table files a piece of the text `bytes` held.
struct ScreenedText {
  size_t length;  // 0: no text kept here
  bool files;
  char bytes[kRememberedLength];
};

// The names of one table as they stood at one stamp: the bytes they start
// with (both cases where the table folds) and the names themselves, read
// in place (a name taken out moves the stamp, so none is gone while the
// stamp holds). Plain data: the last table screened on a thread.
struct ScreenedNames {
  const Table* table = nullptr;
  uint64_t stamp = 0;
  size_t count = 0;
  bool caseSensitive = false;
  bool screened = false;  // false: too many names, or an empty one
  ByteSet firsts;
  const std::string* names[kScreenedNames];
  // The answers found for these names (made again with them: an answer is
  // a function of the names and the text's bytes alone).
  ScreenedText texts[kRememberedTexts] = {};
  size_t nextText = 0;  // the slot the next answer takes
};
ScreenedNames& NamesOf(ScreenedNames& names, const Table& table) {
  if (names.table == &table && names.stamp == table.NamesStamp && names.count == table.Symbols.size() &&
      names.caseSensitive == table.CaseSensitive)
    return names;
  names = ScreenedNames();
  names.table = &table;
  names.stamp = table.NamesStamp;
  names.count = table.Symbols.size();
  names.caseSensitive = table.CaseSensitive;
  if (names.count > kScreenedNames) return names;
  size_t n = 0;
  for (const auto& entry : table.Symbols) {
    const std::string& key = entry.first;
    // An empty name would be found by a token of no length.
    if (key.empty()) return names;
    const auto first = static_cast<unsigned char>(key[0]);
    names.firsts.Add(first);
    // A folded name is found under its upper-case letters too.
    if (!table.CaseSensitive && first >= 'a' && first <= 'z') names.firsts.Add(static_cast<unsigned char>(first - 'a' + 'A'));
    names.names[n++] = &key;
  }
  names.screened = true;
  return names;
}

// Whether one of a table's screened `names` occurs in [start, end) of
// `text` (as the table compares names: folded where it folds).
bool FilesAPieceOf(const ScreenedNames& names, const std::string& text, uint64_t start, uint64_t end) {
  const ByteSet firsts = names.firsts;
  const size_t count = names.count;
  const bool caseSensitive = names.caseSensitive;
  // Copied out: read through the thread's block at every name, the loop
  // would look the block up each time.
  const std::string* keys[kScreenedNames];
  std::copy(names.names, names.names + count, keys);
  const char* bytes = text.data();
  for (uint64_t at = start; at < end; ++at) {
    if (!firsts.Has(static_cast<unsigned char>(bytes[at]))) continue;
    const char first = caseSensitive ? bytes[at] : FoldCase(bytes[at]);
    for (size_t k = 0; k < count; ++k) {
      const std::string& key = *keys[k];
      if (key[0] != first || key.size() > end - at) continue;
      uint64_t i = 1;
      if (caseSensitive) {
        while (i < key.size() && bytes[at + i] == key[i]) ++i;
      } else {
        while (i < key.size() && FoldCase(bytes[at + i]) == key[i]) ++i;
      }
      if (i == key.size()) return true;
    }
  }
  return false;
}

// Whether `table` files a name that occurs in [start, end) of `text`, or
// has too many names to tell; as remembered for the same bytes screened
// against the same names.
bool TableFilesAPieceOf(ScreenedNames& last, const Table& table, const std::string& text, uint64_t start,
                        uint64_t end) {
  ScreenedNames& names = NamesOf(last, table);
  if (!names.screened) return true;
  const uint64_t length = end - start;
  if (length == 0 || length > kRememberedLength) return FilesAPieceOf(names, text, start, end);
  const char* bytes = text.data() + start;
  for (const ScreenedText& kept : names.texts)
    if (kept.length == length && std::memcmp(kept.bytes, bytes, length) == 0) return kept.files;
  const bool files = FilesAPieceOf(names, text, start, end);
  ScreenedText& slot = names.texts[names.nextText];
  names.nextText = (names.nextText + 1) % kRememberedTexts;
  slot.length = length;
  slot.files = files;
  std::memcpy(slot.bytes, bytes, length);
  return files;
}

// Whether a token list holds only tokens read by a hand-written matcher,
// none standing for a rule's regular-expression anchor: as last found for
// a list of that buffer and length with no token part edited since.
struct PlainList {
  QuorbItem* const* data = nullptr;
  size_t size = 0;
  uint64_t edits = 0;
  bool plain = false;
};
bool PlainTokens(PlainList& list, const std::vector<QuorbItem*>* tokens) {
  if (tokens == nullptr) return true;
  // Read before the walk: an edit after it moves the count past this.
  const uint64_t edits = TokenPartEdits.load(std::memory_order_relaxed);
  if (list.data == tokens->data() && list.size == tokens->size() && list.edits == edits) return list.plain;
  list.plain = true;
  for (const QuorbItem* token : *tokens)
    if (token->Token().FastMatch == nullptr || token->Token().RegExRule != nullptr) list.plain = false;
  list.data = tokens->data();
  list.size = tokens->size();
  list.edits = edits;
  return list.plain;
}

// What a thread screened last, in one block: one look-up of the thread's
// storage per screen.
struct ScreenMemory {
  ScreenedNames names;
  PlainList list;
};
thread_local ScreenMemory lastScreen;

}  // namespace

bool RulesMayMatch(const StringLocation& expander, const std::string& text, uint64_t start, uint64_t end) {
  if (!ScreenTextsForAnchors || end > text.size() || start >= end) return true;
  // A scan takes a step per token and measures each code block once: at
  // most two steps per byte. A budget lowered below that (as tests do) may
  // stop the scan, which reports the stop.
  const uint64_t length = text.size();
  if (ActiveStepLimit.minimum + ActiveStepLimit.perByte * length < 4 * length + 16) return true;
  // Passes also run inside each code block of the scan.
  for (const StringLocation* pass : expander.Passes)
    if (pass != nullptr) return true;
  ScreenMemory& last = lastScreen;
  if (!PlainTokens(last.list, expander.Tokens)) return true;
  const Table* innermost = expander.SearchTables.empty() ? expander.RuleTable : expander.SearchTables.back();
  if (innermost != nullptr && TableFilesAPieceOf(last.names, *innermost, text, start, end)) return true;
  return expander.RuleTable != nullptr && expander.RuleTable != innermost &&
         TableFilesAPieceOf(last.names, *expander.RuleTable, text, start, end);
}

}  // namespace QuorbNameSpace
