// Allocation of items and transforms. Every instance makes and frees
// hundreds of items and a few transforms, each class of one size, and the
// general allocator handles blocks of those sizes far more slowly than a
// list of blocks kept for reuse: an item is too big for its fast lists, a
// transform big enough that asking for one first merges every small block
// freed before. Each thread keeps the blocks of the items and transforms it
// frees, up to a bound, and makes its next ones from them; an object may be
// freed by another thread than the one that made it, since a block is plain
// memory. A thread's blocks go back to the general allocator when the
// thread ends.
//
// Builds with AddressSanitizer leave every object to the general allocator,
// so that every use after free is reported; so do Windows builds, where a
// thread's clean-up in a library that is unloaded first is not safe. With
// QUORB_SANITIZE_KEPT_BLOCKS an AddressSanitizer build keeps blocks too, so
// that their reuse is checked, and poisons a block while it is kept (all but
// its link to the next): a use after free is reported until the block is
// handed out again.
#include <new>

#include "engine/invariant.h"
#include "engine/quorb_item.h"
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

#ifndef QUORB_PLAIN_ALLOCATION
namespace {

struct FreeBlock {
  FreeBlock* next;
};

// The blocks one thread keeps for objects of `Size` bytes, at most `Bound`.
template <size_t Size, size_t Bound>
class KeptBlocks {
 public:
  KeptBlocks() = default;
  KeptBlocks(const KeptBlocks&) = delete;
  KeptBlocks& operator=(const KeptBlocks&) = delete;
  ~KeptBlocks() {
    closed_ = true;
    while (head_ != nullptr) {
      FreeBlock* block = head_;
      QUORB_HANDED_OUT(block, Size);
      head_ = block->next;
      ::operator delete(block);
    }
  }

  void* Allocate(size_t size) {
    if (size != Size || head_ == nullptr) return ::operator new(size);
    FreeBlock* block = head_;
    QUORB_HANDED_OUT(block, Size);
    head_ = block->next;
    QUORB_ASSERT(count_ > 0);
    --count_;
    return block;
  }

  // Blocks beyond the bound, of another size (a derived class), or freed
  // while the thread ends go back at once.
  void Free(void* memory, size_t size) {
    if (memory == nullptr) return;
    if (size != Size || count_ >= Bound || closed_) {
      ::operator delete(memory);
      return;
    }
    head_ = new (memory) FreeBlock{head_};
    QUORB_KEPT(memory, Size);
    ++count_;
  }

 private:
  FreeBlock* head_ = nullptr;
  size_t count_ = 0;
  bool closed_ = false;
};

// Enough for a few instances' worth of each.
thread_local KeptBlocks<sizeof(QuorbItem), 4096> keptItems;
thread_local KeptBlocks<sizeof(StringLocation), 64> keptTransforms;

}  // namespace

void* QuorbItem::operator new(size_t size) { return keptItems.Allocate(size); }
void QuorbItem::operator delete(void* block, size_t size) noexcept { keptItems.Free(block, size); }
void* StringLocation::operator new(size_t size) { return keptTransforms.Allocate(size); }
void StringLocation::operator delete(void* block, size_t size) noexcept { keptTransforms.Free(block, size); }
#else
void* QuorbItem::operator new(size_t size) { return ::operator new(size); }
void QuorbItem::operator delete(void* block, size_t) noexcept { ::operator delete(block); }
void* StringLocation::operator new(size_t size) { return ::operator new(size); }
void StringLocation::operator delete(void* block, size_t) noexcept { ::operator delete(block); }
#endif

}  // namespace QuorbNameSpace
