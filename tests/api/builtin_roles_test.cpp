// The engine treats a built-in by the roles of its definition row: a host's
// function never takes them, not with a built-in's very signature, nor as
// the new definition of a built-in's name; a built-in's own address handed
// back by the host keeps them.
#include <gtest/gtest.h>

#include <cstdint>

#include "quorb.h"

namespace {

int calls = 0;
int64_t arguments = 0;

// Counts its runs and the arguments of the last, and yields x - y.
void QUORB_CALLBACK Counted(QuorbPart* part) {
  ++calls;
  arguments = ArgCount(part);
  Return(part, Arg(part, 1) - (arguments > 1 ? Arg(part, 2) : 0));
}

class BuiltinRoles : public ::testing::Test {
 protected:
  BuiltinRoles() : q(CreateQuorb(nullptr)) {
    calls = 0;
    arguments = 0;
    DefineVariable(q, "a", &a);
    DefineVariable(q, "b", &b);
    DefineVariable(q, "c", &c);
  }
  ~BuiltinRoles() override { ReleaseQuorb(q); }

  // Parses and evaluates `text` `runs` times; the last value, or NaN with
  // the parse's error number in `error`.
  double Run(const char* text, int runs, int32_t& error) {
    QuorbExpression* expr = Parse(q, text, "");
    error = ErrorNumber(q);
    double value = 0;
    for (int k = 0; k < runs && error == 0; ++k) value = Evaluate(expr);
    ReleaseExpr(expr);
    return value;
  }

  QuorbInstance* q;
  double a = 7, b = 2, c = 3;
};

// Each host function has the signature of a built-in the engine treats
// apart (an assignment, a dereference with its hidden type argument, an
// exchange by handle with its type number, an in-place edit of its first
// argument): it is called as written, with its own arguments, and takes
// constants wherever the built-in would refuse them.
TEST_F(BuiltinRoles, AHostFunctionWithABuiltinsSignatureIsNoBuiltin) {
  const struct {
    const char* signature;
    const char* call;
  } cases[] = {
      {"HostSet(Variable As AnyType, Value As AnyType) As AnyType", "HostSet(1, 2)"},
      {"HostAt(Address As AnyType Ptr, Index As Int = 0) As Double", "HostAt(AddressOf(a), 1)"},
      {"HostSwap(ByHandle x As AnyType, ByHandle y As AnyType) As Void", "HostSwap(1, 2)"},
      {"HostAppend(x As String, y As String)", "HostAppend(\"one\", \"two\")"},
  };
  for (const auto& entry : cases) {
    SCOPED_TRACE(entry.call);
    ASSERT_NE(DefineFunction(q, entry.signature, Counted), nullptr);
    calls = 0;
    int32_t error = -1;
    Run(entry.call, 2, error);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(arguments, 2) << "no hidden argument is added";
  }
  EXPECT_EQ(a, 7.0);
}

// A host function overwriting a built-in operator or math function is run
// at every evaluation: not computed while parsing as the built-in was, nor
// taken into a fused run of Double steps.
TEST_F(BuiltinRoles, AHostFunctionOverwritingABuiltinLosesItsRoles) {
  ASSERT_NE(Define_Overload_Quorb(q, "Overwrite ~~ Operator: 50 {x} + {y}", reinterpret_cast<void*>(&Counted), nullptr),
            nullptr);
  ASSERT_NE(Define_Overload_Quorb(q, "Overwrite ~~ Function: Sqrt(x)", reinterpret_cast<void*>(&Counted), nullptr),
            nullptr);
  const struct {
    const char* text;
    double value;
    int callsPerRun;
  } cases[] = {
      {"1.5 + 0.5", 1.0, 1},          // constants: folded as the built-in
      {"Sqrt(16)", 16.0, 1},
      {"a + b", 5.0, 1},              // a single step: a run of its own
      {"a + b * c - 1", 0.0, 1},      // a run of Double steps
      {"Sqrt(a) * b + Sqrt(c)", 11.0, 3},
  };
  for (const auto& entry : cases) {
    SCOPED_TRACE(entry.text);
    calls = 0;
    int32_t error = -1;
    EXPECT_EQ(Run(entry.text, 3, error), entry.value);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(calls, 3 * entry.callsPerRun);
  }
}

// A built-in's address read with FunctionAddress and defined again by the
// host binds as that built-in, roles included: the new name assigns, and
// refuses a constant target, as SetVar does.
TEST_F(BuiltinRoles, ABuiltinsAddressHandedBackKeepsItsRoles) {
  void* setVar = FunctionAddress(HandleOf(q, "SetVar", 0, 0));
  ASSERT_NE(setVar, nullptr);
  const auto asCallback = reinterpret_cast<QuorbCallback>(reinterpret_cast<uintptr_t>(setVar));
  ASSERT_NE(DefineFunction(q, "Assign(Variable As AnyType, Value As AnyType) As AnyType", asCallback), nullptr);
  int32_t error = -1;
  Run("Assign(a, 5)", 1, error);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(a, 5.0);
  Run("Assign(1, 5)", 1, error);
  EXPECT_EQ(error, 17) << "a constant is no assignment target";
}

}  // namespace
