// Error messages, raising errors, the handler loop and the floating-point
// test that turns raised flags into error numbers.
#include "engine/errors.h"

#include <cfenv>
#include <new>

#include "engine/exception_flags.h"
#include "engine/host_functions.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "engine/scope_restore.h"
#include "scanner/string_location.h"

namespace QuorbNameSpace {

const char* const DefaultErrorMessages[25] = {
    "No error",
    "Dynamically defined user error",
    "Syntax error",
    "Undefined identifier",
    "File not found",
    "Unrecognized token",
    "Unrecognized command",
    "Data type mismatch",
    "Invalid number of arguments",
    "Invalid definition",
    "Code block delimiter error",
    "Undefined callback",
    "Error message already defined",
    "This item cannot be modified",
    "Unrecognized class member",
    "Unrecognized namespace member",
    "Unbalanced quote",
    "Value cannot be assigned here",
    "Reparsing has passed the specified limit",
    "Array or list bound exceeded",
    "Division by 0",
    "Inexact result",
    "Invalid operation",
    "Floating point overflow",
    "Floating point underflow",
};

// Errors raised while a handler runs (a host handler that evaluates or
// defines) call no handler: each call could raise several errors again, and
// nesting would multiply them at every level.
static const int MaxHandlerDepth = 1;

static uint64_t MessageKey(int32_t n) { return static_cast<uint64_t>(static_cast<int64_t>(n)); }

void ErrorData::RecordLocation(const StringLocation* scanner) {
  Where = ErrorLocation();
  if (scanner == nullptr || scanner->Attached.TextPtr == nullptr) return;
  const std::string& text = *scanner->Attached.TextPtr;
  Where.Expression = std::string(text.c_str());  // up to the first NUL, as a C text would read
  Where.Offset = scanner->TokenStart;
  if (scanner->TokenStart < text.size()) Where.Symbol = text.substr(scanner->TokenStart, scanner->TokenLen);
}

bool ErrorMessageTable::ShareCopies = true;

const ErrorMessageTable::Map& ErrorMessageTable::Empty() noexcept {
  // Made in static room, never destroyed (read from static destructors
  // too) and without allocating: an empty map holds no node, and this is
  // reached from code that must not throw.
  alignas(Map) static unsigned char room[sizeof(Map)];
  static const Map* const empty = new (room) Map();
  return *empty;
}

ErrorMessageTable::Map& ErrorMessageTable::Edit() {
  // One holder: nobody else can take the map meanwhile, it is this table's.
  if (map_ == nullptr) map_ = std::make_shared<Map>();
  else if (map_.use_count() != 1) map_ = std::make_shared<Map>(*map_);
  return *map_;
}

ErrorMessageTable& ErrorMessageTable::operator=(const ErrorMessageTable& other) {
  if (this == &other) return *this;
  if (ShareCopies || other.map_ == nullptr) map_ = other.map_;
  else map_ = std::make_shared<Map>(*other.map_);
  return *this;
}

const std::string& ErrorData::MessageOf(int32_t n) {
  const ErrorMessageTable::Map& messages = Messages.Read();
  auto found = messages.find(MessageKey(n));
  if (found != messages.end()) return found->second;
  return Messages.Edit()[MessageKey(n)];
}

int32_t Quorb::SetErrorMessage(int32_t n, const std::string& text, bool flag) {
  const ErrorMessageTable::Map& messages = Error.Messages.Read();
  const bool exists = messages.count(MessageKey(n)) != 0;
  if (!flag && exists && n != ErrUserDefined && Error.Number == 0) Error.Number = ErrMessageAlreadyDefined;
  // Made first: what fails then leaves no empty entry behind.
  std::string message(text);
  Error.Messages.Edit()[MessageKey(n)] = std::move(message);
  return 0;
}

int32_t Quorb::CallErrorHandlers() {
  if (Handling.HandlerDepth >= MaxHandlerDepth) return 0;
  // Outside the loop these are zero: the loop sets them and puts them back.
  QUORB_ASSERT(Handling.DefinitionsUnderHandler == 0 && Handling.EvaluationsUnderHandler == 0);
  const ScopedCount<int> level(Handling.HandlerDepth);
  const ScopedValue<int> definitions(Handling.DefinitionsUnderHandler, Running.DefinitionDepth);
  const ScopedValue<int> evaluations(Handling.EvaluationsUnderHandler, Running.RunningEvaluations);
  int32_t resumed = 0;
  // What the handlers are told about; a handler's own parses and
  // definitions overwrite the state, the next handler must see it again.
  const int32_t number = Error.Number;
  StringLocation* location = Error.LocationScanner;
  const ErrorLocation where = Error.Where;
  // By index: a handler may add or remove handlers while the loop runs.
  for (size_t i = 0; i < Definitions.ErrorHandlers.size(); ++i) {
    QuorbItem* handler = Definitions.ErrorHandlers[i];
    if (handler == nullptr || handler->Callback == nullptr) continue;
    CallErrorHandler(handler, this);
    Error.Number = number;
    Error.LocationScanner = location;
    Error.Where = where;
    if (Error.Response == 1) {
      Error.Response = 0;
      resumed = 1;
      break;
    }
  }
  return resumed;
}

int32_t Quorb::ErrorRaise(ExpressionPart*, int32_t n) {
  Error.Number = n;
  Error.RecordLocation(nullptr);  // found by no scanner: no old location applies
  return CallErrorHandlers();
}

int32_t Quorb::ErrorRaiseMessage(ExpressionPart* part, const std::string& message) {
  SetErrorMessage(ErrUserDefined, message, false);
  return ErrorRaise(part, ErrUserDefined);
}

void TestException(Quorb* instance) {
  if (instance == nullptr) return;
  int raised = RaisedExceptionFlags() & ~instance->Evaluator.IgnoredExceptions;
  if (raised == 0) return;
  ClearExceptionFlags();
  // Each test overwrites the last: with several flags the later one wins.
  int32_t& number = instance->Error.Number;
  if (raised & FE_DIVBYZERO) number = ErrDivisionByZero;
  if (raised & FE_INEXACT) number = ErrInexact;
  if (raised & FE_INVALID) number = ErrInvalidOperation;
  if (raised & FE_OVERFLOW) number = ErrOverflow;
  if (raised & FE_UNDERFLOW) number = ErrUnderflow;
  instance->Error.RecordLocation(nullptr);
  if (instance->CallErrorHandlers()) number = ErrNone;
}

}  // namespace QuorbNameSpace
