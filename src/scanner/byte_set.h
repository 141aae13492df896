// A set of byte values: the bytes a token pattern can start with.
#ifndef QUORB_SCANNER_BYTE_SET_H
#define QUORB_SCANNER_BYTE_SET_H

#include <cstdint>

namespace QuorbNameSpace {

// 256 bits, one per byte value.
struct ByteSet {
  uint64_t words[4] = {0, 0, 0, 0};
  bool Has(unsigned char byte) const { return (words[byte >> 6] >> (byte & 63)) & 1ULL; }
  void Add(unsigned char byte) { words[byte >> 6] |= 1ULL << (byte & 63); }
  static ByteSet All() {
    ByteSet all;
    for (uint64_t& word : all.words) word = ~0ULL;
    return all;
  }
};

}  // namespace QuorbNameSpace

#endif  // QUORB_SCANNER_BYTE_SET_H
