// Token texts compared and looked up where they stand in the scanned text.
// A scan compares every token of an up-to scan with its stop word and looks
// every anchor up in the rule table; copying each token out (and folding
// both sides into fresh strings) cost more than the comparison itself.
//
// Each function gives what its copying form gives: the text is
// text.substr(at, length), empty when `at` is at or past the end.
#ifndef QUORB_SCANNER_TEXT_AT_H
#define QUORB_SCANNER_TEXT_AT_H

#include <cstdint>
#include <string>

namespace QuorbNameSpace {

class QuorbItem;
class Table;

// Whether texts are compared and looked up in place (true) or copied out
// first (false: the slow twin; tests compare both ways).
extern bool CompareTextInPlace;

// Whether the text equals `word`: byte for byte when `caseSensitive`, else
// with ASCII letters folded (as StringLocation::IsEqual).
bool TextEqualsAt(const std::string& text, uint64_t at, uint64_t length, const std::string& word, bool caseSensitive);
// The same for the `wordLength` bytes at `word`, which need not be a string.
bool TextEqualsAt(const std::string& text, uint64_t at, uint64_t length, const char* word, uint64_t wordLength,
                  bool caseSensitive);

// The head of the chain `table` files the text under (as Table::Handle);
// null for a null table.
QuorbItem* FiledUnderTextAt(const Table* table, const std::string& text, uint64_t at, uint64_t length);

}  // namespace QuorbNameSpace

#endif  // QUORB_SCANNER_TEXT_AT_H
