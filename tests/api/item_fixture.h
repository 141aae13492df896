// The fixture of the item tests: an instance, and the look-ups they read
// items back with.
#ifndef QUORB_TESTS_API_ITEM_FIXTURE_H
#define QUORB_TESTS_API_ITEM_FIXTURE_H

#include <gtest/gtest.h>

#include "quorb.h"

inline void QUORB_CALLBACK Doubled(QuorbPart* part) { Return(part, Arg(part, 1) * 2); }

class ItemFixture : public ::testing::Test {
 protected:
  ItemFixture() : q(CreateQuorb(nullptr)) {}
  ~ItemFixture() override { ReleaseQuorb(q); }

  // The newest item of the name, taken as written (no alias rules).
  QuorbItem* Find(const char* name) { return HandleOf(q, name, 0, 1); }
  // Whether the name finds an item (the not-found item has bit 56).
  bool Defined(const char* name) { return IsProperty(Find(name), 56) == 0; }

  QuorbInstance* q;
};

#endif
