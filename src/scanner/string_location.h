// StringLocation: a transform configuration and a cursor over one text.
//
// An owning transform (IsOwner set) owns its token list, its rule table and
// its passes; the instance keeps four and makes more for the host. A cursor
// (IsOwner clear) is made over a text with a parent transform: it shares the
// parent's token list, rule table and owner, copies its search tables and
// passes, and owns only its scanning state. The parser, the definition
// language, the rule compiler and the expansion engine make short-lived
// cursors over the texts they work on.
//
// Files: construction and input (string_location.cpp), token definitions
// (token_definitions.cpp), scanning (token_scanning.cpp), rule matching at
// the cursor (rule_matching.cpp), symbol lookup (symbol_lookup.cpp).
#ifndef QUORB_SCANNER_STRING_LOCATION_H
#define QUORB_SCANNER_STRING_LOCATION_H

#include <cstdint>
#include <regex>
#include <string>
#include <vector>

#include "engine/base_class.h"
#include "engine/quorb_item.h"
#include "scanner/scan_state.h"
#include "scanner/token_kinds.h"
#include "scanner/token_matchers.h"
#include "scanner/transform_records.h"

namespace QuorbNameSpace {

class Table;

// What ResetStringLocation frees besides passes and change records.
enum TransformResetEnum : int32_t {
  ResetRulesAndTokens = 0,
  ResetNeither = 1,
  ResetTokensOnly = 2,
  ResetRulesOnly = 3,
};

// Regular-expression grammars a token or rule pattern may select; 0 is the
// transform's own default.
enum RegExGrammarEnum : int32_t {
  GrammarDefault = 0,
  GrammarECMAScript = 1,
  GrammarBasic = 2,
  GrammarExtended = 3,
  GrammarAwk = 4,
  GrammarGrep = 5,
  GrammarEgrep = 6,
};

class StringLocation : public virtual BaseClass, public ScanState {
 public:
  // An owning transform of `owner`, with an empty token list and a new root
  // table whose case sensitivity follows the instance's flag word.
  explicit StringLocation(Quorb* owner);
  // A cursor over `text` (kept by reference: it must outlive the cursor)
  // sharing `parent`'s tokens and tables. Without a parent: a stand-alone
  // owning object with its own empty token list and table.
  StringLocation(const std::string& text, StringLocation* parent);
  // A temporary text would be gone before the cursor reads it.
  StringLocation(std::string&& text, StringLocation* parent) = delete;
  ~StringLocation();

  StringLocation(const StringLocation&) = delete;
  StringLocation& operator=(const StringLocation&) = delete;

  // Frees owned parts by kind (only on an owning transform): the rules
  // and/or the tokens, and always the passes and change records. Freed
  // pointers are left null, never dangling.
  void ResetStringLocation(TransformResetEnum kind);
  // Makes a copy of `text` the input and moves to its start. Drops any
  // by-reference link, so no later run writes into a string that may be gone.
  void SetTransformInput(const std::string& text);
  // Takes the caller's string as input by exchange; an expansion hands the
  // result back into it.
  void SetTransformInputByRef(std::string* target);

  // Token definitions. Returns the token item (the opener of a pair), or
  // null when a pattern does not compile or the grammar is unknown (error 9
  // on the owner; nothing is appended).
  QuorbItem* DefineToken(const std::string& regex, TokenEnum kind, const std::string& closing, uint64_t subMatch,
                         int32_t grammar, QuorbItem* item);
  QuorbItem* DefineToken(const std::string& regex, TokenEnum kind, const std::string& closing, uint64_t subMatch);
  // The default token set of this kind of transform.
  void DefineTokens();

  // One token step (wanted = DefaultToken) or an up-to scan (wanted = the
  // terminator). Returns the list index of the last token item that
  // matched, NoPosition when none did.
  uint64_t NextToken(QuorbItem* wanted, uint64_t startOffset);
  void upto(QuorbItem* terminator);
  void upto(const std::string& terminator);
  // Steps over the code block at the cursor; with `restore` every member
  // but Pos returns to its value before the call.
  void NextCodeBlock(bool restore);
  // One token step; the token's text.
  std::string NextTokenStr();
  // Makes `text` the scanned text, keeping every position.
  void StringUpdate_(const std::string& text);
  // The current token text: TokenLen bytes from TokenLoc.
  std::string TokenText() const;

  // Matches `rule` (or one of its alternatives) at the cursor, the anchor
  // token just taken; fills one capture per part. The rule that matched,
  // or null with the cursor's properties unchanged.
  QuorbItem* CheckForSyntaxBlock(QuorbItem* rule, std::vector<LocationAndLengthStruct>& captures,
                                 uint64_t previousIndex);
  QuorbItem* CheckForSyntaxBlock(QuorbItem* rule);

  // The item named by the cursor's current token, searched in this
  // transform's tables; enters namespaces through member access and, with
  // `shorten`, shortens an operator run until a name is found. Null when
  // not found.
  QuorbItem* SymbolHandle(StringLocation& cursor, bool shorten);
  // The item named by the first token of `text`; with `fallback`, the
  // instance's parser transform's rule table is searched too.
  QuorbItem* SymbolHandle(const std::string& text, bool shorten, bool fallback);
  // As SymbolHandle, after the parser transform's rules rewrote the text.
  QuorbItem* SymbolHandleExp(const std::string& text, bool shorten);
  // Files `item` in the innermost search table; an empty name sets error 9.
  void AddSymbol(const std::string& name, QuorbItem*& item, int32_t overwrite);
  void RemoveSymbol(QuorbItem* item);
  // Removes the item filed exactly under `name` (no folding) in the innermost table.
  void RemoveSymbol(const std::string& name);
  // Text equality: byte for byte when case-sensitive, else ASCII case folded.
  bool IsEqual(const std::string& a, const std::string& b) const;

  const std::string& Input() const { return *TextPtr; }
  // Whether this transform is the owning one, not a cursor.
  bool IsOwning() const { return Has(IsOwner); }

  std::string OwnText;                          // the transform's own copy of its input
  const std::string* TextPtr = nullptr;         // the text being scanned
  std::string* InputRefTarget = nullptr;        // receives the result of an expansion
  StringLocation* Parent = nullptr;             // parent of a cursor or pass
  std::vector<QuorbItem*>* Tokens = nullptr;    // token list, in definition order
  std::vector<LogOfChangesClass*> ChangeLog;    // records of the current expansion; owned
  uint64_t TextLength = 0;                      // length when attached or last updated
  TokenMatch LastMatch;                         // the match of the last token tried
  std::string ListSeparator;                    // list format of recorded steps
  std::string ListPrefix;
  std::string ListPostfix;
  Table* RuleTable = nullptr;                   // rules; the root symbol table on transform 0
  std::vector<Table*> SearchTables;             // outermost first; the last is where symbols go
  FilterClass Filter;
  std::vector<std::string> Steps;               // steps recorded while IsRecordingSteps is set
  std::regex::flag_type Grammar = std::regex::ECMAScript;
  std::vector<StringLocation*> Passes;          // run before the own rules; owned
  std::vector<QuorbItem*> RuleHandles;          // rules listed for the host
  QuorbItem RulesDefault;                       // limits and flags copied into new rules
  QuorbItem RulesOverall;

 private:
  void AttachText(const std::string* text);
  QuorbItem* LookUpIn(Table* table, const std::string& name) const;
  void FinishScan(QuorbItem* wanted);
  QuorbItem* MatchParts(QuorbItem* rule, std::vector<LocationAndLengthStruct>& captures, bool& beganWithRegex);
};

}  // namespace QuorbNameSpace

#endif
