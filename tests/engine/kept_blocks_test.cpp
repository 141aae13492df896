// The blocks threads keep, and the process's chunk of each class: a piece
// of the chunk that a thread gives up (beyond the bound, or at its end) is
// handed out again, never given to the general allocator; with the switch
// off a thread draws nothing from the chunk.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include "builtins/builtin_definitions.h"
#include "engine/kept_blocks.h"
#include "engine/quorb.h"

namespace QuorbNameSpace {
namespace {

// More than a thread keeps and than the chunk holds together.
constexpr size_t Blocks = 6000;

// Makes `Blocks` value blocks on a thread of its own, writes each whole,
// and frees them there before the thread ends; the pieces among them.
std::set<const void*> PiecesOfAThread() {
  std::set<const void*> pieces;
  std::thread worker([&] {
    std::vector<void*> blocks;
    for (size_t k = 0; k < Blocks; ++k) {
      blocks.push_back(AllocateValueBlock());
      std::memset(blocks.back(), static_cast<int>(k & 0xFF), ValueBlockSize);
      if (IsProcessChunkValueBlock(blocks.back())) pieces.insert(blocks.back());
    }
    for (void* block : blocks) FreeValueBlock(block);
  });
  worker.join();
  return pieces;
}

TEST(KeptBlocks, PiecesAThreadGivesUpAreHandedOutAgain) {
  const std::set<const void*> first = PiecesOfAThread();
  if (first.empty()) GTEST_SKIP() << "every block comes from the general allocator in this build";
  const std::set<const void*> second = PiecesOfAThread();
  for (const void* piece : first) EXPECT_EQ(second.count(piece), 1u);
}

TEST(KeptBlocks, WithTheSwitchOffAThreadDrawsNoPiece) {
  BlocksFromProcessChunks = false;
  const std::set<const void*> pieces = PiecesOfAThread();
  BlocksFromProcessChunks = true;
  EXPECT_TRUE(pieces.empty());
}

// Instances made on threads that end, with and without pieces, and freed
// on another thread, hold and compute the same.
TEST(KeptBlocks, InstancesFromPiecesOrTheAllocatorComputeTheSame) {
  for (bool chunks : {true, false, true}) {
    BlocksFromProcessChunks = chunks;
    Quorb* made = nullptr;
    std::thread maker([&] { made = new Quorb(Quorb::FromDefinitionTexts{BuiltinDefinitionCount}); });
    maker.join();
    BlocksFromProcessChunks = true;
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Eval("Sin(0) + Pow(2, 10) + Abs(-3)"), 1027.0);
    EXPECT_EQ(made->EvalStr("Str(7)"), made->EvalStr("Str(3 + 4)"));
    delete made;
  }
}

}  // namespace
}  // namespace QuorbNameSpace
