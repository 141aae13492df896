// A new instance is a copy of the process's prototype: it must hold exactly
// what an instance built from the definition texts holds. Both are written
// out field by field, every link as the path of what it names, and compared
// line by line; a link the walk cannot name prints its address and differs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "builtins/builtin_definitions.h"
#include "engine/instance_plan.h"
#include "engine/instance_prototype.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "scanner/anchor_screen.h"
#include "scanner/cursor_lease.h"
#include "scanner/string_location.h"
#include "scanner/text_at.h"
#include "scanner/token_dispatch.h"
#include "types/data_type.h"
#include "types/type_registry.h"

namespace QuorbNameSpace {
namespace {

class InstanceDump {
 public:
  explicit InstanceDump(Quorb& instance) : instance_(instance) {
    for (int t = 0; t < 4; ++t) NameTransform(t);
    NameItem(instance.Definitions.DefaultItem, "default");
    NameItem(instance.Definitions.OutputTextItem, "output-text");
    for (QuorbDataType* type : instance.AllTypeObjects()) names_[type] = "type " + type->Name;
    for (int t = 0; t < 4; ++t) WriteTransform(t);
    WriteInstance();
  }
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  Quorb& instance_;
  std::map<const void*, std::string> names_;
  std::vector<const QuorbItem*> order_;
  std::vector<std::string> lines_;

  void NameItem(const QuorbItem* item, const std::string& path) {
    if (item == nullptr || names_.count(item) != 0) return;
    names_[item] = path;
    order_.push_back(item);
    for (size_t k = 0; k < item->SubItems.size(); ++k) NameItem(item->SubItems[k], path + ".sub" + std::to_string(k));
    if (item->ParsedExpr != nullptr) NameExpression(item->ParsedExpr, path + ".body");
  }

  void NameExpression(const QuorbParsedExpr* expr, const std::string& path) {
    names_[expr] = path;
    for (size_t p = 0; p < expr->Parts.size(); ++p) {
      const ExpressionPart* part = expr->Parts[p];
      const std::string at = path + ".part" + std::to_string(p);
      names_[part] = at;
      for (size_t a = 0; a < part->Args.size(); ++a) NameItem(part->Args[a], at + ".arg" + std::to_string(a));
      NameItem(part->Result, at + ".result");
      NameItem(part->OpItem, at + ".op");
    }
  }

  void NameTransform(int t) {
    const StringLocation* transform = instance_.Scanners.Transforms[t];
    const std::string path = "T" + std::to_string(t);
    names_[transform] = path;
    names_[transform->RuleTable] = path + ".rules";
    names_[transform->Tokens] = path + ".tokens";
    NameItem(&transform->HostRules.RulesDefault, path + ".default");
    NameItem(&transform->HostRules.RulesOverall, path + ".overall");
    for (size_t k = 0; k < transform->Tokens->size(); ++k)
      NameItem((*transform->Tokens)[k], path + ".token" + std::to_string(k));
    for (const auto& entry : transform->RuleTable->Symbols) {
      int n = 0;
      for (const QuorbItem* item = entry.second; item != nullptr; item = item->NextOverload)
        NameItem(item, path + "[" + entry.first + "]#" + std::to_string(n++));
    }
  }

  std::string Of(const void* object) const {
    if (object == nullptr) return "-";
    if (object == &instance_) return "instance";
    auto found = names_.find(object);
    if (found != names_.end()) return found->second;
    for (const QuorbItem* shared : {OpenCurlyBrace, CloseCurlyBrace, ArgStop, DefStop, DefCommandStop, ItemNotFound,
                                    DefaultToken, NullItem, Parenth})
      if (object == shared) return "sentinel";
    for (int32_t n = 0; n < BuiltInTypeCount; ++n)
      if (object == PrototypeOf(n)) return "prototype type " + std::to_string(n);
    std::ostringstream address;
    address << "unnamed " << object;
    return address.str();
  }

  template <typename Function>
  static std::string Code(Function function) {
    std::ostringstream out;
    out << reinterpret_cast<const void*>(function);
    return out.str();
  }

  // The bytes a pattern can start with, as the dispatch table reads them.
  static std::string FirstBytes(const HostRegex& pattern) {
    std::ostringstream out;
    for (const uint64_t word : pattern.FirstBytes().words) out << std::hex << word << ".";
    return out.str();
  }

  void WriteItem(const QuorbItem* item) {
    std::ostringstream out;
    out << Of(item) << ": parts " << item->HasTokenPart() << item->HasRulePart() << " props " << item->Properties << " name '" << item->Name << "' text '" << item->Text
        << "' comment '" << item->Rule().Comment << "' next " << Of(item->NextOverload) << " owner " << Of(item->Owner)
        << " table " << Of(item->OwningTable) << " type " << Of(item->DataType) << " pattern "
        << item->Token().Pattern.Compiled() << "/" << item->Token().Pattern.flags() << "/" << FirstBytes(item->Token().Pattern) << " part " << item->Token().PartKind << " token "
        << item->Token().TokenKind << " list " << Of(item->Token().TokenList) << " partner " << Of(item->Token().Partner) << " regex "
        << Of(item->Token().RegExRule) << " sub-match " << item->Token().SubMatch << " fast " << Code(item->Token().FastMatch)
        << " callback " << Code(item->Callback) << " roles " << item->Roles->Bits << "/"
        << static_cast<int>(item->Roles->Fusion) << "/" << Code(item->Roles->Unary) << "/" << Code(item->Roles->Binary)
        << " host " << Code(item->HostFunction) << " body "
        << Of(item->ParsedExpr) << " call " << Of(item->CurrentCall) << " count " << item->ElementCount
        << " own-table " << Of(item->OwnTable()) << " cell " << item->OwnsArrayCell << " indices " << item->Rule().PartIndex
        << "/" << item->Rule().BackRefIndex << "/" << item->Rule().GroupStart << " group " << Of(item->Rule().GroupFirst) << ".."
        << Of(item->Rule().GroupLast) << " precedence " << item->Precedence << " from '" << item->Rule().FromPart << "' to '"
        << item->Rule().ToPart << "' limits " << item->Rule().Minimum << "/" << item->Rule().Maximum << "/" << item->Rule().MinimumHard << "/"
        << item->Rule().MaximumHard << "/" << item->Rule().StartAfter << "/" << item->Rule().StopAfter << " replacement '"
        << item->Rule().ReplacementText << "' defined-by " << Of(item->Rule().DefiningTransform) << " local "
        << Of(item->Rule().LocalTransform) << " counts " << item->Rule().MatchCount << "/" << item->Rule().ReplaceCount << " variants "
        << Of(item->Rule().Variants) << " subs";
    for (const QuorbItem* sub : item->SubItems) out << " " << Of(sub);
    for (const ReplacementStruct& piece : item->Rule().Pieces)
      out << " piece " << piece.Kind << "/" << piece.PartIndex << "/" << piece.Offset << "/" << piece.Length << "/"
          << Of(piece.Expression);
    if (item->ValuePtr != nullptr && item->DataType != nullptr && !item->Has(IsArray))
      out << " value '" << item->DataType->ToString(item->ValuePtr) << "'";
    lines_.push_back(out.str());
    if (item->ParsedExpr != nullptr) WriteExpression(item->ParsedExpr);
  }

  void WriteExpression(const QuorbParsedExpr* expr) {
    std::ostringstream out;
    out << Of(expr) << ": first " << Of(expr->First) << " type " << Of(expr->ResultType) << " owner "
        << Of(expr->Owner) << " function " << Of(expr->FunctionItem);
    for (const ExpressionPart* part : expr->Parts) {
      out << " | " << Code(part->Callback) << " next " << Of(part->Next) << " result " << Of(part->Result) << " op "
          << Of(part->OpItem) << " in " << Of(part->EnclosingFunction) << " args";
      for (const QuorbItem* arg : part->Args) out << " " << Of(arg);
    }
    lines_.push_back(out.str());
  }

  void WriteTransform(int t) {
    const StringLocation& transform = *instance_.Scanners.Transforms[t];
    std::ostringstream out;
    out << Of(&transform) << ": props " << transform.Properties << " name '" << transform.Name << "' text '"
        << transform.Text << "' pos " << transform.RangeStart << "/" << transform.Pos << "/" << transform.RangeEnd
        << "/" << transform.TokenLoc << "/" << transform.TokenLen << " token " << Of(transform.CurrentToken) << "/"
        << Of(transform.PrevToken) << " status " << transform.Status << " own-text '" << transform.Attached.OwnText
        << "' grammar " << transform.Grammar << " case " << transform.RuleTable->CaseSensitive << " longest "
        << transform.RuleTable->LongestKey << " steps " << transform.Record.Steps.size() << " changes "
        << transform.Record.ChangeLog.size() << " passes " << transform.Passes.size() << " search "
        << transform.SearchTables.size();
    lines_.push_back(out.str());
  }

  void WriteInstance() {
    for (const QuorbItem* item : order_) WriteItem(item);
    std::ostringstream out;
    out << "instance: flags " << instance_.Definitions.Flags << " error " << instance_.Error.Number << " ignored "
        << instance_.Evaluator.IgnoredExceptions << " separator '" << instance_.Definitions.DefSeparator << "' equal '"
        << instance_.Definitions.SyntaxEqual << "' anonymous " << instance_.Kept.AnonymousItems.size() << " handlers "
        << instance_.Definitions.ErrorHandlers.size() << " retired " << instance_.Types.RetiredTypes.size() << " slots";
    for (QuorbDataType* slot : {instance_.Types.AnyType, instance_.Types.IntType, instance_.Types.BoolType, instance_.Types.DoubleType,
                                instance_.Types.StringType, instance_.Types.PointerType, instance_.Types.ComplexType})
      out << " " << Of(slot);
    for (QuorbDataType* type : instance_.Types.DataTypes) out << " " << Of(type);
    for (const auto& message : instance_.Error.Messages) out << " message " << message.first << " '" << message.second << "'";
    for (const std::vector<int32_t>& row : instance_.Types.ConversionTable) {
      out << " row";
      for (int32_t to : row) out << " " << to;
    }
    lines_.push_back(out.str());
    // In name order: the instance lists its type objects by address.
    std::vector<std::string> types;
    for (QuorbDataType* type : instance_.AllTypeObjects()) {
      std::ostringstream line;
      line << Of(type) << ": index " << type->Index << " item " << Of(type->Item) << " outputs";
      for (const QuorbItem* output : type->Outputs) line << " " << Of(output);
      types.push_back(line.str());
    }
    std::sort(types.begin(), types.end());
    lines_.insert(lines_.end(), types.begin(), types.end());
  }
};

TEST(InstancePrototype, ACopyHoldsWhatTheTextsBuild) {
  ASSERT_TRUE(InstancePrototypeUsable());
  Quorb parsed(Quorb::FromDefinitionTexts{BuiltinDefinitionCount});
  Quorb copied;
  const std::vector<std::string> expected = InstanceDump(parsed).Lines();
  const std::vector<std::string> actual = InstanceDump(copied).Lines();
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t k = 0; k < expected.size(); ++k) EXPECT_EQ(actual[k], expected[k]);
}

// Reading the texts with the scanner's fast paths (first-byte dispatch
// shared by short cursors, kept cursors, the anchor screen) builds what
// their slow twins build.
TEST(InstancePrototype, TheTextsReadWithoutFastPathsBuildTheSame) {
  Quorb fast(Quorb::FromDefinitionTexts{BuiltinDefinitionCount});
  bool* const switches[] = {&DispatchTokensByFirstByte, &ShareDispatchWithParent, &KeepIdleCursors,
                            &ScreenTextsForAnchors, &HoldParametersUntilSeen, &CompareTextInPlace};
  for (bool* fastPath : switches) *fastPath = false;
  Quorb slow(Quorb::FromDefinitionTexts{BuiltinDefinitionCount});
  for (bool* fastPath : switches) *fastPath = true;
  const std::vector<std::string> expected = InstanceDump(slow).Lines();
  const std::vector<std::string> actual = InstanceDump(fast).Lines();
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t k = 0; k < expected.size(); ++k) EXPECT_EQ(actual[k], expected[k]);
}

// Parameters held back from their table until something could look them
// up: whatever reads them while the signature is read (a later parameter's
// type, a default value, the body, the item's own name, a rule's expression
// run by the rewrite of a type name) finds what it would find had each been
// filed as it was read, and the instance ends up holding the same.
TEST(InstancePrototype, HeldParametersAreSeenAsFiledOnes) {
  const char* const definitions[] = {
      "Function: Shadow(Int, y As Int)",         // y's type is the parameter Int: no type (error)
      "Function: ShadowCase(INT, y As int) = y",  // the same, folded
      "Function: Typed(a, b As a)",               // a parameter named where a type goes
      "Function: Defaulted(a, b = a + 1) = b",
      "Function: Self(Self)",
      "Overwrite ~~ Function: Self(Self) = Self",  // its own parameter cannot be taken over
      "Overwrite ~~ Function: Pow(a, b) = a - b",  // the head takes the parameters
      "Function: Pow(Pow As Int)",
      "Operator: 3 {a As Int} +++ {b As a} = a + b",
      "Function: Late(p, r As Ptype)",           // the rule's expression reads p
      "Function: Later(p) As Ptype",
      "Function: Plain(x As Complex, y As Double Ptr, z As Int = 3)",
  };
  auto defineAll = [&](Quorb& instance, std::vector<int32_t>& errors) {
    ASSERT_NE(instance.ParserTransform()->DefineRule("Ptype", "{@Eval: Eval(\"p\")}", nullptr), nullptr);
    for (const char* text : definitions) {
      instance.Define(text, nullptr, nullptr);
      errors.push_back(instance.Error.Number);
    }
    errors.push_back(static_cast<int32_t>(instance.Eval("Defaulted(2) * 100 + Pow(5, 3) * 10 + (1 +++ 2)")));
  };
  Quorb held(Quorb::FromDefinitionTexts{BuiltinDefinitionCount});
  std::vector<int32_t> heldErrors;
  defineAll(held, heldErrors);
  HoldParametersUntilSeen = false;
  Quorb filed(Quorb::FromDefinitionTexts{BuiltinDefinitionCount});
  std::vector<int32_t> filedErrors;
  defineAll(filed, filedErrors);
  HoldParametersUntilSeen = true;
  EXPECT_EQ(heldErrors, filedErrors);
  // The rule's expression is no object the walk names: its line differs.
  auto withoutRule = [](std::vector<std::string> lines) {
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const std::string& line) { return line.rfind("T1[ptype]", 0) == 0; }),
                lines.end());
    return lines;
  };
  const std::vector<std::string> expected = withoutRule(InstanceDump(filed).Lines());
  const std::vector<std::string> actual = withoutRule(InstanceDump(held).Lines());
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t k = 0; k < expected.size(); ++k) EXPECT_EQ(actual[k], expected[k]);
}

// A copy cuts its sub-item lists from one block it owns; with the switch
// off each list has storage of its own. Either way it holds the same.
TEST(InstancePrototype, ACopyWithOrWithoutAListBlockHoldsTheSame) {
  ASSERT_TRUE(InstancePrototypeUsable());
  { Quorb firstOfTheProcess; }  // read from the texts: the copies come after it
  Quorb parsed(Quorb::FromDefinitionTexts{BuiltinDefinitionCount});
  Quorb withBlock;
  SubItemBlocks = false;
  Quorb withoutBlock;
  SubItemBlocks = true;
  EXPECT_NE(withBlock.SubItemStorage, nullptr);
  EXPECT_EQ(withoutBlock.SubItemStorage, nullptr);
  EXPECT_EQ(parsed.SubItemStorage, nullptr);
  const std::vector<std::string> expected = InstanceDump(parsed).Lines();
  EXPECT_EQ(InstanceDump(withBlock).Lines(), expected);
  EXPECT_EQ(InstanceDump(withoutBlock).Lines(), expected);
}

// The switch sends new instances to their slow twin, built from the texts,
// and back; such an instance holds what any other does.
TEST(InstancePrototype, TheSwitchChoosesCopiesOrTexts) {
  InstanceCopies = false;
  Quorb fromTexts;
  InstanceCopies = true;
  Quorb parsed(Quorb::FromDefinitionTexts{BuiltinDefinitionCount});
  EXPECT_EQ(InstanceDump(fromTexts).Lines(), InstanceDump(parsed).Lines());
}

// A prototype holding what a copy cannot reproduce makes no plan: the
// instances are then built from the texts.
TEST(InstancePrototype, APlanRefusesWhatACopyCannotReproduce) {
  static double hostValue = 1;
  struct Case {
    const char* definition;
    QuorbCallback address;
  };
  const Case cases[] = {
      {"", nullptr},  // nothing added: the plan is made
      {"Name: geo ~~ Namespace: begin", nullptr},
      {"Variable: cells[3]", nullptr},
      {"Variable: host", reinterpret_cast<QuorbCallback>(&hostValue)},
      {"Function: Blend(x, y) = x*y + x/y - y", nullptr},  // a body whose steps run fused
  };
  for (const Case& test : cases) {
    Quorb prototype(Quorb::FromDefinitionTexts{BuiltinDefinitionCount});
    if (*test.definition != '\0') {
      ASSERT_NE(prototype.Define(test.definition, test.address, nullptr), nullptr);
    }
    InstancePlan plan;
    EXPECT_EQ(MakeInstancePlan(prototype, BuiltinDefinitionCount, plan), *test.definition == '\0') << test.definition;
  }
}

// A copy neither makes nor frees its items' names and texts: it reads the
// prototype's, which stay as they are whatever the copy does with its own.
// Its roles are the very records the built-in list keeps.
TEST(InstancePrototype, ACopyBorrowsNamesAndTextsUntilItChangesThem) {
  ASSERT_TRUE(InstancePrototypeUsable());
  { Quorb firstOfTheProcess; }  // read from the texts: the copies come after it
  Quorb first;
  Quorb second;
  QuorbItem* sine = first.RootTable()->Handle("sin");
  QuorbItem* otherSine = second.RootTable()->Handle("sin");
  ASSERT_NE(sine, nullptr);
  ASSERT_NE(otherSine, nullptr);
  ASSERT_FALSE(sine->Text.empty());
  for (const QuorbItem* item : {sine, otherSine}) {
    EXPECT_FALSE(item->Name.IsOwn());
    EXPECT_FALSE(item->Text.IsOwn());
  }
  EXPECT_EQ(&sine->Name.str(), &otherSine->Name.str());
  EXPECT_EQ(&sine->Text.str(), &otherSine->Text.str());
  EXPECT_EQ(&*sine->Roles, &*otherSine->Roles);
  const std::string text = sine->Text;
  sine->Text = "Function: Sin(x) changed";
  sine->Rename("sine");
  EXPECT_TRUE(sine->Text.IsOwn());
  EXPECT_TRUE(sine->Name.IsOwn());
  EXPECT_EQ(sine->Name, "sine");
  EXPECT_EQ(otherSine->Name, "sin");
  EXPECT_EQ(otherSine->Text, text);
  Quorb third;
  EXPECT_EQ(third.RootTable()->Handle("sin")->Text, text);
  EXPECT_EQ(third.RootTable()->Handle("sine"), nullptr);
}

// What a host does to a copy's transforms (tokens, rules, rule defaults)
// stays with that copy: the next copy is as new. (The C test of the same
// covers the definitions; the transform family is not exported everywhere.)
TEST(InstancePrototype, AChangedCopysTransformsLeaveTheNextCopyAsNew) {
  Quorb parsed(Quorb::FromDefinitionTexts{BuiltinDefinitionCount});
  const std::vector<std::string> expected = InstanceDump(parsed).Lines();
  {
    Quorb changed;
    ASSERT_NE(changed.ParserTransform()->DefineRule("Sine", "Sin", nullptr), nullptr);
    ASSERT_NE(changed.MainTransform()->DefineToken("@@", TokenGeneric, "", 0), nullptr);
    changed.ParserTransform()->HostRules.RulesDefault.SetProperty(IsSkipOver, 1);
    (*changed.MainTransform()->Tokens)[0]->EditToken().SubMatch = 7;
    changed.RootTable()->Handle("inf")->ParsedExpr->Parts[0]->Args[0]->Text = "changed";
    EXPECT_EQ(changed.Eval("Sine(0)"), 0.0);
  }
  Quorb later;
  EXPECT_EQ(InstanceDump(later).Lines(), expected);
}

}  // namespace
}  // namespace QuorbNameSpace
