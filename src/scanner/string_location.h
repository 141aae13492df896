// StringLocation: a transform configuration and a cursor over one text.
// An owning transform (IsOwner set) owns its token list, its rule table and
// its passes; a cursor shares them with its parent and owns only its
// scanning state. Positions are byte offsets into the text being scanned, so
// they stay valid when the text is swapped, grown or replaced.
//
// This holds the members the item and error layers rely on; scanning,
// lookup, rules and expansion are added in their own files.
#ifndef QUORB_SCANNER_STRING_LOCATION_H
#define QUORB_SCANNER_STRING_LOCATION_H

#include <cstdint>
#include <string>
#include <vector>

#include "engine/base_class.h"
#include "engine/quorb_item.h"

namespace QuorbNameSpace {

class Table;

// What ResetStringLocation frees besides passes and change records.
enum TransformResetEnum : int32_t {
  ResetRulesAndTokens = 0,
  ResetNeither = 1,
  ResetTokensOnly = 2,
  ResetRulesOnly = 3,
};

class StringLocation : public virtual BaseClass {
 public:
  // An owning transform of `owner`, with an empty token list and a new root
  // table whose case sensitivity follows the instance's flag word.
  explicit StringLocation(Quorb* owner);
  ~StringLocation();

  StringLocation(const StringLocation&) = delete;
  StringLocation& operator=(const StringLocation&) = delete;

  // Frees owned parts by kind (only on an owning transform): the rules
  // and/or tokens, and always the passes.
  void ResetStringLocation(TransformResetEnum kind);

  // The item named by the first token of `text`, or null: the innermost
  // search table, then the rule table; with `fallback`, the instance's
  // parser transform's rule table too.
  QuorbItem* SymbolHandle(const std::string& text, bool shorten, bool fallback);
  // As SymbolHandle, after the parser transform's rules rewrote the text.
  QuorbItem* SymbolHandleExp(const std::string& text, bool shorten);

  std::string OwnText;                     // the transform's own copy of its input
  const std::string* TextPtr = nullptr;    // the text being scanned
  uint64_t TokenStart = 0;                 // offset of the current token's whole match
  uint64_t TokenLen = 0;                   // length of the current token's text
  StringLocation* Parent = nullptr;        // parent of a cursor or pass
  std::vector<QuorbItem*>* Tokens = nullptr;   // token list, in definition order
  Table* RuleTable = nullptr;              // rule table; the instance's root table on transform 0
  std::vector<Table*> SearchTables;        // outermost first; the last is where symbols go
  std::vector<StringLocation*> Passes;     // run before the own rules; owned
  QuorbItem RulesDefault;                  // limits and flags copied into new rules
  QuorbItem RulesOverall;

  const std::string& Input() const { return *TextPtr; }

 private:
  QuorbItem* LookUp(const std::string& name) const;
};

}  // namespace QuorbNameSpace

#endif
