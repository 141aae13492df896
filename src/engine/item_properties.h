// Bit numbers of the 64-bit property set shared by items, transforms and the
// instance's flag word. What an item is follows from these bits and from
// which of its fields are filled; see quorb_item.h for the record itself.
#ifndef QUORB_ENGINE_ITEM_PROPERTIES_H
#define QUORB_ENGINE_ITEM_PROPERTIES_H

#include <cstdint>

namespace QuorbNameSpace {

enum ItemIsEnum : int {
  IsRightToLeft = 1,           // right-to-left associativity (operators, rules)
  IsDataType = 2,              // data-type item; owns its type object
  IsArray = 3,                 // array parameter or array value
  IsNamespace = 5,             // namespace item owning a table of its own
  IsNamedVariable = 6,         // named variable or parameter; clean-up spares it
  IsFunction = 8,              // function (data-type items carry it too)
  IsOperator = 9,              // operator
  IsCallable = 10,             // callable with arguments
  IsPrefix = 11,               // operator with no operand before the symbol
  IsInfix = 12,                // operator with operands on both sides
  IsPostfix = 13,              // operator with no operand after the symbol
  IsOwner = 14,                // owns its value storage; on a transform: owning transform
  IsByVal = 15,                // parameter passed by value
  IsByRef = 16,                // passed by reference; on a transform: input by reference
  IsByCopy = 17,               // passed by copy
  IsByExpr = 18,               // passed as an unevaluated expression
  IsByHandle = 19,             // passed by handle
  IsPointer = 20,              // pointer parameter ("Ptr" after the type)
  IsDefaulted = 21,            // parameter with a default value
  IsVariadic = 22,             // "..." on the parameter and on its function
  IsLiteral = 23,              // value item made from a literal token
  IsLocked = 24,               // not replaceable, not assignable
  IsAnchored = 27,             // rule: has its anchor and owns its Variants; transform: has rules
  IsAnonymous = 29,            // held in the instance's anonymous-item map
  IsErrorHandler = 30,         // error handler
  IsApiCall = 32,              // "apicall" clause
  IsCaseSensitive = 33,        // names and patterns compared byte for byte
  IsQuotedText = 34,           // quoted-text token
  IsRewindOnChange = 35,       // rescan from the start after a replacement
  IsExpandedParam = 36,        // rule parameter "%": captures expanded in TO
  IsActive = 37,               // rule or transform active
  IsSeparatorTransparent = 38, // statement separators do not end the scan ("+")
  IsCodeBlockBlind = 39,       // code blocks are not taken as units (stored inverted)
  IsModifierBang = 40,         // rule-parameter modifier "!": recorded only
  IsModifierHash = 41,         // rule-parameter modifier "#": recorded only
  IsModifierGreater = 42,      // rule-parameter modifier ">": recorded only
  IsNoExpansion = 43,          // no rule expansion while scanning ("~")
  IsSkipOver = 44,             // skip over
  IsModified = 45,             // text was modified
  IsWhitespaceSensitive = 46,  // blanks are tokens
  IsQuoteBlind = 47,           // quoted-text tokens not tried (stored inverted)
  IsStopUnread = 48,           // leave the terminator unread; a rule's trailing parameter
  IsSetAside = 49,             // last token item set aside during a code-block step
  IsStopFound = 50,            // terminator found by an up-to scan
  IsExpanding = 51,            // expansion running
  IsRecordingSteps = 52,       // record expansion steps
  IsOutputFormat = 53,         // output-format item
  IsFormatting = 54,           // output formatting in progress (instance flag word)
  IsDefaultItem = 55,          // the instance's default item
  IsNotFound = 56,             // the not-found sentinel
  IsConversionFlag = 63,       // conversion and text-modification flag
};

// The mask of one property bit. Bit numbers are taken modulo 64 so that a
// caller's out-of-range number can never shift past the word.
constexpr uint64_t PropertyBit(int bit) { return 1ULL << (static_cast<unsigned>(bit) & 63u); }

}  // namespace QuorbNameSpace

#endif
