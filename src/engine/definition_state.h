// The working state of one Quorb::Define call, shared by the files that
// carry out its clauses: definitions.cpp (the clause loop, filing, simple
// keywords), definition_types.cpp (types, conversions, output formats),
// definition_tokens.cpp (namespaces, handlers, tokens), signatures.cpp
// (functions and operators) and parameters.cpp (declarations and values).
#ifndef QUORB_ENGINE_DEFINITION_STATE_H
#define QUORB_ENGINE_DEFINITION_STATE_H

#include <cstdint>
#include <memory>
#include <string>

#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "scanner/cursor_lease.h"
#include "scanner/string_location.h"

namespace QuorbNameSpace {

struct DefinitionState {
  Quorb& instance;
  std::string text;                          // the text being read; replaced by a rewrite
  CursorLease scanner;                       // the clause scanner over `text`
  QuorbItem* item = nullptr;                 // the item being defined; null when none
  QuorbItem* displaced = nullptr;            // an overwritten item's former definition
  QuorbItem* replacedDefault = nullptr;      // the default item a "default" clause replaced
  QuorbCallback addr = nullptr;              // callback or host address
  const BuiltinRoles* roles = nullptr;       // of the engine's own callback at addr; null: look them up
  bool addrCallbackOnly = false;             // addr may only be a function's or operator's callback
  bool overwrite = false;
  bool bootstrap = false;
  bool finished = false;                     // a clause ended the definition
  bool madeItem = false;                     // the item is this definition's own, to free on failure
  bool hostAddress = false;                  // addr is the host's: a QuorbCallback of the public header
  int clauseCount = 0;

  DefinitionState(Quorb& owner, const std::string& definition) : instance(owner), text(definition) {}

  StringLocation& Scan() { return *scanner; }
  // The host address the callback argument stands for in variable clauses;
  // null when it may only be a callback.
  void* Address() const { return addrCallbackOnly ? nullptr : reinterpret_cast<void*>(addr); }
  // The callback of an error handler or output format, which is called
  // with another signature; null when addr may only be a function's.
  QuorbCallback OtherCallback() const { return addrCallbackOnly ? nullptr : addr; }
};

// Keeps an error that is pending before a nested parse, evaluation or
// definition: the nested operation clears the number when it starts, but
// the first error of the outer operation is the one to report.
class PendingErrorKept {
 public:
  explicit PendingErrorKept(Quorb& instance) : instance_(instance), saved_(instance.Error.Number) {}
  ~PendingErrorKept() {
    if (saved_ != 0) instance_.Error.Number = saved_;
  }
  PendingErrorKept(const PendingErrorKept&) = delete;
  PendingErrorKept& operator=(const PendingErrorKept&) = delete;

 private:
  Quorb& instance_;
  int32_t saved_;
};

// Clause helpers shared across the definition files.
std::string NextTokenText(StringLocation& scanner);   // one token step; its text
std::string ReadBody(StringLocation& scanner);        // up to "~~", trimmed
std::string ReadElement(StringLocation& scanner);     // up to "," ")" or "}", trimmed
bool ReadInt(const std::string& text, int64_t& out);  // a decimal int, as the definitions read numbers
bool IsNameToken(const StringLocation& scanner);      // the current token is an identifier
void FileByName(DefinitionState& state, const std::string& name);
// The item a name stands for in the current tables; the name is taken
// whole when the main transform has no tokens yet.
QuorbItem* FindSymbol(Quorb& instance, const std::string& name);

// What an item is for. Each role reads the callback and data-type fields
// its own way (a handler's callback takes the instance, a type item's data
// type is the type it owns), so an item holds one role at most.
enum class ItemRole { None, Handler, Output, Type, Variable, Callable };
ItemRole RoleOf(const QuorbItem* item);
// Makes the definition's callback argument the item's callback: as given,
// with the definition's roles, for the engine's own callbacks; through
// CallHostFunction, without roles, for a host's (host_functions.h).
void InstallCallback(DefinitionState& state, QuorbItem* item);
// Gives a scalar item new value storage (`owned`: the item's to free),
// freeing the value it owned before.
void ReplaceStorage(QuorbItem* item, void* storage, bool owned);
// A clause the item cannot take: error 9, and no later clause is read (its
// body, left unread, would be taken for clauses of its own).
void Refuse(DefinitionState& state);
// True when the item being defined may take `role` (it is not the default
// item, and has no role yet or is a handler or output format taking the
// same role again); otherwise the clause is refused and must change nothing.
bool TakeRole(DefinitionState& state, ItemRole role);
// Drops the item being defined, as "from", "convertsbetween" and the
// continuation of a type do: an item this definition made is destroyed, an
// overwritten item gets its former definition back, and a caller's item is
// left as it is. Afterwards the definition has no item.
void DiscardItem(DefinitionState& state);

// Clause actions outside definitions.cpp.
void DataTypeClause(DefinitionState& state);
void BooleanClause(DefinitionState& state);
void ConversionClause(DefinitionState& state, int keyword);
void OutputClause(DefinitionState& state);
void NamespaceClause(DefinitionState& state);
void ErrorHandlerClause(DefinitionState& state);
void TokenClause(DefinitionState& state);
void EndMatchClause(DefinitionState& state);
void SignatureClause(DefinitionState& state, bool isOperator);
void VariableClause(DefinitionState& state);

}  // namespace QuorbNameSpace

#endif
