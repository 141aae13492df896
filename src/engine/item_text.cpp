// Own and borrowed item texts; see item_text.h.
#include "engine/item_text.h"

#include <ostream>

namespace QuorbNameSpace {

ItemText& ItemText::operator=(const std::string& text) {
  if (text.empty()) {
    clear();
    return *this;
  }
  const auto* made = new std::string(text);
  Drop();
  bits_ = reinterpret_cast<uintptr_t>(made) | OwnBit;
  return *this;
}

void ItemText::DropOwn() noexcept {
  delete Text();
  bits_ = reinterpret_cast<uintptr_t>(&Empty());
}

std::ostream& operator<<(std::ostream& out, const ItemText& text) { return out << text.str(); }

}  // namespace QuorbNameSpace
