// Token kinds: what the scanner and the parser make of a matched token.
#ifndef QUORB_SCANNER_TOKEN_KINDS_H
#define QUORB_SCANNER_TOKEN_KINDS_H

#include <cstdint>

enum TokenEnum : int32_t {
  TokenNone = 0,             // token item whose token list was freed
  TokenGeneric = 1,          // plain token
  TokenNotFound = 2,         // end of text, nothing found (the not-found sentinel)
  TokenAlphanumeric = 3,     // identifier
  TokenArgSeparator = 4,     // argument separator
  TokenCodeBlock = 5,        // code-block opener, linked to its closer
  TokenCodeBlockMatch = 6,   // code-block closer, linked to its opener
  TokenMemberAccess = 7,     // namespace member access
  TokenLiteral = 8,          // literal value of the token item's data type
  TokenStatementSep = 9,     // statement separator; ends an up-to scan
  TokenWhitespace = 10,      // blank run
  TokenReducible = 11,       // operator run that may be shortened to find a match
  TokenCurrentThread = 13,   // the kinds below are accepted words without behaviour
  TokenLocalVar = 14,
  TokenStaticVar = 15,       // also "definenow"
  TokenTempDef = 16,
  TokenEvalInsert = 17,
  TokenEvalDuringParse = 18,
  TokenExpandInsert = 19,
  TokenFileInclude = 20,
  TokenCurrentSpace = 21,
  TokenDefSpace = 22,
  TokenEvalSpace = 23,
};

#endif
