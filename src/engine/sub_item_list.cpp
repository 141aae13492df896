// Storage of sub-item lists (sub_item_list.h): heap blocks and pieces of an
// instance copy's shared block, each behind a word telling which.
#include "engine/sub_item_list.h"

#include <limits>
#include <stdexcept>

#include "engine/invariant.h"

namespace QuorbNameSpace {
namespace {

// The mark before a list's storage.
constexpr uintptr_t OwnStorage = 0x51;   // from the heap: freed with the list
constexpr uintptr_t BlockPiece = 0xB1;   // a piece of a block: freed with the block

// Plain data, so that reading it needs no guard: the block in use on the thread.
thread_local SubItemBlock* inUse = nullptr;

}  // namespace

bool SubItemBlocks = true;

SubItemBlock::SubItemBlock(size_t entries, size_t lists)
    : words_(new uintptr_t[entries + lists * SubItemList::HeaderWords]),
      next_(words_.get()),
      end_(words_.get() + entries + lists * SubItemList::HeaderWords) {}

SubItemBlock::Use::Use(SubItemBlock* block) noexcept : previous_(inUse) { inUse = block; }

SubItemBlock::Use::~Use() { inUse = previous_; }

void* SubItemBlock::Cut(size_t n) noexcept {
  if (n == 0 || Left() < n + 1) return nullptr;
  uintptr_t* piece = next_;
  piece[0] = BlockPiece;
  next_ += n + 1;
  return piece + 1;
}

void* SubItemBlock::CutInUse(size_t n) noexcept {
  SubItemBlock* block = inUse;
  return block != nullptr ? block->Cut(n) : nullptr;
}

void* SubItemBlock::Allocate(size_t n) {
  if (void* piece = CutInUse(n)) return piece;
  if (n >= std::numeric_limits<size_t>::max() / sizeof(uintptr_t) - 1) throw std::bad_alloc();
  auto* storage = static_cast<uintptr_t*>(::operator new((n + 1) * sizeof(uintptr_t)));
  storage[0] = OwnStorage;
  return storage + 1;
}

void SubItemBlock::Free(void* storage) noexcept {
  if (storage == nullptr) return;
  uintptr_t* mark = static_cast<uintptr_t*>(storage) - 1;
  QUORB_ASSERT(*mark == OwnStorage || *mark == BlockPiece);
  if (*mark == OwnStorage) ::operator delete(mark);
}

SubItemList::SubItemList(std::initializer_list<QuorbItem*> items) {
  reserve(items.size());
  for (QuorbItem* item : items) push_back(item);
}

SubItemList::SubItemList(const SubItemList& other) {
  reserve(other.size());
  for (QuorbItem* item : other) push_back(item);
}

QuorbItem* const& SubItemList::at(size_t k) const {
  if (k >= size()) throw std::out_of_range("SubItemList::at");
  return entries_[k];
}

void SubItemList::reserve(size_t n) {
  if (n <= capacity()) return;
  if (n >= std::numeric_limits<size_t>::max() / sizeof(uintptr_t) - HeaderWords) throw std::bad_alloc();
  // The count and the room; the mark before them is the storage's own.
  Adopt(static_cast<uintptr_t*>(SubItemBlock::Allocate(n + HeaderWords - 1)), n);
}

void SubItemList::ReserveIn(SubItemBlock& block, size_t n) {
  if (n <= capacity()) return;
  if (void* piece = block.Cut(n + HeaderWords - 1)) Adopt(static_cast<uintptr_t*>(piece), n);
  else reserve(n);
}

void SubItemList::Adopt(uintptr_t* header, size_t n) noexcept {
  auto** entries = reinterpret_cast<QuorbItem**>(header + 2);
  const size_t count = size();
  std::copy(begin(), end(), entries);
  header[CountWord] = count;
  header[RoomWord] = n;
  FreeStorage();
  entries_ = entries;
}

SubItemList::iterator SubItemList::erase(const_iterator first, const_iterator last) noexcept {
  auto* from = const_cast<iterator>(first);
  if (first == last) return from;
  const iterator rest = std::copy(const_cast<iterator>(last), end(), from);
  Header()[CountWord] = static_cast<uintptr_t>(rest - entries_);
  return from;
}

void SubItemList::FreeHeld() noexcept {
  SubItemBlock::Free(Header());
  entries_ = nullptr;
}

}  // namespace QuorbNameSpace
