// Completing the part on top of the operator stack: the conversion of the
// result to the wanted type, bracket groups, and calls and operators, which
// argument matching (args_match.cpp) turns into steps of the output list.
#include "builtins/core_callbacks.h"
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
    terminator_->Args.pop_back();
    auto* conversion = new ExpressionPart();
    conversion->Callback = &ConvertPartFunc;
    conversion->OpItem = wanted_->Item;
    conversion->Args.push_back(value);
    stack_.push_back({conversion, false});
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
  stack_.pop_back();
  QuorbItem* value = bracket->Args.back();
  bracket->Args.pop_back();
  for (QuorbItem* earlier : bracket->Args) HoldAside(earlier);
  delete bracket;
  AddOperand(value);
}

void ExpressionParser::HoldAside(QuorbItem* value) {
  if (commaHolder_ == nullptr) {
    commaHolder_ = new ExpressionPart();
    commaHolder_->OpItem = Parenth;
  }
  commaHolder_->Args.push_back(value);
}

// A call, an operator application or a conversion by type name becomes a
// step: appended to the output list, matched, and its result handed to the
// part below as an operand.
void ExpressionParser::CompletePart() {
  ExpressionPart* part = Top().part;
  stack_.pop_back();
  output_.push_back(part);
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
    part->Args.insert(part->Args.begin(), {new QuorbItem(source, ""), new QuorbItem(op->DataType, "")});
    if (!part->ArgStarts().empty()) part->ArgStarts().insert(part->ArgStarts().begin(), 2, part->ArgStarts().front());
  }
  q_.ArgsMatch(part, output_);
  if (part->Result == nullptr) return;
  if (FoldConstantStep(part)) return;
  AddOperand(part->Result);
}

}  // namespace QuorbNameSpace
