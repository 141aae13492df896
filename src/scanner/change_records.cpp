// Change records in blocks (change_records.h).
#include "scanner/change_records.h"

#include <algorithm>

#include "engine/invariant.h"

namespace QuorbNameSpace {

bool ReuseChangeRecords = true;

void ChangeRecords::Add(uint64_t location, const std::string& text, uint64_t at, uint64_t length,
                        const std::string& newText, QuorbItem* rule) {
  if (size_ == blocks_.size() * BlockRecords) {
    // Room for the block's pointer first, so that a failure leaves no block
    // unheld; grown by doubling, as push_back grows, so that many blocks
    // cost a copy of the pointers only now and then.
    if (blocks_.size() == blocks_.capacity()) blocks_.reserve(std::max<size_t>(8, 2 * blocks_.size()));
    blocks_.emplace_back(new LogOfChangesClass[BlockRecords]);
  }
  QUORB_ASSERT(at <= text.size());
  LogOfChangesClass& record = *(*this)[size_];
  // Assigned, not made: a record dropped earlier keeps its strings' room.
  record.NewText = newText;
  record.OldText.assign(text, at, length);
  record.Location = location;
  record.Rule = rule;
  ++size_;
  filled_ = std::max(filled_, size_);
}

namespace {

void DropTextRoom(std::string& text) {
  if (text.capacity() > ChangeRecords::TextRoomKeptByClear) std::string().swap(text);
}

}  // namespace

void ChangeRecords::clear() {
  Truncate(0);
  const size_t filledBlocks = (filled_ + BlockRecords - 1) / BlockRecords;
  if (blocks_.size() > filledBlocks) blocks_.resize(filledBlocks);
  const size_t filled = std::min(filled_, blocks_.size() * BlockRecords);
  for (size_t i = 0; i < filled; ++i) {
    LogOfChangesClass& record = *(*this)[i];
    DropTextRoom(record.OldText);
    DropTextRoom(record.NewText);
  }
  filled_ = 0;
}

void ChangeRecords::Truncate(size_t keep) {
  if (keep >= size_) return;
  size_ = keep;
  if (ReuseChangeRecords) return;
  // The slow twin: the dropped records go back to the allocator.
  blocks_.resize((size_ + BlockRecords - 1) / BlockRecords);
  if (size_ % BlockRecords == 0) return;
  LogOfChangesClass* last = blocks_.back().get();
  for (size_t i = size_ % BlockRecords; i < BlockRecords; ++i) last[i] = LogOfChangesClass();
}

void ChangeRecords::Release() {
  size_ = 0;
  filled_ = 0;
  blocks_.clear();
  blocks_.shrink_to_fit();
}

}  // namespace QuorbNameSpace
