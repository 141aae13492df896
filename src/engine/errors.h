// Error numbers, the per-instance error block, and the floating-point test.
// Errors are never thrown: operations store a number in the instance and run
// its error handlers; a handler may resume by answering 1.
#ifndef QUORB_ENGINE_ERRORS_H
#define QUORB_ENGINE_ERRORS_H

#include <cstdint>
#include <map>
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
  ErrBoundExceeded = 19,
  ErrDivisionByZero = 20,
  ErrInexact = 21,
  ErrInvalidOperation = 22,
  ErrOverflow = 23,
  ErrUnderflow = 24,
};

namespace QuorbNameSpace {

// The default message of every error number, in number order.
extern const char* const DefaultErrorMessages[25];

class ErrorData {
 public:
  std::map<uint64_t, std::string> Messages;  // key: the number sign-extended to 64 bits
  int32_t Number = 0;                        // current error; 0 = none
  StringLocation* LocationScanner = nullptr; // scanner on the token of the last error
  std::string Text;
  int32_t Response = 0;                      // 1 = the running handler resumed

  // The text of the token at the recorded location; empty when none.
  std::string Symbol() const;
  // The whole text of the recorded location's scanner; empty when none.
  std::string Expression() const;
  // Offset of that token from the start of the text; 0 when none.
  uint64_t Location() const;

  // The message of `n`; a number without one gets an empty entry.
  const std::string& MessageOf(int32_t n);
};

// Turns raised, non-ignored floating-point flags into errors 20 to 24 and
// runs the handlers. Clears all flags only when an unignored one was raised.
void TestException(Quorb* instance);

}  // namespace QuorbNameSpace

#endif
