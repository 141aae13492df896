// Blocks that a thread keeps for reuse (kept_blocks.cpp): besides items,
// transforms and their token and rule parts, which allocate through their
// own operator new, the storage of scalar values and the nodes of symbol
// maps. Every instance makes and frees a few hundred of each, and the
// general allocator handles that many small blocks far more slowly than a
// list of blocks of one size.
#ifndef QUORB_ENGINE_KEPT_BLOCKS_H
#define QUORB_ENGINE_KEPT_BLOCKS_H

#include <cstddef>

namespace QuorbNameSpace {

// The size of every value block: room for any fixed-width scalar (a
// complex number is the widest), aligned as operator new aligns. One size
// for all, so that a value freed through another class than the one that
// made it (a re-typed item) still gives back a whole block.
inline constexpr size_t ValueBlockSize = 16;

// Whether a thread with no block of a class kept draws from the process's
// chunk of that class (kept_blocks.cpp) before the general allocator
// (true), or goes straight to the general allocator (false: the slow twin;
// tests compare both ways). Pieces handed out already stay pieces.
extern bool BlocksFromProcessChunks;

// Whether `block` (from AllocateValueBlock) is a piece of the process's
// chunk of value blocks; never in builds that leave every object to the
// general allocator.
bool IsProcessChunkValueBlock(const void* block) noexcept;

// A block of ValueBlockSize bytes; throws what operator new throws. Free it
// with FreeValueBlock, on any thread; null does nothing there.
void* AllocateValueBlock();
void FreeValueBlock(void* block) noexcept;

// A block for the std::string object of a String scalar; throws what
// operator new throws. Free it with FreeStringBlock (null does nothing).
void* AllocateStringBlock();
void FreeStringBlock(void* block) noexcept;

// A node of a symbol map (table.h) of `size` bytes, and its release; nodes
// of a size other than the standard library's usual one are plain blocks.
void* AllocateSymbolNode(size_t size);
void FreeSymbolNode(void* block, size_t size) noexcept;

}  // namespace QuorbNameSpace

#endif  // QUORB_ENGINE_KEPT_BLOCKS_H
