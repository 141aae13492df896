// Exports: tokens and rules of a transform, and the rule list the host
// reads by index.
#include "api/item_release.h"
#include "api/transform_boundary.h"

using namespace QuorbApi;

namespace {

// The rule `from` -> `to` compiled on the transform; null when none is made
// or the transform is running. A rule no table filed is kept by its
// transform: the host holds only a handle and may never release it.
EngineItem* CompileRule(StringLocation& transform, const char* from, const char* to) {
  if (IsBusy(transform)) {
    Refused(transform);
    return nullptr;
  }
  // Room first: a rule kept by nothing once compiled would be lost.
  transform.ReserveUnfiledRule();
  EngineItem* rule = transform.DefineRule(TextIn(from), TextIn(to), nullptr);
  if (rule != nullptr && rule->OwningTable == nullptr && rule->Rule().DefiningTransform != nullptr)
    rule->Rule().DefiningTransform->KeepUnfiledRule(rule);
  return rule;
}

QuorbItem* DefineTokenOn(QuorbTransform* handle, const char* regex, int32_t kind, const char* closing,
                         int32_t subMatch, int32_t grammar) {
  return OnTransform<QuorbItem*>(handle, nullptr, [&](StringLocation& transform) -> QuorbItem* {
    if (subMatch < 0 || IsBusy(transform)) {
      Refused(transform);
      return nullptr;
    }
    return Handle(transform.DefineToken(TextIn(regex), static_cast<TokenEnum>(kind), TextIn(closing),
                                        static_cast<uint64_t>(subMatch), grammar, nullptr));
  });
}

// The embedded rule items live inside their transform: never freed alone.
bool IsEmbedded(const EngineItem* rule) {
  const StringLocation* home = rule->Rule().DefiningTransform;
  return home != nullptr && (rule == &home->HostRules.RulesDefault || rule == &home->HostRules.RulesOverall);
}

}  // namespace

extern "C" {

QUORB_API QuorbTransform* Import_Overload_QuorbTransform_Tokens__Obj(QuorbTransform* handle, QuorbTransform* source) {
  return OnTransform<QuorbTransform*>(handle, nullptr, [&](StringLocation& transform) {
    if (IsBusy(transform)) return Refused(transform);
    if (source != nullptr && Engine(source)->Tokens != nullptr) transform.ImportTokens(*Engine(source)->Tokens);
    return handle;
  });
}

QUORB_API QuorbItem* DefineToken(QuorbTransform* transform, const char* regex, int32_t kind, const char* closing,
                                 int32_t subMatch, int32_t grammar) {
  return DefineTokenOn(transform, regex, kind, closing, subMatch, grammar);
}

QUORB_API QuorbItem* Define_Overload_QuorbTransform_Tokens(QuorbTransform* transform, const char* regex, int32_t kind,
                                                           const char* closing, int32_t subMatch, int32_t grammar) {
  return DefineTokenOn(transform, regex, kind, closing, subMatch, grammar);
}

QUORB_API QuorbItem* DefineRule(QuorbTransform* handle, const char* comment, const char* from, const char* to,
                                int32_t minimum, int32_t maximum, int32_t minimumHard, int32_t maximumHard,
                                int32_t precedence, int32_t startAfter, int32_t stopAfter, int32_t skipOver,
                                int32_t rewindOnChange, int32_t caseSensitive, int32_t codeBlockSensitive,
                                int32_t quoteSensitive, int32_t rightToLeft) {
  return OnTransform<QuorbItem*>(handle, nullptr, [&](StringLocation& transform) -> QuorbItem* {
    EngineItem* rule = CompileRule(transform, from, to);
    if (rule == nullptr) return nullptr;
    QuorbNameSpace::RuleParamStruct& fields = rule->EditRule();
    fields.Comment = TextIn(comment);
    fields.Maximum = UpperLimit(maximum);
    fields.Minimum = LowerLimit(minimum);
    fields.MaximumHard = UpperLimit(maximumHard);
    fields.MinimumHard = LowerLimit(minimumHard);
    fields.StartAfter = LowerLimit(startAfter);
    fields.StopAfter = UpperLimit(stopAfter);
    rule->Precedence = precedence;
    // The two blind bits are stored inverted: set when not sensitive.
    SetOnFamily(*rule, QuorbNameSpace::IsRewindOnChange, rewindOnChange != 0);
    SetOnFamily(*rule, QuorbNameSpace::IsCaseSensitive, caseSensitive != 0);
    SetOnFamily(*rule, QuorbNameSpace::IsCodeBlockBlind, codeBlockSensitive == 0);
    SetOnFamily(*rule, QuorbNameSpace::IsQuoteBlind, quoteSensitive == 0);
    SetOnFamily(*rule, QuorbNameSpace::IsSkipOver, skipOver != 0);
    SetOnFamily(*rule, QuorbNameSpace::IsRightToLeft, rightToLeft != 0);
    return Handle(rule);
  });
}

QUORB_API QuorbItem* FromTo(QuorbTransform* handle, const char* from, const char* to) {
  return OnTransform<QuorbItem*>(handle, nullptr,
                                 [&](StringLocation& transform) { return Handle(CompileRule(transform, from, to)); });
}

QUORB_API QuorbItem* GetRule(QuorbTransform* handle, int32_t index) {
  return OnTransform<QuorbItem*>(handle, nullptr, [&](StringLocation& transform) -> QuorbItem* {
    if (index < 0 || index > MaxListIndex) return nullptr;
    const size_t slot = static_cast<size_t>(index);
    std::vector<EngineItem*>& rules = transform.HostRules.RuleHandles;
    if (slot >= rules.size()) {
      rules.resize(slot + 1, nullptr);
      rules[slot] = transform.NewBlankRule();
    }
    return Handle(rules[slot]);
  });
}

QUORB_API QuorbItem* RulesDefault(QuorbTransform* handle) {
  return handle != nullptr ? Handle(&Engine(handle)->HostRules.RulesDefault) : nullptr;
}

QUORB_API QuorbItem* RulesOverall(QuorbTransform* handle) {
  if (handle == nullptr) return nullptr;
  StringLocation* transform = Engine(handle);
  // Linked so that ReleaseRule knows it lives inside the transform.
  transform->HostRules.RulesOverall.EditRule().DefiningTransform = transform;
  return Handle(&transform->HostRules.RulesOverall);
}

QUORB_API void ReleaseRule(QuorbItem* handle) {
  if (handle == nullptr) return;
  EngineItem* item = Engine(handle);
  StringLocation* home = item->Rule().DefiningTransform;
  const bool token = item->Token().TokenList != nullptr;
  Quorb* instance = home != nullptr && home->Owner != nullptr ? home->Owner : item->Owner;
  GuardedVoid(instance, ErrInvalidDefinition, [&] {
    // Only what a transform made for the host goes here: its rules and its
    // tokens. A variable, a function or a type is the instance's.
    if ((home == nullptr && !token) || IsEmbedded(item) || item->Has(QuorbNameSpace::IsNotFound) ||
        item->Has(QuorbNameSpace::IsDefaultItem)) {
      if (instance != nullptr) instance->SetErrorIfNone(ErrInvalidDefinition);
      return;
    }
    if (home != nullptr && IsBusy(*home)) {
      Refused(*home);  // the running expansion may be reading this rule
      return;
    }
    if (home != nullptr && home->DisownBlankRule(item)) {
      // A blank or unfiled rule: the transform's list held it alone.
      delete item;
      return;
    }
    if (!MayRelease(item)) {
      if (instance != nullptr) instance->SetErrorIfNone(ErrNotModifiable);
      return;
    }
    Unlist(item);
    delete item;
  });
}

}  // extern "C"
