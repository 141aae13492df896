// Quorb: one library instance. It owns its four transforms, the symbol
// tables and their items, its data types, its error state and handlers, its
// floating-point ignore mask, its anonymous items, the parsed expressions it
// hands out and every transform made for the host.
#ifndef QUORB_ENGINE_QUORB_H
#define QUORB_ENGINE_QUORB_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/builtin_roles.h"
#include "engine/errors.h"
#include "engine/invariant.h"
#include "engine/parameter_filing.h"
#include "engine/sub_item_list.h"

// Angle brackets: the public header, not this file.
#include <quorb.h>

// The instance handle of the public header (an incomplete type there too).
struct QuorbInstance;

namespace QuorbNameSpace {

class ExpressionPart;
class QuorbDataType;
class QuorbItem;
class QuorbParsedExpr;
class StringLocation;
class Table;
struct ArrayValues;
struct DefinitionState;

// The one-blank text a transform points at before it has text of its own.
extern const std::string EmptyString;

// Every step of an evaluation runs one of these (also in quorb_item.h).
using QuorbCallback = void (*)(ExpressionPart&);

// Error handlers are host functions called with the instance handle: the
// public header's own type, calling convention included.
using ErrorHandlerCallback = ::QuorbErrorHandler;

class Quorb {
 public:
  // A new instance: a copy of the process's prototype instance
  // (instance_prototype.h), or built from the definition texts when no
  // prototype can serve.
  explicit Quorb(void* unused = nullptr);
  // An instance built from the definition texts alone, defining only the
  // first `builtinRows` rows of the built-in list: how the prototype is
  // made, and what a copy is compared with.
  struct FromDefinitionTexts {
    size_t builtinRows;
  };
  explicit Quorb(FromDefinitionTexts texts);
  ~Quorb();

  Quorb(const Quorb&) = delete;
  Quorb& operator=(const Quorb&) = delete;

  // The record is kept in groups by who may touch them; a file names the
  // group it works on (instance->Running.CallDepth), so what it may change
  // shows at each use.

  // What the evaluator reads and writes while steps run: the hot part, kept
  // first and together with the running counts below.
  struct EvaluatorState {
    int32_t IgnoredExceptions = 0;                   // FE_* flags the test ignores
    std::vector<void*> ValueSaveStack;               // used as a stack; keeps its capacity
  } Evaluator;
  // What is running now: entered and left in pairs (scope guards), read by
  // InUse and the depth limits.
  struct RunningCounts {
    int CallDepth = 0;                               // nesting of function bodies running now
    bool CallsStopped = false;                       // the depth limit was hit: run no body until unwound
    uintptr_t CallStackBase = 0;                     // stack address at the outermost body call running
    int DefinitionDepth = 0;                         // Define calls running now, nested ones included
    int FormatDepth = 0;                             // output formattings running now, nested ones included
    int RunningEvaluations = 0;                      // evaluations a host started, running now
    std::vector<QuorbParsedExpr*> DeferredReleases;  // released by host code while one ran
  } Running;
  // The parser's fast paths, each with its slow twin when switched off:
  // steps computed while parsing, and runs of Double steps fused into one;
  // an expression that is one fused run runs without the bookkeeping of
  // entry and exit (evaluation_loop.h). Expressions parsed afterwards follow
  // the setting; tests compare twins.
  struct FastPathSwitches {
    bool FoldConstants = true;
    bool FuseRuns = true;
    bool BareWholeRuns = true;
  } FastPaths;
  // The error state: number, messages and where the last error was found.
  ErrorData Error;
  // What the tokenizer owns. 0: main transform (tokenizer; its rule table is
  // the root symbol table), 1: parser transform, 2: token transform,
  // 3: definition transform; then the transforms made for the host.
  struct ScannerSet {
    StringLocation* Transforms[4] = {};
    std::vector<StringLocation*> UserTransforms;     // owned, creation order
  } Scanners;
  // What type binding writes (type_binding.cpp, definition_types.cpp): the
  // type table, the well-known slots, the implicit conversions, and the
  // superseded type objects still referred to.
  struct TypeTable {
    std::vector<std::vector<int32_t>> ConversionTable;  // by BuiltInTypesEnum
    std::vector<QuorbDataType*> DataTypes;           // bound type objects by number
    QuorbDataType* AnyType = nullptr;                // well-known type slots
    QuorbDataType* IntType = nullptr;
    QuorbDataType* BoolType = nullptr;
    QuorbDataType* DoubleType = nullptr;
    QuorbDataType* StringType = nullptr;
    QuorbDataType* PointerType = nullptr;
    QuorbDataType* ComplexType = nullptr;
    std::vector<QuorbDataType*> RetiredTypes;        // owned; freed last
  } Types;
  // What the definition language writes besides types and items filed in
  // tables: the instance's flag word, its own items, its texts and its
  // error-handler list (run by the handler loop, errors.cpp).
  struct DefinitionSettings {
    uint64_t Flags = 0;                              // ItemIsEnum numbering
    QuorbItem* OutputTextItem = nullptr;             // owned
    QuorbItem* DefaultItem = nullptr;                // owned
    std::string DefSeparator;
    std::string SyntaxEqual;
    std::vector<QuorbItem*> ErrorHandlers;           // position order; not owned here
  } Definitions;
  // The parameters of the signature being read that wait to be filed
  // until something could look them up (parameter_filing.h); empty
  // between definitions.
  HeldParameters ParametersHeld;
  // What the instance keeps for the host until released or destroyed.
  struct HostObjects {
    std::map<QuorbItem*, int32_t> AnonymousItems;    // owned
    std::map<QuorbParsedExpr*, bool> ParsedExprs;    // owned until ReleaseExpr
  } Kept;
  // The storage of the sub-item lists a copy of the prototype made
  // (instance_copy.cpp); null for an instance read from the texts. Freed
  // after every item, whichever holds a list of it by then.
  std::unique_ptr<SubItemBlock> SubItemStorage;

  StringLocation* MainTransform() const { return Scanners.Transforms[0]; }
  StringLocation* ParserTransform() const { return Scanners.Transforms[1]; }
  Table* RootTable() const;
  Table* CurrentNamespaceTable() const;

  // --- The definition language (definitions.cpp and its neighbours) ---
  // Defines from a text of clauses separated by "~~". `Addr` is the callback
  // of a function, operator, error-handler or output clause, or the host
  // address of a "variable" or "address" clause; it may be null. With
  // `ExistingItem` the clauses apply to it. The defined item, or null: the
  // error number tells a failure (non-zero) from a text that defines no item.
  // With `hostAddress`, `Addr` comes from the host: a function, operator or
  // output clause takes it as a QuorbCallback of the public header.
  // With `callbackOnly` (a definition an expression asked for) `Addr` may
  // serve only as a function's or operator's callback: never as storage of
  // a variable, nor as an error handler or output callback. A function
  // whose body is running cannot be redefined (error 13).
  // A function or operator whose callback is the engine's own code at
  // `Addr` carries that code's roles (builtin_roles.h): `roles` when given,
  // else those the built-in definition list knows for it. A host's `Addr`
  // gives none. The item links to `roles`, which therefore lives as long as
  // the process (RolesLink).
  QuorbItem* Define(const std::string& Def, QuorbCallback Addr, QuorbItem* ExistingItem, bool hostAddress = false,
                    bool callbackOnly = false, const BuiltinRoles* roles = nullptr);
  // Define of one of the instance's own start-up definitions, whose
  // callback has `roles` (a record of the process). Memory running out throws instead, so that no
  // instance is made without one of them.
  QuorbItem* DefineOwn(const std::string& text, QuorbCallback callback, const BuiltinRoles& roles = NoBuiltinRoles);
  // Whether a value of type number `from` converts implicitly to `to`.
  bool ConvertsTo(int32_t from, int32_t to) const;
  // Reads one parameter or variable declaration at the scanner's token.
  void ParamParse(QuorbItem* item, StringLocation& scanner);
  // Reads a value text up to "," ")" or "}", evaluates it and stores it in
  // `item`, converting (`convert`) or re-typing the item. False on error 7.
  bool SetVariableValue(QuorbItem* item, StringLocation& scanner, bool convert, unsigned long unused);
  void SetVariableValueAny_(QuorbItem* item, const std::string& text);
  // "ErrorHandler: position" with `handler`; the handler item or null.
  QuorbItem* AddErrorHandler(ErrorHandlerCallback handler, unsigned long position);

  // --- The expression parser (parser.cpp, args_match.cpp) ---
  // Parses `text` into steps; never null: a failed parse yields a single
  // ReturnError step holding the error number. With `wanted`, the result is
  // converted to that type. Three arguments serve ByExpr arguments; with
  // `runsOnce` the expression is run once and freed, and gets none of the
  // preparations that pay only over many runs (its ByExpr arguments, which
  // it may run many times, still do).
  QuorbParsedExpr* Parse(const std::string& text, QuorbDataType* wanted,
                         std::vector<ExpressionPart*>* enclosingList = nullptr, ExpressionPart* enclosingPart = nullptr,
                         uint64_t argumentIndex = 0, bool runsOnce = false);
  // Parses with the type named `typeName` wanted (none when it names no
  // type) and registers the expression with the instance.
  QuorbParsedExpr* UserParse(const std::string& text, const std::string& typeName);
  // Completes part E, the last of `output`: chooses the overload, converts
  // arguments, supplies defaults, wraps ByExpr arguments, makes the result.
  void ArgsMatch(ExpressionPart* part, std::vector<ExpressionPart*>& output);
  // Keeps `expr` with the instance until ReleaseExpression or the end.
  void RegisterExpression(QuorbParsedExpr* expr);
  // Frees an expression made by UserParse; false, doing nothing, for
  // anything that is not a live registered expression of any instance.
  static bool ReleaseExpression(QuorbParsedExpr* expr);
  // Parse, run and free in one call, leaving the caller's floating-point
  // flags as they were.
  double Eval(const std::string& text);
  std::string EvalStr(const std::string& text);

  // Binds `item` to a new type object of the class `word` names and records
  // it in the type table. False, changing nothing, for an unknown word.
  bool ConnectDataType(QuorbItem* item, const std::string& word);
  // The whole binding of "DataType: name : word" for a filed item: the type
  // object, its name and item, the conversion callback, the data-type bits,
  // the well-known slot and, for Bool, its three value items.
  bool BindDataType(QuorbItem* item, const std::string& word);
  // Makes `item`'s type object its own: the type's item and name, the type
  // table entry and the well-known slot of its number.
  void BindTypeObject(QuorbItem* item);
  // The data type of a declaration without "As": the default item's.
  QuorbDataType* DefaultType() const;
  // Keeps a superseded type object alive until the instance is destroyed:
  // variables, literals and parsed expressions may still hold its values.
  void RetireDataType(QuorbDataType* type);
  // Binds the number's slots to the newest type of that number still filed.
  void RebindNumber(int32_t number, const QuorbDataType* retired);
  // Every type object of the instance, each once: bound, retired, and those
  // of type items filed anywhere (a namespace included).
  std::vector<QuorbDataType*> AllTypeObjects() const;
  // After two items exchanged their definitions (an overwrite, or its
  // undoing), the lists that name an item for its definition follow it:
  // the error-handler list and every type's output list.
  void SwapReferences(QuorbItem* a, QuorbItem* b);
  // `text` folded to lower case unless the instance is case-sensitive.
  std::string Case(const std::string& text) const;

  // The item of `name` whose properties hold every bit of `mask` (any item
  // for 0), newest overload first; ItemNotFound when none. Unless `literal`,
  // the name is first rewritten by the parser transform's rules; with
  // `fallback` the parser transform's rule table is searched too.
  QuorbItem* ItemOfByName(const std::string& name, int64_t mask, bool literal, bool fallback);
  // The item numbered `index` in a walk of the current namespace (entries in
  // key order, each chain head first), when it shares a bit with `mask` and,
  // if `typeName` names a type, is of that type; else ItemNotFound.
  QuorbItem* ItemOfByProperty(int64_t mask, int32_t index, const std::string& typeName);
  // The head item of entry `index` (key order) of the current namespace, or
  // null when out of range.
  QuorbItem* NamespaceSymbol(int32_t index);
  int64_t NamespaceSymbolCount();
  // The precedence of `name`, or the mean of two names' precedences
  // (truncated); 0 when a name is unknown.
  int32_t Precedence(const std::string& name, const std::string& second);
  // `text` after the parser transform's rules.
  std::string RewriteByParserRules(const std::string& text);

  // A new owning transform with the default token set, listed with the
  // instance's user transforms.
  StringLocation* NewTransform();

  // Takes `t` out of the user-transform list without destroying it.
  void RemoveUserTransform(StringLocation* t);

  // Stores the message of `n`. Replacing an existing message other than 1
  // while no error is pending sets error 12 (and still replaces it).
  int32_t SetErrorMessage(int32_t n, const std::string& text, bool flag);
  // Sets the error number and runs the handlers; 1 when one resumed.
  int32_t ErrorRaise(ExpressionPart* part, int32_t n);
  // Error 1 with `message` as its text; returns as ErrorRaise.
  int32_t ErrorRaiseMessage(ExpressionPart* part, const std::string& message);
  // The handler loop alone; sets no number.
  int32_t CallErrorHandlers();
  // Sets the error number only when none is pending: the first error of an
  // operation is the one reported.
  void SetErrorIfNone(int32_t n) {
    if (Error.Number == 0) Error.Number = n;
  }
  // True while host code called back from inside the instance (an error
  // handler, a callback of an evaluation) runs: the instance is in use
  // below it and must not be freed.
  bool InUse() const {
    return Handling.HandlerDepth > 0 || Running.RunningEvaluations > 0 || Running.DefinitionDepth > 0;
  }
  // Frees the expressions host code released while evaluations ran; called
  // by the last EvaluationScope to end.
  void FreeDeferredReleases();

 private:
  // Stores a value of type `source` into a declared item (SetVariableValue).
  bool StoreValue(QuorbItem* item, QuorbDataType* source, void* value, bool convert);
  void* ConvertedCopy(QuorbDataType* source, QuorbDataType* target, const void* value);

  ArrayValues* arrayValues_ = nullptr;  // values of the array being declared
  // The handler loop's own counts (errors.cpp). A host's error handler
  // that runs in the middle of a definition (its body failed to parse) sees
  // that definition half made: its parameters filed, the default item maybe
  // replaced. A definition or parse it starts then could hold items the
  // failing definition is about to free, so both are refused until the
  // handler returns. A handler called from inside a step may not redefine
  // what the steps run: an overwrite frees the former body.
  struct HandlerLoop {
    int HandlerDepth = 0;             // nesting of the handler loop, capped against runaway re-entry
    int DefinitionsUnderHandler = 0;  // definitions running when the handler loop began
    int EvaluationsUnderHandler = 0;  // evaluations running when the handler loop began
  } Handling;
  bool HandlerInsideDefinition() const { return Handling.HandlerDepth > 0 && Handling.DefinitionsUnderHandler > 0; }
  bool HandlerInsideEvaluation() const { return Handling.HandlerDepth > 0 && Handling.EvaluationsUnderHandler > 0; }
  // The clause loop of Define, which may throw what allocation throws.
  void ReadClauses(DefinitionState& state, QuorbItem* ExistingItem);
  void Build(size_t builtinRows);
  void TearDown() noexcept;
  static void FreeTypeObject(QuorbDataType* type) noexcept;
  void DestroyUserTransforms();
  void FreeAllExpressions();
};

// Counts an evaluation that a host started, for as long as it lives. Host
// code called back meanwhile may release expressions, the running one
// included; they are freed when the last evaluation has ended.
class EvaluationScope {
 public:
  explicit EvaluationScope(Quorb* instance) : instance_(instance) {
    if (instance_ != nullptr) ++instance_->Running.RunningEvaluations;
  }
  ~EvaluationScope() {
    QUORB_ASSERT(instance_ == nullptr || instance_->Running.RunningEvaluations > 0);
    if (instance_ != nullptr && --instance_->Running.RunningEvaluations == 0 &&
        !instance_->Running.DeferredReleases.empty())
      instance_->FreeDeferredReleases();
  }
  EvaluationScope(const EvaluationScope&) = delete;
  EvaluationScope& operator=(const EvaluationScope&) = delete;

 private:
  Quorb* instance_;
};

}  // namespace QuorbNameSpace

#endif
