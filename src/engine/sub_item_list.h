// SubItemList: the sub-items of an item (a function's parameters, a rule's
// parts, Bool's values), a vector of item addresses whose storage is either
// its own block of the heap or a piece of a SubItemBlock shared by all the
// lists of one instance copy (instance_copy.cpp): a copy then makes one
// block for its few hundred lists, and its tear-down frees that one block
// instead of each list. Growing or freeing a list works the same either way:
// a piece is only never handed back; it goes with its block.
//
// Every piece of storage, of the heap or of a block, is preceded by one word
// that says which, so that the allocator needs no state: lists of either
// kind swap, move and grow as std::vector's always do.
#ifndef QUORB_ENGINE_SUB_ITEM_LIST_H
#define QUORB_ENGINE_SUB_ITEM_LIST_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace QuorbNameSpace {

class QuorbItem;

// Storage for lists holding `entries` addresses in all, as `lists` lists
// (each piece takes one word more, for its mark). Owned by the instance
// whose lists it holds, and freed after the last of its items.
class SubItemBlock {
 public:
  SubItemBlock(size_t entries, size_t lists);
  SubItemBlock(const SubItemBlock&) = delete;
  SubItemBlock& operator=(const SubItemBlock&) = delete;

  // While a Use lives, lists that this thread makes come from `block`
  // (those that fit in what is left of it). Only for the lists of the
  // block's own instance.
  class Use {
   public:
    explicit Use(SubItemBlock* block) noexcept;
    ~Use();
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;

   private:
    SubItemBlock* previous_;
  };

  // Words of the block not cut yet.
  size_t Left() const { return static_cast<size_t>(end_ - next_); }

  // A piece for `n` addresses from the block in use on this thread, or
  // null when there is none or it has no room left.
  static void* CutInUse(size_t n) noexcept;
  // Storage for `n` addresses: a piece of the block in use, else the heap.
  // Throws what operator new throws.
  static void* Allocate(size_t n);
  // Gives back storage Allocate made: the heap's to the heap.
  static void Free(void* storage) noexcept;

 private:
  std::unique_ptr<uintptr_t[]> words_;
  uintptr_t* next_;
  uintptr_t* end_;
};

// A stateless allocator: which storage a list has is written beside it.
template <typename T>
struct SubItemAllocator {
  static_assert(sizeof(T) == sizeof(uintptr_t), "a list holds addresses, as wide as its mark");
  using value_type = T;
  SubItemAllocator() = default;
  template <typename U>
  SubItemAllocator(const SubItemAllocator<U>&) noexcept {}
  T* allocate(size_t n) { return static_cast<T*>(SubItemBlock::Allocate(n)); }
  void deallocate(T* storage, size_t) noexcept { SubItemBlock::Free(storage); }
  friend bool operator==(const SubItemAllocator&, const SubItemAllocator&) { return true; }
  friend bool operator!=(const SubItemAllocator&, const SubItemAllocator&) { return false; }
};

using SubItemList = std::vector<QuorbItem*, SubItemAllocator<QuorbItem*>>;

// The switch to the slow twin of shared blocks: while false, a copy makes
// no block and every list has storage of its own. Process-wide, read as
// each copy is made; only tests change it.
extern bool SubItemBlocks;

}  // namespace QuorbNameSpace

#endif  // QUORB_ENGINE_SUB_ITEM_LIST_H
