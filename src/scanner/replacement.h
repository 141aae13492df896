// One piece of a rule's compiled replacement ("to") text.
#ifndef QUORB_SCANNER_REPLACEMENT_H
#define QUORB_SCANNER_REPLACEMENT_H

#include <cstdint>

namespace QuorbNameSpace {

class QuorbParsedExpr;

enum ReplacementEnum : int32_t {
  CapturePiece = 0,          // {name}: the parameter's capture
  CommentPiece = 1,          // {@Comment}: nothing
  DocPiece = 2,              // {@Doc}: the whole text before this replacement
  EvalPiece = 3,             // {@Eval: e}: e's result as text
  ExecPiece = 4,             // {@Exec: e}: nothing; e runs for its effect
  ExpandedCapturePiece = 6,  // {name} of a "%" parameter: the capture, expanded
  FilePiece = 7,             // {@File: name}: the file's content
  LiteralPiece = 8,          // any other text, unchanged
  ParamPiece = 9,            // {@Param: e}: the capture whose index e gives
  SelfPiece = 10,            // {@Self}: the whole matched text
  SubDocPiece = 11,          // {@SubDoc}: nothing
};

struct ReplacementStruct {
  int32_t Kind = LiteralPiece;
  uint64_t PartIndex = 0;                  // capture pieces: the parameter's first occurrence
  uint64_t Offset = 0;                     // position of the piece's text in the replacement text
  uint64_t Length = 0;                     // length of that text
  QuorbParsedExpr* Expression = nullptr;   // Eval, Exec and Param pieces; owned by the rule
};

}  // namespace QuorbNameSpace

#endif
