// ArgList: the argument items of one step, in parameter order. Most steps
// take one or two arguments; those are held inside the step itself, so a
// step costs one allocation and its arguments sit on the cache line the
// evaluation loop has just read. Longer lists move to the heap.
//
// It offers the part of std::vector's interface the engine uses. It is
// neither copied nor moved (steps never are), and it owns the slots only,
// never the items.
#ifndef QUORB_ENGINE_ARG_LIST_H
#define QUORB_ENGINE_ARG_LIST_H

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace QuorbNameSpace {

class QuorbItem;

class ArgList {
 public:
  using value_type = QuorbItem*;
  using iterator = QuorbItem**;
  using const_iterator = QuorbItem* const*;

  ArgList() = default;
  ~ArgList() { Release(); }
  ArgList(const ArgList&) = delete;
  ArgList& operator=(const ArgList&) = delete;

  ArgList& operator=(std::initializer_list<QuorbItem*> items) {
    clear();
    for (QuorbItem* item : items) push_back(item);
    return *this;
  }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  QuorbItem*& operator[](size_t k) { return data_[k]; }
  QuorbItem* operator[](size_t k) const { return data_[k]; }
  QuorbItem*& front() { return data_[0]; }
  QuorbItem*& back() { return data_[size_ - 1]; }
  QuorbItem* back() const { return data_[size_ - 1]; }
  iterator begin() { return data_; }
  iterator end() { return data_ + size_; }
  const_iterator begin() const { return data_; }
  const_iterator end() const { return data_ + size_; }

  void push_back(QuorbItem* item) {
    if (size_ == capacity_) Grow();
    data_[size_++] = item;
  }
  // Room for `count` items: pushes and inserts up to it allocate nothing.
  void reserve(size_t count) {
    while (capacity_ < count) Grow();
  }
  void pop_back() { --size_; }
  void clear() { size_ = 0; }

  // Inserts `item` before `at`; the position of the inserted item.
  iterator insert(const_iterator at, QuorbItem* item) {
    const size_t k = static_cast<size_t>(at - data_);
    push_back(item);
    for (size_t i = size_ - 1; i > k; --i) data_[i] = data_[i - 1];
    data_[k] = item;
    return data_ + k;
  }
  // Inserts `items`, in their order, before `at`.
  void insert(const_iterator at, std::initializer_list<QuorbItem*> items) {
    size_t k = static_cast<size_t>(at - data_);
    for (QuorbItem* item : items) insert(data_ + k++, item);
  }

 private:
  static constexpr uint32_t InlineSlots = 2;

  void Grow() {
    QuorbItem** larger = new QuorbItem*[capacity_ * 2];
    for (uint32_t i = 0; i < size_; ++i) larger[i] = data_[i];
    Release();
    data_ = larger;
    capacity_ *= 2;
  }
  void Release() {
    if (data_ != inline_) delete[] data_;
    data_ = inline_;
  }

  QuorbItem** data_ = inline_;
  uint32_t size_ = 0;
  uint32_t capacity_ = InlineSlots;
  QuorbItem* inline_[InlineSlots] = {};
};

}  // namespace QuorbNameSpace

#endif
