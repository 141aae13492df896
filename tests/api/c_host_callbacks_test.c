/* A plain C host with real callbacks: it reads arguments of each width,
 * writes results of each width (a String and a pointer result too), raises
 * errors from a callback, answers "resumed" from an error handler, and
 * drives the floating-point exports with the header's names only. */
#include <fenv.h>
#include <stdio.h>
#include <string.h>

#include "quorb.h"

static int failures = 0;

static void Expect(int condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "failed: %s\n", what);
    ++failures;
  }
}

/* ---- Callbacks ---------------------------------------------------------- */

static void QUORB_CALLBACK SumOfSquares(QuorbPart* part) {
  Return(part, Arg(part, 1) * Arg(part, 1) + Arg(part, 2) * Arg(part, 2));
}

static void QUORB_CALLBACK AddInts(QuorbPart* part) { ReturnInt32(part, ArgInt32(part, 1) + ArgInt32(part, 2)); }

static void QUORB_CALLBACK MultiplyWide(QuorbPart* part) { ReturnInt64(part, ArgInt64(part, 1) * ArgInt64(part, 2)); }

/* Reports how many arguments it got, the third, and whether numbers
 * outside 1..ArgCount read nothing. */
static void QUORB_CALLBACK CountArguments(QuorbPart* part) {
  int outside = ArgInt32(part, 0) != 0 || Arg(part, 4) != 0 || ArgInt64(part, -1) != 0 || ArgPtr(part, 9) != NULL ||
                ArgAddr(part, 0) != NULL || ArgObj(part, 4) != NULL || ArgExpr(part, 1) != NULL ||
                ArgStr(part, 4)[0] != '\0' || ArgStr(part, INT32_MIN)[0] != '\0';
  ReturnInt32(part, (int32_t)ArgCount(part) * 100 + (outside ? 1000 : 0) + (int32_t)Arg(part, 3));
}

static void QUORB_CALLBACK Greet(QuorbPart* part) {
  char text[64];
  snprintf(text, sizeof text, "Hello, %s", ArgStr(part, 1));
  ReturnStr(part, text);
}

/* Reads the double a Pointer argument points at. */
static void QUORB_CALLBACK ReadThrough(QuorbPart* part) {
  const double* at = (const double*)ArgPtr(part, 1);
  Return(part, at != NULL ? *at : -1);
}

static double shared = 1.5;
static void QUORB_CALLBACK SharedValue(QuorbPart* part) { ReturnPtr(part, &shared); }

/* Operator {x} <+> {y}: ten x plus y. */
static void QUORB_CALLBACK Concatenate(QuorbPart* part) { Return(part, Arg(part, 1) * 10 + Arg(part, 2)); }

static int32_t lastResume = -1;
static void QUORB_CALLBACK FailPlain(QuorbPart* part) {
  lastResume = ErrorRaise(part, 19);
  Return(part, 0);
}
static void QUORB_CALLBACK FailWithMessage(QuorbPart* part) {
  lastResume = ErrorRaiseMessage(part, "the host gave up");
  Return(part, 0);
}

/* Output format: the plain text in angle brackets. */
static void QUORB_CALLBACK Bracket(QuorbPart* part) {
  char text[64];
  snprintf(text, sizeof text, "<%s>", ArgStr(part, 1));
  ReturnStr(part, text);
}

/* ---- Error handler -------------------------------------------------------- */

static struct {
  int calls;
  int32_t number;
  char message[64];
  char expression[64];
  char symbol[32];
  uint64_t location;
  int resume;
} seen;

static void Copy(char* to, size_t size, const char* from) {
  strncpy(to, from, size - 1);
  to[size - 1] = '\0';
}

static void QUORB_CALLBACK Handler(QuorbInstance* instance) {
  ++seen.calls;
  seen.number = ErrorNumber(instance);
  Copy(seen.message, sizeof seen.message, ErrorMessage(instance, 0));
  Copy(seen.expression, sizeof seen.expression, ErrorExpression(instance));
  Copy(seen.symbol, sizeof seen.symbol, ErrorSymbol(instance));
  seen.location = ErrorLocation(instance);
  if (seen.resume) ErrorResponse(instance, 1);
}

/* ---- Checks --------------------------------------------------------------- */

static void CallbacksOfEachWidth(QuorbInstance* q) {
  QuorbExpression* shared_read;
  void* where = &shared;
  Expect(DefineFunction(q, "SumSq(x, y)", SumOfSquares) != NULL, "a Double function is defined");
  Expect(DefineFunction(q, "AddI(a As Int, b As Int) As Int", AddInts) != NULL, "an Int function is defined");
  Expect(DefineFunction(q, "Mul64(a As Int64, b As Int64) As Int64", MultiplyWide) != NULL, "an Int64 function");
  Expect(DefineFunction(q, "Count3(a, b, c) As Int", CountArguments) != NULL, "a three-argument function");
  Expect(DefineFunction(q, "Greet(s As String) As String", Greet) != NULL, "a String function is defined");
  Expect(DefineFunction(q, "Shared()", SharedValue) != NULL, "a pointer-result function is defined");
  Expect(DefineOperator(q, "{x} <+> {y}", 50, 0, Concatenate) != NULL, "an operator is defined");
  Expect(DefineFunction(q, "ReadThrough(p As Pointer)", ReadThrough) != NULL, "a Pointer-argument function");
  Expect(DefineVariable(q, "where As Pointer", &where) != NULL, "a Pointer variable over host memory");

  Expect(Eval(q, "SumSq(3, 4)") == 25.0, "argument 1 is the first, 2 the second");
  Expect(Eval(q, "AddI(40, 2)") == 42.0, "Int arguments and result");
  Expect(strcmp(EvalStr(q, "Mul64(3000000000, 3)"), "9000000000") == 0, "Int64 arguments and result");
  Expect(Eval(q, "Count3(1, 2, 7)") == 307.0, "ArgCount is 3; numbers outside 1 to 3 read nothing");
  Expect(strcmp(EvalStr(q, "Greet(\"world\")"), "Hello, world") == 0, "a String result");
  Expect(Eval(q, "1 <+> 2") == 12.0, "an operator's callback reads both operands");
  Expect(Eval(q, "ReadThrough(where)") == 1.5, "a Pointer argument reads as the address it holds");

  shared_read = Parse(q, "Shared() * 2", "");
  Expect(Evaluate(shared_read) == 3.0, "a pointer result reads the host's memory");
  shared = 10.0;
  Expect(Evaluate(shared_read) == 20.0, "later writes there show through");
  ReleaseExpr(shared_read);
  Expect(shared == 10.0, "releasing the expression leaves host memory alone");
}

static void ErrorsRaisedFromCallbacks(QuorbInstance* q) {
  Expect(AddErrorHandler(q, Handler, 0) != NULL, "a handler is registered");
  Expect(DefineFunction(q, "FailPlain()", FailPlain) != NULL, "a failing function is defined");
  Expect(DefineFunction(q, "FailSaying()", FailWithMessage) != NULL, "a failing function with a message");

  seen.resume = 1;
  Eval(q, "FailPlain()");
  Expect(seen.calls == 1 && seen.number == 19, "the handler sees the number raised");
  Expect(strcmp(seen.message, "Array or list bound exceeded") == 0, "and its message");
  Expect(lastResume == 1, "a handler answering resumed makes ErrorRaise give 1");

  Eval(q, "FailSaying()");
  Expect(seen.calls == 2 && seen.number == 1, "a message raises error 1");
  Expect(strcmp(seen.message, "the host gave up") == 0, "the handler sees the message");
  Expect(lastResume == 1, "ErrorRaiseMessage gives 1 when resumed");

  seen.resume = 0;
  Eval(q, "FailPlain()");
  Expect(lastResume == 0, "without a resume ErrorRaise gives 0");

  seen.calls = 0;
  Eval(q, "1 + 2 $ 3");
  Expect(seen.calls == 1, "a parse error calls the handler");
  Expect(strcmp(seen.expression, "1 + 2 $ 3") == 0, "the handler sees the expression");
  Expect(strcmp(seen.symbol, "$") == 0, "and the symbol where it failed");
  Expect(seen.location == 6, "and the symbol's offset");
  Expect(seen.number != 0 && strcmp(seen.message, ErrorMessage(q, seen.number)) == 0, "and its number's message");
}

static void OutputFormats(QuorbInstance* q) {
  Expect(SetOutput_Overload_Quorb__Callback(q, Bracket, "") != NULL, "a callback output format is set");
  Expect(strcmp(EvalStr(q, "1+1"), "<2>") == 0, "results print through the callback");
  ResetOutput(q);
  Expect(strcmp(EvalStr(q, "1+1"), "2") == 0, "ResetOutput prints plainly again");
}

static void FloatingPoint(QuorbInstance* q) {
  const int32_t five =
      QUORB_FE_INVALID | QUORB_FE_DIVBYZERO | QUORB_FE_OVERFLOW | QUORB_FE_UNDERFLOW | QUORB_FE_INEXACT;
  int32_t mask;
  Expect(QUORB_FE_INVALID == FE_INVALID && QUORB_FE_DIVBYZERO == FE_DIVBYZERO && QUORB_FE_OVERFLOW == FE_OVERFLOW &&
             QUORB_FE_UNDERFLOW == FE_UNDERFLOW && QUORB_FE_INEXACT == FE_INEXACT,
         "the header's flags are the C runtime's");
  Expect(QUORB_FE_TONEAREST == FE_TONEAREST && QUORB_FE_UPWARD == FE_UPWARD && QUORB_FE_DOWNWARD == FE_DOWNWARD &&
             QUORB_FE_TOWARDZERO == FE_TOWARDZERO,
         "the header's rounding modes are the C runtime's");

  Expect(FPEnvRaiseException(q, five) == 0, "raising the five flags succeeds");
  Expect(fetestexcept(five) == five, "all five are raised");
  Expect(FPEnvClearException(q, QUORB_FE_INEXACT) == 0 && fetestexcept(five) == (five & ~QUORB_FE_INEXACT),
         "clearing one flag leaves the others");
  Expect(FPEnvClearException(q, 0) == 0 && fetestexcept(five) == 0, "flags 0 clears all five");

  Expect(FPEnvSetRounding(q, QUORB_FE_UPWARD) == 0, "the rounding mode is set");
  Expect(FPEnvGetRounding(q) == QUORB_FE_UPWARD && fegetround() == FE_UPWARD, "and read back");
  FPEnvSetRounding(q, QUORB_FE_TONEAREST);

  mask = FPEnvGetExceptionMask(q);
  Expect(mask == (QUORB_FE_INEXACT | QUORB_FE_UNDERFLOW), "a new instance ignores inexact and underflow");
  FPEnvToggleExceptionMask(q, QUORB_FE_DIVBYZERO | QUORB_FE_INEXACT);
  Expect(FPEnvGetExceptionMask(q) == (QUORB_FE_DIVBYZERO | QUORB_FE_UNDERFLOW), "toggling inverts the flags");
  FPEnvToggleExceptionMask(q, QUORB_FE_DIVBYZERO | QUORB_FE_INEXACT);
  Expect(FPEnvGetExceptionMask(q) == mask, "toggling twice restores the mask");
  FPEnvSetExceptionMask(q, QUORB_FE_DIVBYZERO);
  Expect(strcmp(EvalStr(q, "1/0"), "inf") == 0, "an ignored division by zero is no error");
  FPEnvSetExceptionUnMask(q, QUORB_FE_DIVBYZERO);
  Expect(FPEnvGetExceptionMask(q) == 0 && strcmp(EvalStr(q, "1/0"), "Division by 0") == 0,
         "unmasked, it is an error again");
  FPEnvSetExceptionMask(q, mask);
}

int main(void) {
  QuorbInstance* q = CreateQuorb(NULL);
  Expect(q != NULL, "an instance is made");
  CallbacksOfEachWidth(q);
  OutputFormats(q);
  FloatingPoint(q);
  ErrorsRaisedFromCallbacks(q);
  ReleaseQuorb(q);
  printf("%d failed\n", failures);
  return failures == 0 ? 0 : 1;
}
