// Names through the scanner: shortening of operator runs, namespaces and
// member access, the parser-table fallback, filing and removal, equality.
#include <random>

#include "scanner/text_at.h"
#include "scanner_fixture.h"

namespace QuorbNameSpace {
namespace {

class SymbolLookupTest : public ScannerTest {
 protected:
  QuorbItem* File(const std::string& name, Table* table = nullptr) {
    auto* item = new QuorbItem();
    item->Owner = &instance;
    (table != nullptr ? table : instance.CurrentNamespaceTable())->Add(name, item, false);
    return item;
  }
};

TEST_F(SymbolLookupTest, OperatorRunIsShortenedToTheLongestKnownPrefix) {
  QuorbItem* plus = File("+");
  File("-");
  std::string cursorText = "+-1";

  StringLocation cursor(cursorText, Main());
  cursor.NextToken(DefaultToken, 1);
  EXPECT_EQ(Main()->SymbolHandle(cursor, true), plus);
  EXPECT_EQ(cursor.Pos, 1u) << "the rest of the run is read again";
  EXPECT_EQ(cursor.NextTokenStr(), "-");

  std::string unshortenedText = "+-1";

  StringLocation unshortened(unshortenedText, Main());
  unshortened.NextToken(DefaultToken, 1);
  EXPECT_EQ(Main()->SymbolHandle(unshortened, false), nullptr);
}

TEST_F(SymbolLookupTest, MemberAccessEntersANamespace) {
  QuorbItem* space = File("geo");
  space->SetBit(IsNamespace, true);
  space->SetOwnTable(std::make_unique<Table>());
  QuorbItem* member = File("area", space->OwnTable());
  EXPECT_EQ(Main()->SymbolHandle("geo.area", false, false), member);

  std::string cursorText = "geo + 1";

  StringLocation cursor(cursorText, Main());
  cursor.NextToken(DefaultToken, 1);
  EXPECT_EQ(Main()->SymbolHandle(cursor, false), space);
  EXPECT_EQ(cursor.NextTokenStr(), "+") << "the token after the name is read again";

  EXPECT_EQ(Main()->SymbolHandle("geo.volume", false, false), nullptr);
  EXPECT_EQ(instance.Error.Number, ErrUnrecognizedNamespaceMember);
}

TEST_F(SymbolLookupTest, InnermostTableFirstThenTheRuleTable) {
  Table nested;
  QuorbItem* outer = File("v");
  QuorbItem* inner = File("v", &nested);
  Main()->SearchTables.push_back(&nested);
  EXPECT_EQ(Main()->SymbolHandle("v", false, false), inner);
  QuorbItem* onlyOuter = File("w");
  EXPECT_EQ(Main()->SymbolHandle("w", false, false), onlyOuter);
  Main()->SearchTables.pop_back();
  EXPECT_EQ(Main()->SymbolHandle("v", false, false), outer);
  ClearSymbolTableQuick(nested.Symbols);
}

TEST_F(SymbolLookupTest, FallbackFindsNamesOfTheParserTransform) {
  QuorbItem* alias = File("alias", instance.ParserTransform()->RuleTable);
  EXPECT_EQ(Main()->SymbolHandle("alias", false, false), nullptr);
  EXPECT_EQ(Main()->SymbolHandle("alias", false, true), alias);
  EXPECT_EQ(Main()->SearchTables.size(), 1u) << "the borrowed table is given back";
}

TEST_F(SymbolLookupTest, AddSymbolRefusesAnEmptyName) {
  auto* item = new QuorbItem();
  Main()->AddSymbol("", item, 0);
  EXPECT_EQ(instance.Error.Number, ErrInvalidDefinition);
  EXPECT_EQ(item->OwningTable, nullptr);
  Main()->AddSymbol("Named", item, 0);
  EXPECT_EQ(instance.CurrentNamespaceTable()->Handle("named"), item);
}

TEST_F(SymbolLookupTest, RemoveByNameUsesTheKeyAsGiven) {
  QuorbItem* item = File("Mixed");  // filed as "mixed"
  Main()->RemoveSymbol(std::string("Mixed"));
  EXPECT_EQ(instance.CurrentNamespaceTable()->Handle("mixed"), item);
  Main()->RemoveSymbol(std::string("mixed"));
  EXPECT_EQ(instance.CurrentNamespaceTable()->Handle("mixed"), nullptr);
  delete item;
}

TEST_F(SymbolLookupTest, RemoveByItemUnfilesItFromItsOwnTable) {
  Table nested;
  QuorbItem* item = File("x", &nested);
  Main()->RemoveSymbol(item);
  EXPECT_TRUE(nested.Symbols.empty());
  delete item;
}

TEST_F(SymbolLookupTest, EqualityFollowsTheCaseFlag) {
  EXPECT_TRUE(Main()->IsEqual("MiXed", "mixed"));
  EXPECT_FALSE(Main()->IsEqual("mixed", "mixe"));
  EXPECT_FALSE(Main()->IsEqual("\xC3\x84", "\xC3\xA4")) << "only ASCII letters fold";
  Main()->SetBit(IsCaseSensitive, true);
  EXPECT_FALSE(Main()->IsEqual("MiXed", "mixed"));
}

// Texts compared and looked up in place against their slow twins, which
// copy the text out first: generated texts, stretches (some past the end),
// words and tables both small (keys read in turn) and large (searched),
// folding or not, give the same answers.
TEST(TextAtTest, InPlaceComparisonsAndLookupsMatchTheCopyingTwins) {
  const char* const names[] = {"a", "ab", "Ab", "abc", "f", "old", "OLD", "x_1", "(", "+", "+-", "alpha", "zz", ""};
  const size_t count = sizeof(names) / sizeof(names[0]);
  std::mt19937 random(3112u);
  for (int round = 0; round < 400; ++round) {
    Table table;
    table.CaseSensitive = random() % 2 == 0;
    // Even rounds: at most the few keys read in turn; odd: often more.
    for (int k = static_cast<int>(random() % (round % 2 == 0 ? 6 : 14)); k > 0; --k) {
      auto* item = new QuorbItem();
      table.Add(names[random() % (count - 1)], item, false);  // never the empty name
    }
    std::string text;
    for (int k = static_cast<int>(random() % 12); k > 0; --k) text += names[random() % count];
    for (int probe = 0; probe < 40; ++probe) {
      const uint64_t at = random() % 9 == 0 ? NoPosition : random() % (text.size() + 3);
      const uint64_t length = random() % 9 == 0 ? NoPosition : random() % 7;
      const std::string word = names[random() % count];
      const bool caseSensitive = random() % 2 == 0;
      bool equal[2];
      QuorbItem* found[2];
      for (int inPlace = 0; inPlace < 2; ++inPlace) {
        CompareTextInPlace = inPlace == 1;
        equal[inPlace] = TextEqualsAt(text, at, length, word, caseSensitive);
        found[inPlace] = FiledUnderTextAt(&table, text, at, length);
      }
      CompareTextInPlace = true;
      const std::string where = "\"" + text + "\" at " + std::to_string(at) + " length " + std::to_string(length);
      ASSERT_EQ(equal[1], equal[0]) << where << " word " << word;
      ASSERT_EQ(found[1], found[0]) << where;
    }
    ClearSymbolTableQuick(table.Symbols);
  }
  EXPECT_EQ(FiledUnderTextAt(nullptr, "a", 0, 1), nullptr);
}

}  // namespace
}  // namespace QuorbNameSpace
