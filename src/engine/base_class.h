// The common base of items and transforms: one property word, name, text,
// overload link, owner and data type. Items (quorb_item.h) and transforms
// (scanner/string_location.h) inherit it; neither has a second path to it.
#ifndef QUORB_ENGINE_BASE_CLASS_H
#define QUORB_ENGINE_BASE_CLASS_H

#include <cstdint>
#include <string>

#include "engine/item_properties.h"
#include "engine/item_text.h"

namespace QuorbNameSpace {

class Quorb;
class QuorbItem;
class QuorbDataType;
class Table;

class BaseClass {
 public:
  uint64_t Properties = 0;              // ItemIsEnum bits
  ItemText Name;                        // name the item is filed under; empty when anonymous
  ItemText Text;                        // definition text, or the text a value was made from
  QuorbItem* NextOverload = nullptr;    // next older item of the same name in the same table
  Quorb* Owner = nullptr;               // instance that made it; null for sentinels
  Table* OwningTable = nullptr;         // table the item is filed in; null when filed nowhere
  QuorbDataType* DataType = nullptr;    // value, result or defined type; not owned here

  bool Has(ItemIsEnum bit) const { return (Properties & PropertyBit(bit)) != 0; }
  void SetBit(int bit, bool on) {
    if (on) Properties |= PropertyBit(bit);
    else Properties &= ~PropertyBit(bit);
  }
};

}  // namespace QuorbNameSpace

#endif
