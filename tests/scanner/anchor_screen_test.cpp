// The anchor screen against its slow twin (every text scanned): generated
// rule sets and texts, most of them holding no anchor, must expand to the
// same text, error, change records, counts and modified flag; names looked
// up through the parser transform's rules find the same items.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/quorb.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "scanner/anchor_screen.h"
#include "scanner/string_location.h"

namespace QuorbNameSpace {
namespace {

// What one expansion left behind.
struct Outcome {
  std::string text;
  int32_t error;
  bool modified;
  std::vector<std::string> changes;
  uint64_t matches;
  bool operator==(const Outcome& o) const {
    return text == o.text && error == o.error && modified == o.modified && changes == o.changes &&
           matches == o.matches;
  }
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
  out << "{\"" << o.text << "\", error " << o.error << (o.modified ? ", modified" : "") << ", " << o.matches
      << " matches, changes";
  for (const std::string& change : o.changes) out << " " << change;
  return out << "}";
}

const std::vector<std::pair<const char*, const char*>> kRules = {
    {"Old", "new"},      {"f({a}, {b})", "g({b}, {a})"}, {"{v:'[0-9]+'} px", "{v}pt"}, {"alpha", "ALPHA"},
    {"a {x} B", "<{x}>"}, {"( {p} ) ;", "[{p}]"},        {"+", "plus"},                {"Var:", "Variable:"},
    {"Int32", "Int"},    {"x {n:'[0-9]+'}", "N{n}"},      {"let {x} = {x}", "eq"},      {"zz", "[{@Doc}]"}};
// Pieces near the anchors above (parts of them, other cases, neighbours)
// and now and then an anchor itself.
const std::vector<std::string> kPieces = {"ol", "OL", "Ol", "ld", "alph", "lpha", "ALPH", "f", "(", ")", ", ", "12",
                                          " ", "b", "B", ";", "Va", "Var", "r:", ":", "Int", "nt32", "Int3", "-",
                                          "*", "z", "\n", "'old'", "p", "q", "le", "et", "Old", "alpha", "+", "Int32",
                                          "let", "zz", "x", "a "};

class AnchorScreenTest : public ::testing::Test {
 protected:
  // Expands `text` with a new transform holding `rules`, as the screen's
  // switch says.
  Outcome Run(const std::vector<std::pair<const char*, const char*>>& rules, bool caseSensitive, bool many,
              const std::string& text, bool screen) {
    ScreenTextsForAnchors = screen;
    StringLocation* transform = instance.NewTransform();
    transform->SetBit(IsCaseSensitive, caseSensitive);
    transform->RuleTable->CaseSensitive = caseSensitive;
    transform->HostRules.RulesDefault.SetBit(IsCaseSensitive, caseSensitive);
    if (many)
      for (int k = 0; k < 20; ++k) transform->DefineRule("w" + std::to_string(k), "W", nullptr);
    std::vector<QuorbItem*> defined;
    for (const auto& rule : rules) defined.push_back(transform->DefineRule(rule.first, rule.second, nullptr));
    instance.Error.Number = 0;
    screened += RulesMayMatch(*transform, text, 0, text.size()) ? 0 : 1;
    Outcome outcome{transform->Expand(text), instance.Error.Number, transform->WasModified(), {}, 0};
    for (const LogOfChangesClass* change : transform->Record.ChangeLog)
      outcome.changes.push_back(std::to_string(change->Location) + ":" + change->OldText + ">" + change->NewText);
    for (const QuorbItem* rule : defined)
      if (rule != nullptr) outcome.matches += rule->Rule().MatchCount;
    ScreenTextsForAnchors = true;
    return outcome;
  }

  Quorb instance;
  int screened = 0;  // texts the screen let through unscanned
};

TEST_F(AnchorScreenTest, ScreenedExpansionsMatchTheScanningTwin) {
  std::mt19937 random(3217u);
  int rounds = 0;
  for (; rounds < 1200; ++rounds) {
    std::vector<std::pair<const char*, const char*>> rules;
    for (int k = 1 + static_cast<int>(random() % 4); k > 0; --k) rules.push_back(kRules[random() % kRules.size()]);
    const bool caseSensitive = random() % 2 == 0;
    const bool many = random() % 5 == 0;
    std::string text;
    for (int k = static_cast<int>(random() % 12); k > 0; --k) text += kPieces[random() % kPieces.size()];
    const Outcome slow = Run(rules, caseSensitive, many, text, false);
    const Outcome fast = Run(rules, caseSensitive, many, text, true);
    ASSERT_EQ(fast, slow) << "text \"" << text << "\" round " << rounds;
  }
  // Both ways were taken often: the screen let texts through, and scanned
  // the others.
  EXPECT_GT(screened, rounds / 4);
  EXPECT_LT(screened, 2 * rounds);
}

// A text with no anchor and one in which each kind of anchor occurs: the
// screen lets only the first through.
TEST_F(AnchorScreenTest, TellsTextsWithAnAnchor) {
  StringLocation* plain = instance.NewTransform();
  plain->DefineRule("Old {x}", "N", nullptr);
  const std::string none = "Ol d; alph", folded = "xx oLd", tail = "x Ol";
  EXPECT_FALSE(RulesMayMatch(*plain, none, 0, none.size()));
  EXPECT_TRUE(RulesMayMatch(*plain, folded, 0, folded.size())) << "the table folds names";
  EXPECT_FALSE(RulesMayMatch(*plain, tail, 0, tail.size())) << "a name cut off by the end";
  EXPECT_FALSE(RulesMayMatch(*plain, folded, 0, 4)) << "only the range counts";
  plain->RuleTable->CaseSensitive = true;
  plain->DefineRule("Old", "N", nullptr);
  const std::string upper = "x OLD", exact = "x Old";
  EXPECT_FALSE(RulesMayMatch(*plain, upper, 0, upper.size())) << "a table that does not fold";
  EXPECT_TRUE(RulesMayMatch(*plain, exact, 0, exact.size()));
  // A token made for a regular-expression anchor is not screened.
  StringLocation* regex = instance.NewTransform();
  regex->DefineRule("{v:'[0-9]+'} px", "P", nullptr);
  EXPECT_TRUE(RulesMayMatch(*regex, none, 0, none.size()));
  plain->Passes.push_back(instance.NewTransform());
  EXPECT_TRUE(RulesMayMatch(*plain, none, 0, none.size())) << "passes run inside blocks";
  plain->Passes.clear();
  ScreenTextsForAnchors = false;
  EXPECT_TRUE(RulesMayMatch(*plain, tail, 0, tail.size()));
  ScreenTextsForAnchors = true;
}

// A text screened again is answered as remembered only while the table's
// names stand: filing or taking out a name, or a table of its own, screens
// it anew.
TEST_F(AnchorScreenTest, RemembersAnswersOnlyForTheSameNames) {
  StringLocation* transform = instance.NewTransform();
  transform->DefineRule("New", "N", nullptr);
  const std::string text = "x Old", other = "x Olx";
  EXPECT_FALSE(RulesMayMatch(*transform, text, 0, text.size()));
  EXPECT_FALSE(RulesMayMatch(*transform, text, 0, text.size()));
  QuorbItem* old = transform->DefineRule("Old", "N", nullptr);
  EXPECT_TRUE(RulesMayMatch(*transform, text, 0, text.size())) << "a name filed since";
  EXPECT_FALSE(RulesMayMatch(*transform, other, 0, other.size()));
  EXPECT_TRUE(RulesMayMatch(*transform, text, 0, text.size()));
  EXPECT_FALSE(RulesMayMatch(*transform, text, 0, 4)) << "the same bytes only";
  transform->RemoveSymbol(old);
  delete old;
  EXPECT_FALSE(RulesMayMatch(*transform, text, 0, text.size())) << "a name taken out since";
  StringLocation* another = instance.NewTransform();
  another->DefineRule("Old", "N", nullptr);
  EXPECT_TRUE(RulesMayMatch(*another, text, 0, text.size())) << "another table";
  EXPECT_FALSE(RulesMayMatch(*transform, text, 0, text.size()));
  // Texts longer than those remembered are screened each time.
  const std::string longer = std::string(40, 'y') + " Old";
  EXPECT_TRUE(RulesMayMatch(*another, longer, 0, longer.size()));
  EXPECT_FALSE(RulesMayMatch(*another, longer, 0, 40));
}

// Names looked up through the parser transform's rules (as every type name
// of a definition is) find the same item either way.
TEST_F(AnchorScreenTest, NameLookupsFindTheSameItems) {
  const char* const names[] = {"Double", "Int32", "Integer", "Int", "Byte", "Float", "Single", "String",
                               "Bool", "Var", "Floats", "byte", "INT32", "Complex", "nosuch", "Int8u"};
  for (const char* name : names) {
    for (bool literal : {false, true}) {
      ScreenTextsForAnchors = false;
      QuorbItem* slow = instance.ItemOfByName(name, 0, literal, false);
      const int32_t slowError = instance.Error.Number;
      ScreenTextsForAnchors = true;
      QuorbItem* fast = instance.ItemOfByName(name, 0, literal, false);
      EXPECT_EQ(fast, slow) << name;
      EXPECT_EQ(instance.Error.Number, slowError) << name;
    }
  }
  EXPECT_EQ(instance.ItemOfByName("Integer", 0, false, false), instance.ItemOfByName("Int", 0, false, false));
}

}  // namespace
}  // namespace QuorbNameSpace
