// Text expansion: replacements with the modified flag, steps and change
// records; both forms and input by reference; rewinding and the caps that
// end every expansion; code blocks; quoted text; passes; rule properties;
// pieces that expand, evaluate, run and pick captures; local transforms;
// and the parser transform's aliases.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/errors.h"
#include "engine/quorb.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "scanner/anchor_filter.h"
#include "scanner/change_records.h"
#include "scanner/scan_memory.h"
#include "scanner/string_location.h"
#include "scanner/text_at.h"
#include "scanner/token_matchers.h"
#include "scanner/token_step.h"

namespace QuorbNameSpace {
namespace {

using RuleTexts = std::vector<std::pair<const char*, const char*>>;

// From one to `most` rules, picked at random.
RuleTexts PickRules(const RuleTexts& rules, std::mt19937& random, int most) {
  RuleTexts chosen;
  for (int k = 1 + static_cast<int>(random() % most); k > 0; --k) chosen.push_back(rules[random() % rules.size()]);
  return chosen;
}

// Fewer than `most` pieces, picked at random and joined.
std::string JoinPieces(const std::vector<std::string>& pieces, std::mt19937& random, int most) {
  std::string text;
  for (int k = static_cast<int>(random() % most); k > 0; --k) text += pieces[random() % pieces.size()];
  return text;
}

class ExpansionTest : public ::testing::Test {
 protected:
  QuorbItem* Rule(const std::string& from, const std::string& to) {
    QuorbItem* rule = transform->DefineRule(from, to, nullptr);
    EXPECT_NE(rule, nullptr) << from;
    return rule;
  }
  // A rule defined with one flag of the transform's defaults set.
  QuorbItem* RuleWith(ItemIsEnum bit, const std::string& from, const std::string& to) {
    transform->HostRules.RulesDefault.SetBit(bit, true);
    QuorbItem* rule = Rule(from, to);
    transform->HostRules.RulesDefault.SetBit(bit, false);
    return rule;
  }
  std::string Expand(const std::string& text) { return transform->Expand(text); }
  // A rule whose local transform holds one rule of its own; that transform.
  StringLocation* RuleWithLocal(const std::string& from, const std::string& to, const std::string& localFrom,
                                const std::string& localTo) {
    StringLocation* local = Rule(from, to)->ReturnLocalTransform();
    EXPECT_NE(local, nullptr);
    if (local != nullptr) local->DefineRule(localFrom, localTo, nullptr);
    return local;
  }

  Quorb instance;
  StringLocation* transform = instance.NewTransform();
};

TEST_F(ExpansionTest, EveryMatchIsReplacedAndRecorded) {
  QuorbItem* rule = Rule("a", "b");
  transform->SetBit(IsRecordingSteps, true);
  EXPECT_EQ(Expand("a a a"), "b b b");
  EXPECT_TRUE(transform->WasModified());
  EXPECT_EQ(transform->Record.Steps, (std::vector<std::string>{"b a a", "b b a", "b b b"}));
  ASSERT_EQ(transform->Record.ChangeLog.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(transform->Record.ChangeLog[i]->Location, 2 * i);
    EXPECT_EQ(transform->Record.ChangeLog[i]->OldText, "a");
    EXPECT_EQ(transform->Record.ChangeLog[i]->NewText, "b");
    EXPECT_EQ(transform->Record.ChangeLog[i]->Rule, rule);
  }
  EXPECT_EQ(rule->Rule().MatchCount, 3u);
  EXPECT_EQ(rule->Rule().ReplaceCount, 3u);

  EXPECT_EQ(Expand("c d"), "c d");
  EXPECT_FALSE(transform->WasModified());
  EXPECT_TRUE(transform->Record.ChangeLog.empty()) << "the records of the current expansion only";
}

TEST_F(ExpansionTest, RangeFormRewritesTheAttachedTextInPlace) {
  Rule("f({a}, {b})", "g({b}, {a})");
  transform->SetTransformInput("x f(1, 2) f(3, 4)");
  transform->Expand(2, 9);
  EXPECT_EQ(transform->Attached.OwnText, "x g(2, 1) f(3, 4)") << "only the range";
  EXPECT_EQ(transform->Pos, 2u);
  EXPECT_EQ(transform->RangeStart, 2u);
  EXPECT_EQ(transform->RangeEnd, 9u);
  EXPECT_TRUE(transform->WasModified());

  Rule("ab", "abc");
  transform->SetTransformInput("ab ab");
  transform->Expand();
  EXPECT_EQ(transform->Attached.OwnText, "abc abc");
  EXPECT_EQ(transform->RangeEnd, 7u) << "the end moves with the change of length";
  transform->Expand();  // no repositioning needed
  EXPECT_EQ(transform->Attached.OwnText, "abc abc");
}

TEST_F(ExpansionTest, InputByReferenceGetsTheResult) {
  Rule("a", "b");
  std::string text = "a c a";
  transform->SetTransformInputByRef(&text);
  transform->Expand();
  EXPECT_EQ(text, "b c b");
}

TEST_F(ExpansionTest, RewindScansTheReplacementAgain) {
  Rule("a", "b");
  Rule("b", "c");
  EXPECT_EQ(Expand("a"), "b") << "not scanned again";
  StringLocation* other = instance.NewTransform();
  other->HostRules.RulesDefault.SetBit(IsRewindOnChange, true);
  other->DefineRule("a", "b", nullptr);
  other->DefineRule("b", "c", nullptr);
  EXPECT_EQ(other->Expand("a x a"), "c x c");
}

TEST_F(ExpansionTest, EveryExpansionEnds) {
  RuleWith(IsRewindOnChange, "a", "a");
  Rule("b", "c");
  EXPECT_EQ(Expand("a b a b"), "a c a c") << "a replacement equal to its match is not scanned again";
  EXPECT_EQ(instance.Error.Number, 0);

  StringLocation* growing = instance.NewTransform();
  growing->HostRules.RulesDefault.SetBit(IsRewindOnChange, true);
  growing->DefineRule("g", "g g", nullptr);
  const std::string grown = growing->Expand("g x");
  EXPECT_EQ(instance.Error.Number, ErrReparseLimit);
  EXPECT_EQ(grown.size(), 3 + 2 * (4 * 3 + 4096)) << "4 x length + 4096 replacements";
  EXPECT_EQ(grown.substr(grown.size() - 2), " x");

  instance.Error.Number = 0;
  StringLocation* doubling = instance.NewTransform();
  doubling->HostRules.RulesDefault.SetBit(IsRewindOnChange, true);
  doubling->DefineRule("d", "{@Doc} {@Doc}", nullptr);
  EXPECT_LE(doubling->Expand("d").size(), 17u << 20) << "stopped before growing past the length cap";
  EXPECT_EQ(instance.Error.Number, ErrReparseLimit);

  StringLocation* cycle = instance.NewTransform();
  cycle->HostRules.RulesDefault.SetBit(IsRewindOnChange, true);
  cycle->DefineRule("p", "q", nullptr);
  cycle->DefineRule("q", "p", nullptr);
  EXPECT_EQ(cycle->Expand("p").size(), 1u);
}

TEST_F(ExpansionTest, CodeBlocksAreEnteredUnlessTheTransformSaysNot) {
  Rule("a", "b");
  EXPECT_EQ(Expand("(a [a] {a}) a"), "(b [b] {b}) b");
  transform->SetBit(IsCodeBlockBlind, true);
  EXPECT_EQ(Expand("(a [a] {a}) a"), "(a [a] {a}) b");
  EXPECT_EQ(Expand("( a"), "( b") << "an opener without closer is a plain token";
}

TEST_F(ExpansionTest, RuleInsideABlockEndsAtItsCloser) {
  Rule("a {x}", "<{x}>");
  EXPECT_EQ(Expand("(a 1) 2"), "(<1>) 2");
  EXPECT_EQ(Expand("a 1 (2) 3; 4"), "<1 (2) 3>; 4") << "a bracket in a parameter is one unit";
}

TEST_F(ExpansionTest, RuleForTheOpenerTakesTheBlockWhole) {
  Rule("a", "b");
  Rule("( {x} )", "[{x}]");
  EXPECT_EQ(Expand("( a ) a"), "[a] b") << "tried before the block is entered; the inside is not expanded again";
  EXPECT_EQ(Expand("(a"), "(b");
}

TEST_F(ExpansionTest, MultiCharacterDelimitersStayOutOfTheInside) {
  transform->DefineToken("<<", TokenCodeBlock, ">>", 0);
  Rule("a {x}", "[{x}]");
  EXPECT_EQ(Expand("<<a 1>> a 2"), "<<[1]>> [2]");
  EXPECT_EQ(Expand(std::string(1000, '(') + "a 1" + std::string(1000, ')')),
            std::string(1000, '(') + "[1]" + std::string(1000, ')'));
}

TEST_F(ExpansionTest, QuotedTextNeverAnchors) {
  Rule("a", "b");
  EXPECT_EQ(Expand("'a' a \"a\""), "'a' b \"a\"");
  transform->SetBit(IsQuoteBlind, true);
  EXPECT_EQ(Expand("'a' a"), "'b' b") << "with quoted text not tokenized the words are plain";
}

TEST_F(ExpansionTest, PassesRunFirst) {
  auto* pass = new StringLocation(&instance);
  pass->DefineTokens();
  pass->DefineRule("a", "b", nullptr);
  transform->Passes = {nullptr, pass};  // an empty slot is skipped
  EXPECT_EQ(Expand("a c"), "b c") << "a transform with passes and no rules";
  EXPECT_TRUE(transform->WasModified());
  EXPECT_TRUE(pass->WasModified());
  Rule("b", "c");
  EXPECT_EQ(Expand("a"), "c");

  transform->Passes.push_back(transform);  // never its own pass
  pass->Passes.push_back(transform);       // nor a pass back to a running transform
  EXPECT_EQ(Expand("a"), "c");
  transform->Passes.pop_back();
  pass->Passes.pop_back();
}

TEST_F(ExpansionTest, InactiveAndCaseSensitiveRules) {
  QuorbItem* inactive = Rule("a", "b");
  inactive->SetBit(IsActive, false);
  EXPECT_EQ(Expand("a"), "a");
  RuleWith(IsCaseSensitive, "c d", "e");
  EXPECT_EQ(Expand("c d c D"), "e c D");
  Rule("f g", "h");
  EXPECT_EQ(Expand("f G"), "h");
}

TEST_F(ExpansionTest, SkipOverProtectsWhatItMatches) {
  RuleWith(IsSkipOver, "keep {x};", "gone");
  QuorbItem* a = Rule("a", "b");
  EXPECT_EQ(Expand("keep a; a"), "keep a; b");
  EXPECT_EQ(a->Rule().ReplaceCount, 1u);
}

TEST_F(ExpansionTest, CountLimitsChooseWhichMatchesAreReplaced) {
  struct Case {
    uint64_t RuleParamStruct::*limit;
    uint64_t value;
    bool rightToLeft;
    const char* result;
  };
  const Case cases[] = {
      {&RuleParamStruct::StartAfter, 1, false, "a b b b"}, {&RuleParamStruct::StopAfter, 2, false, "b b a a"},
      {&RuleParamStruct::Maximum, 1, false, "b a a a"},    {&RuleParamStruct::Maximum, 1, true, "a a a b"},
      {&RuleParamStruct::StartAfter, 1, true, "b b b a"},  {&RuleParamStruct::Minimum, 5, false, "a a a a"},
      {&RuleParamStruct::Minimum, 4, false, "b b b b"},
  };
  for (const Case& c : cases) {
    StringLocation* limited = instance.NewTransform();
    QuorbItem* rule = limited->DefineRule("a", "b", nullptr);
    rule->EditRule().*c.limit = c.value;
    rule->SetBit(IsRightToLeft, c.rightToLeft);
    EXPECT_EQ(limited->Expand("a a a a"), c.result) << c.value << (c.rightToLeft ? " right to left" : "");
  }
}

TEST_F(ExpansionTest, HardLimitsEndOrUndoTheExpansion) {
  QuorbItem* a = Rule("a", "b");
  Rule("c", "d");
  a->EditRule().MaximumHard = 1;
  EXPECT_EQ(Expand("a c a c"), "b d a c") << "the second a ends the expansion";
  a->EditRule().MaximumHard = npos64;
  a->EditRule().MinimumHard = 3;
  EXPECT_EQ(Expand("a c a c"), "a c a c") << "too few replacements undo them all";
  EXPECT_FALSE(transform->WasModified());
  EXPECT_TRUE(transform->Record.ChangeLog.empty());
  EXPECT_EQ(Expand("a a a c"), "b b b d");
}

TEST_F(ExpansionTest, LimitsOfARuleCoverItsVariants) {
  QuorbItem* rule = Rule("a [b]", "X");
  rule->EditRule().Maximum = 1;
  EXPECT_EQ(Expand("a b a"), "X a");
}

TEST_F(ExpansionTest, PrecedencePlaysNoPartInTheOrderOfRules) {
  QuorbItem* longer = Rule("a b", "AB");
  QuorbItem* shorter = Rule("a", "X");
  EXPECT_EQ(Expand("a b"), "X b") << "the newest first";
  longer->Precedence = 5;
  EXPECT_EQ(Expand("a b"), "X b");
  shorter->Precedence = 9;
  longer->Precedence = -3;
  EXPECT_EQ(Expand("a b"), "X b");
}

TEST_F(ExpansionTest, StartAndEndAnchors) {
  Rule("{@Start} a", "S");
  Rule("z {@End}", "E");
  EXPECT_EQ(Expand("a a z z"), "S a z E");
  EXPECT_EQ(Expand("  a"), "  S") << "blanks before the first token";
}

TEST_F(ExpansionTest, StopMarkEndsTheReplacedText) {
  Rule("x {@Stop} y", "Z");
  EXPECT_EQ(Expand("x y x w"), "Z y x w");
}

TEST_F(ExpansionTest, SelfDocAndExpandedCapturePieces) {
  Rule("s {x}", "<{@Self}>");
  Rule("d", "[{@Doc}]");
  EXPECT_EQ(Expand("s 1 2; q d"), "<s 1 2>; q [<s 1 2>; q d]") << "the whole text as it stands before the change";
  StringLocation* other = instance.NewTransform();
  other->DefineRule("wrap {x%}", "[{x}]", nullptr);
  other->DefineRule("a", "b", nullptr);
  EXPECT_EQ(other->Expand("wrap a a"), "[b b]");
}

TEST_F(ExpansionTest, NestedExpansionsOfOneTransformStop) {
  Rule("w {x%}", "{x}");
  std::string text;
  for (int i = 0; i < 40; ++i) text += "w ";
  text += "end";
  EXPECT_EQ(Expand(text).substr(0, 2), "w ") << "re-entered expansions stop at their depth";
}

TEST_F(ExpansionTest, LocalTransformRewritesTheReplacement) {
  ASSERT_NE(RuleWithLocal("a", "b b", "b", "c"), nullptr);
  EXPECT_EQ(Expand("a"), "c c");
  ASSERT_EQ(transform->Record.ChangeLog.size(), 1u);
  EXPECT_EQ(transform->Record.ChangeLog[0]->NewText, "c c");
}

TEST_F(ExpansionTest, ExpressionPiecesReadTheCaptures) {
  Rule("is {x}", "{@Eval: IIf(x == \"ab\", \"yes\", \"no\")}");
  EXPECT_EQ(Expand("is ab; is cd"), "yes; no");
  ASSERT_NE(instance.Define("Variable: seen As String", nullptr, nullptr), nullptr);
  Rule("note {x}", "{@Exec: seen = x}noted");
  EXPECT_EQ(Expand("note hello"), "noted");
  EXPECT_EQ(instance.EvalStr("seen"), "hello");
  Rule("pick {a} / {b}", "{@Param: 3}{@Param: 0 - 1}{@Param: 9}");
  EXPECT_EQ(Expand("pick x / y"), "y") << "part 3 is b; a negative or too high number adds nothing";
}

TEST_F(ExpansionTest, ModifyTextReplacesTheCurrentMatchInPlace) {
  QuorbItem* rule = Rule("a {x}", "<{x}>");
  transform->SetTransformInput("q a 1");
  transform->NextToken(DefaultToken, 1);
  const uint64_t index = transform->NextToken(DefaultToken, 1);
  std::vector<LocationAndLengthStruct> captures;
  ASSERT_EQ(transform->CheckForSyntaxBlock(rule, captures, index), rule);
  transform->ModifyText(rule, captures);
  EXPECT_EQ(transform->Attached.OwnText, "q <1>");
  EXPECT_TRUE(captures.empty());
  EXPECT_EQ(transform->Pos, 5u);
  EXPECT_TRUE(transform->WasModified());
}

TEST_F(ExpansionTest, LongTextsExpandInOnePass) {
  Rule("f({a}, {b})", "g({b}, {a})");
  RuleWith(IsRewindOnChange, "old", "new");
  std::string text;
  std::string expected;
  for (int i = 0; i < 20000; ++i) {
    text += "f(x, (y)) old z;\n";
    expected += "g((y), x) new z;\n";
  }
  EXPECT_EQ(Expand(text), expected);
  EXPECT_EQ(transform->Record.ChangeLog.size(), 40000u);
}

TEST_F(ExpansionTest, ParserAliasesRewriteExpressionsAndDefinitions) {
  EXPECT_EQ(instance.RewriteByParserRules("Var: x As Integer"), "Variable: x As Int");
  EXPECT_EQ(instance.RewriteByParserRules("Byte Int32 Float 'Float'"), "Int8u Int Single 'Float'");
  EXPECT_EQ(instance.RewriteByParserRules("Int32u Floats"), "Int32u Floats");
  EXPECT_FALSE(instance.ParserTransform()->WasModified());
  QuorbItem* v = instance.Define("Var: v As Integer", nullptr, nullptr);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->DataType, instance.Types.IntType);
  QuorbItem* byte = instance.ItemOfByName("Byte", 0, false, false);
  ASSERT_NE(byte, ItemNotFound);
  EXPECT_EQ(byte->Name, "int8u");
  EXPECT_EQ(instance.EvalStr("1 + 2"), "3") << "expressions go through the aliases unharmed";
}

// Regression cases, one per fault: each text once through a transform with
// the rules given, against the result the written rules give.
struct FaultCase {
  const char* fault;
  std::vector<std::pair<const char*, const char*>> rules;  // from, to
  bool rewind;                                             // the first rule is scanned again after a change
  std::string text;
  std::string expected;
};

TEST_F(ExpansionTest, RegressionCases) {
  const std::string word(2u << 20, 'w');
  const std::vector<FaultCase> cases = {
      {"a rewrite in place leaves no stale operator run behind", {{"ab", "x+++"}, {"+++", "P"}}, true, "++ab", "++xP"},
      {"a block in TO that names no parameter is text", {{"let {x} = {y}", "{{x}} {y}"}}, false, "let a = b", "{{x}} b"},
      {"a rule regex parameter takes a 2 MB match", {{"<< {v:'[a-z_]+'}", "[{v}]"}}, false, "<< " + word, "[" + word + "]"},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.fault);
    transform = instance.NewTransform();
    for (size_t i = 0; i < c.rules.size(); ++i)
      (i == 0 && c.rewind) ? RuleWith(IsRewindOnChange, c.rules[i].first, c.rules[i].second)
                           : Rule(c.rules[i].first, c.rules[i].second);
    EXPECT_EQ(Expand(c.text), c.expected);
    EXPECT_EQ(instance.Error.Number, 0);
  }
}

TEST_F(ExpansionTest, ExpandingByReferenceTwiceKeepsTheResult) {
  Rule("a", "b");
  std::string text = "a c a";
  transform->SetTransformInputByRef(&text);
  for (int run = 0; run < 3; ++run) {
    transform->Expand();
    EXPECT_EQ(text, "b c b") << "run " << run;
    EXPECT_EQ(transform->Attached.OwnText, "b c b") << "what the result export reads, run " << run;
  }
}

TEST_F(ExpansionTest, StepCapCountsOneExpansion) {
  Rule("a", "b");
  transform->SetBit(IsRecordingSteps, true);
  transform->Record.Steps.assign(1, std::string(64u << 20, 's'));  // an earlier expansion's steps
  EXPECT_EQ(Expand("a a"), "b b");
  ASSERT_EQ(transform->Record.Steps.size(), 3u);
  EXPECT_EQ(transform->Record.Steps[2], "b b");
}

TEST_F(ExpansionTest, DocInALocalTransformSeesTheWholeText) {
  StringLocation* local = RuleWithLocal("a", "b", "b", "[{@Doc}]");
  ASSERT_NE(local, nullptr);
  EXPECT_EQ(Expand("x a y"), "x [x b y] y");
  EXPECT_EQ(local->Expand("b"), "[b]") << "the outer text was for that one expansion";
}

TEST_F(ExpansionTest, RegexParameterThatRunsAwayGivesUpWithError18) {
  Rule("x {v:'(a+)+b'}", "X");
  const std::string text = "x " + std::string(40, 'a');
  EXPECT_EQ(Expand(text), text);
  EXPECT_EQ(instance.Error.Number, ErrReparseLimit);
}

// Rules that fail at every anchor after scanning far. Remembered work keeps
// them well inside the step limit; without it they would hit the limit.
TEST_F(ExpansionTest, HostileTextsStayInsideTheStepLimit) {
  std::string line;
  while (line.size() < (32u << 10)) line += "a ";
  const std::string deep = std::string(16u << 10, '(') + std::string(16u << 10, ')');
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"a {x} zzz", line}, {"a {x} b c", line + "b d"}, {"( {x} ) zzz", deep}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    transform = instance.NewTransform();
    Rule(c.first, "R");
    EXPECT_EQ(Expand(c.second), c.second);
    EXPECT_EQ(instance.Error.Number, 0);
  }
}

// Remembered work changes no result: random rules and texts expand alike
// without it, with every stop scan remembered and with only the longer ones,
// the stop scans taken by the lean stop scan or by the general loop.
TEST_F(ExpansionTest, RememberedWorkChangesNoResult) {
  const std::vector<std::pair<const char*, const char*>> rules = {
      {"a {x} b", "<{x}>"},      {"a {x} b c", "1"},      {"( {x} ) z", "P{x}"},     {"f({p}, {q})", "g({q},{p})"},
      {"a {x$} b", "[{x}]"},     {"b {x+} ;", "S{x}"},    {"{v:'[0-9]+'} a", "N"},   {"c {x} {@Stop} b", "C{x}"},
      {"let {x} = {x}", "same"}, {"a [{y} z] b", "o{y}"}, {"z {x~} )", "Z{x}"},      {"x {x^} ]", "X{x}"},
      {"a {x} b {x} ;", "B{x}"}, {"let {x$} = {x$}", "S"},  {"( {x^} ) z", "Q{x}"},   {"( {x^} z", "W"}};
  // Captures that a later part compares (a repeated name) show where a scan
  // that ran into a remembered one took its span from.
  const std::vector<std::string> pieces = {"a", "b", "c", "z", "(", ")", "[", "]", "f", ",", ";", " ", "  ", "1",
                                           "\n", "x", "let", "=", "'", "a b", "(a)", " let a", " = a", " b a;",
                                           "')'", "(')'"};
  const uint64_t kStopScanSteps = StopScanStepsWorthRemembering;
  std::mt19937 random(1406u);
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::pair<const char*, const char*>> chosen;
    for (int k = 1 + static_cast<int>(random() % 3); k > 0; --k) chosen.push_back(rules[random() % rules.size()]);
    const uint32_t quoteBlind = static_cast<uint32_t>(random());  // per rule: quotes are not one token
    const bool rewind = random() % 4 == 0;
    std::string text;
    for (int k = static_cast<int>(random() % 40); k > 0; --k) text += pieces[random() % pieces.size()];
    // Not remembered; every stop scan remembered; only the longer ones;
    // every one remembered, the stop scans on the general loop.
    std::string results[4];
    int32_t errors[4];
    for (int remember = 0; remember < 4; ++remember) {
      RememberScanWork = remember != 0;
      StopScanStepsWorthRemembering = remember == 1 || remember == 3 ? 0 : 3;
      LeanStopScans = remember != 3;
      transform = instance.NewTransform();
      transform->HostRules.RulesDefault.SetBit(IsRewindOnChange, rewind);
      for (size_t k = 0; k < chosen.size(); ++k) {
        transform->HostRules.RulesDefault.SetBit(IsQuoteBlind, (quoteBlind >> k) & 1);
        transform->DefineRule(chosen[k].first, chosen[k].second, nullptr);
      }
      instance.Error.Number = 0;
      results[remember] = Expand(text);
      errors[remember] = instance.Error.Number;
    }
    RememberScanWork = LeanStopScans = true;
    StopScanStepsWorthRemembering = kStopScanSteps;
    for (int remember = 1; remember < 4; ++remember) {
      ASSERT_EQ(results[remember], results[0]) << "text \"" << text << "\" round " << round << " mode " << remember;
      ASSERT_EQ(errors[remember], errors[0]) << "text \"" << text << "\" round " << round << " mode " << remember;
    }
  }
}

// The in-place replacement against its slow twin, which rebuilds the whole
// text at every replacement: random rules that grow and shrink what they
// match, inside code blocks, beside quoted text, rescanned or not, with a
// pass that rewrites block insides, over a random range of the attached
// text, give the same text, range end, error, change records and steps.
// A rule that matches across a closer sees whether the scan resumed
// exactly after the block. The rebuilding run also takes its token steps
// one at a time through the general loop.
TEST_F(ExpansionTest, InPlaceReplacementsMatchTheRebuildingTwin) {
  const std::vector<std::pair<const char*, const char*>> rules = {
      {"x", "BAD yyyyyyyyyyyy"},  {"x", ""},           {"y", "z"},          {"a b", "c"},
      {"( {p} ) ;", "[{p}]"},     {"c", "cc dd"},      {"z {q} ;", "{q}"},  {"z {p} z", "<{p}>"},
      {"a", "{@Self}{@Self}"},    {"b {x+} ;", "S{x}"}, {"x", "(y)"},       {"( x )", "x"},
      {"yyyyyyyyyyyy )", "Q"},    {"{@Start} a", "S"}, {"b {@End}", "E"},   {"dd ]", "R"},
      {"x", "BAD y y y"},         {"y )", "LOST"},     {") x", "LOST"}};
  const std::vector<std::string> pieces = {"x", "y", "z", "a", "b", "c", "(", ")", "[", "]", ";", " ",
                                           "'x'", "\"(x\"", "'a b'", "(x)", "[y]", "x x", "\n", "(c)"};
  struct Outcome {
    std::string text;
    uint64_t rangeEnd;
    int32_t error;
    std::vector<std::string> changes;
    std::vector<std::string> steps;
  };
  std::mt19937 random(2806u);
  for (int round = 0; round < 3000; ++round) {
    const RuleTexts chosen = PickRules(rules, random, 3);
    const bool rewind = random() % 3 == 0;
    const bool quoteBlind = random() % 2 == 0;
    const bool pass = random() % 4 == 0;
    const std::string text = JoinPieces(pieces, random, 30);
    const uint64_t from = random() % 3 == 0 ? random() % (text.size() + 1) : 0;
    const uint64_t to = random() % 3 == 0 ? from + random() % (text.size() - from + 1) : text.size();
    Outcome outcomes[2];
    for (int inPlace = 0; inPlace < 2; ++inPlace) {
      InPlaceReplacements = inPlace == 1;
      // The lean token steps with the in-place run, their slow twins with the rebuilding one.
      LeanTokenSteps = StepPastIdleTokens = inPlace == 1;
      transform = instance.NewTransform();
      transform->HostRules.RulesDefault.SetBit(IsRewindOnChange, rewind);
      transform->HostRules.RulesDefault.SetBit(IsQuoteBlind, quoteBlind);
      for (const auto& rule : chosen) transform->DefineRule(rule.first, rule.second, nullptr);
      if (pass) {
        StringLocation* first = transform->MakePass(false);
        transform->Passes = {first};
        first->DefineRule("y", "yy yy", nullptr);
      }
      transform->SetBit(IsRecordingSteps, true);
      transform->SetTransformInput(text);
      instance.Error.Number = 0;
      transform->Expand(from, to);
      Outcome& outcome = outcomes[inPlace];
      outcome.text = transform->Attached.OwnText;
      outcome.rangeEnd = transform->RangeEnd;
      outcome.error = instance.Error.Number;
      for (const LogOfChangesClass* change : transform->Record.ChangeLog)
        outcome.changes.push_back(std::to_string(change->Location) + ":" + change->OldText + ">" + change->NewText);
      outcome.steps = transform->Record.Steps;
    }
    InPlaceReplacements = true;
    LeanTokenSteps = StepPastIdleTokens = true;
    const std::string where = "text \"" + text + "\" [" + std::to_string(from) + ", " + std::to_string(to) +
                              ") round " + std::to_string(round);
    ASSERT_EQ(outcomes[1].text, outcomes[0].text) << where;
    ASSERT_EQ(outcomes[1].rangeEnd, outcomes[0].rangeEnd) << where;
    ASSERT_EQ(outcomes[1].error, outcomes[0].error) << where;
    ASSERT_EQ(outcomes[1].changes, outcomes[0].changes) << where;
    ASSERT_EQ(outcomes[1].steps, outcomes[0].steps) << where;
  }
}

// Texts compared and looked up in place, digit runs matched by hand,
// anchor lookups answered by the rule table's first bytes and key lengths,
// plain token steps taken by the lean step, and tokens with nothing to do
// stepped past inside it, against their slow twins (copies; the
// host-pattern engine; every token looked up; the general loop; one step
// at a time), each switched off alone: random rules with literals, stop
// words, operators and number patterns, case-sensitive or not, in rule
// tables small enough to be read in turn or larger, over texts of mixed
// case, give the same text, error and changes.
TEST_F(ExpansionTest, FastPathsMatchTheirSlowTwins) {
  const std::vector<std::pair<const char*, const char*>> rules = {
      {"Old", "new"},          {"f({a}, {b})", "g({b}, {a})"}, {"{v:'[0-9]+'} px", "{v}pt"}, {"alpha", "ALPHA"},
      {"a {x} B", "<{x}>"},    {"x {n:'[0-9]+'}", "N{n}"},      {"( {p} ) ;", "[{p}]"},       {"b {x+} ;", "S{x}"},
      {"let {x} = {x}", "eq"}, {"{d:'[0-9]+'}", "#"},           {"c {x} stop", "C{x}"},       {"+", "plus"},
      {"==", "same"},          {"Px", "PX"},                     {"{@Start} old", "first"}};
  const std::vector<std::string> fillers = {"p1", "p2", "p3", "p4", "p5", "p6", "p7", "p8", "p9"};
  const std::vector<std::string> pieces = {"old", "OLD", "Old", "f(", ", ", ")", "12", "7 px", " px", "alpha",
                                           "ALPHA", "a ", "b", "B", " ", ";", "(", "x 3", "x", "let q = q", "let",
                                           "c", "STOP", "stop", "+", "++", "\n", "'old'", "p5", "0", "==", "=",
                                           "===", "px", "PX", "pxx"};
  bool* const switches[] = {&CompareTextInPlace, &HandWrittenRulePatterns, &FilterAnchorLookups, &LeanTokenSteps,
                            &StepPastIdleTokens, &ShareMeasuredBlocks, &LeanStopScans};
  struct Outcome {
    std::string text;
    int32_t error;
    std::vector<std::string> changes;
  };
  std::mt19937 random(905u);
  for (int round = 0; round < 1500; ++round) {
    const RuleTexts chosen = PickRules(rules, random, 4);
    const bool caseSensitive = random() % 2 == 0;
    const bool manyKeys = random() % 3 == 0;
    const bool rewind = random() % 3 == 0;
    const std::string text = JoinPieces(pieces, random, 30);
    auto run = [&] {
      transform = instance.NewTransform();
      transform->SetBit(IsCaseSensitive, caseSensitive);
      transform->RuleTable->CaseSensitive = caseSensitive;
      transform->HostRules.RulesDefault.SetBit(IsCaseSensitive, caseSensitive);
      transform->HostRules.RulesDefault.SetBit(IsRewindOnChange, rewind);
      if (manyKeys)
        for (const std::string& filler : fillers) transform->DefineRule(filler, filler + "!", nullptr);
      for (const auto& rule : chosen) transform->DefineRule(rule.first, rule.second, nullptr);
      instance.Error.Number = 0;
      Outcome outcome{Expand(text), instance.Error.Number, {}};
      for (const LogOfChangesClass* change : transform->Record.ChangeLog)
        outcome.changes.push_back(std::to_string(change->Location) + ":" + change->OldText + ">" + change->NewText);
      return outcome;
    };
    const Outcome fast = run();
    for (size_t which = 0; which < sizeof(switches) / sizeof(switches[0]); ++which) {
      bool* const slowTwin = switches[which];
      *slowTwin = false;
      const Outcome slow = run();
      *slowTwin = true;
      const std::string where = "text \"" + text + "\" round " + std::to_string(round) + " switch " + std::to_string(which);
      ASSERT_EQ(fast.text, slow.text) << where;
      ASSERT_EQ(fast.error, slow.error) << where;
      ASSERT_EQ(fast.changes, slow.changes) << where;
    }
  }
}

// Change records kept from one expansion for the next, and the text an
// expansion started from copied only when it first rewrites it, against
// their slow twins (room freed at once; the copy made up front): one
// transform per twin expands text after text, some replacements scanned
// again, some rules with a hard minimum that undoes the run, and both give
// the same text, flag and change records after every expansion.
TEST_F(ExpansionTest, KeptChangeRecordsAndTheLateOriginalMatchTheirSlowTwins) {
  const std::vector<std::pair<const char*, const char*>> rules = {
      {"a", "b"}, {"b", "c c"}, {"x {p} ;", "[{p}]"}, {"( {q} )", "{q}"}, {"c c", "d"}, {"y", "yyyyyyyyyyyyyyyyyyyy"}};
  const std::vector<std::string> pieces = {"a", "b", "c", "x", "y", ";", "(", ")", " ", "'a'", "\n"};
  struct Outcome {
    std::string text;
    bool modified;
    std::vector<std::string> changes;
  };
  std::mt19937 random(4417u);
  for (int round = 0; round < 300; ++round) {
    const RuleTexts chosen = PickRules(rules, random, 4);
    std::vector<bool> rewind;
    std::vector<uint64_t> hard;  // 0: no hard minimum
    for (size_t k = 0; k < chosen.size(); ++k) {
      rewind.push_back(random() % 3 == 0);
      hard.push_back(random() % 4 == 0 ? 1 + random() % 3 : 0);
    }
    StringLocation* twins[2];
    for (StringLocation*& twin : twins) {
      twin = instance.NewTransform();
      for (size_t k = 0; k < chosen.size(); ++k) {
        twin->HostRules.RulesDefault.SetBit(IsRewindOnChange, rewind[k]);
        QuorbItem* rule = twin->DefineRule(chosen[k].first, chosen[k].second, nullptr);
        if (rule != nullptr && hard[k] != 0) rule->EditRule().MinimumHard = hard[k];
      }
    }
    for (int text = 0; text < 6; ++text) {
      const std::string input = JoinPieces(pieces, random, text % 2 == 0 ? 60 : 8);
      Outcome outcomes[2];
      for (int fast = 0; fast < 2; ++fast) {
        ReuseChangeRecords = KeepOriginalLazily = fast == 1;
        StringLocation* twin = twins[fast];
        Outcome& outcome = outcomes[fast];
        outcome.text = twin->Expand(input);
        outcome.modified = twin->WasModified();
        for (const LogOfChangesClass* change : twin->Record.ChangeLog)
          outcome.changes.push_back(std::to_string(change->Location) + ":" + change->OldText + ">" + change->NewText);
      }
      ReuseChangeRecords = KeepOriginalLazily = true;
      const std::string where = "text \"" + input + "\" round " + std::to_string(round);
      ASSERT_EQ(outcomes[1].text, outcomes[0].text) << where;
      ASSERT_EQ(outcomes[1].modified, outcomes[0].modified) << where;
      ASSERT_EQ(outcomes[1].changes, outcomes[0].changes) << where;
    }
  }
}

// A stop scan inside a block the expansion entered takes the extent of a
// block nested in it from the expansion's own measurement, against its slow
// twin that measures the nested block again: with the quote blindness of
// the rule and of the transform alike or not (quoted text hides a bracket
// from one and not the other), a stop word inside the nested block, and the
// nested block's closer missing or past the range.
TEST_F(ExpansionTest, StopScansTakeMeasuredBlocksAsTheirSlowTwinMeasuresThem) {
  const std::vector<std::string> texts = {
      "(c (stop x) stop)",   "(c ('(' stop) stop) stop)", "(c (')' stop) stop) stop)", "[c (x (stop) y) z stop]",
      "(c (stop x stop)",    "{c (a) (b (stop)) stop}",   "(c ((stop)) stop) (c (x) stop)", "c (stop) stop"};
  for (const std::string& text : texts) {
    for (int blind = 0; blind < 4; ++blind) {
      std::string results[2];
      for (int shared = 0; shared < 2; ++shared) {
        ShareMeasuredBlocks = shared == 1;
        transform = instance.NewTransform();
        transform->SetBit(IsQuoteBlind, (blind & 1) != 0);
        transform->HostRules.RulesDefault.SetBit(IsQuoteBlind, (blind & 2) != 0);
        Rule("c {x} stop", "C<{x}>");
        results[shared] = Expand(text);
      }
      ShareMeasuredBlocks = true;
      ASSERT_EQ(results[1], results[0]) << text << " quote blindness " << blind;
    }
  }
  transform = instance.NewTransform();
  Rule("c {x} stop", "C<{x}>");
  EXPECT_EQ(Expand("(c (stop x) stop)"), "(C<(stop x)>)") << "the nested block is one unit";
}

// A replacement longer than the text before it, inside a block and scanned
// again, moves the block's end and the text after it by the same amount:
// the scan resumes right after the closer, where a rule over the closer
// cannot match.
TEST_F(ExpansionTest, GrowingReplacementInsideABlockResumesAfterTheBlock) {
  for (bool inPlace : {true, false}) {
    InPlaceReplacements = inPlace;
    transform = instance.NewTransform();
    transform->HostRules.RulesDefault.SetBit(IsRewindOnChange, true);
    Rule("x", "BAD y y y y");
    Rule("y )", "LOST");
    Rule(") x", "LOST");
    EXPECT_EQ(Expand("(x) x"), "(BAD y y y y) BAD y y y y") << inPlace;
    EXPECT_EQ(Expand("[(x)] (x)"), "[(BAD y y y y)] (BAD y y y y)") << inPlace;
  }
  InPlaceReplacements = true;
}

TEST_F(ExpansionTest, WorkBeyondTheStepLimitStopsWithError18) {
  // Each anchor counts tokens up to the end of the text, where the count
  // fails: work that grows with the square of the text. A lower limit keeps
  // the test short.
  Rule("a {n:5000}", "R");
  Rule("d", "D");
  std::string text = "d ";
  while (text.size() < 3000) text += "a ";
  text += "b d";
  const ExpansionStepLimit kept = ActiveStepLimit;
  ActiveStepLimit = {64, 1024};
  const std::string result = Expand(text);
  ActiveStepLimit = kept;
  EXPECT_EQ(instance.Error.Number, ErrReparseLimit);
  EXPECT_EQ(result.substr(0, 2), "D ") << "replacements before the stop stay";
  EXPECT_EQ(result.substr(2), text.substr(2)) << "the rest is left as it was";
}

}  // namespace
}  // namespace QuorbNameSpace
