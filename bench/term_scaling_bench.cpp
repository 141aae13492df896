// How the cost of a parsed sum grows with its length: heap bytes per term
// of the parsed expression, and evaluation time per term at 10 and 10,000
// terms, for Quorb and muparser side by side.
//
//   term_scaling_bench [milliseconds per measurement] [rounds]
//
// Heap bytes are counted by the bench's own operator new (heap_counting.h).
// What an expression of one term holds (the expression's own record, and
// whatever a first parse makes once: tables, per-thread blocks) is not
// counted per term: the figure is the growth from one term to many. Each
// Quorb parse runs on a new thread, so that it gets no block kept from an
// expression freed before.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include <muParser.h>

#include "bench_timing.h"
#include "heap_counting.h"
#include "quorb.h"

namespace {

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

// Heap bytes the parse of `text` leaves held, on a new thread that first
// parses (and keeps) a one-term text, so that what the first parse makes
// once is not counted. The expression is returned alive.
QuorbExpression* ParseCounted(QuorbInstance* q, const std::string& text, const std::string& warmUp, double& bytes) {
  QuorbExpression* parsed = nullptr;
  std::thread([&] {
    QuorbExpression* first = Parse(q, warmUp.c_str(), "Double");
    size_t before = HeapBytesInUse();
    parsed = Parse(q, text.c_str(), "Double");
    bytes = static_cast<double>(HeapBytesInUse()) - static_cast<double>(before);
    ReleaseExpr(first);
  }).join();
  return parsed;
}

// What a parsed sum of `count` terms holds beyond a one-term expression,
// per added term.
Measure QuorbSum(QuorbInstance* q, const std::string& term, int count, double budget, int rounds) {
  double oneTerm = 0, all = 0;
  ReleaseExpr(ParseCounted(q, term, term, oneTerm));
  QuorbExpression* parsed = ParseCounted(q, SumOf(term, count), term, all);
  double bytes = (all - oneTerm) / (count - 1);
  double ns = LeastNanosecondsPerCall([&] { return Evaluate(parsed); }, budget, rounds) / count;
  ReleaseExpr(parsed);
  return {bytes, ns};
}

// Heap bytes the peer holds after compiling `text` on a new parser; NaN
// when it refuses the text (it caps the length of an expression).
double PeerBytes(double& a, const std::string& text) {
  mu::Parser peer;
  peer.DefineVar("a", &a);
  size_t before = HeapBytesInUse();
  try {
    peer.SetExpr(text);
    peer.Eval();  // muparser compiles on the first evaluation
  } catch (const mu::Parser::exception_type&) {
    return NAN;
  }
  return static_cast<double>(HeapBytesInUse()) - static_cast<double>(before);
}

// NaN when the peer refuses the text.
Measure PeerSum(double& a, const std::string& term, int count, double budget, int rounds) {
  PeerBytes(a, term);  // what the peer's first compilation makes once
  double bytes = (PeerBytes(a, SumOf(term, count)) - PeerBytes(a, term)) / (count - 1);
  mu::Parser peer;
  peer.DefineVar("a", &a);
  try {
    peer.SetExpr(SumOf(term, count));
    peer.Eval();
  } catch (const mu::Parser::exception_type&) {
    return {NAN, NAN};
  }
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
      Measure mine = QuorbSum(q, term, count, budget, rounds);
      Measure theirs = PeerSum(a, term, count, budget, rounds);
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
