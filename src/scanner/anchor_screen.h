// The anchor screen: whether an expansion of a text could meet any rule at
// all, told without scanning it. The definition language and every name
// lookup have the parser transform rewrite their text first, and nearly
// every such text holds no rule's anchor: the screen lets the expansion
// (expansion.cpp) leave those texts as they are without making a scan.
//
// An expansion finds a rule only through a token whose text a search table
// files (the anchor, or a namespace holding one), or through a token made
// for a regular-expression anchor. A filed name is a piece of the text, so
// a text in which no filed name occurs meets no rule, however its scan
// splits it into tokens. The screen answers "may meet one" whenever it
// cannot tell cheaply: too many names to read, passes to run, a token made
// for a rule, or a token pattern only the host regex engine runs (its
// engine may give up on a text, which an expansion reports).
#ifndef QUORB_SCANNER_ANCHOR_SCREEN_H
#define QUORB_SCANNER_ANCHOR_SCREEN_H

#include <cstdint>
#include <string>

namespace QuorbNameSpace {

class StringLocation;

// Whether expansions screen their texts (true) or scan every text (false:
// the slow twin; tests compare both ways).
extern bool ScreenTextsForAnchors;

// False only when an expansion of [start, end) of `text` by `expander`'s
// rules, with a step budget of its own, is sure to match no rule and to
// take fewer token steps than that budget allows.
bool RulesMayMatch(const StringLocation& expander, const std::string& text, uint64_t start, uint64_t end);

}  // namespace QuorbNameSpace

#endif  // QUORB_SCANNER_ANCHOR_SCREEN_H
