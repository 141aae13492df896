// The kinds of the parts a rule's "from" pattern compiles to.
#ifndef QUORB_SCANNER_RULE_PARTS_H
#define QUORB_SCANNER_RULE_PARTS_H

#include <cstdint>

namespace QuorbNameSpace {

enum RulePartEnum : int32_t {
  Param = 1,           // {name}: text up to where the next part matches
  Anchor = 2,          // the token at which the rule was found
  Literal = 5,         // the next token, compared by IsEqual (operator runs shortened)
  RegExParam = 6,      // a parameter with a regular expression
  ParamStop = 7,       // a literal right after a Param: scan up to it
  RegExParamStop = 8,  // a regex parameter right after a Param: scan up to it
  Group = 9,           // { sub-pattern }: spans its inner parts
  GroupEnd = 10,       // fills the captures of the groups
  CheckEnd = 11,       // stop marks and repeated-name checks
  TrailingParam = 12,  // a Param that is the last part
  StartAnchor = 13,    // {@Start}
  EndAnchor = 14,      // {@End}
  StopMark = 15,       // {@Stop}: the match ends before the parts after it
  CountParam = 16,     // {name:N}: exactly N tokens
};

}  // namespace QuorbNameSpace

#endif
