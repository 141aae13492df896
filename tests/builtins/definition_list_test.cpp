// The whole built-in definition list on a new instance: how many rows it
// holds, and which row heads the overload chains that the complex, string
// and meta rows share with the real ones.
#include <gtest/gtest.h>

#include "builtin_instance.h"
#include "builtins/builtin_definitions.h"
#include "builtins/complex_arithmetic.h"
#include "builtins/complex_functions.h"
#include "builtins/double_arithmetic.h"
#include "builtins/real_math.h"
#include "builtins/string_callbacks.h"
#include "engine/quorb.h"

namespace QuorbNameSpace {
namespace {

// The callback of the k-th item of `name`'s chain, head first; null past
// its end.
QuorbCallback NthOnChain(Quorb& instance, const char* name, int k) {
  QuorbItem* item = HeadOf(instance, name);
  for (; item != nullptr && k > 0; --k) item = item->NextOverload;
  return item != nullptr ? item->Callback : nullptr;
}

TEST(DefinitionList, RealRowsHeadTheChainsTheyShareWithComplexAndStringRows) {
  Quorb instance;
  EnsureBuiltins(instance);
  EXPECT_EQ(NthOnChain(instance, "Cos", 0), &Cos);
  EXPECT_EQ(NthOnChain(instance, "Cos", 1), &Cos_Complex);
  EXPECT_EQ(NthOnChain(instance, "Abs", 0), &Abs);
  EXPECT_EQ(NthOnChain(instance, "Abs", 1), &Complex_Abs);
  EXPECT_EQ(NthOnChain(instance, "Sqrt", 1), &Sqrt_Complex);
  EXPECT_EQ(NthOnChain(instance, "Pow", 2), &Pow_Complex);
  // "+": prefix plus, the Double, Int, String and then the three Complex rows.
  EXPECT_EQ(NthOnChain(instance, "+", 0), &UnaryPlus);
  EXPECT_EQ(NthOnChain(instance, "+", 1), &Add);
  EXPECT_EQ(NthOnChain(instance, "+", 3), &String_AppendCopy);
  EXPECT_EQ(NthOnChain(instance, "+", 4), &Complex_AddB);
  EXPECT_EQ(NthOnChain(instance, "+", 6), &Complex_Add);
  EXPECT_EQ(NthOnChain(instance, "^", 2), &Pow_Complex);
}

TEST(DefinitionList, HoldsEveryRow) {
  EXPECT_EQ(BuiltinDefinitionCount, 220u);
  Quorb instance;
  EnsureBuiltins(instance);
  // The String rows of Min and Max come later, so they head the chains.
  for (const char* name : {"Min", "Max"}) {
    QuorbItem* head = HeadOf(instance, name);
    ASSERT_NE(head, nullptr) << name;
    EXPECT_EQ(head->DataType, instance.Types.StringType) << name;
    ASSERT_NE(head->NextOverload, nullptr) << name;
    EXPECT_EQ(head->NextOverload->NextOverload, nullptr) << name;
  }
}

}  // namespace
}  // namespace QuorbNameSpace
