// Matching a compiled rule at the cursor, with rules put together by hand
// the way the rule compiler lays them out.
#include "scanner_fixture.h"
#include "scanner/rule_parts.h"

namespace QuorbNameSpace {
namespace {

class RuleMatchingTest : public ScannerTest {
 protected:
  // A compiled rule filed under its anchor `anchor`, then `literal`, then a
  // trailing parameter.
  QuorbItem* Rule(const std::string& anchor, const std::string& literal, bool active = true) {
    auto* rule = new QuorbItem();
    rule->SetBit(IsAnchored, true);
    rule->SetBit(IsActive, active);
    rule->SubItems = {Part(Anchor, anchor), Part(Literal, literal), Part(TrailingParam, "")};
    rule->SubItems[2]->SetBit(IsStopUnread, true);
    Main()->RuleTable->Add(anchor, rule, false);
    return rule;
  }
  QuorbItem* Part(RulePartEnum kind, const std::string& text) {
    auto* part = new QuorbItem();
    part->EditToken().PartKind = kind;
    part->Text = text;
    return part;
  }
  std::string Capture(const std::string& text, const LocationAndLengthStruct& capture) {
    return text.substr(capture.Location, capture.Length);
  }
};

TEST_F(RuleMatchingTest, MatchesPartsAndCapturesEach) {
  QuorbItem* rule = Rule("twice", "+");
  std::string text = "twice + a b; c";
  StringLocation cursor(text, Main());
  uint64_t index = cursor.NextToken(DefaultToken, 1);
  std::vector<LocationAndLengthStruct> captures;
  EXPECT_EQ(cursor.CheckForSyntaxBlock(rule, captures, index), rule);
  ASSERT_EQ(captures.size(), 3u);
  EXPECT_EQ(Capture(text, captures[0]), "twice");
  EXPECT_EQ(Capture(text, captures[1]), "+");
  EXPECT_EQ(Capture(text, captures[2]), "a b");
  EXPECT_EQ(cursor.TokenText(), "twice + a b") << "the whole match";
}

TEST_F(RuleMatchingTest, LiteralPartShortensAnOperatorRun) {
  QuorbItem* rule = Rule("neg", "-");
  std::string text = "neg -=3";
  StringLocation cursor(text, Main());
  cursor.NextToken(DefaultToken, 1);
  std::vector<LocationAndLengthStruct> captures;
  ASSERT_EQ(cursor.CheckForSyntaxBlock(rule, captures, 0), rule);
  EXPECT_EQ(Capture(text, captures[2]), "=3") << "the rest of the run is read by the next part";
}

TEST_F(RuleMatchingTest, FailedRuleLeavesTheCursorWhereItWas) {
  QuorbItem* rule = Rule("twice", "+");
  std::string text = "twice * a";
  StringLocation cursor(text, Main());
  cursor.NextToken(DefaultToken, 1);
  uint64_t properties = cursor.Properties;
  EXPECT_EQ(cursor.CheckForSyntaxBlock(rule), nullptr);
  EXPECT_EQ(cursor.Pos, 5u);
  EXPECT_EQ(cursor.Properties, properties);
}

TEST_F(RuleMatchingTest, InactiveRuleGivesWayToTheNextOfItsName) {
  QuorbItem* older = Rule("op", "*");
  QuorbItem* inactive = Rule("op", "*", false);  // newest: tried first
  std::string text = "op * x";
  StringLocation cursor(text, Main());
  cursor.NextToken(DefaultToken, 1);
  EXPECT_EQ(cursor.CheckForSyntaxBlock(inactive), older);
}

TEST_F(RuleMatchingTest, UncompiledRuleNeverMatches) {
  auto* plain = new QuorbItem();
  Main()->RuleTable->Add("plain", plain, false);
  std::string text = "plain";
  StringLocation cursor(text, Main());
  cursor.NextToken(DefaultToken, 1);
  EXPECT_EQ(cursor.CheckForSyntaxBlock(plain), nullptr);
  EXPECT_EQ(cursor.CheckForSyntaxBlock(nullptr), nullptr);
}

}  // namespace
}  // namespace QuorbNameSpace
