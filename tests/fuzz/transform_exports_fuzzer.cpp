// Fuzz target: the transform exports driven as a host drives them. The input
// is a small op program (see ByteProgram) over two instances: transforms
// and their passes (sharing and owning), tokens, rules and their property
// setters, Reset of every kind, SetParser between the instances,
// ReleaseRule, ReleaseItem, input by copy and by reference, the expansions
// and their results, interleaved in any order. A rule's "to" text may call
// the host function hook(), which runs the next op of the program while the
// transform runs, as a host callback would.
//
// The target keeps a host's bookkeeping: a handle whose object the library
// has (or may have) freed is forgotten, so every fault found is the
// library's. Both instances are released at the end, so leaks count.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "fuzz_support.h"

namespace {

constexpr size_t kMaxTransforms = 12;
constexpr size_t kMaxRules = 24;
constexpr size_t kMaxOps = 200;
constexpr int kMaxHookDepth = 2;

const char* const kFroms[] = {"a", "cat", "{x} + {y}", "[opt] b", "sq({x})", "{@Start} a", "a {@End}", "({x})",
                              "{n:2} c", "\"q\"", "x", "", "{x}", "a {@Stop}", "{ {x} }", "b"};
const char* const kTos[] = {" a a",         "dog",     "{y} + {x}", "b", "(({x})*({x}))", "{@Eval: hook(1)}",
                            "{@Eval: 1+2}", "{@Self}", "{x}{x}",    "",  "z",             "{@Exec: hook(2)}",
                            "[{x}]",        "{@Doc}",  "a"};
const char* const kInputs[] = {"a b c", "cat sat", "1 + 2", "sq(a+b)", "(a (b (c)))", "\"q\" a", "x y z {a}",
                               "{ block }", "a a a a", "", "b opt b", "sq(sq(2))"};
const char* const kPatterns[] = {"[a-z]+", "\\{", "<\\|", "[0-9]+", "\\(", "a|b", "x*", "[", "([a-z])L", "\\s+"};
const char* const kClosings[] = {"", "\\}", "\\|>", "\\)"};
const char* const kExpressions[] = {"sq(3)", "1+2", "cat", "a + 1", "hook(3)", "Eval(\"1+1\")"};

struct TransformSlot {
  QuorbTransform* handle = nullptr;
  int parent = -1;                  // slot of the transform that owns it; -1 for none
  const QuorbItem* rule = nullptr;  // the rule whose local transform it is
  bool sharing = false;
  bool hostMade = false;            // from NewTransform: ReleaseTransform frees it
};

struct RuleSlot {
  QuorbItem* handle = nullptr;
  int owner = -1;  // transform slot it was made through
  bool token = false;
};

class TransformHost {
 public:
  explicit TransformHost(quorb_fuzz::ByteProgram& program) : program_(program), transforms_(kMaxTransforms) {
    instances_[0] = CreateQuorb(nullptr);
    instances_[1] = CreateQuorb(nullptr);
    for (QuorbInstance* instance : instances_) {
      (void)DefineFunction(instance, "hook(k)", Hook);
      (void)DefineVariable(instance, "vr = 2", nullptr);
      AddTransform(ParserTransform(instance), -1, nullptr, false, false);
    }
  }

  ~TransformHost() {
    ReleaseQuorb(instances_[0]);
    ReleaseQuorb(instances_[1]);
  }

  void Run() {
    current_ = this;
    for (size_t ops = 0; ops < kMaxOps && !program_.Done(); ++ops) Step();
    current_ = nullptr;
  }

 private:
  static void QUORB_CALLBACK Hook(QuorbPart* part) {
    Return(part, ArgInt32(part, 1));
    if (current_ == nullptr || current_->hookDepth_ >= kMaxHookDepth) return;
    ++current_->hookDepth_;
    current_->Step();
    --current_->hookDepth_;
  }

  void Step() {
    switch (program_.Below(28)) {
      case 0: AddTransform(NewTransform(Instance()), -1, nullptr, false, true); break;
      case 1: MakePass(false); break;
      case 2: MakePass(true); break;
      case 3: {
        const int at = PickTransform();
        const int32_t index = program_.Below(5);
        const bool share = program_.Byte() & 1;
        AddTransform(Pass(Transform(at), index, share), at, nullptr, share, false);
        break;
      }
      case 4: {
        const int rule = PickRule();
        if (rule < 0) break;
        AddTransform(LocalTransform(rules_[rule].handle), rules_[rule].owner, rules_[rule].handle, false, false);
        break;
      }
      case 5: DefineTokenOp(); break;
      case 6: {
        const int at = PickTransform();
        const std::string from = Text(kFroms), to = Text(kTos);
        AddRule(FromTo(Transform(at), from.c_str(), to.c_str()), at, false);
        break;
      }
      case 7: DefineRuleOp(); break;
      case 8: {
        const int at = PickTransform();
        AddRule(GetRule(Transform(at), program_.Below(6)), at, false);
        break;
      }
      case 9: SetRuleProperty(); break;
      case 10: ReleaseRuleOp(false); break;
      case 11: ReleaseRuleOp(true); break;
      case 12: ResetOp(); break;
      case 13: SetParserOp(); break;
      case 14: {
        const int at = PickTransform();
        if (at < 0 || transforms_[at].handle == nullptr) break;
        ReleaseTransform(transforms_[at].handle);
        if (transforms_[at].hostMade || transforms_[at].rule != nullptr) Forget(at);
        break;
      }
      case 15: (void)SetInput(Transform(PickTransform()), Text(kInputs).c_str()); break;
      case 16: SetInputByRefOp(); break;
      case 17: {
        QuorbTransform* transform = Transform(PickTransform());
        (void)::Transform(transform);
        (void)ResultStr(transform);
        (void)WasModified(transform);
        break;
      }
      case 18: (void)Expand(Transform(PickTransform()), Text(kInputs).c_str()); break;
      case 19: {
        QuorbTransform* transform = Transform(PickTransform());
        (void)ExpandWithSteps(transform, Text(kInputs).c_str(), program_.Byte() & 1 ? "|" : "", "[", "");
        break;
      }
      case 20: ListTextsOp(); break;
      case 21: (void)Import_Overload_QuorbTransform_Tokens__Obj(Transform(PickTransform()), Transform(PickTransform()));
        break;
      case 22: {
        if (hookDepth_ > 0) break;  // a parse inside a rule's directive is the callback target's ground
        QuorbExpression* expression = Parse(Instance(), Text(kExpressions).c_str(), "");
        (void)EvaluateStr(expression);
        ReleaseExpr(expression);
        break;
      }
      case 23: {
        const int rule = PickRule();
        if (rule < 0) break;
        (void)ReplacementText(rules_[rule].handle);
        (void)::Text(rules_[rule].handle);
        (void)Name_Overload_Item(rules_[rule].handle);
        (void)IsProperty(rules_[rule].handle, program_.Byte());
        break;
      }
      case 24: {
        const int at = PickTransform();
        AddRule(program_.Byte() & 1 ? RulesDefault(Transform(at)) : RulesOverall(Transform(at)), at, false);
        break;
      }
      case 25: {
        const int rule = PickRule();
        if (rule < 0) break;
        Rename(rules_[rule].handle, program_.Byte() & 1 ? "x" : "");
        break;
      }
      case 26: {
        // A variable is no rule: ReleaseRule must refuse it, ReleaseItem
        // frees it (the pass lists are walked for references either way).
        QuorbInstance* instance = Instance();
        QuorbItem* variable = HandleOf(instance, "vr", 0, 1);
        if (program_.Byte() & 1) {
          ReleaseItem(variable);
        } else {
          ReleaseRule(variable);
        }
        if (IsProperty(HandleOf(instance, "vr", 0, 1), 56) != 0) (void)DefineVariable(instance, "vr = 2", nullptr);
        break;
      }
      default: break;
    }
  }

  QuorbInstance* Instance() { return instances_[program_.Byte() & 1]; }

  template <size_t N>
  std::string Text(const char* const (&table)[N]) {
    return program_.Text(table, N);
  }

  // A slot index, possibly of an empty slot (whose handle is null: the
  // exports take null and do nothing). The slots are fixed in number, so
  // an op run from a hook never moves those of the op around it.
  int PickTransform() { return program_.Below(static_cast<int32_t>(kMaxTransforms)); }
  QuorbTransform* Transform(int at) { return transforms_[static_cast<size_t>(at)].handle; }
  int PickRule() {
    if (rules_.empty()) return -1;
    return program_.Below(static_cast<int32_t>(rules_.size()));
  }

  void AddTransform(QuorbTransform* handle, int parent, const QuorbItem* rule, bool sharing, bool hostMade) {
    if (handle == nullptr) return;
    for (const TransformSlot& slot : transforms_)
      if (slot.handle == handle) return;
    TransformSlot made;
    made.handle = handle;
    made.parent = parent;
    made.rule = rule;
    made.sharing = sharing;
    made.hostMade = hostMade;
    for (TransformSlot& slot : transforms_)
      if (slot.handle == nullptr) {
        slot = made;
        return;
      }
  }

  void AddRule(QuorbItem* handle, int owner, bool token) {
    if (handle == nullptr || rules_.size() >= kMaxRules) return;
    for (const RuleSlot& slot : rules_)
      if (slot.handle == handle) return;
    rules_.push_back(RuleSlot{handle, owner, token});
  }

  void MakePass(bool share) {
    const int at = PickTransform();
    AddTransform(NewPass(Transform(at), share ? 1 : 0), at, nullptr, share, false);
  }

  void DefineTokenOp() {
    const int at = PickTransform();
    const std::string pattern = Text(kPatterns), closing = Text(kClosings);
    const int32_t kind = program_.Below(13);
    const int32_t subMatch = program_.Below(4) - 1;
    const int32_t grammar = program_.Below(8);
    AddRule(DefineToken(Transform(at), pattern.c_str(), kind, closing.c_str(), subMatch, grammar), at, true);
  }

  void DefineRuleOp() {
    const int at = PickTransform();
    const std::string from = Text(kFroms), to = Text(kTos);
    int32_t n[15];
    for (int32_t& value : n) value = program_.Number();
    AddRule(DefineRule(Transform(at), "fuzzed", from.c_str(), to.c_str(), n[0], n[1], n[2], n[3], n[4], n[5], n[6],
                       n[7], n[8], n[9], n[10], n[11], n[12]),
            at, false);
  }

  void SetRuleProperty() {
    const int rule = PickRule();
    if (rule < 0) return;
    QuorbItem* item = rules_[rule].handle;
    const int32_t value = program_.Number();
    switch (program_.Below(18)) {
      case 0: (void)Active(item, value); break;
      case 1: (void)CaseSensitive(item, value); break;
      case 2: (void)WhitespaceSensitive(item, value); break;
      case 3: (void)CodeBlockSensitive(item, value); break;
      case 4: (void)QuoteSensitive(item, value); break;
      case 5: (void)SkipOver(item, value); break;
      case 6: (void)RewindOnChange(item, value); break;
      case 7: (void)RightToLeft(item, value); break;
      case 8: (void)Precedence(item, value); break;
      case 9: (void)Minimum(item, value); break;
      case 10: (void)Maximum(item, value); break;
      case 11: (void)MinimumHard(item, value); break;
      case 12: (void)MaximumHard(item, value); break;
      case 13: (void)StartAfter(item, value); break;
      case 14: (void)StopAfter(item, value); break;
      case 15: (void)FindPart(item, Text(kFroms).c_str()); break;
      case 16: (void)ToPart(item, Text(kTos).c_str()); break;
      default: (void)Comment_Overload_QuorbTransform_RuleClass(item, "c"); break;
    }
  }

  void ReleaseRuleOp(bool asItem) {
    const int rule = PickRule();
    if (rule < 0) return;
    QuorbItem* item = rules_[rule].handle;
    ForgetRule(item);
    if (asItem)
      ReleaseItem(item);
    else
      ReleaseRule(item);
  }

  void ResetOp() {
    const int at = PickTransform();
    if (Transform(at) == nullptr) return;
    const int32_t kind = program_.Below(6) - 1;
    const TransformSlot& slot = transforms_[at];
    // A sharing pass's reset reaches its transform's parts: forget the
    // whole family below that transform.
    const bool sharing = slot.sharing;
    const int top = sharing ? slot.parent : at;
    if (Reset(transforms_[at].handle, kind) == nullptr) return;
    ForgetBelow(top, sharing ? 0 : kind);
  }

  void SetParserOp() {
    const int at = PickTransform();
    if (Transform(at) == nullptr) return;
    (void)SetParser(transforms_[at].handle, Instance());
  }

  void SetInputByRefOp() {
    const int at = PickTransform();
    if (program_.Byte() & 1) {
      (void)SetInputByRef(Transform(at), nullptr);
      return;
    }
    if (targets_.size() >= 32) return;
    targets_.emplace_back(Text(kInputs));  // kept alive until the instances go
    (void)SetInputByRef(Transform(at), &targets_.back());
  }

  void ListTextsOp() {
    QuorbTransform* transform = Transform(PickTransform());
    switch (program_.Below(5)) {
      case 0: (void)ListPrefix(transform, "<"); break;
      case 1: (void)ListSeparator(transform, ", "); break;
      case 2: (void)ListPostfix(transform, ">"); break;
      case 3: (void)ListDelimiters(transform, "", "", ""); break;
      default: (void)Comment_Overload_QuorbTransform(transform, "comment"); break;
    }
  }

  bool IsBelow(int at, int top) const {
    for (int walk = at, steps = 0; walk >= 0 && steps < 64; walk = transforms_[walk].parent, ++steps)
      if (walk == top) return true;
    return false;
  }

  // After Reset(top, kind): its passes (and everything made through them)
  // are gone, and its own rules or tokens as the kind says.
  void ForgetBelow(int top, int32_t kind) {
    const bool rulesGo = kind == 0 || kind == 3;
    const bool tokensGo = kind == 0 || kind == 2;
    std::vector<const QuorbItem*> gone;
    for (const RuleSlot& slot : rules_)
      if (slot.owner == top ? (slot.token ? tokensGo : rulesGo) : slot.owner >= 0 && IsBelow(slot.owner, top))
        gone.push_back(slot.handle);
    for (const QuorbItem* rule : gone) ForgetRule(rule);
    ForgetFamily(top, false);
  }

  // Forgets every transform made through slot `at` (and `at` itself when
  // `forgetTop`) and the rules made through them.
  void ForgetFamily(int at, bool forgetTop) {
    std::vector<bool> gone(transforms_.size(), false);
    for (size_t i = 0; i < transforms_.size(); ++i)
      gone[i] = transforms_[i].handle != nullptr && IsBelow(static_cast<int>(i), at) &&
                (forgetTop || static_cast<int>(i) != at);
    std::vector<const QuorbItem*> rules;
    for (const RuleSlot& slot : rules_)
      if (slot.owner >= 0 && gone[static_cast<size_t>(slot.owner)]) rules.push_back(slot.handle);
    for (size_t i = 0; i < transforms_.size(); ++i)
      if (gone[i]) transforms_[i] = TransformSlot();
    for (const QuorbItem* rule : rules) ForgetRule(rule);
  }

  void Forget(int at) { ForgetFamily(at, true); }

  // Forgets a rule and the local transform it owns.
  void ForgetRule(const QuorbItem* rule) {
    for (size_t i = 0; i < rules_.size();)
      if (rules_[i].handle == rule) {
        rules_.erase(rules_.begin() + static_cast<std::ptrdiff_t>(i));
      } else {
        ++i;
      }
    for (size_t i = 0; i < transforms_.size(); ++i)
      if (transforms_[i].handle != nullptr && transforms_[i].rule == rule) Forget(static_cast<int>(i));
  }

  static TransformHost* current_;
  quorb_fuzz::ByteProgram& program_;
  QuorbInstance* instances_[2] = {nullptr, nullptr};
  std::vector<TransformSlot> transforms_;
  std::vector<RuleSlot> rules_;
  std::deque<std::string> targets_;
  int hookDepth_ = 0;
};

TransformHost* TransformHost::current_ = nullptr;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return quorb_fuzz::RunProgram<TransformHost>(data, size);
}
