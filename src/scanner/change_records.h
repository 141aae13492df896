// The change records of a transform's current expansion (one per
// replacement, LogOfChangesClass in transform_records.h), kept in blocks of
// records: an expansion that makes many replacements allocates one block
// per many records instead of one record at a time, and the records (their
// strings' room included) of an expansion that ended serve the next one.
//
// Ownership: the container owns every record; the pointers it hands out
// stay valid until the records are dropped (Truncate, clear, Release) or the
// container is destroyed. Adding may throw std::bad_alloc, leaving the
// records already held as they were.
#ifndef QUORB_SCANNER_CHANGE_RECORDS_H
#define QUORB_SCANNER_CHANGE_RECORDS_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scanner/transform_records.h"

namespace QuorbNameSpace {

// Whether dropped records keep their room for the next ones (false: the
// slow twin gives the room of dropped records back to the allocator and
// allocates new room for the next ones; tests compare both ways).
extern bool ReuseChangeRecords;

class ChangeRecords {
 public:
  ChangeRecords() = default;
  ChangeRecords(const ChangeRecords&) = delete;
  ChangeRecords& operator=(const ChangeRecords&) = delete;

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  LogOfChangesClass* operator[](size_t index) const {
    return &blocks_[index / BlockRecords][index % BlockRecords];
  }

  // Iterates the records in order, as pointers.
  class Iterator {
   public:
    Iterator(const ChangeRecords* records, size_t index) : records_(records), index_(index) {}
    LogOfChangesClass* operator*() const { return (*records_)[index_]; }
    Iterator& operator++() {
      ++index_;
      return *this;
    }
    bool operator!=(const Iterator& other) const { return index_ != other.index_; }

   private:
    const ChangeRecords* records_;
    size_t index_;
  };
  Iterator begin() const { return Iterator(this, 0); }
  Iterator end() const { return Iterator(this, size_); }

  // Appends a record of one replacement: of text.substr(at, length) (`at`
  // no further than the end of `text`) by `newText`.
  void Add(uint64_t location, const std::string& text, uint64_t at, uint64_t length, const std::string& newText,
           QuorbItem* rule);
  // Appends a copy of `record`.
  void push_back(const LogOfChangesClass& record) {
    Add(record.Location, record.OldText, 0, record.OldText.size(), record.NewText, record.Rule);
  }
  // Drops the records from `keep` on.
  void Truncate(size_t keep);
  // Drops every record before a new expansion. Only the room the records
  // filled since the last clear() used stays, and no long text's room: a
  // huge expansion's records go back to the allocator once a smaller one
  // has followed, as they did when each record was its own allocation.
  void clear();
  size_t BlocksHeld() const { return blocks_.size(); }
  static constexpr size_t TextRoomKeptByClear = 256;
  // Drops every record and frees all room.
  void Release();

 private:
  static constexpr size_t BlockRecords = 32;  // 2.5 KB a block on 64 bits: little room held after a short expansion
  std::vector<std::unique_ptr<LogOfChangesClass[]>> blocks_;
  size_t size_ = 0;
  size_t filled_ = 0;  // records filled since the last clear(): their strings may hold room
};

}  // namespace QuorbNameSpace

#endif  // QUORB_SCANNER_CHANGE_RECORDS_H
