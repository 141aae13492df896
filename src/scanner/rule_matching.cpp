// Matching a compiled rule at the cursor: the anchor token was just taken,
// the rule's parts are matched one by one, and on failure the next rule of
// the same name (or, for a rule anchored by a regular expression, a rule of
// a lower-priority token) is tried.
#include <algorithm>
#include <vector>

#include "engine/invariant.h"
#include "engine/sentinels.h"
#include "scanner/rule_parts.h"
#include "scanner/string_location.h"

namespace QuorbNameSpace {
namespace {

// The cursor's properties while one rule is matched: the rule's own case,
// blank, quote and code-block flags, but the cursor's ownership.
uint64_t MatchingProperties(const StringLocation& cursor, const QuorbItem* rule) {
  const uint64_t owner = PropertyBit(IsOwner);
  return (rule->Properties & ~owner) | (cursor.Properties & owner);
}

// The capture of the nearest part before `index` that is neither a group
// nor a stop mark: the part a ParamStop's span belongs to.
LocationAndLengthStruct* SpanOwner(const SubItemList& parts,
                                   std::vector<LocationAndLengthStruct>& captures, size_t index) {
  for (size_t j = std::min(index, captures.size()); j-- > 0;) {
    int32_t kind = parts[j]->Token().PartKind;
    if (kind != Group && kind != StopMark) return &captures[j];
  }
  return nullptr;
}

bool MatchPartPattern(const StringLocation& cursor, const QuorbItem* part, uint64_t pos, uint64_t end,
                      TokenMatch& m) {
  if (part->Token().FastMatch != nullptr) return part->Token().FastMatch(*cursor.Attached.TextPtr, pos, end, part->Token().SubMatch, m);
  return MatchHostPattern(cursor, part->Token().Pattern, pos, end, part->Token().SubMatch, m);
}

std::string CaptureText(const std::string& text, const LocationAndLengthStruct& capture) {
  if (capture.Location >= text.size()) return std::string();
  return text.substr(capture.Location, capture.Length);
}

}  // namespace

QuorbItem* StringLocation::CheckForSyntaxBlock(QuorbItem* rule) {
  std::vector<LocationAndLengthStruct> captures;
  return CheckForSyntaxBlock(rule, captures, 0);
}

// Matches the parts of `rule` from the cursor; false at the first failure.
// `current` enters as the anchor's capture.
QuorbItem* StringLocation::MatchParts(QuorbItem* rule, std::vector<LocationAndLengthStruct>& captures,
                                      bool& beganWithRegex) {
  if (!rule->Has(IsAnchored)) return nullptr;  // not a compiled rule
  const SubItemList& parts = rule->SubItems;
  const std::string& text = *Attached.TextPtr;
  const uint64_t end = std::min<uint64_t>(RangeEnd, text.size());
  LocationAndLengthStruct current = captures.empty() ? LocationAndLengthStruct{} : captures.front();
  const LocationAndLengthStruct anchor = current;
  captures.clear();
  captures.reserve(parts.size());
  for (size_t i = 0; i < parts.size(); ++i) {
    QuorbItem* part = parts[i];
    switch (part->Token().PartKind) {
      case Literal: {
        NextToken(DefaultToken, 1);
        bool equal = TokenIs(part->Text);
        if (!equal && CurrentToken->Token().TokenKind == TokenReducible) {
          while (!equal && TokenLen > 1) {
            --Pos;
            --TokenLen;
            equal = TokenIs(part->Text);
          }
        }
        if (!equal) return nullptr;
        current = {TokenLoc, TokenLen};
        break;
      }
      case RegExParam: {
        if (i == 0) {
          beganWithRegex = true;
          break;
        }
        TokenMatch m;
        while (!MatchPartPattern(*this, part, Pos, end, m)) {
          // Only blanks may stand before the pattern.
          const bool wasSensitive = Has(IsWhitespaceSensitive);
          SetBit(IsWhitespaceSensitive, true);
          NextToken(DefaultToken, 1);
          SetBit(IsWhitespaceSensitive, wasSensitive);
          if (CurrentToken->Token().TokenKind != TokenWhitespace || rule->Has(IsWhitespaceSensitive)) return nullptr;
        }
        current = {m.subStart, m.subLength};
        Pos += m.length;
        break;
      }
      case ParamStop:
      case RegExParamStop: {
        if (!ScanUpToStop(part) || TokenLen == 0) return nullptr;
        if (LocationAndLengthStruct* owner = SpanOwner(parts, captures, i)) *owner = {TokenLoc, TokenLen};
        current = {StopLoc, StopLen};
        break;
      }
      case GroupEnd:
        for (const QuorbItem* group : parts) {
          if (group->Token().PartKind != Group || group->Rule().GroupFirst == nullptr || group->Rule().GroupLast == nullptr) continue;
          if (group->Rule().PartIndex >= captures.size() || group->Rule().GroupFirst->Rule().PartIndex >= captures.size() ||
              group->Rule().GroupLast->Rule().PartIndex >= captures.size())
            continue;
          const LocationAndLengthStruct& first = captures[group->Rule().GroupFirst->Rule().PartIndex];
          const LocationAndLengthStruct& last = captures[group->Rule().GroupLast->Rule().PartIndex];
          uint64_t stop = last.Location + last.Length;
          captures[group->Rule().PartIndex] = {first.Location, stop > first.Location ? stop - first.Location : 0};
        }
        break;
      case CheckEnd:
        for (size_t k = 0; k < captures.size(); ++k) {
          if (parts[k]->Token().PartKind == StopMark && k > 0) Pos = captures[k - 1].Location + captures[k - 1].Length;
          uint64_t back = parts[k]->Rule().BackRefIndex;
          if (back != 0 && back < captures.size() &&
              !IsEqual(CaptureText(text, captures[k]), CaptureText(text, captures[back])))
            return nullptr;
        }
        current = {0, 0};
        break;
      case TrailingParam:
        upto(part);
        if (TokenLen == 0) return nullptr;
        current = {TokenLoc, TokenLen};
        break;
      case StartAnchor:
        if (TokenLoc != RangeStart && BlankStart != RangeStart) return nullptr;
        current = {0, 0};
        break;
      case EndAnchor:
        if (Pos < RangeEnd) {
          NextToken(DefaultToken, 1);
          if (BlankStart != NoPosition) Pos = BlankStart;
          if (CurrentToken != ItemNotFound) return nullptr;
        }
        current = {0, 0};
        break;
      case CountParam: {
        if (part->ElementCount == 0) {
          current = {Pos, 0};
          break;
        }
        uint64_t first = NoPosition;
        for (uint64_t k = 0; k < part->ElementCount; ++k) {
          if (Pos >= RangeEnd) return nullptr;
          NextToken(DefaultToken, 1);
          if (CurrentToken == ItemNotFound) return nullptr;
          if (k == 0) first = TokenLoc;
        }
        current = {first, Pos - first};
        break;
      }
      case Anchor:
        // The rule table folds case, so a case-sensitive rule checks the
        // word it was found under itself.
        if (Has(IsCaseSensitive) && (anchor.Location > text.size() || anchor.Length != part->Text.size() ||
                                     text.compare(anchor.Location, anchor.Length, part->Text) != 0))
          return nullptr;
        break;
      default:  // Param, Group, StopMark: their captures are filled by later parts
        break;
    }
    captures.push_back(current);
    if (i == 0 && !rule->Has(IsActive)) return nullptr;
  }
  return rule;
}

bool StringLocation::ScanUpToStop(QuorbItem* part) {
  SetBit(IsStopFound, false);
  if (Expanding_.Memory_ == nullptr || !Expanding_.Memory_->remember) {
    if (!LeanStopScan(part)) NextToken(part, 1);
    return Has(IsStopFound);
  }
  // Nothing is filed for this part and range end before a scan long
  // enough to be worth remembering: the scan then looks in an empty record.
  static const ScanMemory::StopScans kNoneYet;
  const auto filed = Expanding_.Memory_->stopScans.find({part, RangeEnd});
  const ScanMemory::StopScans& known = filed != Expanding_.Memory_->stopScans.end() ? filed->second : kNoneYet;
  ScanMemory::AnyRange& anyRange = Expanding_.Memory_->anyRange[part];
  ScanMemory::Trail trail;
  trail.anyRange = &anyRange;
  trail.steps.swap(Expanding_.Memory_->spareSteps);  // room of earlier scans, emptied
  // Handed to the one scan started here, which takes it at once: no trail
  // is left over from before, none outlives its scan.
  QUORB_ASSERT(Expanding_.Memory_->trail == nullptr && Expanding_.Memory_->known == nullptr);
  Expanding_.Memory_->trail = &trail;
  Expanding_.Memory_->known = &known;
  if (!LeanStopScan(part)) NextToken(part, 1);
  QUORB_ASSERT(Expanding_.Memory_->trail == nullptr && Expanding_.Memory_->known == nullptr);
  const bool found = Has(IsStopFound);
  // A scan of a few steps costs less to take again than to file: only
  // longer ones are remembered, so a scan not remembered stays short.
  if (!Expanding_.Memory_->exhausted && trail.steps.size() >= StopScanStepsWorthRemembering) {
    ScanMemory::StopScans& scans = Expanding_.Memory_->stopScans[{part, RangeEnd}];
    ScanMemory::Remember(scans, trail, found, {StopLoc, StopLen, CurrentToken, PrevToken, Matching.LastMatch});
    ScanMemory::RememberForOtherRanges(anyRange, scans, trail, found);
  }
  trail.steps.clear();
  Expanding_.Memory_->spareSteps.swap(trail.steps);
  return found;
}

QuorbItem* StringLocation::CheckForSyntaxBlock(QuorbItem* rule, std::vector<LocationAndLengthStruct>& captures,
                                               uint64_t previousIndex) {
  if (rule == nullptr || !rule->Has(IsAnchored)) return nullptr;
  const uint64_t matchStart = ScanStart;
  const uint64_t startPos = Pos;
  const uint64_t savedProperties = Properties;
  LocationAndLengthStruct anchor{TokenLoc == NoPosition ? Pos : TokenLoc, TokenLen};

  QuorbItem* matched = nullptr;
  QuorbItem* candidate = rule;
  while (candidate != nullptr) {
    Properties = MatchingProperties(*this, candidate);
    captures.assign(1, anchor);
    bool beganWithRegex = false;
    matched = MatchParts(candidate, captures, beganWithRegex);
    Properties = savedProperties;
    if (matched != nullptr) break;

    if (beganWithRegex) {
      // Retokenize with the items below the one taken before; the new
      // token's rule, if any, is the next candidate.
      Pos = matchStart;
      candidate = nullptr;
      while (previousIndex != NoPosition && previousIndex > 0 && Tokens != nullptr) {
        uint64_t offset = Tokens->size() - previousIndex + 1;
        previousIndex = NextToken(DefaultToken, offset);
        anchor = {TokenLoc, TokenLen};
        candidate = CurrentToken != nullptr ? CurrentToken->Token().RegExRule : nullptr;
        if (candidate == nullptr || candidate->Has(IsActive)) break;
      }
    } else {
      Pos = startPos;
      candidate = candidate->NextOverload;
      while (candidate != nullptr && !candidate->Has(IsActive)) candidate = candidate->NextOverload;
    }
  }

  TokenLoc = matchStart;
  TokenLen = Pos >= matchStart ? Pos - matchStart : 0;
  Properties = savedProperties;
  return matched;
}

}  // namespace QuorbNameSpace
