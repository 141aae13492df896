// Process-wide words of the definition language that name token kinds and
// argument-passing modes, filled once by the first instance.
#ifndef QUORB_SCANNER_TOKEN_DEFINITIONS_H
#define QUORB_SCANNER_TOKEN_DEFINITIONS_H

#include <map>
#include <string>

#include "scanner/token_kinds.h"

namespace QuorbNameSpace {

// Lower-case token-kind words ("generic", "codeblock", ...) to kinds.
extern std::map<std::string, TokenEnum> TokenType_;
// Lower-case passing words ("byval", ...) to property-bit numbers.
extern std::map<std::string, int> IsByMap;

void SetTokenNames();

}  // namespace QuorbNameSpace

#endif
