// The keywords of the definition language, numbered by their position in
// the keyword table; Quorb::Define dispatches on these numbers.
#ifndef QUORB_ENGINE_DEFINITION_KEYWORDS_H
#define QUORB_ENGINE_DEFINITION_KEYWORDS_H

#include <map>
#include <string>

namespace QuorbNameSpace {

// Only the keywords that act are named; the others are recognised and inert.
enum DefinitionPropertiesEnum : int {
  DefAddress = 0,
  DefApiCall = 1,
  DefBoolean = 4,
  DefBootstrap = 5,
  DefCaseSensitive = 10,
  DefConvertsBetween = 16,
  DefConvertsFrom = 17,
  DefConvertsFromAny = 18,
  DefConvertsTo = 21,
  DefConvertsToAny = 22,
  DefDataType = 26,
  DefDefault = 27,
  DefDefSeparator = 28,
  DefEndMatch = 29,
  DefErrorHandler = 30,
  DefFrom = 36,
  DefFunction = 37,
  DefGrouping = 38,
  DefLock = 49,
  DefName = 55,
  DefNamespace = 56,
  DefOperator = 59,
  DefOutput = 60,
  DefOverwrite = 62,
  DefPrecedence = 66,
  DefQuotedText = 68,
  DefRewindOnChange = 73,
  DefSubMatch = 80,
  DefSyntaxEqual = 83,
  DefToken = 87,
  DefTokenType = 88,
  DefValue = 92,
  DefVariable = 93,
  DefEmpty = 95,
  DefinitionKeywordCount = 96,
};

// Lower-case keyword to its number; filled once per process.
extern std::map<std::string, DefinitionPropertiesEnum> DefinitionChoice;

void SetDefinitionConstants();

}  // namespace QuorbNameSpace

#endif
