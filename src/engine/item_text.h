// ItemText: the name or text of an item or transform, read as a
// `const std::string&`. It is either the holder's own text or one borrowed
// from a text that outlives the holder and never changes: copies of the
// prototype instance borrow their items' names and texts from the
// prototype's, which lives as long as the process, so that a copy neither
// makes nor frees a string for them. Any assignment makes the text the
// holder's own again. An empty text is neither: no string is made for it.
//
// One pointer wide, where a std::string is four: an instance holds some
// seven hundred items, each with a name and a text.
#ifndef QUORB_ENGINE_ITEM_TEXT_H
#define QUORB_ENGINE_ITEM_TEXT_H

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>

namespace QuorbNameSpace {

class ItemText {
 public:
  ItemText() = default;
  ~ItemText() { Drop(); }
  // Holders are never copied as a whole; a text is assigned field by field.
  ItemText(const ItemText&) = delete;
  ItemText& operator=(const ItemText& other) { return *this = other.str(); }
  // Copies `text` (the copy is made before the old text goes, so that a
  // failed allocation leaves the old text and assigning a text's own
  // string to it is safe).
  ItemText& operator=(const std::string& text);
  ItemText& operator=(const char* text) { return *this = std::string(text); }

  // Reads `lasting` from now on, which outlives this holder and never
  // changes; frees the holder's own text. Allocates nothing.
  void Borrow(const std::string& lasting) noexcept {
    Drop();
    bits_ = reinterpret_cast<uintptr_t>(&lasting);
  }
  // Exchanges the two texts, own or borrowed: a text made ahead of time
  // can then be put in place where nothing may fail.
  void Swap(ItemText& other) noexcept {
    const uintptr_t mine = bits_;
    bits_ = other.bits_;
    other.bits_ = mine;
  }
  void clear() noexcept {
    Drop();
    bits_ = reinterpret_cast<uintptr_t>(&Empty());
  }

  const std::string& str() const noexcept { return *Text(); }
  operator const std::string&() const noexcept { return *Text(); }  // NOLINT: reads as the string it is
  bool empty() const noexcept { return Text()->empty(); }
  size_t size() const noexcept { return Text()->size(); }
  const char* c_str() const noexcept { return Text()->c_str(); }
  template <typename... Args>
  int compare(const Args&... args) const { return Text()->compare(args...); }
  template <typename... Args>
  size_t find(const Args&... args) const noexcept { return Text()->find(args...); }
  template <typename... Args>
  size_t rfind(const Args&... args) const noexcept { return Text()->rfind(args...); }
  bool IsOwn() const noexcept { return (bits_ & OwnBit) != 0; }

 private:
  // The string read, with OwnBit set when the holder made it. Strings are
  // aligned to at least two bytes, leaving the lowest bit free.
  static constexpr uintptr_t OwnBit = 1;
  uintptr_t bits_ = reinterpret_cast<uintptr_t>(&Empty());

  // Never destroyed: items are made and read from static destructors and
  // atexit handlers too.
  static const std::string& Empty() noexcept {
    static const std::string* const empty = new std::string();
    return *empty;
  }

  const std::string* Text() const noexcept { return reinterpret_cast<const std::string*>(bits_ & ~OwnBit); }
  // Frees the own text, if any (the holder is empty then). Most texts are
  // borrowed or empty: only an own one calls out.
  void Drop() noexcept {
    if (IsOwn()) DropOwn();
  }
  void DropOwn() noexcept;
};

static_assert(alignof(std::string) >= 2, "ItemText keeps a flag in a string address's lowest bit");

inline bool operator==(const ItemText& a, const std::string& b) { return a.str() == b; }
inline bool operator==(const std::string& a, const ItemText& b) { return a == b.str(); }
inline bool operator==(const ItemText& a, const char* b) { return a.str() == b; }
inline bool operator!=(const ItemText& a, const std::string& b) { return a.str() != b; }
inline bool operator!=(const std::string& a, const ItemText& b) { return a != b.str(); }
inline bool operator!=(const ItemText& a, const char* b) { return a.str() != b; }
inline std::string operator+(const char* a, const ItemText& b) { return a + b.str(); }
inline std::string operator+(const std::string& a, const ItemText& b) { return a + b.str(); }
inline std::string operator+(const ItemText& a, const char* b) { return a.str() + b; }
inline std::string operator+(const ItemText& a, const std::string& b) { return a.str() + b; }
std::ostream& operator<<(std::ostream& out, const ItemText& text);

}  // namespace QuorbNameSpace

#endif  // QUORB_ENGINE_ITEM_TEXT_H
