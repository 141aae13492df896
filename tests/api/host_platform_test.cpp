// What a host may rely on whatever the build: its floating-point control
// word and flags, host values as wide as the build makes them, callbacks and
// handlers called in the convention the header declares, and no error
// handler called for arithmetic that raised none of the five flags. Each
// group holds on every build and fails on the one where its fault showed
// (the Windows DLLs, the 32-bit builds).
#include <gtest/gtest.h>

#include <cfenv>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

#include "quorb.h"

namespace {

// The control state a library call must leave as it found it: the SSE
// control register without its six flag bits, the x87 control word and
// the rounding mode.
struct ControlWords {
  unsigned sse = 0;
  unsigned x87 = 0;
  int rounding = 0;
  bool operator==(const ControlWords& other) const {
    return sse == other.sse && x87 == other.x87 && rounding == other.rounding;
  }
};

ControlWords ReadControlWords() {
  ControlWords words;
#if defined(__x86_64__) || defined(__i386__)
  words.sse = _mm_getcsr() & ~0x3Fu;
  unsigned short x87 = 0;
  __asm__ volatile("fnstcw %0" : "=m"(x87));
  words.x87 = x87;
#endif
  words.rounding = std::fegetround();
  return words;
}

class HostPlatform : public ::testing::Test {
 protected:
  HostPlatform() : q(CreateQuorb(nullptr)) {}
  ~HostPlatform() override {
    ReleaseQuorb(q);
    std::feclearexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW | FE_UNDERFLOW | FE_INEXACT);
  }
  QuorbInstance* q;
};

// Every export that clears, tests, saves or restores exception flags, run
// with flags already raised by the host (the restore then has work to do).
TEST_F(HostPlatform, ControlWordIsUnchangedByEveryExportThatTouchesFlags) {
  double x = 1.0;
  ASSERT_NE(DefineVariable(q, "x", &x), nullptr);
  const std::vector<std::pair<const char*, std::function<void()>>> exports = {
      {"Eval", [&] { (void)Eval(q, "x/3 + 1e308*10"); }},
      {"EvalStr", [&] { (void)EvalStr(q, "x/0"); }},
      {"Parse", [&] { ReleaseExpr(Parse(q, "x/3", "")); }},
      {"Evaluate", [&] { QuorbExpression* e = Parse(q, "x/3", ""); (void)Evaluate(e); ReleaseExpr(e); }},
      {"EvaluateNTE", [&] { QuorbExpression* e = Parse(q, "x/3", ""); (void)EvaluateNTE(e); ReleaseExpr(e); }},
      {"EvaluateInt32", [&] { QuorbExpression* e = Parse(q, "x/3", ""); (void)EvaluateInt32(e); ReleaseExpr(e); }},
      {"EvaluateStr", [&] { QuorbExpression* e = Parse(q, "0/0", ""); (void)EvaluateStr(e); ReleaseExpr(e); }},
      {"Execute", [&] { QuorbExpression* e = Parse(q, "x/3", ""); Execute(e); ReleaseExpr(e); }},
      {"DefineFunction", [&] { (void)DefineFunction(q, "third(y) = y/3", nullptr); }},
      {"Define_Overload_Quorb", [&] { (void)Define_Overload_Quorb(q, "Variable: y = 1/3", nullptr, nullptr); }},
  };
  for (int raisedBefore : {0, FE_INEXACT, FE_OVERFLOW | FE_INEXACT, FE_INVALID | FE_DIVBYZERO | FE_UNDERFLOW}) {
    for (const auto& [name, call] : exports) {
      std::feclearexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW | FE_UNDERFLOW | FE_INEXACT);
      if (raisedBefore != 0) std::feraiseexcept(raisedBefore);
      const ControlWords before = ReadControlWords();
      call();
      EXPECT_TRUE(ReadControlWords() == before) << name << " with flags " << raisedBefore << " raised before";
    }
  }
  // An inexact operation after all of them must not trap.
  volatile double third = x / 3;
  EXPECT_NE(third, 0.0);
}

TEST_F(HostPlatform, EvalLeavesTheCallersFlagsAsTheyWere) {
  const int five = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW | FE_UNDERFLOW | FE_INEXACT;
  for (int raisedBefore : {0, FE_OVERFLOW, FE_INVALID | FE_UNDERFLOW}) {
    std::feclearexcept(five);
    if (raisedBefore != 0) std::feraiseexcept(raisedBefore);
    EXPECT_STREQ(EvalStr(q, "1/3"), "0.333333");
    EXPECT_EQ(Eval(q, "1/0 + 1e308*10"), Eval(q, "1/0 + 1e308*10"));
    EXPECT_EQ(std::fetestexcept(five), raisedBefore) << "flags raised before: " << raisedBefore;
  }
}

// Host values of the address-wide types, each between two guard cells: a
// conversion must write and read exactly the type's width on the build.
TEST_F(HostPlatform, AddressWideValuesKeepTheirWidth) {
  const uintptr_t guard = static_cast<uintptr_t>(0x5A5A5A5A5A5A5A5Au);
  uintptr_t target[3] = {guard, 0, guard};
  uintptr_t other = 0;
  struct Case {
    const char* declaration;
    const char* assignment;
    uintptr_t stored;
    std::string printed;  // Size_t prints signed at its own width
  };
  const uintptr_t all = std::numeric_limits<uintptr_t>::max();
  const std::vector<Case> cases = {
      {"v As Size_t", "v = 4000000000", 4000000000u, std::to_string(static_cast<intptr_t>(4000000000u))},
      {"v As Size_t", "v = -1", all, "-1"},
      {"v As Size_t", "v = Size_t(4294967295)", 4294967295u, std::to_string(static_cast<intptr_t>(4294967295u))},
      {"v As Pointer", "v = AddressOf(other)", reinterpret_cast<uintptr_t>(&other),
       std::to_string(reinterpret_cast<uintptr_t>(&other))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.declaration) + ": " + c.assignment);
    QuorbInstance* fresh = CreateQuorb(nullptr);
    ASSERT_NE(DefineVariable(fresh, "other As Size_t", &other), nullptr);
    target[1] = 0;
    ASSERT_NE(DefineVariable(fresh, c.declaration, &target[1]), nullptr);
    EXPECT_EQ(EvalStr(fresh, c.assignment), c.printed);
    EXPECT_EQ(target[1], c.stored);
    EXPECT_EQ(EvalStr(fresh, "v"), c.printed);
    EXPECT_EQ(target[0], guard) << "written below the value";
    EXPECT_EQ(target[2], guard) << "written past the value";
    ReleaseQuorb(fresh);
  }
  // Read back as a number: 0xFFFFFFFF is 4294967295, not the eight bytes
  // that a 4-byte value and its neighbour make.
  target[1] = 0xFFFFFFFFu;
  ASSERT_NE(DefineVariable(q, "w As Size_t", &target[1]), nullptr);
  EXPECT_EQ(Eval(q, "w"), 4294967295.0);
}

// Host callbacks and handlers are declared with QUORB_CALLBACK (standard
// call on Windows x86): called in another convention, the stack drifts by
// a word per call and the host crashes within a few hundred calls.
int callbackCalls = 0;
QuorbPart* lastPart = nullptr;
void QUORB_CALLBACK CountCall(QuorbPart* part) {
  ++callbackCalls;
  lastPart = part;
}

int handlerCalls = 0;
QuorbInstance* handlerInstance = nullptr;
void QUORB_CALLBACK CountError(QuorbInstance* instance) {
  ++handlerCalls;
  handlerInstance = instance;
}

TEST_F(HostPlatform, HostCallbacksRunInTheirDeclaredConvention) {
  const std::vector<std::pair<const char*, std::function<QuorbItem*()>>> registrations = {
      {"DefineFunction", [&] { return DefineFunction(q, "tick()", &CountCall); }},
      {"DefineOperator", [&] { return DefineOperator(q, "{a} ## {b}", 40, 0, &CountCall); }},
      {"Define_Overload_Quorb",
       [&] { return Define_Overload_Quorb(q, "Function: tock(a)", reinterpret_cast<void*>(&CountCall), nullptr); }},
  };
  const char* expressions[] = {"tick()", "1 ## 2", "tock(3)"};
  for (size_t i = 0; i < registrations.size(); ++i) {
    SCOPED_TRACE(registrations[i].first);
    ASSERT_NE(registrations[i].second(), nullptr);
    QuorbExpression* e = Parse(q, expressions[i], "");
    callbackCalls = 0;
    for (int n = 0; n < 1000; ++n) Execute(e);
    EXPECT_EQ(callbackCalls, 1000);
    EXPECT_NE(lastPart, nullptr);
    ReleaseExpr(e);
  }
}

TEST_F(HostPlatform, ErrorHandlersRunInTheirDeclaredConvention) {
  handlerCalls = 0;
  ASSERT_NE(AddErrorHandler(q, &CountError, 0), nullptr);
  QuorbExpression* e = Parse(q, "1/0", "");
  for (int n = 0; n < 1000; ++n) (void)Evaluate(e);
  ReleaseExpr(e);
  EXPECT_EQ(handlerCalls, 1000);
  EXPECT_EQ(handlerInstance, q);
}

// Exact arithmetic on denormal numbers raises none of the five flags, only
// (on x86) the denormal-operand flag, which no error number reports: no
// handler may be called for it and no error is set.
TEST_F(HostPlatform, DenormalOperandsCallNoHandler) {
  handlerCalls = 0;
  double tiny = std::numeric_limits<double>::denorm_min() * 1024;
  ASSERT_NE(DefineVariable(q, "tiny", &tiny), nullptr);
  ASSERT_NE(AddErrorHandler(q, &CountError, 0), nullptr);
  for (const char* exact : {"tiny * 1", "tiny + tiny", "tiny - tiny", "-tiny", "tiny * 2"}) {
    SCOPED_TRACE(exact);
    QuorbExpression* e = Parse(q, exact, "");
    (void)Evaluate(e);
    EXPECT_EQ(EvaluateInt32(e), 0);
    EXPECT_STRNE(EvaluateStr(e), "Invalid operation");
    ReleaseExpr(e);
  }
  EXPECT_EQ(handlerCalls, 0);
}

// Domain errors of the real math built-ins are error 22 on every build,
// also where the C library's function raises no invalid flag for them.
TEST_F(HostPlatform, DomainErrorsAreInvalidOperationsEverywhere) {
  for (const char* text : {"Sqr(-1)", "Sqrt(-4)", "Log(-1)", "Log10(-2)", "Acos(2)", "Asin(-3)", "Pow(-8, 1/3)"}) {
    EXPECT_STREQ(EvalStr(q, text), "Invalid operation") << text;
  }
  EXPECT_STREQ(EvalStr(q, "Sqr(4)"), "2") << "the check adds nothing to a valid argument";
}

}  // namespace
