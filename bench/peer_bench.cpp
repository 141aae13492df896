// Measures Quorb against muparser on bench/bench_expr.txt (or another file
// of one expression a line): evaluation of a parsed expression (with the
// floating-point test, Evaluate, and without it, EvaluateNTE),
// parse-and-evaluate of one-off texts, and instance creation. Prints
// per-expression times and the ratios Quorb/muparser.
//
// Creation is reported three ways: the first instance of the process (which
// also fills the process-wide tables; the second, which makes the prototype
// of later ones, apart), cold (instances made one after the
// other and kept alive, on a thread that has freed nothing before, so that
// no block of an earlier instance is reused; with the heap each live one
// holds) and warm (create and release in a loop, the heap warm).
//
//   peer_bench [expression file] [milliseconds per measurement] [rounds]
//
// Each time is the least of `rounds` measurements (default 3), Quorb's and
// the peer's taken in turn, so that a busy machine disturbs both alike.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <muParser.h>

#include "bench_timing.h"
#include "heap_counting.h"
#include "quorb.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Variables {
  double a = 1.1, b = 2.2, c = 3.3, x = 2.123456, y = 3.123456, z = 4.123456, w = 5.123456;
  double pi = 3.141592653589793238462643, e = 2.718281828459045235360287;
};

std::vector<std::string> ReadExpressions(const std::string& path) {
  std::vector<std::string> expressions;
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    expressions.push_back(line);
  }
  return expressions;
}

double Median(std::vector<double> values) {
  if (values.empty()) return NAN;
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

bool Agree(double mine, double theirs) {
  if (std::isnan(mine) || std::isnan(theirs)) return std::isnan(mine) && std::isnan(theirs);
  if (std::isinf(mine) || std::isinf(theirs)) return mine == theirs;
  return std::fabs(mine - theirs) <= 1e-9 * std::max(1.0, std::fabs(theirs));
}

void DefineQuorbVariables(QuorbInstance* q, Variables& v) {
  DefineVariable(q, "a", &v.a);
  DefineVariable(q, "b", &v.b);
  DefineVariable(q, "c", &v.c);
  DefineVariable(q, "x", &v.x);
  DefineVariable(q, "y", &v.y);
  DefineVariable(q, "z", &v.z);
  DefineVariable(q, "w", &v.w);
  DefineConstant(q, "pi", &v.pi);
  DefineConstant(q, "e", &v.e);
}

void DefinePeerVariables(mu::Parser& p, Variables& v) {
  p.DefineVar("a", &v.a);
  p.DefineVar("b", &v.b);
  p.DefineVar("c", &v.c);
  p.DefineVar("x", &v.x);
  p.DefineVar("y", &v.y);
  p.DefineVar("z", &v.z);
  p.DefineVar("w", &v.w);
  p.DefineConst("pi", v.pi);
  p.DefineConst("e", v.e);
}

struct Creation {
  double nanoseconds;  // median of the creations
  double bytes;        // heap each live instance holds
};

// Makes `count` instances with `create`, each timed, all alive at the end,
// then frees them with `release`; on a new thread, whose first allocations
// get no block an earlier instance freed.
template <typename Object, typename Create, typename Release>
Creation ColdCreation(int count, Create create, Release release) {
  Creation result{};
  std::thread([&] {
    std::vector<Object*> live;
    std::vector<double> times;
    live.reserve(count);
    times.reserve(count);
    size_t before = HeapBytesInUse();
    for (int i = 0; i < count; ++i) {
      auto start = Clock::now();
      live.push_back(create());
      times.push_back(std::chrono::duration<double, std::nano>(Clock::now() - start).count());
    }
    result.bytes = (static_cast<double>(HeapBytesInUse()) - static_cast<double>(before)) / count;
    for (Object* object : live) release(object);
    result.nanoseconds = Median(times);
  }).join();
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : QUORB_BENCH_EXPRESSIONS;
  const double budget = argc > 2 ? std::atof(argv[2]) : 20.0;
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
  std::vector<std::string> expressions = ReadExpressions(path);
  if (expressions.empty()) {
    std::fprintf(stderr, "no expressions in %s\n", path.c_str());
    return 1;
  }
  Variables v;
  // The first instance of a process also fills the process-wide tables.
  size_t heapBeforeFirst = HeapBytesInUse();
  auto firstStart = Clock::now();
  QuorbInstance* q = CreateQuorb(nullptr);
  double firstInstance = std::chrono::duration<double, std::nano>(Clock::now() - firstStart).count();
  double firstBytes = static_cast<double>(HeapBytesInUse()) - static_cast<double>(heapBeforeFirst);
  // The second instance makes the prototype that later ones copy; out of
  // the cold figures, which are for copies.
  auto secondStart = Clock::now();
  ReleaseQuorb(CreateQuorb(nullptr));
  double secondInstance = std::chrono::duration<double, std::nano>(Clock::now() - secondStart).count();
  // Cold creation before anything else has used and freed memory.
  const int coldCount = 16;
  Creation quorbCold = ColdCreation<QuorbInstance>(
      coldCount, [] { return CreateQuorb(nullptr); }, [](QuorbInstance* instance) { ReleaseQuorb(instance); });
  Creation peerCold = ColdCreation<mu::Parser>(
      coldCount, [] { return new mu::Parser(); }, [](mu::Parser* parser) { delete parser; });
  DefineQuorbVariables(q, v);
  mu::Parser peer;
  DefinePeerVariables(peer, v);

  std::vector<double> evalRatios, untestedRatios, oneOffRatios;
  int mismatches = 0, skipped = 0;
  std::printf("%-48s %10s %10s %7s %10s %7s %10s %10s %7s\n", "expression", "quorb ns", "peer ns", "ratio", "nte ns",
              "ratio", "q once", "p once", "ratio");
  for (const std::string& text : expressions) {
    double theirs;
    try {
      peer.SetExpr(text);
      theirs = peer.Eval();
    } catch (const mu::Parser::exception_type&) {
      ++skipped;
      continue;
    }
    QuorbExpression* parsed = Parse(q, text.c_str(), "Double");
    double mine = Evaluate(parsed);
    if (!Agree(mine, theirs)) {
      std::printf("%-48s differs: quorb %.17g (%s), peer %.17g\n", text.c_str(), mine, EvaluateStr(parsed), theirs);
      ++mismatches;
      ReleaseExpr(parsed);
      continue;
    }
    double quorbEval = INFINITY, peerEval = INFINITY, quorbOnce = INFINITY, peerOnce = INFINITY;
    double quorbUntested = INFINITY;
    for (int round = 0; round < rounds; ++round) {
      quorbEval = std::min(quorbEval, NanosecondsPerCall([&] { return Evaluate(parsed); }, budget));
      peerEval = std::min(peerEval, NanosecondsPerCall([&] { return peer.Eval(); }, budget));
      quorbUntested = std::min(quorbUntested, NanosecondsPerCall([&] { return EvaluateNTE(parsed); }, budget));
      quorbOnce = std::min(quorbOnce, NanosecondsPerCall([&] { return Eval(q, text.c_str()); }, budget));
      peerOnce = std::min(peerOnce, NanosecondsPerCall(
                                        [&] {
                                          peer.SetExpr(text);
                                          return peer.Eval();
                                        },
                                        budget));
    }
    ReleaseExpr(parsed);
    evalRatios.push_back(quorbEval / peerEval);
    untestedRatios.push_back(quorbUntested / peerEval);
    oneOffRatios.push_back(quorbOnce / peerOnce);
    std::printf("%-48.48s %10.1f %10.1f %7.2f %10.1f %7.2f %10.0f %10.0f %7.2f\n", text.c_str(), quorbEval, peerEval,
                quorbEval / peerEval, quorbUntested, quorbUntested / peerEval, quorbOnce, peerOnce,
                quorbOnce / peerOnce);
  }

  double laterInstance = INFINITY, peerInstance = INFINITY;
  for (int round = 0; round < rounds; ++round) {
    laterInstance = std::min(laterInstance, NanosecondsPerCall(
                                                [] {
                                                  QuorbInstance* instance = CreateQuorb(nullptr);
                                                  ReleaseQuorb(instance);
                                                  return 0.0;
                                                },
                                                budget * 10));
    peerInstance = std::min(peerInstance, NanosecondsPerCall(
                                              [] {
                                                mu::Parser parser;
                                                return 0.0;
                                              },
                                              budget * 10));
  }
  ReleaseQuorb(q);

  std::printf("\nexpressions compared: %zu, mismatched: %d, not accepted by the peer: %d\n", evalRatios.size(),
              mismatches, skipped);
  std::printf("evaluation, median ratio quorb/peer:        %.2f\n", Median(evalRatios));
  std::printf("EvaluateNTE, median ratio quorb/peer:        %.2f\n", Median(untestedRatios));
  std::printf("parse and evaluate, median ratio quorb/peer: %.2f\n", Median(oneOffRatios));
  std::printf("instance creation, first of the process: quorb %.0f ns, %.0f bytes of heap\n", firstInstance,
              firstBytes);
  std::printf("instance creation, second of the process (makes the prototype, with release): quorb %.0f ns\n",
              secondInstance);
  std::printf("instance creation, cold (live, fresh memory, median of %d): quorb %.0f ns, %.0f bytes each; "
              "peer %.0f ns, %.0f bytes each; ratio %.1f\n",
              coldCount, quorbCold.nanoseconds, quorbCold.bytes, peerCold.nanoseconds, peerCold.bytes,
              quorbCold.nanoseconds / peerCold.nanoseconds);
  std::printf("instance creation, warm (create and release): quorb %.0f ns; peer %.0f ns; ratio %.1f\n",
              laterInstance, peerInstance, laterInstance / peerInstance);
  return mismatches == 0 ? 0 : 2;
}
