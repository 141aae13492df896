// New instances are copies of one prototype per process: whatever a host
// does to one instance must not reach the instances made after it, and
// instances made by several threads at once must all be whole.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "quorb.h"

namespace {

// Every filed item of the instance, in namespace order with each name's
// older overloads after it: properties, precedence, type, callback and,
// with `texts`, name and text. The text exports hand back one buffer per
// process, so threads running at once leave the texts out.
std::vector<std::string> FiledItems(QuorbInstance* instance, bool texts = true) {
  std::vector<std::string> lines;
  const uint64_t names = NamespaceSymbolCount(instance);
  for (uint64_t k = 0; k < names; ++k) {
    for (QuorbItem* item = NamespaceSymbol(instance, static_cast<int32_t>(k)); item != nullptr;
         item = NextOverload(item)) {
      std::ostringstream line;
      if (texts) line << Name_Overload_Item(item) << " '" << Text(item) << "' type " << Name_Overload_DataType(GetDataType(item));
      line << " bits";
      for (int32_t bit = 1; bit < 64; ++bit)
        if (IsProperty(item, bit)) line << " " << bit;
      line << " precedence " << Precedence_Overload_Item(item) << " type " << Index(GetDataType(item)) << " callback "
           << FunctionAddress(item);
      lines.push_back(line.str());
    }
  }
  return lines;
}

struct Change {
  const char* what;
  std::function<void(QuorbInstance*)> apply;
};

TEST(InstanceCopies, AChangedInstanceLeavesLaterInstancesAsNew) {
  QuorbInstance* reference = CreateQuorb(nullptr);
  const std::vector<std::string> fresh = FiledItems(reference);
  ASSERT_GT(fresh.size(), 200u);
  const Change changes[] = {
      {"a built-in redefined",
       [](QuorbInstance* q) { Define_Overload_Quorb(q, "Function: Sin(x) = 42", nullptr, HandleOf(q, "Sin", 0, 1)); }},
      {"a built-in overloaded", [](QuorbInstance* q) { DefineFunction(q, "Sqrt(x As Int) = 7", nullptr); }},
      {"a built-in renamed", [](QuorbInstance* q) { Rename(HandleOf(q, "Cos", 0, 1), "Cosine"); }},
      {"a built-in released", [](QuorbInstance* q) { ReleaseItem(HandleOf(q, "Tan", 0, 1)); }},
      {"a parameter's default changed",
       [](QuorbInstance* q) { Define_Overload_Quorb(q, "Function: RandomNumber(x As Int = 5) = 5", nullptr, nullptr); }},
      {"the ignore mask changed", [](QuorbInstance* q) { FPEnvSetExceptionMask(q, 0); }},
      {"a type renamed", [](QuorbInstance* q) { Rename(HandleOf(q, "Int8", 0, 1), "Tiny"); }},
      {"the default item's type changed", [](QuorbInstance* q) { Define_Overload_Quorb(q, "DataType: Int", nullptr, Default(q)); }},
  };
  const int32_t mask = FPEnvGetExceptionMask(reference);
  for (const Change& change : changes) {
    QuorbInstance* changed = CreateQuorb(nullptr);
    change.apply(changed);
    QuorbInstance* later = CreateQuorb(nullptr);
    EXPECT_EQ(FiledItems(later), fresh) << change.what;
    EXPECT_EQ(Eval(later, "Sin(0) + Cos(0) + Tan(0) + Sqrt(4)"), 3.0) << change.what;
    EXPECT_STREQ(EvalStr(later, "Str(Int8(300))"), EvalStr(reference, "Str(Int8(300))")) << change.what;
    EXPECT_EQ(FPEnvGetExceptionMask(later), mask) << change.what;
    ReleaseQuorb(changed);
    ReleaseQuorb(later);
  }
  ReleaseQuorb(reference);
}

// Building an instance from the texts cleared the floating-point flags a
// host had left raised, and expressions of the new instance relied on it;
// a copy clears them too.
TEST(InstanceCopies, ANewInstanceStartsWithoutTheHostsRaisedFlags) {
  // The first instance is read from the texts; the second is the first copy.
  ReleaseQuorb(CreateQuorb(nullptr));
  ReleaseQuorb(CreateQuorb(nullptr));
  std::feraiseexcept(FE_OVERFLOW | FE_DIVBYZERO);
  QuorbInstance* instance = CreateQuorb(nullptr);
  QuorbExpression* text = Parse(instance, "\"x\"", "String");
  EXPECT_STREQ(EvaluateStr(text), "x");
  EXPECT_EQ(ErrorNumber(instance), 0);
  ReleaseExpr(text);
  ReleaseQuorb(instance);
}

// The first instances of the process are made by several threads at once:
// one of them builds the prototype while the others wait for it.
TEST(InstanceCopies, InstancesMadeByManyThreadsAtOnceAreWhole) {
  const int threadCount = 4, perThread = 8;
  std::vector<std::vector<std::string>> seen(threadCount);
  std::vector<int> good(threadCount, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < threadCount; ++t) {
    threads.emplace_back([t, &seen, &good] {
      for (int k = 0; k < perThread; ++k) {
        QuorbInstance* instance = CreateQuorb(nullptr);
        if (instance == nullptr) continue;
        if (k == 0) seen[t] = FiledItems(instance, false);
        if (Eval(instance, "Sqrt(16) + Pow(2, 3)") == 12.0 && std::isinf(Eval(instance, "Inf()")) &&
            Eval(instance, "Length(UCase(\"ab\"))") == 2.0)
          ++good[t];
        ReleaseQuorb(instance);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  QuorbInstance* reference = CreateQuorb(nullptr);
  const std::vector<std::string> expected = FiledItems(reference, false);
  ReleaseQuorb(reference);
  for (int t = 0; t < threadCount; ++t) {
    EXPECT_EQ(good[t], perThread) << "thread " << t;
    EXPECT_EQ(seen[t], expected) << "thread " << t;
  }
}

// A thread that releases instances another thread made keeps their blocks
// (items, token and rule parts, values, symbol-map nodes) and makes its
// next instances from them: those hold what any other instance holds.
TEST(InstanceCopies, InstancesReleasedByAnotherThreadLeaveItsNextOnesWhole) {
  std::vector<QuorbInstance*> made;
  for (int k = 0; k < 3; ++k) made.push_back(CreateQuorb(nullptr));
  QuorbInstance* reference = CreateQuorb(nullptr);
  const std::vector<std::string> expected = FiledItems(reference);
  ReleaseQuorb(reference);
  std::vector<std::vector<std::string>> seen;
  int good = 0;
  std::thread([&] {
    for (QuorbInstance* instance : made) ReleaseQuorb(instance);
    for (int k = 0; k < 3; ++k) {
      QuorbInstance* instance = CreateQuorb(nullptr);
      if (instance == nullptr) continue;
      seen.push_back(FiledItems(instance));
      if (Eval(instance, "Sqrt(16) + Pow(2, 3)") == 12.0 && Eval(instance, "Length(UCase(\"abc\"))") == 3.0) ++good;
      ReleaseQuorb(instance);
    }
  }).join();
  EXPECT_EQ(good, 3);
  ASSERT_EQ(seen.size(), 3u);
  for (const std::vector<std::string>& lines : seen) EXPECT_EQ(lines, expected);
}

// An instance made by a thread's clean-up, after the thread's own objects
// (the library's among them) are destroyed, is whole: a host's thread-local
// object made before the library's is destroyed after them.
double madeAtThreadEnd = 0;
struct MakesAnInstanceWhenDestroyed {
  ~MakesAnInstanceWhenDestroyed() {
    QuorbInstance* instance = CreateQuorb(nullptr);
    madeAtThreadEnd = instance != nullptr ? Eval(instance, "Sqrt(16) + 1") : -1;
    ReleaseQuorb(instance);
  }
};

TEST(InstanceCopies, AnInstanceCanBeMadeAfterTheThreadsObjectsAreGone) {
  std::thread thread([] {
    thread_local MakesAnInstanceWhenDestroyed late;
    (void)&late;
    QuorbInstance* instance = CreateQuorb(nullptr);
    ReleaseQuorb(instance);
  });
  thread.join();
  EXPECT_EQ(madeAtThreadEnd, 5.0);
}

}  // namespace
