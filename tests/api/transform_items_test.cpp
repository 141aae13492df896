// Items a transform holds (rules and tokens) through the item exports:
// ReleaseRule, Rename and ReleaseItem leave them, and what the instance
// holds, sound. The Android library keeps the transform family to its Java
// natives, so these run on the other builds.
#include <gtest/gtest.h>

#include "item_fixture.h"
#include "quorb.h"

namespace {

using TransformItems = ItemFixture;

// Regression: ReleaseRule frees a transform's rules and tokens only; a
// variable, a function or a type is refused (error 9) and keeps working.
TEST_F(TransformItems, ReleaseRuleFreesOnlyWhatATransformMade) {
  QuorbItem* variable = DefineVariable(q, "vr = 2", nullptr);
  QuorbItem* body = Define_Overload_Quorb(q, "Function: bump(k) = k + 1", nullptr, nullptr);
  QuorbItem* host = DefineFunction(q, "Twice(x)", Doubled);
  QuorbExpression* uses = Parse(q, "vr * 3 + bump(1) + Twice(1)", "");
  QuorbItem* notRules[] = {variable, body, host, Find("Cos"), Find("Double")};
  for (QuorbItem* item : notRules) {
    EvalStr(q, "0");
    ReleaseRule(item);
    EXPECT_EQ(ErrorNumber(q), 9) << Name_Overload_Item(item);
  }
  EXPECT_EQ(Evaluate(uses), 10.0);
  ReleaseExpr(uses);

  QuorbTransform* t = NewTransform(q);
  QuorbItem* rule = FromTo(t, "cat", "dog");
  QuorbItem* token = DefineToken(t, "@@", 1, "", 0, 0);
  ReleaseRule(rule);
  ReleaseRule(token);
  EXPECT_STREQ(Expand(t, "cat"), "cat");
}

// Regression: Rename moves only what a namespace table of the instance
// holds. A transform's rule, or the parser's alias rule found by name,
// would stop applying (and the instance would free it with the wrong
// owner): refused with error 9, left where it was.
TEST_F(TransformItems, RenameLeavesTransformItemsWhereTheyAre) {
  QuorbTransform* t = NewTransform(q);
  QuorbItem* rule = FromTo(t, "cat", "dog");
  QuorbItem* token = DefineToken(t, "@@", 1, "", 0, 0);
  QuorbItem* alias = HandleOf(q, "Integer", 0, 1);
  ASSERT_NE(IsProperty(alias, 56), 1) << "the parser's alias rule is found by name";
  for (QuorbItem* item : {rule, token, alias}) {
    EvalStr(q, "0");
    Rename(item, "moved");
    EXPECT_EQ(ErrorNumber(q), 9);
  }
  EXPECT_FALSE(Defined("moved"));
  EXPECT_STREQ(Expand(t, "cat"), "dog");
  EXPECT_EQ(HandleOf(q, "Integer", 0, 1), alias);
}

QuorbItem* runningRule = nullptr;
void QUORB_CALLBACK ReleasesRunningRule(QuorbPart* part) {
  ReleaseItem(runningRule);
  Rename(runningRule, "elsewhere");
  ReturnStr(part, "X");
}

// Regression: the rule whose directive runs host code, and any token, are
// kept while their transform runs: freeing them crashed the run.
TEST_F(TransformItems, ARunningTransformKeepsItsRulesAndTokens) {
  QuorbTransform* t = NewTransform(q);
  ASSERT_NE(DefineFunction(q, "hook() As String", ReleasesRunningRule), nullptr);
  runningRule = FromTo(t, "cat", "{@Eval: hook()}");
  ASSERT_NE(runningRule, nullptr);
  Expand(t, "cat cat");
  EXPECT_EQ(ErrorNumber(q), 13);
  runningRule = DefineToken(t, "@@", 1, "", 0, 0);
  Expand(t, "cat");
  EXPECT_EQ(ErrorNumber(q), 13);
  runningRule = nullptr;
  EvalStr(q, "0");
  EXPECT_STREQ(Expand(t, "@@"), "@@");
}

}  // namespace
