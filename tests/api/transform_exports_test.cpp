// The transform family as a host sees it: rule properties by their effect
// on a rewrite, resets and releases of every kind (run under the
// sanitizers, which catch a part freed twice or used after it went), lists
// by index, and input that never writes through a string the host let go.
#include <gtest/gtest.h>

#include <string>

#include "quorb.h"

namespace {

class TransformHost : public ::testing::Test {
 protected:
  TransformHost() : q(CreateQuorb(nullptr)), t(NewTransform(q)) {}
  ~TransformHost() override { ReleaseQuorb(q); }
  std::string Run(const char* text) { return Expand(t, text); }
  QuorbInstance* q;
  QuorbTransform* t;
};

// One rule "a" -> "b" over "a a a", with one property set.
struct PropertyCase {
  const char* name;
  QuorbItem* (*set)(QuorbItem*, int32_t);
  int32_t value;
  const char* expected;
};

const PropertyCase kPropertyCases[] = {
    {"inactive", Active, 0, "a a a"},
    {"active", Active, 1, "b b b"},
    {"at most one", Maximum, 1, "b a a"},
    {"after the first", StartAfter, 1, "a b b"},
    {"up to the second", StopAfter, 2, "b b a"},
    {"fewer than the minimum", Minimum, 4, "a a a"},
    {"hard maximum ends the run", MaximumHard, 1, "b a a"},
    {"hard minimum undoes the run", MinimumHard, 4, "a a a"},
    {"no limit", Maximum, -1, "b b b"},
    // Regression: a negative lower limit made the rule never apply.
    {"no minimum", Minimum, -1, "b b b"},
    {"no hard minimum", MinimumHard, -1, "b b b"},
    {"no first matches skipped", StartAfter, -1, "b b b"},
    {"any negative maximum is none", Maximum, -7, "b b b"},
    {"any negative hard maximum is none", MaximumHard, -2, "b b b"},
    {"any negative stop is none", StopAfter, -3, "b b b"},
    {"skipped over", SkipOver, 1, "a a a"},
};

TEST_F(TransformHost, EachRulePropertyChangesTheRewrite) {
  for (const PropertyCase& c : kPropertyCases) {
    QuorbTransform* own = NewTransform(q);
    QuorbItem* rule = FromTo(own, "a", "b");
    ASSERT_NE(rule, nullptr) << c.name;
    EXPECT_EQ(c.set(rule, c.value), rule) << c.name << ": a setter returns its rule";
    EXPECT_STREQ(Expand(own, "a a a"), c.expected) << c.name;
    ReleaseTransform(own);
  }
}

TEST_F(TransformHost, RightToLeftCountsFromTheEnd) {
  QuorbItem* rule = FromTo(t, "a", "b");
  Maximum(RightToLeft(rule, 1), 1);
  EXPECT_EQ(Run("a a a"), "a a b");
}

TEST_F(TransformHost, DefineRuleTakesItsThirteenNumbersInOrder) {
  // minimum, maximum, minimumHard, maximumHard, precedence, startAfter,
  // stopAfter, skipOver, rewind, case, code block, quote, right to left.
  QuorbItem* rule = DefineRule(t, "second and third", "a", "b", 0, -1, 0, -1, 5, 1, 3, 0, 0, 0, 1, 1, 0);
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(Run("a a a a"), "a b b a");
  EXPECT_EQ(DefineRule(t, "", "", "", 0, -1, 0, -1, 0, 0, -1, 0, 0, 0, 1, 1, 0), nullptr) << "no rule, nothing set";
  QuorbItem* one = DefineRule(t, "", "c", "d", 0, 1, 0, -1, 0, 0, -1, 0, 0, 0, 1, 1, 0);
  EXPECT_EQ(Run("c c"), "d c") << "maximum is the second number";
  EXPECT_STREQ(ReplacementText(one), "d");
  // Regression: -1, "none", as a lower limit made the rule never apply.
  ASSERT_NE(DefineRule(t, "", "e", "f", -1, -1, -1, -1, 0, -1, -1, 0, 0, 0, 1, 1, 0), nullptr);
  EXPECT_EQ(Run("e e"), "f f") << "every negative limit is none";
}

// Regression: matching starts at the anchor, so a parameter before it took
// the anchor itself ("x plus y" became "x add(plus, y)").
TEST_F(TransformHost, APatternStartingWithAPlainOrCountParameterIsRefused) {
  for (const char* from : {"{a} plus {b}", "{n:2} x", "{@Start}{a} plus", "[w] {a} plus"}) {
    EXPECT_EQ(FromTo(t, from, "add({a}, {b})"), nullptr) << from;
    EXPECT_EQ(ErrorNumber(q), 9) << from;
    EXPECT_EQ(DefineRule(t, "", from, "z", 0, -1, 0, -1, 0, 0, -1, 0, 0, 0, 1, 1, 0), nullptr) << from;
  }
  EXPECT_EQ(Run("x plus y;"), "x plus y;") << "nothing was filed";
  ASSERT_NE(FromTo(t, "{v:'[0-9]+'} plus {b}", "add({v}, {b})"), nullptr) << "a regex parameter is the anchor";
  EXPECT_EQ(Run("1 plus y;"), "add(1, y);");
  ASSERT_NE(FromTo(t, "plus {a}", "+{a}"), nullptr);
  EXPECT_EQ(Run("x plus y;"), "x +y;");
}

// Regression: the rule table folds case, so "cat" matched "CAT" however
// the rule's case flag was set.
TEST_F(TransformHost, ACaseSensitiveRuleComparesItsFirstWordExactly) {
  QuorbTransform* byDefault = NewTransform(q);
  CaseSensitive(RulesDefault(byDefault), 1);
  ASSERT_NE(FromTo(byDefault, "cat", "dog"), nullptr);
  EXPECT_STREQ(Expand(byDefault, "cat CAT Cat"), "dog CAT Cat") << "by RulesDefault";
  ReleaseTransform(byDefault);

  ASSERT_NE(DefineRule(t, "", "cow", "ox", 0, -1, 0, -1, 0, 0, -1, 0, 0, 1, 1, 1, 0), nullptr);
  EXPECT_EQ(Run("cow COW"), "ox COW") << "by DefineRule";
  QuorbItem* hen = FromTo(t, "hen [s]", "fowl");
  ASSERT_NE(hen, nullptr);
  EXPECT_EQ(Run("HEN HEN s"), "fowl fowl");
  CaseSensitive(hen, 1);
  EXPECT_EQ(Run("hen HEN HEN s hen s"), "fowl HEN HEN s fowl") << "by the setter, variants included";
}

// Regression: a failing directive pasted its error's message into the text
// and, the error number being sticky, every later directive did too.
TEST_F(TransformHost, AFailingDirectiveLeavesItsMatchAndItsError) {
  ASSERT_NE(FromTo(t, "KB({n})", "{@Eval: Eval(n) * 1024}"), nullptr);
  EXPECT_EQ(Run("KB(2) KB(abc) KB(3)"), "2048 KB(abc) 3072");
  EXPECT_EQ(ErrorNumber(q), 3) << "the first error stays for the host";
  EXPECT_EQ(Run("KB(1) KB(zz) KB(yy)"), "1024 KB(zz) KB(yy)");
  EXPECT_EQ(ErrorNumber(q), 3);
  SetInput(t, "KB(4)");
  Transform(t);
  EXPECT_STREQ(ResultStr(t), "4096") << "a later expansion is not spoiled by the earlier error";
  EXPECT_TRUE(WasModified(t));
  SetInput(t, "KB(q)");
  Transform(t);
  EXPECT_STREQ(ResultStr(t), "KB(q)");
  EXPECT_FALSE(WasModified(t)) << "a failed directive changes nothing";

  ASSERT_NE(FromTo(t, "pick {a}, {b}", "{@Param: Eval(a)}"), nullptr);  // part 3 is b
  EXPECT_EQ(Run("pick 3, w;"), "w;");
  EXPECT_EQ(Run("pick nope, w;"), "pick nope, w;");
  ASSERT_NE(FromTo(t, "run {x}", "ran{@Exec: Eval(x)}"), nullptr);
  EXPECT_EQ(Run("run 1; run bad;"), "ran; run bad;");
}

// Regression: the quote and code-block setters store their bits in the same
// sense as DefineRule: 1 means quoted text and code blocks are units.
TEST_F(TransformHost, QuoteAndCodeBlockFlagsMeanWhatDefineRuleMeans) {
  FromTo(t, "colour", "color");
  QuoteSensitive(RulesDefault(t), 1);
  EXPECT_EQ(Run("colour 'colour'"), "color 'colour'") << "quoted text is one token";
  QuoteSensitive(RulesDefault(t), 0);
  EXPECT_EQ(Run("colour 'colour'"), "color 'color'");
  CodeBlockSensitive(RulesDefault(t), 0);
  EXPECT_EQ(Run("colour (colour)"), "color (colour)") << "the block is left alone";
  CodeBlockSensitive(RulesDefault(t), 1);
  EXPECT_EQ(Run("colour (colour)"), "color (color)") << "the block is entered";
}

TEST_F(TransformHost, ExpandLeavesTheStoredInputAlone) {
  FromTo(t, "x", "y");
  SetInput(t, "x");
  EXPECT_STREQ(Expand(t, "x x"), "y y");
  EXPECT_STREQ(ResultStr(t), "x");
  EXPECT_STREQ(ExpandWithSteps(t, "x", "", "", ""), "xy");
  EXPECT_STREQ(ResultStr(t), "x");
  Transform(t);
  EXPECT_STREQ(ResultStr(t), "y");
  EXPECT_TRUE(WasModified(t));
  Transform(t);
  EXPECT_FALSE(WasModified(t)) << "nothing left to change";
}

// Each export reads its input before it replaces its previous result, which
// a host may hand straight back.
TEST_F(TransformHost, ExpansionsReadTheirOwnPreviousResult) {
  FromTo(t, "x", "y y");
  FromTo(t, "y", "z");
  EXPECT_STREQ(Expand(t, Expand(t, "x")), "z z");
  const char* steps = ExpandWithSteps(t, "y", " ", "", "");
  ASSERT_STREQ(steps, "y z");
  EXPECT_STREQ(ExpandWithSteps(t, steps, steps, "", ""), "y zy zz z");
}

TEST_F(TransformHost, StepListsUseTheTransformsTextsOnlyWhereNoneIsGiven) {
  FromTo(t, "x", "y");
  EXPECT_EQ(ListDelimiters(t, "<", "|", ">"), t);
  EXPECT_STREQ(ExpandWithSteps(t, "x x", "", "", ""), "<x x|y x|y y>");
  EXPECT_STREQ(ExpandWithSteps(t, "x", " then ", "", "!"), "<x then y!");
  ListSeparator(ListPrefix(ListPostfix(t, "]"), "["), ",");
  EXPECT_STREQ(ExpandWithSteps(t, "z", "", "", ""), "[z]") << "an unchanged text is its only step";
}

// Regression: GetRule and Pass refuse a negative index; blank rules made by
// GetRule belong to the transform (the leak check frees none twice and
// loses none).
// A rule that fails at every bracket of a deep nesting, scanning through
// the inner brackets (^), costs what it does on flat text: the expansion
// ends within its limits and the later rules still apply.
TEST_F(TransformHost, FailingRulesUnderDeepNestingLeaveTheRestToLaterRules) {
  const std::string nest = std::string(100000, '(') + "a" + std::string(100000, ')');
  for (const char* failing : {"( {x^} zzz", "( {x^} ) zzz"}) {
    SCOPED_TRACE(failing);
    QuorbTransform* fresh = NewTransform(q);
    ASSERT_NE(FromTo(fresh, failing, "R"), nullptr);
    ASSERT_NE(FromTo(fresh, "b", "B"), nullptr);
    EXPECT_EQ(Expand(fresh, ("b " + nest + " b").c_str()), "B " + nest + " B");
    EXPECT_EQ(ErrorNumber(q), 0);
    ReleaseTransform(fresh);
  }
}

TEST_F(TransformHost, ListsByIndex) {
  EXPECT_EQ(GetRule(t, -1), nullptr);
  QuorbItem* blank = GetRule(t, 3);
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(GetRule(t, 3), blank);
  EXPECT_EQ(GetRule(t, 1), nullptr) << "a slot left empty by the growth";
  EXPECT_EQ(Maximum(blank, 2), blank) << "a blank rule takes properties";
  ReleaseRule(GetRule(t, 5));
  EXPECT_EQ(GetRule(t, 5), nullptr) << "a released blank rule leaves its slot empty";
  Reset(t, 1);
  EXPECT_NE(GetRule(t, 1), nullptr) << "reset emptied the list";

  EXPECT_EQ(Pass(t, -1, 1), nullptr);
  QuorbTransform* pass = Pass(t, 2, 1);
  ASSERT_NE(pass, nullptr);
  EXPECT_EQ(Pass(t, 0, 1), nullptr);
  EXPECT_EQ(Pass(t, 1, 0), nullptr);
  EXPECT_EQ(Pass(t, 2, 0), pass);
  EXPECT_EQ(MathParser(pass), q);
  EXPECT_EQ(GetRule(t, 1 << 30), nullptr) << "a stray index does not grow the list";
}

TEST_F(TransformHost, PassesRunBeforeTheOwnRules) {
  FromTo(t, "b", "c");
  QuorbTransform* own = NewPass(t, 0);
  FromTo(own, "a", "b");
  EXPECT_EQ(Run("a (a)"), "c (c)");
  EXPECT_EQ(Reset(t, 1), t);
  EXPECT_EQ(Run("a b"), "a b") << "the reset freed the pass and left no rules";
}

// Regression: a pass that shares its parent's passes, once reset, must not
// list itself among them (it would run inside itself).
TEST_F(TransformHost, ResettingASharedPassKeepsItOutOfItsOwnPasses) {
  QuorbTransform* first = NewPass(t, 1);
  QuorbTransform* second = NewPass(t, 1);
  FromTo(t, "a", "b");
  EXPECT_EQ(Reset(first, 1), first);
  EXPECT_EQ(Pass(first, 0, 1), second) << "its parent's other pass, not itself";
  EXPECT_EQ(Pass(first, 1, 1), nullptr) << "past the shared list: a sharing pass makes none";
  EXPECT_EQ(Reset(second, 0), second);
  EXPECT_EQ(Pass(second, 0, 1), first);
  EXPECT_EQ(Run("a a"), "b b");
  EXPECT_EQ(NewPass(first, 1), nullptr) << "a sharing pass owns no passes of its own";
}

// Regression: after every kind of reset the transform has only the default
// tokens and no rules, and the token and rule handles the host still holds
// stay valid until the transform goes.
TEST_F(TransformHost, EveryResetKindLeavesDefaultsAndValidHandles) {
  for (int32_t kind = 0; kind <= 3; ++kind) {
    QuorbTransform* own = NewTransform(q);
    QuorbItem* token = DefineToken(own, "@@", 1, "", 0, 0);
    QuorbItem* rule = FromTo(own, "@@", "at");
    QuorbItem* regexRule = FromTo(own, "{n:'[0-9]+'} px", "{n}pt");
    ASSERT_NE(token, nullptr);
    ASSERT_NE(rule, nullptr);
    ASSERT_NE(regexRule, nullptr);
    ASSERT_NE(FromTo(own, "word", "WORD"), nullptr);
    ASSERT_STREQ(Expand(own, "@@ 3 px word"), "at 3pt WORD");
    EXPECT_EQ(Reset(own, kind), own) << kind;
    EXPECT_STREQ(Expand(own, "@@ 3 px word"), "@@ 3 px word") << kind << ": no table of the old rules is searched";
    const bool rulesKept = kind == 1 || kind == 2;
    const bool tokensKept = kind == 1 || kind == 3;
    if (rulesKept) {
      EXPECT_EQ(Maximum(rule, 1), rule) << kind;
    }
    if (tokensKept) ReleaseRule(token);  // freed at once, and not again with the transform
    EXPECT_NE(FromTo(own, "x", "y"), nullptr) << kind;
    EXPECT_STREQ(Expand(own, "x"), "y") << kind;
    Reset(own, kind);
    ReleaseTransform(own);
  }
  EXPECT_EQ(Reset(t, 4), nullptr);
  EXPECT_EQ(Reset(t, -1), nullptr);
  QuorbTransform* parser = ParserTransform(q);
  EXPECT_EQ(Reset(parser, 1), parser);
  EXPECT_STREQ(Expand(parser, "Func: f"), "Func: f") << "the aliases went with the rules";
  EXPECT_EQ(Eval(q, "1+2*3"), 7.0) << "expressions still parse";
}

// Regression: ReleaseTransform frees once, refuses what the instance owns,
// and a released local transform no longer belongs to its rule.
TEST_F(TransformHost, ReleaseFreesOnceAndRefusesWhatItMayNot) {
  ReleaseTransform(nullptr);
  ReleaseTransform(ParserTransform(q));
  EXPECT_STREQ(Expand(ParserTransform(q), "Func: f"), "Function: f") << "the parser transform keeps its aliases";
  QuorbTransform* pass = NewPass(t, 0);
  ReleaseTransform(pass);
  EXPECT_EQ(Pass(t, 0, 0), pass) << "a pass is its transform's";

  QuorbItem* rule = FromTo(t, "a", "b");
  QuorbTransform* local = LocalTransform(rule);
  ASSERT_NE(local, nullptr);
  EXPECT_EQ(LocalTransform(rule), local);
  ReleaseTransform(local);
  EXPECT_EQ(Run("a"), "b");
  ReleaseRule(rule);
  EXPECT_EQ(Run("a"), "a");

  // A rule of the parser transform with a local transform: the instance
  // frees its host transforms before its own, and must free this one once.
  QuorbItem* alias = FromTo(ParserTransform(q), "twice", "2*");
  ASSERT_NE(LocalTransform(alias), nullptr);
  EXPECT_EQ(Eval(q, "twice 4"), 8.0);

  QuorbTransform* gone = NewTransform(q);
  FromTo(gone, "x", "y");
  NewPass(gone, 1);
  GetRule(gone, 2);
  ReleaseTransform(gone);
  ReleaseRule(nullptr);
  ReleaseRule(RulesDefault(t));
  ReleaseRule(RulesOverall(t));
  EXPECT_EQ(Active(RulesOverall(t), 1), RulesOverall(t)) << "embedded items are not freed";
}

// Regression: a bad closing pattern leaves no half pair; a grammar outside
// 0 to 6 and a negative sub-match make no token.
TEST_F(TransformHost, DefineTokenRefusesWhatDoesNotCompile) {
  EXPECT_EQ(DefineToken(t, "<<", 1, "(", 0, 0), nullptr);
  EXPECT_EQ(DefineToken(t, "<<", 1, "", 0, 7), nullptr);
  EXPECT_EQ(DefineToken(t, "<<", 1, "", -1, 0), nullptr);
  EXPECT_EQ(Define_Overload_QuorbTransform_Tokens(t, "[", 1, "", 0, 1), nullptr);
  FromTo(t, "<", "lt");
  EXPECT_EQ(Run("<<"), "ltlt") << "no token for \"<<\" was added: the operator run is shortened";
  QuorbItem* opener = DefineToken(t, "<<", 1, ">>", 0, 1);
  ASSERT_NE(opener, nullptr);
  FromTo(t, "x", "y");
  CodeBlockSensitive(RulesDefault(t), 0);
  EXPECT_EQ(Run("x << x >> x"), "y << x >> y") << "the new pair is a code block";
}

TEST_F(TransformHost, ImportedTokensKeepTheirPairs) {
  QuorbTransform* source = NewTransform(q);
  DefineToken(source, "<<", 1, ">>", 0, 1);
  QuorbTransform* target = NewTransform(q);
  DefineToken(target, "%%", 1, "", 0, 0);
  EXPECT_EQ(Import_Overload_QuorbTransform_Tokens__Obj(target, source), target);
  EXPECT_EQ(Import_Overload_QuorbTransform_Tokens__Obj(target, nullptr), target);
  EXPECT_EQ(Import_Overload_QuorbTransform_Tokens__Obj(target, target), target) << "from itself";
  FromTo(target, "x", "y");
  CodeBlockSensitive(RulesDefault(target), 0);
  EXPECT_STREQ(Expand(target, "x << x >> x"), "y << x >> y");
}

// Regression: SetParser refuses null and moves the transform between the
// instances' lists: it lives on after its first instance is gone.
TEST_F(TransformHost, SetParserMovesATransformToAnotherInstance) {
  QuorbInstance* other = CreateQuorb(nullptr);
  QuorbTransform* moved = NewTransform(other);
  EXPECT_EQ(SetParser(moved, nullptr), nullptr);
  EXPECT_EQ(SetParser(ParserTransform(q), other), nullptr);
  EXPECT_EQ(SetParser(moved, q), moved);
  EXPECT_EQ(MathParser(moved), q);
  ReleaseQuorb(other);
  EXPECT_NE(FromTo(moved, "hi", "hello"), nullptr);
  EXPECT_STREQ(Expand(moved, "say 'hi' hi"), "say 'hi' hello");
  EXPECT_EQ(SetParser(moved, q), moved) << "already there";
  QuorbInstance* third = CreateQuorb(nullptr);
  EXPECT_EQ(SetParser(moved, third), nullptr) << "its rules belong to this instance";
  EXPECT_EQ(MathParser(moved), q);
  ReleaseQuorb(third);
}

// Regression: input by reference is detached by (t, null) and by SetInput;
// no later run writes into the host's string.
TEST_F(TransformHost, InputByReferenceCanBeLetGo) {
  FromTo(t, "x", "y");
  EXPECT_EQ(SetInputByRef(nullptr, nullptr), nullptr);
  {
    std::string text = "x x";
    EXPECT_EQ(SetInputByRef(t, &text), t);
    Transform(t);
    EXPECT_EQ(text, "y y");
    EXPECT_EQ(SetInputByRef(t, nullptr), t);
  }
  Transform(t);
  {
    std::string text = "x";
    SetInputByRef(t, &text);
    SetInput(t, "x x x");
  }
  Transform(t);
  EXPECT_STREQ(ResultStr(t), "y y y");
  Reset(t, 0);
  EXPECT_STREQ(ResultStr(t), " ") << "a reset leaves the one-blank text";
}

TEST_F(TransformHost, NullHandlesAndExportsThatDoNothing) {
  EXPECT_EQ(Transform(nullptr), nullptr);
  EXPECT_STREQ(ResultStr(nullptr), "");
  EXPECT_STREQ(Expand(nullptr, "x"), "");
  EXPECT_FALSE(WasModified(nullptr));
  EXPECT_EQ(FromTo(nullptr, "a", "b"), nullptr);
  EXPECT_EQ(Active(nullptr, 1), nullptr);
  EXPECT_STREQ(ReplacementText(nullptr), "");
  EXPECT_EQ(GetTokens(t), t);
  EXPECT_EQ(Import_Overload_QuorbTransform_Tokens__File(t, "no such file"), t);
  EXPECT_EQ(SetProperties(t, 12), static_cast<void*>(t));
  EXPECT_EQ(Import_Overload_QuorbTransform(), nullptr);
  EXPECT_EQ(ParseAgainMax(), 0);
  EXPECT_EQ(Comment_Overload_QuorbTransform(t, "c"), t);
  EXPECT_EQ(Comment_Overload_QuorbTransform_Tokens(t, "c"), t);
}

// Regression: a rule no table filed (a pattern without an anchor) belongs
// to the instance like a filed one: SetParser refuses to move it, so the
// rule is not left with the instance that frees it first.
TEST_F(TransformHost, SetParserRefusesATransformHoldingAnUnfiledRule) {
  QuorbInstance* other = CreateQuorb(nullptr);
  ASSERT_NE(FromTo(t, "{x}", "n"), nullptr);
  EXPECT_EQ(SetParser(t, other), nullptr);
  EXPECT_EQ(MathParser(t), q);
  ReleaseQuorb(other);
  QuorbTransform* blank = NewTransform(q);
  GetRule(blank, 0);
  QuorbInstance* third = CreateQuorb(nullptr);
  EXPECT_EQ(SetParser(blank, third), blank) << "a blank rule holds nothing of the instance";
  ReleaseQuorb(third);
}

// Regression: resetting one of two sharing passes made them run each other;
// every later release walked that cycle until the stack ran out.
TEST_F(TransformHost, ResettingSharingPassesMakesNoCycle) {
  QuorbTransform* first = NewPass(t, 1);
  QuorbTransform* second = NewPass(t, 1);
  FromTo(t, "a", "b");
  Reset(first, 0);
  Reset(second, 0);
  Reset(first, 0);
  EXPECT_TRUE(Pass(first, 0, 1) != second || Pass(second, 0, 1) != first) << "never each other's pass";
  ASSERT_NE(DefineVariable(q, "unrelated = 1", nullptr), nullptr);
  ReleaseItem(HandleOf(q, "unrelated", 0, 1));
  EXPECT_EQ(IsProperty(HandleOf(q, "unrelated", 0, 1), 56), 1);
  EXPECT_EQ(Run("a a"), "b b");
}

// Regression: each sharing pass ran the passes before it again with a
// budget of its own, so five of them and a doubling rule took minutes and
// gigabytes. One expansion call has one budget: it stops with error 18.
TEST_F(TransformHost, SharingPassesShareOneBudget) {
  FromTo(t, "a", " a a");
  for (int i = 0; i < 5; ++i) ASSERT_NE(NewPass(t, 1), nullptr);
  const std::string result = Run("a");
  EXPECT_EQ(ErrorNumber(q), 18);
  EXPECT_LT(result.size(), 64u * 1024u) << "bounded by the replacements allowed for a one-byte text";
}

}  // namespace

namespace {

QuorbTransform* meddled = nullptr;

// A host function run by a rule's directive while its transform rewrites.
void QUORB_CALLBACK Meddle(QuorbPart*) {
  EXPECT_EQ(Reset(meddled, 0), nullptr);
  EXPECT_EQ(FromTo(meddled, "q", "r"), nullptr);
  EXPECT_EQ(DefineToken(meddled, "##", 1, "", 0, 0), nullptr);
  EXPECT_EQ(SetInput(meddled, "other"), nullptr);
  EXPECT_EQ(Transform(meddled), nullptr);
  ReleaseRule(GetRule(meddled, 0));
  ReleaseTransform(meddled);
}

// Regression: host code called back while a transform runs cannot free or
// rebuild what the run is reading.
TEST_F(TransformHost, ARunningTransformRefusesChanges) {
  meddled = t;
  ASSERT_NE(DefineFunction(q, "Meddle()", Meddle), nullptr);
  QuorbItem* rule = FromTo(t, "poke", "{@Exec: Meddle()}done");
  ASSERT_NE(rule, nullptr);
  FromTo(t, "x", "y");
  SetInput(t, "x poke x");
  Transform(t);
  // Each refusal is error 9 raised inside the directive: it failed, so its
  // match stays, and the error is left for the host.
  EXPECT_STREQ(ResultStr(t), "y poke y");
  EXPECT_EQ(ErrorNumber(q), 9);
  EXPECT_STREQ(Expand(t, "poke x"), "poke y");
  QuorbTransform* pass = NewPass(t, 1);
  EXPECT_STREQ(Expand(pass, "poke"), "poke") << "a sharing pass runs on its parent's rules";
  meddled = nullptr;
}

}  // namespace
