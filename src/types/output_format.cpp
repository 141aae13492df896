// Output formats: a type's Output items rewrite the plain text of its values.
// The format added last runs first on the plain text; each later one gets
// what the earlier produced. While an output expression runs, the instance's
// flag bit 54 is set, so a value printed from inside it comes out plain and
// the recursion ends there.
#include <cfenv>
#include <string>

#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/exception_flags.h"
#include "engine/quorb_item.h"
#include "types/data_type.h"

namespace QuorbNameSpace {
namespace {

// Ignores every floating-point exception for the duration of the formatting
// and puts the instance's own mask back however the formatting ends.
class AllExceptionsIgnored {
 public:
  explicit AllExceptionsIgnored(Quorb* instance) : instance_(instance), saved_(instance->IgnoredExceptions) {
    instance_->IgnoredExceptions = FiveExceptionFlags;
  }
  ~AllExceptionsIgnored() { instance_->IgnoredExceptions = saved_; }

 private:
  Quorb* instance_;
  int32_t saved_;
};

std::string& TextOf(QuorbItem* item) { return *static_cast<std::string*>(item->ValuePtr); }

// Runs an output expression on `text` through the instance's output-text item.
std::string RunOutputExpression(Quorb* instance, QuorbParsedExpr* expr, const std::string& text) {
  if (instance->OutputTextItem != nullptr && instance->OutputTextItem->ValuePtr != nullptr)
    TextOf(instance->OutputTextItem) = text;
  instance->Flags |= PropertyBit(IsFormatting);
  std::string result = expr->EvaluateStr();
  instance->Flags &= ~PropertyBit(IsFormatting);
  return result;
}

}  // namespace

std::string QuorbDataType::ToStringFormatted(const void* value) { return ToStringFormatted(ToString(value)); }

std::string QuorbDataType::ToStringFormatted(const std::string& text) {
  if (Outputs.empty() || Item == nullptr) return text;
  Quorb* instance = Item->Owner;
  if (instance == nullptr || (instance->Flags & PropertyBit(IsFormatting)) != 0) return text;
  if (instance->StringType == nullptr) return text;

  QuorbItem current(instance->StringType, std::string());
  if (current.ValuePtr == nullptr) return text;
  TextOf(&current) = text;
  ExpressionPart context;
  context.Args.push_back(&current);
  context.Result = &current;

  AllExceptionsIgnored quiet(instance);
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
