// Own and borrowed item texts; see item_text.h.
#include "engine/item_text.h"

#include <new>
#include <ostream>

#include "engine/kept_blocks.h"

namespace QuorbNameSpace {

ItemText& ItemText::operator=(const std::string& text) {
  if (text.empty()) {
    clear();
    return *this;
  }
  // From the blocks a thread keeps, as String values are: parsing makes a
  // literal item, with its text, for every number it reads.
  void* block = AllocateStringBlock();
  const std::string* made;
  try {
    made = new (block) std::string(text);
  } catch (...) {
    FreeStringBlock(block);
    throw;
  }
  Drop();
  bits_ = reinterpret_cast<uintptr_t>(made) | OwnBit;
  return *this;
}

void ItemText::DropOwn() noexcept {
  const std::string* own = Text();
  own->~basic_string();
  FreeStringBlock(const_cast<std::string*>(own));
  bits_ = reinterpret_cast<uintptr_t>(&Empty());
}

std::ostream& operator<<(std::ostream& out, const ItemText& text) { return out << text.str(); }

}  // namespace QuorbNameSpace
