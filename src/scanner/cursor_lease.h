// CursorLease: a cursor over a text for the span of a scope, taken from its
// parent's idle cursors where one is kept (StringLocation::TakeCursor) and
// given back when the lease ends or moves to another text. A kept cursor is
// set up again as a new one would be: every scan reads what a cursor made
// anew would read.
#ifndef QUORB_SCANNER_CURSOR_LEASE_H
#define QUORB_SCANNER_CURSOR_LEASE_H

#include <string>

#include "scanner/string_location.h"

namespace QuorbNameSpace {

// Whether parents keep idle cursors for the next text (true) or every
// cursor is made anew and freed after its use (false: the slow twin; tests
// compare both ways).
extern bool KeepIdleCursors;

class CursorLease {
 public:
  CursorLease() = default;
  // A cursor over `text` (which must outlive the lease) with `parent`.
  CursorLease(const std::string& text, StringLocation* parent) { Reset(text, parent); }
  ~CursorLease() { Release(); }
  CursorLease(const CursorLease&) = delete;
  CursorLease& operator=(const CursorLease&) = delete;

  // Gives the current cursor back, then takes one over `text`.
  void Reset(const std::string& text, StringLocation* parent) {
    Release();
    cursor_ = parent->TakeCursor(text);
    parent_ = parent;
  }
  StringLocation& operator*() const { return *cursor_; }
  StringLocation* operator->() const { return cursor_; }

 private:
  void Release() {
    if (cursor_ != nullptr) parent_->KeepCursor(cursor_);
    cursor_ = nullptr;
  }

  StringLocation* cursor_ = nullptr;
  StringLocation* parent_ = nullptr;
};

}  // namespace QuorbNameSpace

#endif  // QUORB_SCANNER_CURSOR_LEASE_H
