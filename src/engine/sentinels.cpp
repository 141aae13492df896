// The first instance's process-wide set-up.
#include "engine/sentinels.h"

#include <regex>

#include "engine/definition_keywords.h"
#include "engine/quorb_item.h"
#include "engine/retrying_once.h"
#include "scanner/token_definitions.h"
#include "scanner/token_matchers.h"
#include "types/type_registry.h"

namespace QuorbNameSpace {

QuorbItem* OpenCurlyBrace = nullptr;
QuorbItem* CloseCurlyBrace = nullptr;
QuorbItem* ArgStop = nullptr;
QuorbItem* DefStop = nullptr;
QuorbItem* DefCommandStop = nullptr;
QuorbItem* ItemNotFound = nullptr;
QuorbItem* DefaultToken = nullptr;
QuorbItem* NullItem = nullptr;
QuorbItem* Parenth = nullptr;
bool Initialized = false;

static QuorbItem* TokenSentinel(const char* pattern) {
  auto* item = new QuorbItem(HostRegex::Deferred(pattern, std::regex::ECMAScript));
  item->EditToken().FastMatch = FindTokenMatcher(pattern);  // scanned in every definition
  return item;
}

static void MakeSentinels() {
  OpenCurlyBrace = TokenSentinel("\\{");
  OpenCurlyBrace->SetBit(IsCodeBlockBlind, true);
  OpenCurlyBrace->SetBit(IsWhitespaceSensitive, true);
  CloseCurlyBrace = TokenSentinel("\\}");
  ArgStop = TokenSentinel("[,\\)\\}]");
  DefStop = TokenSentinel("~~");
  DefStop->SetBit(IsQuoteBlind, true);
  DefStop->SetBit(IsSeparatorTransparent, true);
  DefStop->SetBit(IsCodeBlockBlind, true);
  DefCommandStop = TokenSentinel(":|~~");
  ItemNotFound = new QuorbItem();
  ItemNotFound->EditToken().TokenKind = TokenNotFound;
  ItemNotFound->SetBit(IsNotFound, true);
  DefaultToken = new QuorbItem();
  NullItem = new QuorbItem();
  Parenth = new QuorbItem();
  Parenth->SetBit(IsCallable, true);
}

void InitializeProcessTables() {
  static RetryingOnce once;
  once([] {
    SetTokenNames();
    SetBuiltInTypes();
    SetDefinitionConstants();
    Initialized = true;
    MakeSentinels();
  });
}

}  // namespace QuorbNameSpace
