// The scanner: token steps, up-to scans and code blocks. Token items are
// tried from the highest priority (defined last) down; the first that
// matches at the position wins, not the longest.
#include <algorithm>
#include <utility>

#include "engine/errors.h"
#include "engine/quorb.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "scanner/rule_parts.h"
#include "scanner/string_location.h"
#include "scanner/text_at.h"
#include "scanner/token_dispatch.h"
#include "scanner/token_step.h"

namespace QuorbNameSpace {

// Stands for a byte that no token pattern takes (a lone carriage return, or
// any byte when the token list is empty).
QuorbItem* UnmatchedByte() {
  static QuorbItem* item = [] {
    auto* generic = new QuorbItem();
    generic->EditToken().TokenKind = TokenGeneric;
    return generic;
  }();
  return item;
}

bool TakeStep(ScanMemory& memory) {
  if (memory.stepsLeft == 0) {
    memory.exhausted = true;
    return false;
  }
  --memory.stepsLeft;
  return true;
}

namespace {

bool IsBlankRun(const QuorbItem* token) { return token != nullptr && token->Token().TokenKind == TokenWhitespace; }

// Appends the wanted item to the token list for the duration of a scan, so
// its own pattern is tried first, and takes it off again however the scan
// ends.
class WantedFirst {
 public:
  WantedFirst(std::vector<QuorbItem*>* tokens, QuorbItem* wanted, bool needed)
      : tokens_(needed ? tokens : nullptr), wanted_(wanted) {
    if (tokens_ != nullptr) tokens_->push_back(wanted_);
  }
  ~WantedFirst() {
    if (tokens_ != nullptr) Remove();  // a step scan lists nothing
  }
  void Remove() {
    if (tokens_ == nullptr) return;
    auto last = std::find(tokens_->rbegin(), tokens_->rend(), wanted_);
    if (last != tokens_->rend()) tokens_->erase(std::next(last).base());
    tokens_ = nullptr;
  }
  void PutBack(std::vector<QuorbItem*>* tokens) {
    tokens_ = tokens;
    if (tokens_ != nullptr) tokens_->push_back(wanted_);
  }
  bool Active() const { return tokens_ != nullptr; }

 private:
  std::vector<QuorbItem*>* tokens_;
  QuorbItem* wanted_;
};

}  // namespace

std::string StringLocation::TokenText() const {
  if (TokenLoc == NoPosition || TokenLoc >= Attached.TextPtr->size()) return std::string();
  return Attached.TextPtr->substr(TokenLoc, TokenLen);
}

// A parent outlives its cursors, and while one shares its list it holds
// the same list object: its table describes what the cursor scans.
TokenDispatch& StringLocation::ListDispatch() {
  StringLocation* holder = this;
  if (ShareDispatchWithParent)
    while (holder->Parent != nullptr && holder->Parent->Tokens == Tokens) holder = holder->Parent;
  return holder->Matching.FirstByteDispatch;
}

bool StringLocation::TokenIs(const std::string& word) const {
  return TextEqualsAt(*Attached.TextPtr, TokenLoc, TokenLen, word, Has(IsCaseSensitive));
}

bool RestOfRun(const StringLocation& cursor, const QuorbItem* candidate, uint64_t end, uint64_t sub,
                      TokenMatch& out) {
  const StringLocation::RunRemainder& run = cursor.Matching.RunLeft;
  // The stamp too: an item defined again (or made anew at a freed one's
  // address) has another pattern, whose run this is not.
  if (candidate != run.item || candidate->Token().EditStamp != run.stamp || sub != 0 || cursor.Pos < run.start ||
      cursor.Pos >= run.end || run.end > end || cursor.Attached.TextPtr != run.text || cursor.Attached.TextPtr->size() != run.size)
    return false;
  out.length = out.subLength = run.end - cursor.Pos;
  out.subStart = cursor.Pos;
  return true;
}

bool MatchHostPattern(const StringLocation& cursor, const HostRegex& pattern, uint64_t pos, uint64_t end,
                      uint64_t subMatch, TokenMatch& out) {
  const RegexOutcome outcome = MatchRegexAt(pattern, *cursor.Attached.TextPtr, pos, end, subMatch, out);
  if (outcome == RegexOutcome::GaveUp && cursor.Owner != nullptr) cursor.Owner->SetErrorIfNone(ErrReparseLimit);
  return outcome == RegexOutcome::Match;
}

// Whether `candidate` matches at the cursor's position with a length the
// step can take: an empty match would not move the scan on, so only the
// wanted terminator may match empty.
static bool TokenMatchesAt(const StringLocation& cursor, QuorbItem* candidate, uint64_t end, const QuorbItem* wanted,
                           bool step, bool quotesOff, TokenMatch& found) {
  if (quotesOff && candidate->Has(IsQuotedText)) return false;
  const TokenClass_& part = candidate->Token();
  const uint64_t sub = step ? part.SubMatch : 0;
  const bool matched =
      RestOfRun(cursor, candidate, end, sub, found) ||
      (part.FastMatch != nullptr ? part.FastMatch(*cursor.Attached.TextPtr, cursor.Pos, end, sub, found)
                                 : MatchHostPattern(cursor, part.Pattern, cursor.Pos, end, sub, found));
  return matched && (found.length != 0 || candidate == wanted);
}

// The highest-priority token item that matches at Pos, from list index
// `first` down; its index, or NoPosition with `item` null. The slow twin of
// the dispatch below: every item in turn.
static uint64_t FindTokenInTurn(const StringLocation& cursor, const std::vector<QuorbItem*>& tokens, uint64_t first,
                                uint64_t covered, QuorbItem* wanted, bool step, QuorbItem*& item, TokenMatch& match) {
  const uint64_t end = std::min<uint64_t>(cursor.RangeEnd, cursor.Attached.TextPtr->size());
  const bool quotesOff = cursor.Has(IsQuoteBlind);
  for (uint64_t i = first + 1; i-- > covered;) {
    TokenMatch found;
    if (!TokenMatchesAt(cursor, tokens[i], end, wanted, step, quotesOff, found)) continue;
    item = tokens[i];
    match = found;
    return i;
  }
  item = nullptr;
  return NoPosition;
}

// As FindTokenInTurn, trying only the items whose patterns can start with
// the byte at Pos, in the same order: first the items above the table one
// by one, then the table's list for that byte.
static uint64_t FindToken(StringLocation& cursor, const std::vector<QuorbItem*>& tokens, uint64_t first,
                          QuorbItem* wanted, bool step, QuorbItem*& item, TokenMatch& match) {
  if (!DispatchTokensByFirstByte) return FindTokenInTurn(cursor, tokens, first, 0, wanted, step, item, match);
  TokenDispatch& dispatch = cursor.ListDispatch();
  const uint64_t covered = dispatch.Covered(tokens, wanted);
  if (covered == 0) return FindTokenInTurn(cursor, tokens, first, 0, wanted, step, item, match);
  if (first >= covered) {
    const uint64_t above = FindTokenInTurn(cursor, tokens, first, covered, wanted, step, item, match);
    if (above != NoPosition) return above;
  }
  const uint64_t end = std::min<uint64_t>(cursor.RangeEnd, cursor.Attached.TextPtr->size());
  const bool quotesOff = cursor.Has(IsQuoteBlind);
  const auto byte = static_cast<unsigned char>((*cursor.Attached.TextPtr)[cursor.Pos]);
  for (const uint32_t* entry = dispatch.Begin(byte); entry != dispatch.End(byte); ++entry) {
    if (*entry > first) continue;
    TokenMatch found;
    if (!TokenMatchesAt(cursor, tokens[*entry], end, wanted, step, quotesOff, found)) continue;
    item = tokens[*entry];
    match = found;
    return *entry;
  }
  item = nullptr;
  return NoPosition;
}

uint64_t StringLocation::NextToken(QuorbItem* wanted, uint64_t startOffset) {
  if (wanted == nullptr) wanted = DefaultToken;
  uint64_t index = NoPosition;
  if (wanted == DefaultToken && startOffset == 1 && LeanTokenSteps && LeanStep(index)) return index;
  return ScanTokens(wanted, startOffset);
}

// The general loop: token steps and up-to scans alike.
uint64_t StringLocation::ScanTokens(QuorbItem* wanted, uint64_t startOffset) {
  const bool step = wanted == DefaultToken;
  BlankStart = TokenLoc = StopLoc = NoPosition;
  StopLen = 0;
  if (!step) SetBit(IsStopFound, false);
  WantedFirst wantedFirst(Tokens, wanted, !step && wanted->Text.empty() && Tokens != nullptr);
  const bool blanksCount = Has(IsWhitespaceSensitive) || wanted->Has(IsWhitespaceSensitive);
  uint64_t lastIndex = NoPosition;
  // A rule's stop scan with a memory: its steps are recorded, and where an
  // earlier scan for the same stop took a step it ends as that scan did
  // (nested scans get neither).
  ScanMemory::Trail* trail = Expanding_.Memory_ != nullptr ? std::exchange(Expanding_.Memory_->trail, nullptr) : nullptr;
  const ScanMemory::StopScans* known = Expanding_.Memory_ != nullptr ? std::exchange(Expanding_.Memory_->known, nullptr) : nullptr;

  while (Pos < RangeEnd && Pos < Attached.TextPtr->size()) {
    if (Expanding_.Memory_ != nullptr && !TakeStep(*Expanding_.Memory_)) break;
    if (trail != nullptr) {
      if (known != nullptr && ResumeKnownStop(*known, *trail)) break;
      trail->steps.push_back({Pos, false});
    }
    PrevToken = CurrentToken;
    const uint64_t listSize = Tokens != nullptr ? Tokens->size() : 0;
    QuorbItem* item = nullptr;
    TokenMatch match;
    uint64_t index = NoPosition;
    if (listSize >= startOffset)
      index = FindToken(*this, *Tokens, listSize - startOffset, wanted, step, item, match);
    if (item == nullptr) {
      item = UnmatchedByte();
      match.length = match.subLength = 1;
      match.subStart = Pos;
    } else {
      lastIndex = index;
      if (match.length > 1 && item->Token().SubMatch == 0 && MatchesRunsOfOneClass(item->Token().FastMatch))
        Matching.RunLeft = {item, item->Token().EditStamp, Attached.TextPtr, Attached.TextPtr->size(), Pos, Pos + match.length};
    }
    CurrentToken = item;
    Matching.LastMatch = match;

    if (item->Token().TokenKind == TokenWhitespace && !blanksCount) {
      if (trail != nullptr) trail->steps.back().blank = true;
      TokenStart = BlankStart = Pos;
      Pos += match.length;
      if (step) continue;
    } else {
      if (TokenLoc == NoPosition) {
        TokenLoc = match.subStart;
        ScanStart = Pos;
      }
      TokenStart = Pos;
      Pos += match.length;
      if (step) {
        TokenLen = match.subLength;
        return lastIndex;
      }
    }

    // Up-to scan: the terminator ends it.
    const bool isTerminator =
        item == wanted ||
        (!wanted->Text.empty() && TextEqualsAt(*Attached.TextPtr, TokenStart, Pos - TokenStart, wanted->Text, Has(IsCaseSensitive)));
    if (isTerminator) {
      SetBit(IsStopFound, true);
      StopLoc = TokenStart;
      StopLen = Pos - TokenStart;
      break;
    }
    // While expanding, a construct that a rule recognises is one unit.
    if (Has(IsExpanding) && !wanted->Has(IsNoExpansion) && item->Token().SubMatch == 0 && RuleTable != nullptr) {
      if (QuorbItem* rule = FiledUnderTextAt(RuleTable, *Attached.TextPtr, TokenStart, Pos - TokenStart)) {
        ScanState kept = *this;
        CheckForSyntaxBlock(rule);
        uint64_t after = Pos;
        static_cast<ScanState&>(*this) = kept;
        Pos = after;
      }
    }
    if (item->Token().TokenKind == TokenStatementSep && !wanted->Has(IsSeparatorTransparent)) {
      if (wanted->Token().PartKind == TrailingParam) SetBit(IsStopFound, true);
      break;
    }
    if (item->Token().TokenKind == TokenCodeBlock && !wanted->Has(IsCodeBlockBlind)) {
      Pos = TokenStart;
      bool listed = wantedFirst.Active();
      wantedFirst.Remove();
      NextCodeBlock(true);
      if (listed) wantedFirst.PutBack(Tokens);
      if (Pos >= RangeEnd) break;
    }
  }
  FinishScan(wanted);
  return lastIndex;
}

// Sets the span of the scan that just ended: the text taken before the end,
// or before the terminator, without trailing blanks.
void StringLocation::FinishScan(QuorbItem* wanted) {
  const bool cursorBlanks = Has(IsWhitespaceSensitive);
  if (TokenLoc == NoPosition) {
    TokenLen = 0;
    TokenLoc = TokenStart = ScanStart = Pos;
    CurrentToken = ItemNotFound;
  } else if (!Has(IsStopFound)) {
    bool trailingBlank = IsBlankRun(CurrentToken) && !cursorBlanks && BlankStart != NoPosition && BlankStart >= TokenLoc;
    TokenLen = (trailingBlank ? BlankStart : Pos) - TokenLoc;
  } else {
    bool blankBefore = IsBlankRun(PrevToken) && !cursorBlanks && !wanted->Has(IsWhitespaceSensitive) &&
                       BlankStart != NoPosition && BlankStart > TokenLoc;
    uint64_t spanEnd = blankBefore ? BlankStart : TokenStart;
    TokenLen = spanEnd > TokenLoc ? spanEnd - TokenLoc : 0;
    if (wanted->Has(IsStopUnread)) Pos = TokenStart;
  }
}

void StringLocation::upto(QuorbItem* terminator) {
  SetBit(IsStopFound, false);
  NextToken(terminator, 1);
}

void StringLocation::upto(const std::string& terminator) {
  QuorbItem stop;
  stop.Text = terminator;
  upto(&stop);
}

std::string StringLocation::NextTokenStr() {
  NextToken(DefaultToken, 1);
  return TokenText();
}

// Iterative, so deeply nested brackets cannot exhaust the stack: a stack of
// the openers still waiting for their closers stands in for recursion.
void StringLocation::NextCodeBlock(bool restore) {
  const uint64_t start = Pos;
  const ScanState saved = *this;
  const TokenMatch savedMatch = Matching.LastMatch;
  QuorbItem* setAside = nullptr;
  if (Tokens != nullptr && !Tokens->empty() && Tokens->back()->Has(IsSetAside)) {
    setAside = Tokens->back();
    Tokens->pop_back();
  }

  if (restore && setAside == nullptr && SkipKnownBlock(start)) return;

  NextToken(DefaultToken, 1);
  uint64_t innerStart = start;
  if (CurrentToken->Token().TokenKind != TokenCodeBlock) {
    TokenLen = BlockInnerLen = 0;
  } else {
    innerStart = Pos;
    // An expansion's cursor measures many blocks: it keeps the stack's
    // room from one to the next.
    std::vector<ScanMemory::OpenBlock> open;
    if (Expanding_.Memory_ != nullptr) open.swap(Expanding_.Memory_->openBlocks);
    open.push_back({CurrentToken, start});
    bool closed = false;
    while (Pos < RangeEnd) {
      NextToken(DefaultToken, 1);
      if (CurrentToken == ItemNotFound) break;
      if (CurrentToken->Token().TokenKind == TokenCodeBlock) {
        open.push_back({CurrentToken, ScanStart});
      } else if (CurrentToken->Token().TokenKind == TokenCodeBlockMatch &&
                 CurrentToken->Token().Partner == open.back().opener) {
        // Every block closed on the way is measured too.
        if (Expanding_.Memory_ != nullptr && setAside == nullptr)
          Expanding_.Memory_->blocks[open.back().start] = {Pos, RangeEnd, true, Has(IsQuoteBlind)};
        open.pop_back();
        if (open.empty()) {
          TokenLen = Pos - start;
          BlockInnerLen = ScanStart - innerStart;
          closed = true;
          break;
        }
      }
    }
    if (!closed) {
      TokenLen = BlockInnerLen = 0;
      Status = 5;
      if (Expanding_.Memory_ != nullptr && setAside == nullptr) Expanding_.Memory_->blocks[start] = {Pos, RangeEnd, false, Has(IsQuoteBlind)};
    }
    if (Expanding_.Memory_ != nullptr) {
      open.clear();
      Expanding_.Memory_->openBlocks.swap(open);
    }
  }

  if (restore) {
    const uint64_t after = Pos;
    static_cast<ScanState&>(*this) = saved;
    Matching.LastMatch = savedMatch;
    Pos = after;
  } else {
    ScanStart = TokenLoc = start;
    BlockInnerStart = innerStart;
  }
  if (setAside != nullptr) Tokens->push_back(setAside);
}

bool StringLocation::ResumeKnownStop(const ScanMemory::StopScans& known, ScanMemory::Trail& trail) {
  const ScanMemory::StopScans* scans = &known;
  auto seen = known.from.find(Pos);
  if (seen == known.from.end()) {
    // Scans under other range ends that took a step here.
    if (trail.anyRange == nullptr) return false;
    if (trail.anyRange->Fails(Pos, RangeEnd)) {
      trail.hit = true;
      trail.hitFrom = ScanMemory::StopScans::From();
      return true;
    }
    scans = trail.anyRange->Finds(Pos, RangeEnd);
    if (scans == nullptr) return false;
    seen = scans->from.find(Pos);
  }
  const ScanMemory::StopScans::From& from = seen->second;
  trail.hit = true;
  trail.hitFrom = from;
  if (from.end == ScanMemory::StopScans::Fails) return true;
  // The state the earlier scan's remaining steps would leave.
  const ScanMemory::StopScans::End& end = scans->ends[from.end];
  PrevToken = Pos == end.stopLoc ? CurrentToken : end.previous;
  if (from.lastBlank != NoPosition) BlankStart = from.lastBlank;
  if (TokenLoc == NoPosition && from.firstToken != NoPosition) TokenLoc = ScanStart = from.firstToken;
  CurrentToken = end.current;
  Matching.LastMatch = end.lastMatch;
  TokenStart = StopLoc = end.stopLoc;
  StopLen = end.stopLen;
  Pos = end.stopLoc + end.stopLen;
  SetBit(IsStopFound, true);
  return true;
}

bool StringLocation::SkipKnownBlock(uint64_t start) {
  if (Expanding_.Memory_ == nullptr || !Expanding_.Memory_->remember) return false;
  auto known = Expanding_.Memory_->blocks.find(start);
  if (known == Expanding_.Memory_->blocks.end()) {
    const uint64_t after = Expanding_.Memory_->MeasuredBlockEnd(start, Has(IsQuoteBlind));
    if (after == NoPosition || after > RangeEnd) return false;
    Pos = after;
    return true;
  }
  const ScanMemory::Block& block = known->second;
  if (block.quoteBlind != Has(IsQuoteBlind)) return false;
  if (block.closed ? block.after > RangeEnd : block.rangeEnd != RangeEnd) return false;
  Pos = block.after;
  return true;
}

StringLocation::BlockSpan StringLocation::MeasureBlock(uint64_t at) {
  const ScanState keep = *this;
  Pos = at;
  NextCodeBlock(false);
  BlockSpan span{TokenLen, BlockInnerStart, BlockInnerLen};
  static_cast<ScanState&>(*this) = keep;
  return span;
}

void StringLocation::StringUpdate_(const std::string& text) {
  const uint64_t newLength = text.size();
  RangeEnd = RangeEnd + newLength >= Attached.TextLength ? RangeEnd + newLength - Attached.TextLength : 0;
  StopLoc = Pos;
  StopLen = 0;
  Attached.TextLength = newLength;
  Attached.TextPtr = &text;
  Matching.RunLeft = RunRemainder();
}

}  // namespace QuorbNameSpace
