// The Bool value class. Its true and false words are not fixed: they are the
// string values of the Bool type's defining item (sub-items 1 and 2), which a
// definition may replace, and that item's case sensitivity decides how text
// compares with the true word.
#include <cstddef>
#include <string>

#include "engine/quorb_item.h"
#include "engine/table.h"
#include "types/fixed_width_type.h"
#include "types/value_classes.h"

namespace QuorbNameSpace {

namespace {

constexpr size_t kTrueWordItem = 1;
constexpr size_t kFalseWordItem = 2;

// The string value of one sub-item of the Bool item, or null when the item,
// the sub-item or its string value is missing. A registry prototype has no
// item at all, and a sub-item of another type must not be read as a string.
const std::string* DefinedWord(const QuorbItem* item, size_t index) {
  if (item == nullptr || item->SubItems.size() <= index) return nullptr;
  const QuorbItem* sub = item->SubItems[index];
  if (sub == nullptr || sub->ValuePtr == nullptr) return nullptr;
  if (dynamic_cast<const dt_String*>(sub->DataType) == nullptr) return nullptr;
  return static_cast<const std::string*>(sub->ValuePtr);
}

std::string WordOf(const QuorbItem* item, size_t index, const char* fallback) {
  const std::string* word = DefinedWord(item, index);
  return word != nullptr ? *word : std::string(fallback);
}

// Byte-by-byte comparison folding only the ASCII letters, so that bytes of
// multi-byte characters never change.
bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

}  // namespace

bool dt_Boolean::ParseText(const std::string& text, uint8_t& out) const {
  const std::string trueWord = WordOf(Item, kTrueWordItem, "true");
  const bool exact = Item != nullptr && Item->Has(IsCaseSensitive);
  const bool isTrue = exact ? text == trueWord : EqualIgnoringAsciiCase(text, trueWord);
  out = isTrue ? 1 : 0;
  return true;
}

std::string dt_Boolean::PrintValue(const uint8_t& value) const {
  return value != 0 ? WordOf(Item, kTrueWordItem, "true") : WordOf(Item, kFalseWordItem, "false");
}

template class FixedWidthType<dt_Boolean, uint8_t>;

}  // namespace QuorbNameSpace
