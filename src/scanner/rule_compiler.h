// Internal to rule compilation: the state of one StringLocation::DefineRule
// call while it reads the FROM pattern (rule_pattern.cpp) and the TO text
// (rule_replacement.cpp); rule_compiler.cpp drives it, files the rule and
// frees what a failed definition built. The two languages are described in
// string_location.h (DefineRule) and rule_parts.h / replacement.h.
#ifndef QUORB_SCANNER_RULE_COMPILER_H
#define QUORB_SCANNER_RULE_COMPILER_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "scanner/replacement.h"
#include "scanner/rule_parts.h"
#include "scanner/string_location.h"

namespace QuorbNameSpace {

class Quorb;

// Limits shared by a definition and every variant it spins off, so that a
// pattern can neither multiply rules nor grow itself without bound.
struct RuleBudget {
  static constexpr uint64_t MaxRules = 256;             // the rule and all its variants
  static constexpr uint64_t MaxInsertions = 64;         // "Eval" and "File" directives read
  static constexpr uint64_t MaxInsertedBytes = 64 * 1024;  // one directive's text
  static constexpr uint64_t MaxPatternGrowth = 1024 * 1024;  // a pattern beyond its own length
  uint64_t rulesLeft = MaxRules;
  uint64_t insertionsLeft = MaxInsertions;
};

// "}" as the end of a directive argument, a default text or a group's
// alternatives: nested braces are stepped over and, unlike the shared
// CloseCurlyBrace sentinel, statement separators do not end the scan.
QuorbItem* CloseBraceTerminator();
// The name of a rule anchored by a regular expression: "@RegEx: " and the
// decimal value of its handle.
std::string RegexAnchorName(const QuorbItem* rule);

bool IsAsciiLetter(char c);
std::string AsciiLower(std::string text);

class RuleCompiler {
 public:
  // `target` is the transform the rule is for; `definitions` the instance's
  // definition transform, whose tokens read both texts.
  RuleCompiler(StringLocation& target, StringLocation& definitions, Quorb& instance, QuorbItem* rule,
               std::string from, std::string to, RuleBudget& budget);
  RuleCompiler(const RuleCompiler&) = delete;
  RuleCompiler& operator=(const RuleCompiler&) = delete;

  // Reads FROM into the rule's parts (variants are defined on the way).
  // False on a malformed pattern; the error is left to the caller unless a
  // failed evaluation set its own.
  bool ReadPattern();
  // Reads TO into the rule's pieces and sets ReplacementText. False on a
  // malformed TO text.
  bool ReadReplacement();

 private:
  // FROM (rule_pattern.cpp)
  char At(uint64_t position) const;
  bool ReadBrace(uint64_t braceStart);
  bool ReadDirective(uint64_t braceStart);
  bool InsertPatternText(uint64_t start, uint64_t end, const std::string& text);
  bool ReadParameter(const std::string& name, uint64_t bits);
  bool ReadRegexParameter(QuorbItem* part, const std::string& regex);
  bool ReadOptional(uint64_t openerStart);
  bool ReadAlternative(uint64_t barStart);
  bool OpenGroup(const std::string& name, uint64_t bits, uint64_t groupStart);
  bool CloseGroup();
  void AddLiteral(const std::string& token);
  bool ExpectClose();
  bool Evaluate(const std::string& text, std::string& value);
  bool DefineVariant(const std::string& from, const std::string& to);
  bool ParameterBeforeAnchor() const;
  void FinishParts();
  QuorbItem* NewPart(const std::string& name, uint64_t bits, RulePartEnum kind);
  std::string GeneratedName();

  // TO (rule_replacement.cpp)
  void AddLiteralPiece(uint64_t offset, uint64_t length);
  bool ReadToDirective(StringLocation& cursor, uint64_t braceStart, bool& variablesMade);
  bool LooksLikeSection(uint64_t position) const;

  StringLocation& target_;
  StringLocation& definitions_;
  Quorb& instance_;
  QuorbItem* rule_;
  RuleBudget& budget_;
  std::string from_;              // edited as directives and optional parts are read
  std::string to_;                // sections opened as parameters are met
  std::string toBase_;            // TO with no section opened: the start of alternatives' variants
  uint64_t fromLimit_;            // how long directives may make FROM
  StringLocation cursor_;         // over from_, with the definition transform's tokens

  std::map<std::string, ReplacementStruct> names_;  // ParamNameMap: kind and first PartIndex
  std::vector<QuorbItem*> openGroups_;
  QuorbItem* awaitingFirst_ = nullptr;  // the group opened last, until its first part is made
  QuorbItem* previous_ = nullptr;       // the last part made that is not a stop mark
  uint64_t generated_ = 0;              // "Arg_n_" counter
  bool hasGroups_ = false;
  bool hasBackReferences_ = false;
  bool hasStop_ = false;
};

}  // namespace QuorbNameSpace

#endif
