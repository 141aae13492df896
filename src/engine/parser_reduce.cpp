// Completing the part on top of the operator stack: the conversion of the
// result to the wanted type, bracket groups, and calls and operators, which
// argument matching (args_match.cpp) turns into steps of the output list.
#include <memory>

#include "builtins/builtin_definitions.h"
#include "engine/invariant.h"
#include "engine/parsed_expr.h"
#include "engine/parser_state.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "engine/sentinels.h"
#include "types/builtin_types.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

void ExpressionParser::Reduce(bool byCloser) {
  const OpenPart top = Top();
  // The conversion step is completed first; the terminator follows.
  if (top.part == terminator_ && ConvertToWanted()) return;
  if (top.bracketed && !byCloser) {
    // The text, a separator or a statement ended inside a bracket.
    q_.SetErrorIfNone(ErrCodeBlockDelimiter);
    return;
  }
  if (top.part->OpItem == Parenth) ReduceBracket();
  else CompletePart();
  reducePending_ = false;
  operandSeen_ = true;
}

// Before the terminator is completed, its value is tested against the wanted
// type; a value of another type that converts gets a conversion step, pushed
// to be completed next. True when that step was pushed.
bool ExpressionParser::ConvertToWanted() {
  if (wanted_ == nullptr || wantedDone_ || terminator_->Args.empty()) return false;
  wantedDone_ = true;
  QuorbItem* value = terminator_->Args.back();
  const QuorbDataType* type = value->DataType;
  // AnyType wants nothing in particular (the body of a function declared
  // As AnyType).
  if (type == wanted_ || IsAnyType(wanted_)) return false;
  if (wanted_->Item != nullptr && ConvertsImplicitly(q_, type, wanted_)) {
    std::unique_ptr<ExpressionPart> conversion(new ExpressionPart());
    conversion->Callback = ConversionStep.Callback;
    conversion->Roles = ConversionStep.Roles;
    conversion->OpItem = wanted_->Item;
    conversion->Args.push_back(value);
    stack_.push_back({conversion.get(), false});
    conversion.release();
    terminator_->Args.pop_back();  // the value is the conversion's now
    return true;
  }
  // A Pointer result is taken as it is: hosts read addresses as any type.
  if (type == nullptr || type->Index != TypePointer) q_.SetErrorIfNone(ErrTypeMismatch);
  return false;
}

// A bracket group has the value of its last element. The elements before it
// were computed for their effects; their values go to the comma holder,
// which owns them.
void ExpressionParser::ReduceBracket() {
  ExpressionPart* bracket = Top().part;
  if (bracket->Args.empty()) {
    q_.SetErrorIfNone(ErrCodeBlockDelimiter);
    return;
  }
  // Room first: once the values start to move, nothing may fail.
  ExpressionPart* below = stack_.size() > 1 ? stack_[stack_.size() - 2].part : terminator_;
  below->Args.reserve(below->Args.size() + 1);
  if (bracket->Args.size() > 1) ReserveAside(bracket->Args.size() - 1);
  stack_.pop_back();
  QuorbItem* value = bracket->Args.back();
  bracket->Args.pop_back();
  for (QuorbItem* earlier : bracket->Args) HoldAside(earlier);
  delete bracket;
  AddOperand(value);
}

void ExpressionParser::ReserveAside(size_t count) {
  if (commaHolder_ == nullptr) {
    auto holder = std::make_unique<ExpressionPart>();
    holder->OpItem = Parenth;
    commaHolder_ = holder.release();
  }
  commaHolder_->Args.reserve(commaHolder_->Args.size() + count);
}

void ExpressionParser::HoldAside(QuorbItem* value) {
  ReserveAside(1);
  commaHolder_->Args.push_back(value);
}

// A call, an operator application or a conversion by type name becomes a
// step: appended to the output list, matched, and its result handed to the
// part below as an operand.
void ExpressionParser::CompletePart() {
  ExpressionPart* part = Top().part;
  output_.push_back(part);
  stack_.pop_back();
  // Room for the result in the part below and among the folded constants:
  // once matching has made it, nothing owns it until it gets there.
  Current()->Args.reserve(Current()->Args.size() + 1);
  folded_.reserve(folded_.size() + 1);
  QuorbItem* op = part->OpItem;
  if (part == terminator_) return;
  // Only a callable item can run as a step; the loop never calls null.
  if (!op->Has(IsCallable)) {
    q_.SetErrorIfNone(ErrUndefinedCallback);
    return;
  }
  // Where the last argument's steps end: at the part itself.
  if (!part->ArgStarts().empty()) part->ArgStarts().push_back(output_.size() - 1);
  if (op->Has(IsOperator) && part->Args.size() != (op->Has(IsInfix) ? 2u : 1u)) {
    q_.SetErrorIfNone(ErrSyntax);  // "1 +", "-", "1 + x y"
    return;
  }
  if (op->Has(IsDataType)) {
    if (part->Args.size() != 1) {
      q_.SetErrorIfNone(ErrArgumentCount);
      return;
    }
    // The layout of a conversion step: source-type item, target-type item,
    // the value.
    QuorbDataType* source = part->Args.back()->DataType;
    auto sourceItem = std::make_unique<QuorbItem>(source, "");
    auto targetItem = std::make_unique<QuorbItem>(op->DataType, "");
    part->Args.reserve(part->Args.size() + 2);
    part->Args.insert(part->Args.begin(), {sourceItem.get(), targetItem.get()});
    sourceItem.release();
    targetItem.release();
    if (!part->ArgStarts().empty()) part->ArgStarts().insert(part->ArgStarts().begin(), 2, part->ArgStarts().front());
  }
  QUORB_ASSERT(ArgStartsAligned(*part));
  q_.ArgsMatch(part, output_);
  if (part->Result == nullptr) return;
  if (FoldConstantStep(part)) return;
  AddOperand(part->Result);
}

}  // namespace QuorbNameSpace
