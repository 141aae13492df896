// Error numbers, the per-instance error block, and the floating-point test.
// Errors are never thrown: operations store a number in the instance and run
// its error handlers; a handler may resume by answering 1.
#ifndef QUORB_ENGINE_ERRORS_H
#define QUORB_ENGINE_ERRORS_H

#include <cstdint>
#include <map>
#include <memory>
#include <new>
#include <string>

namespace QuorbNameSpace {

class Quorb;
class StringLocation;

}  // namespace QuorbNameSpace

enum ErrorNumberEnum : int32_t {
  ErrNone = 0,
  ErrUserDefined = 1,
  ErrSyntax = 2,
  ErrUndefinedIdentifier = 3,
  ErrFileNotFound = 4,
  ErrUnrecognizedToken = 5,
  ErrUnrecognizedCommand = 6,
  ErrTypeMismatch = 7,
  ErrArgumentCount = 8,
  ErrInvalidDefinition = 9,
  ErrCodeBlockDelimiter = 10,
  ErrUndefinedCallback = 11,
  ErrMessageAlreadyDefined = 12,
  ErrNotModifiable = 13,
  ErrUnrecognizedClassMember = 14,
  ErrUnrecognizedNamespaceMember = 15,
  ErrUnbalancedQuote = 16,
  ErrNotAssignable = 17,
  ErrReparseLimit = 18,
  ErrOutOfMemory = 18,  // memory ran out: a limit reached, as the reparse limit is
  ErrBoundExceeded = 19,
  ErrDivisionByZero = 20,
  ErrInexact = 21,
  ErrInvalidOperation = 22,
  ErrOverflow = 23,
  ErrUnderflow = 24,
};

namespace QuorbNameSpace {

// The error number of the exception being handled (called from a catch
// block): memory running out is error 18, anything else `otherwise`.
inline int32_t ErrorOfException(int32_t otherwise) noexcept {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return ErrOutOfMemory;
  } catch (...) {
    return otherwise;
  }
}

// The default message of every error number, in number order.
extern const char* const DefaultErrorMessages[25];

// Where the last error was found, copied out of the scanner that found it:
// the scanner is gone once the parse returns, the host reads this later.
struct ErrorLocation {
  std::string Symbol;      // the token's text
  std::string Expression;  // the whole text, up to a first NUL
  uint64_t Offset = 0;     // the token's offset from the start of the text
};

// The error messages of an instance, keyed by the number sign-extended to
// 64 bits. Every instance starts with the same messages and few ever change
// one, so copies of a table share one map until either of them is changed:
// the change then first makes the changed table a map of its own. A shared
// map is never changed, so references into it stay valid for as long as any
// table holds it.
class ErrorMessageTable {
 public:
  using Map = std::map<uint64_t, std::string>;

  const Map& Read() const noexcept { return map_ != nullptr ? *map_ : Empty(); }
  Map::const_iterator begin() const noexcept { return Read().begin(); }
  Map::const_iterator end() const noexcept { return Read().end(); }
  size_t size() const noexcept { return Read().size(); }
  size_t count(uint64_t key) const { return Read().count(key); }
  // The map to change, this table's own. Throws what allocation throws,
  // leaving the table as it was.
  Map& Edit();

  // The switch to the slow twin of sharing: while false, a copy of a table
  // is a map of its own at once. Process-wide; only tests change it.
  static bool ShareCopies;

  ErrorMessageTable() = default;
  ErrorMessageTable(const ErrorMessageTable& other) { *this = other; }
  ErrorMessageTable& operator=(const ErrorMessageTable& other);

 private:
  std::shared_ptr<Map> map_;  // null: no message

  static const Map& Empty() noexcept;
};

class ErrorData {
 public:
  ErrorMessageTable Messages;
  int32_t Number = 0;                        // current error; 0 = none
  StringLocation* LocationScanner = nullptr; // scanner on the token, only while handlers run
  ErrorLocation Where;                       // kept until the next error or parse
  std::string Text;
  int32_t Response = 0;                      // 1 = the running handler resumed

  // Copies the location of `scanner`'s current token; null forgets it.
  void RecordLocation(const StringLocation* scanner);

  // The text of the token at the recorded location; empty when none.
  std::string Symbol() const { return Where.Symbol; }
  // The whole text the error was found in; empty when none.
  std::string Expression() const { return Where.Expression; }
  // Offset of that token from the start of the text; 0 when none.
  uint64_t Location() const { return Where.Offset; }

  // The message of `n`; a number without one gets an empty entry.
  const std::string& MessageOf(int32_t n);
};

// Turns raised, non-ignored floating-point flags into errors 20 to 24 and
// runs the handlers. Clears all flags only when an unignored one was raised.
void TestException(Quorb* instance);

}  // namespace QuorbNameSpace

#endif
