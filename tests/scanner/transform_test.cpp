// Transforms and cursors: what a cursor shares, what each reset kind frees
// (under ASan and LSan), input by copy and by reference, local transforms.
#include "scanner_fixture.h"

namespace QuorbNameSpace {
namespace {

TEST_F(ScannerTest, CursorSharesTokensDefinedLaterOnItsParent) {
  StringLocation* transform = instance.NewTransform();
  std::string text = "@@";
  StringLocation cursor(text, transform);
  transform->DefineToken("@@", TokenGeneric, "", 0);
  cursor.NextToken(DefaultToken, 1);
  EXPECT_EQ(cursor.TokenText(), "@@");
  EXPECT_FALSE(cursor.IsOwning());
  EXPECT_EQ(cursor.RuleTable, transform->RuleTable);
}

TEST_F(ScannerTest, DestroyingACursorLeavesItsParentIntact) {
  StringLocation* transform = instance.NewTransform();
  auto* rule = new QuorbItem();
  transform->RuleTable->Add("r", rule, false);
  size_t tokens = transform->Tokens->size();
  std::string text = "text";
  { StringLocation cursor(text, transform); }
  EXPECT_EQ(transform->Tokens->size(), tokens);
  EXPECT_EQ(transform->RuleTable->Handle("r"), rule);
}

TEST_F(ScannerTest, ResetKindsFreeWhatTheySay) {
  StringLocation* transform = instance.NewTransform();
  auto fill = [&] {
    auto* rule = new QuorbItem(instance.Types.StringType, std::string(50, 'r'));
    if (transform->RuleTable == nullptr) {
      transform->RuleTable = new Table();
      transform->SearchTables.insert(transform->SearchTables.begin(), transform->RuleTable);
    }
    transform->RuleTable->Add("r", rule, false);
    transform->Passes.push_back(new StringLocation(&instance));
    transform->Record.ChangeLog.push_back(LogOfChangesClass{0, std::string(50, 'o'), std::string(50, 'n'), nullptr});
  };
  fill();
  transform->ResetStringLocation(ResetNeither);
  EXPECT_NE(transform->Tokens, nullptr);
  EXPECT_NE(transform->RuleTable->Handle("r"), nullptr);
  EXPECT_EQ(transform->Passes[0], nullptr);
  EXPECT_TRUE(transform->Record.ChangeLog.empty());

  transform->ResetStringLocation(ResetRulesOnly);
  EXPECT_EQ(transform->RuleTable, nullptr);
  EXPECT_TRUE(transform->SearchTables.empty()) << "no dangling pointer to the freed table";
  EXPECT_NE(transform->Tokens, nullptr);

  transform->Passes.clear();
  fill();
  transform->ResetStringLocation(ResetTokensOnly);
  EXPECT_EQ(transform->Tokens, nullptr);
  EXPECT_NE(transform->RuleTable, nullptr);
  transform->DefineTokens();  // a fresh list is made on demand
  EXPECT_FALSE(transform->Tokens->empty());
}

TEST_F(ScannerTest, InputByReferenceIsExchangedNotCopied) {
  StringLocation* transform = instance.NewTransform();
  transform->SetTransformInput("old");
  std::string caller = "new input";
  transform->SetTransformInputByRef(&caller);
  EXPECT_EQ(caller, "old");
  EXPECT_EQ(transform->Input(), "new input");
  EXPECT_TRUE(transform->Has(IsByRef));
  EXPECT_EQ(transform->Attached.InputRefTarget, &caller);

  transform->SetTransformInput("plain");
  EXPECT_EQ(transform->Attached.InputRefTarget, nullptr) << "no later run may write into the caller's string";
  EXPECT_FALSE(transform->Has(IsByRef));
  EXPECT_EQ(transform->Input(), "plain");
  EXPECT_EQ(transform->RangeEnd, 5u);
}

TEST_F(ScannerTest, NewTransformFollowsTheInstancesCaseFlag) {
  StringLocation* before = instance.NewTransform();
  instance.Definitions.Flags |= PropertyBit(IsCaseSensitive);
  StringLocation* after = instance.NewTransform();
  EXPECT_FALSE(before->Has(IsCaseSensitive));
  EXPECT_TRUE(after->Has(IsCaseSensitive));
  EXPECT_TRUE(after->RuleTable->CaseSensitive);
  EXPECT_EQ(instance.Scanners.UserTransforms.size(), 2u);
}

TEST_F(ScannerTest, LocalTransformIsMadeOnceAndFreedWithItsRule) {
  StringLocation* transform = instance.NewTransform();
  auto* rule = new QuorbItem();
  rule->EditRule().DefiningTransform = transform;
  StringLocation* local = rule->ReturnLocalTransform();
  ASSERT_NE(local, nullptr);
  EXPECT_EQ(rule->ReturnLocalTransform(), local);
  EXPECT_EQ(instance.Scanners.UserTransforms.size(), 2u);
  delete rule;
  EXPECT_EQ(instance.Scanners.UserTransforms.size(), 1u);

  QuorbItem orphan;
  EXPECT_EQ(orphan.ReturnLocalTransform(), nullptr);
}

TEST_F(ScannerTest, RulesDefaultMirrorsOntoACursorToo) {
  std::string cursorText = "x";

  StringLocation cursor(cursorText, Main());
  cursor.HostRules.RulesDefault.SetProperty(IsSkipOver, 1);
  EXPECT_TRUE(cursor.Has(IsSkipOver));
  EXPECT_FALSE(Main()->Has(IsSkipOver));
}

}  // namespace
}  // namespace QuorbNameSpace
