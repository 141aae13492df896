// Holding a signature's parameters back from their table until something
// could look them up (parameter_filing.h).
#include "engine/parameter_filing.h"

#include <utility>

#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "engine/table.h"
#include "scanner/string_location.h"
#include "scanner/text_at.h"

namespace QuorbNameSpace {

bool HoldParametersUntilSeen = true;

void HeldParameters::File(Quorb& instance, std::string name, QuorbItem* item) {
  StringLocation* main = instance.MainTransform();
  Table* table = main->FilingTable(item);
  if (!HoldParametersUntilSeen || name.empty() || table == nullptr) {
    FileAll();
    main->AddSymbol(name, item, 0);
    return;
  }
  // Every held parameter goes to the same table: one that would not is
  // filed, with all held before it, as it is read.
  if (!held_.empty() && table != table_) {
    FileAll();
    main->AddSymbol(name, item, 0);
    return;
  }
  // What filing leaves after the parameter is taken out again: its name
  // (the table's key, Table::Key, folded where it stands), and a longest
  // name counting it.
  std::string key = std::move(name);
  if (!table->CaseSensitive)
    for (char& c : key) c = FoldCase(c);
  // Room first, so that nothing fails once the item is named; the room is
  // kept from one signature to the next.
  if (held_.size() == held_.capacity()) held_.reserve(held_.empty() ? 8 : 2 * held_.size());
  item->Name = key;
  if (key.size() > table->LongestKey) table->LongestKey = key.size();
  table_ = table;
  held_.push_back(item);
}

void HeldParameters::FileHeld() {
  // One at a time from the front: a failed allocation leaves the rest held.
  size_t filed = 0;
  struct Drop {
    std::vector<QuorbItem*>& held;
    size_t& filed;
    ~Drop() { held.erase(held.begin(), held.begin() + static_cast<std::ptrdiff_t>(filed)); }
  } drop{held_, filed};
  QUORB_ASSERT(table_ != nullptr);
  for (QuorbItem* item : held_) {
    QuorbItem* filing = item;
    // Filed meanwhile with its function (an overwrite files the parameters
    // the head takes over): already where it goes.
    if (item->OwningTable == nullptr) table_->Add(item->Name, filing, false);
    ++filed;
  }
}

bool HeldParameters::MayName(const std::string& text, uint64_t at, uint64_t length) const {
  // Most texts differ from every name in length already.
  for (const QuorbItem* item : held_)
    if (item->Name.size() == length && TextEqualsAt(text, at, length, item->Name, false)) return true;
  return false;
}

}  // namespace QuorbNameSpace
