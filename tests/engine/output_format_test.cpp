// Output formats: order of application, expression and callback formats,
// the guard against nested formatting, the exception mask, and release.
#include <gtest/gtest.h>

#include <cfenv>
#include <string>

#include "chain_builder.h"
#include "engine/exception_flags.h"
#include "engine/quorb.h"
#include "engine/table.h"

namespace QuorbNameSpace {
namespace {

std::string& TextOf(QuorbItem* item) { return *static_cast<std::string*>(item->ValuePtr); }

void AppendA(ExpressionPart& part) { TextOf(part.Result) = TextOf(part.Args[0]) + "A"; }
void AppendB(ExpressionPart& part) { TextOf(part.Result) = TextOf(part.Args[0]) + "B"; }

int32_t maskSeen = -1;
void RecordMask(ExpressionPart& part) { maskSeen = part.OpItem->Owner->Evaluator.IgnoredExceptions; }

// Brackets the output-text item's text: the body of an output expression.
void Bracket(ExpressionPart& part) { TextOf(part.Result) = "<" + TextOf(part.Args[0]) + ">"; }

// Prints a Double from inside an output expression.
QuorbDataType* nestedType = nullptr;
void PrintNested(ExpressionPart& part) {
  double value = 2.5;
  TextOf(part.Result) = nestedType->ToStringFormatted(&value);
}

// A callback format that prints a value of its own type: it would nest
// without end.
int selfPrints = 0;
void PrintOwnType(ExpressionPart& part) {
  ++selfPrints;
  double value = 1;
  TextOf(part.Result) = nestedType->ToStringFormatted(&value) + "!";
}

// A format whose work raises floating-point flags.
volatile double huge = 1e308;
void Overflow(ExpressionPart& part) {
  huge = huge * 10;
  TextOf(part.Result) = TextOf(part.Args[0]);
}

class OutputFormatTest : public ::testing::Test {
 protected:
  void SetUp() override { doubleType = instance.Types.DoubleType; }
  // An output item filed as a definition would file it, appended to Double.
  QuorbItem* AddOutput(QuorbCallback callback) {
    auto* output = new QuorbItem();
    output->Owner = &instance;
    output->SetBit(IsOutputFormat, true);
    output->Callback = callback;
    instance.CurrentNamespaceTable()->Add("output" + std::to_string(outputs++), output, false);
    doubleType->Outputs.push_back(output);
    return output;
  }
  // An output item whose body runs `step` over the output-text item.
  QuorbItem* AddExpressionOutput(QuorbCallback step) {
    QuorbItem* output = AddOutput(nullptr);
    ChainBuilder* chain = new ChainBuilder(&instance);
    QuorbItem* result = new QuorbItem(instance.Types.StringType, "");
    chain->Step(step, {instance.Definitions.OutputTextItem}, result);
    output->ParsedExpr = chain->Release(result);
    delete chain;
    return output;
  }
  Quorb instance;
  QuorbDataType* doubleType = nullptr;
  int outputs = 0;
};

TEST_F(OutputFormatTest, WithoutFormatsTheTextIsPlain) {
  double value = 1234567.0;
  EXPECT_EQ(doubleType->ToStringFormatted(&value), "1.23457e+06");
}

TEST_F(OutputFormatTest, TheFormatAddedLastRunsFirst) {
  AddOutput(&AppendA);
  AddOutput(&AppendB);
  double value = 1.5;
  EXPECT_EQ(doubleType->ToStringFormatted(&value), "1.5BA");
  EXPECT_EQ(instance.Types.StringType->ToStringFormatted("s"), "s") << "other types are untouched";
}

TEST_F(OutputFormatTest, ExpressionFormatSeesTheTextThroughTheOutputItem) {
  AddOutput(&AppendA);
  AddExpressionOutput(&Bracket);
  double value = 1.5;
  EXPECT_EQ(doubleType->ToStringFormatted(&value), "<1.5>A");
  EXPECT_EQ(instance.Definitions.Flags & PropertyBit(IsFormatting), 0u);
}

TEST_F(OutputFormatTest, PrintingFromInsideAFormatIsPlain) {
  nestedType = doubleType;
  AddExpressionOutput(&PrintNested);
  double value = 0;
  EXPECT_EQ(doubleType->ToStringFormatted(&value), "2.5");
}

TEST_F(OutputFormatTest, EveryExceptionIsIgnoredWhileFormatting) {
  AddOutput(&RecordMask)->Owner = &instance;
  double value = 0;
  doubleType->ToStringFormatted(&value);
  EXPECT_EQ(maskSeen, FiveExceptionFlags);
  EXPECT_EQ(instance.Evaluator.IgnoredExceptions, FE_INEXACT | FE_UNDERFLOW) << "the mask is restored";
}

TEST_F(OutputFormatTest, ItemWithoutBodyOrCallbackIsSkipped) {
  AddOutput(&AppendA);
  AddOutput(nullptr);
  double value = 3;
  EXPECT_EQ(doubleType->ToStringFormatted(&value), "3A");
}

TEST_F(OutputFormatTest, ReleasedFormatLeavesTheTypesList) {
  QuorbItem* output = AddOutput(&AppendA);
  delete output;
  EXPECT_TRUE(doubleType->Outputs.empty());
  double value = 3;
  EXPECT_EQ(doubleType->ToStringFormatted(&value), "3");
}

TEST_F(OutputFormatTest, ACallbackPrintingItsOwnTypeStopsWithError18) {
  nestedType = doubleType;
  selfPrints = 0;
  AddOutput(&PrintOwnType);
  double value = 0;
  const std::string text = doubleType->ToStringFormatted(&value);
  EXPECT_EQ(instance.Error.Number, ErrReparseLimit);
  EXPECT_GT(selfPrints, 1);
  EXPECT_LT(selfPrints, 100) << "the nesting is capped, not the stack";
  EXPECT_EQ(text.substr(0, 1), "1");
  EXPECT_EQ(instance.Running.FormatDepth, 0);
}

TEST_F(OutputFormatTest, FlagsRaisedByAFormatAreDroppedAndTheCallersKept) {
  const int five = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW | FE_UNDERFLOW | FE_INEXACT;
  AddOutput(&Overflow);
  std::feclearexcept(five);
  std::feraiseexcept(FE_INVALID);
  double value = 0;
  doubleType->ToStringFormatted(&value);
  EXPECT_EQ(std::fetestexcept(five), FE_INVALID);
  std::feclearexcept(five);
}

}  // namespace
}  // namespace QuorbNameSpace
