// Allocation of items, transforms, their token and rule parts, scalar
// values and symbol-map nodes (kept_blocks.h). Every instance makes and
// frees hundreds of items, parts, values and nodes and a few transforms,
// each class of one size, and the general allocator handles blocks of those
// sizes far more slowly than a list of blocks kept for reuse: an item is too
// big for its fast lists, a transform big enough that asking for one first
// merges every small block freed before, and a few hundred small blocks of
// one size overflow its per-thread cache. Each thread keeps the blocks of
// each class it frees, up to a bound, and makes its next ones from them; an
// object may be freed by another thread than the one that made it, since a
// block is plain memory. A thread's blocks go back to the general allocator
// when the thread ends.
//
// The first blocks of each class in the process are pieces of one block
// the process owns and never frees (ProcessChunk): the first instance of a
// process would otherwise ask the general allocator for every one of its
// hundreds of objects. A piece is never given to the general allocator; one
// that a thread does not keep (beyond the bound, or when the thread ends)
// joins the process's list of spare pieces, which threads draw from before
// they ask the general allocator. What the process holds for good is one
// chunk of each class.
//
// Builds with AddressSanitizer leave every object to the general allocator,
// so that every use after free is reported; so do Windows builds, where a
// thread's clean-up in a library that is unloaded first is not safe. With
// QUORB_SANITIZE_KEPT_BLOCKS an AddressSanitizer build keeps blocks too, so
// that their reuse is checked, and poisons a block while it is kept (all but
// its link to the next): a use after free is reported until the block is
// handed out again.
#include "engine/kept_blocks.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>
#include <string>

#include "engine/invariant.h"
#include "engine/quorb_item.h"
#include "engine/table.h"
#include "scanner/string_location.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORB_UNDER_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QUORB_UNDER_ASAN 1
#endif
#if defined(_WIN32) || (defined(QUORB_UNDER_ASAN) && !defined(QUORB_SANITIZE_KEPT_BLOCKS))
#define QUORB_PLAIN_ALLOCATION 1
#elif defined(QUORB_UNDER_ASAN)
#define QUORB_POISON_KEPT_BLOCKS 1
#endif

#ifdef QUORB_POISON_KEPT_BLOCKS
#include <sanitizer/asan_interface.h>
// All but the link to the next block, which the leak checker follows.
#define QUORB_KEPT(block, size) \
  ASAN_POISON_MEMORY_REGION(static_cast<char*>(block) + sizeof(FreeBlock), size - sizeof(FreeBlock))
#define QUORB_HANDED_OUT(block, size) ASAN_UNPOISON_MEMORY_REGION(block, size)
#else
#define QUORB_KEPT(block, size) static_cast<void>(0)
#define QUORB_HANDED_OUT(block, size) static_cast<void>(0)
#endif

namespace QuorbNameSpace {

bool BlocksFromProcessChunks = true;

#ifndef QUORB_PLAIN_ALLOCATION
namespace {

struct FreeBlock {
  FreeBlock* next;
};

// Reached on every item made and freed, so it is plain data: no
// constructor or destructor, hence no guard or wrapper on each access, and
// (where the platform allows) the initial-exec model, which reads it at a
// fixed offset from the thread pointer instead of calling for its address.
// Plain data also stays readable after the thread's objects are destroyed.
#if defined(__GNUC__) && defined(__linux__) && !defined(__ANDROID__)
#define QUORB_FIXED_TLS __attribute__((tls_model("initial-exec")))
#else
#define QUORB_FIXED_TLS
#endif

// The process's chunk of `Pieces` blocks of `Size` bytes, made by the first
// thread that wants one, and its spare pieces. Every member is constant-
// initialized and never destroyed: blocks are freed from static destructors
// and atexit handlers too.
template <size_t Size, size_t Pieces>
struct ProcessChunk {
  static std::atomic<uintptr_t> base;   // the chunk; 0 until made (or when it could not be)
  static std::atomic<size_t> taken;     // pieces handed out from it so far (may pass Pieces)
  static std::atomic<size_t> spareCount;
  static FreeBlock* spare;              // under Lock()

  static std::mutex& Lock() {
    // In static room, never destroyed, made without allocating: blocks are
    // given back from operator delete, which must not throw.
    alignas(std::mutex) static unsigned char room[sizeof(std::mutex)];
    static std::mutex* const lock = new (room) std::mutex();
    return *lock;
  }

  static bool Holds(const void* block) {
    const uintptr_t start = base.load(std::memory_order_acquire);
    const uintptr_t at = reinterpret_cast<uintptr_t>(block);
    return start != 0 && at >= start && at - start < Size * Pieces;
  }

  // The next untaken piece, or null when all are taken (or no chunk is).
  static void* TakeFresh() {
    if (taken.load(std::memory_order_relaxed) >= Pieces) return nullptr;
    static const uintptr_t made = [] {
      const uintptr_t chunk = reinterpret_cast<uintptr_t>(::operator new(Size * Pieces, std::nothrow));
      base.store(chunk, std::memory_order_release);
      return chunk;
    }();
    if (made == 0) return nullptr;
    const size_t index = taken.fetch_add(1, std::memory_order_relaxed);
    return index < Pieces ? reinterpret_cast<void*>(made + index * Size) : nullptr;
  }

  // Moves up to `most` spare pieces onto `head`; how many it moved.
  static size_t TakeSpares(FreeBlock*& head, size_t most) {
    if (spareCount.load(std::memory_order_relaxed) == 0) return 0;
    std::lock_guard<std::mutex> hold(Lock());
    size_t moved = 0;
    while (spare != nullptr && moved < most) {
      FreeBlock* block = spare;
      spare = block->next;  // the link is never poisoned
      block->next = head;
      head = block;
      ++moved;
    }
    spareCount.fetch_sub(moved, std::memory_order_relaxed);
    return moved;
  }

  static void GiveSpare(void* piece) {
    std::lock_guard<std::mutex> hold(Lock());
    spare = new (piece) FreeBlock{spare};
    QUORB_KEPT(piece, Size);
    spareCount.fetch_add(1, std::memory_order_relaxed);
  }
};
template <size_t Size, size_t Pieces>
std::atomic<uintptr_t> ProcessChunk<Size, Pieces>::base{0};
template <size_t Size, size_t Pieces>
std::atomic<size_t> ProcessChunk<Size, Pieces>::taken{0};
template <size_t Size, size_t Pieces>
std::atomic<size_t> ProcessChunk<Size, Pieces>::spareCount{0};
template <size_t Size, size_t Pieces>
FreeBlock* ProcessChunk<Size, Pieces>::spare = nullptr;

// The blocks one thread keeps for objects of `Size` bytes, at most `Bound`;
// the process's chunk of the class has `Pieces`.
template <size_t Size, size_t Bound, size_t Pieces>
struct KeptBlocks {
  using Chunk = ProcessChunk<Size, Pieces>;
  FreeBlock* head;
  size_t count;
  bool closed;  // the thread is ending: nothing more is kept

  void* Allocate(size_t size) {
    if (size != Size) return ::operator new(size);
    if (head == nullptr) return Refill();
    FreeBlock* block = head;
    QUORB_HANDED_OUT(block, Size);
    head = block->next;
    QUORB_ASSERT(count > 0);
    --count;
    return block;
  }

  // With no block kept: a spare piece, else a fresh one, else the general
  // allocator's.
  void* Refill() {
    if (BlocksFromProcessChunks) {
      // A thread that is ending keeps nothing: spares it took would never
      // go back for other threads.
      if (!closed) count += Chunk::TakeSpares(head, 64);
      if (head != nullptr) return Allocate(Size);
      if (void* piece = Chunk::TakeFresh()) return piece;
    }
    return ::operator new(Size);
  }

  // Gives back a block this thread does not keep: a piece joins the spares.
  static void Release(void* block) {
    if (Chunk::Holds(block)) Chunk::GiveSpare(block);
    else ::operator delete(block);
  }

  // Blocks beyond the bound, of another size (a derived class), or freed
  // while the thread ends go back at once.
  void Free(void* memory, size_t size);

  void Close() {
    closed = true;
    while (head != nullptr) {
      FreeBlock* block = head;
      QUORB_HANDED_OUT(block, Size);
      head = block->next;
      Release(block);
    }
    count = 0;
  }
};

// Enough for a few instances' worth of each; a process chunk holds about
// what the first instance of a process makes.
thread_local QUORB_FIXED_TLS KeptBlocks<sizeof(QuorbItem), 4096, 720> keptItems;
thread_local QUORB_FIXED_TLS KeptBlocks<sizeof(StringLocation), 64, 8> keptTransforms;
thread_local QUORB_FIXED_TLS KeptBlocks<sizeof(TokenClass_), 1024, 88> keptTokenParts;
thread_local QUORB_FIXED_TLS KeptBlocks<sizeof(RuleParamStruct), 512, 8> keptRuleParts;
thread_local QUORB_FIXED_TLS KeptBlocks<ValueBlockSize, 4096, 288> keptValues;
thread_local QUORB_FIXED_TLS KeptBlocks<sizeof(std::string), 1024, 928> keptStringValues;
// The node of a map entry: its links and colour, then the entry.
constexpr size_t SymbolNodeSize = 4 * sizeof(void*) + sizeof(SymbolMap::value_type);
thread_local QUORB_FIXED_TLS KeptBlocks<SymbolNodeSize, 2048, 192> keptSymbolNodes;

// Gives a thread's kept blocks back when the thread ends. Made by the first
// block a thread keeps, so that only a thread that keeps any pays for it.
struct ThreadEnd {
  ThreadEnd() = default;
  ThreadEnd(const ThreadEnd&) = delete;
  ThreadEnd& operator=(const ThreadEnd&) = delete;
  ~ThreadEnd() {
    keptItems.Close();
    keptTransforms.Close();
    keptTokenParts.Close();
    keptRuleParts.Close();
    keptValues.Close();
    keptStringValues.Close();
    keptSymbolNodes.Close();
  }
};
thread_local QUORB_FIXED_TLS bool threadEndArranged;

// Whether the thread's clean-up is arranged; registering it may allocate,
// and should that fail, the caller keeps nothing this time.
bool ArrangeThreadEnd() noexcept {
  if (threadEndArranged) return true;
  try {
    static thread_local ThreadEnd end;
    (void)end;
  } catch (...) {
    return false;
  }
  threadEndArranged = true;
  return true;
}

template <size_t Size, size_t Bound, size_t Pieces>
void KeptBlocks<Size, Bound, Pieces>::Free(void* memory, size_t size) {
  if (memory == nullptr) return;
  if (size != Size) {
    ::operator delete(memory);
    return;
  }
  if (count >= Bound || closed || !ArrangeThreadEnd()) {
    Release(memory);
    return;
  }
  head = new (memory) FreeBlock{head};
  QUORB_KEPT(memory, Size);
  ++count;
}

}  // namespace

void* QuorbItem::operator new(size_t size) { return keptItems.Allocate(size); }
void QuorbItem::operator delete(void* block, size_t size) noexcept { keptItems.Free(block, size); }
void* StringLocation::operator new(size_t size) { return keptTransforms.Allocate(size); }
void StringLocation::operator delete(void* block, size_t size) noexcept { keptTransforms.Free(block, size); }
void* TokenClass_::operator new(size_t size) { return keptTokenParts.Allocate(size); }
void TokenClass_::operator delete(void* block, size_t size) noexcept { keptTokenParts.Free(block, size); }
void* RuleParamStruct::operator new(size_t size) { return keptRuleParts.Allocate(size); }
void RuleParamStruct::operator delete(void* block, size_t size) noexcept { keptRuleParts.Free(block, size); }
void* AllocateValueBlock() { return keptValues.Allocate(ValueBlockSize); }
void FreeValueBlock(void* block) noexcept { keptValues.Free(block, ValueBlockSize); }
void* AllocateStringBlock() { return keptStringValues.Allocate(sizeof(std::string)); }
void FreeStringBlock(void* block) noexcept { keptStringValues.Free(block, sizeof(std::string)); }
void* AllocateSymbolNode(size_t size) { return keptSymbolNodes.Allocate(size); }
void FreeSymbolNode(void* block, size_t size) noexcept { keptSymbolNodes.Free(block, size); }
bool IsProcessChunkValueBlock(const void* block) noexcept { return decltype(keptValues)::Chunk::Holds(block); }
#else
bool IsProcessChunkValueBlock(const void*) noexcept { return false; }
void* QuorbItem::operator new(size_t size) { return ::operator new(size); }
void QuorbItem::operator delete(void* block, size_t) noexcept { ::operator delete(block); }
void* StringLocation::operator new(size_t size) { return ::operator new(size); }
void StringLocation::operator delete(void* block, size_t) noexcept { ::operator delete(block); }
void* TokenClass_::operator new(size_t size) { return ::operator new(size); }
void TokenClass_::operator delete(void* block, size_t) noexcept { ::operator delete(block); }
void* RuleParamStruct::operator new(size_t size) { return ::operator new(size); }
void RuleParamStruct::operator delete(void* block, size_t) noexcept { ::operator delete(block); }
void* AllocateValueBlock() { return ::operator new(ValueBlockSize); }
void FreeValueBlock(void* block) noexcept { ::operator delete(block); }
void* AllocateStringBlock() { return ::operator new(sizeof(std::string)); }
void FreeStringBlock(void* block) noexcept { ::operator delete(block); }
void* AllocateSymbolNode(size_t size) { return ::operator new(size); }
void FreeSymbolNode(void* block, size_t) noexcept { ::operator delete(block); }
#endif

}  // namespace QuorbNameSpace
