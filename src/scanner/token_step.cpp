// The lean token step (token_step.h).
#include "scanner/token_step.h"

#include <algorithm>
#include <utility>

#include "engine/quorb_item.h"
#include "engine/sentinels.h"
#include "scanner/rule_parts.h"
#include "scanner/string_location.h"
#include "scanner/text_at.h"
#include "scanner/token_dispatch.h"

namespace QuorbNameSpace {

bool LeanTokenSteps = true;
bool LeanStopScans = true;

namespace {

// The candidate loop runs at every step of both loops: inlined into each.
#if defined(__GNUC__) || defined(__clang__)
#define QUORB_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define QUORB_ALWAYS_INLINE inline
#endif

// The highest-priority covered item that matches at the cursor's position
// with a length the scan can take (only `wanted` may match empty), as the
// general loop's FindToken finds it; null when none does. A step matches
// each item's sub-match (`step`), an up-to scan the whole match. `inRun`:
// the position is inside the last long run, whose end may be taken again.
QUORB_ALWAYS_INLINE QuorbItem* FirstMatch(const StringLocation& cursor, const std::vector<QuorbItem*>& tokens, const TokenDispatch& dispatch,
                      uint64_t end, bool quotesOff, bool inRun, bool step, const QuorbItem* wanted, TokenMatch& match,
                      uint64_t& index) {
  const std::string& text = *cursor.Attached.TextPtr;
  const uint64_t pos = cursor.Pos;
  const auto byte = static_cast<unsigned char>(text[pos]);
  for (const uint32_t* entry = dispatch.Begin(byte); entry != dispatch.End(byte); ++entry) {
    QuorbItem* candidate = tokens[*entry];
    if (quotesOff && candidate->Has(IsQuotedText)) continue;
    const TokenClass_& part = candidate->Token();
    const uint64_t sub = step ? part.SubMatch : 0;
    TokenMatch found;
    const bool matched = (inRun && RestOfRun(cursor, candidate, end, sub, found)) ||
                         (part.FastMatch != nullptr ? part.FastMatch(text, pos, end, sub, found)
                                                    : MatchHostPattern(cursor, part.Pattern, pos, end, sub, found));
    // An empty match would not move the scan on.
    if (!matched || (found.length == 0 && candidate != wanted)) continue;
    match = found;
    index = *entry;
    return candidate;
  }
  return nullptr;
}

// The token a step takes at the cursor's position: the first match, or a
// byte no pattern takes; the cursor left holding it as the general loop
// leaves it (its current token, last match and long run).
QUORB_ALWAYS_INLINE QuorbItem* TakeTokenAt(StringLocation& cursor, const std::vector<QuorbItem*>& tokens,
                                           const TokenDispatch& dispatch, uint64_t end, bool quotesOff, bool inRun,
                                           bool step, const QuorbItem* wanted, TokenMatch& match, uint64_t& index) {
  QuorbItem* item = FirstMatch(cursor, tokens, dispatch, end, quotesOff, inRun, step, wanted, match, index);
  const uint64_t pos = cursor.Pos;
  if (item == nullptr) {
    item = UnmatchedByte();
    match.length = match.subLength = 1;
    match.subStart = pos;
  } else if (match.length > 1 && item->Token().SubMatch == 0 && MatchesRunsOfOneClass(item->Token().FastMatch)) {
    const std::string* text = cursor.Attached.TextPtr;
    cursor.Matching.RunLeft = {item, item->Token().EditStamp, text, text->size(), pos, pos + match.length};
  }
  cursor.CurrentToken = item;
  cursor.Matching.LastMatch = match;
  return item;
}

}  // namespace

// The step of the general loop with wanted = DefaultToken and start offset
// 1, where the first-byte table covers the whole list and no stop scan
// records its steps; false, with nothing changed, anywhere else. With
// `passOver`, a token it passes over is followed by the next step at once,
// as the caller would take it, until a token it keeps or the range end.
bool StringLocation::LeanStep(uint64_t& lastIndex, PassOver passOver, void* context) {
  if (!DispatchTokensByFirstByte || Tokens == nullptr || Tokens->empty()) return false;
  ScanMemory* const memory = Expanding_.Memory_;
  if (memory != nullptr && memory->trail != nullptr) return false;
  const std::vector<QuorbItem*>& tokens = *Tokens;
  TokenDispatch& dispatch = ListDispatch();
  // Items above the table are tried one by one first: the general loop.
  if (dispatch.Covered(tokens, DefaultToken) != tokens.size()) return false;

  if (memory != nullptr) memory->known = nullptr;  // handed to one up-to scan, which this is not
  const bool blanksCount = Has(IsWhitespaceSensitive) || DefaultToken->Has(IsWhitespaceSensitive);
  const bool quotesOff = Has(IsQuoteBlind);
  const std::string& text = *Attached.TextPtr;
  const uint64_t end = std::min<uint64_t>(RangeEnd, text.size());
  for (;;) {  // one step for each token passed over, and one more
    BlankStart = TokenLoc = StopLoc = NoPosition;
    StopLen = 0;
    lastIndex = NoPosition;
    bool taken = false;
    while (Pos < end) {
      if (memory != nullptr && !TakeStep(*memory)) break;
      PrevToken = CurrentToken;
      // Only a step that starts inside the last run can end where it ended.
      const bool inRun = Pos >= Matching.RunLeft.start && Pos < Matching.RunLeft.end;
      TokenMatch match;
      QuorbItem* item = TakeTokenAt(*this, tokens, dispatch, end, quotesOff, inRun, true, DefaultToken, match, lastIndex);
      if (item->Token().TokenKind == TokenWhitespace && !blanksCount) {
        TokenStart = BlankStart = Pos;
        Pos += match.length;
        continue;
      }
      TokenLoc = match.subStart;
      ScanStart = TokenStart = Pos;
      Pos += match.length;
      TokenLen = match.subLength;
      taken = true;
      break;
    }
    if (!taken) {
      FinishScan(DefaultToken);
      return true;
    }
    // The caller looks at the range end before its next step.
    if (passOver == nullptr || Pos >= RangeEnd || !passOver(context, CurrentToken)) return true;
  }
}

}  // namespace QuorbNameSpace

namespace QuorbNameSpace {

// The up-to part of the general loop for a stop word with a text (so no
// item is listed for it), where the first-byte table covers the whole list
// and nothing the loop looks up between steps is there: no rule table of
// the cursor's own to recognise constructs by, no item set aside. What the
// scan leaves in the cursor and in the stop scan's trail is what the general
// loop leaves.
bool StringLocation::LeanStopScan(QuorbItem* wanted) {
  if (!LeanStopScans || !LeanTokenSteps || !DispatchTokensByFirstByte || wanted == nullptr || wanted == DefaultToken ||
      wanted->Text.empty() || Tokens == nullptr || Tokens->empty() || Tokens->back()->Has(IsSetAside))
    return false;
  if (Has(IsExpanding) && !wanted->Has(IsNoExpansion) && RuleTable != nullptr) return false;
  const std::vector<QuorbItem*>& tokens = *Tokens;
  TokenDispatch& dispatch = ListDispatch();
  if (dispatch.Covered(tokens, wanted) != tokens.size()) return false;

  BlankStart = TokenLoc = StopLoc = NoPosition;
  StopLen = 0;
  SetBit(IsStopFound, false);
  const bool blanksCount = Has(IsWhitespaceSensitive) || wanted->Has(IsWhitespaceSensitive);
  const bool caseSensitive = Has(IsCaseSensitive);
  const bool quotesOff = Has(IsQuoteBlind);
  const bool separatorEnds = !wanted->Has(IsSeparatorTransparent);
  const bool blocksAreUnits = !wanted->Has(IsCodeBlockBlind);
  ScanMemory* const memory = Expanding_.Memory_;
  ScanMemory::Trail* trail = memory != nullptr ? std::exchange(memory->trail, nullptr) : nullptr;
  const ScanMemory::StopScans* known = memory != nullptr ? std::exchange(memory->known, nullptr) : nullptr;
  // Nothing is filed for this stop while the scan runs: where nothing was
  // filed before it, no step can resume an earlier scan.
  const ScanMemory::AnyRange* anyRange = trail != nullptr ? trail->anyRange : nullptr;
  const bool resumable = known != nullptr && (!known->from.empty() || (anyRange != nullptr && (!anyRange->failedAt.empty() ||
                                                                                               !anyRange->foundAt.empty())));
  const std::string& text = *Attached.TextPtr;
  const std::string& stop = wanted->Text;
  const uint64_t end = std::min<uint64_t>(RangeEnd, text.size());
  while (Pos < end) {
    if (memory != nullptr && !TakeStep(*memory)) break;
    if (trail != nullptr) {
      if (resumable && ResumeKnownStop(*known, *trail)) break;
      trail->steps.push_back({Pos, false});
    }
    PrevToken = CurrentToken;
    TokenMatch match;
    uint64_t index = NoPosition;
    QuorbItem* item = TakeTokenAt(*this, tokens, dispatch, end, quotesOff, true, false, wanted, match, index);
    const TokenEnum kind = item->Token().TokenKind;
    if (kind == TokenWhitespace && !blanksCount) {
      if (trail != nullptr) trail->steps.back().blank = true;
      BlankStart = Pos;
    } else if (TokenLoc == NoPosition) {
      TokenLoc = match.subStart;
      ScanStart = Pos;
    }
    TokenStart = Pos;
    Pos += match.length;
    // Only a token as long as the stop word can be it.
    if (item == wanted || (Pos - TokenStart == stop.size() && TextEqualsAt(text, TokenStart, stop.size(), stop, caseSensitive))) {
      SetBit(IsStopFound, true);
      StopLoc = TokenStart;
      StopLen = Pos - TokenStart;
      break;
    }
    if (kind == TokenStatementSep && separatorEnds) {
      if (wanted->Token().PartKind == TrailingParam) SetBit(IsStopFound, true);
      break;
    }
    if (kind == TokenCodeBlock && blocksAreUnits) {
      Pos = TokenStart;
      NextCodeBlock(true);
      if (Pos >= RangeEnd) break;
    }
  }
  FinishScan(wanted);
  return true;
}

}  // namespace QuorbNameSpace
