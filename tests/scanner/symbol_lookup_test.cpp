// Names through the scanner: shortening of operator runs, namespaces and
// member access, the parser-table fallback, filing and removal, equality.
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
  space->OwnTable = new Table();
  QuorbItem* member = File("area", space->OwnTable);
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

}  // namespace
}  // namespace QuorbNameSpace
