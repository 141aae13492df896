// Token dispatch by first byte: building the table and checking that it
// still describes the list.
#include "scanner/token_dispatch.h"

#include <cstring>

#include "engine/quorb_item.h"

namespace QuorbNameSpace {

bool DispatchTokensByFirstByte = true;
bool ShareDispatchWithParent = true;
std::atomic<uint64_t> TokenPartEdits{0};

// The index of the lowest set bit of a non-zero word.
static unsigned LowestBit(uint64_t word) {
#if defined(__GNUC__) || defined(__clang__)
  return static_cast<unsigned>(__builtin_ctzll(word));
#else
  unsigned bit = 0;
  while ((word & 1ULL) == 0) {
    word >>= 1;
    ++bit;
  }
  return bit;
#endif
}

ByteSet PossibleFirstBytes(const QuorbItem* token) {
  const TokenClass_& part = token->Token();
  // A hand-written matcher stands for the compiled pattern beside it; one
  // without it is not known.
  if (part.Pattern.Compiled()) return part.Pattern.FirstBytes();
  return part.FastMatch != nullptr ? ByteSet::All() : ByteSet();
}

// Calls `visit` with each byte of `bytes`, lowest first.
template <typename Visit>
static void ForEachByte(const ByteSet& bytes, Visit visit) {
  for (unsigned w = 0; w < 4; ++w)
    for (uint64_t word = bytes.words[w]; word != 0; word &= word - 1) visit(w * 64u + LowestBit(word));
}

uint64_t TokenDispatch::CoveredAfterChange(const std::vector<QuorbItem*>& tokens, const QuorbItem* wanted) {
  // Read before the check: an edit after it moves the count past edits_.
  const uint64_t edits = TokenPartEdits.load(std::memory_order_relaxed);
  uint64_t covered = tokens.size();
  if (covered != 0 && tokens.back() == wanted) --covered;
  if (!built_ || !Matches(tokens, covered)) {
    built_ = false;
    if (covered == 0 || ++stepsWithout_ < kStepsBeforeBuilding) return 0;
    Build(tokens, covered);
  }
  edits_ = edits;
  checkedData_ = tokens.data();
  checkedSize_ = covered;
  return covered;
}

// Each stamp is new with each edit (and a part made anew at a freed one's
// address has a new stamp too), so equal items with equal stamps have the
// patterns the table was built from.
bool TokenDispatch::Matches(const std::vector<QuorbItem*>& tokens, uint64_t covered) const {
  if (covered != items_.size() || std::memcmp(items_.data(), tokens.data(), covered * sizeof(QuorbItem*)) != 0)
    return false;
  for (uint64_t i = 0; i < covered; ++i)
    if (items_[i]->Token().EditStamp != stamps_[i]) return false;
  return true;
}

void TokenDispatch::Build(const std::vector<QuorbItem*>& tokens, uint64_t covered) {
  items_.assign(tokens.begin(), tokens.begin() + static_cast<std::ptrdiff_t>(covered));
  stamps_.clear();
  std::vector<ByteSet> firstBytes;
  firstBytes.reserve(covered);
  for (const QuorbItem* token : items_) {
    stamps_.push_back(token->Token().EditStamp);
    firstBytes.push_back(PossibleFirstBytes(token));
  }
  // A counting sort: work in proportion to the entries, not to 256 bytes
  // times the items.
  starts_.assign(257, 0);
  for (const ByteSet& bytes : firstBytes)
    ForEachByte(bytes, [this](unsigned byte) { ++starts_[byte + 1u]; });
  for (unsigned byte = 0; byte < 256; ++byte) starts_[byte + 1u] += starts_[byte];
  entries_.resize(starts_[256]);
  std::vector<uint32_t> next(starts_.begin(), starts_.end() - 1);
  for (uint64_t i = covered; i-- > 0;)
    ForEachByte(firstBytes[i], [this, &next, i](unsigned byte) { entries_[next[byte]++] = static_cast<uint32_t>(i); });
  stepsWithout_ = 0;
  ++builds_;
  built_ = true;
}

}  // namespace QuorbNameSpace
