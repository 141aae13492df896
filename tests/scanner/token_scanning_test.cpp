// Token steps, up-to scans and code blocks: spans, terminators, separators,
// blanks, and scans that must end whatever the input.
#include "scanner_fixture.h"
#include "scanner/rule_parts.h"

namespace QuorbNameSpace {
namespace {

// An up-to scan of `text` for `terminator`; returns the span's text.
struct UpTo {
  std::string span;
  bool found;
  uint64_t pos;
};

UpTo ScanUpTo(StringLocation* transform, const std::string& text, QuorbItem* terminator) {
  StringLocation cursor(text, transform);
  cursor.upto(terminator);
  return {cursor.TokenText(), cursor.Has(IsStopFound), cursor.Pos};
}

TEST_F(ScannerTest, UpToStepsOverCodeBlocks) {
  QuorbItem close;
  close.Text = ")";
  UpTo result = ScanUpTo(Main(), "f(a, b) + 1) rest", &close);
  EXPECT_TRUE(result.found);
  EXPECT_EQ(result.span, "f(a, b) + 1");
  EXPECT_EQ(result.pos, 12u);
}

TEST_F(ScannerTest, UpToExcludesBlanksBeforeTheTerminator) {
  QuorbItem comma;
  comma.Text = ",";
  EXPECT_EQ(ScanUpTo(Main(), "  a + b   , c", &comma).span, "a + b");
}

TEST_F(ScannerTest, StatementSeparatorEndsTheScanUnlessTransparent) {
  QuorbItem close;
  close.Text = "]";
  UpTo stopped = ScanUpTo(Main(), "a; b]", &close);
  EXPECT_FALSE(stopped.found);
  EXPECT_EQ(stopped.pos, 2u) << "stopped after the separator";
  close.SetBit(IsSeparatorTransparent, true);
  UpTo through = ScanUpTo(Main(), "a; b]", &close);
  EXPECT_TRUE(through.found);
  EXPECT_EQ(through.span, "a; b");
}

TEST_F(ScannerTest, TrailingParameterStopsAtTheSeparatorAndLeavesItUnread) {
  QuorbItem trailing;
  trailing.EditToken().PartKind = TrailingParam;
  trailing.SetBit(IsStopUnread, true);
  UpTo result = ScanUpTo(Main(), "x + 1 ; y", &trailing);
  EXPECT_TRUE(result.found);
  EXPECT_EQ(result.span, "x + 1");
  EXPECT_EQ(result.pos, 6u) << "the separator stays to be read";
}

TEST_F(ScannerTest, UpToWithoutTerminatorTakesTheRestLessTrailingBlanks) {
  QuorbItem stop;
  stop.Text = "#";
  UpTo result = ScanUpTo(Main(), " a b  ", &stop);
  EXPECT_FALSE(result.found);
  EXPECT_EQ(result.span, "a b");
}

TEST_F(ScannerTest, WantedItemsOwnPatternIsTriedFirst) {
  QuorbItem digits;
  digits.EditToken().Pattern = HostRegex("[0-9]");
  size_t before = Main()->Tokens->size();
  UpTo result = ScanUpTo(Main(), "abc 12", &digits);
  EXPECT_TRUE(result.found);
  EXPECT_EQ(result.span, "abc");
  EXPECT_EQ(Main()->Tokens->size(), before) << "the terminator left the token list";
  EXPECT_NE(Main()->Tokens->back(), &digits);
}

TEST_F(ScannerTest, CodeBlockMeasuresNestedBrackets) {
  std::string text = "(a [b (c)] d) e";
  StringLocation cursor(text, Main());
  cursor.NextCodeBlock(false);
  EXPECT_EQ(cursor.TokenLen, 13u) << "brackets included";
  EXPECT_EQ(cursor.BlockInnerStart, 1u);
  EXPECT_EQ(cursor.BlockInnerLen, 11u);
  EXPECT_EQ(cursor.Pos, 13u);
}

TEST_F(ScannerTest, CodeBlockWithoutCloser) {
  std::string text = "(a (b)";
  StringLocation cursor(text, Main());
  cursor.NextCodeBlock(false);
  EXPECT_EQ(cursor.TokenLen, 0u);
  EXPECT_EQ(cursor.Status, 5);
}

TEST_F(ScannerTest, CodeBlockWithRestoreKeepsEverythingButThePosition) {
  std::string text = "x (1) y";
  StringLocation cursor(text, Main());
  cursor.NextToken(DefaultToken, 1);
  ScanState before = cursor;
  cursor.NextCodeBlock(true);
  EXPECT_EQ(cursor.Pos, 5u);
  EXPECT_EQ(cursor.TokenLoc, before.TokenLoc);
  EXPECT_EQ(cursor.TokenLen, before.TokenLen);
  EXPECT_EQ(cursor.CurrentToken, before.CurrentToken);
}

TEST_F(ScannerTest, DeeplyNestedBracketsDoNotExhaustTheStack) {
  std::string text(200000, '(');
  text += std::string(200000, ')');
  StringLocation cursor(text, Main());
  cursor.NextCodeBlock(false);
  EXPECT_EQ(cursor.TokenLen, text.size());
}

TEST_F(ScannerTest, EveryScanEnds) {
  // A lone carriage return matches no default pattern.
  std::vector<ScannedToken> expected = {{"a", TokenAlphanumeric}, {"\r", TokenGeneric}, {"b", TokenAlphanumeric}};
  EXPECT_EQ(Scan(Main(), "a\rb"), expected);
  // A pattern that matches the empty text is passed over.
  StringLocation* transform = instance.NewTransform();
  transform->DefineToken("x*", TokenGeneric, "", 0);
  EXPECT_EQ(Scan(transform, "ab").size(), 1u);
  // No tokens at all: every byte is a token of its own.
  transform->ResetStringLocation(ResetTokensOnly);
  EXPECT_EQ(transform->Tokens, nullptr);
  EXPECT_EQ(Scan(transform, "abc").size(), 3u);
}

TEST_F(ScannerTest, EndOfTextGivesTheNotFoundToken) {
  std::string cursorText = "  ";

  StringLocation cursor(cursorText, Main());
  cursor.NextToken(DefaultToken, 1);
  EXPECT_EQ(cursor.CurrentToken, ItemNotFound);
  EXPECT_EQ(cursor.TokenText(), "");
  EXPECT_EQ(cursor.TokenLoc, cursor.Pos);
}

TEST_F(ScannerTest, WhitespaceSensitiveCursorReturnsBlanks) {
  std::vector<ScannedToken> expected = {{"a", TokenAlphanumeric}, {" \t", TokenWhitespace}, {"b", TokenAlphanumeric}};
  EXPECT_EQ(Scan(Main(), "a \tb", PropertyBit(IsWhitespaceSensitive)), expected);
}

TEST_F(ScannerTest, TextUpdateKeepsPositionsAndMovesTheRangeEnd) {
  std::string first = "abc def";
  StringLocation cursor(first, Main());
  cursor.NextToken(DefaultToken, 1);
  std::string second = "abc XYZ def";
  cursor.StringUpdate_(second);
  EXPECT_EQ(cursor.RangeEnd, second.size());
  EXPECT_EQ(cursor.NextTokenStr(), "XYZ");
}

}  // namespace
}  // namespace QuorbNameSpace
