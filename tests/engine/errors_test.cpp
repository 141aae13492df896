// Error messages, raising errors, handlers and their answers, and the
// floating-point test that turns raised flags into error numbers.
#include <gtest/gtest.h>

#include <cfenv>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/exception_flags.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"

namespace QuorbNameSpace {
namespace {

// Records which handlers ran, and answers as told.
struct HandlerLog {
  static std::vector<int> calls;
  static int resumeAt;  // the handler that answers 1; 0 for none
  static void Record(int id, void* instance) {
    calls.push_back(id);
    if (id == resumeAt) static_cast<Quorb*>(instance)->Error.Response = 1;
  }
  static void QUORB_CALLBACK First(QuorbInstance* instance) { Record(1, instance); }
  static void QUORB_CALLBACK Second(QuorbInstance* instance) { Record(2, instance); }
};
std::vector<int> HandlerLog::calls;
int HandlerLog::resumeAt = 0;

QuorbItem* Handler(Quorb& instance, ErrorHandlerCallback callback) {
  auto* item = new QuorbItem();
  item->Owner = &instance;
  item->SetBit(IsErrorHandler, true);
  item->Callback = reinterpret_cast<QuorbCallback>(reinterpret_cast<void (*)()>(callback));
  instance.Definitions.ErrorHandlers.push_back(item);
  return item;
}

class ErrorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HandlerLog::calls.clear();
    HandlerLog::resumeAt = 0;
    std::feclearexcept(FiveExceptionFlags);
  }
  void TearDown() override {
    for (QuorbItem* item : handlers) delete item;
    std::feclearexcept(FiveExceptionFlags);
  }
  QuorbItem* AddHandler(ErrorHandlerCallback callback) {
    handlers.push_back(Handler(instance, callback));
    return handlers.back();
  }
  Quorb instance;
  std::vector<QuorbItem*> handlers;
};

TEST_F(ErrorsTest, NewInstanceHasEveryMessageAndNoError) {
  EXPECT_EQ(instance.Error.Number, 0);
  EXPECT_EQ(instance.Evaluator.IgnoredExceptions, FE_INEXACT | FE_UNDERFLOW);
  ASSERT_EQ(instance.Error.Messages.size(), 25u);
  EXPECT_EQ(instance.Error.MessageOf(0), "No error");
  EXPECT_EQ(instance.Error.MessageOf(9), "Invalid definition");
  EXPECT_EQ(instance.Error.MessageOf(17), "Value cannot be assigned here");
  EXPECT_EQ(instance.Error.MessageOf(18), "Reparsing has passed the specified limit");
  EXPECT_EQ(instance.Error.MessageOf(20), "Division by 0");
  EXPECT_EQ(instance.Error.MessageOf(24), "Floating point underflow");
}

TEST_F(ErrorsTest, ReplacingAMessageWhileNoErrorIsPendingSetsTwelve) {
  instance.SetErrorMessage(ErrSyntax, "Bad syntax", false);
  EXPECT_EQ(instance.Error.Number, ErrMessageAlreadyDefined);
  EXPECT_EQ(instance.Error.MessageOf(ErrSyntax), "Bad syntax");

  instance.Error.Number = 0;
  instance.SetErrorMessage(ErrUserDefined, "mine", false);
  instance.SetErrorMessage(ErrUserDefined, "again", false);
  EXPECT_EQ(instance.Error.Number, 0) << "message 1 is replaced freely";

  instance.Error.Number = ErrSyntax;
  instance.SetErrorMessage(ErrTypeMismatch, "other", false);
  EXPECT_EQ(instance.Error.Number, ErrSyntax) << "a pending error stays";

  instance.Error.Number = 0;
  instance.SetErrorMessage(-5, "negative", false);
  EXPECT_EQ(instance.Error.Number, 0) << "a new number is no redefinition";
  EXPECT_EQ(instance.Error.Messages.count(~4ULL), 1u) << "keys are sign-extended";
}

TEST_F(ErrorsTest, UnknownNumberReadsAsEmptyAndGetsAnEntry) {
  EXPECT_EQ(instance.Error.MessageOf(99), "");
  EXPECT_EQ(instance.Error.Messages.count(99), 1u);
}

TEST_F(ErrorsTest, RaiseWithoutHandlersOnlySetsTheNumber) {
  EXPECT_EQ(instance.ErrorRaise(nullptr, ErrFileNotFound), 0);
  EXPECT_EQ(instance.Error.Number, ErrFileNotFound);
}

TEST_F(ErrorsTest, HandlersRunInOrderUntilOneResumes) {
  AddHandler(&HandlerLog::First);
  AddHandler(&HandlerLog::Second);
  EXPECT_EQ(instance.ErrorRaise(nullptr, ErrSyntax), 0);
  EXPECT_EQ(HandlerLog::calls, (std::vector<int>{1, 2}));

  HandlerLog::calls.clear();
  HandlerLog::resumeAt = 1;
  EXPECT_EQ(instance.ErrorRaise(nullptr, ErrSyntax), 1);
  EXPECT_EQ(HandlerLog::calls, (std::vector<int>{1})) << "the second runs only when the first did not resume";
  EXPECT_EQ(instance.Error.Number, ErrSyntax) << "a resumed raise keeps its number";
  EXPECT_EQ(instance.Error.Response, 0);
}

TEST_F(ErrorsTest, RaiseMessageReplacesMessageOneWithoutErrorTwelve) {
  EXPECT_EQ(instance.ErrorRaiseMessage(nullptr, "first"), 0);
  EXPECT_EQ(instance.ErrorRaiseMessage(nullptr, "second"), 0);
  EXPECT_EQ(instance.Error.Number, ErrUserDefined);
  EXPECT_EQ(instance.Error.MessageOf(ErrUserDefined), "second");
}

// A handler that raises errors itself calls no handler: with several raises
// per call, nesting would multiply the calls at every level. What it raised
// does not replace the error the next handler is told about.
int reentries = 0;
Quorb* reentrant = nullptr;
std::vector<int32_t> seenNumbers;
void QUORB_CALLBACK RaisingHandler(QuorbInstance*) {
  ++reentries;
  seenNumbers.push_back(reentrant->Error.Number);
  for (int i = 0; i < 4; ++i) reentrant->ErrorRaise(nullptr, ErrTypeMismatch);
}

TEST_F(ErrorsTest, HandlerRaisingErrorsCallsNoHandler) {
  reentries = 0;
  seenNumbers.clear();
  reentrant = &instance;
  AddHandler(&RaisingHandler);
  AddHandler(&RaisingHandler);
  instance.ErrorRaise(nullptr, ErrSyntax);
  EXPECT_EQ(reentries, 2);
  EXPECT_EQ(seenNumbers, (std::vector<int32_t>{ErrSyntax, ErrSyntax}));
  EXPECT_EQ(instance.Error.Number, ErrSyntax);
}

// A handler may remove itself (release its item) while the loop runs.
std::vector<QuorbItem*>* ownedHandlers = nullptr;
void QUORB_CALLBACK SelfRemovingHandler(QuorbInstance* instance) {
  QuorbItem* self = ownedHandlers->front();
  ownedHandlers->erase(ownedHandlers->begin());
  delete self;  // release takes it out of the instance's list
  HandlerLog::Record(3, instance);
}

TEST_F(ErrorsTest, HandlerReleasingItselfMidLoopIsSafe) {
  ownedHandlers = &handlers;
  AddHandler(&SelfRemovingHandler);
  AddHandler(&HandlerLog::Second);
  instance.ErrorRaise(nullptr, ErrSyntax);
  EXPECT_EQ(instance.Definitions.ErrorHandlers.size(), 1u);
  // The list shifted under the loop: by index, the loop goes on safely.
  EXPECT_EQ(HandlerLog::calls.front(), 3);
  instance.ErrorRaise(nullptr, ErrSyntax);
  EXPECT_EQ(HandlerLog::calls.back(), 2);
}

TEST_F(ErrorsTest, ReleasedHandlerLeavesTheList) {
  QuorbItem* item = Handler(instance, &HandlerLog::First);
  delete item;
  EXPECT_TRUE(instance.Definitions.ErrorHandlers.empty());
  instance.ErrorRaise(nullptr, ErrSyntax);
  EXPECT_TRUE(HandlerLog::calls.empty());
}

// Floating-point operations on volatile operands, so nothing is folded.
volatile double zero = 0.0;
volatile double one = 1.0;
volatile double huge = 1e308;
volatile double sink = 0.0;

TEST_F(ErrorsTest, DivisionByZeroBecomesErrorTwenty) {
  sink = one / zero;
  TestException(&instance);
  EXPECT_EQ(instance.Error.Number, ErrDivisionByZero);
  EXPECT_EQ(std::fetestexcept(FiveExceptionFlags), 0) << "an unignored flag clears all flags";
}

TEST_F(ErrorsTest, IgnoredFlagsRaiseNothingAndStayRaised) {
  instance.Evaluator.IgnoredExceptions |= FE_DIVBYZERO;
  sink = one / zero;
  TestException(&instance);
  EXPECT_EQ(instance.Error.Number, 0);
  EXPECT_NE(std::fetestexcept(FE_DIVBYZERO), 0);
}

TEST_F(ErrorsTest, LaterTestedFlagWins) {
  instance.Evaluator.IgnoredExceptions = 0;
  sink = huge * 10.0;  // overflow and inexact
  TestException(&instance);
  EXPECT_EQ(instance.Error.Number, ErrOverflow);

  instance.Error.Number = 0;
  sink = one / zero;
  sink = zero / zero;  // divide-by-zero and invalid
  TestException(&instance);
  EXPECT_EQ(instance.Error.Number, ErrInvalidOperation);

  instance.Error.Number = 0;
  sink = one / 3.0;
  TestException(&instance);
  EXPECT_EQ(instance.Error.Number, ErrInexact);
}

TEST_F(ErrorsTest, ResumingHandlerClearsAFloatingPointError) {
  HandlerLog::resumeAt = 1;
  AddHandler(&HandlerLog::First);
  sink = one / zero;
  TestException(&instance);
  EXPECT_EQ(instance.Error.Number, 0);
  EXPECT_EQ(instance.Error.Response, 0);
}

TEST_F(ErrorsTest, NoLocationGivesEmptySymbolAndExpression) {
  EXPECT_EQ(instance.Error.Symbol(), "");
  EXPECT_EQ(instance.Error.Expression(), "");
  EXPECT_EQ(instance.Error.Location(), 0u);
}

}  // namespace
}  // namespace QuorbNameSpace
