// Fuzz target: host callbacks, driven as a host drives them. A fixed set of
// C callbacks is bound to functions and operators of every value width;
// each reads its arguments through every Arg* export, then does what the
// next byte of the program says: writes its result through one of the
// Return* exports, raises an error, re-enters evaluation (a new text, a ByExpr
// argument, another parsed expression) or writes nothing. Error handlers
// resume or not as the program says; output formats run a callback too.
// Between evaluations the program releases, renames and overwrites items
// and releases expressions, as a host would.
//
// The input is an op program (see ByteProgram) on a fresh instance,
// released at the end, so leaks count.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"

namespace {

constexpr size_t kMaxOps = 160;
constexpr size_t kMaxKept = 8;
constexpr int kMaxDepth = 3;

const char* const kSignatures[] = {
    "hd(x)",
    "hi(a As Int) As Int",
    "hl(a As Int64, b As Int64) As Int64",
    "hs(s As String) As String",
    "hb(a As Int8u, b As Int16) As Int16",
    "hf(a As Single, b As Bool) As Single",
    "hu(a As Int32u, b As Size_t) As Int64u",
    "hv(a, b = 2, c ...)",
    "he(ByExpr e, k)",
    "hr(ByRef r)",
    "hc(z As Complex) As Complex",
    "hn() As String",
};
const char* const kOperators[] = {"{x} <+> {y}", "{x} !!", "-~{x}", "{a As Int} <*> {b As Int} As Int"};
const char* const kBodies[] = {
    "Function: bf(x) = x + 1",
    "Overwrite ~~ Function: bf(x) = x * 2",
    "Overwrite ~~ Function: bf(x) = hd(x) + 1",
    "Function: bf(s As String) As String = s + \"!\"",
    "Variable: vx = 3",
    "Variable: vs As String = \"abc\"",
    "Variable: vi As Int = 7",
};
// Overwrites that keep a function's kind (callback or body); the others
// change it.
const char* const kCallbackOverwrites[] = {"Overwrite ~~ Function: hd(x)", "Overwrite ~~ Function: hi(a As Int) As Int",
                                           "Overwrite ~~ Function: hs(s As String) As String"};
const char* const kCrossOverwrites[] = {"Overwrite ~~ Function: hd(x) = x", "Overwrite ~~ Function: hi(a As Int) As Int = a"};
const char* const kExpressions[] = {
    "hd(2) + 1", "hi(7) * hi(2)", "hl(3000000000, 3)", "hs(\"ab\") + \"c\"", "hv(1, 2, 3, 4)", "he(vx + 1, 2)",
    "hr(vx)", "1 <+> 2 <+> 3", "vx * 3 + hd(vx) * 2 + vx / 4", "bf(hd(1))", "hb(200, -3)", "hf(1.5, 1)",
    "IIf(hd(0) > 0, 1, hd(1))", "Str(hd(1.25))", "Eval(\"hd(3)\")", "vx = hd(vx)", "vs = hs(vs)", "1/0",
    "unknown + 1", "hd(1, 2)", "hu(1, 2)", "5!! + -~vx", "vi <*> 3", "hc(Complex(1, 2))", "hn()", "bf(\"a\")",
    "hd(hd(hd(1)))", "vi = hi(vi) <*> 2"};
const char* const kReentries[] = {"hd(1)", "1+1", "hs(\"x\")", "vx * 2", "hi(hd(2))", "Error(5)", "bf(2)"};
const char* const kNames[] = {"hd", "hi", "hs", "bf", "vx", "vs", "vi", "<+>", "!!", "hv", "he", "nx", ""};
const char* const kOutputFormats[] = {"Double", "String", "Int", "", "Double d = \"<\" + Str(d) + \">\""};
const char* const kMessages[] = {"the host gave up", "", "%s%d"};

alignas(16) unsigned char hostCell[16];

class CallbackHost;
CallbackHost* current = nullptr;

class CallbackHost {
 public:
  explicit CallbackHost(quorb_fuzz::ByteProgram& program) : program_(program), instance_(CreateQuorb(nullptr)) {
    for (const char* signature : kSignatures) (void)DefineFunction(instance_, signature, Body);
    (void)DefineOperator(instance_, kOperators[0], 40, 0, Body);
    (void)DefineOperator(instance_, kOperators[1], 80, 0, Body);
    (void)DefineOperator(instance_, kOperators[2], 70, 0, Body);
    (void)DefineOperator(instance_, kOperators[3], 45, 1, Body);
    for (const char* body : kBodies) (void)Define_Overload_Quorb(instance_, body, nullptr, nullptr);
    (void)AddErrorHandler(instance_, Handler, 0);
    (void)AddErrorHandler(instance_, Handler, -1);
  }

  ~CallbackHost() {
    for (QuorbExpression* expression : kept_) ReleaseExpr(expression);
    ReleaseQuorb(instance_);
  }

  void Run() {
    current = this;
    for (size_t ops = 0; ops < kMaxOps && !program_.Done(); ++ops) Step();
    current = nullptr;
  }

  // The body of every host function and operator.
  static void QUORB_CALLBACK Body(QuorbPart* part) {
    if (current != nullptr) current->Called(part);
  }

  // The output-format callback: the text being printed is argument 1.
  static void QUORB_CALLBACK Output(QuorbPart* part) {
    if (current == nullptr) return;
    if (current->program_.Byte() & 1) {
      current->Called(part);
      return;
    }
    std::string text = "[";
    text += ArgStr(part, 1);
    ReturnStr(part, (text + "]").c_str());
  }

  static void QUORB_CALLBACK Handler(QuorbInstance* instance) {
    if (current == nullptr) return;
    (void)ErrorNumber(instance);
    (void)ErrorMessage(instance, 0);
    (void)ErrorExpression(instance);
    (void)ErrorSymbol(instance);
    (void)ErrorLocation(instance);
    const uint8_t choice = current->program_.Byte();
    if (choice & 2) ErrorSetExpression(instance, "where");
    if (choice & 1) ErrorResponse(instance, 1);
  }

 private:
  void Called(QuorbPart* part) {
    ReadArguments(part);
    if (depth_ >= kMaxDepth) {
      Return(part, 0);
      return;
    }
    ++depth_;
    Act(part);
    --depth_;
  }

  static void ReadArguments(QuorbPart* part) {
    const int64_t count = ArgCount(part);
    for (int32_t n = 0; n <= count + 1; ++n) {
      (void)Arg(part, n);
      (void)ArgInt32(part, n);
      (void)ArgInt64(part, n);
      (void)ArgPtr(part, n);
      (void)ArgAddr(part, n);
      (void)std::strlen(ArgStr(part, n));
      QuorbItem* item = ArgObj(part, n);
      if (item != nullptr) (void)std::strlen(ValueStr(item));
    }
    QuorbItem* running = OpItem(part);
    (void)std::strlen(Name_Overload_Item(running));
    (void)GetQuorb_Overload_Callback(part);
  }

  void Act(QuorbPart* part) {
    switch (program_.Below(13)) {
      case 0: Return(part, Arg(part, 1) + Arg(part, 2)); break;
      case 1: ReturnInt32(part, static_cast<int32_t>(static_cast<uint32_t>(ArgInt32(part, 1)) * 3u)); break;
      case 2: ReturnInt64(part, static_cast<int64_t>(static_cast<uint64_t>(ArgInt64(part, 1)) - static_cast<uint64_t>(ArgInt64(part, 2)))); break;
      case 3: ReturnStr(part, (std::string(ArgStr(part, 1)) + "s").c_str()); break;
      case 4:
        if (ResultIsPlainNumber(part)) ReturnPtr(part, hostCell);
        break;
      case 5: ReturnPtr(part, nullptr); break;
      case 6: (void)ErrorRaise(part, program_.Number()); break;
      case 7: (void)ErrorRaiseMessage(part, program_.Text(kMessages, 3).c_str()); break;
      case 8: (void)Eval(instance_, program_.Text(kReentries, sizeof kReentries / sizeof *kReentries).c_str()); break;
      case 9: (void)EvalStr(instance_, program_.Text(kReentries, sizeof kReentries / sizeof *kReentries).c_str());
        break;
      case 10: {
        QuorbExpression* argument = ArgExpr(part, 1 + program_.Below(2));
        if (argument == nullptr) break;
        Return(part, Evaluate(argument));
        (void)EvaluateStr(argument);
        break;
      }
      case 11: EvaluateKept(program_.Below(static_cast<int32_t>(kMaxKept))); break;
      default: break;  // writes nothing: the result keeps its reset value
    }
  }

  // Whether the running item's result is a fixed-width number, which host
  // memory of 16 zero bytes holds soundly.
  static bool ResultIsPlainNumber(QuorbPart* part) {
    const int32_t index = Index(GetDataType(OpItem(part)));
    return (index >= 2 && index <= 10) || index == 13 || index == 14 || index == 16;
  }

  void Step() {
    switch (program_.Below(14)) {
      case 0: {
        if (kept_.size() >= kMaxKept) break;
        const std::string text = program_.Text(kExpressions, sizeof kExpressions / sizeof *kExpressions);
        kept_.push_back(Parse(instance_, text.c_str(), program_.Byte() & 1 ? "String" : ""));
        break;
      }
      case 1: EvaluateKept(program_.Below(static_cast<int32_t>(kMaxKept))); break;
      case 2: {
        if (kept_.empty()) break;
        const size_t at = static_cast<size_t>(program_.Below(static_cast<int32_t>(kept_.size())));
        ReleaseExpr(kept_[at]);
        kept_.erase(kept_.begin() + static_cast<std::ptrdiff_t>(at));
        break;
      }
      case 3: {
        const std::string text = program_.Text(kExpressions, sizeof kExpressions / sizeof *kExpressions);
        if (program_.Byte() & 1) {
          (void)Eval(instance_, text.c_str());
        } else {
          (void)EvalStr(instance_, text.c_str());
        }
        break;
      }
      case 4: OverwriteOp(); break;
      case 5: ReleaseItem(PickItem()); break;
      case 6: Rename(PickItem(), program_.Text(kNames, sizeof kNames / sizeof *kNames).c_str()); break;
      case 7: SetValueOp(); break;
      case 8: {
        const size_t count = sizeof kSignatures / sizeof *kSignatures;
        (void)DefineFunction(instance_, kSignatures[program_.Below(static_cast<int32_t>(count))], Body);
        break;
      }
      case 9: OutputOp(); break;
      case 10: (void)AddErrorHandler(instance_, Handler, program_.Below(3) - 1); break;
      case 11: {
        QuorbItem* item = PickItem();
        (void)Value(item);
        (void)ValueSng(item);
        (void)ValueByte(item);
        (void)ValueInt16(item);
        (void)ValueInt64(item);
        (void)std::strlen(ValueStr(item));
        (void)std::strlen(Text(item));
        (void)NextOverload(item);
        (void)FunctionAddress(item);
        break;
      }
      case 12: (void)Define_Overload_Quorb(
          instance_, program_.Text(kBodies, sizeof kBodies / sizeof *kBodies).c_str(), nullptr, nullptr);
        break;
      default: (void)FPEnvClearException(instance_, 0); break;
    }
  }

  void EvaluateKept(int32_t at) {
    if (static_cast<size_t>(at) >= kept_.size()) return;
    QuorbExpression* expression = kept_[static_cast<size_t>(at)];
    switch (program_.Below(6)) {
      case 0: (void)Evaluate(expression); break;
      case 1: (void)EvaluateNTE(expression); break;
      case 2: (void)EvaluateInt32(expression); break;
      case 3: (void)std::strlen(EvaluateStr(expression)); break;
      case 4: (void)EvaluateVoid(expression); break;
      default: Execute(expression); break;
    }
  }

  QuorbItem* PickItem() {
    const std::string name = program_.Text(kNames, sizeof kNames / sizeof *kNames);
    QuorbItem* item = HandleOf(instance_, name.c_str(), 0, 1);
    // Older overloads of the name too.
    for (int older = program_.Below(3); older > 0 && item != nullptr; --older) {
      QuorbItem* next = NextOverload(item);
      if (next == nullptr) break;
      item = next;
    }
    return item;
  }

  void OverwriteOp() {
    if (program_.Byte() & 1) {
      const size_t count = sizeof kCrossOverwrites / sizeof *kCrossOverwrites;
      (void)Define_Overload_Quorb(instance_, kCrossOverwrites[program_.Below(static_cast<int32_t>(count))], nullptr,
                                  nullptr);
      return;
    }
    const size_t count = sizeof kCallbackOverwrites / sizeof *kCallbackOverwrites;
    (void)Define_Overload_Quorb(instance_, kCallbackOverwrites[program_.Below(static_cast<int32_t>(count))],
                                reinterpret_cast<void*>(Body), nullptr);
  }

  void SetValueOp() {
    QuorbItem* item = PickItem();
    const int32_t number = program_.Number();
    switch (program_.Below(9)) {
      case 0: SetVariableValue(item, number * 0.5); break;
      case 1: SetVariableValueSng(item, static_cast<float>(number)); break;
      case 2: SetVariableValueByte(item, static_cast<uint8_t>(number)); break;
      case 3: SetVariableValueInt16(item, static_cast<int16_t>(number)); break;
      case 4: SetVariableValueInt32(item, number); break;
      case 5: SetVariableValueInt64(item, number * 4294967296LL); break;
      case 6: SetVariableValueStr(item, "text"); break;
      case 7: SetVariableValueAny(item, "hd(2) * 3"); break;
      default: SetVariableValueDbl(item, -static_cast<double>(number)); break;
    }
  }

  void OutputOp() {
    const std::string format = program_.Text(kOutputFormats, sizeof kOutputFormats / sizeof *kOutputFormats);
    switch (program_.Below(3)) {
      case 0: (void)SetOutput_Overload_Quorb__Callback(instance_, Output, format.c_str()); break;
      case 1: (void)SetOutput_Overload_Quorb__NoCallback(instance_, format.c_str()); break;
      default: ResetOutput(instance_); break;
    }
  }

  quorb_fuzz::ByteProgram& program_;
  QuorbInstance* instance_;
  std::vector<QuorbExpression*> kept_;
  int depth_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return quorb_fuzz::RunProgram<CallbackHost>(data, size);
}
