// A whole instance: its state when new, its built-in language, and its
// tear-down with everything a host can leave open (run under ASan/LSan).
#include <gtest/gtest.h>

#include <cfenv>

#include "builtins/double_arithmetic.h"
#include "builtins/real_math.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "scanner/string_location.h"

namespace QuorbNameSpace {
namespace {

// The callback of the step that applies the last operator of `text`.
QuorbCallback LastStep(Quorb& instance, const std::string& text) {
  QuorbParsedExpr* expr = instance.Parse(text, nullptr);
  QuorbCallback callback = expr->Parts.size() >= 2 ? expr->Parts[expr->Parts.size() - 2]->Callback : nullptr;
  QuorbParsedExpr::Free(expr);
  return callback;
}

TEST(Instance, NewInstanceState) {
  Quorb instance;
  EXPECT_EQ(instance.Error.Number, 0);
  EXPECT_EQ(instance.Definitions.Flags, 0u);
  EXPECT_EQ(instance.Evaluator.IgnoredExceptions, FE_INEXACT | FE_UNDERFLOW);
  EXPECT_EQ(instance.Definitions.DefaultItem->DataType, instance.Types.DoubleType);
  EXPECT_EQ(instance.Eval("1+2*3"), 7.0);
}

TEST(Instance, PowerPicksItsOverloadByTheExponentsType) {
  Quorb instance;
  double x = 3;
  instance.Define("Variable: x", reinterpret_cast<QuorbCallback>(&x), nullptr);
  int32_t n = 2;
  instance.Define("Variable: n As Int", reinterpret_cast<QuorbCallback>(&n), nullptr);
  // Number literals are Doubles: only an Int exponent takes the Int row.
  EXPECT_EQ(LastStep(instance, "x^n"), &Pow_Int);
  EXPECT_EQ(LastStep(instance, "x^2"), &Pow);
  EXPECT_EQ(LastStep(instance, "x^2.5"), &Pow);
  EXPECT_EQ(instance.Eval("x^n"), 9.0);
  EXPECT_EQ(LastStep(instance, "+x"), &UnaryPlus);
}

TEST(Instance, BodyDefinedBuiltinsRaiseTheirErrors) {
  Quorb instance;
  EXPECT_EQ(instance.EvalStr("Inf()"), "Division by 0");
  EXPECT_EQ(instance.EvalStr("NaN()"), "Invalid operation");
}

TEST(Instance, GoToHasNoCallbackAndIsRefusedAtParse) {
  Quorb instance;
  EXPECT_EQ(instance.EvalStr("GoTo(1)"), "Undefined callback");
}

TEST(Instance, ReleasingAnExpressionThatCallsEvalReturnKeepsTheDefinition) {
  Quorb instance;
  QuorbItem* definition = instance.ItemOfByName("EvalReturn", 0, true, false);
  ASSERT_NE(definition, ItemNotFound);
  QuorbParsedExpr* expr = instance.Parse("EvalReturn()", nullptr);
  QuorbParsedExpr::Free(expr);
  EXPECT_EQ(instance.ItemOfByName("EvalReturn", 0, true, false), definition);
  EXPECT_EQ(instance.EvalStr("1+1"), "2");
}

TEST(Instance, TearDownWithEverythingLeftOpen) {
  auto* instance = new Quorb();
  StringLocation* kept = instance->NewTransform();
  StringLocation* released = instance->NewTransform();
  instance->RemoveUserTransform(released);
  delete released;
  kept->SetTransformInput(std::string(100, 'k'));
  instance->Define("Name: geo ~~ Namespace: begin", nullptr, nullptr);
  instance->Define("Variable: inside = 'x'", nullptr, nullptr);
  instance->Define("DataType: Extra : Type_Integer_16", nullptr, nullptr);  // a type inside the namespace
  instance->UserParse("inside", "");
  instance->Define("", nullptr, nullptr);  // an anonymous item
  delete instance;  // ASan and LSan check every item, type and transform is freed once
}

// The tear-down takes every data-type item out before the other items go:
// those filed first and last, beside one another, and in namespaces at
// either end, each with a variable holding a value of its type.
TEST(Instance, TearDownFreesTypesAfterTheValuesOfThemAnywhereInTheTable) {
  auto* instance = new Quorb();
  const char* const definitions[] = {
      "DataType: Aaa : Type_String",         "DataType: Aab : Type_String",
      "Variable: aaa1 As Aaa",     "Variable: aab1 As Aab",
      "Name: aa_space ~~ Namespace: begin",  "DataType: Inner : Type_String",
      "Variable: inner1 As Inner",    "Namespace: end",
      "DataType: Zzz : Type_String",         "Variable: zzz1 As Zzz",
      "Name: zz_space ~~ Namespace: begin",  "DataType: Outer : Type_String",
      "Variable: outer1 As Outer",
  };
  for (const char* definition : definitions)
    ASSERT_NE(instance->Define(definition, nullptr, nullptr), nullptr) << definition << ": " << instance->Error.Text;
  delete instance;  // ASan: no value is freed through a type object freed before it
}

TEST(Instance, SecondInstanceReusesTheSentinels) {
  Quorb first;
  QuorbItem* notFound = ItemNotFound;
  Quorb second;
  EXPECT_EQ(ItemNotFound, notFound);
  EXPECT_EQ(second.ItemOfByName("nothing", 0, true, false), first.ItemOfByName("nothing", 0, true, false));
}

}  // namespace
}  // namespace QuorbNameSpace
