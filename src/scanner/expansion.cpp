// Text expansion: a transform's passes, then its rules, applied to a range
// of a text. The scan walks the range token by token; at each token the
// rules filed under it are tried (CheckForSyntaxBlock); a match is replaced
// by the text its rule's pieces make; a code block that no rule took is
// entered and its inside expanded, passes included (a transform with
// property bit 39 passes over such blocks instead). Quoted text never
// anchors a rule.
//
// The result is built as the scan goes: text before a match is copied once
// into the output and the match's replacement appended, so an expansion
// takes time linear in its text however many replacements it makes. A
// replacement that must be scanned again (RewindOnChange), or a block
// inside that passes rewrote, is written back just before the text still to
// be scanned, in the room the copied text left.
//
// Rule properties, read on the head of a rule's family (the rule itself, or
// the rule its optional parts and alternatives were spun off from):
//   SkipOver             matches are passed over whole, never replaced.
//   StartAfter, StopAfter, Maximum
//                        match n of the family in this expansion (counted
//                        from the end of the range when RightToLeft) is
//                        replaced only when StartAfter < n <= StopAfter and
//                        n - StartAfter <= Maximum; other matches are passed
//                        over whole.
//   Minimum              with fewer matches in the rest of the range than
//                        this (counted at the family's first match), none is
//                        replaced.
//   MaximumHard          a match that would exceed it ends the expansion;
//                        the text after it stays as it is.
//   MinimumHard          an expansion in which the family replaced fewer
//                        undoes its rule replacements (the passes' stay).
//   RewindOnChange       the replacement is scanned again from its start
//                        (not when it equals the text it replaced: that would
//                        match again forever).
// MatchCount and ReplaceCount of each matched rule add up its matches and
// the replacements that were kept.
//
// An expression directive ({@Eval}, {@Exec}, {@Param}) runs with the error
// number cleared, so one failure does not become every later directive's.
// A directive that fails leaves its match as it is (its message never
// becomes text), and the expansion's first such error stays set.
//
// Every expansion ends: it stops with error 18 after 4 x length + 4096
// replacements, after 4 Mi + 64 x length token steps (the text after the
// stop stays as it is), or before a replacement would make the text longer
// than its length + max(16 MiB, 8 x length). The length is that of the text
// the outermost call expands, and the limits bound that call as a whole:
// every run nested in it (passes, which may run passes of their own,
// captures expanded, local transforms) spends from the same budget, so
// passes that run each other cannot multiply it. Work that failing rules repeat
// at later anchors is remembered instead (scan_memory.h), so hostile texts
// stay linear long before the step limit. Expansions nest (a piece expanding a
// capture, a rule's local transform, passes) at most 16 deep per transform,
// and a transform never runs as its own pass.
#include <algorithm>
#include <functional>
#include <map>
#include <unordered_map>
#include <utility>

#include "engine/errors.h"
#include "engine/file_reading.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/scope_restore.h"
#include "engine/sentinels.h"
#include "scanner/anchor_filter.h"
#include "scanner/anchor_screen.h"
#include "scanner/rule_parts.h"
#include "scanner/string_location.h"
#include "scanner/token_step.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

ExpansionStepLimit ActiveStepLimit{64, 4u << 20};
bool InPlaceReplacements = true;
bool StepPastIdleTokens = true;
bool KeepOriginalLazily = true;

namespace {

constexpr int32_t MaxExpansionDepth = 16;
constexpr uint64_t MaxChangeRecords = 1u << 20;
constexpr uint64_t MaxStepBytes = 64ull << 20;
// A range start that no token can be at: the range start is already copied
// out, so nothing still to be scanned stands at it.
constexpr uint64_t GoneRangeStart = NoPosition - 1;

// What one outermost expansion call may still spend, shared by every run
// nested in it. The run whose cursor counts steps now keeps its count in
// its own scan memory; a run nested in it takes the count over and hands
// it back when it ends.
struct ExpansionBudget {
  uint64_t replacementsLeft = 0;
  uint64_t stepsLeft = 0;
  uint64_t lengthLimit = 0;
  ScanMemory* counting = nullptr;
};

// The budget of the outermost expansion running on this thread; null when
// none runs. A plain pointer: nothing to destroy when the thread ends.
thread_local ExpansionBudget* ActiveBudget = nullptr;

// Makes the budget of an outermost call for a text of `length`; a nested
// call uses the one in force.
class BudgetScope {
 public:
  explicit BudgetScope(uint64_t length) {
    if (ActiveBudget != nullptr) return;
    own_.replacementsLeft = 4 * length + 4096;
    own_.stepsLeft = ActiveStepLimit.minimum + ActiveStepLimit.perByte * length;
    own_.lengthLimit = length + std::max<uint64_t>(16ull << 20, 8 * length);
    ActiveBudget = &own_;
  }
  ~BudgetScope() {
    if (ActiveBudget == &own_) ActiveBudget = nullptr;
  }
  // Whether this call's steps are its own, not an outer call's.
  bool Owned() const { return ActiveBudget == &own_; }
  BudgetScope(const BudgetScope&) = delete;
  BudgetScope& operator=(const BudgetScope&) = delete;

 private:
  ExpansionBudget own_;
};

struct TokenAt {
  uint64_t start = 0;  // where the anchor token's match begins
  uint64_t end = 0;    // after the anchor token, as the rule lookup left it
};

// A code block being expanded: where the scan resumes after its closer, and
// the range end outside it.
struct BlockFrame {
  uint64_t resume;
  uint64_t outerEnd;
};

// A code block measured from its opener; length 0 when its closer is
// missing before the range end.
struct BlockExtent {
  uint64_t length = 0;
  uint64_t innerStart = 0;
  uint64_t innerLength = 0;
  // Whether a stop scan may take it (scan_memory.h): measured with no token
  // set aside, as a stop scan measures; and the quote blindness then.
  bool forStopScans = false;
  bool quoteBlind = false;
};

struct FamilyCounts {
  uint64_t matches = 0;
  uint64_t replaces = 0;
  uint64_t total = 0;  // matches in the range, when a limit needs it
  bool totalKnown = false;
};

struct RuleCounts {
  uint64_t matches = 0;
  uint64_t replaces = 0;
};

std::string CaptureText(const std::string& text, const LocationAndLengthStruct& capture) {
  if (capture.Location >= text.size()) return std::string();
  return text.substr(capture.Location, capture.Length);
}

std::string Slice(const std::string& text, uint64_t offset, uint64_t length) {
  if (offset >= text.size()) return std::string();
  return text.substr(offset, length);
}

// The text the rule's parts matched: from the first capture to the end of
// the last one, skipping the parts that capture nothing, within the stretch
// that is replaced.
std::string SelfText(const QuorbItem* rule, const std::string& text, const std::vector<LocationAndLengthStruct>& captures,
                     uint64_t stretchStart, uint64_t stretchLength) {
  uint64_t first = NoPosition;
  uint64_t last = 0;
  for (size_t i = 0; i < rule->SubItems.size() && i < captures.size(); ++i) {
    const int32_t kind = rule->SubItems[i]->Token().PartKind;
    if (kind == GroupEnd || kind == CheckEnd || kind == StartAnchor || kind == EndAnchor) continue;
    if (first == NoPosition) first = captures[i].Location;
    last = captures[i].Location + captures[i].Length;
  }
  if (first == NoPosition) return std::string();
  first = std::max(first, stretchStart);
  last = std::min(last, stretchStart + stretchLength);
  return last > first ? Slice(text, first, last - first) : std::string();
}

// The error a directive's expression failed to parse with when its rule
// was defined; 0 for an expression that parsed.
int32_t ParseErrorOf(const QuorbParsedExpr& expression) {
  const ExpressionPart* first = expression.First;
  if (first == nullptr) return ErrSyntax;
  if (first->Callback != &ReturnError) return 0;
  const QuorbItem* result = first->Result;
  const int32_t number = result != nullptr ? ValueAsInt32(result->DataType, result->ValuePtr) : 0;
  return number != 0 ? number : ErrSyntax;
}

// Runs one expression directive with the error number cleared, so that an
// error left by an earlier directive or call is not taken for its own;
// whether it ran without error. The first error of the expansion
// (`firstError`) stays set for the host to read; an error that was pending
// before stays until the expansion has one of its own.
template <typename Run>
bool RunDirective(const QuorbParsedExpr& expression, int32_t& firstError, Run run) {
  Quorb* instance = expression.Owner;
  // What it runs may look up a signature's parameters held back from their table.
  if (instance != nullptr) instance->ParametersHeld.FileAll();
  const int32_t parseError = ParseErrorOf(expression);
  if (instance == nullptr) {
    if (parseError == 0) run();
    return parseError == 0;
  }
  const int32_t pending = instance->Error.Number;
  instance->Error.Number = 0;
  if (parseError == 0) run();
  const int32_t raised = parseError != 0 ? parseError : instance->Error.Number;
  if (raised != 0 && firstError == 0) firstError = raised;
  instance->Error.Number = firstError != 0 ? firstError : pending;
  return raised == 0;
}

// The text a rule's pieces make for one match; `text` holds the captures.
// False, with `result` unfinished, when an expression directive failed: the
// match is then left as it is.
bool BuildReplacement(StringLocation& expander, QuorbItem* rule, const std::string& text,
                      const std::vector<LocationAndLengthStruct>& captures, uint64_t stretchStart,
                      uint64_t stretchLength, const std::function<std::string()>& document, int32_t& firstError,
                      std::string& result) {
  result.clear();
  result.reserve(2 * rule->Rule().ReplacementText.size());
  const std::string& source = rule->Rule().ReplacementText;
  auto capture = [&](uint64_t index) {
    return index < captures.size() ? CaptureText(text, captures[index]) : std::string();
  };
  for (const ReplacementStruct& piece : rule->Rule().Pieces) {
    switch (piece.Kind) {
      case CapturePiece:
        // Appended from where it stands: the capture's text as CaptureText gives it.
        if (piece.PartIndex < captures.size() && captures[piece.PartIndex].Location < text.size())
          result.append(text, captures[piece.PartIndex].Location, captures[piece.PartIndex].Length);
        break;
      case ExpandedCapturePiece:
        result += expander.Expand(capture(piece.PartIndex));
        break;
      case DocPiece:
        result += document();
        break;
      case EvalPiece:
        if (piece.Expression != nullptr) {
          PopulateEvalParams(rule, text, captures);
          std::string value;
          if (!RunDirective(*piece.Expression, firstError, [&] { value = piece.Expression->EvaluateStr(); }))
            return false;
          result += value;
        }
        break;
      case ExecPiece:
        if (piece.Expression != nullptr) {
          PopulateEvalParams(rule, text, captures);
          if (!RunDirective(*piece.Expression, firstError, [&] { piece.Expression->Execute(); })) return false;
        }
        break;
      case FilePiece:
        result += GetFileContent(Slice(source, piece.Offset, piece.Length));
        break;
      case LiteralPiece:
        if (piece.Offset < source.size()) result.append(source, piece.Offset, piece.Length);
        break;
      case ParamPiece:
        if (piece.Expression != nullptr) {
          PopulateEvalParams(rule, text, captures);
          double number = 0;
          if (!RunDirective(*piece.Expression, firstError, [&] { number = piece.Expression->Evaluate(); }))
            return false;
          // NaN and infinities fail both tests; no out-of-range conversion.
          if (number >= 0 && number < static_cast<double>(captures.size()))
            result += capture(static_cast<uint64_t>(number));
        }
        break;
      case SelfPiece:
        result += SelfText(rule, text, captures, stretchStart, stretchLength);
        break;
      default:  // comments, SubDoc and unknown directives add nothing
        break;
    }
  }
  return true;
}

bool NeedsTotal(const QuorbItem* head) {
  const bool counted = head->Rule().StartAfter > 0 || head->Rule().StopAfter != npos64 || head->Rule().Maximum != npos64;
  return head->Rule().Minimum > 0 || (head->Has(IsRightToLeft) && counted);
}

bool ShouldReplace(const QuorbItem* head, const FamilyCounts& family) {
  if (head->Has(IsSkipOver)) return false;
  if (family.totalKnown && family.total < head->Rule().Minimum) return false;
  uint64_t n = family.matches;
  if (head->Has(IsRightToLeft) && family.totalKnown) n = family.total >= n ? family.total - n + 1 : 1;
  if (n <= head->Rule().StartAfter || n > head->Rule().StopAfter) return false;
  return n - head->Rule().StartAfter <= head->Rule().Maximum;
}

// Whether making the rule's replacement may run code, which may change the
// rule table (expressions and host callbacks, nested expansions, a host's
// file reading).
bool RunsCode(const QuorbItem* rule, const QuorbItem* head) {
  if (rule->Rule().LocalTransform != nullptr || head->Rule().LocalTransform != nullptr) return true;
  for (const ReplacementStruct& piece : rule->Rule().Pieces) {
    switch (piece.Kind) {
      case EvalPiece:
      case ExecPiece:
      case ParamPiece:
      case ExpandedCapturePiece:
      case FilePiece:
        return true;
      default:
        break;
    }
  }
  return false;
}

}  // namespace

// One expansion of a range of a text with one transform's rules. The text
// is moved in, rewritten and moved back.
class RuleExpansion {
 public:
  RuleExpansion(StringLocation& expander, std::string& text, uint64_t start, uint64_t end);
  ~RuleExpansion();
  RuleExpansion(const RuleExpansion&) = delete;
  RuleExpansion& operator=(const RuleExpansion&) = delete;

  void Run();
  bool Modified() const { return modified_; }
  uint64_t End() const { return resultEnd_; }

  // Passes and rules of `expander` over [start, end) of `text`, in place;
  // whether the text changed. `end` follows the change of length.
  static bool ExpandRange(StringLocation& expander, std::string& text, uint64_t start, uint64_t& end);
  static bool RunPasses(StringLocation& expander, std::string& text, uint64_t start, uint64_t& end);
  // The replacement `text` after the rule's (or its family's) local
  // transform, which sees `around` as the rest of the document.
  static std::string ThroughLocalTransform(QuorbItem* rule, QuorbItem* head, std::string text,
                                           const StringLocation::DocumentAround& around);
  static bool HasLocalTransform(const QuorbItem* rule, const QuorbItem* head);

 private:
  static bool HasRules(StringLocation& expander);
  static bool HasPasses(const StringLocation& expander);
  static bool Runnable(const StringLocation& expander, const StringLocation* pass);

  bool Step(std::vector<BlockFrame>& frames, std::vector<LocationAndLengthStruct>& captures, bool runPasses,
            TokenAt& at, QuorbItem*& matched);
  QuorbItem* MatchAt(QuorbItem* token, uint64_t index, std::vector<LocationAndLengthStruct>& captures, TokenAt& at);
  bool SurelyNoAnchor(const QuorbItem* token);
  static bool PassesOver(void* run, const QuorbItem* token);
  static bool InsideBlock(void* run, const QuorbItem* token);
  bool Leave(std::vector<BlockFrame>& frames);
  void Enter(std::vector<BlockFrame>& frames, const TokenAt& at, bool runPasses);
  BlockExtent MeasureBlock(uint64_t openerStart);
  void FileBlock(uint64_t start, const BlockExtent& extent);
  static uint64_t MeasuredBlockEnd(const void* run, uint64_t start, bool quoteBlind);
  void OnMatch(QuorbItem* rule, const TokenAt& at);
  RuleCounts& CountsOf(QuorbItem* rule);
  FamilyCounts& FamilyOf(const QuorbItem* head);
  uint64_t CountFamily(const QuorbItem* head, const TokenAt& at);
  bool Replace(QuorbItem* rule, QuorbItem* head, uint64_t start, uint64_t length, const TokenAt& at);
  void Emit(uint64_t upTo);
  uint64_t Place(uint64_t start, uint64_t end, const std::string& text);
  bool Rebuild(QuorbItem* rule, QuorbItem* head, uint64_t start, uint64_t length, const TokenAt& at,
               std::string result);
  uint64_t Rebuilt(uint64_t start, uint64_t end, const std::string& text);
  void UpdateRangeStart();
  std::string Document() const;
  void RecordChange(uint64_t location, uint64_t start, uint64_t length, const std::string& newText, QuorbItem* rule);
  void RecordStep();
  void KeepOriginal();
  void StopAtLimit();
  void Finish();

  StringLocation& expander_;
  const StringLocation::DocumentAround around_;  // the document outside the text, for a local transform
  std::string& target_;
  // The text before the rules ran, for MinimumHard: work_ itself until the
  // first rewrite of work_ (KeepOriginal), which most expansions never make.
  std::string original_;
  bool originalKept_ = false;
  std::string work_;          // the text being scanned; before done_ it is copied out or spent
  std::string out_;           // the result up to done_
  StringLocation cursor_;     // scans work_ with the expander's tokens, rules and flags
  ScanMemory memory_;         // the cursor's memory of work_
  AnchorFilter anchors_;      // of the expander's rule table, while no code runs
  const uint64_t start_;      // the range start in the text
  const uint64_t originalEnd_;
  uint64_t end_;              // the range end in work_
  uint64_t done_ = 0;
  uint64_t resultEnd_ = 0;
  std::vector<BlockFrame> frames_;
  // Blocks measured so far, by opener position: measuring a block measures
  // every block nested in it, so nesting never makes the scan quadratic.
  // Only positions at or after the text last rewritten in place are valid.
  std::map<uint64_t, BlockExtent> blocks_;
  // Nodes of blocks forgotten, for blocks measured later: a replacement
  // scanned again forgets the blocks before it, and the next ones are
  // filed without a trip through the allocator.
  std::vector<std::map<uint64_t, BlockExtent>::node_type> spareBlocks_;
  // The blocks still open while one is measured, kept for the next.
  struct OpenBlock {
    QuorbItem* opener;
    uint64_t start;
    uint64_t innerStart;
  };
  std::vector<OpenBlock> measuring_;
  std::vector<LocationAndLengthStruct> captures_;
  std::unordered_map<const QuorbItem*, FamilyCounts> families_;
  std::unordered_map<QuorbItem*, RuleCounts> ruleCounts_;
  QuorbItem* lastRule_ = nullptr;
  RuleCounts* lastRuleCounts_ = nullptr;
  const QuorbItem* lastHead_ = nullptr;
  FamilyCounts* lastFamily_ = nullptr;
  std::string replacement_;   // the replacement being made; its room serves the next
  ExpansionBudget& budget_;     // of the outermost call (BudgetScope)
  ScanMemory* outerCounting_;   // the run that counted steps before this one
  size_t logMark_;
  size_t stepMark_;
  uint64_t stepBytes_ = 0;    // bytes of steps recorded by this expansion
  int32_t firstError_ = 0;     // of the expression directives run so far
  bool modified_ = false;
  bool stopped_ = false;
  const bool inPlace_ = InPlaceReplacements;
  uint64_t committed_ = 0;    // rebuilding: the text before this is final, as out_ is in place
};

RuleExpansion::RuleExpansion(StringLocation& expander, std::string& text, uint64_t start, uint64_t end)
    : expander_(expander),
      around_(std::exchange(expander.Expanding_.DocumentAround_, StringLocation::DocumentAround())),
      target_(text),
      work_(std::move(text)),
      cursor_(work_, &expander),
      start_(start),
      originalEnd_(end),
      end_(end),
      budget_(*ActiveBudget),
      outerCounting_(budget_.counting),
      logMark_(expander.Record.ChangeLog.size()),
      stepMark_(expander.Record.Steps.size()) {
  if (!KeepOriginalLazily) {  // the slow twin: copied before anything runs
    original_ = work_;
    originalKept_ = true;
  }
  // The result ends up holding at least the text not replaced: room for
  // the whole spares growing it step by step.
  if (inPlace_) out_.reserve(work_.size());
  cursor_.SetBit(IsExpanding, true);
  cursor_.SetBit(IsModified, false);
  cursor_.Expanding_.Memory_ = &memory_;
  memory_.measuredBlocks = {&RuleExpansion::MeasuredBlockEnd, this};
  cursor_.RangeStart = cursor_.Pos = start;
  cursor_.RangeEnd = end;
  // The steps left are counted here until this run ends.
  if (outerCounting_ != nullptr) budget_.stepsLeft = outerCounting_->stepsLeft;
  memory_.stepsLeft = budget_.stepsLeft;
  budget_.counting = &memory_;
}

RuleExpansion::~RuleExpansion() {
  budget_.stepsLeft = memory_.stepsLeft;
  budget_.counting = outerCounting_;
  if (outerCounting_ != nullptr) outerCounting_->stepsLeft = budget_.stepsLeft;
}

void RuleExpansion::Run() {
  TokenAt at;
  QuorbItem* matched = nullptr;
  while (!stopped_ && Step(frames_, captures_, true, at, matched)) OnMatch(matched, at);
  if (memory_.exhausted) StopAtLimit();
  Finish();
}

// Scans on to the next token at which a rule matches, entering code blocks
// on the way. False at the end of the outermost range.
bool RuleExpansion::Step(std::vector<BlockFrame>& frames, std::vector<LocationAndLengthStruct>& captures,
                         bool runPasses, TokenAt& at, QuorbItem*& matched) {
  for (;;) {
    if (cursor_.Pos >= cursor_.RangeEnd) {
      if (!Leave(frames)) return false;
      continue;
    }
    uint64_t index = NoPosition;
    if (!StepPastIdleTokens || !LeanTokenSteps || !cursor_.LeanStep(index, &RuleExpansion::PassesOver, this))
      index = cursor_.NextToken(DefaultToken, 1);
    QuorbItem* token = cursor_.CurrentToken;
    if (token == nullptr || token == ItemNotFound) {
      if (!Leave(frames)) return false;
      continue;
    }
    if (token->Token().SubMatch != 0) continue;  // quoted text, or a regex anchor's sub-match
    at.start = cursor_.ScanStart;
    const bool opener = token->Token().TokenKind == TokenCodeBlock;
    matched = MatchAt(token, index, captures, at);
    if (matched != nullptr) return true;
    if (opener) Enter(frames, at, runPasses);
  }
}

// Whether the token just taken is surely filed under no rule, so that the
// lookup would find nothing and leave the cursor as it is. The lookup
// searches only the rule table while that is the innermost search table
// (or there is none), and shortens only a reducible token longer than one
// character. Inline: it runs at nearly every token.
inline bool RuleExpansion::SurelyNoAnchor(const QuorbItem* token) {
  const std::vector<Table*>& tables = expander_.SearchTables;
  if (!tables.empty() && tables.back() != expander_.RuleTable) return false;
  if (token->Token().TokenKind == TokenReducible && cursor_.TokenLen > 1) return false;
  return anchors_.SurelyAbsent(expander_.RuleTable, *cursor_.Attached.TextPtr, cursor_.TokenLoc, cursor_.TokenLen);
}

// Whether Step would take the next token straight after `token`: one that
// a sub-match stands for, or one that opens no block, serves as no regex
// anchor and is surely filed under no rule.
bool RuleExpansion::PassesOver(void* run, const QuorbItem* token) {
  const TokenClass_& part = token->Token();
  if (part.SubMatch != 0) return true;
  if (part.TokenKind == TokenCodeBlock || part.RegExRule != nullptr) return false;
  return static_cast<RuleExpansion*>(run)->SurelyNoAnchor(token);
}

// Whether MeasureBlock would take the next token straight after `token`:
// one that neither opens nor closes a block.
bool RuleExpansion::InsideBlock(void*, const QuorbItem* token) {
  const TokenEnum kind = token->Token().TokenKind;
  return kind != TokenCodeBlock && kind != TokenCodeBlockMatch;
}

QuorbItem* RuleExpansion::MatchAt(QuorbItem* token, uint64_t index, std::vector<LocationAndLengthStruct>& captures,
                                  TokenAt& at) {
  QuorbItem* head = token->Token().RegExRule;
  if (head == nullptr && !SurelyNoAnchor(token)) head = expander_.SymbolHandle(cursor_, true);
  at.end = cursor_.Pos;
  if (head == nullptr || !head->Has(IsAnchored)) return nullptr;
  // Rules sharing an anchor are tried along the table's chain, the latest
  // filed first; their precedence plays no part.
  return cursor_.CheckForSyntaxBlock(head, captures, index);
}

bool RuleExpansion::Leave(std::vector<BlockFrame>& frames) {
  if (frames.empty()) return false;
  cursor_.Pos = frames.back().resume;
  cursor_.RangeEnd = frames.back().outerEnd;
  frames.pop_back();
  return true;
}

// Enters the code block whose opener was just taken: the scan goes on inside
// it, between its delimiters, and after its closer once the inside is done.
// When the expander does not enter code blocks, the scan goes on after the
// block, leaving it alone. An opener without its closer is a plain token.
void RuleExpansion::Enter(std::vector<BlockFrame>& frames, const TokenAt& at, bool runPasses) {
  auto known = blocks_.find(at.start);
  const BlockExtent block = known != blocks_.end() ? known->second : MeasureBlock(at.start);
  if (block.length == 0) return;
  if (cursor_.Has(IsCodeBlockBlind)) {
    cursor_.Pos = at.start + block.length;
    return;
  }
  const uint64_t innerStart = block.innerStart;
  const uint64_t innerLength = block.innerLength;
  frames.push_back({at.start + block.length, cursor_.RangeEnd});
  cursor_.RangeEnd = innerStart + innerLength;
  cursor_.Pos = innerStart;
  if (!runPasses || !HasPasses(expander_)) return;
  std::string inside = work_.substr(innerStart, innerLength);
  uint64_t insideEnd = inside.size();
  anchors_.Forget();  // the passes may run code
  if (!RunPasses(expander_, inside, 0, insideEnd)) return;
  modified_ = true;
  const uint64_t innerEnd = innerStart + innerLength;
  cursor_.Pos = inPlace_ ? Place(innerStart, innerEnd, inside) : Rebuilt(innerStart, innerEnd, inside);
}

// Measures the block at `openerStart` as NextCodeBlock does (closers of
// other pairs passed over, a nested block without closer leaving the
// enclosing one without closer too), recording every block met on the way.
// The cursor is left as it was.
BlockExtent RuleExpansion::MeasureBlock(uint64_t openerStart) {
  const ScanState keep = cursor_;
  const TokenMatch keepMatch = cursor_.Matching.LastMatch;
  std::vector<QuorbItem*>* tokens = cursor_.Tokens;
  QuorbItem* setAside = nullptr;
  if (tokens != nullptr && !tokens->empty() && tokens->back()->Has(IsSetAside)) {
    setAside = tokens->back();
    tokens->pop_back();
  }
  std::vector<OpenBlock> open;
  open.swap(measuring_);  // the room an earlier measurement made
  cursor_.Pos = openerStart;
  cursor_.NextToken(DefaultToken, 1);
  if (cursor_.CurrentToken->Token().TokenKind == TokenCodeBlock) open.push_back({cursor_.CurrentToken, openerStart, cursor_.Pos});
  while (!open.empty() && cursor_.Pos < cursor_.RangeEnd) {
    uint64_t index = NoPosition;
    if (!StepPastIdleTokens || !LeanTokenSteps || !cursor_.LeanStep(index, &RuleExpansion::InsideBlock, nullptr))
      cursor_.NextToken(DefaultToken, 1);
    QuorbItem* token = cursor_.CurrentToken;
    if (token == ItemNotFound) break;
    if (token->Token().TokenKind == TokenCodeBlock) {
      open.push_back({token, cursor_.ScanStart, cursor_.Pos});
    } else if (token->Token().TokenKind == TokenCodeBlockMatch && token->Token().Partner == open.back().opener) {
      const OpenBlock& closed = open.back();
      FileBlock(closed.start, {cursor_.Pos - closed.start, closed.innerStart, cursor_.ScanStart - closed.innerStart,
                               setAside == nullptr, cursor_.Has(IsQuoteBlind)});
      open.pop_back();
    }
  }
  for (const OpenBlock& unclosed : open) FileBlock(unclosed.start, BlockExtent());
  open.clear();
  measuring_.swap(open);
  if (setAside != nullptr) tokens->push_back(setAside);
  static_cast<ScanState&>(cursor_) = keep;
  cursor_.Matching.LastMatch = keepMatch;
  auto measured = blocks_.find(openerStart);
  return measured != blocks_.end() ? measured->second : BlockExtent();
}

// Where the closed block at `start` that MeasureBlock filed ends, for a stop
// scan measuring the block with quote blindness `quoteBlind`; NoPosition
// where none was filed that way. Filed positions at or after the text last
// rewritten are those of work_ as it is (Place drops the others).
uint64_t RuleExpansion::MeasuredBlockEnd(const void* run, uint64_t start, bool quoteBlind) {
  const std::map<uint64_t, BlockExtent>& blocks = static_cast<const RuleExpansion*>(run)->blocks_;
  const auto known = blocks.find(start);
  if (known == blocks.end()) return NoPosition;
  const BlockExtent& block = known->second;
  if (block.length == 0 || !block.forStopScans || block.quoteBlind != quoteBlind) return NoPosition;
  return start + block.length;
}

void RuleExpansion::FileBlock(uint64_t start, const BlockExtent& extent) {
  auto at = blocks_.lower_bound(start);
  if (at != blocks_.end() && at->first == start) {
    at->second = extent;
    return;
  }
  if (spareBlocks_.empty()) {
    blocks_.emplace_hint(at, start, extent);
    return;
  }
  auto node = std::move(spareBlocks_.back());
  spareBlocks_.pop_back();
  node.key() = start;
  node.mapped() = extent;
  blocks_.insert(at, std::move(node));
}

void RuleExpansion::OnMatch(QuorbItem* rule, const TokenAt& at) {
  const uint64_t start = std::min<uint64_t>(cursor_.TokenLoc, work_.size());
  const uint64_t length = std::min<uint64_t>(cursor_.TokenLen, work_.size() - start);
  QuorbItem* head = StringLocation::FamilyHead(rule);
  RuleCounts& counts = CountsOf(rule);
  ++counts.matches;
  FamilyCounts& family = FamilyOf(head);
  ++family.matches;
  if (family.matches == 1 && NeedsTotal(head)) {
    family.total = CountFamily(head, at);
    family.totalKnown = true;
  }
  if (!ShouldReplace(head, family)) {
    // Passed over whole, so that a count of matches ahead sees the same ones.
    if (cursor_.Pos < at.end) cursor_.Pos = at.end;
    return;
  }
  if (family.replaces >= head->Rule().MaximumHard) {
    stopped_ = true;
    return;
  }
  if (budget_.replacementsLeft == 0) {
    StopAtLimit();
    return;
  }
  if (!Replace(rule, head, start, length, at)) return;
  ++family.replaces;
  ++counts.replaces;
  --budget_.replacementsLeft;
}

// The counts of the rule (and family) that matched last are looked up
// once for a run of matches of one rule; map elements stay where they are
// while others are added.
RuleCounts& RuleExpansion::CountsOf(QuorbItem* rule) {
  if (rule != lastRule_) {
    lastRuleCounts_ = &ruleCounts_[rule];
    lastRule_ = rule;
  }
  return *lastRuleCounts_;
}

FamilyCounts& RuleExpansion::FamilyOf(const QuorbItem* head) {
  if (head != lastHead_) {
    lastFamily_ = &families_[head];
    lastHead_ = head;
  }
  return *lastFamily_;
}

// The matches of a family from the current one to the end of the range, the
// scan passing over every match whole and replacing nothing.
uint64_t RuleExpansion::CountFamily(const QuorbItem* head, const TokenAt& at) {
  const ScanState keep = cursor_;
  const TokenMatch keepMatch = cursor_.Matching.LastMatch;
  const uint64_t keepProperties = cursor_.Properties;
  std::vector<BlockFrame> frames = frames_;
  std::vector<LocationAndLengthStruct> captures;
  cursor_.Pos = at.start;
  uint64_t count = 0;
  TokenAt here;
  QuorbItem* matched = nullptr;
  while (Step(frames, captures, false, here, matched)) {
    if (StringLocation::FamilyHead(matched) == head) ++count;
    if (cursor_.Pos < here.end) cursor_.Pos = here.end;
  }
  static_cast<ScanState&>(cursor_) = keep;
  cursor_.Matching.LastMatch = keepMatch;
  cursor_.Properties = keepProperties;
  return count;
}

bool RuleExpansion::Replace(QuorbItem* rule, QuorbItem* head, uint64_t start, uint64_t length, const TokenAt& at) {
  const uint64_t end = start + length;
  if (RunsCode(rule, head)) anchors_.Forget();
  std::string& result = replacement_;
  if (!BuildReplacement(expander_, rule, work_, captures_, start, length, [this] { return Document(); }, firstError_,
                        result)) {
    if (cursor_.Pos < at.end) cursor_.Pos = at.end;  // passed over whole
    return false;
  }
  if (!inPlace_) return Rebuild(rule, head, start, length, at, result);
  Emit(start);
  if (HasLocalTransform(rule, head))
    result = ThroughLocalTransform(rule, head, std::move(result), {&out_, out_.size(), &work_, end});
  if (out_.size() + (work_.size() - done_) - length + result.size() > budget_.lengthLimit) {
    StopAtLimit();
    return false;
  }
  const uint64_t location = out_.size();
  // Taken before the text it replaces is rewritten.
  const bool rescan = head->Has(IsRewindOnChange) && work_.compare(start, length, result) != 0;
  RecordChange(location, start, length, result, rule);
  if (rescan) {
    cursor_.Pos = Place(start, end, result);
  } else {
    out_ += result;
    done_ = end;
    UpdateRangeStart();
    cursor_.Pos = std::max(end, at.end);
  }
  modified_ = true;
  RecordStep();
  captures_.clear();
  return true;
}

// The slow twin of the in-place replacement: the same steps on a text that
// is rebuilt whole at every replacement, nothing copied out.
bool RuleExpansion::Rebuild(QuorbItem* rule, QuorbItem* head, uint64_t start, uint64_t length, const TokenAt& at,
                            std::string result) {
  const uint64_t end = start + length;
  result = ThroughLocalTransform(rule, head, std::move(result), {&work_, start, &work_, end});
  if (work_.size() - length + result.size() > budget_.lengthLimit) {
    StopAtLimit();
    return false;
  }
  const bool rescan = head->Has(IsRewindOnChange) && work_.compare(start, length, result) != 0;
  RecordChange(start, start, length, result, rule);
  if (rescan) {
    cursor_.Pos = Rebuilt(start, end, result);
  } else {
    Rebuilt(start, end, result);
    committed_ = start + result.size();
    UpdateRangeStart();
    cursor_.Pos = std::max(end, at.end) - length + result.size();
  }
  modified_ = true;
  RecordStep();
  captures_.clear();
  return true;
}

// `text` in place of [start, end) in a new whole text; every position from
// `end` on moves by the change of length, and the scan reads on from
// `start`. Returns `start`.
uint64_t RuleExpansion::Rebuilt(uint64_t start, uint64_t end, const std::string& text) {
  KeepOriginal();
  cursor_.Matching.RunLeft = StringLocation::RunRemainder();
  memory_.Forget();
  std::string whole;
  whole.reserve(work_.size() - (end - start) + text.size());
  whole.append(work_, 0, start).append(text).append(work_, end, std::string::npos);
  work_.swap(whole);
  cursor_.Attached.TextLength = work_.size();
  const uint64_t newEnd = start + text.size();
  auto moved = [&](uint64_t at) { return at >= end ? at - end + newEnd : std::min(at, newEnd); };
  cursor_.RangeEnd = moved(cursor_.RangeEnd);
  end_ = moved(end_);
  for (BlockFrame& frame : frames_) {
    frame.resume = moved(frame.resume);
    frame.outerEnd = moved(frame.outerEnd);
  }
  std::map<uint64_t, BlockExtent> kept;
  for (auto block = blocks_.lower_bound(end); block != blocks_.end(); ++block) {
    BlockExtent extent = block->second;
    if (extent.length != 0) extent.innerStart = moved(extent.innerStart);
    kept.emplace_hint(kept.end(), moved(block->first), extent);
  }
  blocks_.swap(kept);
  committed_ = std::max(committed_, start);
  UpdateRangeStart();
  return start;
}

// Copies the text before `upTo` into the result.
void RuleExpansion::Emit(uint64_t upTo) {
  if (upTo <= done_) return;
  out_.append(work_, done_, upTo - done_);
  done_ = upTo;
  UpdateRangeStart();
}

// Puts `text` in place of [start, end) where the scan reads it next: right
// before the unchanged text at `end`, in the room the copied-out text left,
// or in a new buffer with room to spare. Returns where it begins.
uint64_t RuleExpansion::Place(uint64_t start, uint64_t end, const std::string& text) {
  KeepOriginal();
  Emit(start);
  // The text is rewritten under what the scanner remembers of it.
  cursor_.Matching.RunLeft = StringLocation::RunRemainder();
  memory_.Forget();
  // Blocks measured in the text now rewritten (or spent) are gone.
  while (!blocks_.empty() && blocks_.begin()->first < end) spareBlocks_.push_back(blocks_.extract(blocks_.begin()));
  if (text.size() <= end) {
    done_ = end - text.size();
    work_.replace(done_, text.size(), text);
  } else {
    const uint64_t tail = work_.size() - end;
    const uint64_t room = std::max<uint64_t>({text.size(), tail, 4096});
    std::string fresh;
    fresh.reserve(room + text.size() + tail);
    fresh.assign(room, ' ');
    fresh += text;
    fresh.append(work_, end, std::string::npos);
    work_.swap(fresh);
    // Everything from `end` on moved by the same amount.
    const uint64_t shift = room + text.size() - end;
    cursor_.RangeEnd += shift;
    end_ += shift;
    for (BlockFrame& frame : frames_) {
      frame.resume += shift;
      frame.outerEnd += shift;
    }
    std::map<uint64_t, BlockExtent> moved;
    for (const auto& block : blocks_) {
      BlockExtent extent = block.second;
      if (extent.length != 0) extent.innerStart += shift;
      moved.emplace_hint(moved.end(), block.first + shift, extent);
    }
    blocks_.swap(moved);
    cursor_.Attached.TextLength = work_.size();
    done_ = room;
  }
  UpdateRangeStart();
  return done_;
}

// The range start for {@Start}: where the text still to be scanned begins,
// as long as nothing of the range has been copied out yet.
void RuleExpansion::UpdateRangeStart() {
  if (!inPlace_) {
    cursor_.RangeStart = committed_ <= start_ ? start_ : GoneRangeStart;
    return;
  }
  cursor_.RangeStart = out_.size() <= start_ ? done_ + (start_ - out_.size()) : GoneRangeStart;
}

std::string RuleExpansion::Document() const {
  std::string whole;
  whole.reserve(around_.beforeLength + out_.size() + work_.size() - done_);
  if (around_.before != nullptr) whole.append(*around_.before, 0, around_.beforeLength);
  whole += out_;
  whole.append(work_, done_, std::string::npos);
  if (around_.after != nullptr && around_.afterStart < around_.after->size())
    whole.append(*around_.after, around_.afterStart, std::string::npos);
  return whole;
}

bool RuleExpansion::HasLocalTransform(const QuorbItem* rule, const QuorbItem* head) {
  return rule->Rule().LocalTransform != nullptr || head->Rule().LocalTransform != nullptr;
}

std::string RuleExpansion::ThroughLocalTransform(QuorbItem* rule, QuorbItem* head, std::string text,
                                                 const StringLocation::DocumentAround& around) {
  StringLocation* local = rule->Rule().LocalTransform != nullptr ? rule->Rule().LocalTransform : head->Rule().LocalTransform;
  if (local == nullptr) return text;
  const ScopedValue<StringLocation::DocumentAround> outer(local->Expanding_.DocumentAround_, around);
  return local->Expand(text);
}

// Records the replacement of [start, start + length) of work_, before work_
// is rewritten; `location` is where it stands in the result.
void RuleExpansion::RecordChange(uint64_t location, uint64_t start, uint64_t length, const std::string& newText,
                                 QuorbItem* rule) {
  if (expander_.Record.ChangeLog.size() < MaxChangeRecords)
    expander_.Record.ChangeLog.Add(location, work_, start, length, newText, rule);
}

// Records the document after a replacement, when the expander records steps.
void RuleExpansion::RecordStep() {
  if (!expander_.Has(IsRecordingSteps)) return;
  const uint64_t length = out_.size() + work_.size() - done_;
  if (stepBytes_ + length > MaxStepBytes) return;
  stepBytes_ += length;
  expander_.Record.Steps.push_back(Document());
}

// Copies the text before work_ is first rewritten: until then work_ is the
// text the rules started from (Emit only copies out of it).
void RuleExpansion::KeepOriginal() {
  if (originalKept_) return;
  original_ = work_;
  originalKept_ = true;
}

void RuleExpansion::StopAtLimit() {
  stopped_ = true;
  if (expander_.Owner != nullptr) expander_.Owner->SetErrorIfNone(ErrReparseLimit);
}

void RuleExpansion::Finish() {
  bool undo = false;
  for (const auto& entry : families_) undo = undo || entry.second.replaces < entry.first->Rule().MinimumHard;
  if (undo) {
    target_ = originalKept_ ? std::move(original_) : std::move(work_);
    resultEnd_ = originalEnd_;
    modified_ = false;
    expander_.Record.ChangeLog.Truncate(logMark_);
    if (expander_.Record.Steps.size() > stepMark_) expander_.Record.Steps.resize(stepMark_);
  } else {
    resultEnd_ = out_.size() + (end_ - done_);
    out_.append(work_, done_, std::string::npos);
    target_.swap(out_);
  }
  for (const auto& entry : ruleCounts_) {
    entry.first->EditRule().MatchCount += entry.second.matches;
    if (!undo) entry.first->EditRule().ReplaceCount += entry.second.replaces;
  }
}

bool RuleExpansion::HasRules(StringLocation& expander) {
  return expander.RuleTable != nullptr && (expander.Has(IsAnchored) || expander.OwningRoot()->Has(IsAnchored));
}

// A pass runs unless it is missing, the expander itself, or already running
// (a pass list that leads back to a running transform).
bool RuleExpansion::Runnable(const StringLocation& expander, const StringLocation* pass) {
  return pass != nullptr && pass != &expander && pass->Expanding_.ExpansionDepth_ == 0;
}

bool RuleExpansion::HasPasses(const StringLocation& expander) {
  for (const StringLocation* pass : expander.Passes)
    if (Runnable(expander, pass)) return true;
  return false;
}

bool RuleExpansion::RunPasses(StringLocation& expander, std::string& text, uint64_t start, uint64_t& end) {
  bool modified = false;
  // By index: a piece run by a pass may add passes.
  for (size_t i = 0; i < expander.Passes.size(); ++i) {
    StringLocation* pass = expander.Passes[i];
    if (!Runnable(expander, pass)) continue;
    pass->SetBit(IsExpanding, true);
    const bool changed = ExpandRange(*pass, text, start, end);
    pass->SetBit(IsModified, changed);
    modified = changed || modified;
  }
  return modified;
}

bool RuleExpansion::ExpandRange(StringLocation& expander, std::string& text, uint64_t start, uint64_t& end) {
  if (expander.Expanding_.ExpansionDepth_ >= MaxExpansionDepth) return false;
  const BudgetScope budget(text.size());
  // The change log holds the records of the current expansion only.
  if (expander.Expanding_.ExpansionDepth_ == 0) expander.Record.ChangeLog.clear();
  const ScopedCount<int32_t> depth(expander.Expanding_.ExpansionDepth_);
  bool modified = RunPasses(expander, text, start, end);
  if (start < end && HasRules(expander)) {
    // A text no rule can meet is left as it is, unscanned. Only with a
    // budget of its own: a nested run spends its outer call's steps.
    if (budget.Owned() && !RulesMayMatch(expander, text, start, end)) return modified;
    RuleExpansion run(expander, text, start, end);
    run.Run();
    modified = run.Modified() || modified;
    end = run.End();
  }
  return modified;
}

void StringLocation::Expand(uint64_t start, uint64_t end) {
  if (Expanding_.RangeExpanding_) return;  // the running expansion owns OwnText
  if (Attached.TextPtr != &Attached.OwnText) {
    Attached.OwnText = *Attached.TextPtr;
    StringUpdate_(Attached.OwnText);
  }
  const uint64_t size = Attached.OwnText.size();
  if (start == NoPosition) start = Pos;
  if (end == NoPosition) end = RangeEnd;
  start = std::min(start, size);
  end = std::min(std::max(end, start), size);
  SetBit(IsExpanding, true);
  SetBit(IsModified, false);
  bool modified = false;
  {
    const ScopedValue<bool> expanding(Expanding_.RangeExpanding_, true);
    modified = RuleExpansion::ExpandRange(*this, Attached.OwnText, start, end);
  }
  SetBit(IsModified, modified);
  static_cast<ScanState&>(*this) = ScanState();
  RangeStart = Pos = start;
  RangeEnd = end;
  Attached.TextLength = Attached.OwnText.size();
  Attached.TextPtr = &Attached.OwnText;
  // The caller's string receives a copy: exchanging would leave OwnText
  // holding the old text, and the next expansion would hand that back.
  if (Has(IsByRef) && Attached.InputRefTarget != nullptr) *Attached.InputRefTarget = Attached.OwnText;
}

std::string StringLocation::Expand(const std::string& text, uint64_t start, uint64_t end) {
  std::string result = text;
  const uint64_t size = result.size();
  start = start == NoPosition ? 0 : std::min(start, size);
  end = end == NoPosition ? size : std::min(std::max(end, start), size);
  const bool modified = RuleExpansion::ExpandRange(*this, result, start, end);
  SetBit(IsModified, modified);
  return result;
}

void StringLocation::ModifyText(QuorbItem* rule, std::vector<LocationAndLengthStruct>& captures) {
  if (rule == nullptr) return;
  Matching.RunLeft = RunRemainder();  // the text changes under it
  if (Attached.TextPtr != &Attached.OwnText) {
    Attached.OwnText = *Attached.TextPtr;
    StringUpdate_(Attached.OwnText);
  }
  const uint64_t size = Attached.OwnText.size();
  const uint64_t start = std::min(TokenLoc == NoPosition ? Pos : TokenLoc, size);
  const uint64_t length = std::min(TokenLen, size - start);
  QuorbItem* head = FamilyHead(rule);
  std::string result;
  int32_t firstError = 0;
  if (!BuildReplacement(*this, rule, Attached.OwnText, captures, start, length, [this] { return Attached.OwnText; }, firstError,
                        result)) {
    Pos = start + length;  // the match stays as it is
    captures.clear();
    return;
  }
  result = RuleExpansion::ThroughLocalTransform(rule, head, std::move(result),
                                               {&Attached.OwnText, start, &Attached.OwnText, start + length});
  if (Record.ChangeLog.size() < MaxChangeRecords) Record.ChangeLog.Add(start, Attached.OwnText, start, length, result, rule);
  Attached.OwnText.replace(start, length, result);
  if (RangeEnd >= start + length) RangeEnd = RangeEnd - length + result.size();
  else if (RangeEnd > start) RangeEnd = start + result.size();
  Attached.TextLength = Attached.OwnText.size();
  Pos = head->Has(IsRewindOnChange) ? start : start + result.size();
  if (Has(IsRecordingSteps)) Record.Steps.push_back(Attached.OwnText);
  SetBit(IsModified, true);
  captures.clear();
}

void PopulateEvalParams(QuorbItem* rule, const std::string& text, const std::vector<LocationAndLengthStruct>& captures) {
  if (rule == nullptr) return;
  for (QuorbItem* part : rule->SubItems) {
    if (part->Name.empty() || part->SubItems.empty()) continue;
    QuorbItem* variable = part->SubItems.front();
    Quorb* instance = variable->Owner != nullptr ? variable->Owner : rule->Owner;
    if (instance == nullptr || variable->ValuePtr == nullptr || variable->Has(IsArray) ||
        variable->DataType == nullptr || variable->DataType != instance->Types.StringType)
      continue;
    const std::string value =
        part->Rule().PartIndex < captures.size() ? CaptureText(text, captures[part->Rule().PartIndex]) : std::string();
    variable->DataType->SetValue(variable->ValuePtr, &value);
  }
}

}  // namespace QuorbNameSpace
