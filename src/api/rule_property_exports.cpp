// Exports: the properties of one rule (or of a transform's rule defaults,
// whose flags the transform mirrors). Each setter returns the rule.
#include "api/transform_boundary.h"

using namespace QuorbApi;
using QuorbNameSpace::ItemIsEnum;

namespace {

// Runs `set` on the rule; null does nothing.
template <typename Set>
QuorbItem* OnRule(QuorbItem* handle, Set set) noexcept {
  if (handle == nullptr) return nullptr;
  EngineItem* rule = Engine(handle);
  return Guarded<QuorbItem*>(rule->Owner, ErrInvalidDefinition, nullptr, [&] {
    set(*rule);
    return handle;
  });
}

QuorbItem* SetFlag(QuorbItem* handle, ItemIsEnum bit, bool on) {
  return OnRule(handle, [&](EngineItem& rule) { SetOnFamily(rule, bit, on); });
}

QuorbItem* SetLimit(QuorbItem* handle, uint64_t QuorbNameSpace::RuleParamStruct::*limit, uint64_t value) {
  return OnRule(handle, [&](EngineItem& rule) { rule.EditRule().*limit = value; });
}

QuorbItem* SetText(QuorbItem* handle, std::string QuorbNameSpace::RuleParamStruct::*field, const char* text) {
  return OnRule(handle, [&](EngineItem& rule) { rule.EditRule().*field = TextIn(text); });
}

}  // namespace

extern "C" {

QUORB_API QuorbItem* Active(QuorbItem* rule, int32_t flag) { return SetFlag(rule, QuorbNameSpace::IsActive, flag != 0); }

QUORB_API QuorbItem* CaseSensitive(QuorbItem* rule, int32_t flag) {
  return SetFlag(rule, QuorbNameSpace::IsCaseSensitive, flag != 0);
}

QUORB_API QuorbItem* WhitespaceSensitive(QuorbItem* rule, int32_t flag) {
  return SetFlag(rule, QuorbNameSpace::IsWhitespaceSensitive, flag != 0);
}

// The two blind bits are stored inverted, the same way DefineRule stores them.
QUORB_API QuorbItem* CodeBlockSensitive(QuorbItem* rule, int32_t flag) {
  return SetFlag(rule, QuorbNameSpace::IsCodeBlockBlind, flag == 0);
}

QUORB_API QuorbItem* QuoteSensitive(QuorbItem* rule, int32_t flag) {
  return SetFlag(rule, QuorbNameSpace::IsQuoteBlind, flag == 0);
}

QUORB_API QuorbItem* SkipOver(QuorbItem* rule, int32_t flag) { return SetFlag(rule, QuorbNameSpace::IsSkipOver, flag != 0); }

QUORB_API QuorbItem* RewindOnChange(QuorbItem* rule, int32_t flag) {
  return SetFlag(rule, QuorbNameSpace::IsRewindOnChange, flag != 0);
}

QUORB_API QuorbItem* RightToLeft(QuorbItem* rule, int32_t flag) {
  return SetFlag(rule, QuorbNameSpace::IsRightToLeft, flag != 0);
}

QUORB_API QuorbItem* Precedence(QuorbItem* rule, int32_t precedence) {
  return OnRule(rule, [&](EngineItem& item) { item.Precedence = precedence; });
}

QUORB_API QuorbItem* Minimum(QuorbItem* rule, int32_t value) { return SetLimit(rule, &QuorbNameSpace::RuleParamStruct::Minimum, LowerLimit(value)); }
QUORB_API QuorbItem* Maximum(QuorbItem* rule, int32_t value) { return SetLimit(rule, &QuorbNameSpace::RuleParamStruct::Maximum, UpperLimit(value)); }
QUORB_API QuorbItem* MinimumHard(QuorbItem* rule, int32_t value) {
  return SetLimit(rule, &QuorbNameSpace::RuleParamStruct::MinimumHard, LowerLimit(value));
}
QUORB_API QuorbItem* MaximumHard(QuorbItem* rule, int32_t value) {
  return SetLimit(rule, &QuorbNameSpace::RuleParamStruct::MaximumHard, UpperLimit(value));
}
QUORB_API QuorbItem* StartAfter(QuorbItem* rule, int32_t value) { return SetLimit(rule, &QuorbNameSpace::RuleParamStruct::StartAfter, LowerLimit(value)); }
QUORB_API QuorbItem* StopAfter(QuorbItem* rule, int32_t value) { return SetLimit(rule, &QuorbNameSpace::RuleParamStruct::StopAfter, UpperLimit(value)); }

QUORB_API QuorbItem* FindPart(QuorbItem* rule, const char* from) { return SetText(rule, &QuorbNameSpace::RuleParamStruct::FromPart, from); }
QUORB_API QuorbItem* FromPart(QuorbItem* rule, const char* from) { return SetText(rule, &QuorbNameSpace::RuleParamStruct::FromPart, from); }
QUORB_API QuorbItem* ToPart(QuorbItem* rule, const char* to) { return SetText(rule, &QuorbNameSpace::RuleParamStruct::ToPart, to); }

QUORB_API QuorbItem* Comment_Overload_QuorbTransform_RuleClass(QuorbItem* rule, const char* comment) {
  return OnRule(rule, [&](EngineItem& item) { item.EditRule().Comment = TextIn(comment); });
}

QUORB_API const char* ReplacementText(QuorbItem* rule) {
  static std::string text;
  if (rule == nullptr) return TextOut(text, std::string());
  EngineItem* item = Engine(rule);
  return Guarded<const char*>(item->Owner, ErrInvalidDefinition, "", [&] { return TextOut(text, item->Rule().ReplacementText); });
}

}  // extern "C"
