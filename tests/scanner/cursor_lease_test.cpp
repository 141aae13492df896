// Kept cursors against their slow twin (a cursor made anew for every
// text): a cursor taken again after scans that left it anywhere, with other
// bits set and its parent changed in between, must scan every text as a new
// cursor does; and a cursor that holds more than scanning state is not kept.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/quorb.h"
#include "engine/sentinels.h"
#include "scanner/cursor_lease.h"
#include "scanner/scanner_fixture.h"
#include "scanner/string_location.h"

namespace QuorbNameSpace {
namespace {

// Everything a step or an up-to scan leaves that a caller reads.
std::string Describe(const StringLocation& cursor, uint64_t index) {
  const QuorbItem* token = cursor.CurrentToken;
  return std::to_string(index) + "/" + std::to_string(token != nullptr ? token->Token().TokenKind : 99) + "/" +
         std::to_string(cursor.Pos) + "/" + std::to_string(cursor.TokenLoc) + "+" + std::to_string(cursor.TokenLen) +
         "/" + std::to_string(cursor.StopLoc) + "+" + std::to_string(cursor.StopLen) + "/" +
         std::to_string(cursor.BlockInnerLen) + "/" + std::to_string(cursor.Properties);
}

class CursorLeaseTest : public ScannerTest {
 protected:
  // Generated texts read through leased cursors of the main transform:
  // steps, up-to scans and code blocks, with the cursor's and the parent's
  // bits changed between texts.
  std::vector<std::string> Run(uint32_t seed, bool keep) {
    KeepIdleCursors = keep;
    std::mt19937 random(seed);
    static const char* const pieces[] = {"abc", " ", "12", "(", ")", "[x]", "+-", ";", "'q'", ",", "\t", "f(1, 2)",
                                         "ab.cd", "...", "~", "\n", "#i", "True", "{", "}"};
    static const uint64_t bits[] = {PropertyBit(IsCaseSensitive), PropertyBit(IsWhitespaceSensitive),
                                    PropertyBit(IsQuoteBlind), PropertyBit(IsCodeBlockBlind)};
    std::vector<std::string> texts(1 + random() % 4);
    for (std::string& text : texts)
      for (int k = static_cast<int>(random() % 10); k > 0; --k) text += pieces[random() % (sizeof(pieces) / sizeof(pieces[0]))];
    std::vector<std::string> seen;
    const uint64_t parentBits = Main()->Properties;
    for (int use = 0; use < 12; ++use) {
      if (random() % 4 == 0) Main()->Properties ^= bits[random() % 4];
      const std::string& text = texts[random() % texts.size()];
      CursorLease cursor(text, Main());
      seen.push_back("properties " + std::to_string(cursor->Properties));
      if (random() % 3 == 0) cursor->Properties ^= bits[random() % 4];
      for (int step = 0; step < 8 && cursor->Pos < text.size(); ++step) {
        switch (random() % 4) {
          case 0: cursor->upto(random() % 2 == 0 ? ArgStop : DefStop); seen.push_back(Describe(*cursor, 0)); break;
          case 1: cursor->NextCodeBlock(random() % 2 == 0); seen.push_back(Describe(*cursor, 0)); break;
          default: seen.push_back(Describe(*cursor, cursor->NextToken(DefaultToken, 1))); break;
        }
      }
      // Nested, as a lookup inside the reading of an operand is.
      if (random() % 3 == 0) {
        CursorLease inner(texts[0], Main());
        seen.push_back(Describe(*inner, inner->NextToken(DefaultToken, 1)));
      }
    }
    Main()->Properties = parentBits;
    KeepIdleCursors = true;
    return seen;
  }
};

TEST_F(CursorLeaseTest, AKeptCursorScansAsANewOne) {
  for (uint32_t seed = 0; seed < 400; ++seed) {
    const std::vector<std::string> slow = Run(seed, false);
    ASSERT_EQ(Run(seed, true), slow) << "seed " << seed;
  }
}

// A cursor given its own input or records is freed, not kept: the next
// cursor starts without them.
TEST_F(CursorLeaseTest, ACursorHoldingMoreThanScanStateIsNotKept) {
  const std::string text = "a b";
  {
    CursorLease cursor(text, Main());
    cursor->SetTransformInput("own text");
  }
  {
    CursorLease cursor(text, Main());
    EXPECT_TRUE(cursor->Attached.OwnText.empty());
    EXPECT_EQ(&cursor->Input(), &text);
    cursor->Record.Steps.push_back("a step");
  }
  CursorLease cursor(text, Main());
  EXPECT_TRUE(cursor->Record.Steps.empty());
  EXPECT_EQ(cursor->Parent, Main());
  EXPECT_EQ(cursor->Tokens, Main()->Tokens);
}

}  // namespace
}  // namespace QuorbNameSpace
