// The working state of one expression parse: the operator stack, the output
// list of completed steps and the cursor over the text. Internal to the
// parser (parser.cpp: set-up, tokens, failure; parser_reduce.cpp: completing
// parts) and to argument matching (args_match.cpp). The entry points are
// Quorb::Parse and Quorb::ArgsMatch in quorb.h.
//
// Ownership while a parse runs: every part is either on the operator stack,
// in the output list or the comma holder, never in two places; every item a
// part made (literals, temporaries, result items) is an argument of exactly
// one part, so QuorbParsedExpr::Clean frees it exactly once.
#ifndef QUORB_ENGINE_PARSER_STATE_H
#define QUORB_ENGINE_PARSER_STATE_H

#include <cstdint>
#include <string>
#include <memory>
#include <vector>

namespace QuorbNameSpace {

class ExpressionPart;
class Quorb;
class QuorbDataType;
class QuorbItem;
class QuorbParsedExpr;
class StringLocation;

// Whether a value of type `from` may be converted implicitly to `to` by the
// instance's conversion rows; false for a missing type or a type number
// beyond the rows (the row lookup itself does not check its bounds).
bool ConvertsImplicitly(const Quorb& instance, const QuorbDataType* from, const QuorbDataType* to);

// Whether `type` is the wildcard AnyType.
bool IsAnyType(const QuorbDataType* type);

// Argument ranges. A part whose operands may be taken apart again (a call
// with a bracketed argument list, an operator) records in ArgStarts where
// the steps of each argument begin in the output list, aligned with Args,
// plus one last entry where the steps of its last argument end. Argument k
// then owns the steps [ArgStarts[k], ArgStarts[k + 1]); an argument without
// such a pair (a default value, or a part without starts) owns none.
bool ArgumentRange(const ExpressionPart& part, uint64_t k, uint64_t& begin, uint64_t& end);
// Whether `part`'s starts are aligned with its arguments as above (or it
// has none): checked wherever a complete part's ranges are read or shifted.
bool ArgStartsAligned(const ExpressionPart& part);

// One entry of the operator stack.
struct OpenPart {
  ExpressionPart* part;
  bool bracketed;  // its opener was read: only its closer may complete it
};

class ExpressionParser {
 public:
  // With `runsOnce` the expression is run once and freed: the runs it
  // would fuse are left as they are, since fusing costs more than the one
  // run saves.
  ExpressionParser(Quorb& instance, QuorbDataType* wanted, bool runsOnce = false);
  ExpressionParser(const ExpressionParser&) = delete;
  ExpressionParser& operator=(const ExpressionParser&) = delete;
  // A parse that threw before it finished frees what it made.
  ~ExpressionParser();

  // The parse that is not made: a single error step holding `number`.
  QuorbParsedExpr* Refuse(int32_t number);
  // Parses `text` into a new expression; never null. With `enclosing` and
  // `enclosingPart` the expression is ByExpr argument `index` of that part:
  // the steps of that argument move out of `enclosing` into it (null, with
  // error 18, only when memory ran out after they moved).
  QuorbParsedExpr* Run(const std::string& text, std::vector<ExpressionPart*>* enclosing,
                       ExpressionPart* enclosingPart, uint64_t index);

 private:
  // parser.cpp: set-up, the token loop and the handling of each token kind.
  void Begin();
  void TakeArgumentSteps(std::vector<ExpressionPart*>& enclosing, ExpressionPart& part, uint64_t index);
  void ReadToken();
  void NotFound();
  void Symbol();
  void Variable(QuorbItem* item);  // a named variable read as an operand
  void Literal();
  void Separator();
  void Opener();
  void Closer();
  void StatementSeparator();
  QuorbItem* ChooseVariant(QuorbItem* item);
  bool ReduceFirst(const QuorbItem* item);
  void PushCall(QuorbItem* item);
  bool NextIsOpener(bool consume);
  void Fail(int32_t number);
  bool Recover();
  QuorbParsedExpr* Finish();

  // parser_reduce.cpp: completing the top part.
  void Reduce(bool byCloser);
  bool ConvertToWanted();
  void ReduceBracket();
  void CompletePart();
  void HoldAside(QuorbItem* value);
  void ReserveAside(size_t count);  // room for `count` more held values

  // parser_folding.cpp: steps computed while parsing.
  bool FoldConstantStep(ExpressionPart* part);
  bool IsConstant(const QuorbItem* item) const;

  OpenPart& Top() { return stack_.back(); }
  ExpressionPart* Current() const;
  void AddOperand(QuorbItem* item);
  // A new operand the current part owns from then on: freed when the part
  // cannot take it.
  void AddOperand(std::unique_ptr<QuorbItem> item);
  // Frees every part the parse holds (the stack, the output, the comma
  // holder), allocating nothing.
  void CleanParts();
  // Whether no part is held in two places (the ownership rule above).
  bool PartsHeldOnce() const;
  bool AtEnd() const;
  void PushBack();

  Quorb& q_;
  QuorbDataType* wanted_;
  const bool fuse_;  // fuse the finished expression's runs
  bool wantedDone_ = false;              // the result was tested against the wanted type
  QuorbParsedExpr* expr_ = nullptr;
  ExpressionPart* terminator_ = nullptr;
  ExpressionPart* commaHolder_ = nullptr; // values before separators in plain brackets; never run
  std::vector<OpenPart> stack_;
  std::vector<ExpressionPart*> output_;
  StringLocation* scanner_ = nullptr;
  uint64_t tokenPos_ = 0;                // where the token being handled was read from
  bool operandSeen_ = false;
  bool reducePending_ = false;
  bool resumable_ = false;               // the pending error left the state as before the token
  std::vector<uint64_t> resumedAt_;      // token positions already resumed once
  // The result items of steps computed while parsing, now operands like
  // literals, not yet consumed by a further fold.
  std::vector<QuorbItem*> folded_;
};

}  // namespace QuorbNameSpace

#endif
