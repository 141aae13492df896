// An instance whose main transform's tokens carry the literal types, as a
// fully built instance has them, and helpers that scan a text token by token.
#ifndef QUORB_TESTS_SCANNER_SCANNER_FIXTURE_H
#define QUORB_TESTS_SCANNER_SCANNER_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/quorb.h"
#include "engine/sentinels.h"
#include "engine/table.h"
#include "scanner/string_location.h"

namespace QuorbNameSpace {

struct ScannedToken {
  std::string text;
  TokenEnum kind;
  bool operator==(const ScannedToken& other) const { return text == other.text && kind == other.kind; }
};

inline std::ostream& operator<<(std::ostream& out, const ScannedToken& token) {
  return out << "{\"" << token.text << "\", " << token.kind << "}";
}

class ScannerTest : public ::testing::Test {
 protected:
  ScannerTest() {
    for (const char* binding : {"Bool:type_boolean", "Double:type_float_double", "String:type_string",
                                "Complex:type_complex"}) {
      std::string text(binding);
      size_t colon = text.find(':');
      auto* item = new QuorbItem();
      item->Owner = &instance;
      item->SetBit(IsDataType, true);
      instance.CurrentNamespaceTable()->Add(text.substr(0, colon), item, false);
      instance.BindDataType(item, text.substr(colon + 1));
    }
    for (int i : {0, 1}) {
      instance.Scanners.Transforms[i]->ResetStringLocation(ResetTokensOnly);
      instance.Scanners.Transforms[i]->DefineTokens();
    }
  }

  // Every token of `text` scanned by `transform`'s token set.
  std::vector<ScannedToken> Scan(StringLocation* transform, const std::string& text, uint64_t extraBits = 0) {
    StringLocation cursor(text, transform);
    cursor.Properties |= extraBits;
    std::vector<ScannedToken> tokens;
    for (int guard = 0; guard < 1000; ++guard) {
      cursor.NextToken(DefaultToken, 1);
      if (cursor.CurrentToken == ItemNotFound) break;
      tokens.push_back({cursor.TokenText(), cursor.CurrentToken->Token().TokenKind});
    }
    return tokens;
  }

  StringLocation* Main() { return instance.MainTransform(); }

  Quorb instance;
};

}  // namespace QuorbNameSpace

#endif
