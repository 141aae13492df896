// Rule compilation: the parts a FROM pattern compiles to, optional parts and
// alternatives as variants, regular-expression parameters, character codes,
// directives, the pieces of a TO text, filing and defaults, and malformed
// rules, which must fail cleanly (under ASan and LSan) and free all they
// built.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "scanner/rule_parts.h"
#include "scanner/string_location.h"

namespace QuorbNameSpace {
namespace {

class RuleCompilerTest : public ::testing::Test {
 protected:
  QuorbItem* Define(const std::string& from, const std::string& to) { return transform->DefineRule(from, to, nullptr); }

  // "kind name text" of each part, e.g. "Param a" or "Anchor f".
  static std::vector<std::string> Parts(const QuorbItem* rule) {
    static const char* const names[] = {"?",       "Param",    "Anchor",    "?",          "?",
                                        "Literal", "RegEx",    "ParamStop", "RegExStop",  "Group",
                                        "GroupEnd", "CheckEnd", "Trailing", "StartAnchor", "EndAnchor",
                                        "StopMark", "Count"};
    std::vector<std::string> parts;
    for (const QuorbItem* part : rule->SubItems) {
      std::string text = names[part->Token().PartKind];
      if (!part->Name.empty() && part->Name.compare(0, 4, "Arg_") != 0) text += " " + part->Name;
      if (!part->Text.empty()) text += " " + part->Text;
      parts.push_back(text);
    }
    return parts;
  }

  // "kind:part" of each piece, literal pieces as their text.
  static std::vector<std::string> Pieces(const QuorbItem* rule) {
    std::vector<std::string> pieces;
    for (const ReplacementStruct& piece : rule->Rule().Pieces) {
      if (piece.Kind == LiteralPiece)
        pieces.push_back("'" + rule->Rule().ReplacementText.substr(piece.Offset, piece.Length) + "'");
      else
        pieces.push_back(std::to_string(piece.Kind) + ":" + std::to_string(piece.PartIndex));
    }
    return pieces;
  }

  // The rules filed under `name`, newest first.
  std::vector<QuorbItem*> Chain(const std::string& name) const {
    std::vector<QuorbItem*> chain;
    for (QuorbItem* rule = transform->RuleTable->Handle(name); rule != nullptr; rule = rule->NextOverload)
      chain.push_back(rule);
    return chain;
  }

  size_t RuleCount() const {
    size_t count = 0;
    for (const auto& entry : transform->RuleTable->Symbols)
      for (QuorbItem* rule = entry.second; rule != nullptr; rule = rule->NextOverload) ++count;
    return count;
  }

  Quorb instance;
  StringLocation* transform = instance.NewTransform();
};

using Strings = std::vector<std::string>;

TEST_F(RuleCompilerTest, CallPatternCompilesToAnchorLiteralsParametersAndStops) {
  QuorbItem* rule = Define("f({a}, {b})", "g({b}, {a})");
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(Parts(rule), (Strings{"Anchor f", "Literal (", "Param a", "ParamStop ,", "Param b", "ParamStop )"}));
  for (size_t i = 0; i < rule->SubItems.size(); ++i) EXPECT_EQ(rule->SubItems[i]->Rule().PartIndex, i);
  EXPECT_EQ(rule->Name, "f");
  EXPECT_EQ(rule->Token().PartKind, Anchor);
  EXPECT_EQ(rule->ElementCount, 6u);
  EXPECT_EQ(transform->RuleTable->Handle("f"), rule);
  EXPECT_EQ(Pieces(rule), (Strings{"'g('", "0:4", "', '", "0:2", "')'"}));
  EXPECT_EQ(rule->Rule().ReplacementText, "g({b}, {a})");
  EXPECT_TRUE(rule->Has(IsActive));
  EXPECT_TRUE(transform->Has(IsAnchored)) << "the transform now has rules";
}

TEST_F(RuleCompilerTest, AnchorIsTheFirstLiteralWhereverParametersStand) {
  QuorbItem* prefix = Define("+ {x}", "plus({x})");
  EXPECT_EQ(Parts(prefix), (Strings{"Anchor +", "Trailing x"}));
  EXPECT_TRUE(prefix->SubItems[1]->Has(IsStopUnread));

  QuorbItem* infix = Define("{x} * {y}", "times({x}, {y})");
  EXPECT_EQ(infix, nullptr) << "matching starts at the anchor: x would capture the anchor itself";
  EXPECT_EQ(instance.Error.Number, ErrInvalidDefinition);
  EXPECT_EQ(transform->RuleTable->Handle("*"), nullptr);

  QuorbItem* counted = Define("x {n:2}", "y");
  EXPECT_EQ(Parts(counted), (Strings{"Anchor x", "Count n"}));
  EXPECT_EQ(counted->SubItems[1]->ElementCount, 2u);
  EXPECT_EQ(transform->RuleTable->Handle("x"), counted);
  QuorbItem* spaced = Define("z {n 3}", "y");
  EXPECT_EQ(spaced->SubItems[1]->ElementCount, 3u) << "{n 3} is {n:3}";
}

TEST_F(RuleCompilerTest, ParserTransformHoldsTheAliasRules) {
  StringLocation* parser = instance.ParserTransform();
  QuorbItem* var = parser->RuleTable->Handle("var");
  ASSERT_NE(var, nullptr) << "filed folded in a table that is not case-sensitive";
  EXPECT_EQ(Parts(var), (Strings{"Anchor Var", "Literal :"}));
  EXPECT_EQ(Pieces(var), (Strings{"'Variable:'"}));
  for (const char* alias : {"func", "op", "byte", "int32", "integer", "float"})
    EXPECT_NE(parser->RuleTable->Handle(alias), nullptr) << alias;
}

TEST_F(RuleCompilerTest, ModifiersSetBitsAndAStopTakesThemOver) {
  QuorbItem* rule = Define("a {x+^~$`%!#>} end", "{x}");
  ASSERT_NE(rule, nullptr);
  const QuorbItem* x = rule->SubItems[1];
  for (ItemIsEnum bit : {IsSeparatorTransparent, IsCodeBlockBlind, IsNoExpansion, IsWhitespaceSensitive, IsQuoteBlind,
                         IsExpandedParam, IsModifierBang, IsModifierHash, IsModifierGreater})
    EXPECT_TRUE(x->Has(bit)) << bit;
  EXPECT_EQ(rule->SubItems[2]->Token().PartKind, ParamStop);
  EXPECT_EQ(rule->SubItems[2]->Properties, x->Properties);
  EXPECT_EQ(Pieces(rule), (Strings{std::to_string(ExpandedCapturePiece) + ":1"})) << "% expands the capture";
}

TEST_F(RuleCompilerTest, OptionalPartMakesAVariantTriedAfterTheRule) {
  QuorbItem* rule = Define("a [b] c", "X");
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(Parts(rule), (Strings{"Anchor a", "Literal b", "Literal c"}));
  ASSERT_NE(rule->Rule().Variants, nullptr);
  ASSERT_EQ(rule->Rule().Variants->size(), 1u);
  QuorbItem* variant = rule->Rule().Variants->front();
  EXPECT_EQ(Parts(variant), (Strings{"Anchor a", "Literal c"}));
  EXPECT_EQ(Chain("a"), (std::vector<QuorbItem*>{rule, variant})) << "the fuller rule first";
  EXPECT_EQ(StringLocation::FamilyHead(variant), rule);
  EXPECT_EQ(rule->Rule().FromPart, "a [b] c");
  EXPECT_EQ(transform->Expand("a b c a c a b"), "X X a b");

  QuorbItem* nested = Define("p [q [r]] s", "Y");
  ASSERT_NE(nested, nullptr);
  EXPECT_EQ(Chain("p").size(), 3u) << "p q r s, then p q s (from the inner brackets), then p s";
  EXPECT_EQ(transform->Expand("p q r s p q s p s p r s"), "Y Y Y p r s");
}

TEST_F(RuleCompilerTest, OptionalParameterOpensOrRemovesItsSections) {
  ASSERT_NE(Define("f [{x}]", "[{x:({x})}]"), nullptr);
  EXPECT_EQ(transform->Expand("f 1; f"), "[(1)]; []");
  StringLocation* spaced = instance.NewTransform();
  ASSERT_NE(spaced->DefineRule("g [{x=0}]", "<{x: ({x})}>", nullptr), nullptr);
  EXPECT_EQ(spaced->Expand("g 1; g"), "< (1)>; <0>") << "the space after the colon stays; absent, the default";
}

TEST_F(RuleCompilerTest, AlternativesSplitIntoVariantsInOrder) {
  QuorbItem* rule = Define("{x: p | q | r} s", "<{x}>");
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(Parts(rule), (Strings{"Group x", "Anchor p", "Literal s", "GroupEnd"}));
  ASSERT_EQ(rule->Rule().Variants->size(), 1u);
  QuorbItem* second = rule->Rule().Variants->front();
  EXPECT_EQ(Parts(second), (Strings{"Group x", "Anchor q", "Literal s", "GroupEnd"}));
  ASSERT_EQ(second->Rule().Variants->size(), 1u);
  EXPECT_EQ(Parts(second->Rule().Variants->front()), (Strings{"Group x", "Anchor r", "Literal s", "GroupEnd"}));
  EXPECT_EQ(StringLocation::FamilyHead(second->Rule().Variants->front()), rule);
  EXPECT_EQ(transform->Expand("p s q s r s t s"), "<p> <q> <r> t s");
}

TEST_F(RuleCompilerTest, AlternativesOfSeveralGroupsCombine) {
  ASSERT_NE(Define("{x: a | b} {y: c | d}", "{x}{y}"), nullptr);
  EXPECT_EQ(RuleCount(), 4u);
  EXPECT_EQ(transform->Expand("a c a d b c b d"), "ac ad bc bd");
}

TEST_F(RuleCompilerTest, RegularExpressionParameterBecomesTheAnchorToken) {
  const size_t tokens = transform->Tokens->size();
  QuorbItem* rule = Define("{v:'[0-9]+', ext, 1}", "N");
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(Parts(rule), (Strings{"RegEx v"}));
  const QuorbItem* part = rule->SubItems[0];
  EXPECT_EQ(part->Token().SubMatch, 1u);
  EXPECT_NE(part->Token().Pattern.flags() & std::regex::extended, 0u);
  EXPECT_EQ(part->Token().RegExRule, rule);
  EXPECT_EQ(rule->Name.rfind("@regex: ", 0), 0u) << rule->Name;
  ASSERT_EQ(transform->Tokens->size(), tokens + 1);
  EXPECT_EQ(transform->Tokens->back()->Token().RegExRule, rule) << "the newest token: tried first";
  EXPECT_EQ(transform->RuleTable->Handle(rule->Name), rule);

  delete rule;  // releasing the rule takes its token away
  EXPECT_EQ(transform->Tokens->size(), tokens);

  QuorbItem* stop = Define("x {a} {v:'[0-9]+'}", "{v}");
  EXPECT_EQ(Parts(stop), (Strings{"Anchor x", "Param a", "RegExStop v"}));
  // ECMAScript is no bit in every C++ library (libc++ gives it 0): it is
  // the grammar when none of the others is set.
  const auto otherGrammars = std::regex::basic | std::regex::extended | std::regex::awk | std::regex::grep |
                             std::regex::egrep;
  EXPECT_EQ(stop->SubItems[2]->Token().Pattern.flags() & otherGrammars, std::regex::flag_type{})
      << "the transform's grammar";
}

TEST_F(RuleCompilerTest, GrammarWordChangesWhatTheParameterMatches) {
  ASSERT_NE(Define("tag {v:'a+', bas}", "<{v}>"), nullptr);
  EXPECT_EQ(transform->Expand("tag a+ tag aa"), "<a+> tag aa") << "'+' is an ordinary character in basic";
  ASSERT_NE(Define("{v:'([a-z]+)_([0-9]+)', 2} !", "#{v}"), nullptr);
  EXPECT_EQ(transform->Expand("abc_12 !"), "abc_12 !") << "a sub-match anchor is passed over like quoted text";
}

TEST_F(RuleCompilerTest, CharacterCodesBecomeCharacters) {
  std::string text = "x{#65,66}y{#321}{#48 49}";
  EXPECT_TRUE(SyntaxArgLiteralReplace(text));
  EXPECT_EQ(text, "xAByA01") << "codes modulo 256, any single separator";
  std::string brace = "{#123}#65}";
  EXPECT_TRUE(SyntaxArgLiteralReplace(brace));
  EXPECT_EQ(brace, "{#65}") << "inserted characters are not read again";
  for (const char* bad : {"{#}", "{#65,}", "{#,65}", "{#65"}) {
    std::string broken = bad;
    EXPECT_FALSE(SyntaxArgLiteralReplace(broken)) << bad;
  }
  QuorbItem* rule = Define("{#65,66}", "{#67}");
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(rule->Name, "ab");
  EXPECT_EQ(rule->Rule().ReplacementText, "C");
  EXPECT_EQ(rule->Rule().FromPart, "{#65,66}") << "the texts as passed are kept";
  EXPECT_EQ(rule->Rule().ToPart, "{#67}");
  EXPECT_EQ(transform->Expand("AB"), "C");
}

TEST_F(RuleCompilerTest, DirectivesMakeAnchorsStopsAndPatternText) {
  EXPECT_EQ(Parts(Define("{@Start} a", "")), (Strings{"StartAnchor", "Anchor a"}));
  EXPECT_EQ(Parts(Define("b {@End}", "")), (Strings{"Anchor b", "EndAnchor"}));
  QuorbItem* stop = Define("c {x} {@Stop} ;", "");
  EXPECT_EQ(Parts(stop), (Strings{"Anchor c", "Param x", "StopMark", "ParamStop ;", "CheckEnd"}));

  QuorbItem* evaluated = Define("{@Eval: 1 + 2} apples", "three");
  ASSERT_NE(evaluated, nullptr);
  EXPECT_EQ(Parts(evaluated), (Strings{"Anchor 3", "Literal apples"}));

  const std::string path = ::testing::TempDir() + "rule_compiler_pattern.txt";
  std::ofstream(path) << "pears {n}";
  QuorbItem* filed = Define("{@File: " + path + "}", "{n} pears");
  std::remove(path.c_str());
  ASSERT_NE(filed, nullptr);
  EXPECT_EQ(Parts(filed), (Strings{"Anchor pears", "Trailing n"}));
}

TEST_F(RuleCompilerTest, RepeatedNameAfterTheFirstPartMustMatchTheSameText) {
  QuorbItem* rule = Define("let {a} = {a}", "same {a}");
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(Parts(rule), (Strings{"Anchor let", "Param a", "ParamStop =", "Trailing a", "CheckEnd"}));
  EXPECT_EQ(rule->SubItems[3]->Rule().BackRefIndex, 1u);
  EXPECT_EQ(transform->Expand("let x = x; let x = y"), "same x; let x = y");

  QuorbItem* first = Define("{b:'[a-z]+'} ~ {b}", "{b}");
  EXPECT_EQ(first->SubItems[2]->Rule().BackRefIndex, 0u) << "a name first met as part 0 is no back-reference";
  EXPECT_EQ(first->SubItems.back()->Token().PartKind, TrailingParam);
  EXPECT_EQ(Pieces(first), (Strings{"0:2"})) << "TO refers to the second occurrence";
}

TEST_F(RuleCompilerTest, ToTextPieces) {
  QuorbItem* rule = Define("w {x}", "{y}{@Self}|{@Doc}|{@Comment: note}{@SubDoc}{@Nonsense}{ {x} }");
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(Pieces(rule), (Strings{"'{y}'", std::to_string(SelfPiece) + ":0", "'|'", std::to_string(DocPiece) + ":0",
                                   "'|'", std::to_string(CommentPiece) + ":0", std::to_string(SubDocPiece) + ":0",
                                   std::to_string(CommentPiece) + ":0", "'{ {x} }'"}))
      << "a name that is no parameter is text; so is a whole block that names none, references inside included";
  EXPECT_EQ(transform->Expand("v w 1"), "v {y}w 1|v w 1|{ {x} }");
}

TEST_F(RuleCompilerTest, ExpressionPieceParametersAreVariablesOwnedByTheirParts) {
  QuorbItem* rule = Define("is {x}", "{@Eval: IIf(x == \"ab\", \"yes\", \"no\")}");
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(instance.Error.Number, 0);
  QuorbItem* part = rule->SubItems[1];
  ASSERT_EQ(part->SubItems.size(), 1u);
  QuorbItem* variable = part->SubItems[0];
  EXPECT_EQ(variable->DataType, instance.Types.StringType);
  EXPECT_EQ(variable->OwningTable, nullptr) << "taken out of the symbol table again";
  EXPECT_EQ(instance.ItemOfByName("x", 0, true, false), ItemNotFound);
  EXPECT_EQ(rule->Rule().Pieces[0].Kind, EvalPiece);
  EXPECT_NE(rule->Rule().Pieces[0].Expression, nullptr);

  std::string text = "is ab";
  PopulateEvalParams(rule, text, {{0, 2}, {3, 2}});
  EXPECT_EQ(rule->Rule().Pieces[0].Expression->EvaluateStr(), "yes");
}

TEST_F(RuleCompilerTest, LaterRuleOfTheSameAnchorIsTriedFirst) {
  QuorbItem* older = Define("a", "1");
  QuorbItem* newer = Define("a b", "2");
  EXPECT_EQ(Chain("a"), (std::vector<QuorbItem*>{newer, older}));
  EXPECT_EQ(transform->Expand("a b a c"), "2 1 c");
}

TEST_F(RuleCompilerTest, RulesTakeTheTransformDefaults) {
  QuorbItem& defaults = transform->HostRules.RulesDefault;
  for (ItemIsEnum bit : {IsCaseSensitive, IsQuoteBlind, IsCodeBlockBlind, IsSkipOver, IsRewindOnChange, IsRightToLeft,
                         IsWhitespaceSensitive})
    defaults.SetBit(bit, true);
  defaults.EditRule().Minimum = 1;
  defaults.EditRule().Maximum = 2;
  defaults.EditRule().MinimumHard = 3;
  defaults.EditRule().MaximumHard = 4;
  defaults.EditRule().StartAfter = 5;
  defaults.EditRule().StopAfter = 6;
  defaults.Precedence = 7;
  QuorbItem* rule = Define("a", "b");
  for (ItemIsEnum bit : {IsCaseSensitive, IsQuoteBlind, IsCodeBlockBlind, IsSkipOver, IsRewindOnChange, IsRightToLeft})
    EXPECT_TRUE(rule->Has(bit)) << bit;
  EXPECT_FALSE(rule->Has(IsWhitespaceSensitive)) << "not taken";
  EXPECT_EQ(rule->Precedence, 0) << "not taken";
  EXPECT_EQ(rule->Rule().Minimum, 1u);
  EXPECT_EQ(rule->Rule().Maximum, 2u);
  EXPECT_EQ(rule->Rule().MinimumHard, 3u);
  EXPECT_EQ(rule->Rule().MaximumHard, 4u);
  EXPECT_EQ(rule->Rule().StartAfter, 5u);
  EXPECT_EQ(rule->Rule().StopAfter, 6u);
  EXPECT_EQ(rule->Rule().DefiningTransform, transform);
}

TEST_F(RuleCompilerTest, RuleWithoutAnchorIsReturnedUnfiled) {
  QuorbItem* rule = Define("{x}", "y");
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(rule->OwningTable, nullptr);
  EXPECT_FALSE(rule->Has(IsAnchored));
  EXPECT_EQ(Parts(rule), (Strings{"Trailing x"}));
  delete rule;  // the caller's
  EXPECT_EQ(Define("", ""), nullptr);
}

TEST_F(RuleCompilerTest, GivenRuleIsFilledInPlaceAndCanBeCompiledAgain) {
  auto* given = new QuorbItem();
  ASSERT_EQ(transform->DefineRule("a [b]", "x", given), given);
  EXPECT_EQ(RuleCount(), 2u);
  ASSERT_EQ(transform->DefineRule("c", "y", given), given);
  EXPECT_EQ(RuleCount(), 1u) << "the old variant went with the old compilation";
  EXPECT_EQ(Chain("c"), (std::vector<QuorbItem*>{given}));
  EXPECT_EQ(transform->DefineRule("a }", "x", given), nullptr);
  EXPECT_EQ(instance.Error.Number, ErrInvalidDefinition);
  EXPECT_EQ(Chain("c"), (std::vector<QuorbItem*>{given})) << "a failed compilation leaves the rule as it was";
  EXPECT_EQ(given->Rule().FromPart, "c");
  EXPECT_EQ(RuleCount(), 1u) << "nothing of the failed one is left";
  EXPECT_EQ(transform->Expand("c a"), "y a");
  delete given;
  EXPECT_EQ(transform->DefineRule("a", "b", &transform->HostRules.RulesDefault), nullptr);
}

TEST_F(RuleCompilerTest, GivenRegexAnchoredRuleIsRecompiledUnderItsOwnHandle) {
  auto* given = new QuorbItem();
  const size_t tokens = transform->Tokens->size();
  ASSERT_EQ(transform->DefineRule("{v:'[0-9]+'} px", "{v}pt", given), given);
  ASSERT_EQ(transform->DefineRule("{w:'[a-z]+'} em", "<{w}>", given), given);
  EXPECT_TRUE(transform->IsEqual(given->Name, "@RegEx: " + std::to_string(reinterpret_cast<uintptr_t>(given))));
  EXPECT_EQ(transform->Tokens->size(), tokens + 1) << "the old anchor token went";
  EXPECT_EQ(transform->Tokens->back()->Token().RegExRule, given);
  EXPECT_EQ(transform->DefineRule("{w:'['} em", "x", given), nullptr);
  EXPECT_EQ(transform->Expand("ab em 12 px"), "<ab> 12 px");
  delete given;
  EXPECT_EQ(transform->Tokens->size(), tokens);
}

TEST_F(RuleCompilerTest, SectionsOfTheToTextOpenAndGo) {
  std::string text = "[{x:({x})}] {x: (a)} {xy:1}";
  EXPECT_TRUE(transform->RemoveArgBrackets("x", text));
  EXPECT_EQ(text, "[({x})]  (a) {xy:1}");
  std::string nested = "{x:{x:1}}";
  EXPECT_TRUE(transform->RemoveArgBrackets("x", nested));
  EXPECT_EQ(nested, "1");
  std::string open = "a {x: b";
  EXPECT_FALSE(transform->RemoveArgBrackets("x", open)) << "refused, not searched forever";

  std::string to = "[{x:({x})}] {x} {y}";
  EXPECT_EQ(transform->RemoveUnusedArgs("{x}", to), 1);
  EXPECT_EQ(to, "[]  {y}");
  std::string withDefault = "[{x:({x})}] {x}";
  EXPECT_EQ(transform->RemoveUnusedArgs("a {x%=5} b", withDefault), 1);
  EXPECT_EQ(withDefault, "[5] 5");
  std::string grouped = "{g} {y} {z}";
  EXPECT_EQ(transform->RemoveUnusedArgs("{g: {y} q}", grouped), 1);
  EXPECT_EQ(grouped, "  {z}") << "a group's own parameters go too";
  std::string unclosed = "{x: a";
  EXPECT_EQ(transform->RemoveUnusedArgs("{x}", unclosed), 0);
}

// Malformed definitions: null, an error number, nothing filed and no token
// left behind; LSan checks that everything built was freed.
TEST_F(RuleCompilerTest, MalformedRulesFailCleanly) {
  const size_t tokens = transform->Tokens->size();
  const std::pair<const char*, const char*> cases[] = {
      {"a [b", "x"},                // unbalanced "["
      {"a } b", "x"},               // "}" outside any group
      {"a | b", "x"},               // "|" outside any group
      {"{x: p | q", "x"},           // alternatives without the group's brace
      {"{x: } a", "x"},             // an empty group
      {"{@Stop} x", "x"},           // a stop with no part before it
      {"{@Nonsense} x", "x"},       // an unknown directive
      {"{@Start x", "x"},           // an unclosed directive
      {"{n:2.5} x", "x"},           // a count that is no whole number
      {"{v:'a', 1x} y", "x"},       // neither grammar nor sub-match
      {"{v:'[0-9'} x", "x"},        // a regex that does not compile
      {"{x", "x"},                  // an unclosed parameter
      {"{x=1", "x"},                // an unclosed default
      {"{#} x", "x"},               // a character code without digits
      {"foo {x}", "{x: a"},         // an unmatched section of a parameter
      {"foo {x}", "{q: a"},         // an unmatched section
      {"foo", "{@Eval: 1"},         // an unclosed TO directive
      {"a [b }] c", "x"},           // fails after its variant was filed
      {"{v:'[0-9]+'} [x }]", "x"},  // ... a variant with its own anchor token
      {"a [b1] [b2] [b3] [b4] [b5] [b6] [b7] [b8] [b9]", "x"},  // 512 rules
  };
  for (const auto& [from, to] : cases) {
    EXPECT_EQ(Define(from, to), nullptr) << from << " -> " << to;
    EXPECT_EQ(instance.Error.Number, ErrInvalidDefinition) << from << " -> " << to;
    EXPECT_EQ(RuleCount(), 0u) << from << " -> " << to;
    EXPECT_EQ(transform->Tokens->size(), tokens) << from << " -> " << to;
  }
  EXPECT_NE(Define("a [b1] [b2] [b3] [b4] [b5] [b6] [b7] [b8]", "x"), nullptr) << "256 rules are allowed";
  EXPECT_EQ(RuleCount(), 256u);

  StringLocation alone(nullptr);
  EXPECT_EQ(alone.DefineRule("a", "b", nullptr), nullptr) << "no instance to compile with";
}

TEST_F(RuleCompilerTest, FailedOrRunawayEvalFailsTheDefinition) {
  EXPECT_EQ(Define("{@Eval: NoSuchName} x", "y"), nullptr);
  EXPECT_EQ(instance.Error.Number, ErrUndefinedIdentifier) << "the evaluation's own error";
  EXPECT_EQ(Define("{v:NoSuchName} x", "y"), nullptr);
  EXPECT_EQ(instance.Error.Number, ErrUndefinedIdentifier);

  ASSERT_NE(instance.Define("Variable: again As String = \"{@Eval: again}\"", nullptr, nullptr), nullptr);
  EXPECT_EQ(Define("{@Eval: again} x", "y"), nullptr) << "a pattern that keeps inserting itself";
  EXPECT_EQ(instance.Error.Number, ErrInvalidDefinition);
  ASSERT_NE(instance.Define("Variable: big As String = \"" + std::string(70000, 'b') + "\"", nullptr, nullptr),
            nullptr);
  EXPECT_EQ(Define("{@Eval: big} x", "y"), nullptr) << "inserted pattern text is capped";
  EXPECT_EQ(RuleCount(), 0u);

  ASSERT_NE(instance.Define("Variable: digits As String = \"[0-9]+\"", nullptr, nullptr), nullptr);
  QuorbItem* named = Define("{v:digits} px", "{v}pt");
  ASSERT_NE(named, nullptr) << "a name evaluates to the regular expression";
  EXPECT_EQ(transform->Expand("12 px"), "12pt");
}

TEST_F(RuleCompilerTest, ParseErrorOfAPieceStaysRecordedAndTheRuleIsMade) {
  QuorbItem* rule = Define("bad {x}", "{@Eval: x +* }");
  ASSERT_NE(rule, nullptr);
  const int32_t parseError = instance.Error.Number;
  EXPECT_NE(parseError, 0);
  instance.Error.Number = 0;
  EXPECT_EQ(transform->Expand("bad 1"), "bad 1") << "the directive fails: its match stays, no message is inserted";
  EXPECT_EQ(instance.Error.Number, parseError) << "the piece's parse error is the expansion's";
}

// Variants are filed beside their rule: whatever order a table is cleared
// in, each is freed exactly once (ASan would report a second free).
TEST_F(RuleCompilerTest, EachVariantIsFreedOnce) {
  ASSERT_NE(Define("[a] b", "x"), nullptr);  // rule under "a", variant under "b"
  ASSERT_NE(Define("[d] c", "x"), nullptr);  // rule under "d", variant under "c"
  ASSERT_NE(Define("e [f] g", "x"), nullptr);  // both under "e"
  transform->ResetStringLocation(ResetRulesOnly);
  EXPECT_EQ(transform->RuleTable, nullptr);
  transform->RuleTable = new Table();
  transform->SearchTables.push_back(transform->RuleTable);

  ASSERT_NE(Define("e [f] g", "x"), nullptr);
  ASSERT_NE(Define("[d] c", "x"), nullptr);
  ClearSymbolTableQuick(transform->RuleTable->Symbols);  // chain by chain, without unfiling
  EXPECT_TRUE(transform->RuleTable->Symbols.empty());

  QuorbItem* rule = Define("h [i] j", "x");
  QuorbItem* variant = rule->Rule().Variants->front();
  delete variant;
  EXPECT_TRUE(rule->Rule().Variants->empty()) << "a freed variant leaves its rule's list";
  EXPECT_EQ(Chain("h"), (std::vector<QuorbItem*>{rule}));
  QuorbItem* other = Define("k [l] m", "x");
  delete other;
  EXPECT_EQ(RuleCount(), 1u) << "a freed rule takes its variant along";

  StringLocation* main = instance.MainTransform();
  EXPECT_NE(main->DefineRule("zz [yy] xx", "w", nullptr), nullptr) << "freed with the instance's symbols";
  EXPECT_NE(instance.ParserTransform()->DefineRule("twice [{x}]", "{@Eval: x}", nullptr), nullptr)
      << "pieces and their variables freed with the instance";
}

}  // namespace
}  // namespace QuorbNameSpace
