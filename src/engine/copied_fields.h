// The fields of an item and of a transform, listed again member for member
// with the same types in the same order, so that the instance copy
// (instance_copy.cpp), which fills every field by name, cannot miss one
// silently: a field added to QuorbItem, its token or rule part or
// StringLocation changes the size of the class but not of its list here,
// and the size checks beside the copy stop the build. Whoever adds a field
// handles it in the copy (copied, redirected, or known to be empty in a
// planned source), then lists it here. Being the same declarations, each
// list has its class's size on every data model and standard library.
#ifndef QUORB_ENGINE_COPIED_FIELDS_H
#define QUORB_ENGINE_COPIED_FIELDS_H

#include <memory>
#include <regex>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/quorb_item.h"
#include "scanner/string_location.h"

namespace QuorbNameSpace {

struct CopiedTokenFields {
  HostRegex Pattern;
  int32_t PartKind;
  TokenEnum TokenKind;
  std::vector<QuorbItem*>* TokenList;
  QuorbItem* Partner;
  QuorbItem* RegExRule;
  uint64_t SubMatch;
  TokenMatcher FastMatch;
  uint64_t EditStamp;
  std::unique_ptr<RuleParamStruct> rule;
};

struct CopiedRuleFields {
  uint64_t PartIndex, BackRefIndex, GroupStart;
  QuorbItem* GroupFirst;
  QuorbItem* GroupLast;
  std::string FromPart, ToPart;
  uint64_t Minimum, Maximum, MinimumHard, MaximumHard, StartAfter, StopAfter;
  std::vector<ReplacementStruct> Pieces;
  std::string ReplacementText, Comment;
  StringLocation* DefiningTransform;
  StringLocation* LocalTransform;
  uint64_t MatchCount, ReplaceCount;
  std::vector<QuorbItem*>* Variants;
  Table* OwnTable;
};

struct CopiedItemFields : BaseClass {
  void* ValuePtr;
  QuorbCallback Callback;
  QuorbParsedExpr* ParsedExpr;
  ExpressionPart* CurrentCall;
  ErasedFunction HostFunction;
  uint64_t ElementCount;
  SubItemList SubItems;
  int32_t Precedence;
  bool OwnsArrayCell;
  RolesLink Roles;
  std::unique_ptr<TokenClass_> token;
  alignas(8) unsigned char smallValue[SmallValueRoom];
};

// The private parts appear as members of the same shapes; a group of fields
// as an unnamed struct of its members, so that a field added to a group
// changes the size of the class and not of its list here.
struct CopiedTransformFields : BaseClass, ScanState {
  struct {
    std::string OwnText;
    const std::string* TextPtr;
    std::string* InputRefTarget;
    uint64_t TextLength;
  } Attached;
  StringLocation* Parent;
  std::vector<QuorbItem*>* Tokens;
  Table* RuleTable;
  std::vector<Table*> SearchTables;
  FilterClass Filter;
  std::regex::flag_type Grammar;
  std::vector<StringLocation*> Passes;
  std::string Comment;
  struct {
    TokenDispatch FirstByteDispatch;
    TokenMatch LastMatch;
    StringLocation::RunRemainder RunLeft;
  } Matching;
  struct {
    ChangeRecords ChangeLog;
    std::vector<std::string> Steps;
    std::string ListSeparator, ListPrefix, ListPostfix;
  } Record;
  struct {
    std::vector<QuorbItem*> RuleHandles;
    QuorbItem RulesDefault, RulesOverall;
  } HostRules;
  struct {
    struct {
      const std::string* before;
      uint64_t beforeLength;
      const std::string* after;
      uint64_t afterStart;
    } DocumentAround;
    std::unordered_map<const QuorbItem*, QuorbItem*> VariantParents;
    int32_t ExpansionDepth;
    ScanMemory* Memory;
    bool RangeExpanding;
  } Expanding;
  QuorbItem* LocalOf;
  struct RetiredParts {
    Table* Rules;
    std::vector<QuorbItem*>* Tokens;
  };
  std::vector<RetiredParts> Retired;
  std::vector<QuorbItem*> BlankRules;
  std::vector<StringLocation*> IdleCursors;  // not copied: idle cursors of the prototype's own
};

}  // namespace QuorbNameSpace

#endif  // QUORB_ENGINE_COPIED_FIELDS_H
