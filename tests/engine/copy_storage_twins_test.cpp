// The storage shortcuts of instance copies against their slow twins: a
// copy whose sub-item lists are pieces of one block (SubItemBlocks) and
// items that release by the short path (QuorbItem::ReleaseShortcut) behave
// as a copy with lists of their own and the full release path, through
// whatever a host does to the copy's built-ins before releasing it. The
// sanitizer build checks that each way frees everything exactly once.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "builtins/builtin_definitions.h"
#include "engine/errors.h"
#include "engine/instance_prototype.h"
#include "engine/parsed_expr.h"
#include "engine/quorb.h"
#include "engine/quorb_item.h"
#include "engine/table.h"
#include "types/type_registry.h"

namespace QuorbNameSpace {
namespace {

// Whether a parsed body of an item filed in the instance names `item`.
bool NamedByABody(Quorb& instance, const QuorbItem* item) {
  return AnyFiledItem(instance.RootTable()->Symbols, [item](const QuorbItem* holder) {
    if (holder->ParsedExpr == nullptr) return false;
    for (const ExpressionPart* part : holder->ParsedExpr->Parts) {
      if (part->OpItem == item || part->Result == item || part->EnclosingFunction == item) return true;
      for (const QuorbItem* arg : part->Args)
        if (arg == item) return true;
    }
    return false;
  });
}

// Takes the built-in `name` out of the instance and frees it, as a host's
// release of an item nothing refers to does.
void RemoveBuiltin(Quorb& instance, const std::string& name) {
  QuorbItem* item = instance.RootTable()->Handle(name);
  ASSERT_NE(item, nullptr) << name;
  ASSERT_FALSE(NamedByABody(instance, item)) << name;
  item->FreeBodies();
  item->OwningTable->Remove(item);
  delete item;
}

// What a host does to a copy, and what the copy then answers: built-ins
// redefined (their parameter lists replaced), overloaded, removed, a
// function of the host's with parameters, evaluations of each.
std::vector<std::string> UseACopy() {
  std::vector<std::string> seen;
  Quorb instance;
  auto eval = [&](const char* text) {
    seen.push_back(std::string(text) + " = " + instance.EvalStr(text));
    instance.Error.Number = 0;
  };
  eval("Sin(0) + Cos(0) + Pow(2, 10) + Max(3, 4)");
  // An overwrite swaps the definitions: the old parameter list (a piece of
  // the block) goes with the object freed.
  instance.Define("Overwrite ~~ Function: Pow(a, b) = a - b", nullptr, nullptr);
  instance.Define("Overwrite ~~ Function: Sin(x) = 42", nullptr, nullptr);
  instance.Error.Number = 0;
  instance.Define("Function: Max(x As Int, y As Int) = x - y", nullptr, nullptr);
  instance.Define("Function: Blend(x, y = 2) = x/y", nullptr, nullptr);
  eval("Sin(1) + Pow(2, 10)");
  EXPECT_EQ(instance.Eval("Sin(1) + Pow(2, 10)"), 34.0) << "the overwrites took";
  eval("Pow(2, 10)");
  eval("Max(3, 4)");
  eval("Max(3.5, 4.5)");
  eval("Blend(9) + Blend(9, 3)");
  RemoveBuiltin(instance, "atan2");
  RemoveBuiltin(instance, "hypot");
  eval("Atan2(1, 1)");
  eval("Hypot(3, 4)");
  instance.Define("Function: Hypot(a, b) = Sqrt(a*a + b*b)", nullptr, nullptr);
  eval("Hypot(3, 4)");
  // Messages changed, added and read for a number without one.
  instance.SetErrorMessage(ErrNotAssignable, "the copy's own word", true);
  instance.SetErrorMessage(77, "a host's error", true);
  for (int32_t n : {static_cast<int32_t>(ErrNotAssignable), 77, 78, 1})
    seen.push_back(std::to_string(n) + ": " + instance.Error.MessageOf(n));
  seen.push_back(std::to_string(instance.Error.Messages.size()) + " messages");
  return seen;
}

TEST(CopyStorageTwins, AHostsChangesToACopyGoTheSameEveryWay) {
  ASSERT_TRUE(InstancePrototypeUsable());
  { Quorb firstOfTheProcess; }  // read from the texts: the copies come after it
  InstanceCopies = false;
  const std::vector<std::string> expected = UseACopy();
  InstanceCopies = true;
  ASSERT_GT(expected.size(), 8u);
  for (int blocks = 0; blocks < 2; ++blocks) {
    for (int shortcut = 0; shortcut < 2; ++shortcut) {
      for (int share = 0; share < 2; ++share) {
        SubItemBlocks = blocks != 0;
        QuorbItem::ReleaseShortcut = shortcut != 0;
        ErrorMessageTable::ShareCopies = share != 0;
        EXPECT_EQ(UseACopy(), expected) << "blocks " << blocks << " shortcut " << shortcut << " share " << share;
      }
    }
  }
  SubItemBlocks = true;
  QuorbItem::ReleaseShortcut = true;
  ErrorMessageTable::ShareCopies = true;
}

// A list cut from a block grows onto the heap, swaps with a list of its
// own and is freed by its new holder; the block's piece stays with the block.
TEST(CopyStorageTwins, AListFromABlockGrowsAndSwapsLikeAnyOther) {
  QuorbItem a, b, c;
  // Each piece takes its entries and the list's header words.
  const size_t header = SubItemList::HeaderWords;
  SubItemBlock block(3, 2);
  SubItemList cut, own;
  {
    const SubItemBlock::Use use(&block);
    cut.reserve(2);
    EXPECT_EQ(block.Left(), 1 + header);
  }
  own.reserve(1);  // outside the use: the heap's
  EXPECT_EQ(block.Left(), 1 + header);
  cut.push_back(&a);
  cut.push_back(&b);
  cut.push_back(&c);  // beyond the piece: moves to the heap
  EXPECT_EQ(cut, (SubItemList{&a, &b, &c}));
  own.push_back(&c);
  cut.swap(own);
  EXPECT_EQ(own.size(), 3u);
  EXPECT_EQ(cut, SubItemList{&c});
  {
    // A block with too little room left gives nothing: the list is the heap's.
    const SubItemBlock::Use use(&block);
    SubItemList large;
    large.reserve(5);
    EXPECT_EQ(block.Left(), 1 + header);
    SubItemList fits;
    fits.reserve(1);
    EXPECT_EQ(block.Left(), 0u);
  }
}

// A list takes what a vector of the same steps holds, whichever storage it
// has: generated steps against std::vector as the oracle.
TEST(CopyStorageTwins, AListHoldsWhatAVectorWould) {
  QuorbItem pool[8];
  for (int blocks = 0; blocks < 2; ++blocks) {
    SubItemBlock block(16, 2);
    const SubItemBlock::Use use(blocks != 0 ? &block : nullptr);
    SubItemList list;
    std::vector<QuorbItem*> oracle;
    uint32_t seed = 12345;
    for (int step = 0; step < 400; ++step) {
      seed = seed * 1103515245u + 12345u;
      const uint32_t pick = (seed >> 16) % 8;
      switch ((seed >> 8) % 7) {
        case 0: case 1: case 2:
          list.push_back(&pool[pick]);
          oracle.push_back(&pool[pick]);
          break;
        case 3:  // every entry naming one item, as a release erases its own
          list.erase(std::remove(list.begin(), list.end(), &pool[pick]), list.end());
          oracle.erase(std::remove(oracle.begin(), oracle.end(), &pool[pick]), oracle.end());
          break;
        case 4:
          if (!oracle.empty() && pick == 0) {
            list.clear();
            oracle.clear();
          }
          list.reserve(pick * 3);
          break;
        case 5: {
          SubItemList copied(list), moved;
          moved = std::move(copied);
          std::swap(moved, list);
          EXPECT_EQ(moved, list) << "step " << step;
          break;
        }
        default:
          if (!oracle.empty()) {
            list.erase(list.begin() + pick % oracle.size());
            oracle.erase(oracle.begin() + pick % oracle.size());
          }
          break;
      }
      ASSERT_EQ(std::vector<QuorbItem*>(list.begin(), list.end()), oracle) << "blocks " << blocks << " step " << step;
      ASSERT_GE(list.capacity(), list.size());
    }
  }
}

// Copies of a message table share one map until one is changed, and a
// change is seen by the changed copy alone, either way.
TEST(CopyStorageTwins, AChangedMessageTableIsNoLongerShared) {
  for (int share = 0; share < 2; ++share) {
    ErrorMessageTable::ShareCopies = share != 0;
    ErrorMessageTable original;
    original.Edit()[1] = "one";
    original.Edit()[2] = "two";
    ErrorMessageTable copy;
    copy = original;
    EXPECT_EQ(&copy.Read() == &original.Read(), share != 0) << "share " << share;
    copy.Edit()[2] = "the copy's";
    copy.Edit()[3] = "three";
    EXPECT_NE(&copy.Read(), &original.Read());
    EXPECT_EQ(original.Read(), (ErrorMessageTable::Map{{1, "one"}, {2, "two"}})) << "share " << share;
    EXPECT_EQ(copy.Read(), (ErrorMessageTable::Map{{1, "one"}, {2, "the copy's"}, {3, "three"}})) << "share " << share;
    const ErrorMessageTable second(original);
    EXPECT_EQ(second.Read(), original.Read());
    ErrorMessageTable empty;
    copy = empty;
    EXPECT_EQ(copy.size(), 0u);
  }
  ErrorMessageTable::ShareCopies = true;
}

// Items of every kind the short path takes, and of kinds next to it that it
// must leave to the full path, end the same either way.
TEST(CopyStorageTwins, AnItemReleasedByTheShortPathEndsAsByTheFullOne) {
  Quorb instance(Quorb::FromDefinitionTexts{BuiltinDefinitionCount});
  QuorbDataType* real = instance.Types.DoubleType;
  ASSERT_NE(real, nullptr);
  struct Case {
    const char* what;
    void (*make)(QuorbItem& item, Quorb& instance, QuorbDataType* type);
    bool plain;
  };
  const Case cases[] = {
      {"an owned value", [](QuorbItem& i, Quorb&, QuorbDataType* t) {
         i.DataType = t;
         i.ValuePtr = t->AllocScalarValue("2.5");
         i.SetBit(IsOwner, true);
       }, true},
      {"a host's value", [](QuorbItem& i, Quorb&, QuorbDataType* t) {
         static double host = 1;
         i.DataType = t;
         i.ValuePtr = &host;
       }, true},
      {"a listed handler", [](QuorbItem& i, Quorb& q, QuorbDataType*) {
         i.Owner = &q;
         q.Definitions.ErrorHandlers.push_back(&i);
       }, true},
      {"an output format", [](QuorbItem& i, Quorb& q, QuorbDataType* t) {
         i.Owner = &q;
         i.SetBit(IsOutputFormat, true);
         t->Outputs.push_back(&i);
       }, false},
      {"a token part", [](QuorbItem& i, Quorb&, QuorbDataType*) { i.EditToken().SubMatch = 1; }, false},
      {"a sub-item", [](QuorbItem& i, Quorb&, QuorbDataType*) { i.SubItems.push_back(new QuorbItem); }, false},
  };
  for (const Case& test : cases) {
    std::vector<std::string> ends;
    for (int shortcut = 0; shortcut < 2; ++shortcut) {
      QuorbItem::ReleaseShortcut = shortcut != 0;
      auto* item = new QuorbItem;
      item->Callback = [](ExpressionPart&) {};
      test.make(*item, instance, real);
      EXPECT_EQ(item->ReleasesPlainly(), test.plain) << test.what;
      item->Release();
      std::string end = std::to_string(item->ValuePtr == nullptr) + std::to_string(item->DataType == nullptr) +
                        std::to_string(item->Callback == nullptr) + std::to_string(item->SubItems.empty()) +
                        std::to_string(instance.Definitions.ErrorHandlers.size()) +
                        std::to_string(real->Outputs.size());
      ends.push_back(end);
      delete item;
    }
    QuorbItem::ReleaseShortcut = true;
    EXPECT_EQ(ends[0], ends[1]) << test.what;
  }
}

// A value of a class that makes its values in the item's room moves there,
// the same value; any other stays where it is.
TEST(CopyStorageTwins, OnlyASmallOwnedValueMovesIntoTheRoom) {
  Quorb instance(Quorb::FromDefinitionTexts{BuiltinDefinitionCount});
  struct Case {
    QuorbDataType* type;
    const char* text;
    bool owner;
    bool moves;
  };
  const Case cases[] = {
      {instance.Types.DoubleType, "2.75", true, true},
      {instance.Types.IntType, "-7", true, true},
      {instance.Types.DoubleType, "2.75", false, false},  // not the item's to move
      {instance.Types.StringType, "text", true, false},
      {instance.Types.ComplexType, "1", true, false},
  };
  for (const Case& test : cases) {
    ASSERT_NE(test.type, nullptr);
    auto* item = new QuorbItem;
    item->DataType = test.type;
    item->ValuePtr = test.type->AllocScalarValue(test.text);
    ASSERT_NE(item->ValuePtr, nullptr) << test.text;
    void* const heap = item->ValuePtr;
    const std::string before = test.type->ToString(item->ValuePtr);
    item->SetBit(IsOwner, test.owner);
    item->MoveValueIntoRoom(test.type);
    const auto* at = static_cast<const unsigned char*>(item->ValuePtr);
    const auto* self = reinterpret_cast<const unsigned char*>(item);
    const bool inItem = at >= self && at < self + sizeof(QuorbItem);
    EXPECT_EQ(inItem, test.moves) << test.text;
    EXPECT_EQ(item->ValuePtr == heap, !test.moves) << test.text;
    EXPECT_EQ(test.type->ToString(item->ValuePtr), before) << test.text;
    if (!test.owner) test.type->DeleteScalar(heap);
    delete item;
  }
}

}  // namespace
}  // namespace QuorbNameSpace
