// How the cost of a parsed sum grows with its length: heap bytes per term
// of the parsed expression, and evaluation time per term at 10 and 10,000
// terms, for Quorb and muparser side by side.
//
//   term_scaling_bench [milliseconds per measurement] [rounds]
//
// Heap bytes are read from the C library's allocator statistics, so the
// program is built only where glibc provides them.
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include <muParser.h>

#include "bench_timing.h"
#include "quorb.h"

namespace {

double HeapInUse() { return static_cast<double>(mallinfo2().uordblks); }

// A sum of `count` copies of `term`.
std::string SumOf(const std::string& term, int count) {
  std::string text = term;
  for (int i = 1; i < count; ++i) text += "+" + term;
  return text;
}

// Nanoseconds per call of `run`, the least of `rounds` measurements.
double LeastNanosecondsPerCall(const std::function<double()>& run, double budget, int rounds) {
  double best = INFINITY;
  for (int round = 0; round < rounds; ++round) best = std::min(best, NanosecondsPerCall(run, budget));
  return best;
}

struct Measure {
  double bytesPerTerm;
  double nsPerTerm;
};

Measure QuorbSum(QuorbInstance* q, const std::string& term, int count, double budget, int rounds) {
  std::string text = SumOf(term, count);
  double before = HeapInUse();
  QuorbExpression* parsed = Parse(q, text.c_str(), "Double");
  double bytes = (HeapInUse() - before) / count;
  double ns = LeastNanosecondsPerCall([&] { return Evaluate(parsed); }, budget, rounds) / count;
  ReleaseExpr(parsed);
  return {bytes, ns};
}

// NaN when the peer refuses the text (it caps the length of an expression).
Measure PeerSum(mu::Parser& peer, const std::string& term, int count, double budget, int rounds) {
  double before = HeapInUse();
  try {
    peer.SetExpr(SumOf(term, count));
    peer.Eval();  // muparser compiles on the first evaluation
  } catch (const mu::Parser::exception_type&) {
    return {NAN, NAN};
  }
  double bytes = (HeapInUse() - before) / count;
  double ns = LeastNanosecondsPerCall([&] { return peer.Eval(); }, budget, rounds) / count;
  return {bytes, ns};
}

}  // namespace

int main(int argc, char** argv) {
  const double budget = argc > 1 ? std::atof(argv[1]) : 50.0;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  double a = 1.1;
  QuorbInstance* q = CreateQuorb(nullptr);
  DefineVariable(q, "a", &a);
  std::printf("%-8s %7s %14s %14s %12s %12s\n", "term", "terms", "quorb B/term", "peer B/term", "quorb ns/t",
              "peer ns/t");
  for (const char* term : {"a", "a*2.5"}) {
    double quorbShort = 0, peerShort = 0;
    for (int count : {10, 1000, 10000}) {
      mu::Parser peer;
      peer.DefineVar("a", &a);
      Measure mine = QuorbSum(q, term, count, budget, rounds);
      Measure theirs = PeerSum(peer, term, count, budget, rounds);
      if (count == 10) quorbShort = mine.nsPerTerm, peerShort = theirs.nsPerTerm;
      std::printf("%-8s %7d %14.0f %14.0f %12.2f %12.2f\n", term, count, mine.bytesPerTerm, theirs.bytesPerTerm,
                  mine.nsPerTerm, theirs.nsPerTerm);
      if (count == 10000)
        std::printf("%-8s per-term cost, 10,000 against 10 terms: quorb %.2f, peer %.2f\n", term,
                    mine.nsPerTerm / quorbShort, theirs.nsPerTerm / peerShort);
    }
  }
  ReleaseQuorb(q);
  return 0;
}
