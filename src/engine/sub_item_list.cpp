// Storage of sub-item lists (sub_item_list.h): heap blocks and pieces of an
// instance copy's shared block, each behind a header telling which.
#include "engine/sub_item_list.h"

#include <stdexcept>

namespace QuorbNameSpace {
namespace {

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
  if (n == 0 || Left() < n) return nullptr;
  uintptr_t* piece = next_;
  next_ += n;
  return piece;
}

void* SubItemBlock::CutInUse(size_t n) noexcept {
  SubItemBlock* block = inUse;
  return block != nullptr ? block->Cut(n) : nullptr;
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
  if (n > MostEntries) throw std::bad_alloc();
  const size_t words = n + HeaderWords;
  if (void* piece = SubItemBlock::CutInUse(words)) return Adopt(piece, n, true);
  Adopt(::operator new(words * sizeof(uintptr_t)), n, false);
}

void SubItemList::ReserveIn(SubItemBlock& block, size_t n) {
  if (n <= capacity()) return;
  if (void* piece = n <= MostEntries ? block.Cut(n + HeaderWords) : nullptr) Adopt(piece, n, true);
  else reserve(n);
}

void SubItemList::Adopt(void* storage, size_t n, bool piece) noexcept {
  auto* header = static_cast<uint32_t*>(storage);
  auto** entries = reinterpret_cast<QuorbItem**>(static_cast<uintptr_t*>(storage) + HeaderWords);
  const size_t count = size();
  std::copy(begin(), end(), entries);
  header[CountWord] = static_cast<uint32_t>(count);
  header[RoomWord] = static_cast<uint32_t>(n) | (piece ? PieceMark : 0);
  FreeStorage();
  entries_ = entries;
}

SubItemList::iterator SubItemList::erase(const_iterator first, const_iterator last) noexcept {
  auto* from = const_cast<iterator>(first);
  if (first == last) return from;
  const iterator rest = std::copy(const_cast<iterator>(last), end(), from);
  Header()[CountWord] = static_cast<uint32_t>(rest - entries_);
  return from;
}

void SubItemList::FreeHeld() noexcept {
  // A piece goes with its block.
  if ((Header()[RoomWord] & PieceMark) == 0) ::operator delete(Header());
  entries_ = nullptr;
}

}  // namespace QuorbNameSpace
