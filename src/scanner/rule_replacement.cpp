// Reading a rule's TO text into replacement pieces: literal stretches,
// parameter references and "{@...}" directives. Expression pieces are
// parsed here, once; expansion only runs them.
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "scanner/rule_compiler.h"

namespace QuorbNameSpace {

// Consecutive literal stretches become one piece.
void RuleCompiler::AddLiteralPiece(uint64_t offset, uint64_t length) {
  if (length == 0) return;
  std::vector<ReplacementStruct>& pieces = rule_->EditRule().Pieces;
  if (!pieces.empty() && pieces.back().Kind == LiteralPiece && pieces.back().Offset + pieces.back().Length == offset) {
    pieces.back().Length += length;
    return;
  }
  ReplacementStruct piece;
  piece.Kind = LiteralPiece;
  piece.Offset = offset;
  piece.Length = length;
  pieces.push_back(piece);
}

// "{name:" at `position` (after the brace): the start of a section.
bool RuleCompiler::LooksLikeSection(uint64_t position) const {
  if (position >= to_.size() || !IsAsciiLetter(to_[position])) return false;
  while (position < to_.size() && (IsAsciiLetter(to_[position]) || (to_[position] >= '0' && to_[position] <= '9') ||
                                   to_[position] == '_'))
    ++position;
  return position < to_.size() && to_[position] == ':';
}

bool RuleCompiler::ReadReplacement() {
  StringLocation cursor(to_, &definitions_);
  cursor.SetBit(IsWhitespaceSensitive, true);
  cursor.SetBit(IsQuoteBlind, true);
  cursor.SetBit(IsCodeBlockBlind, true);
  cursor.SetBit(IsExpanding, false);
  bool variablesMade = false;
  bool ok = true;
  while (ok && cursor.Pos < to_.size()) {
    const uint64_t begin = cursor.Pos;
    cursor.upto(OpenCurlyBrace);
    if (!cursor.Has(IsStopFound)) {
      // The end of the text, or a statement separator ended the scan.
      AddLiteralPiece(begin, cursor.Pos - begin);
      if (cursor.Pos <= begin) break;
      continue;
    }
    const uint64_t brace = cursor.StopLoc;
    AddLiteralPiece(begin, brace - begin);
    cursor.Pos = brace + 1;
    if (brace + 1 < to_.size() && to_[brace + 1] == '@') {
      ok = ReadToDirective(cursor, brace, variablesMade);
      continue;
    }
    const StringLocation::BlockSpan block = cursor.MeasureBlock(brace);
    const uint64_t blockLength = block.Length;
    const uint64_t innerStart = block.InnerStart;
    const uint64_t innerLength = block.InnerLength;
    if (blockLength == 0) {
      // An unclosed brace is text, unless it opens a section.
      if (LooksLikeSection(brace + 1)) ok = false;
      AddLiteralPiece(brace, 1);
      continue;
    }
    cursor.Pos = brace + blockLength;
    auto found = names_.find(to_.substr(innerStart, innerLength));
    if (found == names_.end()) {
      // Not a reference: the whole block, braces and all, is text.
      AddLiteralPiece(brace, blockLength);
      continue;
    }
    ReplacementStruct piece = found->second;
    piece.Offset = brace;
    piece.Length = blockLength;
    rule_->EditRule().Pieces.push_back(piece);
  }

  // The parameter variables leave the symbol table: the parsed pieces hold
  // them, the parts own them, and no later parse may find them by name.
  if (variablesMade) {
    for (QuorbItem* part : rule_->SubItems) {
      if (part->SubItems.empty()) continue;
      QuorbItem* variable = part->SubItems.front();
      if (variable->OwningTable != nullptr) variable->OwningTable->Remove(variable);
    }
  }
  rule_->EditRule().ReplacementText = to_;
  return ok;
}

bool RuleCompiler::ReadToDirective(StringLocation& cursor, uint64_t braceStart, bool& variablesMade) {
  cursor.Pos = braceStart + 2;
  const std::string word = AsciiLower(cursor.NextTokenStr());
  uint64_t argumentStart = cursor.Pos;
  uint64_t argumentLength = 0;
  const bool hasArgument = cursor.Pos < to_.size() && to_[cursor.Pos] == ':';
  if (hasArgument) argumentStart = ++cursor.Pos;
  // The argument runs to the matching brace; quoted text inside it is one
  // unit, so a brace in a string does not end it.
  cursor.SetBit(IsQuoteBlind, false);
  cursor.upto(CloseBraceTerminator());
  cursor.SetBit(IsQuoteBlind, true);
  if (!cursor.Has(IsStopFound)) return false;
  if (hasArgument) argumentLength = cursor.StopLoc - argumentStart;

  ReplacementStruct piece;
  piece.Kind = CommentPiece;  // an unknown word contributes nothing
  if (word == "eval" || word == "exec" || word == "param") {
    target_.SetUpEvalRuleParams(variablesMade, rule_);
    piece.Kind = word == "eval" ? EvalPiece : word == "exec" ? ExecPiece : ParamPiece;
    piece.Expression = instance_.Parse(to_.substr(argumentStart, argumentLength), nullptr);
  } else if (word == "file") {
    piece.Kind = FilePiece;
    piece.Offset = argumentStart;
    piece.Length = argumentLength;
  } else if (word == "self") {
    piece.Kind = SelfPiece;
  } else if (word == "doc") {
    piece.Kind = DocPiece;
  } else if (word == "subdoc") {
    piece.Kind = SubDocPiece;
  }
  rule_->EditRule().Pieces.push_back(piece);
  return true;
}

}  // namespace QuorbNameSpace
