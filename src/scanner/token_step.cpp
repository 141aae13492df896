// The lean token step (token_step.h).
#include "scanner/token_step.h"

#include <algorithm>

#include "engine/quorb_item.h"
#include "engine/sentinels.h"
#include "scanner/string_location.h"
#include "scanner/token_dispatch.h"

namespace QuorbNameSpace {

bool LeanTokenSteps = true;

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
      QuorbItem* item = nullptr;
      TokenMatch match;
      const auto byte = static_cast<unsigned char>(text[Pos]);
      for (const uint32_t* entry = dispatch.Begin(byte); entry != dispatch.End(byte); ++entry) {
        QuorbItem* candidate = tokens[*entry];
        if (quotesOff && candidate->Has(IsQuotedText)) continue;
        const TokenClass_& part = candidate->Token();
        TokenMatch found;
        const bool matched = (inRun && RestOfRun(*this, candidate, end, part.SubMatch, found)) ||
                             (part.FastMatch != nullptr ? part.FastMatch(text, Pos, end, part.SubMatch, found)
                                                        : MatchHostPattern(*this, part.Pattern, Pos, end, part.SubMatch, found));
        // An empty match would not move the scan on.
        if (!matched || (found.length == 0 && candidate != DefaultToken)) continue;
        item = candidate;
        match = found;
        lastIndex = *entry;
        break;
      }
      if (item == nullptr) {
        item = UnmatchedByte();
        match.length = match.subLength = 1;
        match.subStart = Pos;
      } else if (match.length > 1 && item->Token().SubMatch == 0 && MatchesRunsOfOneClass(item->Token().FastMatch)) {
        Matching.RunLeft = {item, item->Token().EditStamp, &text, text.size(), Pos, Pos + match.length};
      }
      CurrentToken = item;
      Matching.LastMatch = match;
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
