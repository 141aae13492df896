// Output formats: a type's Output items rewrite the plain text of its values.
// The format added last runs first on the plain text; each later one gets
// what the earlier produced. While an output expression runs, the instance's
// flag bit 54 is set, so a value printed from inside it comes out plain and
// the recursion ends there. A callback format cannot be told apart from
// the host code around it, so its nesting is counted instead and capped.
#include <cfenv>
#include <string>

#include "engine/exception_flags.h"
#include "engine/invariant.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "types/data_type.h"

namespace QuorbNameSpace {
namespace {

// Callback formats that print a value of their own type nest; past this
// depth the value comes out plain and error 18 is raised once.
const int MaxFormatDepth = 16;

// For the duration of the formatting: every floating-point exception is
// ignored, the flags the formats raise are dropped (the caller's are kept),
// and one more level of nesting is counted. All of it is undone however the
// formatting ends.
class FormattingScope {
 public:
  explicit FormattingScope(Quorb* instance) : instance_(instance), savedMask_(instance->Evaluator.IgnoredExceptions) {
    instance_->Evaluator.IgnoredExceptions = FiveExceptionFlags;
    ++instance_->Running.FormatDepth;
  }
  ~FormattingScope() {
    QUORB_ASSERT(instance_->Running.FormatDepth > 0);
    --instance_->Running.FormatDepth;
    instance_->Evaluator.IgnoredExceptions = savedMask_;
  }
  FormattingScope(const FormattingScope&) = delete;
  FormattingScope& operator=(const FormattingScope&) = delete;

 private:
  Quorb* instance_;
  int32_t savedMask_;
  ExceptionFlagsKept flags_;
};

std::string& TextOf(QuorbItem* item) { return *static_cast<std::string*>(item->ValuePtr); }

// Runs an output expression on `text` through the instance's output-text item.
std::string RunOutputExpression(Quorb* instance, QuorbParsedExpr* expr, const std::string& text) {
  if (instance->Definitions.OutputTextItem != nullptr && instance->Definitions.OutputTextItem->ValuePtr != nullptr)
    TextOf(instance->Definitions.OutputTextItem) = text;
  // An error pending from before (evaluations never clear it) belongs to
  // no part of this expression: the format prints its value, and the
  // pending error stays the one reported.
  const int32_t pending = instance->Error.Number;
  instance->Error.Number = 0;
  instance->Definitions.Flags |= PropertyBit(IsFormatting);
  std::string result = expr->EvaluateStr();
  instance->Definitions.Flags &= ~PropertyBit(IsFormatting);
  if (pending != 0) instance->Error.Number = pending;
  return result;
}

}  // namespace

std::string QuorbDataType::ToStringFormatted(const void* value) { return ToStringFormatted(ToString(value)); }

std::string QuorbDataType::ToStringFormatted(const std::string& text) {
  if (Outputs.empty() || Item == nullptr) return text;
  Quorb* instance = Item->Owner;
  if (instance == nullptr || (instance->Definitions.Flags & PropertyBit(IsFormatting)) != 0) return text;
  if (instance->Types.StringType == nullptr) return text;

  if (instance->Running.FormatDepth >= MaxFormatDepth) {
    if (instance->Running.FormatDepth == MaxFormatDepth) instance->ErrorRaise(nullptr, ErrReparseLimit);
    return text;
  }

  QuorbItem current(instance->Types.StringType, std::string());
  if (current.ValuePtr == nullptr) return text;
  TextOf(&current) = text;
  ExpressionPart context;
  context.Args.push_back(&current);
  context.Result = &current;

  FormattingScope scope(instance);
  // By index, from the last: a format may change the list while it runs.
  for (size_t i = Outputs.size(); i-- > 0;) {
    if (i >= Outputs.size()) continue;
    QuorbItem* output = Outputs[i];
    if (output->ParsedExpr != nullptr) {
      TextOf(&current) = RunOutputExpression(instance, output->ParsedExpr, TextOf(&current));
    } else if (output->Callback != nullptr) {
      context.OpItem = output;  // how the callback reaches the instance
      output->Callback(context);
    }
  }
  return TextOf(&current);
}

}  // namespace QuorbNameSpace
