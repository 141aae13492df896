// Robustness: many generated inputs, from fixed seeds, through the public
// exports. Only what must always hold is checked: no crash, no leak, no
// hang, and the boundary's neutral results (Parse, EvalStr, EvaluateStr and
// the lookups never return null).
//
// What the generators leave out on purpose, because the language allows it
// and it would be the host's fault, not the library's:
// - addresses made up by the text: the built-ins that read or move
//   addresses (ValueAt, AddPtr, AddressOf, ...) are never named, and no
//   conversion clause lets a number become a Pointer (none names Pointer,
//   and "ConvertsFromAny"/"ConvertsToAny" are left out). Pointer and array
//   names are used and read through their names: a pointer is null or
//   holds a real address, and an array knows its length;
// - host memory read as a class type: a definition given a host address
//   declares fixed-width types only and has no data-type clause, a known
//   type name is bound again only to a fixed-width class, and no data-type
//   clause retypes the default item (the type of untyped declarations).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "quorb.h"

namespace {

// ---------------------------------------------------------------------------
// Random helpers.

class Dice {
 public:
  explicit Dice(uint32_t seed) : engine_(seed) {}
  // A number in [0, n).
  size_t Below(size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<size_t>(0, n - 1)(engine_); }
  bool Percent(int p) { return static_cast<int>(Below(100)) < p; }
  template <typename T>
  const T& Pick(const std::vector<T>& from) {
    return from[Below(from.size())];
  }

 private:
  std::mt19937 engine_;
};

// Names an evaluated text may mention. Host and defined variables, and the
// functions and operators the definitions make, use these too.
const std::vector<std::string> kPlainNames = {"a", "b", "c", "x", "y", "v", "k", "f", "g", "h", "Twice", "Cnt", "n1"};
// Names only pointer and array declarations take.
const std::vector<std::string> kPointerNames = {"p1", "p2", "arr"};
// Built-ins safe to call with any argument: no address is read or written.
const std::vector<std::string> kBuiltinNames = {
    "Sin",    "Cos",   "Abs",    "Pow",    "Sqrt",       "Atan2",      "Hypot",        "Floor",  "Lround",
    "Llrint", "Ilogb", "Scalbn", "Ldexp",  "Fpclassify", "IsNaN",      "Tgamma",       "Lgamma", "Fmod",
    "Inf",    "NaN",   "IIf",    "SetVar", "GoTo",       "EvalReturn", "RandomNumber", "Exp",    "Log"};
const std::vector<std::string> kTypeNames = {"Int",  "Double",  "Bool", "String", "Complex", "OmniType", "AnyType",
                                             "Void", "Pointer", "Int8", "Int64u", "Size_t",  "Float",    "Single"};
// Types a conversion clause names: any but Pointer (see the file comment).
const std::vector<std::string> kValueTypeNames = {"Int",      "Double",  "Bool", "String", "Complex", "OmniType",
                                                  "AnyType",  "Void",    "Int8", "Int64u", "Size_t",  "Float"};
// Types whose values are plain bytes: the only ones declared over host memory.
const std::vector<std::string> kFixedWidthTypes = {"Int",   "Double", "Bool",  "Int8",   "Int16u",
                                                   "Int64", "Int64u", "Float", "Size_t", "Complex"};
const std::vector<std::string> kNumbers = {"1",    "2",      "0",     ".5e3",       "1e999",
                                           "3.25", "1e-320", "007",   "2147483648", "99999999999999999999",
                                           "0.0",  "4e9",    "1e308", "170"};
const std::vector<std::string> kOperators = {
    "+",  "-",   "*", "/",  "^",  "=", "==", "<",   ">", "<=", ">=",  "<>", "!", "Not", "And",
    "Or", "Xor", "%", "<<", ">>", ":", "~",  "...", "&", "|",  "mod", "@",  "?", ".",   "$"};
const std::vector<std::string> kBrackets = {"(", ")", "[", "]", "{", "}"};
const std::vector<std::string> kOddPieces = {
    "\"abc\"", "\"\"", "\"", "'",  "\"open", "\"a\\\"b\"",     "#i",       "#",    "True",
    "False",   " ",    "\t", "\r", "\n",     "\r\n",           "\xC3\xA9", "\xFF", "\x80\x81",
    "~~",      "//",   "_",  ",",  ";",      "Undefined_Name", "GoTo"};

// A random byte other than NUL.
char AnyByte(Dice& dice) { return static_cast<char>(1 + dice.Below(255)); }

// One piece of an expression, mentioning only plain names.
std::string ExpressionPiece(Dice& dice) {
  const size_t roll = dice.Below(100);
  if (roll < 25) return dice.Pick(kNumbers);
  if (roll < 35) return dice.Percent(20) ? dice.Pick(kPointerNames) : dice.Pick(kPlainNames);
  if (roll < 45) return dice.Pick(kBuiltinNames);
  if (roll < 70) return dice.Pick(kOperators);
  if (roll < 85) return dice.Pick(kBrackets);
  if (roll < 91) return dice.Pick(kOddPieces);
  if (roll < 96) return dice.Pick(kTypeNames);
  return std::string(1, AnyByte(dice));
}

// A token soup: random pieces, joined with or without blanks.
std::string Soup(Dice& dice, size_t maxPieces) {
  const size_t count = dice.Below(maxPieces + 1);
  const bool spaced = dice.Percent(50);
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    if (spaced && i > 0) text += ' ';
    text += ExpressionPiece(dice);
  }
  return text;
}

// An expression that is usually well formed: calls, operators, brackets.
std::string Shaped(Dice& dice, int depth) {
  if (depth <= 0 || dice.Percent(30)) {
    switch (dice.Below(4)) {
      case 0: return dice.Pick(kNumbers);
      case 1: return dice.Percent(20) ? dice.Pick(kPointerNames) + "(" + dice.Pick(kNumbers) + ")" : dice.Pick(kPlainNames);
      case 2: return dice.Percent(50) ? "\"t\"" : "True";
      default: return dice.Pick(kTypeNames);
    }
  }
  switch (dice.Below(5)) {
    case 0: return "(" + Shaped(dice, depth - 1) + ")";
    case 1: return dice.Pick(kPlainNames) + " = " + Shaped(dice, depth - 1);
    case 2: return "-" + Shaped(dice, depth - 1);
    case 3: {
      std::string call = dice.Pick(kBuiltinNames) + "(";
      const size_t args = dice.Below(4);
      for (size_t i = 0; i < args; ++i) call += (i ? ", " : "") + Shaped(dice, depth - 1);
      return call + ")";
    }
    default: return Shaped(dice, depth - 1) + " " + dice.Pick(kOperators) + " " + Shaped(dice, depth - 1);
  }
}

// Symbols a definition may take.
const std::vector<std::string> kDefinableSymbols = {"**", "+++", "@", "$$", "Plus", "Times", "?", "<+>", "mod2", "#"};

// A body for a user function or operator: spaced pieces, which may call
// what other definitions make, itself included (cycles end at the depth
// limit).
std::string Body(Dice& dice, const std::vector<std::string>& parameters) {
  static const std::vector<std::string> kBodyNames = {"Sin", "Abs", "Sqrt", "Floor", "Hypot", "IIf", "Inf", "NaN",
                                                      "f",   "g",   "h",    "Twice", "Plus",  "**",  "@",   "mod2"};
  static const std::vector<std::string> kBodyOps = {"+", "-", "*", "/", "^", "<", "=", "!", "Not", "And", "%", ","};
  const size_t count = 1 + dice.Below(8);
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) text += ' ';
    switch (dice.Below(6)) {
      case 0: text += dice.Pick(kNumbers); break;
      case 1: text += parameters.empty() ? "1" : dice.Pick(parameters); break;
      case 2: text += dice.Pick(kBodyNames); break;
      case 3: text += dice.Pick(kBodyOps); break;
      case 4: text += dice.Pick(kBrackets); break;
      default: text += dice.Percent(50) ? "\"s\"" : dice.Pick(kTypeNames); break;
    }
  }
  return text;
}


// A parameter or variable declaration.
std::string Declaration(Dice& dice, bool pointerish, bool fixedWidthOnly, std::vector<std::string>* names) {
  static const std::vector<std::string> kPassing = {"ByVal", "ByRef", "ByCopy", "ByExpr", "ByHandle"};
  std::string text;
  if (dice.Percent(20)) text += dice.Pick(kPassing) + " ";
  const std::string name = dice.Percent(5) ? "" : dice.Pick(pointerish ? kPointerNames : kPlainNames);
  text += name;
  if (names != nullptr && !name.empty()) names->push_back(name);
  const bool array = pointerish && dice.Percent(40);
  const bool typed = dice.Percent(50);
  const bool pointer = pointerish && !array && dice.Percent(50);
  if (array) {
    static const std::vector<std::string> kSizes = {"[3]", "[]", "(2)", "{1}", "[x]", "[0]", "[8]"};
    text += dice.Pick(kSizes);
  }
  if (typed) {
    text += " As ";
    if (fixedWidthOnly)
      text += dice.Percent(90) ? dice.Pick(kFixedWidthTypes) : "NoSuchType";
    else
      text += dice.Percent(90) ? dice.Pick(kTypeNames) : dice.Pick(kPlainNames);
  }
  if (pointer) text += " Ptr";
  if (dice.Percent(35)) {
    if (array) {
      text += " = {";
      const size_t values = dice.Below(4);
      for (size_t i = 0; i < values; ++i) text += (i ? ", " : "") + dice.Pick(kNumbers);
      text += "}";
    } else {
      std::vector<std::string> none;
      text += " = " + (dice.Percent(70) ? dice.Pick(kNumbers) : Body(dice, none));
    }
  }
  if (dice.Percent(8)) text += " ...";
  return text;
}

// A function signature: NAME [(params)] [As TYPE [Ptr]] [= BODY].
std::string FunctionSignature(Dice& dice, bool pointerish) {
  std::string text = dice.Percent(4) ? "" : dice.Pick(pointerish ? kPointerNames : kPlainNames);
  std::vector<std::string> parameters;
  if (dice.Percent(85)) {
    text += "(";
    const size_t count = dice.Below(4);
    for (size_t i = 0; i < count; ++i) text += (i ? ", " : "") + Declaration(dice, pointerish, false, &parameters);
    if (dice.Percent(93)) text += ")";
  }
  if (dice.Percent(25)) text += " As " + dice.Pick(kTypeNames) + (pointerish && dice.Percent(30) ? " Ptr" : "");
  // Pointer parameters are never read by a body.
  if (pointerish) parameters.clear();
  if (dice.Percent(70)) text += " = " + Body(dice, parameters);
  return text;
}

// An operator signature: [PREC[:RL]] [{param}] SYMBOL [{param}] [As TYPE] [= BODY].
std::string OperatorSignature(Dice& dice, bool pointerish) {
  static const std::vector<std::string> kPrecedences = {"50",          "15:RL", "90",  "0",     "-5", "2147483647",
                                                        "99999999999", "\"q\"", "1e3", "80:rl", "40:"};
  std::string text;
  std::vector<std::string> parameters;
  if (dice.Percent(70)) text += dice.Pick(kPrecedences) + " ";
  const int shape = static_cast<int>(dice.Below(4));  // infix, prefix, postfix, none
  if (shape == 0 || shape == 2) text += "{" + Declaration(dice, pointerish, false, &parameters) + "} ";
  text += dice.Percent(95) ? dice.Pick(kDefinableSymbols) : "";
  if (shape == 0 || shape == 1) text += " {" + Declaration(dice, pointerish, false, &parameters) + "}";
  if (dice.Percent(20)) text += " As " + dice.Pick(kTypeNames);
  if (pointerish) parameters.clear();
  if (dice.Percent(60)) text += " = " + Body(dice, parameters);
  return text;
}

// One clause of a definition text.
std::string Clause(Dice& dice, bool pointerish, bool hostAddress) {
  static const std::vector<std::string> kPlainKeywords = {"Lock",
                                                          "Overwrite",
                                                          "Namespace: begin",
                                                          "Namespace: end",
                                                          "Namespace: other",
                                                          "Default",
                                                          "Bootstrap",
                                                          "QuotedText",
                                                          "RewindOnChange",
                                                          "Address",
                                                          "ApiCall",
                                                          "Begin",
                                                          "Include: nothing",
                                                          "Nonsense: 1",
                                                          "garbage",
                                                          "",
                                                          ":",
                                                          "Grouping: RightToLeft",
                                                          "Grouping: left",
                                                          "CaseSensitive: false",
                                                          "Exec",
                                                          "Mode: 3"};
  static const std::vector<std::string> kTokenPatterns = {
      "@@", "[0-9]+q", "\\$[a-z]+", "(", "a|", "*", "", "%%", "\\?", ".", "[", "\\d+", "zz", "\\(", "q[", "|"};
  static const std::vector<std::string> kTokenKinds = {"literal",      "codeblock",  "codeblockmatch", "argseparator",
                                                       "statementsep", "whitespace", "alphanumeric",   "nonsense"};
  static const std::vector<std::string> kClassWords = {
      "Type_Integer_32", "Type_Float_Double", "Type_Boolean", "Type_Complex", "Type_String", "Type_Nothing", ""};
  const std::vector<std::string>& names = pointerish ? kPointerNames : kPlainNames;
  // With a host address the definition's second argument is memory, so no
  // clause that would take it as a callback (function, operator, error
  // handler, output) may come, nor one that changes the type over it.
  static const std::vector<size_t> kWithAddress = {2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13};
  const size_t choice = hostAddress ? dice.Pick(kWithAddress) : dice.Below(22);
  switch (choice) {
    case 0: return (dice.Percent(80) ? "Function: " : "Func: ") + FunctionSignature(dice, pointerish);
    case 1: return (dice.Percent(80) ? "Operator: " : "Op: ") + OperatorSignature(dice, pointerish);
    case 2:
    case 3: return (dice.Percent(80) ? "Variable: " : "Var: ") + Declaration(dice, pointerish, hostAddress, nullptr);
    case 4: return "Name: " + (dice.Percent(90) ? dice.Pick(names) : std::string());
    case 5: return dice.Pick(kPlainKeywords);
    case 6: return "Precedence: " + Shaped(dice, 2);
    case 7: return "Value: " + (dice.Percent(70) ? dice.Pick(kNumbers) : Soup(dice, 3));
    case 8: return "SubMatch: " + dice.Pick(kNumbers);
    case 9: return "ErrorHandler: " + (dice.Percent(80) ? std::to_string(dice.Below(4)) : dice.Pick(kNumbers));
    case 10: return "TokenType: " + dice.Pick(kTokenKinds);
    case 11:
      return "Boolean: " + dice.Pick(kNumbers) + ", " + dice.Pick(kTokenPatterns) + ", " + dice.Pick(kTokenPatterns);
    case 12: return "Precedence: " + dice.Pick(kNumbers);
    case 13: return "Garbage" + std::to_string(dice.Below(3)) + ": " + Soup(dice, 3);
    case 14: return "Token: " + dice.Pick(kTokenPatterns);
    case 15: return "EndMatch: " + dice.Pick(kTokenPatterns);
    case 16: {
      // A known type name is bound again only to a fixed-width class: host
      // memory declared with that name stays plain bytes.
      const bool binds = dice.Percent(60);
      const std::string word = dice.Pick(kClassWords);
      const bool fixedWidth = word != "Type_String" && word != "Type_Nothing" && !word.empty();
      const bool known = dice.Percent(60) && (!binds || fixedWidth);
      std::string text = "DataType: " + (known ? dice.Pick(kTypeNames) : std::string("NewType"));
      if (binds) text += " : " + word;
      return text;
    }
    case 17: return "ConvertsTo: " + dice.Pick(kValueTypeNames) + ", " + dice.Pick(kValueTypeNames);
    case 18: return "ConvertsFrom: " + dice.Pick(kValueTypeNames);
    case 19: return "ConvertsBetween: " + dice.Pick(kValueTypeNames) + ", " + dice.Pick(kValueTypeNames);
    case 20: {
      std::string text = "Output: ";
      if (dice.Percent(40)) text += "DataType: " + dice.Pick(kTypeNames) + " ";
      if (dice.Percent(20)) text += "InsertAt: " + std::to_string(dice.Below(3)) + " ";
      if (dice.Percent(70)) {
        const std::vector<std::string> name = {"Text"};
        text += "Text = " + Body(dice, name);
      }
      return text;
    }
    default: return "From: " + dice.Pick(kTypeNames);
  }
}

// A whole definition text: clauses joined by "~~" (or not).
std::string DefinitionText(Dice& dice, bool pointerish, bool hostAddress) {
  const size_t count = 1 + dice.Below(3);
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) text += dice.Percent(85) ? " ~~ " : (dice.Percent(50) ? " " : "~~~~");
    text += Clause(dice, pointerish, hostAddress);
  }
  return text;
}

// ---------------------------------------------------------------------------
// Host memory for variables: zeroed, aligned, and alive longer than every
// instance of a test (declared before the instance).

struct HostMemory {
  static constexpr size_t kCells = 16;
  struct alignas(16) Cell {
    unsigned char bytes[256];
  };
  Cell cells[kCells] = {};
  void* Any(Dice& dice) { return cells[dice.Below(kCells)].bytes; }
};

// ---------------------------------------------------------------------------
// Feeding one text through every evaluation export.

// A new instance. The built-in random numbers are restarted, so that every
// run, whatever ran before, sees the same values.
QuorbInstance* NewInstance() {
  QuorbInstance* q = CreateQuorb(nullptr);
  (void)Eval(q, "RandomSeed(1)");
  return q;
}

const std::vector<std::string> kWantedTypes = {"",         "",           "Int",  "Double",  "String", "Bool",
                                               "OmniType", "NoSuchType", "Void", "Pointer", "Complex"};

void EvaluateEveryWay(QuorbInstance* q, Dice& dice, const std::string& text) {
  SCOPED_TRACE("text: " + text);
  (void)Eval(q, text.c_str());
  const char* shown = EvalStr(q, text.c_str());
  ASSERT_NE(shown, nullptr);

  QuorbExpression* e = Parse(q, text.c_str(), dice.Pick(kWantedTypes).c_str());
  ASSERT_NE(e, nullptr) << "Parse never returns null";
  EXPECT_EQ(Handle_Overload_ParsedExpr(e), e);
  switch (dice.Below(4)) {
    case 0: (void)Evaluate(e); break;
    case 1: (void)EvaluateInt32(e); break;
    case 2: (void)EvaluateNTE(e); break;
    default: (void)EvaluateVoid(e); break;
  }
  Execute(e);
  ASSERT_NE(EvaluateStr(e), nullptr);
  (void)Evaluate(e);
  ReleaseExpr(e);
  ReleaseExpr(e);  // a second release is ignored
}

// Lookups with a text: never null.
void LookUp(QuorbInstance* q, Dice& dice, const std::string& name) {
  const int64_t mask = dice.Percent(50) ? 0 : Properties(q, static_cast<int32_t>(dice.Below(64)), 0, 0, 0);
  EXPECT_NE(HandleOf(q, name.c_str(), mask, static_cast<int32_t>(dice.Below(2))), nullptr);
  EXPECT_NE(GetItemOf(q, name.c_str(), mask, 1), nullptr);
  EXPECT_NE(GetItemOfProperty(q, static_cast<int32_t>(dice.Below(1 << 12)), static_cast<int32_t>(dice.Below(5)),
                              name.c_str()),
            nullptr);
  (void)Precedence_Overload_Quorb(q, name.c_str(), dice.Pick(kOperators).c_str());
  EXPECT_STREQ(ValueAt(q, nullptr, name.c_str()), "");
}

// ---------------------------------------------------------------------------

TEST(Robustness, TokenSoupsEvaluateEveryWay) {
  Dice dice(20240611u);
  HostMemory memory;
  for (int round = 0; round < 3; ++round) {
    QuorbInstance* q = NewInstance();
    ASSERT_NE(q, nullptr);
    ASSERT_EQ(Handle_Overload_Quorb(q), q);
    // Half the plain names are variables: host ones over zeroed memory, a
    // constant, owned ones with a value.
    for (size_t i = 0; i < kPlainNames.size(); i += 2) {
      const std::string declaration = kPlainNames[i] + " As " + dice.Pick(kFixedWidthTypes);
      if (i % 3 == 0)
        ASSERT_NE(DefineVariable(q, declaration.c_str(), memory.cells[i].bytes), nullptr) << declaration;
      else if (i % 3 == 1)
        ASSERT_NE(DefineConstant(q, declaration.c_str(), memory.cells[i].bytes), nullptr) << declaration;
      else
        ASSERT_NE(DefineVariable(q, (declaration + " = 2").c_str(), nullptr), nullptr) << declaration;
    }
    for (int i = 0; i < 300; ++i) {
      const std::string text = dice.Percent(50) ? Soup(dice, 14) : Shaped(dice, 4);
      EvaluateEveryWay(q, dice, text);
      if (::testing::Test::HasFatalFailure()) break;
    }
    // Nothing a text can say changes what the instance knows.
    EXPECT_EQ(Eval(q, "1+2*3"), 7.0);
    EXPECT_STREQ(EvalStr(q, "1/0"), "Division by 0");
    ReleaseQuorb(q);
  }
}

TEST(Robustness, RandomBytesEvaluate) {
  Dice dice(77u);
  QuorbInstance* q = NewInstance();
  for (int i = 0; i < 300; ++i) {
    std::string text;
    const size_t length = dice.Below(40);
    for (size_t k = 0; k < length; ++k) text += AnyByte(dice);
    EvaluateEveryWay(q, dice, text);
    if (::testing::Test::HasFatalFailure()) break;
    LookUp(q, dice, text);
  }
  EXPECT_EQ(Eval(q, "2^10"), 1024.0);
  ReleaseQuorb(q);
}

TEST(Robustness, RandomDefinitionsThroughEachExport) {
  Dice dice(4242u);
  HostMemory memory;
  for (int round = 0; round < 4; ++round) {
    QuorbInstance* q = NewInstance();
    for (int i = 0; i < 120; ++i) {
      const bool pointerish = dice.Percent(15);
      QuorbItem* made = nullptr;
      std::string text;
      switch (dice.Below(6)) {
        case 0: {
          const bool withAddress = dice.Percent(30);
          QuorbItem* existing = dice.Percent(10) ? Default(q) : nullptr;
          do {
            text = DefinitionText(dice, pointerish, withAddress);
          } while ((existing != nullptr || text.find("Default") != std::string::npos) &&
                   text.find("DataType:") != std::string::npos);
          SCOPED_TRACE("Define: " + text);
          made = Define_Overload_Quorb(q, text.c_str(), withAddress ? memory.Any(dice) : nullptr, existing);
          break;
        }
        case 1:
          text = FunctionSignature(dice, pointerish);
          made = DefineFunction(q, text.c_str(), nullptr);
          break;
        case 2:
          text = OperatorSignature(dice, pointerish);
          made = DefineOperator(q, text.c_str(), static_cast<int32_t>(dice.Below(100)) - 5,
                                static_cast<int32_t>(dice.Below(3)), nullptr);
          break;
        case 3:
          text = Declaration(dice, pointerish, true, nullptr);
          made = DefineVariable(q, text.c_str(), dice.Percent(60) ? memory.Any(dice) : nullptr);
          break;
        case 4:
          text = Declaration(dice, pointerish, true, nullptr);
          made = DefineConstant(q, text.c_str(), dice.Percent(60) ? memory.Any(dice) : nullptr);
          break;
        default: made = AddErrorHandler(q, nullptr, static_cast<int32_t>(dice.Below(5)) - 1); break;
      }
      (void)made;
      // Whatever was defined, evaluation and lookup keep working.
      if (dice.Percent(40)) EvaluateEveryWay(q, dice, dice.Percent(50) ? Shaped(dice, 3) : Soup(dice, 8));
      if (dice.Percent(20)) LookUp(q, dice, dice.Pick(kPlainNames));
      if (::testing::Test::HasFatalFailure()) break;
    }
    ReleaseQuorb(q);
  }
}

TEST(Robustness, DefinitionsThenExpressionsThatUseThem) {
  Dice dice(9001u);
  HostMemory memory;
  for (int round = 0; round < 4; ++round) {
    QuorbInstance* q = NewInstance();
    // Host variables and constants over zeroed memory, owned ones, functions
    // and operators with bodies, an error handler without a callback.
    for (const std::string& name : kPlainNames) {
      const std::string type = dice.Percent(70) ? " As " + dice.Pick(kFixedWidthTypes) : std::string();
      const std::string declaration = name + type;
      switch (dice.Below(4)) {
        case 0: DefineVariable(q, declaration.c_str(), memory.Any(dice)); break;
        case 1: DefineConstant(q, declaration.c_str(), memory.Any(dice)); break;
        case 2: DefineConstant(q, (declaration + " = " + dice.Pick(kNumbers)).c_str(), nullptr); break;
        default: DefineVariable(q, (declaration + " = " + dice.Pick(kNumbers)).c_str(), nullptr); break;
      }
    }
    AddErrorHandler(q, nullptr, 0);
    for (int i = 0; i < 25; ++i) {
      if (dice.Percent(50))
        DefineFunction(q, FunctionSignature(dice, false).c_str(), nullptr);
      else
        DefineOperator(q, OperatorSignature(dice, false).c_str(), 0, static_cast<int32_t>(dice.Below(3)), nullptr);
    }
    for (int i = 0; i < 150; ++i) {
      std::string text;
      switch (dice.Below(5)) {
        case 0: text = dice.Pick(kPlainNames) + " = " + Shaped(dice, 2); break;  // constants refuse
        case 1: {
          text = dice.Pick(kPlainNames) + "(" + Shaped(dice, 2);
          for (size_t k = dice.Below(3); k > 0; --k) text += ", " + Shaped(dice, 1);
          text += ")";
          break;
        }
        case 2: text = Shaped(dice, 2) + " " + dice.Pick(kDefinableSymbols) + " " + Shaped(dice, 2); break;
        case 3: text = dice.Pick(kDefinableSymbols) + Shaped(dice, 2) + dice.Pick(kDefinableSymbols); break;
        default: text = Soup(dice, 12); break;
      }
      EvaluateEveryWay(q, dice, text);
      if (::testing::Test::HasFatalFailure()) break;
    }
    ReleaseQuorb(q);
  }
}

TEST(Robustness, DeepNestingAndLongTexts) {
  Dice dice(31337u);
  QuorbInstance* q = NewInstance();
  double host = 2;
  ASSERT_NE(DefineVariable(q, "hv", &host), nullptr);

  const std::string open(3000, '(');
  const std::string close(3000, ')');
  EXPECT_EQ(Eval(q, (open + "1+hv" + close).c_str()), 3.0);
  EvaluateEveryWay(q, dice, open + "1" + close + ")");
  EvaluateEveryWay(q, dice, open + "1");
  EvaluateEveryWay(q, dice, "1" + close);
  std::string calls;
  for (int i = 0; i < 2000; ++i) calls += "Abs(";
  calls += "-1" + std::string(2000, ')');
  EXPECT_EQ(Eval(q, calls.c_str()), 1.0);
  EvaluateEveryWay(q, dice, std::string(3000, '[') + "1" + std::string(3000, '}'));
  std::string minuses;
  for (int i = 0; i < 3000; ++i) minuses += "- ";
  EvaluateEveryWay(q, dice, minuses + "1");
  EvaluateEveryWay(q, dice, std::string(100, '-') + "1");
  std::string nots;
  for (int i = 0; i < 1000; ++i) nots += "Not ";
  EvaluateEveryWay(q, dice, nots + "1");

  // About 100 KB each: a sum, a name, a number, a quoted text, a token soup,
  // statements, separators, blanks. Long texts go through EvalStr once; one
  // goes through Parse and evaluation too.
  auto once = [&](const std::string& text) { EXPECT_NE(EvalStr(q, text.c_str()), nullptr); };
  std::string sum = "1";
  while (sum.size() < 100000) sum += "+1";
  EXPECT_EQ(Eval(q, sum.c_str()), static_cast<double>((sum.size() + 1) / 2));
  once(std::string(100000, 'a'));
  once(std::string(100000, '9'));
  once("\"" + std::string(100000, 'z') + "\"");
  once("\"" + std::string(100000, 'z'));
  std::string soup;
  while (soup.size() < 100000) soup += Soup(dice, 10) + " ";
  once(soup);
  std::string statements;
  while (statements.size() < 100000) statements += "hv = hv + 1; ";
  QuorbExpression* e = Parse(q, statements.c_str(), "");
  ASSERT_NE(e, nullptr);
  host = 0;
  EXPECT_EQ(Evaluate(e), static_cast<double>(statements.size() / 13));
  ReleaseExpr(e);
  std::string commas = "(";
  while (commas.size() < 100000) commas += "1,";
  once(commas + "2)");
  once(std::string(100000, ' '));
  once(std::string(100000, '\n'));
  EXPECT_EQ(Eval(q, "hv * 0 + 5"), 5.0);
  ReleaseQuorb(q);
}

TEST(Robustness, LongAndNestedDefinitions) {
  Dice dice(555u);
  QuorbInstance* q = NewInstance();
  std::string params;
  for (int i = 0; i < 300; ++i) params += (i ? ", p" : "p") + std::to_string(i);
  EXPECT_NE(DefineFunction(q, ("Many(" + params + ") = p0 + p299").c_str(), nullptr), nullptr);
  std::string args;
  for (int i = 0; i < 300; ++i) args += (i ? ", " : "") + std::to_string(i);
  EXPECT_EQ(Eval(q, ("Many(" + args + ")").c_str()), 299.0);
  std::string body(2000, '(');
  body += "1" + std::string(2000, ')');
  EXPECT_NE(DefineFunction(q, ("Deep() = " + body).c_str(), nullptr), nullptr);
  EXPECT_EQ(Eval(q, "Deep()"), 1.0);
  std::string clauses;
  for (int i = 0; i < 2000; ++i) clauses += "Lock ~~ ";
  EXPECT_NE(Define_Overload_Quorb(q, (clauses + "Name: locked_one").c_str(), nullptr, nullptr), nullptr);
  std::string garbage;
  while (garbage.size() < 100000) garbage += Clause(dice, false, false) + " ~~ ";
  (void)Define_Overload_Quorb(q, garbage.c_str(), nullptr, nullptr);
  (void)DefineFunction(q, std::string(100000, 'f').c_str(), nullptr);
  (void)DefineVariable(q, (std::string(100000, 'w') + " = 1").c_str(), nullptr);
  ReleaseQuorb(q);
}

TEST(Robustness, RecursionStopsWithAnError) {
  QuorbInstance* q = NewInstance();
  ASSERT_NE(DefineFunction(q, "Self(n) = Self(n)", nullptr), nullptr);
  ASSERT_NE(DefineFunction(q, "Later(n) = 1 + Later(n - 1)", nullptr), nullptr);
  ASSERT_NE(DefineOperator(q, "{x} +++ {y} = x +++ y", 50, 0, nullptr), nullptr);
  // A cycle made by redefining in place what an earlier body calls.
  ASSERT_NE(DefineFunction(q, "Ping(n) = n", nullptr), nullptr);
  ASSERT_NE(DefineFunction(q, "Pong(n) = Ping(n)", nullptr), nullptr);
  ASSERT_NE(Define_Overload_Quorb(q, "Overwrite ~~ Function: Ping(n) = Pong(n)", nullptr, nullptr), nullptr);
  Dice dice(2718u);
  for (const char* text : {"Self(1)", "Later(5)", "1 +++ 2", "Pong(3)", "Ping(3) + Self(2)", "IIf(True, Self(1), 0)"}) {
    EvaluateEveryWay(q, dice, text);
    if (::testing::Test::HasFatalFailure()) break;
    EXPECT_EQ(Eval(q, "1+1"), 2.0) << "after " << text;
  }
  ReleaseQuorb(q);
}

TEST(Robustness, BoundaryArgumentsOutOfRange) {
  Dice dice(1618u);
  HostMemory memory;
  QuorbInstance* q = NewInstance();
  for (int32_t index = -5; index < 135; ++index) (void)DataTypeOfIndex(q, index);
  for (int i = 0; i < 200; ++i) {
    const int32_t p = static_cast<int32_t>(dice.Below(200)) - 100;
    (void)Properties(q, p, -p, p * 1000, static_cast<int32_t>(dice.Below(64)));
    EXPECT_NE(GetItemOfProperty(q, static_cast<int32_t>(dice.Below(1u << 31)) - (1 << 30),
                                static_cast<int32_t>(dice.Below(100)) - 50, dice.Pick(kTypeNames).c_str()),
              nullptr);
    EXPECT_NE(ValueAt(q, memory.Any(dice), dice.Pick(kFixedWidthTypes).c_str()), nullptr);
  }
  for (int i = 0; i < 20; ++i) EXPECT_NE(NewTransform(q), nullptr);
  EXPECT_NE(ParserTransform(q), nullptr);
  EXPECT_NE(Default(q), nullptr);
  // Without an instance: neutral results, nothing else.
  EXPECT_EQ(Define_Overload_Quorb(nullptr, "Name: x", nullptr, nullptr), nullptr);
  EXPECT_EQ(DefineFunction(nullptr, "f(x) = x", nullptr), nullptr);
  EXPECT_EQ(DefineOperator(nullptr, "{x} @ {y} = x", 50, 0, nullptr), nullptr);
  EXPECT_EQ(DefineVariable(nullptr, "v", memory.cells[0].bytes), nullptr);
  EXPECT_EQ(DefineConstant(nullptr, "v", nullptr), nullptr);
  EXPECT_EQ(AddErrorHandler(nullptr, nullptr, 0), nullptr);
  EXPECT_NE(EvalStr(nullptr, "1"), nullptr);
  (void)Eval(nullptr, "1");
  ReleaseExpr(Parse(nullptr, "1", ""));
  (void)Evaluate(nullptr);
  (void)EvaluateNTE(nullptr);
  (void)EvaluateInt32(nullptr);
  EXPECT_NE(EvaluateStr(nullptr), nullptr);
  (void)EvaluateVoid(nullptr);
  Execute(nullptr);
  (void)HandleOf(nullptr, "x", 0, 1);
  (void)Precedence_Overload_Quorb(nullptr, "+", "");
  (void)Precedence_Overload_Quorb(q, nullptr, nullptr);
  EXPECT_NE(HandleOf(q, nullptr, 0, 0), nullptr);
  EXPECT_NE(Parse(q, nullptr, nullptr), nullptr);
  ReleaseQuorb(q);
  // A released instance's transforms and expressions went with it; a new
  // instance starts clean.
  q = NewInstance();
  EXPECT_EQ(Eval(q, "2*21"), 42.0);
  ReleaseQuorb(q);
}

// Host token patterns: a match of any length ends without exhausting the
// stack, and a pattern whose backtracking runs away gives up with error 18.
TEST(Robustness, HostTokenPatternsOnHostileTexts) {
  QuorbInstance* q = CreateQuorb(nullptr);
  ASSERT_NE(Define_Overload_Quorb(q, "Token: [a-z_]+", nullptr, nullptr), nullptr);
  const std::string shortResult = EvalStr(q, "www");
  const std::string word(2u << 20, 'w');
  EXPECT_EQ(EvalStr(q, word.c_str()), shortResult) << "one token, read as a short one is";
  ReleaseQuorb(q);

  q = CreateQuorb(nullptr);
  ASSERT_NE(Define_Overload_Quorb(q, "Token: (a+)+b", nullptr, nullptr), nullptr);
  EXPECT_STREQ(EvalStr(q, std::string(200, 'a').c_str()), "Reparsing has passed the specified limit");
  EXPECT_EQ(Eval(q, "1+2"), 3.0) << "other texts are scanned as before";
  ReleaseQuorb(q);
}

}  // namespace
