// The expression parser: an operator-precedence parser over the token kinds
// of the main transform. Operands go into the argument list of the part on
// top of the operator stack; an operator or function becomes a new part on
// the stack; completing a part (parser_reduce.cpp) appends it to the output
// list, which is the program. This file holds the set-up, the token loop,
// the handling of each token kind, the error path and the finish.
#include <algorithm>
#include <cfenv>
#include <new>

#include "engine/exception_flags.h"
#include "engine/fused_steps.h"
#include "engine/invariant.h"
#include "engine/parsed_expr.h"
#include "engine/parser_state.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "engine/sentinels.h"
#include "scanner/string_location.h"
#include "types/builtin_types.h"
#include "types/data_type.h"

namespace QuorbNameSpace {

bool ConvertsImplicitly(const Quorb& instance, const QuorbDataType* from, const QuorbDataType* to) {
  if (from == nullptr || to == nullptr || from->Index < 0) return false;
  if (static_cast<size_t>(from->Index) >= instance.Types.ConversionTable.size()) return false;
  return instance.ConvertsTo(from->Index, to->Index);
}

bool IsAnyType(const QuorbDataType* type) { return type != nullptr && type->Index == TypeAny; }

bool ArgumentRange(const ExpressionPart& part, uint64_t k, uint64_t& begin, uint64_t& end) {
  if (k + 1 >= part.ArgStarts().size()) return false;
  begin = part.ArgStarts()[k];
  end = part.ArgStarts()[k + 1];
  return begin < end;
}

ExpressionParser::ExpressionParser(Quorb& instance, QuorbDataType* wanted, bool runsOnce)
    : q_(instance), wanted_(wanted), fuse_(instance.FastPaths.FuseRuns && !runsOnce) {}

ExpressionParser::~ExpressionParser() {
  if (expr_ == nullptr) return;  // finished: the expression owns the parts
  if (expr_->Parts.empty()) CleanParts();
  else QuorbParsedExpr::Clean(expr_->Parts, &q_);
  delete expr_;
}

bool ExpressionParser::PartsHeldOnce() const {
  std::vector<const ExpressionPart*> held;
  try {
    held.reserve(stack_.size() + output_.size() + 1);
  } catch (const std::bad_alloc&) {
    return true;  // memory ran out: the check cannot be made, and must not fail the parse
  }
  for (const OpenPart& open : stack_) held.push_back(open.part);
  held.insert(held.end(), output_.begin(), output_.end());
  if (commaHolder_ != nullptr) held.push_back(commaHolder_);
  std::sort(held.begin(), held.end());
  return std::adjacent_find(held.begin(), held.end()) == held.end();
}

bool ArgStartsAligned(const ExpressionPart& part) {
  return part.ArgStarts().empty() || part.ArgStarts().size() == part.Args.size() + 1;
}

void ExpressionParser::CleanParts() {
  QUORB_ASSERT(PartsHeldOnce());
  for (OpenPart& open : stack_) QuorbParsedExpr::CleanPart(open.part);
  for (ExpressionPart*& part : output_) QuorbParsedExpr::CleanPart(part);
  QuorbParsedExpr::CleanPart(commaHolder_);
  stack_.clear();
  output_.clear();
  commaHolder_ = nullptr;
  terminator_ = nullptr;
}

ExpressionPart* ExpressionParser::Current() const {
  return stack_.empty() ? terminator_ : stack_.back().part;
}

void ExpressionParser::AddOperand(QuorbItem* item) { Current()->Args.push_back(item); }

void ExpressionParser::AddOperand(std::unique_ptr<QuorbItem> item) {
  Current()->Args.push_back(item.get());
  item.release();
}

bool ExpressionParser::AtEnd() const {
  return scanner_->Pos >= scanner_->RangeEnd || scanner_->Pos >= scanner_->Attached.TextPtr->size();
}

// The token just read is read again by the next step.
void ExpressionParser::PushBack() { scanner_->Pos = tokenPos_; }

// An error found while handling a token, before anything was changed for
// it: a handler that resumes can have the token read again.
void ExpressionParser::Fail(int32_t number) {
  q_.SetErrorIfNone(number);
  resumable_ = true;
}

void ExpressionParser::Begin() {
  expr_ = new QuorbParsedExpr();
  stack_.reserve(8);
  std::unique_ptr<ExpressionPart> terminator(new ExpressionPart());
  terminator->Callback = &EvalReturn;
  terminator->OpItem = new QuorbItem();
  terminator->OpItem->Owner = &q_;
  terminator->OpItem->Callback = &EvalReturn;
  terminator_ = terminator.release();
  stack_.push_back({terminator_, false});  // reserved
  q_.Error.Number = 0;
  q_.Error.RecordLocation(nullptr);
}

// A ByExpr argument's own steps move from the enclosing list into this
// expression, in order, and its value becomes this expression's result.
void ExpressionParser::TakeArgumentSteps(std::vector<ExpressionPart*>& enclosing, ExpressionPart& part,
                                         uint64_t index) {
  terminator_->Args.reserve(terminator_->Args.size() + 1);
  uint64_t begin = 0;
  uint64_t end = 0;
  // The call itself is the last entry of the list and never moves.
  if (ArgumentRange(part, index, begin, end) && !enclosing.empty()) {
    const uint64_t limit = enclosing.size() - 1;
    if (end > limit) end = limit;
    if (begin < end) {
      output_.reserve(output_.size() + (end - begin));
      output_.insert(output_.end(), enclosing.begin() + static_cast<std::ptrdiff_t>(begin),
                     enclosing.begin() + static_cast<std::ptrdiff_t>(end));
      enclosing.erase(enclosing.begin() + static_cast<std::ptrdiff_t>(begin),
                      enclosing.begin() + static_cast<std::ptrdiff_t>(end));
    }
    QUORB_ASSERT(enclosing.back() == &part);
  }
  if (index < part.Args.size() && part.Args[index] != nullptr) {
    terminator_->Args.push_back(part.Args[index]);
    operandSeen_ = true;
  }
}

QuorbParsedExpr* ExpressionParser::Run(const std::string& text, std::vector<ExpressionPart*>* enclosing,
                                       ExpressionPart* enclosingPart, uint64_t index) {
  Begin();
  // A ByExpr argument's steps move in first, wholly or not at all: a
  // failure here leaves them with the enclosing parse, which frees them.
  const bool nested = enclosing != nullptr && enclosingPart != nullptr;
  if (nested) TakeArgumentSteps(*enclosing, *enclosingPart, index);
  try {
    // The parser transform's rules rewrite the text first (not for a
    // ByExpr argument, whose text is empty); a text they leave alone is
    // scanned where it is.
    std::string rewritten;
    if (!nested) rewritten = q_.RewriteByParserRules(text);
    const std::string& source = !nested && rewritten != text ? rewritten : text;
    StringLocation scanner(source, q_.MainTransform());
    scanner.SetBit(IsCodeBlockBlind, true);
    scanner_ = &scanner;

    while (!stack_.empty()) {
      resumable_ = false;
      if (reducePending_) {
        Reduce(false);
      } else if (AtEnd()) {
        reducePending_ = true;
      } else {
        ReadToken();
      }
      if (q_.Error.Number != 0 && !Recover()) break;
    }
  } catch (...) {
    // Nothing thrown inside a parse (allocation, a pattern the standard
    // library rejects while scanning, a host's handler) leaves it: the
    // parse fails, as a syntax error unless memory ran out.
    q_.Error.LocationScanner = nullptr;
    q_.SetErrorIfNone(ErrorOfException(ErrSyntax));
  }
  scanner_ = nullptr;
  if (!nested) return Finish();
  // The argument's steps are this parse's now, freed with it when even the
  // error step cannot be made: the enclosing call then gets no expression
  // (and fails with the error), never a throw that would leave it holding
  // the freed argument.
  try {
    return Finish();
  } catch (...) {
    q_.SetErrorIfNone(ErrorOfException(ErrSyntax));
    return nullptr;
  }
}

void ExpressionParser::ReadToken() {
  tokenPos_ = scanner_->Pos;
  scanner_->NextToken(DefaultToken, 1);
  switch (scanner_->CurrentToken->Token().TokenKind) {
    case TokenNotFound: NotFound(); break;
    case TokenAlphanumeric:
    case TokenReducible: Symbol(); break;
    case TokenArgSeparator: Separator(); break;
    case TokenCodeBlock: Opener(); break;
    case TokenCodeBlockMatch: Closer(); break;
    case TokenLiteral: Literal(); break;
    case TokenStatementSep: StatementSeparator(); break;
    default: break;  // generic tokens, member access and blanks say nothing
  }
}

// A text of blanks only has the empty String as its value.
void ExpressionParser::NotFound() {
  if (stack_.size() == 1 && terminator_->Args.empty()) AddOperand(std::make_unique<QuorbItem>(q_.Types.StringType, ""));
}

void ExpressionParser::Symbol() {
  QuorbItem* item = scanner_->SymbolHandle(*scanner_, true);
  if (item == nullptr) return Fail(ErrUndefinedIdentifier);
  if (!item->Has(IsCallable)) return Variable(item);
  // A type name alone is a value of that type; followed by an opener it
  // converts its argument.
  if (item->Has(IsDataType) && !NextIsOpener(false)) {
    if (item->DataType == nullptr) return Fail(ErrUndefinedIdentifier);
    AddOperand(std::make_unique<QuorbItem>(item->DataType, ""));
    operandSeen_ = true;
    return;
  }
  QuorbItem* chosen = ChooseVariant(item);
  if (chosen == nullptr) return;
  // An operator's chain may hold a variable of the same name further down.
  if (!chosen->Has(IsCallable)) return Variable(chosen);
  if (ReduceFirst(chosen)) return;
  PushCall(chosen);
}

void ExpressionParser::Variable(QuorbItem* item) {
  // A name without a type has no value to read or assign.
  if (!item->Has(IsNamedVariable) || item->DataType == nullptr) return Fail(ErrUndefinedIdentifier);
  AddOperand(item);
  operandSeen_ = true;
}

// The reading of an operator symbol that fits where it stands: a prefix one
// where no left operand is available, an infix or postfix one after an
// operand. Null with error 2 when its overload chain has no such reading.
QuorbItem* ExpressionParser::ChooseVariant(QuorbItem* item) {
  auto firstAfter = [](QuorbItem* from, uint64_t excluded) {
    for (QuorbItem* q = from->NextOverload; q != nullptr; q = q->NextOverload)
      if ((q->Properties & excluded) == 0) return q;
    return static_cast<QuorbItem*>(nullptr);
  };
  const uint64_t sided = PropertyBit(IsInfix) | PropertyBit(IsPostfix);
  if (item->Has(IsPrefix) && operandSeen_) {
    item = firstAfter(item, PropertyBit(IsPrefix));
    if (item == nullptr) {
      Fail(ErrSyntax);
      return nullptr;
    }
  }
  if ((item->Properties & sided) == 0) return item;
  const QuorbItem* top = Top().part->OpItem;
  const size_t held = Current()->Args.size();
  // Without an operand just read there is nothing to take as a left
  // operand, even where an argument list already holds earlier values.
  const bool prefixNeeded = !operandSeen_ || (top->Has(IsInfix) && held == 1) ||
                            (top->Has(IsOperator) && held == 0 && top->Has(IsPrefix)) ||
                            (!top->Has(IsOperator) && held == 0);
  if (!prefixNeeded) return item;
  item = firstAfter(item, sided);
  if (item == nullptr) Fail(ErrSyntax);
  return item;
}

// Precedence test for an infix or postfix operator against the operator on
// top: a tighter or equal (left-to-right) top is completed first and the
// symbol read again. Only operators are completed this way: the terminator,
// brackets and calls end at their own closers, whatever the precedence a
// host gave the new operator.
bool ExpressionParser::ReduceFirst(const QuorbItem* item) {
  if (!item->Has(IsInfix) && !item->Has(IsPostfix)) return false;
  const QuorbItem* top = Top().part->OpItem;
  if (!top->Has(IsOperator)) return false;
  const bool yields = item->Precedence < top->Precedence ||
                      (item->Precedence == top->Precedence && !item->Has(IsRightToLeft));
  if (!yields) return false;
  reducePending_ = true;
  PushBack();
  return true;
}

// Looks at the next token; with `consume` an opener is taken, anything else
// is left to be read again.
bool ExpressionParser::NextIsOpener(bool consume) {
  const ScanState saved = *scanner_;
  const TokenMatch savedMatch = scanner_->Matching.LastMatch;
  scanner_->NextToken(DefaultToken, 1);
  const bool opener = scanner_->CurrentToken->Token().TokenKind == TokenCodeBlock;
  if (!opener || !consume) {
    static_cast<ScanState&>(*scanner_) = saved;
    scanner_->Matching.LastMatch = savedMatch;
  }
  return opener;
}

// Makes the part of a chosen function or operator and puts it on the stack.
void ExpressionParser::PushCall(QuorbItem* item) {
  const bool infix = item->Has(IsInfix);
  const bool postfix = item->Has(IsPostfix);
  ExpressionPart* current = Current();
  if ((infix || postfix) && current->Args.empty()) return Fail(ErrSyntax);
  bool bracketed = false;
  if (item->Has(IsFunction)) {
    bracketed = NextIsOpener(true);
    if (!bracketed && item->Has(IsPointer)) {
      // A pointer variable without brackets is its address, not a read.
      AddOperand(item);
      operandSeen_ = true;
      return;
    }
  }
  std::unique_ptr<ExpressionPart> part(new ExpressionPart());
  part->OpItem = item;
  const size_t here = output_.size();
  if (bracketed) {
    if (item->Has(IsPointer) && item->Roles.Has(RoleDereference)) {
      part->Args.push_back(item);
      part->ArgStarts().push_back(here);
    }
    part->ArgStarts().push_back(here);
  } else if (item->Has(IsOperator)) {
    // The left operand's steps are complete already and stay where they
    // are; the right operand's steps begin here.
    if (infix || postfix) part->ArgStarts().push_back(here);
    if (!postfix) part->ArgStarts().push_back(here);
  }
  stack_.reserve(stack_.size() + 1);  // nothing may fail once the operand moved
  if (infix || postfix) {
    part->Args.push_back(current->Args.back());
    current->Args.pop_back();
  }
  stack_.push_back({part.release(), bracketed});
  if (item->Has(IsFunction) && !bracketed) reducePending_ = true;
  if (!postfix) operandSeen_ = false;
}

void ExpressionParser::Literal() {
  if (operandSeen_) return Fail(ErrSyntax);
  QuorbDataType* type = scanner_->CurrentToken->DataType;
  auto literal = std::make_unique<QuorbItem>(type, scanner_->TokenText());
  if (literal->ValuePtr == nullptr) {
    // A number its type cannot hold ("1e999" as a Double), or a host's
    // token declared a literal without a type to hold its text.
    return Fail(ErrUnrecognizedToken);
  }
  literal->SetBit(IsLiteral, true);
  AddOperand(std::move(literal));
  operandSeen_ = true;
}

void ExpressionParser::Separator() {
  OpenPart& top = Top();
  const QuorbItem* op = top.part->OpItem;
  if (op->Has(IsOperator)) {
    reducePending_ = true;
    PushBack();
  } else if (op == Parenth) {
    ExpressionPart* bracket = top.part;
    if (!bracket->Args.empty()) {
      HoldAside(bracket->Args.back());
      bracket->Args.pop_back();
    }
  } else if (top.bracketed) {
    // Every argument slot must hold exactly one value: "f(,x)" and
    // "f(x y, z)" are not calls.
    if (top.part->Args.size() != top.part->ArgStarts().size()) return Fail(ErrSyntax);
    top.part->ArgStarts().push_back(output_.size());
  }
  operandSeen_ = false;
}

void ExpressionParser::Opener() {
  std::unique_ptr<ExpressionPart> bracket(new ExpressionPart());
  bracket->OpItem = Parenth;
  stack_.push_back({bracket.get(), true});
  bracket.release();
  operandSeen_ = false;
}

void ExpressionParser::Closer() {
  OpenPart& top = Top();
  const QuorbItem* op = top.part->OpItem;
  if (op->Has(IsOperator)) {
    reducePending_ = true;
    PushBack();
    operandSeen_ = true;
    return;
  }
  if (!top.bracketed) return Fail(ErrCodeBlockDelimiter);  // no bracket open
  ExpressionPart& part = *top.part;
  if (op == Parenth) {
    if (part.Args.empty()) return Fail(ErrCodeBlockDelimiter);  // "()"
  } else {
    // A dereferencing pointer call holds the pointer ahead of its arguments.
    const size_t ahead = op->Has(IsPointer) && op->Roles.Has(RoleDereference) ? 1 : 0;
    if (part.Args.size() == ahead && part.ArgStarts().size() == ahead + 1) {
      part.ArgStarts().pop_back();  // "f()": the one slot opened holds nothing
    } else if (part.Args.size() != part.ArgStarts().size()) {
      return Fail(ErrSyntax);  // an empty slot, or two values in one
    }
  }
  Reduce(true);
  operandSeen_ = true;
}

void ExpressionParser::StatementSeparator() {
  if (Top().part == terminator_) {
    operandSeen_ = false;
    return;
  }
  reducePending_ = true;
  PushBack();
}

// The error path: handlers run with the scanner as the error location. A
// resume is honoured for errors found before a token changed anything, and
// once per token position, so a handler that resumes without mending the
// cause cannot keep the parse going round.
bool ExpressionParser::Recover() {
  const int32_t number = q_.Error.Number;
  if (number == ErrUndefinedIdentifier) scanner_->Pos = scanner_->RangeEnd;
  q_.Error.LocationScanner = scanner_;
  q_.Error.RecordLocation(scanner_);
  const int32_t resumed = q_.CallErrorHandlers();
  q_.Error.LocationScanner = nullptr;
  bool honoured = resumed == 1 && resumable_;
  for (uint64_t at : resumedAt_)
    if (at == tokenPos_) honoured = false;
  if (!honoured) {
    // A handler's own definitions clear the number; the parse's error stands.
    q_.Error.Number = number;
    return false;
  }
  resumedAt_.push_back(tokenPos_);
  q_.Error.Number = 0;
  q_.Error.RecordLocation(nullptr);
  ClearExceptionFlags();
  PushBack();
  return true;
}

QuorbParsedExpr* ExpressionParser::Refuse(int32_t number) {
  Begin();
  q_.Error.Number = number;
  return Finish();
}

QuorbParsedExpr* ExpressionParser::Finish() {
  if (!terminator_->Args.empty()) terminator_->Result = terminator_->Args.back();
  ExpressionPart* last = terminator_;
  if (q_.Error.Number != 0) {
    // Also the path of a parse that ran out of memory: the parts go first,
    // and what the error step needs is held until it is in place.
    CleanParts();
    std::unique_ptr<ExpressionPart> failed(new ExpressionPart());
    failed->Callback = &ReturnError;
    auto number = std::make_unique<QuorbItem>(q_.Types.IntType, std::to_string(q_.Error.Number));
    number->Owner = &q_;
    output_.push_back(failed.get());
    failed->Result = failed->OpItem = number.release();
    last = failed.release();
  }
  for (size_t i = 0; i + 1 < output_.size(); ++i) output_[i]->Next = output_[i + 1];
  // Argument ranges serve the parse only; a finished step keeps no copy.
  for (ExpressionPart* part : output_) part->DropArgStarts();
  QUORB_ASSERT(PartsHeldOnce());
  if (commaHolder_ != nullptr) output_.push_back(commaHolder_);
  expr_->Parts.swap(output_);
  expr_->First = expr_->Parts.front();
  expr_->ResultType = last->Result != nullptr ? last->Result->DataType : nullptr;
  expr_->Owner = &q_;
  if (q_.Error.Number == 0 && fuse_) FuseDoubleRuns(*expr_);
  expr_->KeepBookkeeping = !q_.FastPaths.BareWholeRuns;
  QuorbParsedExpr* done = expr_;
  expr_ = nullptr;
  terminator_ = nullptr;
  return done;
}

// ---------------------------------------------------------------------------

QuorbParsedExpr* Quorb::Parse(const std::string& text, QuorbDataType* wanted,
                              std::vector<ExpressionPart*>* enclosingList, ExpressionPart* enclosingPart,
                              uint64_t argumentIndex, bool runsOnce) {
  // A ByExpr argument is parsed in the middle of another parse, whose first
  // error must stay the one reported.
  const bool nested = enclosingList != nullptr && enclosingPart != nullptr;
  const int32_t outer = Error.Number;
  // Reading literals raises flags (inexact for "0.1", overflow for "1e999")
  // that belong to no evaluation: the caller gets its own flags back.
  ExceptionFlagsKept flags;
  ExpressionParser parser(*this, wanted, runsOnce);
  if (HandlerInsideDefinition()) return parser.Refuse(ErrInvalidDefinition);
  QuorbParsedExpr* expr = parser.Run(text, enclosingList, enclosingPart, argumentIndex);
  if (nested && outer != 0) Error.Number = outer;
  return expr;
}

QuorbParsedExpr* Quorb::UserParse(const std::string& text, const std::string& typeName) {
  QuorbDataType* wanted = nullptr;
  if (!typeName.empty()) {
    QuorbItem* item = MainTransform()->SymbolHandleExp(typeName, false);
    if (item != nullptr && item->Has(IsDataType)) wanted = item->DataType;
  }
  QuorbParsedExpr* expr;
  if (!typeName.empty() && wanted == nullptr) {
    // A misspelt type must not pass for "no particular type".
    expr = ExpressionParser(*this, nullptr).Refuse(ErrUndefinedIdentifier);
  } else {
    expr = Parse(text, wanted);
  }
  try {
    RegisterExpression(expr);
  } catch (...) {
    QuorbParsedExpr::Free(expr);  // no room to register it: the host gets none
    throw;
  }
  return expr;
}

}  // namespace QuorbNameSpace
