// The default token set of each kind of transform and its priority order.
#include "scanner_fixture.h"
#include "scanner/pattern_platform.h"
#include "types/builtin_types.h"

namespace QuorbNameSpace {
namespace {

TEST_F(ScannerTest, TokenizerPriorityOnMixedText) {
  // The Windows builds' patterns ignore case: "true" is the Bool word there.
  const TokenEnum lowerTrue = ActivePatternPlatform.CaseInsensitivePatterns ? TokenLiteral : TokenAlphanumeric;
  std::vector<ScannedToken> expected = {
      {"True", TokenLiteral},   {"Truex", TokenAlphanumeric}, {"true", lowerTrue},
      {".5e3", TokenLiteral},   {"...", TokenGeneric},        {"#i", TokenLiteral},
      {"#", TokenReducible},    {"a", TokenAlphanumeric},     {".", TokenMemberAccess},
      {"b", TokenAlphanumeric},
  };
  EXPECT_EQ(Scan(Main(), "True Truex true .5e3 ... #i # a.b"), expected);
}

TEST_F(ScannerTest, LiteralTokensCarryTheInstancesTypes) {
  std::string cursorText = "True 1.5 'x' #i";

  StringLocation cursor(cursorText, Main());
  std::vector<QuorbDataType*> types;
  for (int i = 0; i < 4; ++i) {
    cursor.NextToken(DefaultToken, 1);
    types.push_back(cursor.CurrentToken->DataType);
  }
  EXPECT_EQ(types, (std::vector<QuorbDataType*>{instance.Types.BoolType, instance.Types.DoubleType, instance.Types.StringType,
                                                  instance.Types.ComplexType}));
}

TEST_F(ScannerTest, NumbersOperatorsAndSeparators) {
  std::vector<ScannedToken> expected = {
      {"1.25e-3", TokenLiteral}, {"+=", TokenReducible}, {"(", TokenCodeBlock}, {"x", TokenAlphanumeric},
      {",", TokenArgSeparator},  {"2", TokenLiteral},    {")", TokenCodeBlockMatch}, {";", TokenStatementSep},
      {"\r\n", TokenStatementSep}, {"1", TokenLiteral},  {".", TokenMemberAccess},
  };
  EXPECT_EQ(Scan(Main(), "1.25e-3 +=(x,2);\r\n1."), expected);
}

TEST_F(ScannerTest, QuotedTextIsTheInsideOfTheQuotes) {
  std::string cursorText = "'two words' \"x\"";

  StringLocation cursor(cursorText, Main());
  cursor.NextToken(DefaultToken, 1);
  EXPECT_EQ(cursor.TokenText(), "two words");
  EXPECT_EQ(cursor.CurrentToken->Token().TokenKind, TokenLiteral);
  EXPECT_EQ(cursor.Pos, 11u) << "past the closing quote";
  EXPECT_EQ(cursor.NextTokenStr(), "x");
}

TEST_F(ScannerTest, QuoteBlindCursorSeesQuoteCharacters) {
  std::vector<ScannedToken> expected = {{"'", TokenGeneric}, {"word", TokenAlphanumeric}, {"'", TokenGeneric}};
  EXPECT_EQ(Scan(Main(), "'word'", PropertyBit(IsQuoteBlind)), expected);
}

TEST_F(ScannerTest, TildesDependOnTheTransform) {
  StringLocation* definitions = instance.Scanners.Transforms[3];
  std::vector<ScannedToken> onDefinitions = {{"~~", TokenGeneric}, {"~", TokenGeneric}};
  EXPECT_EQ(Scan(definitions, "~~ ~"), onDefinitions);
  std::vector<ScannedToken> onMain = {{"~", TokenReducible}, {"~", TokenReducible}, {"~", TokenReducible}};
  EXPECT_EQ(Scan(Main(), "~~ ~"), onMain) << "the run pattern excludes the tilde";
}

TEST_F(ScannerTest, TokenTransformHasOnlyItsThreeTokens) {
  StringLocation* tokens = instance.Scanners.Transforms[2];
  EXPECT_EQ(tokens->Tokens->size(), 3u);
  std::vector<ScannedToken> expected = {{"a", TokenGeneric}, {"b", TokenGeneric}, {"~~", TokenGeneric}};
  EXPECT_EQ(Scan(tokens, "ab ~~"), expected);
}

TEST_F(ScannerTest, OnlyTheTokenizerHasBooleanAndImaginaryLiterals) {
  std::vector<ScannedToken> expected = {{"True", TokenAlphanumeric}, {"#", TokenReducible}, {"i", TokenAlphanumeric}};
  EXPECT_EQ(Scan(instance.ParserTransform(), "True #i"), expected);
}

TEST_F(ScannerTest, TokenDefinedLaterOutranksTheDefaults) {
  StringLocation* transform = instance.NewTransform();
  transform->DefineToken("[a-z ]+", TokenGeneric, "", 0);
  std::vector<ScannedToken> expected = {{"ab cd", TokenGeneric}, {"1", TokenLiteral}};
  EXPECT_EQ(Scan(transform, "ab cd1"), expected);
}

TEST_F(ScannerTest, FirstMatchWinsNotTheLongest) {
  StringLocation* transform = instance.NewTransform();
  transform->DefineToken("a", TokenGeneric, "", 0);  // outranks the identifier
  std::vector<ScannedToken> expected = {{"a", TokenGeneric}, {"bc", TokenAlphanumeric}};
  EXPECT_EQ(Scan(transform, "abc"), expected);
}

TEST_F(ScannerTest, WindowsPatternsIgnoreCaseUnlessCaseSensitive) {
  const PatternPlatform buildsOwn = ActivePatternPlatform;
  ActivePatternPlatform = WindowsPatterns;
  StringLocation* insensitive = instance.NewTransform();
  instance.Definitions.Flags |= PropertyBit(IsCaseSensitive);
  StringLocation* sensitive = instance.NewTransform();
  ActivePatternPlatform = buildsOwn;
  EXPECT_TRUE(insensitive->Tokens->back()->Token().Pattern.flags() & std::regex::icase);
  EXPECT_FALSE(sensitive->Tokens->back()->Token().Pattern.flags() & std::regex::icase);
  std::vector<ScannedToken> expected = {{"AbC_1", TokenAlphanumeric}};
  EXPECT_EQ(Scan(insensitive, "AbC_1"), expected) << "the lower-case identifier pattern takes capitals";
  std::vector<ScannedToken> sensitiveTokens = {{"A", TokenGeneric}, {"b", TokenAlphanumeric}};
  EXPECT_EQ(Scan(sensitive, "Ab"), sensitiveTokens);
}

// Case-insensitive default patterns keep their hand-written matchers: the
// regex engine would otherwise scan every token of every parse.
TEST_F(ScannerTest, WindowsPatternsKeepTheHandWrittenMatchers) {
  const PatternPlatform buildsOwn = ActivePatternPlatform;
  ActivePatternPlatform = WindowsPatterns;
  Quorb windows;
  ActivePatternPlatform = PosixPatterns;
  Quorb posix;
  ActivePatternPlatform = buildsOwn;
  for (Quorb* build : {&windows, &posix}) {
    for (StringLocation* transform : {build->MainTransform(), build->NewTransform()}) {
      for (const QuorbItem* token : *transform->Tokens) EXPECT_NE(token->Token().FastMatch, nullptr) << token->Token().TokenKind;
    }
  }
  std::vector<ScannedToken> expected = {{"TRUE", TokenLiteral}, {"#I", TokenLiteral}, {"fAlse", TokenLiteral},
                                        {"Abc", TokenAlphanumeric}};
  EXPECT_EQ(Scan(windows.MainTransform(), "TRUE #I fAlse Abc"), expected);
}

TEST_F(ScannerTest, DefiningAPairAppendsOpenerThenCloser) {
  StringLocation* transform = instance.NewTransform();
  size_t before = transform->Tokens->size();
  QuorbItem* opener = transform->DefineToken("<<", TokenGeneric, ">>", 0);
  ASSERT_NE(opener, nullptr);
  ASSERT_EQ(transform->Tokens->size(), before + 2);
  QuorbItem* closer = transform->Tokens->back();
  EXPECT_EQ(opener->Token().TokenKind, TokenCodeBlock);
  EXPECT_EQ(closer->Token().TokenKind, TokenCodeBlockMatch);
  EXPECT_EQ(opener->Token().Partner, closer);
  EXPECT_EQ(closer->Token().Partner, opener);
}

TEST_F(ScannerTest, BadPatternsDefineNothing) {
  StringLocation* transform = instance.NewTransform();
  size_t before = transform->Tokens->size();
  EXPECT_EQ(transform->DefineToken("(", TokenGeneric, "", 0), nullptr);
  EXPECT_EQ(instance.Error.Number, ErrInvalidDefinition);
  EXPECT_EQ(transform->DefineToken("<", TokenGeneric, "[", 0), nullptr) << "a bad closer leaves no half pair";
  EXPECT_EQ(transform->DefineToken("x", TokenGeneric, "", 0, 7, nullptr), nullptr) << "unknown grammar";
  EXPECT_EQ(transform->Tokens->size(), before);
  EXPECT_NE(transform->DefineToken("a\\{1,2\\}", TokenGeneric, "", 0, GrammarBasic, nullptr), nullptr);
}

}  // namespace
}  // namespace QuorbNameSpace
