// Allocation failure through the public exports: the N-th allocation of a
// call throws, for every N of CreateQuorb and a spread of N in definitions,
// parses, evaluations and expansions. Each failed call must give its neutral
// result, error 18 on an instance that lives on, and leave that instance
// working; the sanitizer build's leak check proves nothing was lost.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "failing_allocator.h"
#include "quorb.h"

namespace {

constexpr int32_t OutOfMemory = 18;
constexpr long EveryPoint = LONG_MAX;
constexpr int32_t NotFoundBit = 56;

// Runs `call` once with nothing failing, to count its allocations, then
// again with one allocation failing (with `exhausted`, that one and every
// later one), at `points` places spread over that count (every place when
// it makes fewer). `settle(failed)` checks the
// outcome of each run and undoes a successful one; a call may succeed in
// spite of a failed allocation where the library could do without it (an
// unfused run), but then its result must be whole. Returns the runs in
// which an allocation failed.
int Sweep(long points, const std::function<void()>& call, const std::function<void(bool)>& settle,
          bool exhausted = false) {
  FailingAllocator::Disarm();
  call();
  const long total = FailingAllocator::Count();
  settle(false);
  const long stride = points >= total ? 1 : total / points;
  int failures = 0;
  for (long n = 1; n <= total + 1; n += stride) {
    FailingAllocator::FailAt(n, exhausted);
    call();
    const bool failed = FailingAllocator::Failed();
    FailingAllocator::Disarm();
    settle(failed);
    failures += failed ? 1 : 0;
    if (::testing::Test::HasFatalFailure()) break;
  }
  return failures;
}

bool Defined(QuorbInstance* q, const char* name) { return IsProperty(HandleOf(q, name, 0, 0), NotFoundBit) == 0; }

class AllocationFailure : public ::testing::Test {
 protected:
  AllocationFailure() : q(CreateQuorb(nullptr)) {}
  ~AllocationFailure() override { ReleaseQuorb(q); }
  // The instance still parses, defines and evaluates.
  void ExpectUsable() {
    EXPECT_EQ(Eval(q, "1 + 2 * 3"), 7.0);
    QuorbItem* item = DefineFunction(q, "Probe(x) = x + 1", nullptr);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(Eval(q, "Probe(4)"), 5.0);
    ReleaseItem(item);
  }
  QuorbInstance* q;
};

// The first instance of a process is read from the texts, the second makes
// the prototype: the sweeps are of the copies every later instance is.
void MakeThePrototype() {
  ReleaseQuorb(CreateQuorb(nullptr));
  ReleaseQuorb(CreateQuorb(nullptr));
}

TEST(AllocationFailureOfCreation, EveryPointGivesNoInstance) {
  MakeThePrototype();
  QuorbInstance* made = nullptr;
  const int failures = Sweep(
      EveryPoint, [&] { made = CreateQuorb(nullptr); },
      [&](bool failed) {
        if (made != nullptr) EXPECT_EQ(Eval(made, "Sqrt(16) + 1"), 5.0);
        else EXPECT_TRUE(failed);
        ReleaseQuorb(made);
      });
  EXPECT_GT(failures, 20);
}

// Memory that stays exhausted from some point on: the clean-up of a failed
// copy must need none.
TEST(AllocationFailureOfCreation, ExhaustedMemoryGivesNoInstance) {
  MakeThePrototype();
  QuorbInstance* made = nullptr;
  const int failures = Sweep(
      60, [&] { made = CreateQuorb(nullptr); },
      [&](bool failed) {
        if (made != nullptr) EXPECT_EQ(Eval(made, "Sqrt(16) + 1"), 5.0);
        else EXPECT_TRUE(failed);
        ReleaseQuorb(made);
      },
      true);
  EXPECT_GT(failures, 20);
}

TEST(AllocationFailureOfCreation, TearDownSurvivesAnExhaustedAllocator) {
  QuorbInstance* q = CreateQuorb(nullptr);
  ASSERT_NE(DefineFunction(q, "Twice(x) = x * 2", nullptr), nullptr);
  ASSERT_NE(DefineVariable(q, "s As String = \"text\"", nullptr), nullptr);
  QuorbExpression* e = Parse(q, "Twice(3) + Length(s)", "");
  EXPECT_EQ(Evaluate(e), 10.0);
  ASSERT_NE(Define_Overload_Quorb(q, "DataType: Celsius : Type_Float_Double", nullptr, nullptr), nullptr);
  ASSERT_NE(Define_Overload_Quorb(q, "Name: geo ~~ Namespace: begin", nullptr, nullptr), nullptr);
  ASSERT_NE(Define_Overload_Quorb(q, "DataType: Kelvin : Type_Float_Double", nullptr, nullptr), nullptr);
  ASSERT_NE(DefineVariable(q, "k As Kelvin = 3", nullptr), nullptr);
  Define_Overload_Quorb(q, "Namespace: end", nullptr, nullptr);
  ASSERT_NE(DefineVariable(q, "grid[4] As String", nullptr), nullptr);
  ASSERT_NE(SetOutput_Overload_Quorb__NoCallback(q, "Double t = t"), nullptr);
  ASSERT_NE(AddErrorHandler(q, [](QuorbInstance*) {}, 0), nullptr);
  QuorbTransform* t = NewTransform(q);
  ASSERT_NE(FromTo(t, "cat", "dog"), nullptr);
  ASSERT_NE(FromTo(t, "cat {x}", "dog {x}"), nullptr);
  ASSERT_NE(NewPass(t, 1), nullptr);
  ASSERT_NE(NewPass(t, 0), nullptr);
  EXPECT_STRNE(Expand(t, "a cat"), "");
  FailingAllocator::FailAt(1, true);
  ReleaseQuorb(q);  // every later allocation fails: nothing may be needed
  FailingAllocator::Disarm();
}

TEST_F(AllocationFailure, DefinitionsLeaveNothingBehind) {
  QuorbItem* item = nullptr;
  const int failures = Sweep(
      EveryPoint, [&] { item = Define_Overload_Quorb(q, "Function: Poly(x, n As Int) As Double = x * n + Sqrt(x)", nullptr, nullptr); },
      [&](bool failed) {
        if (item == nullptr) {
          EXPECT_TRUE(failed);
          EXPECT_EQ(ErrorNumber(q), OutOfMemory);
          EXPECT_FALSE(Defined(q, "Poly"));
        } else {
          EXPECT_EQ(Eval(q, "Poly(4, 3)"), 14.0);
          ReleaseItem(item);
        }
      });
  EXPECT_GT(failures, 40);
  ExpectUsable();
}

// Overwriting a plain function by a namespace makes the part that holds its
// table: a failure there must leave the function filed, alive and working.
TEST_F(AllocationFailure, OverwritingByANamespaceKeepsTheOldDefinition) {
  QuorbItem* shape = nullptr;
  auto define = [&] {
    shape = DefineFunction(q, "Shape(x) = x + 1", nullptr);
    ASSERT_NE(shape, nullptr);
  };
  define();
  QuorbItem* made = nullptr;
  const int failures = Sweep(
      EveryPoint, [&] { made = Define_Overload_Quorb(q, "Overwrite ~~ Name: Shape ~~ Namespace: begin", nullptr, nullptr); },
      [&](bool failed) {
        if (made == nullptr) {
          EXPECT_TRUE(failed);
          EXPECT_EQ(ErrorNumber(q), OutOfMemory);
          EXPECT_EQ(Eval(q, "Shape(2)"), 3.0);
        }
        ReleaseQuorb(q);
        q = CreateQuorb(nullptr);
        define();
      });
  EXPECT_GT(failures, 0);
  ExpectUsable();
}

// The exports that build a definition text of their own, at their first
// allocations and a few later ones.
TEST_F(AllocationFailure, EveryDefinitionExportRefusesCleanly) {
  struct Row {
    const char* name;
    std::function<QuorbItem*()> define;
  };
  static double cell = 2;
  const std::vector<Row> rows = {
      {"DefineFunction", [&] { return DefineFunction(q, "Fa(x) = x + 1", nullptr); }},
      {"DefineOperator", [&] { return DefineOperator(q, "{a} <+> {b} = a + b", 50, 1, nullptr); }},
      {"DefineVariable", [&] { return DefineVariable(q, "Va As Double", &cell); }},
      {"DefineConstant", [&] { return DefineConstant(q, "Ca As Double = 3", nullptr); }},
      {"SetOutput", [&] { return SetOutput_Overload_Quorb__NoCallback(q, "Text = Text + \"!\""); }},
      {"AddErrorHandler", [&] { return AddErrorHandler(q, nullptr, 0); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    QuorbItem* item = nullptr;
    Sweep(
        EveryPoint, [&] { item = row.define(); },
        [&](bool failed) {
          if (item == nullptr) {
            EXPECT_TRUE(failed);
            EXPECT_EQ(ErrorNumber(q), OutOfMemory);
          }
          if (item != nullptr) ReleaseItem(item);
        });
  }
  FailingAllocator::FailAt(1);
  ResetOutput(q);
  FailingAllocator::Disarm();
  ExpectUsable();
}

TEST_F(AllocationFailure, DefinitionsAndParsesSurviveExhaustedMemory) {
  QuorbItem* item = nullptr;
  Sweep(
      EveryPoint, [&] { item = DefineFunction(q, "Halve(x As Double) = IIf(x > 0, x / 2, 0)", nullptr); },
      [&](bool) {
        if (item == nullptr) EXPECT_EQ(ErrorNumber(q), OutOfMemory);
        else ReleaseItem(item);
      },
      true);
  QuorbExpression* e = nullptr;
  Sweep(
      EveryPoint, [&] { e = Parse(q, "IIf(Abs(-2) > 1, \"a\" + \"b\", \"c\")", ""); },
      [&](bool) {
        if (e == nullptr || ErrorNumber(q) != 0) EXPECT_EQ(ErrorNumber(q), OutOfMemory);
        else EXPECT_STREQ(EvaluateStr(e), "ab");
        ReleaseExpr(e);
      },
      true);
  ExpectUsable();
}

TEST_F(AllocationFailure, ParsesFailWithTheirExpression) {
  ASSERT_NE(DefineFunction(q, "Cube(x) = x * x * x", nullptr), nullptr);
  QuorbExpression* e = nullptr;
  const int failures = Sweep(
      EveryPoint, [&] { e = Parse(q, "Cube(2) + Sin(0) * 4 - Abs(-1) + IIf(1 > 0, 10, 20)", ""); },
      [&](bool failed) {
        // Null only when not even the expression could be made.
        if (e == nullptr || ErrorNumber(q) != 0) {
          EXPECT_TRUE(failed);
          EXPECT_EQ(ErrorNumber(q), OutOfMemory);
        } else {
          EXPECT_EQ(Evaluate(e), 17.0);
        }
        ReleaseExpr(e);
      });
  EXPECT_GT(failures, 40);
  ExpectUsable();
}

// A failed evaluation leaves the expression itself sound: run again, it
// gives its result. The body evaluates a text, which allocates at every
// run.
TEST_F(AllocationFailure, EvaluationsOfBodiesStaySound) {
  ASSERT_NE(Define_Overload_Quorb(q, "Function: Framed(s As String, n) As String = \"[\" + s * n + EvalStr(\"1 + 2\") + \"]\"",
                                  nullptr, nullptr),
            nullptr);
  QuorbExpression* e = Parse(q, "Framed(\"ab\", 3) + Framed(\"c\", 2)", "");
  ASSERT_EQ(ErrorNumber(q), 0);
  std::string text;
  const int failures = Sweep(
      EveryPoint, [&] { text = EvaluateStr(e); },
      [&](bool failed) {
        if (ErrorNumber(q) != 0) {
          EXPECT_TRUE(failed);
          EXPECT_EQ(ErrorNumber(q), OutOfMemory);
        } else {
          EXPECT_EQ(text, "[ababab3][cc3]");
        }
        ReleaseExpr(Parse(q, "0", ""));  // a parse clears the error an evaluation left
        EXPECT_STREQ(EvaluateStr(e), "[ababab3][cc3]");
      });
  EXPECT_GT(failures, 0);
  ReleaseExpr(e);
  ExpectUsable();
}

TEST_F(AllocationFailure, ExpansionsAndRulesFailCleanly) {
  QuorbTransform* t = NewTransform(q);
  QuorbItem* rule = nullptr;
  Sweep(
      EveryPoint, [&] { rule = FromTo(t, "cat", "dog"); },
      [&](bool failed) {
        if (rule == nullptr) {
          EXPECT_TRUE(failed);
          EXPECT_EQ(ErrorNumber(q), OutOfMemory);
        }
        if (rule != nullptr) ReleaseRule(rule);
      });
  ASSERT_NE(FromTo(t, "cat", "dog"), nullptr);
  ASSERT_NE(FromTo(t, "dog {x}", "{x} dog"), nullptr);
  const char* const input = "a cat sat with a cat";
  const std::string expected = Expand(t, input);
  ASSERT_NE(expected, input);
  std::string text;
  const int failures = Sweep(
      EveryPoint, [&] { text = Expand(t, input); },
      [&](bool failed) {
        if (text != expected) {
          EXPECT_TRUE(failed);
          EXPECT_EQ(text, "");
          EXPECT_EQ(ErrorNumber(q), OutOfMemory);
        }
        EXPECT_EQ(Expand(t, input), expected);
      });
  // The sweep reached the expansion's allocations (how many there are
  // depends on the C++ library's short-string buffer: libc++'s is larger).
  EXPECT_GT(failures, 3);
  ExpectUsable();
}

// Assorted exports at every allocation point: whatever a failed call
// leaves, it is error 18 (when any), nothing lost, and a working instance.
TEST_F(AllocationFailure, AssortedExportsSurviveEveryPoint) {
  QuorbItem* text = DefineVariable(q, "note As String = \"abc\"", nullptr);
  QuorbItem* number = DefineVariable(q, "count As Int = 2", nullptr);
  ASSERT_NE(text, nullptr);
  ASSERT_NE(number, nullptr);
  QuorbExpression* e = Parse(q, "note + \"!\" * count", "");
  QuorbTransform* t = NewTransform(q);
  QuorbItem* rule = FromTo(t, "cat", "dog");
  ASSERT_NE(rule, nullptr);
  QuorbType* stringType = GetDataType(text);
  int32_t value = 7;
  struct Row {
    const char* name;
    std::function<void()> call;
  };
  const std::vector<Row> rows = {
      {"EvalStr", [&] { EvalStr(q, "Substr(\"hello\", 1, 3) + \"x\""); }},
      {"Eval", [&] { Eval(q, "Sqrt(16) + count"); }},
      {"EvaluateStr", [&] { EvaluateStr(e); }},
      {"EvaluateInt32", [&] { EvaluateInt32(e); }},
      {"SetVariableValueStr", [&] { SetVariableValueStr(text, "a text longer than any short string buffer"); }},
      {"SetVariableValueAny", [&] { SetVariableValueAny(number, "41 + 1"); }},
      {"ValueStr", [&] { ValueStr(text); }},
      {"Rename", [&] { Rename(number, "total"); }},
      {"HandleOf", [&] { HandleOf(q, "note", 0, 0); }},
      {"Precedence", [&] { Precedence_Overload_Quorb(q, "+", "*"); }},
      {"ValueAt", [&] { ValueAt(q, &value, "Int"); }},
      {"ToString", [&] { ToString_Overload_DataType__ByStr(stringType, "a text longer than any short string"); }},
      {"ErrorMessage", [&] { ErrorMessage(q, 9); }},
      {"ErrorSetExpression", [&] { ErrorSetExpression(q, "a text longer than any short string buffer"); }},
      {"NewTransform", [&] { NewTransform(q); }},
      {"DefineToken", [&] { DefineToken(t, "[0-9]+", 1, "", 0, 0); }},
      {"SetInput", [&] { SetInput(t, "a cat and another cat"); }},
      {"ResultStr", [&] { ResultStr(t); }},
      {"ExpandWithSteps", [&] { ExpandWithSteps(t, "a cat, a cat", " | ", "<", ">"); }},
      {"Comment", [&] { Comment_Overload_QuorbTransform_RuleClass(rule, "a comment longer than any short buffer"); }},
      {"NewPass", [&] { NewPass(t, 1); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Sweep(EveryPoint, row.call, [&](bool failed) {
      const int32_t error = ErrorNumber(q);
      if (failed && error != 0) {
        EXPECT_EQ(error, OutOfMemory);
      }
      ReleaseExpr(Parse(q, "0", ""));  // a parse clears the error
    });
  }
  Rename(HandleOf(q, "total", 0, 0), "count");
  SetVariableValueStr(text, "abc");
  SetVariableValueInt32(number, 2);
  EXPECT_STREQ(EvaluateStr(e), "abc!!");
  EXPECT_STREQ(Expand(t, "a cat"), "a dog");
  ExpectUsable();
}

}  // namespace
