// Measures Quorb against muparser on bench/bench_expr.txt (or another file
// of one expression a line): evaluation of a parsed expression (with the
// floating-point test, Evaluate, and without it, EvaluateNTE),
// parse-and-evaluate of one-off texts, and instance creation. Prints
// per-expression times and the ratios Quorb/muparser.
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
#include <vector>

#include <muParser.h>

#include "bench_timing.h"
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
  auto firstStart = Clock::now();
  QuorbInstance* q = CreateQuorb(nullptr);
  double firstInstance = std::chrono::duration<double, std::nano>(Clock::now() - firstStart).count();
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
  std::printf("instance creation: quorb first %.0f ns, later %.0f ns (with release); peer %.0f ns; ratio %.1f\n",
              firstInstance, laterInstance, peerInstance, laterInstance / peerInstance);
  return mismatches == 0 ? 0 : 2;
}
