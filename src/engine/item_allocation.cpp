// Allocation of items. Every instance makes and frees hundreds of items of
// one size, and the general allocator handles blocks of that size far more
// slowly than a list of blocks kept for reuse. Each thread keeps the
// blocks of the items it frees, up to a bound, and makes its next items
// from them; an item may be freed by another thread than the one that made
// it, since a block is plain memory. A thread's blocks go back to the
// general allocator when the thread ends.
//
// Builds with AddressSanitizer leave every item to the general allocator,
// so that a use after free is still reported; so do Windows builds, where a
// thread's clean-up in a library that is unloaded first is not safe.
#include "engine/quorb_item.h"

#include <new>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORB_PLAIN_ITEM_ALLOCATION 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(_WIN32)
#define QUORB_PLAIN_ITEM_ALLOCATION 1
#endif

namespace QuorbNameSpace {

#ifndef QUORB_PLAIN_ITEM_ALLOCATION
namespace {

struct FreeBlock {
  FreeBlock* next;
};

// Enough for a few instances' worth of items.
constexpr size_t MaxKeptBlocks = 4096;

class KeptBlocks {
 public:
  KeptBlocks() = default;
  KeptBlocks(const KeptBlocks&) = delete;
  KeptBlocks& operator=(const KeptBlocks&) = delete;
  ~KeptBlocks() {
    while (head_ != nullptr) ::operator delete(Take());
    closed_ = true;
  }

  void* Take() {
    FreeBlock* block = head_;
    head_ = block->next;
    --count_;
    return block;
  }
  // False when the list is full or the thread is ending: the caller frees
  // the block.
  bool Keep(void* memory) {
    if (count_ >= MaxKeptBlocks || closed_) return false;
    head_ = new (memory) FreeBlock{head_};
    ++count_;
    return true;
  }
  bool Empty() const { return head_ == nullptr; }

 private:
  FreeBlock* head_ = nullptr;
  size_t count_ = 0;
  bool closed_ = false;
};

thread_local KeptBlocks keptBlocks;

}  // namespace

void* QuorbItem::operator new(size_t size) {
  if (size == sizeof(QuorbItem) && !keptBlocks.Empty()) return keptBlocks.Take();
  return ::operator new(size);
}

void QuorbItem::operator delete(void* block, size_t size) noexcept {
  if (block == nullptr) return;
  if (size == sizeof(QuorbItem) && keptBlocks.Keep(block)) return;
  ::operator delete(block);
}
#else
void* QuorbItem::operator new(size_t size) { return ::operator new(size); }

void QuorbItem::operator delete(void* block, size_t) noexcept { ::operator delete(block); }
#endif

}  // namespace QuorbNameSpace
