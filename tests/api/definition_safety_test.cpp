// Definitions that combine clauses in ways no built-in text does: each item
// keeps one owner and one role, failures leave nothing dangling, and values
// never land in storage of another width. Run under the sanitizers, every
// case here once freed memory twice, read past an allocation or leaked.
#include <gtest/gtest.h>

#include <string>

#include "quorb.h"

namespace {

class Definitions : public ::testing::Test {
 protected:
  Definitions() : q(CreateQuorb(nullptr)) {}
  ~Definitions() override { ReleaseQuorb(q); }
  QuorbItem* Def(const char* text, QuorbItem* existing = nullptr) {
    return Define_Overload_Quorb(q, text, nullptr, existing);
  }
  std::string Show(const char* text) { return EvalStr(q, text); }
  QuorbInstance* q;
};

const char* const kUndefined = "Undefined identifier";

TEST_F(Definitions, ASecondNameMovesTheItem) {
  // A value text runs to the end of the definition: "Value:" comes last.
  ASSERT_NE(Def("Variable: k ~~ Name: f ~~ Value: 4"), nullptr);
  EXPECT_EQ(Show("k"), kUndefined);
  EXPECT_EQ(Show("f + 1"), "5");

  QuorbItem* z = DefineVariable(q, "zz = 3", nullptr);
  ASSERT_NE(z, nullptr);
  EXPECT_EQ(Def("Name: renamed", z), z);
  EXPECT_EQ(Show("zz"), kUndefined);
  EXPECT_EQ(Show("renamed"), "3");

  // The default item may be named, once: a second name moves it too.
  EXPECT_NE(Def("Name: d1", Default(q)), nullptr);
  EXPECT_NE(Def("Name: d2", Default(q)), nullptr);
  EXPECT_EQ(Show("1+2*3"), "7");
}

TEST_F(Definitions, OnlyThisInstancesItemsAreDefinedFurther) {
  // A look-up that finds nothing hands back a marker shared by every
  // instance; another instance's item belongs to that instance.
  QuorbItem* notFound = HandleOf(q, "no_such_name", 0, 0);
  EXPECT_EQ(Def("Name: taken", notFound), nullptr);
  QuorbInstance* other = CreateQuorb(nullptr);
  QuorbItem* foreign = DefineVariable(other, "foreign = 1", nullptr);
  ASSERT_NE(foreign, nullptr);
  EXPECT_EQ(Def("Name: mine", foreign), nullptr);
  ReleaseQuorb(other);
  EXPECT_EQ(Show("taken"), kUndefined);
  EXPECT_EQ(Show("mine"), kUndefined);
}

TEST_F(Definitions, ARefusedNameLeavesTheItemWhereItWas) {
  ASSERT_NE(DefineConstant(q, "fixed = 1", nullptr), nullptr);
  // The String type, continued, asks for a locked name: it keeps its own.
  (void)Def("DataType: String ~~ Name: fixed ~~ ConvertsBetween: OmniType");
  QuorbExpression* e = Parse(q, "\"x\"", "String");
  EXPECT_STREQ(EvaluateStr(e), "x");
  ReleaseExpr(e);
  EXPECT_EQ(Show("fixed"), "1");
}

TEST_F(Definitions, AnOverwriteHappensOncePerDefinitionAndOnlyForItsOwnItem) {
  ASSERT_NE(DefineVariable(q, "a = 1", nullptr), nullptr);
  ASSERT_NE(DefineVariable(q, "b = 2", nullptr), nullptr);
  QuorbExpression* readsA = Parse(q, "a + 0", "");
  EXPECT_EQ(Def("Variable: c ~~ Overwrite ~~ Name: a ~~ Name: b"), nullptr);
  EXPECT_EQ(Evaluate(readsA), 1.0) << "the item an expression holds is still there";
  EXPECT_EQ(Show("b"), "2");
  // The function's own parameter, filed under the same name first, is not
  // the definition an overwrite takes over.
  EXPECT_EQ(Def("Overwrite ~~ Function: Cnt(1=9, Cnt= ="), nullptr);
  EXPECT_EQ(Def("Overwrite ~~ Function: Same(Same) = Same"), nullptr);
  QuorbItem* mine = DefineVariable(q, "m = 3", nullptr);
  EXPECT_EQ(Def("Overwrite ~~ Name: a", mine), nullptr) << "the caller's item would be freed";
  EXPECT_EQ(Show("m + a"), "4");
  ReleaseExpr(readsA);
}

TEST_F(Definitions, AFailedRebindingLeavesTheTypeInPlace) {
  EXPECT_EQ(Def("DataType: Double : Type_Float_Double ~~ Nonsense"), nullptr);
  // Untyped declarations are still Doubles, and Double is still a type.
  ASSERT_NE(Def("Default"), nullptr);
  ASSERT_NE(DefineVariable(q, "x = 1.5", nullptr), nullptr);
  EXPECT_EQ(Show("x = x + 1"), "2.5");
  QuorbExpression* e = Parse(q, "2", "Double");
  EXPECT_STREQ(EvaluateStr(e), "2");
  ReleaseExpr(e);
  EXPECT_EQ(Eval(q, "Double(3) / 2"), 1.5);
}

TEST_F(Definitions, AFailedDefinitionLeavesNoNameBehind) {
  EXPECT_EQ(Def("Variable: k = 1 ~~ Name: f ~~ Nonsense"), nullptr);
  EXPECT_EQ(Show("k"), kUndefined);
  EXPECT_EQ(Show("f"), kUndefined);
}

TEST_F(Definitions, TheDefaultItemKeepsItsPlace) {
  for (const char* text : {"Token: @@", "DataType: NewType : Type_Integer_32", "Function: g(x) = x",
                           "Variable: v As String", "ErrorHandler: 0", "Output: Text = Text"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Def(text, Default(q)), nullptr);
  }
  // Untyped parameters still take the default type, Double.
  ASSERT_NE(DefineFunction(q, "half(x) = x / 2", nullptr), nullptr);
  EXPECT_EQ(Eval(q, "half(3)"), 1.5);
  // Neither a token nor a type can become the default item.
  EXPECT_EQ(Def("Token: @@ ~~ Default"), nullptr);
  EXPECT_EQ(Def("DataType: r : Type_Float_Double ~~ Default"), nullptr);
  EXPECT_EQ(Def("Namespace: begin ~~ Default"), nullptr);
  EXPECT_EQ(Eval(q, "half(5)"), 2.5);
}

TEST_F(Definitions, ATokenDefinedTwiceIsListedOnce) {
  ASSERT_NE(Def("Token: @ ~~ Token: \\$"), nullptr);
  EXPECT_NE(Def("Token: qq ~~ EndMatch: pp"), nullptr);
  EXPECT_NE(Def("Variable: w ~~ EndMatch: ]]"), nullptr) << "an opener that is no token";
  EXPECT_NE(Def("DataType: Bool ~~ EndMatch: @"), nullptr);
  EXPECT_EQ(Show("1+2*3"), "7");
}

TEST_F(Definitions, AnItemHoldsOneRole) {
  EXPECT_EQ(Def("ErrorHandler: 1 ~~ Function: f(x) = x"), nullptr);
  EXPECT_EQ(Def("Function: f(x) = x ~~ ErrorHandler: 1"), nullptr);
  EXPECT_EQ(Def("ErrorHandler: 1 ~~ Variable: p Ptr"), nullptr);
  EXPECT_EQ(Def("Variable: v ~~ Output: Text = Text"), nullptr);
  EXPECT_EQ(Def("DataType: Int ~~ Value: 5"), nullptr);
  EXPECT_EQ(Def("DataType: Int ~~ Variable: i"), nullptr);
  EXPECT_EQ(Def("DataType: Int ~~ Namespace: begin"), nullptr);
  EXPECT_EQ(Def("Namespace: begin", Default(q)), nullptr);
  EXPECT_EQ(Def("Token: zq ~~ Namespace: begin"), nullptr);
  EXPECT_EQ(Def("Namespace: begin ~~ Token: zq"), nullptr);
  // Nothing of the refused definitions runs: a division by zero reaches
  // no handler, and Int is still a type.
  EXPECT_EQ(Show("1/0"), "Division by 0");
  EXPECT_EQ(Show("f(2)"), kUndefined);
  EXPECT_EQ(Eval(q, "Int(2.7) + 1"), 3.0);
}

TEST_F(Definitions, DroppingTheItemUndoesAnOverwrite) {
  ASSERT_NE(DefineVariable(q, "x = 5", nullptr), nullptr);
  EXPECT_EQ(Def("Overwrite ~~ Name: x ~~ From: Int"), nullptr);
  EXPECT_EQ(Show("x"), "5");
  EXPECT_EQ(Def("ErrorHandler: 1 ~~ From: Int"), nullptr);
  EXPECT_EQ(Def("Namespace: begin ~~ ConvertsBetween: Int, Double"), nullptr);
  EXPECT_EQ(Def("DataType: NT : Type_Integer_32 ~~ From: Int"), nullptr);
  EXPECT_EQ(Show("1/0"), "Division by 0");
  EXPECT_EQ(Show("x * 2"), "10");
}

TEST_F(Definitions, AnOverwriteTakesTheHandlerListAlong) {
  ASSERT_NE(DefineFunction(q, "Twice(x) = 2 * x", nullptr), nullptr);
  // The handler definition moves into the existing item; the list must name
  // that item, not the object freed after the swap.
  EXPECT_NE(Def("Overwrite ~~ ErrorHandler: 4 ~~ Name: Twice"), nullptr);
  EXPECT_EQ(Show("1/0"), "Division by 0");
  EXPECT_NE(Def("Grouping: r ~~ Function: k(x) = x"), nullptr);
  EXPECT_EQ(Show("1/0"), "Division by 0");
}

TEST_F(Definitions, ClausesThatGiveAnItemSeveralPayloadsFreeEachOnce) {
  EXPECT_NE(Def("Variable: v ~~ Namespace: begin"), nullptr);
  EXPECT_NE(Def("Namespace: end"), nullptr);
  EXPECT_NE(Def("Value: 3", Default(q)), nullptr);
  EXPECT_EQ(Def("DataType: e : Type_Complex ~~ Output"), nullptr) << "a type is no output format";
  EXPECT_EQ(Show("1+1"), "2");
}

TEST_F(Definitions, ANamespaceIsFiledOutsideItself) {
  ASSERT_NE(Def("Namespace: begin ~~ Name: space"), nullptr);
  ASSERT_NE(DefineConstant(q, "h = 2", nullptr), nullptr);
  ASSERT_NE(DefineOperator(q, "{x} ** {y} = x * h + y", 60, 0, nullptr), nullptr);
  EXPECT_EQ(Eval(q, "3 ** 1"), 7.0);
  EXPECT_NE(Def("Namespace: end"), nullptr);
  EXPECT_NE(HandleOf(q, "space", 0, 0), nullptr);
  // An anonymous namespace whose operator body uses a neighbour: released
  // with the instance, bodies before the items they read.
  ASSERT_NE(Def("Namespace: begin"), nullptr);
  ASSERT_NE(DefineConstant(q, "k2", nullptr), nullptr);
  EXPECT_EQ(DefineOperator(q, "{}N{}*{k2}", 50, 0, nullptr), nullptr) << "operands without names";
  EXPECT_NE(DefineOperator(q, "{a} N {b} = a * k2", 50, 0, nullptr), nullptr);
}

// Regression: each of these made an item with error 0, and the ones filed
// under a symbol broke every expression using it.
TEST_F(Definitions, ADeclarationWithoutANameOrWithAnOpenListMakesNoItem) {
  const char* const functions[] = {"= 3", "(((", "f(a = ", "f(", "f(a, ", "g(+)", "g(ByVal)", ""};
  for (const char* signature : functions) {
    EXPECT_EQ(DefineFunction(q, signature, nullptr), nullptr) << signature;
    EXPECT_EQ(ErrorNumber(q), 9) << signature;
  }
  const char* const variables[] = {"", "+", "=", "(", "v(3", "v(3) = {1, 2, 3, 4}", "w[1] = {5, 6}"};
  for (const char* declaration : variables) {
    EXPECT_EQ(DefineVariable(q, declaration, nullptr), nullptr) << declaration;
    EXPECT_EQ(ErrorNumber(q), 9) << declaration;
  }
  EXPECT_EQ(Def("Variable: "), nullptr);
  EXPECT_EQ(ErrorNumber(q), 9);
  EXPECT_EQ(Show("1+2"), "3");
  ASSERT_NE(DefineVariable(q, "x = 1", nullptr), nullptr);
  EXPECT_EQ(Show("x = 2"), "2") << "assignment still works";
  EXPECT_EQ(Show("f"), kUndefined);
  ASSERT_NE(DefineVariable(q, "v(3) = {1, 2, 3}", nullptr), nullptr);
  EXPECT_EQ(Show("v(2)"), "3");
  ASSERT_NE(DefineFunction(q, "twice(a, a) = a + a", nullptr), nullptr) << "a repeated parameter name is kept";
  ASSERT_NE(DefineFunction(q, "h() = 4", nullptr), nullptr);
  EXPECT_EQ(Show("h()"), "4");
  ASSERT_NE(DefineFunction(q, "k As Int = 5", nullptr), nullptr) << "no list at all";
  EXPECT_EQ(Show("k"), "5");
}

TEST_F(Definitions, PointerDeclarationsStoreAddressesOnly) {
  EXPECT_EQ(DefineVariable(q, "p Ptr = True", nullptr), nullptr);
  EXPECT_EQ(DefineVariable(q, "p As Complex Ptr = 1", nullptr), nullptr);
  EXPECT_EQ(DefineVariable(q, "p As String Ptr = \"s\"", nullptr), nullptr);
  EXPECT_EQ(DefineFunction(q, "f(x Ptr = True) = 1", nullptr), nullptr);
  EXPECT_EQ(DefineVariable(q, "arr[2] As Complex Ptr = {1, 2}", nullptr), nullptr);
  // An address is stored as it is.
  ASSERT_NE(DefineVariable(q, "target = 4", nullptr), nullptr);
  ASSERT_NE(DefineVariable(q, "p As Double Ptr = AddressOf(target)", nullptr), nullptr);
  EXPECT_EQ(Eval(q, "p(0) + 1"), 5.0);
}

TEST_F(Definitions, ArrayElementsShareTheFirstValuesType) {
  ASSERT_NE(DefineVariable(q, "arr[3] = {1, True}", nullptr), nullptr);
  EXPECT_EQ(Eval(q, "arr(0) + arr(1)"), 2.0);
  EXPECT_EQ(DefineVariable(q, "mixed[2] = {1, \"x\"}", nullptr), nullptr) << "a text does not become a Double";
  EXPECT_NE(DefineVariable(q, "texts[2] = {\"a\", \"b\"}", nullptr), nullptr);
  EXPECT_EQ(Show("texts(1)"), "b");
  // An array of pointers to texts holds addresses, made and freed as such.
  EXPECT_NE(DefineVariable(q, "a[5] As String Ptr", nullptr), nullptr);
  EXPECT_EQ(Def("Variable: a2[2] ~~ Value: 2"), nullptr) << "an array holds no scalar";
  // A declared count past 256 MiB of storage is refused, not allocated.
  EXPECT_EQ(DefineVariable(q, "huge[1676219209]", nullptr), nullptr);
  EXPECT_EQ(ErrorNumber(q), 9);
  EXPECT_EQ(Def("Function: h(v[1676219209]) = 1"), nullptr);
  EXPECT_NE(DefineVariable(q, "large[1000]", nullptr), nullptr);
  double host[2] = {5, 6};
  EXPECT_EQ(DefineVariable(q, "over[2] = {\"a\", \"b\"}", host), nullptr) << "host doubles never become texts";
  ASSERT_NE(DefineVariable(q, "hosted[2] = {True, 7}", host), nullptr);
  EXPECT_EQ(host[0], 1.0);
  EXPECT_EQ(host[1], 7.0);
  EXPECT_EQ(Define_Overload_Quorb(q, "Variable: a3[2] ~~ Address", host, nullptr), nullptr)
      << "the address would replace the array's cell";
  // An index outside the array reads nothing beyond it.
  EXPECT_EQ(Show("arr(3)"), "Array or list bound exceeded");
  EXPECT_EQ(Show("arr(-1)"), "Array or list bound exceeded");
  EXPECT_EQ(Eval(q, "arr(2) + 1"), 1.0);
  // A read through a pointer to AnyType takes its consumer's type without
  // storage of its own: the step points it at what it reads (here the
  // stand-in of a null pointer, never to be freed).
  ASSERT_NE(DefineVariable(q, "anyp As AnyType Ptr", nullptr), nullptr);
  EXPECT_EQ(Show("anyp(1) + 1"), "Array or list bound exceeded");
  // A pointer never given an address reads nothing, at any index.
  ASSERT_NE(DefineVariable(q, "nowhere As Double Ptr", nullptr), nullptr);
  EXPECT_EQ(Show("nowhere(100000)"), "Array or list bound exceeded");
}

TEST_F(Definitions, AssignmentNeedsATargetOfItsOwnWidth) {
  EXPECT_EQ(Show("(True = 1) + 1"), "Value cannot be assigned here");
  EXPECT_EQ(Show("True"), "true") << "a literal stays what it says";
  ASSERT_NE(DefineFunction(q, "anything() As AnyType = 1", nullptr), nullptr);
  EXPECT_EQ(Show("anything = True"), "Value cannot be assigned here") << "a call's result keeps nothing";
  ASSERT_NE(DefineVariable(q, "slot As AnyType", nullptr), nullptr);
  EXPECT_EQ(Show("slot = True"), "Data type mismatch");
  ASSERT_NE(DefineVariable(q, "n As Int = 1", nullptr), nullptr);
  EXPECT_EQ(Show("n = 2.9"), "2") << "a value of another type is converted first";
}

TEST_F(Definitions, AConversionIntoAnyTypeWritesTheTypeItsUserTakes) {
  EXPECT_EQ(Show("AnyType{7} % Size_t"), "Division by 0") << "a type name alone is its zero";
  EXPECT_EQ(Show("AnyType{7} % Size_t{4}"), "3");
  EXPECT_EQ(Eval(q, "AnyType(7) + 1"), 8.0);
}

TEST_F(Definitions, ATypeFurtherDownAFunctionsChainIsNoCandidate) {
  ASSERT_NE(Def("DataType: e : Type_Integer_32 ~~ Name: k"), nullptr);
  ASSERT_NE(DefineFunction(q, "k(b) = b + 1", nullptr), nullptr);
  EXPECT_EQ(Show("k"), "Invalid number of arguments");
  EXPECT_EQ(Show("k(1)"), "2");
}

TEST_F(Definitions, ALiteralTokenWithoutATypeIsNoValue) {
  ASSERT_NE(Def("Token: \\| ~~ TokenType: literal"), nullptr);
  EXPECT_EQ(Show("2 - |"), "Unrecognized token");
  EXPECT_EQ(Show("2 - 1"), "1");
}

TEST_F(Definitions, AnItemWithoutCallbackNeverRuns) {
  EXPECT_EQ(DefineVariable(q, "@", nullptr), nullptr) << "a variable's name is a name";
  ASSERT_NE(DefineOperator(q, "@", 44, 0, nullptr), nullptr);
  EXPECT_EQ(Show("@"), "Syntax error") << "never run";
  EXPECT_EQ(Show("1 @ 2"), "Syntax error");
  ASSERT_NE(DefineFunction(q, "nothing(x)", nullptr), nullptr);
  EXPECT_EQ(Show("nothing(1)"), "Undefined callback");
  EXPECT_EQ(Show("EvalReturn EvalReturn 1"), "Syntax error");
  EXPECT_EQ(Show("EvalReturn EvalReturn 1"), "Syntax error") << "the built-in survived the failed parse";
}

TEST_F(Definitions, PatternsWithHugeNumbersAreRefused) {
  EXPECT_EQ(Def("Token: \\9999999999999999998"), nullptr);
  EXPECT_EQ(Def("Token: a{99999999999}"), nullptr);
  EXPECT_EQ(Def("Token: a{1,123456}"), nullptr);
  EXPECT_EQ(Def("Boolean: 1, yes{99999999999}, no"), nullptr);
  EXPECT_NE(Def("Token: b{2,3}"), nullptr);
  EXPECT_EQ(Show("1+1"), "2");
}

TEST_F(Definitions, RunawayAndLongInputsEnd) {
  // Each level calls itself twice: without stopping every level once the
  // limit is hit, this would run 2^2000 calls.
  ASSERT_NE(DefineFunction(q, "r(n) = r(n) + r(n)", nullptr), nullptr);
  EXPECT_EQ(Show("r(1)"), "Reparsing has passed the specified limit");
  ASSERT_NE(DefineFunction(q, "fine(n) = IIf(n < 1, 0, fine(n - 1) + 1)", nullptr), nullptr);
  EXPECT_EQ(Eval(q, "r(1) * 0 + fine(10)"), 10.0) << "later calls run again";
  // A long run of operator characters is looked up by its longest name.
  EXPECT_EQ(Eval(q, ("1" + std::string(5000, '+') + "1").c_str()), 2.0);
  EXPECT_EQ(Show(std::string(5000, '<').c_str()), "Syntax error");
}

TEST_F(Definitions, AnOverwriteKeepsWhatOlderExpressionsRead) {
  ASSERT_NE(DefineVariable(q, "v = 1", nullptr), nullptr);
  QuorbExpression* negated = Parse(q, "-v", "");
  // A variable turned into a function, an operator or a bare name would
  // leave the older expression reading a value that is gone.
  EXPECT_EQ(Def("Overwrite ~~ Function: v(x) = x"), nullptr);
  EXPECT_EQ(Def("Overwrite ~~ Operator: 50 {x} v {y} = x"), nullptr);
  EXPECT_EQ(Def("Overwrite ~~ Name: v"), nullptr);
  EXPECT_EQ(Evaluate(negated), -1.0);
  EXPECT_NE(Def("Overwrite ~~ Variable: v = 5"), nullptr) << "a variable may replace a variable";
  EXPECT_EQ(Show("v"), "5");
  // A call parsed before its function gained a parameter has no argument
  // for it.
  ASSERT_NE(DefineFunction(q, "g(a) = a", nullptr), nullptr);
  QuorbExpression* call = Parse(q, "g(2)", "");
  ASSERT_NE(Def("Overwrite ~~ Function: g(a, b) = a + b"), nullptr);
  EXPECT_STREQ(EvaluateStr(call), "Invalid number of arguments");
  EXPECT_EQ(Show("g(2, 3)"), "5");
  ReleaseExpr(negated);
  ReleaseExpr(call);
}

TEST_F(Definitions, AnAnonymousItemGivenARoleHasOneOwner) {
  // Each item, once filed as a type or made the default item, was also
  // freed a second time with the instance's anonymous items.
  QuorbItem* typed = Def("");
  ASSERT_NE(typed, nullptr);
  EXPECT_EQ(Def("DataType: T : Type_Integer_32", typed), typed);
  EXPECT_EQ(Show("T(2.7) + 1"), "3");
  QuorbItem* fallback = Def("");
  ASSERT_NE(fallback, nullptr);
  EXPECT_EQ(Def("Default", fallback), fallback);
  EXPECT_EQ(Default(q), fallback);
}

TEST_F(Definitions, AnyTypeArgumentsKeepTheirVariable) {
  ASSERT_NE(DefineVariable(q, "va As AnyType", nullptr), nullptr);
  ASSERT_NE(DefineFunction(q, "fs(s As String) As String = s", nullptr), nullptr);
  EXPECT_EQ(Eval(q, "Cos(va)"), 1.0);
  EXPECT_EQ(Show("fs(va)"), "0") << "Cos must not have made va a Double";
  // A host's double declared AnyType is read where the host keeps it; an
  // AnyType slot is as wide as an address, so only where a double fits one.
  if (sizeof(void*) < sizeof(double)) return;
  double hd = 0;
  ASSERT_NE(DefineVariable(q, "hd As AnyType", &hd), nullptr);
  QuorbExpression* cosine = Parse(q, "Cos(hd)", "");
  hd = 3.141592653589793;
  EXPECT_EQ(Evaluate(cosine), -1.0);
  ReleaseExpr(cosine);
}

TEST_F(Definitions, AnyTypeResultsConvertOrFail) {
  ASSERT_NE(DefineFunction(q, "anyid(x As AnyType) As AnyType = x", nullptr), nullptr);
  EXPECT_EQ(Show("anyid(3)"), "3");
  EXPECT_EQ(Show("anyid('s')"), "Data type mismatch") << "not the previous call's 3";
  EXPECT_EQ(Show("IIf(1 > 2, 1, 'abc')"), "Data type mismatch");
  EXPECT_EQ(Show("IIf(1 > 2, 1, '12')"), "12");
}

}  // namespace
