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
// the cursor (rule_matching.cpp), symbol lookup (symbol_lookup.cpp), rule
// compilation (rule_compiler.cpp, rule_pattern.cpp, rule_replacement.cpp,
// rule_text_tidying.cpp) and text expansion (expansion.cpp).
#ifndef QUORB_SCANNER_STRING_LOCATION_H
#define QUORB_SCANNER_STRING_LOCATION_H

#include <cstdint>
#include <regex>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/base_class.h"
#include "engine/quorb_item.h"
#include "scanner/host_regex.h"
#include "scanner/scan_memory.h"
#include "scanner/scan_state.h"
#include "scanner/token_dispatch.h"
#include "scanner/token_kinds.h"
#include "scanner/token_matchers.h"
#include "scanner/change_records.h"
#include "scanner/transform_records.h"

namespace QuorbNameSpace {

class Table;
struct RuleBudget;

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

class StringLocation : public BaseClass, public ScanState {
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

  // A cursor over `text` with this object as its parent, as
  // StringLocation(text, this) makes one; one kept idle from an earlier use
  // where there is one (the definition language and name lookups make a
  // cursor for every text they read). The caller owns it until it gives it
  // back with KeepCursor (CursorLease does both).
  StringLocation* TakeCursor(const std::string& text);
  // Takes back a cursor of this object's: kept idle for the next
  // TakeCursor when it holds nothing but what scanning changes, freed
  // otherwise.
  void KeepCursor(StringLocation* cursor);

  // Blocks kept for reuse by the thread (engine/kept_blocks.cpp).
  static void* operator new(size_t size);
  static void operator delete(void* block, size_t size) noexcept;

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
  // The code block that begins at `at`, measured without moving the
  // cursor: its whole length (0 when it has no closer) and its inside.
  struct BlockSpan {
    uint64_t Length = 0;
    uint64_t InnerStart = 0;
    uint64_t InnerLength = 0;
  };
  BlockSpan MeasureBlock(uint64_t at);
  // One token step; the token's text.
  std::string NextTokenStr();
  // Makes `text` the scanned text, keeping every position.
  void StringUpdate_(const std::string& text);
  // The current token text: TokenLen bytes from TokenLoc.
  std::string TokenText() const;
  // Whether the current token text equals `word` (as IsEqual), read in place.
  bool TokenIs(const std::string& word) const;
  // The first-byte table token steps use: that of the outermost parent
  // sharing this object's token list (this object's own when none does, or
  // when sharing is switched off).
  TokenDispatch& ListDispatch();

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
  // The table a name is filed in: the innermost of the search tables, but
  // never a namespace item's own table (it would hold itself).
  Table* FilingTable(const QuorbItem* item) const;
  void RemoveSymbol(QuorbItem* item);
  // Removes the item filed exactly under `name` (no folding) in the innermost table.
  void RemoveSymbol(const std::string& name);
  // Text equality: byte for byte when case-sensitive, else ASCII case folded.
  bool IsEqual(const std::string& a, const std::string& b) const;

  const std::string& Input() const { return *Attached.TextPtr; }
  // Whether this transform is the owning one, not a cursor.
  bool IsOwning() const { return Has(IsOwner); }

  // The record is kept in groups by concern; a file names the group it
  // works on (cursor.Attached.TextPtr), so what it may change shows at each
  // use. The scanning positions are the ScanState base.

  // The text this object scans (string_location.cpp attaches it, scanning
  // reads it, expansion replaces it).
  struct AttachedText {
    std::string OwnText;                        // the transform's own copy of its input
    const std::string* TextPtr = nullptr;       // the text being scanned
    std::string* InputRefTarget = nullptr;      // receives the result of an expansion
    uint64_t TextLength = 0;                    // length when attached or last updated
  } Attached;
  // What a cursor shares with its parent or copies from it: the token list,
  // the tables and the passes, with the settings they are read with.
  StringLocation* Parent = nullptr;             // parent of a cursor or pass
  std::vector<QuorbItem*>* Tokens = nullptr;    // token list, in definition order
  Table* RuleTable = nullptr;                   // rules; the root symbol table on transform 0
  std::vector<Table*> SearchTables;             // outermost first; the last is where symbols go
  FilterClass Filter;
  std::regex::flag_type Grammar = std::regex::ECMAScript;
  std::vector<StringLocation*> Passes;          // run before the own rules; owned
  std::string Comment;                          // free comment
  // The last long run of one character class matched (an operator run):
  // symbol lookup shortens such a run and the parser reads tokens again, so
  // a step that starts inside it takes its end from here instead of reading
  // the rest once more; a long run stays linear to read. Forgotten whenever
  // the text is replaced or changed.
  struct RunRemainder {
    const QuorbItem* item = nullptr;
    uint64_t stamp = 0;  // the item's token edit stamp when the run was read
    const std::string* text = nullptr;
    uint64_t size = 0;
    uint64_t start = 0;
    uint64_t end = 0;
  };
  // What the tokenizer keeps between tokens of this cursor (token_scanning.cpp).
  struct TokenScan {
    // The table of Tokens by first byte. A cursor scans with the table of
    // the outermost object that holds the same list (ListDispatch): the
    // definition language and name lookups make a short-lived cursor for
    // each text, each too short to build a table of its own.
    TokenDispatch FirstByteDispatch;
    TokenMatch LastMatch;                       // the match of the last token tried
    RunRemainder RunLeft;                       // the last long run of one character class
  } Matching;
  // What an expansion records for the host (expansion.cpp writes it, the
  // transform exports read and format it).
  struct Recording {
    ChangeRecords ChangeLog;                     // records of the current expansion
    std::vector<std::string> Steps;             // steps recorded while IsRecordingSteps is set
    std::string ListSeparator;                  // list format of recorded steps
    std::string ListPrefix;
    std::string ListPostfix;
  } Record;
  // The host's view of the rules: its rule list and the items whose limits
  // and flags new rules copy.
  struct HostRuleSet {
    std::vector<QuorbItem*> RuleHandles;        // rules listed for the host
    QuorbItem RulesDefault;                     // limits and flags copied into new rules
    QuorbItem RulesOverall;
  } HostRules;

  // ---- Rule compilation and text expansion --------------------------------
  // (rule_compiler.cpp, rule_pattern.cpp, rule_replacement.cpp,
  // rule_text_tidying.cpp, expansion.cpp)

  // Compiles the FROM pattern and the TO text into `rule` (a new item when
  // null) and files it under its anchor in this transform's innermost table.
  // Null, changing nothing, when both texts are empty or the transform has
  // no owner instance. Null with error 9 (or the error of a failed "Eval"
  // directive) when the pattern or the TO text is malformed; everything
  // built is freed then and a given rule is left as it was.
  // Ownership: a filed rule and its variants belong to the rule table (a
  // variant is freed with the rule that spun it off, exactly once). A rule
  // without an anchor is returned unfiled and belongs to the caller. An
  // error raised while parsing an Eval, Exec or Param piece stays recorded
  // on the instance; the rule is still made.
  QuorbItem* DefineRule(std::string from, std::string to, QuorbItem* rule);
  // Opens every "{name: ...}" section of `text`: its braces and "name:" go,
  // the inner text stays. False when a section has no closing brace (the
  // text is then left partly opened).
  bool RemoveArgBrackets(const std::string& name, std::string& text);
  // Removes from `text` the references to every parameter of the pattern
  // fragment: "{name}" and whole "{name: ...}" sections become the
  // parameter's default text (empty without one). 1, or 0 when a section of
  // `text` or a group of the fragment is not closed.
  int32_t RemoveUnusedArgs(const std::string& fragment, std::string& text);
  // Gives each named part of `rule` a String variable (its first sub-item),
  // once: nothing when `done` is already true.
  void SetUpEvalRuleParams(bool& done, QuorbItem* rule);
  // Called when a compiled rule is released: takes it out of the variant
  // list of the rule that spun it off, frees its own variants (each exactly
  // once, whatever order a table is cleared in) and its regular-expression
  // anchor token. Does nothing for items this transform did not compile.
  void DetachRule(QuorbItem* rule);
  // The rule whose optional parts or alternatives `rule` was made for, or
  // `rule` itself: expansion reads limits, flags and counters there.
  static QuorbItem* FamilyHead(QuorbItem* rule);

  // Expands [start, end) of the attached text in place (NoPosition: from
  // Pos, to RangeEnd). The result is in OwnText (a cursor's caller string is
  // never written); with input by reference it is then exchanged into the
  // caller's string. Afterwards Pos and RangeStart are the range start and
  // RangeEnd its end in the new text. A second range expansion of the same
  // object while one runs is refused (nothing happens).
  void Expand(uint64_t start = NoPosition, uint64_t end = NoPosition);
  // Expands a copy of `text` (offsets into it; NoPosition: the whole text)
  // with this transform's passes and rules and returns it; the attached
  // text is untouched. Changes and steps go to this transform's lists; its
  // modified bit tells whether the text changed. Safe to re-enter; past a
  // nesting depth of 16 the text comes back unchanged.
  std::string Expand(const std::string& text, uint64_t start = NoPosition, uint64_t end = NoPosition);
  // Replaces the current match (TokenLoc, TokenLen) of OwnText by the text
  // the rule's pieces make, in place; records the change and empties
  // `captures`. Expansion itself builds its output without this call.
  void ModifyText(QuorbItem* rule, std::vector<LocationAndLengthStruct>& captures);
  bool WasModified() const { return Has(IsModified); }

 private:
  friend class RuleCompiler;
  friend class RuleExpansion;
  // The owning object's own token list and root table, made safely.
  void MakeOwnParts();
  // Compiles a new rule and files it; null (error 9, nothing left behind)
  // when the pattern or TO text is malformed.
  QuorbItem* CompileRule(std::string from, std::string to, std::string fromPart, std::string toPart,
                         RuleBudget& budget);
  // Replaces the compiled content of `rule` by that of `fresh`, a rule just
  // compiled by this transform, takes over its filing, and frees `fresh`.
  void AdoptCompiledRule(QuorbItem* fresh, QuorbItem* rule);
  // The transform that owns the rule table this object uses.
  StringLocation* OwningRoot();

  // The text around a replacement that a rule's local transform (this
  // object) is about to expand: the next expansion of this object reads it
  // as the rest of its document ({@Doc}), then forgets it.
  struct DocumentAround {
    const std::string* before = nullptr;  // the text before is its first beforeLength bytes
    uint64_t beforeLength = 0;
    const std::string* after = nullptr;   // the text after is its bytes from afterStart on
    uint64_t afterStart = 0;
  };
  // What expansion and rule compilation keep on this object while they run.
  struct ExpansionRun {
    DocumentAround DocumentAround_;
    std::unordered_map<const QuorbItem*, QuorbItem*> VariantParents_;  // variant -> rule that spun it off
    int32_t ExpansionDepth_ = 0;    // expansions running with this object's rules
    ScanMemory* Memory_ = nullptr;  // an expansion's cursor: what it remembers of its text
    bool RangeExpanding_ = false;   // a range expansion of OwnText is running
  } Expanding_;
  // ---- end of rule compilation and text expansion --------------------------

  // ---- What a host does with a transform (transform_management.cpp) -------
 public:

  // The host's reset: frees by kind (the passes always), empties the rule
  // list and gives the transform an empty input and fresh parts: a pass
  // takes its parent's again, a top-level transform gets a new token list
  // with the default set and an empty rule table. A token list or rule
  // table replaced without being freed is kept, no longer searched, until
  // the transform goes: handles the host holds into it stay valid.
  void ResetForHost(TransformResetEnum kind);
  // A new pass over the current text, owned by the caller: `share` makes a
  // cursor with this transform as its parent; otherwise an owning object
  // with copies of this transform's tokens and an empty rule table.
  StringLocation* MakePass(bool share);
  // Appends a copy of each of `source`'s token items: the same compiled
  // pattern, kind and sub-match, nothing else; a copied opener and the
  // closer right after it are partnered.
  void ImportTokens(const std::vector<QuorbItem*>& source);
  // A blank rule item for the host's rule list; this transform owns it
  // (and is its DefiningTransform) until it goes or DisownBlankRule.
  QuorbItem* NewBlankRule();
  // When `rule` is a blank rule of this transform: takes it out of the rule
  // list and of this transform's ownership (the caller frees it) and true.
  bool DisownBlankRule(QuorbItem* rule);
  // Takes ownership of a compiled rule that no table filed (its pattern
  // gave it no name), so that a rule handed to the host is freed with the
  // transform like a blank one; DisownBlankRule gives it back.
  void KeepUnfiledRule(QuorbItem* rule);
  // Room for one more kept rule in the root transform, which keeps the
  // rules compiled here: the next KeepUnfiledRule allocates nothing.
  void ReserveUnfiledRule() { OwningRoot()->BlankRules_.reserve(OwningRoot()->BlankRules_.size() + 1); }
  // Makes `owner` the owner instance of this transform, its passes and its
  // token items; literal tokens take `owner`'s type of the same number.
  void SetOwnerInstance(Quorb* owner);
  // Whether this transform or any of its passes holds a rule.
  bool HoldsRules() const;
  // Whether an expansion with this object's rules is running.
  bool IsRunning() const { return Expanding_.ExpansionDepth_ > 0 || Expanding_.RangeExpanding_; }

  QuorbItem* LocalOf = nullptr;  // the rule whose local transform this is

 private:
  struct RetiredParts {
    Table* Rules = nullptr;
    std::vector<QuorbItem*>* Tokens = nullptr;
  };
  std::vector<RetiredParts> Retired_;   // replaced by ResetForHost; owned
  std::vector<QuorbItem*> BlankRules_;  // blank and unfiled host rules; owned
  std::vector<StringLocation*> IdleCursors_;  // cursors of this object kept for TakeCursor; owned
  // Frees what ResetForHost kept and the blank rules, and clears the link
  // of the rule whose local transform this is. Run by the destructor.
  void ReleaseHostParts();
  // ---- end of what a host does with a transform ---------------------------

 private:
  void AttachText(const std::string* text);
  // What a cursor takes from its parent when it is made (or taken again).
  void TakeParentParts(StringLocation* parent);
  // Whether nothing but scanning changed this cursor since it was made:
  // what TakeCursor sets again is all it must set.
  bool HoldsOnlyScanState() const;
  QuorbItem* LookUpToken(Table* table, const StringLocation& cursor) const;
  void FinishScan(QuorbItem* wanted);
  // A plain token step taken by the lean loop (token_step.cpp); false,
  // with nothing changed, where only the general loop can take it. Each
  // token that `passOver` (given `context`, read-only) says its caller
  // would step past is followed by the next step, until one it would not
  // or the range end: the state is that of the last step.
  using PassOver = bool (*)(void* context, const QuorbItem* token);
  bool LeanStep(uint64_t& lastIndex, PassOver passOver = nullptr, void* context = nullptr);
  // NextToken(wanted, 1) for a rule's stop part with a text of its own,
  // taken by a lean loop (token_step.cpp); false, with nothing changed,
  // where only the general loop can take it.
  bool LeanStopScan(QuorbItem* wanted);
  // NextToken's general loop, `wanted` not null.
  uint64_t ScanTokens(QuorbItem* wanted, uint64_t startOffset);
  QuorbItem* MatchParts(QuorbItem* rule, std::vector<LocationAndLengthStruct>& captures, bool& beganWithRegex);
  // Scans up to a rule's stop part; whether it was found. A scan known to
  // fail from here is not done again, and one that fails is remembered.
  bool ScanUpToStop(QuorbItem* part);
  // With restore, a block the memory measured before: Pos moves after it.
  bool SkipKnownBlock(uint64_t start);
  // At a position an earlier scan for the same stop took a step from: the
  // state that scan's remaining steps would leave (found or not); false
  // when no scan took a step from here.
  bool ResumeKnownStop(const ScanMemory::StopScans& known, ScanMemory::Trail& trail);
};

// MatchRegexAt over the cursor's text; when the engine gives up on the
// pattern, error 18 on the cursor's owner (when none is pending) and no match.
bool MatchHostPattern(const StringLocation& cursor, const HostRegex& pattern, uint64_t pos, uint64_t end,
                      uint64_t subMatch, TokenMatch& out);

// Replaces every character-code group "{#n}" or "{#n,m,...}" (decimal codes
// separated by single characters, each taken modulo 256) by its
// characters. False, with the text partly replaced, when a group has a code
// without digits or no closing brace.
bool SyntaxArgLiteralReplace(std::string& text);

// Assigns to each named part's String variable (set up by
// SetUpEvalRuleParams) the text of its capture in `text`, cut at the end of
// the text. Parts without a name or variable are passed over.
void PopulateEvalParams(QuorbItem* rule, const std::string& text, const std::vector<LocationAndLengthStruct>& captures);

}  // namespace QuorbNameSpace

#endif
