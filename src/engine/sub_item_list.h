// SubItemList: the sub-items of an item (a function's parameters, a rule's
// parts, Bool's values), a list of item addresses held by one pointer, so
// that it takes one word of each of the some seven hundred items of an
// instance (most of which have no sub-item). The count and the room of the
// list are written in a header before its entries, and the header also
// says whose the storage is: either its own block of the heap or a piece of
// a SubItemBlock shared by all the lists of one instance copy
// (instance_copy.cpp). A copy then makes one block for its few hundred
// lists, and its tear-down frees that one block instead of each list.
// Growing or freeing a list works the same either way: a piece is only
// never handed back; it goes with its block.
#ifndef QUORB_ENGINE_SUB_ITEM_LIST_H
#define QUORB_ENGINE_SUB_ITEM_LIST_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <new>

namespace QuorbNameSpace {

class QuorbItem;

// Storage for lists holding `entries` addresses in all, as `lists` lists
// (each piece takes SubItemList::HeaderWords more). Owned by the instance
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

  // A piece of `n` words from this block, or null when it has no room left.
  void* Cut(size_t n) noexcept;
  // The same from the block in use on this thread, or null when there is none.
  static void* CutInUse(size_t n) noexcept;

 private:
  std::unique_ptr<uintptr_t[]> words_;
  uintptr_t* next_;
  uintptr_t* end_;
};

// The list itself: the part of std::vector's interface that items use.
// Iterators are plain addresses, valid until the list grows or is freed.
class SubItemList {
 public:
  using value_type = QuorbItem*;
  using size_type = size_t;
  using difference_type = std::ptrdiff_t;
  using reference = QuorbItem*&;
  using const_reference = QuorbItem* const&;
  using iterator = QuorbItem**;
  using const_iterator = QuorbItem* const*;

  SubItemList() noexcept = default;
  SubItemList(std::initializer_list<QuorbItem*> items);
  SubItemList(const SubItemList& other);
  SubItemList(SubItemList&& other) noexcept : entries_(other.entries_) { other.entries_ = nullptr; }
  // By value: a copy is made before anything of this list changes.
  SubItemList& operator=(SubItemList other) noexcept {
    swap(other);
    return *this;
  }
  ~SubItemList() { FreeStorage(); }

  size_t size() const noexcept { return entries_ != nullptr ? Header()[CountWord] : 0; }
  size_t capacity() const noexcept { return entries_ != nullptr ? (Header()[RoomWord] & ~PieceMark) : 0; }
  bool empty() const noexcept { return size() == 0; }

  iterator begin() noexcept { return entries_; }
  iterator end() noexcept { return entries_ + size(); }
  const_iterator begin() const noexcept { return entries_; }
  const_iterator end() const noexcept { return entries_ + size(); }
  QuorbItem*& operator[](size_t k) noexcept { return entries_[k]; }
  QuorbItem* const& operator[](size_t k) const noexcept { return entries_[k]; }
  QuorbItem* const& at(size_t k) const;
  QuorbItem*& front() noexcept { return entries_[0]; }
  QuorbItem*& back() noexcept { return entries_[size() - 1]; }
  QuorbItem* front() const noexcept { return entries_[0]; }
  QuorbItem* back() const noexcept { return entries_[size() - 1]; }

  // Room for `n` entries in all; throws what allocation throws (bad_alloc
  // beyond MostEntries), leaving the list as it was.
  void reserve(size_t n);
  // The same with room cut from `block` when it has enough left (the heap's
  // otherwise), whichever block is in use on the thread: for a copy's
  // lists, which are all made beside their block.
  void ReserveIn(SubItemBlock& block, size_t n);
  void push_back(QuorbItem* item) {
    const size_t count = size();
    if (count == capacity()) reserve(count == 0 ? 1 : 2 * count);
    entries_[count] = item;
    ++Header()[CountWord];
  }
  // Empties the list and keeps its room.
  void clear() noexcept {
    if (entries_ != nullptr) Header()[CountWord] = 0;
  }
  iterator erase(const_iterator first, const_iterator last) noexcept;
  iterator erase(const_iterator at) noexcept { return erase(at, at + 1); }
  void swap(SubItemList& other) noexcept {
    QuorbItem** mine = entries_;
    entries_ = other.entries_;
    other.entries_ = mine;
  }

  friend bool operator==(const SubItemList& a, const SubItemList& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
  }
  friend bool operator!=(const SubItemList& a, const SubItemList& b) { return !(a == b); }

  // Words a list's storage takes besides its entries: the header, two
  // 32-bit halves (one word where addresses are 64 bits wide, two else).
  static constexpr size_t HeaderWords = 2 * sizeof(uint32_t) / sizeof(uintptr_t);
  // The most entries a list has room for.
  // The count fits its 32-bit word, and the bytes of the largest list fit a
  // size_t on 32-bit builds too.
  static constexpr size_t MostEntries =
      std::min<size_t>(0x7FFFFFFF, SIZE_MAX / sizeof(uintptr_t) - HeaderWords);

 private:
  static_assert(HeaderWords * sizeof(uintptr_t) == 2 * sizeof(uint32_t), "a header fills whole words");
  static constexpr size_t CountWord = 0;  // of the two halves Header() points at
  static constexpr size_t RoomWord = 1;   // the room, and PieceMark for a piece of a block
  static constexpr uint32_t PieceMark = 0x80000000u;

  QuorbItem** entries_ = nullptr;  // null until the list first has room

  uint32_t* Header() const noexcept { return reinterpret_cast<uint32_t*>(entries_) - 2; }
  // Moves the entries into `storage`, room for `n`, a piece of a block or
  // the heap's, and frees the old storage.
  void Adopt(void* storage, size_t n, bool piece) noexcept;
  // Most lists never had room: their end costs one test.
  void FreeStorage() noexcept {
    if (entries_ != nullptr) FreeHeld();
  }
  void FreeHeld() noexcept;
};

inline void swap(SubItemList& a, SubItemList& b) noexcept { a.swap(b); }

// The switch to the slow twin of shared blocks: while false, a copy makes
// no block and every list has storage of its own. Process-wide, read as
// each copy is made; only tests change it.
extern bool SubItemBlocks;

}  // namespace QuorbNameSpace

#endif  // QUORB_ENGINE_SUB_ITEM_LIST_H
