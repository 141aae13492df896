// The bytes a match of an ECMAScript pattern can start with, read from the
// pattern text. The engine's own start map gives up on a leading repeat
// ("[0-9]+" may start anywhere, for it), the commonest shape of a token
// pattern; this reading knows the plain constructs and gives up on the rest.
#ifndef QUORB_SCANNER_PATTERN_FIRST_BYTES_H
#define QUORB_SCANNER_PATTERN_FIRST_BYTES_H

#include <string>

#include "scanner/byte_set.h"

namespace QuorbNameSpace {

// True with `out` set to a superset of the bytes a non-empty match of
// `pattern` (ECMAScript grammar; letters of either case when `ignoreCase`)
// can start with. False when the pattern can match the empty string or
// holds a construct this reading does not know (look-arounds,
// back-references, named classes, ...): then any byte may start a match.
bool ReadFirstBytes(const std::string& pattern, bool ignoreCase, ByteSet& out);

}  // namespace QuorbNameSpace

#endif  // QUORB_SCANNER_PATTERN_FIRST_BYTES_H
