// Process-wide marker items shared by every instance: the scanner, the
// definition language and the parser compare against their addresses.
// They are made once, by the first instance, and never freed.
#ifndef QUORB_ENGINE_SENTINELS_H
#define QUORB_ENGINE_SENTINELS_H

namespace QuorbNameSpace {

class QuorbItem;

extern QuorbItem* OpenCurlyBrace;   // "\{": start of a braced rule parameter
extern QuorbItem* CloseCurlyBrace;  // "\}": end of a rule parameter
extern QuorbItem* ArgStop;          // "[,\)\}]": end of an argument or value
extern QuorbItem* DefStop;          // "~~": end of a definition clause
extern QuorbItem* DefCommandStop;   // ":|~~": end of a clause keyword
extern QuorbItem* ItemNotFound;     // instance lookups' "not found"; end of text
extern QuorbItem* DefaultToken;     // the scanner's any-token argument
extern QuorbItem* NullItem;         // the parser's empty-bracket marker
extern QuorbItem* Parenth;          // the parser's item for bracket groups

// Set once the first instance has filled the process-wide tables.
extern bool Initialized;

// Fills the process-wide tables and makes the sentinels, once per process.
void InitializeProcessTables();

}  // namespace QuorbNameSpace

#endif
