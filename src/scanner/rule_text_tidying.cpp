// Text tidying for rule compilation: character codes "{#n,m}" turned into
// characters, conditional "{name: ...}" sections of a TO text opened for a
// parameter the pattern has, and references to the parameters of a pattern
// fragment that a variant lacks removed.
#include <cstring>

#include "engine/quorb.h"
#include "engine/sentinels.h"
#include "scanner/rule_compiler.h"

namespace QuorbNameSpace {

namespace {

// Groups nested deeper than this in a fragment are refused rather than
// followed by recursion.
constexpr int MaxFragmentNesting = 64;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The length of the brace block at `start` of `text` (0 when its closing
// brace is missing); quoted text is no unit in TO texts.
uint64_t BraceBlockLength(StringLocation& tokens, const std::string& text, uint64_t start, uint64_t& innerEnd) {
  StringLocation cursor(text, &tokens);
  cursor.SetBit(IsQuoteBlind, true);
  cursor.SetBit(IsExpanding, false);
  cursor.Pos = start;
  cursor.NextCodeBlock(false);
  innerEnd = cursor.BlockInnerStart + cursor.BlockInnerLen;
  return cursor.TokenLen;
}

void ReplaceAll(std::string& text, const std::string& what, const std::string& by) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + by.size()))
    text.replace(at, what.size(), by);
}

// Replaces each whole "{name: ...}" section of `text` by `by`; false when
// one is not closed.
bool ReplaceSections(StringLocation& tokens, std::string& text, const std::string& name, const std::string& by) {
  const std::string opener = "{" + name + ":";
  for (size_t at = text.find(opener); at != std::string::npos; at = text.find(opener, at + by.size())) {
    uint64_t innerEnd;
    const uint64_t length = BraceBlockLength(tokens, text, at, innerEnd);
    if (length == 0) return false;
    text.replace(at, length, by);
  }
  return true;
}

bool RemoveFragmentArgs(StringLocation& tokens, const std::string& fragment, std::string& text, int depth) {
  if (depth > MaxFragmentNesting) return false;
  StringLocation cursor(fragment, &tokens);
  cursor.SetBit(IsWhitespaceSensitive, true);
  cursor.SetBit(IsSeparatorTransparent, true);
  cursor.SetBit(IsQuoteBlind, false);
  cursor.SetBit(IsExpanding, false);
  auto at = [&fragment](uint64_t position) { return position < fragment.size() ? fragment[position] : '\0'; };
  while (cursor.Pos < fragment.size()) {
    cursor.NextToken(DefaultToken, 1);
    if (cursor.CurrentToken == ItemNotFound) break;
    if (cursor.CurrentToken->Has(IsQuotedText) || cursor.TokenText() != "{" || !IsAsciiLetter(at(cursor.Pos)))
      continue;
    const std::string name = cursor.NextTokenStr();
    char next = at(cursor.Pos);
    if (next == '\0' || std::strchr("=:%^+-!#>~$`}", next) == nullptr) continue;
    while (next != '\0' && std::strchr("%^+-!#>~$`", next) != nullptr) next = at(++cursor.Pos);

    std::string byDefault;
    if (next == ':') {
      const uint64_t start = ++cursor.Pos;
      cursor.upto(CloseBraceTerminator());
      if (!cursor.Has(IsStopFound)) return false;
      // A group's own parameters are absent as well.
      if (at(start) == ' ' &&
          !RemoveFragmentArgs(tokens, fragment.substr(start, cursor.StopLoc - start), text, depth + 1))
        return false;
      next = at(cursor.Pos);
    }
    if (next == '=') {
      const uint64_t start = cursor.Pos;
      cursor.upto(CloseBraceTerminator());
      if (!cursor.Has(IsStopFound)) return false;
      byDefault = fragment.substr(start + 1, cursor.StopLoc - start - 1);
    }
    ReplaceAll(text, "{" + name + "}", byDefault);
    if (!ReplaceSections(tokens, text, name, byDefault)) return false;
  }
  return true;
}

}  // namespace

bool SyntaxArgLiteralReplace(std::string& text) {
  for (size_t at = text.find("{#"); at != std::string::npos;) {
    const size_t close = text.find('}', at + 2);
    if (close == std::string::npos) return false;
    std::string characters;
    size_t i = at + 2;
    for (;;) {
      if (i >= close || !IsDigit(text[i])) return false;  // every code needs digits
      unsigned code = 0;
      for (; i < close && IsDigit(text[i]); ++i) code = (code * 10 + static_cast<unsigned>(text[i] - '0')) % 256;
      characters += static_cast<char>(code);
      if (i == close) break;
      ++i;  // one separator character
    }
    text.replace(at, close + 1 - at, characters);
    // The inserted characters are never read as the start of a group.
    at = text.find("{#", at + characters.size());
  }
  return true;
}

bool StringLocation::RemoveArgBrackets(const std::string& name, std::string& text) {
  const std::string opener = "{" + name + ":";
  for (size_t at = text.find(opener); at != std::string::npos; at = text.find(opener, at)) {
    uint64_t closerStart;
    const uint64_t length = BraceBlockLength(*this, text, at, closerStart);
    if (length == 0) return false;  // left as it is, it would be found again forever
    text.erase(closerStart, at + length - closerStart);
    text.erase(at, opener.size());
  }
  return true;
}

int32_t StringLocation::RemoveUnusedArgs(const std::string& fragment, std::string& text) {
  return RemoveFragmentArgs(*this, fragment, text, 0) ? 1 : 0;
}

}  // namespace QuorbNameSpace
