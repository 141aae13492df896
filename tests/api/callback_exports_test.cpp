// Callbacks through the exports: widths that differ from the declared types, a pointer result's ownership, the
// unevaluated argument, and the error location a handler may rewrite.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "quorb.h"

namespace {

class Callbacks : public ::testing::Test {
 protected:
  Callbacks() : q(CreateQuorb(nullptr)) {}
  ~Callbacks() override { ReleaseQuorb(q); }
  QuorbInstance* q;
};

// Widths read from and written to storage of the declared types: a String
// read as a number gives 0 (error 7), an Int result written as a double
// converts, a text written to a number writes nothing.
void QUORB_CALLBACK MixedWidths(QuorbPart* part) {
  const double fromText = Arg(part, 1);  // a String argument
  const int64_t fromByte = ArgInt64(part, 2);
  ReturnStr(part, "ignored");  // the result is an Int
  Return(part, fromText + static_cast<double>(fromByte) + 0.75);
}

TEST_F(Callbacks, WidthsFollowTheDeclaredTypes) {
  ASSERT_NE(DefineFunction(q, "Mixed(s As String, b As Int8u) As Int", MixedWidths), nullptr);
  EXPECT_EQ(Eval(q, "Mixed(\"12\", 200)"), 200.0) << "0 for the text, 200, then truncated to Int";
  EXPECT_EQ(ErrorNumber(q), 7);
}

double hostResult = 4.0;
int pointerCalls = 0;
// Points the result at host memory on odd calls and writes a value on even
// ones: the written value must go to the library's storage again.
void QUORB_CALLBACK SometimesPointer(QuorbPart* part) {
  if (++pointerCalls % 2 == 1) ReturnPtr(part, &hostResult);
  else Return(part, 9.0);
}

TEST_F(Callbacks, APointerResultNeverHandsHostMemoryToTheLibrary) {
  ASSERT_NE(DefineFunction(q, "Sometimes()", SometimesPointer), nullptr);
  QuorbExpression* e = Parse(q, "Sometimes()", "");
  EXPECT_EQ(Evaluate(e), 4.0);
  hostResult = 5.0;
  EXPECT_EQ(Evaluate(e), 9.0);
  EXPECT_EQ(hostResult, 5.0) << "Return after ReturnPtr writes the library's storage, not the host's";
  EXPECT_EQ(Evaluate(e), 5.0) << "pointing again shows the host's latest value";
  void* own = EvaluateVoid(e);
  EXPECT_NE(own, static_cast<void*>(&hostResult));
  EXPECT_EQ(*static_cast<double*>(own), 9.0);
  EXPECT_EQ(EvaluateVoid(e), static_cast<void*>(&hostResult));
  ReleaseExpr(e);  // frees the set-aside storage; the sanitizers see a wrong free or a leak
  EXPECT_EQ(hostResult, 5.0);
}

// Runs its unevaluated argument twice.
void QUORB_CALLBACK RunTwice(QuorbPart* part) {
  QuorbExpression* body = ArgExpr(part, 1);
  Return(part, body == nullptr ? -1 : Evaluate(body) + Evaluate(body));
}

TEST_F(Callbacks, AnUnevaluatedArgumentRunsOnRequest) {
  double counter = 0;
  ASSERT_NE(DefineVariable(q, "counter", &counter), nullptr);
  ASSERT_NE(DefineFunction(q, "Twice(ByExpr e)", RunTwice), nullptr);
  EXPECT_EQ(Eval(q, "Twice(counter = counter + 1)"), 3.0);
  EXPECT_EQ(counter, 2.0);
}

std::string symbolSeen, expressionSeen;
const char* replacement = "";
void QUORB_CALLBACK Rewrites(QuorbInstance* instance) {
  ErrorSetExpression(instance, replacement);
  expressionSeen = ErrorExpression(instance);
  symbolSeen = ErrorSymbol(instance);
}

TEST_F(Callbacks, AHandlerRewritesTheErrorExpression) {
  EXPECT_STREQ(ErrorMessage(q, 0), "No error");
  ErrorSetExpression(q, "no location yet");
  EXPECT_STREQ(ErrorExpression(q), "");
  ASSERT_NE(AddErrorHandler(q, Rewrites, 0), nullptr);

  replacement = "1 + 2 @ 3 and more";
  EvalStr(q, "1 + 2 $ 3");
  EXPECT_EQ(expressionSeen, replacement);
  EXPECT_EQ(symbolSeen, "@") << "the same offset in the new text";

  // Shorter than the offset: nothing past its end is read.
  for (const char* shorter : {"1 +", "1 + 2 ", ""}) {
    replacement = shorter;
    EvalStr(q, "1 + 2 $ 3");
    EXPECT_EQ(expressionSeen, shorter);
    EXPECT_TRUE(symbolSeen.empty()) << shorter;
  }
  EXPECT_STREQ(EvalStr(q, "1 + 2"), "3") << "the instance parses normally afterwards";
}

// A failed parse keeps where it failed for the host to read afterwards, and
// a later rewrite of the text moves that copy, cut to the new text's end.
TEST_F(Callbacks, TheErrorLocationOutlivesTheParse) {
  ReleaseExpr(Parse(q, "1 + zork * 2", ""));
  EXPECT_EQ(ErrorNumber(q), 3);
  EXPECT_STREQ(ErrorExpression(q), "1 + zork * 2");
  EXPECT_STREQ(ErrorSymbol(q), "zork");
  EXPECT_EQ(ErrorLocation(q), 4u);
  ErrorSetExpression(q, "1 + ab");
  EXPECT_STREQ(ErrorExpression(q), "1 + ab");
  EXPECT_STREQ(ErrorSymbol(q), "ab");
}

void QUORB_CALLBACK Tenfold(QuorbPart* part) { Return(part, Arg(part, 1) * 10); }

// Regression: an expression parsed before an overwrite that swapped a host
// function for a body (or back) called a null host function, or ran a body
// that was gone. It fails with error 11 now; a new parse runs the new one.
TEST_F(Callbacks, AnOverwriteBetweenHostAndBodyNeverRunsTheOldDefinition) {
  ASSERT_NE(DefineFunction(q, "hf(k)", Tenfold), nullptr);
  QuorbExpression* host = Parse(q, "hf(2)", "");
  EXPECT_EQ(Evaluate(host), 20.0);
  ASSERT_NE(Define_Overload_Quorb(q, "Overwrite ~~ Function: hf(k) = k", nullptr, nullptr), nullptr);
  Evaluate(host);
  EXPECT_EQ(ErrorNumber(q), 11);
  EXPECT_EQ(Eval(q, "hf(2)"), 2.0);

  ASSERT_NE(Define_Overload_Quorb(q, "Function: bf(k) = k + 1", nullptr, nullptr), nullptr);
  QuorbExpression* body = Parse(q, "bf(2)", "");
  EXPECT_EQ(Evaluate(body), 3.0);
  ASSERT_NE(Define_Overload_Quorb(q, "Overwrite ~~ Function: bf(k)", reinterpret_cast<void*>(&Tenfold), nullptr),
            nullptr);
  Evaluate(body);
  EXPECT_EQ(ErrorNumber(q), 11);
  EXPECT_EQ(Eval(q, "bf(2)"), 20.0);
}

QuorbExpression* reentered = nullptr;
int reentries = 0;
// Evaluates the expression it is called from, once, with every export.
void QUORB_CALLBACK Reenters(QuorbPart* part) {
  const double value = Arg(part, 1);
  if (reentered != nullptr && reentries++ == 0) {
    EXPECT_NEAR(Evaluate(reentered), 26.6667, 1e-4);
    EXPECT_EQ(EvaluateInt32(reentered), 26);
    EXPECT_EQ(std::string(EvaluateStr(reentered)).substr(0, 5), "26.66");
    Execute(reentered);
    EXPECT_EQ(EvaluateVoid(reentered), nullptr) << "its storage would change under the host";
    EXPECT_EQ(ErrorNumber(GetQuorb_Overload_Callback(part)), 13);
  }
  Return(part, value);
}

// Regression: a callback that evaluated the running expression through an
// export overwrote the outer run's pending values (315.67, not 21.67).
TEST_F(Callbacks, ReenteringTheRunningExpressionKeepsTheOuterRun) {
  for (const char* declaration : {"va = 5", "vb = 3", "vc = 2"}) ASSERT_NE(DefineVariable(q, declaration, nullptr), nullptr);
  ASSERT_NE(DefineFunction(q, "cb(x)", Reenters), nullptr);
  reentered = Parse(q, "va * vb + cb(va) * vc + va / vb", "");
  reentries = 0;
  EXPECT_NEAR(Evaluate(reentered), 26.6667, 1e-4);
  EvalStr(q, "0");  // a parse clears the refusal's error number
  reentries = 0;
  EXPECT_NEAR(*static_cast<double*>(EvaluateVoid(reentered)), 26.6667, 1e-4);
  reentered = nullptr;
}

}  // namespace
