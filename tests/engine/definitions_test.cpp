// The definition language: the clause loop, keywords, filing with
// overwrite and locks, types and conversions, handlers, namespaces, tokens.
#include <gtest/gtest.h>

#include <string>

#include "engine/definition_keywords.h"
#include "engine/quorb.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "scanner/string_location.h"
#include "types/builtin_types.h"
#include "types/data_type.h"

namespace QuorbNameSpace {
namespace {

class DefinitionsTest : public ::testing::Test {
 protected:
  QuorbItem* Find(const std::string& name) { return instance.CurrentNamespaceTable()->Handle(name); }
  Quorb instance;
};

void Callback(ExpressionPart&) {}
void QUORB_CALLBACK Handler(QuorbInstance*) {}

TEST(DefinitionKeywords, NumbersArePositionsInTheList) {
  Quorb instance;
  EXPECT_EQ(DefinitionChoice.size(), 96u);
  EXPECT_EQ(DefinitionChoice.at("address"), 0);
  EXPECT_EQ(DefinitionChoice.at("evalspace"), 34);
  EXPECT_EQ(DefinitionChoice.at("defspace"), 35);
  EXPECT_EQ(DefinitionChoice.at("output"), DefOutput);
  EXPECT_EQ(DefinitionChoice.at("quorb"), 91);
  EXPECT_EQ(DefinitionChoice.at(""), DefEmpty);
}

TEST_F(DefinitionsTest, NewInstanceDefinesItsTypesAndConversions) {
  EXPECT_EQ(instance.Error.Number, 0);
  ASSERT_NE(instance.Types.IntType, nullptr);
  EXPECT_EQ(Find("int")->DataType, instance.Types.IntType);
  EXPECT_EQ(instance.Types.DataTypes[TypeSingle], Find("single")->DataType);
  EXPECT_NE(Find("float")->DataType, Find("single")->DataType);
  EXPECT_TRUE(instance.ConvertsTo(TypeInt32, TypeDouble));
  EXPECT_TRUE(instance.ConvertsTo(TypeBoolean, TypeComplex));
  EXPECT_TRUE(instance.ConvertsTo(TypeOmni, TypeString));
  EXPECT_TRUE(instance.ConvertsTo(TypeComplex, TypeOmni));
  EXPECT_FALSE(instance.ConvertsTo(TypeComplex, TypeDouble));
  EXPECT_FALSE(instance.ConvertsTo(TypeDouble, TypePointer));
  EXPECT_EQ(instance.Definitions.DefaultItem->DataType, instance.Types.DoubleType);
  EXPECT_EQ(instance.Definitions.DefaultItem->Precedence, 1);
}

TEST_F(DefinitionsTest, EmptyTextGivesAnAnonymousItem) {
  QuorbItem* item = instance.Define("", nullptr, nullptr);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(instance.Error.Number, 0);
  EXPECT_TRUE(item->Has(IsAnonymous));
  EXPECT_EQ(instance.Kept.AnonymousItems.count(item), 1u);
  EXPECT_EQ(item->Owner, &instance);
}

TEST_F(DefinitionsTest, UnknownKeywordIsError9) {
  EXPECT_EQ(instance.Define("Nonsense: x", nullptr, nullptr), nullptr);
  EXPECT_EQ(instance.Error.Number, ErrInvalidDefinition);
}

TEST_F(DefinitionsTest, KeywordsFollowTheCaseFlag) {
  EXPECT_NE(instance.Define("NAME: a", nullptr, nullptr), nullptr);
  instance.Define("CaseSensitive: true", nullptr, nullptr);
  EXPECT_EQ(instance.Define("NAME: b", nullptr, nullptr), nullptr);
  EXPECT_EQ(instance.Error.Number, ErrInvalidDefinition);
  EXPECT_NE(instance.Define("name: b", nullptr, nullptr), nullptr);
  EXPECT_TRUE(instance.RootTable()->CaseSensitive);
}

TEST_F(DefinitionsTest, NameFilesAndLockProtects) {
  QuorbItem* item = instance.Define("Name: Answer ~~ DataType: Int ~~ Value: 42", nullptr, nullptr);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(Find("answer"), item);
  EXPECT_EQ(item->DataType, instance.Types.IntType);
  EXPECT_EQ(*static_cast<int32_t*>(item->ValuePtr), 42);
  QuorbItem* locked = instance.Define("Lock ~~ Name: fixed", nullptr, nullptr);
  ASSERT_NE(locked, nullptr);
  EXPECT_TRUE(locked->Has(IsLocked));
  QuorbItem* again = instance.Define("Overwrite ~~ Name: fixed", nullptr, nullptr);
  ASSERT_NE(again, nullptr) << "a locked name is no error";
  EXPECT_EQ(instance.Error.Number, 0);
  EXPECT_TRUE(again->Has(IsAnonymous));
  EXPECT_EQ(Find("fixed"), locked);
}

TEST_F(DefinitionsTest, LockFollowedByAColonReadsTheNextWordAsAKeyword) {
  EXPECT_EQ(instance.Define("Lock: nonsense", nullptr, nullptr), nullptr);
  EXPECT_EQ(instance.Error.Number, ErrInvalidDefinition);
}

TEST_F(DefinitionsTest, EmptyFirstKeywordIsNotCounted) {
  QuorbItem* item = instance.Define("~~ DataType: Fraction : Type_Float_Double", nullptr, nullptr);
  ASSERT_NE(item, nullptr);
  EXPECT_TRUE(item->Has(IsDataType));
  EXPECT_EQ(instance.Types.DoubleType, item->DataType);
}

TEST_F(DefinitionsTest, UnknownClassWordFilesNothing) {
  EXPECT_EQ(instance.Define("DataType: Strange : Type_Nothing", nullptr, nullptr), nullptr);
  EXPECT_EQ(instance.Error.Number, ErrInvalidDefinition);
  EXPECT_EQ(Find("strange"), nullptr);
}

TEST_F(DefinitionsTest, ATypeCannotBeRetypedByALaterClause) {
  EXPECT_EQ(instance.Define("DataType: Text2 : Type_String ~~ DataType: Int", nullptr, nullptr), nullptr);
  EXPECT_EQ(instance.Error.Number, ErrInvalidDefinition);
  QuorbItem* existing = instance.Define("DataType: Text3 : Type_String", nullptr, nullptr);
  ASSERT_NE(existing, nullptr);
  EXPECT_EQ(instance.Define("DataType: Text3 ~~ DataType: Int", nullptr, nullptr), nullptr);
  EXPECT_NE(existing->DataType, instance.Types.IntType);
  // Tearing the instance down frees each type object once (ASan checks).
}

TEST_F(DefinitionsTest, ConvertsBetweenFillsBothRowsAndDefinesNothing) {
  instance.Define("DataType: A : Type_Integer_16", nullptr, nullptr);
  instance.Define("DataType: B : Type_Integer_16u", nullptr, nullptr);
  int32_t a = Find("a")->DataType->Index;
  int32_t b = Find("b")->DataType->Index;
  instance.Types.ConversionTable[a].clear();
  instance.Types.ConversionTable[b].clear();
  EXPECT_EQ(instance.Define("ConvertsBetween: A, B", nullptr, nullptr), nullptr);
  EXPECT_EQ(instance.Error.Number, 0);
  EXPECT_TRUE(instance.ConvertsTo(a, b) && instance.ConvertsTo(b, a) && instance.ConvertsTo(a, a));
}

TEST_F(DefinitionsTest, ConvertsFromAndToGoOppositeWays) {
  instance.Types.ConversionTable[TypeInt8].clear();
  instance.Types.ConversionTable[TypeInt16].clear();
  instance.Define("DataType: Int8 ~~ ConvertsFrom: Int16", nullptr, nullptr);
  EXPECT_TRUE(instance.ConvertsTo(TypeInt16, TypeInt8));
  EXPECT_FALSE(instance.ConvertsTo(TypeInt8, TypeInt16));
  instance.Define("DataType: Int8 ~~ ConvertsTo: Int16", nullptr, nullptr);
  EXPECT_TRUE(instance.ConvertsTo(TypeInt8, TypeInt16));
}

TEST_F(DefinitionsTest, ConversionWithAnUnknownTypeFails) {
  EXPECT_EQ(instance.Define("DataType: Int ~~ ConvertsTo: NoSuchType", nullptr, nullptr), nullptr);
  EXPECT_EQ(instance.Error.Number, ErrInvalidDefinition);
}

TEST_F(DefinitionsTest, ClausesEndingAContinuedTypeKeepTheType) {
  QuorbItem* integer = Find("int");
  EXPECT_EQ(instance.Define("DataType: Int ~~ ConvertsBetween: Int, Double", nullptr, nullptr), nullptr);
  EXPECT_EQ(instance.Define("DataType: Int ~~ From: x", nullptr, nullptr), nullptr);
  EXPECT_EQ(instance.Define("DataType: Int ~~ Nonsense", nullptr, nullptr), nullptr);
  EXPECT_EQ(Find("int"), integer);
  EXPECT_EQ(instance.Eval("Int(2.5) + 1"), 3.0);
}

TEST_F(DefinitionsTest, FromEndsTheDefinition) {
  EXPECT_EQ(instance.Define("From: somewhere ~~ Nonsense: x", nullptr, nullptr), nullptr);
  EXPECT_EQ(instance.Error.Number, 0);
}

TEST_F(DefinitionsTest, GroupingAndPrecedenceFields) {
  QuorbItem* item = instance.Define("Grouping: RightToLeft ~~ SubMatch: 2 ~~ TokenType: literal", nullptr, nullptr);
  ASSERT_NE(item, nullptr);
  EXPECT_TRUE(item->Has(IsRightToLeft));
  EXPECT_EQ(item->Token().SubMatch, 2u);
  EXPECT_EQ(item->Token().TokenKind, TokenLiteral);
  EXPECT_EQ(instance.Define("SubMatch: many", nullptr, nullptr), nullptr);
  EXPECT_EQ(instance.Error.Number, ErrInvalidDefinition);
}

TEST_F(DefinitionsTest, ErrorHandlersAtPositions) {
  QuorbItem* first = instance.Define("ErrorHandler: 0", &Callback, nullptr);
  QuorbItem* second = instance.Define("ErrorHandler: 0", &Callback, nullptr);
  QuorbItem* third = instance.Define("ErrorHandler: 0", &Callback, nullptr);
  QuorbItem* last = instance.AddErrorHandler(&Handler, 99);
  ASSERT_EQ(instance.Definitions.ErrorHandlers.size(), 4u);
  EXPECT_EQ(instance.Definitions.ErrorHandlers, (std::vector<QuorbItem*>{third, second, first, last}));
  EXPECT_TRUE(last->Has(IsErrorHandler));
  EXPECT_EQ(reinterpret_cast<ErasedFunction>(last->Callback), reinterpret_cast<ErasedFunction>(&Handler));
  EXPECT_EQ(instance.Define("ErrorHandler: first", &Callback, nullptr), nullptr);
  EXPECT_EQ(instance.Definitions.ErrorHandlers.size(), 4u) << "a failed definition leaves no handler behind";
}

TEST_F(DefinitionsTest, NamespaceBeginAndEnd) {
  QuorbItem* space = instance.Define("Name: geo ~~ Namespace: begin", nullptr, nullptr);
  ASSERT_NE(space, nullptr);
  ASSERT_NE(space->OwnTable(), nullptr);
  EXPECT_EQ(instance.CurrentNamespaceTable(), space->OwnTable());
  QuorbItem* member = instance.Define("Name: area", nullptr, nullptr);
  EXPECT_EQ(space->OwnTable()->Handle("area"), member);
  instance.Define("Namespace: end", nullptr, nullptr);
  EXPECT_EQ(instance.CurrentNamespaceTable(), instance.RootTable());
  instance.Define("Namespace: end", nullptr, nullptr);
  EXPECT_EQ(instance.CurrentNamespaceTable(), instance.RootTable()) << "the root stays";
  EXPECT_EQ(instance.MainTransform()->SymbolHandle("geo.area", false, false), member);
}

TEST_F(DefinitionsTest, FailedNamespaceLeavesNoTableOnTheStack) {
  EXPECT_EQ(instance.Define("Namespace: begin ~~ Nonsense", nullptr, nullptr), nullptr);
  EXPECT_EQ(instance.CurrentNamespaceTable(), instance.RootTable());
}

TEST_F(DefinitionsTest, TokenAndEndMatchMakeABracketPair) {
  QuorbItem* opener = instance.Define("Token: <\\| ~~ EndMatch: \\|>", nullptr, nullptr);
  ASSERT_NE(opener, nullptr);
  EXPECT_EQ(opener->Token().TokenKind, TokenCodeBlock);
  ASSERT_NE(opener->Token().Partner, nullptr);
  EXPECT_EQ(opener->Token().Partner->Token().TokenKind, TokenCodeBlockMatch);
  EXPECT_FALSE(opener->Has(IsAnonymous)) << "a token belongs to its token list";
  std::string text = "<| a |> b";
  StringLocation cursor(text, instance.MainTransform());
  cursor.NextCodeBlock(false);
  EXPECT_EQ(cursor.TokenLen, 7u);
}

TEST_F(DefinitionsTest, BadTokenPatternFails) {
  size_t tokens = instance.MainTransform()->Tokens->size();
  EXPECT_EQ(instance.Define("Token: (", nullptr, nullptr), nullptr);
  EXPECT_EQ(instance.Error.Number, ErrInvalidDefinition);
  EXPECT_EQ(instance.MainTransform()->Tokens->size(), tokens);
}

TEST_F(DefinitionsTest, BooleanWordsChangePrintingParsingAndTheLiteral) {
  instance.Define("Boolean: -1, Yes, No", nullptr, nullptr);
  uint8_t truth = 1;
  EXPECT_EQ(instance.Types.BoolType->ToString(&truth), "Yes");
  std::string text = "Yes";
  StringLocation cursor(text, instance.MainTransform());
  cursor.NextToken(DefaultToken, 1);
  EXPECT_EQ(cursor.CurrentToken->DataType, instance.Types.BoolType);
  EXPECT_EQ(*static_cast<int8_t*>(instance.Types.BoolType->Item->SubItems[0]->ValuePtr), -1);
}

TEST_F(DefinitionsTest, DefaultReplacesTheDefaultItemAndKeepsItOnFailure) {
  QuorbItem* before = instance.Definitions.DefaultItem;
  EXPECT_EQ(instance.Define("Default ~~ Nonsense", nullptr, nullptr), nullptr);
  EXPECT_EQ(instance.Definitions.DefaultItem, before);
  QuorbItem* replacement = instance.Define("Default", nullptr, nullptr);
  EXPECT_EQ(instance.Definitions.DefaultItem, replacement);
  EXPECT_FALSE(replacement->Has(IsAnonymous));
  EXPECT_EQ(instance.Define("Default", nullptr, replacement), replacement) << "applied to itself, it stays";
}

TEST_F(DefinitionsTest, AliasKeywordsAreRewrittenAndCountAsAClause) {
  QuorbItem* item = instance.Define("Var: v As Int = 3", nullptr, nullptr);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(Find("v"), item);
  EXPECT_EQ(item->DataType, instance.Types.IntType);
  EXPECT_NE(instance.Define("Func: twice(x) = x * 2", nullptr, nullptr), nullptr);
  EXPECT_EQ(instance.Eval("twice(v)"), 6.0);
  // The rewritten clause is the second: a "DataType:" after it continues a type.
  EXPECT_EQ(instance.Define("Var: w ~~ DataType: Int", nullptr, nullptr)->DataType, instance.Types.IntType);
}

TEST_F(DefinitionsTest, RewriteLoopThroughHostRulesIsCapped) {
  instance.ParserTransform()->DefineRule("Ping:", "Pong:", nullptr);
  instance.ParserTransform()->DefineRule("Pong:", "Ping:", nullptr);
  EXPECT_EQ(instance.Define("Ping: x", nullptr, nullptr), nullptr);
  EXPECT_EQ(instance.Error.Number, ErrReparseLimit);
}

TEST(DefinitionTearDown, NamedDefaultItemIsFreedOnce) {
  Quorb instance;
  QuorbItem* named = instance.Define("Name: Fallback ~~ Default", nullptr, nullptr);
  ASSERT_NE(named, nullptr);
  EXPECT_EQ(instance.Definitions.DefaultItem, named);
  // Destroying the instance must free it exactly once (ASan checks).
}

}  // namespace
}  // namespace QuorbNameSpace
