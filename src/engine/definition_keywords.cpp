// The keyword table. A keyword's number is its position in this list, so
// the list's order is the language's and must not change.
#include "engine/definition_keywords.h"

namespace QuorbNameSpace {

std::map<std::string, DefinitionPropertiesEnum> DefinitionChoice;

static const char* const Keywords[DefinitionKeywordCount] = {
    "address",        "apicall",          "anytype",          "begin",            "boolean",
    "bootstrap",      "byexpr",           "byhandle",         "byref",            "byval",
    "casesensitive",  "checkforstop",     "class",            "codeblocksensitive", "codepostfix",
    "codeprefix",     "convertsbetween",  "convertsfrom",     "convertsfromany",  "convertsfromtype",
    "convertsfromaddr", "convertsto",     "convertstoany",    "convertstotype",   "convertstoaddr",
    "count",          "datatype",         "default",          "defseparator",     "endmatch",
    "errorhandler",   "exec",             "externalkeywords", "exitfile",         "evalspace",
    "defspace",       "from",             "function",         "grouping",         "if",
    "ifdef",          "iffileoption",     "ifndef",           "ignoreoutput",     "include",
    "inline",         "isunion",          "label",            "linecontinue",     "lock",
    "max",            "maxsoft",          "min",              "minsoft",          "mode",
    "name",           "namespace",        "newline",          "nextdef",          "operator",
    "output",         "overhead",         "overwrite",        "param",            "pass",
    "path",           "precedence",       "property",         "quotedtext",       "quotesensitive",
    "rank",           "repassall",        "repasslocal",      "rewindonchange",   "righttoleft",
    "runfile",        "size",             "skipover",         "startafter",       "stopafter",
    "submatch",       "syntax",           "syntaxarg",        "syntaxequal",      "textdata",
    "thread",         "to",               "token",            "tokentype",        "type",
    "typehandler",    "quorb",            "value",            "variable",         "variablearglist",
    "",
};

void SetDefinitionConstants() {
  for (int n = 0; n < DefinitionKeywordCount; ++n)
    DefinitionChoice[Keywords[n]] = static_cast<DefinitionPropertiesEnum>(n);
}

}  // namespace QuorbNameSpace
